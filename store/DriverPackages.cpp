#include "store/DriverPackages.h"

#include <vector>

#include "platform/common.h"
#include "store/BackupStore.h"

namespace tw {

namespace {

// Copies the folder opened as `dir` (final path `finalPath`) into `target`,
// each entry opened relative to the folder above it.
bool copyTree(const plat::EntryHandle& dir, const std::wstring& finalPath, const std::wstring& target) {
    std::vector<plat::DirEntry> entries;
    if (!forceDirectories(target) || plat::listEntries(dir, entries) != plat::kOk) return false;
    for (const plat::DirEntry& e : entries) {
        plat::EntryHandle entry;
        plat::EntryInfo info;
        if (!IsPlainName(e.name) || plat::openEntryAt(dir, e.name, 0, entry) != plat::kOk ||
            plat::entryInfo(entry, info) != plat::kOk || (info.attributes & plat::kAttrReparsePoint) != 0 ||
            !plat::sameNameIgnoreCase(info.finalPath, includeTrailingBackslash(finalPath) + e.name))
            return false;
        const bool copied = (info.attributes & plat::kAttrDirectory) != 0
                                ? copyTree(entry, info.finalPath, target + e.name + L"\\")
                                : plat::copyEntryTo(entry, target + e.name) == plat::kOk;
        if (!copied) return false;
    }
    return true;
}

// The INF of a package copy whose bytes are those of the published INF's copy.
}  // namespace

bool BackupDriverPackage(const std::wstring& itemFolder, const std::wstring& infFolder, const std::wstring& infName,
                         const plat::EntryHandle& package, const std::wstring& packagePath) {
    const std::wstring target = includeTrailingBackslash(itemFolder) + infName + L"\\";
    plat::EntryHandle inf;
    return IsPlainName(infName) && forceDirectories(target) &&
           plat::openEntry(includeTrailingBackslash(infFolder) + infName, 0, inf) == plat::kOk &&
           plat::copyEntryTo(inf, target + infName) == plat::kOk &&
           copyTree(package, packagePath, target + kPackageCopyName + L"\\");
}

}  // namespace tw
