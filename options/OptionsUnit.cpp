#include "options/OptionsUnit.h"

#include <algorithm>

#include "options/Language.h"
#include "platform/common.h"
#include "settings/VarUnit.h"
#include "targets/Target.h"

namespace tw {

namespace {

bool* SwitchOf(const Family& family, Phase phase) {
    PhaseSwitches& on = SwitchesOf(family);
    return phase == Phase::Files ? &on.files : phase == Phase::Registry ? &on.registry : &on.drivers;
}

// Case-insensitive order of the language list, as a sorted list box keeps it.
bool LessIgnoringCase(const std::wstring& a, const std::wstring& b) {
    const std::wstring ua = upperAscii(a), ub = upperAscii(b);
    return ua != ub ? ua < ub : a < b;
}

}  // namespace

OptionsPage OptionsPageOf(const std::wstring& selectedNodeText) {
    if (selectedNodeText == LanguageText(L"Cleaning")) return OptionsPage::Cleaning;
    if (selectedNodeText == LanguageText(L"Language")) return OptionsPage::Language;
    if (selectedNodeText == LanguageText(L"Miscellaneous")) return OptionsPage::Miscellaneous;
    return OptionsPage::Target;
}

bool* TargetSwitch(const std::wstring& targetName, Phase phase) {
    const Family* family = FindFamilyBySection(targetName);
    return family ? SwitchOf(*family, phase) : nullptr;
}

CheckState PhaseState(Phase phase) {
    int on = 0;
    for (const Family& family : FamilyTable())
        if (*SwitchOf(family, phase)) ++on;
    if (on == 0) return CheckState::Unchecked;
    return on == static_cast<int>(FamilyTable().size()) ? CheckState::Checked : CheckState::Grayed;
}

CheckState ToggledState(CheckState state) {
    return state == CheckState::Checked ? CheckState::Unchecked : CheckState::Checked;
}

bool& MiscSetting(MiscOption option) {
    switch (option) {
    case MiscOption::LogFiles: return LogFiles;
    case MiscOption::Systemtray: return SystemTray;
    case MiscOption::DeleteAtReboot: return DeleteAtReboot;
    case MiscOption::NVIDIAFolder: return RemoveNVIDIAFolder;
    case MiscOption::ATiFolder: return RemoveATiFolder;
    case MiscOption::WarningMessage: return DisplayWarning;
    case MiscOption::BlockReinstall: return BlockReinstallEnabled;
    case MiscOption::RestorePoint: return RestorePointEnabled;
    case MiscOption::Backup: break;
    }
    return BackupEnabled;
}

std::optional<int> RebootRadio(int rebootMode) {
    if (rebootMode >= 0 && rebootMode <= 2) return rebootMode;
    return std::nullopt;
}

LanguageChoices LanguagePageChoices() {
    LanguageChoices choices;
    choices.names = LanguageNames();
    std::sort(choices.names.begin(), choices.names.end(), LessIgnoringCase);
    const std::wstring current = CurrentLanguageName();
    for (const std::wstring& name : choices.names)
        if (equalsIgnoreCase(name, current)) {
            choices.selected = name;
            break;
        }
    return choices;
}

// ---- page handler and Cleaning page ----

void ListViewItemsClick(OptionsView& view) {
    switch (view.selectedPage()) {
    case OptionsPage::Cleaning:
        for (Phase phase : {Phase::Files, Phase::Registry, Phase::Drivers}) view.setCleaningBox(phase, PhaseState(phase));
        view.showPage(OptionsPage::Cleaning);
        return;
    case OptionsPage::Language:
        LanguageShowPage(view);
        view.showPage(OptionsPage::Language);
        return;
    case OptionsPage::Miscellaneous:
        MiscellaneousShowPage(view);
        view.showPage(OptionsPage::Miscellaneous);
        return;
    case OptionsPage::Target:
        ShowTarget(view, view.selectedNodeText());
        view.showPage(OptionsPage::Cleaning);
        return;
    }
}

bool ShowTarget(OptionsView& view, const std::wstring& targetName) {
    if (!FindFamilyBySection(targetName)) return false;
    for (Phase phase : {Phase::Files, Phase::Registry, Phase::Drivers})
        view.setCleaningBox(phase, *TargetSwitch(targetName, phase) ? CheckState::Checked : CheckState::Unchecked);
    return true;
}

void CleaningBoxClick(OptionsView& view, Phase phase, CheckState newState) {
    const std::wstring selected = view.selectedNodeText();
    if (bool* target = TargetSwitch(selected, phase)) {
        *target = newState == CheckState::Checked;
        return;
    }
    if (view.selectedPage() != OptionsPage::Cleaning || newState == CheckState::Grayed) return;
    for (const Family& family : FamilyTable()) *SwitchOf(family, phase) = newState == CheckState::Checked;
}

// ---- Miscellaneous page ----

void MiscellaneousShowPage(OptionsView& view) {
    for (MiscOption option : kMiscOptions) view.setMiscBox(option, MiscSetting(option));
    view.setRebootRadio(RebootRadio(RebootMode));
}

void MiscellaneousBoxClick(MiscOption option, bool checked) { MiscSetting(option) = checked; }

void RebootRadioClick(OptionsView& view, int mode) {
    view.setRebootRadio(RebootRadio(mode));
    RebootMode = mode;
}

void MiscellaneousApplyPage(OptionsView& view) { view.setTrayVisible(SystemTray); }

// ---- Language page ----

void LanguageShowPage(OptionsView& view) { view.fillLanguages(LanguagePageChoices()); }

void LanguageApplyPage(OptionsView& view) {
    const std::wstring name = view.languageListText();
    if (!name.empty()) {
        SetCurrentLanguageName(name);
        LoadLanguage(name, view.languageWindows());
    }
    view.expandFirstNode();
}

// ---- buttons and closing ----

void ButtonApplyClick(OptionsView& view) {
    SaveSettings();
    if (view.selectedPage() == OptionsPage::Language) LanguageApplyPage(view);
    // Asked again: applying a language returns the dialog to its Cleaning page.
    if (view.selectedPage() == OptionsPage::Miscellaneous)
        MiscellaneousApplyPage(view);
}

void ButtonOKClick(OptionsView& view) {
    ButtonApplyClick(view);
    OptionsFormClose(view);
}

void ButtonCancelClick(OptionsView& view) { OptionsFormClose(view); }

void OptionsFormClose(OptionsView& view) {
    TVarUnit reload;
    (void)reload;
    view.hideDialog();
}

}  // namespace tw
