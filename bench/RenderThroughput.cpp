// Triangle throughput: small triangles drawn the way a Glide program draws
// them, one DrawTriangle per triangle, through ZelkGrRendererSWFixed without
// and with its worker thread and through the three ps_1_3 classes, against
// two native Direct3D 9 loops on the same device: one DrawPrimitiveUP per
// triangle, and all triangles of a frame in one DrawPrimitiveUP.  Every loop
// draws the same frames of pre-transformed vertices (the renderer's vertex
// format) and presents each frame.  The loops take turns round by round, so
// that a change in the machine's load falls on all of them.  Prints
// triangles per second, the renderer's ratios to both native loops, and each
// vertex-shader class's ratio to the software-transform class with the same
// texel half.  The ps_1_3 classes switch between two combine states ten
// times a frame; their pixel-shader cache hit rate is printed.
#include "render/ZelkGrRendererSWFixed.h"
#include "render/ZelkGrRendererSWPS13.h"
#include "render/ZelkGrRendererVS11PS13.h"
#include "render/ZelkGrRendererVS2xPS13.h"

// Where the shader compiler lacks HLSL that the vertex-shader sources need
// (as Wine's does), the tests' stand-in compiler builds those shaders.
#include "tests/render/support/ShaderStandIn.h"

#include <windows.h>

#include <d3d9.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <tuple>
#include <cstring>
#include <vector>

#include "bench/support/BenchSupport.h"
#include "framework/ZelkException.h"

using namespace zelk;
using zelkbench::Now;

namespace {

const int kWidth = 640;
const int kHeight = 480;
const int kTrianglesPerFrame = 10000;
const int kFrames = 20;
const int kWarmUpFrames = 2;
const int kRounds = 5;  // the best round of each loop counts

// Triangles of about 3 pixels on a side spread over the screen, flat
// coloured, as Glide vertices and as the vertices Direct3D draws.
struct Frame {
    std::vector<GrVertex> glide;
    std::vector<D3DVertex> d3d;
};

Frame MakeFrame()
{
    Frame f;
    for (int i = 0; i < kTrianglesPerFrame; ++i) {
        const float x = static_cast<float>((i * 37) % (kWidth - 4));
        const float y = static_cast<float>((i * 91 / 7) % (kHeight - 4));
        const float corners[3][2] = {{x, y}, {x + 3, y}, {x + 3, y + 3}};
        const float r = static_cast<float>(i % 256), g = static_cast<float>((i / 3) % 256);
        for (const auto& c : corners) {
            GrVertex v;
            std::memset(&v, 0, sizeof v);
            v.x = c[0];
            v.y = c[1];
            v.r = r;
            v.g = g;
            v.b = 128.0f;
            v.a = 255.0f;
            v.oow = 1.0f;
            f.glide.push_back(v);
            const DWORD color = 0xFF000000u | static_cast<DWORD>(r) << 16 | static_cast<DWORD>(g) << 8 | 128u;
            f.d3d.push_back(D3DVertex{c[0], c[1], 0.0f, 1.0f, color, 0, 0, 0, 0, 0});
        }
    }
    return f;
}

// Triangles per second of one round of a loop: kFrames frames after
// kWarmUpFrames frames that are not timed.
template <typename DrawFrame, typename Finish>
double MeasureRound(DrawFrame drawFrame, Finish finish)
{
    for (int i = 0; i < kWarmUpFrames; ++i) drawFrame();
    finish();
    const double start = Now();
    for (int i = 0; i < kFrames; ++i) drawFrame();
    finish();
    return kFrames * static_cast<double>(kTrianglesPerFrame) / (Now() - start);
}

// Triangles per second through a renderer of the class; with switching,
// the combine state changes every tenth of a frame between two states that
// both draw the vertex colour.
template <class Renderer, class After>
double MeasureRenderer(IDirect3DDevice9* device, const Frame& frame, bool worker, bool switching, After after,
                       HMODULE shaderModule = nullptr)
{
    ZelkGrRendererSettings settings;
    settings.shaderModule = shaderModule;
    settings.useBackgroundThread = worker ? 1 : 0;
    settings.vertexShaderVersion = 255;
    Renderer renderer(device, kWidth, kHeight, settings);
    if (worker) renderer.ResumeWorker();
    // Flat shading from the vertex colour.
    renderer.RecordCommand(12, 1u << 24 | 0u << 12 | 2u << 8, 0);
    renderer.RecordCommand(13, 1u << 24 | 0u << 12 | 2u << 8, 0);
    const GrVertex* v = frame.glide.data();
    const double rate = MeasureRound(
        [&] {
            renderer.RecordClear(0xFF000000, 1.0f);
            for (int i = 0; i < kTrianglesPerFrame; ++i) {
                if (switching && i % (kTrianglesPerFrame / 10) == 0) {
                    const std::uint32_t other = (i / (kTrianglesPerFrame / 10)) % 2 == 0 ? 2u : 1u;
                    renderer.RecordCommand(12, 1u << 24 | 0u << 12 | other << 8, 0);
                }
                renderer.DrawTriangle(&v[3 * i], &v[3 * i + 1], &v[3 * i + 2]);
            }
            renderer.EndFrame();
        },
        [&] { renderer.WaitIdle(); });
    renderer.Shutdown();
    after(renderer);
    return rate;
}

// One round through a ps_1_3 class, which may not be built on this device
// (then 0, with the reason printed once); its pixel-shader cache counts are
// kept.
struct ShaderClassLoop {
    std::uint64_t lookups = 0;
    std::uint64_t translations = 0;
    bool failed = false;

    template <class Renderer>
    double Round(IDirect3DDevice9* device, const Frame& frame, const char* name, HMODULE shaderModule)
    {
        if (failed) return 0.0;
        try {
            return MeasureRenderer<Renderer>(device, frame, false, true, [&](Renderer& r) {
                lookups = r.pixelShaderLookups;
                translations = r.pixelShaderTranslations;
            }, shaderModule);
        } catch (const ZelkException& e) {
            std::printf("%-44s not built: %s: %s\n", name, e.functionName.c_str(), e.message.c_str());
            failed = true;
            return 0.0;
        }
    }

    void PrintCache() const
    {
        std::printf("%-44s %llu updates, %llu translations, hit rate %.4f\n", "  pixel-shader cache",
                    static_cast<unsigned long long>(lookups), static_cast<unsigned long long>(translations),
                    lookups == 0 ? 0.0 : 1.0 - static_cast<double>(translations) / static_cast<double>(lookups));
    }
};

void NativeState(IDirect3DDevice9* device)
{
    device->SetVertexShader(nullptr);
    device->SetPixelShader(nullptr);
    device->SetFVF(kD3DVertexFvf);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_FOGENABLE, FALSE);
    device->SetRenderState(D3DRS_SCISSORTESTENABLE, FALSE);
    device->SetTexture(0, nullptr);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
}

double MeasureNative(IDirect3DDevice9* device, const Frame& frame, bool oneCall)
{
    NativeState(device);
    const D3DVertex* v = frame.d3d.data();
    return MeasureRound(
        [&] {
            device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
            device->BeginScene();
            if (oneCall) {
                device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, kTrianglesPerFrame, v, kD3DVertexStride);
            } else {
                for (int i = 0; i < kTrianglesPerFrame; ++i)
                    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, &v[3 * i], kD3DVertexStride);
            }
            device->EndScene();
            device->Present(nullptr, nullptr, nullptr, nullptr);
        },
        [] {});
}

}  // namespace

int main()
{
    HWND window = zelkbench::CreateBenchWindow("ZelkRenderThroughput", "RenderThroughput", kWidth, kHeight);
    IDirect3D9Ptr d3d;
    d3d.Attach(Direct3DCreate9(D3D_SDK_VERSION));
    if (!d3d) {
        std::printf("Direct3DCreate9 failed\n");
        return 1;
    }
    IDirect3DDevice9Ptr device;
    if (FAILED(zelktest::CreateTestDevice(d3d, window, kWidth, kHeight, device))) {
        std::printf("CreateDevice failed\n");
        return 1;
    }

    const Frame frame = MakeFrame();
    std::printf("%d triangles of 3 pixels per frame, %d frames per round, best of %d rounds (the loops take "
                "turns round by round)\n",
                kTrianglesPerFrame, kFrames, kRounds);
    // The shader sources are resources of the library.
    HMODULE library = LoadLibraryExA("Rodoz2o.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (library == nullptr) {
        std::printf("Rodoz2o.dll not found: the vertex-shader classes cannot load their shader sources\n");
    }
    zelktest::ShaderStandIn standIn;
    ShaderClassLoop sw, vs11, vs2x;
    const char* const swName = "ZelkGrRendererSWPS13, calling thread";
    const char* const vs11Name = "ZelkGrRendererVS11PS13, calling thread";
    const char* const vs2xName = "ZelkGrRendererVS2xPS13, calling thread";
    struct Loop {
        std::function<double()> round;
        double best;
    };
    Loop loops[] = {
        {[&] { return MeasureNative(device, frame, false); }, 0.0},
        {[&] { return MeasureNative(device, frame, true); }, 0.0},
        {[&] { return MeasureRenderer<ZelkGrRendererSWFixed>(device, frame, false, false, [](ZelkGrRendererSWFixed&) {}); },
         0.0},
        {[&] { return MeasureRenderer<ZelkGrRendererSWFixed>(device, frame, true, false, [](ZelkGrRendererSWFixed&) {}); },
         0.0},
        {[&] { return sw.Round<ZelkGrRendererSWPS13>(device, frame, swName, library); }, 0.0},
        {[&] { return vs11.Round<ZelkGrRendererVS11PS13>(device, frame, vs11Name, library); }, 0.0},
        {[&] { return vs2x.Round<ZelkGrRendererVS2xPS13>(device, frame, vs2xName, library); }, 0.0},
    };
    for (int round = 0; round < kRounds; ++round) {
        for (Loop& loop : loops) loop.best = std::max(loop.best, loop.round());
    }
    const double perTriangle = loops[0].best;
    const double oneCall = loops[1].best;
    std::printf("%-44s %12.0f triangles/s\n", "native, one DrawPrimitiveUP per triangle", perTriangle);
    std::printf("%-44s %12.0f triangles/s\n", "native, one DrawPrimitiveUP per frame", oneCall);
    auto report = [&](const char* name, double rate) {
        std::printf("%-44s %12.0f triangles/s  %5.2fx per-triangle  %5.2fx one call\n", name, rate,
                    rate / perTriangle, rate / oneCall);
    };
    report("renderer, calling thread", loops[2].best);
    report("renderer, worker thread", loops[3].best);
    const double swRate = loops[4].best;
    if (!sw.failed) {
        report(swName, swRate);
        sw.PrintCache();
    }
    // The vertex-shader classes against the software-transform class with the
    // same texel half.
    for (const auto& [name, loop, rate] :
         {std::make_tuple(vs11Name, &vs11, loops[5].best), std::make_tuple(vs2xName, &vs2x, loops[6].best)}) {
        if (loop->failed) continue;
        report(name, rate);
        if (!sw.failed) {
            std::printf("%-44s %5.2fx ZelkGrRendererSWPS13\n", "", rate / swRate);
        }
        loop->PrintCache();
    }

    if (library != nullptr) FreeLibrary(library);
    device = nullptr;
    d3d = nullptr;
    DestroyWindow(window);
    return 0;
}
