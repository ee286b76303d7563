#include "log/win/LogForm.h"

#include "log/win/LogFormRes.h"

namespace {

// Client area and controls, 96-DPI pixels.
constexpr twui::ControlPlace kLayout[] = {
    {IDC_LOG_TREE, 8, 8, 110, 230},
    {IDC_LOG_LIST, 126, 8, 310, 81},
    {IDC_LOG_MEMO, 126, 95, 310, 143},
    {IDC_LOG_CHECKLIST, 126, 8, 310, 230},
    {IDC_LOG_REMOVE, 203, 244, 75, 25},
    {IDOK, 282, 244, 75, 25},
    {IDC_LOG_SELECT_ALL, 361, 244, 75, 25},
};
constexpr int kClientWidth = 444;
constexpr int kClientHeight = 275;

}  // namespace

TLogForm::TLogForm() : twui::Dialog(IDD_LOG, IDC_LOG_TREE) {}

void TLogForm::OnInit() {
    twui::ApplyLayout(hwnd(), kClientWidth, kClientHeight, kLayout);
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
