#pragma once

// The misc page: the emulated board (frame-buffer memory, texture units and
// their memory, SLI), the frame-buffer access switches and three further
// switches.  Needs no Direct3D.
#include "configurator/ZelkGrPageModel.h"
#include "configurator/ZelkRegKey.h"

namespace zelk {

class ZelkGrMiscPage : public ZelkGrPageModel {
public:
    explicit ZelkGrMiscPage(ZelkRegKey* root);
    ~ZelkGrMiscPage() override;

    int DialogId() const override;
    void InitDialog() override;
    bool SetActive() override;
    void CheckClicked(int id, bool checked) override;
    void DefaultClicked() override;
    void UpDownPosition(int id, int position) override;
    bool SaveSettings() override;

private:
    // The page's values in each of its subkeys, for a ZelkPageValueReader
    // or ZelkPageValueWriter.
    template <typename Visitor>
    void VisitCardStyle(const Visitor& visit);
    template <typename Visitor>
    void VisitLfbAccessing(const Visitor& visit);
    template <typename Visitor>
    void VisitMisc(const Visitor& visit);
    void SetDefaults();
    void ShowAll();
    void ShowLfbBoxes();

    ZelkRegKey* root_;
    ZelkRegKey cardStyleKey_;
    ZelkRegKey lfbAccessingKey_;
    ZelkRegKey miscKey_;

    DWORD numberOfTmu_ = 2;
    DWORD fbiMemorySize_ = 4;
    DWORD tmuMemorySize_ = 4;
    bool enableSli_ = false;
    bool adjustOwnerWindow_ = false;
    bool ultraHleFix_ = false;
    bool renderingStatistics_ = false;
    bool enableLfbAccessing_ = true;
    bool frontBufferReading_ = false;
    bool backBufferReading_ = false;
    bool depthBufferReading_ = false;
    bool frontBufferWriting_ = false;
    bool backBufferWriting_ = true;
    bool depthBufferWriting_ = false;
};

}  // namespace zelk
