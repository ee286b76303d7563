// Keeping Windows, Windows Update included, from installing a driver again
// for the devices a run removed, in a way the run's backup set takes back.
//
// The machine's device installation restriction policy:
// HKLM\SOFTWARE\Policies\Microsoft\Windows\DeviceInstall\Restrictions holds
// DenyDeviceIDs (REG_DWORD 1: the list is in force) and the subkey
// DenyDeviceIDs, one REG_SZ value per hardware id, named "1", "2", ...
// Windows installs no driver for a device one of whose ids is listed until
// the entry goes; devices installed already are left as they are
// (DenyDeviceIDsRetroactive is never set).
//
// Lines, one per id, in the families' style:
//   "Blocked device installation (PCI\VEN_10DE&DEV_1C82&SUBSYS_11BF1043&REV_A1)"
//   "Would block device installation (...)"      a preview: nothing is written
//   "Already blocked device installation (...)"  listed before: nothing written for it
//   "Not blocked device installation (...)"      its reason noted (log/RunNotes.h)
// and when a backup set's block is lifted:
//   "Unblocked device installation (...)"
//   "Not unblocked device installation (...: reason)"   the value is left
//   "Restored Registry (HKLM\SOFTWARE\...\Restrictions\DenyDeviceIDs)"  the switch as it was
//   "Not Restored Registry (HKLM\SOFTWARE\...\Restrictions\DenyDeviceIDs: reason)"
#pragma once

#include <string>
#include <vector>

namespace tw {

// The item of a backup set that holds a block's records.
inline constexpr const wchar_t* kBlockItemName = L"DeviceInstallBlock";

// Lists each id (letter case ignored, each once) that the list does not
// hold yet under the numbers after the highest one there, never replacing a
// value, and turns the list on when it is not. Before anything is written,
// a record of every value it adds, of the switch's previous state (value or
// absence) when it turns it on, and of the keys it makes goes into
// itemFolder as a new file ("DenyDeviceIDs.txt", "DenyDeviceIDs (2).txt"
// ...), whatever the backup setting says: without that record nothing is
// written. An id holding a control character is refused (its line shows
// "?" for each). Every id is refused when a key of the policy is not what its
// path names (a registry link on the way), when the list is off but holds
// entries (turning it on would bring others' entries into force), when
// the numbers would pass nine digits (a record names no more), or when the
// record cannot be written.
class DeletionContext;
void BlockDeviceInstallation(DeletionContext& context, const std::vector<std::wstring>& hardwareIds, const std::wstring& itemFolder);

// Takes back what the records of a block item (path relative to the backup
// root, "set\item\") added: each value that still holds the id it was given
// (one changed since is left), the switch when it still reads 1 and the
// list holds nothing else, then the keys the block made, each only when empty.
void LiftDeviceInstallBlock(const std::wstring& item);

// True when a record of the item names a value still listed with the id it was given.
bool DeviceInstallBlockInPlace(const std::wstring& item);

}  // namespace tw
