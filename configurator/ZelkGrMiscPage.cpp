#include "configurator/ZelkGrMiscPage.h"

#include <algorithm>

#include "configurator/ZelkConfiguratorResource.h"
#include "configurator/ZelkGrPageKeys.h"
#include "framework/ZelkGlideSettingsKeys.h"

namespace zelk {

namespace keys = settingskeys;

namespace {

const char* const kThrower = "ZelkGrMiscPage::ZelkGrMiscPage";

// The spin controls' ranges; stored numbers outside them are brought in.
constexpr int kMinimumMemory = 1;
constexpr int kMaximumMemory = 64;
constexpr int kMaximumTmu = static_cast<int>(keys::kMaximumNumberOfTmu);

}  // namespace

ZelkGrMiscPage::ZelkGrMiscPage(ZelkRegKey* root) : root_(root)
{
    // A new key receives the defaults at once.
    LoadPageKeys(root_, kThrower,
                 {{&cardStyleKey_, keys::kCardStyle, [this] { VisitCardStyle(ZelkPageValueWriter{cardStyleKey_}); },
                   [this] { VisitCardStyle(ZelkPageValueReader{cardStyleKey_}); }},
                  {&lfbAccessingKey_, keys::kLfbAccessing,
                   [this] { VisitLfbAccessing(ZelkPageValueWriter{lfbAccessingKey_}); },
                   [this] { VisitLfbAccessing(ZelkPageValueReader{lfbAccessingKey_}); }},
                  {&miscKey_, keys::kMisc, [this] { VisitMisc(ZelkPageValueWriter{miscKey_}); },
                   [this] { VisitMisc(ZelkPageValueReader{miscKey_}); }}});
    // Numbers outside the controls' ranges are brought in; they reach the
    // registry only when the page is applied.
    values_.numberOfTmu = std::min<DWORD>(values_.numberOfTmu, kMaximumTmu);
    values_.fbiMemorySize = std::clamp<DWORD>(values_.fbiMemorySize, kMinimumMemory, kMaximumMemory);
    values_.tmuMemorySize = std::clamp<DWORD>(values_.tmuMemorySize, kMinimumMemory, kMaximumMemory);
}

ZelkGrMiscPage::~ZelkGrMiscPage() = default;

int ZelkGrMiscPage::DialogId() const
{
    return IDD_ZELK_MISC;
}

template <typename Visitor>
void ZelkGrMiscPage::VisitCardStyle(const Visitor& visit)
{
    visit.Number(keys::kFbiMemorySize, values_.fbiMemorySize);
    visit.Number(keys::kNumberOfTmu, values_.numberOfTmu);
    visit.Number(keys::kTmuMemorySize, values_.tmuMemorySize);
    visit.Switch(keys::kEnableSli, values_.enableSli);
}

template <typename Visitor>
void ZelkGrMiscPage::VisitLfbAccessing(const Visitor& visit)
{
    visit.Switch(keys::kEnableLfbAccessing, values_.enableLfbAccessing);
    visit.Switch(keys::kEnableFrontBufferReading, values_.frontBufferReading);
    visit.Switch(keys::kEnableBackBufferReading, values_.backBufferReading);
    visit.Switch(keys::kEnableDepthBufferReading, values_.depthBufferReading);
    visit.Switch(keys::kEnableFrontBufferWriting, values_.frontBufferWriting);
    visit.Switch(keys::kEnableBackBufferWriting, values_.backBufferWriting);
    visit.Switch(keys::kEnableDepthBufferWriting, values_.depthBufferWriting);
}

template <typename Visitor>
void ZelkGrMiscPage::VisitMisc(const Visitor& visit)
{
    visit.Switch(keys::kAdjustOwnerWindow, values_.adjustOwnerWindow);
    visit.Switch(keys::kEnableUltrahleFix, values_.ultraHleFix);
    visit.Switch(keys::kDisplayRenderingStatistics, values_.renderingStatistics);
}

void ZelkGrMiscPage::ShowAll()
{
    struct Spin {
        int id;
        DWORD value;
        int lower;
        int upper;
    };
    for (const Spin& spin : {Spin{IDC_ZELK_FBI_MEMORY, values_.fbiMemorySize, kMinimumMemory, kMaximumMemory},
                             Spin{IDC_ZELK_NUMBER_OF_TMU, values_.numberOfTmu, 0, kMaximumTmu},
                             Spin{IDC_ZELK_TMU_MEMORY, values_.tmuMemorySize, kMinimumMemory, kMaximumMemory}}) {
        ZelkControlState& state = Show(spin.id, ZelkControlState::Kind::UpDown);
        state.lower = spin.lower;
        state.upper = spin.upper;
        state.position = static_cast<int>(spin.value & 0xFFFF);
        state.enabled = true;
    }
    ShowCheck(IDC_ZELK_ENABLE_SLI, values_.enableSli, true);
    ShowCheck(IDC_ZELK_ENABLE_LFB, values_.enableLfbAccessing, true);
    ShowCheck(IDC_ZELK_ADJUST_OWNER_WINDOW, values_.adjustOwnerWindow, true);
    ShowCheck(IDC_ZELK_ULTRAHLE_FIX, values_.ultraHleFix, true);
    ShowCheck(IDC_ZELK_RENDERING_STATISTICS, values_.renderingStatistics, true);
    ShowLfbBoxes();
}

void ZelkGrMiscPage::ShowLfbBoxes()
{
    const bool on = values_.enableLfbAccessing;
    ShowCheck(IDC_ZELK_FRONT_READING, on && values_.frontBufferReading, on);
    ShowCheck(IDC_ZELK_BACK_READING, on && values_.backBufferReading, on);
    ShowCheck(IDC_ZELK_DEPTH_READING, on && values_.depthBufferReading, on);
    ShowCheck(IDC_ZELK_BACK_WRITING, on && values_.backBufferWriting, on);
    ShowCheck(IDC_ZELK_DEPTH_WRITING, on && values_.depthBufferWriting, on);
    // Front-buffer writing cannot be set here; its value is kept as read.
    ShowCheck(IDC_ZELK_FRONT_WRITING, false, false);
}

void ZelkGrMiscPage::InitDialog()
{
    ShowAll();
}

bool ZelkGrMiscPage::SetActive()
{
    return true;
}

void ZelkGrMiscPage::CheckClicked(int id, bool checked)
{
    switch (id) {
    case IDC_ZELK_ENABLE_SLI:
        values_.enableSli = checked;
        break;
    case IDC_ZELK_ADJUST_OWNER_WINDOW:
        values_.adjustOwnerWindow = checked;
        break;
    case IDC_ZELK_ULTRAHLE_FIX:
        values_.ultraHleFix = checked;
        break;
    case IDC_ZELK_RENDERING_STATISTICS:
        values_.renderingStatistics = checked;
        break;
    case IDC_ZELK_ENABLE_LFB:
        values_.enableLfbAccessing = checked;
        ShowLfbBoxes();
        break;
    case IDC_ZELK_FRONT_READING:
        values_.frontBufferReading = checked;
        break;
    case IDC_ZELK_BACK_READING:
        values_.backBufferReading = checked;
        break;
    case IDC_ZELK_DEPTH_READING:
        values_.depthBufferReading = checked;
        break;
    case IDC_ZELK_BACK_WRITING:
        values_.backBufferWriting = checked;
        break;
    case IDC_ZELK_DEPTH_WRITING:
        values_.depthBufferWriting = checked;
        break;
    default:
        break;
    }
}

void ZelkGrMiscPage::DefaultClicked()
{
    values_ = Values();
    ShowAll();
}

void ZelkGrMiscPage::UpDownPosition(int id, int position)
{
    const DWORD value = static_cast<DWORD>(position);
    switch (id) {
    case IDC_ZELK_NUMBER_OF_TMU:
        values_.numberOfTmu = value;
        break;
    case IDC_ZELK_FBI_MEMORY:
        values_.fbiMemorySize = value;
        break;
    case IDC_ZELK_TMU_MEMORY:
        values_.tmuMemorySize = value;
        break;
    default:
        break;
    }
}

bool ZelkGrMiscPage::SaveSettings()
{
    if (cardStyleKey_.IsOpen()) {
        VisitCardStyle(ZelkPageValueWriter{cardStyleKey_});
    }
    if (lfbAccessingKey_.IsOpen()) {
        VisitLfbAccessing(ZelkPageValueWriter{lfbAccessingKey_});
    }
    if (miscKey_.IsOpen()) {
        VisitMisc(ZelkPageValueWriter{miscKey_});
    }
    return true;
}

}  // namespace zelk
