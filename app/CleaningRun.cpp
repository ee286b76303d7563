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

PhaseSwitches PhasesForRun(const Family& family, bool drivers) {
    PhaseSwitches on = SwitchesOf(family);
    on.drivers = on.drivers || drivers;
    return on;
}

int CountSelectedSteps(const std::vector<std::wstring>& labels, bool drivers) {
    int steps = 0;
    for (const std::wstring& label : labels)
        if (const Family* family = FindFamilyByLabel(label)) {
            const PhaseSwitches on = PhasesForRun(*family, drivers);
            steps += GetWeight(*family, on.files, on.registry, on.drivers);
        }
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
                        std::function<void()> progress, bool drivers) {
    RunLog().clear();
    ClearItemNotes();
    for (const FamilyProblem& problem : TakeUntoldFamilyProblems())
        RunLog().append(L"Family file not loaded (" + ProblemText(problem) + L")");
    DeletionContext context = SettingsContext(RunLog(), DeletionContext::Mode::Act, std::move(progress));
    for (const std::wstring& label : labels) {
        if (const Family* family = FindFamilyByLabel(label)) {
            FamilyLines lines(families, label);
            const PhaseSwitches on = PhasesForRun(*family, drivers);
            Clean(context, *family, on.files, on.registry, on.drivers);
        }
    }
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

RunOutcome finishRun(const RunRequest& request, RunHost& host, const std::vector<std::wstring>& labels,
                     RunRecord& record) {
    const RunTexts& texts = request.texts;
    host.setProgressMax(CountSelectedSteps(labels, request.drivers));
    host.setProgressPosition(0);
    SafeguardedRun safeguards(SafeguardsInForce(request.safeguards), RunLog(), DeletionContext::Mode::Act);
    if (!safeguards.Begin(request.unattended ? nullptr : &host)) {
        record.families = safeguards.groups();
        return RunOutcome::Cancelled;
    }
    RunSelectedTargets(labels, &record.families, [&host] { host.stepProgress(); }, request.drivers);
    safeguards.End(record.families);
    SortLog();
    if (LogFiles) SaveLog();
    const RunOutcome outcome = OutcomeOfItems(ReportFamilies(record.families, FindItemNote));

    // A run that produced no line never restarts the computer.
    if (RunLog().empty()) return outcome;
    if (RebootMode == 1) {
        if (host.askRestart({texts.rebootMessage, texts.rebootMessageTitle})) record.restartStarted = host.restart();
    } else if (RebootMode == 2) {
        record.restartStarted = host.restart();
    }
    // A restart Tidewell started is told to the deployment tool whether or not
    // anything waits for it: the machine goes down right after this exit.
    const bool succeeded = outcome == RunOutcome::RestartNeeded || outcome == RunOutcome::Finished;
    return succeeded && record.restartStarted ? RunOutcome::Restarting : outcome;
}

}  // namespace

RunOutcome RunCleaning(const RunRequest& request, RunHost& host, RunRecord* record) {
    RunRecord unused;
    RunRecord& kept = record ? *record : unused;
    if (request.families.empty()) return RunOutcome::NotStarted;

    const RunTexts& texts = request.texts;
    if (DisplayWarning && !host.confirm({texts.warningMessage, texts.warningMessageTitle, true}))
        return RunOutcome::Cancelled;
    const std::vector<std::wstring> labels = host.familiesAfterQuestion(request);
    if (labels.empty()) return RunOutcome::NotStarted;

    if (!request.unattended) return finishRun(request, host, labels, kept);
    try {
        return finishRun(request, host, labels, kept);
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

RunOutcome RunPreview(const RunRequest& request, RunHost& host, std::vector<PreviewGroup>& groups, bool saveLog,
                      RunRecord* record) {
    const std::vector<std::wstring>& labels = request.families;
    if (labels.empty()) return RunOutcome::NotStarted;
    host.setProgressMax(CountSelectedSteps(labels, request.drivers));
    host.setProgressPosition(0);
    try {
        const RunSafeguards guards = SafeguardsInForce(request.safeguards);
        PreviewSelectedTargets(labels, groups, [&host] { host.stepProgress(); }, {}, &guards, request.drivers);
    } catch (...) {
        if (!request.unattended) throw;
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
