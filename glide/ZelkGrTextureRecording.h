#pragma once

// The texture manager's two records into the renderer's current package,
// kept apart so that the manager needs only a declaration of the renderer.
#include <cstdint>

namespace zelk {

class ZelkGrPrimitiveRenderer;
class ZelkGrTextureBinding;

void RecordTextureBinding(ZelkGrPrimitiveRenderer& renderer, const ZelkGrTextureBinding& binding);
void RecordPaletteEntries(ZelkGrPrimitiveRenderer& renderer, const std::uint32_t* entries);

}  // namespace zelk
