// The preview: what a cleaning run of the clean list would delete, found by
// running the same targets with the deletion routines only reporting (see
// engine/DeletionContext.h). Tools > Preview shows it in the Preview window;
// the command-line switch "-PREVIEW" saves it as a log file.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tw {

// The lines of one entry of the clean list.
struct PreviewGroup {
    std::wstring label;
    std::vector<std::wstring> lines;  // sorted like the run log
};

// Previews each entry of the list that names a target, top to bottom, with
// its two switches from the settings; an unknown label is skipped. `groups`
// receives one group per target as it runs, so that the lines found before an
// error (which is passed on) are kept. The run log is left as it was.
// `progress` is told of each step, `trace` of each call of a deletion routine
// (see DeletionContext). The safeguards (app/RunSafeguards.h) add their groups
// before and after. `drivers` turns every family's driver phase on (see
// PhasesForRun in app/CleaningRun.h).
struct RunSafeguards;
void PreviewSelectedTargets(const std::vector<std::wstring>& labels, std::vector<PreviewGroup>& groups,
                            std::function<void()> progress = {},
                            std::function<void(const std::wstring&)> trace = {},
                            const RunSafeguards* guards = nullptr, bool drivers = false);

// Every line of the groups in one list, sorted like the run log: the lines
// of the saved preview.
std::vector<std::wstring> PreviewLogLines(const std::vector<PreviewGroup>& groups);

// The number of lines of each kind.
struct PreviewCounts {
    int files = 0;       // "Would delete file (..."
    int folders = 0;     // "Would delete folder (..."
    int registry = 0;    // "Would delete registry (..."
    int drivers = 0;     // "Would delete driver package (..." and "Would delete device (..."
    int notDeleted = 0;  // "Not deleted ..."
    bool operator==(const PreviewCounts&) const = default;
};
PreviewCounts CountPreviewLines(const std::vector<std::wstring>& lines);

// The texts of the Preview window, from the language file.
struct PreviewTexts {
    std::wstring title = L"Preview";
    std::wstring clean = L"Clean";
    std::wstring save = L"Save...";
    std::wstring close = L"Close";
    std::wstring files = L"Files";
    std::wstring folders = L"Folders";
    std::wstring registry = L"Registry";
    std::wstring drivers = L"Drivers";
    std::wstring notDeleted = L"Not deleted";
    std::wstring nothing = L"Nothing to delete";
};

// The text the Preview window shows and saves: per group a heading with the
// label and the count of each kind, then its lines indented, then an empty
// line; lines joined by CR LF.
std::wstring PreviewWindowText(const std::vector<PreviewGroup>& groups, const PreviewTexts& texts);

}  // namespace tw
