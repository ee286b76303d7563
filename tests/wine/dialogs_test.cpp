// The dialogs' pages by their translated names; the Log and Backup dialogs on the program
// folder's real Logs and Backup folders; the command line.
#include <windows.h>

#include <algorithm>

#include "about/AboutUnit.h"
#include "app/TWUnit.h"
#include "backup/BackupDialog.h"
#include "backup/BackupUnit.h"
#include "engine/DeleteUnit.h"
#include "faults.h"
#include "options/OptionsUnit.h"
#include "program_folder.h"

namespace {

using dialogs::narrow;
using Names = std::vector<std::wstring>;
using Lines = std::vector<std::string>;
using Indexes = std::vector<std::size_t>;
using winetest::fileExists;

Names sorted(Names names) { return std::sort(names.begin(), names.end()), names; }

// Writes a file, making its folders first.
void put(const std::string& path, const std::string& bytes) {
    winetest::makeFolders(path.substr(0, path.find_last_of('\\')));
    winetest::writeFile(path, bytes);
}

// The page each dialog finds for a node's text: Options (Cleaning, Language, Miscellaneous),
// Log (View, Remove), Backup (reStore, Remove), About (About, Donate, contact: K); '-': none.
std::string pagesOf(const std::wstring& node) {
    return {"CLM-"[static_cast<int>(tw::OptionsPageOf(node))], "VR-"[static_cast<int>(tw::IdentifyLogPage(node))],
            "SR-"[static_cast<int>(tw::IdentifyBackupPage(node))], "ADK-"[static_cast<int>(tw::AboutPageOf(node))]};
}

class Dialogs : public dialogs::ProgramFolderTest {};

TEST_F(Dialogs, PagesAreFoundByTheCurrentLanguagesNamesWithCaseAndTheFirstOfTwoAlikeWins) {
    languages();
    const struct {
        const wchar_t *language, *node;
        const char* pages;
    } cases[] = {
        {L"English", L"Cleaning", "C---"}, {L"English", L"Language", "L---"}, {L"English", L"Miscellaneous", "M---"},
        {L"English", L"cleaning", "----"}, {L"English", L"View log", "-V--"}, {L"English", L"Remove log", "-R--"},
        {L"English", L"Restore backup", "--S-"}, {L"English", L"Remove backup", "--R-"}, {L"English", L"About", "---A"},
        {L"English", L"Donate", "---D"}, {L"English", L"Contact", "---K"}, {L"English", L"contact", "----"},
        {L"Deutsch", L"Sprache", "L---"}, {L"Deutsch", L"Language", "----"}, {L"Deutsch", L"Protokoll", "-V--"},
        {L"Deutsch", L"Entfernen", "-R--"}, {L"Deutsch", L"Sicherungen", "--R-"}, {L"Deutsch", L"Spenden", "---D"},
        {L"Deutsch", L"Kontakt", "---K"}, {L"Alike", L"Cleaning", "C---"}, {L"Alike", L"About", "---A"}};
    for (const auto& c : cases) {
        tw::SetCurrentLanguageName(c.language);
        EXPECT_EQ(pagesOf(c.node), c.pages) << narrow(c.language) << ": " << narrow(c.node);
        // The Delete key looks up "Remove Log", which the file finds without regard to case.
        EXPECT_EQ(tw::IsRemoveLogPageForDeleteKey(c.node), c.pages[1] == 'R' && c.language[0] == L'D');
    }
    tw::SetCurrentLanguageName(L"Deutsch");
    EXPECT_EQ(tw::RemoveRestoreCaption(tw::BackupPage::Remove), L"L\u00f6schen");
    EXPECT_EQ(tw::RemoveRestoreCaption(tw::BackupPage::Restore), L"Restore Button");
}

TEST_F(Dialogs, LogListViewAndRemoval) {
    const std::string logs = tw::LogFolder();
    EXPECT_TRUE(tw::LogNames().empty()) << "no folder yet";
    for (const char* name : {"b.txt", "ABC.TXT", "notes.doc", "a.txtx", "d.txt", "c.txt", "old.txt"})
        put(logs + name, "x");
    ::SetFileAttributesA((logs + "old.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(sorted(tw::LogNames()), (Names{L"ABC", L"b", L"c", L"d", L"old"}));
    tw::RunLog().replace({L"kept"});
    EXPECT_THROW(tw::ViewLog(L"gone"), tw::AppError);
    EXPECT_EQ(tw::RunLog().lines(), Names{L"kept"});

    // Last to first; a file that stays is taken out of the list all the same.
    faults::fail(faults::Call::DeleteFile, "\\c.txt");
    const std::string outside = tw::programFolder() + "tw_x.txt";
    put(outside, "x");
    EXPECT_EQ(tw::RemoveCheckedLogs({{L"a", false}, {L"b", true}, {L"c", true}, {L"d", true}, {L"..\\tw_x", true}}),
              (Indexes{4, 3, 2, 1}));
    EXPECT_EQ(tw::SortedLogNames(), (Names{L"ABC", L"c", L"old"})) << "sorted without regard to case";
    EXPECT_TRUE(fileExists(outside)) << "a name that leaves the folder";
    ::DeleteFileA(outside.c_str());
}

// Each checked item is restored with a log of its own.
TEST_F(Dialogs, BackupRestoresCheckedItemsWithOneLogEach) {
    for (const char* item : {"A Files", "B Files", "Other", "C Files"})
        put(tw::BackupRoot() + "S1\\" + item + "\\" + tw::EncodeFolder(dir + item + "\\") + "\\f.dll", item);
    tw::LogFiles = true;
    tw::RestoreCheckedItems(L"S1", {{L"A Files", true}, {L"B Files", true}, {L"Other", true}, {L"C Files", false}});
    EXPECT_EQ(winetest::readFile(dir + "B Files\\f.dll"), "B Files");
    EXPECT_FALSE(fileExists(dir + "Other\\f.dll") || fileExists(dir + "C Files\\f.dll"));
    EXPECT_EQ(tw::LogNames().size(), 2u) << "one log for each restored item";
}

// The sets and items the lists show, their sizes, and the removal of checked
// sets, which is not backed up itself.
TEST_F(Dialogs, BackupSetsItemsSizesAndRemoval) {
    const std::string root = tw::BackupRoot();
    for (const char* name : {"a", "b", "c", "d"})
        put(root + name + "\\X - Files\\C';\\f.dll", std::string(*name == 'b' ? 1 << 20 : 1, 'x'));
    put(root + "a\\X - Registry\\HKLM;x.TW", std::string(3 << 19, 'r'));
    put(root + "stray.txt", "");
    winetest::makeFolders(root + "hidden");
    ::SetFileAttributesA((root + "hidden").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(sorted(tw::BackupSets()), (Names{L"a", L"b", L"c", L"d"}));
    EXPECT_EQ(sorted(tw::SetItems(L"a")), (Names{L"X - Files", L"X - Registry"}));
    EXPECT_TRUE(tw::SetItems(L"..").empty());
    const std::wstring sep = plat::decimalSeparator();
    EXPECT_EQ(tw::SizeText(L"a"), L"1" + sep + L"5MB / 2" + sep + L"5MB");

    faults::fail(faults::Call::DeleteFile, "\\c\\X - Files\\C';\\f.dll");
    tw::BackupPath = root + "e\\X - Files\\";
    tw::BackupEnabled = true;
    EXPECT_EQ(tw::RemoveCheckedSets({{L"a", true}, {L"b", false}, {L"c", true}, {L"d", true}, {L"", true},
                                     {L"..", true}}),
              (Indexes{5, 4, 3, 2, 0}));
    EXPECT_TRUE(tw::BackupEnabled);
    EXPECT_EQ(logLines(), (Lines{"Deleted folder (" + root + "d\\)", "Not deleted folder (" + root + "c\\)",
                                 "Deleted folder (" + root + "a\\)"}));
    EXPECT_EQ(winetest::listFolder(root), (Lines{"b", "c", "hidden", "stray.txt"}));
}

TEST(MainWindow, CommandLineFillsTheListThenStartsThenQuitsOnce) {
    tw::CommandLineProcessor processor, other, raising;
    tw::MemoryTargetList clean;
    Lines calls;
    auto start = [&](const tw::CommandLineRequest& r) {
        return calls.push_back((r.preview ? "preview " : "clean ") + std::to_string(clean.count())), 3;
    };
    auto quit = [&](int code) { calls.push_back("quit " + std::to_string(code)); };
    const Names arguments = {L"-NVIDIA",  L"-ati",      L"-nvidia", L"-NvIdIaChIpSeT", L"-mmouse",
                             L"-realtek", L"-creative", L"-ageia",  L"-preview",       L"-quit"};
    EXPECT_TRUE(processor.Process(arguments, clean, start, quit));
    EXPECT_FALSE(processor.Process(arguments, clean, start, quit));
    EXPECT_EQ(clean.items(), (Names{L"NVIDIA - Display", L"ATi - Display", L"NVIDIA - Chipset", L"Microsoft - Mouse",
                                    L"Realtek - Sound", L"Creative - Sound", L"AGEIA - PhysX"}));
    // Any argument starts a run; one that raises quits with 2 when unattended.
    other.Process({L"-PREVIEWS", L"-QUIT"}, clean, start, quit);
    raising.Process({L"-QUIT"}, clean, [](const tw::CommandLineRequest&) -> int { throw tw::AppError(L"x"); }, quit);
    EXPECT_EQ(calls, (Lines{"preview 7", "quit 3", "clean 7", "quit 3", "quit 2"}));
}

}  // namespace
