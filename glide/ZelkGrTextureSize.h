#pragma once

// Sizes of Glide textures: the edges of LOD codes and aspect ratios, the
// bytes of a level's texels, and the texture-memory size rule by which
// applications lay out their texture memory.  Codes outside Glide's
// enumerations are answered with 0 and never index a table.
#include <cstdint>

namespace zelk {

constexpr uint32_t kGrLodCount = 9;        // LOD codes 0 (256) to 8 (1)
constexpr uint32_t kGrAspectCount = 7;     // aspect codes 0 (8x1) to 6 (1x8)
constexpr uint32_t kGrTexFormatCount = 16; // texture formats 0 to 15

constexpr uint32_t kGrMaskEven = 1;
constexpr uint32_t kGrMaskOdd = 2;
constexpr uint32_t kGrMaskBoth = 3;

// What the texture functions and the texture memory log for a code outside
// these enumerations (and for a TMU other than 0 or 1).
constexpr const char* kMessageBadTmu = "The parameter [ GrChipID_t tmu ] is invalid.";
constexpr const char* kMessageBadLod = "The parameter [ GrLOD_t lod ] is invalid.";
constexpr const char* kMessageBadAspect = "The parameter [ GrAspectRatio_t aspect ] is invalid.";
constexpr const char* kMessageBadFormat = "The parameter [ GrTextureFormat_t format ] is invalid.";

inline bool IsGrLod(uint32_t lod) { return lod < kGrLodCount; }
inline bool IsGrAspect(uint32_t aspect) { return aspect < kGrAspectCount; }
inline bool IsGrTexFormat(uint32_t format) { return format < kGrTexFormatCount; }

// The edge of a LOD code: 256 >> code, 0 for codes above 8.
uint32_t GrLodEdge(uint32_t lod);

// Bytes of one texel: 1 for formats 0 to 5, 2 for 8 to 14, else 0.
uint32_t GrTexelBytes(uint32_t format);

// Width and height of a level with the edge under the aspect ratio, each at
// least 1; 0 by 0 for an aspect above 6 or an edge of 0.
struct ZelkGrLevelSize {
    uint32_t width;
    uint32_t height;
};
ZelkGrLevelSize GrLevelSize(uint32_t lod, uint32_t aspect);

// Whether a level with this LOD lies in the even/odd mask's set: mask 1
// edges 1, 4, 16, 64, 256; mask 2 edges 2, 8, 32, 128; any other mask all.
bool GrLodInMask(uint32_t lod, uint32_t mask);

// The texture-memory size rule: the sum of edge x edge over the levels from
// the small LOD up to the large LOD that lie in the mask, times the texel
// bytes, divided once by the aspect's width and height factors.  Levels
// narrower than the factor therefore count fewer bytes than they hold.  0
// for a range whose small LOD code is below its large LOD code and for
// codes outside Glide's enumerations.
uint32_t GrTexMemRequired(uint32_t smallLod, uint32_t largeLod, uint32_t aspect, uint32_t format, uint32_t mask);

// The bytes a chain takes in the emulated texture memory's address map:
// the size rule, but at least one texel row of the largest level, so that
// no range is empty (the rule counts 0 bytes for a 1x1 level of an 8x1
// texture).  0 only for codes outside Glide's enumerations.
uint32_t GrTexRangeBytes(uint32_t smallLod, uint32_t largeLod, uint32_t aspect, uint32_t format, uint32_t mask);

// The bytes that a level's texels really take in an application's buffer:
// width x height x texel bytes with both sides at least 1.
uint32_t GrLevelDataBytes(uint32_t lod, uint32_t aspect, uint32_t format);

// The bytes of the levels from the large LOD down to the small LOD, laid
// one after the other; 0 for codes outside Glide's enumerations or an
// inverted range.
uint32_t GrChainDataBytes(uint32_t smallLod, uint32_t largeLod, uint32_t aspect, uint32_t format);

}  // namespace zelk
