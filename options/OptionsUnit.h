// The Options dialog's decisions, without windows.
//
// The dialog edits the settings variables directly: every click changes them
// at once, Apply (and OK) stores them with SaveSettings, and every close
// reloads them from the settings file, which drops what was not applied.
// The window code implements OptionsView and calls the handlers below; the
// handlers decide which page shows, what the Cleaning page's boxes show
// (checked, grayed, unchecked), which switches a click changes, and what
// Apply stores and applies.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tw {

class LanguageTarget;

// The three pages, and the seven target nodes under "Cleaning".
enum class OptionsPage { Cleaning, Language, Miscellaneous, Target };

// The page a selected node's text stands for: compared, with case, with
// LanguageText of "Cleaning", "Language" and "Miscellaneous" in this order,
// so the first of two pages that translate alike wins; any other text is a
// target node.
OptionsPage OptionsPageOf(const std::wstring& selectedNodeText);

// The phases of a target, one check box each on the Cleaning page.
enum class Phase { Files, Registry, Drivers };
enum class CheckState { Unchecked, Checked, Grayed };

// The switch of one target and phase, found by the target's settings section
// ("NVIDIA Display", ...), compared with case; null for any other name.
bool* TargetSwitch(const std::wstring& targetName, Phase phase);
// Checked when all seven switches of the phase are on, grayed when some are,
// unchecked when none is.
CheckState PhaseState(Phase phase);
// The state a click gives a two-state box: a grayed box turns checked.
CheckState ToggledState(CheckState state);

// The options of the Miscellaneous page that are plain switches.
enum class MiscOption {
    LogFiles, Systemtray, DeleteAtReboot, NVIDIAFolder, ATiFolder, WarningMessage, Backup, BlockReinstall,
    RestorePoint
};
inline constexpr MiscOption kMiscOptions[] = {
    MiscOption::LogFiles,  MiscOption::Systemtray,     MiscOption::DeleteAtReboot,
    MiscOption::NVIDIAFolder, MiscOption::ATiFolder, MiscOption::WarningMessage,
    MiscOption::Backup, MiscOption::BlockReinstall, MiscOption::RestorePoint};
bool& MiscSetting(MiscOption option);

// The radio button (0 "Don't reboot", 1 "Prompt", 2 "Reboot after cleaning")
// that shows a reboot mode; none for any other mode.
std::optional<int> RebootRadio(int rebootMode);

// The language list: the language file's sections sorted without regard to
// case, and the entry naming the current language (compared without regard
// to case, as section names are); empty when there is none.
struct LanguageChoices {
    std::vector<std::wstring> names;
    std::wstring selected;
};
LanguageChoices LanguagePageChoices();

// What the handlers need of the dialog's windows.
class OptionsView {
public:
    virtual ~OptionsView() = default;
    virtual std::wstring selectedNodeText() const = 0;
    // The selected node's page. The dialog knows it from the node itself;
    // a view that knows only the text has it found by OptionsPageOf.
    virtual OptionsPage selectedPage() const { return OptionsPageOf(selectedNodeText()); }
    // Shows one page (Cleaning, Language or Miscellaneous) and hides the others.
    virtual void showPage(OptionsPage page) = 0;
    virtual void setCleaningBox(Phase phase, CheckState state) = 0;
    virtual void setMiscBox(MiscOption option, bool checked) = 0;
    // Checks one radio button (0, 1, 2) and clears the others; none: clears all.
    virtual void setRebootRadio(std::optional<int> index) = 0;
    virtual void fillLanguages(const LanguageChoices& choices) = 0;
    // The language list's text: the selected name, empty when none.
    virtual std::wstring languageListText() const = 0;
    // Every window's language places and page trees (LoadLanguage's target).
    virtual LanguageTarget& languageWindows() = 0;
    virtual void expandFirstNode() = 0;
    virtual void setTrayVisible(bool visible) = 0;
    // Hides the dialog (after the handlers below have reloaded the settings).
    virtual void hideDialog() = 0;
};

// ListViewItemsClick, also run when Up or Down moves the tree's selection.
void ListViewItemsClick(OptionsView& view);
// Sets both boxes from the named target's switches; any other name leaves
// them unchanged. False when the name is not a target.
bool ShowTarget(OptionsView& view, const std::wstring& targetName);
// A click on CheckBoxFile or CheckBoxReg that gave the box `newState`: with a
// target node selected that target's switch follows the box; with "Cleaning"
// selected all seven follow it unless it is grayed.
void CleaningBoxClick(OptionsView& view, Phase phase, CheckState newState);

void MiscellaneousShowPage(OptionsView& view);
void MiscellaneousBoxClick(MiscOption option, bool checked);
void RebootRadioClick(OptionsView& view, int mode);
// Shows the tray icon exactly when SystemTray is on.
void MiscellaneousApplyPage(OptionsView& view);

void LanguageShowPage(OptionsView& view);
// Stores the list's language in the settings file and applies it to every
// window (nothing stored when the list's text is empty); then expands the
// tree's first node.
void LanguageApplyPage(OptionsView& view);

// SaveSettings; then, when the Language page shows, its ApplyPage (which
// returns the dialog to the Cleaning page); then, when the Miscellaneous page
// shows, its ApplyPage.
void ButtonApplyClick(OptionsView& view);
// Apply, then close.
void ButtonOKClick(OptionsView& view);
// Close without storing anything.
void ButtonCancelClick(OptionsView& view);
// Every close (OK, Cancel, Esc, close box): the settings are reloaded from the file.
void OptionsFormClose(OptionsView& view);

}  // namespace tw
