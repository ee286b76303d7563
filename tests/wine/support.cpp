#include "support.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include <shlwapi.h>

#include "backup/BackupUnit.h"
#include "engine/DeleteUnit.h"
#include "faults.h"
#include "log/LogUnit.h"
#include "platform/common.h"
#include "settings/VarUnit.h"

namespace winetest {

namespace {

constexpr const char* kSessionManager = "System\\CurrentControlSet\\Control\\Session Manager";
constexpr const char* kPendingValue = "PendingFileRenameOperations";

using Key = std::unique_ptr<std::remove_pointer_t<HKEY>, decltype(&::RegCloseKey)>;

Key openKey(HKEY root, const std::string& path, REGSAM access, bool create = false) {
    HKEY key = nullptr;
    const LONG r = create ? ::RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, access, nullptr, &key, nullptr)
                          : ::RegOpenKeyExA(root, path.c_str(), 0, access, &key);
    return Key(r == ERROR_SUCCESS ? key : nullptr, &::RegCloseKey);
}

// Read character by character: in a double-byte code page a trail byte may be 0x5C.
std::string withBackslash(std::string path) {
    const char* end = path.c_str() + path.size();
    if (path.empty() || ::CharPrevA(path.c_str(), end) != end - 1 || end[-1] != '\\') path += '\\';
    return path;
}

// The raw bytes of the restart queue value, or nothing when it is absent.
std::optional<std::vector<char>> readQueueValue() {
    DWORD size = 0;
    if (::RegGetValueA(HKEY_LOCAL_MACHINE, kSessionManager, kPendingValue, RRF_RT_ANY, nullptr, nullptr, &size))
        return std::nullopt;
    std::vector<char> data(size);
    if (::RegGetValueA(HKEY_LOCAL_MACHINE, kSessionManager, kPendingValue, RRF_RT_ANY, nullptr, data.data(), &size))
        return std::nullopt;
    data.resize(size);
    return data;
}

// The host's name of a Windows path (Wine's wine_get_unix_file_name).
std::string unixName(const std::string& path) {
    auto call = reinterpret_cast<char*(CDECL*)(LPCWSTR)>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* name = call ? call(plat::ansiToWide(path).c_str()) : nullptr;
    std::string out = name ? name : "";
    ::HeapFree(::GetProcessHeap(), 0, name);
    return out;
}

// Runs a host program on `path`, waits, and checks that `path` shows `present`. Not through
// CreateProcess (or _spawnl): for a host program Wine returns stale stack values as the process and
// thread handles, and closing them closed whatever they named, standard output among them.
bool runHost(const char* program, const char* option, const std::string& from, const std::string& path, bool present) {
    using Spawn = LONG(CDECL*)(char* const*, int);
    const auto spawn = reinterpret_cast<Spawn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "__wine_unix_spawnvp")));
    std::string args[] = {program, option, from, unixName(path)};
    char* argv[] = {args[0].data(), args[1].data(), args[2].data(), args[3].data(), nullptr};
    if (!spawn || args[3].empty() || spawn(argv, TRUE) != 0) return false;
    return (::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) == present;
}

bool isKind(const std::string& path, bool folder) {
    const DWORD a = ::GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && ((a & FILE_ATTRIBUTE_DIRECTORY) != 0) == folder;
}

}  // namespace

bool runningUnderWine() { return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }


// Through the C runtime, whose own calls the fault shim leaves alone.
void writeFile(const std::string& path, const std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    const bool written = file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (file) std::fclose(file);
    ASSERT_TRUE(written) << "cannot write " << path;
}

std::optional<std::string> readFile(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return std::nullopt;
    std::string out;
    for (int c; (c = std::fgetc(file)) != EOF;) out.push_back(static_cast<char>(c));
    std::fclose(file);
    return out;
}

bool fileExists(const std::string& path) { return isKind(path, false); }
bool folderExists(const std::string& path) { return isKind(withBackslash(path) + ".", true); }

void makeFolders(const std::string& path) {
    const std::string p = withBackslash(path);
    for (const char* c = p.c_str() + 3; *c != '\0'; c = ::CharNextA(c))
        if (*c == '\\') ::CreateDirectoryA(std::string(p.c_str(), c).c_str(), nullptr);
    ASSERT_TRUE(folderExists(p)) << "cannot create " << p;
}

void removeTree(const std::string& folder) {
    const std::string f = withBackslash(folder);
    for (const auto& name : listFolder(f)) {
        const DWORD a = ::GetFileAttributesA((f + name).c_str());
        ::SetFileAttributesA((f + name).c_str(), FILE_ATTRIBUTE_NORMAL);
        if ((a & FILE_ATTRIBUTE_REPARSE_POINT) != 0) removeUnixLink(f + name);
        else if ((a & FILE_ATTRIBUTE_DIRECTORY) != 0) removeTree(f + name);
        else ::DeleteFileA((f + name).c_str());
    }
    ::SetFileAttributesA(f.substr(0, f.size() - 1).c_str(), FILE_ATTRIBUTE_NORMAL);
    ::RemoveDirectoryA(f.substr(0, f.size() - 1).c_str());
}

bool makeUnixLink(const std::string& target, const std::string& link) {
    return !unixName(target).empty() && runHost("/bin/ln", "-s", unixName(target), link, true);
}
void removeUnixLink(const std::string& link) { runHost("/bin/rm", "-f", "--", link, false); }

std::vector<std::string> listFolder(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data{};
    const HANDLE find = ::FindFirstFileA((withBackslash(folder) + "*").c_str(), &data);
    for (bool more = find != INVALID_HANDLE_VALUE; more; more = ::FindNextFileA(find, &data))
        if (std::string(data.cFileName) != "." && std::string(data.cFileName) != "..") names.push_back(data.cFileName);
    if (find != INVALID_HANDLE_VALUE) ::FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}


void createKey(HKEY root, const std::string& path) { ASSERT_TRUE(openKey(root, path, KEY_ALL_ACCESS, true)) << path; }

void setString(HKEY root, const std::string& path, const std::string& name, const std::string& value) {
    const auto size = static_cast<DWORD>(value.size() + 1);
    ASSERT_FALSE(::RegSetKeyValueA(root, path.c_str(), name.c_str(), REG_SZ, value.c_str(), size)) << path;
}

void setDword(HKEY root, const std::string& path, const std::string& name, DWORD value) {
    ASSERT_FALSE(::RegSetKeyValueA(root, path.c_str(), name.c_str(), REG_DWORD, &value, sizeof value)) << path;
}

bool keyExists(HKEY root, const std::string& path) { return static_cast<bool>(openKey(root, path, KEY_READ)); }

bool valueExists(HKEY root, const std::string& path, const std::string& name) {
    return !::RegGetValueA(root, path.c_str(), name.c_str(), RRF_RT_ANY, nullptr, nullptr, nullptr);
}

void removeKeyTree(HKEY root, const std::string& path) { ::SHDeleteKeyA(root, path.c_str()); }


std::vector<std::string> pendingRenames() {
    std::vector<std::string> out;
    const auto data = readQueueValue().value_or(std::vector<char>());
    // The list ends with an extra terminating zero, which is not an entry.
    const std::size_t end = data.size() >= 2 && data[data.size() - 1] == 0 && data[data.size() - 2] == 0
                                ? data.size() - 1 : data.size();
    for (std::size_t i = 0, start = 0; i < end; ++i)
        if (data[i] == '\0' || i + 1 == end)
            out.emplace_back(&data[start], &data[i] + (data[i] != '\0')), start = i + 1;
    return out;
}

std::string ntPath(const std::string& path) { return "\\??\\" + path; }

bool queued(const std::string& from, const std::string& to) {
    const auto q = pendingRenames();
    const std::string want = to.empty() ? "" : ntPath(to);
    for (std::size_t i = 0; i + 1 < q.size(); i += 2) {
        // A replacing rename carries a leading "!"; the target is the same file.
        const std::string target = q[i + 1].substr(q[i + 1].rfind('!', 0) == 0 ? 1 : 0);
        if (!lstrcmpiA(q[i].c_str(), ntPath(from).c_str()) && !lstrcmpiA(target.c_str(), want.c_str())) return true;
    }
    return false;
}

// The system checks sharing for every open, also within one process.
FileHolder::FileHolder(const std::string& path)
    : process_(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)),
      holding_(process_ != INVALID_HANDLE_VALUE) {}

FileHolder::~FileHolder() { holding_ && ::CloseHandle(process_); }


void WineTest::SetUp() {
    tw::BackupEnabled = tw::DeleteAtReboot = false;
    tw::BackupPath.clear();
    tw::RunLog().clear();
    tw::SetProgressHook([this] { ++steps; });
    savedQueue_ = readQueueValue();
    hadBackupRoot_ = folderExists(tw::BackupRoot());
    hadLogFolder_ = folderExists(tw::LogFolder());
    // A long path: the engine refuses short (8.3) names, as it must.
    char temp[MAX_PATH + 1] = {}, longTemp[MAX_PATH * 2] = {};
    ASSERT_GT(::GetTempPathA(sizeof temp, temp), 0u);
    const DWORD m = ::GetLongPathNameA(temp, longTemp, sizeof longTemp);
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir = withBackslash(m > 0 && m < sizeof longTemp ? longTemp : temp) + "TidewellTest\\" + info->test_suite_name() +
          "." + info->name() + "\\";
    removeTree(dir);
    makeFolders(dir);
    removeKeyTree(HKEY_CURRENT_USER, kScratchKey);
    removeKeyTree(HKEY_LOCAL_MACHINE, kScratchKey);
}

void WineTest::TearDown() {
    faults::reset();
    tw::SetProgressHook(nullptr);
    if (savedQueue_)
        ::RegSetKeyValueA(HKEY_LOCAL_MACHINE, kSessionManager, kPendingValue, REG_MULTI_SZ, savedQueue_->data(),
                          static_cast<DWORD>(savedQueue_->size()));
    else
        ::RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kSessionManager, kPendingValue);
    removeTree(dir);
    // The shared parent goes with the last test's folder.
    if (!dir.empty()) ::RemoveDirectoryA(dir.substr(0, dir.find_last_of('\\', dir.size() - 2)).c_str());
    removeKeyTree(HKEY_CURRENT_USER, kScratchKey);
    removeKeyTree(HKEY_LOCAL_MACHINE, kScratchKey);
    if (!hadBackupRoot_) removeTree(tw::BackupRoot());
    if (!hadLogFolder_) removeTree(tw::LogFolder());
}

std::vector<std::string> WineTest::logLines() {
    std::vector<std::string> out;
    for (const auto& line : tw::RunLog().lines()) out.push_back(plat::wideToAnsi(line));
    return out;
}

}  // namespace winetest
