#include "engine/RestartQueue.h"

#include <chrono>
#include <vector>

#include "engine/ProtectedFolders.h"
#include "platform/common.h"

namespace tw {

namespace {

bool isLinkOrFile(const plat::EntryInfo& info) {
    return (info.attributes & plat::kAttrReparsePoint) != 0 || (info.attributes & plat::kAttrDirectory) == 0;
}

// The program's own folder for files that wait for the restart, opened and
// checked: made with an access list of its own when missing.
bool openPendingFolder(plat::EntryHandle& folder, plat::EntryInfo& info) {
    const std::wstring path = programFolder() + L"Pending";
    plat::createAdminOnlyFolder(path);
    return plat::openEntry(path, 0, folder) == plat::kOk && plat::entryInfo(folder, info) == plat::kOk &&
           !isLinkOrFile(info) && OnlyAdminsCanChangePath(info.finalPath);
}

// A name no earlier run or file in the folder has: the time and a count.
std::wstring uniqueName(int attempt) {
    static unsigned count = 0;
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return L"tw" + std::to_wstring(std::chrono::duration_cast<std::chrono::microseconds>(now).count()) + L"-" +
           std::to_wstring(++count) + L"-" + std::to_wstring(attempt) + L".pending";
}

}  // namespace

std::wstring FolderOfPath(const std::wstring& path) {
    const auto cut = path.find_last_of(L'\\');
    if (cut == std::wstring::npos) return {};
    return cut == 2 ? path.substr(0, 3) : path.substr(0, cut);
}

bool OnlyAdminsCanChangePath(const std::wstring& folder) {
    // A drive path only: a share's folders are the server's to judge.
    if (folder.size() < 3 || folder[1] != L':' || folder[2] != L'\\') return false;
    std::wstring path = folder;
    if (path.size() > 3 && path.back() == L'\\') path.pop_back();
    std::vector<std::wstring> chain = {path.substr(0, 3)};
    for (std::size_t cut = path.find(L'\\', 3); cut != std::wstring::npos; cut = path.find(L'\\', cut + 1))
        chain.push_back(path.substr(0, cut));
    if (path.size() > 3) chain.push_back(path);
    for (std::size_t i = 0; i < chain.size(); ++i) {
        plat::EntryHandle h;
        // Opened without following a final link: a link is judged itself.
        if (plat::openEntry(chain[i], 0, h) != plat::kOk || !plat::onlyAdminsCanChange(h, i == 0)) return false;
    }
    return true;
}

std::wstring QueueDeletionAtRestart(const plat::EntryHandle& file) {
    plat::EntryInfo info;
    if (plat::entryInfo(file, info) != plat::kOk) return {};
    if (OnlyAdminsCanChangePath(FolderOfPath(info.finalPath)))
        return plat::moveFileAtReboot(info.finalPath, L"") == plat::kOk ? info.finalPath : std::wstring();
    plat::EntryHandle pending;
    plat::EntryInfo pendingInfo;
    std::uint32_t volume = 0, pendingVolume = 1;
    if (!openPendingFolder(pending, pendingInfo) || plat::entryVolume(file, volume) != plat::kOk ||
        plat::entryVolume(pending, pendingVolume) != plat::kOk || pendingVolume != volume)
        return {};
    for (int attempt = 0; attempt < 8; ++attempt) {
        const std::wstring to = JoinPath(pendingInfo.finalPath, uniqueName(attempt));
        const plat::Error e = plat::moveEntry(file, to);
        if (e != plat::kOk && e != plat::kErrAlreadyExists && e != plat::kErrFileExists) return {};
        if (e != plat::kOk) continue;
        // In a folder no one else can change its path is safe to use; a
        // read-only file would outlive the restart (Wine's, at least).
        plat::setFileAttributes(to, plat::kAttrNormal);
        return plat::moveFileAtReboot(to, L"") == plat::kOk ? to : std::wstring();
    }
    return {};
}

}  // namespace tw
