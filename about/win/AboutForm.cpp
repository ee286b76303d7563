#include "about/win/AboutForm.h"

#include "about/AboutUnit.h"
#include "about/win/AboutFormLayout.h"
#include "about/win/AboutFormRes.h"
#include "platform/platform.h"
#include "tw_version.h"
#include "ui/Placement.h"

namespace {

struct PageMemo {
    tw::AboutPage page;
    int id;
};
constexpr PageMemo kMemos[] = {
    {tw::AboutPage::About, IDC_ABOUT_MEMO_ABOUT},
    {tw::AboutPage::Donate, IDC_ABOUT_MEMO_DONATE},
    {tw::AboutPage::Contact, IDC_ABOUT_MEMO_CONTACT},
};

}  // namespace

// Centred on the desktop, unlike the other dialogs.
TAboutForm::TAboutForm()
    : twui::Dialog({.id = IDD_ABOUT, .treeId = IDC_ABOUT_TREE, .languageTree = tw::PageTree::About,
                    .centreOnScreen = true}) {}

void TAboutForm::OnInit() {
    twui::ApplyLayout(hwnd(), twlayout::about::kClientWidth, twlayout::about::kClientHeight,
                      twlayout::about::kControls);
    for (const PageMemo& memo : kMemos)
        SetDlgItemTextW(hwnd(), memo.id, tw::AboutPageText(memo.page, BuildDate(), L"").c_str());
}

const std::wstring& TAboutForm::BuildDate() {
    static const std::wstring date = tw::BuildDateText(TW_SOURCE_DATE_EPOCH, TW_COMPILER_DATE);
    return date;
}

void TAboutForm::Open() {
    if (!EnsureWindow()) return;
    SelectFirstNode();
    OnPageChanged();
    ShowModal();
}

void TAboutForm::OnPageChanged() {
    const tw::AboutPage page = SelectedPageAs(tw::AboutPage::None);
    if (page == tw::AboutPage::None) return;
    for (const PageMemo& memo : kMemos)
        if (memo.page != page) ShowWindow(item(memo.id), SW_HIDE);
    for (const PageMemo& memo : kMemos)
        if (memo.page == page) ShowWindow(item(memo.id), SW_SHOW);
}

bool TAboutForm::SetPlaceText(tw::Place place, const std::wstring& text) {
    switch (place) {
    case tw::Place::AboutTitle: SetItemText(0, text); return true;
    case tw::Place::AboutDonate:
        if (hwnd()) SetItemText(IDC_ABOUT_MEMO_DONATE, tw::DonatePageText(text));
        return true;
    case tw::Place::AboutBitness:
        if (hwnd()) {
            const std::wstring bitness = tw::BitnessText(text, plat::isSelf64Bit(), plat::isSystem64Bit());
            SetItemText(IDC_ABOUT_MEMO_ABOUT, tw::AboutPageText(tw::AboutPage::About, BuildDate(), bitness));
        }
        return true;
    default: return false;
    }
}
