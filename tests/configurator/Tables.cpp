// The tables that stored settings depend on: positions in the enumeration's
// candidate-format and display-format tables, the names the pages show, the
// texture conversion rule, and the labels' cuts and widths.
#include <gtest/gtest.h>

#include <string>

#include "configurator/ZelkGrD3DDevicePage.h"
#include "configurator/ZelkGrTexturePage.h"
#include "framework/ZelkD3DEnumeration.h"
#include "framework/ZelkD3DFormats.h"

namespace {

struct NamedFormat {
    DWORD value;
    const char* name;
};

// The candidate table in its fixed order (Direct3D 9 values).
const NamedFormat kCandidates[60] = {
    {0, "UNKNOWN"},         {20, "R8G8B8"},         {21, "A8R8G8B8"},      {22, "X8R8G8B8"},
    {23, "R5G6B5"},         {24, "X1R5G5B5"},       {25, "A1R5G5B5"},      {26, "A4R4G4B4"},
    {27, "R3G3B2"},         {28, "A8"},             {29, "A8R3G3B2"},      {30, "X4R4G4B4"},
    {31, "A2B10G10R10"},    {32, "A8B8G8R8"},       {33, "X8B8G8R8"},      {34, "G16R16"},
    {35, "A2R10G10B10"},    {36, "A16B16G16R16"},   {40, "A8P8"},          {41, "P8"},
    {50, "L8"},             {51, "A8L8"},           {52, "A4L4"},          {60, "V8U8"},
    {61, "L6V5U5"},         {62, "X8L8V8U8"},       {63, "Q8W8V8U8"},      {64, "V16U16"},
    {67, "A2W10V10U10"},    {0x59565955, "UYVY"},   {0x47424752, "R8G8_B8G8"}, {0x32595559, "YUY2"},
    {0x42475247, "G8R8_G8B8"}, {0x31545844, "DXT1"}, {0x32545844, "DXT2"}, {0x33545844, "DXT3"},
    {0x34545844, "DXT4"},   {0x35545844, "DXT5"},   {70, "D16_LOCKABLE"},  {71, "D32"},
    {73, "D15S1"},          {75, "D24S8"},          {77, "D24X8"},         {79, "D24X4S4"},
    {80, "D16"},            {82, "D32F_LOCKABLE"},  {83, "D24FS8"},        {81, "L16"},
    {100, "VERTEXDATA"},    {101, "INDEX16"},       {102, "INDEX32"},      {110, "Q16W16V16U16"},
    {0x3154454D, "MULTI2_ARGB8"}, {111, "R16F"},    {112, "G16R16F"},      {113, "A16B16G16R16F"},
    {114, "R32F"},          {115, "G32R32F"},       {116, "A32B32G32R32F"}, {117, "CxV8U8"},
};

TEST(ConfiguratorTables, CandidateFormatsKeepTheirPositionsAndNames)
{
    ASSERT_EQ(zelk::kCandidateFormatCount, 60u);
    for (size_t i = 0; i < 60; ++i) {
        EXPECT_EQ(static_cast<DWORD>(zelk::kCandidateFormats[i].format), kCandidates[i].value) << "position " << i;
        ASSERT_NE(zelk::GetFormatName(kCandidates[i].value), nullptr) << kCandidates[i].name;
        EXPECT_STREQ(zelk::GetFormatName(kCandidates[i].value), kCandidates[i].name);
    }
    EXPECT_EQ(zelk::GetFormatName(42), nullptr);
    EXPECT_EQ(zelk::GetFormatName(0xFFFFFFFF), nullptr);
}

TEST(ConfiguratorTables, FullScreenDisplayFormatOrder)
{
    const DWORD expected[6] = {22, 21, 35, 24, 25, 23};  // X8R8G8B8 A8R8G8B8 A2R10G10B10 X1R5G5B5 A1R5G5B5 R5G6B5
    ASSERT_EQ(zelk::kFullScreenDisplayFormatCount, 6u);
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(static_cast<DWORD>(zelk::kFullScreenDisplayFormats[i]), expected[i]) << "position " << i;
    }
}

TEST(ConfiguratorTables, DeviceAndProcessingTypeNames)
{
    EXPECT_STREQ(zelk::GetDeviceTypeName(1), "HAL");
    EXPECT_STREQ(zelk::GetDeviceTypeName(2), "REF");
    EXPECT_EQ(zelk::GetDeviceTypeName(3), nullptr);
    EXPECT_STREQ(zelk::GetProcessingTypeName(0x20), "SoftwareTnL");
    EXPECT_STREQ(zelk::GetProcessingTypeName(0x40), "HardwareTnL");
    EXPECT_STREQ(zelk::GetProcessingTypeName(0x80), "MixedTnL");
    EXPECT_STREQ(zelk::GetProcessingTypeName(0x50), "PureDeviceHwTnL");
    EXPECT_EQ(zelk::GetProcessingTypeName(0x10), nullptr);
}

TEST(ConfiguratorTables, ConvertibleFormats)
{
    struct Case {
        DWORD source;
        DWORD target;
        bool convertible;
    };
    const Case cases[] = {
        {27, 27, true},           // R3G3B2 into itself
        {27, 23, true},           // into R5G6B5
        {27, 41, false},          // never into P8 ...
        {27, 40, false},          // ... or A8P8
        {41, 41, true},           // P8 keeps its palette
        {41, 40, true},
        {40, 41, true},
        {31, 41, true},           // A2B10G10R10 to P8 lies in the palettized range
        {42, 41, false},          // just past it
        {30, 40, false},          // just before it
        {23, 81, true},           // L16 passes
        {23, 0x31545844, true},   // DXT1 passes
        {23, 0, false},           // UNKNOWN
        {23, 60, false},          // V8U8 and the other signed formats
        {23, 67, false},
        {23, 75, false},          // depth formats
        {23, 82, false},
        {23, 101, false},         // index buffers
        {23, 110, false},         // Q16W16V16U16
        {23, 117, false},         // CxV8U8
        {23, 0x32595559, false},  // YUY2
        {23, 0x59565955, false},  // UYVY
        {23, 0x3154454D, false},  // MULTI2_ARGB8
        {0, 23, false},           // an excluded source refuses every target
        {75, 23, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(zelk::IsConvertibleFormat(c.source, c.target), c.convertible) << c.source << " -> " << c.target;
    }
}

TEST(ConfiguratorTables, AdapterDescriptionIsCutAtACharacterBoundary)
{
    const std::string forty = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcd";
    EXPECT_EQ(zelk::CutAdapterDescription(forty.c_str(), 1252), forty.substr(0, 31));
    EXPECT_EQ(zelk::CutAdapterDescription("Short", 1252), "Short");

    // Shift-JIS: 29 single bytes then double-byte characters; the one that
    // starts at byte 30 would be split by a 31-byte cut.
    std::string sjis(29, 'x');
    sjis += "\x83\x4f\x83\x89\x83\x74";  // three two-byte characters
    EXPECT_EQ(zelk::CutAdapterDescription(sjis.c_str(), 932), sjis.substr(0, 29 + 2));
    std::string sjisOdd(30, 'x');
    sjisOdd += "\x83\x4f\x83\x89";
    EXPECT_EQ(zelk::CutAdapterDescription(sjisOdd.c_str(), 932), sjisOdd.substr(0, 30));

    // UTF-8: a three-byte character across the cut is left out whole.
    std::string utf8(29, 'x');
    utf8 += "\xe3\x82\xb0\xe3\x83\xa9";
    EXPECT_EQ(zelk::CutAdapterDescription(utf8.c_str(), CP_UTF8), utf8.substr(0, 29));
}

TEST(ConfiguratorTables, FormatPairLabelRightAlignsEachName)
{
    EXPECT_EQ(zelk::FormatPairLabel(22, 22), "  X8R8G8B8   X8R8G8B8");
    EXPECT_EQ(zelk::FormatPairLabel(22, 23), "  X8R8G8B8     R5G6B5");
    EXPECT_EQ(zelk::FormatPairLabel(35, 35), "A2R10G10B10 A2R10G10B10");
}

}  // namespace
