#include "app/win/TargetLists.h"

#include <commctrl.h>

#include "app/win/TWFormRes.h"
#include "ui/Errors.h"

namespace {

constexpr UINT_PTR kListSubclassId = 1;

}  // namespace

// ---- ListBoxTargetList ----

int ListBoxTargetList::count() const {
    const LRESULT n = SendMessageW(listBox_, LB_GETCOUNT, 0, 0);
    return n < 0 ? 0 : static_cast<int>(n);
}

std::wstring ListBoxTargetList::text(int index) const {
    const LRESULT length = SendMessageW(listBox_, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT got = SendMessageW(listBox_, LB_GETTEXT, static_cast<WPARAM>(index),
                                     reinterpret_cast<LPARAM>(text.data()));
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

bool ListBoxTargetList::selected(int index) const {
    return SendMessageW(listBox_, LB_GETSEL, static_cast<WPARAM>(index), 0) > 0;
}

void ListBoxTargetList::append(const std::wstring& text) {
    SendMessageW(listBox_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void ListBoxTargetList::erase(int index) {
    SendMessageW(listBox_, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

void ListBoxTargetList::clear() { SendMessageW(listBox_, LB_RESETCONTENT, 0, 0); }

// ---- TargetLists ----

void TargetLists::Attach(HWND window) {
    window_ = window;
    HWND items = GetDlgItem(window, IDC_LIST_ITEMS), clean = GetDlgItem(window, IDC_LIST_CLEAN);
    available_ = ListBoxTargetList(items);
    clean_ = ListBoxTargetList(clean);
    for (const std::wstring& label : tw::AvailableTargetLabels()) available_.append(label);
    // Enter in either list does what its button does.
    SetWindowSubclass(items, &TargetLists::ListProc, kListSubclassId, reinterpret_cast<DWORD_PTR>(this));
    SetWindowSubclass(clean, &TargetLists::ListProc, kListSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

bool TargetLists::OnCommand(int id, int code) {
    switch (id) {
    case IDC_LIST_ITEMS:
        if (code == LBN_DBLCLK) Select();
        return true;
    case IDC_LIST_CLEAN:
        if (code == LBN_DBLCLK) Remove();
        return true;
    case IDC_BUTTON_SELECT: Select(); return true;
    case IDC_BUTTON_SELECT_ALL: SelectAll(); return true;
    case IDC_BUTTON_DELETE: Remove(); return true;
    case IDC_BUTTON_DELETE_ALL: RemoveAll(); return true;
    default: return false;
    }
}

void TargetLists::Select() {
    tw::SelectSelected(available_, clean_);
    UpdateRemoveButtons();
}

void TargetLists::SelectAll() {
    tw::SelectAll(available_, clean_);
    UpdateRemoveButtons();
}

void TargetLists::Remove() {
    tw::RemoveSelected(clean_);
    UpdateRemoveButtons();
}

void TargetLists::RemoveAll() {
    tw::RemoveAll(clean_);
    UpdateRemoveButtons();
}

void TargetLists::UpdateRemoveButtons() {
    const BOOL enable = tw::RemoveButtonsEnabled(clean_) ? TRUE : FALSE;
    EnableWindow(GetDlgItem(window_, IDC_BUTTON_DELETE), enable);
    EnableWindow(GetDlgItem(window_, IDC_BUTTON_DELETE_ALL), enable);
}

LRESULT CALLBACK TargetLists::ListProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR /*id*/,
                                       DWORD_PTR data) {
    auto* self = reinterpret_cast<TargetLists*>(data);
    if (msg == WM_CHAR && wParam == 13 && self) {
        return twui::Guarded(0, [&] {
            if (GetDlgCtrlID(hwnd) == IDC_LIST_ITEMS)
                self->Select();
            else
                self->Remove();
            return LRESULT{0};
        });
    }
    if (msg == WM_GETDLGCODE && lParam) {
        // The keyboard navigation of the main window must leave Enter to the list.
        const auto* key = reinterpret_cast<const MSG*>(lParam);
        if ((key->message == WM_KEYDOWN || key->message == WM_CHAR) && key->wParam == VK_RETURN)
            return DLGC_WANTALLKEYS;
    }
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, &TargetLists::ListProc, kListSubclassId);
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}
