// The process token, privileges and restart (advapi32).
#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/handles.h"

namespace plat {

static_assert(sizeof(TOKEN_PRIVILEGES) == 16);

bool enablePrivilege(const std::wstring& name, bool enable) {
    win::KernelHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put())) return false;
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    if (!::LookupPrivilegeValueW(nullptr, name.c_str(), &privileges.Privileges[0].Luid)) return false;
    privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
    TOKEN_PRIVILEGES previous{};
    DWORD returned = 0;
    return ::AdjustTokenPrivileges(token.get(), FALSE, &privileges, sizeof(previous), &previous, &returned) != 0;
}

Error closeHandle(Handle handle) {
    return ::CloseHandle(reinterpret_cast<HANDLE>(handle)) ? kOk : static_cast<Error>(::GetLastError());
}

bool initiateSystemShutdown(bool forceAppsClosed, bool reboot) {
    return ::InitiateSystemShutdownW(nullptr, nullptr, 0, forceAppsClosed ? TRUE : FALSE, reboot ? TRUE : FALSE) !=
           0;
}

}  // namespace plat
