// The deletion routines for what a driver leaves in the system's device
// installation: its packages in the driver store and the devices of removed
// hardware. In the style of DeleteUnit: each routine backs up what it removes
// when the context's BackupEnabled is on (into its BackupPath, a drivers
// item: see backup/DriverBackup.h), acts only outside a preview, writes one
// line per item it names to the context's log, and returns nothing. Each call is one
// progress step.
//
// Lines (a preview writes "Would delete " for "Deleted "):
//   "Deleted driver package (oem12.inf: NVIDIA, Display, 31.0.15.2849)"
//   "Not deleted driver package (oem12.inf: NVIDIA, Display, 31.0.15.2849)"
//   "Deleted device (PCI\VEN_10DE&DEV_1C82\4&2C3B&0&0008: Display, NVIDIA GeForce GTX 1050 Ti)"
//   "Not deleted device (...)"
// A package is named by its published INF and the INF's Provider, Class and
// DriverVer version (else its date); a device by its instance id, its class
// and its friendly name or description. A refused item's reason is noted for
// the run's report (log/RunNotes.h) under the text between the brackets.
//
// Refused, each with its line and reason, whatever the rule asks:
//   - everything, in a 32-bit process on 64-bit Windows: the system's calls
//     answer ERROR_IN_WOW64 there (the 64-bit build does this work);
//   - a package or device of a class Windows needs to start or to be used
//     (BootCriticalClass), by its class name or its class GUID;
//   - a package whose INF is not published by the driver store as
//     "oem<number>.inf" (an INF that came with Windows);
//   - a package that a present device uses (its driver key's InfPath), also
//     one that a device of unknown presence uses, or any package when the
//     devices cannot be listed;
//   - a device whose presence the system does not tell;
//   - with backup on, an item whose backup could not be written.
// Devices that are present are no leftovers: they are passed over without a line.
#pragma once

#include <string>
#include <vector>

#include "engine/DeletionContext.h"

namespace tw {

// Removes the published packages (%windir%\inf\oem*.inf) whose INF names
// one of `providers` and one of `classes`, as the system's INF calls read
// them. A provider matches when it is one of the names or begins with one
// followed by a blank or a comma ("Realtek" matches "Realtek Semiconductor
// Corp."); a class when it is one of the names. Letter case is ignored; an
// empty list matches nothing. With backup on, the INF and its whole package
// folder (System32\DriverStore\FileRepository\<package>, as the driver
// database names it) are copied first. The package goes with
// SetupUninstallOEMInf forced, after the refusals above.
void RemoveDriverPackages(DeletionContext& context, const std::vector<std::wstring>& providers, const std::vector<std::wstring>& classes);

// Removes the devices that are not present, of one of `classes`, with a
// hardware id beginning with one of `hardwareIdPrefixes` ("PCI\VEN_10DE";
// letter case ignored; an empty prefix matches nothing). With backup on, the
// device's key (HKLM\SYSTEM\CurrentControlSet\Enum\<instance id>) is saved
// first. Call it before RemoveDriverPackages: a package is refused while a
// device it serves is listed present. The hardware ids of each device named
// are noted beside its line (NoteHardwareIds), for the run's update block.
void RemoveDevices(DeletionContext& context, const std::vector<std::wstring>& classes, const std::vector<std::wstring>& hardwareIdPrefixes);

// The class names and GUIDs refused above: System, Computer, Processor,
// DiskDrive, HDC, SCSIAdapter, Volume, VolumeSnapshot, Keyboard, HIDClass, USB.
bool BootCriticalClass(const std::wstring& className, const std::wstring& classGuid);

}  // namespace tw
