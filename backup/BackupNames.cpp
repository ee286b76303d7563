// The names of the backup store and its index: how a folder, a key and a
// sub-folder are named, and where a restore may write. Nothing here asks the
// system about files.
#include <string_view>

#include "backup/BackupUnit.h"
#include "platform/common.h"

namespace tw {

namespace {

// ANSI text as the system reads it. Every check below is made on this form
// of a text, after it has been turned into the ANSI text that is handed to
// the system: a conversion may map a wide character to a lookalike
// (U+FF3C, a full-width backslash, can become "\").
std::wstring wide(const std::string& text) { return plat::ansiToWide(text); }
std::string ansi(const std::wstring& text) { return plat::wideToAnsi(text); }

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

std::string FolderIndexKey(const std::string& name) { return ansi(upperAscii(wide(name))); }

std::string FolderIndexLine(const std::string& name, const std::string& folder) {
    return toUtf8(wide(name)) + "\t" + toUtf8(wide(folder)) + "\n";
}

std::string EncodeFolder(const std::string& folder) {
    return ansi(swapped(swapped(wide(folder), L'\\', L';'), L':', L'\''));
}

std::string DecodeFolder(const std::string& name) {
    return ansi(swapped(swapped(wide(name), L';', L'\\'), L'\'', L':'));
}

std::string EncodeKeyPath(const std::string& path) { return ansi(swapped(wide(path), L'\\', L';')); }

std::string DecodeKeyPath(const std::wstring& encoded) { return ansi(swapped(encoded, L';', L'\\')); }

std::string RootText(plat::HKey root) {
    if (root == plat::kHKeyLocalMachine) return "HKLM";
    if (root == plat::kHKeyCurrentUser) return "HKCU";
    return {};
}

std::string HiveFileName(plat::HKey root, const std::string& keyPath, const std::string& name) {
    const std::string file = RootText(root) + ";" + EncodeKeyPath(keyPath) + ";" + EncodeKeyPath(name) + ".TW";
    return IsPlainName(wide(file)) ? file : std::string();
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
        const std::string name = ansi(fromUtf8(line.substr(0, tab)));
        const std::string folder = ansi(fromUtf8(line.substr(tab + 1)));
        if (!IsPlainName(wide(name)) || !IsDriveFolder(wide(folder))) continue;
        index.emplace(FolderIndexKey(name), folder);
    }
    return index;
}

std::string RestoreFolder(const FolderIndex& index, const std::string& subFolder, const std::string& backupRoot) {
    const auto found = index.find(FolderIndexKey(subFolder));
    const std::string folder = found != index.end() ? found->second : DecodeFolder(subFolder);
    // Nothing is ever backed up from the backup root, so nothing goes back into it.
    const std::wstring w = upperAscii(wide(folder)), root = upperAscii(wide(backupRoot));
    if (!IsDriveFolder(w) || w.compare(0, root.size(), root) == 0) return {};
    return folder;
}

}  // namespace tw
