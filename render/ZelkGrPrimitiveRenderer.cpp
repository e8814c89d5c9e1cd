// Construction with the initial device state, shutdown and destruction.
#include "render/ZelkGrPrimitiveRenderer.h"

#include <cstring>

#include "framework/ZelkException.h"

namespace zelk {

namespace {

const char* const kStatisticsFontFace = "Arial";
const UINT kStatisticsFontCapacity = 512;
const D3DCOLOR kInitialClearColor = 0xFF000000;
const float kInitialClearDepth = 1.0f;

DWORD FloatBits(float value)
{
    DWORD bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

struct RenderStateValue {
    D3DRENDERSTATETYPE state;
    DWORD value;
};

// The device state every renderer starts from.
const RenderStateValue kInitialRenderStates[] = {
    {D3DRS_ZENABLE, FALSE},
    {D3DRS_ZWRITEENABLE, TRUE},
    {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
    {D3DRS_DEPTHBIAS, 0},
    {D3DRS_SLOPESCALEDEPTHBIAS, 0},
    {D3DRS_ALPHABLENDENABLE, FALSE},
    {D3DRS_BLENDOP, D3DBLENDOP_ADD},
    {D3DRS_SRCBLEND, D3DBLEND_ONE},
    {D3DRS_DESTBLEND, D3DBLEND_ZERO},
    {D3DRS_SEPARATEALPHABLENDENABLE, FALSE},
    {D3DRS_BLENDOPALPHA, D3DBLENDOP_ADD},
    {D3DRS_SRCBLENDALPHA, D3DBLEND_ONE},
    {D3DRS_DESTBLENDALPHA, D3DBLEND_ZERO},
    {D3DRS_BLENDFACTOR, 0xFFFFFFFF},
    {D3DRS_ALPHATESTENABLE, FALSE},
    {D3DRS_ALPHAREF, 0},
    {D3DRS_ALPHAFUNC, D3DCMP_ALWAYS},
    {D3DRS_FOGENABLE, FALSE},
    {D3DRS_FOGTABLEMODE, D3DFOG_NONE},
    {D3DRS_FOGVERTEXMODE, D3DFOG_NONE},
    {D3DRS_RANGEFOGENABLE, FALSE},
    {D3DRS_FOGCOLOR, 0},
    {D3DRS_FOGSTART, 0},            // 0.0
    {D3DRS_FOGEND, 0},              // 0.0
    {D3DRS_FOGDENSITY, 0x3F800000}, // 1.0
    {D3DRS_FILLMODE, D3DFILL_SOLID},
    {D3DRS_CULLMODE, D3DCULL_NONE},
    {D3DRS_SHADEMODE, D3DSHADE_GOURAUD},
    {D3DRS_LIGHTING, FALSE},
    {D3DRS_SPECULARENABLE, FALSE},
    {D3DRS_LASTPIXEL, TRUE},
    {D3DRS_DITHERENABLE, FALSE},
    {D3DRS_LOCALVIEWER, TRUE},
    {D3DRS_NORMALIZENORMALS, FALSE},
    {D3DRS_CLIPPING, FALSE},
    {D3DRS_CLIPPLANEENABLE, 0},
    {D3DRS_AMBIENT, 0},
    {D3DRS_COLORWRITEENABLE, 0xF},
    {D3DRS_TEXTUREFACTOR, 0},
    {D3DRS_TWEENFACTOR, 0},         // 0.0
    {D3DRS_DEBUGMONITORTOKEN, 0},
    {D3DRS_SCISSORTESTENABLE, TRUE},
    {D3DRS_PATCHEDGESTYLE, D3DPATCHEDGE_DISCRETE},
    {D3DRS_POSITIONDEGREE, D3DDEGREE_CUBIC},
    {D3DRS_NORMALDEGREE, D3DDEGREE_LINEAR},
    {D3DRS_MINTESSELLATIONLEVEL, 0x3F800000},  // 1.0
    {D3DRS_MAXTESSELLATIONLEVEL, 0x3F800000},  // 1.0
    {D3DRS_ADAPTIVETESS_X, 0},
    {D3DRS_ADAPTIVETESS_Y, 0},
    {D3DRS_ADAPTIVETESS_Z, 0x3F800000},        // 1.0
    {D3DRS_ADAPTIVETESS_W, 0},
    {D3DRS_MULTISAMPLEANTIALIAS, TRUE},
    {D3DRS_MULTISAMPLEMASK, 0xFFFFFFFF},
    {D3DRS_WRAP0, 0},
    {D3DRS_WRAP1, 0},
    {D3DRS_WRAP2, 0},
    {D3DRS_WRAP3, 0},
    {D3DRS_WRAP5, 0},
    {D3DRS_WRAP6, 0},
    {D3DRS_WRAP7, 0},
};

const D3DFORMAT kAlphaBackBufferFormats[] = {
    D3DFMT_A8R8G8B8, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4,     D3DFMT_A8,           D3DFMT_A8R3G3B2, D3DFMT_A2B10G10R10,
    D3DFMT_A8B8G8R8, D3DFMT_A2R10G10B10, D3DFMT_A16B16G16R16, D3DFMT_A8P8, D3DFMT_A8L8,       D3DFMT_A4L4,
};

struct DepthFormatFacts {
    D3DFORMAT format;
    float depthScale;
    std::uint8_t hasStencil;
};

const DepthFormatFacts kDepthFormats[] = {
    {D3DFMT_D16, 65535.0f, 0},          {D3DFMT_D16_LOCKABLE, 65535.0f, 0}, {D3DFMT_D15S1, 32767.0f, 1},
    {D3DFMT_D24S8, 16777215.0f, 1},     {D3DFMT_D24X8, 16777215.0f, 0},     {D3DFMT_D24X4S4, 16777215.0f, 1},
    {D3DFMT_D24FS8, 16777215.0f, 1},    {D3DFMT_D32, 4294967296.0f, 0},     {D3DFMT_D32F_LOCKABLE, 4294967296.0f, 0},
};

const int kTextureStages = 8;

}  // namespace

ZelkGrPrimitiveRenderer::ZelkGrPrimitiveRenderer(IDirect3DDevice9* device, std::uint32_t width, std::uint32_t height,
                                                 const ZelkGrRendererSettings& settings)
    : settings(settings),
      device(device),
      caps(),
      width(width),
      height(height),
      startedEvent(false, false),
      idleEvent(true, true),
      progressEvent(false, false)
{
    std::memset(&caps, 0, sizeof caps);
    std::memset(fogTable, 0xFF, sizeof fogTable);

    // A worker that cannot be created (already logged) leaves the renderer
    // playing packages in the calling thread.
    try {
        worker = std::make_unique<ZelkGrRenderWorker>(*this);
    } catch (ZelkException&) {
        worker.reset();
    }

    statisticsFont = std::make_unique<ZelkD3DFont>(settings.displayStatistics ? device : nullptr,
                                                   kStatisticsFontFace, kStatisticsFontCapacity,
                                                   static_cast<INT>(height / 60), false, false);
    currentPackage = std::make_unique<ZelkGrRenderPackage>();

    if (worker) {
        SetThreadPriority(worker->GetThreadHandle(), static_cast<int>(settings.threadPriority));
    }

    if (device == nullptr) {
        return;
    }
    this->device->GetDeviceCaps(&caps);
    initialTextureMemory = this->device->GetAvailableTextureMem();
    this->device->ShowCursor(FALSE);
    D3DVIEWPORT9 viewport = {0, 0, width, height, 0.0f, 1.0f};
    this->device->SetViewport(&viewport);
    SetInitialDeviceState();
    ReadFormatFlags();
    if (FAILED(this->device->GetScissorRect(&scissorRect))) {
        scissorRect = {0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
    }
    RecordClearStateBlock();

    ClearBuffers(kInitialClearColor, kInitialClearDepth);
    this->device->Present(nullptr, nullptr, nullptr, nullptr);
    ClearBuffers(kInitialClearColor, kInitialClearDepth);
}

ZelkGrPrimitiveRenderer::~ZelkGrPrimitiveRenderer()
{
    Shutdown();
}

void ZelkGrPrimitiveRenderer::SetInitialDeviceState()
{
    for (const RenderStateValue& entry : kInitialRenderStates) {
        SetDeviceRenderState(entry.state, entry.value);
    }
    for (int stage = 0; stage < kTextureStages; ++stage) {
        device->SetTexture(stage, nullptr);
    }
    for (DWORD stage = 0; stage < kTextureStages; ++stage) {
        device->SetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        device->SetTextureStageState(stage, D3DTSS_COLORARG0, D3DTA_TEMP);
        device->SetTextureStageState(stage, D3DTSS_COLORARG1, D3DTA_TFACTOR);
        device->SetTextureStageState(stage, D3DTSS_COLORARG2, D3DTA_CURRENT);
        device->SetTextureStageState(stage, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        device->SetTextureStageState(stage, D3DTSS_ALPHAARG0, D3DTA_TEMP);
        device->SetTextureStageState(stage, D3DTSS_ALPHAARG1, D3DTA_TFACTOR);
        device->SetTextureStageState(stage, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
        device->SetTextureStageState(stage, D3DTSS_BUMPENVMAT00, 0);
        device->SetTextureStageState(stage, D3DTSS_BUMPENVMAT01, 0);
        device->SetTextureStageState(stage, D3DTSS_BUMPENVMAT10, 0);
        device->SetTextureStageState(stage, D3DTSS_BUMPENVMAT11, 0);
        device->SetTextureStageState(stage, D3DTSS_BUMPENVLSCALE, 0);
        device->SetTextureStageState(stage, D3DTSS_BUMPENVLOFFSET, 0);
        device->SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, stage);
        device->SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
        device->SetTextureStageState(stage, D3DTSS_RESULTARG, D3DTA_CURRENT);
        device->SetTextureStageState(stage, D3DTSS_CONSTANT, 0);
    }
    for (DWORD sampler = 0; sampler < kTextureStages; ++sampler) {
        device->SetSamplerState(sampler, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
        device->SetSamplerState(sampler, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
        device->SetSamplerState(sampler, D3DSAMP_ADDRESSW, D3DTADDRESS_WRAP);
        device->SetSamplerState(sampler, D3DSAMP_BORDERCOLOR, 0);
        device->SetSamplerState(sampler, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
        device->SetSamplerState(sampler, D3DSAMP_MINFILTER, D3DTEXF_POINT);
        device->SetSamplerState(sampler, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
        device->SetSamplerState(sampler, D3DSAMP_MIPMAPLODBIAS, FloatBits(0.0f));
        device->SetSamplerState(sampler, D3DSAMP_MAXANISOTROPY, caps.MaxAnisotropy);
        device->SetSamplerState(sampler, D3DSAMP_MAXMIPLEVEL, 0);
        device->SetSamplerState(sampler, D3DSAMP_SRGBTEXTURE, 0);
        device->SetSamplerState(sampler, D3DSAMP_ELEMENTINDEX, 0);
        device->SetSamplerState(sampler, D3DSAMP_DMAPOFFSET, 256);
    }
}

void ZelkGrPrimitiveRenderer::ReadFormatFlags()
{
    IDirect3DSurface9Ptr backBuffer;
    if (SUCCEEDED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer)) && backBuffer != nullptr) {
        D3DSURFACE_DESC description = {};
        if (SUCCEEDED(backBuffer->GetDesc(&description))) {
            for (D3DFORMAT format : kAlphaBackBufferFormats) {
                if (description.Format == format) {
                    backBufferHasAlpha = 1;
                }
            }
        }
    }
    IDirect3DSurface9Ptr depthStencil;
    if (SUCCEEDED(device->GetDepthStencilSurface(&depthStencil)) && depthStencil != nullptr) {
        D3DSURFACE_DESC description = {};
        if (SUCCEEDED(depthStencil->GetDesc(&description))) {
            depthScale = 1.0f;
            hasStencil = 0;
            for (const DepthFormatFacts& facts : kDepthFormats) {
                if (description.Format == facts.format) {
                    depthScale = facts.depthScale;
                    hasStencil = facts.hasStencil;
                }
            }
        }
    }
}

void ZelkGrPrimitiveRenderer::AbandonWorker() noexcept
{
    if (worker) {
        worker->Abandon();
    }
}

void ZelkGrPrimitiveRenderer::Shutdown()
{
    if (shutDown) {
        return;
    }
    shutDown = true;
    // Everything handed over is played before the worker goes; what a dead
    // worker left queued is dropped below.
    if (WorkerInUse()) {
        WaitForPlayed(false);
    }
    StopWorker();

    ZelkCriticalSectionLock hold(renderLock);
    if (device != nullptr) {
        device->SetVertexDeclaration(nullptr);
        device->SetStreamSource(0, nullptr, 0, 0);
        device->SetVertexShader(nullptr);
        device->SetPixelShader(nullptr);
        for (int stage = 0; stage < kTextureStages; ++stage) {
            device->SetTexture(stage, nullptr);
        }
    }
    FreePackages();
}

void ZelkGrPrimitiveRenderer::StopWorker()
{
    // The worker's destructor ends the thread (resuming one that never ran).
    worker.reset();
    workerActive = false;
}

void ZelkGrPrimitiveRenderer::FreePackages()
{
    // Recording may go on after a shutdown; it goes into an empty package
    // that nothing plays.
    currentPackage->Clear();
    currentPackage->firstVertexIndex = nextVertexIndex;
    ZelkCriticalSectionLock hold(queueLock);
    packageQueue.clear();
    sparePackages.clear();
    queuedPackages = 0;
}

}  // namespace zelk
