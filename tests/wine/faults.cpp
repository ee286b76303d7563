#include "faults.h"

#include <algorithm>
#include <cwctype>
#include <deque>

namespace faults {
namespace {

struct Armed {
    Call call;
    std::wstring part;
    DWORD error;
    int times;
};
std::vector<Armed> g_armed;
std::deque<int> g_answers;
std::vector<std::wstring> g_boxes;
int g_shutdowns = 0;

std::wstring lower(std::wstring s) {
    for (auto& c : s) c = static_cast<wchar_t>(std::towlower(c));
    return s;
}
std::wstring wide(const char* s, UINT codePage = CP_ACP) {
    if (s == nullptr) return {};
    std::wstring out(static_cast<std::size_t>(::MultiByteToWideChar(codePage, 0, s, -1, nullptr, 0)), L'\0');
    ::MultiByteToWideChar(codePage, 0, s, -1, out.data(), static_cast<int>(out.size()));
    if (!out.empty()) out.pop_back();
    return out;
}

// True (with the last error set) when an armed fault takes this call.
bool hit(Call call, const std::wstring& path) {
    const std::wstring p = lower(path);
    for (auto it = g_armed.begin(); it != g_armed.end(); ++it) {
        if (it->call != call || p.find(it->part) == std::wstring::npos) continue;
        const DWORD error = it->error;
        if (it->times > 0 && --it->times == 0) g_armed.erase(it);
        ::SetLastError(error);
        return true;
    }
    return false;
}
LONG regHit(Call call, const char* path) {
    return hit(call, wide(path)) ? static_cast<LONG>(::GetLastError()) : ERROR_SUCCESS;
}

// ---- the replacements; each keeps the real function's address ----
#define TW_REAL(name) decltype(&::name) real_##name = nullptr

TW_REAL(CopyFileA);
TW_REAL(DeleteFileA);
TW_REAL(RemoveDirectoryA);
TW_REAL(SetFileInformationByHandle);
TW_REAL(CreateFileA);
TW_REAL(CreateFileW);
TW_REAL(WritePrivateProfileStringW);
TW_REAL(MoveFileExA);
TW_REAL(RegSaveKeyA);
TW_REAL(RegDeleteKeyA);
TW_REAL(RegDeleteValueA);
TW_REAL(RegOpenKeyExA);
TW_REAL(RegCreateKeyExA);

BOOL WINAPI copyFile(LPCSTR from, LPCSTR to, BOOL failIfExists) {
    if (hit(Call::CopyFile, wide(from)) || hit(Call::CopyFile, wide(to))) return FALSE;
    return real_CopyFileA(from, to, failIfExists);
}
BOOL WINAPI deleteFile(LPCSTR path) { return hit(Call::DeleteFile, wide(path)) ? FALSE : real_DeleteFileA(path); }
BOOL WINAPI removeDirectory(LPCSTR path) {
    return hit(Call::DeleteFile, wide(path)) ? FALSE : real_RemoveDirectoryA(path);
}
BOOL WINAPI setFileInformation(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID info, DWORD size) {
    if (kind == FileDispositionInfo) {
        wchar_t path[MAX_PATH * 4] = {};
        ::GetFinalPathNameByHandleW(file, path, MAX_PATH * 4, 0);
        if (hit(Call::DeleteFile, path)) return FALSE;
    }
    return real_SetFileInformationByHandle(file, kind, info, size);
}
constexpr DWORD kWriting = GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA;
HANDLE WINAPI createFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD how, DWORD flags,
                          HANDLE tmpl) {
    if ((access & kWriting) != 0 && hit(Call::WriteFile, wide(path))) return INVALID_HANDLE_VALUE;
    return real_CreateFileA(path, access, share, sa, how, flags, tmpl);
}
HANDLE WINAPI createFileW(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD how, DWORD flags,
                          HANDLE tmpl) {
    if ((access & kWriting) != 0 && hit(Call::WriteFile, path ? path : L"")) return INVALID_HANDLE_VALUE;
    return real_CreateFileW(path, access, share, sa, how, flags, tmpl);
}
BOOL WINAPI writeProfile(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR file) {
    if (hit(Call::WriteFile, file ? file : L"")) return FALSE;
    return real_WritePrivateProfileStringW(section, key, value, file);
}
BOOL WINAPI moveFileEx(LPCSTR from, LPCSTR to, DWORD flags) {
    return hit(Call::MoveAtReboot, wide(from)) ? FALSE : real_MoveFileExA(from, to, flags);
}
LONG WINAPI regSaveKey(HKEY key, LPCSTR file, LPSECURITY_ATTRIBUTES sa) {
    const LONG e = regHit(Call::SaveKey, file);
    return e != ERROR_SUCCESS ? e : real_RegSaveKeyA(key, file, sa);
}
LONG WINAPI regDeleteKey(HKEY key, LPCSTR sub) {
    const LONG e = regHit(Call::DeleteKey, sub);
    return e != ERROR_SUCCESS ? e : real_RegDeleteKeyA(key, sub);
}
LONG WINAPI regDeleteValue(HKEY key, LPCSTR name) {
    const LONG e = regHit(Call::DeleteValue, name);
    return e != ERROR_SUCCESS ? e : real_RegDeleteValueA(key, name);
}
constexpr REGSAM kKeyWriting = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | DELETE | WRITE_DAC | WRITE_OWNER;
LONG WINAPI regOpenKey(HKEY key, LPCSTR sub, DWORD options, REGSAM sam, PHKEY out) {
    const LONG e = (sam & kKeyWriting) != 0 ? regHit(Call::OpenKeyForWrite, sub) : ERROR_SUCCESS;
    return e != ERROR_SUCCESS ? e : real_RegOpenKeyExA(key, sub, options, sam, out);
}
LONG WINAPI regCreateKey(HKEY key, LPCSTR sub, DWORD reserved, LPSTR cls, DWORD options, REGSAM sam,
                         LPSECURITY_ATTRIBUTES sa, PHKEY out, LPDWORD disposition) {
    const LONG e = regHit(Call::OpenKeyForWrite, sub);
    return e != ERROR_SUCCESS ? e : real_RegCreateKeyExA(key, sub, reserved, cls, options, sam, sa, out, disposition);
}
int answer(std::wstring caption, const std::wstring& text) {
    g_boxes.push_back(caption + L"|" + text);
    if (g_answers.empty()) return IDOK;
    const int a = g_answers.front();
    g_answers.pop_front();
    return a;
}
int WINAPI messageBoxW(HWND, LPCWSTR text, LPCWSTR caption, UINT) {
    return answer(caption ? caption : L"", text ? text : L"");
}
int WINAPI messageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT) { return answer(wide(caption), wide(text)); }
BOOL WINAPI shutdown(LPSTR, LPSTR, DWORD, BOOL, BOOL) {
    ++g_shutdowns;
    return TRUE;
}

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

decltype(&::MessageBoxW) real_MessageBoxW = nullptr;
decltype(&::MessageBoxA) real_MessageBoxA = nullptr;
decltype(&::InitiateSystemShutdownA) real_InitiateSystemShutdownA = nullptr;

struct Installer {
    Installer() {
        patch("CopyFileA", &copyFile, real_CopyFileA);
        patch("DeleteFileA", &deleteFile, real_DeleteFileA);
        patch("RemoveDirectoryA", &removeDirectory, real_RemoveDirectoryA);
        patch("SetFileInformationByHandle", &setFileInformation, real_SetFileInformationByHandle);
        patch("CreateFileA", &createFileA, real_CreateFileA);
        patch("CreateFileW", &createFileW, real_CreateFileW);
        patch("WritePrivateProfileStringW", &writeProfile, real_WritePrivateProfileStringW);
        patch("MoveFileExA", &moveFileEx, real_MoveFileExA);
        patch("RegSaveKeyA", &regSaveKey, real_RegSaveKeyA);
        patch("RegDeleteKeyA", &regDeleteKey, real_RegDeleteKeyA);
        patch("RegDeleteValueA", &regDeleteValue, real_RegDeleteValueA);
        patch("RegOpenKeyExA", &regOpenKey, real_RegOpenKeyExA);
        patch("RegCreateKeyExA", &regCreateKey, real_RegCreateKeyExA);
        patch("MessageBoxW", &messageBoxW, real_MessageBoxW);
        patch("MessageBoxA", &messageBoxA, real_MessageBoxA);
        patch("InitiateSystemShutdownA", &shutdown, real_InitiateSystemShutdownA);
    }
} g_installer;

}  // namespace

void fail(Call call, const std::string& part, DWORD error, int times) {
    g_armed.push_back({call, lower(wide(part.c_str())), error, times});
}
void reset() {
    g_armed.clear();
    g_answers.clear();
    g_boxes.clear();
    g_shutdowns = 0;
}
void answerMessageBoxes(std::vector<int> answers) { g_answers.assign(answers.begin(), answers.end()); }
const std::vector<std::wstring>& messageBoxes() { return g_boxes; }
int shutdownRequests() { return g_shutdowns; }

}  // namespace faults
