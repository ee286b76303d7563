// Memory of other processes (kernel32).
#include <windows.h>

#include "platform/other_programs.h"
#include "platform/platform.h"

namespace plat {

static_assert(kMemCommit == MEM_COMMIT && kMemRelease == MEM_RELEASE && kPageExecuteReadWrite == PAGE_EXECUTE_READWRITE);

namespace {

HANDLE toHandle(Handle h) { return reinterpret_cast<HANDLE>(h); }

bool is64BitMachine(USHORT machine) {
    return machine == IMAGE_FILE_MACHINE_AMD64 || machine == IMAGE_FILE_MACHINE_IA64 || machine == 0xAA64 /* ARM64 */;
}

}  // namespace

Error openProcess(std::uint32_t access, std::uint32_t processId, Handle& process) {
    process = 0;
    HANDLE h = ::OpenProcess(access, FALSE, processId);
    if (h == nullptr) return ::GetLastError();
    process = reinterpret_cast<Handle>(h);
    return kOk;
}

Error virtualAllocEx(Handle process, std::size_t size, std::uint32_t allocationType, std::uint32_t protect,
                     std::uintptr_t& address) {
    address = 0;
    void* p = ::VirtualAllocEx(toHandle(process), nullptr, size, allocationType, protect);
    if (p == nullptr) return ::GetLastError();
    address = reinterpret_cast<std::uintptr_t>(p);
    return kOk;
}

Error virtualFreeEx(Handle process, std::uintptr_t address, std::size_t size, std::uint32_t freeType) {
    return ::VirtualFreeEx(toHandle(process), reinterpret_cast<void*>(address), size, freeType)
               ? kOk
               : static_cast<Error>(::GetLastError());
}

Error readProcessMemory(Handle process, std::uintptr_t address, void* buffer, std::size_t size, std::size_t& read) {
    SIZE_T done = 0;
    const BOOL ok =
        ::ReadProcessMemory(toHandle(process), reinterpret_cast<const void*>(address), buffer, size, &done);
    read = done;
    return ok ? kOk : static_cast<Error>(::GetLastError());
}

Error writeProcessMemory(Handle process, std::uintptr_t address, const void* buffer, std::size_t size,
                         std::size_t& written) {
    SIZE_T done = 0;
    const BOOL ok = ::WriteProcessMemory(toHandle(process), reinterpret_cast<void*>(address), buffer, size, &done);
    written = done;
    return ok ? kOk : static_cast<Error>(::GetLastError());
}

bool isProcess64Bit(Handle process) {
    // IsWow64Process2 (Windows 10 1511 and later) names both the process's and
    // the system's machine; older systems need IsWow64Process and the
    // system's own architecture.
    using IsWow64Process2Fn = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    auto isWow64Process2 =
        kernel ? reinterpret_cast<IsWow64Process2Fn>(
                     reinterpret_cast<void*>(::GetProcAddress(kernel, "IsWow64Process2")))
               : nullptr;
    if (isWow64Process2) {
        USHORT processMachine = IMAGE_FILE_MACHINE_UNKNOWN;
        USHORT nativeMachine = IMAGE_FILE_MACHINE_UNKNOWN;
        if (isWow64Process2(toHandle(process), &processMachine, &nativeMachine)) {
            // UNKNOWN: not running under WOW64, so it has the system's bitness.
            if (processMachine != IMAGE_FILE_MACHINE_UNKNOWN) return false;
            return is64BitMachine(nativeMachine);
        }
    }
    BOOL wow64 = FALSE;
    if (!::IsWow64Process(toHandle(process), &wow64)) return false;
    if (wow64) return false;
    SYSTEM_INFO info{};
    ::GetNativeSystemInfo(&info);
    const WORD arch = info.wProcessorArchitecture;
    return arch == PROCESSOR_ARCHITECTURE_AMD64 || arch == PROCESSOR_ARCHITECTURE_IA64 || arch == 12 /* ARM64 */;
}

}  // namespace plat
