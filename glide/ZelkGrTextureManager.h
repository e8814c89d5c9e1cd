#pragma once

// Emulates the texture memory of up to two Glide texture units (TMUs) with
// Direct3D textures.  Applications address texture memory by byte
// addresses; per TMU the manager keeps a map from address ranges to memory
// blocks, each holding the downloaded texels in a system-memory texture and,
// made before a draw that binds it, a copy in the device's default pool.
// One palette serves both TMUs.  Runs on the application's thread only.
#include <windows.h>
#include <d3d9.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/ZelkD3DPtr.h"
#include "glideapi/Glide2Types.h"
#include "glide/ZelkGlideSettingsParts.h"
#include "render/ZelkGrTextureBinding.h"

namespace zelk {

class ZelkGrPrimitiveRenderer;

// A range of texture-memory addresses, end exclusive.  The end is kept in
// 64 bits: a range that starts near the top of the 32-bit address space
// ends past it rather than wrapping to a small number.
struct ZelkGrTexAddressRange {
    std::uint32_t start;
    std::uint64_t end;

    static ZelkGrTexAddressRange Of(std::uint32_t start, std::uint32_t bytes)
    {
        return {start, static_cast<std::uint64_t>(start) + bytes};
    }
    bool Overlaps(const ZelkGrTexAddressRange& other) const { return start < other.end && end > other.start; }
};

// A block of emulated texture memory: the binding (TMU, device copy, scales)
// and what was downloaded into it.
class ZelkGrTexMemBlock : public ZelkGrTextureBinding {
public:
    ZelkGrTexMemBlock() = default;
    ZelkGrTexMemBlock(const ZelkGrTexMemBlock& other) = default;
    ZelkGrTexMemBlock& operator=(const ZelkGrTexMemBlock& other) = default;
    ~ZelkGrTexMemBlock() override = default;

    std::uint32_t curSmallLod = 0;             // smallest level the current binding uses
    std::uint32_t allocSmallLod = 0;           // smallest level downloaded so far
    std::uint32_t largeLod = 0;                // LOD code of level 0
    std::uint32_t aspect = 3;
    std::uint32_t format = 0;                  // Glide texture format
    std::uint32_t paletteChecksumUsed = 0xFFFFFFFF;  // 0xFFFFFFFF: none
    std::uint32_t colourKeyUsed = 0;
    std::uint32_t paletteSerialUsed = 0;       // the manager's paletteSerial at the last fill
    IDirect3DTexture9Ptr systemTexture;        // the downloaded texels, full mip chain
    // What the textures are, kept when they are made, so that downloads and
    // bindings need not ask the device (each question waits for the render
    // worker while it plays a package).
    D3DFORMAT systemFormat = D3DFMT_UNKNOWN;   // the system texture's format
    DWORD systemLevels = 0;                    // the system texture's level count
    DWORD textureLevels = 0;                   // the device copy's level count while there is one
    std::vector<IDirect3DSurface9Ptr> systemSurfaces;  // per level, taken at its first download
};

// A hashed map from address ranges to blocks.  A range's hash is its start;
// two ranges are equal when they overlap.  Every lookup, insertion and
// erasure examines only the bucket of the given range's start, so a block
// that overlaps but starts in another bucket is not seen.  Blocks keep their
// addresses while they are in the map, also when it grows.
class ZelkGrTexBlockMap {
public:
    static constexpr std::size_t kInitialBuckets = 100;

    ZelkGrTexBlockMap();
    ZelkGrTexBlockMap(const ZelkGrTexBlockMap& other);
    ZelkGrTexBlockMap& operator=(const ZelkGrTexBlockMap& other);

    // The first block of the range's bucket equal to the range, or null;
    // stored, when given, receives the range the block is stored under.
    ZelkGrTexMemBlock* Find(const ZelkGrTexAddressRange& range, ZelkGrTexAddressRange* stored = nullptr);
    // The range a block is stored under, {0, 0} when it is not in the map.
    ZelkGrTexAddressRange RangeOf(const ZelkGrTexMemBlock* block) const;
    // Grows the bucket array (rehashing every block by its start) so that
    // count blocks fit.
    void Reserve(std::size_t count);
    // Inserts a copy of the block unless a block equal to the range is in
    // the range's bucket; returns the stored block, or null when refused.
    ZelkGrTexMemBlock* Insert(const ZelkGrTexAddressRange& range, const ZelkGrTexMemBlock& block);
    // Erases every block of the range's bucket equal to the range; a
    // pointer to an erased block in watched is set to null.
    void Erase(const ZelkGrTexAddressRange& range, ZelkGrTexMemBlock*& watched);
    void Clear();

    std::size_t Size() const { return size_; }
    std::size_t BucketCount() const { return buckets_.size(); }

    template <typename Visit>
    void ForEach(Visit visit)
    {
        for (auto& bucket : buckets_) {
            for (auto& entry : bucket) {
                visit(*entry.block);
            }
        }
    }

private:
    struct Entry {
        ZelkGrTexAddressRange range;
        std::unique_ptr<ZelkGrTexMemBlock> block;
    };
    std::vector<Entry>& BucketOf(std::uint32_t start) { return buckets_[start % buckets_.size()]; }

    std::vector<std::vector<Entry>> buckets_;
    std::size_t size_ = 0;
};

class ZelkGrTextureManager {
public:
    // device and renderer may be null: such a manager keeps state but cannot
    // create textures or record anything.
    ZelkGrTextureManager(IDirect3DDevice9* device, ZelkGrPrimitiveRenderer* renderer,
                         const ZelkGrTextureSettings& settings);
    ZelkGrTextureManager(const ZelkGrTextureManager& other);
    ZelkGrTextureManager& operator=(const ZelkGrTextureManager& other);
    virtual ~ZelkGrTextureManager();

    // Binds the block at start to the TMU (info given) or unbinds the TMU
    // (info null).  False when no block is found at the range.
    bool Source(std::uint32_t tmu, std::uint32_t start, std::uint32_t mask, const GrTexInfo* info);

    ZelkGrTexMemBlock* AllocateTexMemBlock(std::uint32_t tmu, std::uint32_t smallLod, std::uint32_t largeLod,
                                           std::uint32_t aspect, std::uint32_t format,
                                           const ZelkGrTexAddressRange& range);
    ZelkGrTexMemBlock* FindOrAllocateLevelBlock(std::uint32_t tmu, std::uint32_t lod, std::uint32_t largeLod,
                                                std::uint32_t aspect, std::uint32_t format,
                                                const ZelkGrTexAddressRange& range);

    // Downloads a chain of levels, the largest first, read one after the
    // other from data.  Returns true; failures throw ZelkException.
    bool DownloadTextureImage(std::uint32_t tmu, std::uint32_t start, std::uint32_t smallLod,
                              std::uint32_t largeLod, std::uint32_t aspect, std::uint32_t format,
                              std::uint32_t mask, const void* data);
    // Downloads rows firstRow..lastRow of one level, also one that the size
    // rule counts as 0 bytes.  False when the level is not in the mask;
    // failures throw ZelkException.
    bool DownloadTextureImageLevel(std::uint32_t tmu, std::uint32_t start, std::uint32_t lod,
                                   std::uint32_t largeLod, std::uint32_t aspect, std::uint32_t format,
                                   std::uint32_t mask, const void* data, int firstRow, int lastRow);
    // Entries first..last of the shared palette from 0x00RRGGBB values; the
    // NCC table types are ignored.
    void DownloadTable(std::uint32_t tmu, std::uint32_t type, const void* data, int first, int last);

    // Makes or refreshes the block's device copy.  False when it cannot be
    // made (the draw then binds no texture).
    bool UpdateDeviceTexture(ZelkGrTexMemBlock* block);

    // The draws' first step: for TMU 0 and then TMU 1, a pending block gets
    // its device copy brought up to date and its binding recorded.
    void RecordPendingTextures();

    // --- Field set ----------------------------------------------------------
    ZelkGrTextureSettings settings;
    IDirect3DDevice9Ptr device;
    ZelkGrPrimitiveRenderer* renderer = nullptr;   // not owned
    PALETTEENTRY palette[256];                     // {red, green, blue, alpha}
    std::uint32_t paletteChecksum = 0xFFFFFFFF;
    std::uint32_t paletteSerial = 0;               // counts palette changes
    std::uint32_t colourKey = 0;                   // 0: none; else 0xFF in the top byte
    ZelkGrTexAddressRange sourceRange[2];
    ZelkGrTexMemBlock* pendingBlock[2];
    ZelkGrTexBlockMap blockMaps[2];
    std::uint8_t expandP8 = 0;
    std::uint8_t expandAP88 = 0;

private:
    bool IsExpanded(std::uint32_t format) const;
    void RecordUnbinding(std::uint32_t tmu);
    void ReleaseAllDeviceCopies();
    bool FillDeviceCopy(ZelkGrTexMemBlock* block, DWORD levels);
    void NoteDownload(std::uint32_t tmu, const ZelkGrTexAddressRange& range, ZelkGrTexMemBlock* block);
};

}  // namespace zelk
