#include "configurator/ZelkGrPropertyPage.h"

#include <utility>

#include "configurator/ZelkConfiguratorResource.h"

namespace zelk {

namespace {

// Property-sheet notifications are the codes PSN_LAST to PSN_FIRST; every
// other WM_NOTIFY code comes from a control on the page (an up-down control's
// UDN_DELTAPOS, for instance).
bool IsSheetNotification(UINT code)
{
    return code >= static_cast<UINT>(PSN_LAST) && code <= static_cast<UINT>(PSN_FIRST);
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
            SetResult(FALSE);  // let the position change
        }
        return FALSE;
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
