// What steers the deletion routines (engine/DeleteUnit.h) through one
// cleaning run, one preview, or one removal of backup sets. Each routine is
// handed the context and reads nothing process-wide besides it: whoever
// starts the work sets the context up (copying BackupEnabled and
// DeleteAtReboot from the settings where they apply), and two contexts in one
// process never see each other's state.
//
// A preview runs exactly the code of a cleaning run with acting switched off
// (Mode::Report): each routine decides what it would delete and what it would
// refuse, then only writes its line, "Would delete ..." where a run writes
// "Deleted ...". While reporting, nothing on the machine changes: no file,
// folder, key or value is deleted, no backup is written, nothing is queued
// for deletion at restart.
//
// The names the settings and the backup store give (BackupEnabled,
// DeleteAtReboot, BackupPath) stay the names of the members that carry them.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>

#include "engine/ProtectedFolders.h"

namespace tw {

class TRunLog;

class DeletionContext {
public:
    enum class Mode { Act, Report };

    explicit DeletionContext(TRunLog& runLog, Mode mode = Mode::Act) : log(runLog), mode_(mode) {}
    DeletionContext(DeletionContext&&) = default;
    DeletionContext& operator=(DeletionContext&&) = delete;

    // With backup on, every file and key is copied into BackupPath before it
    // is deleted, and nothing whose copy could not be written is deleted.
    bool BackupEnabled = false;
    // The item folder, with trailing backslash, that receives backups during
    // the phase now running: a target sets it before its file and registry
    // phases (SetBackupPath).
    std::wstring BackupPath;
    // A file that cannot be deleted now is queued for deletion at the next
    // start of Windows (with backup on it always is: its copy is safe).
    bool DeleteAtReboot = false;
    // The protected folders this target's judgements compare with (and
    // whether backup sets may go: only the Backup dialog's removal says so).
    ProtectionRule protection;
    // Every outcome is one line here (the process-wide run log in a run).
    TRunLog& log;
    // Told of each progress step; may be empty.
    std::function<void()> progress;
    // Told of every call of the routines, one line per call: the routine's
    // name, then each argument after a tab (a root as its text, a list as its
    // items, each after a tab). Empty by default, when it costs nothing.
    std::function<void(const std::wstring&)> trace;

    bool Reporting() const { return mode_ == Mode::Report; }

    // A target begins: its protected set is collected afresh at its first
    // judgement and kept for the rest of it.
    void BeginTarget() { protection.Forget(); }
    // Points BackupPath at a phase's item folder and tells the trace.
    void SetBackupPath(const std::wstring& itemFolder);
    void StepProgress() const {
        if (progress) progress();
    }
    // The sub-folder of BackupPath that receives the copies of files from
    // `folder` (store/BackupStore.h): prepared at the first copy and kept for
    // the rest of the phase. Empty when it could not be prepared.
    std::wstring FileBackupFolder(const std::wstring& folder);

    // What this preview has named so far is gone for the steps after it, as
    // it is in the run: a file matched by two patterns, a folder inside a
    // folder already named, a key below a key already named, the same item in
    // two targets. Only a preview's routines mark, so nothing is ever gone
    // while acting. Letter case is ignored; registry paths are given with
    // their root text ("HKLM\\Software\\...").
    void MarkGone(const std::wstring& path);        // a file or a folder
    void MarkKeyGone(const std::wstring& keyPath);  // a key with its subtree
    void MarkValueGone(const std::wstring& keyPath, const std::wstring& name);
    bool IsGone(const std::wstring& path) const;  // the path or a folder above it
    bool IsKeyGone(const std::wstring& keyPath) const;
    bool IsValueGone(const std::wstring& keyPath, const std::wstring& name) const;

private:
    Mode mode_;
    std::set<std::wstring> gonePaths_, goneKeys_, goneValues_;
    std::map<std::wstring, std::wstring> backupFolders_;  // by BackupPath, a tab and the source folder
};

}  // namespace tw
