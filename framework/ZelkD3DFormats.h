#pragma once

// Direct3D 9 format facts shared by the wrapper and the configurator: the
// byte size of a format, the tables the enumeration walks and the colour
// formats the frame-buffer access converts.  Depends on d3d9 only.
#include <d3d9.h>

#include <cstddef>

namespace zelk {

// Bytes per pixel of a Direct3D format: 1, 2, 3 (R8G8B8), 4, 8 or 16; 0 for
// compressed, video and buffer formats and every value it does not know.
UINT GetFormatBytesPerPixel(D3DFORMAT format);

// One entry of the candidate table: a Direct3D format and the name the
// configurator shows for it.
struct ZelkD3DCandidateFormat {
    D3DFORMAT format;
    const char* name;
};

// The 60 candidate formats, in the order in which they are tried as
// back-buffer, depth-stencil and texture formats.  Stored settings hold
// positions in lists built in this order, so the order must never change.
constexpr std::size_t kCandidateFormatCount = 60;
extern const ZelkD3DCandidateFormat kCandidateFormats[kCandidateFormatCount];

// The display formats tried for full screen, in order.
constexpr std::size_t kFullScreenDisplayFormatCount = 6;
extern const D3DFORMAT kFullScreenDisplayFormats[kFullScreenDisplayFormatCount];

// True for the eight bump-map (signed texture) formats.
bool IsBumpMapFormat(D3DFORMAT format);

// True for the five colour-surface formats that the frame-buffer access has
// pixel converters for: A8R8G8B8, X8R8G8B8, R5G6B5, X1R5G5B5 and A1R5G5B5.
// Access to a back buffer of another format (the packed 24-bit R8G8B8, for
// one) fails wherever it needs a conversion.
bool HasFrameBufferConversion(D3DFORMAT format);

}  // namespace zelk
