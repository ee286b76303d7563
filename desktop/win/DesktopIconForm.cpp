#include "desktop/win/DesktopIconForm.h"

#include <commctrl.h>

#include "desktop/DesktopIconLayouts.h"

#include "desktop/win/DesktopIconFormLayout.h"
#include "desktop/win/DesktopIconFormRes.h"
#include "ui/ControlText.h"
#include "ui/Placement.h"

namespace {

constexpr int kSavePage[] = {IDC_DESK_SAVE_LABEL, IDC_DESK_SAVE_COMBO, IDC_DESK_SAVE_BUTTON};
constexpr int kRestorePage[] = {IDC_DESK_RESTORE_LABEL, IDC_DESK_RESTORE_COMBO,
                                IDC_DESK_RESTORE_BUTTON, IDC_DESK_RESOLUTION};
constexpr int kRemovePage[] = {IDC_DESK_REMOVE_LABEL, IDC_DESK_REMOVE_COMBO,
                               IDC_DESK_REMOVE_BUTTON};

}  // namespace

TDesktopIcon::TDesktopIcon() : twui::Dialog({.id = IDD_DESKTOP}) {}

void TDesktopIcon::OnInit() {
    twui::ApplyLayout(hwnd(), twlayout::desktop::kClientWidth, twlayout::desktop::kClientHeight,
                      twlayout::desktop::kControls);
    HWND tab = item(IDC_DESK_TAB);
    const wchar_t* names[] = {L"Save", L"Restore", L"Remove"};
    for (int i = 0; i < 3; ++i) {
        TCITEMW entry{};
        entry.mask = TCIF_TEXT;
        entry.pszText = const_cast<wchar_t*>(names[i]);
        TabCtrl_InsertItem(tab, i, &entry);
    }
    // The tab control lies under the page controls.
    SetWindowPos(tab, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    CheckDlgButton(hwnd(), IDC_DESK_RESOLUTION, BST_CHECKED);
    ShowPage(Page::Save);
    RefreshLists();
}

bool TDesktopIcon::OnCommand(int id, int code, HWND control) {
    if (code == BN_CLICKED) {
        switch (id) {
        case IDC_DESK_SAVE_BUTTON: SaveButtonClick(); return true;
        case IDC_DESK_RESTORE_BUTTON: RestoreButtonClick(); return true;
        case IDC_DESK_REMOVE_BUTTON: RemoveButtonClick(); return true;
        default: break;
        }
    }
    return twui::Dialog::OnCommand(id, code, control);
}

void TDesktopIcon::RefreshLists() {
    const tw::DesktopLayoutList list = tw::ListDesktopLayouts();
    for (int id : {IDC_DESK_RESTORE_COMBO, IDC_DESK_REMOVE_COMBO}) {
        HWND combo = item(id);
        SendMessageW(combo, CB_RESETCONTENT, 0, 0);
        for (const std::wstring& name : list.names)
            SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
        SetWindowTextW(combo, list.text.c_str());
    }
}

// A refused write leaves the lists as they are: the error ends the click.
void TDesktopIcon::SaveButtonClick() {
    tw::SaveDesktopLayout(twui::WindowText(item(IDC_DESK_SAVE_COMBO)));
    RefreshLists();
}

void TDesktopIcon::RestoreButtonClick() {
    tw::RestoreDesktopLayout(twui::WindowText(item(IDC_DESK_RESTORE_COMBO)),
                             IsDlgButtonChecked(hwnd(), IDC_DESK_RESOLUTION) == BST_CHECKED);
}

void TDesktopIcon::RemoveButtonClick() {
    tw::RemoveDesktopLayout(twui::WindowText(item(IDC_DESK_REMOVE_COMBO)));
    RefreshLists();
}

void TDesktopIcon::ShowPage(Page page) {
    auto show = [&](const auto& ids, bool visible) {
        for (int id : ids) ShowWindow(item(id), visible ? SW_SHOW : SW_HIDE);
    };
    show(kSavePage, page == Page::Save);
    show(kRestorePage, page == Page::Restore);
    show(kRemovePage, page == Page::Remove);
    TabCtrl_SetCurSel(item(IDC_DESK_TAB), static_cast<int>(page));
}

INT_PTR TDesktopIcon::OnMessage(UINT msg, WPARAM wParam, LPARAM, bool& handled) {
    handled = false;
    if (msg == WM_CTLCOLORSTATIC) {
        // Labels and the check box show the tab page's background through.
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        handled = true;
        return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
    }
    return 0;
}

bool TDesktopIcon::OnNotify(int id, const NMHDR& header) {
    if (id != IDC_DESK_TAB || header.code != TCN_SELCHANGE) return false;
    ShowPage(static_cast<Page>(TabCtrl_GetCurSel(item(IDC_DESK_TAB))));
    return true;
}

void TDesktopIcon::Open() { ShowModal(); }  // makes the window on first use

void TDesktopIcon::SetTabText(int index, const std::wstring& text) {
    HWND tab = item(IDC_DESK_TAB);
    if (!tab) return;
    TCITEMW entry{};
    entry.mask = TCIF_TEXT;
    entry.pszText = const_cast<wchar_t*>(text.c_str());
    TabCtrl_SetItem(tab, index, &entry);
}

bool TDesktopIcon::SetPlaceText(tw::Place place, const std::wstring& text) {
    using P = tw::Place;
    int id = 0;  // the caption
    switch (place) {
    case P::DesktopTitle: break;
    case P::DesktopSaveTab: SetTabText(0, text); return true;
    case P::DesktopRestoreTab: SetTabText(1, text); return true;
    case P::DesktopRemoveTab: SetTabText(2, text); return true;
    case P::DesktopSaveButton: id = IDC_DESK_SAVE_BUTTON; break;
    case P::DesktopRestoreButton: id = IDC_DESK_RESTORE_BUTTON; break;
    case P::DesktopRemoveButton: id = IDC_DESK_REMOVE_BUTTON; break;
    case P::DesktopSaveLabel: id = IDC_DESK_SAVE_LABEL; break;
    case P::DesktopRestoreLabel: id = IDC_DESK_RESTORE_LABEL; break;
    case P::DesktopRemoveLabel: id = IDC_DESK_REMOVE_LABEL; break;
    case P::DesktopResolution: id = IDC_DESK_RESOLUTION; break;
    case P::DesktopSaveComboBox: {
        // The text, and the text as the only entry of the list.
        HWND combo = item(IDC_DESK_SAVE_COMBO);
        if (!combo) return true;
        SendMessageW(combo, CB_RESETCONTENT, 0, 0);
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        SetWindowTextW(combo, text.c_str());
        return true;
    }
    default: return false;
    }
    SetItemText(id, text);
    return true;
}
