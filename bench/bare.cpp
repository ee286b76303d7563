// The floor of the benchmark: the Win32 calls a seven-target cleaning run
// makes (FindFirstFileW/FindNextFileW per pattern, DeleteFileW, RegOpenKeyExW,
// RegDeleteKeyW depth first, RegDeleteValueW, the adapter class walk), in the
// targets' order, with no log, no progress bar, no settings and no backup.
// The steps are the families' own (the family table, as the program reads
// it); folders come from the environment variables, as in the program.
//
//   tw_bench_bare        exit code 0; prints the number of files and keys deleted
#include "bench_common.h"

#include "targets/Target.h"

#include <cstdio>

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

void deleteFiles(const std::wstring& folder, const List& patterns) {
    for (const std::wstring& pattern : patterns) {
        WIN32_FIND_DATAW fd;
        Find find(FindFirstFileW((folder + pattern).c_str(), &fd));
        if (!find.valid()) continue;
        do {
            const std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            if (DeleteFileW((folder + name).c_str())) ++filesDeleted;
        } while (FindNextFileW(find.get(), &fd));
    }
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
        if (deleteTree(k.get(), name)) ++keysDeleted;
    }
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
        if (deleteTree(k.get(), n)) ++keysDeleted;
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
                else if (DeleteFileW((folder + name).c_str()))
                    ++filesDeleted;
            } while (FindNextFileW(find.get(), &fd));
        }
    }
    RemoveDirectoryW(folder.c_str());
}

std::wstring withBackslash(std::wstring folder) {
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    return folder;
}

void deleteFolderIfExists(const std::wstring& folder) {
    const DWORD a = folder.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(folder.c_str());
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY)) deleteFolder(withBackslash(folder));
}

// The sub-folders whose setup.ini names a company that begins with `prefix`.
void deleteFoldersByCompany(const std::wstring& folder, const std::wstring& prefix) {
    WIN32_FIND_DATAW fd;
    List matching;
    {
        Find find(FindFirstFileW((folder + L"*").c_str(), &fd));
        if (!find.valid()) return;
        do {
            const std::wstring name = fd.cFileName;
            if (name == L"." || name == L".." || !(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
            wchar_t company[512] = {};
            GetPrivateProfileStringW(L"Startup", L"CompanyName", L"", company, 512, (folder + name + L"\\setup.ini").c_str());
            if (std::wstring(company).rfind(prefix, 0) == 0) matching.push_back(name);
        } while (FindNextFileW(find.get(), &fd));
    }
    for (const std::wstring& name : matching) deleteFolder(folder + name + L"\\");
}

// A step's folder with its environment value put in; empty when that value is unset.
std::wstring folderOf(const std::wstring& text) {
    const std::wstring name = tw::FolderVariable(text);
    if (name.empty()) return text;
    const std::wstring value = envVarW(name.c_str());
    return value.empty() ? std::wstring() : tw::JoinFolder(text, value);
}

// One step, as the program runs it with the settings' defaults (the unpack folders' switches off).
void runStep(const tw::FamilyStep& step) {
    if (!step.ifSetting.empty()) return;
    const tw::KeyText key = tw::SplitKeyText(step.key);
    const HKEY root = key.machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    switch (step.kind) {
    case tw::StepKind::Files:
        if (const std::wstring folder = folderOf(step.folder); !folder.empty()) deleteFiles(withBackslash(folder), step.names);
        return;
    case tw::StepKind::Folder: return deleteFolderIfExists(folderOf(step.folder));
    case tw::StepKind::InstallFolder: {
        wchar_t value[MAX_PATH] = {};
        DWORD bytes = sizeof value;
        if (RegGetValueW(HKEY_LOCAL_MACHINE, key.path.c_str(), step.value.c_str(), RRF_RT_REG_SZ, nullptr, value, &bytes) ==
            ERROR_SUCCESS)
            deleteFolderIfExists(value);
        return;
    }
    case tw::StepKind::FoldersByCompany:
        if (const std::wstring folder = folderOf(step.folder); !folder.empty())
            deleteFoldersByCompany(withBackslash(folder), step.prefix);
        return;
    case tw::StepKind::Keys:
        for (const std::wstring& path : keyPaths(key.path)) deleteKeys(root, path, step.names);
        return;
    case tw::StepKind::Values:
        for (const std::wstring& path : keyPaths(key.path)) deleteValues(root, path, step.names);
        return;
    case tw::StepKind::KeysByValue:
        for (const std::wstring& path : keyPaths(key.path)) deleteKeysByValue(root, path, step.value, step.prefix);
        return;
    }
}

}  // namespace

int main() {
    // Each family's file phase, then its registry phase, as a run with both switches on.
    for (const tw::Family& family : tw::FamilyTable()) {
        for (const tw::FamilyStep& step : family.files) runStep(step);
        for (const tw::FamilyStep& step : family.registry) runStep(step);
    }
    std::printf("%d files, %d keys deleted\n", filesDeleted, keysDeleted);
    return 0;
}
