#include "support.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

extern "C" LONG NTAPI NtDeleteKey(HANDLE);  // ntdll: deletes the key of the handle, a link as a link

#include "engine/RegistrySelf.h"
#include "faults.h"
#include "log/LogUnit.h"
#include "platform/common.h"
#include "settings/VarUnit.h"
#include "store/BackupStore.h"

namespace winetest {

namespace {

constexpr const wchar_t* kSessionManager = L"System\\CurrentControlSet\\Control\\Session Manager";
constexpr const wchar_t* kPendingValue = L"PendingFileRenameOperations";

using Key = std::unique_ptr<std::remove_pointer_t<HKEY>, decltype(&::RegCloseKey)>;

Key openKey(HKEY root, const std::wstring& path, REGSAM access, bool create = false, DWORD options = 0) {
    HKEY key = nullptr;
    const LONG r = create ? ::RegCreateKeyExW(root, path.c_str(), 0, nullptr, options, access, nullptr, &key, nullptr)
                          : ::RegOpenKeyExW(root, path.c_str(), 0, access, &key);
    return Key(r == ERROR_SUCCESS ? key : nullptr, &::RegCloseKey);
}

std::wstring withBackslash(std::wstring path) {
    if (path.empty() || path.back() != L'\\') path += L'\\';
    return path;
}

// The raw bytes of the restart queue value, or nothing when it is absent.
std::optional<std::vector<char>> readQueueValue() {
    DWORD size = 0;
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, kSessionManager, kPendingValue, RRF_RT_ANY, nullptr, nullptr, &size))
        return std::nullopt;
    std::vector<char> data(size);
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, kSessionManager, kPendingValue, RRF_RT_ANY, nullptr, data.data(), &size))
        return std::nullopt;
    data.resize(size);
    return data;
}

// The host's name of a Windows path (Wine's wine_get_unix_file_name).
std::string unixName(const std::wstring& path) {
    auto call = reinterpret_cast<char*(CDECL*)(LPCWSTR)>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* name = call ? call(path.c_str()) : nullptr;
    std::string out = name ? name : "";
    ::HeapFree(::GetProcessHeap(), 0, name);
    return out;
}

// Runs a host program on `path`, waits, and checks that `path` shows `present`. Not through
// CreateProcess (or _spawnl): for a host program Wine returns stale stack values as the process and
// thread handles, and closing them closed whatever they named, standard output among them.
bool runHost(const char* program, const char* option, const std::string& from, const std::wstring& path, bool present) {
    using Spawn = LONG(CDECL*)(char* const*, int);
    const auto spawn = reinterpret_cast<Spawn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "__wine_unix_spawnvp")));
    std::string args[] = {program, option, from, unixName(path)};
    char* argv[] = {args[0].data(), args[1].data(), args[2].data(), args[3].data(), nullptr};
    if (!spawn || args[3].empty() || spawn(argv, TRUE) != 0) return false;
    return (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) == present;
}

bool isKind(const std::wstring& path, bool folder) {
    const DWORD a = ::GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && ((a & FILE_ATTRIBUTE_DIRECTORY) != 0) == folder;
}

}  // namespace

bool runningUnderWine() { return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

std::wstring expand(const std::wstring& text) {
    wchar_t out[2048] = {};
    ::ExpandEnvironmentStringsW(text.c_str(), out, std::size(out));
    EXPECT_EQ(std::wstring(out).find(L'%'), std::wstring::npos) << L"not set: " << text;
    return out;
}


// Through the C runtime, whose own calls the fault shim leaves alone.
void writeFile(const std::wstring& path, const std::wstring& bytes) {
    std::string raw;
    for (wchar_t c : bytes) {
        ASSERT_LT(static_cast<unsigned>(c), 0x100u) << "one byte per character";
        raw.push_back(static_cast<char>(c));
    }
    std::FILE* file = ::_wfopen(path.c_str(), L"wb");
    const bool written = file && std::fwrite(raw.data(), 1, raw.size(), file) == raw.size();
    if (file) std::fclose(file);
    ASSERT_TRUE(written) << "cannot write " << testing::PrintToString(path);
}

std::optional<std::wstring> readFile(const std::wstring& path) {
    std::FILE* file = ::_wfopen(path.c_str(), L"rb");
    if (!file) return std::nullopt;
    std::wstring out;
    for (int c; (c = std::fgetc(file)) != EOF;) out.push_back(static_cast<wchar_t>(c));
    std::fclose(file);
    return out;
}

std::wstring utf16Bytes(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) out += {static_cast<wchar_t>(c & 0xFF), static_cast<wchar_t>(c >> 8)};
    return out;
}

bool fileExists(const std::wstring& path) { return isKind(path, false); }
bool folderExists(const std::wstring& path) { return isKind(withBackslash(path) + L".", true); }

void makeFolders(const std::wstring& path) {
    const std::wstring p = withBackslash(path);
    for (std::size_t at = p.find(L'\\', 3); at != std::wstring::npos; at = p.find(L'\\', at + 1))
        ::CreateDirectoryW(p.substr(0, at).c_str(), nullptr);
    ASSERT_TRUE(folderExists(p)) << "cannot create " << testing::PrintToString(p);
}

void removeTree(const std::wstring& folder) {
    const std::wstring f = withBackslash(folder);
    for (const auto& name : listFolder(f)) {
        const DWORD a = ::GetFileAttributesW((f + name).c_str());
        ::SetFileAttributesW((f + name).c_str(), FILE_ATTRIBUTE_NORMAL);
        if ((a & FILE_ATTRIBUTE_REPARSE_POINT) != 0) removeUnixLink(f + name);
        else if ((a & FILE_ATTRIBUTE_DIRECTORY) != 0) removeTree(f + name);
        else ::DeleteFileW((f + name).c_str());
    }
    ::SetFileAttributesW(f.substr(0, f.size() - 1).c_str(), FILE_ATTRIBUTE_NORMAL);
    ::RemoveDirectoryW(f.substr(0, f.size() - 1).c_str());
}

bool makeUnixLink(const std::wstring& target, const std::wstring& link) {
    return !unixName(target).empty() && runHost("/bin/ln", "-s", unixName(target), link, true);
}
void removeUnixLink(const std::wstring& link) { runHost("/bin/rm", "-f", "--", link, false); }

std::vector<std::wstring> listFolder(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data{};
    const HANDLE find = ::FindFirstFileW((withBackslash(folder) + L"*").c_str(), &data);
    for (bool more = find != INVALID_HANDLE_VALUE; more; more = ::FindNextFileW(find, &data))
        if (std::wstring(data.cFileName) != L"." && std::wstring(data.cFileName) != L"..") names.push_back(data.cFileName);
    if (find != INVALID_HANDLE_VALUE) ::FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}


void createKey(HKEY root, const std::wstring& path) { ASSERT_TRUE(openKey(root, path, KEY_ALL_ACCESS, true)) << path; }

void setString(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& value) {
    const auto size = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    ASSERT_FALSE(::RegSetKeyValueW(root, path.c_str(), name.c_str(), REG_SZ, value.c_str(), size)) << path;
}

void setDword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD value) {
    ASSERT_FALSE(::RegSetKeyValueW(root, path.c_str(), name.c_str(), REG_DWORD, &value, sizeof value)) << path;
}

bool keyExists(HKEY root, const std::wstring& path) { return static_cast<bool>(openKey(root, path, KEY_READ)); }

bool valueExists(HKEY root, const std::wstring& path, const std::wstring& name) {
    return !::RegGetValueW(root, path.c_str(), name.c_str(), RRF_RT_ANY, nullptr, nullptr, nullptr);
}

// Key by key, each opened without following a link, so that a link a test
// made goes as a link (SHDeleteKey would empty and delete its target).
void removeKeyTree(HKEY root, const std::wstring& path) {
    HKEY raw = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), REG_OPTION_OPEN_LINK, KEY_READ | DELETE, &raw)) return;
    const Key key(raw, &::RegCloseKey);
    DWORD count = 0;  // a link opened as itself has no subkeys
    ::RegQueryInfoKeyW(raw, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    for (wchar_t name[256]; count-- > 0;)
        if (DWORD n = 256; !::RegEnumKeyExW(raw, count, name, &n, nullptr, nullptr, nullptr, nullptr)) removeKeyTree(raw, name);
    NtDeleteKey(raw);
}

void makeKeyLink(HKEY root, const std::wstring& path, const std::wstring& target) {
    const Key key = openKey(root, path, KEY_ALL_ACCESS | KEY_CREATE_LINK, true, REG_OPTION_CREATE_LINK);
    ASSERT_TRUE(key) << path;  // the target's name without a terminating zero
    EXPECT_FALSE(::RegSetValueExW(key.get(), L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(target.data()),
                                  static_cast<DWORD>(target.size() * sizeof(wchar_t))));
}

std::optional<std::wstring> hiveString(const std::wstring& file, const std::wstring& subKey, const std::wstring& name) {
    tw::TRegistrySelf reg;
    reg.EnablePrivilege(L"SeRestorePrivilege", true);
    std::optional<std::wstring> value;
    if (!::RegLoadKeyW(HKEY_USERS, L"TidewellTestHive", file.c_str())) {
        wchar_t data[1024] = {};
        DWORD size = sizeof data - sizeof(wchar_t);
        const std::wstring key = L"TidewellTestHive" + (subKey.empty() ? L"" : L"\\" + subKey);
        if (!::RegGetValueW(HKEY_USERS, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, data, &size)) value = data;
        EXPECT_FALSE(::RegUnLoadKeyW(HKEY_USERS, L"TidewellTestHive"));
    }
    reg.EnablePrivilege(L"SeRestorePrivilege", false);
    return value;
}


std::vector<std::wstring> pendingRenames() {
    std::vector<std::wstring> out;
    const auto bytes = readQueueValue().value_or(std::vector<char>());
    std::wstring data(bytes.size() / sizeof(wchar_t), L'\0');
    std::memcpy(data.data(), bytes.data(), data.size() * sizeof(wchar_t));
    // The list ends with an extra terminating zero, which is not an entry.
    const std::size_t end = data.size() >= 2 && data[data.size() - 1] == 0 && data[data.size() - 2] == 0
                                ? data.size() - 1 : data.size();
    for (std::size_t i = 0, start = 0; i < end; ++i)
        if (data[i] == L'\0' || i + 1 == end)
            out.emplace_back(&data[start], &data[i] + (data[i] != L'\0')), start = i + 1;
    return out;
}

std::wstring ntPath(const std::wstring& path) { return L"\\??\\" + path; }

bool queued(const std::wstring& from, const std::wstring& to) {
    const auto q = pendingRenames();
    const std::wstring want = to.empty() ? L"" : ntPath(to);
    for (std::size_t i = 0; i + 1 < q.size(); i += 2) {
        // A replacing rename carries a leading "!"; the target is the same file.
        const std::wstring target = q[i + 1].substr(q[i + 1].rfind(L'!', 0) == 0 ? 1 : 0);
        if (!lstrcmpiW(q[i].c_str(), ntPath(from).c_str()) && !lstrcmpiW(target.c_str(), want.c_str())) return true;
    }
    return false;
}

// The system checks sharing for every open, also within one process.
FileHolder::FileHolder(const std::wstring& path)
    : process_(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)),
      holding_(process_ != INVALID_HANDLE_VALUE) {}

FileHolder::~FileHolder() { holding_ && ::CloseHandle(process_); }


void WineTest::SetUp() {
    tw::BackupEnabled = tw::DeleteAtReboot = tw::RestorePointEnabled = tw::BlockReinstallEnabled = false;
    tw::RunLog().clear();
    context.progress = [this] { ++steps; };
    savedQueue_ = readQueueValue();
    hadBackupRoot_ = folderExists(tw::BackupRoot());
    hadLogFolder_ = folderExists(tw::LogFolder());
    // A long path: the engine refuses short (8.3) names, as it must.
    wchar_t temp[MAX_PATH + 1] = {}, longTemp[MAX_PATH * 2] = {};
    ASSERT_GT(::GetTempPathW(MAX_PATH + 1, temp), 0u);
    const DWORD m = ::GetLongPathNameW(temp, longTemp, MAX_PATH * 2);
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir = withBackslash(m > 0 && m < MAX_PATH * 2 ? longTemp : temp) + L"TidewellTest\\" +
          tw::fromUtf8(info->test_suite_name()) + L"." + tw::fromUtf8(info->name()) + L"\\";
    removeTree(dir);
    makeFolders(dir);
    removeKeyTree(HKEY_CURRENT_USER, kScratchKey);
    removeKeyTree(HKEY_LOCAL_MACHINE, kScratchKey);
}

void WineTest::TearDown() {
    faults::reset();
    if (savedQueue_)
        ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, kSessionManager, kPendingValue, REG_MULTI_SZ, savedQueue_->data(),
                          static_cast<DWORD>(savedQueue_->size()));
    else
        ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kSessionManager, kPendingValue);
    removeTree(dir);
    // The shared parent goes with the last test's folder.
    if (!dir.empty()) ::RemoveDirectoryW(dir.substr(0, dir.find_last_of(L'\\', dir.size() - 2)).c_str());
    removeKeyTree(HKEY_CURRENT_USER, kScratchKey);
    removeKeyTree(HKEY_LOCAL_MACHINE, kScratchKey);
    if (!hadBackupRoot_) removeTree(tw::BackupRoot());
    if (!hadLogFolder_) removeTree(tw::LogFolder());
}

std::vector<std::wstring> WineTest::logLines() { return tw::RunLog().lines(); }

}  // namespace winetest
