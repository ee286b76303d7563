// Running a driver family, and reading the families of the user's own.
//
// A family's steps are run here, each one call of a deletion routine, in the
// order its file gives them (see targets/FamilyFormat.h).
#pragma once

#include <string>
#include <vector>

#include "engine/DeletionContext.h"
#include "platform/platform.h"
#include "settings/VarUnit.h"
#include "targets/FamilyTable.h"

namespace tw {

using StringList = std::vector<std::wstring>;

// The family's two switches of the settings.
PhaseSwitches& SwitchesOf(const Family& family);

// "Families\" beside the program.
std::wstring OwnFamiliesFolder();
// Reads the families of the user's own from `folder` (its *.toml files, in
// name order), replacing those read before; no folder: none. Families are
// read only when administrators alone can change the folder, every folder
// above it and the file itself; a file that breaks a rule of the format, or
// whose label, section, switch or backup prefix another family already has,
// is left out whole. Returns what was left out, each once.
std::vector<FamilyProblem> LoadOwnFamilies(const std::wstring& folder);

// Progress steps reserved for a family: the weights of the phases whose
// switches are on. Fixed numbers, not counts of the steps a run makes.
int GetWeight(const Family& family, bool files, bool registry, bool drivers = false);
// Takes a time stamp, points the context's BackupPath at the stamp folder's
// item folders and runs the enabled phases (devices and driver packages,
// files, registry), with the protected set collected afresh for the family.
void Clean(DeletionContext& context, const Family& family, bool files, bool registry, bool drivers = false);

// The five control sets, in the order every system-configuration list is applied.
const StringList& ControlSets();

// Reads a string value below HKEY_LOCAL_MACHINE (empty when the key or value
// is absent; a value of another type raises "Invalid data type for '%s'").
std::wstring ReadMachineString(const std::wstring& keyPath, const std::wstring& valueName);

}  // namespace tw
