#pragma once

// Per-rectangle converters into the 8-bit formats R3G3B2, A8 and P8 and the
// 16-bit formats A8R3G3B2, X4R4G4B4, A8P8 and A8L8.  Every converting member
// is ConvertRectByRule of the pair it is named after: the shared row walk
// with the pair's channel rule in the loop body (or its SSE2 rows, or its
// palette table, where ConvertRectByRule has them).  The same-format copies and
// the whole-texel copy ConvertRect_A1R5G5B5ToX1R5G5B5 live with the other
// converters (ZelkGrRectConverters.h).
#include "pixelformat/ZelkGrPixelConverter.h"

#include <d3d9.h>

namespace zelk {

// The converting members, each with the (destination, source) pair it is
// named after and built from; a member serves further pairs where
// GetNarrowFormatConverterChoices says so (it then reads only what those
// sources have in common with its own).  X(name, destination, source)
// defines ConvertRect_<name>.
#define ZELK_NARROW_RECT_CONVERTERS(X)                                     \
    X(R8G8B8ToR3G3B2, D3DFMT_R3G3B2, D3DFMT_R8G8B8)                        \
    X(A8R8G8B8ToR3G3B2, D3DFMT_R3G3B2, D3DFMT_A8R8G8B8)                    \
    X(R5G6B5ToR3G3B2, D3DFMT_R3G3B2, D3DFMT_R5G6B5)                        \
    X(A1R5G5B5ToR3G3B2, D3DFMT_R3G3B2, D3DFMT_A1R5G5B5)                    \
    X(A4R4G4B4ToR3G3B2, D3DFMT_R3G3B2, D3DFMT_A4R4G4B4)                    \
    X(A8ToR3G3B2, D3DFMT_R3G3B2, D3DFMT_A8)                                \
    X(A8R3G3B2ToR3G3B2, D3DFMT_R3G3B2, D3DFMT_A8R3G3B2)                    \
    X(A2B10G10R10ToR3G3B2, D3DFMT_R3G3B2, D3DFMT_A2B10G10R10)              \
    X(G16R16ToR3G3B2, D3DFMT_R3G3B2, D3DFMT_G16R16)                        \
    X(A8P8ToR3G3B2, D3DFMT_R3G3B2, D3DFMT_A8P8)                            \
    X(P8ToR3G3B2, D3DFMT_R3G3B2, D3DFMT_P8)                                \
    X(L8ToR3G3B2, D3DFMT_R3G3B2, D3DFMT_L8)                                \
    X(A8L8ToR3G3B2, D3DFMT_R3G3B2, D3DFMT_A8L8)                            \
    X(A4L4ToR3G3B2, D3DFMT_R3G3B2, D3DFMT_A4L4)                            \
    X(ABGRToR3G3B2, D3DFMT_R3G3B2, ZELK_FORMAT_ABGR)                       \
    X(RGBAToR3G3B2, D3DFMT_R3G3B2, ZELK_FORMAT_RGBA)                       \
    X(BGRAToR3G3B2, D3DFMT_R3G3B2, ZELK_FORMAT_BGRA)                       \
                                                                           \
    X(X8R8G8B8ToA8, D3DFMT_A8, D3DFMT_X8R8G8B8)                            \
    X(R5G6B5ToA8, D3DFMT_A8, D3DFMT_R5G6B5)                                \
    X(R3G3B2ToA8, D3DFMT_A8, D3DFMT_R3G3B2)                                \
    X(A8R8G8B8ToA8, D3DFMT_A8, D3DFMT_A8R8G8B8)                            \
    X(RGBAToA8, D3DFMT_A8, ZELK_FORMAT_RGBA)                               \
    X(A1R5G5B5ToA8, D3DFMT_A8, D3DFMT_A1R5G5B5)                            \
    X(A4R4G4B4ToA8, D3DFMT_A8, D3DFMT_A4R4G4B4)                            \
    X(A8R3G3B2ToA8, D3DFMT_A8, D3DFMT_A8R3G3B2)                            \
    X(A2B10G10R10ToA8, D3DFMT_A8, D3DFMT_A2B10G10R10)                      \
    X(A8P8ToA8, D3DFMT_A8, D3DFMT_A8P8)                                    \
    X(A4L4ToA8, D3DFMT_A8, D3DFMT_A4L4)                                    \
                                                                           \
    X(A8R8G8B8ToA8R3G3B2, D3DFMT_A8R3G3B2, D3DFMT_A8R8G8B8)                \
    X(X8R8G8B8ToA8R3G3B2, D3DFMT_A8R3G3B2, D3DFMT_X8R8G8B8)                \
    X(R8G8B8ToA8R3G3B2, D3DFMT_A8R3G3B2, D3DFMT_R8G8B8)                    \
    X(R5G6B5ToA8R3G3B2, D3DFMT_A8R3G3B2, D3DFMT_R5G6B5)                    \
    X(X1R5G5B5ToA8R3G3B2, D3DFMT_A8R3G3B2, D3DFMT_X1R5G5B5)                \
    X(A1R5G5B5ToA8R3G3B2, D3DFMT_A8R3G3B2, D3DFMT_A1R5G5B5)                \
    X(A4R4G4B4ToA8R3G3B2, D3DFMT_A8R3G3B2, D3DFMT_A4R4G4B4)                \
    X(X4R4G4B4ToA8R3G3B2, D3DFMT_A8R3G3B2, D3DFMT_X4R4G4B4)                \
    X(R3G3B2ToA8R3G3B2, D3DFMT_A8R3G3B2, D3DFMT_R3G3B2)                    \
    X(A8ToA8R3G3B2, D3DFMT_A8R3G3B2, D3DFMT_A8)                            \
    X(A2B10G10R10ToA8R3G3B2, D3DFMT_A8R3G3B2, D3DFMT_A2B10G10R10)          \
    X(G16R16ToA8R3G3B2, D3DFMT_A8R3G3B2, D3DFMT_G16R16)                    \
    X(A8P8ToA8R3G3B2, D3DFMT_A8R3G3B2, D3DFMT_A8P8)                        \
    X(P8ToA8R3G3B2, D3DFMT_A8R3G3B2, D3DFMT_P8)                            \
    X(L8ToA8R3G3B2, D3DFMT_A8R3G3B2, D3DFMT_L8)                            \
    X(A8L8ToA8R3G3B2, D3DFMT_A8R3G3B2, D3DFMT_A8L8)                        \
    X(A4L4ToA8R3G3B2, D3DFMT_A8R3G3B2, D3DFMT_A4L4)                        \
    X(ABGRToA8R3G3B2, D3DFMT_A8R3G3B2, ZELK_FORMAT_ABGR)                   \
    X(RGBAToA8R3G3B2, D3DFMT_A8R3G3B2, ZELK_FORMAT_RGBA)                   \
    X(BGRAToA8R3G3B2, D3DFMT_A8R3G3B2, ZELK_FORMAT_BGRA)                   \
                                                                           \
    X(R8G8B8ToX4R4G4B4, D3DFMT_X4R4G4B4, D3DFMT_R8G8B8)                    \
    X(A8R8G8B8ToX4R4G4B4, D3DFMT_X4R4G4B4, D3DFMT_A8R8G8B8)                \
    X(R5G6B5ToX4R4G4B4, D3DFMT_X4R4G4B4, D3DFMT_R5G6B5)                    \
    X(A1R5G5B5ToX4R4G4B4, D3DFMT_X4R4G4B4, D3DFMT_A1R5G5B5)                \
    X(R3G3B2ToX4R4G4B4, D3DFMT_X4R4G4B4, D3DFMT_R3G3B2)                    \
    X(A8R3G3B2ToX4R4G4B4, D3DFMT_X4R4G4B4, D3DFMT_A8R3G3B2)                \
    X(A8ToX4R4G4B4, D3DFMT_X4R4G4B4, D3DFMT_A8)                            \
    X(A2B10G10R10ToX4R4G4B4, D3DFMT_X4R4G4B4, D3DFMT_A2B10G10R10)          \
    X(G16R16ToX4R4G4B4, D3DFMT_X4R4G4B4, D3DFMT_G16R16)                    \
    X(A8P8ToX4R4G4B4, D3DFMT_X4R4G4B4, D3DFMT_A8P8)                        \
    X(P8ToX4R4G4B4, D3DFMT_X4R4G4B4, D3DFMT_P8)                            \
    X(L8ToX4R4G4B4, D3DFMT_X4R4G4B4, D3DFMT_L8)                            \
    X(A8L8ToX4R4G4B4, D3DFMT_X4R4G4B4, D3DFMT_A8L8)                        \
    X(A4L4ToX4R4G4B4, D3DFMT_X4R4G4B4, D3DFMT_A4L4)                        \
    X(ABGRToX4R4G4B4, D3DFMT_X4R4G4B4, ZELK_FORMAT_ABGR)                   \
    X(RGBAToX4R4G4B4, D3DFMT_X4R4G4B4, ZELK_FORMAT_RGBA)                   \
    X(BGRAToX4R4G4B4, D3DFMT_X4R4G4B4, ZELK_FORMAT_BGRA)                   \
                                                                           \
    X(P8ToA8P8, D3DFMT_A8P8, D3DFMT_P8)                                    \
    X(L8ToA8L8, D3DFMT_A8L8, D3DFMT_L8)                                    \
    X(A4L4ToA8L8, D3DFMT_A8L8, D3DFMT_A4L4)

ZELK_NARROW_RECT_CONVERTERS(ZELK_DECLARE_RECT_CONVERTER)

}  // namespace zelk
