#include "targets/FamilyTable.h"

#include <algorithm>

#include "platform/common.h"

namespace tw {

namespace {

struct Table {
    std::vector<Family> families;
    std::size_t builtIn = 0;
    std::vector<FamilyProblem> problems;
    bool problemsTold = false;
};

// The built-in files are the program's own: one that does not read is a
// fault of the build, which the tests catch; it is left out like any other.
Table& table() {
    static Table t = [] {
        Table made;
        for (const BuiltInFamilyFile& file : BuiltInFamilyFiles()) {
            FamilyParse parsed = ParseFamily(file.text, false);
            if (auto* d = std::get_if<FamilyDescription>(&parsed))
                made.families.push_back(Family{std::move(*d), false, file.name});
        }
        made.builtIn = made.families.size();
        return made;
    }();
    return t;
}

}  // namespace

const std::vector<Family>& FamilyTable() { return table().families; }

std::vector<const Family*> FamiliesByLabel() {
    std::vector<const Family*> out;
    for (const Family& f : FamilyTable()) out.push_back(&f);
    std::stable_sort(out.begin(), out.end(), [](const Family* a, const Family* b) {
        const std::wstring ua = upperAscii(a->label), ub = upperAscii(b->label);
        return ua != ub ? ua < ub : a->label < b->label;
    });
    return out;
}

const Family* FindFamilyByLabel(const std::wstring& label) {
    for (const Family& f : FamilyTable())
        if (label == f.label) return &f;
    return nullptr;
}

const Family* FindFamilyBySwitch(const std::wstring& argument) {
    for (const Family& f : FamilyTable())
        if (upperAscii(argument) == upperAscii(f.commandSwitch)) return &f;
    return nullptr;
}

const Family* FindFamilyBySection(const std::wstring& section) {
    for (const Family& f : FamilyTable())
        if (section == f.section) return &f;
    return nullptr;
}

std::size_t IndexOf(const Family& family) { return static_cast<std::size_t>(&family - FamilyTable().data()); }

std::wstring ProblemText(const FamilyProblem& problem) {
    return problem.file + (problem.line > 0 ? L", line " + std::to_wstring(problem.line) : L"") + L": " +
           problem.reason;
}

const std::vector<FamilyProblem>& OwnFamilyProblems() { return table().problems; }

void SetOwnFamilies(std::vector<Family> families, std::vector<FamilyProblem> problems) {
    Table& t = table();
    t.families.resize(t.builtIn);
    for (Family& f : families) t.families.push_back(std::move(f));
    t.problems = std::move(problems);
    t.problemsTold = false;
}

std::vector<FamilyProblem> TakeUntoldFamilyProblems() {
    Table& t = table();
    if (t.problemsTold) return {};
    t.problemsTold = true;
    return t.problems;
}

}  // namespace tw
