#include "engine/DeleteUnit.h"

#include "engine/FolderPath.h"
#include "engine/ProtectedFolders.h"
#include "engine/RegistrySelf.h"
#include "engine/RestartQueue.h"
#include "log/LogUnit.h"
#include "log/RunNotes.h"
#include "platform/common.h"
#include "store/BackupStore.h"

namespace tw {

namespace {

void addField(std::wstring& line, const std::wstring& text) { line += L'\t' + text; }
void addField(std::wstring& line, plat::HKey root) { addField(line, RootText(root)); }
void addField(std::wstring& line, const std::vector<std::wstring>& list) {
    for (const auto& item : list) addField(line, item);
}
// One line to the routine trace, built only when a sink is set.
template <class... Args>
void trace(const DeletionContext& context, const wchar_t* routine, const Args&... args) {
    if (!context.trace) return;
    std::wstring line = routine;
    (addField(line, args), ...);
    context.trace(line);
}

// The reason a report gives for an item kept because its copy is not in the backup.
constexpr const wchar_t* kNoBackupCopy = L"its backup copy could not be written";

// Folder links (junctions, symbolic links) carry this attribute.
constexpr std::uint32_t kReparse = plat::kAttrReparsePoint;

// A backup item folder that can receive copies: an absolute drive path.
bool backupPathUsable(const DeletionContext& context) {
    return NormalizeFolderPathW(context.BackupPath).has_value();
}

std::wstring registryLine(plat::HKey root, const std::wstring& keyPath, const std::wstring& name) {
    return RootText(root) + L"\\" + keyPath + L"\\" + name;
}

// ---- the acting calls ----
// Kept apart from the decisions around them, which are the same in a run and
// a preview. A run acts; a preview only answers, from what can be known
// without trying, whether each call would succeed, and marks what would go.
class ActingCalls {
public:
    virtual ~ActingCalls() = default;
    // "Deleted " in a run, "Would delete " in a preview: the start of the
    // line of an item that goes.
    virtual const wchar_t* deletedWord() const = 0;
    // Copies an opened file of `folder` into the backup item folder under its
    // own name, reading it through its handle; true when the copy is there.
    virtual bool copyFile(DeletionContext& context, const plat::EntryHandle& file, const std::wstring& folder,
                          const std::wstring& name) const = 0;
    // Saves the key `name` below the open key as the hive file `hive` of the
    // backup item folder; `line` names the key. True when the hive is written.
    virtual bool saveKey(DeletionContext& context, TRegistrySelf& reg, const std::wstring& name,
                         const std::wstring& hive, const std::wstring& line) const = 0;
    // Deletes an opened entry (a file, an emptied folder, a link) through its
    // handle; `path` is its path as the walk spells it.
    virtual bool removeEntry(DeletionContext& context, const plat::EntryHandle& entry,
                             const std::wstring& path) const = 0;
    // Queues the opened file's deletion for the next start of Windows, so
    // that only it goes then (engine/RestartQueue.h).
    virtual void queueAtRestart(const plat::EntryHandle& file, const std::wstring& path) const = 0;
    // `identity` names the key (the value's key) in the preview's marks.
    virtual bool removeKey(DeletionContext& context, TRegistrySelf& reg, const std::wstring& identity,
                           const std::wstring& name) const = 0;
    virtual bool removeValue(DeletionContext& context, TRegistrySelf& reg, const std::wstring& identity,
                             const std::wstring& name) const = 0;
};

class RunCalls final : public ActingCalls {
public:
    const wchar_t* deletedWord() const override { return L"Deleted "; }
    bool copyFile(DeletionContext& context, const plat::EntryHandle& file, const std::wstring& folder,
                  const std::wstring& name) const override {
        const std::wstring target = context.FileBackupFolder(folder);
        if (target.empty() || plat::copyEntryTo(file, target + name) != plat::kOk) return false;
        NoteBackupCopy(folder + name, target + name);
        return true;
    }
    bool saveKey(DeletionContext& context, TRegistrySelf& reg, const std::wstring& name, const std::wstring& hive,
                 const std::wstring& line) const override {
        const std::wstring folder = includeTrailingBackslash(context.BackupPath);
        if (!forceDirectories(folder) || !reg.SaveKey(name, folder + hive)) return false;
        NoteBackupCopy(line, folder + hive);
        return true;
    }
    bool removeEntry(DeletionContext&, const plat::EntryHandle& entry, const std::wstring&) const override {
        return plat::deleteEntry(entry) == plat::kOk;
    }
    void queueAtRestart(const plat::EntryHandle& file, const std::wstring& path) const override {
        if (!QueueDeletionAtRestart(file).empty()) NoteQueuedAtRestart(path);
    }
    bool removeKey(DeletionContext&, TRegistrySelf& reg, const std::wstring&, const std::wstring& name) const override {
        return reg.DeleteKey(name);
    }
    bool removeValue(DeletionContext&, TRegistrySelf& reg, const std::wstring&,
                     const std::wstring& name) const override {
        return reg.DeleteValue(name);
    }
};

class PreviewCalls final : public ActingCalls {
public:
    const wchar_t* deletedWord() const override { return L"Would delete "; }
    bool copyFile(DeletionContext&, const plat::EntryHandle&, const std::wstring&,
                  const std::wstring&) const override {
        return true;
    }
    bool saveKey(DeletionContext&, TRegistrySelf&, const std::wstring&, const std::wstring&,
                 const std::wstring&) const override {
        return true;
    }
    // A read-only entry cannot be deleted (nor can a folder as a file).
    bool removeEntry(DeletionContext& context, const plat::EntryHandle& entry,
                     const std::wstring& path) const override {
        plat::EntryInfo info;
        if (plat::entryInfo(entry, info) != plat::kOk || (info.attributes & plat::kAttrReadOnly) != 0) return false;
        context.MarkGone(path);
        return true;
    }
    void queueAtRestart(const plat::EntryHandle&, const std::wstring&) const override {}
    bool removeKey(DeletionContext& context, TRegistrySelf&, const std::wstring& identity,
                   const std::wstring&) const override {
        context.MarkKeyGone(identity);
        return true;
    }
    bool removeValue(DeletionContext& context, TRegistrySelf&, const std::wstring& identity,
                     const std::wstring& name) const override {
        context.MarkValueGone(identity, name);
        return true;
    }
};

// The one place that tells a run from a preview.
const ActingCalls& callsOf(const DeletionContext& context) {
    static const RunCalls run;
    static const PreviewCalls preview;
    if (context.Reporting()) return preview;
    return run;
}

// The policy for one file or key: with backup on, its copy is written first
// and without one it stays (a refusal, noted); then it is deleted; a file
// that could not be deleted is queued for the restart when its copy is safe
// or DeleteAtReboot says so (`queue` is empty for a key: keys are never
// queued). True when the item is gone.
template <class Copy, class Remove, class Queue>
bool backUpAndDelete(DeletionContext& context, const std::wstring& path, Copy copy, Remove remove, Queue queue) {
    if (context.BackupEnabled && !copy()) {
        NoteRefusal(path, kNoBackupCopy);
        return false;
    }
    if (remove()) return true;
    if (context.BackupEnabled || context.DeleteAtReboot) queue();
    return false;
}

// "Deleted registry (...)" or, in a preview, "Would delete registry (...)".
std::wstring outcome(const DeletionContext& context, bool removed, const wchar_t* kind, const std::wstring& line) {
    return (removed ? callsOf(context).deletedWord() : L"Not deleted ") + std::wstring(kind) + L" (" + line + L")";
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

// Backs up an opened file of `folder` (read through its handle), or a key
// below the open key: only into a usable item folder, and a key only under a
// root and a name that make a hive file name.
bool backUpFile(DeletionContext& context, const plat::EntryHandle& file, const std::wstring& folder,
                const std::wstring& name) {
    return backupPathUsable(context) && callsOf(context).copyFile(context, file, folder, name);
}
bool backUpKey(DeletionContext& context, TRegistrySelf& reg, plat::HKey root, const std::wstring& keyPath,
               const std::wstring& name) {
    const std::wstring hive = HiveFileName(root, keyPath, name);
    return backupPathUsable(context) && !RootText(root).empty() && !hive.empty() &&
           callsOf(context).saveKey(context, reg, name, hive, registryLine(root, keyPath, name));
}

// A file of the walk, opened and checked: backed up, deleted through its
// handle, or left to the restart.
bool deleteWalkedFile(DeletionContext& context, const plat::EntryHandle& file, const std::wstring& folder,
                      const std::wstring& name) {
    const std::wstring path = folder + name;
    const ActingCalls& calls = callsOf(context);
    return backUpAndDelete(
        context, path, [&] { return backUpFile(context, file, folder, name); },
        [&] { return calls.removeEntry(context, file, path); }, [&] { calls.queueAtRestart(file, path); });
}

// A key below the open key, judged: backed up, then deleted.
bool deleteKey(DeletionContext& context, TRegistrySelf& reg, plat::HKey root, const std::wstring& keyPath,
               const std::wstring& name, const std::wstring& identity) {
    return backUpAndDelete(
        context, registryLine(root, keyPath, name), [&] { return backUpKey(context, reg, root, keyPath, name); },
        [&] { return callsOf(context).removeKey(context, reg, identity, name); }, [] {});
}

// The walk below a folder that has passed the protected-folder rule: `dir`
// is its open handle, `text` its path as given (with trailing backslash; it
// names backups and the restart queue), `finalPath` what the handle reaches.
bool deleteTree(DeletionContext& context, const plat::EntryHandle& dir, const std::wstring& text,
                const std::wstring& finalPath) {
    std::vector<plat::DirEntry> entries;
    if (plat::listEntries(dir, entries) != plat::kOk) return false;
    bool ok = true;
    for (const auto& e : entries) {
        const std::wstring& name = e.name;
        if (context.IsGone(text + name)) continue;  // named earlier in this preview
        plat::EntryHandle entry;
        plat::EntryInfo info;
        if (!openListed(dir, finalPath, e.name, entry, info)) {
            ok = false;
            continue;
        }
        if ((info.attributes & kReparse) != 0) {
            // A link, also one swapped in after the listing: removed itself, never followed.
            if (!callsOf(context).removeEntry(context, entry, text + name)) ok = false;
        } else if ((info.attributes & plat::kAttrDirectory) != 0) {
            if (!deleteTree(context, entry, text + name + L"\\", info.finalPath)) ok = false;
        } else if (!deleteWalkedFile(context, entry, text, name)) {
            ok = false;
        }
    }
    return ok && callsOf(context).removeEntry(context, dir, text);
}

// Removes a judged folder: a link itself, anything else with its tree.
bool removeJudged(DeletionContext& context, const FolderVerdict& verdict, const std::wstring& text) {
    if (!verdict.allowed) return false;
    if (verdict.link) return callsOf(context).removeEntry(context, verdict.handle, text);
    return deleteTree(context, verdict.handle, includeTrailingBackslash(text), verdict.finalPath);
}

}  // namespace

// ---------------------------------------------------------------- folders ----

bool IsProtectedFolder(const std::wstring& path) {
    ProtectionRule fresh;
    return !JudgeFolder(path, fresh).allowed;
}

void DeleteFolder(DeletionContext& context, const std::wstring& folder) {
    trace(context, L"DeleteFolder", folder);
    const std::wstring text = includeTrailingBackslash(folder);
    const bool removed = removeJudged(context, JudgeFolder(text, context.protection), text);
    context.log.append(outcome(context, removed, L"folder", folder));
}

void DeleteInstallFolder(DeletionContext& context, const std::wstring& folder) {
    trace(context, L"DeleteInstallFolder", folder);
    const bool removed = removeJudged(context, JudgeInstallFolder(folder, context.protection),
                                      includeTrailingBackslash(folder));
    context.log.append(outcome(context, removed, L"folder", folder));
}

void DeleteFoldersByCompany(DeletionContext& context, const std::wstring& folder, const std::wstring& prefix) {
    trace(context, L"DeleteFoldersByCompany", folder, prefix);
    // An empty prefix would match every folder.
    if (prefix.empty()) return;
    const std::wstring f = includeTrailingBackslash(folder);
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
        if (context.IsGone(f + name)) continue;
        const std::wstring company = plat::profileRead(f + name + L"\\setup.ini", L"Startup",
                                                       L"CompanyName", L"Not");
        if (company.compare(0, prefix.size(), prefix) != 0) continue;
        // The folder is opened relative to the listed one and must still be in it.
        plat::EntryHandle sub;
        plat::EntryInfo subInfo;
        FolderVerdict verdict;
        if (openListed(dir, dirInfo.finalPath, e.name, sub, subInfo))
            verdict = JudgeOpenedFolder(std::move(sub), e.attributes, context.protection);
        const bool removed = removeJudged(context, verdict, f + name);
        context.log.append(outcome(context, removed, L"folder", f + name));
    }
}

// ------------------------------------------------------------------ files ----

void DeleteFiles(DeletionContext& context, const std::wstring& folder, const std::vector<std::wstring>& patterns) {
    trace(context, L"DeleteFiles", folder, patterns);
    const std::wstring f = includeTrailingBackslash(folder);
    // Only an absolute folder says where the files are, and the program's own
    // files are never a target's. Each match is opened relative to the
    // folder's handle, and what is judged is what is backed up and deleted: a
    // pattern never leaves its folder.
    plat::EntryHandle dir;
    plat::EntryInfo dirInfo;
    std::vector<plat::DirEntry> entries;
    if (NormalizeFolderPathW(f).has_value() && plat::openEntry(f, plat::kOpenFollowLink, dir) == plat::kOk &&
        plat::entryInfo(dir, dirInfo) == plat::kOk &&
        !IsInsideProgramFolder(dirInfo.finalPath, context.protection.backupSetsMayGo))
        plat::listEntries(dir, entries);
    // The folder is listed once for all patterns (a listing costs as much as
    // many deletions). A later pattern sees the listing as a fresh one would
    // show it: what an earlier pattern removed, or what left the folder after
    // it was opened (moved away for the restart), is gone.
    enum Seen : char { kNotYet, kStayed, kUnopened, kGone };
    std::vector<Seen> seen(entries.size(), kNotYet);
    for (const auto& pattern : patterns) {
        const bool plain = pattern.find_first_of(L"\\/:") == std::wstring::npos && pattern != L"..";
        const FilePattern wanted(plain ? pattern : std::wstring());
        for (std::size_t i = 0; plain && i < entries.size(); ++i) {
            const std::wstring& name = entries[i].name;
            if (seen[i] == kGone || !wanted.Matches(name)) continue;
            const std::wstring path = f + name;
            if (context.IsGone(path)) continue;
            plat::EntryHandle file, probe;
            plat::EntryInfo info;
            bool removed = false;
            if (!openListed(dir, dirInfo.finalPath, name, file, info)) {
                if (seen[i] == kStayed && plat::openEntryAt(dir, name, 0, probe) == plat::kErrFileNotFound) {
                    seen[i] = kGone;
                    continue;
                }
                seen[i] = kUnopened;
            } else {
                if ((info.attributes & plat::kAttrDirectory) != 0)
                    removed = false;  // a pattern names files only
                else if ((info.attributes & kReparse) != 0)  // a link has no content of its own to back up
                    removed = !context.BackupEnabled && callsOf(context).removeEntry(context, file, path);
                else
                    removed = deleteWalkedFile(context, file, f, name);
                seen[i] = removed ? kGone : kStayed;
            }
            context.log.append(outcome(context, removed, L"file", path));
        }
        context.StepProgress();
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
bool refusedOutsideRoot(DeletionContext& context, TRegistrySelf& reg, const std::wstring& identity,
                        const std::wstring& line) {
    if (reg.WithinRoot(identity)) return false;
    NoteRefusal(line, L"a registry link leads it out of " + RootText(reg.RootKey()));
    context.log.append(L"Not deleted registry (" + line + L")");
    return true;
}
}  // namespace

void DeleteKeys(DeletionContext& context, plat::HKey root, const std::wstring& keyPath,
                const std::vector<std::wstring>& names) {
    trace(context, L"DeleteKeys", root, keyPath, names);
    TRegistrySelf reg;
    reg.SetRootKey(root);
    // A path that cannot be opened yields only the progress steps: the names
    // are never looked up anywhere else.
    const bool opened = reg.OpenKey(keyPath, false);
    for (const auto& name : names) {
        const std::wstring line = registryLine(root, keyPath, name);
        const std::wstring identity =
            opened && !name.empty() && reg.KeyExists(name) ? keyIdentity(reg, name, line) : std::wstring();
        if (!identity.empty() && !context.IsKeyGone(identity) && !refusedOutsideRoot(context, reg, identity, line))
            context.log.append(
                outcome(context, deleteKey(context, reg, root, keyPath, name, identity), L"registry", line));
        context.StepProgress();
    }
    reg.CloseKey();
}

void DeleteValues(DeletionContext& context, plat::HKey root, const std::wstring& keyPath,
                  const std::vector<std::wstring>& names) {
    trace(context, L"DeleteValues", root, keyPath, names);
    TRegistrySelf reg;
    reg.SetRootKey(root);
    const bool opened = reg.OpenKey(keyPath, false);
    const std::wstring keyText = RootText(root) + L"\\" + keyPath;
    const std::wstring identity = opened ? keyIdentity(reg, L"", keyText) : keyText;
    for (const auto& name : names) {
        if (opened && reg.ValueExists(name) && !context.IsValueGone(identity, name)) {
            const bool removed = callsOf(context).removeValue(context, reg, identity, name);
            context.log.append(outcome(context, removed, L"registry", registryLine(root, keyPath, name)));
        }
        context.StepProgress();
    }
    reg.CloseKey();
}

void DeleteKeysByValue(DeletionContext& context, plat::HKey root, const std::wstring& keyPath,
                       const std::wstring& valueName, const std::wstring& prefix) {
    trace(context, L"DeleteKeysByValue", root, keyPath, valueName, prefix);
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
        if (context.IsKeyGone(identity)) continue;
        reg.CloseKey();
        std::wstring text;
        if (reg.OpenKey(keyPath + L"\\" + name, false)) text = reg.ReadString(valueName);
        if (!startsWith(text, prefix)) continue;
        reg.CloseKey();
        if (!reg.OpenKey(keyPath, false) || refusedOutsideRoot(context, reg, identity, line)) continue;
        context.log.append(outcome(context, deleteKey(context, reg, root, keyPath, name, identity), L"registry", line));
    }
    reg.CloseKey();
}

}  // namespace tw
