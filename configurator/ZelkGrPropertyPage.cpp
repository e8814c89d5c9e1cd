#include "configurator/ZelkGrPropertyPage.h"

#include <algorithm>
#include <utility>

#include "configurator/ZelkConfiguratorResource.h"

namespace zelk {

namespace {

// Every page template is this many dialog units.
constexpr int kPageTemplateWidth = 211;
constexpr int kPageTemplateHeight = 209;

// Property-sheet notifications are the codes PSN_LAST to PSN_FIRST; every
// other WM_NOTIFY code comes from a control on the page (an up-down control's
// UDN_DELTAPOS, for instance).
bool IsSheetNotification(UINT code)
{
    return code >= static_cast<UINT>(PSN_LAST) && code <= static_cast<UINT>(PSN_FIRST);
}

// The sheet sizes its page area from the template in its own font; a page
// whose font is larger (the pages' font is often substituted by a wider one)
// would be cut off.  Grows the sheet, its tab control and the page area, and
// moves the buttons, until the page fits.
void GrowSheetToFit(HWND page, int templateWidth, int templateHeight)
{
    const HWND sheet = GetParent(page);
    const HWND tab = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
    if (!sheet || !tab) {
        return;
    }
    RECT needed = {0, 0, templateWidth, templateHeight};
    MapDialogRect(page, &needed);
    RECT area = {};
    GetClientRect(tab, &area);
    SendMessageA(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    const int dx = std::max(0L, needed.right - (area.right - area.left));
    const int dy = std::max(0L, needed.bottom - (area.bottom - area.top));
    if (dx == 0 && dy == 0) {
        return;
    }
    const auto grow = [&](HWND window) {
        RECT rect = {};
        GetWindowRect(window, &rect);
        SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left + dx, rect.bottom - rect.top + dy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    };
    grow(sheet);
    grow(tab);
    // The sheet's buttons (every child but the tab control and the pages)
    // move down and right with its corner.
    for (HWND child = GetWindow(sheet, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char className[16] = {};
        GetClassNameA(child, className, sizeof(className));
        if (child == tab || child == page || lstrcmpA(className, "Button") != 0) {
            continue;
        }
        RECT rect = {};
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, sheet, reinterpret_cast<POINT*>(&rect), 2);
        SetWindowPos(child, nullptr, rect.left + dx, rect.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

}  // namespace

ZelkGrPropertyPage::ZelkGrPropertyPage(HINSTANCE instance, std::unique_ptr<ZelkGrPageModel> model)
    : page_(), model_(std::move(model))
{
    page_.dwSize = sizeof(page_);
    page_.dwFlags = PSP_USECALLBACK;
    page_.hInstance = instance;
    page_.pszTemplate = MAKEINTRESOURCEA(model_->DialogId());
    page_.pfnDlgProc = &ZelkGrPropertyPage::DialogProc;
    page_.lParam = reinterpret_cast<LPARAM>(this);
    page_.pfnCallback = &ZelkGrPropertyPage::PageCallback;
}

ZelkGrPropertyPage::~ZelkGrPropertyPage() = default;

HPROPSHEETPAGE ZelkGrPropertyPage::Create()
{
    return CreatePropertySheetPageA(&page_);
}

UINT CALLBACK ZelkGrPropertyPage::PageCallback(HWND, UINT, LPPROPSHEETPAGEA)
{
    return 1;  // PSPCB_CREATE: let the page be created
}

INT_PTR CALLBACK ZelkGrPropertyPage::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    ZelkGrPropertyPage* self = nullptr;
    if (message == WM_INITDIALOG) {
        const PROPSHEETPAGEA* page = reinterpret_cast<const PROPSHEETPAGEA*>(lParam);
        self = reinterpret_cast<ZelkGrPropertyPage*>(page->lParam);
        SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        self->window_ = window;
        GrowSheetToFit(window, kPageTemplateWidth, kPageTemplateHeight);
        self->model_->InitDialog();
        self->PushChanged();
        return TRUE;
    }
    self = reinterpret_cast<ZelkGrPropertyPage*>(GetWindowLongPtrA(window, DWLP_USER));
    if (!self) {
        return FALSE;
    }
    switch (message) {
    case WM_COMMAND:
        return self->OnCommand(wParam, lParam);
    case WM_NOTIFY:
        return self->OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_DESTROY:
        self->window_ = nullptr;
        return FALSE;
    default:
        return FALSE;
    }
}

INT_PTR ZelkGrPropertyPage::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const int id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    const HWND control = reinterpret_cast<HWND>(lParam);
    if (!control) {
        return FALSE;
    }
    if (id == IDC_ZELK_DEFAULT && code == BN_CLICKED) {
        model_->DefaultClicked();
        PushChanged();
        SetModified();
        return TRUE;
    }
    if (!model_->HasControl(id)) {
        return FALSE;
    }
    const ZelkControlState::Kind kind = model_->Control(id).kind;
    if (kind == ZelkControlState::Kind::Combo && code == CBN_SELCHANGE) {
        const LRESULT position = SendMessageA(control, CB_GETCURSEL, 0, 0);
        if (position == CB_ERR) {
            return TRUE;
        }
        const LRESULT data = SendMessageA(control, CB_GETITEMDATA, static_cast<WPARAM>(position), 0);
        if (data == CB_ERR) {
            return TRUE;
        }
        model_->ComboChanged(id, static_cast<DWORD>(data));
        PushChanged();
        SetModified();
        return TRUE;
    }
    if (kind == ZelkControlState::Kind::CheckBox && code == BN_CLICKED) {
        const bool checked = SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
        model_->CheckClicked(id, checked);
        PushChanged();
        SetModified();
        return TRUE;
    }
    return FALSE;
}

INT_PTR ZelkGrPropertyPage::OnNotify(const NMHDR& header)
{
    if (!IsSheetNotification(header.code)) {
        // A control's own notification: an up-down control about to move.
        if (header.code == static_cast<UINT>(UDN_DELTAPOS) && model_->HasControl(static_cast<int>(header.idFrom)) &&
            model_->Control(static_cast<int>(header.idFrom)).kind == ZelkControlState::Kind::UpDown) {
            SetModified();
        }
        return FALSE;  // the control moves as usual
    }
    if (header.hwndFrom != window_ && header.hwndFrom != GetParent(window_)) {
        return FALSE;
    }
    switch (header.code) {
    case PSN_APPLY: {
        for (const auto& entry : model_->Controls()) {
            if (entry.second.kind == ZelkControlState::Kind::UpDown) {
                const LRESULT position = SendDlgItemMessageA(window_, entry.first, UDM_GETPOS, 0, 0);
                model_->UpDownPosition(entry.first, static_cast<short>(LOWORD(position)));
            }
        }
        SetResult(model_->SaveSettings() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE);
        return TRUE;
    }
    case PSN_SETACTIVE: {
        const bool accepted = model_->SetActive();
        PushChanged();
        SetResult(accepted ? 0 : -1);
        return TRUE;
    }
    default:
        SetResult(0);
        return TRUE;
    }
}

void ZelkGrPropertyPage::PushChanged()
{
    for (const int id : model_->TakeChanged()) {
        const HWND control = GetDlgItem(window_, id);
        if (control) {
            ApplyControlState(control, model_->Control(id));
        }
    }
}

void ZelkGrPropertyPage::SetModified()
{
    SendMessageA(GetParent(window_), PSM_CHANGED, reinterpret_cast<WPARAM>(window_), 0);
}

void ZelkGrPropertyPage::SetResult(LONG_PTR result)
{
    SetWindowLongPtrA(window_, DWLP_MSGRESULT, result);
}

void ApplyControlState(HWND control, const ZelkControlState& state)
{
    switch (state.kind) {
    case ZelkControlState::Kind::Combo:
        SendMessageA(control, CB_RESETCONTENT, 0, 0);
        for (const ZelkComboItem& item : state.items) {
            const LRESULT index = SendMessageA(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.label.c_str()));
            if (index >= 0) {
                SendMessageA(control, CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(item.data));
            }
        }
        // The model chose the position (labels are matched exactly there).
        SendMessageA(control, CB_SETCURSEL, static_cast<WPARAM>(state.selected), 0);
        break;
    case ZelkControlState::Kind::CheckBox:
        SendMessageA(control, BM_SETCHECK, state.checked ? BST_CHECKED : BST_UNCHECKED, 0);
        break;
    case ZelkControlState::Kind::UpDown:
        SendMessageA(control, UDM_SETBASE, 10, 0);
        SendMessageA(control, UDM_SETRANGE32, static_cast<WPARAM>(state.lower), static_cast<LPARAM>(state.upper));
        SendMessageA(control, UDM_SETPOS, 0, MAKELPARAM(static_cast<WORD>(state.position & 0xFFFF), 0));
        break;
    }
    EnableWindow(control, state.enabled ? TRUE : FALSE);
}

}  // namespace zelk
