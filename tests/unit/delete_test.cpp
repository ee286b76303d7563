// The deletion routines against the fake machine: their log lines, progress
// steps, backups, restart fallbacks and the folders they must never remove.
#include <gtest/gtest.h>

#include <algorithm>

#include "backup/BackupUnit.h"
#include "engine/RegistrySelf.h"
#include "engine_fixture.h"

namespace {

using enginetest::kBackupItem;
using enginetest::kBackupRegItem;
using enginetest::kCU;
using enginetest::kLM;
using Lines = std::vector<std::string>;

const std::string kSys = "C:\\WINDOWS\\system32\\";
const std::string kSysBackup = kBackupItem + "C';WINDOWS;system32;\\";

// ------------------------------------------------------------ DeleteFiles ----

class DeleteFilesTest : public enginetest::EngineTest {};

TEST_F(DeleteFilesTest, OneLinePerFileAndOneStepPerPattern) {
    fake::addFile(kSys + "nvapi.dll", "a");
    fake::addFile(kSys + "nvcpl.dll", "b");
    fake::addFile(kSys + "nvcplui.exe", "c");
    fake::addFile(kSys + "kernel32.dll", "k");
    tw::DeleteFiles("C:\\WINDOWS\\system32", {"nvapi.dll", "nvcpl*.*", "nothing*.*"});
    EXPECT_EQ(logLines(), (Lines{"Deleted file (C:\\WINDOWS\\system32\\nvapi.dll)",
                                 "Deleted file (C:\\WINDOWS\\system32\\nvcpl.dll)",
                                 "Deleted file (C:\\WINDOWS\\system32\\nvcplui.exe)"}));
    EXPECT_EQ(steps, 3);
    EXPECT_EQ(fake::list(kSys), (Lines{"kernel32.dll"}));
    EXPECT_TRUE(fake::restartQueue().empty());
    EXPECT_FALSE(fake::exists("C:\\Tools\\Tidewell\\Backup"));
}

TEST_F(DeleteFilesTest, PatternsStayInsideAnAbsoluteFolder) {
    fake::addFile("C:\\nvroot.dll");
    fake::addFile(kSys + "nvapi.dll");
    tw::DeleteFiles("", {"nv*.*"});
    tw::DeleteFiles("system32", {"nv*.*"});
    tw::DeleteFiles("C:\\WINDOWS\\system32\\drivers", {"..\\nv*.*", "/nv*.*"});
    tw::DeleteFiles("C:\\Missing\\Folder\\", {"none*.*"});
    // The program's own folder and what it holds are no target's, however named.
    const std::string program = tw::programFolder();
    fake::addFile(program + "Tidewell.ini");
    fake::addFile(program + "Logs\\old.txt");
    tw::DeleteFiles(program, {"*.ini"});
    tw::DeleteFiles(program + "Logs\\..\\Logs", {"*.*"});
    EXPECT_EQ(steps, 7);
    EXPECT_TRUE(logLines().empty());
    EXPECT_TRUE(fake::exists(program + "Tidewell.ini"));
    EXPECT_TRUE(fake::exists(program + "Logs\\old.txt"));
    EXPECT_TRUE(fake::exists("C:\\nvroot.dll"));
    EXPECT_TRUE(fake::exists(kSys + "nvapi.dll"));
}

TEST_F(DeleteFilesTest, LockedFileWithoutBackup) {
    fake::addFile(kSys + "nvapi.dll");
    fake::setFault(kSys + "nvapi.dll", fake::Fault::Locked);
    tw::DeleteFiles(kSys, {"nvapi.dll"});
    EXPECT_EQ(logLines(), Lines{"Not deleted file (C:\\WINDOWS\\system32\\nvapi.dll)"});
    EXPECT_TRUE(fake::restartQueue().empty());

    tw::RunLog().clear();
    tw::DeleteAtReboot = true;
    tw::DeleteFiles(kSys, {"nvapi.dll"});
    EXPECT_EQ(logLines(), Lines{"Not deleted file (C:\\WINDOWS\\system32\\nvapi.dll)"});
    EXPECT_TRUE(queued(kSys + "nvapi.dll"));
    EXPECT_TRUE(fake::exists(kSys + "nvapi.dll"));
}

TEST_F(DeleteFilesTest, LockedFileWithBackupIsCopiedAndAlwaysScheduled) {
    fake::addFile(kSys + "nvapi.dll", "driver bytes");
    fake::setFault(kSys + "nvapi.dll", fake::Fault::Locked);
    tw::BackupEnabled = true;  // DeleteAtReboot stays off
    tw::DeleteFiles(kSys, {"nv*.*"});
    EXPECT_EQ(logLines(), Lines{"Not deleted file (C:\\WINDOWS\\system32\\nvapi.dll)"});
    EXPECT_TRUE(queued(kSys + "nvapi.dll"));
    EXPECT_EQ(fake::content(kSysBackup + "nvapi.dll"), "driver bytes");
    const auto index = tw::ReadFolderIndex(kBackupItem);
    ASSERT_EQ(index.size(), 1u);
    EXPECT_EQ(index.begin()->second, kSys);
}

TEST_F(DeleteFilesTest, ReadOnlyFileIsReportedAndKept) {
    fake::addFile(kSys + "nvro.dll", "x", plat::kAttrReadOnly);
    tw::DeleteFiles(kSys, {"nvro.dll"});
    EXPECT_EQ(logLines(), Lines{"Not deleted file (C:\\WINDOWS\\system32\\nvro.dll)"});
    EXPECT_TRUE(fake::exists(kSys + "nvro.dll"));
    EXPECT_EQ(fake::attributes(kSys + "nvro.dll"), plat::kAttrReadOnly);
}

TEST_F(DeleteFilesTest, FolderMatchedByAFilePatternIsNotDeleted) {
    fake::addFile(kSys + "nvStuff\\inner.txt", "keep");
    tw::DeleteFiles(kSys, {"nv*.*"});
    EXPECT_EQ(logLines(), Lines{"Not deleted file (C:\\WINDOWS\\system32\\nvStuff)"});
    EXPECT_TRUE(fake::exists(kSys + "nvStuff\\inner.txt"));

    tw::RunLog().clear();
    tw::BackupEnabled = true;
    tw::DeleteFiles(kSys, {"nv*.*"});
    EXPECT_EQ(logLines(), Lines{"Not deleted file (C:\\WINDOWS\\system32\\nvStuff)"});
    EXPECT_TRUE(fake::exists(kSys + "nvStuff\\inner.txt"));
    EXPECT_TRUE(fake::restartQueue().empty());
}

TEST_F(DeleteFilesTest, FailedBackupCopyKeepsTheFileAndSaysSo) {
    fake::addFile(kSys + "nvapi.dll", "x");
    fake::addFile(kSys + "nvcpl.dll", "y");
    fake::setFault(kSys + "nvapi.dll", fake::Fault::CopyFails);
    tw::BackupEnabled = true;
    tw::DeleteAtReboot = true;
    tw::DeleteFiles(kSys, {"nv*.dll"});
    EXPECT_EQ(logLines(), (Lines{"Not deleted file (C:\\WINDOWS\\system32\\nvapi.dll)",
                                 "Deleted file (C:\\WINDOWS\\system32\\nvcpl.dll)"}));
    EXPECT_TRUE(fake::exists(kSys + "nvapi.dll"));
    EXPECT_TRUE(fake::restartQueue().empty());
}

TEST_F(DeleteFilesTest, NoUsableBackupFolderMeansNothingIsDeleted) {
    fake::addFile(kSys + "nvapi.dll", "x");
    tw::BackupEnabled = true;
    tw::BackupPath.clear();  // no target named the backup folder
    tw::DeleteFiles(kSys, {"nvapi.dll"});
    EXPECT_EQ(logLines(), Lines{"Not deleted file (C:\\WINDOWS\\system32\\nvapi.dll)"});
    EXPECT_TRUE(fake::exists(kSys + "nvapi.dll"));

    // A backup folder that cannot be created.
    tw::RunLog().clear();
    tw::BackupPath = kBackupItem;
    fake::setFault("C:\\Tools\\Tidewell\\Backup", fake::Fault::WriteFails);
    tw::DeleteFiles(kSys, {"nvapi.dll"});
    EXPECT_EQ(logLines(), Lines{"Not deleted file (C:\\WINDOWS\\system32\\nvapi.dll)"});
    EXPECT_TRUE(fake::exists(kSys + "nvapi.dll"));
}

// ----------------------------------------------------------- DeleteFolder ----

class DeleteFolderTest : public enginetest::EngineTest {
protected:
    void buildTree() {
        fake::addFile("C:\\NVIDIA\\setup.exe", "s");
        fake::addFile("C:\\NVIDIA\\Display\\a.dll", "a");
        fake::addFile("C:\\NVIDIA\\Display\\Deep\\b.dll", "b");
        fake::addFile("C:\\NVIDIA\\Other\\c.txt", "c", plat::kAttrHidden | plat::kAttrSystem);
        fake::addFolder("C:\\NVIDIA\\Empty");
    }
};

TEST_F(DeleteFolderTest, WholeTreeGoesAndTheLineShowsTheFolderAsGiven) {
    buildTree();
    fake::addFile("C:\\NVIDIA2\\keep.txt");
    tw::DeleteFolder("C:\\NVIDIA");
    EXPECT_EQ(logLines(), Lines{"Deleted folder (C:\\NVIDIA)"});
    EXPECT_FALSE(fake::exists("C:\\NVIDIA"));
    EXPECT_TRUE(fake::exists("C:\\NVIDIA2\\keep.txt"));
    EXPECT_EQ(steps, 0);
}

TEST_F(DeleteFolderTest, OneLockedFileKeepsItsFolderChain) {
    buildTree();
    fake::setFault("C:\\NVIDIA\\Display\\Deep\\b.dll", fake::Fault::Locked);
    tw::DeleteFolder("C:\\NVIDIA\\");
    EXPECT_EQ(logLines(), Lines{"Not deleted folder (C:\\NVIDIA\\)"});
    EXPECT_EQ(fake::tree("C:\\NVIDIA"), (Lines{"C:\\NVIDIA\\Display", "C:\\NVIDIA\\Display\\Deep",
                                               "C:\\NVIDIA\\Display\\Deep\\b.dll"}));
    EXPECT_TRUE(fake::restartQueue().empty());

    tw::DeleteAtReboot = true;
    EXPECT_FALSE(tw::DeleteFolderTree("C:\\NVIDIA\\"));
    EXPECT_TRUE(queued("C:\\NVIDIA\\Display\\Deep\\b.dll"));
}

TEST_F(DeleteFolderTest, WithBackupEveryFileIsCopiedFirst) {
    buildTree();
    fake::setFault("C:\\NVIDIA\\Display\\Deep\\b.dll", fake::Fault::Locked);
    fake::setFault("C:\\NVIDIA\\Display\\a.dll", fake::Fault::CopyFails);
    tw::BackupEnabled = true;
    tw::DeleteFolder("C:\\NVIDIA");
    EXPECT_EQ(logLines(), Lines{"Not deleted folder (C:\\NVIDIA)"});
    EXPECT_EQ(fake::content(kBackupItem + "C';NVIDIA;\\setup.exe"), "s");
    EXPECT_EQ(fake::content(kBackupItem + "C';NVIDIA;Display;Deep;\\b.dll"), "b");
    EXPECT_EQ(fake::content(kBackupItem + "C';NVIDIA;Other;\\c.txt"), "c");
    EXPECT_FALSE(fake::exists(kBackupItem + "C';NVIDIA;Display;\\a.dll"));
    // The locked file goes at restart; the uncopied one stays, unscheduled.
    EXPECT_TRUE(queued("C:\\NVIDIA\\Display\\Deep\\b.dll"));
    EXPECT_TRUE(fake::exists("C:\\NVIDIA\\Display\\a.dll"));
    EXPECT_FALSE(queued("C:\\NVIDIA\\Display\\a.dll"));
    EXPECT_FALSE(fake::exists("C:\\NVIDIA\\Other"));
    EXPECT_FALSE(fake::exists("C:\\NVIDIA\\setup.exe"));
}

class ProtectedFolderTest : public enginetest::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        fake::setEnv("SYSTEMROOT", "C:\\WINDOWS");
        fake::setEnv("windir", "C:\\WINDOWS");
        fake::setEnv("ProgramFiles", "C:\\Program Files");
        fake::setEnv("ProgramFiles(x86)", "C:\\Program Files (x86)");
        fake::setEnv("ProgramW6432", "C:\\Program Files");
        fake::setEnv("ProgramData", "C:\\ProgramData");
        fake::setEnv("ALLUSERSPROFILE", "C:\\ProgramData");
        fake::setEnv("USERPROFILE", "C:\\Users\\User");
        fake::setEnv("PUBLIC", "C:\\Users\\Public");
        fake::setEnv("APPDATA", "C:\\Users\\User\\AppData\\Roaming");
        fake::setEnv("LOCALAPPDATA", "C:\\Users\\User\\AppData\\Local");
        fake::setEnv("HOMEDRIVE", "C:");
        for (const char* f : {"C:\\WINDOWS\\system32\\drivers", "C:\\WINDOWS\\SysWOW64", "C:\\Program Files\\Vendor",
                              "C:\\Program Files (x86)\\Vendor", "C:\\ProgramData\\Vendor",
                              "C:\\Users\\User\\AppData\\Roaming\\Vendor", "C:\\Users\\User\\AppData\\Local\\Vendor",
                              "C:\\Users\\User\\AppData\\LocalLow\\Vendor", "C:\\Users\\Public\\Documents",
                              "C:\\Users\\Other\\Documents", "C:\\Tools\\Tidewell\\Logs"})
            fake::addFile(std::string(f) + "\\canary.txt", "alive");
        before_ = fake::tree("C:\\");
    }
    // Everything that was there is there still.
    void expectUntouched() { EXPECT_EQ(fake::tree("C:\\"), before_); }

    Lines before_;
};

TEST_F(ProtectedFolderTest, DeleteFolderRefusesEveryKind) {
    const Lines refused = {
        "C:\\", "C:", "NVIDIA", "C:NVIDIA", "..\\NVIDIA", "\\\\server\\share\\NVIDIA",  // roots, relative, UNC
        "C:\\Program Files\\*", "C:\\Program Files\\Vendor:stream",                       // wildcards, streams
        "c:\\windows\\", "C:\\WINDOWS\\system32", "C:\\WINDOWS\\system32\\drivers\\..", "C:\\WINDOWS.",
        "C:\\Program Files", "C:\\Program Files (x86)", "C:\\ProgramData", "C:\\Tools\\Tidewell\\Logs",
        "C:\\Users", "C:\\Users\\Other", "C:\\Users\\User\\AppData\\Local\\", "C:\\Users\\Other\\AppData\\Roaming",
        "C:\\Tools\\Tidewell", "C:\\Tools", "C:\\.\\Tools\\\\Tidewell\\.", "C:\\Missing\\Folder",
    };
    for (const auto& folder : refused) {
        tw::RunLog().clear();
        tw::DeleteFolder(folder);
        EXPECT_EQ(logLines(), Lines{"Not deleted folder (" + folder + ")"}) << folder;
        EXPECT_TRUE(tw::IsProtectedFolder(folder)) << folder;
    }
    tw::BackupEnabled = true;
    EXPECT_FALSE(tw::DeleteFolderTree("C:\\WINDOWS\\"));
    expectUntouched();
    EXPECT_EQ(fake::openHandleCount(), 0);
}

// Each kind of protected folder is moved somewhere of its own, with the
// environment emptied, so each row stands only on the kind it names; the
// folders below it are no longer protected.
TEST_F(ProtectedFolderTest, EveryKindOfProtectedFolderHoldsOnItsOwn) {
    using SF = plat::SystemFolder;
    const std::string profiles = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\";
    auto moved = [](SF kind, std::string to) { return [=] { fake::setSystemFolder(kind, to); }; };
    auto twoWindows = [] {
        fake::setSystemFolder(SF::Windows, "D:\\OS");
        fake::setSystemFolder(SF::SystemWindows, "D:\\OS");
    };
    auto listed = [&] { fake::setString(kLM, profiles + "S-1-5-21-9", "ProfileImagePath", "E:\\Staff\\Ann", plat::kRegExpandSz); };
    struct Case {
        const char* kind;
        std::function<void()> setup;
        std::string folder;
        bool belowDeletable = true;
    };
    const std::vector<Case> cases = {
        {"Windows", moved(SF::Windows, "D:\\OS"), "D:\\OS"},
        {"system Windows", moved(SF::SystemWindows, "D:\\OS"), "D:\\OS"},
        {"System below Windows", moved(SF::Windows, "D:\\OS"), "D:\\OS\\System"},
        {"Sysnative below Windows", moved(SF::Windows, "D:\\OS"), "D:\\OS\\Sysnative"},
        {"system", moved(SF::System, "D:\\K\\Sys"), "D:\\K\\Sys"},
        {"SysWOW64", moved(SF::SystemWow64, "D:\\K\\Wow"), "D:\\K\\Wow"},
        {"Program Files", moved(SF::ProgramFiles, "D:\\K\\PF"), "D:\\K\\PF"},
        {"Program Files (x86)", moved(SF::ProgramFilesX86, "D:\\K\\PF86"), "D:\\K\\PF86"},
        {"Program Files (64-bit)", moved(SF::ProgramFilesX64, "D:\\K\\PF64"), "D:\\K\\PF64"},
        {"ProgramData", moved(SF::ProgramData, "D:\\K\\Data"), "D:\\K\\Data"},
        {"Public", moved(SF::Public, "D:\\K\\Pub"), "D:\\K\\Pub"},
        {"profile", moved(SF::Profile, "D:\\K\\Me"), "D:\\K\\Me"},
        {"Roaming", moved(SF::RoamingAppData, "D:\\K\\Roam"), "D:\\K\\Roam"},
        {"Local", moved(SF::LocalAppData, "D:\\K\\Loc"), "D:\\K\\Loc"},
        {"LocalLow", moved(SF::LocalAppDataLow, "D:\\K\\Low"), "D:\\K\\Low"},
        {"a profile in the profiles folder", moved(SF::UserProfiles, "D:\\Homes"), "D:\\Homes\\Someone"},
        {"its LocalLow", moved(SF::UserProfiles, "D:\\Homes"), "D:\\Homes\\Someone\\AppData\\LocalLow"},
        {"a listed profile", listed, "E:\\Staff\\Ann"},
        {"its Local", listed, "E:\\Staff\\Ann\\AppData\\Local"},
        {"its LocalLow", listed, "E:\\Staff\\Ann\\AppData\\LocalLow"},
        {"its Roaming", listed, "E:\\Staff\\Ann\\AppData\\Roaming"},
        {"the system profile", twoWindows, "D:\\OS\\system32\\config\\systemprofile"},
        {"a service profile", twoWindows, "D:\\OS\\ServiceProfiles\\LocalService"},
        // The program's folder holds all it keeps: nothing below it is a target's.
        {"backup folder", [] { fake::setExecutablePath("E:\\Apps\\TW\\Tidewell.exe"); }, "E:\\Apps\\TW\\Backup", false},
        {"a program in a root", [] { fake::setExecutablePath("E:\\Tidewell.exe"); }, "E:\\Logs", false},
        {"SYSTEMROOT adds", [] { fake::setEnv("SYSTEMROOT", "D:\\WinNT"); }, "D:\\WinNT\\SysWOW64"},
        {"USERPROFILE adds its profiles folder", [] { fake::setEnv("USERPROFILE", "F:\\Home\\Me"); }, "F:\\Home\\You"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.kind) + ": " + c.folder);
        fake::reset();
        for (const char* name : {"SYSTEMROOT", "windir", "ProgramFiles", "ProgramData", "USERPROFILE", "APPDATA",
                                 "LOCALAPPDATA", "TEMP", "TMP", "HOMEDRIVE"})
            fake::setEnv(name, std::nullopt);
        c.setup();
        fake::addFile(c.folder + "\\canary.txt", "alive");
        fake::addFile(c.folder + "\\Vendor\\canary.txt", "alive");
        tw::RunLog().clear();
        tw::DeleteFolder(c.folder);
        tw::DeleteFolder(c.folder + "\\Vendor");  // below it, nothing is protected
        EXPECT_EQ(logLines(), (Lines{"Not deleted folder (" + c.folder + ")",
                                     (c.belowDeletable ? "Deleted folder (" : "Not deleted folder (") + c.folder + "\\Vendor)"}));
        EXPECT_TRUE(fake::exists(c.folder + "\\canary.txt"));
    }
}

// A link inside the tree is removed as a link, also a folder swapped for a
// link between the listing and the deletion; on Wine, where opening follows
// links, nothing behind a link is touched either.
TEST_F(ProtectedFolderTest, TheWalkNeverFollowsALink) {
    const std::string ace = "C:\\Users\\User\\AppData\\Local\\ATi\\ACE";
    for (const bool wine : {false, true}) {
        SCOPED_TRACE(wine ? "opening follows links" : "links opened as links");
        for (const char* f : {"C:\\WINDOWS\\system32\\hal.dll", "C:\\WINDOWS\\system32\\sub\\x.dll"})
            fake::addFile(f, "system");
        fake::addFile(ace + "\\a.xml");
        fake::addFile(ace + "\\Swapped\\hal.dll");
        fake::addFile(ace + "\\Swapped\\sub\\x.dll");
        fake::addLink(ace + "\\Linked", "C:\\WINDOWS\\system32");
        fake::addFile("C:\\Program Files\\InstallShield Installation Information\\{X}\\setup.ini",
                      "[Startup]\r\nCompanyName=Realtek\r\n");
        const Lines system = fake::tree("C:\\WINDOWS\\system32");
        fake::setOpenFollowsLinks(wine);
        fake::onOpenEntry([&](const std::string& path) {
            if (path == ace + "\\Swapped") fake::addLink(path, "C:\\WINDOWS\\system32");
            if (path == "C:\\Program Files\\InstallShield Installation Information\\{X}")
                fake::addLink(path, "C:\\Program Files");
        });
        tw::RunLog().clear();
        tw::BackupEnabled = true;
        tw::DeleteFolder(ace);
        tw::DeleteFoldersByCompany("C:\\Program Files\\InstallShield Installation Information", "Realtek");
        fake::onOpenEntry(nullptr);
        const std::string outcome = wine ? "Not deleted folder (" : "Deleted folder (";
        EXPECT_EQ(logLines(), (Lines{outcome + ace + ")",
                                     "Not deleted folder (C:\\Program Files\\InstallShield Installation Information\\{X})"}));
        EXPECT_EQ(fake::tree("C:\\WINDOWS\\system32"), system);
        EXPECT_TRUE(fake::exists("C:\\Program Files\\Vendor\\canary.txt"));
        // Only the tree's own file was copied.
        for (const auto& copy : fake::tree(kBackupItem)) EXPECT_EQ(copy.find("x.dll"), std::string::npos) << copy;
        EXPECT_TRUE(fake::exists(kBackupItem + "C';Users;User;AppData;Local;ATi;ACE;\\a.xml"));
        EXPECT_TRUE(fake::restartQueue().empty());
        EXPECT_EQ(fake::openHandleCount(), 0);
        fake::reset();
        SetUp();
    }
}

TEST_F(ProtectedFolderTest, CompanyFoldersInProtectedPlacesAreRefused) {
    // A profile whose setup file names the company is still a profile.
    fake::addFile("C:\\Users\\Other\\setup.ini", "[Startup]\r\nCompanyName=Realtek\r\n");
    before_ = fake::tree("C:\\");
    tw::DeleteFoldersByCompany("C:\\Users", "Realtek");
    EXPECT_EQ(logLines(), Lines{"Not deleted folder (C:\\Users\\Other)"});
    expectUntouched();
}

// In the double-byte code pages a character's second byte may be 0x5C, the
// backslash; path text is read character by character.
class PathTextTest : public enginetest::EngineTest {};

TEST_F(PathTextTest, DoubleByteCharactersStayWhole) {
    struct Case {
        int codePage;
        std::string ch;
    };
    for (const auto& [codePage, ch] : {Case{932, "\x95\x5C"}, Case{936, "\x81\x5C"}, Case{950, "\xA5\x5C"},
                                       Case{949, "\xB0\xA1"}}) {
        SCOPED_TRACE(codePage);
        fake::reset();
        fake::setAnsiCodePage(codePage);
        const std::string f = "C:\\Data\\" + ch;
        EXPECT_EQ(tw::includeTrailingBackslash(f), f + "\\");
        EXPECT_EQ(tw::excludeTrailingBackslash(f), f);
        EXPECT_EQ(tw::excludeTrailingBackslash(f + "\\"), f);
        EXPECT_EQ(tw::NormalizeFolderPath(f + "X\\..\\" + ch + ". \\"), f);
        EXPECT_EQ(tw::NormalizeFolderPath("C:\\" + ch + "\\..\\.."), std::nullopt);
        EXPECT_TRUE(tw::forceDirectories(f + "\\" + ch + "\\Sub"));
        EXPECT_EQ(fake::tree("C:\\Data"), (Lines{f, f + "\\" + ch, f + "\\" + ch + "\\Sub"}));
        fake::setExecutablePath(f + "\\Tidewell.exe");
        EXPECT_EQ(tw::programFolder(), f + "\\");

        fake::addFile("C:\\Program Files\\" + ch + "\\" + ch + ".dll");
        fake::addFile("C:\\Program Files\\keep.me");
        tw::RunLog().clear();
        tw::DeleteFolder("C:\\Program Files\\" + ch);
        EXPECT_EQ(logLines(), Lines{"Deleted folder (C:\\Program Files\\" + ch + ")"});
        EXPECT_EQ(fake::list("C:\\Program Files"), Lines{"keep.me"});
    }
}

// -------------------------------------------------- DeleteFoldersByCompany ----

class DeleteFoldersByCompanyTest : public enginetest::EngineTest {};

TEST_F(DeleteFoldersByCompanyTest, OnlyFoldersWhoseSetupNamesTheCompany) {
    const std::string pf = "C:\\Program Files\\";
    fake::addFile(pf + "Realtek Audio\\setup.ini", "[Startup]\r\nCompanyName=Realtek Semiconductor\r\n");
    fake::addFile(pf + "Realtek Audio\\bin\\rtk.dll");
    fake::addFile(pf + "Creative\\setup.ini", "[Startup]\r\nCompanyName=Creative Labs\r\n");
    fake::addFile(pf + "NoSetup\\app.exe");
    fake::addFile(pf + "OtherSection\\setup.ini", "[Setup]\r\nCompanyName=Realtek\r\n");
    fake::addFile(pf + "RealtekFile.txt");
    tw::DeleteFoldersByCompany("C:\\Program Files", "Realtek");
    EXPECT_EQ(logLines(), Lines{"Deleted folder (C:\\Program Files\\Realtek Audio)"});
    EXPECT_EQ(fake::list(pf), (Lines{"Creative", "NoSetup", "OtherSection", "RealtekFile.txt"}));
    EXPECT_EQ(steps, 0);

    // An empty prefix would match everything: it matches nothing.
    tw::RunLog().clear();
    tw::DeleteFoldersByCompany(pf, "");
    EXPECT_TRUE(logLines().empty());
    EXPECT_EQ(fake::list(pf).size(), 4u);
}

TEST_F(DeleteFoldersByCompanyTest, PartlyRemovedFolderIsReported) {
    fake::addFile("C:\\Apps\\Creative\\setup.ini", "[Startup]\r\nCompanyName=Creative Labs\r\n");
    fake::addFile("C:\\Apps\\Creative\\in use.dll");
    fake::setFault("C:\\Apps\\Creative\\in use.dll", fake::Fault::Locked);
    tw::DeleteFoldersByCompany("C:\\Apps\\", "Creative");
    EXPECT_EQ(logLines(), Lines{"Not deleted folder (C:\\Apps\\Creative)"});
    EXPECT_EQ(fake::list("C:\\Apps\\Creative"), Lines{"in use.dll"});
}

// --------------------------------------------------------------- registry ----

const std::string kServices = "System\\CurrentControlSet\\Services";

class DeleteKeysTest : public enginetest::EngineTest {};

TEST_F(DeleteKeysTest, NestedKeysGoAndEveryNameSteps) {
    fake::addKey(kLM, kServices + "\\nvlddmkm\\Device0\\Settings");
    fake::setString(kLM, kServices + "\\nvlddmkm\\Device0", "v", "x");
    fake::addKey(kLM, kServices + "\\nvsvc");
    fake::addKey(kLM, kServices + "\\Tcpip");
    tw::DeleteKeys(kLM, kServices, {"nvlddmkm", "Missing", "nvsvc"});
    EXPECT_EQ(logLines(), (Lines{"Deleted registry (HKLM\\System\\CurrentControlSet\\Services\\nvlddmkm)",
                                 "Deleted registry (HKLM\\System\\CurrentControlSet\\Services\\nvsvc)"}));
    EXPECT_EQ(steps, 3);
    EXPECT_EQ(fake::subKeys(kLM, kServices), Lines{"Tcpip"});
}

TEST_F(DeleteKeysTest, MissingKeyPathOnlySteps) {
    // Same names straight below the root must not be touched.
    fake::addKey(kLM, "nvlddmkm");
    fake::addKey(kLM, "System\\ControlSet009X");
    const std::string before = fake::registryDump();
    tw::DeleteKeys(kLM, "System\\ControlSet003\\Services", {"nvlddmkm", "System"});
    tw::DeleteValues(kLM, "System\\ControlSet003\\Services", {"x"});
    EXPECT_EQ(steps, 3);
    EXPECT_TRUE(logLines().empty());
    EXPECT_EQ(fake::registryDump(), before);
}

TEST_F(DeleteKeysTest, RefusedDeletionIsReported) {
    fake::addKey(kCU, "Software\\NVIDIA\\Locked");
    fake::setKeyReadOnly(kCU, "Software\\NVIDIA\\Locked");
    tw::DeleteKeys(kCU, "Software\\NVIDIA", {"Locked"});
    EXPECT_EQ(logLines(), Lines{"Not deleted registry (HKCU\\Software\\NVIDIA\\Locked)"});
    EXPECT_TRUE(fake::keyExists(kCU, "Software\\NVIDIA\\Locked"));
}

TEST_F(DeleteKeysTest, BackupHiveIsWrittenBeforeTheKeyGoes) {
    tw::BackupPath = kBackupRegItem;
    tw::BackupEnabled = true;
    fake::setString(kLM, kServices + "\\nvlddmkm", "ImagePath", "nvlddmkm.sys");
    fake::addKey(kLM, kServices + "\\nv\\Sub\\Key");
    tw::DeleteKeys(kLM, kServices, {"nvlddmkm", "nv\\Sub"});
    EXPECT_EQ(logLines(), (Lines{"Deleted registry (HKLM\\System\\CurrentControlSet\\Services\\nvlddmkm)",
                                 "Deleted registry (HKLM\\System\\CurrentControlSet\\Services\\nv\\Sub)"}));
    EXPECT_TRUE(fake::exists(kBackupRegItem + "HKLM;System;CurrentControlSet;Services;nvlddmkm.TW"));
    EXPECT_TRUE(fake::exists(kBackupRegItem + "HKLM;System;CurrentControlSet;Services;nv;Sub.TW"));
    EXPECT_FALSE(fake::keyExists(kLM, kServices + "\\nvlddmkm"));
    EXPECT_FALSE(fake::privilegeEnabled("SeBackupPrivilege"));
}

TEST_F(DeleteKeysTest, KeyWhoseHiveCannotBeSavedStays) {
    tw::BackupPath = kBackupRegItem;
    tw::BackupEnabled = true;
    fake::addKey(kLM, kServices + "\\nvlddmkm");
    fake::addKey(kLM, kServices + "\\nvsvc");
    fake::addKey(kLM, kServices + "\\nvhda");
    fake::setFault(kBackupRegItem + "HKLM;System;CurrentControlSet;Services;nvlddmkm.TW", fake::Fault::SaveFails);
    // A hive file of that name is already there: it is neither replaced nor trusted.
    fake::addFile(kBackupRegItem + "HKLM;System;CurrentControlSet;Services;nvsvc.TW", "older");
    // A name whose hive file would lead out of the item ("/" and "..") cannot be saved.
    fake::addKey(kLM, kServices + "\\a/../../../../../nv");
    tw::DeleteKeys(kLM, kServices, {"nvlddmkm", "nvsvc", "nvhda", "a/../../../../../nv"});
    EXPECT_EQ(logLines(), (Lines{"Not deleted registry (HKLM\\System\\CurrentControlSet\\Services\\nvlddmkm)",
                                 "Not deleted registry (HKLM\\System\\CurrentControlSet\\Services\\nvsvc)",
                                 "Deleted registry (HKLM\\System\\CurrentControlSet\\Services\\nvhda)",
                                 "Not deleted registry (HKLM\\System\\CurrentControlSet\\Services\\a/../../../../../nv)"}));
    EXPECT_TRUE(fake::keyExists(kLM, kServices + "\\nvlddmkm"));
    EXPECT_TRUE(fake::keyExists(kLM, kServices + "\\nvsvc"));
    EXPECT_EQ(fake::content(kBackupRegItem + "HKLM;System;CurrentControlSet;Services;nvsvc.TW"), "older");

    // Without the backup privilege nothing can be saved, so nothing goes.
    tw::RunLog().clear();
    fake::setPrivilegeHeld("SeBackupPrivilege", false);
    fake::addKey(kLM, kServices + "\\nvhda");
    tw::DeleteKeys(kLM, kServices, {"nvhda"});
    EXPECT_EQ(logLines(), Lines{"Not deleted registry (HKLM\\System\\CurrentControlSet\\Services\\nvhda)"});
    EXPECT_TRUE(fake::keyExists(kLM, kServices + "\\nvhda"));
}

TEST_F(DeleteKeysTest, DeleteValuesNeverBacksUp) {
    const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    fake::setString(kLM, run, "NvCplDaemon", "x");
    fake::setString(kLM, run, "Other", "y");
    fake::setDword(kLM, run, "NvMediaCenter", 1);
    tw::BackupEnabled = true;
    tw::DeleteValues(kLM, run, {"NvCplDaemon", "Absent", "NvMediaCenter"});
    EXPECT_EQ(logLines(),
              (Lines{"Deleted registry (HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\NvCplDaemon)",
                     "Deleted registry (HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\NvMediaCenter)"}));
    EXPECT_EQ(steps, 3);
    EXPECT_TRUE(fake::valueExists(kLM, run, "Other"));
    EXPECT_FALSE(fake::exists("C:\\Tools\\Tidewell\\Backup"));
}

const std::string kDisplayClass = "System\\CurrentControlSet\\Control\\Class\\{4D36E968-E325-11CE-BFC1-08002BE10318}";

class DeleteKeysByValueTest : public enginetest::EngineTest {};

TEST_F(DeleteKeysByValueTest, PrefixIsMatchedWithLetterCase) {
    fake::setString(kLM, kDisplayClass + "\\0000", "ProviderName", "NVIDIA Corporation");
    fake::addKey(kLM, kDisplayClass + "\\0000\\Settings");
    fake::setString(kLM, kDisplayClass + "\\0001", "ProviderName", "nVidia");
    fake::setString(kLM, kDisplayClass + "\\0002", "ProviderName", "ATI Technologies");
    fake::addKey(kLM, kDisplayClass + "\\Properties");
    fake::setString(kLM, kDisplayClass + "\\0003", "providername", "NVIDIA");
    tw::BackupPath = kBackupRegItem;
    tw::BackupEnabled = true;
    tw::DeleteKeysByValue(kLM, kDisplayClass, "ProviderName", "NVIDIA");
    auto lines = logLines();
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (Lines{"Deleted registry (HKLM\\" + kDisplayClass + "\\0000)",
                            "Deleted registry (HKLM\\" + kDisplayClass + "\\0003)"}));
    auto left = fake::subKeys(kLM, kDisplayClass);
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (Lines{"0001", "0002", "Properties"}));
    EXPECT_TRUE(fake::exists(kBackupRegItem + "HKLM;" + tw::EncodeKeyPath(kDisplayClass) + ";0000.TW"));
    EXPECT_EQ(steps, 0);
}

TEST_F(DeleteKeysByValueTest, ValueOfTheWrongTypeEndsTheRoutine) {
    fake::setDword(kLM, kDisplayClass + "\\0000", "ProviderName", 1);
    try {
        tw::DeleteKeysByValue(kLM, kDisplayClass, "ProviderName", "NVIDIA");
        FAIL() << "expected an error";
    } catch (const tw::ERegistryException& e) {
        EXPECT_EQ(e.message(), L"Invalid data type for 'ProviderName'");
    }
    EXPECT_TRUE(fake::keyExists(kLM, kDisplayClass + "\\0000"));
}

TEST_F(DeleteKeysByValueTest, MissingPathOrEmptyPrefixDeletesNothing) {
    fake::setString(kLM, kDisplayClass + "\\0000", "ProviderName", "");
    fake::addKey(kLM, kDisplayClass + "\\0001");
    const std::string before = fake::registryDump();
    tw::DeleteKeysByValue(kLM, kDisplayClass + "X", "ProviderName", "NVIDIA");
    tw::DeleteKeysByValue(kLM, kDisplayClass, "ProviderName", "");
    EXPECT_TRUE(logLines().empty());
    EXPECT_EQ(fake::registryDump(), before);
}

}  // namespace
