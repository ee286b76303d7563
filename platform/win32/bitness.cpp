// The system's bitness, as a 32-bit process finds it out (kernel32).
#include <windows.h>

#include "platform/platform.h"

namespace plat {

bool isSystem64Bit() {
    if (isSelf64Bit()) return true;
    // IsWow64Process2 (Windows 10 1511 and later) names the system's machine;
    // older systems answer through IsWow64Process, which is true exactly for
    // a 32-bit process on 64-bit Windows.
    using IsWow64Process2Fn = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    auto isWow64Process2 = kernel ? reinterpret_cast<IsWow64Process2Fn>(reinterpret_cast<void*>(
                                        ::GetProcAddress(kernel, "IsWow64Process2")))
                                  : nullptr;
    USHORT processMachine = IMAGE_FILE_MACHINE_UNKNOWN;
    USHORT nativeMachine = IMAGE_FILE_MACHINE_UNKNOWN;
    if (isWow64Process2 && isWow64Process2(::GetCurrentProcess(), &processMachine, &nativeMachine))
        return nativeMachine != IMAGE_FILE_MACHINE_I386;
    BOOL wow64 = FALSE;
    if (!::IsWow64Process(::GetCurrentProcess(), &wow64)) return true;
    if (wow64) return true;
    SYSTEM_INFO info{};
    ::GetNativeSystemInfo(&info);
    return info.wProcessorArchitecture != PROCESSOR_ARCHITECTURE_INTEL;
}

}  // namespace plat
