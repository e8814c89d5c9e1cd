#pragma once

// Glide vertices through the SW vertex path, pixels through ps_1_3 shaders.
#include "render/ZelkGrPrimitiveRendererSW.h"
#include "render/ZelkGrTexPipelinePS13.h"

namespace zelk {

class ZelkGrRendererSWPS13 final : public ZelkGrTexPipelinePS13<ZelkGrPrimitiveRendererSW> {
public:
    ZelkGrRendererSWPS13(IDirect3DDevice9* device, std::uint32_t width, std::uint32_t height,
                          const ZelkGrRendererSettings& settings);
    ~ZelkGrRendererSWPS13() override;
};

}  // namespace zelk
