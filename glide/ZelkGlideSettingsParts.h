#pragma once

// The parts of the settings block that the front end hands to the texture
// manager and the frame-buffer accessor, and the defaults of every part
// (the renderer's and the accessor's records are their own).
#include <cstdint>

#include "framework/ZelkGlideSettingsKeys.h"
#include "lfb/ZelkGrLfbAccessor.h"
#include "render/ZelkGrRendererSettings.h"

namespace zelk {

struct ZelkGrTextureSettings {
    std::uint8_t createMipmap;
    std::uint32_t format[settingskeys::kGlideTextureFormatCount];
    // Bit n set: format[n] was read from the settings tree (not a default).
    std::uint32_t storedFormats;
};

ZelkGrRendererSettings DefaultRendererSettings();
ZelkGrTextureSettings DefaultTextureSettings();
ZelkGrLfbSettings DefaultLfbSettings();

}  // namespace zelk
