#include "options/Language.h"

#include "platform/common.h"
#include "platform/platform.h"
#include "settings/VarUnit.h"

namespace tw {

namespace {

const wchar_t* const kEnglish = L"English";

// A language name is kept as narrow text between reading and use, so only
// names the system code page can hold name a section.
std::wstring narrowRoundTrip(const std::wstring& text) {
    return plat::ansiToWide(plat::wideToAnsi(text));
}

std::wstring sectionFor(const std::wstring& languageName) {
    std::wstring name = narrowRoundTrip(languageName);
    return name.empty() ? kEnglish : name;
}

// LanguageText's answers for the keys, from a section read once.
std::vector<std::wstring> pageNames(const std::vector<plat::ProfileEntry>& lines,
                                    std::initializer_list<const char*> keys) {
    std::vector<std::wstring> names;
    for (const char* key : keys) {
        const std::wstring wide = plat::ansiToWide(key);
        names.push_back(profileText(lines, wide, wide));
    }
    return names;
}

}  // namespace

const std::vector<LanguageKey>& LanguageKeys() {
    using P = Place;
    static const std::vector<LanguageKey> keys = {
        {"Clean Button", L"Run Tidewell", {P::CleanButtonHint}},
        {"Log", L"Log", {P::LogButtonHint, P::MenuLog, P::LogTitle}},
        {"Backup Title", L"Backup", {P::BackupButtonHint, P::MenuBackup, P::BackupTitle}},
        {"Menu Options", L"Options", {P::OptionsButtonHint, P::MenuOptions}},
        {"Menu Desktop Icon", L"Desktop icon restorer", {P::DesktopIconButtonHint, P::MenuDesktopIcon}},
        {"Contents", L"Contents", {P::HelpButtonHint, P::MenuContents}},
        {"Select Main", L"Select", {P::LabelSelect}},
        {"Remove Main", L"Remove", {P::LabelRemove}},
        {"Menu Menu", L"Menu", {P::MenuMenu}},
        {"Close", L"Close", {P::MenuClose, P::TrayExit, P::PreviewClose}},
        {"Menu Tools", L"Tools", {P::MenuTools}},
        {"Menu Help", L"Help", {P::MenuHelp}},
        {"Menu About", L"About", {P::MenuAbout}},
        {"WarningMessage", L"Are you sure you want to continue?", {P::WarningMessage}},
        {"WarningMessageTitle", L"Warning", {P::WarningMessageTitle}},
        {"RebootMessage", L"Do you want to reboot?", {P::RebootMessage}},
        {"RebootMessageTitle", L"Reboot", {P::RebootMessageTitle, P::OptionsReboot}},
        {"SystemTray Minimize", L"Minimize", {P::TrayMinimize}},
        {"SystemTray Restore", L"Restore", {P::TrayRestore}},
        {"Homepage", L"Home Page", {P::MenuHomepage}},
        {"OK Button", L"OK", {P::LogOK, P::OptionsOK, P::BackupOK}},
        {"Log Remove Button", L"Remove", {P::LogRemove}},
        {"Log Select All Button", L"Select All", {P::LogSelectAll, P::BackupSelectAll}},
        {"About Title", L"About", {P::AboutTitle}},
        {"Donate Text",
         L"Tidewell is free. If it saved you an afternoon of hunting for driver leftovers, "
         L"please consider a donation: it keeps the development going.",
         {P::AboutDonate}},
        {"About Bitness", L"%1-bit build on %2-bit Windows", {P::AboutBitness}},
        {"Options Title", L"Options", {P::OptionsTitle}},
        {"Options Cancel Button", L"Cancel", {P::OptionsCancel}},
        {"Options Apply Button", L"Apply", {P::OptionsApply}},
        {"Options Language Label", L"Select the language you want to use:", {P::OptionsLanguageLabel}},
        {"Options File Cleaning", L"Files", {P::OptionsFileCleaning}},
        {"Options Registry Cleaning", L"Registry", {P::OptionsRegistryCleaning}},
        {"Options Systemtray", L"Enable systemtray", {P::OptionsSystemtray}},
        {"Options LogFiles Label", L"Save log to file after cleaning", {P::OptionsLogFiles}},
        {"Options Delete At Reboot Label", L"Delete files at reboot (If failed)", {P::OptionsDeleteAtReboot}},
        {"Options Remove NVIDIA", L"Remove NVIDIA Folder (C:\\NVIDIA)", {P::OptionsRemoveNVIDIA}},
        {"Options Remove ATi", L"Remove ATi Folder (C:\\ATi)", {P::OptionsRemoveATi}},
        {"Options Warning", L"Display warning message before cleaning", {P::OptionsWarning}},
        {"Options Backup", L"Create a backup", {P::OptionsBackup}},
        {"General", L"General", {P::OptionsGeneral}},
        {"DontReboot", L"Don't reboot", {P::OptionsDontReboot}},
        {"Prompt", L"Prompt", {P::OptionsPrompt}},
        {"AfterCleaning", L"Reboot after cleaning", {P::OptionsAfterCleaning}},
        {"Restore Button", L"Restore", {P::BackupRemoveRestore}},
        {"Desktop Icon Title", L"Desktop Icon Restorer", {P::DesktopTitle}},
        {"Desktop Icon Save", L"Save", {P::DesktopSaveTab, P::DesktopSaveButton}},
        {"Desktop Icon Restore", L"Restore", {P::DesktopRestoreTab, P::DesktopRestoreButton}},
        {"Desktop Icon Remove", L"Remove", {P::DesktopRemoveTab, P::DesktopRemoveButton}},
        {"Desktop Icon Save Label", L"Save desktop icon positions as", {P::DesktopSaveLabel}},
        {"Desktop Icon Restore Label", L"Restore positions to", {P::DesktopRestoreLabel}},
        {"Desktop Icon Remove Label", L"Select item to remove", {P::DesktopRemoveLabel}},
        {"Current date and time", L"Current date and time", {P::DesktopSaveComboBox}},
        {"Desktop Icon Resolution", L"Resolution", {P::DesktopResolution}},
        {"Preview", L"Preview", {P::MenuPreview, P::PreviewTitle}},
        {"Preview Clean Button", L"Clean", {P::PreviewClean}},
        {"Preview Save Button", L"Save...", {P::PreviewSave}},
        {"Preview Files", L"Files", {P::PreviewFiles}},
        {"Preview Folders", L"Folders", {P::PreviewFolders}},
        {"Preview Registry", L"Registry", {P::PreviewRegistry}},
        {"Preview Not Deleted", L"Not deleted", {P::PreviewNotDeleted}},
        {"Preview Nothing", L"Nothing to delete", {P::PreviewNothing}},
    };
    return keys;
}

bool IsNarrowPlace(Place place) {
    switch (place) {
        case Place::TrayMinimize:
        case Place::TrayRestore:
        case Place::TrayExit:
        case Place::WarningMessage:
        case Place::WarningMessageTitle:
        case Place::RebootMessage:
        case Place::RebootMessageTitle:
            return true;
        default:
            return false;
    }
}

const std::vector<std::wstring>& OptionsTargetNodes() {
    static const std::vector<std::wstring> nodes = {
        L"AGEIA PhysX",     L"ATi Display",    L"Creative Sound", L"Microsoft Mouse",
        L"NVIDIA Chipset", L"NVIDIA Display", L"Realtek Sound",
    };
    return nodes;
}

std::wstring LanguageFilePath() { return programFolderW() + L"Languages.ini"; }

void LoadLanguage(const std::wstring& languageName, LanguageTarget& target) {
    // The section is read once and its keys looked up as the system looks
    // them up: one read of the file instead of one per text.
    const std::wstring file = LanguageFilePath();
    const std::wstring section = trimProfileName(sectionFor(languageName));
    const std::vector<plat::ProfileEntry> lines = plat::profileSection(file, section);
    for (const LanguageKey& row : LanguageKeys()) {
        const std::wstring wide = profileText(lines, plat::ansiToWide(row.key), row.english);
        for (Place place : row.places) {
            std::wstring text = wide;
            if (IsNarrowPlace(place)) text = narrowRoundTrip(text);
            target.setText(place, text);
        }
    }
    // The page names are those of the settings' language, as LanguageText
    // gives them: its section is read once for all ten (usually it is the
    // one just read).
    const std::wstring current = trimProfileName(sectionFor(CurrentLanguageName()));
    const std::vector<plat::ProfileEntry> pages =
        equalsIgnoreCase(current, section) ? lines : plat::profileSection(file, current);
    target.rebuildPageTree(PageTree::About, pageNames(pages, {"About", "Donate", "Contact"}), {});
    target.rebuildPageTree(PageTree::Log, pageNames(pages, {"View log", "Remove log"}), {});
    target.rebuildPageTree(PageTree::Backup, pageNames(pages, {"Restore backup", "Remove backup"}), {});
    target.rebuildPageTree(PageTree::Options, pageNames(pages, {"Cleaning", "Language", "Miscellaneous"}),
                           OptionsTargetNodes());
}

std::wstring LanguageText(const std::string& key) { return LanguageText(key, plat::ansiToWide(key)); }

std::wstring LanguageText(const std::string& key, const std::wstring& fallback) {
    const std::wstring section = sectionFor(CurrentLanguageName());
    return plat::profileRead(LanguageFilePath(), section, plat::ansiToWide(key), fallback);
}

std::vector<std::wstring> LanguageNames() { return plat::profileSections(LanguageFilePath()); }

}  // namespace tw
