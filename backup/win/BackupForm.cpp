#include "backup/win/BackupForm.h"

#include "backup/BackupDialog.h"
#include "backup/win/BackupFormLayout.h"
#include "backup/win/BackupFormRes.h"
#include "log/win/CheckList.h"

TBackupForm::TBackupForm() : twui::Dialog(IDD_BACKUP, IDC_BACKUP_TREE) {}

void TBackupForm::OnInit() {
    twui::ApplyLayout(hwnd(), twlayout::backup::kClientWidth, twlayout::backup::kClientHeight,
                      twlayout::backup::kControls);
    twui::CheckList(item(IDC_BACKUP_CHECK_RESTORE)).Prepare(256);
    twui::CheckList(item(IDC_BACKUP_CHECK_SETS)).Prepare(256);
    const twlayout::Control& note = twlayout::backup::kBlockNote;
    twui::PlaceControl(hwnd(), note.id, note.x, note.y, note.width, note.height);
}

void TBackupForm::Open() {
    if (!EnsureWindow()) return;
    SelectFirstNode();
    OnPageChanged();
    ShowModal();
}

void TBackupForm::OnPageChanged() {
    const auto show = [this](int id, bool visible) {
        ShowWindow(item(id), visible ? SW_SHOWNA : SW_HIDE);
    };
    const twui::CheckList restore(item(IDC_BACKUP_CHECK_RESTORE));
    const twui::CheckList sets(item(IDC_BACKUP_CHECK_SETS));
    const tw::BackupPage page = tw::IdentifyBackupPage(SelectedNodeText());
    if (page != tw::BackupPage::None) {
        show(IDC_BACKUP_CHECK_SETS, page == tw::BackupPage::Remove);
        show(IDC_BACKUP_LIST, page == tw::BackupPage::Restore);
        show(IDC_BACKUP_CHECK_RESTORE, page == tw::BackupPage::Restore);
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
    const twlayout::Control& items = note.empty() ? kItems : kItemsAboveNote;
    twui::PlaceControl(hwnd(), items.id, items.x, items.y, items.width, items.height);
    SetDlgItemTextW(hwnd(), IDC_BACKUP_BLOCK_NOTE, note.c_str());
    ShowWindow(item(IDC_BACKUP_BLOCK_NOTE), note.empty() ? SW_HIDE : SW_SHOWNA);
}

void TBackupForm::ChooseSet() {
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
    switch (tw::IdentifyBackupPage(SelectedNodeText())) {
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
    switch (tw::IdentifyBackupPage(SelectedNodeText())) {
    case tw::BackupPage::Restore: twui::CheckList(item(IDC_BACKUP_CHECK_RESTORE)).CheckAll(); break;
    case tw::BackupPage::Remove: twui::CheckList(item(IDC_BACKUP_CHECK_SETS)).CheckAll(); break;
    case tw::BackupPage::None: break;
    }
}

bool TBackupForm::OnCommand(int id, int code, HWND control) {
    switch (id) {
    case IDC_BACKUP_LIST:
        if (code == LBN_SELCHANGE) ChooseSet();
        return true;
    case IDC_BACKUP_REMOVE_RESTORE:
        if (code == BN_CLICKED) RemoveOrRestore();
        return true;
    case IDC_BACKUP_SELECT_ALL:
        if (code == BN_CLICKED) SelectAll();
        return true;
    default: return twui::Dialog::OnCommand(id, code, control);
    }
}

INT_PTR TBackupForm::OnMessage(UINT msg, WPARAM, LPARAM lParam, bool& handled) {
    handled = false;
    if (msg != WM_NOTIFY) return 0;
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    // A set chosen in the remove list shows its sizes.
    if (header && header->idFrom == IDC_BACKUP_CHECK_SETS && header->code == LVN_ITEMCHANGED) {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
        if ((change->uChanged & LVIF_STATE) != 0 && (change->uNewState & LVIS_SELECTED) != 0 &&
            (change->uOldState & LVIS_SELECTED) == 0) {
            const std::wstring set = twui::CheckList(item(IDC_BACKUP_CHECK_SETS)).Selected();
            if (!set.empty()) ShowSizes(set);
        }
        handled = true;
        return TRUE;
    }
    return 0;
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
    SetItemText(static_cast<int>(place), id, text);
    return true;
}
