#include "faults.h"

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

std::wstring widen(const char* s) {
    std::wstring out(s ? static_cast<std::size_t>(::MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0)) : 1, L'\0');
    if (s) ::MultiByteToWideChar(CP_ACP, 0, s, -1, out.data(), static_cast<int>(out.size()));
    return out.substr(0, out.size() - 1);
}
std::wstring finalPath(HANDLE file) {
    wchar_t path[MAX_PATH * 4] = {};
    ::GetFinalPathNameByHandleW(file, path, MAX_PATH * 4, 0);
    return path;
}

// True (with the last error set) when an armed fault takes this call.
template <typename Char>
bool hit(Call call, const Char* path) {
    std::wstring p;
    if constexpr (sizeof(Char) == 1) p = widen(path);
    else p = path ? path : L"";
    for (auto& c : p) c = static_cast<wchar_t>(std::towlower(c));
    for (auto it = g_armed.begin(); it != g_armed.end(); ++it) {
        if (it->call != call || p.find(it->part) == std::wstring::npos) continue;
        const DWORD error = it->error;
        if (it->times > 0 && --it->times == 0) g_armed.erase(it);
        ::SetLastError(error);
        return true;
    }
    return false;
}
// The registry calls answer with the error itself.
#define TW_REG_HIT(call, path) \
    if (hit(call, path)) return static_cast<LONG>(::GetLastError())

// ---- the replacements; each keeps the real function's address ----
#define TW_HOOKS(X)                                                                                          \
    X(CopyFileA, copyFile) X(DeleteFileA, deleteFile) X(RemoveDirectoryA, removeDirectory)                   \
    X(SetFileInformationByHandle, setFileInformation) X(GetFileInformationByHandle, getFileInformation)      \
    X(CreateFileA, createFileA) X(CreateFileW, createFileW) X(WritePrivateProfileStringW, writeProfile)      \
    X(MoveFileExA, moveFileEx) X(RegSaveKeyA, regSaveKey) X(RegDeleteKeyA, regDeleteKey)                     \
    X(RegDeleteValueA, regDeleteValue) X(RegOpenKeyExA, regOpenKey) X(RegCreateKeyExA, regCreateKey)         \
    X(MessageBoxW, messageBoxW) X(MessageBoxA, messageBoxA) X(InitiateSystemShutdownA, shutdown)
#define TW_REAL(name, hook) decltype(&::name) real_##name = nullptr;
TW_HOOKS(TW_REAL)

BOOL WINAPI copyFile(LPCSTR from, LPCSTR to, BOOL failIfExists) {
    return !hit(Call::CopyFile, from) && !hit(Call::CopyFile, to) && real_CopyFileA(from, to, failIfExists);
}
BOOL WINAPI deleteFile(LPCSTR path) { return !hit(Call::DeleteFile, path) && real_DeleteFileA(path); }
BOOL WINAPI removeDirectory(LPCSTR path) { return !hit(Call::DeleteFile, path) && real_RemoveDirectoryA(path); }
BOOL WINAPI setFileInformation(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID info, DWORD size) {
    if (kind == FileDispositionInfo && hit(Call::DeleteFile, finalPath(file).c_str())) return FALSE;
    return real_SetFileInformationByHandle(file, kind, info, size);
}
BOOL WINAPI getFileInformation(HANDLE file, LPBY_HANDLE_FILE_INFORMATION info) {
    if (!real_GetFileInformationByHandle(file, info)) return FALSE;
    if (hit(Call::ShowAsLink, finalPath(file).c_str())) info->dwFileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    return TRUE;
}
constexpr DWORD kWriting = GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA;
HANDLE WINAPI createFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD how, DWORD flags,
                          HANDLE tmpl) {
    if ((access & kWriting) != 0 && hit(Call::WriteFile, path)) return INVALID_HANDLE_VALUE;
    return real_CreateFileA(path, access, share, sa, how, flags, tmpl);
}
HANDLE WINAPI createFileW(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD how, DWORD flags,
                          HANDLE tmpl) {
    if ((access & kWriting) != 0 && hit(Call::WriteFile, path)) return INVALID_HANDLE_VALUE;
    return real_CreateFileW(path, access, share, sa, how, flags, tmpl);
}
BOOL WINAPI writeProfile(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR file) {
    return !hit(Call::WriteFile, file) && real_WritePrivateProfileStringW(section, key, value, file);
}
BOOL WINAPI moveFileEx(LPCSTR from, LPCSTR to, DWORD flags) {
    return !hit(Call::MoveAtReboot, from) && real_MoveFileExA(from, to, flags);
}
LONG WINAPI regSaveKey(HKEY key, LPCSTR file, LPSECURITY_ATTRIBUTES sa) {
    TW_REG_HIT(Call::SaveKey, file);
    return real_RegSaveKeyA(key, file, sa);
}
LONG WINAPI regDeleteKey(HKEY key, LPCSTR sub) {
    TW_REG_HIT(Call::DeleteKey, sub);
    return real_RegDeleteKeyA(key, sub);
}
LONG WINAPI regDeleteValue(HKEY key, LPCSTR name) {
    TW_REG_HIT(Call::DeleteValue, name);
    return real_RegDeleteValueA(key, name);
}
constexpr REGSAM kKeyWriting = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | DELETE | WRITE_DAC | WRITE_OWNER;
LONG WINAPI regOpenKey(HKEY key, LPCSTR sub, DWORD options, REGSAM sam, PHKEY out) {
    if ((sam & kKeyWriting) != 0) TW_REG_HIT(Call::OpenKeyForWrite, sub);
    return real_RegOpenKeyExA(key, sub, options, sam, out);
}
LONG WINAPI regCreateKey(HKEY key, LPCSTR sub, DWORD reserved, LPSTR cls, DWORD options, REGSAM sam,
                         LPSECURITY_ATTRIBUTES sa, PHKEY out, LPDWORD disposition) {
    TW_REG_HIT(Call::OpenKeyForWrite, sub);
    return real_RegCreateKeyExA(key, sub, reserved, cls, options, sam, sa, out, disposition);
}
int answer(const std::wstring& caption, const std::wstring& text) {
    g_boxes.push_back(caption + L"|" + text);
    if (g_answers.empty()) return IDOK;
    const int a = g_answers.front();
    g_answers.pop_front();
    return a;
}
int WINAPI messageBoxW(HWND, LPCWSTR text, LPCWSTR caption, UINT) {
    return answer(caption ? caption : L"", text ? text : L"");
}
int WINAPI messageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT) { return answer(widen(caption), widen(text)); }
BOOL WINAPI shutdown(LPSTR, LPSTR, DWORD, BOOL, BOOL) { return ++g_shutdowns, TRUE; }

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

void fail(Call call, const std::string& part, DWORD error, int times) {
    std::wstring p = widen(part.c_str());
    for (auto& c : p) c = static_cast<wchar_t>(std::towlower(c));
    g_armed.push_back({call, p, error, times});
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
