#pragma once

// Glide vertices through the VS2x vertex path, pixels through ps_1_3 shaders.
#include "render/ZelkGrPrimitiveRendererVS2x.h"
#include "render/ZelkGrTexPipelinePS13.h"

namespace zelk {

class ZelkGrRendererVS2xPS13 final : public ZelkGrTexPipelinePS13<ZelkGrPrimitiveRendererVS2x> {
public:
    ZelkGrRendererVS2xPS13(IDirect3DDevice9* device, std::uint32_t width, std::uint32_t height,
                          const ZelkGrRendererSettings& settings);
    ~ZelkGrRendererVS2xPS13() override;
};

}  // namespace zelk
