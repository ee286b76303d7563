// Contract of the file operations: FindFirstFile wildcards, attributes,
// delete, copy, folders, whole-file reads and writes, the restart queue.
#include <algorithm>

#include "contract_support.h"

namespace {

using contract::nameSet;
using contract::names;
using contract::runningUnderWine;
using Names = std::set<std::string>;

class FindContract : public contract::ScratchFolderTest {
protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        for (const char* f : {"nvapi.dll", "NVCPL.DLL", "nvdata.txt", "readme", "archive.txt.bak"}) write(f, "x");
        ASSERT_EQ(plat::createDirectory(dir + "nvsub"), plat::kOk);
        ASSERT_EQ(plat::createDirectory(dir + "other"), plat::kOk);
    }
    Names find(const std::string& mask) {
        std::vector<plat::FindData> out;
        EXPECT_EQ(plat::findEntries(dir + mask, out), plat::kOk) << mask;
        return nameSet(out);
    }
};

TEST_F(FindContract, WildcardsMatchWithoutRegardToCaseAndKeepStoredNames) {
    EXPECT_EQ(find("nv*.dll"), (Names{"nvapi.dll", "NVCPL.DLL"}));
    EXPECT_EQ(find("NV*.DLL"), (Names{"nvapi.dll", "NVCPL.DLL"}));
    EXPECT_EQ(find("nv*"), (Names{"nvapi.dll", "NVCPL.DLL", "nvdata.txt", "nvsub"}));
    EXPECT_EQ(find("?eadme"), (Names{"readme"}));
    EXPECT_EQ(find("README"), (Names{"readme"}));
    // The extension after the last dot decides: archive.txt.bak is no ".txt" file.
    EXPECT_EQ(find("*.txt"), (Names{"nvdata.txt"}));
    EXPECT_EQ(find("*.bak"), (Names{"archive.txt.bak"}));
}

TEST_F(FindContract, StarDotStarAlsoMatchesNamesWithoutDot) {
    Names all{".", "..", "nvapi.dll", "NVCPL.DLL", "nvdata.txt", "readme", "archive.txt.bak", "nvsub", "other"};
    EXPECT_EQ(find("*.*"), all);
    EXPECT_EQ(find("*"), all);
}

TEST_F(FindContract, TrailingBlanksOfThePatternAreDropped) {
    EXPECT_EQ(find("*.BAK "), (Names{"archive.txt.bak"}));
    EXPECT_EQ(find("readme "), (Names{"readme"}));
}

TEST_F(FindContract, DosWildcardSemantics) {
    if (runningUnderWine()) GTEST_SKIP() << "Wine matches ? and *. without the DOS rules of FindFirstFile";
    // "*." finds the names without an extension; "?" before a dot may match nothing.
    EXPECT_EQ(find("nv*."), (Names{"nvsub"}));
    EXPECT_EQ(find("nvapi?.dll"), (Names{"nvapi.dll"}));
}

TEST_F(FindContract, EntriesCarryAttributesSizesAndNtfsOrder) {
    write("big.bin", std::string(1000, 'b'));
    ASSERT_EQ(plat::setFileAttributes(dir + "readme", plat::kAttrHidden), plat::kOk);
    std::vector<plat::FindData> out;
    ASSERT_EQ(plat::findEntries(dir + "*", out), plat::kOk);
    for (const auto& e : out) {
        bool folder = e.name == "." || e.name == ".." || e.name == "nvsub" || e.name == "other";
        EXPECT_EQ((e.attributes & plat::kAttrDirectory) != 0, folder) << e.name;
        if (e.name == "big.bin") {
            EXPECT_EQ(e.size, 1000u);
        }
        if (e.name == "readme") {
            EXPECT_NE(e.attributes & plat::kAttrHidden, 0u);
        }
    }
    if (runningUnderWine()) return;  // Wine lists a folder in the host file system's order
    std::vector<std::string> expected{".",        "..",         "archive.txt.bak", "big.bin", "nvapi.dll",
                                      "NVCPL.DLL", "nvdata.txt", "nvsub",           "other",   "readme"};
    EXPECT_EQ(names(out), expected);
}

TEST_F(FindContract, MissingFolderAndNoMatch) {
    std::vector<plat::FindData> out{plat::FindData{"stale", 0, 0}};
    EXPECT_EQ(plat::findEntries(dir + "missing\\*.*", out), plat::kErrPathNotFound);
    EXPECT_EQ(plat::findEntries(dir + "*.xyz", out), plat::kOk);
    EXPECT_TRUE(out.empty());
}

using FileContract = contract::ScratchFolderTest;

TEST_F(FileContract, PathsIgnoreCaseAndTrailingDotsAndBlanks) {
    write("Setup.ini", "x");
    EXPECT_NE(plat::getFileAttributes(dir + "SETUP.INI"), plat::kInvalidAttributes);
    EXPECT_NE(plat::getFileAttributes(dir + "setup.ini."), plat::kInvalidAttributes);
    EXPECT_NE(plat::getFileAttributes(dir + "setup.ini "), plat::kInvalidAttributes);
    EXPECT_EQ(plat::getFileAttributes(dir + "setup.in"), plat::kInvalidAttributes);
    write("Caf\xE9.txt", "x");  // accented letters fold too
    EXPECT_NE(plat::getFileAttributes(dir + "CAF\xC9.TXT"), plat::kInvalidAttributes);
    EXPECT_NE(plat::getFileAttributes(dir.substr(0, dir.size() - 1)) & plat::kAttrDirectory, 0u);
}

TEST_F(FileContract, AttributesRoundTrip) {
    write("a.txt", "x");
    const std::string f = dir + "a.txt";
    ASSERT_EQ(plat::setFileAttributes(f, plat::kAttrReadOnly | plat::kAttrHidden), plat::kOk);
    std::uint32_t a = plat::getFileAttributes(f);
    EXPECT_EQ(a & (plat::kAttrReadOnly | plat::kAttrHidden | plat::kAttrSystem), plat::kAttrReadOnly | plat::kAttrHidden);
    ASSERT_EQ(plat::setFileAttributes(f, plat::kAttrNormal), plat::kOk);
    a = plat::getFileAttributes(f);
    EXPECT_NE(a, plat::kInvalidAttributes);
    EXPECT_EQ(a & (plat::kAttrReadOnly | plat::kAttrHidden | plat::kAttrSystem), 0u);
    EXPECT_EQ(plat::setFileAttributes(dir + "missing.txt", plat::kAttrNormal), plat::kErrFileNotFound);
}

TEST_F(FileContract, DeleteFileRefusesReadOnlyFilesAndFolders) {
    write("ro.dll", "x");
    write("plain.dll", "x");
    ASSERT_EQ(plat::setFileAttributes(dir + "ro.dll", plat::kAttrReadOnly), plat::kOk);
    ASSERT_EQ(plat::createDirectory(dir + "sub"), plat::kOk);

    EXPECT_EQ(plat::deleteFile(dir + "ro.dll"), plat::kErrAccessDenied);
    EXPECT_NE(plat::getFileAttributes(dir + "ro.dll"), plat::kInvalidAttributes);
    EXPECT_EQ(plat::deleteFile(dir + "sub"), plat::kErrAccessDenied);
    EXPECT_NE(plat::getFileAttributes(dir + "sub"), plat::kInvalidAttributes);
    EXPECT_EQ(plat::deleteFile(dir + "PLAIN.DLL"), plat::kOk);
    EXPECT_EQ(plat::getFileAttributes(dir + "plain.dll"), plat::kInvalidAttributes);
    EXPECT_EQ(plat::deleteFile(dir + "plain.dll"), plat::kErrFileNotFound);
    EXPECT_EQ(plat::deleteFile(dir + "nofolder\\plain.dll"), plat::kErrPathNotFound);
}

TEST_F(FileContract, CopyFileOverwritesUnlessAskedNotTo) {
    write("src.dll", "new content");
    write("dst.dll", "old");
    std::vector<std::uint8_t> data;

    EXPECT_EQ(plat::copyFile(dir + "src.dll", dir + "dst.dll", true), plat::kErrFileExists);
    ASSERT_EQ(plat::readFileBytes(dir + "dst.dll", data), plat::kOk);
    EXPECT_EQ(data, contract::bytes("old"));

    EXPECT_EQ(plat::copyFile(dir + "src.dll", dir + "dst.dll", false), plat::kOk);
    ASSERT_EQ(plat::readFileBytes(dir + "dst.dll", data), plat::kOk);
    EXPECT_EQ(data, contract::bytes("new content"));

    EXPECT_EQ(plat::copyFile(dir + "src.dll", dir + "fresh.dll", true), plat::kOk);
    ASSERT_EQ(plat::readFileBytes(dir + "fresh.dll", data), plat::kOk);
    EXPECT_EQ(data, contract::bytes("new content"));
    ASSERT_EQ(plat::readFileBytes(dir + "src.dll", data), plat::kOk);  // the source stays
}

TEST_F(FileContract, CopyFileErrorsAndAttributes) {
    write("src.dll", "x");
    write("locked.dll", "old");
    ASSERT_EQ(plat::setFileAttributes(dir + "locked.dll", plat::kAttrReadOnly), plat::kOk);
    EXPECT_EQ(plat::copyFile(dir + "missing.dll", dir + "t.dll", false), plat::kErrFileNotFound);
    EXPECT_EQ(plat::copyFile(dir + "src.dll", dir + "nofolder\\t.dll", false), plat::kErrPathNotFound);
    std::vector<std::uint8_t> data;
    if (!runningUnderWine()) {  // Wine running as root writes through the read-only attribute
        EXPECT_EQ(plat::copyFile(dir + "src.dll", dir + "locked.dll", false), plat::kErrAccessDenied);
        ASSERT_EQ(plat::readFileBytes(dir + "locked.dll", data), plat::kOk);
        EXPECT_EQ(data, contract::bytes("old"));
    }
    // CopyFile refuses to replace a hidden file (Wine replaces it).
    write("hidden.dll", "old");
    ASSERT_EQ(plat::setFileAttributes(dir + "hidden.dll", plat::kAttrHidden), plat::kOk);
    if (!runningUnderWine()) {
        EXPECT_EQ(plat::copyFile(dir + "src.dll", dir + "hidden.dll", false), plat::kErrAccessDenied);
        ASSERT_EQ(plat::readFileBytes(dir + "hidden.dll", data), plat::kOk);
        EXPECT_EQ(data, contract::bytes("old"));
    }

    // The copy takes the source's attributes.
    ASSERT_EQ(plat::setFileAttributes(dir + "src.dll", plat::kAttrHidden), plat::kOk);
    ASSERT_EQ(plat::copyFile(dir + "src.dll", dir + "copy.dll", false), plat::kOk);
    EXPECT_NE(plat::getFileAttributes(dir + "copy.dll") & plat::kAttrHidden, 0u);
}

TEST_F(FileContract, FoldersAreCreatedOnceAndRemovedOnlyWhenEmpty) {
    const std::string sub = dir + "sub";
    EXPECT_EQ(plat::createDirectory(sub), plat::kOk);
    EXPECT_EQ(plat::createDirectory(sub), plat::kErrAlreadyExists);
    EXPECT_EQ(plat::createDirectory(dir + "a\\b"), plat::kErrPathNotFound);
    write("file", "x");
    EXPECT_EQ(plat::createDirectory(dir + "file"), plat::kErrAlreadyExists);

    ASSERT_EQ(plat::writeFileBytes(sub + "\\inner.txt", contract::bytes("x")), plat::kOk);
    EXPECT_EQ(plat::removeDirectory(sub), plat::kErrDirNotEmpty);
    ASSERT_EQ(plat::deleteFile(sub + "\\inner.txt"), plat::kOk);
    EXPECT_EQ(plat::removeDirectory(sub), plat::kOk);
    EXPECT_EQ(plat::getFileAttributes(sub), plat::kInvalidAttributes);
    EXPECT_EQ(plat::removeDirectory(sub), plat::kErrFileNotFound);
    EXPECT_NE(plat::removeDirectory(dir + "file"), plat::kOk);
    EXPECT_NE(plat::getFileAttributes(dir + "file"), plat::kInvalidAttributes);
}

TEST_F(FileContract, WholeFileReadsAndWrites) {
    const std::string f = dir + "data.bin";
    std::vector<std::uint8_t> data{0, 1, 2, 0xFF, 0x80, '\r', '\n'};
    ASSERT_EQ(plat::writeFileBytes(f, data), plat::kOk);
    std::vector<std::uint8_t> back;
    ASSERT_EQ(plat::readFileBytes(f, back), plat::kOk);
    EXPECT_EQ(back, data);

    ASSERT_EQ(plat::writeFileBytes(f, {9}), plat::kOk);  // truncates
    ASSERT_EQ(plat::readFileBytes(f, back), plat::kOk);
    EXPECT_EQ(back, std::vector<std::uint8_t>{9});

    EXPECT_EQ(plat::readFileBytes(dir + "missing", back), plat::kErrFileNotFound);
    EXPECT_EQ(plat::writeFileBytes(dir + "nofolder\\x", {1}), plat::kErrPathNotFound);
    // Windows refuses to replace a hidden, system or read-only file with
    // CREATE_ALWAYS; Wine (running as root) replaces all three.
    if (!runningUnderWine()) {
        ASSERT_EQ(plat::setFileAttributes(f, plat::kAttrHidden), plat::kOk);
        EXPECT_EQ(plat::writeFileBytes(f, {1, 2}), plat::kErrAccessDenied);
        ASSERT_EQ(plat::setFileAttributes(f, plat::kAttrSystem), plat::kOk);
        EXPECT_EQ(plat::writeFileBytes(f, {1, 2}), plat::kErrAccessDenied);
        ASSERT_EQ(plat::readFileBytes(f, back), plat::kOk);
        EXPECT_EQ(back, std::vector<std::uint8_t>{9});
        ASSERT_EQ(plat::setFileAttributes(f, plat::kAttrReadOnly), plat::kOk);
        EXPECT_EQ(plat::writeFileBytes(f, {1, 2}), plat::kErrAccessDenied);
        ASSERT_EQ(plat::readFileBytes(f, back), plat::kOk);
        EXPECT_EQ(back, std::vector<std::uint8_t>{9});
    }
}

TEST_F(FileContract, DeletionAtRestartLeavesTheFileInPlaceForNow) {
    write("busy.sys", "x");
    plat::Error e = plat::moveFileAtReboot(dir + "busy.sys", "");
    // Without administrator rights the restart queue cannot be written.
    EXPECT_TRUE(e == plat::kOk || e == plat::kErrAccessDenied) << e;
    EXPECT_NE(plat::getFileAttributes(dir + "busy.sys"), plat::kInvalidAttributes);
}

TEST(ProcessContract, EnvironmentExecutableAndTexts) {
    auto temp = plat::getEnv("temp");  // names ignore case
    ASSERT_TRUE(temp.has_value());
    EXPECT_NE(plat::getFileAttributes(*temp) & plat::kAttrDirectory, 0u);
    EXPECT_FALSE(plat::getEnv("TIDEWELL_CONTRACT_SURELY_UNSET").has_value());

    std::string exe = plat::executablePath();
    ASSERT_GT(exe.size(), 4u);
    std::string ext = exe.substr(exe.size() - 4);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    EXPECT_EQ(ext, ".exe");
    EXPECT_NE(plat::getFileAttributes(exe), plat::kInvalidAttributes);
    EXPECT_EQ(plat::executablePathW(), plat::ansiToWide(exe));

    if (runningUnderWine()) {  // Wine words its messages differently ("Access denied.")
        EXPECT_FALSE(plat::errorText(plat::kErrAccessDenied).empty());
    } else {
        EXPECT_EQ(plat::errorText(plat::kErrAccessDenied), L"Access is denied.");
        EXPECT_EQ(plat::errorText(plat::kErrFileNotFound), L"The system cannot find the file specified.");
    }
    EXPECT_EQ(plat::ansiToWide("caf\xE9"), L"caf\u00E9");
    EXPECT_EQ(plat::wideToAnsi(L"caf\u00E9"), "caf\xE9");
    EXPECT_EQ(plat::compareTextIgnoreCase(L"Restore", L"RESTORE"), 0);
    EXPECT_LT(plat::compareTextIgnoreCase(L"abc", L"ABD"), 0);
    EXPECT_GT(plat::compareTextIgnoreCase(L"b", L"A"), 0);
}

}  // namespace

namespace {

// Files and folders reached through handles: what the walk of a deletion uses.
using EntryContract = contract::ScratchFolderTest;

std::wstring wide(const std::string& text) { return plat::ansiToWide(text); }

TEST_F(EntryContract, HandlesListOpenRelativeAndDelete) {
    write("File.txt", "x");
    ASSERT_EQ(plat::createDirectory(dir + "Sub"), plat::kOk);
    ASSERT_EQ(plat::writeFileBytes(dir + "Sub\\inner.txt", contract::bytes("y")), plat::kOk);
    ASSERT_EQ(plat::createDirectory(dir + "Caf\xE9"), plat::kOk);

    plat::EntryHandle folder, sub, file, missing;
    plat::EntryInfo folderInfo, subInfo, fileInfo;
    ASSERT_EQ(plat::openEntry(wide(dir), plat::kOpenForDelete, folder), plat::kOk);
    ASSERT_EQ(plat::entryInfo(folder, folderInfo), plat::kOk);
    EXPECT_NE(folderInfo.attributes & plat::kAttrDirectory, 0u);
    std::vector<plat::DirEntry> entries;
    ASSERT_EQ(plat::listEntries(folder, entries), plat::kOk);
    std::set<std::wstring> names;
    for (const auto& e : entries) {
        names.insert(e.name);
        EXPECT_EQ((e.attributes & plat::kAttrDirectory) != 0, e.name != L"File.txt") << plat::wideToAnsi(e.name);
    }
    EXPECT_EQ(names, (std::set<std::wstring>{L"File.txt", L"Sub", L"Caf\u00E9"}));

    // A name opened relative to its folder reaches the same as its path; final
    // paths carry the stored letter case, whatever the spelling.
    ASSERT_EQ(plat::openEntryAt(folder, L"SUB", plat::kOpenForDelete, sub), plat::kOk);
    ASSERT_EQ(plat::entryInfo(sub, subInfo), plat::kOk);
    EXPECT_EQ(subInfo.finalPath, folderInfo.finalPath + L"\\Sub");
    EXPECT_TRUE(plat::sameNameIgnoreCase(subInfo.finalPath, folderInfo.finalPath + L"\\sUB"));
    EXPECT_TRUE(plat::sameNameIgnoreCase(L"S\u00E4uberung", L"S\u00C4UBERUNG"));
    EXPECT_FALSE(plat::sameNameIgnoreCase(L"Sauberung", L"S\u00C4UBERUNG"));
    for (const wchar_t* bad : {L"..", L".", L"", L"Sub\\inner.txt", L"C:x"})
        EXPECT_EQ(plat::openEntryAt(folder, bad, 0, missing), plat::kErrInvalidParameter) << plat::wideToAnsi(bad);
    EXPECT_EQ(plat::openEntryAt(folder, L"absent", 0, missing), plat::kErrFileNotFound);
    EXPECT_EQ(plat::openEntry(wide(dir + "absent\\x"), 0, missing), plat::kErrPathNotFound);
    EXPECT_FALSE(missing);

    EXPECT_EQ(plat::deleteEntry(sub), plat::kErrDirNotEmpty);
    ASSERT_EQ(plat::openEntryAt(folder, L"File.txt", plat::kOpenForDelete, file), plat::kOk);
    ASSERT_EQ(plat::entryInfo(file, fileInfo), plat::kOk);
    EXPECT_EQ(fileInfo.attributes & plat::kAttrDirectory, 0u);
    EXPECT_EQ(plat::deleteEntry(file), plat::kOk);
    file.reset();  // the file goes when its last handle closes
    EXPECT_EQ(plat::getFileAttributes(dir + "File.txt"), plat::kInvalidAttributes);
    sub.reset();
    ASSERT_EQ(plat::deleteFile(dir + "Sub\\inner.txt"), plat::kOk);
    ASSERT_EQ(plat::openEntry(wide(dir + "Sub"), plat::kOpenForDelete, sub), plat::kOk);
    EXPECT_EQ(plat::deleteEntry(sub), plat::kOk);
    sub.reset();
    EXPECT_EQ(plat::getFileAttributes(dir + "Sub"), plat::kInvalidAttributes);
}

TEST(SystemFolderContract, TheSystemNamesItsFolders) {
    using SF = plat::SystemFolder;
    for (SF f : {SF::Windows, SF::SystemWindows, SF::System, SF::ProgramFiles, SF::ProgramData, SF::UserProfiles,
                 SF::Profile, SF::LocalAppData, SF::RoamingAppData}) {
        const std::wstring path = plat::systemFolder(f);
        ASSERT_GT(path.size(), 3u) << static_cast<int>(f);
        EXPECT_EQ(path[1], L':');
        EXPECT_NE(path.back(), L'\\');
    }
    const std::wstring windows = plat::systemFolder(SF::Windows);
    EXPECT_TRUE(plat::sameNameIgnoreCase(plat::systemFolder(SF::System), windows + L"\\system32"));
    // The ANSI code page here is a single-byte one.
    EXPECT_FALSE(plat::isAnsiLeadByte(0x95));
    EXPECT_FALSE(plat::isAnsiLeadByte('\\'));
}

}  // namespace
