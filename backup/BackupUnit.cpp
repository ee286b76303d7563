#include "backup/BackupUnit.h"

#include <vector>

#include "engine/RegistrySelf.h"
#include "log/LogUnit.h"
#include "platform/common.h"

namespace tw {

namespace {

bool isDots(const std::wstring& name) { return name == L"." || name == L".."; }


bool isLink(const std::wstring& path) {
    const std::uint32_t a = plat::getFileAttributes(path);
    return a != plat::kInvalidAttributes && (a & plat::kAttrReparsePoint) != 0;
}

// True when no folder of the existing part of a drive folder is a link.
bool linkFree(const std::wstring& folder) {
    const std::wstring w = folder;
    for (std::size_t end = w.find(L'\\', 3); end != std::wstring::npos; end = w.find(L'\\', end + 1)) {
        const std::uint32_t a = plat::getFileAttributes(w.substr(0, end));
        if (a == plat::kInvalidAttributes) return true;  // the rest is made by the restore
        if ((a & plat::kAttrReparsePoint) != 0) return false;
    }
    return true;
}

}  // namespace

std::wstring BackupRoot() { return programFolder() + L"Backup\\"; }

FolderIndex ReadFolderIndex(const std::wstring& itemFolder) {
    std::vector<std::uint8_t> bytes;
    if (plat::readFileBytes(includeTrailingBackslash(itemFolder) + kFolderIndexName, bytes) != plat::kOk)
        return {};
    return ParseFolderIndex(std::string(bytes.begin(), bytes.end()));
}

std::wstring RestoreFolder(const FolderIndex& index, const std::wstring& subFolder) {
    return RestoreFolder(index, subFolder, BackupRoot());
}

std::wstring PrepareFileBackupFolder(const std::wstring& itemFolder, const std::wstring& folder) {
    const std::wstring item = includeTrailingBackslash(itemFolder);
    const std::wstring source = includeTrailingBackslash(folder);
    // Only what a restore would put back is backed up.
    if (!IsDriveFolder(source) || !forceDirectories(item)) return {};
    const auto index = ReadFolderIndex(item);
    for (const auto& [name, original] : index) {
        if (upperAscii(original) == upperAscii(source)) {
            // The recorded name may differ in letter case only; the file system does not mind.
            const std::wstring sub = item + name + L"\\";
            return forceDirectories(sub) ? sub : std::wstring();
        }
    }
    // A new source folder: its encoded name, made unique when another source
    // folder (one holding ";" or "'") already encodes to the same name.
    const std::wstring encoded = EncodeFolder(source);
    if (!IsPlainName(encoded)) return {};
    std::wstring name = encoded;
    for (int n = 2;; ++n) {
        bool taken = index.count(FolderIndexKey(name)) != 0;
        if (!taken && directoryExists(item + name)) {
            // A sub-folder written without an index entry belongs to whatever its name decodes to.
            taken = upperAscii(DecodeFolder(name)) != upperAscii(source);
        }
        if (!taken) break;
        name = encoded + L"~" + std::to_wstring(n);
    }
    std::vector<std::uint8_t> bytes;
    plat::readFileBytes(item + kFolderIndexName, bytes);
    const std::string line = FolderIndexLine(name, source);
    bytes.insert(bytes.end(), line.begin(), line.end());
    bool indexed = plat::writeFileBytes(item + kFolderIndexName, bytes) == plat::kOk;
    // Without its index entry a folder is found again only when its name decodes exactly.
    if (!indexed && (name != encoded || DecodeFolder(encoded) != source)) return {};
    std::wstring sub = item + name + L"\\";
    return forceDirectories(sub) ? sub : std::wstring();
}

void RestoreFiles(const std::wstring& item) {
    const std::wstring f = BackupRoot() + includeTrailingBackslash(item);
    const auto index = ReadFolderIndex(f);
    std::vector<plat::FindData> folders;
    plat::findEntries(f + L"*", folders);
    for (const auto& e : folders) {
        if (isDots(e.name)) continue;
        if ((e.attributes & (plat::kAttrHidden | plat::kAttrSystem)) != 0) continue;
        if ((e.attributes & plat::kAttrDirectory) == 0) continue;
        const std::wstring target = RestoreFolder(index, e.name);
        const std::wstring sourceFolder = f + e.name + L"\\";
        std::vector<plat::FindData> files;
        plat::findEntries(sourceFolder + L"*", files);
        for (const auto& n : files) {
            if (isDots(n.name) || (n.attributes & plat::kAttrDirectory) != 0) continue;
            const std::wstring from = sourceFolder + n.name;
            if (target.empty()) {
                // No sound place to go back to: the copy stays where it is.
                RunLog().append(L"Not Restored File (" + from + L")");
                continue;
            }
            const std::wstring to = target + n.name;
            const std::wstring staged = target + L"__" + n.name;
            // Checked for each file, before any missing folder is made: a
            // folder can be swapped for a link while the restore runs.
            if (!linkFree(target) || isLink(to) || isLink(staged)) {
                RunLog().append(L"Not Restored File (" + to + L")");
                continue;
            }
            if (!directoryExists(target)) forceDirectories(target);
            if (plat::copyFile(from, to, false) == plat::kOk) {
                RunLog().append(L"Restored File (" + to + L")");
                continue;
            }
            // In use: stage the copy beside it and let the next start of Windows swap them.
            if (plat::copyFile(from, staged, false) == plat::kOk) {
                RunLog().append(L"Not Restored File (" + to + L")");
                plat::moveFileAtReboot(to, L"");
                plat::moveFileAtReboot(staged, to);
            }
        }
    }
}

void RestoreRegistry(const std::wstring& item) {
    const std::wstring f = BackupRoot() + includeTrailingBackslash(item);
    std::vector<plat::FindData> files;
    plat::findEntries(f + L"*.TW", files);
    for (const auto& e : files) {
        if ((e.attributes & plat::kAttrDirectory) != 0) continue;
        const std::wstring n = e.name;
        plat::HKey root;
        if (n.compare(0, 4, L"HKLM") == 0)
            root = plat::kHKeyLocalMachine;
        else if (n.compare(0, 4, L"HKCU") == 0)
            root = plat::kHKeyCurrentUser;
        else
            continue;
        // "HKLM;" + key path + ".TW": anything shorter names no key.
        if (n.size() <= 8) continue;
        const std::wstring keyPath = DecodeKeyPath(n.substr(5, n.size() - 8));
        const std::wstring display = DecodeKeyPath(n.substr(0, n.size() - 3));
        bool ok;
        {
            TRegistrySelf reg;
            reg.SetRootKey(root);
            ok = reg.RestoreKey(keyPath, f + e.name);
        }
        RunLog().append((ok ? L"Restored Registry (" : L"Not Restored Registry (") + display + L")");
    }
}

}  // namespace tw
