// The texture functions through their bodies: size queries, per-unit
// settings and the commands they record, the guTex mip-map records, and
// downloads from 3DF files into the texture memory.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/D3DProxy.h"
#include "common/TestDirectory.h"
#include "common/TestWindow.h"
#include "framework/ZelkException.h"
#include "glide/ZelkGlide.h"
#include "glide/ZelkGlideBodies.h"
#include "support/GlideRegistry.h"
#include "support/RecordingRenderer.h"

namespace {

namespace body = zelk::glidebody;
using zelk::ZelkException;
using zelk::ZelkGlide;
using zelktest::RecordingRenderer;

struct Command {
    std::uint32_t id, value, arg;
    bool operator==(const Command& other) const
    {
        return id == other.id && value == other.value && arg == other.arg;
    }
};

std::ostream& operator<<(std::ostream& out, const Command& c)
{
    return out << "{" << c.id << ", 0x" << std::hex << c.value << std::dec << ", " << c.arg << "}";
}

int LogCount(const std::string& text)
{
    const std::string log = zelktest::ReadFileText("vezoRerez.log");
    int count = 0;
    for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) {
        ++count;
    }
    return count;
}

// A front end on the default settings whose "window" is a recording
// renderer and, when given, a device for the texture memory.
class TextureInterface : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        proxy = new zelktest::D3DProxy;
        window = new zelktest::TestWindow(64, 64);
        device = new IDirect3DDevice9Ptr(proxy->CreateWindowedDevice(window->Handle(), 64, 64));
    }
    static void TearDownTestSuite()
    {
        delete device;
        delete window;
        delete proxy;
    }

    void SetUp() override
    {
        glide = zelk::GetGlide();
        ASSERT_NE(glide, nullptr);
    }
    void TearDown() override { zelk::DestroyGlide(); }

    // Gives the front end a renderer and a texture memory on the device.
    RecordingRenderer& Open()
    {
        glide->renderer = std::make_unique<RecordingRenderer>(64, 64);
        glide->textureManager = zelk::ZelkGrTextureManager(*device, glide->renderer.get(), glide->settings.texture);
        return static_cast<RecordingRenderer&>(*glide->renderer);
    }

    std::vector<Command> Commands() const
    {
        std::vector<Command> commands;
        for (const zelk::ZelkGrRenderCommand& c : glide->renderer->currentPackage->commands) {
            commands.push_back({c.id, c.value, c.arg});
        }
        return commands;
    }

    zelktest::GlideRegistry registry;
    ZelkGlide* glide = nullptr;
    static zelktest::D3DProxy* proxy;
    static zelktest::TestWindow* window;
    static IDirect3DDevice9Ptr* device;
};

zelktest::D3DProxy* TextureInterface::proxy = nullptr;
zelktest::TestWindow* TextureInterface::window = nullptr;
IDirect3DDevice9Ptr* TextureInterface::device = nullptr;

TEST_F(TextureInterface, SizeQueries)
{
    EXPECT_EQ(body::grTexCalcMemRequired(GR_LOD_1, GR_LOD_256, GR_ASPECT_1x1, GR_TEXFMT_RGB_565), 174762u);
    EXPECT_EQ(body::grTexCalcMemRequired(GR_LOD_1, GR_LOD_256, GR_ASPECT_8x1, GR_TEXFMT_RGB_565), 21845u);
    EXPECT_EQ(body::grTexCalcMemRequired(GR_LOD_1, GR_LOD_64, GR_ASPECT_1x2, GR_TEXFMT_P_8), 2730u);
    GrTexInfo info = {GR_LOD_1, GR_LOD_256, GR_ASPECT_1x1, GR_TEXFMT_INTENSITY_8, nullptr};
    EXPECT_EQ(body::grTexTextureMemRequired(GR_MIPMAPLEVELMASK_EVEN, &info), 69905u);
    EXPECT_EQ(body::grTexTextureMemRequired(GR_MIPMAPLEVELMASK_ODD, &info), 17476u);
    // Levels narrower than the aspect's factor count fewer bytes than they
    // hold: the 1x1 level of an 8x1 16-bit texture and the 2x1 and 1x1
    // levels of an 8-bit one count none.
    GrTexInfo narrow16 = {GR_LOD_1, GR_LOD_1, GR_ASPECT_8x1, GR_TEXFMT_RGB_565, nullptr};
    GrTexInfo narrow8 = {GR_LOD_1, GR_LOD_2, GR_ASPECT_1x8, GR_TEXFMT_INTENSITY_8, nullptr};
    EXPECT_EQ(body::grTexTextureMemRequired(GR_MIPMAPLEVELMASK_BOTH, &narrow16), 0u);
    EXPECT_EQ(body::grTexTextureMemRequired(GR_MIPMAPLEVELMASK_BOTH, &narrow8), 0u);
    EXPECT_EQ(body::grTexCalcMemRequired(GR_LOD_1, GR_LOD_4, GR_ASPECT_8x1, GR_TEXFMT_INTENSITY_8), 2u);
    EXPECT_EQ(body::grTexMaxAddress(GR_TMU0), 4000000u);
    EXPECT_EQ(body::grTexMaxAddress(GR_TMU1), 4000000u);
    EXPECT_EQ(body::grTexMinAddress(GR_TMU1), 0u);

    // Codes outside Glide's enumerations answer 0 with a logged error.
    EXPECT_EQ(body::grTexCalcMemRequired(GR_LOD_1, GR_LOD_256, 7, GR_TEXFMT_RGB_565), 0u);
    EXPECT_EQ(body::grTexCalcMemRequired(GR_LOD_1, GR_LOD_256, GR_ASPECT_1x1, 16), 0u);
    EXPECT_EQ(body::grTexCalcMemRequired(9, GR_LOD_256, GR_ASPECT_1x1, GR_TEXFMT_RGB_565), 0u);
    EXPECT_EQ(body::grTexTextureMemRequired(3, nullptr), 0u);
    EXPECT_EQ(body::grTexMaxAddress(GR_TMU2), 0u);
    EXPECT_EQ(LogCount("Function name : grTexCalcMemRequired"), 3);
    EXPECT_EQ(LogCount("The parameter [ GrTexInfo* info ] is invalid."), 1);
    EXPECT_EQ(LogCount("The parameter [ GrChipID_t tmu ] is invalid."), 1);
}

TEST_F(TextureInterface, PerUnitSettersRecordOnlyChanges)
{
    Open();
    body::grTexClampMode(GR_TMU0, 0, 0);  // the stored values
    body::grTexClampMode(GR_TMU0, 0, 1);
    body::grTexCombine(GR_TMU1, 3, 1, 4, 8, 2, 1);  // invert 2 counts as 0
    body::grTexCombine(GR_TMU1, 3, 1, 4, 8, 0, 1);  // the same once packed
    body::grTexFilterMode(GR_TMU1, 1, 0);
    body::grTexMipMapMode(GR_TMU0, 1, 1);
    body::grTexMipMapMode(GR_TMU0, 1, 0);
    body::grTexMipMapMode(GR_TMU0, 0, 1);  // no mip-mapping, whatever the blend
    body::grTexMipMapMode(GR_TMU0, 0, 1);
    body::grTexLodBiasValue(GR_TMU0, 0.5f);
    body::grTexLodBiasValue(GR_TMU0, 0.5f);
    body::grTexDetailControl(GR_TMU0, 2, 3, 0.5f);
    body::grTexDetailControl(GR_TMU0, 2, 4, 0.5f);
    body::grTexCombineFunction(GR_TMU0, GR_TEXTURECOMBINE_MULTIPLY);
    body::guTexCombineFunction(GR_TMU0, 10);  // no such shorthand
    const std::vector<Command> expected = {
        {15, (1u << 16) + 3, 0},
        {14, (3u << 24) + (4u << 16) + (1u << 12) + (8u << 8) + 1, 1},
        {16, (2u << 16) + 1, 1},
        {17, 2, 0},
        {17, 1, 0},
        {17, 0, 0},
        {18, 0x3F000000, 0},
        {19, 2, 0},
        {20, 3, 0},
        {21, 0x3F000000, 0},
        {20, 4, 0},
        {14, (3u << 24) + (3u << 16) + (1u << 12) + (1u << 8), 0},
    };
    EXPECT_EQ(Commands(), expected);
    EXPECT_EQ(glide->tmuState[1].rgbInvert, 0);
    EXPECT_EQ(glide->tmuState[0].mipMapMode, 0u);
    EXPECT_EQ(glide->tmuState[0].lodBlend, 1u);
}

TEST_F(TextureInterface, ForcedAnisotropyAndUnservedUnits)
{
    glide->settings.forceAnisotropicMin = 1;
    glide->settings.forceAnisotropicMag = 1;
    glide->settings.tmuCount = 1;
    // Before a renderer exists the setters change nothing.
    body::grTexFilterMode(GR_TMU0, 0, 0);
    body::grTexClampMode(GR_TMU0, 1, 1);
    EXPECT_EQ(glide->tmuState[0].sClampMode, 0u);

    Open();
    body::grTexFilterMode(GR_TMU0, 1, 0);
    body::grTexClampMode(GR_TMU1, 1, 1);  // beyond the emulated units: ignored
    body::grTexClampMode(GR_TMU2, 1, 1);  // no such unit: logged
    body::grTexClampMode(-1, 1, 1);
    EXPECT_EQ(Commands(), (std::vector<Command>{{16, (3u << 16) + 3, 0}}));
    EXPECT_EQ(LogCount("The parameter [ GrChipID_t tmu ] is invalid."), 2);
    EXPECT_EQ(body::grTexMaxAddress(GR_TMU1), 0u);
    EXPECT_EQ(body::guTexAllocateMemory(GR_TMU1, 3, 8, 8, GR_TEXFMT_RGB_565, 0, GR_LOD_8, GR_LOD_8, GR_ASPECT_1x1, 0,
                                        0, 0, 0, 0.0f, 0),
              GR_NULL_MIPMAP_HANDLE);
    EXPECT_EQ(body::guTexGetCurrentMipMap(GR_TMU1), GR_NULL_MIPMAP_HANDLE);
    EXPECT_EQ(body::guTexMemQueryAvail(GR_TMU1), 0u);
}

GrMipMapId_t Allocate256(GrChipID_t tmu)
{
    return body::guTexAllocateMemory(tmu, GR_MIPMAPLEVELMASK_BOTH, 256, 256, GR_TEXFMT_RGB_565, GR_MIPMAP_NEAREST,
                                     GR_LOD_1, GR_LOD_256, GR_ASPECT_1x1, GR_TEXTURECLAMP_CLAMP,
                                     GR_TEXTURECLAMP_WRAP, GR_TEXTUREFILTER_BILINEAR,
                                     GR_TEXTUREFILTER_POINT_SAMPLED, 0.25f, FXTRUE);
}

TEST_F(TextureInterface, MipMapRecords)
{
    EXPECT_EQ(Allocate256(GR_TMU0), 0u);
    EXPECT_EQ(Allocate256(GR_TMU0), 1u);
    EXPECT_EQ(Allocate256(GR_TMU1), 2u);
    EXPECT_EQ(body::guTexMemQueryAvail(GR_TMU0), 4000000u - 2 * 174762u);
    EXPECT_EQ(body::guTexMemQueryAvail(GR_TMU1), 4000000u - 174762u);

    GrMipMapInfo* record = body::guTexGetMipMapInfo(1);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->valid, 1);
    EXPECT_EQ(record->tmu_base_address, 174762u);
    EXPECT_EQ(record->magfilter_mode, GR_TEXTUREFILTER_POINT_SAMPLED);
    EXPECT_EQ(record->minfilter_mode, GR_TEXTUREFILTER_BILINEAR);
    EXPECT_EQ(record->s_clamp_mode, GR_TEXTURECLAMP_CLAMP);
    EXPECT_EQ(record->lod_min, GR_LOD_1);
    EXPECT_EQ(record->lod_max, GR_LOD_256);
    EXPECT_EQ(record->lod_bias, 0x3E800000u);  // the float's bits
    EXPECT_EQ(record->trilinear, FXTRUE);
    EXPECT_EQ(body::guTexGetMipMapInfo(3), nullptr);

    // Allocations until the memory is full: what does not fit is refused
    // and the memory left never wraps around.
    int allocated = 2;
    while (Allocate256(GR_TMU0) != GR_NULL_MIPMAP_HANDLE) {
        ++allocated;
        ASSERT_LT(allocated, 100);
    }
    EXPECT_EQ(allocated, 22);  // 4000000 / 174762 = 22.9
    EXPECT_EQ(body::guTexMemQueryAvail(GR_TMU0), 4000000u - 22 * 174762u);
    // Records stay where they are while the table grows.
    EXPECT_EQ(body::guTexGetMipMapInfo(1), record);

    EXPECT_EQ(body::guTexChangeAttributes(1, 64, 64, GR_TEXFMT_ARGB_1555, 0, GR_LOD_1, GR_LOD_64, GR_ASPECT_1x1, 0, 0,
                                          0, 1),
              FXTRUE);
    EXPECT_EQ(record->format, GR_TEXFMT_ARGB_1555);
    EXPECT_EQ(record->tmu_base_address, 174762u);  // not recomputed
    EXPECT_EQ(body::guTexChangeAttributes(99, 64, 64, 0, 0, 0, 0, 0, 0, 0, 0, 0), FXFALSE);

    body::guTexMemReset();
    EXPECT_EQ(body::guTexGetMipMapInfo(0), nullptr);
    EXPECT_EQ(body::guTexMemQueryAvail(GR_TMU0), 4000000u);
    EXPECT_EQ(Allocate256(GR_TMU0), 0u);
    EXPECT_EQ(body::guTexGetCurrentMipMap(GR_TMU0), GR_NULL_MIPMAP_HANDLE);
}

std::string TestFile(const char* name)
{
    return std::string(ZELK_TESTDATA_DIR) + "/3df/" + name;
}

WORD SystemTexel16(IDirect3DTexture9* texture, UINT level, UINT x, UINT y)
{
    D3DLOCKED_RECT locked = {};
    if (FAILED(texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY))) {
        ADD_FAILURE() << "LockRect failed";
        return 0;
    }
    WORD texel = 0;
    std::memcpy(&texel, static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch + 2 * x, 2);
    texture->UnlockRect(level);
    return texel;
}

TEST_F(TextureInterface, DownloadFrom3dfFileAndSourceThroughARecord)
{
    RecordingRenderer& renderer = Open();
    Gu3dfInfo info = {};
    ASSERT_EQ(body::gu3dfGetInfo(TestFile("light.3df").c_str(), &info), FXTRUE);
    std::vector<BYTE> texels(info.mem_required);
    info.data = texels.data();
    ASSERT_EQ(body::gu3dfLoad(TestFile("light.3df").c_str(), &info), FXTRUE);

    const GrMipMapId_t id = body::guTexAllocateMemory(
        GR_TMU1, GR_MIPMAPLEVELMASK_BOTH, info.header.width, info.header.height, info.header.format,
        GR_MIPMAP_NEAREST, info.header.small_lod, info.header.large_lod, info.header.aspect_ratio,
        GR_TEXTURECLAMP_CLAMP, GR_TEXTURECLAMP_CLAMP, GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_BILINEAR, 0.0f,
        FXFALSE);
    ASSERT_EQ(id, 0u);
    body::guTexDownloadMipMap(id, info.data, nullptr);
    body::guTexSource(id);
    EXPECT_EQ(body::guTexGetCurrentMipMap(GR_TMU1), id);

    zelk::ZelkGrTexMemBlock* block = glide->textureManager.pendingBlock[1];
    ASSERT_NE(block, nullptr);
    // The file's first texels, 39e7 41e8 big-endian, and the 1x1 level 630c.
    EXPECT_EQ(SystemTexel16(block->systemTexture, 0, 0, 0), 0x39E7);
    EXPECT_EQ(SystemTexel16(block->systemTexture, 0, 1, 0), 0x41E8);
    EXPECT_EQ(SystemTexel16(block->systemTexture, 6, 0, 0), 0x630C);
    // The record's clamp and filter reach the renderer.
    const std::vector<Command> commands = Commands();
    EXPECT_NE(std::find(commands.begin(), commands.end(), Command{15, (3u << 16) + 3, 1}), commands.end());
    EXPECT_NE(std::find(commands.begin(), commands.end(), Command{16, (2u << 16) + 2, 1}), commands.end());
    EXPECT_NE(std::find(commands.begin(), commands.end(), Command{17, 1, 1}), commands.end());

    // The draws' step binds the device copy for TMU 1.
    glide->UpdatePendingTextures();
    ASSERT_EQ(renderer.currentPackage->textureBindings.size(), 1u);
    EXPECT_EQ(renderer.currentPackage->textureBindings[0].tmu, 1u);
    EXPECT_TRUE(renderer.currentPackage->textureBindings[0].texture == block->texture);
    EXPECT_EQ(block->texture->GetLevelCount(), 7u);
}

TEST_F(TextureInterface, LevelByLevelDownloadAdvancesByEachLevelsRealSize)
{
    Open();
    // An 8x1 intensity chain of 256x32 down to 1x1 in one buffer, level k
    // filled with k + 1: 10927 bytes.
    const UINT sizes[9] = {256 * 32, 128 * 16, 64 * 8, 32 * 4, 16 * 2, 8, 4, 2, 1};
    std::vector<BYTE> bytes;
    for (int k = 0; k < 9; ++k) {
        bytes.insert(bytes.end(), sizes[k], static_cast<BYTE>(k + 1));
    }
    const GrMipMapId_t id = body::guTexAllocateMemory(GR_TMU0, GR_MIPMAPLEVELMASK_BOTH, 256, 32,
                                                      GR_TEXFMT_INTENSITY_8, 0, GR_LOD_1, GR_LOD_256, GR_ASPECT_8x1,
                                                      0, 0, 0, 0, 0.0f, 0);
    ASSERT_NE(id, GR_NULL_MIPMAP_HANDLE);
    const void* cursor = bytes.data();
    for (GrLOD_t lod = GR_LOD_256; lod <= GR_LOD_1; ++lod) {
        body::guTexDownloadMipMapLevel(id, lod, &cursor);
    }
    EXPECT_EQ(static_cast<const BYTE*>(cursor) - bytes.data(), 10927);
    EXPECT_EQ(body::guTexGetMipMapInfo(id)->data, bytes.data());
    zelk::ZelkGrTexMemBlock* block = glide->textureManager.blockMaps[0].Find({0, 1});
    ASSERT_NE(block, nullptr);
    // Every level holds its own data, also the 2x1 and 1x1 levels that the
    // size rule counts as 0 bytes.
    for (UINT level = 0; level <= 8; ++level) {
        D3DLOCKED_RECT locked = {};
        ASSERT_TRUE(SUCCEEDED(block->systemTexture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY)));
        EXPECT_EQ(*static_cast<const BYTE*>(locked.pBits), level + 1) << "level " << level;
        block->systemTexture->UnlockRect(level);
    }

    // A level beyond the record's smallest does nothing, not even advance.
    const GrMipMapId_t small = body::guTexAllocateMemory(GR_TMU0, GR_MIPMAPLEVELMASK_BOTH, 16, 16,
                                                         GR_TEXFMT_INTENSITY_8, 0, GR_LOD_8, GR_LOD_16, GR_ASPECT_1x1,
                                                         0, 0, 0, 0, 0.0f, 0);
    cursor = bytes.data();
    body::guTexDownloadMipMapLevel(small, GR_LOD_4, &cursor);
    EXPECT_EQ(cursor, bytes.data());
    body::guTexDownloadMipMapLevel(small, GR_LOD_8, nullptr);  // logged, no crash
    EXPECT_EQ(LogCount("The parameter [ const void** src ] is invalid."), 1);
}

TEST_F(TextureInterface, PalettesAndBadDownloads)
{
    // This device has no palettised textures: both palettised formats are
    // expanded by the manager, which keeps the palette to itself.
    std::vector<DWORD> colours(256, 0x00123456);
    {
        RecordingRenderer& expanding = Open();
        ASSERT_EQ(glide->textureManager.expandP8, 1);
        ASSERT_EQ(glide->textureManager.expandAP88, 1);
        body::grTexDownloadTable(GR_TMU0, GR_TEXTABLE_PALETTE, colours.data());
        EXPECT_EQ(glide->textureManager.palette[0].peRed, 0x12);
        EXPECT_TRUE(expanding.currentPackage->palettes.empty());
    }
    // With a palettised format left to the device (here AP88 without a
    // format), the palette is recorded for it.
    glide->settings.texture.format[GR_TEXFMT_AP_88] = 0;
    RecordingRenderer& renderer = Open();
    body::grTexDownloadTable(GR_TMU0, GR_TEXTABLE_PALETTE, colours.data());
    body::grTexDownloadTable(GR_TMU1, GR_TEXTABLE_PALETTE, colours.data());
    ASSERT_EQ(renderer.currentPackage->palettes.size(), 1u);
    colours[7] = 0x00FFFFFF;
    body::grTexDownloadTablePartial(GR_TMU0, GR_TEXTABLE_PALETTE, colours.data(), 7, 7);
    std::uint32_t entry7 = 0;
    std::memcpy(&entry7, reinterpret_cast<const BYTE*>(&renderer.currentPackage->palettes.back()) + 4 * 7, 4);
    EXPECT_EQ(entry7, 0xFFFFFFFFu);

    const std::vector<BYTE> level(64 * 64 * 2, 0);
    // A row range that ends before it starts asks for no rows: nothing is
    // loaded, nothing logged.
    const int logged = LogCount("An exception was thrown");
    body::grTexDownloadMipMapLevelPartial(GR_TMU0, 0, GR_LOD_64, GR_LOD_64, GR_ASPECT_1x1, GR_TEXFMT_RGB_565, 3,
                                          const_cast<BYTE*>(level.data()), 9, 8);
    EXPECT_EQ(LogCount("An exception was thrown"), logged);
    EXPECT_EQ(glide->textureManager.blockMaps[0].Size(), 0u);
    body::grTexDownloadMipMap(GR_TMU0, 0, 3, nullptr);
    GrTexInfo bad = {GR_LOD_1, GR_LOD_64, 9, GR_TEXFMT_RGB_565, const_cast<BYTE*>(level.data())};
    EXPECT_THROW(body::grTexDownloadMipMap(GR_TMU0, 0, 3, &bad), ZelkException);
    body::grTexSource(GR_TMU0, 0, 3, &bad);
    EXPECT_EQ(glide->textureManager.pendingBlock[0], nullptr);
    EXPECT_EQ(LogCount("The parameter [ GrAspectRatio_t aspect ] is invalid."), 2);
    EXPECT_EQ(glide->textureManager.blockMaps[0].Size(), 0u);
}

// The per-unit setters refuse modes outside their enumerations with a
// logged error and change nothing.
TEST_F(TextureInterface, OutOfRangeModesAreRefused)
{
    Open();
    struct Case {
        const char* name;
        void (*call)();
        const char* log;
    };
    const Case cases[] = {
        {"grTexClampMode", [] { body::grTexClampMode(GR_TMU0, 9, 9); },
         "The parameter [ GrTextureClampMode_t clampMode ] is invalid."},
        {"grTexClampMode t", [] { body::grTexClampMode(GR_TMU0, 1, 2); },
         "The parameter [ GrTextureClampMode_t clampMode ] is invalid."},
        {"grTexFilterMode", [] { body::grTexFilterMode(GR_TMU0, 9, 9); },
         "The parameter [ GrTextureFilterMode_t filterMode ] is invalid."},
        {"grTexFilterMode mag", [] { body::grTexFilterMode(GR_TMU1, 1, 2); },
         "The parameter [ GrTextureFilterMode_t filterMode ] is invalid."},
        {"grTexMipMapMode", [] { body::grTexMipMapMode(GR_TMU0, 9, 0); },
         "The parameter [ GrMipMapMode_t mode ] is invalid."},
    };
    const zelk::ZelkGlideTmuState before = glide->tmuState[0];
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int logged = LogCount(c.log);
        c.call();
        EXPECT_EQ(LogCount(c.log), logged + 1);
        EXPECT_TRUE(Commands().empty());
        EXPECT_EQ(std::memcmp(&glide->tmuState[0], &before, sizeof before), 0);
    }
    // The highest valid values are taken.
    body::grTexClampMode(GR_TMU0, 1, 1);
    body::grTexFilterMode(GR_TMU0, 1, 1);
    body::grTexMipMapMode(GR_TMU0, 2, 0);
    EXPECT_EQ(Commands().size(), 3u);
}

// Texture memory ranges are computed without wrapping: a range that ends
// past the unit's memory is refused, one that starts at its last address
// is taken.
TEST_F(TextureInterface, DownloadsPastTheUnitsMemoryAreRefused)
{
    Open();
    const std::vector<BYTE> chain(2 * 87381, 0x11);
    GrTexInfo info = {GR_LOD_1, GR_LOD_256, GR_ASPECT_1x1, GR_TEXFMT_RGB_565, const_cast<BYTE*>(chain.data())};
    const char* const log = "The parameter [ FxU32 startAddress ] is invalid.";
    const FxU32 last = body::grTexMaxAddress(GR_TMU0);
    body::grTexDownloadMipMap(GR_TMU0, 0xFFFFFFF0, GR_MIPMAPLEVELMASK_BOTH, &info);
    body::grTexDownloadMipMap(GR_TMU0, last + 1, GR_MIPMAPLEVELMASK_BOTH, &info);
    body::grTexDownloadMipMapLevel(GR_TMU0, 0xFFFFFFF0, GR_LOD_256, GR_LOD_256, GR_ASPECT_1x1, GR_TEXFMT_RGB_565,
                                   GR_MIPMAPLEVELMASK_BOTH, const_cast<BYTE*>(chain.data()));
    EXPECT_EQ(LogCount(log), 3);
    EXPECT_EQ(glide->textureManager.blockMaps[0].Size(), 0u);

    body::grTexDownloadMipMap(GR_TMU0, last, GR_MIPMAPLEVELMASK_BOTH, &info);
    EXPECT_EQ(glide->textureManager.blockMaps[0].Size(), 1u);
    body::grTexSource(GR_TMU0, last, GR_MIPMAPLEVELMASK_BOTH, &info);
    EXPECT_NE(glide->textureManager.pendingBlock[0], nullptr);
    EXPECT_EQ(LogCount(log), 3);
}

// Each level of the caller's loop reads its own data, also after a level
// that failed to download.
TEST_F(TextureInterface, LevelDownloadAdvancesThePointerWhenItFails)
{
    // No window: the texture memory has no device and every download fails.
    const GrMipMapId_t id = body::guTexAllocateMemory(GR_TMU0, GR_MIPMAPLEVELMASK_BOTH, 16, 16, GR_TEXFMT_RGB_565, 0,
                                                      GR_LOD_8, GR_LOD_16, GR_ASPECT_1x1, 0, 0, 0, 0, 0.0f, 0);
    ASSERT_NE(id, GR_NULL_MIPMAP_HANDLE);
    const std::vector<BYTE> bytes(2 * 341, 0);
    const void* cursor = bytes.data();
    EXPECT_ANY_THROW(body::guTexDownloadMipMapLevel(id, GR_LOD_16, &cursor));
    EXPECT_EQ(static_cast<const BYTE*>(cursor) - bytes.data(), 512);
    EXPECT_ANY_THROW(body::guTexDownloadMipMapLevel(id, GR_LOD_8, &cursor));
    EXPECT_EQ(static_cast<const BYTE*>(cursor) - bytes.data(), 640);
}

TEST_F(TextureInterface, TextureCallsWithoutAWindow)
{
    const std::vector<BYTE> level(8 * 8 * 2, 0);
    GrTexInfo info = {GR_LOD_8, GR_LOD_8, GR_ASPECT_1x1, GR_TEXFMT_RGB_565, const_cast<BYTE*>(level.data())};
    body::grTexSource(GR_TMU0, 0, 3, &info);
    body::grTexSource(GR_TMU0, 0, 3, nullptr);
    std::vector<DWORD> colours(256, 0);
    body::grTexDownloadTable(GR_TMU0, GR_TEXTABLE_PALETTE, colours.data());
    EXPECT_THROW(body::grTexDownloadMipMap(GR_TMU0, 0, 3, &info), ZelkException);
    body::grTexCombineFunction(GR_TMU0, GR_TEXTURECOMBINE_DECAL);
    glide->UpdatePendingTextures();
    EXPECT_EQ(body::guTexCreateColorMipMap(), nullptr);
}

}  // namespace
