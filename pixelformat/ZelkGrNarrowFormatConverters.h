#pragma once

// Per-rectangle converters into the 8-bit formats R3G3B2, A8 and P8 and the
// 16-bit formats A8R3G3B2, X4R4G4B4, A8P8 and A8L8.  Every converting member
// is ConvertRectByRule of the pair it is named after: the shared row walk
// with the pair's channel rule in the loop body (or its SSE2 rows, or its
// palette table, where ConvertRectByRule has them).  The same-format copies and
// the whole-texel copy ConvertRect_A1R5G5B5ToX1R5G5B5 live with the other
// converters (ZelkGrRectConverters.h).
#include "pixelformat/ZelkGrPixelConverter.h"
#include "pixelformat/ZelkGrTexelConverters.h"

#include <d3d9.h>

namespace zelk {

// The converting members, each with the (destination, source) pair it is
// named after and built from; a member serves further pairs where
// GetNarrowFormatConverterChoices says so (it then reads only what those
// sources have in common with its own).  The shared members are listed with
// the per-texel ones (ZelkGrTexelConverters.h), then those with a
// per-rectangle member alone.  X(name, destination, source) defines
// ConvertRect_<name>.
#define ZELK_NARROW_RECT_CONVERTERS(X)                                \
    ZELK_SHARED_CONVERTERS_NARROW(X)                                  \
    X(A8R8G8B8ToR3G3B2, D3DFMT_R3G3B2, D3DFMT_A8R8G8B8)               \
    X(A1R5G5B5ToR3G3B2, D3DFMT_R3G3B2, D3DFMT_A1R5G5B5)               \
    X(A8R3G3B2ToR3G3B2, D3DFMT_R3G3B2, D3DFMT_A8R3G3B2)               \
    X(P8ToR3G3B2, D3DFMT_R3G3B2, D3DFMT_P8)                           \
    X(A8L8ToR3G3B2, D3DFMT_R3G3B2, D3DFMT_A8L8)                       \
                                                                      \
    X(X8R8G8B8ToA8, D3DFMT_A8, D3DFMT_X8R8G8B8)                       \
    X(R5G6B5ToA8, D3DFMT_A8, D3DFMT_R5G6B5)                           \
    X(R3G3B2ToA8, D3DFMT_A8, D3DFMT_R3G3B2)                           \
    X(RGBAToA8, D3DFMT_A8, ZELK_FORMAT_RGBA)                          \
                                                                      \
    X(X8R8G8B8ToA8R3G3B2, D3DFMT_A8R3G3B2, D3DFMT_X8R8G8B8)           \
                                                                      \
    X(A8R8G8B8ToX4R4G4B4, D3DFMT_X4R4G4B4, D3DFMT_A8R8G8B8)           \
    X(A1R5G5B5ToX4R4G4B4, D3DFMT_X4R4G4B4, D3DFMT_A1R5G5B5)           \
    X(A8R3G3B2ToX4R4G4B4, D3DFMT_X4R4G4B4, D3DFMT_A8R3G3B2)           \
    X(P8ToX4R4G4B4, D3DFMT_X4R4G4B4, D3DFMT_P8)                       \
    X(A8L8ToX4R4G4B4, D3DFMT_X4R4G4B4, D3DFMT_A8L8)

ZELK_NARROW_RECT_CONVERTERS(ZELK_DECLARE_RECT_CONVERTER)

}  // namespace zelk
