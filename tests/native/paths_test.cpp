// Path text: the folder path normaliser, the path helpers and the names of
// the backup store, and the strict UTF-8 decoder.
#include <gtest/gtest.h>

#include <optional>

#include "engine/FolderPath.h"
#include "platform/common.h"
#include "store/BackupStore.h"

namespace {

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

// The system's rewriting of a pattern (Wine's FindFirstFileW leaves out the
// rules for "?" and a trailing "."; the Wine table checks the rest on real files).
TEST(FolderPath, PatternsMatchAsTheSystemRewritesThem) {
    for (auto [pattern, name, match] : std::vector<std::tuple<std::wstring, std::wstring, bool>>{
             {L"*.", L"nodot", true}, {L"*.", L"a.b", false}, {L"??", L"a", true}, {L"??", L"abc", false}, {L"nv.?", L"nv", true},
             {L"nv???.*", L"nv.a.b", true}, {L"nv?.dll", L"nv.dll", true}, {L"a*b", L"a.b.b", true}}) {
        EXPECT_EQ(tw::MatchesPattern(name, pattern), match) << testing::PrintToString(std::pair(pattern, name));
    }
}

// Names stay UTF-16: a look-alike of a separator (U+FF3C, U+2216) is no separator.
TEST(BackupNames, FolderAndKeyNamesOfTheBackup) {
    for (auto [folder, name] : {std::pair<std::wstring, std::wstring>{L"C:\\WINDOWS\\", L"C';WINDOWS;"},
                                {L"D:\\Program Files\\Tool\\", L"D';Program Files;Tool;"},
                                {L"C:\\\u8868\\a\uFF3C..\u2216b\\", L"C';\u8868;a\uFF3C..\u2216b;"}}) {
        EXPECT_EQ(tw::EncodeFolder(folder), name);
        EXPECT_EQ(tw::DecodeFolder(name), folder);
    }
    EXPECT_EQ(tw::HiveFileName(plat::kHKeyLocalMachine, L"S\\\u8868", L"x\uFF3C"), L"HKLM;S;\u8868;x\uFF3C.TW");
    EXPECT_EQ(tw::HiveFileName(plat::kHKeyCurrentUser, L"Software", L"a/b"), L"");  // no plain file name
}

// Strict UTF-8: a byte that starts no valid sequence is one U+FFFD, and the
// bytes after it are read anew, so no line break or separator is swallowed or made.
TEST(Utf8, InvalidSequencesBecomeReplacementCharacters) {
    for (auto [bytes, want] : std::vector<std::pair<std::string, std::wstring>>{
             {"a\xC3\xA9\xE2\x88\x96\xF0\x9F\x98\x80", L"a\u00E9\u2216\U0001F600"},
             {"\xC3\n", L"\uFFFD\n"},                                   // cut short by a line feed
             {"\xF4\x90\x81\x9C", L"\uFFFD\uFFFD\uFFFD\uFFFD"},           // above U+10FFFF
             {"\xC1\x9C", L"\uFFFD\uFFFD"}, {"\xE0\x81\x9C", L"\uFFFD\uFFFD\uFFFD"},  // overlong backslash
             {"\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD"},                       // a surrogate
             {"\x80\\", L"\uFFFD\\"}, {"\xE2\x88", L"\uFFFD\uFFFD"}}) {
        EXPECT_EQ(tw::fromUtf8(bytes), want) << testing::PrintToString(bytes);
    }
}

// folders.idx keeps the folders whose names do not survive the encoding; a
// line that names no plain sub-folder or no absolute drive folder is ignored.
TEST(BackupIndex, LinesAndRestoreTargets) {
    const tw::FolderIndex index = tw::ParseFolderIndex(
        "C';Data;v1;\tC:\\Data;v1\\\r\n"
        "garbage line\nrel\tData\\v1\\\nx\tC:\\Elsewhere\ny\tC:\\Other\\..\\WINDOWS\\\n"
        "a\\b\tC:\\A\\\n.\tC:\\A\\\nz\tC:\\A\\B \\\nw\tC:\\A*\\\n"
        "\xC3\xA9t\xC3\xA9\tD:\\\xC3\xA9t\xC3\xA9\\\n" +
        tw::FolderIndexLine(L"C';It's;", L"C:\\It's\\"));
    EXPECT_EQ(index, (tw::FolderIndex{{L"C';DATA;V1;", L"C:\\Data;v1\\"}, {L"\u00e9T\u00e9", L"D:\\\u00e9t\u00e9\\"},
                                      {L"C';IT'S;", L"C:\\It's\\"}}));
    const std::wstring root = L"C:\\Tools\\Tidewell\\Backup\\";
    const std::vector<std::pair<std::wstring, std::wstring>> targets = {
        {L"c';data;V1;", L"C:\\Data;v1\\"}, {L"C';Other;", L"C:\\Other\\"}, {L"\u00e9t\u00e9", L"D:\\\u00e9t\u00e9\\"},
        {L"C';It's;", L"C:\\It's\\"}, {L"Other", L""}, {L"C';A;..;", L""}, {L"C';A;B ;", L""},
        {L"C';Tools;Tidewell;Backup;set;", L""}, {L"c';tools;tidewell;backup;", L""},
    };
    for (const auto& [sub, want] : targets)
        EXPECT_EQ(tw::RestoreFolder(index, sub, root), want) << testing::PrintToString(sub);
}

}  // namespace
