#include "engine/DeleteMode.h"

#include <set>

#include "platform/common.h"
#include "platform/platform.h"

namespace tw {

namespace {

struct Marks {
    std::set<std::wstring> paths, keys, values;
};

bool reportOnly = false;

Marks& marks() {
    static Marks m;
    return m;
}

std::wstring markOf(const std::wstring& path) {
    std::wstring text = upperAscii(path);
    while (text.size() > 3 && text.back() == L'\\') text.pop_back();
    return text;
}

// The path itself or a folder (key) above it is in the set.
bool markedOrBelow(const std::set<std::wstring>& set, const std::wstring& mark) {
    if (set.empty()) return false;
    for (std::size_t at = mark.find(L'\\'); at != std::wstring::npos; at = mark.find(L'\\', at + 1))
        if (set.count(mark.substr(0, at))) return true;
    return set.count(mark) != 0;
}

}  // namespace

bool ReportOnly() { return reportOnly; }

ReportOnlyScope::ReportOnlyScope() : previous_(reportOnly) {
    if (!previous_) marks() = {};
    reportOnly = true;
}

ReportOnlyScope::~ReportOnlyScope() {
    reportOnly = previous_;
    if (!previous_) marks() = {};
}

const wchar_t* DeletedWord() { return reportOnly ? L"Would delete " : L"Deleted "; }

void MarkGone(const std::wstring& path) {
    if (reportOnly) marks().paths.insert(markOf(path));
}

void MarkKeyGone(const std::wstring& keyPath) {
    if (reportOnly) marks().keys.insert(markOf(keyPath));
}

void MarkValueGone(const std::wstring& keyPath, const std::wstring& name) {
    if (reportOnly) marks().values.insert(markOf(keyPath) + L'\\' + upperAscii(name));
}

bool IsGone(const std::wstring& path) { return reportOnly && markedOrBelow(marks().paths, markOf(path)); }

bool IsKeyGone(const std::wstring& keyPath) { return reportOnly && markedOrBelow(marks().keys, markOf(keyPath)); }

bool IsValueGone(const std::wstring& keyPath, const std::wstring& name) {
    return reportOnly && (IsKeyGone(keyPath) ||
                          marks().values.count(markOf(keyPath) + L'\\' + upperAscii(name)) != 0);
}

}  // namespace tw
