#include "configurator/ZelkGrD3DDevicePage.h"

#include <cstdio>
#include <vector>

#include "configurator/ZelkConfiguratorResource.h"
#include "configurator/ZelkGrPageKeys.h"
#include "framework/ZelkD3DDeviceChoice.h"
#include "framework/ZelkD3DFormats.h"
#include "framework/ZelkGlideSettingsKeys.h"

namespace zelk {

namespace keys = settingskeys;

namespace {

const char* const kThrower = "ZelkGrD3DDevicePage::ZelkGrD3DDevicePage";
constexpr std::size_t kDescriptionBytes = 31;

const char* Label(const char* name)
{
    return name ? name : "";
}

}  // namespace

const char* GetDeviceTypeName(DWORD deviceType)
{
    for (const ZelkD3DDeviceTypeName& type : kDeviceTypeNames) {
        if (static_cast<DWORD>(type.deviceType) == deviceType) {
            return type.name;
        }
    }
    return nullptr;
}

const char* GetProcessingTypeName(DWORD behaviorFlags)
{
    for (const ZelkD3DBehaviorName& behavior : kBehaviorNames) {
        if (behavior.behaviorFlags == behaviorFlags) {
            return behavior.name;
        }
    }
    return nullptr;
}

const char* GetFormatName(DWORD format)
{
    for (const ZelkD3DCandidateFormat& candidate : kCandidateFormats) {
        if (static_cast<DWORD>(candidate.format) == format) {
            return candidate.name;
        }
    }
    return nullptr;
}

std::string CutAdapterDescription(const char* description, UINT codePage)
{
    const std::string text(description);
    if (text.size() <= kDescriptionBytes) {
        return text;
    }
    std::size_t end = 0;
    if (codePage == CP_UTF8) {
        end = kDescriptionBytes;
        // Back off over continuation bytes to the start of the cut character.
        while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
            --end;
        }
    } else {
        // Walk whole characters: a lead byte takes its trail byte along.
        std::size_t position = 0;
        while (position < kDescriptionBytes) {
            const std::size_t width = IsDBCSLeadByteEx(codePage, static_cast<BYTE>(text[position])) ? 2 : 1;
            if (position + width > kDescriptionBytes) {
                break;
            }
            position += width;
        }
        end = position;
    }
    return text.substr(0, end);
}

std::string FormatPairLabel(DWORD displayFormat, DWORD backBufferFormat)
{
    char label[64];
    std::snprintf(label, sizeof(label), "%10s %10s", Label(GetFormatName(displayFormat)),
                  Label(GetFormatName(backBufferFormat)));
    return label;
}

// ---------------------------------------------------------------------------

ZelkGrD3DDevicePage::ZelkGrD3DDevicePage(ZelkD3D* enumeration, std::uint32_t* adapterOrdinal, ZelkRegKey* root)
    : enumeration_(enumeration), adapterOrdinal_(adapterOrdinal), root_(root)
{
    *adapterOrdinal_ = enumeration_ && enumeration_->GetAdapterCount() > 0 ? 0 : keys::kNoAdapter;
    LoadPageKeys(root_, kThrower,
                 {{&key_, keys::kDirect3DDeviceSetting, [this] { SaveSettings(); }, [this] { ReadSettings(); }}});
}

ZelkGrD3DDevicePage::~ZelkGrD3DDevicePage() = default;

int ZelkGrD3DDevicePage::DialogId() const
{
    return IDD_ZELK_D3DDEVICE;
}

void ZelkGrD3DDevicePage::ReadSettings()
{
    ReadStoredDeviceChoice(enumeration_, *adapterOrdinal_,
                           [this](const char* name, DWORD& value) { return key_.ReadDword(name, value); });
}

bool ZelkGrD3DDevicePage::SaveSettings()
{
    ZelkD3DAdapterInfo* adapter = SelectedAdapter(enumeration_, *adapterOrdinal_);
    if (!key_.IsOpen() || !adapter) {
        return false;
    }
    // A position that names no record (an empty list) is written as "none",
    // which every reader takes as out of range.
    constexpr DWORD kNone = 0xFFFFFFFF;
    ZelkD3DDeviceInfo* device = SelectedDevice(adapter);
    ZelkD3DFormatInfo* format = ActiveFormatRecord(device);
    key_.WriteDword(keys::kAdapterOrdinal, *adapterOrdinal_);
    key_.WriteDword(keys::kDeviceType, static_cast<DWORD>(adapter->selectedDeviceIndex));
    key_.WriteDword(keys::kProcessingType, device ? static_cast<DWORD>(device->selectedBehaviorIndex) : kNone);
    key_.WriteDword(keys::kUseWindowMode, device && device->selectedWindowed ? 1 : 0);
    key_.WriteDword(keys::kDisplayFormat, device ? static_cast<DWORD>(ActiveFormatSelection(*device)) : kNone);
    key_.WriteDword(keys::kDepthBufferFormat,
                    format ? static_cast<DWORD>(format->selectedDepthStencilFormatIndex) : kNone);
    return true;
}

void ZelkGrD3DDevicePage::InitDialog()
{
    FillAdapterList();
}

bool ZelkGrD3DDevicePage::SetActive()
{
    return true;
}

void ZelkGrD3DDevicePage::FillAdapterList()
{
    std::vector<ZelkComboItem> items;
    if (!SelectedAdapter(enumeration_, *adapterOrdinal_)) {
        ShowCombo(IDC_ZELK_ADAPTER, items, -1, false);
    } else {
        const UINT codePage = GetACP();
        for (UINT position = 0; position < enumeration_->GetAdapterCount(); ++position) {
            const ZelkD3DAdapterInfo* adapter = enumeration_->GetAdapterInfo(position);
            items.push_back({CutAdapterDescription(adapter->identifier.Description, codePage), position});
        }
        ShowCombo(IDC_ZELK_ADAPTER, items, static_cast<int>(*adapterOrdinal_), true);
    }
    FillDeviceTypeList();
}

void ZelkGrD3DDevicePage::FillDeviceTypeList()
{
    ZelkD3DAdapterInfo* adapter = SelectedAdapter(enumeration_, *adapterOrdinal_);
    std::vector<ZelkComboItem> items;
    if (!SelectedDevice(adapter)) {
        ShowCombo(IDC_ZELK_DEVICE_TYPE, items, -1, false);
    } else {
        for (std::size_t position = 0; position < adapter->devices.size(); ++position) {
            items.push_back({Label(GetDeviceTypeName(adapter->devices[position].deviceType)),
                             static_cast<DWORD>(position)});
        }
        ShowCombo(IDC_ZELK_DEVICE_TYPE, items, adapter->selectedDeviceIndex, true);
    }
    FillDeviceControls();
}

void ZelkGrD3DDevicePage::FillDeviceControls()
{
    FillProcessingList();
    FillWindowModeBox();
    FillDisplayFormatList();
}

void ZelkGrD3DDevicePage::FillProcessingList()
{
    ZelkD3DDeviceInfo* device = SelectedDevice(enumeration_, *adapterOrdinal_);
    std::vector<ZelkComboItem> items;
    if (!device || !InRange(device->selectedBehaviorIndex, device->behaviorFlags.size())) {
        ShowCombo(IDC_ZELK_PROCESSING_TYPE, items, -1, false);
        return;
    }
    int selected = -1;
    for (std::size_t position = 0; position < device->behaviorFlags.size(); ++position) {
        const DWORD flags = device->behaviorFlags[position];
        if (flags == kBehaviorPureDeviceHwTnL) {
            continue;
        }
        if (static_cast<INT>(position) == device->selectedBehaviorIndex) {
            selected = static_cast<int>(items.size());
        }
        items.push_back({Label(GetProcessingTypeName(flags)), static_cast<DWORD>(position)});
    }
    ShowCombo(IDC_ZELK_PROCESSING_TYPE, items, selected, true);
}

void ZelkGrD3DDevicePage::FillWindowModeBox()
{
    ZelkD3DDeviceInfo* device = SelectedDevice(enumeration_, *adapterOrdinal_);
    if (device && !device->windowedFormats.empty()) {
        ShowCheck(IDC_ZELK_USE_WINDOW_MODE, device->selectedWindowed, true);
    } else {
        ShowCheck(IDC_ZELK_USE_WINDOW_MODE, false, false);
    }
}

void ZelkGrD3DDevicePage::FillDisplayFormatList()
{
    ZelkD3DDeviceInfo* device = SelectedDevice(enumeration_, *adapterOrdinal_);
    std::vector<ZelkComboItem> items;
    if (!ActiveFormatRecord(device)) {
        ShowCombo(IDC_ZELK_DISPLAY_FORMAT, items, -1, false);
    } else {
        const std::vector<ZelkD3DFormatInfo>& list = ActiveFormatList(*device);
        for (std::size_t position = 0; position < list.size(); ++position) {
            items.push_back({FormatPairLabel(list[position].adapterFormat, list[position].backBufferFormat),
                             static_cast<DWORD>(position)});
        }
        ShowCombo(IDC_ZELK_DISPLAY_FORMAT, items, ActiveFormatSelection(*device), true);
    }
    FillDepthList();
}

void ZelkGrD3DDevicePage::FillDepthList()
{
    ZelkD3DFormatInfo* format = ActiveFormatRecord(SelectedDevice(enumeration_, *adapterOrdinal_));
    std::vector<ZelkComboItem> items;
    if (!format || !InRange(format->selectedDepthStencilFormatIndex, format->depthStencilFormats.size())) {
        ShowCombo(IDC_ZELK_DEPTH_FORMAT, items, -1, false);
        return;
    }
    for (std::size_t position = 0; position < format->depthStencilFormats.size(); ++position) {
        items.push_back({Label(GetFormatName(format->depthStencilFormats[position])), static_cast<DWORD>(position)});
    }
    ShowCombo(IDC_ZELK_DEPTH_FORMAT, items, format->selectedDepthStencilFormatIndex, true);
}

void ZelkGrD3DDevicePage::ComboChanged(int id, DWORD data)
{
    ZelkD3DAdapterInfo* adapter = SelectedAdapter(enumeration_, *adapterOrdinal_);
    ZelkD3DDeviceInfo* device = SelectedDevice(adapter);
    ZelkD3DFormatInfo* format = ActiveFormatRecord(device);
    switch (id) {
    case IDC_ZELK_ADAPTER:
        if (enumeration_ && InRange(data, enumeration_->GetAdapterCount())) {
            *adapterOrdinal_ = data;
            NoteSelection(id, data);
            FillDeviceTypeList();
        }
        break;
    case IDC_ZELK_DEVICE_TYPE:
        if (adapter && InRange(data, adapter->devices.size())) {
            adapter->selectedDeviceIndex = static_cast<INT>(data);
            NoteSelection(id, data);
            FillDeviceControls();
        }
        break;
    case IDC_ZELK_PROCESSING_TYPE:
        if (device && InRange(data, device->behaviorFlags.size())) {
            device->selectedBehaviorIndex = static_cast<INT>(data);
            NoteSelection(id, data);
        }
        break;
    case IDC_ZELK_DISPLAY_FORMAT:
        if (device && InRange(data, ActiveFormatList(*device).size())) {
            ActiveFormatSelection(*device) = static_cast<INT>(data);
            NoteSelection(id, data);
            FillDepthList();
        }
        break;
    case IDC_ZELK_DEPTH_FORMAT:
        if (format && InRange(data, format->depthStencilFormats.size())) {
            format->selectedDepthStencilFormatIndex = static_cast<INT>(data);
            NoteSelection(id, data);
        }
        break;
    default:
        break;
    }
}

void ZelkGrD3DDevicePage::CheckClicked(int id, bool checked)
{
    if (id != IDC_ZELK_USE_WINDOW_MODE) {
        return;
    }
    ZelkD3DDeviceInfo* device = SelectedDevice(enumeration_, *adapterOrdinal_);
    if (!device) {
        return;
    }
    device->selectedWindowed = checked;
    FillWindowModeBox();
    FillDisplayFormatList();
}

void ZelkGrD3DDevicePage::DefaultClicked()
{
    if (enumeration_ && enumeration_->GetAdapterCount() > 0) {
        *adapterOrdinal_ = 0;
        enumeration_->GetAdapterInfo(0)->RestoreDefault();
    } else {
        *adapterOrdinal_ = keys::kNoAdapter;
    }
    FillAdapterList();
}

}  // namespace zelk
