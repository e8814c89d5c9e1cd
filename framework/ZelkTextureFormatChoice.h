#pragma once

// Which Direct3D formats may hold the textures of each Glide texture format,
// and the order in which they are preferred when the chosen one cannot be
// used.  Shared by the configurator, which offers and preselects formats
// from the enumeration, and the wrapper library, which checks the stored
// choices against its device when a window opens.  Depends on d3d9 only.
#include <windows.h>
#include <d3d9.h>

#include <cstddef>

namespace zelk {

constexpr std::size_t kTextureFormatPreferenceCount = 4;

// One Glide texture format: the Direct3D format its texels are laid out in
// (UNKNOWN for the formats that are never converted: YIQ and reserved
// codes) and the formats preferred for it, best first (UNKNOWN pads).
struct ZelkTextureFormatRule {
    D3DFORMAT source;
    D3DFORMAT preference[kTextureFormatPreferenceCount];
};

// The rule of a Glide texture format code; codes without texels to convert,
// and codes beyond 15, get a rule with no source and no preference.
const ZelkTextureFormatRule& GetTextureFormatRule(unsigned glideFormat);

// Whether texels of the source format may be stored in the target format:
// never into or from unknown, signed, depth, buffer and video formats;
// palettised sources into anything else; other sources into anything but a
// palettised format.
bool IsConvertibleFormat(DWORD source, DWORD target);

// Whether textures of the Glide format may be held in the Direct3D format:
// the format is convertible from the Glide texels, and for alpha-8 texels,
// which stand for intensity and alpha alike, it has colour channels (an
// alpha-only texture would sample black).  False for formats never
// converted.
bool IsTextureFormatFor(unsigned glideFormat, DWORD format);

}  // namespace zelk
