#include "render/ZelkGrRendererSWPS13.h"

namespace zelk {

ZelkGrRendererSWPS13::ZelkGrRendererSWPS13(IDirect3DDevice9* device, std::uint32_t width, std::uint32_t height,
                                             const ZelkGrRendererSettings& settings)
    : ZelkGrTexPipelinePS13<ZelkGrPrimitiveRendererSW>(device, width, height, settings)
{
}

ZelkGrRendererSWPS13::~ZelkGrRendererSWPS13()
{
    Shutdown();
}

}  // namespace zelk
