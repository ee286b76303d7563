// The report a command-line run writes with "-REPORT=<file>": JSON (UTF-8)
// for deployment tools, and the one summary line a "-QUIT" run prints.
//
// Its items come from the run's own log lines, one item per line, grouped by
// the target that wrote them, with what the run noted beside each line (see
// log/RunNotes.h): an item queued for deletion at the restart keeps its line
// "Not deleted file (...)" and is reported as "deleted at restart". Building
// the text makes no system call.
//
// Format (every key always present; "reason" and "backup" only when known):
//   { "program": "Tidewell", "version": "1.0.0",
//     "started": "2026-12-07T08:58:01Z", "ended": "...Z",
//     "preview": false, "arguments": ["-nvidia", "-quit", ...],
//     "settings": { "BackupEnabled": true, ... },
//     "families": [ { "family": "NVIDIA - Display",
//                     "items": [ { "kind": "file", "path": "C:\\...",
//                                  "outcome": "deleted", "backup": "C:\\...",
//                                  "line": "Deleted file (C:\\...)" } ] } ],
//     "counts": { "file": { "deleted": 1 }, ... }, "totals": { "deleted": 1, ... },
//     "error": "", "exitCode": 0 }
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/Preview.h"
#include "app/TWUnit.h"
#include "log/RunNotes.h"

namespace tw {

// The outcomes an item can have, as the report spells them.
inline constexpr const wchar_t* kOutcomes[] = {L"deleted", L"deleted at restart", L"would delete",
                                               L"not deleted", L"refused"};

struct ReportItem {
    std::wstring kind;     // "file", "folder", "registry", ...; empty for a line that names no item
    std::wstring path;
    std::wstring outcome;  // one of kOutcomes
    std::wstring reason;   // why it was refused, when known
    std::wstring backup;   // where its backup copy went, when known
    std::wstring line;     // the log line it was read from
};
// "<Deleted|Would delete|Not deleted> <kind> (<path>)", with the item's note.
ReportItem ReportItemOf(const std::wstring& line, const ItemNote* note);

struct ReportFamily {
    std::wstring label;
    std::vector<ReportItem> items;
};
using NoteLookup = std::function<const ItemNote*(const std::wstring& path)>;
std::vector<ReportFamily> ReportFamilies(const std::vector<PreviewGroup>& groups, const NoteLookup& notes);

// How the items of a run end it: NotDeleted when one is neither deleted nor
// queued for the restart, else RestartNeeded when one is queued, else Finished.
RunOutcome OutcomeOfItems(const std::vector<ReportFamily>& families);

struct RunReport {
    std::wstring version;
    std::chrono::system_clock::time_point started, ended;
    bool preview = false;
    std::vector<std::wstring> arguments;
    std::vector<std::pair<std::string, int>> settings;  // name, value (a switch as 0 or 1)
    std::vector<ReportFamily> families;
    std::vector<std::wstring> familyFilesNotLoaded;  // "file, line n: reason" of each family file left out
    std::wstring error;  // the text of the error that ended the run
    int exitCode = 0;
};

// "2026-12-07T08:58:01Z".
std::string IsoUtc(std::chrono::system_clock::time_point time);
// The report's text: UTF-8 JSON, ending with a line break.
std::string RunReportJson(const RunReport& report);
// "Tidewell: deleted 3, deleted at restart 1, would delete 0, not deleted 0,
// refused 0, exit code 3010", followed by ": " and the error's text when
// there is one: the last line a "-QUIT" run prints, under 2,048 characters.
std::wstring SummaryLine(const RunReport& report);

}  // namespace tw
