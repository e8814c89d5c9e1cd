#pragma once

// The front end: one object per process that owns everything the Glide
// application's calls change (settings, Glide state, window, renderer,
// texture memory, frame-buffer access).  Created by the first Glide call,
// destroyed by grSstWinClose, grGlideShutdown and library detach.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "glideapi/Glide2Types.h"
#include "glide/ZelkGlideSettings.h"
#include "glide/ZelkGlideState.h"
#include "glide/ZelkGrTextureManager.h"
#include "glide/ZelkGuMipMapTable.h"
#include "lfb/ZelkGrLfbAccessor.h"
#include "pixelformat/ZelkGrPixelConverter.h"
#include "render/ZelkGrPrimitiveRenderer.h"

namespace zelk {

class ZelkGlide {
public:
    explicit ZelkGlide(const ZelkGlideSettings& settings);
    ZelkGlide(const ZelkGlide&) = delete;
    ZelkGlide& operator=(const ZelkGlide&) = delete;
    // Closes the window first, then destroys the ZelkD3D singleton.  Never
    // throws.
    virtual ~ZelkGlide();

    // --- Window and device ----------------------------------------------------
    // Opens the device on the window; a failure is logged, the window is
    // closed again and the exception is thrown on.
    FxBool grSstWinOpen(FxU32 window, GrScreenResolution_t resolution, GrScreenRefresh_t refresh,
                        GrColorFormat_t colorFormat, GrOriginLocation_t origin, int colorBuffers,
                        int auxBuffers);
    // Releases the renderer and the device, resets the state and restores
    // the window.  Never throws; makes no Direct3D call beyond releases.
    void WinClose() noexcept;
    FxBool QueryHardware(GrHwConfiguration* configuration) const;
    bool IsOpen() const { return renderer != nullptr; }
    // The texture units the calls serve: the emulated count, at most two.
    std::uint32_t ServedTmuCount() const
    {
        return settings.tmuCount < kGlideTmuCount ? settings.tmuCount : kGlideTmuCount;
    }
    // Gives the application's window back its style, place and children, as
    // they were at open.
    void RestoreWindow() noexcept;

    // The renderer of the open window, or a logged ZelkException naming the
    // thrower when no window is open.
    ZelkGrPrimitiveRenderer& RequireRenderer(const char* thrower) const;
    // A Glide colour in the device's A8R8G8B8 layout.
    std::uint32_t ConvertColor(GrColor_t color) const;
    // Hands the bound textures of both units to the renderer (before a draw).
    void UpdatePendingTextures();
    // The end of a frame: flags the current package for presentation.
    void Swap();

    // --- State methods -------------------------------------------------------
    // Each stores the new value and passes it on only when it differs from
    // the stored one; with no window open they change nothing.
    void SstOrigin(std::uint32_t origin);
    void RenderBuffer(std::uint32_t buffer);
    void AlphaBlendFunction(std::uint32_t rgbSource, std::uint32_t rgbDestination, std::uint32_t alphaSource,
                            std::uint32_t alphaDestination);
    void AlphaCombine(std::uint32_t function, std::uint32_t factor, std::uint32_t local, std::uint32_t other,
                      std::uint32_t invert);
    void ColorCombine(std::uint32_t function, std::uint32_t factor, std::uint32_t local, std::uint32_t other,
                      std::uint32_t invert);
    void AlphaControlsITRGBLighting(std::uint32_t enable);
    void AlphaTestFunction(std::uint32_t function);
    void AlphaTestReferenceValue(std::uint32_t reference);
    void ChromakeyMode(std::uint32_t mode);
    void ChromakeyValue(std::uint32_t color);
    void ConstantColorValue(std::uint32_t color);
    void ClipWindow(std::uint32_t minX, std::uint32_t minY, std::uint32_t maxX, std::uint32_t maxY);
    void ColorMask(std::uint32_t rgb, std::uint32_t alpha);
    void CullMode(std::uint32_t mode);
    void DepthBiasLevel(std::uint16_t level);
    void DepthBufferFunction(std::uint32_t function);
    void DepthBufferMode(std::uint32_t mode);
    void DepthMask(std::uint32_t enable);
    void DitherMode(std::uint32_t mode);
    void FogColorValue(std::uint32_t color);
    void FogMode(std::uint32_t mode);
    void GammaCorrectionValue(float gamma);
    void Hints(std::uint32_t type, std::uint32_t mask);
    void DisableAllEffects();
    void GetState(GrState* saved) const;
    void SetState(const GrState* saved);

    // --- Members ---------------------------------------------------------------
    ZelkGlideSettings settings;
    ZelkGrPixelConverter colorConverter;
    std::unique_ptr<ZelkGrPrimitiveRenderer> renderer;
    ZelkGrTextureManager textureManager;
    ZelkGuMipMapTable mipMapTable;
    ZelkGrLfbAccessor lfbAccessor;
    std::uint32_t screenWidth = 0;
    std::uint32_t screenHeight = 0;
    HWND window = nullptr;
    LONG savedStyle = 0;
    LONG savedExStyle = 0;
    RECT savedRect = {0, 0, 0, 0};
    // Whether the device of the open window is windowed, kept for the close.
    bool openedWindowed = false;
    std::vector<HWND> hiddenChildren;
    ZelkGlideState state;
    ZelkGlideTmuState tmuState[kGlideTmuCount];

private:
    // The stored fields of one combine unit (colour or alpha).
    struct CombineFields {
        std::uint32_t& function;
        std::uint32_t& factor;
        std::uint32_t& local;
        std::uint32_t& other;
        std::uint8_t& invert;
    };
    // Stores a combine setting and records the command when it changed.
    void RecordCombine(std::uint32_t command, CombineFields stored, std::uint32_t function, std::uint32_t factor,
                       std::uint32_t local, std::uint32_t other, std::uint32_t invert);
    void ApplyAlphaTest();
    void ApplyAlphaReference();
    void ApplyChromakeyToTextures();
    void SetLfbConstantColor(std::uint32_t color);
    void ResetState();
    // Rebuilds the texture manager, the mip-map table and the frame-buffer
    // accessor for the device, or without one.
    void RebuildDeviceMembers(IDirect3DDevice9* device, GrColorFormat_t colorFormat);
    void ResetDeviceMembers() noexcept;
    // The renderer when a window is open, else null.
    ZelkGrPrimitiveRenderer* Recorder() const { return renderer.get(); }
};

// The front end, created first when none exists.  Throws (logged) when the
// settings cannot be read.
ZelkGlide* GetGlide();
// Creates the front end when none exists.
void CreateGlide();
// Destroys the front end, if any.
void DestroyGlide() noexcept;
// The front end if one exists; never creates it.
ZelkGlide* FindGlide();

// Library detach: a process exit leaves everything alone; a dynamic unload
// destroys the front end, or, while a window is open, only restores the
// window (releasing the device would wait for threads under the loader
// lock).
void DetachGlide(bool processExit) noexcept;

}  // namespace zelk
