#include "app/CommandLineRun.h"

#include <chrono>

#include "app/CleaningRun.h"
#include "app/RunReport.h"
#include "app/RunSafeguards.h"
#include "log/RunNotes.h"
#include "platform/common.h"
#include "platform/platform.h"
#include "settings/VarUnit.h"
#include "targets/Target.h"
#include "tw_version.h"

namespace tw {

std::vector<std::pair<std::string, int>> ReportedSettings(const RunSafeguards& oneRun) {
    std::vector<std::pair<std::string, int>> settings = {
        {"BackupEnabled", BackupEnabled}, {"DeleteAtReboot", DeleteAtReboot},
        {"LogFiles", LogFiles},           {"DisplayWarning", DisplayWarning},
        {"RebootMode", RebootMode},       {"RemoveNVIDIAFolder", RemoveNVIDIAFolder},
        {"RemoveATiFolder", RemoveATiFolder},
        {"BlockReinstall", SafeguardsInForce(oneRun).blockReinstall},
        {"RestorePoint", SafeguardsInForce(oneRun).restorePoint}};
    for (const Family& family : FamilyTable()) {
        const std::string section = toUtf8(family.section);
        settings.emplace_back(section + " Files", SwitchesOf(family).files);
        settings.emplace_back(section + " Registry", SwitchesOf(family).registry);
        settings.emplace_back(section + " Drivers", SwitchesOf(family).drivers);
    }
    return settings;
}

namespace {

// "-DRIVERS" turns every family's driver phase on for this run only: the
// settings keep their own switches, which the program stores when it ends.
class DriversForThisRun {
public:
    explicit DriversForThisRun(bool on) {
        if (!on) return;
        for (const Family& family : FamilyTable()) {
            saved_.push_back(SwitchesOf(family).drivers);
            SwitchesOf(family).drivers = true;
        }
    }
    ~DriversForThisRun() {
        for (std::size_t i = 0; i < saved_.size(); ++i) FamilySwitches(i).drivers = saved_[i];
    }
    DriversForThisRun(const DriversForThisRun&) = delete;
    DriversForThisRun& operator=(const DriversForThisRun&) = delete;

private:
    std::vector<bool> saved_;
};

}  // namespace

int RunFromCommandLine(CleaningView& view, const CommandLineRequest& request, std::vector<PreviewGroup>& groups) {
    const DriversForThisRun drivers(request.drivers);
    RunReport report;
    report.started = std::chrono::system_clock::now();
    RunRecord record;
    const RunOutcome outcome = request.preview ? RunPreview(view, groups, true, request.quit, &record, request.safeguards)
                                               : RunCleaning(view, request.quit, &record, request.safeguards);
    report.ended = std::chrono::system_clock::now();
    report.version = fromUtf8(TW_VERSION_TEXT);
    report.preview = request.preview;
    report.arguments = request.arguments;
    report.settings = ReportedSettings(request.safeguards);
    for (const FamilyProblem& problem : OwnFamilyProblems()) report.familyFilesNotLoaded.push_back(ProblemText(problem));
    report.families = ReportFamilies(record.families, FindItemNote);
    report.error = record.error;
    report.exitCode = ExitCodeOf(outcome);
    if (request.reportPath) {
        const std::string json = RunReportJson(report);
        const plat::Error err = plat::replaceFileBytes(*request.reportPath, {json.begin(), json.end()});
        if (err != plat::kOk) {
            report.exitCode = ExitCodeOf(RunOutcome::Error);
            report.error = L"Cannot create file \"" + *request.reportPath + L"\". " + plat::errorText(err);
            if (!request.quit) throw AppError(report.error);
        }
    }
    if (request.quit) plat::writeStandardOutput(SummaryLine(report) + L"\r\n");
    return report.exitCode;
}

}  // namespace tw
