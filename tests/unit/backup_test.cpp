// The backup store: names of what is written, restore of files and keys, the
// index that brings files back to folders whose names do not survive the
// encoding, and a full delete-then-restore round trip.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "backup/BackupUnit.h"
#include "engine/RegistrySelf.h"
#include "engine_fixture.h"

namespace {

using enginetest::kBackupItem;
using enginetest::kBackupRegItem;
using enginetest::kCU;
using enginetest::kLM;
using Lines = std::vector<std::string>;

const std::string kFilesItem = "set1\\NVIDIA - Display - Files\\";
const std::string kRegItem = "set1\\NVIDIA - Display - Registry\\";

Lines sorted(Lines lines) {
    std::sort(lines.begin(), lines.end());
    return lines;
}

// Every path below a folder with the content of each file.
std::map<std::string, std::vector<std::uint8_t>> snapshot(const std::string& folder) {
    std::map<std::string, std::vector<std::uint8_t>> out;
    for (const auto& path : fake::tree(folder))
        out[path] = fake::isFolder(path) ? std::vector<std::uint8_t>{} : fake::contentBytes(path);
    return out;
}

class RestoreFilesTest : public enginetest::EngineTest {};

TEST_F(RestoreFilesTest, FilesGoBackAndMissingFoldersAreCreated) {
    fake::addFile(kBackupItem + "C';Program Files;Vendor;Tool;\\a.dll", "A");
    fake::addFile(kBackupItem + "C';Program Files;Vendor;Tool;\\b.dll", "B");
    fake::addFile(kBackupItem + "C';WINDOWS;\\c.ini", "C");
    fake::addFile("C:\\WINDOWS\\c.ini", "old");
    fake::addFile(kBackupItem + "stray.txt");
    const auto setBefore = snapshot("C:\\Tools\\Tidewell\\Backup");
    tw::RestoreFiles(kFilesItem);
    EXPECT_EQ(sorted(logLines()), (Lines{"Restored File (C:\\Program Files\\Vendor\\Tool\\a.dll)",
                                         "Restored File (C:\\Program Files\\Vendor\\Tool\\b.dll)",
                                         "Restored File (C:\\WINDOWS\\c.ini)"}));
    EXPECT_EQ(fake::content("C:\\Program Files\\Vendor\\Tool\\a.dll"), "A");
    EXPECT_EQ(fake::content("C:\\WINDOWS\\c.ini"), "C");
    EXPECT_EQ(snapshot("C:\\Tools\\Tidewell\\Backup"), setBefore);  // the set stays as it was
    EXPECT_TRUE(fake::restartQueue().empty());
}

TEST_F(RestoreFilesTest, FileInUseIsStagedAndSwappedAtRestart) {
    const std::string t = "C:\\WINDOWS\\system32\\";
    fake::addFile(kBackupItem + "C';WINDOWS;system32;\\nvapi.dll", "backup");
    fake::addFile(t + "nvapi.dll", "current");
    fake::setFault(t + "nvapi.dll", fake::Fault::Locked);
    tw::RestoreFiles(kFilesItem);
    EXPECT_EQ(logLines(), Lines{"Not Restored File (C:\\WINDOWS\\system32\\nvapi.dll)"});
    EXPECT_EQ(fake::content(t + "__nvapi.dll"), "backup");
    EXPECT_EQ(fake::content(t + "nvapi.dll"), "current");
    const auto q = fake::restartQueue();
    ASSERT_EQ(q.size(), 2u);
    EXPECT_EQ(q[0].from, t + "nvapi.dll");
    EXPECT_EQ(q[0].to, "");
    EXPECT_EQ(q[1].from, t + "__nvapi.dll");
    EXPECT_EQ(q[1].to, t + "nvapi.dll");
}

TEST_F(RestoreFilesTest, UnreadableBackupCopyIsSkippedSilently) {
    fake::addFile(kBackupItem + "C';Data;\\gone.bin", "x");
    fake::setFault(kBackupItem + "C';Data;\\gone.bin", fake::Fault::CopyFails);
    tw::RestoreFiles(kFilesItem);
    EXPECT_TRUE(logLines().empty());
    EXPECT_FALSE(fake::exists("C:\\Data\\gone.bin"));
    EXPECT_TRUE(fake::restartQueue().empty());
}

TEST_F(RestoreFilesTest, FoldersWithSemicolonsAndQuotesComeBackExactly) {
    // Both folders encode to the same name; each file must find its own folder again.
    fake::addFile("C:\\Data;v1\\It's here\\same.txt", "odd");
    fake::addFile("C:\\Data\\v1\\It's here\\same.txt", "plain");
    fake::addFile("C:\\Data\\v1\\It's here\\only.txt", "only");
    tw::BackupEnabled = true;
    tw::DeleteFiles("C:\\Data;v1\\It's here", {"*.*"});
    tw::DeleteFiles("C:\\Data\\v1\\It's here", {"*.*"});
    ASSERT_FALSE(fake::exists("C:\\Data;v1\\It's here\\same.txt"));
    ASSERT_FALSE(fake::exists("C:\\Data\\v1\\It's here\\same.txt"));
    tw::BackupEnabled = false;
    tw::RunLog().clear();
    tw::RestoreFiles(kFilesItem);
    EXPECT_EQ(fake::content("C:\\Data;v1\\It's here\\same.txt"), "odd");
    EXPECT_EQ(fake::content("C:\\Data\\v1\\It's here\\same.txt"), "plain");
    EXPECT_EQ(fake::content("C:\\Data\\v1\\It's here\\only.txt"), "only");
    EXPECT_EQ(sorted(logLines()), (Lines{"Restored File (C:\\Data;v1\\It's here\\same.txt)",
                                         "Restored File (C:\\Data\\v1\\It's here\\only.txt)",
                                         "Restored File (C:\\Data\\v1\\It's here\\same.txt)"}));
}

TEST_F(RestoreFilesTest, DoubleByteFolderNamesComeBackExactly) {
    // Second bytes 0x5C, a backslash, and "a" and "A", which a byte-wise letter case would merge.
    const std::map<int, std::vector<std::string>> names = {
        {932, {"\x95\x5C", "\x83\x61", "\x83\x41"}}, {936, {"\x81\x5C"}}, {950, {"\xA5\x5C"}}};
    for (const auto& [codePage, chars] : names) {
        SCOPED_TRACE(codePage);
        fake::reset();
        fake::setAnsiCodePage(codePage);
        tw::BackupEnabled = true;
        for (const auto& c : chars) fake::addFile("C:\\D" + c + "\\a.dll", c);
        for (const auto& c : chars) tw::DeleteFiles("C:\\D" + c, {"a.dll"});
        for (const auto& c : chars) EXPECT_TRUE(fake::exists(kBackupItem + "C';D" + c + ";\\a.dll"));
        tw::BackupEnabled = false;
        tw::RunLog().clear();
        tw::RestoreFiles(kFilesItem);
        EXPECT_EQ(logLines().size(), chars.size());
        for (const auto& c : chars) EXPECT_EQ(fake::content("C:\\D" + c + "\\a.dll"), c);
    }
}

TEST_F(RestoreFilesTest, SetWithoutUsableIndexRestoresAsTheNameDecodes) {
    fake::addFile(kBackupItem + "C';Data;v1;\\a.txt", "a");
    fake::addFile(kBackupItem + "C';Other;\\b.txt", "b");
    // Malformed entries (no tab, a relative folder, no trailing backslash, a
    // way up out of the folder) are ignored.
    fake::addFile(kBackupItem + tw::kFolderIndexName,
                  "garbage line\nC';Data;v1;\tData\\v1\\\nC';Other;\tC:\\Elsewhere\n"
                  "C';Other;\tC:\\Other\\..\\WINDOWS\\\n");
    tw::RestoreFiles(kFilesItem);
    EXPECT_EQ(fake::content("C:\\Data\\v1\\a.txt"), "a");
    EXPECT_EQ(fake::content("C:\\Other\\b.txt"), "b");
    EXPECT_FALSE(fake::exists("C:\\Elsewhere"));
    EXPECT_FALSE(fake::exists("C:\\WINDOWS\\b.txt"));
}

// Sets that name no sound place for their files, or a place behind a link:
// each file is reported and nothing at all is written.
TEST_F(RestoreFilesTest, NothingIsWrittenOutsideALinkFreeDriveFolder) {
    const std::string ati = "C:\\Users\\User\\AppData\\Local\\ATI", copy = kBackupItem;
    struct Case {
        const char* what;
        std::string subFolder, index, folderLink, fileLink;  // the sub-folder holds x.dll
        std::string shown;                                   // in the "Not Restored File" line
        bool inUse = false;                                  // C:\Data\x.dll is held open
    };
    const Case cases[] = {
        {"no trailing backslash", "C';WINDOWS", "", "", "", copy + "C';WINDOWS\\x.dll"},
        {"a foreign name, relative", "Drivers", "", "", "", copy + "Drivers\\x.dll"},
        {"a way up", "C';Data;..;..;WINDOWS;", "", "", "", copy + "C';Data;..;..;WINDOWS;\\x.dll"},
        {"an index folder that leads up", "Drivers", "Drivers\tC:\\Data\\..\\..\\WINDOWS\\\n", "", "",
         copy + "Drivers\\x.dll"},
        {"a link at the end", "C';Users;User;AppData;Local;ATI;", "", ati, "", ati + "\\x.dll"},
        {"a link, the rest missing", "C';Users;User;AppData;Local;ATI;Sub;", "", ati, "", ati + "\\Sub\\x.dll"},
        {"the file is a link", "C';Data;", "", "", "C:\\Data\\x.dll", "C:\\Data\\x.dll"},
        {"the staging name is a link", "C';Data;", "", "", "C:\\Data\\__x.dll", "C:\\Data\\x.dll", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fake::reset();
        tw::RunLog().clear();
        if (!c.folderLink.empty()) fake::addLink(c.folderLink, "C:\\WINDOWS");
        if (!c.fileLink.empty()) fake::addFile(c.fileLink, "link", plat::kAttrArchive | plat::kAttrReparsePoint);
        if (c.inUse) fake::addFile("C:\\Data\\x.dll", "current");
        if (c.inUse) fake::setFault("C:\\Data\\x.dll", fake::Fault::Locked);
        fake::addFile(kBackupItem + c.subFolder + "\\x.dll", "backup");
        if (!c.index.empty()) fake::addFile(kBackupItem + tw::kFolderIndexName, c.index);
        const auto before = snapshot("C:\\");
        tw::RestoreFiles(kFilesItem);
        EXPECT_EQ(logLines(), Lines{"Not Restored File (" + c.shown + ")"});
        EXPECT_EQ(snapshot("C:\\"), before);
        EXPECT_TRUE(fake::restartQueue().empty());
    }
}

TEST_F(RestoreFilesTest, UnindexableOddFolderIsNotDeleted) {
    // Without its index entry a folder holding ";" could not be found again.
    fake::addFile("C:\\Data;v1\\a.txt", "a");
    fake::addFolder(kBackupItem);
    fake::setFault(kBackupItem + tw::kFolderIndexName, fake::Fault::WriteFails);
    tw::BackupEnabled = true;
    tw::DeleteFiles("C:\\Data;v1", {"a.txt"});
    EXPECT_EQ(logLines(), Lines{"Not deleted file (C:\\Data;v1\\a.txt)"});
    EXPECT_EQ(fake::content("C:\\Data;v1\\a.txt"), "a");
    // A plain folder decodes exactly and needs no index entry.
    fake::addFile("C:\\Plain\\b.txt", "b");
    tw::DeleteFiles("C:\\Plain", {"b.txt"});
    EXPECT_EQ(logLines().back(), "Deleted file (C:\\Plain\\b.txt)");
}

TEST_F(RestoreFilesTest, IndexNamesThatAreNoPlainFolderNameAreNotWrittenTo) {
    const std::string item = kBackupItem;
    for (const std::string name : {"..\\..\\..\\..\\..\\WINDOWS", "../../../../../WINDOWS", "..", "x:y"}) {
        SCOPED_TRACE(name);
        fake::reset();
        fake::addFile("C:\\NVIDIA\\nv.dll", "nv");
        fake::addFile(item + tw::kFolderIndexName, name + "\tC:\\NVIDIA\\\n");
        tw::BackupEnabled = true;
        tw::DeleteFiles("C:\\NVIDIA", {"nv.dll"});
        EXPECT_EQ(fake::tree("C:\\Tools\\Tidewell\\Backup"),
                  (Lines{"C:\\Tools\\Tidewell\\Backup\\set1", item.substr(0, item.size() - 1), item + "C';NVIDIA;",
                         item + "C';NVIDIA;\\nv.dll", item + tw::kFolderIndexName}));
    }
}

class RestoreRegistryTest : public enginetest::EngineTest {};

TEST_F(RestoreRegistryTest, KeysReturnUnderTheirOwnRoot) {
    tw::BackupPath = kBackupRegItem;
    tw::BackupEnabled = true;
    fake::setString(kCU, "Software\\NVIDIA Corporation\\Global", "Name", "cu");
    fake::setString(kLM, "Software\\NVIDIA Corporation\\Global", "Name", "lm");
    tw::DeleteKeys(kCU, "Software\\NVIDIA Corporation", {"Global"});
    ASSERT_FALSE(fake::keyExists(kCU, "Software\\NVIDIA Corporation\\Global"));
    tw::RunLog().clear();
    tw::RestoreRegistry(kRegItem);
    EXPECT_EQ(logLines(), Lines{"Restored Registry (HKCU\\Software\\NVIDIA Corporation\\Global)"});
    EXPECT_EQ(fake::stringValue(kCU, "Software\\NVIDIA Corporation\\Global", "Name"), std::optional<std::string>("cu"));
    EXPECT_EQ(fake::stringValue(kLM, "Software\\NVIDIA Corporation\\Global", "Name"), std::optional<std::string>("lm"));
    EXPECT_FALSE(fake::privilegeEnabled("SeRestorePrivilege"));
}

TEST_F(RestoreRegistryTest, OnlyHiveFilesOfKnownRootsAndFailuresAreReported) {
    tw::BackupPath = kBackupRegItem;
    tw::BackupEnabled = true;
    fake::setString(kLM, "Software\\A\\Key", "v", "1");
    tw::DeleteKeys(kLM, "Software\\A", {"Key"});
    fake::addFile(kBackupRegItem + "HKCR;Software;X.TW", "junk");
    fake::addFile(kBackupRegItem + "notes.TW", "junk");
    fake::addFile(kBackupRegItem + "HKLM.TW", "junk");
    fake::setPrivilegeHeld("SeRestorePrivilege", false);
    tw::RunLog().clear();
    tw::RestoreRegistry(kRegItem);
    EXPECT_EQ(logLines(), Lines{"Not Restored Registry (HKLM\\Software\\A\\Key)"});
    EXPECT_FALSE(fake::stringValue(kLM, "Software\\A\\Key", "v").has_value());
}

TEST_F(RestoreRegistryTest, RoundTripBringsBackEveryFileAndKey) {
    // Files: a pattern folder, a tree, a folder with ";" and "'", binary contents.
    fake::addFile("C:\\Data\\drv\\nv4_disp.dll", "display");
    fake::addFile("C:\\Data\\drv\\nvlddmkm.sys", std::string("\0\1\2\xff", 4));
    fake::addFile("C:\\Data\\drv\\keep.txt", "keep");
    fake::addFile("C:\\Data\\Tree\\a.txt", "a");
    fake::addFile("C:\\Data\\Tree\\Sub\\Deeper\\b.bin", std::string(3000, '\x7f'));
    fake::addFile("C:\\Data\\Tree\\Sub\\hidden.ini", "h", plat::kAttrHidden);
    fake::addFile("C:\\Data\\Odd;name\\It's\\c.txt", "c");
    fake::addFile("C:\\Data\\Odd\\name\\It's\\c.txt", "other c");
    fake::addFile("C:\\Apps\\Realtek\\setup.ini", "[Startup]\r\nCompanyName=Realtek Semiconductor\r\n");
    fake::addFile("C:\\Apps\\Realtek\\rtk.exe", "rtk");
    // Keys: nested trees of typed values under both roots, and keys found by a value.
    const std::string svc = "System\\CurrentControlSet\\Services";
    fake::setString(kLM, svc + "\\nvlddmkm", "ImagePath", "%SystemRoot%\\nv.sys", plat::kRegExpandSz);
    fake::setDword(kLM, svc + "\\nvlddmkm\\Device0", "Start", 3);
    fake::setValue(kLM, svc + "\\nvlddmkm\\Device0\\Bin", "Blob", plat::kRegBinary, {0, 1, 254, 255});
    fake::addKey(kLM, svc + "\\nvlddmkm\\Empty");
    fake::setString(kLM, svc + "\\Tcpip", "x", "y");
    fake::setString(kCU, "Software\\NVIDIA Corporation\\Global\\Prefs", "Colour", "green");
    const std::string cls = "System\\CurrentControlSet\\Control\\Class\\{4D36E968}";
    fake::setString(kLM, cls + "\\0000", "ProviderName", "NVIDIA");
    fake::setString(kLM, cls + "\\0000\\Settings", "Mode", "1024");
    fake::setString(kLM, cls + "\\0001", "ProviderName", "ATI");
    const auto filesBefore = snapshot("C:\\Data");
    const auto appsBefore = snapshot("C:\\Apps");
    const std::string registryBefore = fake::registryDump();

    tw::BackupEnabled = true;
    tw::BackupPath = kBackupItem;
    tw::DeleteFiles("C:\\Data\\drv", {"nv*.*"});
    tw::DeleteFolder("C:\\Data\\Tree");
    tw::DeleteFolder("C:\\Data\\Odd;name");
    tw::DeleteFolder("C:\\Data\\Odd\\name");
    tw::DeleteFoldersByCompany("C:\\Apps", "Realtek");
    tw::BackupPath = kBackupRegItem;
    tw::DeleteKeys(kLM, svc, {"nvlddmkm"});
    tw::DeleteKeys(kCU, "Software", {"NVIDIA Corporation"});
    tw::DeleteKeysByValue(kLM, cls, "ProviderName", "NVIDIA");
    for (const auto& line : logLines()) EXPECT_EQ(line.rfind("Deleted", 0), 0u) << line;
    ASSERT_EQ(fake::tree("C:\\Data"), (Lines{"C:\\Data\\drv", "C:\\Data\\drv\\keep.txt", "C:\\Data\\Odd"}));
    ASSERT_FALSE(fake::keyExists(kLM, svc + "\\nvlddmkm"));
    ASSERT_FALSE(fake::keyExists(kLM, cls + "\\0000"));
    ASSERT_NE(fake::registryDump(), registryBefore);

    tw::BackupEnabled = false;
    tw::RunLog().clear();
    tw::RestoreFiles(kFilesItem);
    tw::RestoreRegistry(kRegItem);
    for (const auto& line : logLines()) EXPECT_EQ(line.rfind("Restored", 0), 0u) << line;
    EXPECT_EQ(snapshot("C:\\Data"), filesBefore);
    EXPECT_EQ(snapshot("C:\\Apps"), appsBefore);
    EXPECT_EQ(fake::attributes("C:\\Data\\Tree\\Sub\\hidden.ini"), plat::kAttrHidden);
    EXPECT_EQ(fake::registryDump(), registryBefore);
    EXPECT_TRUE(fake::restartQueue().empty());
}

}  // namespace
