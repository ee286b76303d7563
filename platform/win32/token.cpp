// The process token, privileges and restart (advapi32).
#include <windows.h>

#include "platform/platform.h"

namespace plat {

static_assert(kTokenAdjustPrivileges == TOKEN_ADJUST_PRIVILEGES && kTokenQuery == TOKEN_QUERY);
static_assert(sizeof(TOKEN_PRIVILEGES) == 16);

Error openProcessToken(std::uint32_t access, Handle& token) {
    token = 0;
    HANDLE h = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), access, &h)) return ::GetLastError();
    token = reinterpret_cast<Handle>(h);
    return kOk;
}

Error lookupPrivilegeValue(const std::wstring& name, std::uint64_t& luid) {
    luid = 0;
    LUID value{};
    if (!::LookupPrivilegeValueW(nullptr, name.c_str(), &value)) return ::GetLastError();
    luid = (static_cast<std::uint64_t>(static_cast<std::uint32_t>(value.HighPart)) << 32) | value.LowPart;
    return kOk;
}

bool adjustTokenPrivilege(Handle token, std::uint64_t luid, bool enable, Error& lastError) {
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Luid.LowPart = static_cast<DWORD>(luid & 0xFFFFFFFFu);
    privileges.Privileges[0].Luid.HighPart = static_cast<LONG>(luid >> 32);
    privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
    TOKEN_PRIVILEGES previous{};
    DWORD returned = 0;
    // The call succeeds also when the account does not hold the privilege;
    // only the last error (ERROR_NOT_ALL_ASSIGNED) tells.
    ::SetLastError(ERROR_SUCCESS);
    const BOOL ok = ::AdjustTokenPrivileges(reinterpret_cast<HANDLE>(token), FALSE, &privileges,
                                            sizeof(previous), &previous, &returned);
    lastError = ::GetLastError();
    return ok != 0;
}

Error closeHandle(Handle handle) {
    return ::CloseHandle(reinterpret_cast<HANDLE>(handle)) ? kOk : static_cast<Error>(::GetLastError());
}

bool initiateSystemShutdown(bool forceAppsClosed, bool reboot) {
    return ::InitiateSystemShutdownW(nullptr, nullptr, 0, forceAppsClosed ? TRUE : FALSE, reboot ? TRUE : FALSE) !=
           0;
}

}  // namespace plat
