#include "render/ZelkGrRenderPackage.h"

#include <cstring>

namespace zelk {

float ZelkGrBatchRecord::ClearDepth() const
{
    float depth;
    std::memcpy(&depth, &parameters.top, sizeof depth);
    return depth;
}

void ZelkGrBatchRecord::SetClear(std::uint32_t color, float depth)
{
    parameters.left = static_cast<std::int32_t>(color);
    std::memcpy(&parameters.top, &depth, sizeof depth);
    parameters.right = 0;
    parameters.bottom = 0;
}

void ZelkGrRenderPackage::Clear()
{
    records.clear();
    renderStates.clear();
    commands.clear();
    textureBindings.clear();
    palettes.clear();
    fogTables.clear();
    presentAfterPlaying = false;
}

}  // namespace zelk
