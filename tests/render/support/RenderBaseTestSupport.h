#pragma once

// Shared by the renderer-base tests: one window and one device per test
// executable (through the Direct3D fault proxy), a software renderer whose
// texel pipeline draws the vertex colour, and Glide vertices.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>

#include "common/D3DProxy.h"
#include "common/TestWindow.h"
#include "framework/ZelkD3DPtr.h"
#include "framework/ZelkProcessor.h"
#include "render/ZelkGrPrimitiveRendererSW.h"

namespace zelktest {

// The proxy, window and device of the whole test executable, built on first
// use and kept until the process ends.
class RenderTestDevice {
public:
    static constexpr UINT kWidth = 64;
    static constexpr UINT kHeight = 64;

    // The device with the given back-buffer format (A8R8G8B8 or X8R8G8B8)
    // and size; one of each per executable.
    static IDirect3DDevice9* Get(D3DFORMAT backBufferFormat = D3DFMT_X8R8G8B8, UINT width = kWidth,
                                 UINT height = kHeight);
    static D3DProxy& Proxy();
};

// A software renderer whose texel pipeline takes colour and alpha from the
// vertex.  It counts its texel-pipeline updates.
class TestRendererSW : public zelk::ZelkGrPrimitiveRendererSW {
public:
    TestRendererSW(IDirect3DDevice9* device, std::uint32_t width, std::uint32_t height,
                   const zelk::ZelkGrRendererSettings& settings);
    ~TestRendererSW() override;

    void UpdateTexelPipeline() override;

    std::atomic<int> texelUpdates{0};
    // Set by tests: each texel-pipeline update sleeps this long first, or
    // throws a ZelkException.
    std::atomic<int> texelSleepMs{0};
    std::atomic<bool> throwInTexelUpdate{false};

    using ZelkGrPrimitiveRenderer::handedOverCount;
    using ZelkGrPrimitiveRenderer::playedCount;
    using ZelkGrPrimitiveRenderer::workerDead;
};

// A test with a software renderer on the executable's device: SetUp picks
// the device; TearDown drops the renderer and restores the proxy's caps and
// faults.
class SoftwareRendererTest : public testing::Test {
protected:
    void TearDown() override;
    // A renderer anew (64 x 64, default settings), with the proxy reporting
    // separate alpha blending or not.
    void BuildRenderer(bool noSeparateAlpha);
    DWORD RenderState(D3DRENDERSTATETYPE state);

    IDirect3DDevice9* device = nullptr;
    std::unique_ptr<TestRendererSW> renderer;
};

// The alpha-blend command's value from Glide's four blend factor codes.
std::uint32_t BlendValue(std::uint32_t src, std::uint32_t dst, std::uint32_t srcAlpha, std::uint32_t dstAlpha);

// Stand-in CPUID instructions of an AMD processor with and without 3DNow!,
// for SetCpuidFunction.
bool CpuidAmd3DNow(std::uint32_t leaf, zelk::ZelkCpuidRegisters& registers);
bool CpuidAmdPlain(std::uint32_t leaf, zelk::ZelkCpuidRegisters& registers);

// Default settings with the background thread on or off.
zelk::ZelkGrRendererSettings RendererSettings(bool backgroundThread = false);

// A Glide vertex at (x, y) of the given colour (0 to 255 per channel).
GrVertex MakeVertex(float x, float y, float r = 255.0f, float g = 255.0f, float b = 255.0f, float a = 255.0f);

// Waits up to the time-out for the condition; false when it never held.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs = 5000)
{
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) {
            return false;
        }
        Sleep(1);
    }
    return true;
}

// Runs the action on another thread and waits up to the time-out for it to
// end; false when it did not (the thread is then left running).
bool RunWithTimeout(std::function<void()> action, DWORD timeoutMs = 10000);

}  // namespace zelktest
