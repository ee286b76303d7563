// The cleaning run, the preview and the backup store on the Wine machine: the
// confirmation, progress, the saved run log, the restart, an error that ends a
// run; backup sets of a run restored, and restores that write only where they backed up.
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "app/CleaningRun.h"
#include "app/CommandLineRun.h"
#include "backup/BackupUnit.h"
#include "engine/DeleteUnit.h"
#include "faults.h"
#include "log/LogUnit.h"
#include "platform/common.h"
#include "settings/VarUnit.h"
#include "support.h"
#include "targets/Target.h"

namespace {

using namespace winetest;
using Lines = std::vector<std::wstring>;

struct View : tw::CleaningView {
    std::vector<std::wstring> labels;
    int maximum = -1;
    std::vector<std::wstring> cleanLabels() const override { return labels; }
    void setProgressMax(int m) override { maximum = m; }
    void setProgressPosition(int) override {}
    void stepProgress() override {}
};

std::wstring envFolder(const wchar_t* name) {
    wchar_t out[MAX_PATH] = {};
    return std::wstring(out, ::GetEnvironmentVariableW(name, out, std::size(out))) + L"\\";
}

// The time stamp that names backup sets and log files, "/" and ":" as "-".
std::wstring stamp() {
    wchar_t date[100] = {}, time[100] = {};
    ::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, std::size(date));
    ::GetTimeFormatW(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, time, std::size(time));
    std::wstring s = std::wstring(date) + L"-" + time;
    for (wchar_t& c : s) c = c == L'/' || c == L':' ? L'-' : c;
    return s;
}

// A log file as it must be on disk: UTF-16 LE with a byte order mark, CR LF between lines.
std::wstring logFileBytes(const Lines& lines) {
    std::wstring text = L"\xFEFF";
    for (std::size_t i = 0; i < lines.size(); ++i) text += (i ? L"\r\n" : L"") + lines[i];
    return utf16Bytes(text);
}

// "C:\A\" -> "C';A;", the name of its sub-folder in a files item.
std::wstring encoded(std::wstring folder) {
    for (wchar_t& c : folder) c = c == L'\\' ? L';' : c == L':' ? L'\'' : c;
    return folder;
}

class RunOnWine : public WineTest {
protected:
    void SetUp() override {
        WineTest::SetUp();
        for (const tw::Family& f : tw::FamilyTable()) tw::SwitchesOf(f) = {true, true};
        tw::DisplayWarning = tw::LogFiles = true;
        tw::RebootMode = 0;
        tw::CleaningBusy = false;
        tw::MainMessages() = {L"Are you sure you want to continue?", L"Warning", L"Do you want to reboot?", L"Reboot"};
        sys = envFolder(L"SystemRoot") + L"System32\\";
    }
    void TearDown() override {
        for (const std::wstring& f : files) ::DeleteFileW(f.c_str());
        for (const std::wstring& k : keys)
            removeKeyTree(k[2] == L'L' ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, k.substr(5));
        tw::LogFiles = tw::DisplayWarning = false;
        WineTest::TearDown();
    }
    std::wstring plantFile(const std::wstring& path, const std::wstring& bytes = L"leftover") {
        return files.push_back(path), writeFile(path, bytes), path;
    }
    void plantKey(const std::wstring& key) {
        keys.push_back(key), createKey(key[2] == L'L' ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, key.substr(5) + L"\\Sub");
    }
    static std::wstring savedLog(const std::wstring& name) { return readFile(tw::LogFolder() + name).value_or(L"none"); }
    View view;
    std::wstring sys;
    Lines files, keys;
};

TEST_F(RunOnWine, NothingChangesWithoutAConfirmedListWhileIdle) {
    const std::wstring file = plantFile(sys + L"nvapitw.dll");
    struct Case { std::vector<std::wstring> labels; bool busy; int answer; tw::RunOutcome outcome; std::size_t boxes; };
    for (const Case& c : {Case{{}, false, IDOK, tw::RunOutcome::NotStarted, 0},
                          Case{{L"NVIDIA - Display"}, true, IDOK, tw::RunOutcome::NotStarted, 0},
                          Case{{L"NVIDIA - Display"}, false, IDCANCEL, tw::RunOutcome::Cancelled, 1}}) {
        faults::reset();
        faults::answerMessageBoxes({c.answer});
        tw::RunLog().replace({L"earlier line"});
        view.labels = c.labels;
        tw::CleaningBusy = c.busy;
        EXPECT_EQ(tw::RunCleaning(view), c.outcome);
        EXPECT_EQ(faults::messageBoxes().size(), c.boxes);
        EXPECT_EQ(logLines(), Lines{L"earlier line"});
        EXPECT_EQ(tw::CleaningBusy, c.busy);
        EXPECT_EQ(view.maximum, -1);
    }
    EXPECT_EQ(faults::messageBoxes(), std::vector<std::wstring>{L"Warning|Are you sure you want to continue?"});
    EXPECT_TRUE(fileExists(file));
    EXPECT_EQ(listFolder(tw::LogFolder()), Lines{});
}

TEST_F(RunOnWine, ARunCleansTheListInOrderAndSavesItsLogSorted) {
    plantFile(sys + L"nvapitw.dll");
    plantFile(sys + L"PhysXtw.dll");
    plantKey(L"HKCU\\Software\\NVIDIA Corporation\\Global");
    // Written in the order NVIDIA files, NVIDIA registry, AGEIA files.
    const Lines sorted = {L"Deleted file (" + sys + L"nvapitw.dll)", L"Deleted file (" + sys + L"PhysXtw.dll)",
                          L"Deleted registry (HKCU\\Software\\NVIDIA Corporation\\Global)"};
    view.labels = {L"NVIDIA - Display", L"Unknown", L"AGEIA - PhysX"};
    const std::wstring before = stamp();
    EXPECT_EQ(tw::RunCleaning(view), tw::RunOutcome::Finished);
    const std::wstring after = stamp();
    EXPECT_EQ(faults::messageBoxes(), std::vector<std::wstring>{L"Warning|Are you sure you want to continue?"});
    EXPECT_EQ(view.maximum, tw::CountSelectedSteps({L"NVIDIA - Display"}) + tw::CountSelectedSteps({L"AGEIA - PhysX"}));
    EXPECT_EQ(steps, 120 + 7);        // the steps they make
    EXPECT_EQ(logLines(), sorted);
    const Lines saved = listFolder(tw::LogFolder());
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_TRUE(saved[0] == before + L".txt" || saved[0] == after + L".txt") << saved[0];
    EXPECT_EQ(savedLog(saved[0]), logFileBytes(sorted));
}

TEST_F(RunOnWine, TheRestartFollowsRebootModeAndNeedsALogLine) {
    struct Case { int mode, answer; bool leftover; std::size_t boxes; int restarts; };
    tw::DisplayWarning = tw::LogFiles = false;
    view.labels = {L"AGEIA - PhysX"};
    for (const Case& c : {Case{0, IDOK, true, 0, 0}, Case{1, IDOK, true, 1, 1}, Case{1, IDCANCEL, true, 1, 0},
                          Case{2, IDOK, true, 0, 1}, Case{7, IDOK, true, 0, 0}, Case{2, IDOK, false, 0, 0}}) {
        SCOPED_TRACE(::testing::Message() << L"mode " << c.mode << L", answer " << c.answer);
        faults::reset();
        faults::answerMessageBoxes({c.answer});
        if (c.leftover) plantKey(L"HKLM\\Software\\AGEIA Technologies");
        tw::RebootMode = c.mode;
        tw::RunCleaning(view);
        EXPECT_EQ(tw::RunLog().count(), c.leftover ? 1u : 0u);
        EXPECT_EQ(faults::messageBoxes(), std::vector<std::wstring>(c.boxes, L"Reboot|Do you want to reboot?"));
        EXPECT_EQ(faults::shutdownRequests(), c.restarts);
    }
}

// An install folder of the wrong type ends the run: no later target, log file or restart (unattended,
// see ACommandLineRunReportsItsOutcome).
TEST_F(RunOnWine, AnErrorEndsTheRunKeepingItsLines) {
    keys.push_back(L"HKLM\\Software\\ATi Technologies");
    setDword(HKEY_LOCAL_MACHINE, L"Software\\ATi Technologies\\Install", L"InstallDir", 1);
    const std::wstring later = plantFile(sys + L"PhysXtw.dll");
    tw::DisplayWarning = tw::LogFiles = false;
    tw::RebootMode = 2;
    view.labels = {L"ATi - Display", L"AGEIA - PhysX"};
    const Lines lines = {L"Deleted file (" + plantFile(sys + L"atiogltw.dll") + L")"};
    EXPECT_THROW(tw::RunCleaning(view), tw::AppError);
    EXPECT_FALSE(tw::CleaningBusy);
    EXPECT_EQ(logLines(), lines);
    EXPECT_TRUE(fileExists(later));
    EXPECT_EQ(listFolder(tw::LogFolder()), Lines{});
}

// A preview asks nothing, deletes nothing, never restarts, leaves the run log
// alone and saves its sorted lines as a preview log, also with LogFiles off.
TEST_F(RunOnWine, APreviewOnlyReportsAndSavesItsLines) {
    tw::LogFiles = false;
    tw::RebootMode = 2;
    tw::BackupEnabled = true;
    const Lines left = {plantFile(sys + L"PhysXtw.dll"), plantFile(sys + L"atiogltw.dll")};
    plantKey(L"HKCU\\Software\\ATi");
    tw::RunLog().replace({L"earlier line"});
    view.labels = {L"AGEIA - PhysX", L"ATi - Display"};
    std::vector<tw::PreviewGroup> groups;
    EXPECT_EQ(tw::RunPreview(view, groups, true, true), tw::RunOutcome::Finished);
    for (const auto& file : left) EXPECT_TRUE(fileExists(file));
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, L"Software\\ATi\\Sub"));
    EXPECT_FALSE(folderExists(tw::BackupRoot()));
    EXPECT_EQ(logLines(), Lines{L"earlier line"});
    EXPECT_TRUE(faults::messageBoxes().empty());
    EXPECT_EQ(faults::shutdownRequests(), 0);
    const Lines saved = listFolder(tw::LogFolder());
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].rfind(L"Preview ", 0), 0u);
    EXPECT_EQ(savedLog(saved[0]), logFileBytes({L"Would delete file (" + left[1] + L")",
                                               L"Would delete file (" + left[0] + L")",
                                               L"Would delete registry (HKCU\\Software\\ATi)"}));
}

// A command-line run ends in every way with its exit code, a report whose items are the lines of
// the saved log (or preview), and the summary line last on standard output. A report that cannot
// be written gives code 2 and leaves nothing behind; one named in any script is written.
TEST_F(RunOnWine, ACommandLineRunReportsItsOutcome) {
    namespace fs = std::filesystem;
    struct Case { std::wstring report, target; const wchar_t* extra; bool locked, atReboot; int mode, answer, code; const char* outcome; };
    const std::wstring reports = dir, readOnly = reports + L"old.json", nonAnsi = L"r\u00e9port \u0915.json";
    std::ofstream(fs::path(readOnly)) << "kept", ::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    keys.push_back(L"HKLM\\Software\\ATi Technologies"),
        setDword(HKEY_LOCAL_MACHINE, L"Software\\ATi Technologies\\Install", L"InstallDir", 1);
    for (const Case& c : {Case{L"r.json", L"-AGEIA", L"-", false, false, 0, IDOK, 0, "deleted"},
                          Case{L"r.json", L"-AGEIA", L"-", true, false, 2, IDOK, 1, "not deleted"},
                          Case{L"r.json", L"-AGEIA", L"-", true, true, 0, IDOK, 3010, "deleted at restart"},
                          Case{L"r.json", L"-AGEIA", L"-", true, true, 2, IDOK, 1641, "deleted at restart"},
                          Case{L"r.json", L"-AGEIA", L"-", false, false, 2, IDOK, 1641, "deleted"},
                          Case{L"r.json", L"-ATI", L"-", false, false, 2, IDOK, 2, "deleted"},
                          Case{L"r.json", L"-AGEIA", L"-", false, false, 0, IDCANCEL, 3, ""},
                          Case{L"r.json", L"-AGEIA", L"-PREVIEW", false, false, 0, IDOK, 0, "would delete"},
                          Case{L"r.json", L"-AGEIA", L"-restorePoint", false, false, 0, IDOK, 1, "deleted"},  // none made
                          Case{L"missing\\r.json", L"-AGEIA", L"-", false, false, 0, IDOK, 2, nullptr},
                          Case{L"old.json", L"-AGEIA", L"-", false, false, 0, IDOK, 2, nullptr},
                          Case{nonAnsi, L"-AGEIA", L"-", false, false, 0, IDOK, 0, "deleted"}}) {
        SCOPED_TRACE(tw::toUtf8(c.report) + " " + std::to_string(c.code));
        faults::reset(), faults::answerMessageBoxes({c.answer}), faults::secure(sys);
        if (c.locked) faults::fail(faults::Call::DeleteFile, L"PhysXtw");
        removeTree(tw::LogFolder()), fs::remove(reports + L"r.json");
        const std::wstring planted = plantFile(sys + (c.target == L"-ATI" ? L"atiogltw.dll" : L"PhysXtw.dll"));
        std::tie(tw::DeleteAtReboot, tw::RebootMode, tw::DisplayWarning, tw::LogFiles) =
            std::tuple(c.atReboot, c.mode, c.answer == IDCANCEL, c.code != 2);  // an error's log is saved anyway
        const tw::CommandLineRequest request =
            tw::ParseCommandLine({c.target, L"-Quit", L"-rePort=" + reports + c.report, c.extra});
        view.labels = request.labels;
        std::vector<tw::PreviewGroup> groups;
        const std::wstring out = reports + L"stdout.txt";
        HANDLE kept = ::GetStdHandle(STD_OUTPUT_HANDLE), stdOut = ::CreateFileW(out.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ::SetStdHandle(STD_OUTPUT_HANDLE, stdOut);
        const int code = tw::RunFromCommandLine(view, request, groups);
        ::SetStdHandle(STD_OUTPUT_HANDLE, kept), ::CloseHandle(stdOut);
        EXPECT_EQ(code, c.code);
        EXPECT_EQ(faults::shutdownRequests(), c.mode == 2 && c.code != 2);  // 1641 only when something is queued
        const std::wstring summary = readFile(out).value_or(L"");  // one line, ASCII
        EXPECT_NE(summary.find(L"exit code " + std::to_wstring(code) + (c.outcome ? L"" : L": Cannot create file")), std::wstring::npos)
            << summary;
        if (!c.outcome) {  // no report: the old file as it was, nothing beside it
            EXPECT_EQ(listFolder(dir), (Lines{L"old.json", L"stdout.txt"}));
            EXPECT_EQ(readFile(readOnly), L"kept");
            continue;
        }
        const nlohmann::json report = nlohmann::json::parse(std::ifstream(fs::path(reports + c.report)));
        EXPECT_EQ(report["exitCode"], code);
        std::vector<std::wstring> lines;
        for (const auto& family : report["families"])
            for (const auto& item : family["items"]) {
                lines.push_back(tw::fromUtf8(item["line"].get<std::string>()));
                if (item["path"] == tw::toUtf8(planted)) { EXPECT_EQ(item["outcome"], c.outcome); }
            }
        tw::SortLines(lines);
        if (report["error"] != "") lines.push_back(tw::fromUtf8(report["error"].get<std::string>()));
        const Lines saved = listFolder(tw::LogFolder());
        EXPECT_EQ(lines, saved.empty() ? std::vector<std::wstring>{} : tw::ReadLogFile(tw::LogFolder() + saved.back()));
    }
    ::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL), fs::remove(reports + nonAnsi);
}

// A family of the user's own is read only from a folder that administrators alone can change, and only
// from such a file; a bad or clashing file is left out whole, told once. The family then lists, previews,
// cleans with backup and restores like a built-in one.
TEST_F(RunOnWine, OwnFamilyFromAnAdminOnlyFolderListsPreviewsCleansAndRestores) {
    const std::wstring folder = dir + L"Families", acme = dir + L"Acme\\";
    const std::wstring head = L"label = \"Acme - Audio\"\nsection = \"Acme Audio\"\nswitch = \"-ACME\"\n"
                              L"backup-prefix = \"Acme - Audio - \"\nweights = { files = 2, registry = 1 }\n";
    const std::wstring steps = L"[[files]]\ndelete = \"files\"\nfolder = '" + acme + L"'\npatterns = ['acmedrv*.sys']\n"
                               L"[[registry]]\ndelete = \"keys\"\nkey = 'HKCU\\Software'\nnames = ['Acme Audio']\n";
    makeFolders(folder);
    writeFile(folder + L"\\acme.toml", head + steps);
    writeFile(folder + L"\\broken.toml", head + L"[[files]]\ndelete = 'all'\n");
    writeFile(folder + L"\\clash.toml", tw::replaceAll(head, L"-ACME", L"-nvidia") + steps);
    writeFile(folder + L"\\open.toml", tw::replaceAll(tw::replaceAll(head, L"Acme", L"Open"), L"-ACME", L"-OPEN") + steps);
    const std::size_t builtIn = tw::FamilyTable().size();
    auto reasons = [](const std::vector<tw::FamilyProblem>& problems) {
        Lines out;
        for (const auto& p : problems) out.push_back(std::to_wstring(p.line) + L" " + p.reason.substr(0, 30));
        return out;
    };
    EXPECT_EQ(reasons(tw::LoadOwnFamilies(folder)), Lines{L"0 others than administrators can"});
    EXPECT_EQ(tw::FamilyTable().size(), builtIn);
    faults::secure(folder), faults::secure(folder + L"\\open.toml", L"O:BUD:(A;;FA;;;BU)");
    EXPECT_EQ(reasons(tw::LoadOwnFamilies(folder)),
              (Lines{L"7 no step deletes \"all\"", L"0 the switch \"-nvidia\" is taken ", L"0 others than administrators can"}));
    EXPECT_EQ(tw::ProblemText(tw::OwnFamilyProblems()[0]), folder + L"\\broken.toml, line 7: no step deletes \"all\"");
    ASSERT_EQ(tw::FamilyTable().size(), builtIn + 1);
    const std::wstring label = L"Acme - Audio";
    EXPECT_EQ(tw::SwitchLabel(L"-acme"), label);
    EXPECT_EQ(tw::AvailableTargetLabels().front(), label) << L"in the list by label";

    makeFolders(acme);
    const std::wstring driver = plantFile(acme + L"acmedrv64.sys", L"driver"), other = plantFile(acme + L"acmecpl.exe");
    plantKey(L"HKCU\\Software\\Acme Audio");
    tw::BackupEnabled = true;
    View view;
    view.labels = {label};
    std::vector<tw::PreviewGroup> groups;
    ASSERT_EQ(tw::RunPreview(view, groups, false, true), tw::RunOutcome::Finished);
    ASSERT_EQ(groups.size(), 1u);
    const Lines named = {L"Would delete file (" + driver + L")", L"Would delete registry (HKCU\\Software\\Acme Audio)"};
    EXPECT_EQ(groups[0].lines, named);
    ASSERT_EQ(tw::RunCleaning(view, true), tw::RunOutcome::Finished);
    Lines want = {L"Deleted file (" + driver + L")", L"Deleted registry (HKCU\\Software\\Acme Audio)"};
    for (const auto& problem : tw::OwnFamilyProblems()) want.push_back(L"Family file not loaded (" + tw::ProblemText(problem) + L")");
    tw::SortLines(want);
    EXPECT_EQ(logLines(), want);
    EXPECT_FALSE(fileExists(driver) || keyExists(HKEY_CURRENT_USER, L"Software\\Acme Audio"));
    EXPECT_TRUE(fileExists(other));
    tw::RunLog().clear();
    tw::RestoreFiles(listFolder(tw::BackupRoot())[0] + L"\\Acme - Audio - Files\\");
    EXPECT_EQ(readFile(driver), L"driver");
    tw::LoadOwnFamilies(L"");
    EXPECT_EQ(tw::FamilyTable().size(), builtIn);
    removeTree(folder), removeTree(acme);
}

// A run with backups on, restored: the set is named by the time stamp, each
// target phase has its item, and files and keys come back where they were.
TEST_F(RunOnWine, BackupSetOfARunRestoresFilesAndKeys) {
    const std::wstring data = envFolder(L"ProgramData") + L"NVIDIA\\";
    const std::wstring driver = plantFile(sys + L"nvapitw.dll", std::wstring(L"MZ\0\x90\r\n", 6));
    makeFolders(data + L"sub");
    plantFile(data + L"sub\\cache.bin", L"cache");
    for (const wchar_t* root : {L"HKCU", L"HKLM"}) plantKey(root + std::wstring(L"\\Software\\NVIDIA Corporation\\Global"));
    tw::BackupEnabled = true;
    const std::wstring before = stamp();
    tw::Clean(*tw::FindFamilyByLabel(L"NVIDIA - Display"), true, true);
    const std::wstring after = stamp();
    ASSERT_FALSE(fileExists(driver) || folderExists(data));

    const Lines sets = listFolder(tw::BackupRoot());
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_TRUE(sets[0] == before || sets[0] == after) << sets[0];
    const std::wstring set = sets[0] + L"\\", files = set + L"NVIDIA - Display - Files\\";
    const std::wstring registry = set + L"NVIDIA - Display - Registry\\";
    EXPECT_EQ(listFolder(tw::BackupRoot() + files), (Lines{encoded(data + L"sub\\"), encoded(sys), L"folders.idx"}));
    EXPECT_EQ(readFile(tw::BackupRoot() + files + encoded(sys) + L"\\nvapitw.dll"), std::wstring(L"MZ\0\x90\r\n", 6));
    EXPECT_EQ(listFolder(tw::BackupRoot() + registry),
              (Lines{L"HKCU;Software;NVIDIA Corporation;Global.TW", L"HKLM;Software;NVIDIA Corporation;Global.TW"}));

    tw::BackupEnabled = false;
    tw::RunLog().clear();
    tw::RestoreFiles(files);
    tw::RestoreRegistry(registry);
    tw::SortLog();
    EXPECT_EQ(logLines(), (Lines{L"Restored File (" + data + L"sub\\cache.bin)", L"Restored File (" + driver + L")",
                                 L"Restored Registry (HKCU\\Software\\NVIDIA Corporation\\Global)",
                                 L"Restored Registry (HKLM\\Software\\NVIDIA Corporation\\Global)"}));
    EXPECT_EQ(readFile(driver), std::wstring(L"MZ\0\x90\r\n", 6));
    EXPECT_EQ(readFile(data + L"sub\\cache.bin"), L"cache");
    // Wine's RegRestoreKey loads nothing; the key is made under its own root.
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
        EXPECT_TRUE(keyExists(root, L"Software\\NVIDIA Corporation\\Global"));
    removeTree(data);
}

// A files item whose sub-folders or index name no sound folder: such copies
// stay where they are, reported with their own path. A copy whose name is
// no plain name, or a folder that is the backup store under another
// spelling (a letter's case beyond ASCII), is not restored: nothing is written.
TEST_F(RunOnWine, RestoreWritesOnlyWhereItBackedUp) {
    const std::wstring item = tw::BackupRoot() + L"TidewellSet\\NVIDIA - Display - Files\\";
    // target empty: not restored, reported with the copy's path
    struct Case { std::wstring subFolder, index, target, name = L"x.dll"; bool restored = true; };
    const std::wstring store = dir + L"J\u00e9r\u00f4me\\Backup", storeRoot = tw::BackupRoot();
    const Case cases[] = {
        {encoded(dir + L"A\\"), L"", dir + L"A\\"},  // no index: the name decodes
        {L"Drivers", L"Drivers\t" + dir + L"B\\\n", dir + L"B\\"},
        {L"C';WINDOWS", L"", L""},
        {L"Drivers", L"Drivers\t" + dir + L"..\\..\\Windows\\\n", L""},
        {encoded(dir + L"C\\"), encoded(dir + L"C\\") + L"\tC:\\Data\\..\\..\\Windows\\\n", dir + L"C\\"},
        {encoded(dir + L"D\\"), L"", dir + L"D\\", L"..\uFF3C..\uFF3Cwindows\uFF3Csystem32\uFF3Cx.dll", false},
        {L"Link", L"Link\t" + dir + L"L\\\n", dir + L"L\\", L"x.dll", false},  // a link to T
        {L"Store", L"Store\t" + dir + L"J\u00c9r\u00f4me\\Backup\\TidewellSet\\\n",
         dir + L"J\u00c9r\u00f4me\\Backup\\TidewellSet\\", L"x.dll", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.subFolder + L" / " + c.index);
        removeTree(storeRoot), removeTree(dir + L"J\u00e9r\u00f4me");
        if (c.subFolder == L"Store") {  // the store lies in a folder with a letter beyond ASCII
            makeFolders(store);
            ASSERT_TRUE(makeUnixLink(store, storeRoot.substr(0, storeRoot.size() - 1)));
        }
        if (c.subFolder == L"Link") makeFolders(dir + L"T"), makeUnixLink(dir + L"T", dir + L"L");
        makeFolders(item + c.subFolder);
        writeFile(item + c.subFolder + L"\\" + c.name, L"backup");
        std::wstring utf8;  // the index is UTF-8
        for (const unsigned char b : tw::toUtf8(c.index)) utf8 += static_cast<wchar_t>(b);
        if (!c.index.empty()) writeFile(item + L"folders.idx", utf8);
        tw::RunLog().clear();
        tw::RestoreFiles(L"TidewellSet\\NVIDIA - Display - Files\\");
        EXPECT_EQ(logLines(), Lines{c.target.empty() ? L"Not Restored File (" + item + c.subFolder + L"\\x.dll)"
                                                     : (c.restored ? L"Restored File (" : L"Not Restored File (") + c.target + c.name + L")"});
        EXPECT_EQ(readFile(c.target + c.name), c.target.empty() || !c.restored ? std::nullopt : std::optional<std::wstring>(L"backup"));
    }
    removeUnixLink(storeRoot.substr(0, storeRoot.size() - 1)), removeTree(dir + L"J\u00e9r\u00f4me");
    EXPECT_EQ(listFolder(dir), (Lines{L"A", L"B", L"C", L"L", L"T"}));
    EXPECT_EQ(listFolder(dir + L"T"), Lines{});

    // An index name that leads out of the item is not used for the backup either.
    removeTree(tw::BackupRoot());
    makeFolders(item);
    writeFile(item + L"folders.idx", L"..\\..\\Escaped\t" + dir + L"\n");
    writeFile(dir + L"nv.dll", L"nv");
    tw::BackupEnabled = true;
    tw::BackupPath = item;
    tw::DeleteFiles(dir, {L"nv.dll"});
    EXPECT_FALSE(folderExists(tw::BackupRoot() + L"Escaped"));
    tw::BackupEnabled = false;
    tw::RunLog().clear();
    tw::RestoreFiles(L"TidewellSet\\NVIDIA - Display - Files\\");
    EXPECT_EQ(logLines(), Lines{L"Restored File (" + dir + L"nv.dll)"});
    EXPECT_EQ(readFile(dir + L"nv.dll"), L"nv");
}

}  // namespace

// A file in use is not overwritten: where only administrators can change the
// folders, its copy waits beside it and the next start deletes the old file,
// then renames the copy. Elsewhere those paths could lead elsewhere by then:
// nothing is staged or queued.
TEST_F(RunOnWine, RestoreOverAFileInUseIsStagedForTheNextStart) {
    makeFolders(tw::BackupRoot() + L"TidewellSet\\Files\\" + encoded(dir));
    writeFile(tw::BackupRoot() + L"TidewellSet\\Files\\" + encoded(dir) + L"\\x.dll", L"backup");
    writeFile(dir + L"x.dll", L"in use");
    for (const bool adminOnly : {false, true}) {
        if (adminOnly) faults::secure(dir);
        tw::RunLog().clear();
        const std::size_t before = pendingRenames().size();
        {
            FileHolder holder(dir + L"x.dll");
            ASSERT_TRUE(holder.holding());
            tw::RestoreFiles(L"TidewellSet\\Files\\");
        }
        EXPECT_EQ(logLines(), Lines{L"Not Restored File (" + dir + L"x.dll)"});
        EXPECT_EQ(readFile(dir + L"x.dll"), L"in use");
        EXPECT_EQ(readFile(dir + L"__x.dll"), adminOnly ? std::optional<std::wstring>(L"backup") : std::nullopt);
        const Lines queue = pendingRenames(), added(queue.begin() + static_cast<long>(before), queue.end());
        EXPECT_EQ(added, adminOnly ? (Lines{ntPath(dir + L"x.dll"), L"", ntPath(dir + L"__x.dll"), ntPath(dir + L"x.dll")})
                                   : Lines{});
    }
}
