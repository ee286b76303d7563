#include "log/win/LogForm.h"

#include "log/win/LogFormLayout.h"
#include "log/win/LogFormRes.h"

TLogForm::TLogForm() : twui::Dialog(IDD_LOG, IDC_LOG_TREE) {}

void TLogForm::OnInit() {
    twui::ApplyLayout(hwnd(), twlayout::log::kClientWidth, twlayout::log::kClientHeight,
                      twlayout::log::kControls);
    // The check list: a list view with a check box per entry and one column.
    HWND list = item(IDC_LOG_CHECKLIST);
    ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = twui::Scale(310 - 24);
    ListView_InsertColumn(list, 0, &column);
}

void TLogForm::Open() {
    SelectFirstNode();
    OnPageChanged();
    ShowModal();
}

bool TLogForm::SetPlaceText(tw::Place place, const std::wstring& text) {
    switch (place) {
    case tw::Place::LogTitle: SetWindowTextW(hwnd(), text.c_str()); return true;
    case tw::Place::LogOK: SetDlgItemTextW(hwnd(), IDOK, text.c_str()); return true;
    case tw::Place::LogRemove: SetDlgItemTextW(hwnd(), IDC_LOG_REMOVE, text.c_str()); return true;
    case tw::Place::LogSelectAll:
        SetDlgItemTextW(hwnd(), IDC_LOG_SELECT_ALL, text.c_str());
        return true;
    default: return false;
    }
}
