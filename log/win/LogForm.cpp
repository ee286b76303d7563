#include "log/win/LogForm.h"

#include <commctrl.h>

#include "log/LogDialog.h"
#include "log/win/LogFormLayout.h"
#include "log/win/LogFormRes.h"
#include "ui/CheckList.h"
#include "ui/ControlText.h"

TLogForm::TLogForm()
    : twui::ListBesideView({.dialog = {.id = IDD_LOG, .treeId = IDC_LOG_TREE, .languageTree = tw::PageTree::Log},
                            .listId = IDC_LOG_LIST,
                            .textViewId = IDC_LOG_MEMO,
                            .clientWidth = twlayout::log::kClientWidth,
                            .clientHeight = twlayout::log::kClientHeight,
                            .fixed = twlayout::log::kControls}) {}

void TLogForm::OnInit() {
    ListBesideView::OnInit();
    twui::CheckList(item(IDC_LOG_CHECKLIST)).Prepare(310);
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
    SetViewText(tw::LogViewText(log));
    shownGeneration_ = log.generation();
    memoFilled_ = true;
}

void TLogForm::OnPageChanged() {
    switch (SelectedPageAs(tw::LogPage::None)) {
    case tw::LogPage::View:
        twui::FillListBox(item(IDC_LOG_LIST), tw::LogNames());
        ShowControls({IDC_LOG_CHECKLIST}, false);
        ShowControls({IDC_LOG_LIST, IDC_LOG_MEMO}, true);
        ShowControls({IDC_LOG_REMOVE, IDC_LOG_SELECT_ALL}, false);
        RefreshMemo();
        break;
    case tw::LogPage::Remove: {
        ShowControls({IDC_LOG_LIST, IDC_LOG_MEMO}, false);
        ShowControls({IDC_LOG_CHECKLIST}, true);
        const twui::CheckList list(item(IDC_LOG_CHECKLIST));
        list.Clear();
        list.Add(tw::SortedLogNames());
        ShowControls({IDC_LOG_REMOVE, IDC_LOG_SELECT_ALL}, true);
        break;
    }
    case tw::LogPage::None: break;
    }
}

void TLogForm::OnListChoice() {
    const std::wstring name = twui::ListBoxSelection(item(IDC_LOG_LIST));
    if (name.empty()) return;
    tw::ViewLog(name);  // an unreadable file raises its error; the log stays
    RefreshMemo();
}

void TLogForm::RemoveLogs() {
    if (SelectedPageAs(tw::LogPage::None) != tw::LogPage::Remove) return;
    const twui::CheckList list(item(IDC_LOG_CHECKLIST));
    list.Remove(tw::RemoveCheckedLogs(list.Entries()));
}

void TLogForm::SelectAll() { twui::CheckList(item(IDC_LOG_CHECKLIST)).CheckAll(); }

bool TLogForm::OnCommand(int id, int code, HWND control) {
    switch (id) {
    case IDC_LOG_REMOVE:
        if (code == BN_CLICKED) RemoveLogs();
        return true;
    case IDC_LOG_SELECT_ALL:
        if (code == BN_CLICKED) SelectAll();
        return true;
    default: return ListBesideView::OnCommand(id, code, control);
    }
}

bool TLogForm::OnNotify(int id, const NMHDR& header) {
    // Delete in the check list removes the checked logs (the dialog-wide
    // Delete of PreviewKey has already run by then and left nothing checked).
    if (id == IDC_LOG_CHECKLIST && header.code == LVN_KEYDOWN &&
        reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_DELETE) {
        RemoveLogs();
        return true;
    }
    return false;
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
    SetItemText(id, text);
    return true;
}
