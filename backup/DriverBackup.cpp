#include "backup/DriverBackup.h"

#include <cstdint>
#include <vector>

#include "backup/BackupUnit.h"
#include "engine/ProtectedFolders.h"
#include "log/LogUnit.h"
#include "platform/common.h"
#include "platform/platform.h"
#include "store/BackupStore.h"

namespace tw {

namespace {

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

void RestoreDrivers(const std::wstring& item) {
    RestoreRegistry(item);
    const std::wstring f = BackupRoot() + includeTrailingBackslash(item);
    std::vector<plat::FindData> folders;
    plat::findEntries(f + L"*", folders);
    for (const plat::FindData& e : folders) {
        if ((e.attributes & plat::kAttrDirectory) == 0 || plat::isDots(e.name)) continue;
        const std::wstring inf = originalInf(f + e.name + L"\\", e.name);
        std::wstring published;
        const bool restored = !inf.empty() && plat::installDriverPackage(inf, published) == plat::kOk;
        RunLog().append((restored ? L"Restored Driver Package (" : L"Not Restored Driver Package (") + e.name + L")");
    }
}

}  // namespace tw
