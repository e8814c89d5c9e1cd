#pragma once

// Moves texels into Direct3D surfaces and textures: from application memory,
// from surface to surface, from texture to texture, and builds the colour-key
// lookup textures of the pixel-shader renderers.  Each load takes the cheapest
// road: a plain row copy when the formats match and no colour key is asked
// for, else the program's own pixel converter for the format pair, else the
// extension library.
#include <windows.h>
#include <d3d9.h>

#include "framework/ZelkD3DPtr.h"

namespace zelk {

class ZelkD3DSurface {
public:
    ZelkD3DSurface() = delete;

    // Copies a rectangle of application texels into the surface at the
    // point.  sourceFormat 0 means the surface's own format, sourceWidth 0
    // the surface's width; the source rows are sourceWidth texels apart.  A
    // null rectangle is the whole surface, a null point the origin.  The
    // destination is pulled back into the surface and cut to it; at least one
    // texel is written.  No data, or a source format without a byte size,
    // writes nothing.  A rectangle that lies outside the source row, is
    // empty or negative, or a negative point, throws E_INVALIDARG: nothing
    // outside the caller's rectangle is ever read.  Returns true; failures
    // throw ZelkException, logged once.
    static bool LoadSurfaceFromMemory(IDirect3DSurface9* destinationSurface, const void* sourceData,
                                      D3DFORMAT sourceFormat, UINT sourceWidth, const RECT* sourceRect,
                                      const POINT* destinationPoint, const PALETTEENTRY* sourcePalette,
                                      const PALETTEENTRY* destinationPalette, D3DCOLOR colorKey);

    // Copies a rectangle of one surface into another at the point, clipped
    // to both surfaces (at least one texel).  Returns true; failures throw.
    static bool LoadSurfaceFromSurface(IDirect3DSurface9* sourceSurface, IDirect3DSurface9* destinationSurface,
                                       const RECT* sourceRect, const POINT* destinationPoint,
                                       const PALETTEENTRY* sourcePalette, const PALETTEENTRY* destinationPalette,
                                       D3DCOLOR colorKey);

    // Fills the destination texture from the source: the levels the two
    // have in common are copied (or resampled when the sizes differ or a
    // colour key is given), further destination levels are filtered from the
    // last one copied.  A default-pool destination is filled through the
    // device's update calls, by way of a system-memory staging texture when
    // the source cannot be handed over as it is.  Returns true; failures
    // throw.
    static bool LoadTextureFromTexture(IDirect3DTexture9* sourceTexture, IDirect3DTexture9* destinationTexture,
                                       const PALETTEENTRY* sourcePalette, const PALETTEENTRY* destinationPalette,
                                       D3DCOLOR colorKey);

    // A new texture of the source's size and format in the pool, filled from
    // the source as LoadTextureFromTexture does; levels below those copied are
    // made with mipFilter.  Failures throw.
    static IDirect3DTexture9Ptr CreateTextureFromTexture(IDirect3DTexture9* sourceTexture, UINT levels,
                                                         DWORD mipFilter, D3DPOOL pool, DWORD usage,
                                                         D3DCOLOR colorKey);

    // A size x size scratch texture holding 0.0 in the one cell addressed by
    // the key's alpha (u) and red (v), 1.0 elsewhere; an ignore flag makes
    // its channel match every cell.  colorKey is {red, green, blue, alpha}
    // in 0..1.  Failures throw.
    static IDirect3DTexture9Ptr CreateColorkeyMapAR(IDirect3DDevice9* device, const float colorKey[4], UINT size,
                                                    D3DFORMAT format, BYTE ignoreFirst, BYTE ignoreSecond);
    // The same map addressed by the key's green (u) and blue (v).
    static IDirect3DTexture9Ptr CreateColorkeyMapGB(IDirect3DDevice9* device, const float colorKey[4], UINT size,
                                                    D3DFORMAT format, BYTE ignoreFirst, BYTE ignoreSecond);
};

}  // namespace zelk
