#include "glide/ZelkGrTextureSize.h"

namespace zelk {

namespace {

// Width and height factors of the aspect ratios 8x1 ... 1x8.
const uint32_t kWidthFactor[kGrAspectCount] = {8, 4, 2, 1, 1, 1, 1};
const uint32_t kHeightFactor[kGrAspectCount] = {1, 1, 1, 1, 2, 4, 8};
// Right shifts of the short side of the aspect ratios 8x1 ... 1x8.
const uint32_t kShortSideShift[kGrAspectCount] = {3, 2, 1, 0, 1, 2, 3};

}  // namespace

uint32_t GrLodEdge(uint32_t lod)
{
    return IsGrLod(lod) ? 256u >> lod : 0;
}

uint32_t GrTexelBytes(uint32_t format)
{
    if (format <= 5) {
        return 1;
    }
    if (format >= 8 && format <= 14) {
        return 2;
    }
    return 0;
}

ZelkGrLevelSize GrLevelSize(uint32_t lod, uint32_t aspect)
{
    const uint32_t edge = GrLodEdge(lod);
    if (edge == 0 || !IsGrAspect(aspect)) {
        return {0, 0};
    }
    const uint32_t shortSide = edge >> kShortSideShift[aspect] ? edge >> kShortSideShift[aspect] : 1;
    return aspect < 3 ? ZelkGrLevelSize{edge, shortSide} : ZelkGrLevelSize{shortSide, edge};
}

bool GrLodInMask(uint32_t lod, uint32_t mask)
{
    // Even levels are those with edges 256, 64, 16, 4, 1: the even codes.
    switch (mask) {
    case kGrMaskEven:
        return (lod & 1) == 0;
    case kGrMaskOdd:
        return (lod & 1) == 1;
    default:
        return true;
    }
}

uint32_t GrTexMemRequired(uint32_t smallLod, uint32_t largeLod, uint32_t aspect, uint32_t format, uint32_t mask)
{
    if (!IsGrLod(smallLod) || !IsGrLod(largeLod) || smallLod < largeLod || !IsGrAspect(aspect)) {
        return 0;
    }
    uint32_t sum = 0;
    for (uint32_t lod = largeLod; lod <= smallLod; ++lod) {
        if (GrLodInMask(lod, mask)) {
            const uint32_t edge = GrLodEdge(lod);
            sum += edge * edge;
        }
    }
    return sum * GrTexelBytes(format) / (kWidthFactor[aspect] * kHeightFactor[aspect]);
}

uint32_t GrTexRangeBytes(uint32_t smallLod, uint32_t largeLod, uint32_t aspect, uint32_t format, uint32_t mask)
{
    const uint32_t rule = GrTexMemRequired(smallLod, largeLod, aspect, format, mask);
    const uint32_t row = GrLevelSize(largeLod, aspect).width * GrTexelBytes(format);
    return rule > row ? rule : row;
}

uint32_t GrLevelDataBytes(uint32_t lod, uint32_t aspect, uint32_t format)
{
    const ZelkGrLevelSize size = GrLevelSize(lod, aspect);
    return size.width * size.height * GrTexelBytes(format);
}

uint32_t GrChainDataBytes(uint32_t smallLod, uint32_t largeLod, uint32_t aspect, uint32_t format)
{
    if (!IsGrLod(smallLod) || !IsGrLod(largeLod) || smallLod < largeLod) {
        return 0;
    }
    uint32_t sum = 0;
    for (uint32_t lod = largeLod; lod <= smallLod; ++lod) {
        sum += GrLevelDataBytes(lod, aspect, format);
    }
    return sum;
}

}  // namespace zelk
