// The seven cleaning targets behind one contract, and the table that names
// them to the rest of the program.
//
// A target is one driver family: constant lists of file patterns, folders,
// registry keys and values, and a fixed order of steps in a file phase and a
// registry phase. Clean(context, Files, Registry) names the backup folder of
// each phase and runs the phases whose switch is on.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/DeletionContext.h"
#include "platform/platform.h"

namespace tw {

using StringList = std::vector<std::wstring>;

struct TargetInfo {
    const wchar_t* label;         // list label, the key by which the program finds a target
    const wchar_t* section;    // settings-file section of its two switches
    const wchar_t* commandSwitch; // command-line switch
    const wchar_t* backupPrefix;  // backup item folders: prefix + "Files" / "Registry"
    int filesWeight;
    int registryWeight;
    bool* filesSwitch;         // settings variables
    bool* registrySwitch;
    void (*cleanFiles)(DeletionContext&);
    void (*cleanRegistry)(DeletionContext&);
};

// The seven targets in the order of the available list (alphabetical by label).
const std::vector<TargetInfo>& TargetTable();
// Exact match, letter case included; nullptr for an unknown label.
const TargetInfo* FindTargetByLabel(const std::wstring& label);

// Progress steps reserved for a target: files weight + registry weight of the
// switches that are on. Fixed numbers, not counts of the steps a run makes.
int GetWeight(const TargetInfo& target, bool files, bool registry);
// Takes a time stamp, points the context's BackupPath at the stamp folder's
// item folders and runs the enabled phases, files first, with the protected
// set collected afresh for the target.
void Clean(DeletionContext& context, const TargetInfo& target, bool files, bool registry);

// ---- conventions shared by the target modules ----

// The five control sets, in the order every system-configuration list is applied.
const StringList& ControlSets();

// An environment variable's value, or nothing when it is unset or empty: a
// step whose folder would be built from it is skipped, so no drive-less path
// is ever handed to a deletion routine.
std::optional<std::wstring> EnvFolder(const std::wstring& name);
// SYSTEMROOT + "\": the Windows folder.
std::optional<std::wstring> WindowsFolder();
// The Windows folder + "System32\".
std::optional<std::wstring> SystemFolder();
// folder + sub when the folder is known.
std::optional<std::wstring> Below(const std::optional<std::wstring>& folder, const std::wstring& sub);

// Reads a string value below HKEY_LOCAL_MACHINE (empty when the key or value
// is absent; a value of another type raises "Invalid data type for '%s'").
std::wstring ReadMachineString(const std::wstring& keyPath, const std::wstring& valueName);

// DeleteFolder after a folder-exists test on the same path.
void DeleteFolderIfExists(DeletionContext& context, const std::wstring& folder);
// The same for a folder a registry value names whole (a vendor's install
// folder): DeleteInstallFolder. A fixed name below a system or environment
// folder goes through DeleteFolderIfExists.
void DeleteInstallFolderIfExists(DeletionContext& context, const std::wstring& folder);

// DeleteFiles on `folder` when it is known.
void DeleteFilesIn(DeletionContext& context, const std::optional<std::wstring>& folder, const StringList& patterns);

}  // namespace tw
