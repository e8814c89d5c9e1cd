#include "configurator/ZelkGrTexturePage.h"

#include <algorithm>
#include <vector>

#include "configurator/ZelkConfiguratorResource.h"
#include "configurator/ZelkGrD3DDevicePage.h"
#include "configurator/ZelkGrPageKeys.h"
#include "framework/ZelkD3DDeviceChoice.h"
#include "framework/ZelkD3DFormats.h"
#include "framework/ZelkGlideSettingsKeys.h"

namespace zelk {

namespace keys = settingskeys;

namespace {

const char* const kThrower = "ZelkGrTexturePage::ZelkGrTexturePage";
const char* const kNeverConvertedLabel = "Unsupported With zelkGlide";
const char* const kUnsupportedLabel = "Unsupported With This Device";

// One Glide texture format on the page: its value name (by Glide format
// code) and its list.  Which formats it may take, and in which order they are
// preferred, is the shared rule of its Glide format.
struct TextureSlot {
    unsigned glideFormat;
    int listId;
};

constexpr D3DFORMAT kNoFormat = D3DFMT_UNKNOWN;

const TextureSlot kSlots[kTextureSlotCount] = {
    {0, IDC_ZELK_TEX_R3G3B2},    {1, IDC_ZELK_TEX_Y4I2Q2},   {2, IDC_ZELK_TEX_A8},       {3, IDC_ZELK_TEX_L8},
    {4, IDC_ZELK_TEX_A4L4},      {12, IDC_ZELK_TEX_A4R4G4B4}, {11, IDC_ZELK_TEX_A1R5G5B5}, {10, IDC_ZELK_TEX_R5G6B5},
    {9, IDC_ZELK_TEX_A8Y4I2Q2},  {13, IDC_ZELK_TEX_A8L8},    {5, IDC_ZELK_TEX_P8},       {14, IDC_ZELK_TEX_A8P8},
    {8, IDC_ZELK_TEX_A8R3G3B2},
};

const char* SlotName(std::size_t slot)
{
    return keys::kTextureFormatValues[kSlots[slot].glideFormat].valueName;
}

bool Holds(const std::vector<ZelkComboItem>& items, DWORD format)
{
    return std::any_of(items.begin(), items.end(), [&](const ZelkComboItem& item) { return item.data == format; });
}

}  // namespace

// ---------------------------------------------------------------------------

ZelkGrTexturePage::ZelkGrTexturePage(ZelkD3D* enumeration, std::uint32_t* adapterOrdinal, ZelkRegKey* root)
    : ZelkGrDeviceDependentPage(enumeration, adapterOrdinal, root)
{
    SetDefaults();
    // With no adapter chosen the page keeps what is stored and stays closed
    // until an adapter is chosen.
    LoadPageKeys(root_, kThrower,
                 {{&key_, keys::kTextureSetting, [this] { SaveSettings(); }, [this] { ReadSettings(); }}});
}

ZelkGrTexturePage::~ZelkGrTexturePage() = default;

int ZelkGrTexturePage::DialogId() const
{
    return IDD_ZELK_TEXTURE;
}

void ZelkGrTexturePage::SetDefaults()
{
    std::fill(std::begin(formats_), std::end(formats_), kTextureFormatNotChosen);
    forceAnisotropicFiltering_ = false;
    createMipmap_ = true;
}

const ZelkD3DFormatInfo* ZelkGrTexturePage::ActiveRecord() const
{
    return ActiveFormatRecord(SelectedDevice(enumeration_, *adapterOrdinal_));
}

void ZelkGrTexturePage::ReadSettings()
{
    const ZelkD3DFormatInfo* record = ActiveRecord();
    for (std::size_t slot = 0; slot < kTextureSlotCount; ++slot) {
        DWORD value = 0;
        if (!key_.ReadDword(SlotName(slot), value)) {
            continue;
        }
        if (!record) {
            // Nothing to check against yet: the value is kept as stored, so
            // that saving before a fill gives it back unchanged, and the
            // first fill checks it.
            formats_[slot] = value;
            continue;
        }
        const auto& list = record->textureFormats;
        if (std::find(list.begin(), list.end(), static_cast<D3DFORMAT>(value)) != list.end() &&
            IsTextureFormatFor(kSlots[slot].glideFormat, value)) {
            formats_[slot] = value;
        }
    }
    VisitSwitches(ZelkPageValueReader{key_});
}

template <typename Visitor>
void ZelkGrTexturePage::VisitSwitches(const Visitor& visit)
{
    visit.Switch(keys::kForceAnisotropicFiltering, forceAnisotropicFiltering_);
    visit.Switch(keys::kCreateMipmap, createMipmap_);
}

bool ZelkGrTexturePage::SaveSettings()
{
    if (!key_.IsOpen()) {
        return false;
    }
    for (std::size_t slot = 0; slot < kTextureSlotCount; ++slot) {
        key_.WriteDword(SlotName(slot), formats_[slot]);
    }
    VisitSwitches(ZelkPageValueWriter{key_});
    return true;
}

bool ZelkGrTexturePage::CurrentChoice(ZelkGrTextureDeviceChoice& choice) const
{
    ZelkD3DAdapterInfo* adapter = SelectedAdapter(enumeration_, *adapterOrdinal_);
    ZelkD3DDeviceInfo* device = SelectedDevice(adapter);
    if (!device) {
        return false;
    }
    choice = {*adapterOrdinal_, adapter->selectedDeviceIndex, device->selectedWindowed,
              ActiveFormatSelection(*device)};
    return true;
}

void ZelkGrTexturePage::FillSlot(std::size_t slot)
{
    const TextureSlot& entry = kSlots[slot];
    const ZelkTextureFormatRule& rule = GetTextureFormatRule(entry.glideFormat);
    DWORD& value = formats_[slot];
    if (rule.source == kNoFormat) {
        value = kTextureFormatNeverConverted;
        ShowCombo(entry.listId, {{kNeverConvertedLabel, kTextureFormatNeverConverted}}, 0, false);
        return;
    }
    // No format record (an empty active list) offers no format.
    std::vector<ZelkComboItem> items;
    if (const ZelkD3DFormatInfo* record = ActiveRecord()) {
        for (const D3DFORMAT format : record->textureFormats) {
            if (IsTextureFormatFor(entry.glideFormat, format)) {
                items.push_back({GetFormatName(format), static_cast<DWORD>(format)});
            }
        }
    }
    if (items.empty()) {
        value = kTextureFormatUnsupported;
        ShowCombo(entry.listId, {{kUnsupportedLabel, kTextureFormatUnsupported}}, 0, false);
        return;
    }
    // Only formats the list offers are kept or preferred, so the value
    // always has an item to show.
    if (!Holds(items, value)) {
        const D3DFORMAT* preferred =
            std::find_if(std::begin(rule.preference), std::end(rule.preference),
                         [&](D3DFORMAT format) { return format != kNoFormat && Holds(items, format); });
        value = preferred != std::end(rule.preference) ? static_cast<DWORD>(*preferred) : items.front().data;
    }
    const int selected = FindExactLabel(items, GetFormatName(value));
    ShowCombo(entry.listId, std::move(items), selected, true);
}

void ZelkGrTexturePage::FillControls()
{
    for (std::size_t slot = 0; slot < kTextureSlotCount; ++slot) {
        FillSlot(slot);
    }
    ShowCheck(IDC_ZELK_FORCE_ANISOTROPIC, forceAnisotropicFiltering_, true);
    ShowCheck(IDC_ZELK_CREATE_MIPMAP, createMipmap_, true);
}

void ZelkGrTexturePage::ShowDisabled()
{
    for (const TextureSlot& entry : kSlots) {
        ShowCombo(entry.listId, {{kUnsupportedLabel, kTextureFormatUnsupported}}, 0, false);
    }
    ShowCheck(IDC_ZELK_FORCE_ANISOTROPIC, false, false);
    ShowCheck(IDC_ZELK_CREATE_MIPMAP, false, false);
}

void ZelkGrTexturePage::ComboChanged(int id, DWORD data)
{
    for (std::size_t slot = 0; slot < kTextureSlotCount; ++slot) {
        if (kSlots[slot].listId != id || !HasControl(id)) {
            continue;
        }
        // Only an item the list offers can be picked.
        const ZelkControlState& list = Control(id);
        if (Holds(list.items, data)) {
            formats_[slot] = data;
            NoteSelection(id, data);
        }
        return;
    }
}

void ZelkGrTexturePage::CheckClicked(int id, bool checked)
{
    if (id == IDC_ZELK_FORCE_ANISOTROPIC) {
        forceAnisotropicFiltering_ = checked;
    } else if (id == IDC_ZELK_CREATE_MIPMAP) {
        createMipmap_ = checked;
    }
}

}  // namespace zelk
