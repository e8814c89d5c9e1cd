#include "glide/ZelkGlideRendererFactory.h"

#include "framework/ZelkException.h"

namespace zelk {

std::unique_ptr<ZelkGrPrimitiveRenderer> CreateGlideRenderer(IDirect3DDevice9* /*device*/, std::uint32_t /*width*/,
                                                             std::uint32_t /*height*/,
                                                             std::uint32_t& /*texelBlendingType*/,
                                                             std::uint32_t& /*vertexConvertType*/,
                                                             const ZelkGrRendererSettings& /*settings*/)
{
    throw ZelkException("ZelkGlide::CreateGlideRenderer", false, "There is no renderer class in this build.");
}

}  // namespace zelk
