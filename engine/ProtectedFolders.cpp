#include "engine/ProtectedFolders.h"

#include <map>

#include "engine/FolderPath.h"
#include "engine/RegistrySelf.h"
#include "log/LogUnit.h"
#include "platform/common.h"
#include "store/BackupStore.h"

namespace tw {

namespace {

using plat::SystemFolder;

const wchar_t* const kProfileList = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";

bool isRoot(const std::wstring& path) {
    if (path.size() <= 3) return true;  // "C:\"
    if (path.compare(0, 2, L"\\\\") != 0) return false;
    // "\\server\share" and "\\server\share\" are the roots of a share.
    const auto server = path.find(L'\\', 2);
    if (server == std::wstring::npos) return true;
    const auto share = path.find(L'\\', server + 1);
    return share == std::wstring::npos || share + 1 == path.size();
}

std::wstring parentOf(const std::wstring& path) {
    const auto cut = path.find_last_of(L'\\');
    if (cut == std::wstring::npos) return {};
    return cut == 2 ? path.substr(0, 3) : path.substr(0, cut);
}

// What a folder path reaches: the final path of its deepest part that can be
// opened, with the rest of the spelling added (a protected folder need not
// exist for its ancestors to be refused).
std::wstring reach(const std::wstring& spelling) {
    const auto norm = NormalizeFolderPathW(spelling);
    if (!norm) return {};
    std::wstring head = *norm, tail;
    for (;;) {
        plat::EntryHandle h;
        plat::EntryInfo info;
        if (plat::openEntry(head, plat::kOpenFollowLink, h) == plat::kOk && plat::entryInfo(h, info) == plat::kOk)
            return tail.empty() ? info.finalPath : JoinPath(info.finalPath, tail);
        if (head.size() <= 3) return *norm;
        const auto cut = head.find_last_of(L'\\');
        tail = tail.empty() ? head.substr(cut + 1) : head.substr(cut + 1) + L"\\" + tail;
        head = parentOf(head);
    }
}

// %SystemRoot% and %windir% are the system's own Windows folder, whatever the
// environment says; other names come from the environment.
std::wstring expandProfilePath(const std::wstring& text, const std::wstring& windows) {
    const std::wstring in = text;
    std::wstring out;
    for (std::size_t i = 0; i < in.size();) {
        const auto end = in[i] == L'%' ? in.find(L'%', i + 1) : std::wstring::npos;
        if (end == std::wstring::npos) {
            out += in[i++];
            continue;
        }
        const std::wstring name = in.substr(i + 1, end - i - 1);
        std::optional<std::wstring> value;
        if (plat::sameNameIgnoreCase(name, L"SystemRoot") || plat::sameNameIgnoreCase(name, L"windir"))
            value = windows;
        else if (plat::sameNameIgnoreCase(name, L"SystemDrive") && windows.size() >= 2)
            value = windows.substr(0, 2);
        else if (auto env = plat::getEnv(name))
            value = *env;
        out += value ? *value : in.substr(i, end - i + 1);
        i = end + 1;
    }
    return out;
}

std::vector<std::wstring> profileListPaths(const std::wstring& windows) {
    std::vector<std::wstring> out;
    TRegistrySelf reg;
    reg.SetRootKey(plat::kHKeyLocalMachine);
    std::vector<std::wstring> sids;
    if (reg.OpenKey(kProfileList, false)) reg.GetKeyNames(sids);
    for (const auto& sid : sids) {
        reg.CloseKey();
        if (!reg.OpenKey(std::wstring(kProfileList) + L"\\" + sid, false)) continue;
        try {
            const std::wstring path = reg.ReadString(L"ProfileImagePath");
            if (!path.empty()) out.push_back(expandProfilePath(path, windows));
        } catch (const std::exception&) {
            // A value of another type names no profile.
        }
    }
    reg.CloseKey();
    return out;
}

// The known folders as the system spells them, asked once in the program's
// life: the enumeration takes a few tenths of a second under Wine. What each
// spelling reaches is found afresh at every collection; a folder moved while
// the program runs is still looked for at its first place.
const std::vector<plat::KnownFolder>& knownFolderSpellings() {
    static const std::vector<plat::KnownFolder> folders = plat::knownFolders();
    return folders;
}

// The part of a path below a folder holding it ("" for the folder itself).
std::optional<std::wstring> partBelow(const std::wstring& folder, const std::wstring& path) {
    if (!IsSameOrAncestor(folder, path)) return std::nullopt;
    const std::size_t skip = folder.size() + (path.size() > folder.size() && folder.back() != L'\\' ? 1 : 0);
    return path.substr(skip);
}

// True when a folder below a profile (`part`, its path there) is, or holds, a
// folder every profile has.
bool holdsProfilePart(const std::wstring& part, const ProtectedSet& set) {
    if (part.empty()) return false;
    for (const auto& p : set.profileParts)
        if (IsSameOrAncestor(part, p)) return true;
    return false;
}

bool insideWindows(const std::wstring& finalPath, const ProtectedSet& set) {
    for (const auto& w : set.windows)
        if (IsSameOrAncestor(w, finalPath)) return true;
    return false;
}

}  // namespace

const ProtectedSet& ProtectionRule::Set() {
    if (!set_) set_ = CollectProtectedFolders();
    return *set_;
}

std::wstring ProgramFolderFinalPath() { return reach(programFolder()); }

bool IsInsideProgramFolder(const std::wstring& finalPath, bool backupSetsMayGo) {
    const std::wstring program = ProgramFolderFinalPath();
    if (program.empty()) return false;
    // A program kept in a drive root guards the root's own files, not the
    // whole drive. Its data folders are its own wherever a link makes them lie.
    bool own = isRoot(program) ? plat::sameNameIgnoreCase(program, finalPath) : IsSameOrAncestor(program, finalPath);
    for (const wchar_t* data : {L"Backup", L"Logs", L"Desktop Icon"})
        own = own || IsSameOrAncestor(reach(JoinPath(program, data)), finalPath);
    if (!own) return false;
    if (!backupSetsMayGo) return true;
    // A backup set is a folder below the backup root, never the root itself.
    const std::wstring backup = reach(BackupRoot());
    return backup.empty() || plat::sameNameIgnoreCase(backup, finalPath) || !IsSameOrAncestor(backup, finalPath);
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
    if (!folder.empty() && folder.back() == L'\\') return folder + name;
    return folder + L"\\" + name;
}

ProtectedSet CollectProtectedFolders() {
    ProtectedSet set;
    // Each spelling is reached once: the system and the environment name
    // many folders twice, and finding a final path is slow under Wine.
    std::map<std::wstring, std::wstring> reached;
    auto add = [&](const std::wstring& spelling) {
        if (spelling.empty()) return std::wstring();
        const auto [it, fresh] = reached.try_emplace(spelling);
        if (!fresh) return it->second;
        it->second = reach(spelling);
        if (!it->second.empty()) set.folders.push_back(it->second);
        return it->second;
    };
    auto addProfileFolder = [&](const std::wstring& spelling) {
        const std::wstring r = spelling.empty() ? std::wstring() : reach(spelling);
        // A profile straight below a drive root leaves no profiles folder to guard.
        if (r.empty() || isRoot(r)) return;
        set.folders.push_back(r);
        set.profileFolders.push_back(r);
    };
    auto addWindows = [&](const std::wstring& windows) {
        if (windows.empty()) return;
        set.windows.push_back(add(windows));
        add(windows + L"\\System");
        add(windows + L"\\Sysnative");
    };

    const std::wstring windows = plat::systemFolder(SystemFolder::Windows);
    const std::wstring systemWindows = plat::systemFolder(SystemFolder::SystemWindows);
    addWindows(windows);
    addWindows(systemWindows);
    for (SystemFolder f : {SystemFolder::System, SystemFolder::SystemWow64, SystemFolder::ProgramFiles,
                           SystemFolder::ProgramFilesX86, SystemFolder::ProgramFilesX64, SystemFolder::ProgramData,
                           SystemFolder::Public, SystemFolder::Profile, SystemFolder::RoamingAppData,
                           SystemFolder::LocalAppData, SystemFolder::LocalAppDataLow})
        add(plat::systemFolder(f));
    addProfileFolder(plat::systemFolder(SystemFolder::UserProfiles));

    // Every known folder the system reports; a per-user one also names its
    // part below the profile, which every other profile has too.
    const auto ownProfile = NormalizeFolderPathW(plat::systemFolder(SystemFolder::Profile));
    for (const auto& k : knownFolderSpellings()) {
        add(k.path);
        const auto unmoved = NormalizeFolderPathW(k.defaultPath);
        const auto part = ownProfile && unmoved ? partBelow(*ownProfile, *unmoved) : std::nullopt;
        if (part && !part->empty()) set.profileParts.push_back(*part);
    }
    if (ownProfile) set.profiles.push_back(reach(*ownProfile));

    for (const auto& profile : profileListPaths(systemWindows.empty() ? windows : systemWindows)) {
        set.profiles.push_back(add(profile));
        for (const wchar_t* root : {L"\\AppData\\Local", L"\\AppData\\LocalLow", L"\\AppData\\Roaming"})
            add(profile + root);
    }

    add(programFolder());
    add(BackupRoot());
    add(LogFolder());

    // The environment may add folders, never take one away.
    auto env = [](const wchar_t* name) {
        const auto v = plat::getEnv(name);
        return v ? *v : std::wstring();
    };
    for (const wchar_t* name : {L"SYSTEMROOT", L"windir"}) {
        const std::wstring v = env(name);
        if (v.empty()) continue;
        addWindows(v);
        add(v + L"\\System32");
        add(v + L"\\SysWOW64");
    }
    for (const wchar_t* name : {L"ProgramFiles", L"ProgramFiles(x86)", L"ProgramW6432", L"ProgramData",
                                L"ALLUSERSPROFILE", L"PUBLIC", L"APPDATA", L"LOCALAPPDATA", L"USERPROFILE"})
        add(env(name));
    for (const wchar_t* name : {L"USERPROFILE", L"PUBLIC"}) {
        const std::wstring v = env(name);
        if (!v.empty()) addProfileFolder(parentOf(reach(v)));
    }
    return set;
}

bool IsProtectedFinalPath(const std::wstring& finalPath, const ProtectedSet& set) {
    if (isRoot(finalPath)) return true;
    for (const auto& p : set.folders)
        if (IsSameOrAncestor(finalPath, p)) return true;
    for (const auto& profile : set.profiles)
        if (const auto part = partBelow(profile, finalPath); part && holdsProfilePart(*part, set)) return true;
    for (const auto& users : set.profileFolders) {
        if (finalPath.size() <= users.size() + 1 || !IsSameOrAncestor(users, finalPath)) continue;
        // The parts below the profiles folder: profile, AppData, its root.
        const std::wstring inUsers = finalPath.substr(users.size() + (users.back() == L'\\' ? 0 : 1));
        std::vector<std::wstring> rel(1);
        for (wchar_t c : inUsers) {
            if (c == L'\\') rel.emplace_back();
            else rel.back() += c;
        }
        if (rel.size() == 1) return true;
        if (holdsProfilePart(inUsers.substr(rel[0].size() + 1), set)) return true;
        if (!plat::sameNameIgnoreCase(rel[1], L"AppData")) continue;
        if (rel.size() == 2) return true;
        if (rel.size() == 3)
            for (const wchar_t* root : {L"Local", L"LocalLow", L"Roaming"})
                if (plat::sameNameIgnoreCase(rel[2], root)) return true;
    }
    return false;
}

FolderVerdict JudgeOpenedFolder(plat::EntryHandle handle, std::uint32_t listedAttributes, ProtectionRule& rule,
                                bool installFolder) {
    FolderVerdict v;
    plat::EntryInfo info;
    if (!handle || plat::entryInfo(handle, info) != plat::kOk) return v;
    if ((info.attributes & plat::kAttrDirectory) == 0) return v;
    const bool link = (info.attributes & plat::kAttrReparsePoint) != 0;
    // Shown as a link but opened as its target: the system followed it, so it
    // cannot be removed as a link.
    if (listedAttributes != plat::kInvalidAttributes && (listedAttributes & plat::kAttrReparsePoint) != 0 && !link)
        return v;
    const ProtectedSet& set = rule.Set();
    if (IsProtectedFinalPath(info.finalPath, set) || IsInsideProgramFolder(info.finalPath, rule.backupSetsMayGo))
        return v;
    if (installFolder && insideWindows(info.finalPath, set)) return v;
    if (link) {
        // A link to a protected folder stays: removing it would break the paths that use it.
        plat::EntryHandle target;
        plat::EntryInfo targetInfo;
        if (plat::openEntry(info.finalPath, plat::kOpenFollowLink, target) == plat::kOk &&
            plat::entryInfo(target, targetInfo) == plat::kOk &&
            (IsProtectedFinalPath(targetInfo.finalPath, set) ||
             (installFolder && insideWindows(targetInfo.finalPath, set))))
            return v;
    }
    v.allowed = true;
    v.link = link;
    v.handle = std::move(handle);
    v.finalPath = std::move(info.finalPath);
    return v;
}

namespace {
FolderVerdict judgePath(const std::wstring& path, ProtectionRule& rule, bool installFolder) {
    const auto norm = NormalizeFolderPathW(path);
    if (!norm || norm->size() <= 3) return {};  // unusable, or a drive root
    plat::EntryHandle h;
    if (plat::openEntry(path, plat::kOpenForDelete, h) != plat::kOk) return {};
    return JudgeOpenedFolder(std::move(h), plat::getFileAttributes(excludeTrailingBackslash(path)), rule,
                             installFolder);
}
}  // namespace

FolderVerdict JudgeFolder(const std::wstring& path, ProtectionRule& rule) { return judgePath(path, rule, false); }
FolderVerdict JudgeInstallFolder(const std::wstring& path, ProtectionRule& rule) {
    return judgePath(path, rule, true);
}

}  // namespace tw
