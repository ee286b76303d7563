// Whole-file replacement and standard output, through the wide forms.
#include <windows.h>

#include <algorithm>

#include "platform/platform.h"
#include "platform/win32/handles.h"

namespace plat {

Error replaceFileBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
    // A read-only file is not replaced: Windows refuses it, Wine would not.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        return ERROR_ACCESS_DENIED;
    // A name nobody else has: CREATE_NEW refuses anything already there,
    // a link included.
    const std::wstring temporary = path + L".tmp" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                   std::to_wstring(GetTickCount64());
    Error err = kOk;
    {
        win::FileHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (!file) return static_cast<Error>(GetLastError());
        std::size_t done = 0;
        while (err == kOk && done < bytes.size()) {
            DWORD written = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
            if (!WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr) || written == 0)
                err = static_cast<Error>(GetLastError());
            done += written;
        }
        if (err == kOk && !FlushFileBuffers(file.get())) err = static_cast<Error>(GetLastError());
    }
    if (err == kOk && !MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        err = static_cast<Error>(GetLastError());
    if (err != kOk) DeleteFileW(temporary.c_str());
    return err;
}

bool writeStandardOutput(const std::wstring& text) {
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out == nullptr || out == INVALID_HANDLE_VALUE) return false;
    const DWORD type = GetFileType(out);
    if (type != FILE_TYPE_DISK && type != FILE_TYPE_PIPE) return false;
    const int length = static_cast<int>(text.size());
    std::string bytes(static_cast<std::size_t>(
                          WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr)),
                      '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), length, bytes.data(), static_cast<int>(bytes.size()), nullptr,
                        nullptr);
    DWORD written = 0;
    return WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
}

}  // namespace plat
