#include "backup/win/BackupForm.h"

#include "backup/win/BackupFormLayout.h"
#include "backup/win/BackupFormRes.h"

namespace {

void PrepareCheckList(HWND list, int width) {
    ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = twui::Scale(width - 24);
    ListView_InsertColumn(list, 0, &column);
}

}  // namespace

TBackupForm::TBackupForm() : twui::Dialog(IDD_BACKUP, IDC_BACKUP_TREE) {}

void TBackupForm::OnInit() {
    twui::ApplyLayout(hwnd(), twlayout::backup::kClientWidth, twlayout::backup::kClientHeight,
                      twlayout::backup::kControls);
    PrepareCheckList(item(IDC_BACKUP_CHECK_RESTORE), 256);
    PrepareCheckList(item(IDC_BACKUP_CHECK_SETS), 256);
}

void TBackupForm::Open() {
    SelectFirstNode();
    OnPageChanged();
    ShowModal();
}

bool TBackupForm::SetPlaceText(tw::Place place, const std::wstring& text) {
    int id = 0;
    switch (place) {
    case tw::Place::BackupTitle: SetWindowTextW(hwnd(), text.c_str()); return true;
    case tw::Place::BackupOK: id = IDOK; break;
    case tw::Place::BackupRemoveRestore: id = IDC_BACKUP_REMOVE_RESTORE; break;
    case tw::Place::BackupSelectAll: id = IDC_BACKUP_SELECT_ALL; break;
    default: return false;
    }
    SetDlgItemTextW(hwnd(), id, text.c_str());
    return true;
}
