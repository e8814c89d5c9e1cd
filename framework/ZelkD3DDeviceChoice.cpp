#include "framework/ZelkD3DDeviceChoice.h"

#include "framework/ZelkGlideSettingsKeys.h"

namespace zelk {

ZelkD3DAdapterInfo* SelectedAdapter(ZelkD3D* enumeration, std::uint32_t ordinal)
{
    if (!enumeration || ordinal >= enumeration->GetAdapterCount()) {
        return nullptr;
    }
    return enumeration->GetAdapterInfo(ordinal);
}

ZelkD3DDeviceInfo* SelectedDevice(ZelkD3DAdapterInfo* adapter)
{
    if (!adapter || !InRange(adapter->selectedDeviceIndex, adapter->devices.size())) {
        return nullptr;
    }
    return &adapter->devices[static_cast<std::size_t>(adapter->selectedDeviceIndex)];
}

ZelkD3DDeviceInfo* SelectedDevice(ZelkD3D* enumeration, std::uint32_t ordinal)
{
    return SelectedDevice(SelectedAdapter(enumeration, ordinal));
}

std::vector<ZelkD3DFormatInfo>& ActiveFormatList(ZelkD3DDeviceInfo& device)
{
    return device.selectedWindowed ? device.windowedFormats : device.fullScreenFormats;
}

INT& ActiveFormatSelection(ZelkD3DDeviceInfo& device)
{
    return device.selectedWindowed ? device.selectedWindowedFormatIndex : device.selectedFullScreenFormatIndex;
}

ZelkD3DFormatInfo* ActiveFormatRecord(ZelkD3DDeviceInfo* device)
{
    if (!device) {
        return nullptr;
    }
    std::vector<ZelkD3DFormatInfo>& list = ActiveFormatList(*device);
    const INT selected = ActiveFormatSelection(*device);
    if (!InRange(selected, list.size())) {
        return nullptr;
    }
    return &list[static_cast<std::size_t>(selected)];
}

void ReadStoredDeviceChoice(ZelkD3D* enumeration, std::uint32_t& adapterOrdinal, const ZelkStoredValueRead& read)
{
    namespace keys = settingskeys;
    DWORD value = 0;
    if (read(keys::kAdapterOrdinal, value)) {
        adapterOrdinal = value;
    }
    ZelkD3DAdapterInfo* adapter = SelectedAdapter(enumeration, adapterOrdinal);
    if (!adapter) {
        adapterOrdinal = keys::kNoAdapter;
        return;
    }
    if (read(keys::kDeviceType, value)) {
        if (!InRange(value, adapter->devices.size())) {
            adapter->selectedDeviceIndex = adapter->defaultDeviceIndex;
            return;
        }
        adapter->selectedDeviceIndex = static_cast<INT>(value);
    }
    ZelkD3DDeviceInfo* device = SelectedDevice(adapter);
    if (!device) {
        return;
    }
    if (read(keys::kProcessingType, value)) {
        if (!InRange(value, device->behaviorFlags.size()) || device->behaviorFlags[value] == kBehaviorPureDeviceHwTnL) {
            device->selectedBehaviorIndex = device->defaultBehaviorIndex;
        } else {
            device->selectedBehaviorIndex = static_cast<INT>(value);
        }
    }
    if (read(keys::kUseWindowMode, value)) {
        device->selectedWindowed = value != 0;
    }
    if (read(keys::kDisplayFormat, value)) {
        INT& selection = ActiveFormatSelection(*device);
        if (!InRange(value, ActiveFormatList(*device).size())) {
            selection = device->selectedWindowed ? device->defaultWindowedFormatIndex
                                                 : device->defaultFullScreenFormatIndex;
            return;
        }
        selection = static_cast<INT>(value);
    }
    ZelkD3DFormatInfo* format = ActiveFormatRecord(device);
    if (!format) {
        return;
    }
    if (read(keys::kDepthBufferFormat, value)) {
        format->selectedDepthStencilFormatIndex = InRange(value, format->depthStencilFormats.size())
                                                      ? static_cast<INT>(value)
                                                      : format->defaultDepthStencilFormatIndex;
    }
}

}  // namespace zelk
