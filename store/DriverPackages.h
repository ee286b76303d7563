// Driver packages in the backup store: how a removed package is copied into a
// drivers item (see backup/DriverBackup.h for the layout and the restore).
#pragma once

#include <string>

#include "platform/platform.h"

namespace tw {

inline constexpr const wchar_t* kPackageCopyName = L"Package";

// Copies a published INF and the package folder opened as `package` (its
// final path `packagePath`) into itemFolder + the INF's name + "\"; true when
// every file is there. Each entry of the folder is opened relative to the
// folder above it and must be what its name reaches there; a link anywhere
// in it, or a name that is no plain name, fails the copy.
bool BackupDriverPackage(const std::wstring& itemFolder, const std::wstring& infFolder, const std::wstring& infName,
                         const plat::EntryHandle& package, const std::wstring& packagePath);

}  // namespace tw
