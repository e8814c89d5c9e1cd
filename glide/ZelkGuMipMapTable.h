#pragma once

// The table of mip-map records of the older guTex utility functions: each
// allocation takes the next free texture-memory address of its TMU and
// appends a record.  Records stay where they are until the table is reset,
// so pointers handed to the application stay valid.
#include <cstdint>
#include <deque>

#include "glideapi/Glide2Types.h"

namespace zelk {

class ZelkGuMipMapTable {
public:
    // The table refuses allocations beyond this many records.
    static constexpr std::uint32_t kMaxRecords = 21913098;

    explicit ZelkGuMipMapTable(std::uint32_t tmuCount = 2);
    virtual ~ZelkGuMipMapTable();

    // Appends a record at the TMU's next free address and advances it by the
    // texture-memory size of the levels.  memorySize is the TMU's texture
    // memory; what does not fit in it, an invalid TMU and bad LOD, aspect or
    // format codes give GR_NULL_MIPMAP_HANDLE.
    GrMipMapId_t Allocate(std::uint32_t tmu, std::uint32_t evenOdd, int width, int height, std::uint32_t format,
                          std::uint32_t mipmapMode, std::uint32_t smallestLod, std::uint32_t largestLod,
                          std::uint32_t aspect, std::uint32_t sClamp, std::uint32_t tClamp,
                          std::uint32_t minFilter, std::uint32_t magFilter, float lodBias,
                          std::uint32_t trilinear, std::uint32_t memorySize);

    // The record of an id, or null when the id names none.
    GrMipMapInfo* Get(GrMipMapId_t id);

    // Bytes left in the TMU's memory of memorySize bytes; 0 when none.
    std::uint32_t QueryAvail(std::uint32_t tmu, std::uint32_t memorySize) const;

    // Drops every record; no current record and nothing allocated.
    void Reset();

    std::uint32_t tmuCount;
    std::deque<GrMipMapInfo> records;
    GrMipMapId_t currentMipMap[2];
    std::uint32_t nextFree[2];
};

}  // namespace zelk
