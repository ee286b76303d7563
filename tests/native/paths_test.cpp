// Path text: the folder path normaliser, the path helpers and the names of
// the backup store, also in code page 932, where "表" (95 5C) and "ソ" (83 5C)
// end in the byte of a backslash.
#include <gtest/gtest.h>

#include <optional>

#include "backup/BackupUnit.h"
#include "engine/FolderPath.h"
#include "native/ansi.h"
#include "platform/common.h"

namespace {

const std::string kTable = "\x95\x5C", kSo = "\x83\x5C";

class CodePage : public ::testing::Test {
protected:
    void TearDown() override { nativetest::setCodePage(1252); }
};

TEST(FolderPath, NormalisesOrRefuses) {
    const std::vector<std::pair<std::wstring, std::optional<std::wstring>>> cases = {
        {L"C:\\A\\.\\B\\..\\C. ", L"C:\\A\\C"},     {L"c:/x//y/", L"C:\\x\\y"},
        {L"C:\\Windows.\\System32 \\", L"C:\\Windows\\System32"}, {L"C:\\", L"C:\\"},
        {L"d:\\a\\..", L"D:\\"},                    {L"C:\\..", std::nullopt},
        {L"C:\\A\\..\\..\\B", std::nullopt},        {L"C:A\\B", std::nullopt},
        {L"\\\\server\\share\\x", std::nullopt},    {L"\\\\?\\C:\\A", std::nullopt},
        {L"C:\\A*", std::nullopt},                  {L"C:\\A\\B:stream", std::nullopt},
        {L"C:\\A\\...\\B", std::nullopt},
    };
    for (const auto& [path, want] : cases)
        EXPECT_EQ(tw::NormalizeFolderPathW(path), want) << testing::PrintToString(path);
}

TEST(FolderPath, AncestorsByWholeNamesIgnoringCase) {
    for (auto [folder, other, same] : {std::tuple{L"C:\\Windows", L"C:\\WINDOWS\\System32", true},
                                       {L"C:\\Windows", L"C:\\windows", true}, {L"C:\\", L"C:\\x", true},
                                       {L"C:\\Windows", L"C:\\WindowsApps", false}, {L"C:\\A\\B", L"C:\\A", false},
                                       {L"", L"C:\\", false}})
        EXPECT_EQ(tw::IsSameOrAncestor(folder, other), same) << testing::PrintToString(std::wstring(other));
}

TEST_F(CodePage, DoubleByteNamesStayWhole) {
    nativetest::setCodePage(932);
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"C:\\" + kTable, "C:\\" + kTable},
        {"C:\\A\\" + kSo + "\\", "C:\\A\\" + kSo},
        {"C:\\" + kTable + "\\..\\B", "C:\\B"},
        {"C:\\" + kTable + "X\\..", "C:\\"},
        {"C:\\A\\" + kSo + ".\\" + kTable + kTable, "C:\\A\\" + kSo + "\\" + kTable + kTable},
        {"C:\\" + kTable + "\\..\\..", std::nullopt},
    };
    for (const auto& [path, want] : cases) EXPECT_EQ(tw::NormalizeFolderPath(path), want) << path;
    for (const std::string& name : {kTable, kSo, "A" + kTable}) {
        const std::string path = "C:\\" + name;
        EXPECT_EQ(tw::lastPathSeparator(path), 2u) << path;
        EXPECT_EQ(tw::includeTrailingBackslash(path), path + "\\") << path;
        EXPECT_EQ(tw::excludeTrailingBackslash(path), path) << path;
    }
}

TEST_F(CodePage, FolderAndKeyNamesOfTheBackup) {
    nativetest::setCodePage(932);
    for (auto [folder, name] : {std::pair<std::string, std::string>{"C:\\WINDOWS\\", "C';WINDOWS;"},
                                {"D:\\Program Files\\Tool\\", "D';Program Files;Tool;"},
                                {"C:\\" + kTable + "\\" + kSo + "\\", "C';" + kTable + ";" + kSo + ";"}}) {
        EXPECT_EQ(tw::EncodeFolder(folder), name);
        EXPECT_EQ(tw::DecodeFolder(name), folder);
    }
    EXPECT_EQ(tw::HiveFileName(plat::kHKeyLocalMachine, "S\\" + kTable, "x"), "HKLM;S;" + kTable + ";x.TW");
    EXPECT_EQ(tw::HiveFileName(plat::kHKeyCurrentUser, "Software", "a/b"), "");  // no plain file name
}

// folders.idx keeps the folders whose names do not survive the encoding; a
// line that names no plain sub-folder or no absolute drive folder is ignored.
TEST(BackupIndex, LinesAndRestoreTargets) {
    const tw::FolderIndex index = tw::ParseFolderIndex(
        "C';Data;v1;\tC:\\Data;v1\\\r\n"
        "garbage line\nrel\tData\\v1\\\nx\tC:\\Elsewhere\ny\tC:\\Other\\..\\WINDOWS\\\n"
        "a\\b\tC:\\A\\\n.\tC:\\A\\\nz\tC:\\A\\B \\\nw\tC:\\A*\\\n"
        "\xC3\xA9t\xC3\xA9\tD:\\\xC3\xA9t\xC3\xA9\\\n" +
        tw::FolderIndexLine("C';It's;", "C:\\It's\\"));
    EXPECT_EQ(index, (tw::FolderIndex{{"C';DATA;V1;", "C:\\Data;v1\\"}, {"\xe9T\xe9", "D:\\\xe9t\xe9\\"},
                                      {"C';IT'S;", "C:\\It's\\"}}));
    const std::string root = "C:\\Tools\\Tidewell\\Backup\\";
    const std::vector<std::pair<std::string, std::string>> targets = {
        {"c';data;V1;", "C:\\Data;v1\\"},  {"C';Other;", "C:\\Other\\"},     {"\xe9t\xe9", "D:\\\xe9t\xe9\\"},
        {"C';It's;", "C:\\It's\\"},         {"Other", ""},                    {"C';A;..;", ""},
        {"C';A;B ;", ""},                   {"C';Tools;Tidewell;Backup;set;", ""}, {"c';tools;tidewell;backup;", ""},
    };
    for (const auto& [sub, want] : targets) EXPECT_EQ(tw::RestoreFolder(index, sub, root), want) << sub;
}

}  // namespace
