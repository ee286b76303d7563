// The Backup dialog's restore: puts back what a backup item holds, each file
// into the folder it was backed up from (store/BackupStore.h names it) and
// each hive into its key.
#pragma once

#include <string>

namespace tw {

// Restores a files item / a registry item. Item is the item folder's path
// relative to the backup root ("set\item\"). Each outcome is one line of the
// run log. A file that is not put back because its folder is unusable is
// reported as "Not Restored File (" + path of its backup copy + ")"; one
// whose folder or place is a link, as "Not Restored File (" + its place + ")".
void RestoreFiles(const std::wstring& item);
void RestoreRegistry(const std::wstring& item);

}  // namespace tw
