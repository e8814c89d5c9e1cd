// The accessor when Direct3D calls fail, through the fault proxy: the
// failure is reported and logged, the lock record is empty again, and the
// next lock works once the device behaves.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/D3DProxy.h"
#include "common/DeviceFixture.h"
#include "framework/ZelkException.h"
#include "lfb/ZelkGrLfbAccessor.h"
#include "lfb/support/LfbTestDevice.h"

using namespace zelktest;
using zelk::ZelkException;
using zelk::ZelkGrLfbAccessor;
using zelk::ZelkGrLfbSettings;

namespace {

std::string ReadLog() {
    std::string log;
    if (FILE* file = std::fopen("vezoRerez.log", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, file)) log += line;
        std::fclose(file);
    }
    return log;
}

class LfbAccessorFaultTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        proxy = new D3DProxy();
        d3d = proxy->CreateDirect3D();
        device = CreateLfbDevice(d3d, D3DFMT_X8R8G8B8, D3DFMT_D16_LOCKABLE);
    }
    static void TearDownTestSuite() {
        device = nullptr;
        d3d = nullptr;
        delete proxy;
    }
    void SetUp() override {
        ASSERT_TRUE(device != nullptr);
        proxy->ClearFaults();
    }
    void TearDown() override { proxy->ClearFaults(); }

    ZelkGrLfbAccessor Make() { return ZelkGrLfbAccessor(device, kLfbWidth, kLfbHeight, 0, kAllOn); }

    static D3DProxy* proxy;
    static IDirect3D9Ptr d3d;
    static IDirect3DDevice9Ptr device;
};
D3DProxy* LfbAccessorFaultTest::proxy = nullptr;
IDirect3D9Ptr LfbAccessorFaultTest::d3d;
IDirect3DDevice9Ptr LfbAccessorFaultTest::device;

// The constructor's probes: a failed call throws with its message; failed
// checks only turn capabilities off.
TEST_F(LfbAccessorFaultTest, ConstructionFailures) {
    struct Case {
        const char* call;
        const char* message;
    };
    const Case cases[] = {
        {"CreateOffscreenPlainSurface", "The function [ IDirect3DDevice9::CreateOffscreenPlainSurface ] failed."},
        {"GetBackBuffer", "The function [ IDirect3DDevice9::GetBackBuffer ] failed."},
        {"GetDepthStencilSurface", "The function [ IDirect3DDevice9::GetDepthStencilSurface ] failed."},
    };
    for (const Case& c : cases) {
        proxy->ClearFaults();
        proxy->FailCall(c.call, E_OUTOFMEMORY);
        try {
            Make();
            ADD_FAILURE() << c.call << " did not fail the construction";
        } catch (const ZelkException& e) {
            EXPECT_EQ(e.functionName, "ZelkGrLfbAccessor::ZelkGrLfbAccessor");
            EXPECT_EQ(e.message, c.message);
            EXPECT_TRUE(e.logged);
        }
    }
    EXPECT_NE(ReadLog().find("The function [ IDirect3DDevice9::GetBackBuffer ] failed."), std::string::npos);

    // A conversion check that does not succeed counts as no conversion.
    proxy->ClearFaults();
    proxy->FailCall("CheckDeviceFormatConversion", D3DERR_INVALIDCALL);
    ZelkGrLfbAccessor a = Make();
    for (uint8_t can : a.canConvert) EXPECT_EQ(can, 0);
    proxy->ClearFaults();
    proxy->FailCall("GetFrontBufferData", D3DERR_INVALIDCALL);
    EXPECT_EQ(Make().readFront, 0);
}

// A lock whose Direct3D calls fail: reported, record and info empty, and
// the next lock works.
TEST_F(LfbAccessorFaultTest, FailedLocksLeaveNothingBehind) {
    struct Case {
        const char* call;
        GrLock_t type;
        GrBuffer_t buffer;
        GrLfbWriteMode_t mode;
        GrOriginLocation_t origin;
    };
    const Case cases[] = {
        {"GetBackBuffer", GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_8888, 0},
        {"GetBackBuffer", GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_565, 1},
        {"GetDepthStencilSurface", GR_LFB_WRITE_ONLY, GR_BUFFER_DEPTHBUFFER, GR_LFBWRITEMODE_ZA16, 0},
        {"StretchRect", GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_565, 0},
        {"CreateRenderTarget", GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_565, 0},
        {"GetFrontBufferData", GR_LFB_READ_ONLY, GR_BUFFER_FRONTBUFFER, GR_LFBWRITEMODE_565, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.call);
        proxy->ClearFaults();
        ZelkGrLfbAccessor a = Make();
        if (std::string(c.call) == "GetFrontBufferData" && !a.readFront) {
            a.readFront = 1;  // probed off on this display; the lock still asks
        }
        if ((std::string(c.call) == "StretchRect" || std::string(c.call) == "CreateRenderTarget") &&
            !a.canConvert[0]) {
            continue;  // reads of this back buffer need no render target here
        }
        proxy->FailCall(c.call, D3DERR_INVALIDCALL);
        GrLfbInfo_t info = NewInfo();
        EXPECT_THROW(a.Lock(c.type, c.buffer, c.mode, c.origin, 0, &info), ZelkException);
        EXPECT_EQ(info.size, 0);
        EXPECT_EQ(info.lfbPtr, nullptr);
        for (const auto& record : a.lockRecords) {
            EXPECT_EQ(record.kind, uint32_t(zelk::kLfbKindNone));
            EXPECT_EQ(record.surface.Get(), nullptr);
        }
        proxy->ClearFaults();
        info = NewInfo();
        if (std::string(c.call) == "GetFrontBufferData") {
            a.readFront = 0;
        }
        ASSERT_TRUE(a.Lock(c.type, c.buffer, c.mode, c.origin, 0, &info));
        EXPECT_NE(info.lfbPtr, nullptr);
        EXPECT_TRUE(a.Unlock(c.type, c.buffer));
    }
}

// A surface someone else holds locked cannot be locked again: the lock
// fails cleanly and works once the surface is free.
TEST_F(LfbAccessorFaultTest, SurfaceLockFailure) {
    ZelkGrLfbAccessor a = Make();
    IDirect3DSurface9Ptr back;
    ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(back->LockRect(&locked, nullptr, 0), D3D_OK);
    GrLfbInfo_t info = NewInfo();
    try {
        a.Lock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_8888, 0, 0, &info);
        ADD_FAILURE() << "locked a surface that is locked already";
    } catch (const ZelkException& e) {
        EXPECT_EQ(e.message, "The function [ IDirect3DSurface9::LockRect ] failed.");
    }
    EXPECT_EQ(a.lockRecords[1].kind, uint32_t(zelk::kLfbKindNone));
    back->UnlockRect();
    info = NewInfo();
    ASSERT_TRUE(a.Lock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_8888, 0, 0, &info));
    EXPECT_TRUE(a.Unlock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER));
}

// A write-back that fails ends the lock all the same.
TEST_F(LfbAccessorFaultTest, FailedWriteBackEndsTheLock) {
    ZelkGrLfbAccessor a = Make();
    GrLfbInfo_t info = NewInfo();
    // Software lock (lower-left origin); its write-back fetches the back buffer.
    ASSERT_TRUE(a.Lock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_565, 1, 0, &info));
    proxy->FailCall("GetBackBuffer", D3DERR_INVALIDCALL);
    EXPECT_THROW(a.Unlock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER), ZelkException);
    EXPECT_EQ(a.lockRecords[1].kind, uint32_t(zelk::kLfbKindNone));
    proxy->ClearFaults();
    if (a.canConvert[0]) {
        // Through a render target: the copy back fails.
        ASSERT_TRUE(a.Lock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_565, 0, 0, &info));
        EXPECT_EQ(a.lockRecords[1].kind, uint32_t(zelk::kLfbKindSurface));
        proxy->FailCall("StretchRect", D3DERR_INVALIDCALL);
        EXPECT_THROW(a.Unlock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER), ZelkException);
        EXPECT_EQ(a.lockRecords[1].surface.Get(), nullptr);
        proxy->ClearFaults();
    }
    ASSERT_TRUE(a.Lock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_565, 0, 0, &info));
    EXPECT_TRUE(a.Unlock(GR_LFB_WRITE_ONLY, GR_BUFFER_BACKBUFFER));
}

// Render targets lock as a checking runtime allows: never with
// D3DLOCK_DISCARD (the proxy refuses it on a rectangle of a surface that is
// not dynamic), and read-only for reads.  A region write converted through a
// render target still lands, and only on its own pixels.
TEST_F(LfbAccessorFaultTest, RenderTargetLocksUseOnlyAllowedFlags) {
    {
        IDirect3DSurface9Ptr target;
        ASSERT_EQ(device->CreateRenderTarget(8, 8, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, 0, TRUE, &target, nullptr),
                  D3D_OK);
        const RECT rect = {0, 0, 4, 4};
        D3DLOCKED_RECT locked;
        ASSERT_EQ(target->LockRect(&locked, &rect, D3DLOCK_DISCARD), D3DERR_INVALIDCALL) << "the proxy checks";
    }
    ZelkGrLfbAccessor a = Make();
    if (!a.canConvert[0]) {
        GTEST_SKIP() << "the device does not convert to R5G6B5 here";
    }
    FillBack(device, 0xFF000000);
    proxy->ClearSurfaceLocks();
    const uint16_t green[2] = {0x07E0, 0x07E0};
    try {
        EXPECT_TRUE(a.WriteRegion(GR_BUFFER_BACKBUFFER, GR_LFB_SRC_FMT_565, 10, 4, 2, 1, 4, green));
    } catch (const ZelkException& e) {
        ADD_FAILURE() << e.functionName << ": " << e.message;
    }
    const std::vector<uint32_t> screen = ReadBack(device);
    EXPECT_EQ(screen[4 * kLfbWidth + 9], 0xFF000000u);
    EXPECT_TRUE(ColorNear(0xFF00FF00u, screen[4 * kLfbWidth + 10], 7));
    EXPECT_TRUE(ColorNear(0xFF00FF00u, screen[4 * kLfbWidth + 11], 7));
    EXPECT_EQ(screen[4 * kLfbWidth + 12], 0xFF000000u);
    std::vector<D3DProxySurfaceLock> locks = proxy->SurfaceLocks();
    ASSERT_FALSE(locks.empty()) << "the region write went through a render target";
    for (const D3DProxySurfaceLock& lock : locks) {
        EXPECT_EQ(lock.flags & D3DLOCK_DISCARD, 0u);
        EXPECT_EQ(lock.result, D3D_OK);
    }

    // A read lock converted through a render target locks it read-only.
    proxy->ClearSurfaceLocks();
    GrLfbInfo_t info = NewInfo();
    ASSERT_TRUE(a.Lock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_ANY, GR_ORIGIN_UPPER_LEFT, 0, &info));
    EXPECT_EQ(static_cast<const uint16_t*>(info.lfbPtr)[4 * info.strideInBytes / 2 + 10], 0x07E0);
    EXPECT_TRUE(a.Unlock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER));
    locks = proxy->SurfaceLocks();
    ASSERT_EQ(locks.size(), 1u);
    EXPECT_EQ(locks[0].flags, DWORD(D3DLOCK_READONLY));
}

}  // namespace
