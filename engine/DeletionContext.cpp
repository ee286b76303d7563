#include "engine/DeletionContext.h"

#include "platform/common.h"
#include "store/BackupStore.h"

namespace tw {

namespace {

std::wstring markOf(const std::wstring& path) {
    std::wstring text = upperAscii(path);
    while (text.size() > 3 && text.back() == L'\\') text.pop_back();
    return text;
}

// The path itself or a folder (key) above it is in the set.
bool markedOrBelow(const std::set<std::wstring>& set, const std::wstring& path) {
    if (set.empty()) return false;  // always, while acting
    const std::wstring mark = markOf(path);
    for (std::size_t at = mark.find(L'\\'); at != std::wstring::npos; at = mark.find(L'\\', at + 1))
        if (set.count(mark.substr(0, at))) return true;
    return set.count(mark) != 0;
}

}  // namespace

void DeletionContext::SetBackupPath(const std::wstring& itemFolder) {
    BackupPath = itemFolder;
    if (trace) trace(L"BackupPath\t" + BackupPath);
}

std::wstring DeletionContext::FileBackupFolder(const std::wstring& folder) {
    const auto [it, fresh] = backupFolders_.try_emplace(BackupPath + L'\t' + folder);
    if (fresh || it->second.empty()) it->second = PrepareFileBackupFolder(BackupPath, folder);
    return it->second;
}

void DeletionContext::MarkGone(const std::wstring& path) { gonePaths_.insert(markOf(path)); }

void DeletionContext::MarkKeyGone(const std::wstring& keyPath) { goneKeys_.insert(markOf(keyPath)); }

void DeletionContext::MarkValueGone(const std::wstring& keyPath, const std::wstring& name) {
    goneValues_.insert(markOf(keyPath) + L'\\' + upperAscii(name));
}

bool DeletionContext::IsGone(const std::wstring& path) const { return markedOrBelow(gonePaths_, path); }

bool DeletionContext::IsKeyGone(const std::wstring& keyPath) const {
    return markedOrBelow(goneKeys_, keyPath);
}

bool DeletionContext::IsValueGone(const std::wstring& keyPath, const std::wstring& name) const {
    return IsKeyGone(keyPath) ||
           (!goneValues_.empty() && goneValues_.count(markOf(keyPath) + L'\\' + upperAscii(name)) != 0);
}

}  // namespace tw
