#include "framework/ZelkD3DFont.h"

#include "framework/ZelkD3DFormats.h"
#include "framework/ZelkException.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>
#include <type_traits>

namespace zelk {

namespace {

const char* const kConstructorName = "ZelkD3DFont::ZelkD3DFont";
const char* const kDrawName = "ZelkD3DFont::Draw";
const char* const kCreateTextureFailed = "The function [ IDirect3DDevice9::CreateTexture ] failed.";
const char* const kCreateFontFailed = "The function [ WIN32API::CreateFont ] failed.";
const char* const kCreateDcFailed = "The function [ WIN32API::CreateCompatibleDC ] failed.";
const char* const kCreateDibSectionFailed = "The function [ WIN32API::CreateDIBSection ] failed.";
const char* const kCreateOrUpdateTextureFailed =
    "Either the function [ IDirect3DDevice9::CreateTexture ] or the function [ IDirect3DDevice9::UpdateTexture ]"
    "failed.";
const char* const kCreateVertexBufferFailed = "The function [ IDirect3DDevice9::CreateVertexBuffer ] failed.";
const char* const kLockFailed = "The function [ IDirect3DVertexBuffer9::Lock ] failed.";
const char* const kDrawPrimitiveUpFailed = "The function [ IDirect3DDevice9::DrawPrimitiveUP ] failed.";
const char* const kDrawPrimitiveFailed = "The function [ IDirect3DDevice9::DrawPrimitive ] failed.";
const char* const kBeginStateBlockFailed = "The function [ IDirect3DDevice9::BeginStateBlock ] failed.";
const char* const kEndStateBlockFailed = "The function [ IDirect3DDevice9::EndStateBlock ] failed.";
const char* const kCaptureFailed = "The function [ IDirect3DStateBlock9::Capture ] failed.";

constexpr UINT kVerticesPerGlyph = 6;
constexpr DWORD kGlyphFvf = D3DFVF_XYZRHW | D3DFVF_TEX1;  // 0x104
constexpr DWORD kBackgroundFvf = D3DFVF_XYZRHW;           // 4
constexpr DWORD kAlphaReference = 8;
constexpr float kBackgroundMarginFraction = 0.05f;

struct GlyphVertex {
    float x, y, z, rhw;
    float u, v;
};
static_assert(sizeof(GlyphVertex) == 24, "glyph vertices are 24 bytes");

struct BackgroundVertex {
    float x, y, z, rhw;
};
static_assert(sizeof(BackgroundVertex) == 16, "background vertices are 16 bytes");

// Atlas edge in texels for a point size.
UINT AtlasSizeForPointSize(INT pointSize)
{
    if (pointSize > 40) {
        return 1024;
    }
    return pointSize > 20 ? 512 : 256;
}

// ---------------------------------------------------------------------------
// GDI handles.

struct DcDeleter {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
using DcHolder = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;
using BitmapHolder = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiObjectDeleter>;
using FontHolder = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;

// Selects an object into a device context and puts the previous one back,
// so that the object is no longer selected when it is deleted.
class GdiSelection {
public:
    GdiSelection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~GdiSelection()
    {
        if (previous_ && previous_ != HGDI_ERROR) {
            SelectObject(dc_, previous_);
        }
    }
    GdiSelection(const GdiSelection&) = delete;
    GdiSelection& operator=(const GdiSelection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// Renders the glyphs of the characters 32 to 126 with GDI, appends their
// rectangles and copies the coverage into the system-memory texture as
// white A4R4G4B4 texels.
void RenderGlyphAtlas(IDirect3DTexture9* staging, UINT size, float textureScale, const char* faceName,
                      INT pointSize, bool bold, bool italic, std::vector<ZelkD3DFontGlyphRect>& glyphRects)
{
    DcHolder dc(CreateCompatibleDC(nullptr));
    if (!dc) {
        throw ZelkWin32Exception(kConstructorName, kCreateDcFailed);
    }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = static_cast<LONG>(size);
    info.bmiHeader.biHeight = -static_cast<LONG>(size);  // rows run top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bitmapBits = nullptr;
    BitmapHolder bitmap(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bitmapBits, nullptr, 0));
    if (!bitmap || !bitmapBits) {
        throw ZelkWin32Exception(kConstructorName, kCreateDibSectionFailed);
    }
    SetMapMode(dc.get(), MM_TEXT);

    const int pixelsPerInch = static_cast<int>(GetDeviceCaps(dc.get(), LOGPIXELSY) * textureScale);
    const int height = -MulDiv(pointSize, pixelsPerInch, 72);
    FontHolder font(CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic ? TRUE : FALSE, FALSE, FALSE,
                                DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                                VARIABLE_PITCH, faceName));
    if (!font) {
        throw ZelkWin32Exception(kConstructorName, kCreateFontFailed);
    }

    {
        GdiSelection bitmapSelection(dc.get(), bitmap.get());
        GdiSelection fontSelection(dc.get(), font.get());
        SetTextColor(dc.get(), RGB(255, 255, 255));
        SetBkColor(dc.get(), RGB(0, 0, 0));
        SetTextAlign(dc.get(), TA_LEFT | TA_TOP);

        const float atlasSize = static_cast<float>(size);
        LONG x = 0;
        LONG y = 0;
        for (unsigned c = ZelkD3DFont::kFirstGlyph; c <= ZelkD3DFont::kLastGlyph; ++c) {
            const char character = static_cast<char>(c);
            SIZE extent = {};
            GetTextExtentPoint32A(dc.get(), &character, 1, &extent);
            if (x + extent.cx + 1 > static_cast<LONG>(size)) {
                x = 0;
                y += extent.cy + 1;
            }
            ExtTextOutA(dc.get(), x, y, ETO_OPAQUE, nullptr, &character, 1, nullptr);
            glyphRects.push_back({x / atlasSize, y / atlasSize, (x + extent.cx) / atlasSize,
                                  (y + extent.cy) / atlasSize});
            x += extent.cx + 1;
        }
        GdiFlush();
    }

    D3DLOCKED_RECT locked = {};
    if (SUCCEEDED(staging->LockRect(0, &locked, nullptr, 0))) {
        const UINT texelBytes = GetFormatBytesPerPixel(D3DFMT_A4R4G4B4);
        const DWORD* source = static_cast<const DWORD*>(bitmapBits);
        BYTE* row = static_cast<BYTE*>(locked.pBits);
        for (UINT ty = 0; ty < size; ++ty, row += locked.Pitch, source += size) {
            for (UINT tx = 0; tx < size; ++tx) {
                const WORD alpha = static_cast<WORD>((source[tx] >> 4) & 0xF);  // bits 4 to 7 of blue
                const WORD texel = alpha ? static_cast<WORD>((alpha << 12) | 0x0FFF) : 0;
                std::memcpy(row + tx * texelBytes, &texel, sizeof texel);
            }
        }
        staging->UnlockRect(0);
    }
}

// ---------------------------------------------------------------------------
// The device state that drawing an item changes.

const D3DRENDERSTATETYPE kSavedRenderStates[] = {
    D3DRS_ALPHABLENDENABLE, D3DRS_BLENDOP,     D3DRS_SRCBLEND,      D3DRS_DESTBLEND, D3DRS_SEPARATEALPHABLENDENABLE,
    D3DRS_ALPHATESTENABLE,  D3DRS_ALPHAREF,    D3DRS_ALPHAFUNC,     D3DRS_ZENABLE,   D3DRS_STENCILENABLE,
    D3DRS_FILLMODE,         D3DRS_CULLMODE,    D3DRS_SHADEMODE,     D3DRS_FOGENABLE, D3DRS_TEXTUREFACTOR,
};

struct StageStateName {
    DWORD stage;
    D3DTEXTURESTAGESTATETYPE type;
};
const StageStateName kSavedStageStates[] = {
    {0, D3DTSS_COLOROP},   {0, D3DTSS_COLORARG1}, {0, D3DTSS_COLORARG2}, {0, D3DTSS_ALPHAOP},
    {0, D3DTSS_ALPHAARG1}, {0, D3DTSS_ALPHAARG2}, {0, D3DTSS_RESULTARG}, {0, D3DTSS_TEXCOORDINDEX},
    {1, D3DTSS_COLOROP},   {1, D3DTSS_ALPHAOP},
};

const D3DSAMPLERSTATETYPE kSavedSamplerStates[] = {
    D3DSAMP_ADDRESSU, D3DSAMP_ADDRESSV, D3DSAMP_MAGFILTER, D3DSAMP_MINFILTER, D3DSAMP_MIPFILTER,
};

// Sets every state in the tables, and the objects an item draws with, to
// placeholder values: between BeginStateBlock and EndStateBlock this only
// names what the block holds.
void NameDrawStates(IDirect3DDevice9* device)
{
    device->SetVertexShader(nullptr);
    device->SetPixelShader(nullptr);
    device->SetVertexDeclaration(nullptr);
    device->SetStreamSource(0, nullptr, 0, 0);
    device->SetTexture(0, nullptr);
    for (const D3DRENDERSTATETYPE state : kSavedRenderStates) {
        device->SetRenderState(state, 0);
    }
    for (const StageStateName& state : kSavedStageStates) {
        device->SetTextureStageState(state.stage, state.type, 0);
    }
    for (const D3DSAMPLERSTATETYPE state : kSavedSamplerStates) {
        device->SetSamplerState(0, state, 0);
    }
}

// Captures the block's states on construction and applies them back on
// destruction: also when drawing the item fails.  Capturing a recorded
// block asks the device for nothing, so this also works on a pure device,
// which answers no Get call for these states.
class SavedDrawState {
public:
    explicit SavedDrawState(IDirect3DStateBlock9* block) : block_(block)
    {
        const HRESULT result = block_->Capture();
        if (FAILED(result)) {
            throw ZelkException(kDrawName, result, kCaptureFailed);
        }
    }
    ~SavedDrawState() { block_->Apply(); }

    SavedDrawState(const SavedDrawState&) = delete;
    SavedDrawState& operator=(const SavedDrawState&) = delete;

private:
    IDirect3DStateBlock9* block_;
};

}  // namespace

// ---------------------------------------------------------------------------

ZelkD3DFont::ZelkD3DFont(IDirect3DDevice9* drawDevice, const char* faceName, UINT characterCapacity,
                         INT pointSize, bool bold, bool italic)
    : device(drawDevice), textureScale(1.0f), maxVertexCount(kVerticesPerGlyph * characterCapacity)
{
    if (!device) {
        return;
    }
    try {
        if (characterCapacity > UINT_MAX / kVerticesPerGlyph / sizeof(GlyphVertex)) {
            throw ZelkException(kConstructorName, E_OUTOFMEMORY, kCreateVertexBufferFailed);
        }
        Build(faceName, pointSize, bold, italic);
    } catch (ZelkException& e) {
        WriteErrorLog(e);
        textureScale = 1.0f;
        maxVertexCount = 0;
        glyphRects.clear();
        texture = nullptr;
        vertexBuffer = nullptr;
        stateBlock = nullptr;
        throw;
    }
}

ZelkD3DFont::~ZelkD3DFont() = default;

void ZelkD3DFont::Build(const char* faceName, INT pointSize, bool bold, bool italic)
{
    D3DCAPS9 caps = {};
    device->GetDeviceCaps(&caps);
    UINT size = AtlasSizeForPointSize(pointSize);
    if (caps.MaxTextureWidth < size) {
        textureScale = static_cast<float>(caps.MaxTextureWidth) / static_cast<float>(size);
        size = caps.MaxTextureWidth;
    }

    IDirect3DTexture9Ptr staging;
    HRESULT result = device->CreateTexture(size, size, 1, 0, D3DFMT_A4R4G4B4, D3DPOOL_SYSTEMMEM, &staging, nullptr);
    if (FAILED(result)) {
        throw ZelkException(kConstructorName, result, kCreateTextureFailed);
    }

    RenderGlyphAtlas(staging, size, textureScale, faceName, pointSize, bold, italic, glyphRects);

    result = device->CreateTexture(size, size, 1, 0, D3DFMT_A4R4G4B4, D3DPOOL_DEFAULT, &texture, nullptr);
    if (SUCCEEDED(result)) {
        result = device->UpdateTexture(staging, texture);
    }
    if (FAILED(result)) {
        throw ZelkException(kConstructorName, result, kCreateOrUpdateTextureFailed);
    }

    result = device->CreateVertexBuffer(maxVertexCount * sizeof(GlyphVertex), D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY,
                                        kGlyphFvf, D3DPOOL_DEFAULT, &vertexBuffer, nullptr);
    if (FAILED(result)) {
        throw ZelkException(kConstructorName, result, kCreateVertexBufferFailed);
    }

    result = device->BeginStateBlock();
    if (FAILED(result)) {
        throw ZelkException(kConstructorName, result, kBeginStateBlockFailed);
    }
    NameDrawStates(device);
    result = device->EndStateBlock(&stateBlock);
    if (FAILED(result)) {
        throw ZelkException(kConstructorName, result, kEndStateBlockFailed);
    }
}

void ZelkD3DFont::Draw(D3DCOLOR backgroundColor, bool linearFilter, bool clearItems)
{
    if (!textItems.empty()) {
        D3DSURFACE_DESC description = {};
        texture->GetLevelDesc(0, &description);
        const float atlasWidth = static_cast<float>(description.Width) / textureScale;
        try {
            for (const ZelkD3DFontTextItem& item : textItems) {
                DrawItem(item, atlasWidth, backgroundColor, linearFilter);
            }
        } catch (ZelkException& e) {
            WriteErrorLog(e);
            throw;
        }
    }
    if (clearItems) {
        textItems.clear();
    }
}

void ZelkD3DFont::DrawItem(const ZelkD3DFontTextItem& item, float atlasWidth, D3DCOLOR backgroundColor,
                           bool linearFilter)
{
    void* locked = nullptr;
    HRESULT result = vertexBuffer->Lock(0, 0, &locked, D3DLOCK_DISCARD);
    if (FAILED(result)) {
        throw ZelkException(kDrawName, result, kLockFailed);
    }
    GlyphVertex* vertices = static_cast<GlyphVertex*>(locked);

    // The atlas is square, so a line is as high as the space's glyph scaled
    // like the glyph quads.
    const float lineHeight = glyphRects.empty() ? 0.0f : (glyphRects[0].bottom - glyphRects[0].top) * atlasWidth;
    float penX = item.x;
    float penY = item.y;
    float boxLeft = FLT_MAX;
    float boxTop = FLT_MAX;
    float boxRight = -FLT_MAX;
    float boxBottom = -FLT_MAX;
    UINT written = 0;
    for (const char character : item.text) {
        if (written + kVerticesPerGlyph > maxVertexCount) {
            break;
        }
        const unsigned code = static_cast<unsigned char>(character);
        if (code == '\n') {
            penX = item.x;
            penY += lineHeight;
            continue;
        }
        if (code < kFirstGlyph || code > kLastGlyph || code - kFirstGlyph >= glyphRects.size()) {
            continue;
        }
        const ZelkD3DFontGlyphRect& glyph = glyphRects[code - kFirstGlyph];
        const float width = (glyph.right - glyph.left) * atlasWidth;
        const float height = (glyph.bottom - glyph.top) * atlasWidth;
        const float left = penX - 0.5f;
        const float top = penY - 0.5f;
        const float right = penX + width - 0.5f;
        const float bottom = penY + height - 0.5f;
        penX += width;

        const GlyphVertex quad[kVerticesPerGlyph] = {
            {left, bottom, 0.5f, 1.0f, glyph.left, glyph.bottom},
            {left, top, 0.5f, 1.0f, glyph.left, glyph.top},
            {right, bottom, 0.5f, 1.0f, glyph.right, glyph.bottom},
            {right, top, 0.5f, 1.0f, glyph.right, glyph.top},
            {right, bottom, 0.5f, 1.0f, glyph.right, glyph.bottom},
            {left, top, 0.5f, 1.0f, glyph.left, glyph.top},
        };
        std::memcpy(vertices + written, quad, sizeof quad);
        written += kVerticesPerGlyph;

        boxLeft = std::min(boxLeft, left);
        boxTop = std::min(boxTop, top);
        boxRight = std::max(boxRight, right);
        boxBottom = std::max(boxBottom, bottom);
    }
    vertexBuffer->Unlock();
    if (written == 0) {
        return;
    }

    const SavedDrawState saved(stateBlock);

    device->SetVertexShader(nullptr);
    device->SetPixelShader(nullptr);
    device->SetVertexDeclaration(nullptr);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device->SetRenderState(D3DRS_STENCILENABLE, FALSE);
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
    device->SetRenderState(D3DRS_FOGENABLE, FALSE);
    device->SetTextureStageState(0, D3DTSS_RESULTARG, D3DTA_CURRENT);
    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);

    if ((backgroundColor >> 24) != 0) {
        device->SetFVF(kBackgroundFvf);
        device->SetTexture(0, nullptr);
        device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TFACTOR);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TFACTOR);
        const float margin = std::fabs(kBackgroundMarginFraction * std::min(boxRight - boxLeft, boxBottom - boxTop));
        const BackgroundVertex box[4] = {
            {boxLeft - margin, boxTop - margin, 0.0f, 1.0f},
            {boxRight + margin, boxTop - margin, 0.0f, 1.0f},
            {boxLeft - margin, boxBottom + margin, 0.0f, 1.0f},
            {boxRight + margin, boxBottom + margin, 0.0f, 1.0f},
        };
        device->SetRenderState(D3DRS_TEXTUREFACTOR, backgroundColor);
        result = device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, box, sizeof(BackgroundVertex));
        if (FAILED(result)) {
            throw ZelkException(kDrawName, result, kDrawPrimitiveUpFailed);
        }
    }

    device->SetFVF(kGlyphFvf);
    device->SetStreamSource(0, vertexBuffer, 0, sizeof(GlyphVertex));
    device->SetTexture(0, texture);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHAREF, kAlphaReference);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TFACTOR);
    if (linearFilter) {
        device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    }
    device->SetRenderState(D3DRS_TEXTUREFACTOR, item.color);
    result = device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, written / 3);
    if (FAILED(result)) {
        throw ZelkException(kDrawName, result, kDrawPrimitiveFailed);
    }
}

}  // namespace zelk
