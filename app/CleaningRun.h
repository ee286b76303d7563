// The cleaning run: what the Clean button, Ctrl+R and the command line start.
//
// After an optional confirmation it sizes the progress bar, runs every target
// of the clean list in list order, sorts and optionally saves the run log, and
// then, depending on the reboot setting, asks for or starts a restart, all
// through its host (app/RunHost.h). It runs synchronously; the application
// object (app/Application.h) keeps a second start out while one is going on.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/Preview.h"
#include "app/RunHost.h"
#include "app/TWUnit.h"
#include "engine/DeletionContext.h"
#include "settings/VarUnit.h"
#include "targets/FamilyTable.h"

namespace tw {

// What a run leaves for its report: each target's lines as it wrote them
// (sorted like the run log), whether Tidewell started the restart, and the
// text of the error that ended it.
struct RunRecord {
    std::vector<PreviewGroup> families;
    bool restartStarted = false;
    std::wstring error;
};

// The phases a run cleans of a family: its switches, with the driver phase
// on whatever they say when `drivers` turns it on for this run only (the
// stored switches stay as they are).
PhaseSwitches PhasesForRun(const Family& family, bool drivers);
// Sum of the weights of the targets in the list (unknown labels add nothing).
int CountSelectedSteps(const std::vector<std::wstring>& labels, bool drivers = false);
// The context of a run (Act) or a preview (Report) writing to `log`, with
// BackupEnabled and DeleteAtReboot as the settings have them; `progress` is
// told of each step.
DeletionContext SettingsContext(TRunLog& log, DeletionContext::Mode mode, std::function<void()> progress = {});
// Clears the run log and the item notes and cleans each target of the list,
// top to bottom, with the phases PhasesForRun gives; `families` (when given)
// receives each target's lines.
void RunSelectedTargets(const std::vector<std::wstring>& labels, std::vector<PreviewGroup>* families = nullptr,
                        std::function<void()> progress = {}, bool drivers = false);
// The Clean button's run (tool button, Ctrl+R, command line). It starts
// nothing for an empty list; with DisplayWarning it first asks the "Warning"
// question. An error raised by a target ends the run and is passed on to be
// shown. An unattended run shows no error: the error's text becomes the last
// line of the run log, which is then saved whatever LogFiles says, and the
// result is Error. With a record, the run also leaves there what its report
// needs. The safeguards are those of the settings and those of the request.
RunOutcome RunCleaning(const RunRequest& request, RunHost& host, RunRecord* record = nullptr);

// A preview of the request's families (Tools > Preview, "-PREVIEW"): `groups`
// receives what it found; with saveLog its lines are saved with
// SavePreviewLog, whatever LogFiles says. It asks no question and never
// restarts; the host is told of its progress. Returns NotStarted for an
// empty list, Finished otherwise; an error is passed on, or when unattended
// saved as the last line of the preview's log (with saveLog) and returned as
// Error. With a record, the groups and the error's text are also left there.
RunOutcome RunPreview(const RunRequest& request, RunHost& host, std::vector<PreviewGroup>& groups, bool saveLog,
                      RunRecord* record = nullptr);

}  // namespace tw
