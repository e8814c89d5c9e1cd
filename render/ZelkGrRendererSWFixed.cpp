#include "render/ZelkGrRendererSWFixed.h"

namespace zelk {

ZelkGrRendererSWFixed::ZelkGrRendererSWFixed(IDirect3DDevice9* device, std::uint32_t width, std::uint32_t height,
                                             const ZelkGrRendererSettings& settings)
    : ZelkGrTexPipelineFixed<ZelkGrPrimitiveRendererSW>(device, width, height, settings)
{
}

ZelkGrRendererSWFixed::~ZelkGrRendererSWFixed()
{
    Shutdown();
    stageSetupCache.clear();
}

}  // namespace zelk
