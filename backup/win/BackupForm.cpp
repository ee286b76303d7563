#include "backup/win/BackupForm.h"

#include <commctrl.h>

#include "backup/BackupDialog.h"
#include "backup/win/BackupFormLayout.h"
#include "backup/win/BackupFormRes.h"
#include "ui/CheckList.h"
#include "ui/ControlText.h"
#include "ui/Placement.h"

TBackupForm::TBackupForm()
    : twui::ListBesideView(
          {.dialog = {.id = IDD_BACKUP, .treeId = IDC_BACKUP_TREE, .languageTree = tw::PageTree::Backup},
           .listId = IDC_BACKUP_LIST,
           .clientWidth = twlayout::backup::kClientWidth,
           .clientHeight = twlayout::backup::kClientHeight,
           .fixed = twlayout::backup::kControls}) {}

void TBackupForm::OnInit() {
    ListBesideView::OnInit();
    twui::CheckList(item(IDC_BACKUP_CHECK_RESTORE)).Prepare(256);
    twui::CheckList(item(IDC_BACKUP_CHECK_SETS)).Prepare(256);
    twui::PlaceControl(hwnd(), twlayout::backup::kBlockNote);
}

void TBackupForm::OnPageChanged() {
    const twui::CheckList restore(item(IDC_BACKUP_CHECK_RESTORE));
    const twui::CheckList sets(item(IDC_BACKUP_CHECK_SETS));
    const tw::BackupPage page = SelectedPageAs(tw::BackupPage::None);
    if (page != tw::BackupPage::None) {
        ShowControls({IDC_BACKUP_CHECK_SETS}, page == tw::BackupPage::Remove);
        ShowControls({IDC_BACKUP_LIST, IDC_BACKUP_CHECK_RESTORE}, page == tw::BackupPage::Restore);
        SetDlgItemTextW(hwnd(), IDC_BACKUP_REMOVE_RESTORE, tw::RemoveRestoreCaption(page).c_str());
        // The lists are refilled on every page change.
        const std::vector<std::wstring> names = tw::BackupSets();
        restore.Clear();
        sets.Clear();
        twui::FillListBox(item(IDC_BACKUP_LIST),
                          page == tw::BackupPage::Restore ? names : std::vector<std::wstring>{});
        if (page == tw::BackupPage::Remove) sets.Add(names);
    }
    SetDlgItemTextW(hwnd(), IDC_BACKUP_SIZE, L"");
    ShowBlockNote({});
}

void TBackupForm::ShowBlockNote(const std::wstring& note) {
    using namespace twlayout::backup;
    twui::PlaceControl(hwnd(), note.empty() ? kItems : kItemsAboveNote);
    SetDlgItemTextW(hwnd(), IDC_BACKUP_BLOCK_NOTE, note.c_str());
    ShowWindow(item(IDC_BACKUP_BLOCK_NOTE), note.empty() ? SW_HIDE : SW_SHOWNA);
}

void TBackupForm::OnListChoice() {
    const std::wstring set = twui::ListBoxSelection(item(IDC_BACKUP_LIST));
    if (set.empty()) return;
    const twui::CheckList restore(item(IDC_BACKUP_CHECK_RESTORE));
    restore.Clear();
    restore.Add(tw::SetItems(set));
    restore.CheckAll();
    ShowSizes(set);
    ShowBlockNote(tw::BlockNote(set));
}

void TBackupForm::ShowSizes(const std::wstring& set) {
    SetDlgItemTextW(hwnd(), IDC_BACKUP_SIZE, tw::SizeText(set).c_str());
}

void TBackupForm::RemoveOrRestore() {
    switch (SelectedPageAs(tw::BackupPage::None)) {
    case tw::BackupPage::Restore:
        tw::RestoreCheckedItems(twui::ListBoxSelection(item(IDC_BACKUP_LIST)),
                                twui::CheckList(item(IDC_BACKUP_CHECK_RESTORE)).Entries());
        break;
    case tw::BackupPage::Remove: {
        const twui::CheckList sets(item(IDC_BACKUP_CHECK_SETS));
        sets.Remove(tw::RemoveCheckedSets(sets.Entries()));
        break;
    }
    case tw::BackupPage::None: break;
    }
}

void TBackupForm::SelectAll() {
    switch (SelectedPageAs(tw::BackupPage::None)) {
    case tw::BackupPage::Restore: twui::CheckList(item(IDC_BACKUP_CHECK_RESTORE)).CheckAll(); break;
    case tw::BackupPage::Remove: twui::CheckList(item(IDC_BACKUP_CHECK_SETS)).CheckAll(); break;
    case tw::BackupPage::None: break;
    }
}

bool TBackupForm::OnCommand(int id, int code, HWND control) {
    switch (id) {
    case IDC_BACKUP_REMOVE_RESTORE:
        if (code == BN_CLICKED) RemoveOrRestore();
        return true;
    case IDC_BACKUP_SELECT_ALL:
        if (code == BN_CLICKED) SelectAll();
        return true;
    default: return ListBesideView::OnCommand(id, code, control);
    }
}

bool TBackupForm::OnNotify(int id, const NMHDR& header) {
    if (id != IDC_BACKUP_CHECK_SETS || header.code != LVN_ITEMCHANGED) return false;
    // A set chosen in the remove list shows its sizes.
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    if ((change.uChanged & LVIF_STATE) != 0 && (change.uNewState & LVIS_SELECTED) != 0 &&
        (change.uOldState & LVIS_SELECTED) == 0) {
        const std::wstring set = twui::CheckList(item(IDC_BACKUP_CHECK_SETS)).Selected();
        if (!set.empty()) ShowSizes(set);
    }
    return true;
}

bool TBackupForm::SetPlaceText(tw::Place place, const std::wstring& text) {
    int id = 0;  // the caption
    switch (place) {
    case tw::Place::BackupTitle: break;
    case tw::Place::BackupOK: id = IDOK; break;
    case tw::Place::BackupRemoveRestore: id = IDC_BACKUP_REMOVE_RESTORE; break;
    case tw::Place::BackupSelectAll: id = IDC_BACKUP_SELECT_ALL; break;
    default: return false;
    }
    SetItemText(id, text);
    return true;
}
