// What the Glide front end adds to a frame.  A frame as Glide programs issue
// it goes through the exports of Rodoz2o.dll, loaded with LoadLibrary: a
// clear, 5,000 small textured Gouraud triangles (about 12 pixels each, so
// that rasterising does not hide the cost of the calls) in runs of 10 with
// one state change before each run (colour combine, alpha combine, blend,
// depth function, fog, texture source of TMU 0 and of TMU 1, texture
// combine of TMU 0, in turn), four grTexDownloadMipMapLevel of a 64x64
// RGB 565 texture, and grBufferSwap.  The same work is also recorded
// straight into a renderer of the same class, built in this process on the
// library's own device: the same commands and render states, the same
// texture bindings, the same triangles, and for each download the texels
// written into a system-memory texture and copied into a new device
// texture.  Rounds of the two paths alternate.  Every renderer class is
// measured without and with the worker thread; printed are the best
// round's frames per second of both, the calling thread's processor time
// per frame, the share the front end adds to each, and the wall time of the
// calls that can make the calling thread wait (downloads, texture source
// changes).  Then, with the worker, frames without downloads and without
// state changes show what the parts cost the calling thread.
//
// Where the shader compiler lacks HLSL that the vertex-shader sources need
// (as Wine's does), the library's compiler import is pointed at the tests'
// stand-in compiler, so that the vertex-shader classes are measured rather
// than the software-transform class they fall back to.
#include "tests/render/support/ShaderStandIn.h"

#include <windows.h>

#include <d3d9.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/support/BenchSupport.h"
#include "framework/ZelkException.h"
#include "framework/ZelkGlideSettingsKeys.h"
#include "glide/ZelkGlideSettings.h"
#include "glideapi/Glide2.h"
#include "render/ZelkGrRendererClasses.h"

using namespace zelk;
using zelkbench::Now;

namespace {

const int kWidth = 1024;  // the virtual display offers 1024x768 only
const int kHeight = 768;
const int kTriangles = 5000;
const int kRunLength = 10;
const int kRuns = kTriangles / kRunLength;
const int kStateKinds = 8;
const int kDownloadsPerFrame = 4;
const int kTextureSize = 64;
const int kFrames = 40;
const int kWarmUpFrames = 2;
const int kRounds = 7;  // the rounds of the two paths alternate
const int kPartRounds = 4;
const char* const kLibrary = "Rodoz2o.dll";
const char* const kLogName = "vezoRerez.log";

// ---------------------------------------------------------------------------
// The frame's data, shared by both paths.

struct FrameData {
    std::vector<GrVertex> vertices;          // 3 per triangle
    std::vector<std::uint16_t> texels[4];    // RGB 565, one image per texture
};

FrameData MakeFrameData()
{
    FrameData data;
    for (int i = 0; i < kTriangles; ++i) {
        const float x = static_cast<float>((i * 53) % (kWidth - 8));
        const float y = static_cast<float>((i * 29 / 3) % (kHeight - 8));
        const float corners[3][2] = {{x, y}, {x + 5, y + 1}, {x + 1, y + 5}};
        for (int c = 0; c < 3; ++c) {
            GrVertex v;
            std::memset(&v, 0, sizeof v);
            v.x = corners[c][0];
            v.y = corners[c][1];
            v.r = static_cast<float>((i * 7 + c * 80) % 256);
            v.g = static_cast<float>((i * 3 + c * 40) % 256);
            v.b = static_cast<float>((i + c * 120) % 256);
            v.a = 128.0f + 40.0f * c;
            v.ooz = 1000.0f + static_cast<float>(i % 60000);
            v.oow = 1.0f;
            for (GrTmuVertex& t : v.tmuvtx) {
                t.sow = c == 1 ? 255.0f : 0.0f;
                t.tow = c == 2 ? 255.0f : 0.0f;
                t.oow = 1.0f;
            }
            data.vertices.push_back(v);
        }
    }
    for (int t = 0; t < 4; ++t) {
        data.texels[t].resize(kTextureSize * kTextureSize);
        for (int p = 0; p < kTextureSize * kTextureSize; ++p) {
            data.texels[t][p] = static_cast<std::uint16_t>((p * (t + 3) * 2654435761u) >> 16);
        }
    }
    return data;
}

// The two values each kind of state change alternates between.
struct CombineCall {
    GrCombineFunction_t function;
    GrCombineFactor_t factor;
    GrCombineLocal_t local;
    GrCombineOther_t other;
};
const CombineCall kColorCombines[2] = {
    {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE, GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_TEXTURE},
    {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL, GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_TEXTURE}};
const CombineCall kAlphaCombines[2] = {
    {GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_NONE},
    {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE, GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_TEXTURE}};
const GrAlphaBlendFnc_t kBlends[2][4] = {{GR_BLEND_ONE, GR_BLEND_ZERO, GR_BLEND_ONE, GR_BLEND_ZERO},
                                         {GR_BLEND_SRC_ALPHA, GR_BLEND_ONE_MINUS_SRC_ALPHA, GR_BLEND_ONE,
                                          GR_BLEND_ZERO}};
const GrCmpFnc_t kDepthFunctions[2] = {GR_CMP_LESS, GR_CMP_LEQUAL};
const GrFogMode_t kFogModes[2] = {GR_FOG_DISABLE, GR_FOG_WITH_ITERATED_ALPHA};
const GrCombineFunction_t kTexCombines[2] = {GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL};

// What a frame holds besides its clear, draws and swap.
struct FrameParts {
    const char* name;
    bool stateChanges;
    bool downloads;
};

const FrameParts kWholeFrame = {"", true, true};
// The same frames without downloads, and without state changes either: with
// the worker the calling thread only records, so the differences show what
// each part costs there.
const FrameParts kPartFrames[] = {{"draws only", false, false}, {"draws and state changes", true, false}};

// Wall time of the calls that make the calling thread wait: each texture
// download, and each change of a texture source with the draw after it (the
// draw that hands the new binding to the renderer).
struct CallTimes {
    double downloads = 0.0;
    int downloadCount = 0;
    double sourceChanges = 0.0;
    int sourceChangeCount = 0;
    double MicrosecondsPerDownload() const { return downloadCount == 0 ? 0.0 : 1e6 * downloads / downloadCount; }
    double MicrosecondsPerSourceChange() const
    {
        return sourceChangeCount == 0 ? 0.0 : 1e6 * sourceChanges / sourceChangeCount;
    }
};

// The state changes 5 and 6 change a texture source.
bool ChangesTextureSource(int run) { return run % kStateKinds == 5 || run % kStateKinds == 6; }

// Texture t (0 to 3) lives on TMU t / 2.
GrChipID_t TextureTmu(int t) { return t < 2 ? GR_TMU0 : GR_TMU1; }

// What the front end records for these calls: the packed command values.
std::uint32_t PackCombine(const CombineCall& c)
{
    return static_cast<std::uint32_t>(c.function) << 24 | static_cast<std::uint32_t>(c.factor) << 16 |
           static_cast<std::uint32_t>(c.local) << 12 | static_cast<std::uint32_t>(c.other) << 8;
}
std::uint32_t PackBlend(const GrAlphaBlendFnc_t* b)
{
    return static_cast<std::uint32_t>(b[0]) << 24 | static_cast<std::uint32_t>(b[1]) << 16 |
           static_cast<std::uint32_t>(b[2]) << 8 | static_cast<std::uint32_t>(b[3]);
}
std::uint32_t PackTexCombine(GrCombineFunction_t function)
{
    const std::uint32_t f = static_cast<std::uint32_t>(function);
    return (f << 24) + (f << 16) + (static_cast<std::uint32_t>(GR_COMBINE_FACTOR_ONE) << 12) +
           (static_cast<std::uint32_t>(GR_COMBINE_FACTOR_ONE) << 8);
}

// ---------------------------------------------------------------------------
// Pointing the library at the stand-in compiler, and finding its device.

// Replaces one imported function of a module (its import-table slot);
// false when the module does not import it by that name.
bool PatchImport(HMODULE module, const char* importedModule, const char* function, void* replacement)
{
    BYTE* base = reinterpret_cast<BYTE*>(module);
    const IMAGE_DOS_HEADER* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const IMAGE_NT_HEADERS* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0) {
        return false;
    }
    for (const IMAGE_IMPORT_DESCRIPTOR* entry =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
         entry->Name != 0; ++entry) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + entry->Name), importedModule) != 0 ||
            entry->OriginalFirstThunk == 0) {
            continue;
        }
        const IMAGE_THUNK_DATA* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
        IMAGE_THUNK_DATA* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
                continue;
            }
            const IMAGE_IMPORT_BY_NAME* byName =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0) {
                continue;
            }
            DWORD protection = 0;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &protection);
            slots->u1.Function = reinterpret_cast<DWORD_PTR>(replacement);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection, &protection);
            return true;
        }
    }
    return false;
}

// IDirect3D9::CreateDevice, slot 16 of the interface, is wrapped so that the
// bench holds a reference to the device the library creates.
using CreateDeviceFunction = HRESULT(STDMETHODCALLTYPE*)(IDirect3D9*, UINT, D3DDEVTYPE, HWND, DWORD,
                                                        D3DPRESENT_PARAMETERS*, IDirect3DDevice9**);
constexpr int kCreateDeviceSlot = 16;
CreateDeviceFunction realCreateDevice = nullptr;
IDirect3DDevice9* libraryDevice = nullptr;

HRESULT STDMETHODCALLTYPE CapturingCreateDevice(IDirect3D9* self, UINT adapter, D3DDEVTYPE type, HWND window,
                                                DWORD flags, D3DPRESENT_PARAMETERS* present,
                                                IDirect3DDevice9** device)
{
    const HRESULT result = realCreateDevice(self, adapter, type, window, flags, present, device);
    if (SUCCEEDED(result) && device != nullptr && *device != nullptr) {
        if (libraryDevice != nullptr) {
            libraryDevice->Release();
        }
        libraryDevice = *device;
        libraryDevice->AddRef();
    }
    return result;
}

// Every IDirect3D9 of this process shares the runtime's interface table.
bool CaptureDevices()
{
    IDirect3D9Ptr d3d;
    d3d.Attach(Direct3DCreate9(D3D_SDK_VERSION));
    if (!d3d) {
        return false;
    }
    void** table = *reinterpret_cast<void***>(static_cast<IDirect3D9*>(d3d));
    DWORD protection = 0;
    if (!VirtualProtect(&table[kCreateDeviceSlot], sizeof(void*), PAGE_READWRITE, &protection)) {
        return false;
    }
    realCreateDevice = reinterpret_cast<CreateDeviceFunction>(table[kCreateDeviceSlot]);
    table[kCreateDeviceSlot] = reinterpret_cast<void*>(&CapturingCreateDevice);
    VirtualProtect(&table[kCreateDeviceSlot], sizeof(void*), protection, &protection);
    return true;
}

// ---------------------------------------------------------------------------
// Settings and the library's exports.

void SetValue(const char* subkey, const char* name, DWORD value)
{
    const std::string path = std::string(settingskeys::kRootKey) + "\\" + subkey;
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
        ERROR_SUCCESS) {
        RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
        RegCloseKey(key);
    }
}

void DeleteTree(HKEY parent, const char* name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(parent, name, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
        return;
    }
    char child[256];
    DWORD length = sizeof child;
    while (RegEnumKeyExA(key, 0, child, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
        DeleteTree(key, child);
        length = sizeof child;
    }
    RegCloseKey(key);
    RegDeleteKeyA(parent, name);
}

void RemoveSettings() { DeleteTree(HKEY_CURRENT_USER, settingskeys::kRootKey); }

struct Glide {
#define ZELK_BENCH_MEMBER(returnType, name, parameters, bytes) PFN_##name name = nullptr;
    ZELK_GLIDE_FUNCTIONS(ZELK_BENCH_MEMBER)
#undef ZELK_BENCH_MEMBER

    bool Load(HMODULE module)
    {
        bool found = true;
#define ZELK_BENCH_FIND(returnType, name, parameters, bytes)                                      \
    name = reinterpret_cast<PFN_##name>(                                                           \
        reinterpret_cast<void*>(GetProcAddress(module, ZELK_GLIDE_EXPORT_NAME(name, bytes))));     \
    found = found && name != nullptr;
        ZELK_GLIDE_FUNCTIONS(ZELK_BENCH_FIND)
#undef ZELK_BENCH_FIND
        return found;
    }
};

int LogEntries()
{
    HANDLE file = CreateFileA(kLogName, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 0;
    }
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        text.append(buffer, read);
    }
    CloseHandle(file);
    int count = 0;
    for (std::size_t at = text.find("An exception was thrown"); at != std::string::npos;
         at = text.find("An exception was thrown", at + 1)) {
        ++count;
    }
    return count;
}

// ---------------------------------------------------------------------------
// The frame through the exports.

struct GlidePath {
    GlidePath(const Glide& glide, const FrameData& data) : glide(glide), data(data) {}

    const Glide& glide;
    const FrameData& data;
    FrameParts parts = kWholeFrame;
    CallTimes times;
    FxU32 address[4] = {};
    GrTexInfo info[4] = {};

    void SetUp()
    {
        glide.grDepthBufferMode(GR_DEPTHBUFFER_ZBUFFER);
        for (int t = 0; t < 4; ++t) {
            const GrChipID_t tmu = TextureTmu(t);
            info[t] = {GR_LOD_64, GR_LOD_64, GR_ASPECT_1x1, GR_TEXFMT_RGB_565,
                       const_cast<std::uint16_t*>(data.texels[t].data())};
            address[t] = glide.grTexMinAddress(tmu) +
                         (t % 2) * glide.grTexTextureMemRequired(GR_MIPMAPLEVELMASK_BOTH, &info[t]);
            glide.grTexDownloadMipMap(tmu, address[t], GR_MIPMAPLEVELMASK_BOTH, &info[t]);
        }
        glide.grTexCombine(GR_TMU1, GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_FUNCTION_LOCAL,
                           GR_COMBINE_FACTOR_NONE, FXFALSE, FXFALSE);
        glide.grTexSource(GR_TMU0, address[0], GR_MIPMAPLEVELMASK_BOTH, &info[0]);
        glide.grTexSource(GR_TMU1, address[2], GR_MIPMAPLEVELMASK_BOTH, &info[2]);
    }

    void StateChange(int run)
    {
        const int which = (run / kStateKinds) % 2;
        switch (run % kStateKinds) {
        case 0: {
            const CombineCall& c = kColorCombines[which];
            glide.grColorCombine(c.function, c.factor, c.local, c.other, FXFALSE);
            break;
        }
        case 1: {
            const CombineCall& c = kAlphaCombines[which];
            glide.grAlphaCombine(c.function, c.factor, c.local, c.other, FXFALSE);
            break;
        }
        case 2: {
            const GrAlphaBlendFnc_t* b = kBlends[which];
            glide.grAlphaBlendFunction(b[0], b[1], b[2], b[3]);
            break;
        }
        case 3:
            glide.grDepthBufferFunction(kDepthFunctions[which]);
            break;
        case 4:
            glide.grFogMode(kFogModes[which]);
            break;
        case 5:
            glide.grTexSource(GR_TMU0, address[which], GR_MIPMAPLEVELMASK_BOTH, &info[which]);
            break;
        case 6:
            glide.grTexSource(GR_TMU1, address[2 + which], GR_MIPMAPLEVELMASK_BOTH, &info[2 + which]);
            break;
        default:
            glide.grTexCombine(GR_TMU0, kTexCombines[which], GR_COMBINE_FACTOR_ONE, kTexCombines[which],
                               GR_COMBINE_FACTOR_ONE, FXFALSE, FXFALSE);
            break;
        }
    }

    void Frame()
    {
        glide.grBufferClear(0x00203040, 0, 0xFFFF);
        const GrVertex* v = data.vertices.data();
        for (int run = 0; run < kRuns; ++run) {
            if (parts.downloads && run % (kRuns / kDownloadsPerFrame) == 0) {
                const int t = run / (kRuns / kDownloadsPerFrame);
                const double downloadStart = Now();
                glide.grTexDownloadMipMapLevel(TextureTmu(t), address[t], GR_LOD_64, GR_LOD_64, GR_ASPECT_1x1,
                                               GR_TEXFMT_RGB_565, GR_MIPMAPLEVELMASK_BOTH,
                                               const_cast<std::uint16_t*>(data.texels[t].data()));
                times.downloads += Now() - downloadStart;
                ++times.downloadCount;
            }
            const double start = Now();
            if (parts.stateChanges) {
                StateChange(run);
            }
            for (int i = 0; i < kRunLength; ++i, v += 3) {
                glide.grDrawTriangle(&v[0], &v[1], &v[2]);
                if (i == 0 && parts.stateChanges && ChangesTextureSource(run)) {
                    times.sourceChanges += Now() - start;
                    ++times.sourceChangeCount;
                }
            }
        }
        glide.grBufferSwap(0);
    }

    void Finish()
    {
        while (glide.grBufferNumPending() > 0) {
            Sleep(1);
        }
    }
};

// ---------------------------------------------------------------------------
// The same work recorded straight into a renderer.

struct DirectPath {
    DirectPath(ZelkGrPrimitiveRenderer& renderer, IDirect3DDevice9* device, const FrameData& data, D3DFORMAT format)
        : renderer(renderer), device(device), data(data), format(format)
    {
    }

    ZelkGrPrimitiveRenderer& renderer;
    IDirect3DDevice9* device;
    const FrameData& data;
    FrameParts parts = kWholeFrame;
    CallTimes times;
    D3DFORMAT format;  // the device textures' format for RGB 565, as the settings choose it
    IDirect3DTexture9Ptr system[4];
    IDirect3DTexture9Ptr copy[4];
    int bound[2] = {0, 2};  // the texture each TMU has bound

    // The texels into the system-memory texture, then into a new device
    // texture: packages recorded before keep the copy they bound.
    bool Download(int t)
    {
        D3DLOCKED_RECT locked;
        if (FAILED(system[t]->LockRect(0, &locked, nullptr, 0))) {
            return false;
        }
        for (int y = 0; y < kTextureSize; ++y) {
            std::memcpy(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch, &data.texels[t][y * kTextureSize],
                        kTextureSize * sizeof(std::uint16_t));
        }
        system[t]->UnlockRect(0);
        copy[t] = nullptr;
        if (FAILED(device->CreateTexture(kTextureSize, kTextureSize, 1, 0, format, D3DPOOL_DEFAULT, &copy[t],
                                         nullptr))) {
            return false;
        }
        if (format == D3DFMT_R5G6B5) {
            return SUCCEEDED(device->UpdateTexture(system[t], copy[t]));
        }
        IDirect3DSurface9Ptr from, to;
        system[t]->GetSurfaceLevel(0, &from);
        copy[t]->GetSurfaceLevel(0, &to);
        return SUCCEEDED(D3DXLoadSurfaceFromSurface(to, nullptr, nullptr, from, nullptr, nullptr, D3DX_FILTER_NONE, 0));
    }

    void Bind(int t)
    {
        const float scale = 1.0f / 256.0f;
        renderer.RecordTexture(
            ZelkGrTextureBinding(static_cast<std::uint32_t>(TextureTmu(t)), copy[t], scale, scale));
    }

    bool SetUp()
    {
        const ZelkGrRect screen = {0, 0, kWidth, kHeight};
        renderer.RecordClipWindow(screen);
        renderer.RecordCommand(9, GR_DEPTHBUFFER_ZBUFFER, 0);
        for (int t = 0; t < 4; ++t) {
            if (FAILED(device->CreateTexture(kTextureSize, kTextureSize, 1, 0, D3DFMT_R5G6B5, D3DPOOL_SYSTEMMEM,
                                             &system[t], nullptr)) ||
                !Download(t)) {
                return false;
            }
        }
        renderer.RecordCommand(14, PackTexCombine(GR_COMBINE_FUNCTION_LOCAL), 1);
        Bind(0);
        Bind(2);
        return true;
    }

    void StateChange(int run)
    {
        const int which = (run / kStateKinds) % 2;
        switch (run % kStateKinds) {
        case 0:
            renderer.RecordCommand(12, PackCombine(kColorCombines[which]), 0);
            break;
        case 1:
            renderer.RecordCommand(13, PackCombine(kAlphaCombines[which]), 0);
            break;
        case 2:
            renderer.RecordCommand(4, PackBlend(kBlends[which]), 0);
            break;
        case 3:
            renderer.RecordRenderState(D3DRS_ZFUNC, static_cast<DWORD>(kDepthFunctions[which]) + 1);
            break;
        case 4:
            renderer.RecordCommand(10, static_cast<std::uint32_t>(kFogModes[which]), 0);
            break;
        case 5:
            bound[0] = which;
            Bind(bound[0]);
            break;
        case 6:
            bound[1] = 2 + which;
            Bind(bound[1]);
            break;
        default:
            renderer.RecordCommand(14, PackTexCombine(kTexCombines[which]), 0);
            break;
        }
    }

    void Frame()
    {
        renderer.RecordClear(0xFF203040, 1.0f);
        const GrVertex* v = data.vertices.data();
        for (int run = 0; run < kRuns; ++run) {
            if (parts.downloads && run % (kRuns / kDownloadsPerFrame) == 0) {
                const int t = run / (kRuns / kDownloadsPerFrame);
                const double downloadStart = Now();
                Download(t);
                if (bound[t / 2] == t) {
                    Bind(t);
                }
                times.downloads += Now() - downloadStart;
                ++times.downloadCount;
            }
            const double start = Now();
            if (parts.stateChanges) {
                StateChange(run);
            }
            for (int i = 0; i < kRunLength; ++i, v += 3) {
                renderer.DrawTriangle(&v[0], &v[1], &v[2]);
                if (i == 0 && parts.stateChanges && ChangesTextureSource(run)) {
                    times.sourceChanges += Now() - start;
                    ++times.sourceChangeCount;
                }
            }
        }
        renderer.EndFrame();
    }

    void Finish()
    {
        while (renderer.GetPendingSwapCount() > 0) {
            Sleep(1);
        }
    }
};

// The processor time this thread has used, in seconds.
double ThreadSeconds()
{
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) {
        return 0.0;
    }
    auto seconds = [](const FILETIME& time) {
        return static_cast<double>(static_cast<ULONGLONG>(time.dwHighDateTime) << 32 | time.dwLowDateTime) * 1e-7;
    };
    return seconds(kernel) + seconds(user);
}

// One round of a path: kFrames frames after kWarmUpFrames frames that are
// not timed.  Frames per second, and the processor time per frame of the
// calling thread (the thread that makes the Glide calls: with the worker it
// only records).
struct Round {
    double framesPerSecond = 0.0;
    double threadSeconds = 0.0;
};

template <typename Path>
Round MeasureRound(Path& path)
{
    for (int i = 0; i < kWarmUpFrames; ++i) path.Frame();
    path.Finish();
    const double start = Now();
    const double startThread = ThreadSeconds();
    for (int i = 0; i < kFrames; ++i) path.Frame();
    path.Finish();
    Round round;
    round.framesPerSecond = kFrames / (Now() - start);
    round.threadSeconds = ThreadSeconds() - startThread;
    return round;
}

// Over all rounds: the most frames per second, and the calling thread's
// processor time per frame over all timed frames (the system counts it in
// coarse ticks).
struct Result {
    double framesPerSecond = 0.0;
    double threadSeconds = 0.0;
    int frames = 0;
    void Add(const Round& round)
    {
        framesPerSecond = std::max(framesPerSecond, round.framesPerSecond);
        threadSeconds += round.threadSeconds;
        frames += kFrames;
    }
    double ThreadMsPerFrame() const { return frames == 0 ? 0.0 : 1000.0 * threadSeconds / frames; }
};

struct RendererClass {
    const char* name;
    DWORD texelBlending;
    DWORD vertexConvert;
};

const RendererClass kClasses[] = {
    {"ZelkGrRendererSWFixed", 0x00000, 0},
    {"ZelkGrRendererSWPS13", 0x10000, 0},
    {"ZelkGrRendererVS11PS13", 0x10000, 1},
    {"ZelkGrRendererVS2xPS13", 0x10000, 2},
};

void WriteSettings(const RendererClass& c, bool worker)
{
    RemoveSettings();
    SetValue(settingskeys::kDirect3DDeviceSetting, settingskeys::kUseWindowMode, 1);
    SetValue(settingskeys::kPrimitiveRendering, settingskeys::kVertexConvertFunctionType, c.vertexConvert);
    SetValue(settingskeys::kPrimitiveRendering, settingskeys::kTexelBlendingFunctionType, c.texelBlending);
    SetValue(settingskeys::kPrimitiveRendering, settingskeys::kVertexShaderVersion, 255);
    SetValue(settingskeys::kPrimitiveRendering, settingskeys::kUseBackgroundThread, worker ? 1 : 0);
    SetValue(settingskeys::kTextureSetting, settingskeys::kCreateMipmap, 0);
    SetValue(settingskeys::kCardStyle, settingskeys::kNumberOfTmu, 2);
}

// One class, with or without the worker: rounds of frames through the
// exports alternate with rounds of the same frames recorded straight into a
// renderer of the class on the library's device.
void MeasureClass(const Glide& glide, HMODULE library, HWND window, const FrameData& data, const RendererClass& c,
                  bool worker, const FrameParts& parts, int rounds)
{
    char label[128];
    std::snprintf(label, sizeof label, "%s, %s%s%s", c.name, worker ? "worker thread" : "calling thread",
                  parts.name[0] != 0 ? ", " : "", parts.name);
    WriteSettings(c, worker);
    DeleteFileA(kLogName);
    glide.grGlideInit();
    glide.grSstSelect(0);
    if (!glide.grSstWinOpen(static_cast<FxU32>(reinterpret_cast<ULONG_PTR>(window)), GR_RESOLUTION_1024x768, GR_REFRESH_60Hz,
                            GR_COLORFORMAT_ARGB, GR_ORIGIN_UPPER_LEFT, 2, 1) ||
        libraryDevice == nullptr) {
        std::printf("%-44s the window could not be opened\n", label);
        glide.grGlideShutdown();
        return;
    }
    GlidePath glidePath(glide, data);
    glidePath.parts = parts;
    glidePath.SetUp();
    Result throughExports;
    Result direct;
    CallTimes exportTimes;
    CallTimes directTimes;
    {
        ZelkGlideSettings settings = ReadGlideSettings();
        settings.renderer.shaderModule = library;
        std::uint32_t texel = c.texelBlending, vertex = c.vertexConvert;
        try {
            std::unique_ptr<ZelkGrPrimitiveRenderer> renderer =
                CreateRenderer(texel, vertex, libraryDevice, kWidth, kHeight, settings.renderer);
            if (worker) renderer->ResumeWorker();
            const D3DFORMAT format = static_cast<D3DFORMAT>(settings.texture.format[GR_TEXFMT_RGB_565]);
            DirectPath directPath(*renderer, libraryDevice, data, format);
            directPath.parts = parts;
            if (directPath.SetUp()) {
                // Both renderers play on one device, each setting the state it
                // draws with in its own packages.
                for (int round = 0; round < rounds; ++round) {
                    throughExports.Add(MeasureRound(glidePath));
                    direct.Add(MeasureRound(directPath));
                }
                directTimes = directPath.times;
            }
            renderer->Shutdown();
        } catch (const ZelkException& e) {
            std::printf("%-44s no renderer: %s: %s\n", label, e.functionName.c_str(), e.message.c_str());
        }
        if (texel != c.texelBlending || vertex != c.vertexConvert) {
            std::printf("%-44s (the renderer fell back to another class)\n", label);
        }
    }
    exportTimes = glidePath.times;
    libraryDevice->Release();
    libraryDevice = nullptr;
    glide.grSstWinClose();
    glide.grGlideShutdown();

    if (direct.framesPerSecond > 0.0) {
        std::printf("%-44s %6.1f / %6.1f frames/s   %5.2f / %5.2f ms/frame calling thread   front end %+5.1f %% "
                    "frame time, %+5.1f %% calling thread\n",
                    label, throughExports.framesPerSecond, direct.framesPerSecond, throughExports.ThreadMsPerFrame(),
                    direct.ThreadMsPerFrame(), 100.0 * (direct.framesPerSecond / throughExports.framesPerSecond - 1.0),
                    100.0 * (throughExports.ThreadMsPerFrame() / direct.ThreadMsPerFrame() - 1.0));
        if (parts.downloads) {
            std::printf("%-44s %6.1f / %6.1f us per download, %6.1f / %6.1f us per texture source change and its "
                        "first draw\n",
                        "", exportTimes.MicrosecondsPerDownload(), directTimes.MicrosecondsPerDownload(),
                        exportTimes.MicrosecondsPerSourceChange(), directTimes.MicrosecondsPerSourceChange());
        }
    }
    const int entries = LogEntries();
    if (entries != 0) {
        std::printf("%-44s %d error-log entries\n", "", entries);
    }
}

}  // namespace

int main()
{
    HWND window = zelkbench::CreateBenchWindow("ZelkGlideFrame", "GlideFrame", kWidth, kHeight);
    HMODULE library = LoadLibraryA(kLibrary);
    Glide glide;
    if (library == nullptr || !glide.Load(library)) {
        std::printf("%s or one of its exports not found\n", kLibrary);
        return 1;
    }
    if (!CaptureDevices()) {
        std::printf("Direct3DCreate9 failed\n");
        return 1;
    }
    zelktest::ShaderStandIn standIn;
    const bool standInUsed = PatchImport(library, "d3dx9_43.dll", "D3DXCompileShader",
                                         reinterpret_cast<void*>(&zelktest::StandInCompileShader));
    const FrameData data = MakeFrameData();
    std::printf("%d textured Gouraud triangles per frame in runs of %d, a state change before each run, %d texture "
                "downloads; %d frames per round, %d rounds%s\n",
                kTriangles, kRunLength, kDownloadsPerFrame, kFrames, kRounds,
                standInUsed ? "" : " (the library's compiler import was not found)");
    std::printf("Each line: through the exports / recorded directly, the best round's frames per second and the "
                "calling thread's processor time per frame over all rounds; the front end's share of both.\n");
    for (const RendererClass& c : kClasses) {
        for (bool worker : {false, true}) {
            MeasureClass(glide, library, window, data, c, worker, kWholeFrame, kRounds);
        }
    }
    std::printf("The parts, with the worker (the calling thread records only), %d rounds each:\n", kPartRounds);
    for (const RendererClass& c : kClasses) {
        for (const FrameParts& parts : kPartFrames) {
            MeasureClass(glide, library, window, data, c, true, parts, kPartRounds);
        }
    }
    RemoveSettings();
    FreeLibrary(library);
    DestroyWindow(window);
    return 0;
}
