#include "glide/ZelkGlideSettings.h"

#include <windows.h>

#include "framework/ZelkD3D.h"
#include "framework/ZelkD3DDeviceChoice.h"
#include "framework/ZelkRegKey.h"

namespace zelk {

namespace keys = settingskeys;

ZelkGrRendererSettings DefaultRendererSettings()
{
    ZelkGrRendererSettings settings{};
    settings.rendererTmuCount = 2;
    settings.vertexShaderVersion = keys::kDefaultVertexShaderVersion;
    settings.useBackgroundThread = keys::kDefaultUseBackgroundThread;
    settings.useTriangleStrip = keys::kDefaultUseTriangleStrip;
    settings.assumeOFogValid = keys::kDefaultAssumeOFogIsValid;
    settings.displayStatistics = keys::kDefaultDisplayRenderingStatistics;
    settings.maxQueueSize = keys::kDefaultMaximumSizeOfRenderingQueue;
    settings.threadPriority = keys::kDefaultBackgroundThreadPriorityLevel;
    return settings;
}

ZelkGrTextureSettings DefaultTextureSettings()
{
    ZelkGrTextureSettings settings{};
    settings.createMipmap = keys::kDefaultCreateMipmap;
    for (unsigned i = 0; i < keys::kGlideTextureFormatCount; ++i) {
        settings.format[i] = keys::kTextureFormatValues[i].defaultFormat;
    }
    return settings;
}

ZelkGrLfbSettings DefaultLfbSettings()
{
    ZelkGrLfbSettings settings{};
    settings.readFront = keys::kDefaultEnableFrontBufferReading;
    settings.readBack = keys::kDefaultEnableBackBufferReading;
    settings.readDepth = keys::kDefaultEnableDepthBufferReading;
    settings.writeFront = keys::kDefaultEnableFrontBufferWriting;
    settings.writeBack = keys::kDefaultEnableBackBufferWriting;
    settings.writeDepth = keys::kDefaultEnableDepthBufferWriting;
    return settings;
}

namespace {

// A number into a settings field; one that cannot be read keeps the field.
void ReadNumber(const ZelkRegKey& key, const char* name, std::uint32_t& target)
{
    DWORD value = 0;
    if (key.ReadDword(name, value)) {
        target = value;
    }
}

// A switch into a settings field as 0 or 1; false (and the field unchanged)
// when it cannot be read.
bool ReadSwitch(const ZelkRegKey& key, const char* name, std::uint8_t& target)
{
    bool value = false;
    if (!key.ReadFlag(name, value)) {
        return false;
    }
    target = value ? 1 : 0;
    return true;
}

void ReadDirect3DSettings(const ZelkRegKey& key, ZelkGlideSettings& settings)
{
    ReadStoredDeviceChoice(ZelkD3D::GetD3D(), settings.adapterOrdinal,
                           [&key](const char* name, DWORD& value) { return key.ReadDword(name, value); });
}

void ReadPrimitiveRendering(const ZelkRegKey& key, ZelkGlideSettings& settings)
{
    ZelkGrRendererSettings& renderer = settings.renderer;
    ReadNumber(key, keys::kVertexConvertFunctionType, settings.vertexConvertType);
    ReadNumber(key, keys::kTexelBlendingFunctionType, settings.texelBlendingType);
    ReadNumber(key, keys::kVertexShaderVersion, renderer.vertexShaderVersion);
    ReadSwitch(key, keys::kUseBackgroundThread, renderer.useBackgroundThread);
    ReadSwitch(key, keys::kUseTriangleStrip, renderer.useTriangleStrip);
    ReadSwitch(key, keys::kAssumeOFogIsValid, renderer.assumeOFogValid);
    ReadNumber(key, keys::kMaximumSizeOfRenderingQueue, renderer.maxQueueSize);
    ReadNumber(key, keys::kBackgroundThreadPriorityLevel, renderer.threadPriority);
}

void ReadTextureSetting(const ZelkRegKey& key, ZelkGlideSettings& settings)
{
    if (ReadSwitch(key, keys::kForceAnisotropicFiltering, settings.forceAnisotropicMin)) {
        settings.forceAnisotropicMag = settings.forceAnisotropicMin;
    }
    ReadSwitch(key, keys::kCreateMipmap, settings.texture.createMipmap);
    for (unsigned i = 0; i < keys::kGlideTextureFormatCount; ++i) {
        DWORD value = 0;
        if (keys::kTextureFormatValues[i].valueName && key.ReadDword(keys::kTextureFormatValues[i].valueName, value)) {
            settings.texture.format[i] = value;
            settings.texture.storedFormats |= 1u << i;
        }
    }
}

void ReadCardStyle(const ZelkRegKey& key, ZelkGlideSettings& settings)
{
    ReadNumber(key, keys::kFbiMemorySize, settings.fbiMemorySize);
    ReadNumber(key, keys::kNumberOfTmu, settings.tmuCount);
    ReadNumber(key, keys::kTmuMemorySize, settings.tmuMemorySize);
    ReadSwitch(key, keys::kEnableSli, settings.enableSli);
}

void ReadLfbAccessing(const ZelkRegKey& key, ZelkGlideSettings& settings)
{
    ZelkGrLfbSettings& lfb = settings.lfb;
    ReadSwitch(key, keys::kEnableLfbAccessing, settings.enableLfbAccessing);
    ReadSwitch(key, keys::kEnableFrontBufferReading, lfb.readFront);
    ReadSwitch(key, keys::kEnableBackBufferReading, lfb.readBack);
    ReadSwitch(key, keys::kEnableDepthBufferReading, lfb.readDepth);
    ReadSwitch(key, keys::kEnableFrontBufferWriting, lfb.writeFront);
    ReadSwitch(key, keys::kEnableBackBufferWriting, lfb.writeBack);
    ReadSwitch(key, keys::kEnableDepthBufferWriting, lfb.writeDepth);
}

void ReadMisc(const ZelkRegKey& key, ZelkGlideSettings& settings)
{
    ReadSwitch(key, keys::kAdjustOwnerWindow, settings.adjustOwnerWindow);
    ReadSwitch(key, keys::kEnableUltrahleFix, settings.hideChildWindows);
    ReadSwitch(key, keys::kDisplayRenderingStatistics, settings.renderer.displayStatistics);
}

}  // namespace

ZelkGlideSettings ReadGlideSettings()
{
    ZelkGlideSettings settings;
    {
        ZelkRegKey root;
        if (root.Open(HKEY_CURRENT_USER, keys::kRootKey, KEY_READ) == ERROR_SUCCESS) {
            using Reader = void (*)(const ZelkRegKey&, ZelkGlideSettings&);
            struct Subkey {
                const char* name;
                Reader read;
            };
            static const Subkey kSubkeys[] = {
                {keys::kDirect3DDeviceSetting, &ReadDirect3DSettings},
                {keys::kPrimitiveRendering, &ReadPrimitiveRendering},
                {keys::kTextureSetting, &ReadTextureSetting},
                {keys::kCardStyle, &ReadCardStyle},
                {keys::kLfbAccessing, &ReadLfbAccessing},
                {keys::kMisc, &ReadMisc},
            };
            for (const Subkey& subkey : kSubkeys) {
                ZelkRegKey key;
                if (key.Open(root.Handle(), subkey.name, KEY_READ) == ERROR_SUCCESS) {
                    subkey.read(key, settings);
                }
            }
        }
    }
    if (settings.tmuCount > keys::kMaximumNumberOfTmu) {
        settings.tmuCount = keys::kMaximumNumberOfTmu;
    }
    return settings;
}

}  // namespace zelk
