#include "backup/BackupUnit.h"

#include <vector>

#include "engine/RegistrySelf.h"
#include "log/LogUnit.h"
#include "platform/common.h"

namespace tw {

namespace {

bool isDots(const std::string& name) { return name == "." || name == ".."; }

// Paths are checked as the system reads them (see BackupNames.cpp).
std::wstring wide(const std::string& text) { return plat::ansiToWide(text); }
std::string ansi(const std::wstring& text) { return plat::wideToAnsi(text); }

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

FolderIndex ReadFolderIndex(const std::string& itemFolder) {
    std::vector<std::uint8_t> bytes;
    if (plat::readFileBytes(includeTrailingBackslash(itemFolder) + kFolderIndexName, bytes) != plat::kOk)
        return {};
    return ParseFolderIndex(std::string(bytes.begin(), bytes.end()));
}

std::string RestoreFolder(const FolderIndex& index, const std::string& subFolder) {
    return RestoreFolder(index, subFolder, BackupRoot());
}

std::string PrepareFileBackupFolder(const std::string& itemFolder, const std::string& folder) {
    const std::string item = includeTrailingBackslash(itemFolder);
    const std::string source = includeTrailingBackslash(folder);
    const std::wstring sourceW = wide(source);
    // Only what a restore would put back is backed up.
    if (!IsDriveFolder(sourceW) || !forceDirectories(item)) return {};
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
    if (!IsPlainName(wide(encoded))) return {};
    std::string name = encoded;
    for (int n = 2;; ++n) {
        bool taken = index.count(FolderIndexKey(name)) != 0;
        if (!taken && directoryExists(item + name)) {
            // A sub-folder written without an index entry belongs to whatever its name decodes to.
            taken = upperAscii(wide(DecodeFolder(name))) != upperAscii(sourceW);
        }
        if (!taken) break;
        name = encoded + "~" + std::to_string(n);
    }
    std::vector<std::uint8_t> bytes;
    plat::readFileBytes(item + kFolderIndexName, bytes);
    std::string line = FolderIndexLine(name, source);
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
        const std::string keyPath = DecodeKeyPath(n.substr(5, n.size() - 8));
        const std::string display = DecodeKeyPath(n.substr(0, n.size() - 3));
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
