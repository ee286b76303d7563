// The backup store on disk: its root, reading a files item's index, and
// preparing the sub-folder that receives a source folder's copies.
#include "store/BackupStore.h"

#include <vector>

#include "platform/common.h"

namespace tw {

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

}  // namespace tw
