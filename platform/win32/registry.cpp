// The registry, advapi32 "W" forms. Handles cross the platform boundary as
// plain integers; the caller owns and closes what regOpenKey/regCreateKey give.
#include <windows.h>
#include <winternl.h>

#include <algorithm>

#include "platform/platform.h"

// The key calls of ntdll that act on a handle rather than on a path.
extern "C" NTSTATUS NTAPI NtDeleteKey(HANDLE);
extern "C" NTSTATUS NTAPI NtQueryKey(HANDLE, int, PVOID, ULONG, PULONG);
extern "C" ULONG NTAPI RtlNtStatusToDosError(NTSTATUS);
extern "C" NTSTATUS NTAPI RtlFormatCurrentUserKeyPath(PUNICODE_STRING);

namespace plat {

// The predefined roots keep the values of the Windows headers (sign extended
// on 64-bit builds). HKEY_LOCAL_MACHINE itself is a pointer cast and so no
// constant expression; its definition is mirrored here.
static_assert(kHKeyClassesRoot == static_cast<std::uintptr_t>(static_cast<LONG_PTR>(static_cast<LONG>(0x80000000))));
static_assert(kHKeyCurrentUser == static_cast<std::uintptr_t>(static_cast<LONG_PTR>(static_cast<LONG>(0x80000001))));
static_assert(kHKeyLocalMachine == static_cast<std::uintptr_t>(static_cast<LONG_PTR>(static_cast<LONG>(0x80000002))));
static_assert(kHKeyUsers == static_cast<std::uintptr_t>(static_cast<LONG_PTR>(static_cast<LONG>(0x80000003))));
static_assert(sizeof(HKey) == sizeof(HKEY));
static_assert(kKeyAllAccess == KEY_ALL_ACCESS && kKeyRead == KEY_READ && kKeyWrite == KEY_WRITE);
static_assert(kKeyWow64_64Key == KEY_WOW64_64KEY && kKeyWow64_32Key == KEY_WOW64_32KEY);
static_assert(kKeyDelete == DELETE && kStandardRightsRead == STANDARD_RIGHTS_READ);
static_assert(kRegOptionBackupRestore == REG_OPTION_BACKUP_RESTORE && kRegOptionOpenLink == REG_OPTION_OPEN_LINK &&
              kRegOptionCreateLink == REG_OPTION_CREATE_LINK);

namespace {

HKEY toHkey(HKey key) { return reinterpret_cast<HKEY>(key); }
HKey fromHkey(HKEY key) { return reinterpret_cast<HKey>(key); }

}  // namespace

Error regOpenKey(HKey base, const std::wstring& subKey, std::uint32_t access, HKey& out, std::uint32_t options) {
    out = 0;
    HKEY key = nullptr;
    const LONG r = ::RegOpenKeyExW(toHkey(base), subKey.c_str(), options, access, &key);
    if (r == ERROR_SUCCESS) out = fromHkey(key);
    return static_cast<Error>(r);
}

Error regCreateKey(HKey base, const std::wstring& subKey, std::uint32_t options, std::uint32_t access, HKey& out) {
    out = 0;
    HKEY key = nullptr;
    const LONG r =
        ::RegCreateKeyExW(toHkey(base), subKey.c_str(), 0, nullptr, options, access, nullptr, &key, nullptr);
    if (r == ERROR_SUCCESS) out = fromHkey(key);
    return static_cast<Error>(r);
}

Error regCloseKey(HKey key) { return static_cast<Error>(::RegCloseKey(toHkey(key))); }

Error regFlushKey(HKey key) { return static_cast<Error>(::RegFlushKey(toHkey(key))); }

Error regQueryInfoKey(HKey key, KeyInfo& info) {
    info = KeyInfo{};
    DWORD subKeys = 0, maxSubKeyLen = 0, values = 0, maxValueNameLen = 0, maxValueLen = 0;
    FILETIME lastWrite{};
    const LONG r = ::RegQueryInfoKeyW(toHkey(key), nullptr, nullptr, nullptr, &subKeys, &maxSubKeyLen, nullptr,
                                      &values, &maxValueNameLen, &maxValueLen, nullptr, &lastWrite);
    if (r != ERROR_SUCCESS) return static_cast<Error>(r);
    info.subKeys = subKeys;
    info.maxSubKeyLen = maxSubKeyLen;
    info.values = values;
    info.maxValueNameLen = maxValueNameLen;
    info.maxValueLen = maxValueLen;
    info.lastWriteTime = (static_cast<std::uint64_t>(lastWrite.dwHighDateTime) << 32) | lastWrite.dwLowDateTime;
    return kOk;
}

Error regEnumKey(HKey key, std::uint32_t index, std::uint32_t bufferChars, std::wstring& name) {
    name.clear();
    // At least one byte of storage, so that a zero-size buffer is still a
    // valid pointer; the call is told the caller's size.
    std::wstring buffer(bufferChars > 0 ? bufferChars : 1, L'\0');
    DWORD length = bufferChars;
    const LONG r = ::RegEnumKeyExW(toHkey(key), index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (r == ERROR_SUCCESS) name.assign(buffer.data(), length < buffer.size() ? length : buffer.size());
    return static_cast<Error>(r);
}

Error regQueryValue(HKey key, const std::wstring& name, std::uint32_t& type, std::vector<std::uint8_t>* data,
                    std::uint32_t& size, std::uint32_t capacity) {
    DWORD valueType = REG_NONE;
    DWORD valueSize = 0;
    LONG r = ::RegQueryValueExW(toHkey(key), name.c_str(), nullptr, &valueType, nullptr, &valueSize);
    if (r != ERROR_SUCCESS || data == nullptr) {
        type = valueType;
        size = valueSize;
        return static_cast<Error>(r);
    }
    // The value may grow between the size query and the read: ask again.
    for (int attempt = 0; attempt < 8; ++attempt) {
        if (valueSize > capacity) {
            type = valueType;
            size = valueSize;
            return kErrMoreData;
        }
        std::vector<std::uint8_t> bytes(valueSize > 0 ? valueSize : 1);
        DWORD got = valueSize;
        r = ::RegQueryValueExW(toHkey(key), name.c_str(), nullptr, &valueType, bytes.data(), &got);
        if (r == ERROR_SUCCESS) {
            bytes.resize(got);
            *data = std::move(bytes);
            type = valueType;
            size = got;
            return kOk;
        }
        if (r != ERROR_MORE_DATA) {
            type = valueType;
            size = got;
            return static_cast<Error>(r);
        }
        valueSize = got;
    }
    type = valueType;
    size = valueSize;
    return kErrMoreData;
}

Error regSetValue(HKey key, const std::wstring& name, std::uint32_t type, const std::vector<std::uint8_t>& data) {
    static const BYTE empty = 0;
    return static_cast<Error>(::RegSetValueExW(toHkey(key), name.c_str(), 0, type,
                                               data.empty() ? &empty : data.data(),
                                               static_cast<DWORD>(data.size())));
}

Error regDeleteOpenedKey(HKey key) {
    const NTSTATUS status = ::NtDeleteKey(toHkey(key));
    return status == 0 ? kOk : static_cast<Error>(::RtlNtStatusToDosError(status));
}

std::wstring regKeyName(HKey key) {
    // The predefined roots are no handles of their own: they are named as the system maps them.
    if (key == kHKeyLocalMachine) return L"\\REGISTRY\\MACHINE";
    if (key == kHKeyUsers) return L"\\REGISTRY\\USER";
    if (key == kHKeyCurrentUser) {
        UNICODE_STRING path{};
        if (::RtlFormatCurrentUserKeyPath(&path) != 0) return {};
        std::wstring name(path.Buffer, path.Length / sizeof(wchar_t));
        ::RtlFreeUnicodeString(&path);
        return name;
    }
    constexpr int kKeyNameInformation = 3;  // KEY_NAME_INFORMATION: ULONG NameLength, WCHAR Name[]
    std::vector<ULONG> buffer(256);
    for (int attempt = 0; attempt < 4; ++attempt) {
        ULONG needed = 0;
        const auto bytes = static_cast<ULONG>(buffer.size() * sizeof(ULONG));
        const NTSTATUS status = ::NtQueryKey(toHkey(key), kKeyNameInformation, buffer.data(), bytes, &needed);
        if (status == 0) {
            const ULONG length = std::min<ULONG>(buffer[0], bytes - sizeof(ULONG));
            return std::wstring(reinterpret_cast<const wchar_t*>(buffer.data() + 1), length / sizeof(wchar_t));
        }
        if (needed <= bytes) return {};
        buffer.resize(needed / sizeof(ULONG) + 1);
    }
    return {};
}

bool regIsLink(HKey key) {
    DWORD type = REG_NONE;
    return ::RegQueryValueExW(toHkey(key), L"SymbolicLinkValue", nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS &&
           type == REG_LINK;
}

Error regDeleteValue(HKey key, const std::wstring& name) {
    return static_cast<Error>(::RegDeleteValueW(toHkey(key), name.c_str()));
}

Error regEnumValue(HKey key, std::uint32_t index, std::wstring& name) {
    std::wstring buffer(16384, L'\0');  // a value name holds at most 16383 characters
    DWORD chars = static_cast<DWORD>(buffer.size());
    const LONG r = ::RegEnumValueW(toHkey(key), index, buffer.data(), &chars, nullptr, nullptr, nullptr, nullptr);
    if (r == ERROR_SUCCESS) name.assign(buffer.data(), chars);
    return static_cast<Error>(r);
}

Error regSaveKey(HKey key, const std::wstring& file) {
    // RegSaveKey is documented to fail when the file already exists, and
    // Windows leaves that file alone. Wine instead truncates it, even when the
    // save then fails, so the rule is enforced here before the call.
    if (::GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES) return ERROR_ALREADY_EXISTS;
    // A failed save must not leave a file behind either: Wine creates the
    // file before the privilege check and keeps it, empty, on failure; a
    // later restore would take it for a hive and a later save would be
    // refused. Only the file this call created is removed.
    const LONG r = ::RegSaveKeyW(toHkey(key), file.c_str(), nullptr);
    if (r != ERROR_SUCCESS) ::DeleteFileW(file.c_str());
    return static_cast<Error>(r);
}

Error regRestoreKey(HKey key, const std::wstring& file, std::uint32_t flags) {
    return static_cast<Error>(::RegRestoreKeyW(toHkey(key), file.c_str(), flags));
}

}  // namespace plat
