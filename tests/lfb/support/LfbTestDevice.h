#pragma once

// Devices for the frame-buffer tests: windowed, lockable back buffer of a
// chosen format and a chosen depth format, on one shared window; pixel
// read-back through the device; frame-buffer pixel encoding.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "common/TestWindow.h"
#include "framework/ZelkD3DPtr.h"
#include "glideapi/Glide2Types.h"
#include "lfb/ZelkGrLfbAccessor.h"

namespace zelktest {

constexpr UINT kLfbWidth = 64;
constexpr UINT kLfbHeight = 48;

// Accessor settings with every path and conversion allowed.
const zelk::ZelkGrLfbSettings kAllOn = {1, 1, 1, 1, 1, 1};

// A lock description with its size set, as applications pass it.
inline GrLfbInfo_t NewInfo() {
    GrLfbInfo_t info = {};
    info.size = sizeof(GrLfbInfo_t);
    return info;
}

// The shared window of a test executable.
HWND LfbWindow();

// A device on the shared window; null when the format pair is not offered.
IDirect3DDevice9Ptr CreateLfbDevice(IDirect3D9* d3d, D3DFORMAT backBuffer, D3DFORMAT depth,
                                    bool lockableBackBuffer = true, UINT width = kLfbWidth,
                                    UINT height = kLfbHeight);

// The back buffer's pixels as A8R8G8B8 (through GetRenderTargetData, alpha
// 0xFF for formats without alpha), row by row.
std::vector<uint32_t> ReadBack(IDirect3DDevice9* device);
// The depth surface's 16-bit values (D16_LOCKABLE) or floats scaled by
// 65535 and truncated (D32F_LOCKABLE).
std::vector<uint32_t> ReadDepth(IDirect3DDevice9* device);
// Fills the back buffer with one A8R8G8B8 colour and the depth with z.
void FillBack(IDirect3DDevice9* device, uint32_t argb);
void FillDepth(IDirect3DDevice9* device, float z);

// An 8-bit-per-channel colour in a frame-buffer pixel of a write mode and
// colour order (the depth half of RGB:DEPTH pixels from depth).
uint32_t EncodeLfb(uint32_t mode, int order, uint32_t argb, uint32_t depth = 0);
// The colour after passing through the mode's fields: each channel cut to
// the field's width and widened with zero low bits.
uint32_t ThroughFields(uint32_t mode, uint32_t argb);

}  // namespace zelktest
