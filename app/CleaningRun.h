// The cleaning run: what the Clean button, Ctrl+R and the command line start.
//
// After an optional confirmation it sizes the progress bar, runs every target
// of the clean list in list order, sorts and optionally saves the run log, and
// then, depending on the reboot setting, offers or performs a restart. It runs
// synchronously; CleaningBusy keeps a second start out while one is going on.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/Preview.h"
#include "app/TWUnit.h"
#include "engine/DeletionContext.h"

namespace tw {

// What a run leaves for its report: each target's lines as it wrote them
// (sorted like the run log), whether Tidewell started the restart, and the
// text of the error that ended it.
struct RunRecord {
    std::vector<PreviewGroup> families;
    bool restartStarted = false;
    std::wstring error;
};

// Sum of the weights of the targets in the list (unknown labels add nothing).
int CountSelectedSteps(const std::vector<std::wstring>& labels);
// The context of a run (Act) or a preview (Report) writing to `log`, with
// BackupEnabled and DeleteAtReboot as the settings have them; `progress` is
// told of each step.
DeletionContext SettingsContext(TRunLog& log, DeletionContext::Mode mode, std::function<void()> progress = {});
// Clears the run log and the item notes and cleans each target of the list,
// top to bottom; `families` (when given) receives each target's lines.
void RunSelectedTargets(const std::vector<std::wstring>& labels, std::vector<PreviewGroup>* families = nullptr,
                        std::function<void()> progress = {});
// Enables the shutdown privilege and asks the system to restart; true when
// the system took the request.
bool RebootSystem();

// A preview of the clean list (Tools > Preview, "-PREVIEW"): `groups`
// receives what it found; with saveLog its lines are saved with
// SavePreviewLog, whatever LogFiles says. It asks no question and never
// restarts. Returns NotStarted for an empty list or while a run is busy,
// Finished otherwise; an error is passed on, or when unattended saved as the
// last line of the preview's log (with saveLog) and returned as Error.
// With a record, the groups and the error's text are also left there. The
// safeguards are those of the settings and those `oneRun` turns on.
RunOutcome RunPreview(CleaningView& view, std::vector<PreviewGroup>& groups, bool saveLog, bool unattended,
                      RunRecord* record = nullptr, const RunSafeguards& oneRun = {});

}  // namespace tw
