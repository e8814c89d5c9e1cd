// The Glide 2.x interface header: the function lists behind the export table,
// their argument byte counts and calling convention, the decorated names of the
// later entry points, and the records' agreement with the vertex offsets.
#include <gtest/gtest.h>

#include "glideapi/Glide2.h"

#include <algorithm>
#include <cstddef>
#include <fstream>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

namespace {

// The size of an argument in the 32-bit program that calls the library:
// pointers take 4 bytes there, also when these tests are built for 64 bits.
template <class Argument>
constexpr std::size_t Win32ArgumentSize()
{
    return std::is_pointer<Argument>::value ? 4 : sizeof(Argument);
}

// Bytes a 32-bit stdcall function pops: every argument takes its size rounded
// up to whole 4-byte slots. Only stdcall function types match the
// specialisation, so a prototype with another convention does not compile here
// (in a 32-bit build; 64-bit Windows has one convention).
template <class Function>
struct StdcallArgumentBytes;

template <class Result, class... Arguments>
struct StdcallArgumentBytes<Result FX_CALL(Arguments...)>
{
    static constexpr std::size_t value =
        (std::size_t{0} + ... + ((Win32ArgumentSize<Arguments>() + 3) / 4 * 4));
};

#define CHECK_FUNCTION(returnType, name, parameters, stdcallBytes)                            \
    static_assert(StdcallArgumentBytes<decltype(name)>::value == stdcallBytes,                \
                  #name ": the listed byte count differs from the parameters");               \
    static_assert(std::is_same<PFN_##name, decltype(&name)>::value, #name ": pointer type");
#define CHECK_DECORATED_FUNCTION(returnType, name, parameters, stdcallBytes, decoratedName) \
    CHECK_FUNCTION(returnType, name, parameters, stdcallBytes)
ZELK_GLIDE_FUNCTIONS(CHECK_FUNCTION)
ZELK_GLIDE_INTERFACE_ONLY_FUNCTIONS(CHECK_FUNCTION)
ZELK_GLIDE_DECORATED_FUNCTIONS(CHECK_DECORATED_FUNCTION)
#undef CHECK_DECORATED_FUNCTION
#undef CHECK_FUNCTION

#define COUNT_ONE(...) +1
constexpr int kExportedGlide2Count = 0 ZELK_GLIDE_FUNCTIONS(COUNT_ONE);
constexpr int kInterfaceOnlyCount = 0 ZELK_GLIDE_INTERFACE_ONLY_FUNCTIONS(COUNT_ONE);
constexpr int kDecoratedCount = 0 ZELK_GLIDE_DECORATED_FUNCTIONS(COUNT_ONE);
#undef COUNT_ONE
static_assert(kExportedGlide2Count + kInterfaceOnlyCount == 121, "Glide 2.x declares 121 functions");
static_assert(kDecoratedCount == 18, "18 later entry points are exported under decorated names");
static_assert(kExportedGlide2Count + kDecoratedCount == 138, "the export table holds 138 functions");

// The callback the program hands in uses the default convention; GrProc is stdcall.
static_assert(std::is_same<GrErrorCallbackFnc_t, void(__cdecl *)(const char *, FxBool)>::value,
              "error callback is cdecl");
static_assert(std::is_same<GrProc, void(__stdcall *)()>::value, "GrProc is stdcall");
static_assert(std::is_same<FxU32, unsigned long>::value && std::is_same<FxI32, long>::value,
              "the 32-bit types are long-based on Windows");

// The float indices of GrVertex agree with its layout.
#define CHECK_VERTEX_INDEX(index, member) \
    static_assert(index * sizeof(float) == offsetof(GrVertex, member), #index)
CHECK_VERTEX_INDEX(GR_VERTEX_X_OFFSET, x);
CHECK_VERTEX_INDEX(GR_VERTEX_Y_OFFSET, y);
CHECK_VERTEX_INDEX(GR_VERTEX_Z_OFFSET, z);
CHECK_VERTEX_INDEX(GR_VERTEX_R_OFFSET, r);
CHECK_VERTEX_INDEX(GR_VERTEX_G_OFFSET, g);
CHECK_VERTEX_INDEX(GR_VERTEX_B_OFFSET, b);
CHECK_VERTEX_INDEX(GR_VERTEX_OOZ_OFFSET, ooz);
CHECK_VERTEX_INDEX(GR_VERTEX_A_OFFSET, a);
CHECK_VERTEX_INDEX(GR_VERTEX_OOW_OFFSET, oow);
CHECK_VERTEX_INDEX(GR_VERTEX_SOW_TMU0_OFFSET, tmuvtx[0].sow);
CHECK_VERTEX_INDEX(GR_VERTEX_TOW_TMU0_OFFSET, tmuvtx[0].tow);
CHECK_VERTEX_INDEX(GR_VERTEX_OOW_TMU0_OFFSET, tmuvtx[0].oow);
CHECK_VERTEX_INDEX(GR_VERTEX_SOW_TMU1_OFFSET, tmuvtx[1].sow);
CHECK_VERTEX_INDEX(GR_VERTEX_TOW_TMU1_OFFSET, tmuvtx[1].tow);
CHECK_VERTEX_INDEX(GR_VERTEX_OOW_TMU1_OFFSET, tmuvtx[1].oow);
#undef CHECK_VERTEX_INDEX

// The stdcall name of a function in the 32-bit export table: "_grDrawTriangle@12".
std::string Stdcall32Name(const char *name, std::size_t bytes)
{
    return "_" + std::string(name) + "@" + std::to_string(bytes);
}

// The stdcall names a Glide 2.x program imports.
const char *const kGlide2ExportNames[] = {
    "_ConvertAndDownloadRle@64", "_grAADrawLine@8", "_grAADrawPoint@4", "_grAADrawPolygon@12",
    "_grAADrawPolygonVertexList@8", "_grAADrawTriangle@24", "_grAlphaBlendFunction@16",
    "_grAlphaCombine@20", "_grAlphaControlsITRGBLighting@4", "_grAlphaTestFunction@4",
    "_grAlphaTestReferenceValue@4", "_grBufferClear@12", "_grBufferNumPending@0",
    "_grBufferSwap@4", "_grCheckForRoom@4", "_grChromakeyMode@4", "_grChromakeyValue@4",
    "_grClipWindow@16", "_grColorCombine@20", "_grColorMask@8", "_grConstantColorValue@4",
    "_grConstantColorValue4@16", "_grCullMode@4", "_grDepthBiasLevel@4",
    "_grDepthBufferFunction@4", "_grDepthBufferMode@4", "_grDepthMask@4", "_grDisableAllEffects@0",
    "_grDitherMode@4", "_grDrawLine@8", "_grDrawPlanarPolygon@12",
    "_grDrawPlanarPolygonVertexList@8", "_grDrawPoint@4", "_grDrawPolygon@12",
    "_grDrawPolygonVertexList@8", "_grDrawTriangle@12", "_grErrorSetCallback@4",
    "_grFogColorValue@4", "_grFogMode@4", "_grFogTable@4", "_grGammaCorrectionValue@4",
    "_grGlideGetState@4", "_grGlideGetVersion@4", "_grGlideInit@0", "_grGlideSetState@4",
    "_grGlideShamelessPlug@4", "_grGlideShutdown@0", "_grHints@8", "_grLfbConstantAlpha@4",
    "_grLfbConstantDepth@4", "_grLfbLock@24", "_grLfbReadRegion@28", "_grLfbUnlock@8",
    "_grLfbWriteColorFormat@4", "_grLfbWriteColorSwizzle@8", "_grLfbWriteRegion@32",
    "_grRenderBuffer@4", "_grResetTriStats@0", "_grSplash@20", "_grSstControl@4", "_grSstIdle@0",
    "_grSstIsBusy@0", "_grSstOrigin@4", "_grSstPerfStats@4", "_grSstQueryBoards@4",
    "_grSstQueryHardware@4", "_grSstResetPerfStats@0", "_grSstScreenHeight@0",
    "_grSstScreenWidth@0", "_grSstSelect@4", "_grSstStatus@0", "_grSstVRetraceOn@0",
    "_grSstVideoLine@0", "_grSstWinClose@0", "_grSstWinOpen@28", "_grTexCalcMemRequired@16",
    "_grTexClampMode@12", "_grTexCombine@28", "_grTexCombineFunction@8", "_grTexDetailControl@16",
    "_grTexDownloadMipMap@16", "_grTexDownloadMipMapLevel@32",
    "_grTexDownloadMipMapLevelPartial@40", "_grTexDownloadTable@12",
    "_grTexDownloadTablePartial@20", "_grTexFilterMode@12", "_grTexLodBiasValue@8",
    "_grTexMaxAddress@4", "_grTexMinAddress@4", "_grTexMipMapMode@12", "_grTexMultibase@8",
    "_grTexMultibaseAddress@20", "_grTexNCCTable@8", "_grTexSource@16",
    "_grTexTextureMemRequired@8", "_grTriStats@8", "_gu3dfGetInfo@8", "_gu3dfLoad@8",
    "_guAADrawTriangleWithClip@12", "_guAlphaSource@4", "_guColorCombineFunction@4",
    "_guDrawTriangleWithClip@12", "_guEncodeRLE16@16", "_guEndianSwapBytes@4",
    "_guEndianSwapWords@4", "_guFogGenerateExp@8", "_guFogGenerateExp2@8",
    "_guFogGenerateLinear@12", "_guFogTableIndexToW@4", "_guTexAllocateMemory@60",
    "_guTexChangeAttributes@48", "_guTexCombineFunction@8", "_guTexCreateColorMipMap@0",
    "_guTexDownloadMipMap@12", "_guTexDownloadMipMapLevel@12", "_guTexGetCurrentMipMap@4",
    "_guTexGetMipMapInfo@4", "_guTexMemQueryAvail@4", "_guTexMemReset@0", "_guTexSource@4"
};

// Microsoft C++ decoration of a stdcall free function, for the types the
// decorated entry points use.
template <class Type>
struct MsvcTypeCode;

template <class... Arguments>
std::string MsvcArgumentCodes()
{
    const std::vector<std::string> codes{MsvcTypeCode<Arguments>::Get()...};
    if (codes.empty())
    {
        return "X";
    }
    // Types longer than one letter are remembered; a repeat is written as its index.
    std::vector<std::string> remembered;
    std::string result;
    for (const std::string &code : codes)
    {
        const auto found = std::find(remembered.begin(), remembered.end(), code);
        if (found != remembered.end())
        {
            result += static_cast<char>('0' + (found - remembered.begin()));
            continue;
        }
        result += code;
        if (code.size() > 1 && remembered.size() < 10)
        {
            remembered.push_back(code);
        }
    }
    return result + "@";
}

template <const char *Code>
struct MsvcFixedCode
{
    static std::string Get() { return Code; }
};

constexpr char kVoidCode[] = "X";
constexpr char kCharCode[] = "D";
constexpr char kIntCode[] = "H";
constexpr char kLongCode[] = "J";
constexpr char kUnsignedLongCode[] = "K";
constexpr char kFloatCode[] = "M";

template <> struct MsvcTypeCode<void> : MsvcFixedCode<kVoidCode> {};
template <> struct MsvcTypeCode<char> : MsvcFixedCode<kCharCode> {};
template <> struct MsvcTypeCode<int> : MsvcFixedCode<kIntCode> {};
template <> struct MsvcTypeCode<long> : MsvcFixedCode<kLongCode> {};
template <> struct MsvcTypeCode<unsigned long> : MsvcFixedCode<kUnsignedLongCode> {};
template <> struct MsvcTypeCode<float> : MsvcFixedCode<kFloatCode> {};

template <class Type>
struct MsvcTypeCode<Type *>
{
    static std::string Get() { return "PA" + MsvcTypeCode<Type>::Get(); }
};

template <class Type>
struct MsvcTypeCode<const Type *>
{
    static std::string Get() { return "PB" + MsvcTypeCode<Type>::Get(); }
};

template <class Result, class... Arguments>
struct MsvcTypeCode<Result(FX_CALL *)(Arguments...)>
{
    static std::string Get()
    {
        return "P6G" + MsvcTypeCode<Result>::Get() + MsvcArgumentCodes<Arguments...>() + "Z";
    }
};

template <class Result, class... Arguments>
std::string MsvcDecoratedName(const std::string &name, Result(FX_CALL *)(Arguments...))
{
    return "?" + name + "@@YG" + MsvcTypeCode<Result>::Get() + MsvcArgumentCodes<Arguments...>() +
           "Z";
}

struct DecoratedEntry
{
    std::string implName;
    std::string decoratedName;
    std::string decoratedFromTypes;
};

std::vector<DecoratedEntry> DecoratedEntries()
{
    const std::string suffix = "Impl";
    std::vector<DecoratedEntry> entries;
#define ADD_ENTRY(returnType, name, parameters, stdcallBytes, decoratedName)                \
    {                                                                                       \
        const std::string implName = #name;                                                 \
        const std::string glideName = implName.substr(0, implName.size() - suffix.size()); \
        entries.push_back({implName, decoratedName,                                         \
                           MsvcDecoratedName(glideName, static_cast<PFN_##name>(nullptr))}); \
    }
    ZELK_GLIDE_DECORATED_FUNCTIONS(ADD_ENTRY)
#undef ADD_ENTRY
    return entries;
}

TEST(Glide2Interface, StdcallListsGiveExactlyTheExportTable)
{
    std::vector<std::string> listed;
#define ADD_NAME(returnType, name, parameters, stdcallBytes) \
    listed.push_back(Stdcall32Name(#name, stdcallBytes));
    ZELK_GLIDE_FUNCTIONS(ADD_NAME)
#undef ADD_NAME
    const std::set<std::string> listedSet(listed.begin(), listed.end());
    EXPECT_EQ(listedSet.size(), listed.size()) << "a function is listed twice";

    const std::set<std::string> expected(std::begin(kGlide2ExportNames), std::end(kGlide2ExportNames));
    for (const std::string &name : expected)
    {
        EXPECT_EQ(listedSet.count(name), 1u) << "missing from the list: " << name;
    }
    for (const std::string &name : listedSet)
    {
        EXPECT_EQ(expected.count(name), 1u) << "not in the export table: " << name;
    }

    // The interface-only function is declared but stays out of the export table.
    EXPECT_EQ(listedSet.count("_guDrawPolygonVertexListWithClip@8"), 0u);
}

TEST(Glide2Interface, DecoratedNamesEncodeTheDeclaredTypes)
{
    std::set<std::string> decoratedNames;
    for (const DecoratedEntry &entry : DecoratedEntries())
    {
        ASSERT_GT(entry.implName.size(), 4u);
        EXPECT_EQ(entry.implName.substr(entry.implName.size() - 4), "Impl") << entry.implName;
        EXPECT_EQ(entry.decoratedName, entry.decoratedFromTypes) << entry.implName;
        EXPECT_TRUE(decoratedNames.insert(entry.decoratedName).second) << entry.decoratedName;
    }
    EXPECT_EQ(decoratedNames.size(), 18u);
}

} // namespace

// The 32-bit DLL's export file, read as text so that it is checked in every
// build: each declared function under its stdcall name with the listed byte
// count, each later entry point under its decorated name, and nothing else.
TEST(Glide2Interface, ExportFileNamesEveryListedFunction)
{
    std::set<std::string> expected;
#define ADD_LINE(returnType, name, parameters, stdcallBytes)                                \
    expected.insert(Stdcall32Name(#name, stdcallBytes) + " = " #name "@" + std::to_string(stdcallBytes));
#define ADD_DECORATED_LINE(returnType, name, parameters, stdcallBytes, decoratedName) \
    expected.insert(std::string("\"") + decoratedName + "\" = " #name "@" + std::to_string(stdcallBytes));
    ZELK_GLIDE_FUNCTIONS(ADD_LINE)
    ZELK_GLIDE_INTERFACE_ONLY_FUNCTIONS(ADD_LINE)
    ZELK_GLIDE_DECORATED_FUNCTIONS(ADD_DECORATED_LINE)
#undef ADD_DECORATED_LINE
#undef ADD_LINE

    std::ifstream file(ZELK_SOURCE_DIR "/glide/exports/Rodoz2o.def");
    ASSERT_TRUE(file.is_open());
    std::string line;
    ASSERT_TRUE(std::getline(file, line));
    EXPECT_EQ(line, "LIBRARY \"Rodoz2o.dll\"");
    ASSERT_TRUE(std::getline(file, line));
    EXPECT_EQ(line, "EXPORTS");
    std::set<std::string> exported;
    while (std::getline(file, line))
    {
        const std::size_t first = line.find_first_not_of(" \t\r");
        const std::size_t last = line.find_last_not_of(" \t\r");
        if (first == std::string::npos)
        {
            continue;
        }
        const std::string entry = line.substr(first, last - first + 1);
        EXPECT_EQ(expected.count(entry), 1u) << "not a listed export: " << entry;
        EXPECT_TRUE(exported.insert(entry).second) << "exported twice: " << entry;
    }
    EXPECT_EQ(exported.size(), 139u);
    EXPECT_EQ(exported, expected);
}
