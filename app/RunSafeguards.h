// The two safeguards a cleaning run can take besides its families, both off
// by default: a restore point before it, and after it a block on installing
// drivers for the devices it removed (engine/DeviceInstallBlock.h). Each is
// on by its setting (RestorePointEnabled, BlockReinstallEnabled) or, for one
// run, by its command-line switch ("-RESTOREPOINT", "-BLOCKUPDATE").
//
// Their lines go into the run log (a preview's own log in a preview) and into groups of their own beside the
// families' ("Restore point" first, "Windows Update" last), so the preview
// shows them, the report lists them and the exit code counts them: a
// "Not created restore point" or "Not blocked device installation" line
// counts as a "Not deleted" line does (exit code 1 when nothing worse
// happened), since the run lacks a safeguard that was asked for.
//
// The restore point, of the type "application uninstall":
//   "Created restore point (57: Before cleaning with Tidewell)"
//   "Not created restore point (reason)"
//   "Would create restore point (Before cleaning with Tidewell)"  a preview
// Windows makes no new point when one was made within the minutes its value
// SystemRestorePointCreationFrequency gives (24 hours when absent), and
// still answers success with the number of the earlier point. So for the call
// that value is set to 0 where it says otherwise (when the key is there), and
// put back right after as it was, value or absence. A point counts as made
// only when its number is higher than the highest one the system listed
// before the call; where that list cannot be had, only when the frequency 0
// was in force for the call. When no point is made, a person running the
// program is asked, through the run's host, whether to clean without one;
// an unattended run ("-QUIT") goes on without asking.
//
// The block lists the most specific hardware id of each device whose line
// reads "Deleted device (...)" ("Would delete" in a preview), as noted
// beside it (log/RunNotes.h). Its records go into an item "DeviceInstallBlock"
// of a backup set named by a time stamp like a family's, whether backups are
// on or not: restoring that set lifts the block.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/Preview.h"
#include "app/RunHost.h"
#include "app/TWUnit.h"
#include "engine/DeletionContext.h"
#include "platform/platform.h"

namespace tw {

inline constexpr const wchar_t* kRestorePointGroup = L"Restore point";
inline constexpr const wchar_t* kBlockGroup = L"Windows Update";

// Those of the settings and those `oneRun` turns on.
RunSafeguards SafeguardsInForce(const RunSafeguards& oneRun);

// What one call for a restore point gave.
struct RestorePointCall {
    plat::Error error = plat::kOk;          // of plat::createRestorePoint
    std::int64_t sequence = 0;              // the number it answered with
    std::optional<std::int64_t> previous;   // the highest number before it; none: unknown
    bool frequencyZero = false;             // the frequency 0 was in force for the call
};
// Its line: "Created restore point (...)" only for a point known to be new.
std::wstring RestorePointLine(const RestorePointCall& call);
// Asks the system for a point, the frequency value set for the call and put back.
RestorePointCall MakeRestorePoint();

// The safeguards around one run or preview of the families.
class SafeguardedRun {
public:
    // Its lines go to `log`; a preview (Mode::Report) only names what it would do.
    SafeguardedRun(const RunSafeguards& guards, TRunLog& log, DeletionContext::Mode mode)
        : guards_(guards), log_(log), mode_(mode) {}
    // Before the families: the restore point (a preview only names it).
    // False when no point was made and the host's person chose not to clean
    // without one; without a host (unattended) nobody is asked. Its group is
    // then in groups().
    bool Begin(RunHost* ask);
    // After the families, whose run cleared the run log: the restore point's
    // line into the log and its group before theirs; then the block for
    // the devices their groups name as removed, its lines into the log
    // and its group after theirs.
    void End(std::vector<PreviewGroup>& families);
    const std::vector<PreviewGroup>& groups() const { return before_; }

private:
    RunSafeguards guards_;
    TRunLog& log_;
    DeletionContext::Mode mode_;
    std::vector<PreviewGroup> before_;
};

}  // namespace tw
