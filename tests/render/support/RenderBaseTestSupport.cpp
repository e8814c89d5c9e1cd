#include "RenderBaseTestSupport.h"

#include <cstring>
#include <functional>

#include "common/TestDevice.h"
#include "framework/ZelkException.h"

namespace zelktest {

namespace {

struct SharedDevice {
    std::unique_ptr<D3DProxy> proxy;
    std::unique_ptr<TestWindow> window;
    IDirect3DDevice9Ptr device;
    D3DFORMAT format = D3DFMT_UNKNOWN;
};

// Never destroyed: the device outlives every test and goes with the process.
SharedDevice& Shared()
{
    static SharedDevice* shared = new SharedDevice;
    return *shared;
}

}  // namespace

D3DProxy& RenderTestDevice::Proxy()
{
    SharedDevice& shared = Shared();
    if (!shared.proxy) {
        shared.proxy = std::make_unique<D3DProxy>();
    }
    return *shared.proxy;
}

IDirect3DDevice9* RenderTestDevice::Get(D3DFORMAT backBufferFormat, UINT width, UINT height)
{
    SharedDevice& shared = Shared();
    if (shared.device != nullptr) {
        EXPECT_EQ(shared.format, backBufferFormat) << "one back-buffer format per test executable";
        return shared.device;
    }
    D3DProxy& proxy = Proxy();
    shared.window = std::make_unique<TestWindow>(width, height);
    IDirect3D9Ptr d3d = proxy.CreateDirect3D();
    if (d3d == nullptr) {
        ADD_FAILURE() << "no Direct3D";
        return nullptr;
    }
    TestDeviceOptions options;
    options.backBuffer = backBufferFormat;
    const HRESULT result = CreateTestDevice(d3d, shared.window->Handle(), width, height, shared.device, options);
    if (FAILED(result)) {
        ADD_FAILURE() << "CreateDevice failed: 0x" << std::hex << result;
        return nullptr;
    }
    shared.format = backBufferFormat;
    return shared.device;
}

TestRendererSW::TestRendererSW(IDirect3DDevice9* device, std::uint32_t width, std::uint32_t height,
                               const zelk::ZelkGrRendererSettings& settings)
    : ZelkGrPrimitiveRendererSW(device, width, height, settings)
{
}

TestRendererSW::~TestRendererSW()
{
    Shutdown();
}

void TestRendererSW::UpdateTexelPipeline()
{
    ++texelUpdates;
    if (texelSleepMs.load() > 0) {
        Sleep(static_cast<DWORD>(texelSleepMs.load()));
    }
    if (throwInTexelUpdate.load()) {
        throw zelk::ZelkException("TestRendererSW::UpdateTexelPipeline", static_cast<HRESULT>(E_FAIL),
                                  "The function [ TestRendererSW::UpdateTexelPipeline ] failed.");
    }
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
}

zelk::ZelkGrRendererSettings RendererSettings(bool backgroundThread)
{
    zelk::ZelkGrRendererSettings settings;
    settings.useBackgroundThread = backgroundThread ? 1 : 0;
    return settings;
}

GrVertex MakeVertex(float x, float y, float r, float g, float b, float a)
{
    GrVertex vertex;
    std::memset(&vertex, 0, sizeof vertex);
    vertex.x = x;
    vertex.y = y;
    vertex.r = r;
    vertex.g = g;
    vertex.b = b;
    vertex.a = a;
    vertex.oow = 1.0f;
    vertex.ooz = 0.0f;
    return vertex;
}

bool RunWithTimeout(std::function<void()> action, DWORD timeoutMs)
{
    struct Job {
        std::function<void()> action;
        static DWORD WINAPI Run(void* argument)
        {
            static_cast<Job*>(argument)->action();
            return 0;
        }
    };
    // Leaked when the thread hangs, so that it never runs on freed memory.
    Job* job = new Job{std::move(action)};
    HANDLE thread = CreateThread(nullptr, 0, &Job::Run, job, 0, nullptr);
    if (thread == nullptr) {
        delete job;
        return false;
    }
    const bool ended = WaitForSingleObject(thread, timeoutMs) == WAIT_OBJECT_0;
    CloseHandle(thread);
    if (ended) {
        delete job;
    }
    return ended;
}

void SoftwareRendererTest::TearDown()
{
    renderer.reset();
    RenderTestDevice::Proxy().SetCaps(D3DProxyCaps());
    RenderTestDevice::Proxy().ClearFaults();
}

void SoftwareRendererTest::BuildRenderer(bool noSeparateAlpha)
{
    renderer.reset();
    D3DProxyCaps caps;
    caps.noSeparateAlphaBlend = noSeparateAlpha;
    RenderTestDevice::Proxy().SetCaps(caps);
    renderer = std::make_unique<TestRendererSW>(device, 64, 64, RendererSettings());
}

DWORD SoftwareRendererTest::RenderState(D3DRENDERSTATETYPE state)
{
    DWORD value = 0;
    device->GetRenderState(state, &value);
    return value;
}

std::uint32_t BlendValue(std::uint32_t src, std::uint32_t dst, std::uint32_t srcAlpha, std::uint32_t dstAlpha)
{
    return src << 24 | dst << 16 | srcAlpha << 8 | dstAlpha;
}

namespace {

bool AmdCpuid(std::uint32_t leaf, zelk::ZelkCpuidRegisters& r, bool with3DNow)
{
    r = {0, 0, 0, 0};
    if (leaf == 0) {
        r.eax = 1;
        std::memcpy(&r.ebx, "Auth", 4);
        std::memcpy(&r.edx, "enti", 4);
        std::memcpy(&r.ecx, "cAMD", 4);
    } else if (leaf == 0x80000000u) {
        r.eax = 0x80000001u;
    } else if (leaf == 0x80000001u) {
        r.edx = with3DNow ? 0x80000000u : 0;
    }
    return true;
}

}  // namespace

bool CpuidAmd3DNow(std::uint32_t leaf, zelk::ZelkCpuidRegisters& registers)
{
    return AmdCpuid(leaf, registers, true);
}

bool CpuidAmdPlain(std::uint32_t leaf, zelk::ZelkCpuidRegisters& registers)
{
    return AmdCpuid(leaf, registers, false);
}

}  // namespace zelktest
