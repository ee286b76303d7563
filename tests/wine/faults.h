// Faults the real system seldom gives on demand, injected into this test
// program's own Win32 imports: a call fails for paths that contain a text;
// shutdown requests are only counted.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace faults {

enum class Call {
    CopyFile,         // CopyFileW by source or target path; a copy through a handle: its reads and its new file
    DeleteFile,       // DeleteFileW, RemoveDirectoryW and deletion through a handle, by path
    WriteFile,        // CreateFileW opened for writing, WritePrivateProfileStringW, by path
    MoveAtReboot,     // MoveFileExW, by source path
    SaveKey,          // RegSaveKeyW, by file path
    DeleteKey,        // NtDeleteKey, by the key's system name
    DeleteValue,      // RegDeleteValueW, by value name
    OpenKeyForWrite,  // RegOpenKeyExW/RegCreateKeyExW asking for more than reading, by subkey path
    ShowAsLink,       // GetFileInformationByHandleEx: the entry's basic attributes gain the link bit, by final path
};

// Calls whose path contains `part` (any letter case) fail with `error`: the
// next `times` of them, or all when times < 0.
void fail(Call call, const std::wstring& part, DWORD error = ERROR_ACCESS_DENIED, int times = -1);
// The owner and access list Windows gives System32: TrustedInstaller owns it;
// SYSTEM and Administrators may change it, users only read.
inline constexpr const wchar_t* kSystem32Sddl =
    L"O:S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464D:PAI"
    L"(A;;FA;;;S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464)(A;;0x1301bf;;;SY)"
    L"(A;OICIIO;GA;;;SY)(A;;0x1301bf;;;BA)(A;OICIIO;GA;;;BA)(A;;0x1200a9;;;BU)(A;OICIIO;GA;;;CO)";
// Wine keeps no descriptor that is set: GetSecurityInfo answers with `sddl`
// for the folders on the way to `folder` (its drive root included), `folder`
// itself and what lies below it; an entry for exactly the path asked wins.
void secure(const std::wstring& folder, const wchar_t* sddl = kSystem32Sddl);
// Disarms everything and forgets the shutdown requests.
void reset();
// InitiateSystemShutdownW calls, never passed on.
int shutdownRequests();

}  // namespace faults
