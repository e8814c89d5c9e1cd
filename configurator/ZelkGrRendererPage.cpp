#include "configurator/ZelkGrRendererPage.h"

#include <functional>
#include <iterator>
#include <vector>

#include "configurator/ZelkConfiguratorResource.h"
#include "configurator/ZelkGrPageKeys.h"
#include "framework/ZelkD3DDeviceChoice.h"
#include "framework/ZelkGlideSettingsKeys.h"

namespace zelk {

namespace keys = settingskeys;

namespace {

const char* const kThrower = "ZelkGrRendererPage::ZelkGrRendererPage";
const char* const kEmpty = "Empty";

struct TableEntry {
    DWORD value;
    const char* label;
};

const TableEntry kVertexConvertTable[] = {
    {keys::kVertexConvertSoftware, "Software"},
    {keys::kVertexConvertVS11, "VertexShader for v1.1"},
    {keys::kVertexConvertVS2x, "VertexShader for v2.0 or higher"},
};
const TableEntry kTexelBlendingTable[] = {
    {keys::kTexelBlendingFixed, "FixedTexelBlendingPipeline"},
    {keys::kTexelBlendingPS13, "PixelShader v1.3"},
};
const TableEntry kShaderVersionTable[] = {
    {0, "Un-used"}, {1, "v1.1"}, {2, "v2.0"}, {3, "v2.x"}, {4, "v2.x software"}, {0xFF, "Highest in this device"},
};

constexpr DWORD kVS11 = D3DVS_VERSION(1, 1);
constexpr DWORD kVS20 = D3DVS_VERSION(2, 0);
constexpr DWORD kPS13 = D3DPS_VERSION(1, 3);

constexpr DWORD kDefaultQueueSize = 16;

template <std::size_t N>
int PositionOf(const TableEntry (&table)[N], DWORD value)
{
    for (std::size_t i = 0; i < N; ++i) {
        if (table[i].value == value) {
            return static_cast<int>(i);
        }
    }
    return 0;
}

template <std::size_t N>
DWORD ValueAt(const TableEntry (&table)[N], int position)
{
    return position >= 0 && static_cast<std::size_t>(position) < N ? table[position].value : table[0].value;
}

// Fills one list from its table: allowed entries only; a choice that is not
// allowed becomes the first allowed entry; no allowed entry shows "Empty".
template <std::size_t N>
std::vector<ZelkComboItem> FillFromTable(const TableEntry (&table)[N], const std::function<bool(DWORD)>& allowed,
                                         int& choice, int& selected)
{
    std::vector<ZelkComboItem> items;
    for (std::size_t i = 0; i < N; ++i) {
        if (allowed(table[i].value)) {
            items.push_back({table[i].label, static_cast<DWORD>(i)});
        } else if (choice == static_cast<int>(i)) {
            choice = ZelkGrRendererPage::kNone;
        }
    }
    if (items.empty()) {
        choice = ZelkGrRendererPage::kNone;
        selected = 0;
        return {{kEmpty, 0}};
    }
    if (choice == ZelkGrRendererPage::kNone) {
        selected = 0;
        choice = static_cast<int>(items[0].data);
    } else {
        selected = FindExactLabel(items, table[choice].label);
    }
    return items;
}

}  // namespace

bool IsVertexConvertAvailable(DWORD value, const D3DCAPS9& caps)
{
    if (value == keys::kVertexConvertSoftware) {
        return true;
    }
    if (value == keys::kVertexConvertVS11 || value == keys::kVertexConvertVS2x) {
        return caps.VertexShaderVersion >= kVS11 && caps.PixelShaderVersion >= kPS13;
    }
    return false;
}

bool IsTexelBlendingAvailable(DWORD value, DWORD vertexConvert, const D3DCAPS9& caps)
{
    if (value == keys::kTexelBlendingFixed) {
        return vertexConvert == keys::kVertexConvertSoftware;
    }
    if (value == keys::kTexelBlendingPS13) {
        return caps.PixelShaderVersion >= kPS13;
    }
    return false;
}

bool IsVertexShaderVersionAvailable(DWORD value, DWORD vertexConvert, const ZelkD3DDeviceInfo& device)
{
    if (!InRange(device.selectedBehaviorIndex, device.behaviorFlags.size())) {
        return false;
    }
    if (vertexConvert == keys::kVertexConvertSoftware) {
        return value == 0;
    }
    const DWORD vs = device.caps.VertexShaderVersion;
    switch (value) {
    case 1:
        return vs >= kVS11;
    case 2:
        return vs >= kVS20;
    case 3:
        return vs >= kVS20 && device.caps.VS20Caps.Caps != 0;
    case 4:
        return (device.behaviorFlags[static_cast<std::size_t>(device.selectedBehaviorIndex)] &
                D3DCREATE_HARDWARE_VERTEXPROCESSING) == 0;
    case 0xFF:
        return true;
    default:
        return false;
    }
}

int VertexConvertPosition(DWORD value)
{
    return PositionOf(kVertexConvertTable, value);
}

int TexelBlendingPosition(DWORD value)
{
    return PositionOf(kTexelBlendingTable, value);
}

int VertexShaderVersionPosition(DWORD value)
{
    return PositionOf(kShaderVersionTable, value);
}

// ---------------------------------------------------------------------------

ZelkGrRendererPage::ZelkGrRendererPage(ZelkD3D* enumeration, std::uint32_t* adapterOrdinal, ZelkRegKey* root)
    : ZelkGrDeviceDependentPage(enumeration, adapterOrdinal, root)
{
    SetDefaults();
    // The stored values are table positions and need no device; with no
    // adapter chosen they are kept, and the page stays closed until one is.
    LoadPageKeys(root_, kThrower,
                 {{&key_, keys::kPrimitiveRendering, [this] { SaveSettings(); }, [this] { ReadSettings(); }}});
}

ZelkGrRendererPage::~ZelkGrRendererPage() = default;

int ZelkGrRendererPage::DialogId() const
{
    return IDD_ZELK_RENDERER;
}

void ZelkGrRendererPage::SetDefaults()
{
    vertexConvert_ = 0;
    texelBlending_ = 0;
    shaderVersion_ = 0;
    useBackgroundThread_ = false;
    assumeOFogIsValid_ = true;
    useTriangleStrip_ = true;
    maximumQueueSize_ = kDefaultQueueSize;
    threadPriority_ = 0;
}

void ZelkGrRendererPage::ReadSettings()
{
    DWORD value = 0;
    vertexConvert_ = key_.ReadDword(keys::kVertexConvertFunctionType, value) ? VertexConvertPosition(value) : 0;
    texelBlending_ = key_.ReadDword(keys::kTexelBlendingFunctionType, value) ? TexelBlendingPosition(value) : 0;
    shaderVersion_ = key_.ReadDword(keys::kVertexShaderVersion, value) ? VertexShaderVersionPosition(value) : 0;
    VisitPlainValues(ZelkPageValueReader{key_});
}

template <typename Visitor>
void ZelkGrRendererPage::VisitPlainValues(const Visitor& visit)
{
    visit.Switch(keys::kUseBackgroundThread, useBackgroundThread_);
    visit.Switch(keys::kAssumeOFogIsValid, assumeOFogIsValid_);
    visit.Switch(keys::kUseTriangleStrip, useTriangleStrip_);
    visit.Number(keys::kMaximumSizeOfRenderingQueue, maximumQueueSize_);
    visit.Number(keys::kBackgroundThreadPriorityLevel, threadPriority_);
}

bool ZelkGrRendererPage::SaveSettings()
{
    if (!key_.IsOpen()) {
        return false;
    }
    key_.WriteDword(keys::kVertexConvertFunctionType, ValueAt(kVertexConvertTable, vertexConvert_));
    key_.WriteDword(keys::kTexelBlendingFunctionType, ValueAt(kTexelBlendingTable, texelBlending_));
    key_.WriteDword(keys::kVertexShaderVersion, ValueAt(kShaderVersionTable, shaderVersion_));
    VisitPlainValues(ZelkPageValueWriter{key_});
    return true;
}

ZelkD3DDeviceInfo* ZelkGrRendererPage::CurrentDevice() const
{
    return SelectedDevice(enumeration_, *adapterOrdinal_);
}

bool ZelkGrRendererPage::CurrentChoice(ZelkGrRendererDeviceChoice& choice) const
{
    ZelkD3DAdapterInfo* adapter = SelectedAdapter(enumeration_, *adapterOrdinal_);
    ZelkD3DDeviceInfo* device = SelectedDevice(adapter);
    if (!device) {
        return false;
    }
    choice = {*adapterOrdinal_, adapter->selectedDeviceIndex, device->selectedBehaviorIndex};
    return true;
}

DWORD ZelkGrRendererPage::VertexConvertValue() const
{
    return ValueAt(kVertexConvertTable, vertexConvert_);
}

void ZelkGrRendererPage::FillVertexConvertList()
{
    const ZelkD3DDeviceInfo& device = *CurrentDevice();
    int selected = -1;
    auto items = FillFromTable(
        kVertexConvertTable, [&](DWORD value) { return IsVertexConvertAvailable(value, device.caps); },
        vertexConvert_, selected);
    ShowCombo(IDC_ZELK_VERTEX_CONVERT, items, selected, vertexConvert_ != kNone);
    FillTexelBlendingList();
    FillShaderVersionList();
    FillOFogBox();
}

void ZelkGrRendererPage::FillTexelBlendingList()
{
    const ZelkD3DDeviceInfo& device = *CurrentDevice();
    const DWORD vertexConvert = VertexConvertValue();
    int selected = -1;
    auto items = FillFromTable(
        kTexelBlendingTable,
        [&](DWORD value) { return IsTexelBlendingAvailable(value, vertexConvert, device.caps); }, texelBlending_,
        selected);
    ShowCombo(IDC_ZELK_TEXEL_BLENDING, items, selected, texelBlending_ != kNone);
}

void ZelkGrRendererPage::FillShaderVersionList()
{
    const ZelkD3DDeviceInfo& device = *CurrentDevice();
    const DWORD vertexConvert = VertexConvertValue();
    int selected = -1;
    auto items = FillFromTable(
        kShaderVersionTable,
        [&](DWORD value) { return IsVertexShaderVersionAvailable(value, vertexConvert, device); }, shaderVersion_,
        selected);
    ShowCombo(IDC_ZELK_SHADER_VERSION, items, selected, shaderVersion_ != kNone);
}

void ZelkGrRendererPage::FillOFogBox()
{
    const bool shaders = vertexConvert_ == 1 || vertexConvert_ == 2;
    ShowCheck(IDC_ZELK_ASSUME_OFOG, shaders && assumeOFogIsValid_, shaders);
}

void ZelkGrRendererPage::FillControls()
{
    FillVertexConvertList();
    ShowCheck(IDC_ZELK_BACKGROUND_THREAD, useBackgroundThread_, true);
    ShowCheck(IDC_ZELK_TRIANGLE_STRIP, useTriangleStrip_, true);
}

void ZelkGrRendererPage::ShowDisabled()
{
    for (const int id : {IDC_ZELK_VERTEX_CONVERT, IDC_ZELK_TEXEL_BLENDING, IDC_ZELK_SHADER_VERSION}) {
        ShowCombo(id, {{kEmpty, 0}}, 0, false);
    }
    for (const int id : {IDC_ZELK_BACKGROUND_THREAD, IDC_ZELK_ASSUME_OFOG, IDC_ZELK_TRIANGLE_STRIP}) {
        ShowCheck(id, false, false);
    }
}

void ZelkGrRendererPage::ComboChanged(int id, DWORD data)
{
    if (!CurrentDevice()) {
        return;
    }
    const int position = static_cast<int>(data);
    switch (id) {
    case IDC_ZELK_VERTEX_CONVERT:
        if (InRange(data, std::size(kVertexConvertTable))) {
            vertexConvert_ = position;
            NoteSelection(id, data);
            FillTexelBlendingList();
            FillShaderVersionList();
            FillOFogBox();
        }
        break;
    case IDC_ZELK_TEXEL_BLENDING:
        if (InRange(data, std::size(kTexelBlendingTable))) {
            texelBlending_ = position;
            NoteSelection(id, data);
        }
        break;
    case IDC_ZELK_SHADER_VERSION:
        if (InRange(data, std::size(kShaderVersionTable))) {
            shaderVersion_ = position;
            NoteSelection(id, data);
        }
        break;
    default:
        break;
    }
}

void ZelkGrRendererPage::CheckClicked(int id, bool checked)
{
    switch (id) {
    case IDC_ZELK_BACKGROUND_THREAD:
        useBackgroundThread_ = checked;
        break;
    case IDC_ZELK_ASSUME_OFOG:
        assumeOFogIsValid_ = checked;
        break;
    case IDC_ZELK_TRIANGLE_STRIP:
        useTriangleStrip_ = checked;
        break;
    default:
        break;
    }
}

}  // namespace zelk
