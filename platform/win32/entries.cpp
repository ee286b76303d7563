// Files and folders reached through handles, and the folders the system names
// (kernel32, ntdll, shell32).
#include <windows.h>
#include <winternl.h>
#include <shlobj.h>

#include "platform/platform.h"
#include "platform/win32/handles.h"

// The relative open: ntdll's own call, with the folder's handle as root.
extern "C" NTSTATUS NTAPI NtCreateFile(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK, PLARGE_INTEGER,
                                       ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
extern "C" ULONG NTAPI RtlNtStatusToDosError(NTSTATUS);

namespace plat {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// READ_CONTROL: who can change it is asked of the same handle.
constexpr DWORD kReadRights = FILE_READ_ATTRIBUTES | FILE_LIST_DIRECTORY | READ_CONTROL | SYNCHRONIZE;

// NtCreateFile options (winternl.h leaves some out).
constexpr ULONG kFileOpen = 1;                  // FILE_OPEN
constexpr ULONG kFileOpenIf = 3;                // FILE_OPEN_IF
constexpr ULONG kFileOverwriteIf = 5;           // FILE_OVERWRITE_IF
constexpr ULONG kDirectoryFile = 0x1;           // FILE_DIRECTORY_FILE
constexpr ULONG kNonDirectoryFile = 0x40;       // FILE_NON_DIRECTORY_FILE
constexpr ULONG kSynchronousIo = 0x20;          // FILE_SYNCHRONOUS_IO_NONALERT
constexpr ULONG kOpenForBackup = 0x4000;        // FILE_OPEN_FOR_BACKUP_INTENT
constexpr ULONG kOpenReparsePoint = 0x200000;   // FILE_OPEN_REPARSE_POINT

HANDLE raw(const EntryHandle& h) { return reinterpret_cast<HANDLE>(h.get()); }

// Opens with the right to delete when it is granted, else for reading only.
template <typename Open>
Error openWithFallback(bool forDelete, EntryHandle& out, Open open) {
    out.reset();
    HANDLE h = INVALID_HANDLE_VALUE;
    Error e = forDelete ? open(kReadRights | DELETE, h) : open(kReadRights, h);
    if (e != kOk && forDelete && (e == ERROR_SHARING_VIOLATION || e == ERROR_ACCESS_DENIED))
        e = open(kReadRights, h);
    if (e == kOk) out.reset(reinterpret_cast<std::uintptr_t>(h));
    return e;
}

}  // namespace

EntryHandle::~EntryHandle() { reset(); }
EntryHandle::EntryHandle(EntryHandle&& other) noexcept : value_(other.value_) { other.value_ = 0; }
EntryHandle& EntryHandle::operator=(EntryHandle&& other) noexcept {
    if (this != &other) {
        reset(other.value_);
        other.value_ = 0;
    }
    return *this;
}
void EntryHandle::reset(std::uintptr_t value) {
    if (value_ != 0) ::CloseHandle(reinterpret_cast<HANDLE>(value_));
    value_ = value;
}

Error openEntry(const std::wstring& path, std::uint32_t flags, EntryHandle& out) {
    const DWORD how = FILE_FLAG_BACKUP_SEMANTICS | ((flags & kOpenFollowLink) ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    return openWithFallback((flags & kOpenForDelete) != 0, out, [&](DWORD access, HANDLE& h) -> Error {
        h = ::CreateFileW(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING, how, nullptr);
        return h == INVALID_HANDLE_VALUE ? static_cast<Error>(::GetLastError()) : kOk;
    });
}

Error openEntryAt(const EntryHandle& folder, const std::wstring& name, std::uint32_t flags, EntryHandle& out) {
    const bool forDelete = (flags & kOpenForDelete) != 0;
    // One plain name: a separator or a dot name would reach outside the folder.
    if (name.empty() || name == L"." || name == L".." || name.find_first_of(L"\\/:") != std::wstring::npos ||
        name.size() > 0x7FFF / sizeof(wchar_t)) {
        out.reset();
        return kErrInvalidParameter;
    }
    const bool folderMade = (flags & kCreateFolder) != 0, fileMade = (flags & kCreateFile) != 0;
    const ULONG disposition = folderMade ? kFileOpenIf : fileMade ? kFileOverwriteIf : kFileOpen;
    const ULONG kind = folderMade ? kDirectoryFile : fileMade ? kNonDirectoryFile : 0;
    auto open = [&](DWORD access, HANDLE& h) -> Error {
        UNICODE_STRING text;
        text.Buffer = const_cast<PWSTR>(name.c_str());
        text.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
        text.MaximumLength = text.Length;
        OBJECT_ATTRIBUTES attributes;
        InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, raw(folder), nullptr);
        IO_STATUS_BLOCK io{};
        h = nullptr;
        const NTSTATUS status =
            NtCreateFile(&h, access, &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL, kShareAll, disposition,
                         kSynchronousIo | kOpenForBackup | kOpenReparsePoint | kind, nullptr, 0);
        if (status < 0) {
            h = INVALID_HANDLE_VALUE;
            return static_cast<Error>(RtlNtStatusToDosError(status));
        }
        return kOk;
    };
    if (fileMade) {
        out.reset();
        HANDLE h = INVALID_HANDLE_VALUE;
        const Error e = open(kReadRights | GENERIC_WRITE | DELETE, h);
        if (e == kOk) out.reset(reinterpret_cast<std::uintptr_t>(h));
        return e;
    }
    return openWithFallback(forDelete, out, open);
}

Error entryInfo(const EntryHandle& entry, EntryInfo& out) {
    out = EntryInfo();
    // The basic information only: GetFileInformationByHandle also asks for the
    // volume, a slow query under Wine that most judgements do not need.
    FILE_BASIC_INFO basic{};
    if (!::GetFileInformationByHandleEx(raw(entry), FileBasicInfo, &basic, sizeof basic)) return ::GetLastError();
    out.attributes = basic.FileAttributes;
    std::wstring buffer(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD n = ::GetFinalPathNameByHandleW(raw(entry), buffer.data(), static_cast<DWORD>(buffer.size()),
                                                    FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0) return ::GetLastError();
        if (n < buffer.size()) {
            buffer.resize(n);
            break;
        }
        buffer.assign(n + 1, L'\0');  // n is the size needed
    }
    if (buffer.compare(0, 8, L"\\\\?\\UNC\\") == 0)
        buffer = L"\\\\" + buffer.substr(8);
    else if (buffer.compare(0, 4, L"\\\\?\\") == 0)
        buffer = buffer.substr(4);
    out.finalPath = buffer;
    return kOk;
}

Error entryVolume(const EntryHandle& entry, std::uint32_t& serial) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(raw(entry), &info)) return ::GetLastError();
    serial = info.dwVolumeSerialNumber;
    return kOk;
}

Error listEntries(const EntryHandle& folder, std::vector<DirEntry>& out) {
    out.clear();
    std::vector<std::uint64_t> storage(64 * 1024 / sizeof(std::uint64_t));  // aligned for the records
    bool first = true;
    for (;;) {
        if (!::GetFileInformationByHandleEx(raw(folder), first ? FileIdBothDirectoryRestartInfo : FileIdBothDirectoryInfo,
                                            storage.data(), static_cast<DWORD>(storage.size() * sizeof(std::uint64_t)))) {
            const DWORD e = ::GetLastError();
            if (e == ERROR_NO_MORE_FILES) return kOk;
            out.clear();
            return e;
        }
        first = false;
        const auto* bytes = reinterpret_cast<const unsigned char*>(storage.data());
        for (;;) {
            const auto* record = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(bytes);
            std::wstring name(record->FileName, record->FileNameLength / sizeof(wchar_t));
            if (name != L"." && name != L"..") out.push_back({std::move(name), record->FileAttributes});
            if (record->NextEntryOffset == 0) break;
            bytes += record->NextEntryOffset;
        }
    }
}

Error deleteEntry(const EntryHandle& entry) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    if (::SetFileInformationByHandle(raw(entry), FileDispositionInfo, &disposition, sizeof disposition)) return kOk;
    return ::GetLastError();
}

Error copyEntryTo(const EntryHandle& source, const std::wstring& to) {
    FILE_BASIC_INFO info{};
    if (!::GetFileInformationByHandleEx(raw(source), FileBasicInfo, &info, sizeof info)) return ::GetLastError();
    if ((info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return ERROR_ACCESS_DENIED;
    // Replacing a hidden or system file needs those attributes given again; read-only comes last.
    const DWORD writable = info.FileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
    const HANDLE made = ::CreateFileW(to.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_ALWAYS,
                                      writable != 0 ? writable : FILE_ATTRIBUTE_NORMAL, nullptr);
    if (made == INVALID_HANDLE_VALUE) return ::GetLastError();
    EntryHandle target;
    target.reset(reinterpret_cast<std::uintptr_t>(made));
    return copyEntryInto(source, target);
}

Error copyEntryInto(const EntryHandle& source, const EntryHandle& target) {
    FILE_BASIC_INFO info{};
    if (!::GetFileInformationByHandleEx(raw(source), FileBasicInfo, &info, sizeof info)) return ::GetLastError();
    if ((info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return ERROR_ACCESS_DENIED;
    // The relative open asks for FILE_LIST_DIRECTORY, which is FILE_READ_DATA for a file.
    LARGE_INTEGER start{};
    if (!::SetFilePointerEx(raw(source), start, nullptr, FILE_BEGIN)) return ::GetLastError();
    constexpr DWORD kKept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                            FILE_ATTRIBUTE_ARCHIVE;
    const DWORD kept = (info.FileAttributes & kKept) != 0 ? (info.FileAttributes & kKept) : FILE_ATTRIBUTE_NORMAL;
    std::vector<std::uint8_t> buffer(64 * 1024);
    Error e = kOk;
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(raw(source), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
            e = ::GetLastError();
            break;
        }
        if (got == 0) break;
        DWORD put = 0;
        const BOOL written = ::WriteFile(raw(target), buffer.data(), got, &put, nullptr);
        if (!written || put != got) {
            e = written ? ERROR_WRITE_FAULT : ::GetLastError();
            break;
        }
    }
    if (e == kOk) {
        FILE_BASIC_INFO basic{};  // zero times stay as they are
        basic.LastWriteTime = info.LastWriteTime;
        basic.FileAttributes = kept;
        if (!::SetFileInformationByHandle(raw(target), FileBasicInfo, &basic, sizeof basic)) e = ::GetLastError();
    }
    if (e != kOk) {
        // No part copy is left to be taken for the file's backup.
        FILE_DISPOSITION_INFO disposition{};
        disposition.DeleteFile = TRUE;
        ::SetFileInformationByHandle(raw(target), FileDispositionInfo, &disposition, sizeof disposition);
    }
    return e;
}

Error readEntryBytes(const EntryHandle& file, std::size_t limit, std::vector<std::uint8_t>& out) {
    out.clear();
    LARGE_INTEGER start{};
    if (!::SetFilePointerEx(raw(file), start, nullptr, FILE_BEGIN)) return ::GetLastError();
    std::vector<std::uint8_t> buffer(64 * 1024);
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(raw(file), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) return ::GetLastError();
        if (got == 0) return kOk;
        if (out.size() + got > limit) return kErrNotEnoughMemory;
        out.insert(out.end(), buffer.begin(), buffer.begin() + got);
    }
}

std::wstring systemFolder(SystemFolder which) {
    auto fromCall = [](UINT (WINAPI *call)(LPWSTR, UINT)) {
        std::wstring buffer(MAX_PATH, L'\0');
        for (int attempt = 0; attempt < 4; ++attempt) {
            const UINT n = call(buffer.data(), static_cast<UINT>(buffer.size()));
            if (n == 0) return std::wstring();
            if (n < buffer.size()) {
                buffer.resize(n);
                return buffer;
            }
            buffer.assign(n, L'\0');
        }
        return std::wstring();
    };
    auto known = [](REFKNOWNFOLDERID id) {
        PWSTR path = nullptr;
        std::wstring out;
        if (SUCCEEDED(::SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &path)) && path) out = path;
        ::CoTaskMemFree(path);
        return out;
    };
    switch (which) {
        case SystemFolder::Windows: return fromCall(::GetWindowsDirectoryW);
        case SystemFolder::SystemWindows: return fromCall(::GetSystemWindowsDirectoryW);
        case SystemFolder::System: return fromCall(::GetSystemDirectoryW);
        case SystemFolder::SystemWow64: return fromCall(::GetSystemWow64DirectoryW);
        case SystemFolder::ProgramFiles: return known(FOLDERID_ProgramFiles);
        case SystemFolder::ProgramFilesX86: return known(FOLDERID_ProgramFilesX86);
        case SystemFolder::ProgramFilesX64: return known(FOLDERID_ProgramFilesX64);
        case SystemFolder::ProgramData: return known(FOLDERID_ProgramData);
        case SystemFolder::Public: return known(FOLDERID_Public);
        case SystemFolder::UserProfiles: return known(FOLDERID_UserProfiles);
        case SystemFolder::Profile: return known(FOLDERID_Profile);
        case SystemFolder::RoamingAppData: return known(FOLDERID_RoamingAppData);
        case SystemFolder::LocalAppData: return known(FOLDERID_LocalAppData);
        case SystemFolder::LocalAppDataLow: return known(FOLDERID_LocalAppDataLow);
    }
    return {};
}

bool sameNameIgnoreCase(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    if (a.empty()) return true;
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

}  // namespace plat
