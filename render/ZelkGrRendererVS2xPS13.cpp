#include "render/ZelkGrRendererVS2xPS13.h"

namespace zelk {

ZelkGrRendererVS2xPS13::ZelkGrRendererVS2xPS13(IDirect3DDevice9* device, std::uint32_t width, std::uint32_t height,
                                             const ZelkGrRendererSettings& settings)
    : ZelkGrTexPipelinePS13<ZelkGrPrimitiveRendererVS2x>(device, width, height, settings)
{
}

ZelkGrRendererVS2xPS13::~ZelkGrRendererVS2xPS13()
{
    Shutdown();
}

}  // namespace zelk
