#include "glide/ZelkGlide.h"

#include <new>

#include "framework/ZelkD3D.h"
#include "framework/ZelkException.h"
#include "glide/ZelkModule.h"
#include "render/ZelkGrRendererClasses.h"

namespace zelk {

namespace {

ZelkGlide* g_glide = nullptr;

const char* const kWinOpenName = "ZelkGlide::grSstWinOpen";
const char* const kCreateGlideName = "ZelkGlide::CreateGlide";
const char* const kNoAdapter = "There is no adapter.";
const char* const kInvalidDevice = "The current device is invalid.";
const char* const kInvalidFormat = "The current format is invalid.";
const char* const kNoDisplaySize = "There was no equivalent display size.";
const char* const kNoWindow = "Couldn't get the handle of the window.";
const char* const kCreateDeviceFailed = "The function [ ZelkD3D::CreateD3DDevice ] failed.";
const char* const kInvalidColorFormat = "The parameter [ GrColorFormat_t colorFormat ] is invalid.";
const char* const kOutOfMemory = "The front end could not be allocated.";
const char* const kNoOpenWindow = "There is no open window.";

struct ScreenSize {
    std::uint32_t width;
    std::uint32_t height;
};

constexpr ScreenSize kResolutions[16] = {
    {320, 200}, {320, 240}, {400, 256}, {512, 384}, {640, 200}, {640, 350}, {640, 400}, {640, 480},
    {800, 600}, {960, 720}, {856, 480}, {512, 256}, {1024, 768}, {1280, 1024}, {1600, 1200}, {400, 300},
};

// Source format of the colour converter for each Glide colour format.
constexpr DWORD kColorFormatSources[4] = {D3DFMT_A8R8G8B8, ZELK_FORMAT_ABGR, ZELK_FORMAT_RGBA, ZELK_FORMAT_BGRA};

ZelkGrPixelConverter EmptyConverter()
{
    return ZelkGrPixelConverter(0, 0, nullptr, nullptr, 0xFFFFFFFF);
}

// Full screen: popup, visible, system menu.
constexpr LONG kFullScreenStyle = static_cast<LONG>(0x90080000);

}  // namespace

// --- Singleton --------------------------------------------------------------

void CreateGlide()
{
    if (g_glide) {
        return;
    }
    try {
        const ZelkGlideSettings settings = ReadGlideSettings();
        ZelkGlide* glide = new (std::nothrow) ZelkGlide(settings);
        if (!glide) {
            throw ZelkException(kCreateGlideName, E_OUTOFMEMORY, kOutOfMemory);
        }
        g_glide = glide;
    } catch (ZelkException& e) {
        WriteErrorLog(e);
        throw;
    }
}

ZelkGlide* GetGlide()
{
    CreateGlide();
    return g_glide;
}

ZelkGlide* FindGlide()
{
    return g_glide;
}

void DestroyGlide() noexcept
{
    ZelkGlide* glide = g_glide;
    g_glide = nullptr;
    delete glide;
}

void DetachGlide(bool processExit) noexcept
{
    if (processExit || !g_glide) {
        // At process exit other threads are gone and the system reclaims
        // everything; nothing may be waited for or released here.
        return;
    }
    if (g_glide->IsOpen()) {
        // The application unloads the library with its window open.  Ending
        // the worker and releasing the device both wait for threads, which
        // cannot end while this thread holds the loader lock: give the
        // application its window back and leave the Direct3D objects to the
        // process.
        try {
            ZelkException exception("ZelkGlide::DetachGlide", false,
                                    "The library was unloaded while its window was open.");
            WriteErrorLog(exception);
        } catch (...) {
        }
        g_glide->RestoreWindow();
        if (g_glide->renderer) {
            g_glide->renderer->AbandonWorker();
        }
        g_glide = nullptr;
        return;
    }
    DestroyGlide();
}

// --- Construction ---------------------------------------------------------------

ZelkGlide::ZelkGlide(const ZelkGlideSettings& settingsIn)
    : settings(settingsIn),
      colorConverter(EmptyConverter()),
      textureManager(nullptr, nullptr, DefaultTextureSettings()),
      mipMapTable(kGlideTmuCount),
      lfbAccessor(nullptr, 0, 0, 0, ZelkGrLfbSettings())
{
    ResetState();
}

ZelkGlide::~ZelkGlide()
{
    WinClose();
    try {
        ZelkD3D::DestroyD3D();
    } catch (...) {
    }
}

void ZelkGlide::ResetState()
{
    state = ZelkGlideState();
    for (ZelkGlideTmuState& tmu : tmuState) {
        tmu = ZelkGlideTmuState();
    }
}

// --- Window and device ----------------------------------------------------------

FxBool ZelkGlide::grSstWinOpen(FxU32 windowHandle, GrScreenResolution_t resolution, GrScreenRefresh_t /*refresh*/,
                               GrColorFormat_t colorFormat, GrOriginLocation_t origin, int colorBuffers,
                               int /*auxBuffers*/)
{
    if (window || renderer) {
        WinClose();
    }
    try {
        if (settings.adapterOrdinal == settingskeys::kNoAdapter) {
            throw ZelkException(kWinOpenName, false, kNoAdapter);
        }
        if (static_cast<std::uint32_t>(colorFormat) >= 4) {
            throw ZelkException(kWinOpenName, false, kInvalidColorFormat);
        }
        ZelkD3D* d3d = ZelkD3D::GetD3D();
        ZelkD3DAdapterInfo* adapter = d3d ? d3d->GetAdapterInfo(settings.adapterOrdinal) : nullptr;
        if (!adapter) {
            throw ZelkException(kWinOpenName, false, kNoAdapter);
        }
        if (adapter->selectedDeviceIndex < 0 ||
            static_cast<size_t>(adapter->selectedDeviceIndex) >= adapter->devices.size()) {
            throw ZelkException(kWinOpenName, false, kInvalidDevice);
        }
        ZelkD3DDeviceInfo& deviceInfo = adapter->devices[static_cast<size_t>(adapter->selectedDeviceIndex)];
        const bool windowed = deviceInfo.selectedWindowed;
        std::vector<ZelkD3DFormatInfo>& formats = windowed ? deviceInfo.windowedFormats : deviceInfo.fullScreenFormats;
        const INT formatIndex =
            windowed ? deviceInfo.selectedWindowedFormatIndex : deviceInfo.selectedFullScreenFormatIndex;
        if (formatIndex < 0 || static_cast<size_t>(formatIndex) >= formats.size()) {
            throw ZelkException(kWinOpenName, false, kInvalidFormat);
        }
        ZelkD3DFormatInfo& format = formats[static_cast<size_t>(formatIndex)];

        std::uint32_t width = 0;
        std::uint32_t height = 0;
        if (static_cast<std::uint32_t>(resolution) < 16) {
            width = kResolutions[resolution].width;
            height = kResolutions[resolution].height;
        } else if (format.selectedDisplayModeIndex >= 0 &&
                   static_cast<size_t>(format.selectedDisplayModeIndex) < format.displayModes.size()) {
            width = format.displayModes[static_cast<size_t>(format.selectedDisplayModeIndex)].Width;
            height = format.displayModes[static_cast<size_t>(format.selectedDisplayModeIndex)].Height;
        }
        bool found = false;
        for (size_t i = 0; i < format.displayModes.size(); ++i) {
            if (format.displayModes[i].Width == width && format.displayModes[i].Height == height) {
                format.selectedDisplayModeIndex = static_cast<INT>(i);
                found = true;
                break;
            }
        }
        // Full screen switches the display to the mode.  A windowed back
        // buffer takes the size and changes no mode, so the display need not
        // list one of that size.
        if (!found && (!windowed || width == 0 || height == 0)) {
            throw ZelkException(kWinOpenName, false, kNoDisplaySize);
        }

        // Window handles hold 32 significant bits; a 64-bit process widens
        // one by sign extension.
        HWND target = reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(windowHandle)));
        if (!target) {
            target = GetActiveWindow();
        }
        if (!target || !IsWindow(target)) {
            throw ZelkException(kWinOpenName, false, kNoWindow);
        }
        window = target;
        openedWindowed = windowed;
        savedStyle = GetWindowLongA(window, GWL_STYLE);
        savedExStyle = GetWindowLongA(window, GWL_EXSTYLE);
        GetWindowRect(window, &savedRect);

        if (settings.adjustOwnerWindow) {
            if (!windowed) {
                SetWindowLongA(window, GWL_STYLE, kFullScreenStyle);
                SetWindowLongA(window, GWL_EXSTYLE, 0);
                ShowCursor(FALSE);
            }
            const LONG style = GetWindowLongA(window, GWL_STYLE);
            const LONG exStyle = GetWindowLongA(window, GWL_EXSTYLE);
            RECT frame = {0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
            const BOOL menu = (style & WS_CHILD) ? FALSE : (GetMenu(window) != nullptr);
            AdjustWindowRectEx(&frame, static_cast<DWORD>(style), menu, static_cast<DWORD>(exStyle));
            if (windowed) {
                SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top, 0);
            } else {
                SetWindowPos(window, HWND_TOPMOST, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                             SWP_NOREDRAW | SWP_SHOWWINDOW | SWP_NOCOPYBITS);
            }
        }
        if (settings.hideChildWindows) {
            for (HWND child = GetTopWindow(window); child; child = GetWindow(child, GW_HWNDNEXT)) {
                if (ShowWindow(child, SW_HIDE)) {
                    hiddenChildren.push_back(child);
                }
            }
        }

        const bool lockable = settings.lfb.readBack || settings.lfb.writeBack;
        // Glide counts the front buffer among its colour buffers.
        const UINT backBuffers = colorBuffers > 1 ? static_cast<UINT>(colorBuffers - 1) : 1u;
        IDirect3DDevice9Ptr device = d3d->CreateD3DDevice(window, nullptr, backBuffers, lockable,
                                                          settings.adapterOrdinal, windowed ? width : 0,
                                                          windowed ? height : 0);
        if (!device) {
            throw ZelkException(kWinOpenName, false, kCreateDeviceFailed);
        }

        D3DCAPS9 caps = {};
        device->GetDeviceCaps(&caps);
        if (!(caps.TextureFilterCaps & D3DPTFILTERCAPS_MINFANISOTROPIC)) {
            settings.forceAnisotropicMin = 0;
        }
        if (!(caps.TextureFilterCaps & D3DPTFILTERCAPS_MAGFANISOTROPIC)) {
            settings.forceAnisotropicMag = 0;
        }
        if (caps.VertexShaderVersion < D3DVS_VERSION(1, 1)) {
            settings.vertexConvertType = settingskeys::kVertexConvertSoftware;
        }
        if (caps.PixelShaderVersion < D3DPS_VERSION(1, 3)) {
            settings.texelBlendingType = settingskeys::kTexelBlendingFixed;
        }

        screenWidth = width;
        screenHeight = height;
        colorConverter = ZelkGrPixelConverter(kColorFormatSources[colorFormat], D3DFMT_A8R8G8B8, nullptr, nullptr,
                                              0xFFFFFFFF);
        if (windowed) {
            settings.lfb.readFront = 0;
        }

        settings.renderer.shaderModule = GetModuleInstance();
        renderer = CreateRenderer(settings.texelBlendingType, settings.vertexConvertType, device, width, height,
                                  settings.renderer);
        RebuildDeviceMembers(device, colorFormat);

        ClipWindow(0, 0, width, height);
        SstOrigin(origin);
        if (settings.renderer.useBackgroundThread) {
            renderer->ResumeWorker();
        }
        return FXTRUE;
    } catch (ZelkException& e) {
        WriteErrorLog(e);
        WinClose();
        throw;
    } catch (...) {
        WinClose();
        throw;
    }
}

void ZelkGlide::WinClose() noexcept
{
    colorConverter = EmptyConverter();
    textureManager.renderer = nullptr;
    if (renderer) {
        try {
            renderer->Shutdown();
        } catch (ZelkException& e) {
            WriteErrorLog(e);
        } catch (...) {
        }
        renderer.reset();
    }
    ResetDeviceMembers();
    ResetState();
    RestoreWindow();
}

void ZelkGlide::RestoreWindow() noexcept
{
    if (window && IsWindow(window)) {
        if (settings.adjustOwnerWindow) {
            if (savedStyle != 0) {
                SetWindowLongA(window, GWL_STYLE, savedStyle);
                SetWindowLongA(window, GWL_EXSTYLE, savedExStyle);
            }
            const int width = savedRect.right - savedRect.left;
            const int height = savedRect.bottom - savedRect.top;
            if (openedWindowed) {
                // Position and size as they were at open.
                SetWindowPos(window, nullptr, savedRect.left, savedRect.top, width, height, SWP_FRAMECHANGED);
            } else {
                SetWindowPos(window, HWND_NOTOPMOST, savedRect.left, savedRect.top, width, height,
                             SWP_FRAMECHANGED);
                ShowCursor(TRUE);
            }
        }
        if (settings.hideChildWindows) {
            for (HWND child : hiddenChildren) {
                if (IsWindow(child)) {
                    ShowWindow(child, SW_SHOW);
                }
            }
        }
    }
    window = nullptr;
    savedStyle = 0;
    savedExStyle = 0;
    savedRect = RECT{0, 0, 0, 0};
    openedWindowed = false;
    hiddenChildren.clear();
}

FxBool ZelkGlide::QueryHardware(GrHwConfiguration* configuration) const
{
    if (!configuration) {
        throw ZelkException("ZelkGlide::QueryHardware", false,
                            "The parameter [ GrHwConfiguration* hwconfig ] is invalid.");
    }
    ZelkD3D* d3d = ZelkD3D::GetD3D();
    const UINT adapters = d3d ? d3d->GetAdapterCount() : 0;
    *configuration = GrHwConfiguration{};
    configuration->num_sst = adapters < 1 ? static_cast<int>(adapters) : 1;
    GrVoodooConfig_t& board = configuration->SSTs[0].sstBoard.VoodooConfig;
    configuration->SSTs[0].type = static_cast<GrSstType>(0);
    board.fbRam = static_cast<int>(settings.fbiMemorySize);
    board.fbiRev = 260;
    board.nTexelfx = static_cast<int>(settings.tmuCount);
    board.sliDetect = settings.enableSli;
    for (std::uint32_t i = 0; i < ServedTmuCount(); ++i) {
        board.tmuConfig[i].tmuRev = 4;
        board.tmuConfig[i].tmuRam = static_cast<int>(settings.tmuMemorySize);
    }
    return configuration->num_sst != 0 ? FXTRUE : FXFALSE;
}

ZelkGrPrimitiveRenderer& ZelkGlide::RequireRenderer(const char* thrower) const
{
    if (!renderer) {
        throw ZelkException(thrower, false, kNoOpenWindow);
    }
    return *renderer;
}

std::uint32_t ZelkGlide::ConvertColor(GrColor_t color) const
{
    std::uint32_t source = color;
    std::uint32_t converted = color;
    colorConverter.ConvertTexel(&colorConverter, &source, &converted);
    return converted;
}

void ZelkGlide::Swap()
{
    RequireRenderer("ZelkGlide::Swap").EndFrame();
}

}  // namespace zelk
