// Triangle throughput: small triangles drawn the way a Glide program draws
// them, one DrawTriangle per triangle, through ZelkGrRendererSWFixed without
// and with its worker thread and through the three ps_1_3 classes, against
// two native Direct3D 9 loops on the same device: one DrawPrimitiveUP per
// triangle, and all triangles of a frame in one DrawPrimitiveUP.  Every loop
// draws the same frames of pre-transformed vertices (the renderer's vertex
// format) and presents each frame.  Prints triangles per second and the
// renderer's ratios to both native loops.  The ps_1_3 classes switch between
// two combine states ten times a frame; their pixel-shader cache hit rate is
// printed.
#include "render/ZelkGrRendererSWFixed.h"
#include "render/ZelkGrRendererSWPS13.h"
#include "render/ZelkGrRendererVS11PS13.h"
#include "render/ZelkGrRendererVS2xPS13.h"

// Where the shader compiler lacks HLSL that the vertex-shader sources need
// (as Wine's does), the tests' stand-in compiler builds those shaders.
#include "tests/render/support/ShaderStandIn.cpp"

#include <windows.h>

#include <d3d9.h>

#include <cstdio>
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
const int kRounds = 3;  // the best round of each loop counts

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

// Triangles per second of one loop: the best of kRounds rounds of kFrames
// frames, each round after kWarmUpFrames frames that are not timed.
template <typename DrawFrame, typename Finish>
double Measure(DrawFrame drawFrame, Finish finish)
{
    double best = 0.0;
    for (int round = 0; round < kRounds; ++round) {
        for (int i = 0; i < kWarmUpFrames; ++i) drawFrame();
        finish();
        const double start = Now();
        for (int i = 0; i < kFrames; ++i) drawFrame();
        finish();
        const double rate = kFrames * static_cast<double>(kTrianglesPerFrame) / (Now() - start);
        if (rate > best) best = rate;
    }
    return best;
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
    const double rate = Measure(
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

// The same, for a class that may not be built on this device.
template <class Renderer>
void ReportShaderClass(IDirect3DDevice9* device, const Frame& frame, const char* name, double perTriangle,
                       double oneCall, HMODULE shaderModule)
{
    try {
        std::uint64_t lookups = 0, translations = 0;
        const double rate = MeasureRenderer<Renderer>(device, frame, false, true, [&](Renderer& r) {
            lookups = r.pixelShaderLookups;
            translations = r.pixelShaderTranslations;
        }, shaderModule);
        std::printf("%-44s %12.0f triangles/s  %5.2fx per-triangle  %5.2fx one call\n", name, rate,
                    rate / perTriangle, rate / oneCall);
        std::printf("%-44s %llu updates, %llu translations, hit rate %.4f\n", "  pixel-shader cache",
                    static_cast<unsigned long long>(lookups), static_cast<unsigned long long>(translations),
                    lookups == 0 ? 0.0 : 1.0 - static_cast<double>(translations) / static_cast<double>(lookups));
    } catch (const ZelkException& e) {
        std::printf("%-44s not built: %s: %s\n", name, e.functionName.c_str(), e.message.c_str());
    }
}

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
    return Measure(
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
    std::printf("%d triangles of 3 pixels per frame, %d frames per round, best of %d rounds\n", kTrianglesPerFrame,
                kFrames, kRounds);
    const double perTriangle = MeasureNative(device, frame, false);
    const double oneCall = MeasureNative(device, frame, true);
    const double renderer = MeasureRenderer<ZelkGrRendererSWFixed>(device, frame, false, false, [](ZelkGrRendererSWFixed&) {});
    const double rendererWorker = MeasureRenderer<ZelkGrRendererSWFixed>(device, frame, true, false, [](ZelkGrRendererSWFixed&) {});

    std::printf("%-44s %12.0f triangles/s\n", "native, one DrawPrimitiveUP per triangle", perTriangle);
    std::printf("%-44s %12.0f triangles/s\n", "native, one DrawPrimitiveUP per frame", oneCall);
    std::printf("%-44s %12.0f triangles/s  %5.2fx per-triangle  %5.2fx one call\n", "renderer, calling thread",
                renderer, renderer / perTriangle, renderer / oneCall);
    std::printf("%-44s %12.0f triangles/s  %5.2fx per-triangle  %5.2fx one call\n", "renderer, worker thread",
                rendererWorker, rendererWorker / perTriangle, rendererWorker / oneCall);
    // The shader sources are resources of the library.
    HMODULE library = LoadLibraryExA("Rodoz2o.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (library == nullptr) {
        std::printf("Rodoz2o.dll not found: the vertex-shader classes cannot load their shader sources\n");
    }
    zelktest::ShaderStandIn standIn;
    ReportShaderClass<ZelkGrRendererSWPS13>(device, frame, "ZelkGrRendererSWPS13, calling thread", perTriangle,
                                            oneCall, library);
    ReportShaderClass<ZelkGrRendererVS11PS13>(device, frame, "ZelkGrRendererVS11PS13, calling thread", perTriangle,
                                              oneCall, library);
    ReportShaderClass<ZelkGrRendererVS2xPS13>(device, frame, "ZelkGrRendererVS2xPS13, calling thread", perTriangle,
                                              oneCall, library);

    if (library != nullptr) FreeLibrary(library);
    device = nullptr;
    d3d = nullptr;
    DestroyWindow(window);
    return 0;
}
