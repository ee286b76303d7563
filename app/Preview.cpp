#include "app/Preview.h"

#include "app/RunSafeguards.h"

#include "engine/DeleteMode.h"
#include "log/LogUnit.h"
#include "log/RunNotes.h"
#include "platform/platform.h"
#include "targets/Target.h"

namespace tw {

namespace {

bool startsWith(const std::wstring& text, const wchar_t* prefix) { return text.rfind(prefix, 0) == 0; }

// Gives the run log back as it was, and the lines a target wrote to its group,
// however the target ends.
class RunLogLoan {
public:
    RunLogLoan() : kept_(RunLog().lines()) {}
    ~RunLogLoan() { RunLog().replace(std::move(kept_)); }
    RunLogLoan(const RunLogLoan&) = delete;
    RunLogLoan& operator=(const RunLogLoan&) = delete;

private:
    std::vector<std::wstring> kept_;
};

class GroupFiller {
public:
    explicit GroupFiller(PreviewGroup& group) : group_(group) { RunLog().clear(); }
    ~GroupFiller() {
        group_.lines = RunLog().lines();
        SortLines(group_.lines);
    }
    GroupFiller(const GroupFiller&) = delete;
    GroupFiller& operator=(const GroupFiller&) = delete;

private:
    PreviewGroup& group_;
};

}  // namespace

void PreviewSelectedTargets(const std::vector<std::wstring>& labels, std::vector<PreviewGroup>& groups,
                            const RunSafeguards* guards) {
    RunLogLoan loan;
    ReportOnlyScope reportOnly;
    ClearItemNotes();
    SafeguardedRun safeguards(guards ? *guards : RunSafeguards{});
    safeguards.Begin(true);
    for (const std::wstring& label : labels) {
        const Family* family = FindFamilyByLabel(label);
        if (!family) continue;
        groups.push_back({label, {}});
        GroupFiller filler(groups.back());
        Clean(*family, SwitchesOf(*family).files, SwitchesOf(*family).registry);
    }
    safeguards.End(groups);
}

std::vector<std::wstring> PreviewLogLines(const std::vector<PreviewGroup>& groups) {
    std::vector<std::wstring> lines;
    for (const PreviewGroup& group : groups) lines.insert(lines.end(), group.lines.begin(), group.lines.end());
    SortLines(lines);
    return lines;
}

PreviewCounts CountPreviewLines(const std::vector<std::wstring>& lines) {
    PreviewCounts counts;
    for (const std::wstring& line : lines) {
        if (startsWith(line, L"Would delete file ("))
            ++counts.files;
        else if (startsWith(line, L"Would delete folder ("))
            ++counts.folders;
        else if (startsWith(line, L"Would delete registry ("))
            ++counts.registry;
        else if (startsWith(line, L"Not deleted "))
            ++counts.notDeleted;
    }
    return counts;
}

PreviewTexts& PreviewMessages() {
    static PreviewTexts texts;
    return texts;
}

std::wstring PreviewWindowText(const std::vector<PreviewGroup>& groups, const PreviewTexts& texts) {
    std::wstring out;
    for (const PreviewGroup& group : groups) {
        const PreviewCounts c = CountPreviewLines(group.lines);
        out += group.label + L" (" + texts.files + L": " + std::to_wstring(c.files) + L", " + texts.folders +
               L": " + std::to_wstring(c.folders) + L", " + texts.registry + L": " + std::to_wstring(c.registry) +
               L", " + texts.notDeleted + L": " + std::to_wstring(c.notDeleted) + L")\r\n";
        if (group.lines.empty()) out += L"    " + texts.nothing + L"\r\n";
        for (const std::wstring& line : group.lines) out += L"    " + line + L"\r\n";
        out += L"\r\n";
    }
    return out;
}

}  // namespace tw
