// Texts the program reads and writes: setting integers, log files, and the
// command line with the exit codes it ends with and the build it goes to.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <optional>

#include "app/Bitness.h"
#include "app/RunReport.h"
#include "app/TWUnit.h"
#include "log/LogUnit.h"
#include "settings/VarUnit.h"

namespace {

using Lines = std::vector<std::wstring>;
using Bytes = std::vector<std::uint8_t>;

TEST(Settings, IntegerFormsAndTheFileBesideTheProgram) {
    const long long kMin = -2147483648LL;
    for (auto [text, want] : std::vector<std::pair<std::wstring, std::optional<long long>>>{
             {L"1", 1}, {L"0", 0}, {L"-1", -1}, {L"0X1a", 26}, {L"0x00", 0}, {L"0xFFFFFFFF", -1}, {L"0x80000000", kMin},
             {L"-2147483648", kMin}, {L"2147483647", 2147483647}, {L"2147483648", {}}, {L"-2147483649", {}},
             {L"0x100000001", {}}, {L"0x", {}}, {L"-0x5", {}}, {L"", {}}, {L"-", {}}, {L"+1", {}}, {L"yes", {}},
             {L"1.5", {}}, {L"12abc", {}}, {L" 1", {}}, {L"0xG", {}}}) {
        long long value = 42;
        const bool ok = tw::ParseSettingInteger(text, value);
        EXPECT_EQ(ok ? std::optional<long long>(value) : std::nullopt, want) << testing::PrintToString(text);
    }
    EXPECT_EQ(tw::SettingsFilePathFor(L"C:\\A\\Tide.well.exe"), L"C:\\A\\Tide.well.ini");
    EXPECT_EQ(tw::SettingsFilePathFor(L"C:\\Tools.v2\\Tidewell"), L"C:\\Tools.v2\\Tidewell.ini");
    EXPECT_EQ(tw::SettingsFilePathFor(L"C:\\A\\Tidewell64.exe"), L"C:\\A\\Tidewell.ini");  // the 64-bit build
    EXPECT_EQ(tw::SettingsFilePathFor(L"C:\\A64\\64.exe"), L"C:\\A64\\64.ini");
}

// A log file is written as UTF-16 LE with a byte order mark, lines joined by
// CR LF, and read by its byte order mark, split at CR LF, LF or CR.
TEST(LogFiles, WrittenAsUtf16WithCrLfAndReadByTheirByteOrderMark) {
    const Lines lines = {L"Not deleted file (C:\\z\u00e9)", L"", L"Deleted file (C:\\\U0001F600)"};
    Bytes le{0xFF, 0xFE}, be{0xFE, 0xFF};
    for (char16_t c : std::u16string(u"Not deleted file (C:\\z\u00e9)\r\n\r\nDeleted file (C:\\\U0001F600)")) {
        le.insert(le.end(), {std::uint8_t(c), std::uint8_t(c >> 8)});
        be.insert(be.end(), {std::uint8_t(c >> 8), std::uint8_t(c)});
    }
    EXPECT_EQ(tw::LogFileBytes(lines), le);
    EXPECT_EQ(tw::LogFileBytes({}), (Bytes{0xFF, 0xFE}));
    const std::string utf8 = "\xEF\xBB\xBFNot deleted file (C:\\z\xC3\xA9)\n\nDeleted file (C:\\\xF0\x9F\x98\x80)\n";
    const std::string ansi = "Deleted file (C:\\a\xE9)\r\rNot deleted file (C:\\b)";
    for (const Bytes& bytes : {le, be, Bytes(utf8.begin(), utf8.end())}) EXPECT_EQ(tw::DecodeLogBytes(bytes), lines);
    EXPECT_EQ(tw::DecodeLogBytes(Bytes(ansi.begin(), ansi.end())),
              (Lines{L"Deleted file (C:\\a\u00e9)", L"", L"Not deleted file (C:\\b)"}));
    EXPECT_TRUE(tw::DecodeLogBytes({0xFF, 0xFE, 0x41}).empty());  // an odd byte is no character
    for (auto [text, want] : std::vector<std::pair<std::wstring, Lines>>{
             {L"a\r\n\r\nb\n", {L"a", L"", L"b"}}, {L"a\n\rb", {L"a", L"", L"b"}}, {L"\n", {L""}}, {L"", {}}})
        EXPECT_EQ(tw::SplitLogText(text), want) << testing::PrintToString(text);
}

TEST(CommandLine, SwitchesQuitAndPreviewInAnyLetterCase) {
    // The last column: 1 for "-PREVIEW", 2 for "-DRIVERS", 4 for "-BLOCKUPDATE", 8 for "-RESTOREPOINT".
    for (const auto& [args, labels, clean, quit, preview] : std::vector<std::tuple<Lines, Lines, bool, bool, int>>{
             {{L"-ati", L"-quit"}, {L"ATi - Display"}, true, true, false},
             {{L"-NvIdIa", L"-nvidiachipset", L"-CREATIVE", L"-realtek", L"-mmouse", L"-Ageia", L"-nvidia"},
              {L"NVIDIA - Display", L"NVIDIA - Chipset", L"Creative - Sound", L"Realtek - Sound", L"Microsoft - Mouse",
               L"AGEIA - PhysX", L"NVIDIA - Display"}, true, false, false},
             {{L"-preview", L"-x", L"-REALTEK"}, {L"Realtek - Sound"}, true, false, true},
             {{L"-PreView", L"-QUIT", L"-drivers", L"-blockUpdate"}, {}, true, true, 7},
             {{L"-DRIVERS", L"-nvidia", L"-RestorePoint"}, {L"NVIDIA - Display"}, true, false, 10},
             {{L"/ATI", L"-NVIDIA ", L"-at\u0131", L"-\u00e0ti", L"-PREVIEWS", L"-quit2"}, {}, true, false, false},
             {{}, {}, false, false, false}}) {
        const tw::CommandLineRequest r = tw::ParseCommandLine(args);
        EXPECT_EQ(std::tuple(r.labels, r.clean, r.quit, r.preview + 2 * r.drivers + 4 * r.safeguards.blockReinstall + 8 * r.safeguards.restorePoint), std::tuple(labels, clean, quit, preview))
            << testing::PrintToString(args);
    }
}

// 32-bit on 64-bit Windows never cleans: it hands over to the 64-bit build
// beside it, with the arguments as they were written, or refuses without it.
TEST(CommandLine, TheBuildThatCleansAndTheArgumentsItIsHandedOverWith) {
    using C = tw::StartChoice;
    for (auto [process64, system64, beside, want] :
         {std::tuple{true, true, true, C::RunHere}, {true, true, false, C::RunHere}, {false, false, true, C::RunHere},
          {false, false, false, C::RunHere}, {false, true, true, C::HandOver}, {false, true, false, C::Refuse}})
        EXPECT_EQ(tw::ChooseStart(process64, system64, beside), want) << process64 << system64 << beside;
    EXPECT_EQ(tw::SixtyFourBuildPathFor(L"C:\\Tools.v2\\Tidewell.exe"), L"C:\\Tools.v2\\Tidewell64.exe");
    EXPECT_EQ(tw::SixtyFourBuildPathFor(L"C:\\Tools.v2\\Tidewell"), L"C:\\Tools.v2\\Tidewell64.exe");
    const std::wstring to = L"C:\\A b\\Tidewell64.exe";
    for (auto [line, arguments] : std::vector<std::pair<std::wstring, std::wstring>>{
             {L"", L""}, {L"C:\\prog\\Tidewell.exe \t ", L" \t "}, {L"\"C:\\Program Files\\Tidewell.exe\"  ", L"  "},
             {L"\"C:\\Program Files\\Tidewell.exe", L""}, {L"C:\\prog\\Tidewell.exe\t-QUIT", L"\t-QUIT"},
             {L"\"C:\\a b\\Tidewell.exe\"-ati", L" -ati"}, {L"Tidewell.exe \"\"", L" \"\""}, {L"Tidewell.exe \n", L" \n"},
             {L"\"C:\\a b\\Tidewell.exe\" -nvidia \"x  \\\"y\\\\\"\t-QUIT ", L" -nvidia \"x  \\\"y\\\\\"\t-QUIT "}}) {
        EXPECT_EQ(tw::HandOverCommandLine(to, line), L"\"" + to + L"\"" + arguments) << testing::PrintToString(line);
        EXPECT_EQ(tw::CommandLineHasArguments(line), arguments.find_first_not_of(L" \t") != std::wstring::npos);
    }
}

// A log line and its note make one report item. A run ends in 1 when an item
// is neither deleted nor queued, else in 3010 when one waits for the restart;
// the report names each item's path and copy and counts kinds and outcomes.
TEST(Report, ItemsOfTheLogLinesTheirCountsAndTheRunsOutcome) {
    const tw::ItemNote queued{true, {}, {}}, copied{false, L"B:\\set\\a (1).dll", {}}, refused{false, {}, L"no copy"};
    using Item = std::array<std::wstring, 5>;  // kind, path, outcome, reason, backup
    tw::RunReport report{L"1", {}, {}, false, {}, {}, {{L"NVIDIA - Display", {}}}, {}, L"", 1};
    std::vector<tw::ReportItem>& items = report.families[0].items;
    for (const auto& [line, note, want] : std::vector<std::tuple<std::wstring, const tw::ItemNote*, Item>>{
             {L"Deleted file (C:\\a (1).dll)", &copied, {L"file", L"C:\\a (1).dll", L"deleted", L"", copied.backupCopy}},
             {L"Not deleted file (C:\\b)", &queued, {L"file", L"C:\\b", L"deleted at restart", L"", L""}},
             {L"Not deleted folder (C:\\c)", &refused, {L"folder", L"C:\\c", L"refused", L"no copy", L""}},
             {L"Would delete registry (HKCU\\d)", nullptr, {L"registry", L"HKCU\\d", L"would delete", L"", L""}},
             {L"Not deleted file (C:\\e)", &copied, {L"file", L"C:\\e", L"not deleted", L"", copied.backupCopy}},
             {L"Cannot create file \"C:\\x (1)\".", nullptr, {}}}) {
        const tw::ReportItem& r = items.emplace_back(tw::ReportItemOf(line, note));
        EXPECT_EQ((Item{r.kind, r.path, r.outcome, r.reason, r.backup}), want) << testing::PrintToString(line);
    }
    for (auto [first, count, code] : {std::tuple{0, 2, 3010}, {1, 2, 1}, {2, 1, 1}, {0, 1, 0}, {3, 1, 0}, {1, 5, 1}})
        EXPECT_EQ(tw::ExitCodeOf(tw::OutcomeOfItems({{L"", {items.begin() + first, items.begin() + first + count}}})), code)
            << first << "+" << count;
    const nlohmann::json json = nlohmann::json::parse(tw::RunReportJson(report));
    EXPECT_EQ(json["families"][0]["items"][0], nlohmann::json::parse(R"j({"kind": "file", "path": "C:\\a (1).dll",
        "outcome": "deleted", "backup": "B:\\set\\a (1).dll", "line": "Deleted file (C:\\a (1).dll)"})j"));
    EXPECT_EQ(json["counts"], nlohmann::json::parse(R"j({"file": {"deleted": 1, "deleted at restart": 1, "not deleted": 1},
        "folder": {"refused": 1}, "registry": {"would delete": 1}})j"));
    EXPECT_EQ(json["totals"], nlohmann::json::parse(R"j({"deleted": 1, "deleted at restart": 1, "would delete": 1,
        "not deleted": 1, "refused": 1})j"));
    EXPECT_EQ(tw::SummaryLine(report),
              L"Tidewell: deleted 1, deleted at restart 1, would delete 1, not deleted 1, refused 1, exit code 1");
}

}  // namespace
