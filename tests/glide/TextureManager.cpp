// The texture manager on a real device: chain and level downloads, the
// address-range map, binding, device copies, the shared palette and the
// colour key, and refusals of bad input.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/D3DProxy.h"
#include "common/ReadBack.h"
#include "common/TestDirectory.h"
#include "common/TestWindow.h"
#include "framework/ZelkException.h"
#include "glide/ZelkGlideSettingsParts.h"
#include "glide/ZelkGrTextureManager.h"

namespace {

using zelk::ZelkException;
using zelk::ZelkGrTexAddressRange;
using zelk::ZelkGrTexMemBlock;
using zelk::ZelkGrTextureManager;
using zelk::ZelkGrTextureSettings;

constexpr UINT kSize = 64;

// Glide codes used below.
constexpr std::uint32_t kI8 = 3, kP8 = 5, kRgb565 = 10, kArgb1555 = 11, kArgb4444 = 12;
constexpr std::uint32_t kAspect1x1 = 3, kAspect8x1 = 0;

ZelkGrTextureSettings Settings(std::uint8_t createMipmap = 1)
{
    ZelkGrTextureSettings settings = zelk::DefaultTextureSettings();
    settings.createMipmap = createMipmap;
    return settings;
}

// Bytes placed at the very end of a readable page with an unreadable page
// behind them: reading past them faults.
class PageEnd {
public:
    explicit PageEnd(const std::vector<BYTE>& bytes)
    {
        const DWORD page = 4096;
        const size_t pages = (bytes.size() + page - 1) / page + 1;
        base_ = static_cast<BYTE*>(VirtualAlloc(nullptr, pages * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old = 0;
        VirtualProtect(base_ + (pages - 1) * page, page, PAGE_NOACCESS, &old);
        data_ = base_ + (pages - 1) * page - bytes.size();
        std::memcpy(data_, bytes.data(), bytes.size());
    }
    ~PageEnd() { VirtualFree(base_, 0, MEM_RELEASE); }
    const void* Data() const { return data_; }

private:
    BYTE* base_ = nullptr;
    BYTE* data_ = nullptr;
};

// Texel (x, y) of a level of a system texture.
template <typename Texel>
Texel SystemTexel(IDirect3DTexture9* texture, UINT level, UINT x, UINT y)
{
    D3DLOCKED_RECT locked = {};
    if (FAILED(texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY))) {
        ADD_FAILURE() << "LockRect failed";
        return 0;
    }
    Texel texel;
    std::memcpy(&texel, static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch + x * sizeof(Texel), sizeof texel);
    texture->UnlockRect(level);
    return texel;
}

class TextureManager : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        proxy = new zelktest::D3DProxy;
        window = new zelktest::TestWindow(kSize, kSize);
        device = new IDirect3DDevice9Ptr(proxy->CreateWindowedDevice(window->Handle(), kSize, kSize));
    }
    static void TearDownTestSuite()
    {
        delete device;
        // Every texture the managers made has been released with them.
        EXPECT_EQ(proxy->LeakedDeviceReferences(), 0);
        delete window;
        delete proxy;
    }
    void SetUp() override { ASSERT_TRUE(*device != nullptr); }
    void TearDown() override { proxy->ClearFaults(); }

    static IDirect3DDevice9* Device() { return *device; }

    // Draws the texture over the whole target with point sampling; texels
    // whose alpha is 0 are not drawn (the target keeps the clear colour).
    static zelktest::ReadBack Draw(IDirect3DTexture9* texture, D3DCOLOR clear = 0xFF000080)
    {
        IDirect3DDevice9* d = Device();
        d->Clear(0, nullptr, D3DCLEAR_TARGET, clear, 1.0f, 0);
        d->BeginScene();
        d->SetRenderState(D3DRS_LIGHTING, FALSE);
        d->SetRenderState(D3DRS_ZENABLE, FALSE);
        d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        d->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
        d->SetRenderState(D3DRS_ALPHAREF, 1);
        d->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
        d->SetTexture(0, texture);
        d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        d->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
        d->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
        d->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
        struct Vertex {
            float x, y, z, rhw, u, v;
        };
        const float edge = static_cast<float>(kSize) - 0.5f;
        const Vertex quad[4] = {{-0.5f, -0.5f, 0, 1, 0, 0},
                                {edge, -0.5f, 0, 1, 1, 0},
                                {-0.5f, edge, 0, 1, 0, 1},
                                {edge, edge, 0, 1, 1, 1}};
        d->SetFVF(D3DFVF_XYZRHW | D3DFVF_TEX1);
        d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex));
        d->EndScene();
        d->SetTexture(0, nullptr);
        return zelktest::ReadBack(d);
    }

    static zelktest::D3DProxy* proxy;
    static zelktest::TestWindow* window;
    static IDirect3DDevice9Ptr* device;
};

zelktest::D3DProxy* TextureManager::proxy = nullptr;
zelktest::TestWindow* TextureManager::window = nullptr;
IDirect3DDevice9Ptr* TextureManager::device = nullptr;

// 16-bit texels of a whole chain: every texel of level k holds value[k].
std::vector<BYTE> Chain16(const std::vector<std::pair<UINT, UINT>>& levels, const std::vector<WORD>& value)
{
    std::vector<BYTE> bytes;
    for (size_t k = 0; k < levels.size(); ++k) {
        for (UINT i = 0; i < levels[k].first * levels[k].second; ++i) {
            bytes.push_back(static_cast<BYTE>(value[k]));
            bytes.push_back(static_cast<BYTE>(value[k] >> 8));
        }
    }
    return bytes;
}

TEST_F(TextureManager, ChainOfNarrowLevelsIsReadByEachLevelsRealSize)
{
    // An 8x1 intensity chain from 256x32 down to 1x1: 8192 + 2048 + 512 +
    // 128 + 32 + 8 + 4 + 2 + 1 = 10927 bytes; level k holds the value k + 1.
    const UINT widths[9] = {256, 128, 64, 32, 16, 8, 4, 2, 1};
    const UINT heights[9] = {32, 16, 8, 4, 2, 1, 1, 1, 1};
    std::vector<BYTE> bytes;
    for (int k = 0; k < 9; ++k) {
        bytes.insert(bytes.end(), widths[k] * heights[k], static_cast<BYTE>(k + 1));
    }
    ASSERT_EQ(bytes.size(), 10927u);
    const PageEnd data(bytes);

    ZelkGrTextureManager manager(Device(), nullptr, Settings());
    ASSERT_TRUE(manager.DownloadTextureImage(0, 0x1000, 8, 0, kAspect8x1, kI8, 3, data.Data()));
    ZelkGrTexMemBlock* block = manager.blockMaps[0].Find({0x1000, 0x1001});
    ASSERT_NE(block, nullptr);
    // The address range keeps the size rule: 87381 / 8 bytes.
    const ZelkGrTexAddressRange range = manager.blockMaps[0].RangeOf(block);
    EXPECT_EQ(range.start, 0x1000u);
    EXPECT_EQ(range.end, 0x1000u + 10922u);
    ASSERT_EQ(block->systemTexture->GetLevelCount(), 9u);
    for (UINT k = 0; k < 9; ++k) {
        EXPECT_EQ(SystemTexel<BYTE>(block->systemTexture, k, 0, 0), k + 1) << "level " << k;
        EXPECT_EQ(SystemTexel<BYTE>(block->systemTexture, k, widths[k] - 1, heights[k] - 1), k + 1) << "level " << k;
    }
    EXPECT_FLOAT_EQ(block->sScale, 1.0f / 256);
    EXPECT_FLOAT_EQ(block->tScale, 1.0f / 32);
}

TEST_F(TextureManager, SourceBindsTheBlockAndTheDeviceCopyHoldsTheDownloadedLevels)
{
    // RGB 565 levels 64, 32, 16 and 8: red, green, blue, white.
    const std::vector<BYTE> bytes =
        Chain16({{64, 64}, {32, 32}, {16, 16}, {8, 8}}, {0xF800, 0x07E0, 0x001F, 0xFFFF});
    for (std::uint8_t createMipmap : {0, 1}) {
        SCOPED_TRACE(createMipmap);
        ZelkGrTextureManager manager(Device(), nullptr, Settings(createMipmap));
        ASSERT_TRUE(manager.DownloadTextureImage(0, 0, 5, 2, kAspect1x1, kRgb565, 3, bytes.data()));
        ZelkGrTexMemBlock* block = manager.blockMaps[0].Find({0, 1});
        ASSERT_NE(block, nullptr);
        // Levels below the last downloaded one were filtered from it.
        EXPECT_EQ(SystemTexel<WORD>(block->systemTexture, 3, 7, 7), 0xFFFF);
        EXPECT_EQ(SystemTexel<WORD>(block->systemTexture, 6, 0, 0), 0xFFFF);

        GrTexInfo info = {8, 2, 3, static_cast<GrTextureFormat_t>(kRgb565), nullptr};
        ASSERT_TRUE(manager.Source(0, 0, 3, &info));
        EXPECT_EQ(manager.pendingBlock[0], block);
        EXPECT_EQ(block->curSmallLod, 5u);  // no smaller level was downloaded

        manager.RecordPendingTextures();
        EXPECT_EQ(manager.pendingBlock[0], nullptr);
        ASSERT_TRUE(block->texture != nullptr);
        EXPECT_EQ(block->texture->GetLevelCount(), createMipmap ? 4u : 1u);
        D3DSURFACE_DESC description = {};
        block->texture->GetLevelDesc(0, &description);
        EXPECT_EQ(description.Format, D3DFMT_R5G6B5);
        EXPECT_EQ(description.Pool, D3DPOOL_DEFAULT);
        EXPECT_TRUE(Draw(block->texture).PixelNear(10, 10, 0xFFFF0000, 8));

        // Under the even mask the range counts levels 64 and 16 only, yet
        // the data still hold every level one after the other.
        ASSERT_TRUE(manager.DownloadTextureImage(1, 0x2000, 5, 2, kAspect1x1, kRgb565, 1, bytes.data()));
        ZelkGrTexMemBlock* even = manager.blockMaps[1].Find({0x2000, 0x2001});
        ASSERT_NE(even, nullptr);
        EXPECT_EQ(manager.blockMaps[1].RangeOf(even).end, 0x2000u + 2 * (64 * 64 + 16 * 16));
        EXPECT_EQ(SystemTexel<WORD>(even->systemTexture, 1, 0, 0), 0x07E0);
        EXPECT_EQ(SystemTexel<WORD>(even->systemTexture, 3, 0, 0), 0xFFFF);

        // A source call inside the block whose start falls in another
        // bucket finds nothing and unbinds the TMU.
        EXPECT_FALSE(manager.Source(0, 8, 3, &info));
        EXPECT_EQ(manager.pendingBlock[0], nullptr);
        EXPECT_EQ(manager.sourceRange[0].start, 8u);
        // No information unbinds.
        EXPECT_TRUE(manager.Source(0, 0, 3, nullptr));
        EXPECT_EQ(manager.sourceRange[0].end, 1u);
    }
}

TEST_F(TextureManager, SingleLevelDownloads)
{
    const std::vector<BYTE> chain = Chain16({{64, 64}, {32, 32}, {16, 16}, {8, 8}}, {0x1111, 0x2222, 0x3333, 0x4444});
    std::vector<BYTE> level(64 * 64 * 2);
    for (size_t i = 0; i < level.size() / 2; ++i) {
        level[2 * i] = static_cast<BYTE>(i / 64);  // the row number
        level[2 * i + 1] = 0x80;
    }
    ZelkGrTextureManager manager(Device(), nullptr, Settings());
    ASSERT_TRUE(manager.DownloadTextureImage(0, 0x10000, 5, 2, kAspect1x1, kRgb565, 3, chain.data()));
    ZelkGrTexMemBlock* block = manager.blockMaps[0].Find({0x10000, 0x10001});
    ASSERT_NE(block, nullptr);
    ASSERT_TRUE(manager.UpdateDeviceTexture(block));
    IDirect3DTexture9Ptr system = block->systemTexture;

    // The same texture: allocSmallLod widens and the device copy goes.
    ASSERT_TRUE(manager.DownloadTextureImageLevel(0, 0x10000, 6, 2, kAspect1x1, kRgb565, 3, level.data(), 0, 4096));
    block = manager.blockMaps[0].Find({0x10000, 0x10001});
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(manager.blockMaps[0].Size(), 1u);
    EXPECT_EQ(block->systemTexture.GetInterfacePtr(), system.GetInterfacePtr());
    EXPECT_EQ(block->allocSmallLod, 6u);
    EXPECT_TRUE(block->texture == nullptr);
    EXPECT_EQ(SystemTexel<WORD>(system, 4, 3, 2), 0x8000);  // the first row of the data

    // Rows 2 and 3 of level 0 only, from data that starts with row 2.
    ASSERT_TRUE(manager.DownloadTextureImageLevel(0, 0x10000, 2, 2, kAspect1x1, kRgb565, 3, level.data(), 2, 3));
    EXPECT_EQ(SystemTexel<WORD>(system, 0, 5, 1), 0x1111);
    EXPECT_EQ(SystemTexel<WORD>(system, 0, 5, 2), 0x8000);
    EXPECT_EQ(SystemTexel<WORD>(system, 0, 5, 3), 0x8001);
    EXPECT_EQ(SystemTexel<WORD>(system, 0, 5, 4), 0x1111);

    // An odd level under the even mask is refused and changes nothing.
    EXPECT_FALSE(manager.DownloadTextureImageLevel(0, 0x10000, 3, 2, kAspect1x1, kRgb565, 1, level.data(), 0, 4096));

    // Refused before anything is erased or inserted: a level larger than
    // the large LOD, empty, inverted or outside row ranges.
    struct Refusal {
        const char* what;
        std::uint32_t lod, largeLod;
        int first, last;
    } refusals[] = {{"level above the large LOD", 1, 2, 0, 4096},
                    {"negative first row", 2, 2, -1, 3},
                    {"first row below the level", 2, 2, 64, 70}};
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.what);
        EXPECT_THROW(manager.DownloadTextureImageLevel(0, 0x10000, r.lod, r.largeLod, kAspect1x1, kRgb565, 3,
                                                       level.data(), r.first, r.last),
                     ZelkException);
        EXPECT_EQ(manager.blockMaps[0].Size(), 1u);
        ASSERT_EQ(manager.blockMaps[0].Find({0x10000, 0x10001}), block);
        EXPECT_EQ(SystemTexel<WORD>(system, 0, 5, 2), 0x8000);
    }
    // Rows that end before they start: nothing to load, and nothing
    // erased, inserted or changed.
    EXPECT_TRUE(
        manager.DownloadTextureImageLevel(0, 0x10000, 2, 2, kAspect1x1, kRgb565, 3, level.data(), 5, 2));
    EXPECT_EQ(manager.blockMaps[0].Size(), 1u);
    ASSERT_EQ(manager.blockMaps[0].Find({0x10000, 0x10001}), block);
    EXPECT_EQ(SystemTexel<WORD>(system, 0, 5, 2), 0x8000);

    // A level that the size rule counts as 0 bytes (the 2x1 level of an
    // 8x1 8-bit texture) still loads its texels: here 0x00 and 0x80.
    ASSERT_TRUE(manager.DownloadTextureImageLevel(1, 0x40000, 7, 0, kAspect8x1, kI8, 3, level.data(), 0, 4096));
    ZelkGrTexMemBlock* narrow = manager.blockMaps[1].Find({0x40000, 0x40001});
    ASSERT_NE(narrow, nullptr);
    EXPECT_EQ(narrow->allocSmallLod, 7u);
    EXPECT_EQ(SystemTexel<BYTE>(narrow->systemTexture, 7, 0, 0), 0x00);
    EXPECT_EQ(SystemTexel<BYTE>(narrow->systemTexture, 7, 1, 0), 0x80);

    // Another format at the same range makes a new block.
    ASSERT_TRUE(
        manager.DownloadTextureImageLevel(0, 0x10000, 2, 2, kAspect1x1, kArgb1555, 3, level.data(), 0, 4096));
    block = manager.blockMaps[0].Find({0x10000, 0x10001});
    ASSERT_NE(block, nullptr);
    EXPECT_NE(block->systemTexture.GetInterfacePtr(), system.GetInterfacePtr());
    EXPECT_EQ(block->format, kArgb1555);
    EXPECT_EQ(manager.blockMaps[0].Size(), 1u);
}

TEST_F(TextureManager, AddressMapKeepsOneBlockPerOverlapInABucket)
{
    const std::vector<BYTE> level(16 * 16 * 2, 0x55);
    ZelkGrTextureManager manager(Device(), nullptr, Settings());
    auto download = [&](std::uint32_t start) {
        // One 16x16 16-bit level: 512 bytes of texture memory.
        return manager.DownloadTextureImage(0, start, 4, 4, kAspect1x1, kRgb565, 3, level.data());
    };
    ASSERT_TRUE(download(0));
    IDirect3DTexture9Ptr first = manager.blockMaps[0].Find({0, 1})->systemTexture;
    // Same start: replaced.
    ASSERT_TRUE(download(0));
    EXPECT_EQ(manager.blockMaps[0].Size(), 1u);
    EXPECT_NE(manager.blockMaps[0].Find({0, 1})->systemTexture.GetInterfacePtr(), first.GetInterfacePtr());
    // Overlapping, start in another bucket: both stay.
    ASSERT_TRUE(download(256));
    EXPECT_EQ(manager.blockMaps[0].Size(), 2u);
    ASSERT_TRUE(download(0));
    EXPECT_EQ(manager.blockMaps[0].Size(), 2u);

    // Grow the map to its first bucket count with blocks far away, then
    // download over the block at 0 from the start that shares its bucket
    // once the map has grown: the download must still land.
    ZelkGrTextureManager grown(Device(), nullptr, Settings());
    const std::uint32_t buckets = static_cast<std::uint32_t>(grown.blockMaps[0].BucketCount());
    ASSERT_TRUE(grown.DownloadTextureImage(0, 0, 4, 4, kAspect1x1, kRgb565, 3, level.data()));
    for (std::uint32_t k = 1; k < buckets; ++k) {
        ASSERT_TRUE(grown.DownloadTextureImage(0, 0x100000 + 1024 * k, 4, 4, kAspect1x1, kRgb565, 3, level.data()));
    }
    ASSERT_EQ(grown.blockMaps[0].Size(), buckets);
    // 211 is the grown bucket count of this map and lies inside [0, 512).
    ASSERT_TRUE(grown.DownloadTextureImage(0, 211, 4, 4, kAspect1x1, kRgb565, 3, level.data()));
    EXPECT_EQ(grown.blockMaps[0].BucketCount(), 211u);
    EXPECT_EQ(grown.blockMaps[0].Size(), buckets);
    ASSERT_NE(grown.blockMaps[0].Find({211, 212}), nullptr);
}

// Address ranges neither wrap past 2^32 nor come out empty, so a download
// over the same address always replaces the block there and a source call
// at that address finds it.
TEST_F(TextureManager, RepeatedDownloadsToOneAddressKeepOneBlock)
{
    ZelkGrTextureManager manager(Device(), nullptr, Settings());
    // A 1x1 level of an 8x1 16-bit texture: the size rule counts 0 bytes.
    const std::vector<BYTE> texel(2, 0x77);
    for (int i = 0; i < 10000; ++i) {
        ASSERT_TRUE(manager.DownloadTextureImage(0, 0x3000, 8, 8, kAspect8x1, kRgb565, 3, texel.data()));
    }
    EXPECT_EQ(manager.blockMaps[0].Size(), 1u);
    const GrTexInfo tiny = {8, 8, static_cast<GrAspectRatio_t>(kAspect8x1), kRgb565, nullptr};
    EXPECT_TRUE(manager.Source(0, 0x3000, 3, &tiny));
    EXPECT_NE(manager.pendingBlock[0], nullptr);

    // A 256x256 16-bit chain whose range passes 2^32.
    const std::vector<BYTE> chain(2 * 87381, 0x11);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(manager.DownloadTextureImage(0, 0xFFFFFFF0, 8, 0, kAspect1x1, kRgb565, 3, chain.data()));
    }
    EXPECT_EQ(manager.blockMaps[0].Size(), 2u);
    const GrTexInfo large = {8, 0, static_cast<GrAspectRatio_t>(kAspect1x1), kRgb565, nullptr};
    EXPECT_TRUE(manager.Source(0, 0xFFFFFFF0, 3, &large));
    EXPECT_EQ(manager.pendingBlock[0], manager.blockMaps[0].Find({0xFFFFFFF0, 0xFFFFFFF1}));
    EXPECT_NE(manager.pendingBlock[0], nullptr);
}

TEST_F(TextureManager, PendingBlockIsClearedWhenItsBlockIsErased)
{
    const std::vector<BYTE> level(16 * 16 * 2, 0x55);
    ZelkGrTextureSettings settings = Settings();
    settings.format[kArgb4444] = 0;  // no device format: the allocation fails
    ZelkGrTextureManager manager(Device(), nullptr, settings);
    ASSERT_TRUE(manager.DownloadTextureImage(0, 0, 4, 4, kAspect1x1, kRgb565, 3, level.data()));
    GrTexInfo info = {4, 4, 3, static_cast<GrTextureFormat_t>(kRgb565), nullptr};
    ASSERT_TRUE(manager.Source(0, 0, 3, &info));
    ASSERT_NE(manager.pendingBlock[0], nullptr);

    EXPECT_THROW(manager.DownloadTextureImage(0, 0, 4, 4, kAspect1x1, kArgb4444, 3, level.data()), ZelkException);
    EXPECT_EQ(manager.blockMaps[0].Size(), 0u);
    EXPECT_EQ(manager.pendingBlock[0], nullptr);
    manager.RecordPendingTextures();  // nothing left to touch
}

TEST_F(TextureManager, PalettisedLevelsBelowTheDownloadedOnesArePickedFromTheLevelAbove)
{
    ZelkGrTextureSettings settings = Settings();
    settings.format[kP8] = D3DFMT_A8R8G8B8;  // palettised texels kept as indices until the fill
    ZelkGrTextureManager manager(Device(), nullptr, settings);
    // An 8x2 level (LOD 8, aspect 4x1) of indices 1 to 16, row by row;
    // below it 4x1, 2x1 and 1x1, each taking every other texel of the one
    // above: 1 3 5 7, then 1 5, then 1.
    std::vector<BYTE> texels(16);
    for (int i = 0; i < 16; ++i) {
        texels[i] = static_cast<BYTE>(i + 1);
    }
    ASSERT_TRUE(manager.DownloadTextureImage(0, 0, 5, 5, 1, kP8, 3, texels.data()));
    ZelkGrTexMemBlock* block = manager.blockMaps[0].Find({0, 1});
    ASSERT_NE(block, nullptr);
    ASSERT_EQ(block->systemTexture->GetLevelCount(), 4u);
    const struct {
        UINT level, x;
        BYTE index;
    } kPicked[] = {{0, 7, 8}, {1, 0, 1}, {1, 1, 3}, {1, 2, 5}, {1, 3, 7}, {2, 0, 1}, {2, 1, 5}, {3, 0, 1}};
    for (const auto& p : kPicked) {
        EXPECT_EQ(SystemTexel<BYTE>(block->systemTexture, p.level, p.x, 0), p.index)
            << "level " << p.level << " x " << p.x;
    }
    EXPECT_EQ(SystemTexel<BYTE>(block->systemTexture, 0, 7, 1), 16);
}

TEST_F(TextureManager, PaletteAndColourKeyChangesGiveNewDeviceCopies)
{
    ZelkGrTextureSettings settings = Settings();
    settings.format[kP8] = D3DFMT_A8R8G8B8;  // palettised texels expanded by the manager
    ZelkGrTextureManager manager(Device(), nullptr, settings);
    ASSERT_EQ(manager.expandP8, 1);

    // A 4x4 texture: the left half index 1, the right half index 2.
    std::vector<BYTE> texels(16);
    for (int i = 0; i < 16; ++i) {
        texels[i] = (i % 4) < 2 ? 1 : 2;
    }
    std::vector<DWORD> colours(256, 0);
    colours[1] = 0x00FF0000;
    colours[2] = 0x0000FF00;
    manager.DownloadTable(0, GR_TEXTABLE_PALETTE, colours.data(), 0, 255);
    const std::uint32_t serial = manager.paletteSerial;
    ASSERT_TRUE(manager.DownloadTextureImage(0, 0, 6, 6, kAspect1x1, kP8, 3, texels.data()));
    ZelkGrTexMemBlock* block = manager.blockMaps[0].Find({0, 1});
    ASSERT_NE(block, nullptr);
    ASSERT_TRUE(manager.UpdateDeviceTexture(block));
    IDirect3DTexture9Ptr first = block->texture;
    ASSERT_TRUE(first != nullptr);
    // The same colours again change nothing.
    manager.DownloadTable(0, GR_TEXTABLE_PALETTE, colours.data(), 0, 255);
    EXPECT_EQ(manager.paletteSerial, serial);
    ASSERT_TRUE(manager.UpdateDeviceTexture(block));
    EXPECT_EQ(block->texture.GetInterfacePtr(), first.GetInterfacePtr());
    // NCC tables are not palettes.
    manager.DownloadTable(0, GR_TEXTABLE_NCC0, nullptr, 0, 255);
    EXPECT_EQ(manager.paletteSerial, serial);

    // Entries 1 and 9 swapped: rotations by i mod 8 alike, so the checksum
    // stays the same, yet the palette is new.
    std::vector<DWORD> swapped = colours;
    std::swap(swapped[1], swapped[9]);
    const std::uint32_t checksum = manager.paletteChecksum;
    manager.DownloadTable(0, GR_TEXTABLE_PALETTE, swapped.data(), -5, 300);
    EXPECT_EQ(manager.paletteChecksum, checksum);
    EXPECT_EQ(manager.paletteSerial, serial + 1);
    ASSERT_TRUE(manager.UpdateDeviceTexture(block));
    IDirect3DTexture9Ptr second = block->texture;
    ASSERT_TRUE(second != first);
    // The earlier copy keeps the palette it was made with; index 1 is now
    // black with full alpha.
    EXPECT_TRUE(Draw(first).PixelNear(8, 30, 0xFFFF0000, 4));
    EXPECT_TRUE(Draw(second).PixelNear(8, 30, 0xFF000000, 4));
    EXPECT_TRUE(Draw(second).PixelNear(56, 30, 0xFF00FF00, 4));

    // A colour key makes a new copy in which the keyed colour is clear.
    manager.colourKey = 0xFF00FF00;
    ASSERT_TRUE(manager.UpdateDeviceTexture(block));
    IDirect3DTexture9Ptr keyed = block->texture;
    ASSERT_TRUE(keyed != second);
    EXPECT_TRUE(Draw(keyed, 0xFF0000FF).PixelNear(56, 30, 0xFF0000FF, 4));
    EXPECT_TRUE(Draw(second, 0xFF0000FF).PixelNear(56, 30, 0xFF00FF00, 4));
}

TEST_F(TextureManager, OutOfVideoMemoryReleasesEveryDeviceCopy)
{
    const std::vector<BYTE> level(16 * 16 * 2, 0x55);
    ZelkGrTextureManager manager(Device(), nullptr, Settings());
    ASSERT_TRUE(manager.DownloadTextureImage(0, 0, 4, 4, kAspect1x1, kRgb565, 3, level.data()));
    ASSERT_TRUE(manager.DownloadTextureImage(1, 0, 4, 4, kAspect1x1, kRgb565, 3, level.data()));
    ASSERT_TRUE(manager.DownloadTextureImage(0, 4096, 4, 4, kAspect1x1, kRgb565, 3, level.data()));
    ZelkGrTexMemBlock* a = manager.blockMaps[0].Find({0, 1});
    ZelkGrTexMemBlock* b = manager.blockMaps[1].Find({0, 1});
    ZelkGrTexMemBlock* c = manager.blockMaps[0].Find({4096, 4097});
    ASSERT_TRUE(manager.UpdateDeviceTexture(a));
    ASSERT_TRUE(manager.UpdateDeviceTexture(b));

    proxy->FailCall("IDirect3DDevice9::CreateTexture", D3DERR_OUTOFVIDEOMEMORY, 1);
    EXPECT_FALSE(manager.UpdateDeviceTexture(c));
    EXPECT_TRUE(a->texture == nullptr);
    EXPECT_TRUE(b->texture == nullptr);
    EXPECT_TRUE(c->texture == nullptr);
    EXPECT_TRUE(manager.UpdateDeviceTexture(a));
    EXPECT_TRUE(a->texture != nullptr);
}

TEST_F(TextureManager, BadInputIsRefusedWithALoggedError)
{
    const std::vector<BYTE> level(256 * 256 * 2, 0);
    struct Case {
        const char* what;
        std::uint32_t tmu, smallLod, largeLod, aspect, format;
        const void* data;
        const char* message;
    } cases[] = {
        {"tmu 2", 2, 4, 4, 3, kRgb565, level.data(), "The parameter [ GrChipID_t tmu ] is invalid."},
        {"LOD 9", 0, 9, 4, 3, kRgb565, level.data(), "The parameter [ GrLOD_t lod ] is invalid."},
        {"inverted chain", 0, 2, 4, 3, kRgb565, level.data(), "The parameter [ GrLOD_t smallLod ] is invalid."},
        {"aspect 7", 0, 4, 4, 7, kRgb565, level.data(), "The parameter [ GrAspectRatio_t aspect ] is invalid."},
        {"format 16", 0, 4, 4, 3, 16, level.data(), "The parameter [ GrTextureFormat_t format ] is invalid."},
        {"reserved format 6", 0, 4, 4, 3, 6, level.data(), "The parameter [ GrTextureFormat_t format ] is invalid."},
        {"no data", 0, 4, 4, 3, kRgb565, nullptr, "The parameter [ void* data ] is invalid."},
    };
    ZelkGrTextureManager manager(Device(), nullptr, Settings());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_THROW(manager.DownloadTextureImage(c.tmu, 0, c.smallLod, c.largeLod, c.aspect, c.format, 3, c.data),
                     ZelkException);
        EXPECT_THROW(manager.DownloadTextureImageLevel(c.tmu, 0, c.smallLod, c.largeLod, c.aspect, c.format, 3,
                                                       c.data, 0, 4096),
                     ZelkException);
        EXPECT_NE(zelktest::ReadFileText("vezoRerez.log").find(c.message), std::string::npos);
    }
    EXPECT_EQ(manager.blockMaps[0].Size() + manager.blockMaps[1].Size(), 0u);
    EXPECT_THROW(manager.DownloadTable(0, GR_TEXTABLE_PALETTE, nullptr, 0, 255), ZelkException);
    GrTexInfo bad = {4, 4, 9, 17, nullptr};
    EXPECT_FALSE(manager.Source(0, 0, 3, &bad));
    EXPECT_FALSE(manager.Source(2, 0, 3, nullptr));
}

TEST_F(TextureManager, ManagerWithoutDeviceRefusesDownloadsAndCopiesQuietly)
{
    const std::vector<BYTE> level(16 * 16 * 2, 0x55);
    ZelkGrTextureManager manager(nullptr, nullptr, Settings());
    EXPECT_THROW(manager.DownloadTextureImage(0, 0, 4, 4, kAspect1x1, kRgb565, 3, level.data()), ZelkException);
    EXPECT_TRUE(manager.Source(0, 0, 3, nullptr));
    EXPECT_FALSE(manager.UpdateDeviceTexture(nullptr));
    manager.RecordPendingTextures();

    // Assignment installs a manager with a device; its pending blocks point
    // into its own maps.
    ZelkGrTextureManager withDevice(Device(), nullptr, Settings());
    ASSERT_TRUE(withDevice.DownloadTextureImage(0, 0, 4, 4, kAspect1x1, kRgb565, 3, level.data()));
    GrTexInfo info = {4, 4, 3, static_cast<GrTextureFormat_t>(kRgb565), nullptr};
    ASSERT_TRUE(withDevice.Source(0, 0, 3, &info));
    manager = withDevice;
    ASSERT_NE(manager.pendingBlock[0], nullptr);
    EXPECT_EQ(manager.pendingBlock[0], manager.blockMaps[0].Find({0, 1}));
    EXPECT_NE(manager.pendingBlock[0], withDevice.pendingBlock[0]);
    EXPECT_TRUE(manager.UpdateDeviceTexture(manager.pendingBlock[0]));
}

}  // namespace
