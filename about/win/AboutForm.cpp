#include "about/win/AboutForm.h"

#include "about/win/AboutFormLayout.h"
#include "about/win/AboutFormRes.h"

namespace {

constexpr const wchar_t* kAboutText =
    L"Tidewell 1.0\r\n"
    L"Built " __DATE__ L"\r\n\r\n"
    L"Tidewell removes the files, folders and registry entries that hardware "
    L"drivers leave behind after they have been uninstalled.\r\n\r\n"
    L"Use it at your own risk: it deletes system files and registry keys. "
    L"Turn on the backup option in Options before cleaning if you may want "
    L"anything back.";
constexpr const wchar_t* kDonateText =
    L"Tidewell is free.\r\n\r\n"
    L"If it saved you an afternoon of hunting for driver leftovers, you can "
    L"support its development by telling others about it, by reporting what "
    L"it missed on your machine, or by translating it into your language.";
constexpr const wchar_t* kContactText =
    L"Questions, suggestions and feedback are welcome:\r\n\r\n"
    L"tidewell@example.org\r\n\r\n"
    L"Please tell which driver versions were installed and attach the log "
    L"of the cleaning run.";

}  // namespace

// Centred on the desktop, unlike the other dialogs.
TAboutForm::TAboutForm() : twui::Dialog(IDD_ABOUT, IDC_ABOUT_TREE, true) {}

void TAboutForm::OnInit() {
    twui::ApplyLayout(hwnd(), twlayout::about::kClientWidth, twlayout::about::kClientHeight,
                      twlayout::about::kControls);
    SetDlgItemTextW(hwnd(), IDC_ABOUT_MEMO_ABOUT, kAboutText);
    SetDlgItemTextW(hwnd(), IDC_ABOUT_MEMO_DONATE, kDonateText);
    SetDlgItemTextW(hwnd(), IDC_ABOUT_MEMO_CONTACT, kContactText);
}

void TAboutForm::Open() {
    SelectFirstNode();
    OnPageChanged();
    ShowModal();
}

bool TAboutForm::SetPlaceText(tw::Place place, const std::wstring& text) {
    if (place != tw::Place::AboutTitle) return false;
    SetWindowTextW(hwnd(), text.c_str());
    return true;
}
