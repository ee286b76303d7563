#include "backup/BackupUnit.h"

#include <vector>

#include "engine/ProtectedFolders.h"
#include "engine/RegistrySelf.h"
#include "engine/RestartQueue.h"
#include "log/LogUnit.h"
#include "platform/common.h"
#include "platform/platform.h"
#include "store/BackupStore.h"

namespace tw {

namespace {

bool isInside(const std::wstring& path, const std::wstring& folder) {
    return !folder.empty() && path.size() >= folder.size() &&
           plat::sameNameIgnoreCase(path.substr(0, folder.size()), folder) &&
           (path.size() == folder.size() || path[folder.size()] == L'\\' || folder.back() == L'\\');
}

// Opens (making what is missing) the folder a restore writes into, one name
// at a time from its drive root, each relative to the folder above it. Every
// existing folder must be what its name reaches (no link, no short name),
// and none may be the backup store or lie in it: what the store reaches is
// compared, so no spelling of its path (letter case of any script, a short
// name, a link) leads a restore into it. Nothing is made inside the store.
bool openRestoreFolder(const std::wstring& folder, plat::EntryHandle& out, std::wstring& finalPath) {
    plat::EntryHandle store;
    plat::EntryInfo storeInfo;
    if (plat::openEntry(BackupRoot(), plat::kOpenFollowLink, store) != plat::kOk ||
        plat::entryInfo(store, storeInfo) != plat::kOk)
        storeInfo.finalPath.clear();
    plat::EntryHandle dir;
    plat::EntryInfo info;
    if (plat::openEntry(folder.substr(0, 3), plat::kOpenFollowLink, dir) != plat::kOk ||
        plat::entryInfo(dir, info) != plat::kOk)
        return false;
    std::wstring reached = info.finalPath;
    for (std::size_t start = 3; start < folder.size();) {
        const std::size_t end = folder.find(L'\\', start);
        const std::wstring name = folder.substr(start, end - start);
        start = end == std::wstring::npos ? folder.size() : end + 1;
        plat::EntryHandle next;
        plat::Error e = plat::openEntryAt(dir, name, 0, next);
        if (e == plat::kErrFileNotFound || e == plat::kErrPathNotFound)
            e = plat::openEntryAt(dir, name, plat::kCreateFolder, next);
        if (e != plat::kOk || plat::entryInfo(next, info) != plat::kOk) return false;
        const std::wstring expected = JoinPath(reached, name);
        if ((info.attributes & (plat::kAttrReparsePoint | plat::kAttrDirectory)) != plat::kAttrDirectory ||
            !plat::sameNameIgnoreCase(info.finalPath, expected) || isInside(info.finalPath, storeInfo.finalPath))
            return false;
        dir = std::move(next);
        reached = info.finalPath;
    }
    out = std::move(dir);
    finalPath = reached;
    return !isInside(reached, storeInfo.finalPath);
}

// True when `name` in the open folder is absent, or an ordinary file that is
// what its name reaches (never a link or a folder).
bool replaceable(const plat::EntryHandle& dir, const std::wstring& dirPath, const std::wstring& name) {
    plat::EntryHandle h;
    const plat::Error e = plat::openEntryAt(dir, name, 0, h);
    if (e == plat::kErrFileNotFound) return true;
    plat::EntryInfo info;
    return e == plat::kOk && plat::entryInfo(h, info) == plat::kOk &&
           (info.attributes & (plat::kAttrReparsePoint | plat::kAttrDirectory)) == 0 &&
           plat::sameNameIgnoreCase(info.finalPath, JoinPath(dirPath, name));
}

// Writes a copy, read through its handle, as `name` of the open folder.
bool writeCopy(const plat::EntryHandle& source, const plat::EntryHandle& dir, const std::wstring& name) {
    plat::EntryHandle target;
    return plat::openEntryAt(dir, name, plat::kCreateFile, target) == plat::kOk &&
           plat::copyEntryInto(source, target) == plat::kOk;
}

// One backup copy back to its folder. A file in use there is not
// overwritten: its copy waits beside it ("__" + name) for the next start of
// Windows, which deletes the old file first and then renames the copy. That
// is queued only where only administrators can change the folders on the
// way, so that both paths still name these files at the restart.
bool restoreFile(const std::wstring& from, const std::wstring& target, const std::wstring& name) {
    plat::EntryHandle source, dir;
    plat::EntryInfo sourceInfo;
    std::wstring dirPath;
    if (!IsRestorableName(name) || plat::openEntry(from, 0, source) != plat::kOk ||
        plat::entryInfo(source, sourceInfo) != plat::kOk ||
        (sourceInfo.attributes & (plat::kAttrReparsePoint | plat::kAttrDirectory)) != 0 ||
        !openRestoreFolder(target, dir, dirPath) || !replaceable(dir, dirPath, name) ||
        !replaceable(dir, dirPath, L"__" + name))
        return false;
    if (writeCopy(source, dir, name)) return true;
    if (OnlyAdminsCanChangePath(dirPath) && writeCopy(source, dir, L"__" + name)) {
        const std::wstring to = JoinPath(dirPath, name);
        plat::moveFileAtReboot(to, L"");
        plat::moveFileAtReboot(JoinPath(dirPath, L"__" + name), to);
    }
    return false;
}

}  // namespace

void RestoreFiles(const std::wstring& item) {
    const std::wstring f = BackupRoot() + includeTrailingBackslash(item);
    const auto index = ReadFolderIndex(f);
    std::vector<plat::FindData> folders;
    plat::findEntries(f + L"*", folders);
    for (const auto& e : folders) {
        if (plat::isDots(e.name)) continue;
        if ((e.attributes & (plat::kAttrHidden | plat::kAttrSystem)) != 0) continue;
        if ((e.attributes & plat::kAttrDirectory) == 0) continue;
        const std::wstring target = RestoreFolder(index, e.name);
        const std::wstring sourceFolder = f + e.name + L"\\";
        std::vector<plat::FindData> files;
        plat::findEntries(sourceFolder + L"*", files);
        for (const auto& n : files) {
            if (plat::isDots(n.name) || (n.attributes & plat::kAttrDirectory) != 0) continue;
            const std::wstring from = sourceFolder + n.name;
            if (target.empty()) {
                // No sound place to go back to: the copy stays where it is.
                RunLog().append(L"Not Restored File (" + from + L")");
                continue;
            }
            // The folder is opened and checked for each file, before any
            // missing folder is made: a folder can be swapped for a link
            // while the restore runs.
            const bool restored = restoreFile(from, target, n.name);
            RunLog().append((restored ? L"Restored File (" : L"Not Restored File (") + target + n.name + L")");
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
