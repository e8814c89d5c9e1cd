#include "configurator/ZelkGrMiscPage.h"

#include "configurator/ZelkConfiguratorResource.h"
#include "configurator/ZelkGrPageKeys.h"
#include "framework/ZelkGlideSettingsKeys.h"

namespace zelk {

namespace keys = settingskeys;

namespace {

const char* const kThrower = "ZelkGrMiscPage::ZelkGrMiscPage";

constexpr DWORD kMinimumMemory = 1;
constexpr DWORD kMaximumMemory = 64;
constexpr DWORD kMaximumTmu = 2;

}  // namespace

ZelkGrMiscPage::ZelkGrMiscPage(ZelkRegKey* root) : root_(root)
{
    SetDefaults();
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
    numberOfTmu_ = numberOfTmu_ > kMaximumTmu ? kMaximumTmu : numberOfTmu_;
    fbiMemorySize_ = fbiMemorySize_ < kMinimumMemory ? kMinimumMemory
                     : fbiMemorySize_ > kMaximumMemory ? kMaximumMemory
                                                       : fbiMemorySize_;
    tmuMemorySize_ = tmuMemorySize_ < kMinimumMemory ? kMinimumMemory
                     : tmuMemorySize_ > kMaximumMemory ? kMaximumMemory
                                                       : tmuMemorySize_;
}

ZelkGrMiscPage::~ZelkGrMiscPage() = default;

int ZelkGrMiscPage::DialogId() const
{
    return IDD_ZELK_MISC;
}

void ZelkGrMiscPage::SetDefaults()
{
    numberOfTmu_ = 2;
    fbiMemorySize_ = 4;
    tmuMemorySize_ = 4;
    enableSli_ = false;
    adjustOwnerWindow_ = false;
    ultraHleFix_ = false;
    renderingStatistics_ = false;
    enableLfbAccessing_ = true;
    frontBufferReading_ = false;
    backBufferReading_ = false;
    depthBufferReading_ = false;
    frontBufferWriting_ = false;
    backBufferWriting_ = true;
    depthBufferWriting_ = false;
}

template <typename Visitor>
void ZelkGrMiscPage::VisitCardStyle(const Visitor& visit)
{
    visit.Number(keys::kFbiMemorySize, fbiMemorySize_);
    visit.Number(keys::kNumberOfTmu, numberOfTmu_);
    visit.Number(keys::kTmuMemorySize, tmuMemorySize_);
    visit.Switch(keys::kEnableSli, enableSli_);
}

template <typename Visitor>
void ZelkGrMiscPage::VisitLfbAccessing(const Visitor& visit)
{
    visit.Switch(keys::kEnableLfbAccessing, enableLfbAccessing_);
    visit.Switch(keys::kEnableFrontBufferReading, frontBufferReading_);
    visit.Switch(keys::kEnableBackBufferReading, backBufferReading_);
    visit.Switch(keys::kEnableDepthBufferReading, depthBufferReading_);
    visit.Switch(keys::kEnableFrontBufferWriting, frontBufferWriting_);
    visit.Switch(keys::kEnableBackBufferWriting, backBufferWriting_);
    visit.Switch(keys::kEnableDepthBufferWriting, depthBufferWriting_);
}

template <typename Visitor>
void ZelkGrMiscPage::VisitMisc(const Visitor& visit)
{
    visit.Switch(keys::kAdjustOwnerWindow, adjustOwnerWindow_);
    visit.Switch(keys::kEnableUltrahleFix, ultraHleFix_);
    visit.Switch(keys::kDisplayRenderingStatistics, renderingStatistics_);
}

void ZelkGrMiscPage::ShowAll()
{
    struct Spin {
        int id;
        DWORD value;
        int lower;
        int upper;
    };
    for (const Spin& spin : {Spin{IDC_ZELK_FBI_MEMORY, fbiMemorySize_, 1, 64},
                             Spin{IDC_ZELK_NUMBER_OF_TMU, numberOfTmu_, 0, 2},
                             Spin{IDC_ZELK_TMU_MEMORY, tmuMemorySize_, 1, 64}}) {
        ZelkControlState& state = Show(spin.id, ZelkControlState::Kind::UpDown);
        state.lower = spin.lower;
        state.upper = spin.upper;
        state.position = static_cast<int>(spin.value & 0xFFFF);
        state.enabled = true;
    }
    ShowCheck(IDC_ZELK_ENABLE_SLI, enableSli_, true);
    ShowCheck(IDC_ZELK_ENABLE_LFB, enableLfbAccessing_, true);
    ShowCheck(IDC_ZELK_ADJUST_OWNER_WINDOW, adjustOwnerWindow_, true);
    ShowCheck(IDC_ZELK_ULTRAHLE_FIX, ultraHleFix_, true);
    ShowCheck(IDC_ZELK_RENDERING_STATISTICS, renderingStatistics_, true);
    ShowLfbBoxes();
}

void ZelkGrMiscPage::ShowLfbBoxes()
{
    const bool on = enableLfbAccessing_;
    ShowCheck(IDC_ZELK_FRONT_READING, on && frontBufferReading_, on);
    ShowCheck(IDC_ZELK_BACK_READING, on && backBufferReading_, on);
    ShowCheck(IDC_ZELK_DEPTH_READING, on && depthBufferReading_, on);
    ShowCheck(IDC_ZELK_BACK_WRITING, on && backBufferWriting_, on);
    ShowCheck(IDC_ZELK_DEPTH_WRITING, on && depthBufferWriting_, on);
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
        enableSli_ = checked;
        break;
    case IDC_ZELK_ADJUST_OWNER_WINDOW:
        adjustOwnerWindow_ = checked;
        break;
    case IDC_ZELK_ULTRAHLE_FIX:
        ultraHleFix_ = checked;
        break;
    case IDC_ZELK_RENDERING_STATISTICS:
        renderingStatistics_ = checked;
        break;
    case IDC_ZELK_ENABLE_LFB:
        enableLfbAccessing_ = checked;
        ShowLfbBoxes();
        break;
    case IDC_ZELK_FRONT_READING:
        frontBufferReading_ = checked;
        break;
    case IDC_ZELK_BACK_READING:
        backBufferReading_ = checked;
        break;
    case IDC_ZELK_DEPTH_READING:
        depthBufferReading_ = checked;
        break;
    case IDC_ZELK_BACK_WRITING:
        backBufferWriting_ = checked;
        break;
    case IDC_ZELK_DEPTH_WRITING:
        depthBufferWriting_ = checked;
        break;
    default:
        break;
    }
}

void ZelkGrMiscPage::DefaultClicked()
{
    SetDefaults();
    ShowAll();
}

void ZelkGrMiscPage::UpDownPosition(int id, int position)
{
    const DWORD value = static_cast<DWORD>(position);
    switch (id) {
    case IDC_ZELK_NUMBER_OF_TMU:
        numberOfTmu_ = value;
        break;
    case IDC_ZELK_FBI_MEMORY:
        fbiMemorySize_ = value;
        break;
    case IDC_ZELK_TMU_MEMORY:
        tmuMemorySize_ = value;
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
