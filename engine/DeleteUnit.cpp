#include "engine/DeleteUnit.h"

#include "backup/BackupUnit.h"
#include "engine/DeleteMode.h"
#include "engine/ProtectedFolders.h"
#include "engine/RegistrySelf.h"
#include "engine/RestartQueue.h"
#include "log/LogUnit.h"
#include "log/RunNotes.h"
#include "platform/common.h"
#include "settings/VarUnit.h"

namespace tw {

std::wstring BackupPath;

namespace {

std::function<void()>& progressHook() {
    static std::function<void()> hook;
    return hook;
}

std::function<void(const std::wstring&)>& routineTrace() {
    static std::function<void(const std::wstring&)> sink;
    return sink;
}
void addField(std::wstring& line, const std::wstring& text) { line += L'\t' + text; }
void addField(std::wstring& line, plat::HKey root) { addField(line, RootText(root)); }
void addField(std::wstring& line, const std::vector<std::wstring>& list) {
    for (const auto& item : list) addField(line, item);
}
// One line to the routine trace, built only when a sink is set.
template <class... Args>
void trace(const wchar_t* routine, const Args&... args) {
    if (!routineTrace()) return;
    std::wstring line = routine;
    (addField(line, args), ...);
    routineTrace()(line);
}

void log(const std::wstring& line) { RunLog().append(line); }
// The reason a report gives for an item kept because its copy is not in the backup.
constexpr const wchar_t* kNoBackupCopy = L"its backup copy could not be written";

// "Not deleted <kind> (<path>)" for an item whose backup copy could not be written.
void logNotBackedUp(const wchar_t* kind, const std::wstring& path) {
    NoteRefusal(path, kNoBackupCopy);
    log(std::wstring(L"Not deleted ") + kind + L" (" + path + L")");
}

// Folder links (junctions, symbolic links) carry this attribute.
constexpr std::uint32_t kReparse = plat::kAttrReparsePoint;

// A backup item folder that can receive copies: an absolute drive path.
bool backupPathUsable() { return NormalizeFolderPathW(BackupPath).has_value(); }

// ---- the acting calls ----
// In a preview (ReportOnly) each one only answers, from what can be known
// without trying, whether it would succeed, and marks what would go; the
// decisions around them are the run's own.

// Copies an opened file of `folder` into the backup under its own name,
// reading it through its handle; true when the copy is there.
bool backupFile(const plat::EntryHandle& file, const std::wstring& folder, const std::wstring& name) {
    if (!backupPathUsable()) return false;
    if (ReportOnly()) return true;
    std::wstring target = PrepareFileBackupFolder(BackupPath, folder);
    if (target.empty() || plat::copyEntryTo(file, target + name) != plat::kOk) return false;
    NoteBackupCopy(folder + name, target + name);
    return true;
}

std::wstring registryLine(plat::HKey root, const std::wstring& keyPath, const std::wstring& name);

// Saves a key below the open key into the backup; true when the hive is written.
bool backupKey(TRegistrySelf& reg, plat::HKey root, const std::wstring& keyPath, const std::wstring& name) {
    const std::wstring file = HiveFileName(root, keyPath, name);
    if (!backupPathUsable() || RootText(root).empty() || file.empty()) return false;
    if (ReportOnly()) return true;
    const std::wstring folder = includeTrailingBackslash(BackupPath);
    if (!forceDirectories(folder) || !reg.SaveKey(name, folder + file)) return false;
    NoteBackupCopy(registryLine(root, keyPath, name), folder + file);
    return true;
}

std::wstring registryLine(plat::HKey root, const std::wstring& keyPath, const std::wstring& name) {
    return RootText(root) + L"\\" + keyPath + L"\\" + name;
}

// A read-only entry cannot be deleted (nor can a folder as a file).
bool wouldRemove(const std::wstring& path, std::uint32_t attributes) {
    if ((attributes & plat::kAttrReadOnly) != 0) return false;
    MarkGone(path);
    return true;
}

// The acting calls of the walk, kept apart from its decisions. `path` is the
// entry's path as the walk spells it.
bool removeEntry(const plat::EntryHandle& entry, const std::wstring& path) {
    if (ReportOnly()) {
        plat::EntryInfo info;
        return plat::entryInfo(entry, info) == plat::kOk && wouldRemove(path, info.attributes);
    }
    return plat::deleteEntry(entry) == plat::kOk;
}
// Queues the opened file's deletion for the next start of Windows, so that
// only it goes then (engine/RestartQueue.h); a preview queues nothing.
void scheduleAtRestart(const plat::EntryHandle& file, const std::wstring& path) {
    if (!ReportOnly() && !QueueDeletionAtRestart(file).empty()) NoteQueuedAtRestart(path);
}

// `identity` names the key (the value's key) in the preview's marks.
bool removeKey(TRegistrySelf& reg, const std::wstring& identity, const std::wstring& name) {
    if (ReportOnly()) {
        MarkKeyGone(identity);
        return true;
    }
    return reg.DeleteKey(name);
}

bool removeValue(TRegistrySelf& reg, const std::wstring& identity, const std::wstring& name) {
    if (ReportOnly()) {
        MarkValueGone(identity, name);
        return true;
    }
    return reg.DeleteValue(name);
}

// "Deleted registry (...)" or, in a preview, "Would delete registry (...)".
std::wstring registryOutcome(bool removed, const std::wstring& line) {
    return (removed ? DeletedWord() + std::wstring(L"registry (") : std::wstring(L"Not deleted registry (")) + line +
           L")";
}
std::wstring folderOutcome(bool removed, const std::wstring& folder) {
    return (removed ? DeletedWord() + std::wstring(L"folder (") : std::wstring(L"Not deleted folder (")) + folder +
           L")";
}

// Opens one listed name relative to its folder's handle; false when it
// cannot be opened or what the open reached is not that name in that folder
// (a link the system followed, as Wine does, or a name swapped since).
bool openListed(const plat::EntryHandle& dir, const std::wstring& dirFinalPath, const std::wstring& name,
                plat::EntryHandle& entry, plat::EntryInfo& info) {
    return plat::openEntryAt(dir, name, plat::kOpenForDelete, entry) == plat::kOk &&
           plat::entryInfo(entry, info) == plat::kOk &&
           plat::sameNameIgnoreCase(info.finalPath, JoinPath(dirFinalPath, name));
}

// A file of the walk, opened and checked: backed up first when backups are
// on (read through the same handle), then deleted through its handle, or
// left to the restart.
bool deleteWalkedFile(const plat::EntryHandle& file, const std::wstring& folder, const std::wstring& name) {
    const std::wstring path = folder + name;
    if (BackupEnabled) {
        if (!backupFile(file, folder, name)) {  // not copied, so it stays
            NoteRefusal(path, kNoBackupCopy);
            return false;
        }
        if (removeEntry(file, path)) return true;
        scheduleAtRestart(file, path);
        return false;
    }
    if (removeEntry(file, path)) return true;
    if (DeleteAtReboot) scheduleAtRestart(file, path);
    return false;
}

// The walk below a folder that has passed the protected-folder rule: `dir`
// is its open handle, `text` its path as given (with trailing backslash; it
// names backups and the restart queue), `finalPath` what the handle reaches.
bool deleteTree(const plat::EntryHandle& dir, const std::wstring& text, const std::wstring& finalPath) {
    std::vector<plat::DirEntry> entries;
    if (plat::listEntries(dir, entries) != plat::kOk) return false;
    bool ok = true;
    for (const auto& e : entries) {
        const std::wstring& name = e.name;
        if (IsGone(text + name)) continue;  // named earlier in this preview
        plat::EntryHandle entry;
        plat::EntryInfo info;
        if (!openListed(dir, finalPath, e.name, entry, info)) {
            ok = false;
            continue;
        }
        if ((info.attributes & kReparse) != 0) {
            // A link, also one swapped in after the listing: removed itself, never followed.
            if (!removeEntry(entry, text + name)) ok = false;
        } else if ((info.attributes & plat::kAttrDirectory) != 0) {
            if (!deleteTree(entry, text + name + L"\\", info.finalPath)) ok = false;
        } else if (!deleteWalkedFile(entry, text, name)) {
            ok = false;
        }
    }
    return ok && removeEntry(dir, text);
}

// Removes a judged folder: a link itself, anything else with its tree.
bool removeJudged(const FolderVerdict& verdict, const std::wstring& text) {
    if (!verdict.allowed) return false;
    if (verdict.link) return removeEntry(verdict.handle, text);
    return deleteTree(verdict.handle, includeTrailingBackslash(text), verdict.finalPath);
}

}  // namespace

void SetProgressHook(std::function<void()> hook) { progressHook() = std::move(hook); }

void SetRoutineTrace(std::function<void(const std::wstring&)> sink) { routineTrace() = std::move(sink); }
void TraceRoutine(const wchar_t* name, const std::wstring& argument) { trace(name, argument); }

void StepProgress() {
    if (progressHook()) progressHook()();
}

// ---------------------------------------------------------------- folders ----

bool IsProtectedFolder(const std::wstring& path) { return !JudgeFolder(path).allowed; }

bool DeleteFolderTree(const std::wstring& folder) { return removeJudged(JudgeFolder(folder), folder); }

void DeleteFolder(const std::wstring& folder) {
    trace(L"DeleteFolder", folder);
    const bool removed = DeleteFolderTree(includeTrailingBackslash(folder));
    log(folderOutcome(removed, folder));
}

void DeleteInstallFolder(const std::wstring& folder) {
    trace(L"DeleteInstallFolder", folder);
    const bool removed = removeJudged(JudgeInstallFolder(folder), includeTrailingBackslash(folder));
    log(folderOutcome(removed, folder));
}

void DeleteFoldersByCompany(const std::wstring& folder, const std::wstring& prefix) {
    trace(L"DeleteFoldersByCompany", folder, prefix);
    // An empty prefix would match every folder.
    if (prefix.empty()) return;
    const std::wstring f = includeTrailingBackslash(folder);
    const std::wstring wantedPrefix = prefix;
    plat::EntryHandle dir;
    plat::EntryInfo dirInfo;
    std::vector<plat::DirEntry> entries;
    if (plat::openEntry(f, plat::kOpenFollowLink, dir) != plat::kOk ||
        plat::entryInfo(dir, dirInfo) != plat::kOk || plat::listEntries(dir, entries) != plat::kOk)
        return;
    for (const auto& e : entries) {
        if ((e.attributes & (plat::kAttrHidden | plat::kAttrSystem)) != 0) continue;
        if ((e.attributes & plat::kAttrDirectory) == 0) continue;
        const std::wstring& name = e.name;
        if (IsGone(f + name)) continue;
        const std::wstring company = plat::profileRead(f + name + L"\\setup.ini", L"Startup",
                                                       L"CompanyName", L"Not");
        if (company.compare(0, wantedPrefix.size(), wantedPrefix) != 0) continue;
        // The folder is opened relative to the listed one and must still be in it.
        plat::EntryHandle sub;
        plat::EntryInfo subInfo;
        FolderVerdict verdict;
        if (openListed(dir, dirInfo.finalPath, e.name, sub, subInfo))
            verdict = JudgeOpenedFolder(std::move(sub), e.attributes);
        const bool removed = removeJudged(verdict, f + name);
        log(folderOutcome(removed, f + name));
    }
}

// ------------------------------------------------------------------ files ----

void DeleteFiles(const std::wstring& folder, const std::vector<std::wstring>& patterns) {
    trace(L"DeleteFiles", folder, patterns);
    const std::wstring f = includeTrailingBackslash(folder);
    // Only an absolute folder says where the files are, and the program's own
    // files are never a target's. The folder is listed through its handle for
    // each pattern (an earlier pattern's files are gone), each match is opened
    // relative to it, and what is judged is what is backed up and deleted: a
    // pattern never leaves its folder.
    plat::EntryHandle dir;
    plat::EntryInfo dirInfo;
    const bool usable = NormalizeFolderPathW(f).has_value() &&
                        plat::openEntry(f, plat::kOpenFollowLink, dir) == plat::kOk &&
                        plat::entryInfo(dir, dirInfo) == plat::kOk && !IsInsideProgramFolder(dirInfo.finalPath);
    for (const auto& pattern : patterns) {
        std::vector<plat::DirEntry> entries;
        if (usable && pattern.find_first_of(L"\\/:") == std::wstring::npos && pattern != L"..")
            plat::listEntries(dir, entries);
        for (const auto& e : entries) {
            if (!MatchesPattern(e.name, pattern)) continue;
            const std::wstring path = f + e.name;
            if (IsGone(path)) continue;
            plat::EntryHandle file;
            plat::EntryInfo info;
            bool removed = false;
            if (!openListed(dir, dirInfo.finalPath, e.name, file, info) ||
                (info.attributes & plat::kAttrDirectory) != 0)
                removed = false;  // a pattern names files only
            else if ((info.attributes & kReparse) != 0)
                removed = !BackupEnabled && removeEntry(file, path);  // a link has no content of its own to back up
            else
                removed = deleteWalkedFile(file, f, e.name);
            log(removed ? DeletedWord() + std::wstring(L"file (") + path + L")" : L"Not deleted file (" + path + L")");
        }
        StepProgress();
    }
}

// --------------------------------------------------------------- registry ----

// Keys are told apart by the name the system gives them, so that a key
// reached through a link in its path (CurrentControlSet) and directly is one
// key to the preview as it is to the run; a key that cannot be named keeps its
// text. Links at the end of a name are opened themselves, never followed.
namespace {
std::wstring keyIdentity(TRegistrySelf& reg, const std::wstring& name, const std::wstring& line) {
    std::wstring identity = reg.KeyName(name);
    return identity.empty() ? line : identity;
}

// A link in the middle of a path may lead out of the root the key was named
// under (a user's key to a machine key): such a key is refused, and so is one
// whose place cannot be told. Links inside the root (CurrentControlSet) stay.
bool refusedOutsideRoot(TRegistrySelf& reg, const std::wstring& identity, const std::wstring& line) {
    if (reg.WithinRoot(identity)) return false;
    NoteRefusal(line, L"a registry link leads it out of " + RootText(reg.RootKey()));
    log(L"Not deleted registry (" + line + L")");
    return true;
}
}  // namespace

void DeleteKeys(plat::HKey root, const std::wstring& keyPath, const std::vector<std::wstring>& names) {
    trace(L"DeleteKeys", root, keyPath, names);
    TRegistrySelf reg;
    reg.SetRootKey(root);
    // A path that cannot be opened yields only the progress steps: the names
    // are never looked up anywhere else.
    const bool opened = reg.OpenKey(keyPath, false);
    for (const auto& name : names) {
        const std::wstring line = registryLine(root, keyPath, name);
        const std::wstring identity =
            opened && !name.empty() && reg.KeyExists(name) ? keyIdentity(reg, name, line) : std::wstring();
        if (!identity.empty() && !IsKeyGone(identity) && !refusedOutsideRoot(reg, identity, line)) {
            if (BackupEnabled && !backupKey(reg, root, keyPath, name))
                logNotBackedUp(L"registry", line);
            else
                log(registryOutcome(removeKey(reg, identity, name), line));
        }
        StepProgress();
    }
    reg.CloseKey();
}

void DeleteValues(plat::HKey root, const std::wstring& keyPath, const std::vector<std::wstring>& names) {
    trace(L"DeleteValues", root, keyPath, names);
    TRegistrySelf reg;
    reg.SetRootKey(root);
    const bool opened = reg.OpenKey(keyPath, false);
    const std::wstring keyText = RootText(root) + L"\\" + keyPath;
    const std::wstring identity = opened ? keyIdentity(reg, L"", keyText) : keyText;
    for (const auto& name : names) {
        if (opened && reg.ValueExists(name) && !IsValueGone(identity, name)) {
            const std::wstring line = registryLine(root, keyPath, name);
            log(registryOutcome(removeValue(reg, identity, name), line));
        }
        StepProgress();
    }
    reg.CloseKey();
}

void DeleteKeysByValue(plat::HKey root, const std::wstring& keyPath, const std::wstring& valueName,
                       const std::wstring& prefix) {
    trace(L"DeleteKeysByValue", root, keyPath, valueName, prefix);
    TRegistrySelf reg;
    reg.SetRootKey(root);
    std::vector<std::wstring> names;
    if (reg.OpenKey(keyPath, false)) reg.GetKeyNames(names);
    // An empty prefix would match every subkey.
    if (prefix.empty()) names.clear();
    for (const auto& name : names) {
        const std::wstring line = registryLine(root, keyPath, name);
        reg.CloseKey();
        if (name.empty() || !reg.OpenKey(keyPath, false)) continue;
        const std::wstring identity = keyIdentity(reg, name, line);
        if (IsKeyGone(identity)) continue;
        reg.CloseKey();
        std::wstring text;
        if (reg.OpenKey(keyPath + L"\\" + name, false)) text = reg.ReadString(valueName);
        if (!startsWith(text, prefix)) continue;
        reg.CloseKey();
        if (!reg.OpenKey(keyPath, false) || refusedOutsideRoot(reg, identity, line)) continue;
        if (BackupEnabled && !backupKey(reg, root, keyPath, name))
            logNotBackedUp(L"registry", line);
        else
            log(registryOutcome(removeKey(reg, identity, name), line));
    }
    reg.CloseKey();
}

}  // namespace tw
