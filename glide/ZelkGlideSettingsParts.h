#pragma once

// The parts of the settings block that the front end hands to the renderer,
// the texture manager and the frame-buffer accessor, with their defaults.
#include <cstdint>

#include "framework/ZelkGlideSettingsKeys.h"

namespace zelk {

struct ZelkGrRendererSettings {
    std::uint32_t tmuCount;
    std::uint32_t vertexShaderVersion;
    std::uint8_t useBackgroundThread;
    std::uint8_t useTriangleStrip;
    std::uint8_t assumeOFogIsValid;
    std::uint8_t displayRenderingStatistics;
    std::uint32_t maximumQueueSize;
    std::uint32_t threadPriority;
};

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
