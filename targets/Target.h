// The table of driver families, and the one piece of code that runs a family.
//
// Every family is a family file (see targets/FamilyFormat.h): the seven that
// come with the program are built into it from targets/families/*.toml, in
// the order of their file names, which is the order of their sections in the
// settings file; families of the user's own are read from the "Families"
// folder beside the program and follow them. Everything that names families
// (the lists, Options, the command line, the settings, the preview, the run,
// the backup) iterates this table.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "settings/VarUnit.h"
#include "targets/FamilyFormat.h"

namespace tw {

using StringList = std::vector<std::wstring>;

struct Family : FamilyDescription {
    bool own = false;   // read from the Families folder
    std::wstring file;  // its file's name
};

// The table: built-in families first, then the user's own.
const std::vector<Family>& FamilyTable();
// The table in the lists' order: by label, letter case ignored.
std::vector<const Family*> FamiliesByLabel();
// Exact match, letter case included; nullptr for an unknown label.
const Family* FindFamilyByLabel(const std::wstring& label);
// The family a command-line argument names (letter case ignored); nullptr for none.
const Family* FindFamilyBySwitch(const std::wstring& argument);
// The family whose settings section (the Options page) is `section`, with case.
const Family* FindFamilyBySection(const std::wstring& section);
std::size_t IndexOf(const Family& family);
// The family's two switches of the settings.
PhaseSwitches& SwitchesOf(const Family& family);

// The built-in family files, as built into the program.
struct BuiltInFamilyFile {
    const wchar_t* name;
    std::string_view text;
};
const std::vector<BuiltInFamilyFile>& BuiltInFamilyFiles();

// A family file that was not loaded: which file, where in it, and why.
struct FamilyProblem {
    std::wstring file;
    int line = 0;  // 0: the file as a whole (or the folder)
    std::wstring reason;
};
// "<file>, line <n>: <reason>" (no line part for 0).
std::wstring ProblemText(const FamilyProblem& problem);

// "Families\" beside the program.
std::wstring OwnFamiliesFolder();
// Reads the families of the user's own from `folder` (its *.toml files, in
// name order), replacing those read before; no folder: none. Families are
// read only when administrators alone can change the folder, every folder
// above it and the file itself; a file that breaks a rule of the format, or
// whose label, section, switch or backup prefix another family already has,
// is left out whole. Returns what was left out, each once.
std::vector<FamilyProblem> LoadOwnFamilies(const std::wstring& folder);
// What the last LoadOwnFamilies left out.
const std::vector<FamilyProblem>& OwnFamilyProblems();
// The same, the first time only: the first run's log tells them.
std::vector<FamilyProblem> TakeUntoldFamilyProblems();

// Progress steps reserved for a family: files weight + registry weight of the
// switches that are on. Fixed numbers, not counts of the steps a run makes.
int GetWeight(const Family& family, bool files, bool registry);
// Takes a time stamp, points BackupPath at the stamp folder's item folders
// and runs the enabled phases, files first.
void Clean(const Family& family, bool files, bool registry);

// The five control sets, in the order every system-configuration list is applied.
const StringList& ControlSets();

// Reads a string value below HKEY_LOCAL_MACHINE (empty when the key or value
// is absent; a value of another type raises "Invalid data type for '%s'").
std::wstring ReadMachineString(const std::wstring& keyPath, const std::wstring& valueName);

}  // namespace tw
