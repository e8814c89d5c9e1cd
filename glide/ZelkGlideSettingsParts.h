#pragma once

// The parts of the settings block that the front end hands to the texture
// manager and the frame-buffer accessor, and the defaults of every part
// (the renderer's record is the renderer's own).
#include <cstdint>

#include "framework/ZelkGlideSettingsKeys.h"
#include "render/ZelkGrRendererSettings.h"

namespace zelk {

struct ZelkGrTextureSettings {
    std::uint8_t createMipmap;
    std::uint32_t format[settingskeys::kGlideTextureFormatCount];
};

struct ZelkGrLfbSettings {
    std::uint8_t enableFrontBufferReading;
    std::uint8_t enableBackBufferReading;
    std::uint8_t enableDepthBufferReading;
    std::uint8_t enableFrontBufferWriting;
    std::uint8_t enableBackBufferWriting;
    std::uint8_t enableDepthBufferWriting;
};

ZelkGrRendererSettings DefaultRendererSettings();
ZelkGrTextureSettings DefaultTextureSettings();
ZelkGrLfbSettings DefaultLfbSettings();

}  // namespace zelk
