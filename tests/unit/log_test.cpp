// The run log: appending, sorting, saving as UTF-16 and reading log files
// back by their byte order mark.
#include <gtest/gtest.h>

#include "engine_fixture.h"
#include "platform/common.h"

namespace {

using WLines = std::vector<std::wstring>;
using Bytes = std::vector<std::uint8_t>;

const std::string kLogs = "C:\\Tools\\Tidewell\\Logs\\";

class RunLogTest : public enginetest::EngineTest {};

TEST_F(RunLogTest, ManyLinesKeepTheirOrderAndEveryChangeIsSeen) {
    auto& log = tw::RunLog();
    const auto start = log.generation();
    for (int i = 0; i < 50000; ++i) log.append(L"Deleted file (C:\\f" + std::to_wstring(i) + L")");
    ASSERT_EQ(log.count(), 50000u);
    EXPECT_EQ(log.lines()[31234], L"Deleted file (C:\\f31234)");
    EXPECT_EQ(log.lines().back(), L"Deleted file (C:\\f49999)");
    EXPECT_EQ(log.generation() - start, 50000u);
    const auto beforeClear = log.generation();
    log.clear();
    EXPECT_EQ(log.count(), 0u);
    EXPECT_NE(log.generation(), beforeClear);
    log.appendAnsi("Deleted file (C:\\caf\xe9.txt)");  // ANSI code page text is widened
    EXPECT_EQ(log.lines().back(), L"Deleted file (C:\\caf\u00e9.txt)");
}

TEST_F(RunLogTest, SortIgnoresCaseAndKeepsEqualLinesInOrder) {
    auto& log = tw::RunLog();
    for (const auto* line : {L"Not deleted file (C:\\b)", L"deleted file (C:\\z)", L"Deleted file (C:\\a)",
                             L"Not deleted folder (C:\\a)", L"DELETED FILE (C:\\A)", L"Deleted registry (HKLM\\x)"})
        log.append(line);
    tw::SortLog();
    EXPECT_EQ(log.lines(), (WLines{L"Deleted file (C:\\a)", L"DELETED FILE (C:\\A)", L"deleted file (C:\\z)",
                                   L"Deleted registry (HKLM\\x)", L"Not deleted file (C:\\b)",
                                   L"Not deleted folder (C:\\a)"}));
}

TEST_F(RunLogTest, SaveWritesUtf16WithByteOrderMarkAndNothingForAnEmptyLog) {
    EXPECT_EQ(tw::SaveLog(), "");
    EXPECT_FALSE(fake::exists(kLogs));
    auto& log = tw::RunLog();
    log.append(L"Not deleted file (C:\\z\u00e9)");
    log.append(L"Deleted file (C:\\\U0001F600)");
    const std::string path = tw::SaveLog();
    EXPECT_EQ(path, kLogs + "12-5-2026-6-01-23 AM.txt");
    Bytes expected{0xFF, 0xFE};
    auto add = [&](char16_t c) {
        expected.push_back(static_cast<std::uint8_t>(c & 0xFF));
        expected.push_back(static_cast<std::uint8_t>(c >> 8));
    };
    for (char c : std::string("Not deleted file (C:\\z")) add(static_cast<char16_t>(c));
    add(0x00E9);
    for (char c : std::string(")\r\nDeleted file (C:\\")) add(static_cast<char16_t>(c));
    add(0xD83D);
    add(0xDE00);
    add(u')');
    EXPECT_EQ(fake::contentBytes(path), expected);
    // Saving does not sort: the lines are written in their current order.
    EXPECT_EQ(tw::ReadLogFile(path), log.lines());
}

TEST_F(RunLogTest, FileNameFollowsTheUsersFormats) {
    fake::setDate(L"05.12.2026");
    fake::setTime(L"06:01:23");
    fake::setExecutablePath("C:\\New\\Place\\Tidewell.exe");
    tw::RunLog().append(L"x");
    EXPECT_EQ(tw::SaveLog(), "C:\\New\\Place\\Logs\\05.12.2026-06-01-23.txt");
    EXPECT_TRUE(fake::exists("C:\\New\\Place\\Logs\\05.12.2026-06-01-23.txt"));
}

TEST_F(RunLogTest, UnwritableLogRaisesWithPathAndSystemText) {
    fake::addFolder(kLogs);
    const std::string path = kLogs + "12-5-2026-6-01-23 AM.txt";
    fake::setFault(path, fake::Fault::WriteFails);
    tw::RunLog().append(L"x");
    try {
        tw::SaveLog();
        FAIL() << "expected an error";
    } catch (const tw::AppError& e) {
        EXPECT_EQ(e.message(),
                  L"Cannot create file \"" + plat::ansiToWide(path) + L"\". " + plat::errorText(plat::kErrAccessDenied));
    }
}

TEST_F(RunLogTest, LogFilesAreDecodedByTheirByteOrderMark) {
    const WLines want{L"Deleted file (C:\\a\u00e9)", L"Not deleted file (C:\\b)"};
    Bytes le{0xFF, 0xFE}, be{0xFE, 0xFF};
    for (char16_t c : tw::toUtf16(L"Deleted file (C:\\a\u00e9)\r\nNot deleted file (C:\\b)\r\n")) {
        le.push_back(static_cast<std::uint8_t>(c & 0xFF));
        le.push_back(static_cast<std::uint8_t>(c >> 8));
        be.push_back(static_cast<std::uint8_t>(c >> 8));
        be.push_back(static_cast<std::uint8_t>(c & 0xFF));
    }
    EXPECT_EQ(tw::DecodeLogBytes(le), want);
    EXPECT_EQ(tw::DecodeLogBytes(be), want);
    const std::string utf8 = "\xEF\xBB\xBF" "Deleted file (C:\\a\xC3\xA9)\nNot deleted file (C:\\b)";
    EXPECT_EQ(tw::DecodeLogBytes(Bytes(utf8.begin(), utf8.end())), want);
    const std::string ansi = "Deleted file (C:\\a\xE9)\rNot deleted file (C:\\b)\n";
    EXPECT_EQ(tw::DecodeLogBytes(Bytes(ansi.begin(), ansi.end())), want);
    // Inner empty lines are kept; a lone final line break adds none.
    EXPECT_EQ(tw::SplitLogText(L"a\r\n\r\nb\n"), (WLines{L"a", L"", L"b"}));
    EXPECT_TRUE(tw::DecodeLogBytes(Bytes{0xFF, 0xFE}).empty());
    EXPECT_TRUE(tw::DecodeLogBytes(Bytes{0xFF, 0xFE, 0x41}).empty());  // an odd byte is no character
}

}  // namespace
