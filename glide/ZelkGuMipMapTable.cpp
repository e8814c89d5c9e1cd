#include "glide/ZelkGuMipMapTable.h"

#include <cstring>

#include "glide/ZelkGrTextureSize.h"

namespace zelk {

ZelkGuMipMapTable::ZelkGuMipMapTable(std::uint32_t tmuCount) : tmuCount(tmuCount < 2 ? tmuCount : 2)
{
    Reset();
}

ZelkGuMipMapTable::~ZelkGuMipMapTable() = default;

GrMipMapId_t ZelkGuMipMapTable::Allocate(std::uint32_t tmu, std::uint32_t evenOdd, int width, int height,
                                         std::uint32_t format, std::uint32_t mipmapMode, std::uint32_t smallestLod,
                                         std::uint32_t largestLod, std::uint32_t aspect, std::uint32_t sClamp,
                                         std::uint32_t tClamp, std::uint32_t minFilter, std::uint32_t magFilter,
                                         float lodBias, std::uint32_t trilinear, std::uint32_t memorySize)
{
    if (records.size() >= kMaxRecords || tmu >= 2 || !IsGrLod(smallestLod) || !IsGrLod(largestLod) ||
        smallestLod < largestLod || !IsGrAspect(aspect) || !IsGrTexFormat(format)) {
        return GR_NULL_MIPMAP_HANDLE;
    }
    const std::uint32_t size = GrTexMemRequired(smallestLod, largestLod, aspect, format, evenOdd);
    const std::uint32_t base = nextFree[tmu];
    if (base > memorySize || size > memorySize - base) {
        return GR_NULL_MIPMAP_HANDLE;
    }

    GrMipMapInfo record;
    std::memset(&record, 0, sizeof record);
    record.sst = 0;
    record.valid = 1;
    record.width = width;
    record.height = height;
    record.aspect_ratio = static_cast<GrAspectRatio_t>(aspect);
    record.data = nullptr;
    record.format = static_cast<GrTextureFormat_t>(format);
    record.mipmap_mode = static_cast<GrMipMapMode_t>(mipmapMode);
    record.magfilter_mode = static_cast<GrTextureFilterMode_t>(magFilter);
    record.minfilter_mode = static_cast<GrTextureFilterMode_t>(minFilter);
    record.s_clamp_mode = static_cast<GrTextureClampMode_t>(sClamp);
    record.t_clamp_mode = static_cast<GrTextureClampMode_t>(tClamp);
    static_assert(sizeof record.lod_bias == sizeof lodBias, "the LOD bias keeps the float's bits");
    std::memcpy(&record.lod_bias, &lodBias, sizeof lodBias);
    record.lod_min = static_cast<GrLOD_t>(smallestLod);
    record.lod_max = static_cast<GrLOD_t>(largestLod);
    record.tmu = static_cast<int>(tmu);
    record.odd_even_mask = evenOdd;
    record.tmu_base_address = base;
    record.trilinear = static_cast<FxBool>(trilinear);
    records.push_back(record);
    nextFree[tmu] = base + size;
    return static_cast<GrMipMapId_t>(records.size() - 1);
}

GrMipMapInfo* ZelkGuMipMapTable::Get(GrMipMapId_t id)
{
    return id < records.size() ? &records[id] : nullptr;
}

std::uint32_t ZelkGuMipMapTable::QueryAvail(std::uint32_t tmu, std::uint32_t memorySize) const
{
    if (tmu >= 2 || nextFree[tmu] >= memorySize) {
        return 0;
    }
    return memorySize - nextFree[tmu];
}

void ZelkGuMipMapTable::Reset()
{
    records.clear();
    for (int tmu = 0; tmu < 2; ++tmu) {
        currentMipMap[tmu] = GR_NULL_MIPMAP_HANDLE;
        nextFree[tmu] = 0;
    }
}

}  // namespace zelk
