#include "app/CleaningRun.h"

#include "log/LogUnit.h"
#include "platform/common.h"
#include "platform/platform.h"
#include "settings/VarUnit.h"
#include "targets/Target.h"

namespace tw {
namespace {

const TargetInfo* TargetOf(const std::wstring& label) { return FindTargetByLabel(label); }

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
        if (const TargetInfo* target = TargetOf(label))
            steps += GetWeight(*target, *target->filesSwitch, *target->registrySwitch);
    return steps;
}

void RunSelectedTargets(const std::vector<std::wstring>& labels) {
    RunLog().clear();
    for (const std::wstring& label : labels)
        if (const TargetInfo* target = TargetOf(label))
            Clean(*target, *target->filesSwitch, *target->registrySwitch);
}

void RebootSystem() {
    plat::Handle token = 0;
    std::uint64_t luid = 0;
    const bool opened = plat::openProcessToken(plat::kTokenAdjustPrivileges | plat::kTokenQuery, token) == plat::kOk;
    if (opened && plat::lookupPrivilegeValue(L"SeShutdownPrivilege", luid) == plat::kOk) {
        plat::Error ignored = plat::kOk;
        plat::adjustTokenPrivilege(token, luid, true, ignored);
    }
    if (opened) plat::closeHandle(token);
    plat::initiateSystemShutdown(true, true);
}

namespace {

bool anyNotDeleted(const std::vector<std::wstring>& lines) {
    for (const std::wstring& line : lines)
        if (line.rfind(L"Not deleted ", 0) == 0) return true;
    return false;
}

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

RunOutcome finishRun(CleaningView& view, const std::vector<std::wstring>& labels) {
    const MainMessageTexts& texts = MainMessages();
    view.setProgressMax(CountSelectedSteps(labels));
    view.setProgressPosition(0);
    RunSelectedTargets(labels);
    SortLog();
    if (LogFiles) SaveLog();
    const RunOutcome outcome = anyNotDeleted(RunLog().lines()) ? RunOutcome::NotDeleted : RunOutcome::Finished;

    // A run that produced no line never restarts the computer.
    if (RunLog().empty()) return outcome;
    if (RebootMode == 1) {
        if (plat::messageBox(texts.rebootMessage, texts.rebootMessageTitle,
                             plat::kMbOkCancel | plat::kMbIconQuestion) == plat::kIdOk)
            RebootSystem();
    } else if (RebootMode == 2) {
        RebootSystem();
    }
    return outcome;
}

}  // namespace

RunOutcome RunCleaning(CleaningView& view, bool unattended) {
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

    if (!unattended) return finishRun(view, labels);
    try {
        return finishRun(view, labels);
    } catch (...) {
        // Nobody is there to read an error box: the text is kept as the last
        // line of the saved log instead.
        const std::wstring error = caughtErrorText();
        SortLog();
        RunLog().append(error);
        try {
            SaveLog();
        } catch (...) {
        }
        return RunOutcome::Error;
    }
}

RunOutcome RunPreview(CleaningView& view, std::vector<PreviewGroup>& groups, bool saveLog, bool unattended) {
    const std::vector<std::wstring> labels = view.cleanLabels();
    if (labels.empty() || CleaningBusy) return RunOutcome::NotStarted;
    RunGuard guard;
    view.setProgressMax(CountSelectedSteps(labels));
    view.setProgressPosition(0);
    try {
        PreviewSelectedTargets(labels, groups);
    } catch (...) {
        if (!unattended) throw;
        std::vector<std::wstring> lines = PreviewLogLines(groups);
        lines.push_back(caughtErrorText());
        try {
            SavePreviewLog(lines);
        } catch (...) {
        }
        return RunOutcome::Error;
    }
    if (saveLog) SavePreviewLog(PreviewLogLines(groups));
    return RunOutcome::Finished;
}

}  // namespace tw
