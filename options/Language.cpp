#include "options/Language.h"

#include "platform/common.h"
#include "platform/platform.h"
#include "settings/VarUnit.h"
#include "targets/FamilyTable.h"

namespace tw {

namespace {

const wchar_t* const kEnglish = L"English";

// A language name is kept as narrow text between reading and use, so only
// names the system code page can hold name a section.
std::wstring narrowRoundTrip(const std::wstring& text) { return plat::throughAnsi(text); }

std::wstring sectionFor(const std::wstring& languageName) {
    std::wstring name = narrowRoundTrip(languageName);
    return name.empty() ? kEnglish : name;
}

// LanguageText's answers for the keys, from a section read once.
std::vector<std::wstring> pageNames(const std::vector<plat::ProfileEntry>& lines,
                                    std::initializer_list<const wchar_t*> keys) {
    std::vector<std::wstring> names;
    for (const wchar_t* key : keys) names.push_back(profileText(lines, key, key));
    return names;
}

}  // namespace

const std::vector<LanguageKey>& LanguageKeys() {
    using P = Place;
    static const std::vector<LanguageKey> keys = {
        {L"Clean Button", L"Run Tidewell", {P::CleanButtonHint}},
        {L"Log", L"Log", {P::LogButtonHint, P::MenuLog, P::LogTitle}},
        {L"Backup Title", L"Backup", {P::BackupButtonHint, P::MenuBackup, P::BackupTitle}},
        {L"Menu Options", L"Options", {P::OptionsButtonHint, P::MenuOptions}},
        {L"Menu Desktop Icon", L"Desktop icon restorer", {P::DesktopIconButtonHint, P::MenuDesktopIcon}},
        {L"Contents", L"Contents", {P::HelpButtonHint, P::MenuContents}},
        {L"Select Main", L"Select", {P::LabelSelect}},
        {L"Remove Main", L"Remove", {P::LabelRemove}},
        {L"Menu Menu", L"Menu", {P::MenuMenu}},
        {L"Close", L"Close", {P::MenuClose, P::TrayExit, P::PreviewClose}},
        {L"Menu Tools", L"Tools", {P::MenuTools}},
        {L"Menu Help", L"Help", {P::MenuHelp}},
        {L"Menu About", L"About", {P::MenuAbout}},
        {L"WarningMessage", L"Are you sure you want to continue?", {P::WarningMessage}},
        {L"WarningMessageTitle", L"Warning", {P::WarningMessageTitle}},
        {L"RebootMessage", L"Do you want to reboot?", {P::RebootMessage}},
        {L"RebootMessageTitle", L"Reboot", {P::RebootMessageTitle, P::OptionsReboot}},
        {L"SystemTray Minimize", L"Minimize", {P::TrayMinimize}},
        {L"SystemTray Restore", L"Restore", {P::TrayRestore}},
        {L"Homepage", L"Home Page", {P::MenuHomepage}},
        {L"OK Button", L"OK", {P::LogOK, P::OptionsOK, P::BackupOK}},
        {L"Log Remove Button", L"Remove", {P::LogRemove}},
        {L"Log Select All Button", L"Select All", {P::LogSelectAll, P::BackupSelectAll}},
        {L"About Title", L"About", {P::AboutTitle}},
        {L"Donate Text",
         L"Tidewell is free. If it saved you an afternoon of hunting for driver leftovers, "
         L"please consider a donation: it keeps the development going.",
         {P::AboutDonate}},
        {L"About Bitness", L"%1-bit build on %2-bit Windows", {P::AboutBitness}},
        {L"Options Title", L"Options", {P::OptionsTitle}},
        {L"Options Cancel Button", L"Cancel", {P::OptionsCancel}},
        {L"Options Apply Button", L"Apply", {P::OptionsApply}},
        {L"Options Language Label", L"Select the language you want to use:", {P::OptionsLanguageLabel}},
        {L"Options File Cleaning", L"Files", {P::OptionsFileCleaning}},
        {L"Options Registry Cleaning", L"Registry", {P::OptionsRegistryCleaning}},
        {L"Options Drivers Cleaning", L"Driver packages and devices", {P::OptionsDriversCleaning}},
        {L"Options Systemtray", L"Enable systemtray", {P::OptionsSystemtray}},
        {L"Options LogFiles Label", L"Save log to file after cleaning", {P::OptionsLogFiles}},
        {L"Options Delete At Reboot Label", L"Delete files at reboot (If failed)", {P::OptionsDeleteAtReboot}},
        {L"Options Remove NVIDIA", L"Remove NVIDIA Folder (C:\\NVIDIA)", {P::OptionsRemoveNVIDIA}},
        {L"Options Remove ATi", L"Remove ATi Folder (C:\\ATi)", {P::OptionsRemoveATi}},
        {L"Options Warning", L"Display warning message before cleaning", {P::OptionsWarning}},
        {L"Options Backup", L"Create a backup", {P::OptionsBackup}},
        {L"Options Block Reinstall", L"Keep Windows Update from reinstalling", {P::OptionsBlockReinstall}},
        {L"Options Restore Point", L"Restore point before cleaning", {P::OptionsRestorePoint}},
        {L"General", L"General", {P::OptionsGeneral}},
        {L"DontReboot", L"Don't reboot", {P::OptionsDontReboot}},
        {L"Prompt", L"Prompt", {P::OptionsPrompt}},
        {L"AfterCleaning", L"Reboot after cleaning", {P::OptionsAfterCleaning}},
        {L"Restore Button", L"Restore", {P::BackupRemoveRestore}},
        {L"Desktop Icon Title", L"Desktop Icon Restorer", {P::DesktopTitle}},
        {L"Desktop Icon Save", L"Save", {P::DesktopSaveTab, P::DesktopSaveButton}},
        {L"Desktop Icon Restore", L"Restore", {P::DesktopRestoreTab, P::DesktopRestoreButton}},
        {L"Desktop Icon Remove", L"Remove", {P::DesktopRemoveTab, P::DesktopRemoveButton}},
        {L"Desktop Icon Save Label", L"Save desktop icon positions as", {P::DesktopSaveLabel}},
        {L"Desktop Icon Restore Label", L"Restore positions to", {P::DesktopRestoreLabel}},
        {L"Desktop Icon Remove Label", L"Select item to remove", {P::DesktopRemoveLabel}},
        {L"Current date and time", L"Current date and time", {P::DesktopSaveComboBox}},
        {L"Desktop Icon Resolution", L"Resolution", {P::DesktopResolution}},
        {L"Preview", L"Preview", {P::MenuPreview, P::PreviewTitle}},
        {L"Preview Clean Button", L"Clean", {P::PreviewClean}},
        {L"Preview Save Button", L"Save...", {P::PreviewSave}},
        {L"Preview Files", L"Files", {P::PreviewFiles}},
        {L"Preview Folders", L"Folders", {P::PreviewFolders}},
        {L"Preview Registry", L"Registry", {P::PreviewRegistry}},
        {L"Preview Drivers", L"Drivers", {P::PreviewDrivers}},
        {L"Preview Not Deleted", L"Not deleted", {P::PreviewNotDeleted}},
        {L"Preview Nothing", L"Nothing to delete", {P::PreviewNothing}},
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

std::vector<std::wstring> OptionsTargetNodes() {
    std::vector<std::wstring> nodes;
    for (const Family* family : FamiliesByLabel()) nodes.push_back(family->section);
    return nodes;
}

std::wstring LanguageFilePath() { return programFolder() + L"Languages.ini"; }

void LoadLanguage(const std::wstring& languageName, LanguageTarget& target) {
    // The section is read once and its keys looked up as the system looks
    // them up: one read of the file instead of one per text.
    const std::wstring file = LanguageFilePath();
    const std::wstring section = trimProfileName(sectionFor(languageName));
    const std::vector<plat::ProfileEntry> lines = plat::profileSection(file, section);
    for (const LanguageKey& row : LanguageKeys()) {
        const std::wstring wide = profileText(lines, row.key, row.english);
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
    target.rebuildPageTree(PageTree::About, pageNames(pages, {L"About", L"Donate", L"Contact"}), {});
    target.rebuildPageTree(PageTree::Log, pageNames(pages, {L"View log", L"Remove log"}), {});
    target.rebuildPageTree(PageTree::Backup, pageNames(pages, {L"Restore backup", L"Remove backup"}), {});
    target.rebuildPageTree(PageTree::Options, pageNames(pages, {L"Cleaning", L"Language", L"Miscellaneous"}),
                           OptionsTargetNodes());
}

std::wstring LanguageText(const std::wstring& key) { return LanguageText(key, key); }

std::wstring LanguageText(const std::wstring& key, const std::wstring& fallback) {
    const std::wstring section = sectionFor(CurrentLanguageName());
    return plat::profileRead(LanguageFilePath(), section, key, fallback);
}

std::vector<std::wstring> LanguageNames() { return plat::profileSections(LanguageFilePath()); }

}  // namespace tw
