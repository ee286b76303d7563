// The Log, Backup and About dialogs' decisions on the program folder's real
// Logs and Backup folders: pages found by their translated names, the lists,
// viewing, restoring and removing.
#include <algorithm>

#include "about/AboutUnit.h"
#include "backup/BackupDialog.h"
#include "backup/BackupUnit.h"
#include "engine/DeleteUnit.h"
#include "faults.h"
#include "program_folder.h"

namespace {

using dialogs::narrow;
using Names = std::vector<std::wstring>;
using Indexes = std::vector<std::size_t>;
using winetest::fileExists;
constexpr std::uint64_t kMB = 1048576;

Names sorted(Names names) {
    std::sort(names.begin(), names.end());
    return names;
}

// Writes a file, making its folders first.
void put(const std::string& path, const std::string& bytes) {
    winetest::makeFolders(path.substr(0, path.find_last_of('\\')));
    winetest::writeFile(path, bytes);
}

class Dialogs : public dialogs::ProgramFolderTest {};

TEST_F(Dialogs, PagesAreFoundByTheCurrentLanguagesNamesWithCase) {
    languages(L"[Deutsch]\r\nview log=Protokoll\r\nRemove log=Entfernen\r\nRestore backup=Einspielen\r\n"
              L"Remove backup=Sicherungen\r\nRemove Button=L\u00f6schen\r\nAbout=Info\r\nDonate=Spenden\r\n"
              L"Contact=Kontakt\r\n[Alike]\r\nDonate=About\r\nContact=About\r\n");
    using L = tw::LogPage;
    using B = tw::BackupPage;
    using A = tw::AboutPage;
    const struct {
        const wchar_t *language, *node;
        L log;
        B backup;
        A about;
    } cases[] = {
        {L"English", L"View log", L::View, B::None, A::None},    {L"English", L"Remove log", L::Remove, B::None, A::None},
        {L"English", L"view log", L::None, B::None, A::None},    {L"English", L"Restore backup", L::None, B::Restore, A::None},
        {L"English", L"Remove backup", L::None, B::Remove, A::None}, {L"English", L"About", L::None, B::None, A::About},
        {L"English", L"Donate", L::None, B::None, A::Donate},    {L"English", L"Contact", L::None, B::None, A::Contact},
        {L"English", L"contact", L::None, B::None, A::None},     {L"Deutsch", L"Protokoll", L::View, B::None, A::None},
        {L"Deutsch", L"Entfernen", L::Remove, B::None, A::None}, {L"Deutsch", L"View log", L::None, B::None, A::None},
        {L"Deutsch", L"Sicherungen", L::None, B::Remove, A::None}, {L"Deutsch", L"Spenden", L::None, B::None, A::Donate},
        {L"Deutsch", L"Kontakt", L::None, B::None, A::Contact},  {L"Alike", L"About", L::None, B::None, A::About},
    };
    for (const auto& c : cases) {
        tw::SetCurrentLanguageName(c.language);
        EXPECT_EQ(tw::IdentifyLogPage(c.node), c.log) << narrow(c.node);
        EXPECT_EQ(tw::IdentifyBackupPage(c.node), c.backup) << narrow(c.node);
        EXPECT_EQ(tw::AboutPageOf(c.node), c.about) << narrow(c.node);
        // The Delete key's "Remove Log" reads the entry "Remove log" of a file, without case.
        EXPECT_EQ(tw::IsRemoveLogPageForDeleteKey(c.node), c.log == L::Remove && c.language[0] == L'D');
    }
    tw::SetCurrentLanguageName(L"Deutsch");
    EXPECT_EQ(tw::RemoveRestoreCaption(B::Remove), L"L\u00f6schen");
    EXPECT_EQ(tw::RemoveRestoreCaption(B::Restore), L"Restore Button");
}

TEST_F(Dialogs, LogListViewAndRemoval) {
    const std::string logs = tw::LogFolder();
    EXPECT_TRUE(tw::LogNames().empty()) << "no folder yet";
    for (const char* name : {"b.txt", "ABC.TXT", "notes.doc", "a.txtx", "d.txt", "c.txt"}) put(logs + name, "x");
    put(logs + "old.txt", "x");
    ::SetFileAttributesA((logs + "old.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(sorted(tw::LogNames()), (Names{L"ABC", L"b", L"c", L"d", L"old"}));
    EXPECT_EQ(tw::SortedLogNames(), (Names{L"ABC", L"b", L"c", L"d", L"old"}));

    const auto lines = tw::LogFileBytes({L"Not deleted file (C:\\b)", L"Deleted file (C:\\z)", L"deleted file (C:\\a)"});
    put(logs + "ABC.TXT", std::string(lines.begin(), lines.end()));
    tw::ViewLog(L"ABC");
    EXPECT_EQ(tw::RunLog().lines(), (Names{L"deleted file (C:\\a)", L"Deleted file (C:\\z)", L"Not deleted file (C:\\b)"}));
    tw::RunLog().replace({L"kept"});
    try {
        tw::ViewLog(L"gone");
        ADD_FAILURE() << "a missing log was shown";
    } catch (const tw::AppError& e) {
        EXPECT_TRUE(e.message().starts_with(L"Cannot open file \"" + plat::ansiToWide(logs) + L"gone.txt\". "));
    }
    EXPECT_EQ(tw::RunLog().lines(), Names{L"kept"});

    // Last to first; a file that stays is taken out of the list all the same.
    faults::fail(faults::Call::DeleteFile, "\\c.txt");
    const std::string outside = tw::programFolder() + "tw_outside.txt";
    put(outside, "x");
    EXPECT_EQ(tw::RemoveCheckedLogs({{L"a", false}, {L"b", true}, {L"c", true}, {L"d", true}, {L"..\\tw_outside", true}}),
              (Indexes{4, 3, 2, 1}));
    EXPECT_EQ(tw::SortedLogNames(), (Names{L"ABC", L"c", L"old"}));
    EXPECT_TRUE(fileExists(outside)) << "a name that leaves the folder";
    ::DeleteFileA(outside.c_str());
}

TEST_F(Dialogs, BackupSetsItemsAndSizes) {
    const std::string root = tw::BackupRoot(), set = root + "S1\\";
    EXPECT_TRUE(tw::BackupSets().empty()) << "no backup root yet";
    put(set + "X - Files\\C';A;\\a.dll", std::string(kMB, 'a'));
    put(set + "X - Files\\C';A;B;\\b.dll", std::string(kMB / 2, 'b'));
    put(set + "X - Registry\\HKLM;x.TW", std::string(100, 'r'));
    put(root + "S2\\Y - Files\\C';\\c.sys", std::string(kMB, 'c'));
    put(root + "stray.txt", "");
    for (const char* name : {"hidden", "system"}) winetest::makeFolders(root + name);
    ::SetFileAttributesA((root + "hidden").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
    ::SetFileAttributesA((root + "system").c_str(), FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(sorted(tw::BackupSets()), (Names{L"S1", L"S2"}));
    EXPECT_EQ(sorted(tw::SetItems(L"S1")), (Names{L"X - Files", L"X - Registry"}));
    EXPECT_TRUE(tw::SetItems(L"..").empty());
    EXPECT_EQ(tw::FolderSize(set), 3 * kMB / 2 + 100);
    const std::wstring sep = plat::decimalSeparator();
    EXPECT_EQ(tw::SizeText(L"S1"), L"1" + sep + L"5MB / 2" + sep + L"5MB");
    EXPECT_EQ(tw::SizeText(L".."), L"0MB / 2" + sep + L"5MB");

    const struct {
        std::uint64_t bytes;
        const wchar_t* text;
    } cases[] = {{0, L"0"}, {31457, L"0,03"}, {3 * kMB / 2, L"1,5"}, {12 * kMB, L"12"}, {131072, L"0,12"},
                 {393216, L"0,38"}, {kMB - 1, L"1"}, {std::uint64_t{1} << 63, L"8796093022208"}};
    for (const auto& c : cases) EXPECT_EQ(tw::MegabyteText(c.bytes, L","), c.text) << c.bytes;
    for (const auto& [item, kind] : {std::pair{L"A - Files", tw::ItemKind::Files}, {L"A - Registry", tw::ItemKind::Registry},
                                     {L"A - files", tw::ItemKind::None}, {L"Files.old", tw::ItemKind::None}})
        EXPECT_EQ(tw::KindOfItem(item), kind) << narrow(item);
}

// Each checked item is restored with a log of its own.
TEST_F(Dialogs, BackupRestoresCheckedItemsWithOneLogEach) {
    const std::string set = tw::BackupRoot() + "S1\\";
    for (const char* item : {"A - Files", "B - Files", "Other", "Skipped - Files"})
        put(set + item + "\\" + tw::EncodeFolder(dir + item + "\\") + "\\f.dll", item);
    tw::LogFiles = true;
    tw::RestoreCheckedItems(L"S1", {{L"A - Files", true}, {L"B - Files", true}, {L"Other", true}, {L"Skipped - Files", false}});
    EXPECT_EQ(winetest::readFile(dir + "B - Files\\f.dll"), "B - Files");
    EXPECT_FALSE(fileExists(dir + "Other\\f.dll"));
    EXPECT_FALSE(fileExists(dir + "Skipped - Files\\f.dll"));
    Names lines;
    for (const std::wstring& name : tw::LogNames()) {
        const Names saved = tw::ReadLogFile(tw::LogFilePath(name));
        lines.insert(lines.end(), saved.begin(), saved.end());
    }
    EXPECT_EQ(sorted(lines), (Names{plat::ansiToWide("Restored File (" + dir + "A - Files\\f.dll)"),
                                    plat::ansiToWide("Restored File (" + dir + "B - Files\\f.dll)")}));
}

TEST_F(Dialogs, BackupRemovesCheckedSetsWithoutBackingThemUp) {
    const std::string root = tw::BackupRoot();
    for (const char* name : {"a", "b", "c", "d"}) put(root + name + "\\X - Files\\C';\\f.dll", name);
    faults::fail(faults::Call::DeleteFile, "\\c\\X - Files\\C';\\f.dll");
    tw::BackupPath = root + "e\\X - Files\\";
    tw::BackupEnabled = true;
    EXPECT_EQ(tw::RemoveCheckedSets({{L"a", true}, {L"b", false}, {L"c", true}, {L"d", true}, {L"", true}, {L"..", true}}),
              (Indexes{5, 4, 3, 2, 0}));
    EXPECT_TRUE(tw::BackupEnabled);
    EXPECT_EQ(logLines(), (std::vector<std::string>{"Deleted folder (" + root + "d\\)", "Not deleted folder (" + root + "c\\)",
                                                    "Deleted folder (" + root + "a\\)"}));
    EXPECT_EQ(winetest::listFolder(root), (std::vector<std::string>{"b", "c"}));
}

TEST(AboutDialog, PageTextsAndBuildDate) {
    const std::wstring about = tw::AboutPageText(tw::AboutPage::About, L"Dec  6 2026");
    EXPECT_NE(about.find(L"Tidewell 1.0"), std::wstring::npos);
    EXPECT_NE(about.find(L"Built Dec  6 2026\r\n"), std::wstring::npos);
    EXPECT_NE(tw::AboutPageText(tw::AboutPage::Contact, L"").find(L'@'), std::wstring::npos);
    EXPECT_EQ(tw::AboutPageText(tw::AboutPage::None, L"x"), L"");
    EXPECT_TRUE(tw::DonatePageText(L"Bitte.").starts_with(L"Bitte.\r\n\r\nhttps://"));
    const struct {
        const char* epoch;
        const wchar_t* shown;
    } cases[] = {{"951782400", L"Feb 29 2000"}, {"86399", L"Jan  1 1970"}, {"86400", L"Jan  2 1970"},
                 {"1765065599", L"Dec  6 2025"}, {"", L"Jul  4 2001"}, {"17650x", L"Jul  4 2001"}, {"-1", L"Jul  4 2001"}};
    for (const auto& c : cases) EXPECT_EQ(tw::BuildDateText(c.epoch, "Jul  4 2001"), c.shown) << c.epoch;
}

}  // namespace
