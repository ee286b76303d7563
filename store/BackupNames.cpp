// The names of the backup store and its index: how a folder, a key and a
// sub-folder are named, and where a restore may write. Nothing here asks the
// system about files.
#include <string_view>

#include "platform/common.h"
#include "store/BackupStore.h"

namespace tw {

namespace {

std::wstring swapped(std::wstring text, wchar_t from, wchar_t to) {
    for (wchar_t& c : text)
        if (c == from) c = to;
    return text;
}

}  // namespace

bool IsPlainName(const std::wstring& name) {
    if (name.empty() || name.back() == L'.' || name.back() == L' ') return false;
    for (wchar_t c : name)
        if (c < 0x20 || std::wstring_view(L"\\/:*?\"<>|").find(c) != std::wstring_view::npos) return false;
    return true;
}

bool IsRestorableName(const std::wstring& name) {
    // U+FF3C U+2216 U+FE68 U+29F5 (\), U+FF0F U+2215 U+2044 U+29F8 (/), U+FF1A U+A789 U+FE55 (:),
    // U+FF0E U+FE52 U+2024 (.), yen (\ in 932), won (\ in 949).
    static constexpr std::wstring_view kLookAlikes = L"\uFF3C\u2216\uFE68\u29F5\uFF0F\u2215\u2044\u29F8\uFF1A\uA789\uFE55"
                                                     L"\uFF0E\uFE52\u2024\u00A5\u20A9\uFFE5\uFFE6";
    if (!IsPlainName(name)) return false;
    for (wchar_t c : name)
        if (kLookAlikes.find(c) != std::wstring_view::npos) return false;
    return true;
}

bool IsDriveFolder(const std::wstring& path) {
    if (path.size() < 3 || path[1] != L':' || path[2] != L'\\' || path.back() != L'\\') return false;
    const wchar_t d = path[0];
    if (!((d >= L'A' && d <= L'Z') || (d >= L'a' && d <= L'z'))) return false;
    for (std::size_t start = 3; start < path.size();) {
        const std::size_t end = path.find(L'\\', start);
        if (!IsPlainName(path.substr(start, end - start))) return false;
        start = end + 1;
    }
    return true;
}

std::wstring FolderIndexKey(const std::wstring& name) { return upperAscii(name); }

std::string FolderIndexLine(const std::wstring& name, const std::wstring& folder) {
    return toUtf8(name) + "\t" + toUtf8(folder) + "\n";
}

std::wstring EncodeFolder(const std::wstring& folder) {
    return swapped(swapped(folder, L'\\', L';'), L':', L'\'');
}

std::wstring DecodeFolder(const std::wstring& name) {
    return swapped(swapped(name, L';', L'\\'), L'\'', L':');
}

std::wstring EncodeKeyPath(const std::wstring& path) { return swapped(path, L'\\', L';'); }

std::wstring DecodeKeyPath(const std::wstring& encoded) { return swapped(encoded, L';', L'\\'); }

std::wstring RootText(plat::HKey root) {
    if (root == plat::kHKeyLocalMachine) return L"HKLM";
    if (root == plat::kHKeyCurrentUser) return L"HKCU";
    return {};
}

std::wstring HiveFileName(plat::HKey root, const std::wstring& keyPath, const std::wstring& name) {
    const std::wstring file = RootText(root) + L";" + EncodeKeyPath(keyPath) + L";" + EncodeKeyPath(name) + L".TW";
    return IsPlainName(file) ? file : std::wstring();
}

FolderIndex ParseFolderIndex(const std::string& text) {
    FolderIndex index;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::size_t tab = line.find('\t');
        if (tab == std::string::npos) continue;
        const std::wstring name = fromUtf8(line.substr(0, tab));
        const std::wstring folder = fromUtf8(line.substr(tab + 1));
        if (!IsPlainName(name) || !IsDriveFolder(folder)) continue;
        index.emplace(FolderIndexKey(name), folder);
    }
    return index;
}

std::wstring RestoreFolder(const FolderIndex& index, const std::wstring& subFolder, const std::wstring& backupRoot) {
    const auto found = index.find(FolderIndexKey(subFolder));
    const std::wstring folder = found != index.end() ? found->second : DecodeFolder(subFolder);
    // Nothing is ever backed up from the backup root, so nothing goes back into it.
    const std::wstring w = upperAscii(folder), root = upperAscii(backupRoot);
    if (!IsDriveFolder(w) || w.compare(0, root.size(), root) == 0) return {};
    return folder;
}

}  // namespace tw
