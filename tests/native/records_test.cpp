// Texts the program reads and writes: setting integers, log files, and the
// command line with the exit codes it ends with and the build it goes to.
#include <gtest/gtest.h>

#include <optional>

#include "app/Bitness.h"
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
    for (const auto& [args, labels, clean, quit, preview] : std::vector<std::tuple<Lines, Lines, bool, bool, bool>>{
             {{L"-ati", L"-quit"}, {L"ATi - Display"}, true, true, false},
             {{L"-NvIdIa", L"-nvidiachipset", L"-CREATIVE", L"-realtek", L"-mmouse", L"-Ageia", L"-nvidia"},
              {L"NVIDIA - Display", L"NVIDIA - Chipset", L"Creative - Sound", L"Realtek - Sound", L"Microsoft - Mouse",
               L"AGEIA - PhysX", L"NVIDIA - Display"}, true, false, false},
             {{L"-preview", L"-x", L"-REALTEK"}, {L"Realtek - Sound"}, true, false, true},
             {{L"-PreView", L"-QUIT"}, {}, true, true, true},
             {{L"/ATI", L"-NVIDIA ", L"-at\u0131", L"-\u00e0ti", L"-PREVIEWS", L"-quit2"}, {}, true, false, false},
             {{}, {}, false, false, false}}) {
        const tw::CommandLineRequest r = tw::ParseCommandLine(args);
        EXPECT_EQ(std::tuple(r.labels, r.clean, r.quit, r.preview), std::tuple(labels, clean, quit, preview))
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

}  // namespace
