// Contract of the private-profile (INI) functions: the reading rules of
// GetPrivateProfileStringW and the in-place edits of WritePrivateProfileStringW.
#include "contract_support.h"

namespace {

class ProfileContract : public contract::ScratchFolderTest {
protected:
    std::wstring file(const std::string& name) { return plat::ansiToWide(dir + name); }
    void writeBytes(const std::string& name, const std::vector<std::uint8_t>& data) {
        ASSERT_EQ(plat::writeFileBytes(dir + name, data), plat::kOk);
    }
    std::vector<std::uint8_t> readBytes(const std::string& name) {
        std::vector<std::uint8_t> data;
        EXPECT_EQ(plat::readFileBytes(dir + name, data), plat::kOk);
        return data;
    }
};

TEST_F(ProfileContract, ReadingIgnoresCaseTrimsBlanksAndStripsMatchingQuotes) {
    write("r.ini",
          "[Main]\r\n"
          "Key1 =   value one  \r\n"
          "double=\"in quotes\"\r\n"
          "single='x y'\r\n"
          "half=\"open\r\n"
          "mixed=\"a'\r\n"
          "empty=\r\n"
          "[Other]\r\n"
          "Key1=other\r\n");
    const auto f = file("r.ini");
    EXPECT_EQ(plat::profileRead(f, L"MAIN", L"key1", L"def"), L"value one");
    EXPECT_EQ(plat::profileRead(f, L"main", L"DOUBLE", L"def"), L"in quotes");
    EXPECT_EQ(plat::profileRead(f, L"Main", L"single", L"def"), L"x y");
    EXPECT_EQ(plat::profileRead(f, L"Main", L"half", L"def"), L"\"open");
    EXPECT_EQ(plat::profileRead(f, L"Main", L"mixed", L"def"), L"\"a'");
    EXPECT_EQ(plat::profileRead(f, L"Main", L"empty", L"def"), L"");  // present but empty: not the default
    EXPECT_EQ(plat::profileRead(f, L"Other", L"Key1", L"def"), L"other");
    EXPECT_EQ(plat::profileRead(f, L"Main", L"absent", L"def"), L"def");
    EXPECT_EQ(plat::profileRead(f, L"Absent", L"Key1", L"def"), L"def");
    EXPECT_EQ(plat::profileRead(file("missing.ini"), L"Main", L"Key1", L"fallback"), L"fallback");
}

TEST_F(ProfileContract, AnsiFilesAreReadInTheAnsiCodePage) {
    write("ansi.ini", "[Fran\xE7" "ais]\r\nTitle=Caf\xE9\r\n");
    EXPECT_EQ(plat::profileRead(file("ansi.ini"), L"Fran\u00E7ais", L"Title", L""), L"Caf\u00E9");
}

TEST_F(ProfileContract, Utf16FilesWithByteOrderMarkAreReadAsUnicode) {
    writeBytes("u.ini", contract::utf16WithBom(L"[Chinese]\r\nLog=\u65E5\u5FD7\r\nClose = ' \u5173\u95ED '\r\n"));
    const auto f = file("u.ini");
    EXPECT_EQ(plat::profileRead(f, L"chinese", L"log", L""), L"\u65E5\u5FD7");
    EXPECT_EQ(plat::profileRead(f, L"Chinese", L"Close", L""), L" \u5173\u95ED ");
    EXPECT_EQ(plat::profileSections(f), (std::vector<std::wstring>{L"Chinese"}));
}

TEST_F(ProfileContract, LongValuesAreCutTo2047Characters) {
    write("long.ini", "[S]\r\nk=" + std::string(3000, 'a') + "\r\n");
    EXPECT_EQ(plat::profileRead(file("long.ini"), L"S", L"k", L""), std::wstring(2047, L'a'));
}

TEST_F(ProfileContract, SectionsAreListedInFileOrder) {
    write("s.ini", "[English]\r\na=1\r\n\r\n[Deutsch]\r\na=2\r\n[Fran\xE7" "ais]\r\n");
    EXPECT_EQ(plat::profileSections(file("s.ini")),
              (std::vector<std::wstring>{L"English", L"Deutsch", L"Fran\u00E7ais"}));
    EXPECT_TRUE(plat::profileSections(file("missing.ini")).empty());
}

TEST_F(ProfileContract, WritingANewFileCreatesAnsiText) {
    const auto f = file("new.ini");
    ASSERT_TRUE(plat::profileWrite(f, L"Backup", L"Enabled", L"1"));
    ASSERT_TRUE(plat::profileWrite(f, L"Reboot", L"Reboot", L"2"));
    EXPECT_EQ(plat::profileRead(f, L"Backup", L"Enabled", L""), L"1");
    EXPECT_EQ(plat::profileRead(f, L"Reboot", L"Reboot", L""), L"2");
    auto data = readBytes("new.ini");
    ASSERT_FALSE(data.empty());
    EXPECT_EQ(data[0], '[');  // no byte order mark
    EXPECT_EQ(plat::profileSections(f), (std::vector<std::wstring>{L"Backup", L"Reboot"}));
}

TEST_F(ProfileContract, WritingReplacesTheKeyInPlaceAndKeepsEverythingElse) {
    write("keep.ini",
          "[Custom]\r\nmine=keep me\r\n"
          "[Backup]\r\nEnabled=0\r\nOther=x\r\n"
          "[Tail]\r\nt=1\r\n");
    const auto f = file("keep.ini");
    ASSERT_TRUE(plat::profileWrite(f, L"BACKUP", L"enabled", L"1"));
    ASSERT_TRUE(plat::profileWrite(f, L"Backup", L"Added", L"yes"));
    ASSERT_TRUE(plat::profileWrite(f, L"Fresh", L"k", L"v"));

    EXPECT_EQ(plat::profileRead(f, L"Backup", L"Enabled", L""), L"1");
    EXPECT_EQ(plat::profileRead(f, L"Backup", L"Added", L""), L"yes");
    EXPECT_EQ(plat::profileRead(f, L"Backup", L"Other", L""), L"x");
    EXPECT_EQ(plat::profileRead(f, L"Custom", L"mine", L""), L"keep me");
    EXPECT_EQ(plat::profileRead(f, L"Tail", L"t", L""), L"1");
    EXPECT_EQ(plat::profileRead(f, L"Fresh", L"k", L""), L"v");
    EXPECT_EQ(plat::profileSections(f), (std::vector<std::wstring>{L"Custom", L"Backup", L"Tail", L"Fresh"}));

    // The key was replaced, not added a second time.
    auto data = readBytes("keep.ini");
    std::string text(data.begin(), data.end());
    std::size_t count = 0;
    for (std::size_t pos = 0; (pos = text.find("nabled=", pos)) != std::string::npos; ++pos) ++count;
    EXPECT_EQ(count, 1u) << text;
}

TEST_F(ProfileContract, WritingAUnicodeFileKeepsItUnicode) {
    writeBytes("u.ini", contract::utf16WithBom(L"[Languages]\r\nCurrent=English\r\n"));
    const auto f = file("u.ini");
    ASSERT_TRUE(plat::profileWrite(f, L"Languages", L"Current", L"\u4E2D\u6587"));
    EXPECT_EQ(plat::profileRead(f, L"Languages", L"Current", L""), L"\u4E2D\u6587");
    auto data = readBytes("u.ini");
    ASSERT_GE(data.size(), 2u);
    EXPECT_EQ(data[0], 0xFF);
    EXPECT_EQ(data[1], 0xFE);
}

TEST_F(ProfileContract, WritingIntoAMissingFolderFails) {
    EXPECT_FALSE(plat::profileWrite(file("nofolder\\s.ini"), L"S", L"k", L"v"));
    EXPECT_EQ(plat::getFileAttributes(dir + "nofolder"), plat::kInvalidAttributes);
}

}  // namespace
