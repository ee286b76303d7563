// Values the windows show or act on, worked out by plain code: backup set
// sizes, the build date, the banner's fitted size, the progress bar's
// position and whether the program was started with arguments.
#include <gtest/gtest.h>

#include "about/AboutUnit.h"
#include "app/TWUnit.h"
#include "backup/BackupDialog.h"

namespace {

TEST(Values, MegabytesRoundHundredthsHalfToEvenWithTheLocalesSeparator) {
    constexpr std::uint64_t kMB = 1048576;
    const struct { std::uint64_t bytes; const wchar_t* text; } cases[] = {
        {0, L"0"}, {31457, L"0,03"}, {3 * kMB / 2, L"1,5"}, {12 * kMB, L"12"}, {131072, L"0,12"},
        {393216, L"0,38"}, {kMB - 1, L"1"}, {12 * kMB + kMB / 4, L"12,25"}, {std::uint64_t{1} << 63, L"8796093022208"},
    };
    for (const auto& c : cases) EXPECT_EQ(tw::MegabyteText(c.bytes, L","), c.text) << c.bytes;
}

TEST(Values, BuildDateIsTheCommitsUtcDateElseTheCompilersDate) {
    const struct { const char* epoch; const wchar_t* shown; } cases[] = {
        {"951782400", L"Feb 29 2000"}, {"86399", L"Jan  1 1970"}, {"86400", L"Jan  2 1970"},
        {"1765065599", L"Dec  6 2025"}, {"", L"Jul  4 2001"}, {"17650x", L"Jul  4 2001"}, {"-1", L"Jul  4 2001"},
    };
    for (const auto& c : cases) EXPECT_EQ(tw::BuildDateText(c.epoch, "Jul  4 2001"), c.shown) << c.epoch;
}

TEST(Values, AboutNamesTheBuildsAndTheSystemsBitness) {
    EXPECT_EQ(tw::BitnessText(L"%1-bit build on %2-bit Windows", false, true), L"32-bit build on 64-bit Windows");
    EXPECT_EQ(tw::BitnessText(L"%2: %1 %% %3 %", true, false), L"32: 64 %% %3 %");
}

TEST(Values, PicturesFitTheirBoxInProportionCentred) {
    using R = tw::PictureRect;
    EXPECT_EQ(tw::FitInProportion(361, 99, R{0, 251, 361, 99}), (R{0, 251, 361, 99}));
    EXPECT_EQ(tw::FitInProportion(200, 100, R{0, 0, 100, 100}), (R{0, 25, 100, 50}));
    EXPECT_EQ(tw::FitInProportion(100, 200, R{10, 10, 100, 100}), (R{35, 10, 50, 100}));
    EXPECT_EQ(tw::FitInProportion(2000000000, 1000000000, R{0, 0, 400, 400}), (R{0, 100, 400, 200}));
    EXPECT_EQ(tw::FitInProportion(0, 99, R{0, 0, 361, 99}).width, 0);
}

// The bar is told at most once per interval, and never left behind at the end.
TEST(Values, ProgressStaysInRangeAndIsShownAtMostEveryInterval) {
    tw::ProgressPosition p;
    p.setMaximum(3);
    EXPECT_TRUE(p.step(0));  // a bar never shown is told at once
    p.setPosition(0);
    p.shown(1000);
    const std::uint64_t later = 1000 + tw::ProgressPosition::kShowEvery;
    const struct { std::uint64_t at; bool showNow; int position; } steps[] = {
        {1001, false, 1}, {1002, false, 2}, {later, true, 3}, {later + 1, false, 3}};
    for (const auto& s : steps) {
        EXPECT_EQ(p.step(s.at), s.showNow) << s.at;
        EXPECT_EQ(p.position(), s.position) << s.at;
        EXPECT_EQ(p.pending(), !s.showNow) << s.at;
        if (s.showNow) p.shown(s.at);
    }
    p.setMaximum(2);
    EXPECT_EQ(p.position(), 2);
}

}  // namespace
