#pragma once

#include <cstdint>

#include <windows.h>

namespace zelk {

// The renderer's copy of the settings that concern it, read from the
// registry by the front end, and the module whose resources hold the
// vertex-shader sources (null: the process's executable).
struct ZelkGrRendererSettings {
    HMODULE shaderModule = nullptr;
    std::uint32_t rendererTmuCount = 2;      // texture units the texel pipeline handles; always 2
    std::uint32_t vertexShaderVersion = 0;   // "vertex shader version"
    std::uint8_t useBackgroundThread = 0;    // "use background thread"
    std::uint8_t useTriangleStrip = 0;       // "use triangle strip"
    std::uint8_t assumeOFogValid = 1;        // "assume oFog is valid"
    std::uint8_t displayStatistics = 0;      // "display rendering statistics"
    std::uint32_t maxQueueSize = 16;         // "maximum size of rendering queue"
    std::uint32_t threadPriority = 0;        // "background thread priority level", a Win32 priority
};

}  // namespace zelk
