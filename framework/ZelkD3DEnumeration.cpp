#include "framework/ZelkD3DEnumeration.h"

#include <set>

#include "framework/ZelkD3DFormats.h"

namespace zelk {

const ZelkD3DBehaviorName kBehaviorNames[4] = {
    {kBehaviorSoftwareTnL, "SoftwareTnL"},
    {kBehaviorHardwareTnL, "HardwareTnL"},
    {kBehaviorMixedTnL, "MixedTnL"},
    {kBehaviorPureDeviceHwTnL, "PureDeviceHwTnL"},
};

const ZelkD3DDeviceTypeName kDeviceTypeNames[2] = {
    {D3DDEVTYPE_HAL, "HAL"},
    {D3DDEVTYPE_REF, "REF"},
};

namespace {

// The device type of a record that has not been built.
constexpr D3DDEVTYPE kNoDeviceType = D3DDEVTYPE_FORCE_DWORD;

bool Succeeded(HRESULT result)
{
    return result >= 0;
}

// Appends a candidate to a list when a check of it succeeds.
void AppendWhen(HRESULT check, D3DFORMAT candidate, std::vector<D3DFORMAT>& list)
{
    if (Succeeded(check)) {
        list.push_back(candidate);
    }
}

INT FirstIndexOf(bool listHasEntries)
{
    return listHasEntries ? 0 : -1;
}

// The first windowed record whose back buffer the frame-buffer access
// converts, so that it works with no format chosen: Wine accepts a packed
// 24-bit back buffer, the first candidate, which Windows drivers refuse.
// The first record when none is converted (0 also for an empty list).
INT DefaultWindowedFormatIndex(const std::vector<ZelkD3DFormatInfo>& windowedFormats)
{
    for (size_t index = 0; index < windowedFormats.size(); ++index) {
        if (HasFrameBufferConversion(windowedFormats[index].backBufferFormat)) {
            return static_cast<INT>(index);
        }
    }
    return 0;
}

}  // namespace

bool DisplayModeLess(const D3DDISPLAYMODE& first, const D3DDISPLAYMODE& second)
{
    const INT firstFormat = static_cast<INT>(first.Format);
    const INT secondFormat = static_cast<INT>(second.Format);
    if (firstFormat != secondFormat) {
        return firstFormat < secondFormat;
    }
    if (first.Width != second.Width) {
        return first.Width < second.Width;
    }
    if (first.Height != second.Height) {
        return first.Height < second.Height;
    }
    return first.RefreshRate < second.RefreshRate;
}

// ---------------------------------------------------------------------------

ZelkD3DFormatInfo::ZelkD3DFormatInfo()
{
    Reset();
}

ZelkD3DFormatInfo::~ZelkD3DFormatInfo() = default;

void ZelkD3DFormatInfo::Reset()
{
    adapterFormat = D3DFMT_UNKNOWN;
    backBufferFormat = D3DFMT_UNKNOWN;
    defaultDisplayModeIndex = -1;
    defaultDepthStencilFormatIndex = -1;
    defaultTextureFormatIndex = -1;
    defaultBumpMapFormatIndex = -1;
    defaultRenderTargetTextureFormatIndex = -1;
    defaultDepthTextureFormatIndex = -1;
    selectedDisplayModeIndex = -1;
    selectedDepthStencilFormatIndex = -1;
    selectedTextureFormatIndex = -1;
    selectedBumpMapFormatIndex = -1;
    selectedRenderTargetTextureFormatIndex = -1;
    selectedDepthTextureFormatIndex = -1;
    displayModes.clear();
    depthStencilFormats.clear();
    textureFormats.clear();
    bumpMapFormats.clear();
    renderTargetTextureFormats.clear();
    depthTextureFormats.clear();
}

bool ZelkD3DFormatInfo::Enumerate(IDirect3D9* d3d, UINT adapterOrdinal, D3DDEVTYPE deviceType,
                                  D3DFORMAT adapterFormat, D3DFORMAT backBufferFormat)
{
    Reset();

    // Modes that differ only in refresh rate become one.
    std::set<D3DDISPLAYMODE, bool (*)(const D3DDISPLAYMODE&, const D3DDISPLAYMODE&)> modes(&DisplayModeLess);
    for (UINT number = 0; number < d3d->GetAdapterModeCount(adapterOrdinal, adapterFormat); ++number) {
        D3DDISPLAYMODE mode = {};
        if (Succeeded(d3d->EnumAdapterModes(adapterOrdinal, adapterFormat, number, &mode))) {
            mode.RefreshRate = 0;
            modes.insert(mode);
        }
    }
    displayModes.assign(modes.begin(), modes.end());
    if (displayModes.empty()) {
        return false;
    }
    defaultDisplayModeIndex = 0;

    for (const ZelkD3DCandidateFormat& candidate : kCandidateFormats) {
        const D3DFORMAT format = candidate.format;
        if (Succeeded(d3d->CheckDeviceFormat(adapterOrdinal, deviceType, adapterFormat, D3DUSAGE_DEPTHSTENCIL,
                                             D3DRTYPE_SURFACE, format)) &&
            Succeeded(d3d->CheckDepthStencilMatch(adapterOrdinal, deviceType, adapterFormat, backBufferFormat,
                                                  format))) {
            depthStencilFormats.push_back(format);
        }
        if (Succeeded(d3d->CheckDeviceFormat(adapterOrdinal, deviceType, adapterFormat, 0, D3DRTYPE_TEXTURE,
                                             format))) {
            textureFormats.push_back(format);
            if (IsBumpMapFormat(format)) {
                bumpMapFormats.push_back(format);
            }
        }
        AppendWhen(d3d->CheckDeviceFormat(adapterOrdinal, deviceType, adapterFormat, D3DUSAGE_RENDERTARGET,
                                          D3DRTYPE_TEXTURE, format),
                   format, renderTargetTextureFormats);
        AppendWhen(d3d->CheckDeviceFormat(adapterOrdinal, deviceType, adapterFormat, D3DUSAGE_DEPTHSTENCIL,
                                          D3DRTYPE_TEXTURE, format),
                   format, depthTextureFormats);
    }

    defaultDepthStencilFormatIndex = FirstIndexOf(!depthStencilFormats.empty());
    defaultTextureFormatIndex = FirstIndexOf(!textureFormats.empty());
    defaultBumpMapFormatIndex = FirstIndexOf(!bumpMapFormats.empty());
    defaultRenderTargetTextureFormatIndex = FirstIndexOf(!renderTargetTextureFormats.empty());
    defaultDepthTextureFormatIndex = FirstIndexOf(!depthTextureFormats.empty());

    this->adapterFormat = adapterFormat;
    this->backBufferFormat = backBufferFormat;
    RestoreDefault();
    return true;
}

void ZelkD3DFormatInfo::RestoreDefault()
{
    selectedDisplayModeIndex = defaultDisplayModeIndex;
    selectedDepthStencilFormatIndex = defaultDepthStencilFormatIndex;
    selectedTextureFormatIndex = defaultTextureFormatIndex;
    selectedBumpMapFormatIndex = defaultBumpMapFormatIndex;
    selectedRenderTargetTextureFormatIndex = defaultRenderTargetTextureFormatIndex;
    selectedDepthTextureFormatIndex = defaultDepthTextureFormatIndex;
}

// ---------------------------------------------------------------------------

ZelkD3DDeviceInfo::ZelkD3DDeviceInfo()
{
    Reset();
}

ZelkD3DDeviceInfo::~ZelkD3DDeviceInfo() = default;

void ZelkD3DDeviceInfo::Reset()
{
    deviceType = kNoDeviceType;
    caps = {};
    defaultBehaviorIndex = -1;
    defaultFullScreenFormatIndex = -1;
    defaultWindowedFormatIndex = -1;
    defaultWindowed = false;
    selectedBehaviorIndex = -1;
    selectedFullScreenFormatIndex = -1;
    selectedWindowedFormatIndex = -1;
    selectedWindowed = false;
    behaviorFlags.clear();
    fullScreenFormats.clear();
    windowedFormats.clear();
}

bool ZelkD3DDeviceInfo::Enumerate(IDirect3D9* d3d, UINT adapterOrdinal, D3DDEVTYPE deviceType)
{
    Reset();
    d3d->GetDeviceCaps(adapterOrdinal, deviceType, &caps);

    ZelkD3DFormatInfo format;
    for (const D3DFORMAT displayFormat : kFullScreenDisplayFormats) {
        for (const ZelkD3DCandidateFormat& candidate : kCandidateFormats) {
            if (Succeeded(d3d->CheckDeviceType(adapterOrdinal, deviceType, displayFormat, candidate.format, FALSE)) &&
                format.Enumerate(d3d, adapterOrdinal, deviceType, displayFormat, candidate.format)) {
                fullScreenFormats.push_back(format);
            }
        }
    }

    D3DDISPLAYMODE current = {};
    d3d->GetAdapterDisplayMode(adapterOrdinal, &current);
    // The first candidate, UNKNOWN, is no windowed back-buffer format.
    for (size_t number = 1; number < kCandidateFormatCount; ++number) {
        const D3DFORMAT candidate = kCandidateFormats[number].format;
        if (Succeeded(d3d->CheckDeviceType(adapterOrdinal, deviceType, current.Format, candidate, TRUE)) &&
            format.Enumerate(d3d, adapterOrdinal, deviceType, current.Format, candidate)) {
            windowedFormats.push_back(format);
        }
    }

    if (fullScreenFormats.empty() && windowedFormats.empty()) {
        return false;
    }

    behaviorFlags.push_back(kBehaviorSoftwareTnL);
    if (caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) {
        behaviorFlags.push_back(kBehaviorHardwareTnL);
        behaviorFlags.push_back(kBehaviorMixedTnL);
    }
    if (caps.DevCaps & D3DDEVCAPS_PUREDEVICE) {
        behaviorFlags.push_back(kBehaviorPureDeviceHwTnL);
    }

    defaultBehaviorIndex = 0;
    defaultFullScreenFormatIndex = 0;
    defaultWindowedFormatIndex = DefaultWindowedFormatIndex(windowedFormats);
    selectedBehaviorIndex = 0;
    selectedFullScreenFormatIndex = 0;
    selectedWindowedFormatIndex = defaultWindowedFormatIndex;
    defaultWindowed = !windowedFormats.empty();
    selectedWindowed = defaultWindowed;

    this->deviceType = deviceType;
    return true;
}

void ZelkD3DDeviceInfo::RestoreDefault()
{
    selectedBehaviorIndex = defaultBehaviorIndex;
    selectedWindowed = defaultWindowed;
    selectedFullScreenFormatIndex = defaultFullScreenFormatIndex;
    selectedWindowedFormatIndex = defaultWindowedFormatIndex;
    for (ZelkD3DFormatInfo& format : fullScreenFormats) {
        format.RestoreDefault();
    }
    for (ZelkD3DFormatInfo& format : windowedFormats) {
        format.RestoreDefault();
    }
}

// ---------------------------------------------------------------------------

ZelkD3DAdapterInfo::ZelkD3DAdapterInfo()
{
    Reset();
}

ZelkD3DAdapterInfo::~ZelkD3DAdapterInfo() = default;

void ZelkD3DAdapterInfo::Reset()
{
    adapterOrdinal = 0;
    identifier = {};
    defaultDeviceIndex = -1;
    selectedDeviceIndex = -1;
    devices.clear();
}

bool ZelkD3DAdapterInfo::Enumerate(IDirect3D9* d3d, UINT adapterOrdinal)
{
    Reset();

    ZelkD3DDeviceInfo device;
    for (const ZelkD3DDeviceTypeName& type : kDeviceTypeNames) {
        if (device.Enumerate(d3d, adapterOrdinal, type.deviceType)) {
            devices.push_back(device);
        }
    }
    if (devices.empty()) {
        return false;
    }

    d3d->GetAdapterIdentifier(adapterOrdinal, 0, &identifier);
    this->adapterOrdinal = adapterOrdinal;
    defaultDeviceIndex = 0;
    selectedDeviceIndex = 0;
    return true;
}

void ZelkD3DAdapterInfo::RestoreDefault()
{
    selectedDeviceIndex = defaultDeviceIndex;
    for (ZelkD3DDeviceInfo& device : devices) {
        device.RestoreDefault();
    }
}

}  // namespace zelk
