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

std::vector<std::pair<std::string, int>> ReportedSettings(const RunSafeguards& oneRun, bool drivers) {
    std::vector<std::pair<std::string, int>> settings = {
        {"BackupEnabled", BackupEnabled}, {"DeleteAtReboot", DeleteAtReboot},
        {"LogFiles", LogFiles},           {"DisplayWarning", DisplayWarning},
        {"RebootMode", RebootMode},       {"RemoveNVIDIAFolder", RemoveNVIDIAFolder},
        {"RemoveATiFolder", RemoveATiFolder},
        {"BlockReinstall", SafeguardsInForce(oneRun).blockReinstall},
        {"RestorePoint", SafeguardsInForce(oneRun).restorePoint}};
    for (const Family& family : FamilyTable()) {
        const std::string section = toUtf8(family.section);
        const PhaseSwitches on = PhasesForRun(family, drivers);
        settings.emplace_back(section + " Files", on.files);
        settings.emplace_back(section + " Registry", on.registry);
        settings.emplace_back(section + " Drivers", on.drivers);
    }
    return settings;
}

int RunFromCommandLine(const CommandLineRequest& request, std::vector<std::wstring> families, const RunTexts& texts,
                       RunHost& host, std::vector<PreviewGroup>& groups) {
    const RunRequest run{std::move(families), request.safeguards, request.drivers, request.quit, texts};
    RunReport report;
    report.started = std::chrono::system_clock::now();
    RunRecord record;
    const RunOutcome outcome =
        request.preview ? RunPreview(run, host, groups, true, &record) : RunCleaning(run, host, &record);
    report.ended = std::chrono::system_clock::now();
    report.version = fromUtf8(TW_VERSION_TEXT);
    report.preview = request.preview;
    report.arguments = request.arguments;
    report.settings = ReportedSettings(request.safeguards, request.drivers);
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
