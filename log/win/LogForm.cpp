#include "log/win/LogForm.h"

#include "log/LogDialog.h"
#include "log/win/CheckList.h"
#include "log/win/LogFormLayout.h"
#include "log/win/LogFormRes.h"

TLogForm::TLogForm() : twui::Dialog(IDD_LOG, IDC_LOG_TREE) {}

void TLogForm::OnInit() {
    twui::ApplyLayout(hwnd(), twlayout::log::kClientWidth, twlayout::log::kClientHeight,
                      twlayout::log::kControls);
    twui::CheckList(item(IDC_LOG_CHECKLIST)).Prepare(310);
    // Long logs: no limit on the view's text.
    SendDlgItemMessageW(hwnd(), IDC_LOG_MEMO, EM_SETLIMITTEXT, 0, 0);
    ShowWindow(item(IDC_LOG_CHECKLIST), SW_HIDE);
    RefreshMemo(true);
}

void TLogForm::Open() {
    if (!EnsureWindow()) return;
    SelectFirstNode();
    OnPageChanged();
    RefreshMemo();
    ShowModal();
}

void TLogForm::RefreshMemo(bool force) {
    const tw::TRunLog& log = tw::RunLog();
    if (!force && memoFilled_ && log.generation() == shownGeneration_) return;
    const std::wstring text = tw::LogViewText(log);
    SetDlgItemTextW(hwnd(), IDC_LOG_MEMO, text.c_str());
    shownGeneration_ = log.generation();
    memoFilled_ = true;
}

void TLogForm::OnPageChanged() {
    const auto show = [this](int id, bool visible) {
        ShowWindow(item(id), visible ? SW_SHOWNA : SW_HIDE);
    };
    switch (tw::IdentifyLogPage(SelectedNodeText())) {
    case tw::LogPage::View:
        twui::FillListBox(item(IDC_LOG_LIST), tw::LogNames());
        show(IDC_LOG_CHECKLIST, false);
        show(IDC_LOG_LIST, true);
        show(IDC_LOG_MEMO, true);
        show(IDC_LOG_REMOVE, false);
        show(IDC_LOG_SELECT_ALL, false);
        RefreshMemo();
        break;
    case tw::LogPage::Remove: {
        show(IDC_LOG_LIST, false);
        show(IDC_LOG_MEMO, false);
        show(IDC_LOG_CHECKLIST, true);
        const twui::CheckList list(item(IDC_LOG_CHECKLIST));
        list.Clear();
        list.Add(tw::SortedLogNames());
        show(IDC_LOG_REMOVE, true);
        show(IDC_LOG_SELECT_ALL, true);
        break;
    }
    case tw::LogPage::None: break;
    }
}

void TLogForm::ViewSelectedLog() {
    const std::wstring name = twui::ListBoxSelection(item(IDC_LOG_LIST));
    if (name.empty()) return;
    tw::ViewLog(name);  // an unreadable file raises its error; the log stays
    RefreshMemo();
}

void TLogForm::RemoveLogs() {
    if (tw::IdentifyLogPage(SelectedNodeText()) != tw::LogPage::Remove) return;
    const twui::CheckList list(item(IDC_LOG_CHECKLIST));
    list.Remove(tw::RemoveCheckedLogs(list.Entries()));
}

void TLogForm::SelectAll() { twui::CheckList(item(IDC_LOG_CHECKLIST)).CheckAll(); }

bool TLogForm::OnCommand(int id, int code, HWND control) {
    switch (id) {
    case IDC_LOG_LIST:
        if (code == LBN_SELCHANGE) ViewSelectedLog();
        return true;
    case IDC_LOG_REMOVE:
        if (code == BN_CLICKED) RemoveLogs();
        return true;
    case IDC_LOG_SELECT_ALL:
        if (code == BN_CLICKED) SelectAll();
        return true;
    default: return twui::Dialog::OnCommand(id, code, control);
    }
}

INT_PTR TLogForm::OnMessage(UINT msg, WPARAM, LPARAM lParam, bool& handled) {
    handled = false;
    if (msg != WM_NOTIFY) return 0;
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (!header) return 0;
    // Delete in the check list removes the checked logs (the dialog-wide
    // Delete of PreviewKey has already run by then and left nothing checked).
    if (header->idFrom == IDC_LOG_CHECKLIST && header->code == LVN_KEYDOWN &&
        reinterpret_cast<const NMLVKEYDOWN*>(lParam)->wVKey == VK_DELETE) {
        RemoveLogs();
        handled = true;
    }
    return handled ? TRUE : 0;
}

bool TLogForm::PreviewKey(const MSG& key) {
    // The remove page as the Delete key looks it up; the key goes on to the
    // control that has the focus.
    if (key.message == WM_KEYDOWN && key.wParam == VK_DELETE &&
        tw::IsRemoveLogPageForDeleteKey(SelectedNodeText()))
        RemoveLogs();
    return false;
}

bool TLogForm::SetPlaceText(tw::Place place, const std::wstring& text) {
    int id = 0;  // the caption
    switch (place) {
    case tw::Place::LogTitle: break;
    case tw::Place::LogOK: id = IDOK; break;
    case tw::Place::LogRemove: id = IDC_LOG_REMOVE; break;
    case tw::Place::LogSelectAll: id = IDC_LOG_SELECT_ALL; break;
    default: return false;
    }
    SetItemText(static_cast<int>(place), id, text);
    return true;
}
