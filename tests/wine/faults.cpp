#include "faults.h"

#include <cwctype>

#include <aclapi.h>
#include <sddl.h>

#include "platform/platform.h"

extern "C" LONG NTAPI NtDeleteKey(HANDLE);

namespace faults {
namespace {

struct Armed { Call call; std::wstring part; DWORD error; int times; };
std::vector<Armed> g_armed;
int g_shutdowns = 0;
std::vector<std::pair<std::wstring, std::wstring>> g_secured;  // folderKey, descriptor

std::wstring widen(const wchar_t* s) { return s ? s : L""; }
std::wstring finalPath(HANDLE file) {
    wchar_t path[MAX_PATH * 4] = {};
    return ::GetFinalPathNameByHandleW(file, path, MAX_PATH * 4, 0) ? path : L"";
}

// True (with the last error set) when an armed fault takes this call.
bool hit(Call call, const wchar_t* path) {
    std::wstring p = widen(path);
    for (auto& c : p) c = static_cast<wchar_t>(std::towlower(c));
    for (auto it = g_armed.begin(); it != g_armed.end(); ++it) {
        if (it->call != call || p.find(it->part) == std::wstring::npos) continue;
        ::SetLastError(it->error);
        if (it->times > 0 && --it->times == 0) g_armed.erase(it);
        return true;
    }
    return false;
}
LONG err() { return static_cast<LONG>(::GetLastError()); }  // the registry calls answer with the error

// ---- the replacements; each keeps the real function's address ----
#define TW_HOOKS(X)                                                                                          \
    X(CopyFileW, copyFile) X(DeleteFileW, deleteFile) X(RemoveDirectoryW, removeDirectory)                   \
    X(SetFileInformationByHandle, setFileInformation) X(GetFileInformationByHandleEx, getFileInformation)    \
    X(CreateFileW, createFileW) X(WritePrivateProfileStringW, writeProfile) X(MoveFileExW, moveFileEx)       \
    X(RegSaveKeyW, regSaveKey) X(NtDeleteKey, deleteKey) X(RegDeleteValueW, regDeleteValue)             \
    X(RegOpenKeyExW, regOpenKey) X(RegCreateKeyExW, regCreateKey) \
    X(InitiateSystemShutdownW, shutdown) X(ReadFile, readFile) X(GetSecurityInfo, getSecurityInfo)
#define TW_REAL(name, hook) decltype(&::name) real_##name = nullptr;
TW_HOOKS(TW_REAL)

BOOL WINAPI copyFile(LPCWSTR from, LPCWSTR to, BOOL failIfExists) {
    return !hit(Call::CopyFile, from) && !hit(Call::CopyFile, to) && real_CopyFileW(from, to, failIfExists);
}
BOOL WINAPI deleteFile(LPCWSTR path) { return !hit(Call::DeleteFile, path) && real_DeleteFileW(path); }
BOOL WINAPI removeDirectory(LPCWSTR path) { return !hit(Call::DeleteFile, path) && real_RemoveDirectoryW(path); }
BOOL WINAPI setFileInformation(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID info, DWORD size) {
    if (kind == FileDispositionInfo && hit(Call::DeleteFile, finalPath(file).c_str())) return FALSE;
    return real_SetFileInformationByHandle(file, kind, info, size);
}
BOOL WINAPI getFileInformation(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID info, DWORD size) {
    if (!real_GetFileInformationByHandleEx(file, kind, info, size)) return FALSE;
    if (kind == FileBasicInfo && hit(Call::ShowAsLink, finalPath(file).c_str()))
        static_cast<FILE_BASIC_INFO*>(info)->FileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    return TRUE;
}
// A folder path in lower case without "\\\\?\\", ending in "\\".
std::wstring folderKey(std::wstring path) {
    if (path.compare(0, 4, L"\\\\?\\") == 0) path.erase(0, 4);
    for (auto& c : path) c = static_cast<wchar_t>(std::towlower(c));
    return path.empty() || path.back() != L'\\' ? path + L"\\" : path;
}
DWORD WINAPI getSecurityInfo(HANDLE h, SE_OBJECT_TYPE type, SECURITY_INFORMATION which, PSID* owner, PSID* group,
                             PACL* dacl, PACL* sacl, PSECURITY_DESCRIPTOR* descriptor) {
    const std::wstring path = folderKey(finalPath(h));
    BOOL present = FALSE, defaulted = FALSE;
    for (bool exact : {true, false})
        for (const auto& [f, sddl] : g_secured)  // the path itself first; then on the way to the folder, or below it
            if ((exact ? f == path : f.rfind(path, 0) == 0 || path.rfind(f, 0) == 0) &&
                ::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, descriptor, nullptr))
                return ::GetSecurityDescriptorOwner(*descriptor, owner, &defaulted),
                       ::GetSecurityDescriptorDacl(*descriptor, &present, dacl, &defaulted), ERROR_SUCCESS;
    return real_GetSecurityInfo(h, type, which, owner, group, dacl, sacl, descriptor);
}
BOOL WINAPI readFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD got, LPOVERLAPPED overlapped) {
    // A copy made through a handle reads its source here.
    if (hit(Call::CopyFile, finalPath(file).c_str())) return FALSE;
    return real_ReadFile(file, buffer, size, got, overlapped);
}
constexpr DWORD kWriting = GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA;
HANDLE WINAPI createFileW(LPCWSTR path, DWORD access, DWORD s, LPSECURITY_ATTRIBUTES sa, DWORD how, DWORD f, HANDLE t) {
    // A copy made through a handle creates its new file here.
    if ((access & kWriting) != 0 && (hit(Call::WriteFile, path) || (how == CREATE_ALWAYS && hit(Call::CopyFile, path))))
        return INVALID_HANDLE_VALUE;
    return real_CreateFileW(path, access, s, sa, how, f, t);
}
BOOL WINAPI writeProfile(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR file) {
    return !hit(Call::WriteFile, file) && real_WritePrivateProfileStringW(section, key, value, file);
}
BOOL WINAPI moveFileEx(LPCWSTR a, LPCWSTR b, DWORD f) { return !hit(Call::MoveAtReboot, a) && real_MoveFileExW(a, b, f); }
LONG WINAPI regSaveKey(HKEY key, LPCWSTR file, LPSECURITY_ATTRIBUTES sa) {
    return hit(Call::SaveKey, file) ? err() : real_RegSaveKeyW(key, file, sa);
}
LONG NTAPI deleteKey(HANDLE k) {  // STATUS_ACCESS_DENIED
    return hit(Call::DeleteKey, plat::regKeyName(reinterpret_cast<plat::HKey>(k)).c_str()) ? 0xC0000022 : real_NtDeleteKey(k);
}
LONG WINAPI regDeleteValue(HKEY k, LPCWSTR v) { return hit(Call::DeleteValue, v) ? err() : real_RegDeleteValueW(k, v); }
constexpr REGSAM kKeyWriting = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | DELETE | WRITE_DAC | WRITE_OWNER;
LONG WINAPI regOpenKey(HKEY key, LPCWSTR sub, DWORD options, REGSAM sam, PHKEY out) {
    const bool writing = (sam & kKeyWriting) != 0;
    return writing && hit(Call::OpenKeyForWrite, sub) ? err() : real_RegOpenKeyExW(key, sub, options, sam, out);
}
LONG WINAPI regCreateKey(HKEY key, LPCWSTR sub, DWORD reserved, LPWSTR cls, DWORD options, REGSAM sam,
                         LPSECURITY_ATTRIBUTES sa, PHKEY out, LPDWORD disposition) {
    if (hit(Call::OpenKeyForWrite, sub)) return err();
    return real_RegCreateKeyExW(key, sub, reserved, cls, options, sam, sa, out, disposition);
}
BOOL WINAPI shutdown(LPWSTR, LPWSTR, DWORD, BOOL, BOOL) { return ++g_shutdowns, TRUE; }

// Points the import table entry of `function` at `replacement`; the old
// address goes to `real`. Names not imported are left alone.
template <typename F>
void patch(const char* function, F replacement, F& real) {
    auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleW(nullptr));
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const auto& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name != 0; ++d) {
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::string_view(reinterpret_cast<const char*>(byName->Name)) != function) continue;
            DWORD old = 0;
            ::VirtualProtect(&slots->u1.Function, sizeof(void*), PAGE_READWRITE, &old);
            real = reinterpret_cast<F>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            ::VirtualProtect(&slots->u1.Function, sizeof(void*), old, &old);
            return;
        }
    }
}

#define TW_PATCH(name, hook) patch(#name, &hook, real_##name);
struct Installer {
    Installer() { TW_HOOKS(TW_PATCH) }
} g_installer;

}  // namespace

void fail(Call call, const std::wstring& part, DWORD error, int times) {
    std::wstring p = part;
    for (auto& c : p) c = static_cast<wchar_t>(std::towlower(c));
    g_armed.push_back({call, std::move(p), error, times});
}
void secure(const std::wstring& folder, const wchar_t* sddl) { g_secured.emplace_back(folderKey(folder), sddl); }
void reset() { g_secured.clear(), g_armed.clear(), g_shutdowns = 0; }
int shutdownRequests() { return g_shutdowns; }

}  // namespace faults
