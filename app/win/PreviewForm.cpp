#include "app/win/PreviewForm.h"

#include <commdlg.h>

#include "app/win/PreviewFormRes.h"
#include "log/LogUnit.h"
#include "platform/common.h"

namespace {

// At 96 DPI: margin, button size and the smallest client area.
constexpr int kMargin = 8, kGap = 6, kButtonWidth = 90, kButtonHeight = 25;
constexpr int kMinWidth = 360, kMinHeight = 200;

}  // namespace

TPreviewForm::TPreviewForm() : twui::Dialog(IDD_PREVIEW, 0) {}

void TPreviewForm::OnInit() {
    SendDlgItemMessageW(hwnd(), IDC_PREVIEW_TEXT, EM_SETLIMITTEXT, 0, 0);
    PlaceControls();
}

bool TPreviewForm::Open(const std::vector<tw::PreviewGroup>& groups) {
    const tw::PreviewTexts& texts = tw::PreviewMessages();
    SetWindowTextW(hwnd(), texts.title.c_str());
    SetDlgItemTextW(hwnd(), IDC_PREVIEW_CLEAN, texts.clean.c_str());
    SetDlgItemTextW(hwnd(), IDC_PREVIEW_SAVE, texts.save.c_str());
    SetDlgItemTextW(hwnd(), IDCANCEL, texts.close.c_str());
    text_ = tw::PreviewWindowText(groups, texts);
    SetDlgItemTextW(hwnd(), IDC_PREVIEW_TEXT, text_.c_str());
    cleanChosen_ = false;
    ShowModal();
    return cleanChosen_;
}

// The text fills the window above a row of the three buttons at its right.
void TPreviewForm::PlaceControls() {
    RECT client{};
    GetClientRect(hwnd(), &client);
    const int margin = twui::Scale(kMargin), gap = twui::Scale(kGap);
    const int bw = twui::Scale(kButtonWidth), bh = twui::Scale(kButtonHeight);
    const int width = client.right, height = client.bottom;
    const int buttonTop = height - margin - bh;
    MoveWindow(item(IDC_PREVIEW_TEXT), margin, margin, width - 2 * margin, buttonTop - gap - margin, TRUE);
    const int ids[] = {IDC_PREVIEW_CLEAN, IDC_PREVIEW_SAVE, IDCANCEL};
    int left = width - margin - 3 * bw - 2 * gap;
    for (int id : ids) {
        MoveWindow(item(id), left, buttonTop, bw, bh, TRUE);
        left += bw + gap;
    }
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
    const std::vector<std::uint8_t> bytes = tw::LogFileBytes({text_});
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const bool ok = file != INVALID_HANDLE_VALUE &&
                    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    const DWORD error = GetLastError();
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (!ok)
        throw tw::AppError(L"Cannot create file \"" + std::wstring(path) + L"\". " +
                           plat::errorText(static_cast<plat::Error>(error)));
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
    default: return twui::Dialog::OnCommand(id, code, control);
    }
}

INT_PTR TPreviewForm::OnMessage(UINT msg, WPARAM, LPARAM lParam, bool& handled) {
    handled = false;
    if (msg == WM_SIZE) {
        PlaceControls();
        handled = true;
    } else if (msg == WM_GETMINMAXINFO) {
        RECT frame{0, 0, twui::Scale(kMinWidth), twui::Scale(kMinHeight)};
        AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_EXSTYLE)));
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
        handled = true;
    }
    return 0;
}
