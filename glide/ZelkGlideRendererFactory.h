#pragma once

// Creates the renderer of an open window from the settings' texel blending
// and vertex convert types.  A pair with no renderer class sets both types
// to 0 and gets the software-transform fixed-function renderer.
#include <cstdint>
#include <memory>

#include "render/ZelkGrPrimitiveRenderer.h"

namespace zelk {

std::unique_ptr<ZelkGrPrimitiveRenderer> CreateGlideRenderer(IDirect3DDevice9* device, std::uint32_t width,
                                                             std::uint32_t height, std::uint32_t& texelBlendingType,
                                                             std::uint32_t& vertexConvertType,
                                                             const ZelkGrRendererSettings& settings);

}  // namespace zelk
