// The deletion routines of a cleaning run. Each one is handed the run's
// context (engine/DeletionContext.h), which says whether it acts or only
// reports, where backups go and whether files left are queued for the
// restart. Each one backs up what it deletes when BackupEnabled is on, falls
// back to deletion at restart where DeleteAtReboot says so, and reports every
// outcome as one line of the context's log; none of them returns a failure
// to its caller. Each call is told to the context's trace, and the routines
// that take a list step its progress once per item of the list.
#pragma once

#include <string>
#include <vector>

#include "engine/DeletionContext.h"
#include "platform/platform.h"

namespace tw {

// Deletes the files matching each pattern in one folder, pattern by pattern
// in the folder's listing order. A folder that is not an absolute drive path,
// and a pattern holding a path separator, match nothing. The folder is listed
// through its handle and each match (MatchesPattern, on the long name) is
// opened relative to it, must still lie inside it, and is backed up from and
// deleted through that handle; a matched folder is never deleted.
void DeleteFiles(DeletionContext& context, const std::wstring& folder, const std::vector<std::wstring>& patterns);
// Removes a folder with everything in it. Refuses protected folders (see
// IsProtectedFolder). The walk never leaves its tree: each folder is listed
// through its handle, each entry is opened relative to it and must still lie
// inside it, everything is deleted through its handle, and a junction or
// symbolic link (also one swapped in after the listing) is removed itself,
// never followed.
void DeleteFolder(DeletionContext& context, const std::wstring& folder);
// DeleteFolder for a folder named whole by a registry value (a vendor's
// install folder), judged by JudgeInstallFolder.
void DeleteInstallFolder(DeletionContext& context, const std::wstring& folder);
// Removes each sub-folder of `folder` whose setup.ini names a company
// beginning with `prefix` (letter case counts).
void DeleteFoldersByCompany(DeletionContext& context, const std::wstring& folder, const std::wstring& prefix);
void DeleteKeys(DeletionContext& context, plat::HKey root, const std::wstring& keyPath,
                const std::vector<std::wstring>& names);
// Removes each subkey of keyPath whose string value `valueName` begins with `prefix`.
void DeleteKeysByValue(DeletionContext& context, plat::HKey root, const std::wstring& keyPath,
                       const std::wstring& valueName, const std::wstring& prefix);
void DeleteValues(DeletionContext& context, plat::HKey root, const std::wstring& keyPath,
                  const std::vector<std::wstring>& names);

// ---- the protected-folder rule (see engine/ProtectedFolders.h) ----

// True when a folder must not be removed: a path that does not normalise
// (see NormalizeFolderPath), a drive root, a folder that cannot be opened, or
// one that is, or holds, a protected folder, whatever its spelling.
bool IsProtectedFolder(const std::wstring& path);

}  // namespace tw
