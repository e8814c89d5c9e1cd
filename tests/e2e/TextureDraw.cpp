// Rodoz2o.dll loaded by name reads 3DF files, downloads their mip maps into
// texture memory, binds them and draws them: the pixels on the window show
// the file's texels.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "common/DeviceFixture.h"
#include "common/TestSettingsKey.h"
#include "common/TestWindow.h"
#include "common/TextureFiles.h"
#include "glideapi/Glide2.h"

namespace {

using zelktest::Argb1555;
using zelktest::Argb4444;
using zelktest::ReadBytes;
using zelktest::Rgb565;
using zelktest::TexturedVertex;

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

// The virtual display offers only its own size, 1024x768.
// Settings for a windowed device with the software vertex path, the
// fixed-function texel pipeline and a readable back buffer.
class Settings {
public:
    Settings()
    {
        Remove();
        Set("direct3d device setting", "use window mode", 1);
        Set("primitive rendering", "vertex convert function type", 0);
        Set("primitive rendering", "texel blending function type", 0);
        Set("texture setting", "create mipmap", 0);
        Set("lfb accessing", "enable back buffer reading", 1);
    }
    ~Settings() { Remove(); }

private:
    static void Set(const char* subkey, const char* name, DWORD value)
    {
        zelktest::WriteHkcuValue(std::string(zelktest::kSettingsRoot) + "\\" + subkey, name, value);
    }
    static void Remove() { zelktest::DeleteHkcuTree(zelktest::kSettingsRoot); }
};

// The Glide entry points the test calls, by their export names.
struct Glide {
    explicit Glide(HMODULE module) : module(module) {}
    template <typename Function>
    Function* Get(const char* name) const
    {
        FARPROC address = GetProcAddress(module, name);
        EXPECT_NE(address, nullptr) << name;
        return reinterpret_cast<Function*>(reinterpret_cast<void*>(address));
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
using LockFn = FxBool FX_CALL(GrLock_t, GrBuffer_t, GrLfbWriteMode_t, GrOriginLocation_t, FxBool, GrLfbInfo_t*);
using UnlockFn = FxBool FX_CALL(GrLock_t, GrBuffer_t);

std::string ReadLog()
{
    const std::vector<BYTE> bytes = ReadBytes("vezoRerez.log");
    return std::string(bytes.begin(), bytes.end());
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

    glide.Get<GlideInitFn>(ZELK_GLIDE_EXPORT_NAME(grGlideInit, 0))();
    ASSERT_EQ(glide.Get<WinOpenFn>(ZELK_GLIDE_EXPORT_NAME(grSstWinOpen, 28))(static_cast<FxU32>(reinterpret_cast<ULONG_PTR>(window.Handle())),
                                                       GR_RESOLUTION_1024x768, GR_REFRESH_60Hz, GR_COLORFORMAT_ARGB,
                                                       GR_ORIGIN_UPPER_LEFT, 2, 1),
              FXTRUE)
        << ReadLog();
    glide.Get<ColorCombineFn>(ZELK_GLIDE_EXPORT_NAME(grColorCombine, 20))(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE,
                                                    GR_COMBINE_LOCAL_NONE, GR_COMBINE_OTHER_TEXTURE, FXFALSE);
    glide.Get<CombineFnFn>(ZELK_GLIDE_EXPORT_NAME(grTexCombineFunction, 8))(GR_TMU0, GR_TEXTURECOMBINE_DECAL);
    glide.Get<FilterFn>(ZELK_GLIDE_EXPORT_NAME(grTexFilterMode, 12))(GR_TMU0, GR_TEXTUREFILTER_POINT_SAMPLED,
                                               GR_TEXTUREFILTER_POINT_SAMPLED);
    glide.Get<MipMapModeFn>(ZELK_GLIDE_EXPORT_NAME(grTexMipMapMode, 12))(GR_TMU0, GR_MIPMAP_DISABLE, FXFALSE);

    const FileCase files[] = {
        {"rgb565.3df", 51, &Rgb565},
        {"argb1555.3df", 53, &Argb1555},
        {"argb4444.3df", 53, &Argb4444},
    };
    FxU32 address = glide.Get<AddressFn>(ZELK_GLIDE_EXPORT_NAME(grTexMinAddress, 4))(GR_TMU0);
    for (const FileCase& file : files) {
        SCOPED_TRACE(file.name);
        const std::string path = zelktest::TestFile3df(file.name);
        Gu3dfInfo info = {};
        ASSERT_EQ(glide.Get<Get3dfFn>(ZELK_GLIDE_EXPORT_NAME(gu3dfGetInfo, 8))(path.c_str(), &info), FXTRUE);
        std::vector<BYTE> texels(info.mem_required);
        info.data = texels.data();
        ASSERT_EQ(glide.Get<Get3dfFn>(ZELK_GLIDE_EXPORT_NAME(gu3dfLoad, 8))(path.c_str(), &info), FXTRUE);

        GrTexInfo texture = {info.header.small_lod, info.header.large_lod, info.header.aspect_ratio,
                             info.header.format, info.data};
        glide.Get<DownloadFn>(ZELK_GLIDE_EXPORT_NAME(grTexDownloadMipMap, 16))(GR_TMU0, address, GR_MIPMAPLEVELMASK_BOTH, &texture);
        glide.Get<DownloadFn>(ZELK_GLIDE_EXPORT_NAME(grTexSource, 16))(GR_TMU0, address, GR_MIPMAPLEVELMASK_BOTH, &texture);
        address += glide.Get<MemRequiredFn>(ZELK_GLIDE_EXPORT_NAME(grTexTextureMemRequired, 8))(GR_MIPMAPLEVELMASK_BOTH, &texture);

        // The 256x256 level 0 over the window's top-left 256x256 pixels.
        glide.Get<ClearFn>(ZELK_GLIDE_EXPORT_NAME(grBufferClear, 12))(0x00804020, 0, 0);
        const GrVertex a = TexturedVertex(0, 0, 0, 0), b = TexturedVertex(256, 0, 256, 0),
                       c = TexturedVertex(256, 256, 256, 256), d = TexturedVertex(0, 256, 0, 256);
        glide.Get<TriangleFn>(ZELK_GLIDE_EXPORT_NAME(grDrawTriangle, 12))(&a, &b, &c);
        glide.Get<TriangleFn>(ZELK_GLIDE_EXPORT_NAME(grDrawTriangle, 12))(&a, &c, &d);
        // The back buffer as RGB 565 pixels, read before the swap.
        std::vector<FxU16> pixels(256 * 256);
        GrLfbInfo_t lock = {};
        lock.size = sizeof lock;
        const FxBool read = glide.Get<LockFn>(ZELK_GLIDE_EXPORT_NAME(grLfbLock, 24))(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER,
                                                               GR_LFBWRITEMODE_565, GR_ORIGIN_UPPER_LEFT, FXFALSE,
                                                               &lock);
        if (read) {
            for (size_t y = 0; y < 256; ++y) {
                std::memcpy(&pixels[y * 256], static_cast<const BYTE*>(lock.lfbPtr) + y * lock.strideInBytes, 512);
            }
            glide.Get<UnlockFn>(ZELK_GLIDE_EXPORT_NAME(grLfbUnlock, 8))(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER);
        }
        glide.Get<SwapFn>(ZELK_GLIDE_EXPORT_NAME(grBufferSwap, 4))(0);
        if (!read) {
            ADD_FAILURE() << "the back buffer could not be read\n" << ReadLog();
            continue;
        }

        const std::vector<BYTE> bytes = ReadBytes(path);
        int wrong = 0;
        for (int y = 5; y < 256 && wrong < 3; y += 25) {
            for (int x = 3; x < 256 && wrong < 3; x += 25) {
                const size_t at = file.bodyOffset + 2 * (static_cast<size_t>(y) * 256 + x);
                const DWORD expected = file.colour((bytes[at] << 8) | bytes[at + 1]);
                const DWORD actual = Rgb565(pixels[static_cast<size_t>(y) * 256 + x]);
                if (!zelktest::ColorsNear(expected, actual, 8)) {
                    ADD_FAILURE() << "pixel " << x << "," << y << ": expected 0x" << std::hex << expected << ", got 0x"
                                  << actual;
                    ++wrong;
                }
            }
        }
    }

    glide.Get<VoidFn>(ZELK_GLIDE_EXPORT_NAME(grSstWinClose, 0))();
    glide.Get<VoidFn>(ZELK_GLIDE_EXPORT_NAME(grGlideShutdown, 0))();
    FreeLibrary(module);
    // Nothing failed on the way.
    EXPECT_EQ(ReadLog(), "");
}

}  // namespace
