// The file routines of the cleaning engine on a real file system: wildcard
// matching, attributes, folders, files held open by another process, the
// restart queue in the registry, and backups that come back byte for byte.
#include <algorithm>
#include <cstdlib>

#include "backup/BackupUnit.h"
#include "engine/DeleteUnit.h"
#include "faults.h"
#include "support.h"
#include "log/LogUnit.h"
#include "platform/common.h"
#include "settings/VarUnit.h"

namespace {

using namespace winetest;
using Lines = std::vector<std::string>;

const std::string kSet = "EngineWineSet";
const std::string kFilesItem = kSet + "\\NVIDIA - Display - Files\\";

Lines sorted(Lines lines) {
    std::sort(lines.begin(), lines.end());
    return lines;
}

// Bytes every value of which occurs, NULs and line ends included, in an
// order that a truncated or re-encoded copy would not keep.
std::string binaryContent(std::size_t size) {
    std::string out(size, '\0');
    std::uint32_t x = 2463534242u;
    for (std::size_t i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        out[i] = static_cast<char>(i < 256 ? i : (x & 0xFF));
    }
    return out;
}

// A folder link for the life of the object. Under Wine, CreateSymbolicLink
// does nothing and RemoveDirectory on a link removes its target; a Unix
// symbolic link made and removed by a Unix program stands in for a junction
// (attributes 0x410, followed when a path runs through it).
class FolderLink {
public:
    FolderLink(const std::string& link, const std::string& target) : link_(link) {
        if (!runningUnderWine()) ::CreateSymbolicLinkA(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY);
        else unix("/bin/ln -s \"" + unixPath(target) + "\" \"" + unixPath(link) + "\"");
    }
    ~FolderLink() {
        if (!runningUnderWine()) ::RemoveDirectoryA(link_.c_str());
        else unix("/bin/rm \"" + unixPath(link_) + "\"");
    }

private:
    static std::string unixPath(const std::string& path) {
        auto convert = reinterpret_cast<char*(CDECL*)(LPCWSTR)>(
            reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
        char* name = convert(std::wstring(path.begin(), path.end()).c_str());
        const std::string out = name ? name : "";
        ::HeapFree(::GetProcessHeap(), 0, name);
        return out;
    }
    static void unix(std::string command) {
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return;
        ::WaitForSingleObject(pi.hProcess, 10000);
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
    }
    std::string link_;
};

class DeleteFilesOnDisk : public WineTest {};

TEST_F(DeleteFilesOnDisk, PatternsAttributesAndMatchedFolders) {
    writeFile(dir + "nvapi.dll", "a");
    writeFile(dir + "NVCPL.DLL", "b");
    writeFile(dir + "nvhidden.sys", "c");
    writeFile(dir + "nvro.dll", "d");
    writeFile(dir + "kernel32.dll", "k");
    writeFile(dir + "nvnodot", "e");
    makeFolders(dir + "nvStuff");
    writeFile(dir + "nvStuff\\inner.txt", "keep");
    ASSERT_TRUE(::SetFileAttributesA((dir + "nvhidden.sys").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(::SetFileAttributesA((dir + "nvro.dll").c_str(), FILE_ATTRIBUTE_READONLY));
    const Lines queueBefore = pendingRenames();

    // Given without its trailing backslash; "*.*" also takes names without a dot.
    tw::DeleteFiles(dir.substr(0, dir.size() - 1), {"nv*.*", "nothing*.*", "*.sys"});
    EXPECT_EQ(sorted(logLines()), sorted({"Deleted file (" + dir + "nvapi.dll)", "Deleted file (" + dir + "NVCPL.DLL)",
                                          "Deleted file (" + dir + "nvhidden.sys)",
                                          "Deleted file (" + dir + "nvnodot)", "Not deleted file (" + dir + "nvro.dll)",
                                          "Not deleted file (" + dir + "nvStuff)"}));
    EXPECT_EQ(steps, 3);
    EXPECT_EQ(listFolder(dir), (Lines{"kernel32.dll", "nvStuff", "nvro.dll"}));
    EXPECT_TRUE(fileExists(dir + "nvStuff\\inner.txt"));
    // Attributes are never changed to force a deletion.
    EXPECT_EQ(::GetFileAttributesA((dir + "nvro.dll").c_str()) & FILE_ATTRIBUTE_READONLY,
              static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(pendingRenames(), queueBefore) << "scheduled although DeleteAtReboot is off";

    tw::RunLog().clear();
    tw::DeleteAtReboot = true;
    tw::DeleteFiles(dir, {"nvro.dll"});
    EXPECT_EQ(logLines(), Lines{"Not deleted file (" + dir + "nvro.dll)"});
    EXPECT_TRUE(queued(dir + "nvro.dll"));
    EXPECT_TRUE(fileExists(dir + "nvro.dll"));
}

TEST_F(DeleteFilesOnDisk, FolderMatchedByAPatternIsNeitherCopiedNorEmptied) {
    makeFolders(dir + "nvStuff");
    writeFile(dir + "nvStuff\\inner.txt", "keep");
    tw::BackupEnabled = true;
    tw::BackupPath = tw::BackupRoot() + kFilesItem;
    const Lines queueBefore = pendingRenames();
    tw::DeleteFiles(dir, {"nv*.*"});
    EXPECT_EQ(logLines(), Lines{"Not deleted file (" + dir + "nvStuff)"});
    EXPECT_EQ(readFile(dir + "nvStuff\\inner.txt"), "keep");
    EXPECT_EQ(pendingRenames(), queueBefore);
}

TEST_F(DeleteFilesOnDisk, BackupCopiesComeBackByteForByte) {
    // A source folder whose name does not survive the folder encoding.
    const std::string odd = dir + "Vendor;Tool's\\";
    makeFolders(odd);
    const std::string big = binaryContent(300 * 1024);
    writeFile(dir + "nvbig.bin", big);
    writeFile(dir + "nvsmall.dll", std::string("\r\n\0\x1a", 4));
    writeFile(odd + "nvodd.dll", "odd folder");
    writeFile(odd + "nvempty.dll", "");
    tw::BackupEnabled = true;
    tw::BackupPath = tw::BackupRoot() + kFilesItem;

    tw::DeleteFiles(dir, {"nv*.*"});
    tw::DeleteFiles(odd, {"nv*.*"});
    EXPECT_EQ(sorted(logLines()), sorted({"Deleted file (" + dir + "nvbig.bin)", "Deleted file (" + dir + "nvsmall.dll)",
                                          "Deleted file (" + odd + "nvodd.dll)",
                                          "Deleted file (" + odd + "nvempty.dll)"}));
    EXPECT_FALSE(fileExists(dir + "nvbig.bin"));
    EXPECT_FALSE(fileExists(odd + "nvodd.dll"));

    // The copies lie in one sub-folder per source folder, found through the index.
    const std::string plainCopy = tw::BackupPath + tw::EncodeFolder(dir) + "\\";
    EXPECT_EQ(readFile(plainCopy + "nvbig.bin"), big);
    EXPECT_EQ(readFile(plainCopy + "nvsmall.dll"), std::string("\r\n\0\x1a", 4));
    EXPECT_TRUE(fileExists(tw::BackupPath + tw::kFolderIndexName));
    const auto index = tw::ReadFolderIndex(tw::BackupPath);
    ASSERT_EQ(index.size(), 2u);
    std::string oddCopy;
    for (const auto& [name, original] : index)
        if (original == odd) oddCopy = tw::BackupPath + name + "\\";
    ASSERT_FALSE(oddCopy.empty()) << "the odd folder is missing from the index";
    EXPECT_EQ(readFile(oddCopy + "nvodd.dll"), "odd folder");

    // The odd folder is gone entirely: the restore makes it again.
    removeTree(odd);
    tw::RunLog().clear();
    tw::RestoreFiles(kFilesItem);
    EXPECT_EQ(sorted(logLines()), sorted({"Restored File (" + dir + "nvbig.bin)", "Restored File (" + dir + "nvsmall.dll)",
                                          "Restored File (" + odd + "nvodd.dll)",
                                          "Restored File (" + odd + "nvempty.dll)"}));
    EXPECT_EQ(readFile(dir + "nvbig.bin"), big);
    EXPECT_EQ(readFile(dir + "nvsmall.dll"), std::string("\r\n\0\x1a", 4));
    EXPECT_EQ(readFile(odd + "nvodd.dll"), "odd folder");
    EXPECT_EQ(readFile(odd + "nvempty.dll"), "");
    EXPECT_EQ(listFolder(dir), (Lines{"Vendor;Tool's", "nvbig.bin", "nvsmall.dll"}));
    // The set keeps its copies.
    EXPECT_EQ(readFile(plainCopy + "nvbig.bin"), big);
}

TEST_F(DeleteFilesOnDisk, RestoreNeverWritesThroughALink) {
    const std::string real = dir + "real\\";
    makeFolders(real);
    FolderLink link(dir + "link", real);
    ASSERT_EQ(::GetFileAttributesA((dir + "link").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT,
              static_cast<DWORD>(FILE_ATTRIBUTE_REPARSE_POINT));
    // Copies of files once deleted from the link and from a folder below it.
    const std::string item = tw::BackupRoot() + kFilesItem;
    for (const std::string& folder : {dir + "link\\", dir + "link\\Sub\\"}) {
        makeFolders(item + tw::EncodeFolder(folder));
        writeFile(item + tw::EncodeFolder(folder) + "\\x.dll", "backup");
    }
    tw::RestoreFiles(kFilesItem);
    EXPECT_EQ(sorted(logLines()),
              sorted({"Not Restored File (" + dir + "link\\x.dll)", "Not Restored File (" + dir + "link\\Sub\\x.dll)"}));
    EXPECT_EQ(listFolder(real), Lines{});
}

TEST_F(DeleteFilesOnDisk, IndexNameThatTheCodePageTurnsIntoAWayUpIsIgnored) {
    // Full-width backslashes (U+FF3C) become plain ones in code page 1252.
    const std::string item = tw::BackupRoot() + kFilesItem;
    makeFolders(item);
    writeFile(item + tw::kFolderIndexName, "..\xEF\xBC\xBC..\xEF\xBC\xBC" "Escaped\t" + dir + "\n");
    writeFile(dir + "nv.dll", "nv");
    tw::BackupEnabled = true;
    tw::BackupPath = item;
    tw::DeleteFiles(dir, {"nv.dll"});
    EXPECT_EQ(readFile(item + tw::EncodeFolder(dir) + "\\nv.dll"), "nv");
    EXPECT_FALSE(folderExists(tw::BackupRoot() + "Escaped"));
}

// ---- files held open by another process ----

class FilesInUse : public WineTest {};

TEST_F(FilesInUse, WithoutBackupOnlyDeleteAtRebootSchedules) {
    const std::string path = dir + "nvlock.dll";
    writeFile(path, "locked");
    FileHolder holder(path);
    ASSERT_TRUE(holder.holding());
    const Lines queueBefore = pendingRenames();

    tw::DeleteFiles(dir, {"nvlock.dll"});
    EXPECT_EQ(logLines(), Lines{"Not deleted file (" + path + ")"});
    EXPECT_EQ(pendingRenames(), queueBefore);

    tw::RunLog().clear();
    tw::DeleteAtReboot = true;
    tw::DeleteFiles(dir, {"nvlock.dll"});
    EXPECT_EQ(logLines(), Lines{"Not deleted file (" + path + ")"});
    EXPECT_TRUE(queued(path)) << "queue holds " << ::testing::PrintToString(pendingRenames());
    EXPECT_EQ(readFile(path), "locked");
}

TEST_F(FilesInUse, WithBackupTheCopyStaysAndTheFileIsAlwaysScheduled) {
    const std::string path = dir + "nvlock.dll";
    writeFile(path, "locked bytes");
    tw::BackupEnabled = true;  // DeleteAtReboot stays off
    tw::BackupPath = tw::BackupRoot() + kFilesItem;
    {
        FileHolder holder(path);
        ASSERT_TRUE(holder.holding());
        tw::DeleteFiles(dir, {"nv*.*"});
    }
    EXPECT_EQ(logLines(), Lines{"Not deleted file (" + path + ")"});
    EXPECT_TRUE(queued(path)) << "queue holds " << ::testing::PrintToString(pendingRenames());
    EXPECT_EQ(readFile(path), "locked bytes");
    EXPECT_EQ(readFile(tw::BackupPath + tw::EncodeFolder(dir) + "\\nvlock.dll"), "locked bytes");
}

TEST_F(FilesInUse, RestoreOverAFileInUseIsStagedForTheNextStart) {
    const std::string path = dir + "nvlock.dll";
    const std::string staged = dir + "__nvlock.dll";
    writeFile(path, "driver v1");
    tw::BackupEnabled = true;
    tw::BackupPath = tw::BackupRoot() + kFilesItem;
    tw::DeleteFiles(dir, {"nvlock.dll"});
    ASSERT_EQ(logLines(), Lines{"Deleted file (" + path + ")"});

    // Meanwhile another version was installed and is running.
    writeFile(path, "driver v2");
    FileHolder holder(path);
    ASSERT_TRUE(holder.holding());
    tw::RunLog().clear();
    tw::RestoreFiles(kFilesItem);
    EXPECT_EQ(logLines(), Lines{"Not Restored File (" + path + ")"});
    EXPECT_EQ(readFile(path), "driver v2");
    EXPECT_EQ(readFile(staged), "driver v1");
    // First the file in use goes, then the staged copy takes its name.
    const Lines queue = pendingRenames();
    const auto del = std::find(queue.begin(), queue.end(), ntPath(path));
    const auto swap = std::find(queue.begin(), queue.end(), ntPath(staged));
    ASSERT_NE(del, queue.end()) << ::testing::PrintToString(queue);
    ASSERT_NE(swap, queue.end()) << ::testing::PrintToString(queue);
    EXPECT_TRUE(queued(path));
    EXPECT_TRUE(queued(staged, path));
    EXPECT_LT(del - queue.begin(), swap - queue.begin());
}

// ---- folder trees ----

class DeleteFolderOnDisk : public WineTest {};

TEST_F(DeleteFolderOnDisk, OneFileInUseKeepsOnlyItsFolderChain) {
    const std::string tree = dir + "NVIDIA Corporation";  // as a target passes it, without a backslash
    makeFolders(tree + "\\Sub1\\Deeper");
    makeFolders(tree + "\\Sub2\\Deep");
    writeFile(tree + "\\a.txt", "a");
    writeFile(tree + "\\Sub1\\b.txt", "b");
    writeFile(tree + "\\Sub1\\Deeper\\c.txt", "c");
    writeFile(tree + "\\Sub2\\d.txt", "d");
    writeFile(tree + "\\Sub2\\Deep\\locked.dll", "in use");
    writeFile(tree + "\\Sub2\\Deep\\free.dll", "free");
    const Lines queueBefore = pendingRenames();
    {
        FileHolder holder(tree + "\\Sub2\\Deep\\locked.dll");
        ASSERT_TRUE(holder.holding());
        tw::DeleteFolder(tree);
        EXPECT_EQ(logLines(), Lines{"Not deleted folder (" + tree + ")"});
        EXPECT_EQ(listFolder(tree), Lines{"Sub2"});
        EXPECT_EQ(listFolder(tree + "\\Sub2"), Lines{"Deep"});
        EXPECT_EQ(listFolder(tree + "\\Sub2\\Deep"), Lines{"locked.dll"});
        EXPECT_EQ(pendingRenames(), queueBefore);
        EXPECT_EQ(steps, 0);
    }
    // Once the file is free the next run takes the rest.
    tw::RunLog().clear();
    tw::DeleteFolder(tree);
    EXPECT_EQ(logLines(), Lines{"Deleted folder (" + tree + ")"});
    EXPECT_FALSE(folderExists(tree));
}

TEST_F(DeleteFolderOnDisk, CompanyIsReadFromEachSetupFile) {
    makeFolders(dir + "Audio1");
    makeFolders(dir + "Audio2");
    makeFolders(dir + "Audio3");
    makeFolders(dir + "Audio4");
    writeFile(dir + "Audio1\\setup.ini", "[Startup]\r\nCompanyName=Realtek Semiconductor Corp.\r\n");
    writeFile(dir + "Audio2\\setup.ini", "[Startup]\r\nCompanyName=realtek\r\n");
    writeFile(dir + "Audio3\\setup.ini", "[Other]\r\nCompanyName=Realtek\r\n");
    writeFile(dir + "Audio4\\setup.ini", "[startup]\r\ncompanyname = Realtek\r\n");
    writeFile(dir + "Audio4\\driver.sys", "x");
    tw::DeleteFoldersByCompany(dir, "Realtek");
    // Section and key names ignore letter case and blanks around "=" as the
    // profile functions do; the company text does not.
    EXPECT_EQ(sorted(logLines()), sorted({"Deleted folder (" + dir + "Audio1)", "Deleted folder (" + dir + "Audio4)"}));
    EXPECT_EQ(listFolder(dir), (Lines{"Audio2", "Audio3"}));
}

// ---- the log file ----

// Wine follows a link even when asked not to; the walk finds that out from
// where each opened entry lies, so nothing behind a link is touched.
TEST_F(DeleteFolderOnDisk, LinksAreNeverFollowed) {
    makeFolders(dir + "Outside\\Deep");
    writeFile(dir + "Outside\\canary.txt", "alive");
    writeFile(dir + "Outside\\Deep\\canary.txt", "alive");
    makeFolders(dir + "Tree\\Sub");
    writeFile(dir + "Tree\\a.txt", "a");
    writeFile(dir + "Tree\\Sub\\b.txt", "b");
    makeFolders(tw::BackupRoot() + "Guarded");
    writeFile(tw::BackupRoot() + "Guarded\\canary.txt", "alive");
    if (!runningUnderWine()) GTEST_SKIP() << "Unix links are made under Wine";
    ASSERT_TRUE(makeUnixLink(dir + "Outside", dir + "Tree\\Sub\\ToOutside"));
    ASSERT_TRUE(makeUnixLink(dir + "Outside\\canary.txt", dir + "Tree\\file-link.txt"));
    ASSERT_TRUE(makeUnixLink(dir + "Outside", dir + "TopLink"));
    ASSERT_TRUE(makeUnixLink(tw::programFolder(), dir + "Program"));
    tw::BackupEnabled = true;
    tw::BackupPath = tw::BackupRoot() + kFilesItem;
    tw::DeleteFolder(dir + "Tree");
    tw::DeleteFolder(dir + "TopLink");
    tw::DeleteFolder(dir + "Program\\Backup");  // a link in the middle: it is the backup folder
    EXPECT_EQ(logLines(), (Lines{"Not deleted folder (" + dir + "Tree)", "Not deleted folder (" + dir + "TopLink)",
                                 "Not deleted folder (" + dir + "Program\\Backup)"}));
    EXPECT_EQ(readFile(dir + "Outside\\canary.txt"), "alive");
    EXPECT_EQ(readFile(dir + "Outside\\Deep\\canary.txt"), "alive");
    EXPECT_EQ(readFile(tw::BackupRoot() + "Guarded\\canary.txt"), "alive");
    EXPECT_FALSE(fileExists(dir + "Tree\\a.txt"));
    EXPECT_FALSE(folderExists(dir + "Tree\\Sub\\Deep"));
    // Only the tree's own files were copied.
    const std::string copies = tw::BackupPath + tw::EncodeFolder(dir + "Tree\\") + "\\";
    EXPECT_EQ(readFile(copies + "a.txt"), "a");
    EXPECT_FALSE(fileExists(copies + "file-link.txt"));
    for (const char* link : {"Tree\\Sub\\ToOutside", "Tree\\file-link.txt", "TopLink", "Program"})
        removeUnixLink(dir + link);
}

// Code page 932 (Wine takes it from LC_ALL=ja_JP.UTF-8): "表" is 0x95 0x5C,
// its second byte a backslash.
TEST_F(DeleteFolderOnDisk, DoubleByteNamesWhoseSecondByteIsABackslash) {
    // The run made for it (TW_CODE_PAGE=932) fails when it did not get that code page.
    const char* wanted = std::getenv("TW_CODE_PAGE");
    if (wanted != nullptr) {
        ASSERT_EQ(std::to_string(::GetACP()), wanted);
    }
    if (::GetACP() != 932) GTEST_SKIP() << "needs the ANSI code page 932";
    const std::string hyo = "\x95\x5C";
    makeFolders(dir + hyo + "X");
    writeFile(dir + hyo + "X\\" + hyo + ".dll", "d");
    makeFolders(dir + "Keep");
    writeFile(dir + "Keep\\keep.me", "x");
    makeFolders(tw::LogFolder());
    writeFile(tw::LogFolder() + "keep.me", "x");
    ASSERT_TRUE(tw::forceDirectories(dir + hyo + "\\" + hyo + "\\Sub"));
    EXPECT_TRUE(folderExists(dir + hyo + "\\" + hyo + "\\Sub"));
    EXPECT_EQ(listFolder(dir), (Lines{"Keep", hyo, hyo + "X"}));

    tw::DeleteFolder(tw::LogFolder() + hyo + "X\\..");
    tw::DeleteFolder(tw::programFolder() + hyo + "X\\..");
    tw::DeleteFolder(dir + hyo + "X");
    tw::DeleteFolder(dir + hyo);
    EXPECT_EQ(logLines(), (Lines{"Not deleted folder (" + tw::LogFolder() + hyo + "X\\..)",
                                 "Not deleted folder (" + tw::programFolder() + hyo + "X\\..)",
                                 "Deleted folder (" + dir + hyo + "X)", "Deleted folder (" + dir + hyo + ")"}));
    EXPECT_EQ(listFolder(dir), Lines{"Keep"});
    EXPECT_EQ(readFile(tw::LogFolder() + "keep.me"), "x");
}

class LogFileOnDisk : public WineTest {};

TEST_F(LogFileOnDisk, SavedAsUtf16WithByteOrderMarkAndReadBack) {
    const std::vector<std::wstring> lines = {L"Deleted file (C:\\Temp\\Ger\u00e4t\\nv\u00fc.dll)",
                                             L"Not deleted registry (HKLM\\Software\\\u65e5\u672c)", L"",
                                             L"Restored File (C:\\x;y's\\a.dll)"};
    for (const auto& line : lines) tw::RunLog().append(line);
    const std::string path = tw::SaveLog();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.rfind(tw::LogFolder(), 0), 0u) << path;
    EXPECT_EQ(path.substr(path.size() - 4), ".txt");
    EXPECT_EQ(path.find_first_of("/:", 2), std::string::npos) << path;

    const auto bytes = readFile(path);
    ASSERT_TRUE(bytes.has_value());
    std::wstring expected;
    for (std::size_t i = 0; i < lines.size(); ++i) expected += (i ? L"\r\n" : L"") + lines[i];
    std::string expectedBytes = "\xFF\xFE";
    for (wchar_t c : expected) {
        expectedBytes.push_back(static_cast<char>(c & 0xFF));
        expectedBytes.push_back(static_cast<char>((c >> 8) & 0xFF));
    }
    EXPECT_EQ(*bytes, expectedBytes);
    EXPECT_EQ(tw::ReadLogFile(path), lines);
}

}  // namespace

namespace {

// A file whose backup copy fails stays where it is; one whose deletion is
// refused is left to the restart queue only when asked for.
TEST_F(DeleteFilesOnDisk, FailedCopyOrRefusedDeletionKeepsTheFile) {
    writeFile(dir + "nvcopy.dll", "a");
    writeFile(dir + "nvrefused.dll", "b");
    faults::fail(faults::Call::CopyFile, "nvcopy.dll");
    faults::fail(faults::Call::DeleteFile, "nvrefused.dll");
    tw::BackupEnabled = true;
    tw::BackupPath = tw::BackupRoot() + "ShimSet\\Files\\";
    tw::DeleteFiles(dir, {"nvcopy.dll", "nvrefused.dll"});
    EXPECT_TRUE(fileExists(dir + "nvcopy.dll"));
    EXPECT_FALSE(queued(dir + "nvcopy.dll"));
    EXPECT_TRUE(fileExists(dir + "nvrefused.dll"));
    EXPECT_TRUE(queued(dir + "nvrefused.dll"));
    EXPECT_EQ(logLines(), (Lines{"Not deleted file (" + dir + "nvcopy.dll)", "Not deleted file (" + dir + "nvrefused.dll)"}));
    removeTree(tw::BackupRoot() + "ShimSet");
}

}  // namespace
