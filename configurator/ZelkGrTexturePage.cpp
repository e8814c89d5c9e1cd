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

// One Glide texture format: its value name (by Glide format code), its list,
// the Direct3D format its texels come in (none for the YIQ formats) and the
// formats preferred after the held one.
struct TextureSlot {
    unsigned glideFormat;
    int listId;
    D3DFORMAT source;
    D3DFORMAT preference[4];
};

constexpr D3DFORMAT kNoFormat = D3DFMT_UNKNOWN;

const TextureSlot kSlots[kTextureSlotCount] = {
    {0, IDC_ZELK_TEX_R3G3B2, D3DFMT_R3G3B2, {D3DFMT_R3G3B2, D3DFMT_R5G6B5, D3DFMT_X8R8G8B8, kNoFormat}},
    {1, IDC_ZELK_TEX_Y4I2Q2, kNoFormat, {}},
    {2, IDC_ZELK_TEX_A8, D3DFMT_A8, {D3DFMT_A8, D3DFMT_A8R3G3B2, D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4}},
    {3, IDC_ZELK_TEX_L8, D3DFMT_L8, {D3DFMT_L8, D3DFMT_A8L8, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8}},
    {4, IDC_ZELK_TEX_A4L4, D3DFMT_A4L4, {D3DFMT_A4L4, D3DFMT_A8L8, D3DFMT_A4R4G4B4, D3DFMT_A8R8G8B8}},
    {12, IDC_ZELK_TEX_A4R4G4B4, D3DFMT_A4R4G4B4, {D3DFMT_A4R4G4B4, D3DFMT_A8R8G8B8, D3DFMT_A1R5G5B5, D3DFMT_A8R3G3B2}},
    {11, IDC_ZELK_TEX_A1R5G5B5, D3DFMT_A1R5G5B5, {D3DFMT_A1R5G5B5, D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_R5G6B5}},
    {10, IDC_ZELK_TEX_R5G6B5, D3DFMT_R5G6B5, {D3DFMT_R5G6B5, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_X1R5G5B5}},
    {9, IDC_ZELK_TEX_A8Y4I2Q2, kNoFormat, {}},
    {13, IDC_ZELK_TEX_A8L8, D3DFMT_A8L8, {D3DFMT_A8L8, D3DFMT_A4L4, D3DFMT_A8R8G8B8, D3DFMT_A8R3G3B2}},
    {5, IDC_ZELK_TEX_P8, D3DFMT_P8, {D3DFMT_P8, D3DFMT_A8P8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5}},
    {14, IDC_ZELK_TEX_A8P8, D3DFMT_A8P8, {D3DFMT_A8P8, D3DFMT_P8, D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4}},
    {8, IDC_ZELK_TEX_A8R3G3B2, D3DFMT_A8R3G3B2, {D3DFMT_A8R3G3B2, D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5}},
};

const char* SlotName(std::size_t slot)
{
    return keys::kTextureFormatValues[kSlots[slot].glideFormat].valueName;
}

// Formats never offered: unknown, signed (bump-map), depth, buffer, video
// and multi-element formats.
bool IsExcludedFormat(DWORD format)
{
    if (IsBumpMapFormat(static_cast<D3DFORMAT>(format))) {
        return true;
    }
    switch (format) {
    case D3DFMT_UNKNOWN:
    case D3DFMT_D16_LOCKABLE:
    case D3DFMT_D32:
    case D3DFMT_D15S1:
    case D3DFMT_D24S8:
    case D3DFMT_D24X8:
    case D3DFMT_D24X4S4:
    case D3DFMT_D16:
    case D3DFMT_D32F_LOCKABLE:
    case D3DFMT_D24FS8:
    case D3DFMT_VERTEXDATA:
    case D3DFMT_INDEX16:
    case D3DFMT_INDEX32:
    case D3DFMT_YUY2:
    case D3DFMT_UYVY:
    case D3DFMT_G8R8_G8B8:
    case D3DFMT_R8G8_B8G8:
    case D3DFMT_MULTI2_ARGB8:
        return true;
    default:
        return false;
    }
}

bool Holds(const std::vector<ZelkComboItem>& items, DWORD format)
{
    return std::any_of(items.begin(), items.end(), [&](const ZelkComboItem& item) { return item.data == format; });
}

}  // namespace

bool IsConvertibleFormat(DWORD source, DWORD target)
{
    if (IsExcludedFormat(source) || IsExcludedFormat(target)) {
        return false;
    }
    // Sources from A2B10G10R10 (31) to P8 (41), the palettized ones among
    // them, may go into any format.
    if (source >= D3DFMT_A2B10G10R10 && source <= D3DFMT_P8) {
        return true;
    }
    return target != D3DFMT_P8 && target != D3DFMT_A8P8;
}

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
        if (kSlots[slot].source != kNoFormat &&
            std::find(list.begin(), list.end(), static_cast<D3DFORMAT>(value)) != list.end() &&
            IsConvertibleFormat(kSlots[slot].source, value)) {
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
    DWORD& value = formats_[slot];
    if (entry.source == kNoFormat) {
        value = kTextureFormatNeverConverted;
        ShowCombo(entry.listId, {{kNeverConvertedLabel, kTextureFormatNeverConverted}}, 0, false);
        return;
    }
    // No format record (an empty active list) offers no format.
    std::vector<ZelkComboItem> items;
    if (const ZelkD3DFormatInfo* record = ActiveRecord()) {
        for (const D3DFORMAT format : record->textureFormats) {
            if (IsConvertibleFormat(entry.source, format)) {
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
            std::find_if(std::begin(entry.preference), std::end(entry.preference),
                         [&](D3DFORMAT format) { return format != kNoFormat && Holds(items, format); });
        value = preferred != std::end(entry.preference) ? static_cast<DWORD>(*preferred) : items.front().data;
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
