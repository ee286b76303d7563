#include "app/Preview.h"

#include "app/CleaningRun.h"
#include "app/RunSafeguards.h"
#include "log/LogUnit.h"
#include "log/RunNotes.h"
#include "platform/platform.h"
#include "targets/Target.h"

namespace tw {

namespace {

bool startsWith(const std::wstring& text, const wchar_t* prefix) { return text.rfind(prefix, 0) == 0; }

// Gives the lines a target wrote to its group, however the target ends.
class GroupFiller {
public:
    GroupFiller(PreviewGroup& group, TRunLog& log) : group_(group), log_(log) { log_.clear(); }
    ~GroupFiller() {
        group_.lines = log_.lines();
        SortLines(group_.lines);
    }
    GroupFiller(const GroupFiller&) = delete;
    GroupFiller& operator=(const GroupFiller&) = delete;

private:
    PreviewGroup& group_;
    TRunLog& log_;
};

}  // namespace

void PreviewSelectedTargets(const std::vector<std::wstring>& labels, std::vector<PreviewGroup>& groups,
                            std::function<void()> progress, std::function<void(const std::wstring&)> trace,
                            const RunSafeguards* guards, bool drivers) {
    // The preview's lines go to a log of its own: the run log stays as it is.
    TRunLog log;
    DeletionContext context = SettingsContext(log, DeletionContext::Mode::Report, std::move(progress));
    context.trace = std::move(trace);
    ClearItemNotes();
    SafeguardedRun safeguards(guards ? *guards : RunSafeguards{}, log, DeletionContext::Mode::Report);
    safeguards.Begin(nullptr);
    for (const std::wstring& label : labels) {
        const Family* family = FindFamilyByLabel(label);
        if (!family) continue;
        groups.push_back({label, {}});
        GroupFiller filler(groups.back(), log);
        const PhaseSwitches on = PhasesForRun(*family, drivers);
        Clean(context, *family, on.files, on.registry, on.drivers);
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
        else if (startsWith(line, L"Would delete driver package (") || startsWith(line, L"Would delete device ("))
            ++counts.drivers;
        else if (startsWith(line, L"Not deleted "))
            ++counts.notDeleted;
    }
    return counts;
}

std::wstring PreviewWindowText(const std::vector<PreviewGroup>& groups, const PreviewTexts& texts) {
    std::wstring out;
    for (const PreviewGroup& group : groups) {
        const PreviewCounts c = CountPreviewLines(group.lines);
        out += group.label + L" (" + texts.files + L": " + std::to_wstring(c.files) + L", " + texts.folders +
               L": " + std::to_wstring(c.folders) + L", " + texts.registry + L": " + std::to_wstring(c.registry) +
               (c.drivers ? L", " + texts.drivers + L": " + std::to_wstring(c.drivers) : L"") + L", " + texts.notDeleted + L": " + std::to_wstring(c.notDeleted) + L")\r\n";
        if (group.lines.empty()) out += L"    " + texts.nothing + L"\r\n";
        for (const std::wstring& line : group.lines) out += L"    " + line + L"\r\n";
        out += L"\r\n";
    }
    return out;
}

}  // namespace tw
