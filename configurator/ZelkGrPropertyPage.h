#pragma once

// The window side of a configurator page: a property-sheet page over plain
// Win32 that pushes its model's control states into the dialog's controls
// and forwards the user's actions and the sheet's notifications to the
// model.  It holds no rule of its own.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <memory>

#include "configurator/ZelkGrPageModel.h"

namespace zelk {

class ZelkGrPropertyPage {
public:
    // The page takes the model over; instance holds the dialog template.
    ZelkGrPropertyPage(HINSTANCE instance, std::unique_ptr<ZelkGrPageModel> model);
    ZelkGrPropertyPage(const ZelkGrPropertyPage&) = delete;
    ZelkGrPropertyPage& operator=(const ZelkGrPropertyPage&) = delete;
    ~ZelkGrPropertyPage();

    // A page handle for the sheet (null on failure).
    HPROPSHEETPAGE Create();

    ZelkGrPageModel& Model() { return *model_; }
    // The page's window, null until the user first opens it.
    HWND Window() const { return window_; }

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static UINT CALLBACK PageCallback(HWND window, UINT message, LPPROPSHEETPAGEA page);

    INT_PTR OnCommand(WPARAM wParam, LPARAM lParam);
    INT_PTR OnNotify(const NMHDR& header);
    // Writes the controls the model has shown anew.
    void PushChanged();
    void SetModified();
    void SetResult(LONG_PTR result);

    PROPSHEETPAGEA page_;
    std::unique_ptr<ZelkGrPageModel> model_;
    HWND window_ = nullptr;
};

// Writes one control state into a dialog control.
void ApplyControlState(HWND control, const ZelkControlState& state);

}  // namespace zelk
