// The table of driver families: every family the program knows, in one place.
//
// Every family is a family file (see targets/FamilyFormat.h): the seven that
// come with the program are built into it from targets/families/*.toml, in
// the order of their file names, which is the order of their sections in the
// settings file; families of the user's own (see LoadOwnFamilies in
// targets/Target.h) follow them. Everything that names families (the lists,
// Options, the command line, the settings, the preview, the run, the backup)
// iterates this table.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "targets/FamilyFormat.h"

namespace tw {


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

// The table's families of the user's own, and the files left out, replaced
// (LoadOwnFamilies reads them).
void SetOwnFamilies(std::vector<Family> families, std::vector<FamilyProblem> problems);
// What the last SetOwnFamilies left out.
const std::vector<FamilyProblem>& OwnFamilyProblems();
// The same, the first time only: the first run's log tells them.
std::vector<FamilyProblem> TakeUntoldFamilyProblems();

}  // namespace tw
