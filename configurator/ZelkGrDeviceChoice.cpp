#include "configurator/ZelkGrDeviceChoice.h"

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

}  // namespace zelk
