// The cleaning run, the preview and the backup store on the Wine machine: the
// confirmation, progress, the saved run log, the restart, an error that ends a
// run; backup sets of a run restored, and restores that write only where they backed up.
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "app/CleaningRun.h"
#include "app/CommandLineRun.h"
#include "app/Preview.h"
#include "backup/BackupUnit.h"
#include "engine/DeleteUnit.h"
#include "faults.h"
#include "log/LogUnit.h"
#include "platform/common.h"
#include "settings/VarUnit.h"
#include "store/BackupStore.h"
#include "support.h"
#include "targets/Target.h"

namespace {

using namespace winetest;

class RunOnWine : public WineTest {
protected:
    void SetUp() override {
        WineTest::SetUp();
        for (const tw::Family& f : tw::FamilyTable()) tw::SwitchesOf(f) = {true, true};
        tw::DisplayWarning = tw::LogFiles = true;
        tw::RebootMode = 0;
        app.texts() = {L"Are you sure you want to continue?", L"Warning", L"Do you want to reboot?", L"Reboot"};
        sys = expand(L"%SystemRoot%\\System32\\");
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
    tw::Application app;
    std::wstring sys;
    Lines files, keys;
};

// A run needs a list, an idle program and, with DisplayWarning, a confirmation; else nothing changes, for a run (or preview) started
// (during 1) or the list emptied (2) while it asks too. One that left a log line restarts as RebootMode says (1: on OK).
TEST_F(RunOnWine, ARunNeedsAConfirmedListWhileIdleAndRestartsAsRebootModeSays) {
    using enum tw::RunOutcome;
    const std::wstring key = L"HKLM\\Software\\AGEIA Technologies", warning = L"Warning|Are you sure you want to continue?";
    const Lines physx = {L"AGEIA - PhysX"}, reboot = {L"Reboot|Do you want to reboot?"};
    struct Case { Lines labels; int during; bool warn; int mode, answer; bool leftover; tw::RunOutcome outcome; Lines boxes; int restarts; };
    for (const Case& c : {Case{{}, 0, true, 2, IDOK, true, NotStarted, {}, 0}, Case{physx, 1, true, 2, IDOK, true, Restarting, {warning}, 1},
                          Case{physx, 2, true, 2, IDOK, true, NotStarted, {warning}, 0}, Case{physx, 0, true, 2, IDCANCEL, true, Cancelled, {warning}, 0},
                          Case{physx, 0, false, 0, IDOK, true, Finished, {}, 0}, Case{physx, 0, false, 1, IDOK, true, Restarting, reboot, 1},
                          Case{physx, 0, false, 1, IDCANCEL, true, Finished, reboot, 0}, Case{physx, 0, false, 2, IDOK, true, Restarting, {}, 1},
                          Case{physx, 0, false, 7, IDOK, true, Finished, {}, 0}, Case{physx, 0, false, 2, IDOK, false, Finished, {}, 0}}) {
        SCOPED_TRACE(::testing::Message() << c.during << c.warn << L" mode " << c.mode << L", answer " << c.answer);
        faults::reset(), removeTree(tw::LogFolder()), tw::RunLog().replace({L"earlier line"});
        RecordingHost host(c.labels, {c.answer});
        tw::RunOutcome second = Finished;
        if (c.during) host.whileAsked = [&, other = host]() mutable { c.during == 1 ? void(second = app.Preview(other) == NotStarted ? app.Clean(other) : Finished) : host.list.clear(); };
        if (c.leftover) plantKey(key);
        std::tie(tw::DisplayWarning, tw::RebootMode) = std::tie(c.warn, c.mode);
        EXPECT_EQ(app.Clean(host), c.outcome);
        EXPECT_EQ(host.questions, c.boxes);
        EXPECT_EQ(faults::shutdownRequests(), c.restarts);
        const bool ran = c.outcome != NotStarted && c.outcome != Cancelled;
        EXPECT_EQ(logLines(), ran ? Lines(c.leftover, L"Deleted registry (" + key + L")") : Lines{L"earlier line"});
        EXPECT_EQ(keyExists(HKEY_LOCAL_MACHINE, key.substr(5)), c.leftover && !ran);
        EXPECT_EQ(std::tuple(app.busy(), second, host.maximum != -1, folderExists(tw::LogFolder())), std::tuple(false, c.during == 1 ? NotStarted : Finished, ran, ran && c.leftover));
    }
    RecordingHost shown({}, {IDCANCEL, IDCANCEL});  // the command line is acted on at the first show alone
    tw::DisplayWarning = true;
    for (int show = 0; show < 2; ++show) EXPECT_EQ((app.ProcessCommandLine(shown, {L"-AGEIA", L"-QUIT"}), shown.questions.size()), 1u);
    faults::fail(faults::Call::WriteFile, tw::SettingsFilePath());  // then stored at exit: no box after "-QUIT", code 2
    EXPECT_EQ((app.SaveSettingsAtExit(), app.exitCode()), 2);
}

TEST_F(RunOnWine, ARunCleansTheListInOrderAndSavesItsLogSorted) {
    plantFile(sys + L"nvapitw.dll");
    plantFile(sys + L"PhysXtw.dll");
    plantKey(L"HKCU\\Software\\NVIDIA Corporation\\Global");
    // Written in the order NVIDIA files, NVIDIA registry, AGEIA files.
    const Lines sorted = {L"Deleted file (" + sys + L"nvapitw.dll)", L"Deleted file (" + sys + L"PhysXtw.dll)",
                          L"Deleted registry (HKCU\\Software\\NVIDIA Corporation\\Global)"};
    RecordingHost host({L"NVIDIA - Display", L"Unknown", L"AGEIA - PhysX"});
    const std::wstring before = tw::fileTimeStamp();
    EXPECT_EQ(app.Clean(host), tw::RunOutcome::Finished);
    const std::wstring after = tw::fileTimeStamp();
    EXPECT_EQ(host.maximum, tw::CountSelectedSteps({L"NVIDIA - Display"}) + tw::CountSelectedSteps({L"AGEIA - PhysX"}));
    EXPECT_EQ(host.steps, 120 + 7);  // the steps they make
    EXPECT_EQ(logLines(), sorted);
    const Lines saved = listFolder(tw::LogFolder());
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_TRUE(saved[0] == before + L".txt" || saved[0] == after + L".txt") << saved[0];
    EXPECT_EQ(tw::ReadLogFile(tw::LogFolder() + saved[0]), sorted);  // its bytes: native LogFiles
}

// An install folder of the wrong type ends the run: no later target, log file or restart (unattended,
// see ACommandLineRunReportsItsOutcome).
TEST_F(RunOnWine, AnErrorEndsTheRunKeepingItsLines) {
    keys.push_back(L"HKLM\\Software\\ATi Technologies");
    setDword(HKEY_LOCAL_MACHINE, L"Software\\ATi Technologies\\Install", L"InstallDir", 1);
    const std::wstring later = plantFile(sys + L"PhysXtw.dll");
    tw::DisplayWarning = tw::LogFiles = false;
    tw::RebootMode = 2, tw::RestorePointEnabled = true;  // none is made: a person is asked first
    RecordingHost host({L"ATi - Display", L"AGEIA - PhysX"});
    const Lines lines = {L"Deleted file (" + plantFile(sys + L"atiogltw.dll") + L")"};
    EXPECT_THROW(app.Clean(host), tw::AppError);
    EXPECT_EQ(std::tuple(app.busy(), host.questions.size()), std::tuple(false, 1u));
    EXPECT_EQ(logLines(), lines);
    EXPECT_TRUE(fileExists(later));
    EXPECT_EQ(listFolder(tw::LogFolder()), Lines{});
}

// A command-line run ends in every way with its exit code, a report whose items are the lines of
// the saved log (or preview), and the summary line last on standard output. A report that cannot
// be written gives code 2 and leaves nothing behind; one named in any script is written. A preview
// asks nothing, never restarts, backs up nothing, leaves the run log alone and saves its log anyway.
TEST_F(RunOnWine, ACommandLineRunReportsItsOutcome) {
    namespace fs = std::filesystem;
    struct Case { std::wstring report, target; bool preview, locked, atReboot; int mode, answer, code; const char* outcome; const wchar_t* extra = L"-"; };
    const std::wstring reports = dir, readOnly = reports + L"old.json", nonAnsi = L"r\u00e9port \u0915.json";
    std::ofstream(fs::path(readOnly)) << "kept", ::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    keys.push_back(L"HKLM\\Software\\ATi Technologies"),
        setDword(HKEY_LOCAL_MACHINE, L"Software\\ATi Technologies\\Install", L"InstallDir", 1);
    for (const Case& c : {Case{L"r.json", L"-AGEIA", false, false, false, 0, IDOK, 0, "deleted"},
                          Case{L"r.json", L"-AGEIA", false, true, false, 2, IDOK, 1, "not deleted"},
                          Case{L"r.json", L"-AGEIA", false, true, true, 0, IDOK, 3010, "deleted at restart"},
                          Case{L"r.json", L"-AGEIA", false, true, true, 2, IDOK, 1641, "deleted at restart"},
                          Case{L"r.json", L"-AGEIA", false, false, false, 2, IDOK, 1641, "deleted"},
                          Case{L"r.json", L"-ATI", false, false, false, 2, IDOK, 2, "deleted"},
                          Case{L"r.json", L"-AGEIA", false, false, false, 0, IDCANCEL, 3, ""},
                          Case{L"r.json", L"-AGEIA", true, false, false, 2, IDCANCEL, 0, "would delete"},
                          Case{L"r.json", L"-AGEIA", false, false, false, 0, IDOK, 1, "deleted", L"-restorePoint"},  // none made
                          Case{L"missing\\r.json", L"-AGEIA", false, false, false, 0, IDOK, 2, nullptr},
                          Case{L"old.json", L"-AGEIA", false, false, false, 0, IDOK, 2, nullptr},
                          Case{nonAnsi, L"-AGEIA", false, false, false, 0, IDOK, 0, "deleted"}}) {
        SCOPED_TRACE(tw::toUtf8(c.report) + " " + std::to_string(c.code));
        faults::reset(), faults::secure(sys);
        if (c.locked) faults::fail(faults::Call::DeleteFile, L"PhysXtw");
        removeTree(tw::LogFolder()), fs::remove(reports + L"r.json"), tw::RunLog().replace({L"earlier line"});
        const std::wstring planted = plantFile(sys + (c.target == L"-ATI" ? L"atiogltw.dll" : L"PhysXtw.dll"));
        std::tie(tw::DeleteAtReboot, tw::RebootMode, tw::DisplayWarning, tw::LogFiles, tw::BackupEnabled) =
            std::tuple(c.atReboot, c.mode, c.answer == IDCANCEL, c.code != 2 && !c.preview, c.preview);  // saved anyway
        const tw::CommandLineRequest request =
            tw::ParseCommandLine({c.target, L"-Quit", L"-rePort=" + reports + c.report, c.preview ? L"-PREVIEW" : c.extra});
        RecordingHost host(request.labels, {c.answer});
        std::vector<tw::PreviewGroup> groups;
        const std::wstring out = reports + L"stdout.txt";
        HANDLE kept = ::GetStdHandle(STD_OUTPUT_HANDLE), stdOut = ::CreateFileW(out.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ::SetStdHandle(STD_OUTPUT_HANDLE, stdOut);
        const int code = tw::RunFromCommandLine(request, request.labels, app.texts(), host, groups);
        ::SetStdHandle(STD_OUTPUT_HANDLE, kept), ::CloseHandle(stdOut);
        EXPECT_EQ(code, c.code);
        EXPECT_EQ(host.questions.size(), c.answer == IDCANCEL && !c.preview ? 1u : 0u) << "only the warning, as set";
        EXPECT_EQ(faults::shutdownRequests(), c.mode == 2 && c.code != 2 && !c.preview);  // 1641 only when something is queued
        if (c.preview) { EXPECT_TRUE(logLines() == Lines{L"earlier line"} && !folderExists(tw::BackupRoot())); }
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
    EXPECT_EQ(tw::PreviewLogLines({{L"B", {L"b", L"c"}}, {L"A", {L"a"}}}), (Lines{L"a", L"b", L"c"}));  // sorted as one
}

// A family of the user's own is read only from a folder that administrators alone can change, and only
// from such a file, under the own rules; a bad file, or one that clashes in one name alone (letter case
// aside) with a built-in family, the settings or an earlier file, is left out whole, told once. The family
// then lists, previews, cleans with backup and restores like a built-in one; its folder steps keep the
// install-folder rule (none inside the Windows folder).
TEST_F(RunOnWine, OwnFamilyFromAnAdminOnlyFolderListsPreviewsCleansAndRestores) {
    const std::wstring folder = dir + L"Families", acme = dir + L"Acme\\", windows = sys + L"Acme\\";
    const std::wstring head = L"label = \"Acme - Audio\"\nsection = \"Acme Audio\"\nswitch = \"-ACME\"\n"
                              L"backup-prefix = \"Acme - Audio - \"\nweights = { files = 2, registry = 1 }\n";
    const std::wstring steps = L"[[files]]\ndelete = \"files\"\nfolder = '" + acme + L"'\npatterns = ['acmedrv*.sys']\n"
                               L"[[files]]\ndelete = \"folder\"\nfolder = '" + windows + L"'\n"
                               L"[[registry]]\ndelete = \"keys\"\nkey = 'HKCU\\Software'\nnames = ['Acme Audio']\n";
    const std::wstring open = tw::replaceAll(tw::replaceAll(head, L"Acme", L"Open"), L"-ACME", L"-OPEN");
    makeFolders(folder);
    writeFile(folder + L"\\acme.toml", head + steps);
    writeFile(folder + L"\\broken.toml", head + L"[[files]]\ndelete = 'files'\nfolder = 'C:\\A'\npatterns = ['*.sys']\n");
    int n = 0;
    for (auto [from, to] : std::vector<std::pair<std::wstring, std::wstring>>{
             {L"\"Open - Audio\"", L"\"nvidia - display\""}, {L"\"Open Audio\"", L"\"NVIDIA chipset\""}, {L"-OPEN", L"-nvidia"},
             {L"\"Open - Audio - \"", L"\"ati - display - \""}, {L"\"Open Audio\"", L"\"backup\""}, {L"-OPEN", L"-Acme"}})
        writeFile(folder + L"\\clash" + std::to_wstring(++n) + L".toml", tw::replaceAll(open, from, to) + steps);
    writeFile(folder + L"\\open.toml", open + steps);
    const std::size_t builtIn = tw::FamilyTable().size();
    auto reasons = [](const std::vector<tw::FamilyProblem>& problems) {
        Lines out;
        for (const auto& p : problems) out.push_back(std::to_wstring(p.line) + L" " + p.reason.substr(0, 30));
        return out;
    };
    EXPECT_EQ(reasons(tw::LoadOwnFamilies(folder)), Lines{L"0 others than administrators can"});
    EXPECT_EQ(tw::FamilyTable().size(), builtIn);
    EXPECT_EQ(tw::TakeUntoldFamilyProblems().size(), 1u);
    faults::secure(folder), faults::secure(folder + L"\\open.toml", L"O:BUD:(A;;FA;;;BU)");
    EXPECT_EQ(reasons(tw::LoadOwnFamilies(folder)),
              (Lines{L"9 the pattern \"*.sys\" needs a li", L"0 the label \"nvidia - display\" i",
                     L"0 the section \"NVIDIA chipset\" i", L"0 the switch \"-nvidia\" is taken ",
                     L"0 the backup prefix \"ati - displ", L"0 the section \"backup\" is taken ",
                     L"0 the switch \"-Acme\" is taken by", L"0 others than administrators can"}));
    EXPECT_EQ(tw::ProblemText(tw::OwnFamilyProblems()[0]), folder + L"\\broken.toml, line 9: the pattern \"*.sys\" needs a "
                                                                    L"literal stem of at least 3 characters before its first wildcard");
    ASSERT_EQ(tw::FamilyTable().size(), builtIn + 1);
    EXPECT_EQ(std::pair(app.FamilyProblemsWarning({}).empty(), app.FamilyProblemsWarning({L"-Quit"}).empty()), std::pair(false, true));  // no box unattended
    const std::wstring label = L"Acme - Audio";
    EXPECT_EQ(tw::SwitchLabel(L"-acme"), label);
    EXPECT_EQ(tw::AvailableTargetLabels().front(), label) << L"in the list by label";

    makeFolders(acme), makeFolders(windows);
    const std::wstring driver = plantFile(acme + L"acmedrv64.sys", L"driver"), other = plantFile(acme + L"acmecpl.exe");
    const std::wstring kept = plantFile(windows + L"acme.ini");
    plantKey(L"HKCU\\Software\\Acme Audio");
    tw::BackupEnabled = true;
    RecordingHost host({label});
    std::vector<tw::PreviewGroup> groups;
    ASSERT_EQ(tw::RunPreview({{label}, {}, false, true, {}}, host, groups, false), tw::RunOutcome::Finished);
    ASSERT_EQ(groups.size(), 1u);
    const Lines named = {L"Not deleted folder (" + windows + L")", L"Would delete file (" + driver + L")",
                         L"Would delete registry (HKCU\\Software\\Acme Audio)"};
    EXPECT_EQ(groups[0].lines, named);
    ASSERT_EQ(tw::RunCleaning({{label}, {}, false, true, {}}, host), tw::RunOutcome::NotDeleted);
    Lines want = {L"Deleted file (" + driver + L")", L"Not deleted folder (" + windows + L")",
                  L"Deleted registry (HKCU\\Software\\Acme Audio)"};
    for (const auto& problem : tw::OwnFamilyProblems()) want.push_back(L"Family file not loaded (" + tw::ProblemText(problem) + L")");
    tw::SortLines(want);
    EXPECT_EQ(logLines(), want);
    EXPECT_TRUE(tw::TakeUntoldFamilyProblems().empty());
    EXPECT_FALSE(fileExists(driver) || keyExists(HKEY_CURRENT_USER, L"Software\\Acme Audio"));
    EXPECT_TRUE(fileExists(other) && fileExists(kept));
    tw::RunLog().clear();
    tw::RestoreFiles(listFolder(tw::BackupRoot())[0] + L"\\Acme - Audio - Files\\");
    EXPECT_EQ(readFile(driver), L"driver");
    tw::LoadOwnFamilies(L"");
    EXPECT_EQ(tw::FamilyTable().size(), builtIn);
    removeTree(folder), removeTree(acme), removeTree(windows);
}

// A run with backups on, restored: the set is named by the time stamp, each target phase has its
// item, and files and keys come back where they were (names of copies and hives: files, registry tests).
TEST_F(RunOnWine, BackupSetOfARunRestoresFilesAndKeys) {
    const std::wstring data = expand(L"%ProgramData%\\NVIDIA\\");
    const std::wstring driver = plantFile(sys + L"nvapitw.dll", std::wstring(L"MZ\0\x90\r\n", 6));
    makeFolders(data + L"sub");
    plantFile(data + L"sub\\cache.bin", L"cache");
    for (const wchar_t* root : {L"HKCU", L"HKLM"}) plantKey(root + std::wstring(L"\\Software\\NVIDIA Corporation\\Global"));
    context.BackupEnabled = true;
    const std::wstring before = tw::fileTimeStamp();
    tw::Clean(context, *tw::FindFamilyByLabel(L"NVIDIA - Display"), true, true);
    const std::wstring after = tw::fileTimeStamp();
    ASSERT_FALSE(fileExists(driver) || folderExists(data));

    const Lines sets = listFolder(tw::BackupRoot());
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_TRUE(sets[0] == before || sets[0] == after) << sets[0];
    const std::wstring set = sets[0] + L"\\", files = set + L"NVIDIA - Display - Files\\";
    const std::wstring registry = set + L"NVIDIA - Display - Registry\\";

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
        {tw::EncodeFolder(dir + L"A\\"), L"", dir + L"A\\"},  // no index: the name decodes
        {L"C';WINDOWS", L"", L""},
        {tw::EncodeFolder(dir + L"D\\"), L"", dir + L"D\\", L"..\uFF3C..\uFF3Cwindows\uFF3Csystem32\uFF3Cx.dll", false},
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
    EXPECT_EQ(listFolder(dir), (Lines{L"A", L"L", L"T"}));
    EXPECT_EQ(listFolder(dir + L"T"), Lines{});
}

}  // namespace

// A file in use is not overwritten: where only administrators can change the
// folders, its copy waits beside it and the next start deletes the old file,
// then renames the copy. Elsewhere those paths could lead elsewhere by then:
// nothing is staged or queued.
TEST_F(RunOnWine, RestoreOverAFileInUseIsStagedForTheNextStart) {
    makeFolders(tw::BackupRoot() + L"TidewellSet\\Files\\" + tw::EncodeFolder(dir));
    writeFile(tw::BackupRoot() + L"TidewellSet\\Files\\" + tw::EncodeFolder(dir) + L"\\x.dll", L"backup");
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
