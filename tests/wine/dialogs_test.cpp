// The dialogs' pages by their translated names; the Log and Backup dialogs on the program
// folder's real Logs and Backup folders; the command line.
#include <windows.h>

#include "about/AboutUnit.h"
#include "app/TWUnit.h"
#include "backup/BackupDialog.h"
#include "faults.h"
#include "options/OptionsUnit.h"
#include "program_folder.h"
#include "store/BackupStore.h"

namespace {

using Names = std::vector<std::wstring>;
using Indexes = std::vector<std::size_t>;
using winetest::fileExists, winetest::Lines, winetest::sorted;

// Writes a file, making its folders first.
void put(const std::wstring& path, const std::wstring& bytes) {
    winetest::makeFolders(path.substr(0, path.find_last_of(L'\\')));
    winetest::writeFile(path, bytes);
}

class Dialogs : public dialogs::ProgramFolderTest {};

// A view that knows only a node's text finds the Options page by the current language's names, with
// case, the first of two alike winning; the Log dialog's Delete key looks up "Remove Log", which the
// file finds without regard to case. (The dialogs find their pages by their tree items.)
TEST_F(Dialogs, PagesAreFoundByTheCurrentLanguagesNamesWithCaseAndTheFirstOfTwoAlikeWins) {
    languages();
    const struct {
        const wchar_t *language, *node;
        wchar_t page;
        bool deleteKey;
    } cases[] = {{L"English", L"cleaning", L'-', false}, {L"English", L"Remove log", L'-', false},
                 {L"Deutsch", L"Sprache", L'L', false},  {L"Deutsch", L"Language", L'-', false},
                 {L"Deutsch", L"Entfernen", L'-', true}, {L"Alike", L"Cleaning", L'C', false}};
    for (const auto& c : cases) {
        tw::SetCurrentLanguageName(c.language);
        EXPECT_EQ(L"CLM-"[static_cast<int>(tw::OptionsPageOf(c.node))], c.page) << c.language << L": " << c.node;
        EXPECT_EQ(tw::IsRemoveLogPageForDeleteKey(c.node), c.deleteKey) << c.language << L": " << c.node;
    }
    tw::SetCurrentLanguageName(L"Deutsch");
    EXPECT_EQ(tw::RemoveRestoreCaption(tw::BackupPage::Remove), L"L\u00f6schen");
    EXPECT_EQ(tw::RemoveRestoreCaption(tw::BackupPage::Restore), L"Restore Button");
}

TEST_F(Dialogs, LogListViewAndRemoval) {
    const std::wstring logs = tw::LogFolder();
    EXPECT_TRUE(tw::LogNames().empty()) << L"no folder yet";
    for (const wchar_t* name : {L"b.txt", L"ABC.TXT", L"notes.doc", L"a.txtx", L"d.txt", L"c.txt", L"old.txt"})
        put(logs + name, L"x");
    ::SetFileAttributesW((logs + L"old.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(sorted(tw::LogNames()), (Names{L"ABC", L"b", L"c", L"d", L"old"}));
    tw::RunLog().replace({L"kept"});
    EXPECT_THROW(tw::ViewLog(L"gone"), tw::AppError);
    EXPECT_EQ(tw::RunLog().lines(), Names{L"kept"});

    // Last to first; a file that stays is taken out of the list all the same.
    faults::fail(faults::Call::DeleteFile, L"\\c.txt");
    const std::wstring outside = tw::programFolder() + L"tw_x.txt";
    put(outside, L"x");
    EXPECT_EQ(tw::RemoveCheckedLogs({{L"a", false}, {L"b", true}, {L"c", true}, {L"d", true}, {L"..\\tw_x", true}}),
              (Indexes{4, 3, 2, 1}));
    EXPECT_EQ(tw::SortedLogNames(), (Names{L"ABC", L"c", L"old"})) << L"sorted without regard to case";
    EXPECT_TRUE(fileExists(outside)) << L"a name that leaves the folder";
    ::DeleteFileW(outside.c_str());
}

// Each checked item is restored with a log of its own; one whose name is no plain name is not.
TEST_F(Dialogs, BackupRestoresCheckedItemsWithOneLogEach) {
    for (const wchar_t* item : {L"A Files", L"B Files", L"Other", L"C Files"})
        put(tw::BackupRoot() + L"S1\\" + item + L"\\" + tw::EncodeFolder(dir + item + L"\\") + L"\\f.dll", item);
    tw::LogFiles = true;
    tw::RestoreCheckedItems(L"S1", {{L"A Files", true}, {L"B Files", true}, {L"Other", true}, {L"C Files", false}, {L"..\\S1\\C Files", true}});
    EXPECT_EQ(winetest::readFile(dir + L"B Files\\f.dll"), L"B Files");
    EXPECT_FALSE(fileExists(dir + L"Other\\f.dll") || fileExists(dir + L"C Files\\f.dll"));
    EXPECT_EQ(tw::LogNames().size(), 2u) << L"one log for each restored item";
}

// The sets and items the lists show, their sizes, and the removal of checked
// sets, which is not backed up itself.
TEST_F(Dialogs, BackupSetsItemsSizesAndRemoval) {
    const std::wstring root = tw::BackupRoot();
    for (const wchar_t* name : {L"a", L"b", L"c", L"d"})
        put(root + name + L"\\X - Files\\C';\\f.dll", std::wstring(*name == L'b' ? 1 << 20 : 1, L'x'));
    put(root + L"a\\X - Registry\\HKLM;x.TW", std::wstring(3 << 19, L'r'));
    put(root + L"stray.txt", L"");
    winetest::makeFolders(root + L"hidden");
    ::SetFileAttributesW((root + L"hidden").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(sorted(tw::BackupSets()), (Names{L"a", L"b", L"c", L"d"}));
    EXPECT_EQ(sorted(tw::SetItems(L"a")), (Names{L"X - Files", L"X - Registry"}));
    EXPECT_TRUE(tw::SetItems(L"..").empty());
    const std::wstring sep = plat::decimalSeparator();
    EXPECT_EQ(tw::SizeText(L"a"), L"1" + sep + L"5MB / 2" + sep + L"5MB");

    faults::fail(faults::Call::DeleteFile, L"\\c\\X - Files\\C';\\f.dll");
    tw::BackupEnabled = true;
    EXPECT_EQ(tw::RemoveCheckedSets({{L"a", true}, {L"b", false}, {L"c", true}, {L"d", true}, {L"", true},
                                     {L"..", true}}),
              (Indexes{5, 4, 3, 2, 0}));
    EXPECT_TRUE(tw::BackupEnabled);
    EXPECT_EQ(logLines(), (Lines{L"Deleted folder (" + root + L"d\\)", L"Not deleted folder (" + root + L"c\\)",
                                 L"Deleted folder (" + root + L"a\\)"}));
    EXPECT_EQ(winetest::listFolder(root), (Lines{L"b", L"c", L"hidden", L"stray.txt"}));
}

TEST(MainWindow, CommandLineFillsTheListThenStartsThenQuitsOnce) {
    tw::CommandLineProcessor processor, other, raising;
    tw::MemoryTargetList clean;
    Lines calls;
    auto start = [&](const tw::CommandLineRequest& r) {
        return calls.push_back((r.preview ? L"preview " : L"clean ") + std::to_wstring(clean.count())), 3;
    };
    auto quit = [&](int code) { calls.push_back(L"quit " + std::to_wstring(code)); };
    const Names arguments = {L"-NVIDIA", L"-ati", L"-nvidia", L"-preview", L"-quit"};  // every switch: CommandLine
    EXPECT_TRUE(processor.Process(arguments, clean, start, quit));
    EXPECT_FALSE(processor.Process(arguments, clean, start, quit));
    EXPECT_EQ(clean.items(), (Names{L"NVIDIA - Display", L"ATi - Display"}));
    // Any argument starts a run; one that raises quits with 2 when unattended.
    other.Process({L"-PREVIEWS", L"-QUIT"}, clean, start, quit);
    raising.Process({L"-QUIT"}, clean, [](const tw::CommandLineRequest&) -> int { throw tw::AppError(L"x"); }, quit);
    EXPECT_EQ(calls, (Lines{L"preview 2", L"quit 3", L"clean 2", L"quit 3", L"quit 2"}));
}

}  // namespace
