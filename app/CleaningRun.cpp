#include "app/CleaningRun.h"

#include "app/RunReport.h"
#include "app/RunSafeguards.h"
#include "log/LogUnit.h"
#include "log/RunNotes.h"
#include "platform/common.h"
#include "platform/platform.h"
#include "settings/VarUnit.h"
#include "targets/Target.h"

namespace tw {
namespace {

// Clears the busy flag however the run ends.
class RunGuard {
public:
    RunGuard() { CleaningBusy = true; }
    ~RunGuard() { CleaningBusy = false; }
    RunGuard(const RunGuard&) = delete;
    RunGuard& operator=(const RunGuard&) = delete;
};

}  // namespace

int CountSelectedSteps(const std::vector<std::wstring>& labels) {
    int steps = 0;
    for (const std::wstring& label : labels)
        if (const Family* family = FindFamilyByLabel(label))
            steps += GetWeight(*family, SwitchesOf(*family).files, SwitchesOf(*family).registry,
                      SwitchesOf(*family).drivers);
    return steps;
}

namespace {

// Hands a target's lines to its group however the target ends.
class FamilyLines {
public:
    FamilyLines(std::vector<PreviewGroup>* families, const std::wstring& label)
        : families_(families), label_(label), first_(RunLog().count()) {}
    ~FamilyLines() {
        if (!families_) return;
        const auto& lines = RunLog().lines();
        families_->push_back({label_, {lines.begin() + static_cast<std::ptrdiff_t>(first_), lines.end()}});
        SortLines(families_->back().lines);
    }
    FamilyLines(const FamilyLines&) = delete;
    FamilyLines& operator=(const FamilyLines&) = delete;

private:
    std::vector<PreviewGroup>* families_;
    std::wstring label_;
    std::size_t first_;
};

}  // namespace

DeletionContext SettingsContext(TRunLog& log, DeletionContext::Mode mode, std::function<void()> progress) {
    DeletionContext context(log, mode);
    context.BackupEnabled = BackupEnabled;
    context.DeleteAtReboot = DeleteAtReboot;
    context.progress = std::move(progress);
    return context;
}

void RunSelectedTargets(const std::vector<std::wstring>& labels, std::vector<PreviewGroup>* families,
                        std::function<void()> progress) {
    RunLog().clear();
    ClearItemNotes();
    for (const FamilyProblem& problem : TakeUntoldFamilyProblems())
        RunLog().append(L"Family file not loaded (" + ProblemText(problem) + L")");
    DeletionContext context = SettingsContext(RunLog(), DeletionContext::Mode::Act, std::move(progress));
    for (const std::wstring& label : labels) {
        if (const Family* family = FindFamilyByLabel(label)) {
            FamilyLines lines(families, label);
            const PhaseSwitches& on = SwitchesOf(*family);
            Clean(context, *family, on.files, on.registry, on.drivers);
        }
    }
}

bool RebootSystem() {
    plat::Handle token = 0;
    std::uint64_t luid = 0;
    const bool opened = plat::openProcessToken(plat::kTokenAdjustPrivileges | plat::kTokenQuery, token) == plat::kOk;
    if (opened && plat::lookupPrivilegeValue(L"SeShutdownPrivilege", luid) == plat::kOk) {
        plat::Error ignored = plat::kOk;
        plat::adjustTokenPrivilege(token, luid, true, ignored);
    }
    if (opened) plat::closeHandle(token);
    return plat::initiateSystemShutdown(true, true);
}

namespace {

// The text of the error being handled.
std::wstring caughtErrorText() {
    try {
        throw;
    } catch (const AppError& error) {
        return error.message();
    } catch (const std::exception& error) {
        return plat::decodeAnsi(error.what());
    } catch (...) {
        return L"An unexpected error occurred.";
    }
}

RunOutcome finishRun(CleaningView& view, const std::vector<std::wstring>& labels, RunRecord& record,
                     const RunSafeguards& guards, bool unattended) {
    const MainMessageTexts& texts = MainMessages();
    view.setProgressMax(CountSelectedSteps(labels));
    view.setProgressPosition(0);
    SafeguardedRun safeguards(guards, RunLog(), DeletionContext::Mode::Act);
    if (!safeguards.Begin(unattended)) {
        record.families = safeguards.groups();
        return RunOutcome::Cancelled;
    }
    RunSelectedTargets(labels, &record.families, [&view] { view.stepProgress(); });
    safeguards.End(record.families);
    SortLog();
    if (LogFiles) SaveLog();
    const RunOutcome outcome = OutcomeOfItems(ReportFamilies(record.families, FindItemNote));

    // A run that produced no line never restarts the computer.
    if (RunLog().empty()) return outcome;
    if (RebootMode == 1) {
        if (plat::messageBox(texts.rebootMessage, texts.rebootMessageTitle,
                             plat::kMbOkCancel | plat::kMbIconQuestion) == plat::kIdOk)
            record.restartStarted = RebootSystem();
    } else if (RebootMode == 2) {
        record.restartStarted = RebootSystem();
    }
    // A restart Tidewell started is told to the deployment tool whether or not
    // anything waits for it: the machine goes down right after this exit.
    const bool succeeded = outcome == RunOutcome::RestartNeeded || outcome == RunOutcome::Finished;
    return succeeded && record.restartStarted ? RunOutcome::Restarting : outcome;
}

}  // namespace

RunOutcome RunCleaning(CleaningView& view, bool unattended, RunRecord* record, const RunSafeguards& oneRun) {
    RunRecord unused;
    RunRecord& kept = record ? *record : unused;
    if (view.cleanLabels().empty() || CleaningBusy) return RunOutcome::NotStarted;
    RunGuard guard;  // an error raised by a target ends the run here, busy flag cleared

    const MainMessageTexts& texts = MainMessages();
    if (DisplayWarning &&
        plat::messageBox(texts.warningMessage, texts.warningMessageTitle,
                         plat::kMbOkCancel | plat::kMbIconExclamation) != plat::kIdOk)
        return RunOutcome::Cancelled;

    // The question has no owner, so the lists still take input while it is
    // open: the run cleans the list as it stands after the answer.
    const std::vector<std::wstring> labels = view.cleanLabels();
    if (labels.empty()) return RunOutcome::NotStarted;

    const RunSafeguards guards = SafeguardsInForce(oneRun);
    if (!unattended) return finishRun(view, labels, kept, guards, false);
    try {
        return finishRun(view, labels, kept, guards, true);
    } catch (...) {
        // Nobody is there to read an error box: the text is kept as the last
        // line of the saved log instead.
        const std::wstring error = caughtErrorText();
        kept.error = error;
        SortLog();
        RunLog().append(error);
        try {
            SaveLog();
        } catch (...) {
        }
        return RunOutcome::Error;
    }
}

RunOutcome RunPreview(CleaningView& view, std::vector<PreviewGroup>& groups, bool saveLog, bool unattended,
                      RunRecord* record, const RunSafeguards& oneRun) {
    const std::vector<std::wstring> labels = view.cleanLabels();
    if (labels.empty() || CleaningBusy) return RunOutcome::NotStarted;
    RunGuard guard;
    view.setProgressMax(CountSelectedSteps(labels));
    view.setProgressPosition(0);
    try {
        const RunSafeguards guards = SafeguardsInForce(oneRun);
        PreviewSelectedTargets(labels, groups, [&view] { view.stepProgress(); }, {}, &guards);
    } catch (...) {
        if (!unattended) throw;
        std::vector<std::wstring> lines = PreviewLogLines(groups);
        lines.push_back(caughtErrorText());
        if (record) *record = RunRecord{groups, false, lines.back()};
        try {
            SavePreviewLog(lines);
        } catch (...) {
        }
        return RunOutcome::Error;
    }
    if (saveLog) SavePreviewLog(PreviewLogLines(groups));
    if (record) record->families = groups;
    return RunOutcome::Finished;
}

}  // namespace tw
