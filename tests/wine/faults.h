// Faults the real system seldom gives on demand, injected into the Win32
// calls this test program makes through its own import table: the program
// under test runs its real platform layer, and a test arms a call to fail
// (the next time, or every time) for paths that contain a given text.
// Message boxes are answered from a script and recorded instead of shown,
// and a shutdown request is only counted.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace faults {

enum class Call {
    CopyFile,         // CopyFileA, by source or target path
    DeleteFile,       // DeleteFileA, RemoveDirectoryA and deletion through a handle, by path
    WriteFile,        // CreateFileA/W opened for writing, WritePrivateProfileStringW, by path
    MoveAtReboot,     // MoveFileExA, by source path
    SaveKey,          // RegSaveKeyA, by file path
    DeleteKey,        // RegDeleteKeyA, by subkey path
    DeleteValue,      // RegDeleteValueA, by value name
    OpenKeyForWrite,  // RegOpenKeyExA/RegCreateKeyExA asking for more than reading, by subkey path
    ShowAsLink,       // GetFileInformationByHandle: the entry's attributes gain the link bit, by final path
};

// The calls of `call` whose path (or name) contains `part`, without regard
// to case, fail with `error`: the next `times` of them, or all when times < 0.
void fail(Call call, const std::string& part, DWORD error = ERROR_ACCESS_DENIED, int times = -1);
// Disarms everything and forgets the message boxes and shutdown requests.
void reset();

// Message boxes: each takes the next scripted answer (IDOK when none is
// left) and is recorded as "caption|text".
void answerMessageBoxes(std::vector<int> answers);
const std::vector<std::wstring>& messageBoxes();
// InitiateSystemShutdownA calls, never passed on.
int shutdownRequests();

}  // namespace faults
