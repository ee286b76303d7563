#include "backup/DriverBackup.h"

#include <cstdint>
#include <vector>

#include "backup/BackupUnit.h"
#include "engine/ProtectedFolders.h"
#include "log/LogUnit.h"
#include "platform/common.h"

namespace tw {

namespace {

// Everything below an open folder into `target` (made when missing).
bool copyTree(const plat::EntryHandle& dir, const std::wstring& finalPath, const std::wstring& target) {
    std::vector<plat::DirEntry> entries;
    if (!forceDirectories(target) || plat::listEntries(dir, entries) != plat::kOk) return false;
    for (const plat::DirEntry& e : entries) {
        plat::EntryHandle entry;
        plat::EntryInfo info;
        if (!IsPlainName(e.name) || plat::openEntryAt(dir, e.name, 0, entry) != plat::kOk ||
            plat::entryInfo(entry, info) != plat::kOk || (info.attributes & plat::kAttrReparsePoint) != 0 ||
            !plat::sameNameIgnoreCase(info.finalPath, JoinPath(finalPath, e.name)))
            return false;
        const bool copied = (info.attributes & plat::kAttrDirectory) != 0
                                ? copyTree(entry, info.finalPath, target + e.name + L"\\")
                                : plat::copyEntryTo(entry, target + e.name) == plat::kOk;
        if (!copied) return false;
    }
    return true;
}

// The INF of a package copy whose bytes are those of the published INF's copy.
std::wstring originalInf(const std::wstring& folder, const std::wstring& publishedName) {
    std::vector<std::uint8_t> published, candidate;
    std::vector<plat::FindData> infs;
    const std::wstring package = folder + kPackageCopyName + L"\\";
    if (plat::readFileBytes(folder + publishedName, published) != plat::kOk ||
        plat::findEntries(package + L"*.inf", infs) != plat::kOk)
        return {};
    for (const plat::FindData& e : infs)
        if ((e.attributes & plat::kAttrDirectory) == 0 && plat::readFileBytes(package + e.name, candidate) == plat::kOk &&
            candidate == published)
            return package + e.name;
    return {};
}

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

void RestoreDrivers(const std::wstring& item) {
    RestoreRegistry(item);
    const std::wstring f = BackupRoot() + includeTrailingBackslash(item);
    std::vector<plat::FindData> folders;
    plat::findEntries(f + L"*", folders);
    for (const plat::FindData& e : folders) {
        if ((e.attributes & plat::kAttrDirectory) == 0 || e.name == L"." || e.name == L"..") continue;
        const std::wstring inf = originalInf(f + e.name + L"\\", e.name);
        std::wstring published;
        const bool restored = !inf.empty() && plat::installDriverPackage(inf, published) == plat::kOk;
        RunLog().append((restored ? L"Restored Driver Package (" : L"Not Restored Driver Package (") + e.name + L")");
    }
}

}  // namespace tw
