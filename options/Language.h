// The language file "Languages.ini" beside the executable and the lookup of
// user-interface texts.
//
// LoadLanguage applies every text of one language at once; the windows receive
// the texts through a LanguageTarget, so the lookup itself runs (and is tested)
// without windows. LanguageText looks up one key of the current language and
// reads both files on every call.
#pragma once

#include <string>
#include <vector>

namespace tw {

// Every place that shows a text of the first key table.
enum class Place {
    // main window
    CleanButtonHint, LogButtonHint, BackupButtonHint, OptionsButtonHint, DesktopIconButtonHint,
    HelpButtonHint, LabelSelect, LabelRemove,
    MenuMenu, MenuClose, MenuTools, MenuLog, MenuBackup, MenuDesktopIcon, MenuOptions,
    MenuHelp, MenuContents, MenuAbout, MenuHomepage,
    TrayMinimize, TrayRestore, TrayExit,                                   // narrow
    WarningMessage, WarningMessageTitle, RebootMessage, RebootMessageTitle,  // narrow
    // Log dialog
    LogTitle, LogOK, LogRemove, LogSelectAll,
    // Backup dialog
    BackupTitle, BackupOK, BackupRemoveRestore, BackupSelectAll,
    // About dialog
    AboutTitle, AboutDonate, AboutBitness,
    // Options dialog
    OptionsTitle, OptionsOK, OptionsCancel, OptionsApply, OptionsLanguageLabel,
    OptionsFileCleaning, OptionsRegistryCleaning, OptionsDriversCleaning, OptionsSystemtray, OptionsLogFiles,
    OptionsDeleteAtReboot, OptionsRemoveNVIDIA, OptionsRemoveATi, OptionsWarning, OptionsBackup,
    OptionsGeneral, OptionsReboot, OptionsDontReboot, OptionsPrompt, OptionsAfterCleaning,
    OptionsBlockReinstall, OptionsRestorePoint,
    // desktop icon restorer
    DesktopTitle, DesktopSaveTab, DesktopSaveButton, DesktopRestoreTab, DesktopRestoreButton,
    DesktopRemoveTab, DesktopRemoveButton, DesktopSaveLabel, DesktopRestoreLabel,
    DesktopRemoveLabel, DesktopSaveComboBox, DesktopResolution,
    // Preview window (Tools > Preview)
    MenuPreview, PreviewTitle, PreviewClean, PreviewSave, PreviewClose, PreviewFiles,
    PreviewFolders, PreviewRegistry, PreviewDrivers, PreviewNotDeleted, PreviewNothing,
    Count
};

// One row of the first key table: the key, its English text and where it shows.
struct LanguageKey {
    const wchar_t* key;
    const wchar_t* english;
    std::vector<Place> places;
};
const std::vector<LanguageKey>& LanguageKeys();
// Narrow places receive the text converted to the system code page.
bool IsNarrowPlace(Place place);

// The four page trees, rebuilt in this order by LoadLanguage.
enum class PageTree { About, Log, Backup, Options };

// The child nodes of the Options dialog's "Cleaning" node: the families'
// settings sections, in the lists' order.
std::vector<std::wstring> OptionsTargetNodes();

// What LoadLanguage writes into. The windows implement it; tests record it.
class LanguageTarget {
public:
    virtual ~LanguageTarget() = default;
    virtual void setText(Place place, const std::wstring& text) = 0;
    // Clear the tree, add the top-level nodes in order (for the Options tree,
    // children = the seven target nodes under the first node, collapsed),
    // select the first node and run the dialog's page handler.
    virtual void rebuildPageTree(PageTree tree, const std::vector<std::wstring>& nodes,
                                 const std::vector<std::wstring>& firstNodeChildren) = 0;
};

// Program folder + "Languages.ini".
std::wstring LanguageFilePath();

// Applies every text of the named language (English per key where the file has
// none; an empty name means "English"), then rebuilds the four page trees in
// the order About, Log, Backup, Options. The page names come from LanguageText,
// that is from the language in the settings file, not from languageName.
void LoadLanguage(const std::wstring& languageName, LanguageTarget& target);

// The text of Key in the current language (settings "Languages"/"Current"), or
// Key itself. Reads both files on every call.
std::wstring LanguageText(const std::wstring& key);
// The same with another text than Key where the language has none.
std::wstring LanguageText(const std::wstring& key, const std::wstring& fallback);

// The names of all sections of the language file, in file order.
std::vector<std::wstring> LanguageNames();

}  // namespace tw
