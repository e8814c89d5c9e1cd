#pragma once

// The misc page: the emulated board (frame-buffer memory, texture units and
// their memory, SLI), the frame-buffer access switches and three further
// switches.  Needs no Direct3D.
#include "configurator/ZelkGrPageModel.h"
#include "framework/ZelkRegKey.h"

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
    void ShowAll();
    void ShowLfbBoxes();

    ZelkRegKey* root_;
    ZelkRegKey cardStyleKey_;
    ZelkRegKey lfbAccessingKey_;
    ZelkRegKey miscKey_;

    // The page's values; as made, the defaults.
    struct Values {
        DWORD numberOfTmu = 2;
        DWORD fbiMemorySize = 4;
        DWORD tmuMemorySize = 4;
        bool enableSli = false;
        bool adjustOwnerWindow = false;
        bool ultraHleFix = false;
        bool renderingStatistics = false;
        bool enableLfbAccessing = true;
        bool frontBufferReading = false;
        bool backBufferReading = false;
        bool depthBufferReading = false;
        bool frontBufferWriting = false;
        bool backBufferWriting = true;
        bool depthBufferWriting = false;
    };
    Values values_;
};

}  // namespace zelk
