#pragma once

// The settings tree that the configurator writes and the wrapper library
// reads: the key under HKEY_CURRENT_USER, its subkeys, every value name and
// the default the library uses when a value is missing.  Every value is a
// DWORD.  Shared by both programs; depends on nothing else.
#include <cstdint>

namespace zelk {
namespace settingskeys {

// Root key under HKEY_CURRENT_USER and the tree's layout version.
constexpr const char* kRootKey = "Software\\zelkGlide";
constexpr const char* kVersion = "version";
constexpr std::uint32_t kVersionValue = 165;

// Subkeys.
constexpr const char* kDirect3DDeviceSetting = "direct3d device setting";
constexpr const char* kPrimitiveRendering = "primitive rendering";
constexpr const char* kTextureSetting = "texture setting";
constexpr const char* kCardStyle = "card style";
constexpr const char* kLfbAccessing = "lfb accessing";
constexpr const char* kMisc = "misc";

// "direct3d device setting"
constexpr const char* kAdapterOrdinal = "adapter ordinal";
constexpr const char* kDeviceType = "device type";
constexpr const char* kProcessingType = "processing type";
constexpr const char* kUseWindowMode = "use window mode";
constexpr const char* kDisplayFormat = "display format";
constexpr const char* kDepthBufferFormat = "depth buffer format";
constexpr std::uint32_t kDefaultAdapterOrdinal = 0;
// The adapter ordinal that stands for "no adapter".
constexpr std::uint32_t kNoAdapter = 255;

// "primitive rendering"
constexpr const char* kVertexConvertFunctionType = "vertex convert function type";
constexpr const char* kTexelBlendingFunctionType = "texel blending function type";
constexpr const char* kVertexShaderVersion = "vertex shader version";
constexpr const char* kUseBackgroundThread = "use background thread";
constexpr const char* kUseTriangleStrip = "use triangle strip";
constexpr const char* kAssumeOFogIsValid = "assume oFog is valid";
constexpr const char* kMaximumSizeOfRenderingQueue = "maximum size of rendering queue";
constexpr const char* kBackgroundThreadPriorityLevel = "background thread priority level";
// Vertex convert types: software transform, vertex shader 1.1, 2.x.
constexpr std::uint32_t kVertexConvertSoftware = 0;
constexpr std::uint32_t kVertexConvertVS11 = 1;
constexpr std::uint32_t kVertexConvertVS2x = 2;
// Texel blending types: fixed-function stages, ps_1_3 pixel shaders.
constexpr std::uint32_t kTexelBlendingFixed = 0;
constexpr std::uint32_t kTexelBlendingPS13 = 0x10000;
constexpr std::uint32_t kDefaultVertexConvertType = kVertexConvertVS11;
constexpr std::uint32_t kDefaultTexelBlendingType = kTexelBlendingPS13;
// 0: the device's best vertex-shader profile.
constexpr std::uint32_t kDefaultVertexShaderVersion = 0;
constexpr std::uint8_t kDefaultUseBackgroundThread = 0;
constexpr std::uint8_t kDefaultUseTriangleStrip = 0;
constexpr std::uint8_t kDefaultAssumeOFogIsValid = 1;
constexpr std::uint32_t kDefaultMaximumSizeOfRenderingQueue = 16;
constexpr std::uint32_t kDefaultBackgroundThreadPriorityLevel = 0;

// "texture setting"
constexpr const char* kForceAnisotropicFiltering = "force anisotropic filtering";
constexpr const char* kCreateMipmap = "create mipmap";
constexpr std::uint8_t kDefaultForceAnisotropicFiltering = 0;
constexpr std::uint8_t kDefaultCreateMipmap = 1;
// Per Glide texture format code 0 to 15: the value that names the Direct3D
// format used for it (null: not configurable) and its default Direct3D
// format number (0: none).
constexpr unsigned kGlideTextureFormatCount = 16;
struct TextureFormatValue {
    const char* valueName;
    std::uint32_t defaultFormat;
};
constexpr TextureFormatValue kTextureFormatValues[kGlideTextureFormatCount] = {
    {"R3G3B2", 27},    // 0  RGB 332
    {"Y4I2Q2", 0},     // 1  YIQ 422
    {"A8", 28},        // 2  alpha 8
    {"L8", 50},        // 3  intensity 8
    {"A4L4", 52},      // 4  alpha-intensity 44
    {"P8", 41},        // 5  palette 8
    {nullptr, 0},      // 6  reserved
    {nullptr, 0},      // 7  reserved
    {"A8R3G3B2", 29},  // 8  alpha 8 with RGB 332
    {"A8Y4I2Q2", 0},   // 9  alpha 8 with YIQ 422
    {"R5G6B5", 23},    // 10 RGB 565
    {"A1R5G5B5", 25},  // 11 ARGB 1555
    {"A4R4G4B4", 26},  // 12 ARGB 4444
    {"A8L8", 51},      // 13 alpha-intensity 88
    {"A8P8", 40},      // 14 alpha-palette 88
    {nullptr, 0},      // 15 reserved
};

// "card style"
constexpr const char* kFbiMemorySize = "fbi memory size";
constexpr const char* kNumberOfTmu = "number of tmu";
constexpr const char* kTmuMemorySize = "tmu memory size";
constexpr const char* kEnableSli = "enable sli";
constexpr std::uint32_t kDefaultFbiMemorySize = 4;
constexpr std::uint32_t kDefaultNumberOfTmu = 2;
constexpr std::uint32_t kMaximumNumberOfTmu = 2;
constexpr std::uint32_t kDefaultTmuMemorySize = 4;
constexpr std::uint8_t kDefaultEnableSli = 0;

// "lfb accessing"
constexpr const char* kEnableLfbAccessing = "enable lfb accessing";
constexpr const char* kEnableFrontBufferReading = "enable front buffer reading";
constexpr const char* kEnableBackBufferReading = "enable back buffer reading";
constexpr const char* kEnableDepthBufferReading = "enable depth buffer reading";
constexpr const char* kEnableFrontBufferWriting = "enable front buffer writing";
constexpr const char* kEnableBackBufferWriting = "enable back buffer writing";
constexpr const char* kEnableDepthBufferWriting = "enable depth buffer writing";
constexpr std::uint8_t kDefaultEnableLfbAccessing = 1;
constexpr std::uint8_t kDefaultEnableFrontBufferReading = 0;
constexpr std::uint8_t kDefaultEnableBackBufferReading = 0;
constexpr std::uint8_t kDefaultEnableDepthBufferReading = 0;
constexpr std::uint8_t kDefaultEnableFrontBufferWriting = 0;
constexpr std::uint8_t kDefaultEnableBackBufferWriting = 1;
constexpr std::uint8_t kDefaultEnableDepthBufferWriting = 0;

// "misc"
constexpr const char* kAdjustOwnerWindow = "adjust owner window";
constexpr const char* kEnableUltrahleFix = "enable ultrahle fix";
constexpr const char* kDisplayRenderingStatistics = "display rendering statistics";
constexpr std::uint8_t kDefaultAdjustOwnerWindow = 0;
constexpr std::uint8_t kDefaultEnableUltrahleFix = 0;
constexpr std::uint8_t kDefaultDisplayRenderingStatistics = 0;

}  // namespace settingskeys
}  // namespace zelk
