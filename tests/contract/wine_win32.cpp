// Wine detection for the contract tests built with MinGW.
#include <windows.h>

#include "contract_support.h"

namespace contract {

bool runningUnderWine() {
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace contract
