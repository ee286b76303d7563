// The floor of the benchmark: the Win32 calls a seven-target cleaning run
// makes (FindFirstFileA/FindNextFileA per pattern, DeleteFileA, RegOpenKeyExA,
// RegDeleteKeyA depth first, RegDeleteValueA, the adapter class walk), in the
// targets' order, with no log, no progress bar, no settings and no backup.
// The lists are the targets' own constant lists; folders come from
// SYSTEMROOT and the other environment variables, as in the targets.
//
//   tw_bench_bare        exit code 0; prints the number of files and keys deleted
#include "bench_common.h"

#include "targets/AGEIA.h"
#include "targets/ATi.h"
#include "targets/Creative.h"
#include "targets/MSIPoint.h"
#include "targets/NVIDIA.h"
#include "targets/NVIDIA_CHIPSET.h"
#include "targets/Realtek.h"

#include <cstdio>

namespace {

using namespace twbench;
using List = tw::StringList;

int filesDeleted = 0;
int keysDeleted = 0;

void deleteFiles(const std::string& folder, const List& patterns) {
    for (const std::string& pattern : patterns) {
        WIN32_FIND_DATAA fd;
        Find find(FindFirstFileA((folder + pattern).c_str(), &fd));
        if (!find.valid()) continue;
        do {
            const std::string name = fd.cFileName;
            if (name == "." || name == "..") continue;
            if (DeleteFileA((folder + name).c_str())) ++filesDeleted;
        } while (FindNextFileA(find.get(), &fd));
    }
}

bool deleteTree(HKEY parent, const std::string& name) {
    Key k;
    if (RegOpenKeyExA(parent, name.c_str(), 0, KEY_ALL_ACCESS, k.out()) != ERROR_SUCCESS) return false;
    DWORD subkeys = 0, longest = 0;
    RegQueryInfoKeyA(k.get(), nullptr, nullptr, nullptr, &subkeys, &longest, nullptr, nullptr, nullptr, nullptr,
                     nullptr, nullptr);
    for (DWORD i = subkeys; i-- > 0;) {
        std::string sub(longest + 1, '\0');
        DWORD size = longest + 1;
        if (RegEnumKeyExA(k.get(), i, sub.data(), &size, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
            deleteTree(k.get(), sub.substr(0, size));
    }
    return RegDeleteKeyA(parent, name.c_str()) == ERROR_SUCCESS;
}

void deleteKeys(HKEY root, const std::string& path, const List& names) {
    Key k;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, k.out()) != ERROR_SUCCESS) return;
    for (const std::string& name : names) {
        Key probe;
        if (RegOpenKeyExA(k.get(), name.c_str(), 0, KEY_READ, probe.out()) != ERROR_SUCCESS) continue;
        if (deleteTree(k.get(), name)) ++keysDeleted;
    }
}

void deleteKeysInSets(const std::string& tail, const List& names) {
    for (const std::string& set : controlSets()) deleteKeys(HKEY_LOCAL_MACHINE, set + tail, names);
}

void deleteRunValues(const List& names) {
    Key k;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0, KEY_ALL_ACCESS,
                      k.out()) != ERROR_SUCCESS)
        return;
    for (const std::string& name : names) RegDeleteValueA(k.get(), name.c_str());
}

void deleteAdaptersOf(const std::string& vendor) {
    for (const std::string& set : controlSets()) {
        const std::string path = set + "\\Control\\Class\\{4D36E968-E325-11CE-BFC1-08002BE10318}";
        Key k;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS, k.out()) != ERROR_SUCCESS) continue;
        List matching;
        char name[256];
        for (DWORD i = 0;; ++i) {
            DWORD size = sizeof name;
            if (RegEnumKeyExA(k.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            char value[512];
            DWORD bytes = sizeof value;
            if (RegGetValueA(k.get(), name, "ProviderName", RRF_RT_REG_SZ, nullptr, value, &bytes) == ERROR_SUCCESS &&
                std::string(value).rfind(vendor, 0) == 0)
                matching.push_back(name);
        }
        for (const std::string& n : matching)
            if (deleteTree(k.get(), n)) ++keysDeleted;
    }
}

void deleteFolder(const std::string& folder) {
    WIN32_FIND_DATAA fd;
    {
        Find find(FindFirstFileA((folder + "*.*").c_str(), &fd));
        if (find.valid()) {
            do {
                const std::string name = fd.cFileName;
                if (name == "." || name == "..") continue;
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    deleteFolder(folder + name + "\\");
                else if (DeleteFileA((folder + name).c_str()))
                    ++filesDeleted;
            } while (FindNextFileA(find.get(), &fd));
        }
    }
    RemoveDirectoryA(folder.c_str());
}

void deleteFolderIfExists(const std::string& folder) {
    const DWORD a = GetFileAttributesA(folder.c_str());
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY)) deleteFolder(folder);
}

void cleanNvidia(const std::string& w) {
    using namespace tw::NVIDIA;
    const std::string s = w + "System32\\";
    deleteFiles(w, kWindowsFiles);
    deleteFiles(w + "SysWOW64\\", kDriverFiles);
    deleteFiles(s, kDriverFiles);
    deleteFiles(s + "drivers\\", kDriverFolderFiles);
    deleteFiles(s + "dllcache\\", kDllCacheFiles);
    deleteFiles(w + "prefetch\\", kPrefetchFiles);
    deleteFolderIfExists(w + "Help\\nvcpl\\");
    deleteFolderIfExists(envVar("ProgramData") + "\\NVIDIA\\");
    deleteKeys(HKEY_CURRENT_USER, "Software", kUserKeys);
    deleteKeys(HKEY_LOCAL_MACHINE, "Software\\NVIDIA Corporation", kMachineKeys);
    deleteRunValues(kLogonValues);
    deleteKeysInSets("\\Enum\\Root", kLegacyKeys);
    deleteKeysInSets("\\Services", kServiceKeys);
    deleteAdaptersOf("NVIDIA");
}

void cleanChipset(const std::string& w) {
    using namespace tw::NVIDIA_CHIPSET;
    deleteFiles(w + "System32\\drivers\\", kDriverFolderFiles);
    deleteKeys(HKEY_LOCAL_MACHINE, "Software\\NVIDIA Corporation", kMachineKeys);
    deleteKeysInSets("\\Enum\\Root", kLegacyKeys);
    deleteKeysInSets("\\Services", kServiceKeys);
}

void cleanAti(const std::string& w) {
    using namespace tw::ATi;
    const std::string s = w + "System32\\";
    deleteFiles(w, kWindowsFiles);
    deleteFiles(s, kSystemFiles);
    deleteFiles(s + "drivers\\", kDriverFolderFiles);
    deleteFiles(w + "prefetch\\", kPrefetchFiles);
    deleteFolderIfExists(envVar("LOCALAPPDATA") + "\\ATi\\ACE");
    deleteFolderIfExists(envVar("APPDATA") + "\\ATi\\ACE");
    deleteKeys(HKEY_CURRENT_USER, "Software", kUserKeys);
    deleteKeys(HKEY_LOCAL_MACHINE, "Software", kMachineKeys);
    deleteKeysInSets("\\Services", kServiceKeys);
}

void cleanCreative(const std::string& w) {
    using namespace tw::Creative;
    const std::string s = w + "System32\\";
    deleteFolderIfExists(s + "Data\\");
    deleteFolderIfExists(w + "SysWOW64\\Data\\");
    deleteFolderIfExists(envVar("ProgramFiles") + "\\Creative\\");
    deleteFiles(w, kWindowsFiles);
    deleteFiles(s, kSystemFiles);
    deleteFiles(s + "drivers\\", kDriverFolderFiles);
    deleteKeys(HKEY_CURRENT_USER, "Software", kUserKeys);
    deleteKeys(HKEY_LOCAL_MACHINE, "Software", kMachineKeys);
    deleteKeysInSets("\\Control", kControlKeys);
    deleteRunValues(kLogonValues);
}

void cleanRealtek(const std::string& w) {
    using namespace tw::Realtek;
    const std::string s = w + "System32\\";
    deleteFiles(w, kWindowsFiles);
    deleteFiles(s, kSystemFiles);
    deleteFiles(s + "drivers\\", kDriverFolderFiles);
    deleteKeys(HKEY_CURRENT_USER, "Software", kUserKeys);
    deleteKeys(HKEY_LOCAL_MACHINE, "Software", kMachineKeys);
    deleteRunValues(kLogonValues);
}

void cleanAgeia(const std::string& w) {
    using namespace tw::AGEIA;
    const std::string s = w + "System32\\";
    deleteFiles(w, kWindowsFiles);
    deleteFiles(s, kSystemFiles);
    deleteFiles(w + "prefetch\\", kPrefetchFiles);
    deleteFolderIfExists(s + "AGEIA");
    deleteFolderIfExists(envVar("ProgramFiles") + "\\AGEIA Technologies");
    deleteKeys(HKEY_LOCAL_MACHINE, "Software", kMachineKeys);
}

void cleanMouse(const std::string& w) {
    using namespace tw::MSIPoint;
    deleteFiles(w + "System32\\drivers\\", kDriverFolderFiles);
    deleteFiles(w + "prefetch\\", kPrefetchFiles);
    deleteFolderIfExists(envVar("ProgramFiles") + "\\Microsoft IntelliPoint");
    deleteKeys(HKEY_CURRENT_USER, "Software", kUserKeys);
    deleteKeys(HKEY_LOCAL_MACHINE, "Software\\MSIPOINT Corporation", kMachineKeys);
    deleteRunValues(kLogonValues);
    deleteKeysInSets("\\Services", kServiceKeys);
}

}  // namespace

int main() {
    const std::string root = envVar("SYSTEMROOT");
    if (root.empty()) return 1;
    const std::string w = root + "\\";
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
