#include "backup/BackupUnit.h"

#include <string_view>
#include <vector>

#include "engine/RegistrySelf.h"
#include "log/LogUnit.h"
#include "platform/common.h"

namespace tw {

namespace {

bool isDots(const std::string& name) { return name == "." || name == ".."; }

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

// One file or folder name that names nothing but itself: not empty, no
// separator, drive colon, wildcard or control character, not "." or "..",
// and no trailing dot or blank (which the system would drop).
bool isPlainName(const std::wstring& name) {
    if (name.empty() || name.back() == L'.' || name.back() == L' ') return false;
    for (wchar_t c : name)
        if (c < 0x20 || std::wstring_view(L"\\/:*?\"<>|").find(c) != std::wstring_view::npos) return false;
    return true;
}

// "X:\" followed by plain names, each ending in "\".
bool isDriveFolder(const std::wstring& path) {
    if (path.size() < 3 || path[1] != L':' || path[2] != L'\\' || path.back() != L'\\') return false;
    const wchar_t d = path[0];
    if (!((d >= L'A' && d <= L'Z') || (d >= L'a' && d <= L'z'))) return false;
    for (std::size_t start = 3; start < path.size();) {
        const std::size_t end = path.find(L'\\', start);
        if (!isPlainName(path.substr(start, end - start))) return false;
        start = end + 1;
    }
    return true;
}

std::string indexKey(const std::string& name) { return ansi(upperAscii(wide(name))); }

std::string indexLine(const std::string& name, const std::string& folder) {
    return toUtf8(wide(name)) + "\t" + toUtf8(wide(folder)) + "\n";
}

bool isLink(const std::string& path) {
    const std::uint32_t a = plat::getFileAttributes(path);
    return a != plat::kInvalidAttributes && (a & plat::kAttrReparsePoint) != 0;
}

// True when no folder of the existing part of a drive folder is a link.
bool linkFree(const std::string& folder) {
    const std::wstring w = wide(folder);
    for (std::size_t end = w.find(L'\\', 3); end != std::wstring::npos; end = w.find(L'\\', end + 1)) {
        const std::uint32_t a = plat::getFileAttributes(ansi(w.substr(0, end)));
        if (a == plat::kInvalidAttributes) return true;  // the rest is made by the restore
        if ((a & plat::kAttrReparsePoint) != 0) return false;
    }
    return true;
}

}  // namespace

std::string BackupRoot() { return programFolder() + "Backup\\"; }

std::string EncodeFolder(const std::string& folder) {
    return ansi(swapped(swapped(wide(folder), L'\\', L';'), L':', L'\''));
}

std::string DecodeFolder(const std::string& name) {
    return ansi(swapped(swapped(wide(name), L';', L'\\'), L'\'', L':'));
}

std::string EncodeKeyPath(const std::string& path) { return ansi(swapped(wide(path), L'\\', L';')); }

std::string RootText(plat::HKey root) {
    if (root == plat::kHKeyLocalMachine) return "HKLM";
    if (root == plat::kHKeyCurrentUser) return "HKCU";
    return {};
}

std::string HiveFileName(plat::HKey root, const std::string& keyPath, const std::string& name) {
    const std::string file = RootText(root) + ";" + EncodeKeyPath(keyPath) + ";" + EncodeKeyPath(name) + ".TW";
    return isPlainName(wide(file)) ? file : std::string();
}

FolderIndex ReadFolderIndex(const std::string& itemFolder) {
    FolderIndex index;
    std::vector<std::uint8_t> bytes;
    if (plat::readFileBytes(includeTrailingBackslash(itemFolder) + kFolderIndexName, bytes) != plat::kOk)
        return index;
    std::string text(bytes.begin(), bytes.end());
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
        if (!isPlainName(wide(name)) || !isDriveFolder(wide(folder))) continue;
        index.emplace(indexKey(name), folder);
    }
    return index;
}

std::string RestoreFolder(const FolderIndex& index, const std::string& subFolder) {
    const auto found = index.find(indexKey(subFolder));
    const std::string folder = found != index.end() ? found->second : DecodeFolder(subFolder);
    // Nothing is ever backed up from the backup root, so nothing goes back into it.
    const std::wstring w = upperAscii(wide(folder)), root = upperAscii(wide(BackupRoot()));
    if (!isDriveFolder(w) || w.compare(0, root.size(), root) == 0) return {};
    return folder;
}

std::string PrepareFileBackupFolder(const std::string& itemFolder, const std::string& folder) {
    const std::string item = includeTrailingBackslash(itemFolder);
    const std::string source = includeTrailingBackslash(folder);
    const std::wstring sourceW = wide(source);
    // Only what a restore would put back is backed up.
    if (!isDriveFolder(sourceW) || !forceDirectories(item)) return {};
    const auto index = ReadFolderIndex(item);
    for (const auto& [name, original] : index) {
        if (upperAscii(wide(original)) == upperAscii(sourceW)) {
            // The recorded name may differ in letter case only; the file system does not mind.
            const std::string sub = item + name + "\\";
            return forceDirectories(sub) ? sub : std::string();
        }
    }
    // A new source folder: its encoded name, made unique when another source
    // folder (one holding ";" or "'") already encodes to the same name.
    const std::string encoded = EncodeFolder(source);
    if (!isPlainName(wide(encoded))) return {};
    std::string name = encoded;
    for (int n = 2;; ++n) {
        bool taken = index.count(indexKey(name)) != 0;
        if (!taken && directoryExists(item + name)) {
            // A sub-folder written without an index entry belongs to whatever its name decodes to.
            taken = upperAscii(wide(DecodeFolder(name))) != upperAscii(sourceW);
        }
        if (!taken) break;
        name = encoded + "~" + std::to_string(n);
    }
    std::vector<std::uint8_t> bytes;
    plat::readFileBytes(item + kFolderIndexName, bytes);
    std::string line = indexLine(name, source);
    bytes.insert(bytes.end(), line.begin(), line.end());
    bool indexed = plat::writeFileBytes(item + kFolderIndexName, bytes) == plat::kOk;
    // Without its index entry a folder is found again only when its name decodes exactly.
    if (!indexed && (name != encoded || DecodeFolder(encoded) != source)) return {};
    std::string sub = item + name + "\\";
    return forceDirectories(sub) ? sub : std::string();
}

void RestoreFiles(const std::string& item) {
    const std::string f = BackupRoot() + includeTrailingBackslash(item);
    const auto index = ReadFolderIndex(f);
    std::vector<plat::FindData> folders;
    plat::findEntries(f + "*", folders);
    for (const auto& e : folders) {
        if (isDots(e.name)) continue;
        if ((e.attributes & (plat::kAttrHidden | plat::kAttrSystem)) != 0) continue;
        if ((e.attributes & plat::kAttrDirectory) == 0) continue;
        const std::string target = RestoreFolder(index, e.name);
        const std::string sourceFolder = f + e.name + "\\";
        std::vector<plat::FindData> files;
        plat::findEntries(sourceFolder + "*", files);
        for (const auto& n : files) {
            if (isDots(n.name) || (n.attributes & plat::kAttrDirectory) != 0) continue;
            const std::string from = sourceFolder + n.name;
            if (target.empty()) {
                // No sound place to go back to: the copy stays where it is.
                RunLog().appendAnsi("Not Restored File (" + from + ")");
                continue;
            }
            const std::string to = target + n.name;
            const std::string staged = target + "__" + n.name;
            // Checked for each file, before any missing folder is made: a
            // folder can be swapped for a link while the restore runs.
            if (!linkFree(target) || isLink(to) || isLink(staged)) {
                RunLog().appendAnsi("Not Restored File (" + to + ")");
                continue;
            }
            if (!directoryExists(target)) forceDirectories(target);
            if (plat::copyFile(from, to, false) == plat::kOk) {
                RunLog().appendAnsi("Restored File (" + to + ")");
                continue;
            }
            // In use: stage the copy beside it and let the next start of Windows swap them.
            if (plat::copyFile(from, staged, false) == plat::kOk) {
                RunLog().appendAnsi("Not Restored File (" + to + ")");
                plat::moveFileAtReboot(to, "");
                plat::moveFileAtReboot(staged, to);
            }
        }
    }
}

void RestoreRegistry(const std::string& item) {
    const std::string f = BackupRoot() + includeTrailingBackslash(item);
    std::vector<plat::FindData> files;
    plat::findEntries(f + "*.TW", files);
    for (const auto& e : files) {
        if ((e.attributes & plat::kAttrDirectory) != 0) continue;
        const std::wstring n = wide(e.name);
        plat::HKey root;
        if (n.compare(0, 4, L"HKLM") == 0)
            root = plat::kHKeyLocalMachine;
        else if (n.compare(0, 4, L"HKCU") == 0)
            root = plat::kHKeyCurrentUser;
        else
            continue;
        // "HKLM;" + key path + ".TW": anything shorter names no key.
        if (n.size() <= 8) continue;
        const std::string keyPath = ansi(swapped(n.substr(5, n.size() - 8), L';', L'\\'));
        const std::string display = ansi(swapped(n.substr(0, n.size() - 3), L';', L'\\'));
        bool ok;
        {
            TRegistrySelf reg;
            reg.SetRootKey(root);
            ok = reg.RestoreKey(keyPath, f + e.name);
        }
        RunLog().appendAnsi((ok ? "Restored Registry (" : "Not Restored Registry (") + display + ")");
    }
}

}  // namespace tw
