#pragma once

// Decides, when a window opens, the Direct3D format the device keeps the
// textures of each Glide texture format in.  A configured format that the
// device cannot take as a texture, or that cannot hold the Glide format's
// texels, gives way to the first format of that Glide format's preference
// list which the device takes, else to the first candidate format that fits.
#include <windows.h>
#include <d3d9.h>

#include <functional>

#include "glide/ZelkGlideSettingsParts.h"

namespace zelk {

// Whether the device can create textures of a format.
using ZelkTextureFormatSupport = std::function<bool(D3DFORMAT)>;

// Resolves every entry of settings.format against the support test:
// - 0 means none and stays 0;
// - a Glide format without texels to convert (YIQ, reserved) keeps a format
//   the device supports and gets 0 otherwise;
// - any other Glide format keeps a supported format that can hold its texels
//   and otherwise gets the replacement described above, or 0 when nothing
//   fits.
// Each replaced entry that came from the settings tree is written to the
// error log.
void ResolveTextureFormats(ZelkGrTextureSettings& settings, const ZelkTextureFormatSupport& supported);

// The support test of a device: the extension library's texture
// requirements check keeps the format as it is.
ZelkTextureFormatSupport DeviceTextureSupport(IDirect3DDevice9* device);

}  // namespace zelk
