#pragma once

// The settings block that the front end reads from the registry when it is
// created.  The parts handed on to the renderer, the texture manager and the
// frame-buffer accessor are their own records.
#include <cstdint>

#include "framework/ZelkGlideSettingsKeys.h"
#include "glide/ZelkGlideSettingsParts.h"

namespace zelk {

struct ZelkGlideSettings {
    std::uint32_t adapterOrdinal = settingskeys::kDefaultAdapterOrdinal;
    std::uint32_t tmuCount = settingskeys::kDefaultNumberOfTmu;
    std::uint32_t fbiMemorySize = settingskeys::kDefaultFbiMemorySize;
    std::uint32_t tmuMemorySize = settingskeys::kDefaultTmuMemorySize;
    std::uint32_t vertexConvertType = settingskeys::kDefaultVertexConvertType;
    std::uint32_t texelBlendingType = settingskeys::kDefaultTexelBlendingType;
    std::uint8_t enableSli = settingskeys::kDefaultEnableSli;
    std::uint8_t forceAnisotropicMin = settingskeys::kDefaultForceAnisotropicFiltering;
    std::uint8_t forceAnisotropicMag = settingskeys::kDefaultForceAnisotropicFiltering;
    std::uint8_t adjustOwnerWindow = settingskeys::kDefaultAdjustOwnerWindow;
    std::uint8_t hideChildWindows = settingskeys::kDefaultEnableUltrahleFix;
    std::uint8_t enableLfbAccessing = settingskeys::kDefaultEnableLfbAccessing;
    ZelkGrRendererSettings renderer = DefaultRendererSettings();
    ZelkGrTextureSettings texture = DefaultTextureSettings();
    ZelkGrLfbSettings lfb = DefaultLfbSettings();
};

// Reads the settings from HKEY_CURRENT_USER\Software\zelkGlide.  Missing
// keys and values keep their defaults.  Stored Direct3D choices are checked
// against the ZelkD3D singleton's records and applied to them; a failure to
// create that singleton is logged and thrown.
ZelkGlideSettings ReadGlideSettings();

}  // namespace zelk
