// Whether the deletion routines act or only report.
//
// A preview runs exactly the code of a cleaning run with acting switched off:
// each routine decides what it would delete and what it would refuse, then
// either acts or only writes its line, "Would delete ..." where a run writes
// "Deleted ...". While reporting, nothing on the machine changes: no file,
// folder, key or value is deleted, no backup is written, nothing is queued
// for deletion at restart.
#pragma once

namespace tw {

// True while a preview runs.
bool ReportOnly();

// Switches acting off for its lifetime (nested scopes keep the outer state).
class ReportOnlyScope {
public:
    ReportOnlyScope();
    ~ReportOnlyScope();
    ReportOnlyScope(const ReportOnlyScope&) = delete;
    ReportOnlyScope& operator=(const ReportOnlyScope&) = delete;

private:
    bool previous_;
};

// The start of a line for an item that goes: "Deleted " in a run, "Would
// delete " in a preview.
const char* DeletedWord();

}  // namespace tw
