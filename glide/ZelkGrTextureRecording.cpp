#include "glide/ZelkGrTextureRecording.h"

#include "render/ZelkGrPrimitiveRenderer.h"

namespace zelk {

void RecordTextureBinding(ZelkGrPrimitiveRenderer& renderer, const ZelkGrTextureBinding& binding)
{
    renderer.RecordTexture(binding);
}

void RecordPaletteEntries(ZelkGrPrimitiveRenderer& renderer, const std::uint32_t* entries)
{
    renderer.RecordPalette(entries);
}

}  // namespace zelk
