// Files, folders, the environment and the executable's path (kernel32, "W" forms).
#include <windows.h>

#include <limits>

#include "platform/platform.h"
#include "platform/win32/handles.h"

namespace plat {

static_assert(kAttrReadOnly == FILE_ATTRIBUTE_READONLY && kAttrHidden == FILE_ATTRIBUTE_HIDDEN &&
              kAttrSystem == FILE_ATTRIBUTE_SYSTEM && kAttrDirectory == FILE_ATTRIBUTE_DIRECTORY &&
              kAttrArchive == FILE_ATTRIBUTE_ARCHIVE && kAttrNormal == FILE_ATTRIBUTE_NORMAL &&
              kAttrReparsePoint == FILE_ATTRIBUTE_REPARSE_POINT && kInvalidAttributes == INVALID_FILE_ATTRIBUTES);

// The error codes the core looks at are the system's own.
static_assert(kErrFileNotFound == ERROR_FILE_NOT_FOUND && kErrPathNotFound == ERROR_PATH_NOT_FOUND &&
              kErrAccessDenied == ERROR_ACCESS_DENIED && kErrInvalidHandle == ERROR_INVALID_HANDLE &&
              kErrNotEnoughMemory == ERROR_NOT_ENOUGH_MEMORY && kErrWriteProtect == ERROR_WRITE_PROTECT &&
              kErrSharingViolation == ERROR_SHARING_VIOLATION && kErrFileExists == ERROR_FILE_EXISTS &&
              kErrInvalidParameter == ERROR_INVALID_PARAMETER && kErrDirNotEmpty == ERROR_DIR_NOT_EMPTY &&
              kErrBadPathname == ERROR_BAD_PATHNAME && kErrAlreadyExists == ERROR_ALREADY_EXISTS &&
              kErrMoreData == ERROR_MORE_DATA && kErrNoMoreItems == ERROR_NO_MORE_ITEMS &&
              kErrNotAllAssigned == ERROR_NOT_ALL_ASSIGNED && kErrNoSuchPrivilege == ERROR_NO_SUCH_PRIVILEGE &&
              kErrPrivilegeNotHeld == ERROR_PRIVILEGE_NOT_HELD && kErrKeyDeleted == ERROR_KEY_DELETED);

namespace {

Error lastErrorOr(BOOL ok) { return ok ? kOk : static_cast<Error>(::GetLastError()); }

FindData toFindData(const WIN32_FIND_DATAW& fd) {
    FindData out;
    out.name = fd.cFileName;
    out.attributes = fd.dwFileAttributes;
    out.size = (static_cast<std::uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
    return out;
}

}  // namespace

Error findEntries(const std::wstring& pattern, std::vector<FindData>& out) {
    out.clear();
    WIN32_FIND_DATAW fd{};
    win::FindHandle find(::FindFirstFileW(pattern.c_str(), &fd));
    if (!find) {
        const DWORD err = ::GetLastError();
        // Nothing matched: an empty list, not a failure. Some file systems
        // answer ERROR_NO_MORE_FILES instead of ERROR_FILE_NOT_FOUND.
        if (err == ERROR_FILE_NOT_FOUND || err == ERROR_NO_MORE_FILES) return kOk;
        return err;
    }
    do {
        out.push_back(toFindData(fd));
    } while (::FindNextFileW(find.get(), &fd));
    const DWORD err = ::GetLastError();
    // The search ends with ERROR_NO_MORE_FILES; anything else cut it short.
    if (err != ERROR_NO_MORE_FILES) {
        out.clear();
        return err;
    }
    return kOk;
}

std::uint32_t getFileAttributes(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()); }

Error setFileAttributes(const std::wstring& path, std::uint32_t attributes) {
    return lastErrorOr(::SetFileAttributesW(path.c_str(), attributes));
}

Error deleteFile(const std::wstring& path) { return lastErrorOr(::DeleteFileW(path.c_str())); }

Error copyFile(const std::wstring& from, const std::wstring& to, bool failIfExists) {
    return lastErrorOr(::CopyFileW(from.c_str(), to.c_str(), failIfExists ? TRUE : FALSE));
}

Error createDirectory(const std::wstring& path) { return lastErrorOr(::CreateDirectoryW(path.c_str(), nullptr)); }

Error removeDirectory(const std::wstring& path) { return lastErrorOr(::RemoveDirectoryW(path.c_str())); }

Error moveFileAtReboot(const std::wstring& from, const std::wstring& to) {
    return lastErrorOr(
        ::MoveFileExW(from.c_str(), to.empty() ? nullptr : to.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT));
}

Error readFileBytes(const std::wstring& path, std::vector<std::uint8_t>& out) {
    out.clear();
    win::FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return ::GetLastError();
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size)) return ::GetLastError();
    if (size.QuadPart < 0 ||
        static_cast<std::uint64_t>(size.QuadPart) > std::numeric_limits<std::size_t>::max() / 2)
        return kErrNotEnoughMemory;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t left = bytes.size() - done;
        const DWORD chunk = left > 0x10000000u ? 0x10000000u : static_cast<DWORD>(left);
        DWORD got = 0;
        if (!::ReadFile(file.get(), bytes.data() + done, chunk, &got, nullptr)) return ::GetLastError();
        if (got == 0) break;  // the file shrank while we read it
        done += got;
    }
    bytes.resize(done);
    out = std::move(bytes);
    return kOk;
}

Error writeFileBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
    win::FileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return ::GetLastError();
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t left = bytes.size() - done;
        const DWORD chunk = left > 0x10000000u ? 0x10000000u : static_cast<DWORD>(left);
        DWORD put = 0;
        if (!::WriteFile(file.get(), bytes.data() + done, chunk, &put, nullptr)) return ::GetLastError();
        if (put == 0) return ERROR_WRITE_FAULT;
        done += put;
    }
    return kOk;
}

std::wstring executablePath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            return buffer;
        }
        if (buffer.size() >= 0x8000) return {};
        buffer.resize(buffer.size() * 2);
    }
}

std::optional<std::wstring> getEnv(const std::wstring& name) {
    std::wstring buffer(256, L'\0');
    for (int attempt = 0; attempt < 8; ++attempt) {
        ::SetLastError(ERROR_SUCCESS);
        const DWORD n = ::GetEnvironmentVariableW(name.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) {
            // 0 is both "not set" and "set to an empty text".
            if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
            return std::wstring();
        }
        if (n < buffer.size()) {
            buffer.resize(n);
            return buffer;
        }
        // Too small: n is the size needed, terminating zero included. The
        // variable may change between calls, so ask again.
        buffer.assign(n, L'\0');
    }
    return std::nullopt;
}

std::wstring errorText(Error code) {
    wchar_t* text = nullptr;
    const DWORD n = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (n == 0 || text == nullptr) return {};
    std::wstring out(text, n);
    ::LocalFree(text);
    while (!out.empty() && (out.back() == L'\r' || out.back() == L'\n')) out.pop_back();
    return out;
}

}  // namespace plat
