#pragma once

#include <cstdint>

namespace zelk {

// The combine state that selects a texel pipeline: the packed values of the
// last colour-, alpha- and texture-combine commands and two switches.
struct ZelkGrTexPipelineKey {
    std::uint32_t colorCombine = 0xFFFFFFFF;
    std::uint32_t alphaCombine = 0xFFFFFFFF;
    std::uint32_t texCombine[2] = {0xFFFFFFFF, 0xFFFFFFFF};
    std::uint8_t chromakeyEnabled = 0;
    std::uint8_t itrgbLighting = 0;
};

inline bool operator==(const ZelkGrTexPipelineKey& a, const ZelkGrTexPipelineKey& b)
{
    return a.colorCombine == b.colorCombine && a.alphaCombine == b.alphaCombine &&
           a.texCombine[0] == b.texCombine[0] && a.texCombine[1] == b.texCombine[1] &&
           a.chromakeyEnabled == b.chromakeyEnabled && a.itrgbLighting == b.itrgbLighting;
}

inline bool operator!=(const ZelkGrTexPipelineKey& a, const ZelkGrTexPipelineKey& b) { return !(a == b); }

}  // namespace zelk
