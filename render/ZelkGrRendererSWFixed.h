#pragma once

// The renderer of software-transformed vertices with the fixed-function
// texel pipeline.
#include "render/ZelkGrPrimitiveRendererSW.h"
#include "render/ZelkGrTexPipelineFixed.h"

namespace zelk {

class ZelkGrRendererSWFixed final : public ZelkGrTexPipelineFixed<ZelkGrPrimitiveRendererSW> {
public:
    ZelkGrRendererSWFixed(IDirect3DDevice9* device, std::uint32_t width, std::uint32_t height,
                          const ZelkGrRendererSettings& settings);
    ~ZelkGrRendererSWFixed() override;
};

}  // namespace zelk
