// Whether the deletion routines act or only report.
//
// A preview runs exactly the code of a cleaning run with acting switched off:
// each routine decides what it would delete and what it would refuse, then
// either acts or only writes its line, "Would delete ..." where a run writes
// "Deleted ...". While reporting, nothing on the machine changes: no file,
// folder, key or value is deleted, no backup is written, nothing is queued
// for deletion at restart.
#pragma once

#include <string>

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
const wchar_t* DeletedWord();

// What a preview has named so far is gone for the steps after it, as it is in
// the run: a file matched by two patterns, a folder inside a folder already
// named, a key below a key already named, the same item in two targets. The
// marks are kept for the outermost ReportOnlyScope. Letter case is ignored;
// registry paths are given with their root text ("HKLM\\Software\\...").
void MarkGone(const std::wstring& path);             // a file or a folder
void MarkKeyGone(const std::wstring& keyPath);       // a key with its subtree
void MarkValueGone(const std::wstring& keyPath, const std::wstring& name);
// False whenever acting is on.
bool IsGone(const std::wstring& path);  // the path or a folder above it
bool IsKeyGone(const std::wstring& keyPath);
bool IsValueGone(const std::wstring& keyPath, const std::wstring& name);

}  // namespace tw
