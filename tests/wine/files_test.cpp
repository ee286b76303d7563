// The file and folder deletions on a real file system: wildcards, attributes,
// files in use, backups on and off, the restart queue, folder trees, folders
// chosen by their setup file, links, and double-byte names.
#include <cstdlib>
#include <optional>

#include "engine/DeleteUnit.h"
#include "engine/FolderPath.h"
#include "engine/RestartQueue.h"
#include "faults.h"
#include "log/LogUnit.h"
#include "log/RunNotes.h"
#include "platform/common.h"
#include "platform/platform.h"
#include "settings/VarUnit.h"
#include "store/BackupStore.h"
#include "support.h"
#include "targets/Target.h"

namespace {

using namespace winetest;

const std::wstring kFilesItem = L"EngineWineSet\\NVIDIA - Display - Files\\";

class DeleteFilesOnDisk : public WineTest {};

TEST_F(DeleteFilesOnDisk, PatternsAttributesAndFoldersThatAreNoFiles) {
    for (const wchar_t* name : {L"nvapi.dll", L"NVCPL.DLL", L"nvhidden.sys", L"nvro.dll", L"kernel32.dll", L"nvnodot"})
        writeFile(dir + name, name);
    makeFolders(dir + L"nvStuff"), makeFolders(dir + L"nvEmpty");
    writeFile(dir + L"nvStuff\\inner.txt", L"keep");
    ASSERT_TRUE(::SetFileAttributesW((dir + L"nvhidden.sys").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(::SetFileAttributesW((dir + L"nvro.dll").c_str(), FILE_ATTRIBUTE_READONLY));
    writeFile(dir + L"nvup.dll", L"up");
    makeFolders(dir + L"Sub");
    writeFile(tw::programFolder() + L"tidewell-canary.txt", L"own");
    ASSERT_TRUE(makeUnixLink(tw::programFolder(), dir + L"Program"));  // still the program's folder

    // Patterns never leave their folder, which must be absolute and not the program's.
    tw::DeleteFiles(context, dir + L"Sub", {L"..\\nvup.dll", L"/nvup.dll", L".."});
    for (const std::wstring& folder : {std::wstring(), std::wstring(L"."), tw::programFolder() + L"Logs\\..", dir + L"Program"})
        tw::DeleteFiles(context, folder, {L"tidewell-canary.txt"});
    removeUnixLink(dir + L"Program");
    EXPECT_TRUE(logLines().empty());
    // Given without its trailing backslash; "*.*" also takes names without a dot.
    tw::DeleteFiles(context, dir.substr(0, dir.size() - 1), {L"nv*.*", L"nothing*.*", L"*.sys"});
    Lines expected = {L"Not deleted file (" + dir + L"nvro.dll)", L"Not deleted file (" + dir + L"nvStuff)",
                      L"Not deleted file (" + dir + L"nvEmpty)"};
    for (const wchar_t* gone : {L"nvapi.dll", L"NVCPL.DLL", L"nvhidden.sys", L"nvnodot", L"nvup.dll"})
        expected.push_back(L"Deleted file (" + dir + gone + L")");
    EXPECT_EQ(sorted(logLines()), sorted(expected));
    EXPECT_EQ(steps, 10);
    EXPECT_EQ(listFolder(dir), (Lines{L"Sub", L"kernel32.dll", L"nvEmpty", L"nvStuff", L"nvro.dll"}));
    EXPECT_EQ(readFile(dir + L"nvStuff\\inner.txt"), L"keep");
    EXPECT_EQ(readFile(tw::programFolder() + L"tidewell-canary.txt"), L"own");
    ::DeleteFileW((tw::programFolder() + L"tidewell-canary.txt").c_str());
    // Attributes are never changed to force a deletion.
    EXPECT_NE(::GetFileAttributesW((dir + L"nvro.dll").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
}

// The folder is listed through its handle and each name matched by the
// program itself: the same names, in the same order, as FindFirstFileW gives
// for the pattern, letters beyond ASCII (É/é) compared without regard to case.
TEST_F(DeleteFilesOnDisk, PatternsMatchAsTheSystemMatchesThem) {
    for (const wchar_t* name : {L"nvapi.dll", L"NVNODOT", L"nv.a.b", L"x.nv", L"\u00c9cole.txt", L"\u00e9COLE2",
                                L"a", L"ab", L"nvapi\uFF3C..\uFF3Ckeep.txt", L"\u00df.txt"})
        writeFile(dir + name, L"x");
    plat::EntryHandle folder;
    ASSERT_EQ(plat::openEntry(dir, 0, folder), plat::kOk);
    // Wine leaves out the system's rules for "?" and a trailing "." (see MatchesPattern's native rows).
    for (const wchar_t* pattern : {L"nv*.*", L"*.*", L"*", L"nv*", L"?v*.*", L"*.DLL", L"\u00c9*", L"\u00e9*.TXT",
                                   L"*.b", L"nv.*", L"*a*.*", L"\u1E9E*", L"NVAPI\uFF3C*", L"{*.TXT "}) {
        Lines system, own;
        WIN32_FIND_DATAW data{};
        const HANDLE find = ::FindFirstFileW((dir + pattern).c_str(), &data);
        for (bool more = find != INVALID_HANDLE_VALUE; more; more = ::FindNextFileW(find, &data))
            if (std::wstring(data.cFileName) != L"." && std::wstring(data.cFileName) != L"..") system.push_back(data.cFileName);
        if (find != INVALID_HANDLE_VALUE) ::FindClose(find);
        std::vector<plat::DirEntry> entries;
        ASSERT_EQ(plat::listEntries(folder, entries), plat::kOk);
        for (const auto& e : entries)
            if (tw::MatchesPattern(e.name, pattern)) own.push_back(e.name);
        EXPECT_EQ(own, system) << testing::PrintToString(std::wstring(pattern));
    }
}

// A name holding look-alikes of "\" and "." (U+FF3C, U+2216, U+FF0E) is one
// file of its folder: it goes, backed up under its own name, and the file
// its best-fit spelling would reach stays. An ordinary leftover beside it is
// deleted and backed up with its own content.
TEST_F(DeleteFilesOnDisk, LookAlikeSeparatorsNameOnlyTheListedFile) {
    makeFolders(dir + L"victim");
    writeFile(dir + L"victim\\keep.txt", L"keep");
    const Lines names = {L"nvapi\uFF3C..\uFF3C..\uFF3Cvictim\uFF3Ckeep.txt", L"nvapi\u2216..\u2216..\u2216victim\u2216keep.txt",
                         L"nvapi\uFF3C\uFF0E\uFF0E\uFF3C\uFF0E\uFF0E\uFF3Cvictim\uFF3Ckeep.txt", L"nvapi.dll"};
    makeFolders(dir + L"sys");
    for (const std::wstring& name : names) writeFile(dir + L"sys\\" + name, L"MZ\x90" + std::to_wstring(name.size()));
    context.BackupEnabled = true;
    context.BackupPath = tw::BackupRoot() + kFilesItem;
    tw::DeleteFiles(context, dir + L"sys", {L"nvapi*.*"});
    Lines expected;
    for (const std::wstring& name : names) {
        expected.push_back(L"Deleted file (" + dir + L"sys\\" + name + L")");
        EXPECT_EQ(readFile(context.BackupPath + tw::EncodeFolder(dir + L"sys\\") + L"\\" + name),
                  L"MZ\x90" + std::to_wstring(name.size())) << testing::PrintToString(name);
    }
    EXPECT_EQ(sorted(logLines()), sorted(expected));
    EXPECT_EQ(listFolder(dir + L"sys"), Lines{});
    EXPECT_EQ(readFile(dir + L"victim\\keep.txt"), L"keep");
    // The next phase's copies from the same folder go into its own item.
    writeFile(dir + L"sys\\nvapi.dll", L"next");
    context.BackupPath = tw::BackupRoot() + L"EngineWineSet\\Next - Files\\";
    tw::DeleteFiles(context, dir + L"sys", {L"nvapi.dll"});
    EXPECT_EQ(readFile(context.BackupPath + tw::EncodeFolder(dir + L"sys\\") + L"\\nvapi.dll"), L"next");
}

// Each way a file can stay, with backup and deletion at restart on and off:
// a file in use, a deletion refused, a copy that fails, a link (no copy, so kept).
// Only administrators can change the folders here, as in System32: files are
// queued by path.
TEST_F(DeleteFilesOnDisk, FilesThatStayAreCopiedFirstAndQueuedWhenAskedFor) {
    faults::secure(dir);
    for (const bool backup : {false, true}) {
        for (const bool reboot : {false, true}) {
            const std::wstring f = dir + (backup ? L"Backup" : L"Plain") + (reboot ? L"Queue" : L"") + L"\\";
            SCOPED_TRACE(f);
            makeFolders(f);
            for (const wchar_t* name : {L"nvfree.dll", L"nvlock.dll", L"nvrefused.dll", L"nvcopy.dll", L"nvlink.dll"})
                writeFile(f + name, name);
            faults::fail(faults::Call::DeleteFile, f + L"nvrefused.dll");
            faults::fail(faults::Call::CopyFile, f + L"nvcopy.dll"), faults::fail(faults::Call::ShowAsLink, f + L"nvlink.dll");
            tw::RunLog().clear();
            context.BackupEnabled = backup;
            context.DeleteAtReboot = reboot;
            context.BackupPath = tw::BackupRoot() + kFilesItem;
            {
                FileHolder holder(f + L"nvlock.dll");
                ASSERT_TRUE(holder.holding());
                tw::DeleteFiles(context, f, {L"nv*.dll"});
            }
            const std::wstring copies = context.BackupPath + tw::EncodeFolder(f) + L"\\";
            // With backup on, a copied file goes at restart in any case; an uncopied one stays.
            for (const std::wstring name : {L"nvlock.dll", L"nvrefused.dll"}) {
                EXPECT_EQ(readFile(f + name), name);
                EXPECT_EQ(queued(f + name), backup || reboot) << name;
                EXPECT_EQ(readFile(copies + name).value_or(L"none"), backup ? name : L"none");
            }
            EXPECT_EQ(std::pair(fileExists(f + L"nvcopy.dll"), fileExists(f + L"nvlink.dll")), std::pair(backup, backup));
            EXPECT_FALSE(queued(f + L"nvcopy.dll") || fileExists(copies + L"nvcopy.dll"));  // no part copy left
            const tw::ItemNote* copied = tw::FindItemNote(f + L"nvfree.dll");
            EXPECT_TRUE(plat::sameNameIgnoreCase(copied ? copied->backupCopy : L"", backup ? copies + L"nvfree.dll" : L""));
            EXPECT_EQ(tw::FindItemNote(f + L"nvcopy.dll") != nullptr, backup);  // refused: no copy
            EXPECT_FALSE(fileExists(f + L"nvfree.dll"));
            EXPECT_EQ(fileExists(copies + L"nvfree.dll"), backup);
            const std::wstring copy = backup ? L"Not deleted file (" : L"Deleted file (";
            EXPECT_EQ(sorted(logLines()), sorted({L"Deleted file (" + f + L"nvfree.dll)", L"Not deleted file (" + f +
                                                  L"nvlock.dll)", L"Not deleted file (" + f + L"nvrefused.dll)",
                                                  copy + f + L"nvcopy.dll)", copy + f + L"nvlink.dll)"}));
        }
    }
    // No usable backup folder: nothing is deleted.
    writeFile(dir + L"nvlast.dll", L"x");
    context.BackupPath.clear();
    tw::DeleteFiles(context, dir, {L"nvlast.dll"});
    EXPECT_TRUE(fileExists(dir + L"nvlast.dll"));
}

// A file queued for the restart is the file judged, whoever can change its
// folders meanwhile. Only where administrators alone can change them (as in
// System32) is its path queued; elsewhere it is moved through its handle
// into the program's own "Pending" folder (same volume, administrators only)
// and that path is queued, or else nothing is. A preview queues nothing.
TEST_F(DeleteFilesOnDisk, TheRestartQueueNamesOnlyTheJudgedFile) {
    enum Queue { None, ByPath, InPending };
    struct Row { bool programVolume; std::wstring folderSddl; bool pendingSecure, preview; const wchar_t* name; Queue queue; };
    const wchar_t* lookAlike = L"..\uFF3C..\uFF3Cwindows\uFF3Csystem32\uFF3Ccanary.dll";
    const std::wstring beside = tw::FolderOfPath(tw::programFolder().substr(0, tw::programFolder().size() - 1)) +
                                L"\\TidewellRestartTest\\", sys32 = faults::kSystem32Sddl;
    for (const Row& r : {Row{true, L"", true, false, lookAlike, InPending}, Row{true, L"", true, false, L"nvold.dll", InPending},
                         Row{true, L"", false, false, lookAlike, None}, Row{false, L"", true, false, lookAlike, None},
                         Row{false, sys32, false, false, lookAlike, ByPath}, Row{false, sys32, false, false, L"nvold.dll", ByPath},
                         Row{false, sys32, true, true, lookAlike, None},  // a preview
                         // Who may change a folder: the owner, and entries that apply to it (not inherit-only ones).
                         Row{false, L"O:BUD:P(A;;FA;;;BA)", false, false, lookAlike, None}, Row{false, sys32 + L"(A;;0x4;;;AU)",
                         false, false, lookAlike, None}, Row{false, sys32 + L"(A;OICIIO;GA;;;BU)", false, false, lookAlike, ByPath}}) {
        const std::wstring folder = (r.programVolume ? beside : dir) + L"NVIDIA\\", file = folder + r.name;
        SCOPED_TRACE(file + (r.preview ? L" preview" : L""));
        faults::reset(), removeTree(folder), makeFolders(folder), writeFile(file, L"judged");
        ASSERT_TRUE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
        if (!r.folderSddl.empty()) faults::secure(folder, r.folderSddl.c_str());
        if (r.pendingSecure) faults::secure(tw::programFolder() + L"Pending");
        const std::size_t before = pendingRenames().size();
        tw::RunLog().clear();
        tw::DeletionContext run(tw::RunLog(), r.preview ? tw::DeletionContext::Mode::Report : tw::DeletionContext::Mode::Act);
        run.DeleteAtReboot = true;
        tw::DeleteFiles(run, folder, {L"*", L"*.dll"});  // the second pattern names again what stayed, not what left
        EXPECT_EQ(logLines(), Lines(r.queue == InPending ? 1 : 2, L"Not deleted file (" + file + L")"));
        const Lines queue = pendingRenames(), added(queue.begin() + static_cast<long>(before), queue.end());
        EXPECT_EQ(fileExists(file), r.queue != InPending);
        if (r.queue != InPending) { EXPECT_EQ(added, (r.queue == ByPath ? Lines{ntPath(file), L"", ntPath(file), L""} : Lines{})); continue; }
        ASSERT_EQ(added.size(), 2u);
        EXPECT_EQ(added[1], L"");
        EXPECT_EQ(readFile(added[0].substr(4)), L"judged");  // "\\??\\" + its path in Pending
        EXPECT_EQ(::GetFileAttributesW(added[0].substr(4).c_str()) & FILE_ATTRIBUTE_READONLY, 0u);  // else it outlives the restart
    }
    faults::reset(), removeTree(beside), removeTree(tw::programFolder() + L"Pending");
}

class DeleteFolderOnDisk : public WineTest {};

// A file that stays keeps only its chain of folders; with backup on every
// file is copied first, and one whose copy fails stays unqueued.
TEST_F(DeleteFolderOnDisk, WhatStaysKeepsOnlyItsFolderChain) {
    for (const bool backup : {false, true}) {
        const std::wstring tree = dir + (backup ? L"NVIDIA Backup" : L"NVIDIA");  // as a target gives it
        SCOPED_TRACE(tree);
        for (const wchar_t* f : {L"\\a.txt", L"\\Sub1\\Deeper\\c.txt", L"\\Sub2\\Deep\\locked.dll", L"\\Sub2\\d.txt",
                              L"\\Sub3\\uncopied.dll", L"\\Sub3\\e.txt"}) {
            makeFolders((tree + f).substr(0, (tree + f).find_last_of(L'\\')));
            writeFile(tree + f, f);
        }
        ::SetFileAttributesW((tree + L"\\Sub2\\d.txt").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
        faults::fail(faults::Call::CopyFile, L"uncopied.dll"), faults::secure(dir);
        context.BackupEnabled = backup;
        context.DeleteAtReboot = true;
        context.BackupPath = tw::BackupRoot() + kFilesItem;
        tw::RunLog().clear();
        {
            FileHolder holder(tree + L"\\Sub2\\Deep\\locked.dll");
            ASSERT_TRUE(holder.holding());
            tw::DeleteFolder(context, tree);
        }
        EXPECT_EQ(logLines(), Lines{L"Not deleted folder (" + tree + L")"});
        EXPECT_EQ(listFolder(tree), backup ? (Lines{L"Sub2", L"Sub3"}) : Lines{L"Sub2"});
        EXPECT_EQ(listFolder(tree + L"\\Sub2"), Lines{L"Deep"});
        EXPECT_TRUE(queued(tree + L"\\Sub2\\Deep\\locked.dll"));
        EXPECT_EQ(listFolder(tree + L"\\Sub3"), backup ? Lines{L"uncopied.dll"} : Lines{});
        EXPECT_FALSE(queued(tree + L"\\Sub3\\uncopied.dll"));
        const std::wstring copies = context.BackupPath + tw::EncodeFolder(tree + L"\\");
        EXPECT_EQ(fileExists(copies + L"Sub2;Deep;\\locked.dll") && fileExists(copies + L"Sub2;\\d.txt"), backup);
        EXPECT_EQ(steps, 0);
        tw::RunLog().clear();
        faults::reset();  // and the next run takes the rest
        tw::DeleteFolder(context, tree);
        EXPECT_EQ(logLines(), Lines{L"Deleted folder (" + tree + L")"});
        EXPECT_FALSE(folderExists(tree));
    }
}

// The company's letter case counts (the targets' table plants both); the names in setup.ini do not.
TEST_F(DeleteFolderOnDisk, CompanyIsReadFromEachSetupFile) {
    const std::vector<std::pair<std::wstring, std::wstring>> setups = {
        {L"Audio3", L"[Other]\r\nCompanyName=Realtek\r\n"},
        {L"Audio4", L"[startup]\r\ncompanyname = Realtek Semiconductor Corp.\r\n"},
        {L"Hidden", L"[Startup]\r\nCompanyName=Realtek\r\n"},
        {L"InUse", L"[Startup]\r\nCompanyName=Realtek\r\n"}};
    for (const auto& [folder, text] : setups) {
        makeFolders(dir + folder);
        writeFile(dir + folder + L"\\setup.ini", text);
    }
    writeFile(dir + L"InUse\\driver.sys", L"x");
    writeFile(dir + L"RealtekFile.txt", L"[Startup]\r\nCompanyName=Realtek\r\n");
    ASSERT_TRUE(::SetFileAttributesW((dir + L"Hidden").c_str(), FILE_ATTRIBUTE_HIDDEN));
    FileHolder holder(dir + L"InUse\\driver.sys");
    tw::DeleteFoldersByCompany(context, dir, L"Realtek");
    tw::DeleteFoldersByCompany(context, dir, L"");
    EXPECT_EQ(sorted(logLines()), (Lines{L"Deleted folder (" + dir + L"Audio4)", L"Not deleted folder (" + dir + L"InUse)"}));
    EXPECT_EQ(listFolder(dir), (Lines{L"Audio3", L"Hidden", L"InUse", L"RealtekFile.txt"}));
}

// Wine follows a link even when asked not to; the walk sees that from where
// each opened entry lies. An entry the system reports as a link (through the
// fault shim) is removed as a link, never walked into.
TEST_F(DeleteFolderOnDisk, LinksAreNeverFollowed) {
    for (const wchar_t* f : {L"Outside\\Deep\\canary.txt", L"Outside\\canary.txt", L"Tree\\Sub\\b.txt", L"Tree\\a.txt",
                          L"Tree\\Shown\\canary.txt"}) {
        makeFolders((dir + f).substr(0, (dir + f).find_last_of(L'\\')));
        writeFile(dir + f, L"alive");
    }
    faults::fail(faults::Call::ShowAsLink, L"\\Tree\\Shown");
    if (!runningUnderWine()) GTEST_SKIP() << L"Unix links are made under Wine";
    ASSERT_TRUE(makeUnixLink(dir + L"Outside", dir + L"Tree\\Sub\\ToOutside"));
    ASSERT_TRUE(makeUnixLink(dir + L"Outside\\canary.txt", dir + L"Tree\\file-link.txt"));
    ASSERT_TRUE(makeUnixLink(dir + L"Outside", dir + L"TopLink"));
    ASSERT_TRUE(makeUnixLink(tw::programFolder(), dir + L"Program"));
    context.BackupEnabled = true;
    context.BackupPath = tw::BackupRoot() + kFilesItem;
    tw::DeleteFolder(context, dir + L"Tree");
    tw::DeleteFolder(context, dir + L"TopLink");
    tw::DeleteFolder(context, dir + L"Program\\Backup");  // a link in the middle: it is the backup folder
    EXPECT_EQ(logLines(), (Lines{L"Not deleted folder (" + dir + L"Tree)", L"Not deleted folder (" + dir + L"TopLink)",
                                 L"Not deleted folder (" + dir + L"Program\\Backup)"}));
    for (const wchar_t* f : {L"Outside\\canary.txt", L"Outside\\Deep\\canary.txt", L"Tree\\Shown\\canary.txt"})
        EXPECT_EQ(readFile(dir + f), L"alive") << f;
    EXPECT_FALSE(fileExists(dir + L"Tree\\a.txt"));
    EXPECT_FALSE(folderExists(dir + L"Tree\\Sub\\Deep"));
    // Only the tree's own files were copied.
    const std::wstring copies = context.BackupPath + tw::EncodeFolder(dir + L"Tree\\") + L"\\";
    EXPECT_EQ(readFile(copies + L"a.txt"), L"alive");
    EXPECT_FALSE(fileExists(copies + L"file-link.txt"));
    EXPECT_FALSE(folderExists(context.BackupPath + tw::EncodeFolder(dir + L"Tree\\Shown\\")));
    for (const wchar_t* link : {L"Tree\\Sub\\ToOutside", L"Tree\\file-link.txt", L"TopLink", L"Program"})
        removeUnixLink(dir + link);
}

// Code page 932 (Wine takes it from LC_ALL=ja_JP.UTF-8): the second byte of
// "表" (0x95 0x5C) is a backslash, and "¥" is converted to one. Names stay
// UTF-16, so neither is ever taken for a separator.
TEST_F(DeleteFolderOnDisk, DoubleByteNamesWhoseSecondByteIsABackslash) {
    // The run made for it (TW_CODE_PAGE=932) fails when it did not get that code page.
    const char* wanted = std::getenv("TW_CODE_PAGE");
    if (wanted != nullptr) {
        ASSERT_EQ(std::to_string(::GetACP()), wanted);
    }
    if (::GetACP() != 932) GTEST_SKIP() << "needs the ANSI code page 932";
    const std::wstring hyo = L"\u8868\u00A5";
    makeFolders(dir + hyo + L"X");
    writeFile(dir + hyo + L"X\\" + hyo + L".dll", L"d");
    writeFile(dir + hyo + L"X\\" + hyo + L"2.dll", L"d");
    makeFolders(dir + L"Keep");
    writeFile(dir + L"Keep\\keep.me", L"x");
    ASSERT_TRUE(tw::forceDirectories(dir + hyo + L"\\" + hyo + L"\\Sub"));
    EXPECT_EQ(listFolder(dir), (Lines{L"Keep", hyo, hyo + L"X"}));
    EXPECT_EQ(listFolder(dir + hyo + L"\\" + hyo), Lines{L"Sub"});

    tw::DeleteFolder(context, tw::LogFolder() + hyo + L"X\\..");
    tw::DeleteFolder(context, tw::programFolder() + hyo + L"X\\..");
    tw::DeleteFiles(context, dir + hyo + L"X", {hyo + L".dll"});
    tw::DeleteFolder(context, dir + hyo + L"X");
    tw::DeleteFolder(context, dir + hyo);
    EXPECT_EQ(logLines(), (Lines{L"Not deleted folder (" + tw::LogFolder() + hyo + L"X\\..)",
                                 L"Not deleted folder (" + tw::programFolder() + hyo + L"X\\..)",
                                 L"Deleted file (" + dir + hyo + L"X\\" + hyo + L".dll)",
                                 L"Deleted folder (" + dir + hyo + L"X)", L"Deleted folder (" + dir + hyo + L")"}));
    EXPECT_EQ(listFolder(dir), Lines{L"Keep"});
}

}  // namespace
