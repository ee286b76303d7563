#include "app/win/PreviewForm.h"

#include <commdlg.h>

#include "app/win/PreviewFormRes.h"
#include "log/LogUnit.h"
#include "platform/common.h"
#include "platform/platform.h"

namespace {

constexpr int kButtonRow[] = {IDC_PREVIEW_CLEAN, IDC_PREVIEW_SAVE, IDCANCEL};

}  // namespace

TPreviewForm::TPreviewForm()
    : twui::ListBesideView({.dialog = {.id = IDD_PREVIEW},
                            .textViewId = IDC_PREVIEW_TEXT,
                            .buttonRow = kButtonRow,
                            .minWidth = 360,
                            .minHeight = 200}) {}

bool TPreviewForm::Open(const std::vector<tw::PreviewGroup>& groups, const tw::PreviewTexts& texts) {
    SetItemText(0, texts.title);
    SetItemText(IDC_PREVIEW_CLEAN, texts.clean);
    SetItemText(IDC_PREVIEW_SAVE, texts.save);
    SetItemText(IDCANCEL, texts.close);
    text_ = tw::PreviewWindowText(groups, texts);
    SetViewText(text_);
    cleanChosen_ = false;
    ListBesideView::Open();
    return cleanChosen_;
}

void TPreviewForm::Save() {
    wchar_t path[MAX_PATH] = L"Preview.txt";
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = hwnd();
    ofn.lpstrFilter = L"*.txt\0*.txt\0*.*\0*.*\0";
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrDefExt = L"txt";
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameW(&ofn)) return;
    const plat::Error error = plat::writeFileBytes(path, tw::LogFileBytes({text_}));
    if (error != plat::kOk)
        throw tw::AppError(L"Cannot create file \"" + std::wstring(path) + L"\". " + plat::errorText(error));
}

bool TPreviewForm::OnCommand(int id, int code, HWND control) {
    switch (id) {
    case IDC_PREVIEW_CLEAN:
        if (code == BN_CLICKED) {
            cleanChosen_ = true;
            Close();
        }
        return true;
    case IDC_PREVIEW_SAVE:
        if (code == BN_CLICKED) Save();
        return true;
    default: return ListBesideView::OnCommand(id, code, control);
    }
}
