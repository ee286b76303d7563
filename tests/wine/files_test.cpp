// The file and folder deletions on a real file system: wildcards, attributes,
// files in use, backups on and off, the restart queue, folder trees, folders
// chosen by their setup file, links, and double-byte names.
#include <algorithm>
#include <cstdlib>

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
using Lines = std::vector<std::string>;

const std::string kFilesItem = "EngineWineSet\\NVIDIA - Display - Files\\";

Lines sorted(Lines lines) {
    std::sort(lines.begin(), lines.end());
    return lines;
}

class DeleteFilesOnDisk : public WineTest {};

TEST_F(DeleteFilesOnDisk, PatternsAttributesAndFoldersThatAreNoFiles) {
    for (const char* name : {"nvapi.dll", "NVCPL.DLL", "nvhidden.sys", "nvro.dll", "kernel32.dll", "nvnodot"})
        writeFile(dir + name, name);
    makeFolders(dir + "nvStuff");
    writeFile(dir + "nvStuff\\inner.txt", "keep");
    ASSERT_TRUE(::SetFileAttributesA((dir + "nvhidden.sys").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(::SetFileAttributesA((dir + "nvro.dll").c_str(), FILE_ATTRIBUTE_READONLY));
    writeFile(dir + "nvup.dll", "up");
    makeFolders(dir + "Sub");
    writeFile(tw::programFolder() + "tidewell-canary.txt", "own");

    // Patterns never leave their folder, which must be absolute and not the program's.
    tw::DeleteFiles(dir + "Sub", {"..\\nvup.dll", "/nvup.dll", ".."});
    for (const std::string& folder : {std::string(), std::string("."), tw::programFolder() + "Logs\\.."})
        tw::DeleteFiles(folder, {"tidewell-canary.txt"});
    EXPECT_TRUE(logLines().empty());
    // Given without its trailing backslash; "*.*" also takes names without a dot.
    tw::DeleteFiles(dir.substr(0, dir.size() - 1), {"nv*.*", "nothing*.*", "*.sys"});
    Lines expected = {"Not deleted file (" + dir + "nvro.dll)", "Not deleted file (" + dir + "nvStuff)"};
    for (const char* gone : {"nvapi.dll", "NVCPL.DLL", "nvhidden.sys", "nvnodot", "nvup.dll"})
        expected.push_back("Deleted file (" + dir + gone + ")");
    EXPECT_EQ(sorted(logLines()), sorted(expected));
    EXPECT_EQ(steps, 9);
    EXPECT_EQ(listFolder(dir), (Lines{"Sub", "kernel32.dll", "nvStuff", "nvro.dll"}));
    EXPECT_EQ(readFile(dir + "nvStuff\\inner.txt"), "keep");
    EXPECT_EQ(readFile(tw::programFolder() + "tidewell-canary.txt"), "own");
    ::DeleteFileA((tw::programFolder() + "tidewell-canary.txt").c_str());
    // Attributes are never changed to force a deletion.
    EXPECT_NE(::GetFileAttributesA((dir + "nvro.dll").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
}

// Each way a file can stay, with backup and deletion at restart on and off:
// a file in use, a deletion refused, a copy that fails.
TEST_F(DeleteFilesOnDisk, FilesThatStayAreCopiedFirstAndQueuedWhenAskedFor) {
    for (const bool backup : {false, true}) {
        for (const bool reboot : {false, true}) {
            const std::string f = dir + (backup ? "B" : "b") + (reboot ? "R" : "r") + "\\";
            SCOPED_TRACE(f);
            makeFolders(f);
            for (const char* name : {"nvfree.dll", "nvlock.dll", "nvrefused.dll", "nvcopy.dll"})
                writeFile(f + name, name);
            faults::fail(faults::Call::DeleteFile, f + "nvrefused.dll");
            faults::fail(faults::Call::CopyFile, f + "nvcopy.dll");
            tw::RunLog().clear();
            tw::BackupEnabled = backup;
            tw::DeleteAtReboot = reboot;
            tw::BackupPath = tw::BackupRoot() + kFilesItem;
            {
                FileHolder holder(f + "nvlock.dll");
                ASSERT_TRUE(holder.holding());
                tw::DeleteFiles(f, {"nv*.dll"});
            }
            const std::string copies = tw::BackupPath + tw::EncodeFolder(f) + "\\";
            // With backup on, a copied file goes at restart in any case; an uncopied one stays.
            for (const std::string name : {"nvlock.dll", "nvrefused.dll"}) {
                EXPECT_EQ(readFile(f + name), name);
                EXPECT_EQ(queued(f + name), backup || reboot) << name;
                EXPECT_EQ(readFile(copies + name).value_or("none"), backup ? name : "none");
            }
            EXPECT_EQ(fileExists(f + "nvcopy.dll"), backup);
            EXPECT_FALSE(queued(f + "nvcopy.dll"));
            EXPECT_FALSE(fileExists(f + "nvfree.dll"));
            EXPECT_EQ(fileExists(copies + "nvfree.dll"), backup);
            const std::string copy = backup ? "Not deleted file (" : "Deleted file (";
            EXPECT_EQ(sorted(logLines()), sorted({"Deleted file (" + f + "nvfree.dll)", "Not deleted file (" + f +
                                                  "nvlock.dll)", "Not deleted file (" + f + "nvrefused.dll)",
                                                  copy + f + "nvcopy.dll)"}));
        }
    }
    // No usable backup folder: nothing is deleted.
    writeFile(dir + "nvlast.dll", "x");
    tw::BackupPath.clear();
    tw::DeleteFiles(dir, {"nvlast.dll"});
    EXPECT_TRUE(fileExists(dir + "nvlast.dll"));
}

class DeleteFolderOnDisk : public WineTest {};

// A file that stays keeps only its chain of folders; with backup on every
// file is copied first, and one whose copy fails stays unqueued.
TEST_F(DeleteFolderOnDisk, WhatStaysKeepsOnlyItsFolderChain) {
    for (const bool backup : {false, true}) {
        const std::string tree = dir + (backup ? "NVIDIA Backup" : "NVIDIA");  // as a target gives it
        SCOPED_TRACE(tree);
        for (const char* f : {"\\a.txt", "\\Sub1\\Deeper\\c.txt", "\\Sub2\\Deep\\locked.dll", "\\Sub2\\d.txt",
                              "\\Sub3\\uncopied.dll", "\\Sub3\\e.txt"}) {
            makeFolders((tree + f).substr(0, (tree + f).find_last_of('\\')));
            writeFile(tree + f, f);
        }
        ::SetFileAttributesA((tree + "\\Sub2\\d.txt").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
        faults::fail(faults::Call::CopyFile, "uncopied.dll");
        tw::BackupEnabled = backup;
        tw::DeleteAtReboot = true;
        tw::BackupPath = tw::BackupRoot() + kFilesItem;
        tw::RunLog().clear();
        {
            FileHolder holder(tree + "\\Sub2\\Deep\\locked.dll");
            ASSERT_TRUE(holder.holding());
            tw::DeleteFolder(tree);
        }
        EXPECT_EQ(logLines(), Lines{"Not deleted folder (" + tree + ")"});
        EXPECT_EQ(listFolder(tree), backup ? (Lines{"Sub2", "Sub3"}) : Lines{"Sub2"});
        EXPECT_EQ(listFolder(tree + "\\Sub2"), Lines{"Deep"});
        EXPECT_TRUE(queued(tree + "\\Sub2\\Deep\\locked.dll"));
        EXPECT_EQ(listFolder(tree + "\\Sub3"), backup ? Lines{"uncopied.dll"} : Lines{});
        EXPECT_FALSE(queued(tree + "\\Sub3\\uncopied.dll"));
        const std::string copies = tw::BackupPath + tw::EncodeFolder(tree + "\\");
        EXPECT_EQ(fileExists(copies + "Sub2;Deep;\\locked.dll") && fileExists(copies + "Sub2;\\d.txt"), backup);
        EXPECT_EQ(steps, 0);
        tw::RunLog().clear();
        faults::reset();  // and the next run takes the rest
        tw::DeleteFolderIfExists(tree);
        tw::DeleteFolderIfExists(tree);
        EXPECT_EQ(logLines(), Lines{"Deleted folder (" + tree + ")"});
        EXPECT_FALSE(folderExists(tree));
    }
}

TEST_F(DeleteFolderOnDisk, CompanyIsReadFromEachSetupFile) {
    const std::vector<std::pair<std::string, std::string>> setups = {
        {"Audio1", "[Startup]\r\nCompanyName=Realtek Semiconductor Corp.\r\n"},
        {"Audio2", "[Startup]\r\nCompanyName=realtek\r\n"},  // the company text keeps its letter case
        {"Audio3", "[Other]\r\nCompanyName=Realtek\r\n"},
        {"Audio4", "[startup]\r\ncompanyname = Realtek\r\n"},  // section and key names do not
        {"Hidden", "[Startup]\r\nCompanyName=Realtek\r\n"},
        {"InUse", "[Startup]\r\nCompanyName=Realtek\r\n"}};
    for (const auto& [folder, text] : setups) {
        makeFolders(dir + folder);
        writeFile(dir + folder + "\\setup.ini", text);
    }
    writeFile(dir + "InUse\\driver.sys", "x");
    writeFile(dir + "RealtekFile.txt", "[Startup]\r\nCompanyName=Realtek\r\n");
    ASSERT_TRUE(::SetFileAttributesA((dir + "Hidden").c_str(), FILE_ATTRIBUTE_HIDDEN));
    FileHolder holder(dir + "InUse\\driver.sys");
    tw::DeleteFoldersByCompany(dir, "Realtek");
    tw::DeleteFoldersByCompany(dir, "");
    EXPECT_EQ(sorted(logLines()), sorted({"Deleted folder (" + dir + "Audio1)", "Deleted folder (" + dir + "Audio4)",
                                          "Not deleted folder (" + dir + "InUse)"}));
    EXPECT_EQ(listFolder(dir), (Lines{"Audio2", "Audio3", "Hidden", "InUse", "RealtekFile.txt"}));
}

// Wine follows a link even when asked not to; the walk sees that from where
// each opened entry lies. An entry the system reports as a link (through the
// fault shim) is removed as a link, never walked into.
TEST_F(DeleteFolderOnDisk, LinksAreNeverFollowed) {
    for (const char* f : {"Outside\\Deep\\canary.txt", "Outside\\canary.txt", "Tree\\Sub\\b.txt", "Tree\\a.txt",
                          "Tree\\Shown\\canary.txt"}) {
        makeFolders((dir + f).substr(0, (dir + f).find_last_of('\\')));
        writeFile(dir + f, "alive");
    }
    faults::fail(faults::Call::ShowAsLink, "\\Tree\\Shown");
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
    for (const char* f : {"Outside\\canary.txt", "Outside\\Deep\\canary.txt", "Tree\\Shown\\canary.txt"})
        EXPECT_EQ(readFile(dir + f), "alive") << f;
    EXPECT_FALSE(fileExists(dir + "Tree\\a.txt"));
    EXPECT_FALSE(folderExists(dir + "Tree\\Sub\\Deep"));
    // Only the tree's own files were copied.
    const std::string copies = tw::BackupPath + tw::EncodeFolder(dir + "Tree\\") + "\\";
    EXPECT_EQ(readFile(copies + "a.txt"), "alive");
    EXPECT_FALSE(fileExists(copies + "file-link.txt"));
    EXPECT_FALSE(folderExists(tw::BackupPath + tw::EncodeFolder(dir + "Tree\\Shown\\")));
    for (const char* link : {"Tree\\Sub\\ToOutside", "Tree\\file-link.txt", "TopLink", "Program"})
        removeUnixLink(dir + link);
}

// Code page 932 (Wine takes it from LC_ALL=ja_JP.UTF-8): the second byte of
// "表" (0x95 0x5C) is a backslash.
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
    writeFile(dir + hyo + "X\\" + hyo + "2.dll", "d");
    makeFolders(dir + "Keep");
    writeFile(dir + "Keep\\keep.me", "x");
    ASSERT_TRUE(tw::forceDirectories(dir + hyo + "\\" + hyo + "\\Sub"));
    EXPECT_EQ(listFolder(dir), (Lines{"Keep", hyo, hyo + "X"}));
    EXPECT_EQ(listFolder(dir + hyo + "\\" + hyo), Lines{"Sub"});

    tw::DeleteFolder(tw::LogFolder() + hyo + "X\\..");
    tw::DeleteFolder(tw::programFolder() + hyo + "X\\..");
    tw::DeleteFiles(dir + hyo + "X", {hyo + ".dll"});
    tw::DeleteFolder(dir + hyo + "X");
    tw::DeleteFolder(dir + hyo);
    EXPECT_EQ(logLines(), (Lines{"Not deleted folder (" + tw::LogFolder() + hyo + "X\\..)",
                                 "Not deleted folder (" + tw::programFolder() + hyo + "X\\..)",
                                 "Deleted file (" + dir + hyo + "X\\" + hyo + ".dll)",
                                 "Deleted folder (" + dir + hyo + "X)", "Deleted folder (" + dir + hyo + ")"}));
    EXPECT_EQ(listFolder(dir), Lines{"Keep"});
}

}  // namespace
