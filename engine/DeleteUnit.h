// The deletion routines of a cleaning run. Each one backs up what it deletes
// when BackupEnabled is on, falls back to deletion at restart where
// DeleteAtReboot says so, and reports every outcome as one line of the run
// log; none of them returns a failure to its caller.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/FolderPath.h"
#include "platform/platform.h"

namespace tw {

// The item folder, with trailing backslash, that receives backups during the
// phase now running. Set by each target before its file and registry phases.
extern std::wstring BackupPath;

// The main window's progress bar is advanced through this hook.
void SetProgressHook(std::function<void()> hook);
void StepProgress();

// An optional sink told of every call of the routines below, one line per
// call: the routine's name, then each argument after a tab (a root as its
// text, a list as its items, each after a tab). Unset by default, when it
// costs nothing. TraceRoutine passes one such line of another step (the
// targets report the BackupPath each phase sets) when a sink is set.
void SetRoutineTrace(std::function<void(const std::wstring&)> sink);
void TraceRoutine(const wchar_t* name, const std::wstring& argument);

// Deletes the files matching each pattern in one folder, pattern by pattern
// in the folder's listing order. A folder that is not an absolute drive path,
// and a pattern holding a path separator, match nothing. The folder is listed
// through its handle and each match (MatchesPattern, on the long name) is
// opened relative to it, must still lie inside it, and is backed up from and
// deleted through that handle; a matched folder is never deleted.
void DeleteFiles(const std::wstring& folder, const std::vector<std::wstring>& patterns);
// Removes a folder with everything in it; true when all of it is gone. Writes
// no log line. Refuses protected folders (see IsProtectedFolder). The walk
// never leaves its tree: each folder is listed through its handle, each entry
// is opened relative to it and must still lie inside it, everything is
// deleted through its handle, and a junction or symbolic link (also one
// swapped in after the listing) is removed itself, never followed.
bool DeleteFolderTree(const std::wstring& folder);
void DeleteFolder(const std::wstring& folder);
// DeleteFolder for a folder named whole by a registry value (a vendor's
// install folder), judged by JudgeInstallFolder.
void DeleteInstallFolder(const std::wstring& folder);
// Removes each sub-folder of `folder` whose setup.ini names a company
// beginning with `prefix` (letter case counts).
void DeleteFoldersByCompany(const std::wstring& folder, const std::wstring& prefix);
void DeleteKeys(plat::HKey root, const std::wstring& keyPath, const std::vector<std::wstring>& names);
// Removes each subkey of keyPath whose string value `valueName` begins with `prefix`.
void DeleteKeysByValue(plat::HKey root, const std::wstring& keyPath, const std::wstring& valueName,
                       const std::wstring& prefix);
void DeleteValues(plat::HKey root, const std::wstring& keyPath, const std::vector<std::wstring>& names);

// ---- the protected-folder rule (see engine/ProtectedFolders.h) ----

// True when a folder must not be removed: a path that does not normalise
// (see NormalizeFolderPath), a drive root, a folder that cannot be opened, or
// one that is, or holds, a protected folder, whatever its spelling.
bool IsProtectedFolder(const std::wstring& path);

}  // namespace tw
