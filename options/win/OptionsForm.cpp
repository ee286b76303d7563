#include "options/win/OptionsForm.h"

#include <iterator>

#include "options/win/OptionsFormLayout.h"
#include "options/win/OptionsFormRes.h"

namespace {

constexpr int kCleaningPage[] = {IDC_OPT_CLEAN_GROUP, IDC_OPT_FILES, IDC_OPT_REGISTRY};
constexpr int kLanguagePage[] = {IDC_OPT_LANG_GROUP, IDC_OPT_LANG_LABEL, IDC_OPT_LANG_COMBO};
constexpr int kMiscellaneousPage[] = {
    IDC_OPT_GENERAL,      IDC_OPT_LOGFILES,    IDC_OPT_SYSTRAY,       IDC_OPT_DELETE_REBOOT,
    IDC_OPT_NVIDIA_FOLDER, IDC_OPT_WARNING,    IDC_OPT_BACKUP,        IDC_OPT_ATI_FOLDER,
    IDC_OPT_REBOOT_GROUP, IDC_OPT_DONT_REBOOT, IDC_OPT_PROMPT,        IDC_OPT_AFTER_CLEANING};

struct PlaceControl {
    tw::Place place;
    int id;
};

constexpr PlaceControl kPlaces[] = {
    {tw::Place::OptionsOK, IDOK},
    {tw::Place::OptionsCancel, IDCANCEL},
    {tw::Place::OptionsApply, IDC_OPT_APPLY},
    {tw::Place::OptionsLanguageLabel, IDC_OPT_LANG_LABEL},
    {tw::Place::OptionsFileCleaning, IDC_OPT_FILES},
    {tw::Place::OptionsRegistryCleaning, IDC_OPT_REGISTRY},
    {tw::Place::OptionsSystemtray, IDC_OPT_SYSTRAY},
    {tw::Place::OptionsLogFiles, IDC_OPT_LOGFILES},
    {tw::Place::OptionsDeleteAtReboot, IDC_OPT_DELETE_REBOOT},
    {tw::Place::OptionsRemoveNVIDIA, IDC_OPT_NVIDIA_FOLDER},
    {tw::Place::OptionsRemoveATi, IDC_OPT_ATI_FOLDER},
    {tw::Place::OptionsWarning, IDC_OPT_WARNING},
    {tw::Place::OptionsBackup, IDC_OPT_BACKUP},
    {tw::Place::OptionsGeneral, IDC_OPT_GENERAL},
    {tw::Place::OptionsReboot, IDC_OPT_REBOOT_GROUP},
    {tw::Place::OptionsDontReboot, IDC_OPT_DONT_REBOOT},
    {tw::Place::OptionsPrompt, IDC_OPT_PROMPT},
    {tw::Place::OptionsAfterCleaning, IDC_OPT_AFTER_CLEANING},
};

}  // namespace

TOptionsForm::TOptionsForm() : twui::Dialog(IDD_OPTIONS, IDC_OPT_TREE) {}

void TOptionsForm::OnInit() {
    twui::ApplyLayout(hwnd(), twlayout::options::kClientWidth, twlayout::options::kClientHeight,
                      twlayout::options::kControls);
    ShowPage(Page::Cleaning);
}

void TOptionsForm::ShowPage(Page page) {
    auto show = [&](const auto& ids, bool visible) {
        for (int id : ids) ShowWindow(item(id), visible ? SW_SHOW : SW_HIDE);
    };
    show(kCleaningPage, page == Page::Cleaning);
    show(kLanguagePage, page == Page::Language);
    show(kMiscellaneousPage, page == Page::Miscellaneous);
}

void TOptionsForm::Open() {
    SelectFirstNode();
    OnPageChanged();
    ExpandFirstNode();
    ShowModal();
}

bool TOptionsForm::SetPlaceText(tw::Place place, const std::wstring& text) {
    if (place == tw::Place::OptionsTitle) {
        SetWindowTextW(hwnd(), text.c_str());
        return true;
    }
    for (const PlaceControl& entry : kPlaces) {
        if (entry.place != place) continue;
        SetDlgItemTextW(hwnd(), entry.id, text.c_str());
        return true;
    }
    return false;
}
