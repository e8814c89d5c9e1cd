#include "glide/ZelkGlideSettings.h"

#include <windows.h>

#include "framework/ZelkD3D.h"
#include "framework/ZelkD3DDeviceChoice.h"

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

// A registry key opened for reading, closed when the holder goes.
class ZelkRegistryReadKey {
public:
    ZelkRegistryReadKey(HKEY parent, const char* name)
    {
        if (!parent || RegOpenKeyExA(parent, name, 0, KEY_READ, &key_) != ERROR_SUCCESS) {
            key_ = nullptr;
        }
    }
    ~ZelkRegistryReadKey()
    {
        if (key_) {
            RegCloseKey(key_);
        }
    }
    ZelkRegistryReadKey(const ZelkRegistryReadKey&) = delete;
    ZelkRegistryReadKey& operator=(const ZelkRegistryReadKey&) = delete;

    explicit operator bool() const { return key_ != nullptr; }
    HKEY Get() const { return key_; }

    // Reads a value into a four-byte buffer whatever its registry type;
    // false (and the target unchanged) when it cannot be read.
    bool Read(const char* name, std::uint32_t& target) const
    {
        if (!key_) {
            return false;
        }
        DWORD value = 0;
        DWORD size = sizeof(value);
        if (RegQueryValueExA(key_, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS) {
            return false;
        }
        target = value;
        return true;
    }

    bool ReadFlag(const char* name, std::uint8_t& target) const
    {
        std::uint32_t value = 0;
        if (!Read(name, value)) {
            return false;
        }
        target = value != 0 ? 1 : 0;
        return true;
    }

private:
    HKEY key_ = nullptr;
};

void ReadDirect3DSettings(const ZelkRegistryReadKey& key, ZelkGlideSettings& settings)
{
    ReadStoredDeviceChoice(ZelkD3D::GetD3D(), settings.adapterOrdinal, [&key](const char* name, DWORD& value) {
        std::uint32_t stored = 0;
        if (!key.Read(name, stored)) {
            return false;
        }
        value = stored;
        return true;
    });
}

void ReadPrimitiveRendering(const ZelkRegistryReadKey& key, ZelkGlideSettings& settings)
{
    ZelkGrRendererSettings& renderer = settings.renderer;
    key.Read(keys::kVertexConvertFunctionType, settings.vertexConvertType);
    key.Read(keys::kTexelBlendingFunctionType, settings.texelBlendingType);
    key.Read(keys::kVertexShaderVersion, renderer.vertexShaderVersion);
    key.ReadFlag(keys::kUseBackgroundThread, renderer.useBackgroundThread);
    key.ReadFlag(keys::kUseTriangleStrip, renderer.useTriangleStrip);
    key.ReadFlag(keys::kAssumeOFogIsValid, renderer.assumeOFogValid);
    key.Read(keys::kMaximumSizeOfRenderingQueue, renderer.maxQueueSize);
    key.Read(keys::kBackgroundThreadPriorityLevel, renderer.threadPriority);
}

void ReadTextureSetting(const ZelkRegistryReadKey& key, ZelkGlideSettings& settings)
{
    if (key.ReadFlag(keys::kForceAnisotropicFiltering, settings.forceAnisotropicMin)) {
        settings.forceAnisotropicMag = settings.forceAnisotropicMin;
    }
    key.ReadFlag(keys::kCreateMipmap, settings.texture.createMipmap);
    for (unsigned i = 0; i < keys::kGlideTextureFormatCount; ++i) {
        if (keys::kTextureFormatValues[i].valueName) {
            key.Read(keys::kTextureFormatValues[i].valueName, settings.texture.format[i]);
        }
    }
}

void ReadCardStyle(const ZelkRegistryReadKey& key, ZelkGlideSettings& settings)
{
    key.Read(keys::kFbiMemorySize, settings.fbiMemorySize);
    key.Read(keys::kNumberOfTmu, settings.tmuCount);
    key.Read(keys::kTmuMemorySize, settings.tmuMemorySize);
    key.ReadFlag(keys::kEnableSli, settings.enableSli);
}

void ReadLfbAccessing(const ZelkRegistryReadKey& key, ZelkGlideSettings& settings)
{
    ZelkGrLfbSettings& lfb = settings.lfb;
    key.ReadFlag(keys::kEnableLfbAccessing, settings.enableLfbAccessing);
    key.ReadFlag(keys::kEnableFrontBufferReading, lfb.readFront);
    key.ReadFlag(keys::kEnableBackBufferReading, lfb.readBack);
    key.ReadFlag(keys::kEnableDepthBufferReading, lfb.readDepth);
    key.ReadFlag(keys::kEnableFrontBufferWriting, lfb.writeFront);
    key.ReadFlag(keys::kEnableBackBufferWriting, lfb.writeBack);
    key.ReadFlag(keys::kEnableDepthBufferWriting, lfb.writeDepth);
}

void ReadMisc(const ZelkRegistryReadKey& key, ZelkGlideSettings& settings)
{
    key.ReadFlag(keys::kAdjustOwnerWindow, settings.adjustOwnerWindow);
    key.ReadFlag(keys::kEnableUltrahleFix, settings.hideChildWindows);
    key.ReadFlag(keys::kDisplayRenderingStatistics, settings.renderer.displayStatistics);
}

}  // namespace

ZelkGlideSettings ReadGlideSettings()
{
    ZelkGlideSettings settings;
    {
        const ZelkRegistryReadKey root(HKEY_CURRENT_USER, keys::kRootKey);
        if (root) {
            using Reader = void (*)(const ZelkRegistryReadKey&, ZelkGlideSettings&);
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
                const ZelkRegistryReadKey key(root.Get(), subkey.name);
                if (key) {
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
