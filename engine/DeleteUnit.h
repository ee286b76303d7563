// The deletion routines of a cleaning run. Each one backs up what it deletes
// when BackupEnabled is on, falls back to deletion at restart where
// DeleteAtReboot says so, and reports every outcome as one line of the run
// log; none of them returns a failure to its caller.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace tw {

// The item folder, with trailing backslash, that receives backups during the
// phase now running. Set by each target before its file and registry phases.
extern std::string BackupPath;

// The main window's progress bar is advanced through this hook.
void SetProgressHook(std::function<void()> hook);
void StepProgress();

// Deletes the files matching each pattern in one folder. A folder that is not
// an absolute drive path, and a pattern holding a path separator, match nothing.
void DeleteFiles(const std::string& folder, const std::vector<std::string>& patterns);
// Removes a folder with everything in it; true when all of it is gone. Writes
// no log line. Refuses protected folders (see IsProtectedFolder) and never
// follows a folder link: a junction or symbolic link is removed itself.
bool DeleteFolderTree(const std::string& folder);
void DeleteFolder(const std::string& folder);
// Removes each sub-folder of `folder` whose setup.ini names a company
// beginning with `prefix` (letter case counts).
void DeleteFoldersByCompany(const std::string& folder, const std::string& prefix);
void DeleteKeys(plat::HKey root, const std::string& keyPath, const std::vector<std::string>& names);
// Removes each subkey of keyPath whose string value `valueName` begins with `prefix`.
void DeleteKeysByValue(plat::HKey root, const std::string& keyPath, const std::string& valueName,
                       const std::string& prefix);
void DeleteValues(plat::HKey root, const std::string& keyPath, const std::vector<std::string>& names);

// ---- the protected-folder rule ----

// "C:\A\.\B\..\C. " -> "C:\A\C": "/" read as "\", empty, "." and ".." segments
// resolved, trailing blanks and dots of each segment removed, no trailing
// backslash (a drive root keeps its own: "C:\"). Nothing for a path that is
// not an absolute drive path (relative, drive-relative, UNC, "\\?\"), holds
// wildcard characters, or climbs above its root.
std::optional<std::string> NormalizeFolderPath(const std::string& path);

// True when a folder must never be removed: a drive root, a path that does
// not normalise, a short (8.3) name, the Windows folder, or a folder equal to
// or above a system folder, either Program Files folder, ProgramData, the
// public profile, the Users folder, a user profile or its AppData roots, or
// the program's own folder.
bool IsProtectedFolder(const std::string& path);

}  // namespace tw
