// The bodies of the exported Glide functions other than the texture and
// frame-buffer families: window and board calls, state setters, drawing,
// buffers, version and the inert entry points.
#include <cmath>
#include <cstring>

#include "framework/ZelkD3D.h"
#include "framework/ZelkException.h"
#include "glide/ZelkGlide.h"
#include "glide/ZelkGlideBodies.h"
#include "glide/ZelkGlideUtility.h"

namespace zelk {
namespace glidebody {

namespace {

const char* const kVersion = "2.56.00.0459";
constexpr std::uint32_t kStatus = 0x7FFF03E;
constexpr std::uint32_t kMaxPendingSwaps = 7;

void RequirePointer(const void* pointer, const char* thrower, const char* parameter)
{
    if (!pointer) {
        throw ZelkException(thrower, false, std::string("The parameter [ ") + parameter + " ] is invalid.");
    }
}

// The front end of a draw: a window is open and the bound textures have
// been handed to its renderer.
ZelkGlide& DrawTarget(const char* thrower)
{
    ZelkGlide* glide = GetGlide();
    glide->RequireRenderer(thrower);
    glide->UpdatePendingTextures();
    return *glide;
}

void DrawPoint(const GrVertex* a, const char* thrower)
{
    ZelkGlide& glide = DrawTarget(thrower);
    RequirePointer(a, thrower, "const GrVertex* pt");
    glide.renderer->DrawPoint(a);
}

void DrawLine(const GrVertex* a, const GrVertex* b, const char* thrower)
{
    ZelkGlide& glide = DrawTarget(thrower);
    RequirePointer(a, thrower, "const GrVertex* v1");
    RequirePointer(b, thrower, "const GrVertex* v2");
    glide.renderer->DrawLine(a, b);
}

void DrawTriangle(const GrVertex* a, const GrVertex* b, const GrVertex* c, const char* thrower)
{
    ZelkGlide& glide = DrawTarget(thrower);
    RequirePointer(a, thrower, "const GrVertex* a");
    RequirePointer(b, thrower, "const GrVertex* b");
    RequirePointer(c, thrower, "const GrVertex* c");
    glide.renderer->DrawTriangle(a, b, c);
}

bool CheckPolygon(int count, const void* vertices, const char* thrower)
{
    if (count < 3) {
        return false;
    }
    RequirePointer(vertices, thrower, "const GrVertex vlist[]");
    return true;
}

void DrawPolygon(int count, const int* indices, const GrVertex* vertices, const char* thrower)
{
    ZelkGlide& glide = DrawTarget(thrower);
    if (!CheckPolygon(count, vertices, thrower)) {
        return;
    }
    RequirePointer(indices, thrower, "const int ilist[]");
    for (int i = 0; i < count; ++i) {
        if (indices[i] < 0) {
            throw ZelkException(thrower, false, "The parameter [ const int ilist[] ] is invalid.");
        }
    }
    if (glide.settings.renderer.useTriangleStrip) {
        glide.renderer->DrawPolygonStrip(count, indices, vertices);
    } else {
        glide.renderer->DrawPolygon(count, indices, vertices);
    }
}

void DrawPolygonVertexList(int count, const GrVertex* vertices, const char* thrower)
{
    ZelkGlide& glide = DrawTarget(thrower);
    if (!CheckPolygon(count, vertices, thrower)) {
        return;
    }
    if (glide.settings.renderer.useTriangleStrip) {
        glide.renderer->DrawPolygonVertexListStrip(count, vertices);
    } else {
        glide.renderer->DrawPolygonVertexList(count, vertices);
    }
}

void EndOfFrame()
{
    GetGlide()->Swap();
}

}  // namespace

// --- Drawing ------------------------------------------------------------------

void grDrawPoint(const GrVertex* pt) { DrawPoint(pt, "grDrawPoint"); }
void grAADrawPoint(const GrVertex* pt) { DrawPoint(pt, "grAADrawPoint"); }
void grDrawLine(const GrVertex* v1, const GrVertex* v2) { DrawLine(v1, v2, "grDrawLine"); }
void grAADrawLine(const GrVertex* v1, const GrVertex* v2) { DrawLine(v1, v2, "grAADrawLine"); }
void grDrawTriangle(const GrVertex* a, const GrVertex* b, const GrVertex* c) { DrawTriangle(a, b, c, "grDrawTriangle"); }
void guDrawTriangleWithClip(const GrVertex* a, const GrVertex* b, const GrVertex* c)
{
    DrawTriangle(a, b, c, "guDrawTriangleWithClip");
}
void guAADrawTriangleWithClip(const GrVertex* a, const GrVertex* b, const GrVertex* c)
{
    DrawTriangle(a, b, c, "guAADrawTriangleWithClip");
}
void grAADrawTriangle(const GrVertex* a, const GrVertex* b, const GrVertex* c, FxBool, FxBool, FxBool)
{
    DrawTriangle(a, b, c, "grAADrawTriangle");
}
void grDrawPolygon(int nverts, const int ilist[], const GrVertex vlist[])
{
    DrawPolygon(nverts, ilist, vlist, "grDrawPolygon");
}
void grDrawPlanarPolygon(int nverts, const int ilist[], const GrVertex vlist[])
{
    DrawPolygon(nverts, ilist, vlist, "grDrawPlanarPolygon");
}
void grAADrawPolygon(const int nverts, const int ilist[], const GrVertex vlist[])
{
    DrawPolygon(nverts, ilist, vlist, "grAADrawPolygon");
}
void grDrawPolygonVertexList(int nverts, const GrVertex vlist[])
{
    DrawPolygonVertexList(nverts, vlist, "grDrawPolygonVertexList");
}
void grDrawPlanarPolygonVertexList(int nverts, const GrVertex vlist[])
{
    DrawPolygonVertexList(nverts, vlist, "grDrawPlanarPolygonVertexList");
}
void grAADrawPolygonVertexList(const int nverts, const GrVertex vlist[])
{
    DrawPolygonVertexList(nverts, vlist, "grAADrawPolygonVertexList");
}
void guDrawPolygonVertexListWithClip(int nverts, const GrVertex vlist[])
{
    DrawPolygonVertexList(nverts, vlist, "guDrawPolygonVertexListWithClip");
}

// --- Buffers -------------------------------------------------------------------

void grBufferClear(GrColor_t color, GrAlpha_t alpha, FxU16 depth)
{
    ZelkGlide* glide = GetGlide();
    ZelkGrPrimitiveRenderer& renderer = glide->RequireRenderer("grBufferClear");
    const std::uint32_t converted = (glide->ConvertColor(color) & 0x00FFFFFFu) | (std::uint32_t(alpha) << 24);
    renderer.RecordClear(converted, static_cast<float>(depth & 0xFFFF) * 1.5259022e-05f);
}

void grBufferSwap(int) { EndOfFrame(); }

int grBufferNumPending()
{
    ZelkGlide* glide = GetGlide();
    if (!glide->renderer) {
        return 0;
    }
    const std::uint32_t pending = glide->renderer->GetPendingSwapCount();
    return static_cast<int>(pending < kMaxPendingSwaps ? pending : kMaxPendingSwaps);
}

void grRenderBuffer(GrBuffer_t buffer) { GetGlide()->RenderBuffer(buffer); }

// --- Board, window and status ------------------------------------------------------

FxBool grSstQueryBoards(GrHwConfiguration* hwconfig)
{
    RequirePointer(hwconfig, "grSstQueryBoards", "GrHwConfiguration* hwconfig");
    ZelkD3D* d3d = nullptr;
    try {
        d3d = ZelkD3D::GetD3D();
    } catch (ZelkException&) {
        // Direct3D cannot be created; the failure is logged.
    }
    if (!d3d) {
        hwconfig->num_sst = 0;
        return FXFALSE;
    }
    hwconfig->num_sst = d3d->GetAdapterCount() < 1 ? 0 : 1;
    return FXTRUE;
}

FxBool grSstQueryHardware(GrHwConfiguration* hwconfig) { return GetGlide()->QueryHardware(hwconfig); }

FxBool grSstWinOpen(FxU32 hWnd, GrScreenResolution_t screen_resolution, GrScreenRefresh_t refresh_rate,
                    GrColorFormat_t color_format, GrOriginLocation_t origin_location, int nColBuffers,
                    int nAuxBuffers)
{
    return GetGlide()->grSstWinOpen(hWnd, screen_resolution, refresh_rate, color_format, origin_location,
                                    nColBuffers, nAuxBuffers);
}

void grSstWinClose()
{
    GetGlide()->WinClose();
    DestroyGlide();
}

FxBool grSstControl(FxU32) { return FXTRUE; }
void grSstOrigin(GrOriginLocation_t origin) { GetGlide()->SstOrigin(origin); }
FxU32 grSstScreenWidth() { return GetGlide()->screenWidth; }
FxU32 grSstScreenHeight() { return GetGlide()->screenHeight; }
FxU32 grSstStatus()
{
    GetGlide();
    return kStatus;
}

void grSstIdle()
{
    ZelkGlide* glide = GetGlide();
    if (glide->renderer) {
        glide->renderer->WaitIdle();
    }
}

FxBool grSstIsBusy()
{
    ZelkGlide* glide = GetGlide();
    return glide->renderer && glide->renderer->GetPendingSwapCount() != 0 ? FXTRUE : FXFALSE;
}

FxU32 grSstVideoLine()
{
    GetGlide();
    return 0;
}

FxBool grSstVRetraceOn()
{
    GetGlide();
    return FXFALSE;
}

void grSstResetPerfStats() { CreateGlide(); }
void grResetTriStats() { CreateGlide(); }

// --- Rendering state ------------------------------------------------------------------

void grAlphaBlendFunction(GrAlphaBlendFnc_t rgb_sf, GrAlphaBlendFnc_t rgb_df, GrAlphaBlendFnc_t alpha_sf,
                          GrAlphaBlendFnc_t alpha_df)
{
    GetGlide()->AlphaBlendFunction(rgb_sf, rgb_df, alpha_sf, alpha_df);
}

void grAlphaCombine(GrCombineFunction_t function, GrCombineFactor_t factor, GrCombineLocal_t local,
                    GrCombineOther_t other, FxBool invert)
{
    GetGlide()->AlphaCombine(function, factor, local, other, static_cast<std::uint32_t>(invert));
}

void grAlphaControlsITRGBLighting(FxBool enable)
{
    GetGlide()->AlphaControlsITRGBLighting(static_cast<std::uint32_t>(enable));
}

void grAlphaTestFunction(GrCmpFnc_t function) { GetGlide()->AlphaTestFunction(function); }
void grAlphaTestReferenceValue(GrAlpha_t value) { GetGlide()->AlphaTestReferenceValue(value); }
void grChromakeyMode(GrChromakeyMode_t mode) { GetGlide()->ChromakeyMode(mode); }

void grChromakeyValue(GrColor_t value)
{
    ZelkGlide* glide = GetGlide();
    glide->ChromakeyValue(glide->ConvertColor(value));
}

void grClipWindow(FxU32 minx, FxU32 miny, FxU32 maxx, FxU32 maxy) { GetGlide()->ClipWindow(minx, miny, maxx, maxy); }

void grColorCombine(GrCombineFunction_t function, GrCombineFactor_t factor, GrCombineLocal_t local,
                    GrCombineOther_t other, FxBool invert)
{
    GetGlide()->ColorCombine(function, factor, local, other, static_cast<std::uint32_t>(invert));
}

void grColorMask(FxBool rgb, FxBool a)
{
    GetGlide()->ColorMask(static_cast<std::uint32_t>(rgb), static_cast<std::uint32_t>(a));
}

void grConstantColorValue(GrColor_t value)
{
    ZelkGlide* glide = GetGlide();
    glide->ConstantColorValue(glide->ConvertColor(value));
}

void grConstantColorValue4(float a, float r, float g, float b)
{
    GetGlide()->ConstantColorValue(PackConstantColor4(a, r, g, b));
}

void grCullMode(GrCullMode_t mode) { GetGlide()->CullMode(mode); }
void grDepthBiasLevel(FxI16 level) { GetGlide()->DepthBiasLevel(static_cast<std::uint16_t>(level)); }
void grDepthBufferFunction(GrCmpFnc_t function) { GetGlide()->DepthBufferFunction(function); }
void grDepthBufferMode(GrDepthBufferMode_t mode) { GetGlide()->DepthBufferMode(mode); }
void grDepthMask(FxBool mask) { GetGlide()->DepthMask(static_cast<std::uint32_t>(mask)); }
void grDisableAllEffects() { GetGlide()->DisableAllEffects(); }
void grDitherMode(GrDitherMode_t mode) { GetGlide()->DitherMode(mode); }

void grFogColorValue(GrColor_t fogcolor)
{
    ZelkGlide* glide = GetGlide();
    glide->FogColorValue(glide->ConvertColor(fogcolor));
}

void grFogMode(GrFogMode_t mode) { GetGlide()->FogMode(mode); }

void grFogTable(const GrFog_t ft[])
{
    ZelkGrPrimitiveRenderer& renderer = GetGlide()->RequireRenderer("grFogTable");
    RequirePointer(ft, "grFogTable", "const GrFog_t ft[]");
    renderer.RecordFogTable(ft);
}

void grGammaCorrectionValue(float value) { GetGlide()->GammaCorrectionValue(value); }
void grHints(GrHint_t hintType, FxU32 hintMask) { GetGlide()->Hints(hintType, hintMask); }

// --- Glide management --------------------------------------------------------------------

void grGlideInit()
{
    CreateGlide();
    GetGlide();
}

void grGlideShutdown()
{
    GetGlide();
    DestroyGlide();
}

void grGlideGetVersion(char version[80])
{
    RequirePointer(version, "grGlideGetVersion", "char version[80]");
    std::memcpy(version, kVersion, std::strlen(kVersion) + 1);
}

void grGlideGetState(GrState* state)
{
    ZelkGlide* glide = GetGlide();
    RequirePointer(state, "grGlideGetState", "GrState* state");
    glide->GetState(state);
}

void grGlideSetState(const GrState* state)
{
    ZelkGlide* glide = GetGlide();
    RequirePointer(state, "grGlideSetState", "const GrState* state");
    glide->SetState(state);
}

// --- Utility library ------------------------------------------------------------------------

void guAlphaSource(GrAlphaSource_t mode)
{
    ZelkGlide* glide = GetGlide();
    CombineArguments arguments;
    if (AlphaSourceArguments(mode, arguments)) {
        glide->AlphaCombine(arguments.function, arguments.factor, arguments.local, arguments.other, arguments.invert);
    }
}

void guColorCombineFunction(GrColorCombineFnc_t fnc)
{
    ZelkGlide* glide = GetGlide();
    CombineArguments arguments;
    if (ColorCombineArguments(fnc, arguments)) {
        glide->ColorCombine(arguments.function, arguments.factor, arguments.local, arguments.other, arguments.invert);
    }
}

float guFogTableIndexToW(int i) { return FogTableIndexToW(i); }

void guFogGenerateExp(GrFog_t fogtable[], float density)
{
    RequirePointer(fogtable, "guFogGenerateExp", "GrFog_t fogtable[]");
    FogGenerateExp(fogtable, density);
}

void guFogGenerateExp2(GrFog_t fogtable[], float density)
{
    RequirePointer(fogtable, "guFogGenerateExp2", "GrFog_t fogtable[]");
    FogGenerateExp2(fogtable, density);
}

void guFogGenerateLinear(GrFog_t fogtable[], float nearZ, float farZ)
{
    RequirePointer(fogtable, "guFogGenerateLinear", "GrFog_t fogtable[]");
    FogGenerateLinear(fogtable, nearZ, farZ);
}

FxU32 guEndianSwapWords(FxU32 value) { return (value << 16) | (value >> 16); }
FxU16 guEndianSwapBytes(FxU16 value) { return static_cast<FxU16>(((value & 0xFF) << 8) | (value >> 8)); }

int guEncodeRLE16(void*, void*, FxU32, FxU32)
{
    GetGlide();
    return 0;
}

// --- Inert entry points: they only make sure the front end exists. ----------------------------

void grSplash(float, float, float, float, FxU32) { GetGlide(); }
void grCheckForRoom(FxI32) { GetGlide(); }
void grErrorSetCallback(GrErrorCallbackFnc_t) { GetGlide(); }
void grGlideShamelessPlug(const FxBool) { GetGlide(); }
void grSstPerfStats(GrSstPerfStats_t*) { GetGlide(); }
void grSstSelect(int) { GetGlide(); }
void grTriStats(FxU32*, FxU32*) { GetGlide(); }

FxI32 grGetImpl(FxU32, FxU32, FxI32*)
{
    GetGlide();
    return 0;
}

const char* grGetStringImpl(FxU32)
{
    GetGlide();
    return nullptr;
}

FxBool grResetImpl(FxU32)
{
    GetGlide();
    return 0;
}

GrProc grGetProcAddressImpl(char*)
{
    GetGlide();
    return nullptr;
}

void grEnableImpl(FxU32) { GetGlide(); }
void grDisableImpl(FxU32) { GetGlide(); }
void grCoordinateSpaceImpl(FxU32) { GetGlide(); }
void grDepthRangeImpl(FxFloat, FxFloat) { GetGlide(); }
void grViewportImpl(FxI32, FxI32, FxI32, FxI32) { GetGlide(); }
void grVertexLayoutImpl(FxU32, FxI32, FxU32) { GetGlide(); }
void grDrawVertexArrayImpl(FxU32, FxU32, void*) { GetGlide(); }
void grDrawVertexArrayLinearImpl(FxU32, FxU32, void*, FxU32) { GetGlide(); }
void grLoadGammaTableImpl(FxU32, FxU32*, FxU32*, FxU32*) { GetGlide(); }
void guGammaCorrectionRGBImpl(FxFloat, FxFloat, FxFloat) { GetGlide(); }
void grFinishImpl() { EndOfFrame(); }
void grFlushImpl() { EndOfFrame(); }

}  // namespace glidebody
}  // namespace zelk
