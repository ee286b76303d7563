#include "engine/DeleteUnit.h"

#include "backup/BackupUnit.h"
#include "engine/RegistrySelf.h"
#include "log/LogUnit.h"
#include "platform/common.h"
#include "settings/VarUnit.h"

namespace tw {

std::string BackupPath;

namespace {

std::function<void()>& progressHook() {
    static std::function<void()> hook;
    return hook;
}

bool isDots(const std::string& name) { return name == "." || name == ".."; }

void log(const std::string& line) { RunLog().appendAnsi(line); }

// Folder links (junctions, symbolic links) carry this attribute.
constexpr std::uint32_t kReparse = plat::kAttrReparsePoint;

std::vector<std::string> splitSegments(const std::string& path) {
    std::vector<std::string> out;
    std::string cur;
    for (char c : path) {
        if (c == '\\') {
            out.push_back(cur);
            cur.clear();
        } else {
            cur.push_back(c);
        }
    }
    out.push_back(cur);
    return out;
}

// A backup item folder that can receive copies: an absolute drive path.
bool backupPathUsable() { return NormalizeFolderPath(BackupPath).has_value(); }

// Copies folder + name into the backup; true when the copy is there.
bool backupFile(const std::string& folder, const std::string& name) {
    if (!backupPathUsable()) return false;
    std::string target = PrepareFileBackupFolder(BackupPath, folder);
    if (target.empty()) return false;
    return plat::copyFile(folder + name, target + name, false) == plat::kOk;
}

// Saves a key below the open key into the backup; true when the hive is written.
bool backupKey(TRegistrySelf& reg, plat::HKey root, const std::string& keyPath, const std::string& name) {
    const std::string file = HiveFileName(root, keyPath, name);
    if (!backupPathUsable() || RootText(root).empty() || file.empty()) return false;
    const std::string folder = includeTrailingBackslash(BackupPath);
    if (!forceDirectories(folder)) return false;
    return reg.SaveKey(name, folder + file);
}

std::string registryLine(plat::HKey root, const std::string& keyPath, const std::string& name) {
    return RootText(root) + "\\" + keyPath + "\\" + name;
}

// The walk below a folder that has passed the protected-folder rule.
bool deleteTree(const std::string& folder) {
    bool ok = true;
    std::vector<plat::FindData> entries;
    plat::findEntries(folder + "*.*", entries);
    for (const auto& e : entries) {
        const std::string path = folder + e.name;
        if ((e.attributes & plat::kAttrDirectory) != 0) {
            if (isDots(e.name)) continue;
            if ((e.attributes & kReparse) != 0) {
                // A link to a folder elsewhere: remove the link, never its target's content.
                if (plat::removeDirectory(path) != plat::kOk) ok = false;
            } else if (!deleteTree(path + "\\")) {
                ok = false;
            }
            continue;
        }
        if (BackupEnabled) {
            if (!backupFile(folder, e.name)) {
                ok = false;  // not copied, so it stays
                continue;
            }
            if (plat::deleteFile(path) != plat::kOk) {
                plat::moveFileAtReboot(path, "");
                ok = false;
            }
        } else if (plat::deleteFile(path) != plat::kOk) {
            ok = false;
            if (DeleteAtReboot) plat::moveFileAtReboot(path, "");
        }
    }
    if (ok && plat::removeDirectory(excludeTrailingBackslash(folder)) != plat::kOk) ok = false;
    return ok;
}

}  // namespace

void SetProgressHook(std::function<void()> hook) { progressHook() = std::move(hook); }

void StepProgress() {
    if (progressHook()) progressHook()();
}

// ---------------------------------------------------------------- folders ----

std::optional<std::string> NormalizeFolderPath(const std::string& input) {
    std::string path = replaceAll(input, "/", "\\");
    if (path.size() < 3 || path[1] != ':' || path[2] != '\\') return std::nullopt;
    const char drive = path[0];
    if (!((drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z'))) return std::nullopt;
    if (path.find_first_of("*?\"<>|:", 2) != std::string::npos) return std::nullopt;
    std::vector<std::string> kept;
    for (std::string seg : splitSegments(path.substr(3))) {
        const bool dotsOnly = !seg.empty() && seg.find_first_not_of('.') == std::string::npos;
        if (seg == "..") {
            if (kept.empty()) return std::nullopt;
            kept.pop_back();
            continue;
        }
        if (dotsOnly && seg != ".") return std::nullopt;  // "...": no sound reading
        while (!seg.empty() && (seg.back() == ' ' || seg.back() == '.')) seg.pop_back();
        if (seg.empty()) continue;  // "", "." and "  "
        kept.push_back(seg);
    }
    std::string out(1, static_cast<char>(upperAscii(std::string(1, drive))[0]));
    out += ":";
    if (kept.empty()) return out + "\\";
    for (const auto& seg : kept) out += "\\" + seg;
    return out;
}

bool IsProtectedFolder(const std::string& path) {
    const auto norm = NormalizeFolderPath(path);
    if (!norm || norm->size() <= 3) return true;  // unusable, or a drive root
    const std::string& folder = *norm;
    for (const auto& seg : splitSegments(folder.substr(3))) {
        auto tilde = seg.find('~');
        // A short name may stand for any long name, a protected one included.
        if (tilde != std::string::npos && tilde + 1 < seg.size() && seg[tilde + 1] >= '0' &&
            seg[tilde + 1] <= '9')
            return true;
    }

    std::vector<std::string> protectedFolders;
    auto add = [&](const std::optional<std::string>& value, const std::string& suffix = {}) {
        if (!value || value->empty()) return;
        if (auto p = NormalizeFolderPath(includeTrailingBackslash(*value) + suffix)) protectedFolders.push_back(*p);
    };
    for (const char* name : {"SYSTEMROOT", "windir"}) {
        auto v = plat::getEnv(name);
        add(v);
        add(v, "System32");
        add(v, "SysWOW64");
        add(v, "System");
        add(v, "Sysnative");
    }
    for (const char* name : {"ProgramFiles", "ProgramFiles(x86)", "ProgramW6432", "ProgramData",
                             "ALLUSERSPROFILE", "PUBLIC", "APPDATA", "LOCALAPPDATA", "HOMEDRIVE"})
        add(plat::getEnv(name));
    std::vector<std::string> usersFolders;
    for (const char* name : {"USERPROFILE", "PUBLIC"}) {
        auto v = plat::getEnv(name);
        add(v);
        if (!v) continue;
        if (auto p = NormalizeFolderPath(*v); p && p->size() > 3) {
            std::string parent = p->substr(0, p->find_last_of('\\'));
            // A profile straight below a drive root leaves no Users folder to guard.
            if (parent.size() > 2) {
                usersFolders.push_back(parent);
                protectedFolders.push_back(parent);
            }
        }
    }
    add(programFolder());

    for (const auto& p : protectedFolders) {
        if (equalsIgnoreCase(folder, p)) return true;
        // An ancestor of a protected folder holds it.
        if (p.size() > folder.size() && p[folder.size()] == '\\' &&
            equalsIgnoreCase(p.substr(0, folder.size()), folder))
            return true;
    }
    // Every profile in a Users folder, with its AppData roots.
    for (const auto& users : usersFolders) {
        const std::string base = includeTrailingBackslash(users);
        if (folder.size() <= base.size() || !equalsIgnoreCase(folder.substr(0, base.size()), base)) continue;
        const auto rel = splitSegments(folder.substr(base.size()));
        if (rel.size() == 1) return true;
        if (!equalsIgnoreCase(rel[1], "AppData")) continue;
        if (rel.size() == 2) return true;
        if (rel.size() == 3 && (equalsIgnoreCase(rel[2], "Roaming") || equalsIgnoreCase(rel[2], "Local") ||
                                equalsIgnoreCase(rel[2], "LocalLow")))
            return true;
    }
    return false;
}

bool DeleteFolderTree(const std::string& folder) {
    if (IsProtectedFolder(folder)) return false;
    const std::string f = includeTrailingBackslash(folder);
    const std::uint32_t attributes = plat::getFileAttributes(excludeTrailingBackslash(f));
    if (attributes != plat::kInvalidAttributes && (attributes & plat::kAttrDirectory) != 0 &&
        (attributes & kReparse) != 0)
        return plat::removeDirectory(excludeTrailingBackslash(f)) == plat::kOk;
    return deleteTree(f);
}

void DeleteFolder(const std::string& folder) {
    const bool removed = DeleteFolderTree(includeTrailingBackslash(folder));
    log((removed ? "Deleted folder (" : "Not deleted folder (") + folder + ")");
}

void DeleteFoldersByCompany(const std::string& folder, const std::string& prefix) {
    // An empty prefix would match every folder.
    if (prefix.empty()) return;
    const std::string f = includeTrailingBackslash(folder);
    const std::wstring wantedPrefix = plat::ansiToWide(prefix);
    std::vector<plat::FindData> entries;
    plat::findEntries(f + "*", entries);
    for (const auto& e : entries) {
        if (isDots(e.name)) continue;
        if ((e.attributes & (plat::kAttrHidden | plat::kAttrSystem)) != 0) continue;
        if ((e.attributes & plat::kAttrDirectory) == 0) continue;
        const std::wstring company = plat::profileRead(plat::ansiToWide(f + e.name + "\\setup.ini"),
                                                       L"Startup", L"CompanyName", L"Not");
        if (company.compare(0, wantedPrefix.size(), wantedPrefix) != 0) continue;
        const bool removed = DeleteFolderTree(f + e.name + "\\");
        log((removed ? "Deleted folder (" : "Not deleted folder (") + f + e.name + ")");
    }
}

// ------------------------------------------------------------------ files ----

void DeleteFiles(const std::string& folder, const std::vector<std::string>& patterns) {
    const std::string f = includeTrailingBackslash(folder);
    // Only an absolute folder says where the files are; a pattern never leaves its folder.
    const bool usable = NormalizeFolderPath(f).has_value();
    for (const auto& pattern : patterns) {
        std::vector<plat::FindData> entries;
        if (usable && pattern.find_first_of("\\/:") == std::string::npos && pattern != "..")
            plat::findEntries(f + pattern, entries);
        for (const auto& e : entries) {
            if (isDots(e.name)) continue;
            const std::string path = f + e.name;
            if (BackupEnabled) {
                if (!backupFile(f, e.name)) {
                    // Nothing is deleted whose copy is not in the backup.
                    log("Not deleted file (" + path + ")");
                    continue;
                }
                if (plat::deleteFile(path) == plat::kOk) {
                    log("Deleted file (" + path + ")");
                } else {
                    // The copy is safe, so the file goes at the next restart in any case.
                    plat::moveFileAtReboot(path, "");
                    log("Not deleted file (" + path + ")");
                }
            } else if (plat::deleteFile(path) == plat::kOk) {
                log("Deleted file (" + path + ")");
            } else {
                if (DeleteAtReboot) plat::moveFileAtReboot(path, "");
                log("Not deleted file (" + path + ")");
            }
        }
        StepProgress();
    }
}

// --------------------------------------------------------------- registry ----

void DeleteKeys(plat::HKey root, const std::string& keyPath, const std::vector<std::string>& names) {
    TRegistrySelf reg;
    reg.SetRootKey(root);
    // A path that cannot be opened yields only the progress steps: the names
    // are never looked up anywhere else.
    const bool opened = reg.OpenKey(keyPath, false);
    for (const auto& name : names) {
        if (opened && !name.empty() && reg.KeyExists(name)) {
            const std::string line = registryLine(root, keyPath, name);
            if (BackupEnabled && !backupKey(reg, root, keyPath, name))
                log("Not deleted registry (" + line + ")");
            else
                log((reg.DeleteKey(name) ? "Deleted registry (" : "Not deleted registry (") + line + ")");
        }
        StepProgress();
    }
    reg.CloseKey();
}

void DeleteValues(plat::HKey root, const std::string& keyPath, const std::vector<std::string>& names) {
    TRegistrySelf reg;
    reg.SetRootKey(root);
    const bool opened = reg.OpenKey(keyPath, false);
    for (const auto& name : names) {
        if (opened && reg.ValueExists(name)) {
            const std::string line = registryLine(root, keyPath, name);
            log((reg.DeleteValue(name) ? "Deleted registry (" : "Not deleted registry (") + line + ")");
        }
        StepProgress();
    }
    reg.CloseKey();
}

void DeleteKeysByValue(plat::HKey root, const std::string& keyPath, const std::string& valueName,
                       const std::string& prefix) {
    TRegistrySelf reg;
    reg.SetRootKey(root);
    std::vector<std::string> names;
    if (reg.OpenKey(keyPath, false)) reg.GetKeyNames(names);
    // An empty prefix would match every subkey.
    if (prefix.empty()) names.clear();
    for (const auto& name : names) {
        if (name.empty()) continue;
        reg.CloseKey();
        std::string text;
        if (reg.OpenKey(keyPath + "\\" + name, false)) text = reg.ReadString(valueName);
        if (!startsWith(text, prefix)) continue;
        reg.CloseKey();
        if (!reg.OpenKey(keyPath, false)) continue;
        const std::string line = registryLine(root, keyPath, name);
        if (BackupEnabled && !backupKey(reg, root, keyPath, name))
            log("Not deleted registry (" + line + ")");
        else
            log((reg.DeleteKey(name) ? "Deleted registry (" : "Not deleted registry (") + line + ")");
    }
    reg.CloseKey();
}

}  // namespace tw
