// The frame-buffer accessor on a real device: X8R8G8B8 lockable back buffer
// with D16_LOCKABLE depth, shared by every test of this executable.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "lfb/support/LfbTestDevice.h"
#include "common/DeviceFixture.h"
#include "framework/ZelkException.h"
#include "lfb/ZelkGrLfbAccessor.h"
#include "lfb/ZelkGrLfbRegionRows.h"

using namespace zelktest;
using zelk::ZelkException;
using zelk::ZelkGrLfbAccessor;
using zelk::ZelkGrLfbSettings;

namespace {

uint32_t Pattern(unsigned x, unsigned y) {
    return 0xFF000000u | ((x * 37 + y * 11) & 0xFF) << 16 | ((x * 5 + y * 53) & 0xFF) << 8 |
           ((x * 19 + y * 7) & 0xFF);
}

// Runs a call that must not throw; shows the exception's message when it does.
template <typename F>
testing::AssertionResult NoThrow(F f) {
    try {
        return f() ? testing::AssertionSuccess() : testing::AssertionFailure() << "returned false";
    } catch (const ZelkException& e) {
        return testing::AssertionFailure() << e.functionName << ": " << e.message << " ("
                                           << e.returnValueText << ")";
    }
}

void Store(uint8_t* p, uint32_t v, unsigned bytes) { std::memcpy(p, &v, bytes); }
uint32_t Load(const uint8_t* p, unsigned bytes) {
    uint32_t v = 0;
    std::memcpy(&v, p, bytes);
    return v;
}

class LfbAccessorTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        d3d.Attach(Direct3DCreate9(D3D_SDK_VERSION));
        device = CreateLfbDevice(d3d, D3DFMT_X8R8G8B8, D3DFMT_D16_LOCKABLE);
    }
    static void TearDownTestSuite() {
        device = nullptr;
        d3d = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(device != nullptr); }

    ZelkGrLfbAccessor Make(int colorFormat = GR_COLORFORMAT_ARGB,
                           const ZelkGrLfbSettings& settings = kAllOn) {
        return ZelkGrLfbAccessor(device, kLfbWidth, kLfbHeight, colorFormat, settings);
    }

    static IDirect3D9Ptr d3d;
    static IDirect3DDevice9Ptr device;
};
IDirect3D9Ptr LfbAccessorTest::d3d;
IDirect3DDevice9Ptr LfbAccessorTest::device;

TEST_F(LfbAccessorTest, ConstructionProbesTheDevice) {
    const ZelkGrLfbSettings front = {0, 0, 0, 1, 1, 0};
    ZelkGrLfbAccessor none(nullptr, 0, 0, GR_COLORFORMAT_ARGB, front);
    EXPECT_EQ(none.writeFront, 1);
    EXPECT_EQ(none.writeBack, 1);
    EXPECT_EQ(none.constantAlpha, 0xFFu);

    ZelkGrLfbAccessor a = Make();
    EXPECT_EQ(a.writeFront, 0);
    EXPECT_EQ(a.readBack, 1);
    EXPECT_EQ(a.writeDepth, 1);
    EXPECT_EQ(a.readDepth, 1);
    EXPECT_EQ(a.canConvert[3], 0) << "the back buffer's own format is never probed";

    // Installing another accessor drops the conversion targets.
    ZelkGrLfbAccessor b = Make();
    GrLfbInfo_t info = NewInfo();
    ASSERT_TRUE(b.Lock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_ANY, 0, 0, &info));
    ASSERT_TRUE(b.Unlock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER));
    b = none;
    for (const auto& target : b.conversionTargets) {
        EXPECT_TRUE(target == nullptr);
    }
}

// Write locks of the back buffer in every colour write mode, colour order
// and origin; then the screen through the device and through ReadRegion.
TEST_F(LfbAccessorTest, WriteLockRoundTrips) {
    const uint32_t modes[] = {0, 1, 2, 4, 5, 12, 13, 14, 0xFF};
    for (uint32_t mode : modes) {
        for (int order = 0; order < 4; ++order) {
            for (int origin : {GR_ORIGIN_UPPER_LEFT, GR_ORIGIN_LOWER_LEFT}) {
                SCOPED_TRACE(testing::Message() << "mode " << mode << " order " << order
                                                << " origin " << origin);
                FillBack(device, 0xFF102030);
                ZelkGrLfbAccessor a = Make(order);
                GrLfbInfo_t info = NewInfo();
                ASSERT_TRUE(a.Lock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER, mode, origin, 0, &info));
                EXPECT_EQ(info.size, int(sizeof(GrLfbInfo_t)));
                EXPECT_EQ(uint32_t(info.writeMode), mode == 0xFF ? 0u : mode);
                EXPECT_EQ(info.origin, origin);
                const unsigned bpp = ZelkGrLfbAccessor::BytesPerPixel(mode);
                ASSERT_GE(info.strideInBytes, kLfbWidth * bpp);
                for (unsigned y = 0; y < kLfbHeight; ++y) {
                    const unsigned screenY = origin == GR_ORIGIN_LOWER_LEFT ? kLfbHeight - 1 - y : y;
                    uint8_t* row = static_cast<uint8_t*>(info.lfbPtr) + y * info.strideInBytes;
                    for (unsigned x = 0; x < kLfbWidth; ++x) {
                        Store(row + x * bpp, EncodeLfb(mode, order, Pattern(x, screenY), 0x4000), bpp);
                    }
                }
                ASSERT_TRUE(a.Unlock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER));
                const std::vector<uint32_t> screen = ReadBack(device);
                ASSERT_EQ(screen.size(), size_t(kLfbWidth * kLfbHeight));
                const int tolerance = (mode == 4 || mode == 5) ? 0 : 7;
                for (unsigned y = 0; y < kLfbHeight; ++y) {
                    for (unsigned x = 0; x < kLfbWidth; ++x) {
                        const uint32_t expected = ThroughFields(mode, Pattern(x, y)) | 0xFF000000u;
                        ASSERT_TRUE(ColorNear(expected, screen[y * kLfbWidth + x], tolerance))
                            << x << "," << y;
                    }
                }
                // Reading back as 565.
                std::vector<uint16_t> region(kLfbWidth * kLfbHeight);
                ASSERT_TRUE(a.ReadRegion(GR_BUFFER_BACKBUFFER, 0, 0, kLfbWidth, kLfbHeight,
                                         kLfbWidth * 2, region.data()));
                for (unsigned i = 0; i < region.size(); i += 7) {
                    const uint32_t p = region[i];
                    const uint32_t first = (p >> 11) << 3, last = (p & 31) << 3;
                    const bool bgr = order == 1 || order == 3;  // the window's colour order
                    const uint32_t got = 0xFF000000u | (bgr ? last : first) << 16 |
                                         ((p >> 5) & 63) << 10 | (bgr ? first : last);
                    ASSERT_TRUE(ColorNear(ThroughFields(0, screen[i]), got, 8)) << i;
                }
                if (HasFatalFailure()) return;
            }
        }
    }
}

// Region writes from padded and bottom-up sources.
TEST_F(LfbAccessorTest, RegionWritesFromPaddedAndBottomUpSources) {
    const uint32_t formats[] = {0, 1, 2, 4, 5, 12, 13, 14};
    const unsigned rx = 5, ry = 3, w = 20, h = 10;
    for (uint32_t format : formats) {
        for (int order = 0; order < 4; ++order) {
            for (bool bottomUp : {false, true}) {
                SCOPED_TRACE(testing::Message() << "format " << format << " order " << order
                                                << " bottom-up " << bottomUp);
                FillBack(device, 0xFF405060);
                ZelkGrLfbAccessor a = Make(order);
                const unsigned bpp = ZelkGrLfbAccessor::BytesPerPixel(format);
                const int pitch = int(w * bpp + 12);
                std::vector<uint8_t> image(size_t(pitch) * h);
                for (unsigned y = 0; y < h; ++y) {
                    // Row y of the region lies at memory row h - 1 - y when bottom-up.
                    uint8_t* row = image.data() + size_t(bottomUp ? h - 1 - y : y) * pitch;
                    for (unsigned x = 0; x < w; ++x) {
                        Store(row + x * bpp, EncodeLfb(format, order, Pattern(x + rx, y + ry)), bpp);
                    }
                }
                const void* source = bottomUp ? image.data() : image.data();
                ASSERT_TRUE(NoThrow([&] {
                    return a.WriteRegion(GR_BUFFER_BACKBUFFER, format, rx, ry, w, h,
                                         bottomUp ? -pitch : pitch, source);
                }));
                const std::vector<uint32_t> screen = ReadBack(device);
                const int tolerance = (format == 4 || format == 5) ? 0 : 7;
                for (unsigned y = 0; y < kLfbHeight; ++y) {
                    for (unsigned x = 0; x < kLfbWidth; ++x) {
                        const bool inside = x >= rx && x < rx + w && y >= ry && y < ry + h;
                        const uint32_t expected =
                            inside ? ThroughFields(format, Pattern(x, y)) | 0xFF000000u : 0xFF405060u;
                        ASSERT_TRUE(ColorNear(expected, screen[y * kLfbWidth + x], tolerance))
                            << x << "," << y;
                    }
                }
                if (HasFatalFailure()) return;
            }
        }
    }
}

TEST_F(LfbAccessorTest, RegionClipping) {
    FillBack(device, 0xFF112233);
    ZelkGrLfbAccessor a = Make();
    const uint16_t white[4] = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
    // Wholly off the screen: nothing happens, success.
    EXPECT_TRUE(a.WriteRegion(GR_BUFFER_BACKBUFFER, 0, kLfbWidth, 0, 4, 1, 8, white));
    EXPECT_TRUE(a.WriteRegion(GR_BUFFER_BACKBUFFER, 0, 0, kLfbHeight, 4, 1, 8, white));
    EXPECT_TRUE(a.WriteRegion(GR_BUFFER_BACKBUFFER, 0, 0xFFFFFFFFu, 0xFFFFFFFFu, 4, 1, 8, white));
    // No rows, no source: nothing happens.
    EXPECT_TRUE(a.WriteRegion(GR_BUFFER_BACKBUFFER, 0, 0, 0, 4, 0, 8, white));
    EXPECT_TRUE(a.WriteRegion(GR_BUFFER_BACKBUFFER, 0, 0, 0, 4, 1, 8, nullptr));
    for (uint32_t p : ReadBack(device)) {
        ASSERT_EQ(p, 0xFF112233u);
    }
    // A width that would wrap in 32 bits is cut at the right edge.
    std::vector<uint16_t> row(kLfbWidth, 0xFFFF);
    EXPECT_TRUE(a.WriteRegion(GR_BUFFER_BACKBUFFER, 0, kLfbWidth - 2, 1, 0xFFFFFFF0u, 1, 0,
                              row.data()));
    std::vector<uint32_t> screen = ReadBack(device);
    EXPECT_TRUE(ColorNear(0xFFFFFFFF, screen[1 * kLfbWidth + kLfbWidth - 1], 7));
    EXPECT_TRUE(ColorNear(0xFFFFFFFF, screen[1 * kLfbWidth + kLfbWidth - 2], 7));
    EXPECT_EQ(screen[1 * kLfbWidth + kLfbWidth - 3], 0xFF112233u);
    EXPECT_EQ(screen[2 * kLfbWidth + 0], 0xFF112233u) << "not pulled onto the next row";

    // Reads: a stride below the row refuses, off-screen reads nothing.
    std::vector<uint16_t> out(16, 0xABCD);
    EXPECT_FALSE(a.ReadRegion(GR_BUFFER_BACKBUFFER, 0, 0, 4, 2, 6, out.data()));
    EXPECT_FALSE(a.ReadRegion(GR_BUFFER_BACKBUFFER, 0, 0, 4, 2, -8, out.data()));
    EXPECT_FALSE(a.ReadRegion(GR_BUFFER_BACKBUFFER, 0, 0, 4, 2, 8, nullptr));
    EXPECT_TRUE(a.ReadRegion(GR_BUFFER_BACKBUFFER, kLfbWidth, 0, 4, 2, 8, out.data()));
    for (uint16_t v : out) EXPECT_EQ(v, 0xABCD);
    EXPECT_TRUE(a.ReadRegion(GR_BUFFER_BACKBUFFER, kLfbWidth - 2, 1, 4, 2, 8, out.data()));
    EXPECT_EQ(out[0], 0xFFFF);
    EXPECT_EQ(out[2], 0xABCD) << "the cut region writes only its own columns";
}

// Where region rows may lie: the arithmetic alone, on addresses at both ends
// of the address space (no memory is touched).
TEST(LfbRegionRows, RowsFitInsideTheAddressSpaceOnly) {
    const uintptr_t top = UINTPTR_MAX;
    struct Case {
        uintptr_t first;
        int64_t stride;
        uint64_t rows;
        uint64_t rowBytes;
        bool fits;
    };
    const Case cases[] = {
        {0x10000, 64, 0, 64, true},
        {0x10000, 64, 100, 64, true},
        {0x10000, -64, 100, 64, true},
        {top - 15, 16, 1, 16, true},    // the last byte of memory
        {top - 15, 16, 1, 17, false},
        {top - 31, 16, 2, 16, true},
        {top - 31, 16, 3, 16, false},
        {top - 31, 16, 3, 0, false},    // the rows' start alone runs past the end
        {32, -16, 3, 16, true},         // rows at 32, 16 and 0
        {32, -16, 4, 16, false},
        {top - 15, -16, 2, 16, true},
        {top - 15, -16, 2, 17, false},
        {0x10000, INT64_MIN, 2, 1, false},
        {0x10000, INT64_MAX, 3, 1, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(zelk::LfbRegionRowsFit(reinterpret_cast<const void*>(c.first), c.stride, c.rows, c.rowBytes),
                  c.fits)
            << std::hex << c.first << " stride " << std::dec << c.stride << " rows " << c.rows << " of "
            << c.rowBytes;
    }
}

// Depth: ZA16 locks hand out the depth buffer; RGB:DEPTH writes carry depth;
// colour-only writes leave it alone.
TEST_F(LfbAccessorTest, DepthWrites) {
    FillDepth(device, 0.5f);
    const std::vector<uint32_t> before = ReadDepth(device);
    ZelkGrLfbAccessor a = Make();
    a.constantDepth = 0x1234u << 16;
    GrLfbInfo_t info = NewInfo();
    ASSERT_TRUE(a.Lock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_565, 0, 0, &info));
    ASSERT_TRUE(a.Unlock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER));
    ASSERT_TRUE(a.Lock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_8888, 1, 0, &info));
    ASSERT_TRUE(a.Unlock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER));
    EXPECT_EQ(ReadDepth(device), before) << "colour-only writes keep the depth";

    ASSERT_TRUE(a.Lock(GR_LFB_WRITE_ONLY, GR_BUFFER_DEPTHBUFFER, GR_LFBWRITEMODE_ANY, 0, 0, &info));
    EXPECT_EQ(info.writeMode, GR_LFBWRITEMODE_ZA16);
    for (unsigned y = 0; y < kLfbHeight; ++y)
        for (unsigned x = 0; x < kLfbWidth; ++x)
            Store(static_cast<uint8_t*>(info.lfbPtr) + y * info.strideInBytes + x * 2, x * 1000 + y, 2);
    ASSERT_TRUE(a.Unlock(GR_LFB_WRITE_ONLY, GR_BUFFER_DEPTHBUFFER));
    std::vector<uint32_t> depth = ReadDepth(device);
    EXPECT_EQ(depth[3 * kLfbWidth + 7], 7003u);
    std::vector<uint16_t> region(4);
    ASSERT_TRUE(a.ReadRegion(GR_BUFFER_DEPTHBUFFER, 7, 3, 2, 2, 4, region.data()));
    EXPECT_EQ(region[0], 7003);
    EXPECT_EQ(region[3], 8004);

    // 565_DEPTH region write: colour into the back buffer, depth into depth.
    FillBack(device, 0xFF000000);
    const uint32_t pixels[2] = {0xABCDF800u, 0x1234001Fu};
    ASSERT_TRUE(a.WriteRegion(GR_BUFFER_BACKBUFFER, GR_LFB_SRC_FMT_565_DEPTH, 10, 10, 2, 1, 8, pixels));
    depth = ReadDepth(device);
    EXPECT_EQ(depth[10 * kLfbWidth + 10], 0xABCDu);
    EXPECT_EQ(depth[10 * kLfbWidth + 11], 0x1234u);
    EXPECT_EQ(depth[10 * kLfbWidth + 12], 12010u) << "outside the region";
    const std::vector<uint32_t> screen = ReadBack(device);
    EXPECT_TRUE(ColorNear(0xFFF80000, screen[10 * kLfbWidth + 10], 7));
    EXPECT_TRUE(ColorNear(0xFF0000F8, screen[10 * kLfbWidth + 11], 7));
}

// With depth buffering on, the aux buffer is the depth buffer.
TEST_F(LfbAccessorTest, AuxBufferFollowsDepthBuffering) {
    FillDepth(device, 0.0f);
    ZelkGrLfbAccessor a = Make();
    const uint16_t z[2] = {0x4321, 0x4321};
    a.auxIsDepth = 1;
    ASSERT_TRUE(a.WriteRegion(GR_BUFFER_AUXBUFFER, GR_LFB_SRC_FMT_ZA16, 0, 0, 2, 1, 4, z));
    EXPECT_EQ(ReadDepth(device)[1], 0x4321u);
    // Without depth buffering the aux buffer is the alpha buffer, which this
    // back buffer (no alpha bits) cannot hold: refused, the depth untouched.
    a.auxIsDepth = 0;
    FillDepth(device, 0.0f);
    EXPECT_THROW(a.WriteRegion(GR_BUFFER_AUXBUFFER, GR_LFB_SRC_FMT_ZA16, 0, 0, 2, 1, 4, z), ZelkException);
    EXPECT_EQ(ReadDepth(device)[1], 0u);
}

// An aux-buffer lock ends on the buffer it locked, whatever depth buffering
// does in between: the depth surface is unlocked and written, or the alpha
// buffer's pixels reach the back buffer.
TEST_F(LfbAccessorTest, AuxLockEndsOnTheBufferItLocked) {
    FillDepth(device, 0.0f);
    ZelkGrLfbAccessor a = Make();
    a.auxIsDepth = 1;
    GrLfbInfo_t info = NewInfo();
    ASSERT_TRUE(a.Lock(GR_LFB_WRITE_ONLY, GR_BUFFER_AUXBUFFER, GR_LFBWRITEMODE_ZA16, 0, 0, &info));
    Store(static_cast<uint8_t*>(info.lfbPtr) + 2 * info.strideInBytes + 6, 0x5678, 2);
    a.auxIsDepth = 0;
    EXPECT_TRUE(a.Unlock(GR_LFB_WRITE_ONLY, GR_BUFFER_AUXBUFFER));
    IDirect3DSurface9Ptr depth;
    ASSERT_EQ(device->GetDepthStencilSurface(&depth), D3D_OK);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(depth->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK) << "the depth surface was left locked";
    depth->UnlockRect();
    EXPECT_EQ(ReadDepth(device)[2 * kLfbWidth + 3], 0x5678u);
    EXPECT_FALSE(a.Unlock(GR_LFB_WRITE_ONLY, GR_BUFFER_AUXBUFFER)) << "the lock is over";
}

// This back buffer has no alpha bits: alpha-buffer writes are refused and
// change nothing.  ZA16 region writes to the back buffer carry no colour:
// the written rectangle takes the constant colour.
TEST_F(LfbAccessorTest, AlphaWritesAreRefusedAndZa16RegionsUseTheConstantColour) {
    FillBack(device, 0xFF336699);
    FillDepth(device, 1.0f);
    ZelkGrLfbAccessor a = Make();
    a.constantColor = 0x00ABCDEF;
    GrLfbInfo_t info = NewInfo();
    try {
        a.Lock(GR_LFB_WRITE_ONLY, GR_BUFFER_AUXBUFFER, GR_LFBWRITEMODE_ANY, 0, 0, &info);
        ADD_FAILURE() << "the alpha buffer was locked on X8R8G8B8";
    } catch (const ZelkException& e) {
        EXPECT_EQ(e.message, "The surface format [ D3DFORMAT 22 ] cannot hold the alpha buffer.");
        EXPECT_TRUE(e.logged);
    }
    EXPECT_EQ(info.lfbPtr, nullptr);
    EXPECT_FALSE(a.Unlock(GR_LFB_WRITE_ONLY, GR_BUFFER_AUXBUFFER)) << "nothing is locked";
    EXPECT_THROW(a.WriteRegion(GR_BUFFER_ALPHABUFFER, GR_LFB_SRC_FMT_ZA16, 0, 0, 2, 1, 4, "\x80\x80\x80\x80"),
                 ZelkException);
    for (uint32_t p : ReadBack(device)) {
        ASSERT_EQ(p, 0xFF336699u);
    }
    EXPECT_EQ(ReadDepth(device)[0], 0xFFFFu) << "alpha writes keep the depth";

    FillBack(device, 0xFF336699);
    a.constantColor = 0x00102030;
    ASSERT_TRUE(a.WriteRegion(GR_BUFFER_BACKBUFFER, GR_LFB_SRC_FMT_ZA16, 3, 2, 2, 1, 4, "\x11\x11\x22\x22"));
    const std::vector<uint32_t> screen = ReadBack(device);
    EXPECT_EQ(screen[2 * kLfbWidth + 2], 0xFF336699u);
    EXPECT_EQ(screen[2 * kLfbWidth + 3], 0xFF102030u);
    EXPECT_EQ(screen[2 * kLfbWidth + 4], 0xFF102030u);
    EXPECT_EQ(screen[2 * kLfbWidth + 5], 0xFF336699u);
    EXPECT_EQ(ReadDepth(device)[2 * kLfbWidth + 4], 0x2222u) << "ZA16 is depth";
}

// A depth-buffer lock or region write in a mode without depth fills its
// rectangle with the constant depth.
TEST_F(LfbAccessorTest, DepthBufferWritesWithoutDepthTakeTheConstantDepth) {
    FillDepth(device, 0.0f);
    ZelkGrLfbAccessor a = Make();
    a.constantDepth = 0xBEEFu << 16;
    GrLfbInfo_t info = NewInfo();
    ASSERT_TRUE(a.Lock(GR_LFB_WRITE_ONLY, GR_BUFFER_DEPTHBUFFER, GR_LFBWRITEMODE_565, 0, 0, &info));
    ASSERT_TRUE(a.Unlock(GR_LFB_WRITE_ONLY, GR_BUFFER_DEPTHBUFFER));
    for (uint32_t z : ReadDepth(device)) {
        ASSERT_EQ(z, 0xBEEFu);
    }
    a.constantDepth = 0x0102u << 16;
    const uint32_t pixels[2] = {0xFFFFFFFF, 0xFFFFFFFF};
    ASSERT_TRUE(a.WriteRegion(GR_BUFFER_DEPTHBUFFER, GR_LFB_SRC_FMT_8888, 7, 1, 2, 1, 8, pixels));
    const std::vector<uint32_t> depth = ReadDepth(device);
    EXPECT_EQ(depth[kLfbWidth + 6], 0xBEEFu);
    EXPECT_EQ(depth[kLfbWidth + 7], 0x0102u);
    EXPECT_EQ(depth[kLfbWidth + 8], 0x0102u);
    EXPECT_EQ(depth[kLfbWidth + 9], 0xBEEFu);
}

TEST_F(LfbAccessorTest, BadParametersAreRefusedAndTheNextLockWorks) {
    ZelkGrLfbAccessor a = Make();
    struct Bad {
        GrLock_t type;
        GrBuffer_t buffer;
        GrLfbWriteMode_t mode;
    };
    const Bad bad[] = {{0, 5, 0}, {0, 0x100, 0}, {2, 1, 0}, {0xF, 1, 0}, {1, 1, 6},
                       {1, 1, 11}, {1, 1, 16}, {1, 1, 254}, {0, 3, 0x100}};
    for (const Bad& b : bad) {
        GrLfbInfo_t info = NewInfo();
        info.lfbPtr = &info;
        info.strideInBytes = 7;
        EXPECT_THROW(a.Lock(b.type, b.buffer, b.mode, 0, 0, &info), ZelkException);
        EXPECT_EQ(info.size, 0);
        EXPECT_EQ(info.lfbPtr, nullptr);
        EXPECT_EQ(info.strideInBytes, 0u);
    }
    EXPECT_THROW(a.Unlock(2, GR_BUFFER_BACKBUFFER), ZelkException);
    EXPECT_THROW(a.Unlock(0, 5), ZelkException);
    EXPECT_THROW(a.WriteRegion(GR_BUFFER_BACKBUFFER, 3, 0, 0, 1, 1, 2, "xx"), ZelkException);
    EXPECT_THROW(a.WriteRegion(5, 0, 0, 0, 1, 1, 2, "xx"), ZelkException);
    EXPECT_FALSE(a.WriteRegion(GR_BUFFER_BACKBUFFER, GR_LFB_SRC_FMT_RLE16, 0, 0, 1, 1, 2, "xx"));
    EXPECT_FALSE(a.Unlock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER)) << "never locked";

    GrLfbInfo_t info = NewInfo();
    ASSERT_TRUE(a.Lock(GR_LFB_READ_ONLY | GR_LFB_NOIDLE, GR_BUFFER_BACKBUFFER, 5, 0, 0, &info));
    EXPECT_EQ(info.writeMode, GR_LFBWRITEMODE_565) << "read memory is 565";
    EXPECT_NE(info.lfbPtr, nullptr);
    EXPECT_TRUE(a.Unlock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER));

    // Before a window is open nothing is handed out.
    ZelkGrLfbAccessor closed(nullptr, 0, 0, 0, kAllOn);
    EXPECT_THROW(closed.Lock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER, 0, 0, 0, &info), ZelkException);
    EXPECT_EQ(info.lfbPtr, nullptr);
    EXPECT_FALSE(closed.Unlock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER));
}

// A lock that converts through a render target keeps the target for the
// next one; a target that a lock still holds is not handed out again: a
// region write during a 565 lock gets a target of its own and reaches the
// back buffer, and the lock's pixels reach it at the unlock.
TEST_F(LfbAccessorTest, ConversionTargetsAreKeptAndNeverShared) {
    ZelkGrLfbAccessor a = Make();
    if (!a.canConvert[0]) {
        GTEST_SKIP() << "the device does not convert to R5G6B5 here";
    }
    FillBack(device, 0xFF000000);
    GrLfbInfo_t info = NewInfo();
    ASSERT_TRUE(a.Lock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_565, 0, 0, &info));
    IDirect3DSurface9* const first = a.conversionTargets[0];
    ASSERT_TRUE(first != nullptr);
    ASSERT_TRUE(a.Unlock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER));
    ASSERT_TRUE(a.Lock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_565, 0, 0, &info));
    EXPECT_EQ(a.conversionTargets[0].GetInterfacePtr(), first) << "kept from the lock before";
    Store(static_cast<uint8_t*>(info.lfbPtr) + 4 * info.strideInBytes + 2 * 4, 0xF800, 2);
    const uint16_t green[2] = {0x07E0, 0x07E0};
    ASSERT_TRUE(NoThrow([&] { return a.WriteRegion(GR_BUFFER_BACKBUFFER, GR_LFB_SRC_FMT_565, 10, 4, 2, 1, 4, green); }));
    EXPECT_NE(a.conversionTargets[0].GetInterfacePtr(), first) << "the lock holds the first target";
    std::vector<uint32_t> screen = ReadBack(device);
    EXPECT_TRUE(ColorNear(0xFF00FF00u, screen[4 * kLfbWidth + 10], 7));
    EXPECT_TRUE(ColorNear(0xFF00FF00u, screen[4 * kLfbWidth + 11], 7));
    EXPECT_EQ(screen[4 * kLfbWidth + 4], 0xFF000000u) << "the lock is not written back yet";
    ASSERT_TRUE(a.Unlock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER));
    screen = ReadBack(device);
    EXPECT_TRUE(ColorNear(0xFFFF0000u, screen[4 * kLfbWidth + 4], 7));
}

// A back-buffer lock that carries depth while the depth buffer is locked
// directly: the depth surface is never locked twice.
TEST_F(LfbAccessorTest, BackAndDepthLockedTogether) {
    ZelkGrLfbAccessor a = Make();
    GrLfbInfo_t depthInfo = NewInfo();
    GrLfbInfo_t backInfo = NewInfo();
    ASSERT_TRUE(a.Lock(GR_LFB_WRITE_ONLY, GR_BUFFER_DEPTHBUFFER, GR_LFBWRITEMODE_ZA16, 0, 0, &depthInfo));
    ASSERT_TRUE(a.Lock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_565_DEPTH, 0, 0, &backInfo));
    for (unsigned y = 0; y < kLfbHeight; ++y)
        for (unsigned x = 0; x < kLfbWidth; ++x)
            Store(static_cast<uint8_t*>(backInfo.lfbPtr) + y * backInfo.strideInBytes + x * 4,
                  0x2222F800u, 4);
    ASSERT_TRUE(a.Unlock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER));
    EXPECT_EQ(Load(static_cast<uint8_t*>(depthInfo.lfbPtr) + 5 * depthInfo.strideInBytes + 6, 2),
              0x2222u);
    ASSERT_TRUE(a.Unlock(GR_LFB_WRITE_ONLY, GR_BUFFER_DEPTHBUFFER));
    EXPECT_EQ(ReadDepth(device)[17], 0x2222u);
    EXPECT_TRUE(ColorNear(0xFFF80000, ReadBack(device)[17], 7));
}

}  // namespace
