#include "options/win/OptionsForm.h"

#include <iterator>

#include "options/win/OptionsFormLayout.h"
#include "options/win/OptionsFormRes.h"
#include "platform/common.h"
#include "ui/PageTreeControl.h"
#include "ui/Placement.h"

namespace {

constexpr int kCleaningPage[] = {IDC_OPT_CLEAN_GROUP, IDC_OPT_FILES, IDC_OPT_REGISTRY, IDC_OPT_DRIVERS};
constexpr int kLanguagePage[] = {IDC_OPT_LANG_GROUP, IDC_OPT_LANG_LABEL, IDC_OPT_LANG_COMBO};
constexpr int kMiscellaneousPage[] = {
    IDC_OPT_GENERAL,      IDC_OPT_LOGFILES,    IDC_OPT_SYSTRAY,       IDC_OPT_DELETE_REBOOT,
    IDC_OPT_NVIDIA_FOLDER, IDC_OPT_WARNING,    IDC_OPT_BACKUP,        IDC_OPT_ATI_FOLDER,
    IDC_OPT_REBOOT_GROUP, IDC_OPT_DONT_REBOOT, IDC_OPT_PROMPT,        IDC_OPT_AFTER_CLEANING,
    IDC_OPT_BLOCK_REINSTALL, IDC_OPT_RESTORE_POINT};
// The reboot radio buttons, by the mode they stand for.
constexpr int kRebootRadios[] = {IDC_OPT_DONT_REBOOT, IDC_OPT_PROMPT, IDC_OPT_AFTER_CLEANING};

struct MiscControl {
    tw::MiscOption option;
    int id;
};
constexpr MiscControl kMiscControls[] = {
    {tw::MiscOption::LogFiles, IDC_OPT_LOGFILES},
    {tw::MiscOption::Systemtray, IDC_OPT_SYSTRAY},
    {tw::MiscOption::DeleteAtReboot, IDC_OPT_DELETE_REBOOT},
    {tw::MiscOption::NVIDIAFolder, IDC_OPT_NVIDIA_FOLDER},
    {tw::MiscOption::ATiFolder, IDC_OPT_ATI_FOLDER},
    {tw::MiscOption::WarningMessage, IDC_OPT_WARNING},
    {tw::MiscOption::Backup, IDC_OPT_BACKUP},
    {tw::MiscOption::BlockReinstall, IDC_OPT_BLOCK_REINSTALL},
    {tw::MiscOption::RestorePoint, IDC_OPT_RESTORE_POINT},
};

struct PlaceItem {
    tw::Place place;
    int id;
};

constexpr PlaceItem kPlaces[] = {
    {tw::Place::OptionsOK, IDOK},
    {tw::Place::OptionsCancel, IDCANCEL},
    {tw::Place::OptionsApply, IDC_OPT_APPLY},
    {tw::Place::OptionsLanguageLabel, IDC_OPT_LANG_LABEL},
    {tw::Place::OptionsFileCleaning, IDC_OPT_FILES},
    {tw::Place::OptionsRegistryCleaning, IDC_OPT_REGISTRY},
    {tw::Place::OptionsDriversCleaning, IDC_OPT_DRIVERS},
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
    {tw::Place::OptionsBlockReinstall, IDC_OPT_BLOCK_REINSTALL},
    {tw::Place::OptionsRestorePoint, IDC_OPT_RESTORE_POINT},
};

WPARAM ButtonState(tw::CheckState state) {
    switch (state) {
    case tw::CheckState::Checked: return BST_CHECKED;
    case tw::CheckState::Grayed: return BST_INDETERMINATE;
    case tw::CheckState::Unchecked: break;
    }
    return BST_UNCHECKED;
}

tw::CheckState CheckStateOf(HWND box) {
    switch (SendMessageW(box, BM_GETCHECK, 0, 0)) {
    case BST_CHECKED: return tw::CheckState::Checked;
    case BST_INDETERMINATE: return tw::CheckState::Grayed;
    default: return tw::CheckState::Unchecked;
    }
}

}  // namespace

TOptionsForm::TOptionsForm()
    : twui::Dialog({.id = IDD_OPTIONS, .treeId = IDC_OPT_TREE, .languageTree = tw::PageTree::Options}) {}

void TOptionsForm::OnInit() {
    twui::ApplyLayout(hwnd(), twlayout::options::kClientWidth, twlayout::options::kClientHeight,
                      twlayout::options::kControls);
    showPage(tw::OptionsPage::Cleaning);
}

void TOptionsForm::Open() {
    if (!EnsureWindow()) return;
    SelectFirstNode();
    OnPageChanged();
    ExpandFirstNode();
    ShowModal();
}

void TOptionsForm::OnPageChanged() { tw::ListViewItemsClick(*this); }

bool TOptionsForm::OnCommand(int id, int code, HWND /*control*/) {
    switch (id) {
    case IDOK: tw::ButtonOKClick(*this); return true;
    case IDCANCEL: tw::ButtonCancelClick(*this); return true;  // also Esc and the close box
    case IDC_OPT_APPLY: tw::ButtonApplyClick(*this); return true;
    default: break;
    }
    if (code != BN_CLICKED) return false;
    if (id == IDC_OPT_FILES || id == IDC_OPT_REGISTRY || id == IDC_OPT_DRIVERS) {
        CleaningBoxClicked(id);
        return true;
    }
    for (const MiscControl& entry : kMiscControls)
        if (entry.id == id) {
            tw::MiscellaneousBoxClick(entry.option,
                                      SendMessageW(item(id), BM_GETCHECK, 0, 0) == BST_CHECKED);
            return true;
        }
    for (int mode = 0; mode < static_cast<int>(std::size(kRebootRadios)); ++mode)
        if (kRebootRadios[mode] == id) {
            tw::RebootRadioClick(*this, mode);
            return true;
        }
    return false;
}

INT_PTR TOptionsForm::OnMessage(UINT msg, WPARAM, LPARAM, bool& handled) {
    handled = false;
    if (msg == DM_GETDEFID) {
        // No default button: Enter does not press OK. The answer names an
        // identifier that no control has, so Enter reaches no handler.
        SetWindowLongPtrW(hwnd(), DWLP_MSGRESULT, MAKELONG(IDC_OPT_NO_DEFAULT, DC_HASDEFID));
        handled = true;
        return TRUE;
    }
    return 0;
}

tw::Phase TOptionsForm::PhaseOf(int id) {
    return id == IDC_OPT_FILES ? tw::Phase::Files : id == IDC_OPT_REGISTRY ? tw::Phase::Registry : tw::Phase::Drivers;
}

// The cleaning boxes are three-state boxes that the program sets itself;
// a click toggles them as a two-state box would (grayed turns checked).
void TOptionsForm::CleaningBoxClicked(int id) {
    HWND box = item(id);
    const tw::CheckState next = tw::ToggledState(CheckStateOf(box));
    SendMessageW(box, BM_SETCHECK, ButtonState(next), 0);
    tw::CleaningBoxClick(*this, PhaseOf(id), next);
}

bool TOptionsForm::SetPlaceText(tw::Place place, const std::wstring& text) {
    if (place == tw::Place::OptionsTitle) {
        SetItemText(0, text);
        return true;
    }
    for (const PlaceItem& entry : kPlaces) {
        if (entry.place != place) continue;
        SetItemText(entry.id, text);
        return true;
    }
    return false;
}

// ---- tw::OptionsView ----

std::wstring TOptionsForm::selectedNodeText() const { return SelectedNodeText(); }

tw::OptionsPage TOptionsForm::selectedPage() const {
    // The top-level nodes are the pages in their order; nothing selected
    // counts as a target node that names no target.
    const std::optional<int> page = SelectedPage();
    switch (page.value_or(twui::PageTreeControl::kChildPage)) {
    case 0: return tw::OptionsPage::Cleaning;
    case 1: return tw::OptionsPage::Language;
    case 2: return tw::OptionsPage::Miscellaneous;
    default: return tw::OptionsPage::Target;
    }
}

void TOptionsForm::showPage(tw::OptionsPage page) {
    auto show = [&](const auto& ids, bool visible) {
        for (int id : ids) ShowWindow(item(id), visible ? SW_SHOW : SW_HIDE);
    };
    // Hide first, so that no two pages show at once.
    const bool cleaning = page == tw::OptionsPage::Cleaning || page == tw::OptionsPage::Target;
    const bool language = page == tw::OptionsPage::Language;
    const bool miscellaneous = page == tw::OptionsPage::Miscellaneous;
    if (!cleaning) show(kCleaningPage, false);
    if (!language) show(kLanguagePage, false);
    if (!miscellaneous) show(kMiscellaneousPage, false);
    if (cleaning) show(kCleaningPage, true);
    if (language) show(kLanguagePage, true);
    if (miscellaneous) show(kMiscellaneousPage, true);
}

void TOptionsForm::setCleaningBox(tw::Phase phase, tw::CheckState state) {
    for (const int id : {IDC_OPT_FILES, IDC_OPT_REGISTRY, IDC_OPT_DRIVERS})
        if (PhaseOf(id) == phase) SendMessageW(item(id), BM_SETCHECK, ButtonState(state), 0);
}

void TOptionsForm::setMiscBox(tw::MiscOption option, bool checked) {
    for (const MiscControl& entry : kMiscControls)
        if (entry.option == option)
            SendMessageW(item(entry.id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TOptionsForm::setRebootRadio(std::optional<int> index) {
    for (int mode = 0; mode < static_cast<int>(std::size(kRebootRadios)); ++mode)
        SendMessageW(item(kRebootRadios[mode]), BM_SETCHECK,
                     index == mode ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TOptionsForm::fillLanguages(const tw::LanguageChoices& choices) {
    HWND combo = item(IDC_OPT_LANG_COMBO);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const std::wstring& name : choices.names)
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    LRESULT index = CB_ERR;
    if (!choices.selected.empty())
        index = SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                             reinterpret_cast<LPARAM>(choices.selected.c_str()));
    SendMessageW(combo, CB_SETCURSEL, index == CB_ERR ? static_cast<WPARAM>(-1)
                                                      : static_cast<WPARAM>(index), 0);
}

std::wstring TOptionsForm::languageListText() const {
    HWND combo = item(IDC_OPT_LANG_COMBO);
    const LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return {};
    const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT got = SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index),
                                     reinterpret_cast<LPARAM>(text.data()));
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

tw::LanguageTarget& TOptionsForm::languageWindows() {
    if (!shell_) throw tw::AppError(L"The options dialog is not connected to the main window.");
    return shell_->AllWindows();
}

void TOptionsForm::expandFirstNode() { ExpandFirstNode(); }

void TOptionsForm::setTrayVisible(bool visible) {
    if (shell_) shell_->SetTrayVisible(visible);
}

void TOptionsForm::hideDialog() { Close(); }
