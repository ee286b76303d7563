#include "app/CleaningRun.h"

#include "log/LogUnit.h"
#include "platform/platform.h"
#include "settings/VarUnit.h"
#include "targets/Target.h"

namespace tw {
namespace {

const TargetInfo* TargetOf(const std::wstring& label) { return FindTargetByLabel(plat::wideToAnsi(label)); }

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
    if (opened && plat::lookupPrivilegeValue("SeShutdownPrivilege", luid) == plat::kOk) {
        plat::Error ignored = plat::kOk;
        plat::adjustTokenPrivilege(token, luid, true, ignored);
    }
    if (opened) plat::closeHandle(token);
    plat::initiateSystemShutdown(true, true);
}

void RunCleaning(CleaningView& view) {
    if (view.cleanLabels().empty() || CleaningBusy) return;
    RunGuard guard;  // an error raised by a target ends the run here, busy flag cleared

    const MainMessageTexts& texts = MainMessages();
    if (DisplayWarning &&
        plat::messageBoxA(texts.warningMessage, texts.warningMessageTitle,
                          plat::kMbOkCancel | plat::kMbIconExclamation) != plat::kIdOk)
        return;

    // The question has no owner, so the lists still take input while it is
    // open: the run cleans the list as it stands after the answer.
    const std::vector<std::wstring> labels = view.cleanLabels();
    if (labels.empty()) return;
    view.setProgressMax(CountSelectedSteps(labels));
    view.setProgressPosition(0);
    RunSelectedTargets(labels);
    SortLog();
    if (LogFiles) SaveLog();

    // A run that produced no line never restarts the computer.
    if (RunLog().empty()) return;
    if (RebootMode == 1) {
        if (plat::messageBoxA(texts.rebootMessage, texts.rebootMessageTitle,
                              plat::kMbOkCancel | plat::kMbIconQuestion) == plat::kIdOk)
            RebootSystem();
    } else if (RebootMode == 2) {
        RebootSystem();
    }
}

}  // namespace tw
