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
};

ZelkGrRendererSettings DefaultRendererSettings();
ZelkGrTextureSettings DefaultTextureSettings();
ZelkGrLfbSettings DefaultLfbSettings();

}  // namespace zelk
