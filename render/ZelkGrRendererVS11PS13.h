#pragma once

// Glide vertices through the VS11 vertex path, pixels through ps_1_3 shaders.
#include "render/ZelkGrPrimitiveRendererVS11.h"
#include "render/ZelkGrTexPipelinePS13.h"

namespace zelk {

class ZelkGrRendererVS11PS13 final : public ZelkGrTexPipelinePS13<ZelkGrPrimitiveRendererVS11> {
public:
    ZelkGrRendererVS11PS13(IDirect3DDevice9* device, std::uint32_t width, std::uint32_t height,
                          const ZelkGrRendererSettings& settings);
    ~ZelkGrRendererVS11PS13() override;
};

}  // namespace zelk
