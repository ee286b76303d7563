// The floor of the benchmark: the Win32 calls a seven-target cleaning run
// makes (FindFirstFileW/FindNextFileW per pattern, DeleteFileW, RegOpenKeyExW,
// RegDeleteKeyW depth first, RegDeleteValueW, the adapter class walk), in the
// targets' order, with no log, no progress bar and no settings. With a backup
// folder, the floor of a run with backup on: each file is first copied
// (CopyFileW) into a sub-folder of it, one per source folder, and each key
// first saved (RegSaveKeyW) into it; what could not be copied stays.
// The steps are the families' own, read from the same table; folders come
// from SYSTEMROOT and the other environment variables, as in the families.
//
//   tw_bench_bare [backup <folder>]
//       exit code 0; prints the number of files and keys deleted
#include "bench_common.h"

#include "targets/Target.h"

#include <cstdio>
#include <map>

namespace {

using namespace twbench;
using List = tw::StringList;

std::wstring envVarW(const wchar_t* name) {
    wchar_t buffer[32768];
    const DWORD n = GetEnvironmentVariableW(name, buffer, 32768);
    return n > 0 && n < 32768 ? std::wstring(buffer, n) : std::wstring();
}

int filesDeleted = 0;
int keysDeleted = 0;
std::wstring backupFolder;  // empty: backup off
int hivesSaved = 0;

// The backup sub-folder of a source folder, made at its first copy.
std::wstring backupOf(const std::wstring& folder) {
    static std::map<std::wstring, std::wstring> made;
    auto [it, fresh] = made.try_emplace(folder);
    if (fresh) {
        std::wstring name = folder;
        for (wchar_t& c : name)
            if (c == L'\\' || c == L':') c = L';';
        it->second = backupFolder + name + L"\\";
        CreateDirectoryW(it->second.c_str(), nullptr);
    }
    return it->second;
}

// Deletes a file, first copied into the backup when backups are on.
void deleteFile(const std::wstring& folder, const std::wstring& name) {
    if (!backupFolder.empty() && !CopyFileW((folder + name).c_str(), (backupOf(folder) + name).c_str(), FALSE)) return;
    if (DeleteFileW((folder + name).c_str())) ++filesDeleted;
}

void deleteFiles(const std::wstring& folder, const List& patterns) {
    for (const std::wstring& pattern : patterns) {
        WIN32_FIND_DATAW fd;
        Find find(FindFirstFileW((folder + pattern).c_str(), &fd));
        if (!find.valid()) continue;
        do {
            const std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            deleteFile(folder, name);
        } while (FindNextFileW(find.get(), &fd));
    }
}

// Saves a key into the backup when backups are on; false when it could not be saved.
bool saveKey(HKEY parent, const std::wstring& name) {
    if (backupFolder.empty()) return true;
    Key k;
    if (RegOpenKeyExW(parent, name.c_str(), 0, KEY_READ, k.out()) != ERROR_SUCCESS) return false;
    const std::wstring file = backupFolder + std::to_wstring(++hivesSaved) + L".TW";
    return RegSaveKeyW(k.get(), file.c_str(), nullptr) == ERROR_SUCCESS;
}

void enableBackupPrivilege() {
    HANDLE token = nullptr;
    TOKEN_PRIVILEGES p{1, {{{0, 0}, SE_PRIVILEGE_ENABLED}}};
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token) &&
        LookupPrivilegeValueW(nullptr, L"SeBackupPrivilege", &p.Privileges[0].Luid))
        AdjustTokenPrivileges(token, FALSE, &p, 0, nullptr, nullptr);
    if (token) CloseHandle(token);
}

bool deleteTree(HKEY parent, const std::wstring& name) {
    Key k;
    if (RegOpenKeyExW(parent, name.c_str(), 0, KEY_ALL_ACCESS, k.out()) != ERROR_SUCCESS) return false;
    DWORD subkeys = 0, longest = 0;
    RegQueryInfoKeyW(k.get(), nullptr, nullptr, nullptr, &subkeys, &longest, nullptr, nullptr, nullptr, nullptr,
                     nullptr, nullptr);
    for (DWORD i = subkeys; i-- > 0;) {
        std::wstring sub(longest + 1, L'\0');
        DWORD size = longest + 1;
        if (RegEnumKeyExW(k.get(), i, sub.data(), &size, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
            deleteTree(k.get(), sub.substr(0, size));
    }
    return RegDeleteKeyW(parent, name.c_str()) == ERROR_SUCCESS;
}

void deleteKeys(HKEY root, const std::wstring& path, const List& names) {
    Key k;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_ALL_ACCESS, k.out()) != ERROR_SUCCESS) return;
    for (const std::wstring& name : names) {
        Key probe;
        if (RegOpenKeyExW(k.get(), name.c_str(), 0, KEY_READ, probe.out()) != ERROR_SUCCESS) continue;
        if (saveKey(k.get(), name) && deleteTree(k.get(), name)) ++keysDeleted;
    }
}

void deleteValues(HKEY root, const std::wstring& path, const List& names) {
    Key k;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_ALL_ACCESS, k.out()) != ERROR_SUCCESS) return;
    for (const std::wstring& name : names) RegDeleteValueW(k.get(), name.c_str());
}

void deleteKeysByValue(HKEY root, const std::wstring& path, const std::wstring& valueName, const std::wstring& prefix) {
    Key k;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_ALL_ACCESS, k.out()) != ERROR_SUCCESS) return;
    List matching;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD size = 256;
        if (RegEnumKeyExW(k.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        wchar_t value[512];
        DWORD bytes = sizeof value;
        if (RegGetValueW(k.get(), name, valueName.c_str(), RRF_RT_REG_SZ, nullptr, value, &bytes) == ERROR_SUCCESS &&
            std::wstring(value).rfind(prefix, 0) == 0)
            matching.push_back(name);
    }
    for (const std::wstring& n : matching)
        if (saveKey(k.get(), n) && deleteTree(k.get(), n)) ++keysDeleted;
}

void deleteFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW fd;
    {
        Find find(FindFirstFileW((folder + L"*.*").c_str(), &fd));
        if (find.valid()) {
            do {
                const std::wstring name = fd.cFileName;
                if (name == L"." || name == L"..") continue;
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    deleteFolder(folder + name + L"\\");
                else
                    deleteFile(folder, name);
            } while (FindNextFileW(find.get(), &fd));
        }
    }
    RemoveDirectoryW(folder.c_str());
}

void deleteFolderIfExists(const std::wstring& folder) {
    const DWORD a = GetFileAttributesW(folder.c_str());
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY)) deleteFolder(folder);
}

// A step's folder with its environment value put in; empty when the value is unset.
std::wstring folderOf(const std::wstring& text) {
    const std::wstring name = tw::FolderVariable(text);
    if (name.empty()) return text;
    const std::wstring value = envVarW(name.c_str());
    return value.empty() ? std::wstring() : tw::JoinFolder(text, value);
}

// One key path per control set where "<ControlSet>" stands.
List keyPaths(const std::wstring& path) {
    const std::size_t at = path.find(L"<ControlSet>");
    if (at == std::wstring::npos) return {path};
    List out;
    for (const std::wstring& set : tw::ControlSets())
        out.push_back(path.substr(0, at) + set.substr(set.find(L'\\') + 1) + path.substr(at + 12));
    return out;
}

// The family's files and registry steps as bare calls. The steps behind a
// switch (the unpack folders) stay off as in the measured run's settings;
// the install folders and installer records are not seeded.
void cleanFamily(const tw::Family& family) {
    for (const tw::FamilyStep& step : family.files) {
        const std::wstring folder = folderOf(step.folder);
        if (!step.ifSetting.empty() || folder.empty()) continue;
        if (step.kind == tw::StepKind::Files) deleteFiles(folder, step.names);
        if (step.kind == tw::StepKind::Folder) deleteFolderIfExists(folder.back() == L'\\' ? folder : folder + L"\\");
    }
    for (const tw::FamilyStep& step : family.registry) {
        const tw::KeyText key = tw::SplitKeyText(step.key);
        const HKEY root = key.machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        for (const std::wstring& path : keyPaths(key.path)) {
            if (step.kind == tw::StepKind::Keys) deleteKeys(root, path, step.names);
            if (step.kind == tw::StepKind::Values) deleteValues(root, path, step.names);
            if (step.kind == tw::StepKind::KeysByValue) deleteKeysByValue(root, path, step.value, step.prefix);
        }
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring root = envVarW(L"SYSTEMROOT");
    if (root.empty()) return 1;
    if (argc == 3 && std::wstring(argv[1]) == L"backup") {
        backupFolder = argv[2];
        if (backupFolder.back() != L'\\') backupFolder += L'\\';
        CreateDirectoryW(backupFolder.c_str(), nullptr);
        enableBackupPrivilege();
    } else if (argc != 1) {
        return 1;
    }
    for (const tw::Family& family : tw::FamilyTable()) cleanFamily(family);
    std::printf("%d files, %d keys deleted\n", filesDeleted, keysDeleted);
    return 0;
}
