// The protected-folder rule. Protection is decided on what a path reaches,
// never on its spelling: the protected folders come from the system and are
// compared as final paths (GetFinalPathNameByHandleW), and a candidate is
// opened without following a final link and judged by its own final path.
// Short names, links in the middle, drive substitutes, letter case in any
// script and double-byte code pages thus all give the same answer, and what
// cannot be opened is not deleted.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace tw {

// Final paths of the folders no deletion may reach.
struct ProtectedSet {
    // Refused together with every folder above them: the Windows folders
    // (GetWindowsDirectory, GetSystemWindowsDirectory, GetSystemDirectory,
    // GetSystemWow64Directory, System, Sysnative), the known folders (Program
    // Files of both bitnesses, ProgramData, Public, the profiles folder, the
    // profile and its AppData roots), every profile of the ProfileList with
    // Local, LocalLow and Roaming below its AppData, the program's folder,
    // the backup and log folders. Environment values only add to these.
    std::vector<std::wstring> folders;
    // Folders holding profiles: each folder straight in one is a profile and
    // refused, with its AppData, AppData\Local, LocalLow and Roaming.
    std::vector<std::wstring> profileFolders;
    // Every known folder the system reports joins `folders`: the machine's
    // and the running user's. The system names another profile's folders
    // only to its own user, so those are found by their parts below the
    // profile ("AppData\Local\Microsoft\Windows\INetCache"), in each
    // profile of the ProfileList (`profiles`) and each folder straight in a
    // profiles folder; refused with every folder above them in the profile.
    std::vector<std::wstring> profiles;
    std::vector<std::wstring> profileParts;
    // The Windows folders (the system's, and the environment's as it adds).
    std::vector<std::wstring> windows;
};
ProtectedSet CollectProtectedFolders();
// The protected folders one target's judgements compare with, and whether
// backup sets may go. The set is collected at the first judgement and kept
// until Forget: a target's cleaning changes neither the system's folders,
// the profiles nor the environment. The program's own folders are judged
// afresh every time (a backup set is made while the target is cleaned).
class ProtectionRule {
public:
    const ProtectedSet& Set();
    void Forget() { set_.reset(); }
    // Only the Backup dialog's removal of backup sets says so.
    bool backupSetsMayGo = false;

private:
    std::optional<ProtectedSet> set_;
};
// True for a drive or share root and for what the set protects.
bool IsProtectedFinalPath(const std::wstring& finalPath, const ProtectedSet& set);

// What the program's own folder reaches (its final path), or its normalised
// spelling when it cannot be opened.
std::wstring ProgramFolderFinalPath();
// True when a final path lies inside the program's own folder: its settings,
// logs, backup sets and layouts are never a target's to delete. With
// backupSetsMayGo (only the Backup dialog's removal), a backup set, a folder
// below the backup root, is not.
bool IsInsideProgramFolder(const std::wstring& finalPath, bool backupSetsMayGo = false);

// A candidate folder, opened and judged. When allowed, the handle is open
// (with the right to delete when granted) and every later step acts through
// it, so what was judged is what goes.
struct FolderVerdict {
    bool allowed = false;
    bool link = false;  // a junction or symbolic link: it is removed itself, never followed
    plat::EntryHandle handle;
    std::wstring finalPath;
};
// A path from the registry or the environment: refused when it is not an
// absolute drive path, is a drive root, cannot be opened, is no folder, is
// protected, or is a link leading to a protected folder or one the system
// followed when asked not to (Wine does).
FolderVerdict JudgeFolder(const std::wstring& path, ProtectionRule& rule);
// A folder named whole by a registry value (a vendor's install folder): the
// same rule, and refused as well when it lies inside the Windows folder.
FolderVerdict JudgeInstallFolder(const std::wstring& path, ProtectionRule& rule);
// The same for an entry already opened (without following a final link);
// listedAttributes are what the path or the listing showed for it.
// With installFolder, JudgeInstallFolder's rule.
FolderVerdict JudgeOpenedFolder(plat::EntryHandle handle, std::uint32_t listedAttributes, ProtectionRule& rule,
                                bool installFolder = false);

// "C:\A" + "b" -> "C:\A\b"; a root keeps its single backslash.
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);

}  // namespace tw
