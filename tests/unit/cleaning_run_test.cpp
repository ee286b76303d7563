// The cleaning run on the fake machine: the confirmation, the busy guard, the
// progress bar, an error that ends the run, the saved log and the restart.
#include <gtest/gtest.h>

#include "app/CleaningRun.h"
#include "engine_fixture.h"
#include "platform/common.h"
#include "targets/Target.h"

namespace {

using enginetest::kLM;
using Lines = std::vector<std::string>;

class FakeView : public tw::CleaningView {
public:
    std::vector<std::wstring> labels;
    int maximum = -1;
    int position = -1;
    int stepsTaken = 0;
    std::function<void()> onStep;
    std::vector<std::wstring> cleanLabels() const override { return labels; }
    void setProgressMax(int m) override { maximum = m; }
    void setProgressPosition(int p) override { position = p; }
    void stepProgress() override {
        ++stepsTaken;
        ++position;
        if (onStep) onStep();
    }
};

class CleaningRunTest : public enginetest::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        for (const tw::TargetInfo& t : tw::TargetTable()) *t.filesSwitch = *t.registrySwitch = true;
        tw::DisplayWarning = true;
        tw::LogFiles = true;
        tw::RebootMode = 0;
        tw::CleaningBusy = false;
        auto& m = tw::MainMessages();
        m = {"Are you sure you want to continue?", "Warning", "Do you want to reboot?", "Reboot"};
        fake::setDate(L"12/5/2026");
        fake::setTime(L"6:01:23 AM");
        // The main window hooks its progress bar to the deletion routines.
        tw::SetProgressHook([this] { view.stepProgress(); });
    }
    static std::vector<std::string> logFiles() { return fake::list("C:\\Tools\\Tidewell\\Logs\\"); }
    static Lines savedLines(const std::string& name) {
        Lines out;
        for (const auto& line : tw::ReadLogFile("C:\\Tools\\Tidewell\\Logs\\" + name))
            out.push_back(plat::wideToAnsi(line));
        return out;
    }
    FakeView view;
};

TEST_F(CleaningRunTest, AnEmptyListDoesNothingAtAll) {
    tw::RunLog().append(L"earlier line");
    EXPECT_EQ(tw::RunCleaning(view), tw::RunOutcome::NotStarted);
    std::vector<tw::PreviewGroup> groups;
    EXPECT_EQ(tw::RunPreview(view, groups, true, true), tw::RunOutcome::NotStarted);
    EXPECT_TRUE(logFiles().empty());
    EXPECT_TRUE(fake::messageBoxes().empty());
    EXPECT_EQ(tw::RunLog().count(), 1u);
    EXPECT_EQ(view.maximum, -1);
}

TEST_F(CleaningRunTest, CancelInTheConfirmationChangesNothing) {
    fake::addFile("C:\\WINDOWS\\System32\\nvapi.dll");
    tw::RunLog().append(L"earlier line");
    view.labels = {L"NVIDIA - Display"};
    fake::queueMessageBoxAnswer(plat::kIdCancel);
    EXPECT_EQ(tw::RunCleaning(view), tw::RunOutcome::Cancelled);
    ASSERT_EQ(fake::messageBoxes().size(), 1u);
    EXPECT_EQ(fake::messageBoxes()[0].text, L"Are you sure you want to continue?");
    EXPECT_EQ(fake::messageBoxes()[0].caption, L"Warning");
    EXPECT_EQ(fake::messageBoxes()[0].flags, 49u);
    EXPECT_TRUE(fake::exists("C:\\WINDOWS\\System32\\nvapi.dll"));
    EXPECT_EQ(tw::RunLog().count(), 1u);
    EXPECT_EQ(view.maximum, -1);
    EXPECT_FALSE(tw::CleaningBusy);
}

TEST_F(CleaningRunTest, ARunSizesTheBarSortsAndSavesTheLog) {
    fake::addFile("C:\\WINDOWS\\System32\\nvapi.dll");
    fake::addFile("C:\\WINDOWS\\System32\\atiogl.dll");
    fake::addFile("C:\\WINDOWS\\System32\\atipd.dll");
    fake::setFault("C:\\WINDOWS\\System32\\atipd.dll", fake::Fault::Locked);
    view.labels = {L"NVIDIA - Display", L"ATi - Display", L"Unknown", L"NVIDIA - Display"};
    bool busyDuringRun = false;
    view.onStep = [&] { busyDuringRun = tw::CleaningBusy; };
    EXPECT_EQ(tw::RunCleaning(view), tw::RunOutcome::NotDeleted);
    EXPECT_EQ(view.maximum, 70 + 85 + 70);  // the same target twice is weighted twice
    EXPECT_EQ(view.stepsTaken, 120 + 105 + 120);
    EXPECT_TRUE(busyDuringRun);
    EXPECT_FALSE(tw::CleaningBusy);
    EXPECT_EQ(logLines(), (Lines{"Deleted file (C:\\WINDOWS\\System32\\atiogl.dll)",
                                 "Deleted file (C:\\WINDOWS\\System32\\nvapi.dll)",
                                 "Not deleted file (C:\\WINDOWS\\System32\\atipd.dll)"}));
    ASSERT_EQ(logFiles(), Lines{"12-5-2026-6-01-23 AM.txt"});
    EXPECT_EQ(fake::messageBoxes().size(), 1u);  // the confirmation only: RebootMode 0
    EXPECT_EQ(fake::shutdownRequests(), 0);
}

TEST_F(CleaningRunTest, EverySwitchOffClearsTheLogAndWritesNothing) {
    for (const tw::TargetInfo& t : tw::TargetTable()) *t.filesSwitch = *t.registrySwitch = false;
    tw::RunLog().append(L"earlier line");
    tw::RebootMode = 2;
    tw::DisplayWarning = false;
    view.labels = {L"AGEIA - PhysX"};
    tw::RunCleaning(view);
    EXPECT_EQ(view.maximum, 0);
    EXPECT_TRUE(tw::RunLog().empty());
    EXPECT_TRUE(logFiles().empty());
    EXPECT_EQ(fake::shutdownRequests(), 0);
}

TEST_F(CleaningRunTest, ASecondStartWhileBusyIsIgnored) {
    view.labels = {L"AGEIA - PhysX"};
    tw::CleaningBusy = true;
    tw::RunCleaning(view);
    EXPECT_TRUE(fake::messageBoxes().empty());
    EXPECT_TRUE(tw::CleaningBusy);
}

TEST_F(CleaningRunTest, AnErrorEndsTheRunKeepingItsLines) {
    tw::DisplayWarning = false;
    tw::RebootMode = 2;
    fake::addFile("C:\\WINDOWS\\System32\\atiogl.dll");
    fake::addFile("C:\\WINDOWS\\System32\\PhysX.dll");
    fake::setDword(kLM, "Software\\ATi Technologies\\Install", "InstallDir", 1);
    view.labels = {L"ATi - Display", L"AGEIA - PhysX"};
    EXPECT_THROW(tw::RunCleaning(view), tw::AppError);
    EXPECT_FALSE(tw::CleaningBusy);
    EXPECT_EQ(logLines(), Lines{"Deleted file (C:\\WINDOWS\\System32\\atiogl.dll)"});
    EXPECT_TRUE(fake::exists("C:\\WINDOWS\\System32\\PhysX.dll"));  // later targets do not run
    EXPECT_TRUE(logFiles().empty());
    EXPECT_EQ(fake::shutdownRequests(), 0);
}

// A preview asks nothing, never restarts, leaves the run log alone and saves
// its sorted lines to a file named as a preview, also with LogFiles off; an
// unattended error is kept as the file's last line.
TEST_F(CleaningRunTest, APreviewSavesItsLinesAndAsksNothing) {
    tw::LogFiles = false;
    tw::RebootMode = 2;
    fake::addFile("C:\\WINDOWS\\System32\\PhysX.dll");
    fake::addFile("C:\\WINDOWS\\System32\\atiogl.dll");
    tw::RunLog().append(L"earlier line");
    view.labels = {L"AGEIA - PhysX", L"ATi - Display"};
    std::vector<tw::PreviewGroup> groups;
    EXPECT_EQ(tw::RunPreview(view, groups, true, true), tw::RunOutcome::Finished);
    EXPECT_EQ(logLines(), Lines{"earlier line"});
    EXPECT_TRUE(fake::messageBoxes().empty());
    EXPECT_EQ(fake::shutdownRequests(), 0);
    const std::string name = "Preview 12-5-2026-6-01-23 AM.txt";
    ASSERT_EQ(logFiles(), Lines{name});
    Lines lines = {"Would delete file (C:\\WINDOWS\\System32\\atiogl.dll)",
                   "Would delete file (C:\\WINDOWS\\System32\\PhysX.dll)"};
    EXPECT_EQ(savedLines(name), lines);

    fake::setDword(kLM, "Software\\ATi Technologies\\Install", "InstallDir", 1);
    groups.clear();
    EXPECT_EQ(tw::RunPreview(view, groups, true, true), tw::RunOutcome::Error);
    lines.push_back("Invalid data type for 'InstallDir'");
    EXPECT_EQ(savedLines(name), lines);
    EXPECT_FALSE(tw::CleaningBusy);
}

TEST_F(CleaningRunTest, RebootModesDecideTheRestart) {
    struct Case {
        int mode;
        int answer;
        int boxes;
        int shutdowns;
    };
    for (Case c : {Case{0, plat::kIdOk, 0, 0}, Case{1, plat::kIdOk, 1, 1}, Case{1, plat::kIdCancel, 1, 0},
                   Case{2, plat::kIdOk, 0, 1}, Case{7, plat::kIdOk, 0, 0}}) {
        SCOPED_TRACE(c.mode);
        fake::reset();
        fake::addFile("C:\\WINDOWS\\System32\\PhysX.dll");
        fake::setFault("C:\\WINDOWS\\System32\\PhysX.dll", fake::Fault::Locked);  // "Not deleted" counts too
        tw::DisplayWarning = false;
        tw::RebootMode = c.mode;
        fake::queueMessageBoxAnswer(c.answer);
        view.labels = {L"AGEIA - PhysX"};
        tw::RunCleaning(view);
        ASSERT_EQ(static_cast<int>(fake::messageBoxes().size()), c.boxes);
        if (c.boxes) {
            EXPECT_EQ(fake::messageBoxes()[0].text, L"Do you want to reboot?");
            EXPECT_EQ(fake::messageBoxes()[0].flags, 33u);
        }
        EXPECT_EQ(fake::shutdownRequests(), c.shutdowns);
        if (c.shutdowns) {
            EXPECT_TRUE(fake::privilegeEnabled("SeShutdownPrivilege"));
        }
    }
}

TEST_F(CleaningRunTest, ARunThatLoggedNothingNeverRestarts) {
    tw::DisplayWarning = false;
    tw::RebootMode = 2;
    view.labels = {L"Microsoft - Mouse"};
    EXPECT_EQ(tw::RunCleaning(view), tw::RunOutcome::Finished);
    EXPECT_TRUE(tw::RunLog().empty());
    EXPECT_EQ(fake::shutdownRequests(), 0);
}

}  // namespace
