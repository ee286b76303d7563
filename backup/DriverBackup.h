// Driver packages in the backup store.
//
// A drivers item (a target prefix + "Drivers") holds one folder per removed
// package, named by the INF's published name ("oem12.inf"), with a copy of
// that INF under the same name and, in "Package\", a copy of the package's
// folder of the driver store with its sub-folders. The keys of the devices
// removed in the same phase lie beside them as hive files named as in a
// registry item (BackupUnit.h).
#pragma once

#include <string>

#include "platform/platform.h"
#include "store/DriverPackages.h"

namespace tw {

// Restores a drivers item (path relative to the backup root, "set\item\"):
// its hive files as RestoreRegistry does, then each package, published again
// (plat::installDriverPackage) from the INF of its "Package" copy whose bytes
// are those of the published INF's copy. One line per package:
// "Restored Driver Package (oem12.inf)" or "Not Restored Driver Package (oem12.inf)".
void RestoreDrivers(const std::wstring& item);

}  // namespace tw
