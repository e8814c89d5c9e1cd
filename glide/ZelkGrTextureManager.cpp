#include "glide/ZelkGrTextureManager.h"

#include <d3dx9.h>

#include <algorithm>
#include <cstring>

#include "framework/ZelkD3DFormats.h"
#include "framework/ZelkD3DSurface.h"
#include "framework/ZelkException.h"
#include "glide/ZelkGrTextureFormatResolver.h"
#include "glide/ZelkGrTextureRecording.h"
#include "glide/ZelkGrTextureSize.h"

namespace zelk {

namespace {

const char* const kAllocateName = "ZelkGrTextureManager::AllocateTexMemBlock";
const char* const kFindOrAllocateName = "ZelkGrTextureManager::FindOrAllocateLevelBlock";
const char* const kDownloadImageName = "ZelkGrTextureManager::DownloadTextureImage";
const char* const kDownloadLevelName = "ZelkGrTextureManager::DownloadTextureImageLevel";
const char* const kDownloadTableName = "ZelkGrTextureManager::DownloadTable";

const char* const kCreateTextureFailed = "The function [ IDirect3DDevice9::CreateTexture ] failed.";
const char* const kAllocateFailed = "The function [ ZelkGrTextureManager::AllocateTexMemBlock ] failed.";
const char* const kLoadFailed = "The function [ ZelkD3DSurface::LoadSurfaceFromMemory ] failed.";
const char* const kFilterFailed = "The function [ D3DXFilterTexture ] failed.";
const char* const kGetLevelDescFailed = "The function [ IDirect3DTexture9::GetLevelDesc ] failed.";
const char* const kGetSurfaceLevelFailed = "The function [ IDirect3DTexture9::GetSurfaceLevel ] failed.";
const char* const kInvalidParameter = "An parameter is invalid.";
const char* const kBadLodRange = "The parameter [ GrLOD_t smallLod ] is invalid.";
const char* const kBadData = "The parameter [ void* data ] is invalid.";
const char* const kBadRows = "The parameter [ int start, int end ] is invalid.";
const char* const kNoDevice = "There is no device.";

constexpr std::uint32_t kNoChecksum = 0xFFFFFFFF;

// Scale factors by aspect ratio: Glide s and t (0..256 along the longer
// side) to texture coordinates.
const float kSScale[kGrAspectCount] = {1.0f / 256, 1.0f / 256, 1.0f / 256, 1.0f / 256,
                                       1.0f / 128, 1.0f / 64,  1.0f / 32};
const float kTScale[kGrAspectCount] = {1.0f / 32,  1.0f / 64,  1.0f / 128, 1.0f / 256,
                                       1.0f / 256, 1.0f / 256, 1.0f / 256};

// The Direct3D format with the texel layout of each Glide format; none for
// the YIQ and reserved formats.
const D3DFORMAT kNativeFormat[kGrTexFormatCount] = {
    D3DFMT_R3G3B2,   D3DFMT_UNKNOWN,  D3DFMT_A8,       D3DFMT_L8,       D3DFMT_A4L4,     D3DFMT_P8,
    D3DFMT_UNKNOWN,  D3DFMT_UNKNOWN,  D3DFMT_A8R3G3B2, D3DFMT_UNKNOWN,  D3DFMT_R5G6B5,   D3DFMT_A1R5G5B5,
    D3DFMT_A4R4G4B4, D3DFMT_A8L8,     D3DFMT_A8P8,     D3DFMT_UNKNOWN,
};

constexpr std::uint32_t kGrAlpha8 = 2;

// The texels of a level as the loader takes them.  A Glide alpha-8 texel
// stands for intensity and alpha alike, so its texels go to the loader as
// A8L8 texels holding the texel in both channels: whatever format the device
// keeps them in then has their alpha in its colour too.  Other formats go as
// they are, in their native format.
class LoaderTexels {
public:
    explicit LoaderTexels(std::uint32_t glideFormat)
        : expand_(glideFormat == kGrAlpha8), format_(expand_ ? D3DFMT_A8L8 : kNativeFormat[glideFormat])
    {
    }

    D3DFORMAT Format() const { return format_; }

    // The count texels at texels in the loader's format.
    const void* Take(const void* texels, std::size_t count)
    {
        if (!expand_) {
            return texels;
        }
        const BYTE* alpha = static_cast<const BYTE*>(texels);
        buffer_.resize(2 * count);
        for (std::size_t i = 0; i < count; ++i) {
            buffer_[2 * i] = alpha[i];
            buffer_[2 * i + 1] = alpha[i];
        }
        return buffer_.data();
    }

private:
    bool expand_;
    D3DFORMAT format_;
    std::vector<BYTE> buffer_;
};

// The codes of a chain of levels from largeLod down to smallLod.
void CheckChain(const char* thrower, std::uint32_t tmu, std::uint32_t smallLod, std::uint32_t largeLod,
                std::uint32_t aspect, std::uint32_t format)
{
    if (tmu >= 2) {
        ThrowZelkException(thrower, E_INVALIDARG, kMessageBadTmu);
    }
    if (!IsGrLod(smallLod) || !IsGrLod(largeLod)) {
        ThrowZelkException(thrower, E_INVALIDARG, kMessageBadLod);
    }
    if (smallLod < largeLod) {
        ThrowZelkException(thrower, E_INVALIDARG, kBadLodRange);
    }
    if (!IsGrAspect(aspect)) {
        ThrowZelkException(thrower, E_INVALIDARG, kMessageBadAspect);
    }
    if (!IsGrTexFormat(format) || GrTexelBytes(format) == 0) {
        ThrowZelkException(thrower, E_INVALIDARG, kMessageBadFormat);
    }
}

bool IsPaletteFormat(DWORD format)
{
    return format == 0 || format == D3DFMT_A8P8 || format == D3DFMT_P8;
}

std::uint32_t RotateLeft(std::uint32_t value, unsigned bits)
{
    return bits == 0 ? value : (value << bits) | (value >> (32 - bits));
}

std::uint32_t PaletteChecksum(const PALETTEENTRY* palette)
{
    std::uint32_t sum = 0;
    for (unsigned i = 0; i < 256; ++i) {
        std::uint32_t entry = 0;
        std::memcpy(&entry, &palette[i], sizeof entry);
        sum += RotateLeft(entry, i % 8);
    }
    return sum;
}

// The size of a level of a texture whose level 0 has the given size: half
// the size above, at least 1.
ZelkGrLevelSize LevelSizeBelow(const ZelkGrLevelSize& top, DWORD level)
{
    return {std::max<std::uint32_t>(top.width >> level, 1), std::max<std::uint32_t>(top.height >> level, 1)};
}

// Makes the levels below loaded - 1 of the block's system texture by picking
// every other texel of the level above: the way to mip-map palette indices,
// which cannot be averaged.
HRESULT PickLevelsBelow(const ZelkGrTexMemBlock& block, DWORD loaded)
{
    IDirect3DTexture9* texture = block.systemTexture;
    const UINT bytes = GetFormatBytesPerPixel(block.systemFormat);
    if (bytes == 0) {
        return E_NOTIMPL;
    }
    const ZelkGrLevelSize top = GrLevelSize(block.largeLod, block.aspect);
    for (DWORD level = loaded; level < block.systemLevels; ++level) {
        const ZelkGrLevelSize above = LevelSizeBelow(top, level - 1);
        const ZelkGrLevelSize below = LevelSizeBelow(top, level);
        D3DLOCKED_RECT from = {}, to = {};
        HRESULT result = texture->LockRect(level - 1, &from, nullptr, D3DLOCK_READONLY);
        if (FAILED(result)) {
            return result;
        }
        result = texture->LockRect(level, &to, nullptr, 0);
        if (FAILED(result)) {
            texture->UnlockRect(level - 1);
            return result;
        }
        const UINT stepX = above.width > below.width ? 2 : 1;
        const UINT stepY = above.height > below.height ? 2 : 1;
        for (UINT y = 0; y < below.height; ++y) {
            const BYTE* source = static_cast<const BYTE*>(from.pBits) + static_cast<size_t>(y * stepY) * from.Pitch;
            BYTE* destination = static_cast<BYTE*>(to.pBits) + static_cast<size_t>(y) * to.Pitch;
            for (UINT x = 0; x < below.width; ++x) {
                std::memcpy(destination + x * bytes, source + x * stepX * bytes, bytes);
            }
        }
        texture->UnlockRect(level);
        texture->UnlockRect(level - 1);
    }
    return D3D_OK;
}

bool IsPalettisedFormat(D3DFORMAT format)
{
    return format == D3DFMT_P8 || format == D3DFMT_A8P8;
}

// The system texture's surface of a level, asked of the texture at the
// level's first download only.
IDirect3DSurface9* SystemSurface(const char* thrower, ZelkGrTexMemBlock& block, DWORD level)
{
    IDirect3DSurface9Ptr& surface = block.systemSurfaces[level];
    if (!surface) {
        const HRESULT result = block.systemTexture->GetSurfaceLevel(level, &surface);
        if (FAILED(result)) {
            ThrowZelkException(thrower, result, kGetSurfaceLevelFailed);
        }
    }
    return surface;
}

// Data taken as the texture's own format must have the Glide format's texel
// size, or the level would be misread.
void CheckOwnFormatTexels(const char* thrower, const ZelkGrTexMemBlock& block)
{
    if (kNativeFormat[block.format] == D3DFMT_UNKNOWN &&
        GetFormatBytesPerPixel(block.systemFormat) != GrTexelBytes(block.format)) {
        ThrowZelkException(thrower, E_INVALIDARG, kMessageBadFormat);
    }
}

std::size_t FirstPrimeFrom(std::size_t wanted)
{
    for (std::size_t candidate = std::max<std::size_t>(wanted, 2);; ++candidate) {
        bool prime = true;
        for (std::size_t divisor = 2; divisor * divisor <= candidate; ++divisor) {
            if (candidate % divisor == 0) {
                prime = false;
                break;
            }
        }
        if (prime) {
            return candidate;
        }
    }
}

}  // namespace

// --- ZelkGrTexBlockMap -----------------------------------------------------

ZelkGrTexBlockMap::ZelkGrTexBlockMap() : buckets_(FirstPrimeFrom(kInitialBuckets)) {}

ZelkGrTexBlockMap::ZelkGrTexBlockMap(const ZelkGrTexBlockMap& other) : buckets_(other.buckets_.size())
{
    for (std::size_t i = 0; i < other.buckets_.size(); ++i) {
        for (const Entry& entry : other.buckets_[i]) {
            buckets_[i].push_back(Entry{entry.range, std::make_unique<ZelkGrTexMemBlock>(*entry.block)});
        }
    }
    size_ = other.size_;
}

ZelkGrTexBlockMap& ZelkGrTexBlockMap::operator=(const ZelkGrTexBlockMap& other)
{
    if (this != &other) {
        ZelkGrTexBlockMap copy(other);
        buckets_.swap(copy.buckets_);
        std::swap(size_, copy.size_);
    }
    return *this;
}

ZelkGrTexMemBlock* ZelkGrTexBlockMap::Find(const ZelkGrTexAddressRange& range, ZelkGrTexAddressRange* stored)
{
    for (Entry& entry : BucketOf(range.start)) {
        if (entry.range.Overlaps(range)) {
            if (stored != nullptr) {
                *stored = entry.range;
            }
            return entry.block.get();
        }
    }
    return nullptr;
}

ZelkGrTexAddressRange ZelkGrTexBlockMap::RangeOf(const ZelkGrTexMemBlock* block) const
{
    for (const auto& bucket : buckets_) {
        for (const Entry& entry : bucket) {
            if (entry.block.get() == block) {
                return entry.range;
            }
        }
    }
    return {0, 0};
}

void ZelkGrTexBlockMap::Reserve(std::size_t count)
{
    if (count <= buckets_.size()) {
        return;
    }
    std::vector<std::vector<Entry>> grown(FirstPrimeFrom(std::max(count, 2 * buckets_.size())));
    for (auto& bucket : buckets_) {
        for (Entry& entry : bucket) {
            grown[entry.range.start % grown.size()].push_back(std::move(entry));
        }
    }
    buckets_.swap(grown);
}

ZelkGrTexMemBlock* ZelkGrTexBlockMap::Insert(const ZelkGrTexAddressRange& range, const ZelkGrTexMemBlock& block)
{
    if (Find(range) != nullptr) {
        return nullptr;
    }
    std::vector<Entry>& bucket = BucketOf(range.start);
    bucket.push_back(Entry{range, std::make_unique<ZelkGrTexMemBlock>(block)});
    ++size_;
    return bucket.back().block.get();
}

void ZelkGrTexBlockMap::Erase(const ZelkGrTexAddressRange& range, ZelkGrTexMemBlock*& watched)
{
    std::vector<Entry>& bucket = BucketOf(range.start);
    for (auto it = bucket.begin(); it != bucket.end();) {
        if (!it->range.Overlaps(range)) {
            ++it;
            continue;
        }
        if (watched == it->block.get()) {
            watched = nullptr;
        }
        it = bucket.erase(it);
        --size_;
    }
}

void ZelkGrTexBlockMap::Clear()
{
    for (auto& bucket : buckets_) {
        bucket.clear();
    }
    size_ = 0;
}

// --- ZelkGrTextureManager --------------------------------------------------

ZelkGrTextureManager::ZelkGrTextureManager(IDirect3DDevice9* device, ZelkGrPrimitiveRenderer* renderer,
                                           const ZelkGrTextureSettings& settings)
    : settings(settings), device(device), renderer(renderer)
{
    std::memset(palette, 0, sizeof palette);
    for (int tmu = 0; tmu < 2; ++tmu) {
        sourceRange[tmu] = {0, 0};
        pendingBlock[tmu] = nullptr;
    }
    if (!this->device) {
        return;
    }
    ResolveTextureFormats(this->settings, DeviceTextureSupport(this->device));
    expandP8 = IsPaletteFormat(this->settings.format[5]) ? 0 : 1;
    expandAP88 = IsPaletteFormat(this->settings.format[14]) ? 0 : 1;
}

ZelkGrTextureManager::ZelkGrTextureManager(const ZelkGrTextureManager& other)
    : settings(other.settings), device(other.device), renderer(other.renderer)
{
    *this = other;
}

ZelkGrTextureManager& ZelkGrTextureManager::operator=(const ZelkGrTextureManager& other)
{
    if (this == &other) {
        return *this;
    }
    settings = other.settings;
    device = other.device;
    renderer = other.renderer;
    std::memcpy(palette, other.palette, sizeof palette);
    paletteChecksum = other.paletteChecksum;
    paletteSerial = other.paletteSerial;
    colourKey = other.colourKey;
    expandP8 = other.expandP8;
    expandAP88 = other.expandAP88;
    for (int tmu = 0; tmu < 2; ++tmu) {
        sourceRange[tmu] = other.sourceRange[tmu];
        blockMaps[tmu] = other.blockMaps[tmu];
        pendingBlock[tmu] = blockMaps[tmu].Find(sourceRange[tmu]);
    }
    return *this;
}

ZelkGrTextureManager::~ZelkGrTextureManager()
{
    for (int tmu = 0; tmu < 2; ++tmu) {
        pendingBlock[tmu] = nullptr;
        blockMaps[tmu].Clear();
    }
}

bool ZelkGrTextureManager::IsExpanded(std::uint32_t format) const
{
    return (expandP8 && format == 5) || (expandAP88 && format == 14);
}

void ZelkGrTextureManager::RecordUnbinding(std::uint32_t tmu)
{
    if (renderer != nullptr) {
        RecordTextureBinding(*renderer, ZelkGrTextureBinding(tmu, nullptr, 1.0f, 1.0f));
    }
}

bool ZelkGrTextureManager::Source(std::uint32_t tmu, std::uint32_t start, std::uint32_t mask, const GrTexInfo* info)
{
    if (tmu >= 2) {
        return false;
    }
    if (info == nullptr) {
        sourceRange[tmu] = ZelkGrTexAddressRange::Of(start, 1);
        pendingBlock[tmu] = nullptr;
        RecordUnbinding(tmu);
        return true;
    }
    const std::uint32_t smallLod = static_cast<std::uint32_t>(info->smallLod);
    const std::uint32_t size = GrTexRangeBytes(smallLod, static_cast<std::uint32_t>(info->largeLod),
                                               static_cast<std::uint32_t>(info->aspectRatio),
                                               static_cast<std::uint32_t>(info->format), mask);
    sourceRange[tmu] = ZelkGrTexAddressRange::Of(start, size);
    ZelkGrTexMemBlock* block = blockMaps[tmu].Find(sourceRange[tmu]);
    if (block == nullptr) {
        pendingBlock[tmu] = nullptr;
        RecordUnbinding(tmu);
        return false;
    }
    block->curSmallLod = std::max(std::min(smallLod, block->allocSmallLod), block->largeLod);
    pendingBlock[tmu] = block;
    return true;
}

ZelkGrTexMemBlock* ZelkGrTextureManager::AllocateTexMemBlock(std::uint32_t tmu, std::uint32_t smallLod,
                                                             std::uint32_t largeLod, std::uint32_t aspect,
                                                             std::uint32_t format,
                                                             const ZelkGrTexAddressRange& range)
{
    return RunLogged([&]() -> ZelkGrTexMemBlock* {
        CheckChain(kAllocateName, tmu, smallLod, largeLod, aspect, format);
        if (!device) {
            ThrowZelkException(kAllocateName, E_POINTER, kNoDevice);
        }
        // Growing first means that the erasure below clears the very bucket
        // the new block goes to, so the insertion cannot be refused.
        ZelkGrTexBlockMap& map = blockMaps[tmu];
        map.Reserve(map.Size() + 1);
        map.Erase(range, pendingBlock[tmu]);

        const ZelkGrLevelSize size = GrLevelSize(largeLod, aspect);
        const bool expanded = IsExpanded(format);
        const D3DFORMAT textureFormat =
            expanded ? kNativeFormat[format] : static_cast<D3DFORMAT>(settings.format[format]);
        const D3DPOOL pool = expanded ? D3DPOOL_SCRATCH : D3DPOOL_SYSTEMMEM;
        IDirect3DTexture9Ptr texture;
        const HRESULT result =
            device->CreateTexture(size.width, size.height, 0, 0, textureFormat, pool, &texture, nullptr);
        if (FAILED(result)) {
            ThrowZelkException(kAllocateName, result, kCreateTextureFailed);
        }

        ZelkGrTexMemBlock block;
        block.tmu = tmu;
        block.sScale = kSScale[aspect];
        block.tScale = kTScale[aspect];
        block.curSmallLod = smallLod;
        block.allocSmallLod = smallLod;
        block.largeLod = largeLod;
        block.aspect = aspect;
        block.format = format;
        block.systemTexture = texture;
        block.systemFormat = textureFormat;
        block.systemLevels = texture->GetLevelCount();
        block.systemSurfaces.resize(block.systemLevels);
        return map.Insert(range, block);
    });
}

ZelkGrTexMemBlock* ZelkGrTextureManager::FindOrAllocateLevelBlock(std::uint32_t tmu, std::uint32_t lod,
                                                                  std::uint32_t largeLod, std::uint32_t aspect,
                                                                  std::uint32_t format,
                                                                  const ZelkGrTexAddressRange& range)
{
    return RunLogged([&]() -> ZelkGrTexMemBlock* {
        CheckChain(kFindOrAllocateName, tmu, lod, largeLod, aspect, format);
        ZelkGrTexBlockMap& map = blockMaps[tmu];
        ZelkGrTexAddressRange stored = {0, 0};
        ZelkGrTexMemBlock* block = map.Find(range, &stored);
        if (block == nullptr || block->largeLod != largeLod || block->format != format || block->aspect != aspect) {
            return AllocateTexMemBlock(tmu, lod, largeLod, aspect, format, range);
        }
        block->allocSmallLod = std::max(block->allocSmallLod, lod);
        block->curSmallLod = block->allocSmallLod;
        block->paletteChecksumUsed = kNoChecksum;
        block->colourKeyUsed = 0;
        block->texture = nullptr;

        if (stored.start == range.start && stored.end >= range.end) {
            return block;
        }
        // Store the block under the new range.
        const ZelkGrTexMemBlock copy(*block);
        map.Reserve(map.Size() + 1);
        map.Erase(range, pendingBlock[tmu]);
        return map.Insert(range, copy);
    });
}

void ZelkGrTextureManager::NoteDownload(std::uint32_t tmu, const ZelkGrTexAddressRange& range,
                                        ZelkGrTexMemBlock* block)
{
    if (sourceRange[tmu].Overlaps(range)) {
        sourceRange[tmu] = range;
        pendingBlock[tmu] = block;
    }
}

bool ZelkGrTextureManager::DownloadTextureImage(std::uint32_t tmu, std::uint32_t start, std::uint32_t smallLod,
                                                std::uint32_t largeLod, std::uint32_t aspect, std::uint32_t format,
                                                std::uint32_t mask, const void* data)
{
    return RunLogged([&]() -> bool {
        const char* const thrower = kDownloadImageName;
        CheckChain(thrower, tmu, smallLod, largeLod, aspect, format);
        if (data == nullptr) {
            ThrowZelkException(thrower, E_POINTER, kBadData);
        }
        const ZelkGrTexAddressRange range =
            ZelkGrTexAddressRange::Of(start, GrTexRangeBytes(smallLod, largeLod, aspect, format, mask));
        ZelkGrTexMemBlock* block = AllocateTexMemBlock(tmu, smallLod, largeLod, aspect, format, range);
        if (block == nullptr) {
            ThrowZelkException(thrower, false, kAllocateFailed);
        }
        LoaderTexels loaderTexels(format);
        const DWORD levelCount = block->systemLevels;
        const BYTE* texels = static_cast<const BYTE*>(data);
        DWORD level = 0;
        for (std::uint32_t lod = largeLod; lod <= smallLod && level < levelCount; ++lod, ++level) {
            IDirect3DSurface9* surface = SystemSurface(thrower, *block, level);
            CheckOwnFormatTexels(thrower, *block);
            const ZelkGrLevelSize size = GrLevelSize(lod, aspect);
            const void* loaded = loaderTexels.Take(texels, std::size_t(size.width) * size.height);
            if (!ZelkD3DSurface::LoadSurfaceFromMemory(surface, loaded, loaderTexels.Format(), size.width, nullptr,
                                                       nullptr, palette, palette, 0)) {
                ThrowZelkException(thrower, false, kLoadFailed);
            }
            texels += GrLevelDataBytes(lod, aspect, format);
        }
        if (level > 0 && level < levelCount) {
            HRESULT result = D3DXFilterTexture(block->systemTexture, palette, level - 1, D3DX_DEFAULT);
            if (FAILED(result) && IsPalettisedFormat(block->systemFormat)) {
                result = PickLevelsBelow(*block, level);
            }
            if (FAILED(result)) {
                ThrowZelkException(thrower, result, kFilterFailed);
            }
        }
        NoteDownload(tmu, range, block);
        return true;
    });
}

bool ZelkGrTextureManager::DownloadTextureImageLevel(std::uint32_t tmu, std::uint32_t start, std::uint32_t lod,
                                                     std::uint32_t largeLod, std::uint32_t aspect,
                                                     std::uint32_t format, std::uint32_t mask, const void* data,
                                                     int firstRow, int lastRow)
{
    return RunLogged([&]() -> bool {
        const char* const thrower = kDownloadLevelName;
        CheckChain(thrower, tmu, lod, largeLod, aspect, format);
        if (data == nullptr) {
            ThrowZelkException(thrower, E_POINTER, kBadData);
        }
        // A level that the size rule counts as 0 bytes (narrower than the
        // aspect's factor) still holds width x height texels and loads them;
        // its address range keeps at least one row.
        if ((mask != kGrMaskEven && mask != kGrMaskOdd && mask != kGrMaskBoth) || !GrLodInMask(lod, mask)) {
            return false;
        }
        const ZelkGrLevelSize size = GrLevelSize(lod, aspect);
        if (lastRow < firstRow) {
            // No rows asked for: nothing to load.
            return true;
        }
        if (firstRow < 0 || static_cast<std::uint32_t>(firstRow) >= size.height) {
            ThrowZelkException(thrower, E_INVALIDARG, kBadRows);
        }
        const ZelkGrTexAddressRange range =
            ZelkGrTexAddressRange::Of(start, GrTexRangeBytes(lod, largeLod, aspect, format, mask));
        ZelkGrTexMemBlock* block = FindOrAllocateLevelBlock(tmu, lod, largeLod, aspect, format, range);
        if (block == nullptr) {
            ThrowZelkException(thrower, false, kAllocateFailed);
        }
        const DWORD level = lod - largeLod;
        if (level >= block->systemLevels) {
            ThrowZelkException(thrower, E_INVALIDARG, kInvalidParameter);
        }
        IDirect3DSurface9* surface = SystemSurface(thrower, *block, level);
        CheckOwnFormatTexels(thrower, *block);
        const long long rows = std::min<long long>(static_cast<long long>(size.height) - firstRow,
                                                   static_cast<long long>(lastRow) - firstRow + 1);
        const RECT sourceRect = {0, 0, static_cast<LONG>(size.width), static_cast<LONG>(rows)};
        const POINT point = {0, firstRow};
        LoaderTexels loaderTexels(format);
        const void* loaded = loaderTexels.Take(data, std::size_t(size.width) * static_cast<std::size_t>(rows));
        if (!ZelkD3DSurface::LoadSurfaceFromMemory(surface, loaded, loaderTexels.Format(), size.width, &sourceRect,
                                                   &point, palette, palette, 0)) {
            ThrowZelkException(thrower, false, kLoadFailed);
        }
        NoteDownload(tmu, range, block);
        return true;
    });
}

void ZelkGrTextureManager::DownloadTable(std::uint32_t, std::uint32_t type, const void* data, int first, int last)
{
    RunLogged([&]() {
        if (type == 0 || type == 1) {
            return;
        }
        if (data == nullptr) {
            ThrowZelkException(kDownloadTableName, E_POINTER, kBadData);
        }
        first = std::min(std::max(first, 0), 255);
        last = std::min(std::max(last, 0), 255);
        PALETTEENTRY previous[256];
        std::memcpy(previous, palette, sizeof palette);
        const BYTE* entries = static_cast<const BYTE*>(data);
        for (int i = first; i <= last; ++i) {
            std::uint32_t colour = 0;
            std::memcpy(&colour, entries + 4 * i, sizeof colour);
            palette[i].peRed = static_cast<BYTE>(colour >> 16);
            palette[i].peGreen = static_cast<BYTE>(colour >> 8);
            palette[i].peBlue = static_cast<BYTE>(colour);
            palette[i].peFlags = 0xFF;
        }
        const std::uint32_t checksum = PaletteChecksum(palette);
        // The checksum is a quick test only: equal sums of different
        // palettes still count as a change.
        if (checksum == paletteChecksum && std::memcmp(previous, palette, sizeof palette) == 0) {
            return;
        }
        paletteChecksum = checksum;
        ++paletteSerial;
        if (renderer != nullptr && !(expandP8 && expandAP88)) {
            std::uint32_t recorded[256];
            std::memcpy(recorded, palette, sizeof recorded);
            RecordPaletteEntries(*renderer, recorded);
        }
    });
}

void ZelkGrTextureManager::ReleaseAllDeviceCopies()
{
    for (ZelkGrTexBlockMap& map : blockMaps) {
        map.ForEach([](ZelkGrTexMemBlock& block) { block.texture = nullptr; });
    }
}

bool ZelkGrTextureManager::FillDeviceCopy(ZelkGrTexMemBlock* block, DWORD levels)
{
    block->texture = nullptr;
    if (!device || !block->systemTexture) {
        return false;
    }
    const ZelkGrLevelSize size = GrLevelSize(block->largeLod, block->aspect);
    IDirect3DTexture9Ptr copy;
    const HRESULT result =
        device->CreateTexture(size.width, size.height, levels, 0,
                              static_cast<D3DFORMAT>(settings.format[block->format]), D3DPOOL_DEFAULT, &copy, nullptr);
    if (FAILED(result)) {
        block->paletteChecksumUsed = kNoChecksum;
        block->colourKeyUsed = 0;
        if (result == D3DERR_OUTOFVIDEOMEMORY || result == E_OUTOFMEMORY) {
            ReleaseAllDeviceCopies();
        }
        return false;
    }
    block->paletteChecksumUsed = paletteChecksum;
    block->paletteSerialUsed = paletteSerial;
    block->colourKeyUsed = colourKey;
    ZelkD3DSurface::LoadTextureFromTexture(block->systemTexture, copy, palette, palette, colourKey);
    block->texture = copy;
    block->textureLevels = levels;
    return true;
}

bool ZelkGrTextureManager::UpdateDeviceTexture(ZelkGrTexMemBlock* block)
{
    if (block == nullptr || block->format >= kGrTexFormatCount) {
        return false;
    }
    // The copy holds the levels in use: from level 0 down to curSmallLod.
    const DWORD levels = (settings.createMipmap == 0 || block->curSmallLod <= block->largeLod)
                             ? 1
                             : static_cast<DWORD>(block->curSmallLod - block->largeLod + 1);
    if (block->texture && block->textureLevels != levels) {
        block->texture = nullptr;
    }
    if (!block->texture) {
        return FillDeviceCopy(block, levels);
    }
    // A changed key or palette gets a new copy, so that draws recorded with
    // the old one keep what they were recorded with.
    if (block->colourKeyUsed != colourKey || (IsExpanded(block->format) && block->paletteSerialUsed != paletteSerial)) {
        return FillDeviceCopy(block, levels);
    }
    return true;
}

void ZelkGrTextureManager::RecordPendingTextures()
{
    for (std::uint32_t tmu = 0; tmu < 2; ++tmu) {
        ZelkGrTexMemBlock* block = pendingBlock[tmu];
        if (block == nullptr) {
            continue;
        }
        UpdateDeviceTexture(block);
        if (renderer != nullptr) {
            RecordTextureBinding(*renderer, *block);
        }
        pendingBlock[tmu] = nullptr;
    }
}

}  // namespace zelk
