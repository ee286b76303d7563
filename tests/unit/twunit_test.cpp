// The main window's list operations and command line, without a window.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "app/TWUnit.h"

namespace {

using Labels = std::vector<std::wstring>;

tw::MemoryTargetList Available() { return tw::MemoryTargetList(tw::AvailableTargetLabels()); }

TEST(TWUnitLists, AddToCleanListAddsEachLabelOnceIgnoringCase) {
    tw::MemoryTargetList clean;
    EXPECT_TRUE(tw::AddToCleanList(clean, L"ATi - Display"));
    EXPECT_FALSE(tw::AddToCleanList(clean, L"ati - display"));
    EXPECT_TRUE(tw::AddToCleanList(clean, L"AGEIA - PhysX"));
    // Appended at the end, in the order of the calls, not sorted.
    EXPECT_EQ(clean.items(), (Labels{L"ATi - Display", L"AGEIA - PhysX"}));
    // A label that only starts like an entry is a different label.
    EXPECT_TRUE(tw::AddToCleanList(clean, L"ATi - Display 2"));
    EXPECT_EQ(clean.count(), 3);
}

TEST(TWUnitLists, SelectCopiesOnlyTheSelectedEntryAndKeepsTheAvailableList) {
    tw::MemoryTargetList available = Available();
    tw::MemoryTargetList clean;

    tw::SelectSelected(available, clean);  // nothing selected
    EXPECT_EQ(clean.count(), 0);

    available.select(5);  // "NVIDIA - Display"
    tw::SelectSelected(available, clean);
    tw::SelectSelected(available, clean);  // twice: still once
    available.select(0);
    tw::SelectSelected(available, clean);
    EXPECT_EQ(clean.items(), (Labels{L"NVIDIA - Display", L"AGEIA - PhysX"}));
    EXPECT_EQ(available.items(), tw::AvailableTargetLabels());
}

TEST(TWUnitLists, SelectAllReplacesTheUsersOrderWithTheAvailableOrder) {
    tw::MemoryTargetList available = Available();
    tw::MemoryTargetList clean(Labels{L"Realtek - Sound", L"ATi - Display"});
    tw::SelectAll(available, clean);
    EXPECT_EQ(clean.items(), (Labels{L"AGEIA - PhysX", L"ATi - Display", L"Creative - Sound", L"Microsoft - Mouse",
                                     L"NVIDIA - Chipset", L"NVIDIA - Display", L"Realtek - Sound"}));
    // An entry that is not a target (from an older list) does not survive.
    tw::MemoryTargetList odd(Labels{L"Something else"});
    tw::SelectAll(available, odd);
    EXPECT_EQ(odd.items(), tw::AvailableTargetLabels());
}

// A list that may report several selected entries (as a multi-selection list
// would) and records the order of the erasures, which shows whether the walk
// goes from the last entry to the first (a forward walk with erase skips
// entries).
class RecordingList : public tw::MemoryTargetList {
public:
    RecordingList(Labels items, std::vector<bool> selection)
        : tw::MemoryTargetList(std::move(items)), selection_(std::move(selection)) {}
    bool selected(int index) const override { return selection_.at(static_cast<size_t>(index)); }
    void erase(int index) override {
        erased.push_back(text(index));
        tw::MemoryTargetList::erase(index);
        selection_.erase(selection_.begin() + index);
    }
    Labels erased;

private:
    std::vector<bool> selection_;
};

TEST(TWUnitLists, RemoveDeletesSelectedEntriesFromLastToFirst) {
    RecordingList clean(Labels{L"A", L"B", L"C", L"D", L"E"}, {true, true, false, true, true});
    tw::RemoveSelected(clean);
    EXPECT_EQ(clean.items(), (Labels{L"C"}));
    EXPECT_EQ(clean.erased, (Labels{L"E", L"D", L"B", L"A"}));
}

TEST(TWUnitLists, RemoveButtonsFollowWhetherTheCleanListHoldsAnEntry) {
    tw::MemoryTargetList clean;
    EXPECT_FALSE(tw::RemoveButtonsEnabled(clean));
    tw::AddToCleanList(clean, L"AGEIA - PhysX");
    EXPECT_TRUE(tw::RemoveButtonsEnabled(clean));
    clean.select(0);
    tw::RemoveSelected(clean);
    EXPECT_FALSE(tw::RemoveButtonsEnabled(clean));
    tw::RemoveAll(clean);
    EXPECT_FALSE(tw::RemoveButtonsEnabled(clean));
}

// ---- pictures ----

TEST(TWUnitPictures, FitInProportionKeepsTheAspectAndCentres) {
    using R = tw::PictureRect;
    // Same size: unchanged.
    EXPECT_EQ(tw::FitInProportion(361, 99, R{0, 251, 361, 99}), (R{0, 251, 361, 99}));
    // A box too tall: width limits, centred vertically.
    EXPECT_EQ(tw::FitInProportion(200, 100, R{0, 0, 100, 100}), (R{0, 25, 100, 50}));
    // A box too wide: height limits, centred horizontally.
    EXPECT_EQ(tw::FitInProportion(100, 200, R{10, 10, 100, 100}), (R{35, 10, 50, 100}));
    // Never larger than the box, whatever the rounding.
    for (int w = 1; w < 60; w += 7)
        for (int h = 1; h < 60; h += 5) {
            const R fit = tw::FitInProportion(w, h, R{0, 0, 37, 23});
            EXPECT_LE(fit.width, 37);
            EXPECT_LE(fit.height, 23);
            EXPECT_TRUE(fit.width == 37 || fit.height == 23) << w << "x" << h;
        }
}

TEST(TWUnitPictures, FitInProportionOfNothingOrOfHugePictures) {
    using R = tw::PictureRect;
    EXPECT_EQ(tw::FitInProportion(0, 99, R{0, 0, 361, 99}).width, 0);
    EXPECT_EQ(tw::FitInProportion(361, 99, R{0, 0, 0, 99}).width, 0);
    EXPECT_EQ(tw::FitInProportion(2000000000, 1000000000, R{0, 0, 400, 400}), (R{0, 100, 400, 200}));
}

// ---- command line ----

TEST(TWUnitCommandLine, SwitchesMatchAfterUpperCasingOnlyAsciiLetters) {
    EXPECT_EQ(tw::SwitchLabel(L"-ati"), std::optional<std::wstring>(L"ATi - Display"));
    EXPECT_EQ(tw::SwitchLabel(L"-NvIdIa"), std::optional<std::wstring>(L"NVIDIA - Display"));
    EXPECT_EQ(tw::SwitchLabel(L"-nvidiachipset"), std::optional<std::wstring>(L"NVIDIA - Chipset"));
    EXPECT_EQ(tw::SwitchLabel(L"-mmouse"), std::optional<std::wstring>(L"Microsoft - Mouse"));
    // Exact comparison: no prefixes, blanks, other dashes or slashes.
    EXPECT_FALSE(tw::SwitchLabel(L"-NVIDIA "));
    EXPECT_FALSE(tw::SwitchLabel(L"-NVID"));
    EXPECT_FALSE(tw::SwitchLabel(L"/ATI"));
    // Only a-z are changed: a dotless or accented letter never becomes ASCII.
    EXPECT_FALSE(tw::SwitchLabel(L"-at\u0131"));
    EXPECT_FALSE(tw::SwitchLabel(L"-\u00e0ti"));
    EXPECT_TRUE(tw::IsQuitSwitch(L"-quit"));
    EXPECT_FALSE(tw::IsQuitSwitch(L"-quit2"));
    EXPECT_FALSE(tw::SwitchLabel(L"-QUIT"));
}

TEST(TWUnitCommandLine, ParseCollectsLabelsQuitPreviewAndWhetherToClean) {
    auto r = tw::ParseCommandLine({L"-ati", L"-quit"});
    EXPECT_EQ(r.labels, (Labels{L"ATi - Display"}));
    EXPECT_TRUE(r.clean);
    EXPECT_TRUE(r.quit);
    EXPECT_FALSE(r.preview);

    r = tw::ParseCommandLine({L"/unknown", L"-PREVIEWS"});
    EXPECT_TRUE(r.labels.empty());
    EXPECT_TRUE(r.clean);  // any argument clicks Clean
    EXPECT_FALSE(r.quit);
    EXPECT_FALSE(r.preview);

    r = tw::ParseCommandLine({});
    EXPECT_FALSE(r.clean);
    EXPECT_FALSE(r.quit);

    r = tw::ParseCommandLine({L"-REALTEK", L"-x", L"-PreView", L"-AGEIA"});
    EXPECT_EQ(r.labels, (Labels{L"Realtek - Sound", L"AGEIA - PhysX"}));
    EXPECT_TRUE(r.preview);
}

struct Calls {
    std::vector<std::string> log;
    int exitCode = 0;
    tw::CommandLineProcessor::Start clean() {
        return [this](const tw::CommandLineRequest& r) {
            log.push_back(r.preview ? "preview" : "clean");
            return exitCode;
        };
    }
    tw::CommandLineProcessor::Quit quit() {
        return [this](int code) { log.push_back("quit " + std::to_string(code)); };
    }
};

TEST(TWUnitCommandLine, ProcessFillsTheListThenCleansThenQuitsWithTheRunsCode) {
    tw::CommandLineProcessor processor;
    tw::MemoryTargetList clean;
    Calls calls;
    calls.exitCode = 3;
    std::vector<size_t> sizesAtClean;
    auto onClean = [&](const tw::CommandLineRequest& r) {
        sizesAtClean.push_back(clean.items().size());
        return calls.clean()(r);
    };
    EXPECT_TRUE(processor.Process({L"-NVIDIA", L"-ati", L"-nvidia", L"-preview", L"-QUIT"}, clean, onClean,
                                  calls.quit()));
    EXPECT_EQ(clean.items(), (Labels{L"NVIDIA - Display", L"ATi - Display"}));
    EXPECT_EQ(calls.log, (std::vector<std::string>{"preview", "quit 3"}));
    EXPECT_EQ(sizesAtClean, (std::vector<size_t>{2}));  // list filled before the click
}

TEST(TWUnitCommandLine, QuitAloneStillClicksCleanAndNoArgumentsDoNothing) {
    tw::CommandLineProcessor processor, idle;
    tw::MemoryTargetList clean;
    Calls calls;
    idle.Process({}, clean, calls.clean(), calls.quit());
    EXPECT_TRUE(calls.log.empty());
    processor.Process({L"-QUIT"}, clean, calls.clean(), calls.quit());
    EXPECT_EQ(clean.count(), 0);
    EXPECT_EQ(calls.log, (std::vector<std::string>{"clean", "quit 0"}));
}

TEST(TWUnitCommandLine, ActsOncePerProcessHoweverOftenTheWindowIsShown) {
    tw::CommandLineProcessor processor;
    tw::MemoryTargetList clean;
    Calls calls;
    EXPECT_TRUE(processor.Process({L"-ati"}, clean, calls.clean(), calls.quit()));
    // The user empties the list, minimizes to the tray and restores the window.
    tw::RemoveAll(clean);
    EXPECT_FALSE(processor.Process({L"-ati"}, clean, calls.clean(), calls.quit()));
    EXPECT_FALSE(processor.Process({L"-ati"}, clean, calls.clean(), calls.quit()));
    EXPECT_EQ(clean.count(), 0);
    EXPECT_EQ(calls.log, (std::vector<std::string>{"clean"}));
    EXPECT_TRUE(processor.processed());
}

// Unattended, a start that raises ends the program with code 2 and shows
// nothing; with someone at the window the error is passed on to be shown.
TEST(TWUnitCommandLine, ARunThatRaisesQuitsWithCodeTwoOrIsPassedOnAndIsNotRepeated) {
    for (bool withQuit : {true, false}) {
        tw::CommandLineProcessor processor;
        tw::MemoryTargetList clean;
        int quitCode = -1;
        std::vector<std::wstring> args = {L"-ati"};
        if (withQuit) args.push_back(L"-quit");
        auto raise = [](const tw::CommandLineRequest&) -> int { throw std::runtime_error("run failed"); };
        auto quit = [&](int code) { quitCode = code; };
        if (withQuit)
            EXPECT_NO_THROW(processor.Process(args, clean, raise, quit));
        else
            EXPECT_THROW(processor.Process(args, clean, raise, quit), std::runtime_error);
        EXPECT_EQ(quitCode, withQuit ? 2 : -1);
        EXPECT_FALSE(processor.Process(args, clean, [](const tw::CommandLineRequest&) -> int { ADD_FAILURE(); return 0; },
                                       [](int) { ADD_FAILURE(); }));
    }
}

}  // namespace
