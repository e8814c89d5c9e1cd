// Textures from 3DF files downloaded through the Glide texture functions
// and drawn on an open window: the render target shows the file's texels.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/DeviceFixture.h"
#include "common/TestWindow.h"
#include "common/TextureFiles.h"
#include "glide/ZelkGlide.h"
#include "glide/ZelkGlideBodies.h"
#include "support/GlideRegistry.h"

namespace {

namespace body = zelk::glidebody;
using zelktest::Argb1555;
using zelktest::Argb4444;
using zelktest::ReadBytes;
using zelktest::Rgb565;
using zelktest::TexturedVertex;

// The virtual display offers only its own size.
constexpr int kWidth = 1024;
constexpr int kHeight = 768;

// The device's render target as 0xAARRGGBB values with the alpha set; the
// virtual display gives 24-bit targets.
class Target {
public:
    explicit Target(IDirect3DDevice9* device)
    {
        IDirect3DSurface9Ptr target, copy;
        D3DSURFACE_DESC description = {};
        if (FAILED(device->GetRenderTarget(0, &target)) || FAILED(target->GetDesc(&description))) {
            return;
        }
        const UINT bytes = description.Format == D3DFMT_R8G8B8 ? 3
                           : (description.Format == D3DFMT_X8R8G8B8 || description.Format == D3DFMT_A8R8G8B8) ? 4
                                                                                                               : 0;
        D3DLOCKED_RECT locked = {};
        if (bytes == 0 ||
            FAILED(device->CreateOffscreenPlainSurface(description.Width, description.Height, description.Format,
                                                       D3DPOOL_SYSTEMMEM, &copy, nullptr)) ||
            FAILED(device->GetRenderTargetData(target, copy)) ||
            FAILED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
            ADD_FAILURE() << "the render target (format " << description.Format << ") cannot be read";
            return;
        }
        width_ = description.Width;
        pixels_.resize(static_cast<size_t>(width_) * description.Height);
        for (UINT y = 0; y < description.Height; ++y) {
            const BYTE* row = static_cast<const BYTE*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch;
            for (UINT x = 0; x < width_; ++x) {
                const BYTE* p = row + x * bytes;
                pixels_[static_cast<size_t>(y) * width_ + x] = 0xFF000000u | (p[2] << 16) | (p[1] << 8) | p[0];
            }
        }
        copy->UnlockRect();
    }
    bool Valid() const { return !pixels_.empty(); }
    testing::AssertionResult PixelNear(UINT x, UINT y, DWORD expected, int tolerance) const
    {
        return zelktest::ColorNear(expected, pixels_[static_cast<size_t>(y) * width_ + x], tolerance);
    }

private:
    UINT width_ = 0;
    std::vector<DWORD> pixels_;
};

class TextureDrawing : public testing::Test {
protected:
    void SetUp() override
    {
        registry.SetDword("direct3d device setting", "use window mode", 1);
        registry.SetDword("primitive rendering", "vertex convert function type", 0);
        registry.SetDword("primitive rendering", "texel blending function type", 0);
        registry.SetDword("texture setting", "create mipmap", createMipmap);
        registry.SetDword("texture setting", "P8", D3DFMT_A8R8G8B8);
        registry.SetDword("texture setting", "A8P8", D3DFMT_A8R8G8B8);
        window = std::make_unique<zelktest::TestWindow>(kWidth, kHeight);
        body::grGlideInit();
        ASSERT_EQ(body::grSstWinOpen(static_cast<FxU32>(reinterpret_cast<ULONG_PTR>(window->Handle())), GR_RESOLUTION_1024x768,
                                     GR_REFRESH_60Hz, GR_COLORFORMAT_ARGB, GR_ORIGIN_UPPER_LEFT, 2, 1),
                  FXTRUE);
        glide = zelk::GetGlide();
        body::grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE, GR_COMBINE_LOCAL_NONE,
                             GR_COMBINE_OTHER_TEXTURE, FXFALSE);
        body::grTexCombineFunction(GR_TMU0, GR_TEXTURECOMBINE_DECAL);
        body::grTexFilterMode(GR_TMU0, GR_TEXTUREFILTER_POINT_SAMPLED, GR_TEXTUREFILTER_POINT_SAMPLED);
        body::grTexMipMapMode(GR_TMU0, GR_MIPMAP_DISABLE, FXFALSE);
    }
    // Each test reads its own settings: the front end goes with the test.
    void TearDown() override
    {
        body::grSstWinClose();
        body::grGlideShutdown();
        window.reset();
    }

    // Loads a 3DF file (a short copy first made whole with zero texels),
    // downloads it at the address and binds it.
    Gu3dfInfo Download(const std::string& path, FxU32 address, std::vector<BYTE>& texels)
    {
        Gu3dfInfo info = {};
        EXPECT_EQ(body::gu3dfGetInfo(path.c_str(), &info), FXTRUE);
        texels.assign(info.mem_required, 0xCD);  // what the load does not write shows
        info.data = texels.data();
        EXPECT_EQ(body::gu3dfLoad(path.c_str(), &info), FXTRUE);
        GrTexInfo texture = {info.header.small_lod, info.header.large_lod, info.header.aspect_ratio,
                             info.header.format, info.data};
        body::grTexDownloadMipMap(GR_TMU0, address, GR_MIPMAPLEVELMASK_BOTH, &texture);
        body::grTexSource(GR_TMU0, address, GR_MIPMAPLEVELMASK_BOTH, &texture);
        return info;
    }

    // Draws level 0 (256 x 256 texels) over the target's top-left 256 x 256
    // pixels and returns what the target holds.
    Target DrawLevel0()
    {
        body::grBufferClear(0x00804020, 0, 0);
        const GrVertex a = TexturedVertex(0, 0, 0, 0), b = TexturedVertex(256, 0, 256, 0),
                       c = TexturedVertex(256, 256, 256, 256), d = TexturedVertex(0, 256, 0, 256);
        body::grDrawTriangle(&a, &b, &c);
        body::grDrawTriangle(&a, &c, &d);
        glide->renderer->Flush(true);
        return Target(glide->renderer->device);
    }

    // Draws the bound texture over the target's top-left 32 x 32 pixels with
    // s and t running from 0 to 16384.  For an 8 x 1 or 1 x 8 texture whose
    // level 0 is 8 texels long, a pixel then spans 16 texels of level 0
    // along either axis: the sampler asks for level 4, which a chain of four
    // levels clamps to its last, the 1 x 1 level.
    Target DrawMinified()
    {
        body::grBufferClear(0x00804020, 0, 0);
        const float st = 16384;
        const GrVertex a = TexturedVertex(0, 0, 0, 0), b = TexturedVertex(32, 0, st, 0),
                       c = TexturedVertex(32, 32, st, st), d = TexturedVertex(0, 32, 0, st);
        body::grDrawTriangle(&a, &b, &c);
        body::grDrawTriangle(&a, &c, &d);
        glide->renderer->Flush(true);
        return Target(glide->renderer->device);
    }

    // Compares a grid of pixels with the colours of the file's texels.
    void ExpectTexels(const Target& target, const std::function<DWORD(std::size_t)>& colour)
    {
        ASSERT_TRUE(target.Valid());
        int wrong = 0;
        for (UINT y = 5; y < 256 && wrong < 3; y += 25) {
            for (UINT x = 3; x < 256 && wrong < 3; x += 25) {
                const testing::AssertionResult match = target.PixelNear(x, y, colour(y * 256 + x), 8);
                if (!match) {
                    ADD_FAILURE() << "texel " << x << "," << y << ": " << match.message();
                    ++wrong;
                }
            }
        }
    }

    std::uint32_t createMipmap = 0;  // the "create mipmap" setting
    zelktest::GlideRegistry registry;
    std::unique_ptr<zelktest::TestWindow> window;
    zelk::ZelkGlide* glide = nullptr;
};

// Device copies that hold the levels in use, so that minified draws sample
// the smaller levels.
class MipMapDrawing : public TextureDrawing {
protected:
    MipMapDrawing() { createMipmap = 1; }
};

TEST_F(TextureDrawing, SixteenBitFiles)
{
    struct FileCase {
        const char* name;
        size_t bodyOffset;
        DWORD (*colour)(unsigned texel);
    } files[] = {{"rgb565.3df", 51, &Rgb565}, {"argb1555.3df", 53, &Argb1555}, {"argb4444.3df", 53, &Argb4444}};
    FxU32 address = 0;
    for (const FileCase& file : files) {
        SCOPED_TRACE(file.name);
        const std::string path = zelktest::TestFile3df(file.name);
        std::vector<BYTE> texels;
        const Gu3dfInfo info = Download(path, address, texels);
        GrTexInfo texture = {info.header.small_lod, info.header.large_lod, info.header.aspect_ratio,
                             info.header.format, nullptr};
        address += body::grTexTextureMemRequired(GR_MIPMAPLEVELMASK_BOTH, &texture);

        const std::vector<BYTE> bytes = ReadBytes(path);
        ExpectTexels(DrawLevel0(), [&](std::size_t texel) {
            const BYTE* at = bytes.data() + file.bodyOffset + 2 * texel;
            return file.colour((at[0] << 8) | at[1]);
        });
    }
}

TEST_F(TextureDrawing, PalettisedFilesThroughTheSharedPalette)
{
    // Both files lack texels at their ends; they load with those texels 0,
    // which the model below gives by reading the file's bytes padded with 0.
    struct FileCase {
        const char* name;
        size_t bodyOffset;    // header and palette
        size_t texelBytes;
        size_t indexOffset;   // of a texel's palette index within the texel
    } files[] = {{"lava.3df", 47 + 1024, 1, 0}, {"ap88.3df", 49 + 1024, 2, 1}};
    FxU32 address = 0;
    for (const FileCase& c : files) {
        SCOPED_TRACE(c.name);
        const std::string path = zelktest::TestFile3df(c.name);
        std::vector<BYTE> file = ReadBytes(path);
        ASSERT_LT(file.size(), c.bodyOffset + 87381 * c.texelBytes);
        file.resize(c.bodyOffset + 87381 * c.texelBytes, 0);
        std::vector<BYTE> texels;
        Gu3dfInfo info = Download(path, address, texels);
        address += 87381 * 2;
        body::grTexDownloadTable(GR_TMU0, GR_TEXTABLE_PALETTE, &info.table.palette);

        ExpectTexels(DrawLevel0(), [&](std::size_t texel) -> DWORD {
            // Index from the body, entry big-endian 0x00RRGGBB from the table.
            const BYTE index = file[c.bodyOffset + c.texelBytes * texel + c.indexOffset];
            const BYTE* entry = file.data() + c.bodyOffset - 1024 + 4 * index;
            return 0xFF000000 | (entry[1] << 16) | (entry[2] << 8) | entry[3];
        });
    }
}

// Chains of four levels (8, 4, 2 and 1 texels long) of 8 x 1 and 1 x 8
// textures, each level one colour, downloaded whole, level by level, or
// row by row: drawn minified, each shows its 1 x 1 level.  Glide's memory
// rule counts such small levels as 0 bytes (the 1 x 1 level in 16 bits, the
// 2 x 1 and 1 x 1 levels in 8 bits), yet they hold texels.
TEST_F(MipMapDrawing, SmallestLevelsOfNarrowTexturesDrawHoweverTheChainIsDownloaded)
{
    body::grTexMipMapMode(GR_TMU0, GR_MIPMAP_NEAREST, FXFALSE);
    struct FormatCase {
        const char* name;
        GrTextureFormat_t format;
        UINT texelBytes;
        WORD texel[4];  // of each level, the largest first
        DWORD smallest; // the colour of the 1 x 1 level
    } formats[] = {
        {"RGB 565", GR_TEXFMT_RGB_565, 2, {0xF800, 0x07E0, 0x001F, 0xF81F}, 0xFFFF00FF},
        {"intensity 8", GR_TEXFMT_INTENSITY_8, 1, {0x20, 0x50, 0x80, 0xB0}, 0xFFB0B0B0},
    };
    enum Way { kWholeChain, kLevelByLevel, kRowByRow };
    const char* const wayNames[] = {"whole chain", "level by level", "row by row"};
    FxU32 address = 0;
    for (const FormatCase& f : formats) {
        for (const GrAspectRatio_t aspect : {GR_ASPECT_8x1, GR_ASPECT_1x8}) {
            // Levels of 8, 4, 2 and 1 texels: one row each under 8 x 1, one
            // column under 1 x 8.
            std::vector<std::vector<BYTE>> levels(4);
            for (UINT k = 0; k < 4; ++k) {
                for (UINT i = 0; i < (8u >> k); ++i) {
                    levels[k].push_back(static_cast<BYTE>(f.texel[k]));
                    if (f.texelBytes == 2) {
                        levels[k].push_back(static_cast<BYTE>(f.texel[k] >> 8));
                    }
                }
            }
            std::vector<BYTE> chain;
            for (const std::vector<BYTE>& level : levels) {
                chain.insert(chain.end(), level.begin(), level.end());
            }
            for (const Way way : {kWholeChain, kLevelByLevel, kRowByRow}) {
                SCOPED_TRACE(std::string(f.name) + (aspect == GR_ASPECT_8x1 ? ", 8 x 1, " : ", 1 x 8, ") +
                             wayNames[way]);
                address += 0x1000;
                GrTexInfo info = {GR_LOD_1, GR_LOD_8, aspect, f.format, chain.data()};
                if (way == kWholeChain) {
                    body::grTexDownloadMipMap(GR_TMU0, address, GR_MIPMAPLEVELMASK_BOTH, &info);
                }
                for (UINT k = 0; way != kWholeChain && k < 4; ++k) {
                    const GrLOD_t lod = GR_LOD_8 + static_cast<GrLOD_t>(k);
                    BYTE* level = levels[k].data();
                    if (way == kLevelByLevel) {
                        body::grTexDownloadMipMapLevel(GR_TMU0, address, lod, GR_LOD_8, aspect, f.format,
                                                       GR_MIPMAPLEVELMASK_BOTH, level);
                        continue;
                    }
                    const int rows = aspect == GR_ASPECT_8x1 ? 1 : static_cast<int>(8u >> k);
                    const UINT rowBytes = aspect == GR_ASPECT_8x1 ? (8u >> k) * f.texelBytes : f.texelBytes;
                    for (int row = 0; row < rows; ++row) {
                        body::grTexDownloadMipMapLevelPartial(GR_TMU0, address, lod, GR_LOD_8, aspect, f.format,
                                                              GR_MIPMAPLEVELMASK_BOTH, level + row * rowBytes, row,
                                                              row);
                    }
                }
                body::grTexSource(GR_TMU0, address, GR_MIPMAPLEVELMASK_BOTH, &info);
                const Target target = DrawMinified();
                ASSERT_TRUE(target.Valid());
                EXPECT_TRUE(target.PixelNear(16, 16, f.smallest, 8));
                EXPECT_TRUE(target.PixelNear(3, 28, f.smallest, 8));
            }
        }
    }
}

}  // namespace
