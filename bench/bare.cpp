// The floor of the benchmark: the Win32 calls a seven-target cleaning run
// makes (FindFirstFileW/FindNextFileW per pattern, DeleteFileW, RegOpenKeyExW,
// RegDeleteKeyW depth first, RegDeleteValueW, the adapter class walk), in the
// targets' order, with no log, no progress bar and no settings. With a backup
// folder, the floor of a run with backup on: each file is first copied
// (CopyFileW) into a sub-folder of it, one per source folder, and each key
// first saved (RegSaveKeyW) into it; what could not be copied stays.
// The lists are the targets' own constant lists; folders come from
// SYSTEMROOT and the other environment variables, as in the targets.
//
//   tw_bench_bare [backup <folder>]
//       exit code 0; prints the number of files and keys deleted
#include "bench_common.h"

#include "targets/AGEIA.h"
#include "targets/ATi.h"
#include "targets/Creative.h"
#include "targets/MSIPoint.h"
#include "targets/NVIDIA.h"
#include "targets/NVIDIA_CHIPSET.h"
#include "targets/Realtek.h"

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

void deleteKeysInSets(const std::wstring& tail, const List& names) {
    for (const std::wstring& set : tw::ControlSets()) deleteKeys(HKEY_LOCAL_MACHINE, set + tail, names);
}

void deleteRunValues(const List& names) {
    Key k;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0, KEY_ALL_ACCESS,
                      k.out()) != ERROR_SUCCESS)
        return;
    for (const std::wstring& name : names) RegDeleteValueW(k.get(), name.c_str());
}

void deleteAdaptersOf(const std::wstring& vendor) {
    for (const std::wstring& set : tw::ControlSets()) {
        const std::wstring path = set + L"\\Control\\Class\\{4D36E968-E325-11CE-BFC1-08002BE10318}";
        Key k;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS, k.out()) != ERROR_SUCCESS) continue;
        List matching;
        wchar_t name[256];
        for (DWORD i = 0;; ++i) {
            DWORD size = 256;
            if (RegEnumKeyExW(k.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            wchar_t value[512];
            DWORD bytes = sizeof value;
            if (RegGetValueW(k.get(), name, L"ProviderName", RRF_RT_REG_SZ, nullptr, value, &bytes) == ERROR_SUCCESS &&
                std::wstring(value).rfind(vendor, 0) == 0)
                matching.push_back(name);
        }
        for (const std::wstring& n : matching)
            if (saveKey(k.get(), n) && deleteTree(k.get(), n)) ++keysDeleted;
    }
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

void cleanNvidia(const std::wstring& w) {
    using namespace tw::NVIDIA;
    const std::wstring s = w + L"System32\\";
    deleteFiles(w, kWindowsFiles);
    deleteFiles(w + L"SysWOW64\\", kDriverFiles);
    deleteFiles(s, kDriverFiles);
    deleteFiles(s + L"drivers\\", kDriverFolderFiles);
    deleteFiles(s + L"dllcache\\", kDllCacheFiles);
    deleteFiles(w + L"prefetch\\", kPrefetchFiles);
    deleteFolderIfExists(w + L"Help\\nvcpl\\");
    deleteFolderIfExists(envVarW(L"ProgramData") + L"\\NVIDIA\\");
    deleteKeys(HKEY_CURRENT_USER, L"Software", kUserKeys);
    deleteKeys(HKEY_LOCAL_MACHINE, L"Software\\NVIDIA Corporation", kMachineKeys);
    deleteRunValues(kLogonValues);
    deleteKeysInSets(L"\\Enum\\Root", kLegacyKeys);
    deleteKeysInSets(L"\\Services", kServiceKeys);
    deleteAdaptersOf(L"NVIDIA");
}

void cleanChipset(const std::wstring& w) {
    using namespace tw::NVIDIA_CHIPSET;
    deleteFiles(w + L"System32\\drivers\\", kDriverFolderFiles);
    deleteKeys(HKEY_LOCAL_MACHINE, L"Software\\NVIDIA Corporation", kMachineKeys);
    deleteKeysInSets(L"\\Enum\\Root", kLegacyKeys);
    deleteKeysInSets(L"\\Services", kServiceKeys);
}

void cleanAti(const std::wstring& w) {
    using namespace tw::ATi;
    const std::wstring s = w + L"System32\\";
    deleteFiles(w, kWindowsFiles);
    deleteFiles(s, kSystemFiles);
    deleteFiles(s + L"drivers\\", kDriverFolderFiles);
    deleteFiles(w + L"prefetch\\", kPrefetchFiles);
    deleteFolderIfExists(envVarW(L"LOCALAPPDATA") + L"\\ATi\\ACE");
    deleteFolderIfExists(envVarW(L"APPDATA") + L"\\ATi\\ACE");
    deleteKeys(HKEY_CURRENT_USER, L"Software", kUserKeys);
    deleteKeys(HKEY_LOCAL_MACHINE, L"Software", kMachineKeys);
    deleteKeysInSets(L"\\Services", kServiceKeys);
}

void cleanCreative(const std::wstring& w) {
    using namespace tw::Creative;
    const std::wstring s = w + L"System32\\";
    deleteFolderIfExists(s + L"Data\\");
    deleteFolderIfExists(w + L"SysWOW64\\Data\\");
    deleteFolderIfExists(envVarW(L"ProgramFiles") + L"\\Creative\\");
    deleteFiles(w, kWindowsFiles);
    deleteFiles(s, kSystemFiles);
    deleteFiles(s + L"drivers\\", kDriverFolderFiles);
    deleteKeys(HKEY_CURRENT_USER, L"Software", kUserKeys);
    deleteKeys(HKEY_LOCAL_MACHINE, L"Software", kMachineKeys);
    deleteKeysInSets(L"\\Control", kControlKeys);
    deleteRunValues(kLogonValues);
}

void cleanRealtek(const std::wstring& w) {
    using namespace tw::Realtek;
    const std::wstring s = w + L"System32\\";
    deleteFiles(w, kWindowsFiles);
    deleteFiles(s, kSystemFiles);
    deleteFiles(s + L"drivers\\", kDriverFolderFiles);
    deleteKeys(HKEY_CURRENT_USER, L"Software", kUserKeys);
    deleteKeys(HKEY_LOCAL_MACHINE, L"Software", kMachineKeys);
    deleteRunValues(kLogonValues);
}

void cleanAgeia(const std::wstring& w) {
    using namespace tw::AGEIA;
    const std::wstring s = w + L"System32\\";
    deleteFiles(w, kWindowsFiles);
    deleteFiles(s, kSystemFiles);
    deleteFiles(w + L"prefetch\\", kPrefetchFiles);
    deleteFolderIfExists(s + L"AGEIA");
    deleteFolderIfExists(envVarW(L"ProgramFiles") + L"\\AGEIA Technologies");
    deleteKeys(HKEY_LOCAL_MACHINE, L"Software", kMachineKeys);
}

void cleanMouse(const std::wstring& w) {
    using namespace tw::MSIPoint;
    deleteFiles(w + L"System32\\drivers\\", kDriverFolderFiles);
    deleteFiles(w + L"prefetch\\", kPrefetchFiles);
    deleteFolderIfExists(envVarW(L"ProgramFiles") + L"\\Microsoft IntelliPoint");
    deleteKeys(HKEY_CURRENT_USER, L"Software", kUserKeys);
    deleteKeys(HKEY_LOCAL_MACHINE, L"Software\\MSIPOINT Corporation", kMachineKeys);
    deleteRunValues(kLogonValues);
    deleteKeysInSets(L"\\Services", kServiceKeys);
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
    const std::wstring w = root + L"\\";
    cleanNvidia(w);
    cleanChipset(w);
    cleanAti(w);
    cleanCreative(w);
    cleanRealtek(w);
    cleanMouse(w);
    cleanAgeia(w);
    std::printf("%d files, %d keys deleted\n", filesDeleted, keysDeleted);
    return 0;
}
