#include "render/ZelkGrRendererVS11PS13.h"

namespace zelk {

ZelkGrRendererVS11PS13::ZelkGrRendererVS11PS13(IDirect3DDevice9* device, std::uint32_t width, std::uint32_t height,
                                             const ZelkGrRendererSettings& settings)
    : ZelkGrTexPipelinePS13<ZelkGrPrimitiveRendererVS11>(device, width, height, settings)
{
}

ZelkGrRendererVS11PS13::~ZelkGrRendererVS11PS13()
{
    Shutdown();
}

}  // namespace zelk
