// The bodies of the Glide texture functions: per-unit texture settings, mip
// map and palette downloads, binding of texture memory, the size queries,
// the guTex utility functions with their mip-map records, and the 3DF file
// readers.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "framework/ZelkException.h"
#include "glide/ZelkGlide.h"
#include "glide/ZelkGlideBodies.h"
#include "glide/ZelkGlideValueCheck.h"
#include "glide/ZelkGr3dfFile.h"
#include "glide/ZelkGrTextureSize.h"

namespace zelk {
namespace glidebody {

namespace {

const char* const kBadInfo = "The parameter [ GrTexInfo* info ] is invalid.";
const char* const kBadSource = "The parameter [ const void** src ] is invalid.";
const char* const kBadStartAddress = "The parameter [ FxU32 startAddress ] is invalid.";

// Renderer commands of the per-unit settings.
constexpr std::uint32_t kCommandTexCombine = 14;
constexpr std::uint32_t kCommandTexClampMode = 15;
constexpr std::uint32_t kCommandTexFilterMode = 16;
constexpr std::uint32_t kCommandTexMipMapMode = 17;
constexpr std::uint32_t kCommandTexLodBias = 18;
constexpr std::uint32_t kCommandTexDetailLodBias = 19;
constexpr std::uint32_t kCommandTexDetailScale = 20;
constexpr std::uint32_t kCommandTexDetailMax = 21;

// Direct3D address and filter values the commands carry.
constexpr std::uint32_t kAddressWrap = 1;
constexpr std::uint32_t kAddressClamp = 3;
constexpr std::uint32_t kFilterNone = 0;
constexpr std::uint32_t kFilterPoint = 1;
constexpr std::uint32_t kFilterLinear = 2;
constexpr std::uint32_t kFilterAnisotropic = 3;

// Rows of a whole level.
constexpr int kAllRowsFirst = 0;
constexpr int kAllRowsLast = 4096;

constexpr std::uint32_t kTexMemoryUnit = 1000000;

// The texture combine shorthands: function and factor of both units.
struct CombineShorthand {
    GrCombineFunction_t function;
    GrCombineFactor_t factor;
};
const CombineShorthand kCombineShorthands[] = {
    {0, 0},  // ZERO
    {1, 0},  // DECAL
    {3, 8},  // OTHER
    {4, 8},  // ADD
    {3, 1},  // MULTIPLY
    {6, 8},  // SUBTRACT
    {7, 4},  // DETAIL
    {1, 0},  // DETAIL_OTHER
    {1, 0},  // TRILINEAR_ODD
    {1, 0},  // TRILINEAR_EVEN
};

void LogError(const char* thrower, HRESULT result, const char* message)
{
    ZelkException exception(thrower, result, message);
    WriteErrorLog(exception);
}

// A unit the calls serve: below the emulated unit count.  Units above 1 are
// logged as errors; an existing unit beyond the count is quietly ignored.
bool IsServedTmu(const ZelkGlide& glide, GrChipID_t tmu, const char* thrower)
{
    if (tmu < 0 || tmu > 1) {
        LogError(thrower, E_INVALIDARG, kMessageBadTmu);
        return false;
    }
    return static_cast<std::uint32_t>(tmu) < glide.ServedTmuCount();
}

std::uint32_t TmuMemorySize(const ZelkGlide& glide, GrChipID_t tmu)
{
    if (tmu < 0 || static_cast<std::uint32_t>(tmu) >= glide.ServedTmuCount()) {
        return 0;
    }
    const unsigned long long bytes = static_cast<unsigned long long>(glide.settings.tmuMemorySize) * kTexMemoryUnit;
    return static_cast<std::uint32_t>(std::min<unsigned long long>(bytes, 0xFFFFFFFFull));
}

// Logs a range of texture memory that ends past the unit's memory; true when
// it fits.  A texture may start at the last address (grTexMaxAddress), so
// the memory ends there plus the texture's own size.  The sum is taken in 64
// bits: a start near 2^32 must not wrap to a small end.
bool CheckRange(const ZelkGlide& glide, GrChipID_t tmu, FxU32 start, std::uint32_t bytes, const char* thrower)
{
    const std::uint64_t end = static_cast<std::uint64_t>(start) + bytes;
    if (end > static_cast<std::uint64_t>(TmuMemorySize(glide, tmu)) + bytes) {
        LogError(thrower, E_INVALIDARG, kBadStartAddress);
        return false;
    }
    return true;
}

// Logs a per-unit mode outside its enumeration; true when valid.
bool CheckMode(bool valid, const char* message, const char* thrower)
{
    if (!valid) {
        LogError(thrower, E_INVALIDARG, message);
        return false;
    }
    return true;
}

// Logs texture codes outside Glide's enumerations; true when all are valid.
bool CheckCodes(const char* thrower, std::uint32_t smallLod, std::uint32_t largeLod, std::uint32_t aspect,
                std::uint32_t format)
{
    const char* message = nullptr;
    if (!IsGrLod(smallLod) || !IsGrLod(largeLod)) {
        message = kMessageBadLod;
    } else if (!IsGrAspect(aspect)) {
        message = kMessageBadAspect;
    } else if (!IsGrTexFormat(format)) {
        message = kMessageBadFormat;
    }
    if (message != nullptr) {
        LogError(thrower, E_INVALIDARG, message);
        return false;
    }
    return true;
}

void Record(ZelkGlide& glide, std::uint32_t id, std::uint32_t value, GrChipID_t tmu)
{
    glide.renderer->RecordCommand(id, value, static_cast<std::uint32_t>(tmu));
}

std::uint32_t FloatBits(float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

std::uint32_t FilterValue(std::uint32_t mode, std::uint8_t anisotropic)
{
    return anisotropic ? kFilterAnisotropic : mode != 0 ? kFilterLinear : kFilterPoint;
}

// The texture information of a mip-map record.
GrTexInfo RecordInfo(const GrMipMapInfo& record)
{
    return GrTexInfo{record.lod_min, record.lod_max, record.aspect_ratio, record.format, record.data};
}

}  // namespace

// --- Size queries ---------------------------------------------------------

FxU32 grTexCalcMemRequired(GrLOD_t lodmin, GrLOD_t lodmax, GrAspectRatio_t aspect, GrTextureFormat_t fmt)
{
    GetGlide();
    if (!CheckCodes("grTexCalcMemRequired", static_cast<std::uint32_t>(lodmin), static_cast<std::uint32_t>(lodmax),
                    static_cast<std::uint32_t>(aspect), static_cast<std::uint32_t>(fmt))) {
        return 0;
    }
    return GrTexMemRequired(static_cast<std::uint32_t>(lodmin), static_cast<std::uint32_t>(lodmax),
                            static_cast<std::uint32_t>(aspect), static_cast<std::uint32_t>(fmt), kGrMaskBoth);
}

FxU32 grTexTextureMemRequired(FxU32 evenOdd, GrTexInfo* info)
{
    GetGlide();
    if (info == nullptr) {
        LogError("grTexTextureMemRequired", E_POINTER, kBadInfo);
        return 0;
    }
    if (!CheckCodes("grTexTextureMemRequired", static_cast<std::uint32_t>(info->smallLod),
                    static_cast<std::uint32_t>(info->largeLod), static_cast<std::uint32_t>(info->aspectRatio),
                    static_cast<std::uint32_t>(info->format))) {
        return 0;
    }
    return GrTexMemRequired(static_cast<std::uint32_t>(info->smallLod), static_cast<std::uint32_t>(info->largeLod),
                            static_cast<std::uint32_t>(info->aspectRatio), static_cast<std::uint32_t>(info->format),
                            evenOdd);
}

FxU32 grTexMinAddress(GrChipID_t)
{
    GetGlide();
    return 0;
}

FxU32 grTexMaxAddress(GrChipID_t tmu)
{
    ZelkGlide* glide = GetGlide();
    if (!IsServedTmu(*glide, tmu, "grTexMaxAddress")) {
        return 0;
    }
    return TmuMemorySize(*glide, tmu);
}

// --- Binding ----------------------------------------------------------------

void grTexSource(GrChipID_t tmu, FxU32 startAddress, FxU32 evenOdd, GrTexInfo* info)
{
    ZelkGlide* glide = GetGlide();
    if (!IsServedTmu(*glide, tmu, "grTexSource")) {
        return;
    }
    if (info != nullptr) {
        CheckCodes("grTexSource", static_cast<std::uint32_t>(info->smallLod),
                   static_cast<std::uint32_t>(info->largeLod), static_cast<std::uint32_t>(info->aspectRatio),
                   static_cast<std::uint32_t>(info->format));
    }
    ZelkGlideTmuState& state = glide->tmuState[tmu];
    state.sourceStartAddress = startAddress;
    state.sourceEvenOdd = evenOdd;
    state.sourceInfo = info != nullptr ? *info : GrTexInfo{0, 0, 0, 0, nullptr};
    glide->textureManager.Source(static_cast<std::uint32_t>(tmu), startAddress, evenOdd, info);
}

// Multiple base addresses and NCC tables have no effect on texture memory
// that lives in Direct3D textures.
void grTexMultibase(GrChipID_t, FxBool)
{
    GetGlide();
}

void grTexNCCTable(GrChipID_t, GrNCCTable_t)
{
    GetGlide();
}

void grTexNCCTableImpl(GrNCCTable_t)
{
    GetGlide();
}

void grTexMultibaseAddress(GrChipID_t tmu, GrTexBaseRange_t, FxU32 startAddress, FxU32 evenOdd, GrTexInfo* info)
{
    glidebody::grTexSource(tmu, startAddress, evenOdd, info);
}

// --- Per-unit settings --------------------------------------------------------

void grTexClampMode(GrChipID_t tmu, GrTextureClampMode_t s_clampmode, GrTextureClampMode_t t_clampmode)
{
    ZelkGlide* glide = GetGlide();
    const std::uint32_t s = static_cast<std::uint32_t>(s_clampmode);
    const std::uint32_t t = static_cast<std::uint32_t>(t_clampmode);
    if (!IsServedTmu(*glide, tmu, "grTexClampMode") ||
        !CheckMode(IsGrClampMode(s) && IsGrClampMode(t), kMessageBadClampMode, "grTexClampMode") ||
        !glide->IsOpen()) {
        return;
    }
    ZelkGlideTmuState& state = glide->tmuState[tmu];
    if (s == state.sClampMode && t == state.tClampMode) {
        return;
    }
    state.sClampMode = s;
    state.tClampMode = t;
    const std::uint32_t value =
        ((s != 0 ? kAddressClamp : kAddressWrap) << 16) + (t != 0 ? kAddressClamp : kAddressWrap);
    Record(*glide, kCommandTexClampMode, value, tmu);
}

void grTexFilterMode(GrChipID_t tmu, GrTextureFilterMode_t minfilter_mode, GrTextureFilterMode_t magfilter_mode)
{
    ZelkGlide* glide = GetGlide();
    const std::uint32_t minMode = static_cast<std::uint32_t>(minfilter_mode);
    const std::uint32_t magMode = static_cast<std::uint32_t>(magfilter_mode);
    if (!IsServedTmu(*glide, tmu, "grTexFilterMode") ||
        !CheckMode(IsGrFilterMode(minMode) && IsGrFilterMode(magMode), kMessageBadFilterMode, "grTexFilterMode") ||
        !glide->IsOpen()) {
        return;
    }
    ZelkGlideTmuState& state = glide->tmuState[tmu];
    if (minMode == state.minFilterMode && magMode == state.magFilterMode) {
        return;
    }
    state.minFilterMode = minMode;
    state.magFilterMode = magMode;
    const std::uint32_t value = (FilterValue(minMode, glide->settings.forceAnisotropicMin) << 16) +
                                FilterValue(magMode, glide->settings.forceAnisotropicMag);
    Record(*glide, kCommandTexFilterMode, value, tmu);
}

void grTexMipMapMode(GrChipID_t tmu, GrMipMapMode_t mode, FxBool lodBlend)
{
    ZelkGlide* glide = GetGlide();
    const std::uint32_t newMode = static_cast<std::uint32_t>(mode);
    if (!IsServedTmu(*glide, tmu, "grTexMipMapMode") ||
        !CheckMode(IsGrMipMapMode(newMode), kMessageBadMipMapMode, "grTexMipMapMode") ||
        !glide->IsOpen()) {
        return;
    }
    ZelkGlideTmuState& state = glide->tmuState[tmu];
    const std::uint32_t blend = lodBlend == 1 ? 1 : 0;
    if (newMode == state.mipMapMode && blend == state.lodBlend) {
        return;
    }
    state.mipMapMode = newMode;
    state.lodBlend = blend;
    // Blending between levels needs mip-mapping: with mip-mapping off the
    // blend flag selects nothing.
    const std::uint32_t value = newMode == 0 ? kFilterNone : blend ? kFilterLinear : kFilterPoint;
    Record(*glide, kCommandTexMipMapMode, value, tmu);
}

void grTexLodBiasValue(GrChipID_t tmu, float bias)
{
    ZelkGlide* glide = GetGlide();
    if (!IsServedTmu(*glide, tmu, "grTexLodBiasValue") || !glide->IsOpen()) {
        return;
    }
    ZelkGlideTmuState& state = glide->tmuState[tmu];
    if (bias == state.lodBias) {
        return;
    }
    state.lodBias = bias;
    Record(*glide, kCommandTexLodBias, FloatBits(bias), tmu);
}

void grTexDetailControl(GrChipID_t tmu, int lod_bias, FxU8 detail_scale, float detail_max)
{
    ZelkGlide* glide = GetGlide();
    if (!IsServedTmu(*glide, tmu, "grTexDetailControl") || !glide->IsOpen()) {
        return;
    }
    ZelkGlideTmuState& state = glide->tmuState[tmu];
    if (lod_bias != state.detailLodBias) {
        state.detailLodBias = lod_bias;
        Record(*glide, kCommandTexDetailLodBias, static_cast<std::uint32_t>(lod_bias), tmu);
    }
    if (detail_scale != state.detailScale) {
        state.detailScale = detail_scale;
        Record(*glide, kCommandTexDetailScale, detail_scale, tmu);
    }
    if (detail_max != state.detailMax) {
        state.detailMax = detail_max;
        Record(*glide, kCommandTexDetailMax, FloatBits(detail_max), tmu);
    }
}

void grTexCombine(GrChipID_t tmu, GrCombineFunction_t rgb_function, GrCombineFactor_t rgb_factor,
                  GrCombineFunction_t alpha_function, GrCombineFactor_t alpha_factor, FxBool rgb_invert,
                  FxBool alpha_invert)
{
    ZelkGlide* glide = GetGlide();
    if (!IsServedTmu(*glide, tmu, "grTexCombine") || !glide->IsOpen()) {
        return;
    }
    ZelkGlideTmuState& state = glide->tmuState[tmu];
    auto pack = [](std::uint32_t rgbFunction, std::uint32_t alphaFunction, std::uint32_t rgbFactor,
                   std::uint32_t alphaFactor, std::uint32_t rgbInvert, std::uint32_t alphaInvert) {
        return (rgbFunction << 24) + (alphaFunction << 16) + (rgbFactor << 12) + (alphaFactor << 8) +
               (rgbInvert << 4) + alphaInvert;
    };
    const std::uint8_t rgbInvert = rgb_invert == 1 ? 1 : 0;
    const std::uint8_t alphaInvert = alpha_invert == 1 ? 1 : 0;
    const std::uint32_t packed =
        pack(static_cast<std::uint32_t>(rgb_function), static_cast<std::uint32_t>(alpha_function),
             static_cast<std::uint32_t>(rgb_factor), static_cast<std::uint32_t>(alpha_factor), rgbInvert, alphaInvert);
    if (packed == pack(state.rgbFunction, state.alphaFunction, state.rgbFactor, state.alphaFactor, state.rgbInvert,
                       state.alphaInvert)) {
        return;
    }
    state.rgbFunction = static_cast<std::uint32_t>(rgb_function);
    state.alphaFunction = static_cast<std::uint32_t>(alpha_function);
    state.rgbFactor = static_cast<std::uint32_t>(rgb_factor);
    state.alphaFactor = static_cast<std::uint32_t>(alpha_factor);
    state.rgbInvert = rgbInvert;
    state.alphaInvert = alphaInvert;
    Record(*glide, kCommandTexCombine, packed, tmu);
}

void grTexCombineFunction(GrChipID_t tmu, GrTextureCombineFnc_t fnc)
{
    if (fnc < 0 || static_cast<std::size_t>(fnc) >= sizeof kCombineShorthands / sizeof kCombineShorthands[0]) {
        GetGlide();
        return;
    }
    const CombineShorthand& shorthand = kCombineShorthands[fnc];
    glidebody::grTexCombine(tmu, shorthand.function, shorthand.factor, shorthand.function, shorthand.factor, 0, 0);
}

void guTexCombineFunction(GrChipID_t tmu, GrTextureCombineFnc_t fnc)
{
    glidebody::grTexCombineFunction(tmu, fnc);
}

// --- Downloads ----------------------------------------------------------------

void grTexDownloadMipMap(GrChipID_t tmu, FxU32 startAddress, FxU32 evenOdd, GrTexInfo* info)
{
    ZelkGlide* glide = GetGlide();
    if (!IsServedTmu(*glide, tmu, "grTexDownloadMipMap")) {
        return;
    }
    if (info == nullptr) {
        LogError("grTexDownloadMipMap", E_POINTER, kBadInfo);
        return;
    }
    const std::uint32_t bytes = GrTexRangeBytes(
        static_cast<std::uint32_t>(info->smallLod), static_cast<std::uint32_t>(info->largeLod),
        static_cast<std::uint32_t>(info->aspectRatio), static_cast<std::uint32_t>(info->format), evenOdd);
    if (!CheckRange(*glide, tmu, startAddress, bytes, "grTexDownloadMipMap")) {
        return;
    }
    glide->textureManager.DownloadTextureImage(
        static_cast<std::uint32_t>(tmu), startAddress, static_cast<std::uint32_t>(info->smallLod),
        static_cast<std::uint32_t>(info->largeLod), static_cast<std::uint32_t>(info->aspectRatio),
        static_cast<std::uint32_t>(info->format), evenOdd, info->data);
}

void grTexDownloadMipMapLevelPartial(GrChipID_t tmu, FxU32 startAddress, GrLOD_t thisLod, GrLOD_t largeLod,
                                     GrAspectRatio_t aspectRatio, GrTextureFormat_t format, FxU32 evenOdd,
                                     void* data, int start, int end)
{
    ZelkGlide* glide = GetGlide();
    if (!IsServedTmu(*glide, tmu, "grTexDownloadMipMapLevelPartial")) {
        return;
    }
    const std::uint32_t bytes =
        GrTexRangeBytes(static_cast<std::uint32_t>(thisLod), static_cast<std::uint32_t>(largeLod),
                        static_cast<std::uint32_t>(aspectRatio), static_cast<std::uint32_t>(format), evenOdd);
    if (!CheckRange(*glide, tmu, startAddress, bytes, "grTexDownloadMipMapLevelPartial")) {
        return;
    }
    glide->textureManager.DownloadTextureImageLevel(
        static_cast<std::uint32_t>(tmu), startAddress, static_cast<std::uint32_t>(thisLod),
        static_cast<std::uint32_t>(largeLod), static_cast<std::uint32_t>(aspectRatio),
        static_cast<std::uint32_t>(format), evenOdd, data, start, end);
}

void grTexDownloadMipMapLevel(GrChipID_t tmu, FxU32 startAddress, GrLOD_t thisLod, GrLOD_t largeLod,
                              GrAspectRatio_t aspectRatio, GrTextureFormat_t format, FxU32 evenOdd, void* data)
{
    glidebody::grTexDownloadMipMapLevelPartial(tmu, startAddress, thisLod, largeLod, aspectRatio, format, evenOdd, data,
                                    kAllRowsFirst, kAllRowsLast);
}

void grTexDownloadTablePartial(GrChipID_t tmu, GrTexTable_t type, void* data, int start, int end)
{
    ZelkGlide* glide = GetGlide();
    if (!IsServedTmu(*glide, tmu, "grTexDownloadTablePartial")) {
        return;
    }
    glide->textureManager.DownloadTable(static_cast<std::uint32_t>(tmu), type, data, start, end);
}

void grTexDownloadTable(GrChipID_t tmu, GrTexTable_t type, void* data)
{
    glidebody::grTexDownloadTablePartial(tmu, type, data, 0, 255);
}

void ConvertAndDownloadRle(GrChipID_t, FxU32, GrLOD_t, GrLOD_t, GrAspectRatio_t, GrTextureFormat_t, FxU32, FxU8*,
                           long, FxU32, FxU32, FxU32, FxU32, FxU32, FxU32, FxU16*)
{
    GetGlide();
}

// --- Mip-map records ------------------------------------------------------------

GrMipMapId_t guTexAllocateMemory(GrChipID_t tmu, FxU8 odd_even_mask, int width, int height, GrTextureFormat_t fmt,
                                 GrMipMapMode_t mm_mode, GrLOD_t smallest_lod, GrLOD_t largest_lod,
                                 GrAspectRatio_t aspect, GrTextureClampMode_t s_clamp_mode,
                                 GrTextureClampMode_t t_clamp_mode, GrTextureFilterMode_t minfilter_mode,
                                 GrTextureFilterMode_t magfilter_mode, float lod_bias, FxBool trilinear)
{
    ZelkGlide* glide = GetGlide();
    if (!IsServedTmu(*glide, tmu, "guTexAllocateMemory") ||
        !CheckCodes("guTexAllocateMemory", static_cast<std::uint32_t>(smallest_lod),
                    static_cast<std::uint32_t>(largest_lod), static_cast<std::uint32_t>(aspect),
                    static_cast<std::uint32_t>(fmt))) {
        return GR_NULL_MIPMAP_HANDLE;
    }
    return glide->mipMapTable.Allocate(
        static_cast<std::uint32_t>(tmu), odd_even_mask, width, height, static_cast<std::uint32_t>(fmt),
        static_cast<std::uint32_t>(mm_mode), static_cast<std::uint32_t>(smallest_lod),
        static_cast<std::uint32_t>(largest_lod), static_cast<std::uint32_t>(aspect),
        static_cast<std::uint32_t>(s_clamp_mode), static_cast<std::uint32_t>(t_clamp_mode),
        static_cast<std::uint32_t>(minfilter_mode), static_cast<std::uint32_t>(magfilter_mode), lod_bias,
        static_cast<std::uint32_t>(trilinear), TmuMemorySize(*glide, tmu));
}

FxBool guTexChangeAttributes(GrMipMapId_t mmid, int width, int height, GrTextureFormat_t fmt, GrMipMapMode_t mm_mode,
                             GrLOD_t smallest_lod, GrLOD_t largest_lod, GrAspectRatio_t aspect,
                             GrTextureClampMode_t s_clamp_mode, GrTextureClampMode_t t_clamp_mode,
                             GrTextureFilterMode_t minFilterMode, GrTextureFilterMode_t magFilterMode)
{
    GrMipMapInfo* record = GetGlide()->mipMapTable.Get(mmid);
    if (record == nullptr) {
        return 0;
    }
    record->width = width;
    record->height = height;
    record->format = fmt;
    record->mipmap_mode = mm_mode;
    record->lod_min = smallest_lod;
    record->lod_max = largest_lod;
    record->aspect_ratio = aspect;
    record->s_clamp_mode = s_clamp_mode;
    record->t_clamp_mode = t_clamp_mode;
    record->minfilter_mode = minFilterMode;
    record->magfilter_mode = magFilterMode;
    return 1;
}

GrMipMapId_t guTexGetCurrentMipMap(GrChipID_t tmu)
{
    ZelkGlide* glide = GetGlide();
    if (!IsServedTmu(*glide, tmu, "guTexGetCurrentMipMap")) {
        return GR_NULL_MIPMAP_HANDLE;
    }
    return glide->mipMapTable.currentMipMap[tmu];
}

GrMipMapInfo* guTexGetMipMapInfo(GrMipMapId_t mmid)
{
    return GetGlide()->mipMapTable.Get(mmid);
}

FxU32 guTexMemQueryAvail(GrChipID_t tmu)
{
    ZelkGlide* glide = GetGlide();
    if (!IsServedTmu(*glide, tmu, "guTexMemQueryAvail")) {
        return 0;
    }
    return glide->mipMapTable.QueryAvail(static_cast<std::uint32_t>(tmu), TmuMemorySize(*glide, tmu));
}

FxU16* guTexCreateColorMipMap(void)
{
    GetGlide();
    return nullptr;
}

void guTexMemReset(void)
{
    GetGlide()->mipMapTable.Reset();
}

void guTexDownloadMipMap(GrMipMapId_t mmid, const void* src, const GuNccTable* table)
{
    GrMipMapInfo* record = GetGlide()->mipMapTable.Get(mmid);
    if (record == nullptr) {
        return;
    }
    record->data = const_cast<void*>(src);
    if (table != nullptr) {
        std::memcpy(&record->ncc_table, table, sizeof record->ncc_table);
    }
    GrTexInfo info = RecordInfo(*record);
    glidebody::grTexDownloadMipMap(record->tmu, record->tmu_base_address, record->odd_even_mask, &info);
}

void guTexDownloadMipMapLevel(GrMipMapId_t mmid, GrLOD_t lod, const void** src)
{
    GrMipMapInfo* record = GetGlide()->mipMapTable.Get(mmid);
    if (record == nullptr || lod > record->lod_min) {
        return;
    }
    if (src == nullptr || *src == nullptr) {
        LogError("guTexDownloadMipMapLevel", E_POINTER, kBadSource);
        return;
    }
    const void* const texels = *src;
    if (lod == record->lod_max) {
        record->data = const_cast<void*>(texels);
    }
    // The application's levels lie one after the other, each as large as
    // the texels it holds.  The pointer moves on before the download, so
    // that the next level of the caller's loop reads its own data even when
    // this one fails.
    *src = static_cast<const BYTE*>(texels) + GrLevelDataBytes(static_cast<std::uint32_t>(lod),
                                                               static_cast<std::uint32_t>(record->aspect_ratio),
                                                               static_cast<std::uint32_t>(record->format));
    glidebody::grTexDownloadMipMapLevel(record->tmu, record->tmu_base_address, lod, record->lod_max,
                                        record->aspect_ratio, record->format, record->odd_even_mask,
                                        const_cast<void*>(texels));
}

void guTexSource(GrMipMapId_t id)
{
    ZelkGlide* glide = GetGlide();
    GrMipMapInfo* record = glide->mipMapTable.Get(id);
    if (record == nullptr) {
        return;
    }
    const GrChipID_t tmu = record->tmu;
    if (!IsServedTmu(*glide, tmu, "guTexSource")) {
        return;
    }
    glide->mipMapTable.currentMipMap[tmu] = id;
    // The record's NCC table goes to table 0, which the texture memory
    // ignores; so does the selection of NCC table 0.
    GrTexInfo info = RecordInfo(*record);
    glidebody::grTexSource(tmu, record->tmu_base_address, record->odd_even_mask, &info);
    float bias = 0.0f;
    std::memcpy(&bias, &record->lod_bias, sizeof bias);
    glidebody::grTexClampMode(tmu, record->s_clamp_mode, record->t_clamp_mode);
    glidebody::grTexFilterMode(tmu, record->minfilter_mode, record->magfilter_mode);
    glidebody::grTexLodBiasValue(tmu, bias);
    glidebody::grTexMipMapMode(tmu, record->mipmap_mode, record->trilinear);
}

// --- 3DF files ------------------------------------------------------------------

FxBool gu3dfGetInfo(const char* filename, Gu3dfInfo* info)
{
    return ZelkGr3dfFile::GetInfo(filename, info);
}

FxBool gu3dfLoad(const char* filename, Gu3dfInfo* data)
{
    return ZelkGr3dfFile::Load(filename, data);
}

}  // namespace glidebody
}  // namespace zelk
