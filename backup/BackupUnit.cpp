#include "backup/BackupUnit.h"

#include <vector>

#include "engine/RegistrySelf.h"
#include "log/LogUnit.h"
#include "platform/common.h"

namespace tw {

namespace {

bool isDots(const std::string& name) { return name == "." || name == ".."; }

std::string indexLine(const std::string& name, const std::string& folder) {
    return toUtf8(plat::ansiToWide(name)) + "\t" + toUtf8(plat::ansiToWide(folder)) + "\n";
}

}  // namespace

std::string BackupRoot() { return programFolder() + "Backup\\"; }

std::string EncodeFolder(const std::string& folder) {
    return replaceAll(replaceAll(folder, "\\", ";"), ":", "'");
}

std::string DecodeFolder(const std::string& name) {
    return replaceAll(replaceAll(name, ";", "\\"), "'", ":");
}

std::string EncodeKeyPath(const std::string& path) { return replaceAll(path, "\\", ";"); }

std::string RootText(plat::HKey root) {
    if (root == plat::kHKeyLocalMachine) return "HKLM";
    if (root == plat::kHKeyCurrentUser) return "HKCU";
    return {};
}

std::string HiveFileName(plat::HKey root, const std::string& keyPath, const std::string& name) {
    return RootText(root) + ";" + EncodeKeyPath(keyPath) + ";" + EncodeKeyPath(name) + ".TW";
}

std::map<std::string, std::string> ReadFolderIndex(const std::string& itemFolder) {
    std::map<std::string, std::string> index;
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
        if (tab == std::string::npos || tab == 0) continue;
        std::string name = plat::wideToAnsi(fromUtf8(line.substr(0, tab)));
        std::string folder = plat::wideToAnsi(fromUtf8(line.substr(tab + 1)));
        // Only an absolute folder path with its trailing backslash is usable.
        if (folder.size() < 3 || folder[1] != ':' || folder[2] != '\\' || folder.back() != '\\')
            continue;
        index.emplace(upperAscii(name), folder);
    }
    return index;
}

std::string PrepareFileBackupFolder(const std::string& itemFolder, const std::string& folder) {
    const std::string item = includeTrailingBackslash(itemFolder);
    const std::string source = includeTrailingBackslash(folder);
    if (!forceDirectories(item)) return {};
    auto index = ReadFolderIndex(item);
    for (const auto& [name, original] : index) {
        if (equalsIgnoreCase(original, source)) {
            std::string sub = item + name + "\\";
            // The recorded name may differ in letter case only; the file system does not mind.
            return forceDirectories(sub) ? sub : std::string();
        }
    }
    // A new source folder: its encoded name, made unique when another source
    // folder (one holding ";" or "'") already encodes to the same name.
    const std::string encoded = EncodeFolder(source);
    std::string name = encoded;
    for (int n = 2;; ++n) {
        bool taken = index.count(upperAscii(name)) != 0;
        if (!taken && directoryExists(item + name)) {
            // A sub-folder written without an index entry belongs to whatever its name decodes to.
            taken = !equalsIgnoreCase(DecodeFolder(name), source);
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
        auto found = index.find(upperAscii(e.name));
        const std::string target = found != index.end() ? found->second : DecodeFolder(e.name);
        if (target.empty()) continue;
        const std::string sourceFolder = f + e.name + "\\";
        std::vector<plat::FindData> files;
        plat::findEntries(sourceFolder + "*", files);
        for (const auto& n : files) {
            if (isDots(n.name) || (n.attributes & plat::kAttrDirectory) != 0) continue;
            if (!directoryExists(target)) forceDirectories(target);
            const std::string from = sourceFolder + n.name;
            const std::string to = target + n.name;
            if (plat::copyFile(from, to, false) == plat::kOk) {
                RunLog().appendAnsi("Restored File (" + to + ")");
                continue;
            }
            // In use: stage the copy beside it and let the next start of Windows swap them.
            const std::string staged = target + "__" + n.name;
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
        const std::string& n = e.name;
        if ((e.attributes & plat::kAttrDirectory) != 0) continue;
        plat::HKey root;
        if (startsWith(n, "HKLM"))
            root = plat::kHKeyLocalMachine;
        else if (startsWith(n, "HKCU"))
            root = plat::kHKeyCurrentUser;
        else
            continue;
        // "HKLM;" + key path + ".TW": anything shorter names no key.
        if (n.size() <= 8) continue;
        const std::string keyPath = replaceAll(n.substr(5, n.size() - 8), ";", "\\");
        const std::string display = replaceAll(n.substr(0, n.size() - 3), ";", "\\");
        bool ok;
        {
            TRegistrySelf reg;
            reg.SetRootKey(root);
            ok = reg.RestoreKey(keyPath, f + n);
        }
        RunLog().appendAnsi((ok ? "Restored Registry (" : "Not Restored Registry (") + display + ")");
    }
}

}  // namespace tw
