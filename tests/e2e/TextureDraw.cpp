// Rodoz2o.dll loaded by name reads 3DF files, downloads their mip maps into
// texture memory, binds them and draws them: the pixels on the window show
// the file's texels.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "common/TestWindow.h"
#include "glide/Glide2.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

// Settings for a windowed device with the software vertex path and the
// fixed-function texel pipeline.
class Settings {
public:
    Settings()
    {
        Remove();
        Set("direct3d device setting", "use window mode", 1);
        Set("primitive rendering", "vertex convert function type", 0);
        Set("primitive rendering", "texel blending function type", 0);
        Set("texture setting", "create mipmap", 0);
    }
    ~Settings() { Remove(); }

private:
    static void Set(const char* subkey, const char* name, DWORD value)
    {
        const std::string path = std::string("Software\\zelkGlide\\") + subkey;
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
            ERROR_SUCCESS) {
            RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
            RegCloseKey(key);
        }
    }
    static void Remove()
    {
        HKEY software = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_ALL_ACCESS, &software) == ERROR_SUCCESS) {
            RegDeleteTreeA(software, "zelkGlide");
            RegCloseKey(software);
        }
    }
};

// The Glide entry points the test calls, by their export names.
struct Glide {
    explicit Glide(HMODULE module) : module(module) {}
    template <typename Function>
    Function* Get(const char* name) const
    {
        FARPROC address = GetProcAddress(module, name);
        EXPECT_NE(address, nullptr) << name;
        return reinterpret_cast<Function*>(address);
    }
    HMODULE module;
};

using GlideInitFn = void FX_CALL();
using WinOpenFn = FxBool FX_CALL(FxU32, GrScreenResolution_t, GrScreenRefresh_t, GrColorFormat_t, GrOriginLocation_t,
                                 int, int);
using VoidFn = void FX_CALL();
using Get3dfFn = FxBool FX_CALL(const char*, Gu3dfInfo*);
using DownloadFn = void FX_CALL(GrChipID_t, FxU32, FxU32, GrTexInfo*);
using MemRequiredFn = FxU32 FX_CALL(FxU32, GrTexInfo*);
using AddressFn = FxU32 FX_CALL(GrChipID_t);
using CombineFnFn = void FX_CALL(GrChipID_t, GrTextureCombineFnc_t);
using ColorCombineFn = void FX_CALL(GrCombineFunction_t, GrCombineFactor_t, GrCombineLocal_t, GrCombineOther_t,
                                    FxBool);
using FilterFn = void FX_CALL(GrChipID_t, GrTextureFilterMode_t, GrTextureFilterMode_t);
using MipMapModeFn = void FX_CALL(GrChipID_t, GrMipMapMode_t, FxBool);
using ClearFn = void FX_CALL(GrColor_t, GrAlpha_t, FxU16);
using SwapFn = void FX_CALL(int);
using TriangleFn = void FX_CALL(const GrVertex*, const GrVertex*, const GrVertex*);

std::string TestFile(const char* name)
{
    return std::string(ZELK_TESTDATA_DIR) + "/3df/" + name;
}

std::vector<BYTE> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<BYTE>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A 16-bit texel as 8-bit red, green and blue, widened by repeating the
// top bits.
DWORD Expand(unsigned value, unsigned bits)
{
    return (value << (8 - bits)) | (value >> (2 * bits - 8));
}

DWORD Rgb565(unsigned texel)
{
    return (Expand((texel >> 11) & 31, 5) << 16) | (Expand((texel >> 5) & 63, 6) << 8) | Expand(texel & 31, 5);
}

DWORD Argb1555(unsigned texel)
{
    return (Expand((texel >> 10) & 31, 5) << 16) | (Expand((texel >> 5) & 31, 5) << 8) | Expand(texel & 31, 5);
}

DWORD Argb4444(unsigned texel)
{
    return (Expand((texel >> 8) & 15, 4) << 16) | (Expand((texel >> 4) & 15, 4) << 8) | Expand(texel & 15, 4);
}

bool Near(DWORD expected, DWORD actual, int tolerance)
{
    for (int shift = 0; shift < 24; shift += 8) {
        if (std::abs(static_cast<int>((expected >> shift) & 0xFF) - static_cast<int>((actual >> shift) & 0xFF)) >
            tolerance) {
            return false;
        }
    }
    return true;
}

// The window's client pixel as 0x00RRGGBB.
DWORD WindowPixel(HWND window, int x, int y)
{
    HDC dc = GetDC(window);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}

GrVertex Vertex(float x, float y, float s, float t)
{
    GrVertex v = {};
    v.x = x;
    v.y = y;
    v.oow = 1.0f;
    v.tmuvtx[0].sow = s;
    v.tmuvtx[0].tow = t;
    v.tmuvtx[0].oow = 1.0f;
    return v;
}

struct FileCase {
    const char* name;
    size_t bodyOffset;
    DWORD (*colour)(unsigned texel);
};

TEST(TextureDraw, MipMapsFrom3dfFilesAreDrawnAsTheFilesHoldThem)
{
    Settings settings;
    zelktest::TestWindow window(kWidth, kHeight, "zelk texture draw");
    HMODULE module = LoadLibraryA("Rodoz2o.dll");
    ASSERT_NE(module, nullptr);
    const Glide glide(module);

    glide.Get<GlideInitFn>("_grGlideInit@0")();
    ASSERT_EQ(glide.Get<WinOpenFn>("_grSstWinOpen@28")(reinterpret_cast<FxU32>(window.Handle()),
                                                       GR_RESOLUTION_640x480, GR_REFRESH_60Hz, GR_COLORFORMAT_ARGB,
                                                       GR_ORIGIN_UPPER_LEFT, 2, 1),
              FXTRUE);
    glide.Get<ColorCombineFn>("_grColorCombine@20")(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE,
                                                    GR_COMBINE_LOCAL_NONE, GR_COMBINE_OTHER_TEXTURE, FXFALSE);
    glide.Get<CombineFnFn>("_grTexCombineFunction@8")(GR_TMU0, GR_TEXTURECOMBINE_DECAL);
    glide.Get<FilterFn>("_grTexFilterMode@12")(GR_TMU0, GR_TEXTUREFILTER_POINT_SAMPLED,
                                               GR_TEXTUREFILTER_POINT_SAMPLED);
    glide.Get<MipMapModeFn>("_grTexMipMapMode@12")(GR_TMU0, GR_MIPMAP_DISABLE, FXFALSE);

    const FileCase files[] = {
        {"rgb565.3df", 51, &Rgb565},
        {"argb1555.3df", 53, &Argb1555},
        {"argb4444.3df", 53, &Argb4444},
    };
    FxU32 address = glide.Get<AddressFn>("_grTexMinAddress@4")(GR_TMU0);
    for (const FileCase& file : files) {
        SCOPED_TRACE(file.name);
        const std::string path = TestFile(file.name);
        Gu3dfInfo info = {};
        ASSERT_EQ(glide.Get<Get3dfFn>("_gu3dfGetInfo@8")(path.c_str(), &info), FXTRUE);
        std::vector<BYTE> texels(info.mem_required);
        info.data = texels.data();
        ASSERT_EQ(glide.Get<Get3dfFn>("_gu3dfLoad@8")(path.c_str(), &info), FXTRUE);

        GrTexInfo texture = {info.header.small_lod, info.header.large_lod, info.header.aspect_ratio,
                             info.header.format, info.data};
        glide.Get<DownloadFn>("_grTexDownloadMipMap@16")(GR_TMU0, address, GR_MIPMAPLEVELMASK_BOTH, &texture);
        glide.Get<DownloadFn>("_grTexSource@16")(GR_TMU0, address, GR_MIPMAPLEVELMASK_BOTH, &texture);
        address += glide.Get<MemRequiredFn>("_grTexTextureMemRequired@8")(GR_MIPMAPLEVELMASK_BOTH, &texture);

        // The 256x256 level 0 over the window's top-left 256x256 pixels.
        glide.Get<ClearFn>("_grBufferClear@12")(0, 0, 0);
        const GrVertex a = Vertex(0, 0, 0, 0), b = Vertex(256, 0, 256, 0), c = Vertex(256, 256, 256, 256),
                       d = Vertex(0, 256, 0, 256);
        glide.Get<TriangleFn>("_grDrawTriangle@12")(&a, &b, &c);
        glide.Get<TriangleFn>("_grDrawTriangle@12")(&a, &c, &d);
        glide.Get<SwapFn>("_grBufferSwap@4")(0);
        glide.Get<VoidFn>("_grSstIdle@0")();
        zelktest::TestWindow::PumpMessages();

        const std::vector<BYTE> bytes = ReadBytes(path);
        int wrong = 0;
        for (int y = 5; y < 256; y += 25) {
            for (int x = 3; x < 256; x += 25) {
                const size_t at = file.bodyOffset + 2 * (static_cast<size_t>(y) * 256 + x);
                const DWORD expected = file.colour((bytes[at] << 8) | bytes[at + 1]);
                const DWORD actual = WindowPixel(window.Handle(), x, y);
                if (!Near(expected, actual, 8)) {
                    ADD_FAILURE() << "pixel " << x << "," << y << ": expected 0x" << std::hex << expected << ", got 0x"
                                  << actual;
                    if (++wrong == 5) {
                        break;
                    }
                }
            }
        }
    }

    glide.Get<VoidFn>("_grSstWinClose@0")();
    glide.Get<VoidFn>("_grGlideShutdown@0")();
    FreeLibrary(module);
}

}  // namespace
