// The accessor on the back-buffer and depth formats the device offers: which
// memory a lock hands out, and round trips through locks and regions.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/DeviceFixture.h"
#include "framework/ZelkException.h"
#include "lfb/ZelkGrLfbAccessor.h"
#include "lfb/support/GuardedBuffer.h"
#include "lfb/support/LfbTestDevice.h"

using namespace zelktest;
using zelk::ZelkGrLfbAccessor;
using zelk::ZelkGrLfbSettings;

namespace {

// Write modes whose layout is a back-buffer format: only these may be
// handed the back buffer's own memory (ARGB order).
bool LayoutEquals(uint32_t mode, D3DFORMAT back) {
    switch (mode) {
    case GR_LFBWRITEMODE_565: return back == D3DFMT_R5G6B5;
    case GR_LFBWRITEMODE_555: return back == D3DFMT_X1R5G5B5;
    case GR_LFBWRITEMODE_1555: return back == D3DFMT_X1R5G5B5 || back == D3DFMT_A1R5G5B5;
    case GR_LFBWRITEMODE_888: return back == D3DFMT_X8R8G8B8;
    case GR_LFBWRITEMODE_8888: return back == D3DFMT_X8R8G8B8 || back == D3DFMT_A8R8G8B8;
    default: return false;
    }
}

class LfbAccessorFormatsTest : public testing::Test {
protected:
    static void SetUpTestSuite() { d3d.Attach(Direct3DCreate9(D3D_SDK_VERSION)); }
    static void TearDownTestSuite() { d3d = nullptr; }
    static IDirect3D9Ptr d3d;
};
IDirect3D9Ptr LfbAccessorFormatsTest::d3d;

const D3DFORMAT kBackFormats[] = {D3DFMT_R5G6B5, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_X1R5G5B5,
                                  D3DFMT_A1R5G5B5};
const D3DFORMAT kDepthFormats[] = {D3DFMT_D32F_LOCKABLE, D3DFMT_D16_LOCKABLE};

TEST_F(LfbAccessorFormatsTest, BackBufferMemoryOnlyForItsOwnLayout) {
    int tried = 0;
    for (D3DFORMAT back : kBackFormats) {
        IDirect3DDevice9Ptr device = CreateLfbDevice(d3d, back, D3DFMT_D16_LOCKABLE);
        if (!device) {
            std::printf("back buffer format %d not offered here\n", int(back));
            continue;
        }
        ++tried;
        IDirect3DSurface9Ptr backBuffer;
        ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
        for (uint32_t mode : {0u, 1u, 2u, 3u, 4u, 5u, 12u, 13u, 14u, 15u}) {
            SCOPED_TRACE(testing::Message() << "back " << back << " mode " << mode);
            ZelkGrLfbAccessor a(device, kLfbWidth, kLfbHeight, GR_COLORFORMAT_ARGB, kAllOn);
            GrLfbInfo_t info = NewInfo();
            if (mode == 3 && back != D3DFMT_A8R8G8B8 && back != D3DFMT_A1R5G5B5) {
                // The alpha buffer's pixels carry only alpha: nowhere to go.
                EXPECT_THROW(a.Lock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER, mode, 0, 0, &info),
                             zelk::ZelkException);
                continue;
            }
            ASSERT_TRUE(a.Lock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER, mode, 0, 0, &info));
            const bool handedBackBuffer = a.lockRecords[1].surface.Get() == backBuffer.GetInterfacePtr();
            EXPECT_EQ(handedBackBuffer, LayoutEquals(mode, back));
            EXPECT_EQ(uint32_t(info.writeMode), mode == 3 ? 15u : mode) << "the alpha mode reports as ZA16";
            EXPECT_GE(info.strideInBytes, kLfbWidth * ZelkGrLfbAccessor::BytesPerPixel(mode));
            // Every byte of every row handed out can be written.
            for (unsigned y = 0; y < kLfbHeight; ++y) {
                std::memset(static_cast<uint8_t*>(info.lfbPtr) + y * info.strideInBytes, 0,
                            kLfbWidth * ZelkGrLfbAccessor::BytesPerPixel(mode));
            }
            ASSERT_TRUE(a.Unlock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER));
            // Region writes follow the same rule and never write past the rows.
            std::vector<uint8_t> pixels(kLfbWidth * 4, 0);
            EXPECT_TRUE(a.WriteRegion(GR_BUFFER_BACKBUFFER, mode == 3 ? 15 : mode, 0, 0, kLfbWidth, 1,
                                      int(kLfbWidth * 4), pixels.data()));
        }
    }
    EXPECT_GT(tried, 0);
}

// Colour round trips per pair of back-buffer format and write mode: 8888
// colours written through a lock come back through the device.  A lossless
// pair keeps every bit of the write mode's fields, so those bits come back
// exactly; low bits below them are the widening's own (the device's, where
// a lock is served by a conversion surface) and are not compared.  A lossy
// pair keeps the back buffer's narrower fields, each within one step of the
// colour's top bits (the device may round where the library truncates).
TEST_F(LfbAccessorFormatsTest, RoundTripsPerFormat) {
    constexpr uint32_t k565 = GR_LFBWRITEMODE_565, k555 = GR_LFBWRITEMODE_555,
                       k1555 = GR_LFBWRITEMODE_1555, k8888 = GR_LFBWRITEMODE_8888;
    struct Pair {
        D3DFORMAT back;
        uint32_t mode;
        bool lossless;
        int bits[3];  // red, green, blue bits compared
    };
    const Pair kPairs[] = {
        {D3DFMT_R5G6B5, k565, true, {5, 6, 5}},     {D3DFMT_R5G6B5, k555, true, {5, 5, 5}},
        {D3DFMT_R5G6B5, k1555, true, {5, 5, 5}},    {D3DFMT_R5G6B5, k8888, false, {5, 6, 5}},
        {D3DFMT_X8R8G8B8, k565, true, {5, 6, 5}},   {D3DFMT_X8R8G8B8, k555, true, {5, 5, 5}},
        {D3DFMT_X8R8G8B8, k1555, true, {5, 5, 5}},  {D3DFMT_X8R8G8B8, k8888, true, {8, 8, 8}},
        {D3DFMT_A8R8G8B8, k565, true, {5, 6, 5}},   {D3DFMT_A8R8G8B8, k555, true, {5, 5, 5}},
        {D3DFMT_A8R8G8B8, k1555, true, {5, 5, 5}},  {D3DFMT_A8R8G8B8, k8888, true, {8, 8, 8}},
        {D3DFMT_X1R5G5B5, k565, false, {5, 5, 5}},  {D3DFMT_X1R5G5B5, k555, true, {5, 5, 5}},
        {D3DFMT_X1R5G5B5, k1555, true, {5, 5, 5}},  {D3DFMT_X1R5G5B5, k8888, false, {5, 5, 5}},
        {D3DFMT_A1R5G5B5, k565, false, {5, 5, 5}},  {D3DFMT_A1R5G5B5, k555, true, {5, 5, 5}},
        {D3DFMT_A1R5G5B5, k1555, true, {5, 5, 5}},  {D3DFMT_A1R5G5B5, k8888, false, {5, 5, 5}},
    };
    // Every channel steps through low and high bits across the buffer.
    auto colourAt = [](unsigned x, unsigned y) {
        return 0xFF000000u | (x * 4 + y % 4) << 16 | (y * 5 + x % 4) << 8 | ((x + y) * 2 + x % 2);
    };
    int losslessTried = 0;
    for (const Pair& pair : kPairs) {
        IDirect3DDevice9Ptr device = CreateLfbDevice(d3d, pair.back, D3DFMT_D16_LOCKABLE);
        if (!device) {
            continue;
        }
        losslessTried += pair.lossless;
        SCOPED_TRACE(testing::Message() << "back " << pair.back << " mode " << pair.mode
                                        << (pair.lossless ? " lossless" : " lossy"));
        ZelkGrLfbAccessor a(device, kLfbWidth, kLfbHeight, GR_COLORFORMAT_ARGB, kAllOn);
        a.constantAlpha = 0xFF;
        GrLfbInfo_t info = NewInfo();
        ASSERT_TRUE(a.Lock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER, pair.mode, 0, 0, &info));
        const unsigned bpp = ZelkGrLfbAccessor::BytesPerPixel(pair.mode);
        for (unsigned y = 0; y < kLfbHeight; ++y)
            for (unsigned x = 0; x < kLfbWidth; ++x) {
                const uint32_t v = EncodeLfb(pair.mode, 0, colourAt(x, y));
                std::memcpy(static_cast<uint8_t*>(info.lfbPtr) + y * info.strideInBytes + x * bpp, &v, bpp);
            }
        ASSERT_TRUE(a.Unlock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER));
        const std::vector<uint32_t> screen = ReadBack(device);
        ASSERT_EQ(screen.size(), size_t(kLfbWidth) * kLfbHeight);
        const int allowedSteps = pair.lossless ? 0 : 1;
        for (unsigned y = 0; y < kLfbHeight; ++y)
            for (unsigned x = 0; x < kLfbWidth; ++x) {
                const uint32_t colour = colourAt(x, y), actual = screen[y * kLfbWidth + x];
                for (int channel = 0; channel < 3; ++channel) {
                    const int shift = 16 - 8 * channel, drop = 8 - pair.bits[channel];
                    const int wanted = int((colour >> shift) & 0xFF) >> drop;
                    const int got = int((actual >> shift) & 0xFF) >> drop;
                    ASSERT_LE(std::abs(got - wanted), allowedSteps)
                        << "channel " << "RGB"[channel] << " at " << x << "," << y << std::hex
                        << ": wrote 0x" << colour << ", read 0x" << actual;
                }
            }
    }
    EXPECT_GT(losslessTried, 0) << "no back-buffer format offered";
}

// Depth through ZA16 locks on each lockable depth format, and the read
// conversion back to 16 bits.
TEST_F(LfbAccessorFormatsTest, DepthFormats) {
    for (D3DFORMAT depthFormat : kDepthFormats) {
        IDirect3DDevice9Ptr device = CreateLfbDevice(d3d, D3DFMT_X8R8G8B8, depthFormat);
        if (!device) {
            std::printf("depth format %d not offered here\n", int(depthFormat));
            continue;
        }
        SCOPED_TRACE(testing::Message() << "depth " << depthFormat);
        ZelkGrLfbAccessor a(device, kLfbWidth, kLfbHeight, GR_COLORFORMAT_ARGB, kAllOn);
        if (!a.writeDepth) {
            std::printf("depth format %d is not lockable here\n", int(depthFormat));
            continue;
        }
        GrLfbInfo_t info = NewInfo();
        ASSERT_TRUE(a.Lock(GR_LFB_WRITE_ONLY, GR_BUFFER_DEPTHBUFFER, GR_LFBWRITEMODE_ZA16, 1, 0, &info));
        EXPECT_EQ(info.writeMode, GR_LFBWRITEMODE_ZA16);
        for (unsigned y = 0; y < kLfbHeight; ++y)
            for (unsigned x = 0; x < kLfbWidth; ++x) {
                const uint16_t z = uint16_t(y == 0 ? 0xFFFF : x * 1000 + y);
                std::memcpy(static_cast<uint8_t*>(info.lfbPtr) + y * info.strideInBytes + x * 2, &z, 2);
            }
        ASSERT_TRUE(a.Unlock(GR_LFB_WRITE_ONLY, GR_BUFFER_DEPTHBUFFER));
        const std::vector<uint32_t> depth = ReadDepth(device);
        // Lower-left origin: frame-buffer row 0 is the bottom screen row.
        EXPECT_EQ(depth[(kLfbHeight - 1) * kLfbWidth + 5], 0xFFFFu);
        EXPECT_NEAR(double(depth[(kLfbHeight - 1 - 7) * kLfbWidth + 3]), 3007.0, 1.0);
        std::vector<uint16_t> region(2);
        ASSERT_TRUE(a.ReadRegion(GR_BUFFER_DEPTHBUFFER, 3, kLfbHeight - 1 - 7, 2, 1, 4, region.data()));
        EXPECT_EQ(region[0], 3007);
        EXPECT_EQ(region[1], 4007);
    }
}

// Region reads and writes of narrow rectangles touch exactly the region's
// bytes: the application's memory sits against a page that faults when
// touched, once after and once before the region's bytes, and the
// surface's pixels around the region keep their colour.  The regions lie at
// the screen's top-left corner and at its bottom-right one, where the last
// pixel is the last of the surface.
TEST_F(LfbAccessorFormatsTest, NarrowRegionsTouchOnlyTheirBytes) {
    struct Size {
        unsigned w, h;
    };
    const Size sizes[] = {{1, 1}, {3, 1}, {5, 2}};
    const GrLfbSrcFmt_t writeFormats[] = {GR_LFB_SRC_FMT_565, GR_LFB_SRC_FMT_1555, GR_LFB_SRC_FMT_8888,
                                          GR_LFB_SRC_FMT_565_DEPTH};
    for (D3DFORMAT back : kBackFormats) {
        IDirect3DDevice9Ptr device = CreateLfbDevice(d3d, back, D3DFMT_D16_LOCKABLE);
        if (!device) {
            continue;
        }
        ZelkGrLfbAccessor a(device, kLfbWidth, kLfbHeight, GR_COLORFORMAT_ARGB, kAllOn);
        for (const Size& size : sizes) {
            for (bool corner : {false, true}) {
                const unsigned x = corner ? kLfbWidth - size.w : 0, y = corner ? kLfbHeight - size.h : 0;
                for (GuardedBuffer::Guard guard : {GuardedBuffer::kGuardAfter, GuardedBuffer::kGuardBefore}) {
                    SCOPED_TRACE(testing::Message() << "back " << back << " region " << size.w << "x" << size.h
                                                    << " at " << x << "," << y << " guard " << guard);
                    // Reads of the back buffer (black: 565 zero) and of the depth (zero).
                    FillBack(device, 0xFF000000);
                    FillDepth(device, 0.0f);
                    for (GrBuffer_t buffer : {GR_BUFFER_BACKBUFFER, GR_BUFFER_DEPTHBUFFER}) {
                        GuardedBuffer out(size.w * 2 * size.h, guard);
                        std::memset(out.data(), 0xEE, out.size());
                        ASSERT_TRUE(a.ReadRegion(buffer, x, y, size.w, size.h, int(size.w * 2), out.data()));
                        for (size_t i = 0; i < out.size(); ++i) {
                            ASSERT_EQ(out.data()[i], 0) << "buffer " << buffer << " byte " << i;
                        }
                        EXPECT_TRUE(out.OutsideUntouched()) << "buffer " << buffer;
                    }
                    // Writes of white over black.
                    for (GrLfbSrcFmt_t format : writeFormats) {
                        SCOPED_TRACE(testing::Message() << "format " << format);
                        FillBack(device, 0xFF000000);
                        const unsigned bpp = ZelkGrLfbAccessor::BytesPerPixel(format);
                        GuardedBuffer source(size.w * bpp * size.h, guard);
                        std::memset(source.data(), 0xFF, source.size());
                        ASSERT_TRUE(a.WriteRegion(GR_BUFFER_BACKBUFFER, format, x, y, size.w, size.h,
                                                  int(size.w * bpp), source.data()));
                        const std::vector<uint32_t> screen = ReadBack(device);
                        for (unsigned sy = 0; sy < kLfbHeight; ++sy)
                            for (unsigned sx = 0; sx < kLfbWidth; ++sx) {
                                const bool inside = sx >= x && sx < x + size.w && sy >= y && sy < y + size.h;
                                const uint32_t rgb = screen[sy * kLfbWidth + sx] & 0x00FFFFFFu;
                                ASSERT_EQ(rgb != 0, inside) << sx << "," << sy;
                            }
                    }
                    // Depth written as it is.
                    FillDepth(device, 1.0f);
                    GuardedBuffer depth(size.w * 2 * size.h, guard);
                    std::memset(depth.data(), 0x21, depth.size());
                    ASSERT_TRUE(a.WriteRegion(GR_BUFFER_DEPTHBUFFER, GR_LFB_SRC_FMT_ZA16, x, y, size.w, size.h,
                                              int(size.w * 2), depth.data()));
                    const std::vector<uint32_t> z = ReadDepth(device);
                    for (unsigned sy = 0; sy < kLfbHeight; ++sy)
                        for (unsigned sx = 0; sx < kLfbWidth; ++sx) {
                            const bool inside = sx >= x && sx < x + size.w && sy >= y && sy < y + size.h;
                            ASSERT_EQ(z[sy * kLfbWidth + sx], inside ? 0x2121u : 0xFFFFu) << sx << "," << sy;
                        }
                }
            }
        }
    }
}

// The aux buffer is the alpha buffer while depth buffering is off.  Its
// writes change only the alpha bits of a back buffer that has them and keep
// every colour bit; a back buffer without alpha bits refuses them.  ZA16
// locks of the back buffer change only the depth with the pixel pipeline
// off, and fill the constant colour with it on.
TEST_F(LfbAccessorFormatsTest, AlphaBufferAndZa16WritesKeepTheColour) {
    struct Case {
        D3DFORMAT back;
        uint32_t picture;   // magenta 0xFFFF00FF as the back buffer holds it
        int alphaOf40;      // alpha read back after writing 0x40; -1: refused
        uint32_t constant;  // constant colour 0xFF00FF00 as the back buffer holds it
    };
    const Case cases[] = {
        {D3DFMT_A8R8G8B8, 0xFFFF00FFu, 0x40, 0xFF00FF00u}, {D3DFMT_A1R5G5B5, 0xFFF800F8u, 0xFF, 0xFF00F800u},
        {D3DFMT_X8R8G8B8, 0xFFFF00FFu, -1, 0xFF00FF00u},   {D3DFMT_R5G6B5, 0xFFF800F8u, -1, 0xFF00FC00u},
        {D3DFMT_X1R5G5B5, 0xFFF800F8u, -1, 0xFF00F800u},
    };
    const std::string refusal = "cannot hold the alpha buffer";
    int withAlpha = 0, withoutAlpha = 0;
    for (const Case& c : cases) {
        IDirect3DDevice9Ptr device = CreateLfbDevice(d3d, c.back, D3DFMT_D16_LOCKABLE);
        if (!device) {
            std::printf("back buffer format %d not offered here\n", int(c.back));
            continue;
        }
        SCOPED_TRACE(testing::Message() << "back " << c.back);
        (c.alphaOf40 < 0 ? withoutAlpha : withAlpha) += 1;
        ZelkGrLfbAccessor a(device, kLfbWidth, kLfbHeight, GR_COLORFORMAT_ARGB, kAllOn);
        ASSERT_TRUE(a.writeDepth);
        a.auxIsDepth = 0;
        a.constantColor = 0xFF00FF00u;
        FillBack(device, 0xFFFF00FFu);
        FillDepth(device, 0.5f);
        const std::vector<uint32_t> depthBefore = ReadDepth(device);
        ASSERT_EQ(ReadBack(device)[0], c.picture);

        // A lock of the alpha buffer: alpha 0x40 on even columns, 0 on odd
        // ones; the high byte of each pixel means nothing.
        GrLfbInfo_t info = NewInfo();
        if (c.alphaOf40 < 0) {
            try {
                a.Lock(GR_LFB_WRITE_ONLY, GR_BUFFER_AUXBUFFER, GR_LFBWRITEMODE_ZA16, GR_ORIGIN_UPPER_LEFT, FXFALSE,
                       &info);
                ADD_FAILURE() << "the alpha buffer was locked on a back buffer without alpha";
            } catch (const zelk::ZelkException& e) {
                EXPECT_NE(e.message.find(refusal), std::string::npos) << e.message;
            }
            EXPECT_EQ(info.lfbPtr, nullptr);
            EXPECT_EQ(a.lockRecords[2].kind, uint32_t(zelk::kLfbKindNone));
            const uint16_t pixels[2] = {0xAB40, 0xCD00};
            EXPECT_THROW(a.WriteRegion(GR_BUFFER_AUXBUFFER, GR_LFB_SRC_FMT_ZA16, 3, 2, 2, 1, 4, pixels),
                         zelk::ZelkException);
            for (uint32_t p : ReadBack(device)) ASSERT_EQ(p, c.picture);
        } else {
            ASSERT_TRUE(a.Lock(GR_LFB_WRITE_ONLY, GR_BUFFER_AUXBUFFER, GR_LFBWRITEMODE_ZA16, GR_ORIGIN_UPPER_LEFT,
                               FXFALSE, &info));
            for (unsigned y = 0; y < kLfbHeight; ++y)
                for (unsigned x = 0; x < kLfbWidth; ++x) {
                    const uint16_t v = x % 2 ? 0xCD00 : 0xAB40;
                    std::memcpy(static_cast<uint8_t*>(info.lfbPtr) + y * info.strideInBytes + x * 2, &v, 2);
                }
            ASSERT_TRUE(a.Unlock(GR_LFB_WRITE_ONLY, GR_BUFFER_AUXBUFFER));
            std::vector<uint32_t> screen = ReadBack(device);
            for (unsigned i = 0; i < screen.size(); ++i) {
                const uint32_t alpha = i % 2 ? 0u : uint32_t(c.alphaOf40);
                ASSERT_EQ(screen[i], alpha << 24 | (c.picture & 0xFFFFFFu)) << "pixel " << i;
            }
            // A region of the alpha buffer: only its two pixels change.
            FillBack(device, 0xFFFF00FFu);
            const uint16_t pixels[2] = {0xAB40, 0xCD00};
            ASSERT_TRUE(a.WriteRegion(GR_BUFFER_AUXBUFFER, GR_LFB_SRC_FMT_ZA16, 3, 2, 2, 1, 4, pixels));
            screen = ReadBack(device);
            EXPECT_EQ(screen[2 * kLfbWidth + 2], c.picture);
            EXPECT_EQ(screen[2 * kLfbWidth + 3], uint32_t(c.alphaOf40) << 24 | (c.picture & 0xFFFFFFu));
            EXPECT_EQ(screen[2 * kLfbWidth + 4], c.picture & 0xFFFFFFu);
            EXPECT_EQ(screen[2 * kLfbWidth + 5], c.picture);
        }
        EXPECT_EQ(ReadDepth(device), depthBefore) << "alpha writes keep the depth";

        // ZA16 locks of the back buffer, pipeline off then on.
        for (FxBool pipeline : {FXFALSE, FXTRUE}) {
            SCOPED_TRACE(pipeline ? "pixel pipeline on" : "pixel pipeline off");
            FillBack(device, 0xFFFF00FFu);
            const uint16_t z = pipeline ? 0x4321 : 0x1234;
            info = NewInfo();
            ASSERT_TRUE(a.Lock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_ZA16, GR_ORIGIN_UPPER_LEFT,
                               pipeline, &info));
            for (unsigned y = 0; y < kLfbHeight; ++y)
                for (unsigned x = 0; x < kLfbWidth; ++x)
                    std::memcpy(static_cast<uint8_t*>(info.lfbPtr) + y * info.strideInBytes + x * 2, &z, 2);
            ASSERT_TRUE(a.Unlock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER));
            for (uint32_t p : ReadBack(device)) ASSERT_EQ(p, pipeline ? c.constant : c.picture);
            for (uint32_t d : ReadDepth(device)) ASSERT_EQ(d, uint32_t(z));
        }
    }
    EXPECT_GT(withAlpha, 0) << "no back buffer with alpha offered";
    EXPECT_GT(withoutAlpha, 0) << "no back buffer without alpha offered";
}

// An aux-buffer unlock ends the aux lock that is open, whatever depth
// buffering did in between; a lock ended under another name, or one that
// failed, is not taken for it, and with no aux lock open the unlock ends
// the lock that the aux buffer stands for now or none.  Each sequence ends
// with every lock closed and its writes landed: depth 0x1357 at (6, 2)
// through depth locks, alpha 0x40 there through alpha locks.
TEST_F(LfbAccessorFormatsTest, AuxUnlockEndsTheLockThatIsOpen) {
    IDirect3DDevice9Ptr device = CreateLfbDevice(d3d, D3DFMT_A8R8G8B8, D3DFMT_D16_LOCKABLE);
    if (!device) {
        GTEST_SKIP() << "no A8R8G8B8 back buffer with lockable depth here";
    }
    enum Op { kLock, kLockFails, kUnlock };
    struct Step {
        Op op;
        GrBuffer_t buffer;
        int depthOn;
        bool unlocks = true;  // what an unlock returns
    };
    constexpr GrBuffer_t kAux = GR_BUFFER_AUXBUFFER, kDepth = GR_BUFFER_DEPTHBUFFER, kAlpha = GR_BUFFER_ALPHABUFFER;
    struct Sequence {
        const char* name;
        std::vector<Step> steps;
    };
    const Sequence sequences[] = {
        {"aux lock ended as the depth buffer, then the alpha buffer",
         {{kLock, kAux, 1}, {kUnlock, kDepth, 1}, {kLock, kAlpha, 0}, {kUnlock, kAux, 0}}},
        {"aux lock ended as the alpha buffer, then the depth buffer",
         {{kLock, kAux, 0}, {kUnlock, kAlpha, 0}, {kLock, kDepth, 1}, {kUnlock, kAux, 1}}},
        {"a failed aux lock, then the alpha buffer", {{kLockFails, kAux, 1}, {kLock, kAlpha, 0}, {kUnlock, kAux, 0}}},
        {"aux lock of the depth buffer ended with depth buffering off", {{kLock, kAux, 1}, {kUnlock, kAux, 0}}},
        {"aux lock of the alpha buffer ended with depth buffering on", {{kLock, kAux, 0}, {kUnlock, kAux, 1}}},
        {"no aux lock open: the depth lock stays",
         {{kLock, kDepth, 1}, {kUnlock, kAux, 0, false}, {kUnlock, kDepth, 0}}},
    };
    for (const Sequence& sequence : sequences) {
        SCOPED_TRACE(sequence.name);
        FillBack(device, 0xFFFF00FFu);
        FillDepth(device, 0.0f);
        ZelkGrLfbAccessor a(device, kLfbWidth, kLfbHeight, GR_COLORFORMAT_ARGB, kAllOn);
        ASSERT_TRUE(a.writeDepth);
        bool wroteDepth = false, wroteAlpha = false;
        for (const Step& step : sequence.steps) {
            a.auxIsDepth = uint32_t(step.depthOn);
            GrLfbInfo_t info = NewInfo();
            if (step.op == kLockFails) {
                EXPECT_THROW(a.Lock(GR_LFB_WRITE_ONLY, step.buffer, 6, GR_ORIGIN_UPPER_LEFT, FXFALSE, &info),
                             zelk::ZelkException);
            } else if (step.op == kLock) {
                ASSERT_TRUE(a.Lock(GR_LFB_WRITE_ONLY, step.buffer, GR_LFBWRITEMODE_ZA16, GR_ORIGIN_UPPER_LEFT,
                                   FXFALSE, &info));
                const bool depth = step.buffer == kDepth || (step.buffer == kAux && step.depthOn);
                const uint16_t v = depth ? 0x1357 : 0x0040;
                std::memcpy(static_cast<uint8_t*>(info.lfbPtr) + 2 * info.strideInBytes + 6 * 2, &v, 2);
                (depth ? wroteDepth : wroteAlpha) = true;
            } else {
                EXPECT_EQ(a.Unlock(GR_LFB_WRITE_ONLY, step.buffer), step.unlocks) << "unlock of " << step.buffer;
            }
        }
        for (const auto& record : a.lockRecords) {
            EXPECT_EQ(record.kind, uint32_t(zelk::kLfbKindNone)) << "a lock is still open";
        }
        EXPECT_EQ(ReadDepth(device)[2 * kLfbWidth + 6], wroteDepth ? 0x1357u : 0u);
        EXPECT_EQ(ReadBack(device)[2 * kLfbWidth + 6], wroteAlpha ? 0x40FF00FFu : 0xFFFF00FFu);
    }
}

}  // namespace

// A read lock of a 565 back buffer hands out its own memory, locked
// read-only.  A region write meanwhile is refused rather than written
// through that lock; once the read lock is over, the same write lands.
TEST_F(LfbAccessorFormatsTest, RegionWriteIntoABufferHeldForReadingIsRefused) {
    IDirect3DDevice9Ptr device = CreateLfbDevice(d3d, D3DFMT_R5G6B5, D3DFMT_D16_LOCKABLE);
    if (!device) {
        GTEST_SKIP() << "no R5G6B5 back buffer here";
    }
    FillBack(device, 0xFF000000);
    ZelkGrLfbAccessor a(device, kLfbWidth, kLfbHeight, GR_COLORFORMAT_ARGB, kAllOn);
    GrLfbInfo_t info = NewInfo();
    ASSERT_TRUE(a.Lock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_565, GR_ORIGIN_UPPER_LEFT, 0,
                       &info));
    const uint16_t white[2] = {0xFFFF, 0xFFFF};
    try {
        a.WriteRegion(GR_BUFFER_BACKBUFFER, GR_LFB_SRC_FMT_565, 4, 4, 2, 1, 4, white);
        ADD_FAILURE() << "written through a read-only lock";
    } catch (const zelk::ZelkException& e) {
        EXPECT_EQ(e.message, "The surface to write is locked read-only by an open frame-buffer read lock.");
    }
    ASSERT_TRUE(a.Unlock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER));
    EXPECT_EQ(ReadBack(device)[4 * kLfbWidth + 5], 0xFF000000u);
    ASSERT_TRUE(a.WriteRegion(GR_BUFFER_BACKBUFFER, GR_LFB_SRC_FMT_565, 4, 4, 2, 1, 4, white));
    EXPECT_TRUE(ColorNear(0xFFFFFFFFu, ReadBack(device)[4 * kLfbWidth + 5], 7));
}
