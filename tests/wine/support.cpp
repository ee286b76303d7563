#include "support.h"

#include "faults.h"

#include <algorithm>
#include <memory>

#include "backup/BackupUnit.h"
#include "engine/DeleteUnit.h"
#include "log/LogUnit.h"
#include "platform/common.h"
#include "settings/VarUnit.h"

namespace winetest {

namespace {

constexpr const char* kSessionManager = "System\\CurrentControlSet\\Control\\Session Manager";
constexpr const char* kPendingValue = "PendingFileRenameOperations";

struct KeyClose {
    void operator()(HKEY key) const { ::RegCloseKey(key); }
};
using Key = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyClose>;
struct HandleClose {
    void operator()(HANDLE h) const { ::CloseHandle(h); }
};
using Handle = std::unique_ptr<void, HandleClose>;
Handle own(HANDLE h) { return Handle(h == INVALID_HANDLE_VALUE ? nullptr : h); }

// Opens (or, with `create`, makes) a key; empty when it cannot.
Key openKey(HKEY root, const std::string& path, REGSAM access, bool create = false) {
    HKEY key = nullptr;
    const LONG r = create ? ::RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, access, nullptr, &key, nullptr)
                          : ::RegOpenKeyExA(root, path.c_str(), 0, access, &key);
    return Key(r == ERROR_SUCCESS ? key : nullptr);
}

void setValue(HKEY root, const std::string& path, const std::string& name, DWORD type, const void* data, DWORD size) {
    const Key key = openKey(root, path, KEY_ALL_ACCESS, true);
    ASSERT_TRUE(key) << path;
    ASSERT_EQ(::RegSetValueExA(key.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
}

// Read character by character: in a double-byte code page a trail byte may be 0x5C.
std::string withBackslash(std::string path) {
    const char* end = path.c_str() + path.size();
    if (path.empty() || ::CharPrevA(path.c_str(), end) != end - 1 || end[-1] != '\\') path += '\\';
    return path;
}

// The raw bytes of the restart queue value, or nothing when it is absent.
std::optional<std::vector<char>> readQueueValue() {
    const Key key = openKey(HKEY_LOCAL_MACHINE, kSessionManager, KEY_QUERY_VALUE);
    DWORD size = 0;
    if (!key || ::RegQueryValueExA(key.get(), kPendingValue, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::vector<char> data(size);
    if (::RegQueryValueExA(key.get(), kPendingValue, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &size))
        return std::nullopt;
    data.resize(size);
    return data;
}

void writeQueueValue(const std::optional<std::vector<char>>& value) {
    const Key key = openKey(HKEY_LOCAL_MACHINE, kSessionManager, KEY_SET_VALUE);
    if (key && value)
        ::RegSetValueExA(key.get(), kPendingValue, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(value->data()),
                         static_cast<DWORD>(value->size()));
    else if (key)
        ::RegDeleteValueA(key.get(), kPendingValue);
}

// The host's name of a Windows path (Wine's wine_get_unix_file_name).
std::string unixName(const std::string& path) {
    auto call = reinterpret_cast<char*(CDECL*)(LPCWSTR)>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (call == nullptr) return {};
    std::wstring wide(path.size() + 1, L'\0');
    wide.resize(static_cast<std::size_t>(::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(),
                                                                static_cast<int>(wide.size()))));
    char* name = call(wide.c_str());
    const std::string out = name ? name : "";
    ::HeapFree(::GetProcessHeap(), 0, name);
    return out;
}

// Runs a program of the host (Wine starts Unix programs too). Wine hands back
// its process before the program is done: wait until `path` shows `present`.
bool runHost(std::string commandLine, const std::string& path, bool present) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return false;
    ::WaitForSingleObject(info.hProcess, 20000);
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    for (int i = 0; i < 400; ++i, ::Sleep(25))
        if ((::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) == present) return true;
    return false;
}

}  // namespace

bool runningUnderWine() {
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// ------------------------------------------------------------------ files ----

void writeFile(const std::string& path, const std::string& bytes) {
    const Handle file = own(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file) << "cannot create " << path;
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    ASSERT_EQ(written, bytes.size());
}

std::optional<std::string> readFile(const std::string& path) {
    const Handle file = own(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
    if (!file) return std::nullopt;
    std::string out;
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
    return out;
}

bool fileExists(const std::string& path) {
    const DWORD a = ::GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool folderExists(const std::string& path) {
    const DWORD a = ::GetFileAttributesA((withBackslash(path) + ".").c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void makeFolders(const std::string& path) {
    const std::string p = withBackslash(path);
    for (const char* c = p.c_str() + 3; *c != '\0'; c = ::CharNextA(c))
        if (*c == '\\') ::CreateDirectoryA(std::string(p.c_str(), c).c_str(), nullptr);
    ASSERT_TRUE(folderExists(p)) << "cannot create " << p;
}

void removeTree(const std::string& folder) {
    const std::string f = withBackslash(folder);
    for (const auto& name : listFolder(f)) {
        const std::string path = f + name;
        const DWORD a = ::GetFileAttributesA(path.c_str());
        if ((a & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
            removeUnixLink(path);  // Wine cannot remove a Unix link by its own calls
        } else if ((a & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            removeTree(path);
        } else {
            ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileA(path.c_str());
        }
    }
    ::SetFileAttributesA(f.substr(0, f.size() - 1).c_str(), FILE_ATTRIBUTE_NORMAL);
    ::RemoveDirectoryA(f.substr(0, f.size() - 1).c_str());
}

bool makeUnixLink(const std::string& target, const std::string& link) {
    const std::string from = unixName(target), to = unixName(link);
    return !from.empty() && !to.empty() && runHost("Z:\\bin\\ln -s \"" + from + "\" \"" + to + "\"", link, true);
}

void removeUnixLink(const std::string& link) {
    const std::string name = unixName(link);
    if (!name.empty()) runHost("Z:\\bin\\rm -f \"" + name + "\"", link, false);
}

std::vector<std::string> listFolder(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data{};
    const HANDLE find = ::FindFirstFileA((withBackslash(folder) + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = data.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

// --------------------------------------------------------------- registry ----

void createKey(HKEY root, const std::string& path) { ASSERT_TRUE(openKey(root, path, KEY_ALL_ACCESS, true)) << path; }

void setString(HKEY root, const std::string& path, const std::string& name, const std::string& value) {
    setValue(root, path, name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

void setDword(HKEY root, const std::string& path, const std::string& name, DWORD value) {
    setValue(root, path, name, REG_DWORD, &value, sizeof value);
}

bool keyExists(HKEY root, const std::string& path) { return static_cast<bool>(openKey(root, path, KEY_READ)); }

bool valueExists(HKEY root, const std::string& path, const std::string& name) {
    const Key key = openKey(root, path, KEY_READ);
    return key && ::RegQueryValueExA(key.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void removeKeyTree(HKEY root, const std::string& path) {
    ::RegDeleteTreeA(root, path.c_str());
    ::RegDeleteKeyA(root, path.c_str());
}

// ---------------------------------------------------------- restart queue ----

std::vector<std::string> pendingRenames() {
    std::vector<std::string> out;
    const auto data = readQueueValue();
    if (!data) return out;
    // The list ends with an extra terminating zero, which is not an entry.
    std::size_t end = data->size();
    if (end >= 2 && (*data)[end - 1] == '\0' && (*data)[end - 2] == '\0') --end;
    std::string current;
    for (std::size_t i = 0; i < end; ++i) {
        if ((*data)[i] != '\0') current.push_back((*data)[i]);
        else out.push_back(std::exchange(current, {}));
    }
    if (!current.empty()) out.push_back(current);
    return out;
}

std::string ntPath(const std::string& path) { return "\\??\\" + path; }

bool queued(const std::string& from, const std::string& to) {
    const auto entries = pendingRenames();
    const std::string wantTo = to.empty() ? std::string() : ntPath(to);
    for (std::size_t i = 0; i + 1 < entries.size(); i += 2) {
        // A replacing rename carries a leading "!"; the target is the same file.
        const std::string& target = entries[i + 1];
        const std::string plain = !target.empty() && target[0] == '!' ? target.substr(1) : target;
        if (lstrcmpiA(entries[i].c_str(), ntPath(from).c_str()) == 0 && lstrcmpiA(plain.c_str(), wantTo.c_str()) == 0)
            return true;
    }
    return false;
}

// ------------------------------------------------------------- file holder ----

// The system checks sharing for every open of a file, also within one
// process: an open handle sharing only reading stands in for a running driver.
FileHolder::FileHolder(const std::string& path) {
    process_ = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    holding_ = process_ != INVALID_HANDLE_VALUE;
}

FileHolder::~FileHolder() {
    if (holding_) ::CloseHandle(process_);
}

// ---------------------------------------------------------------- fixture ----

void WineTest::SetUp() {
    faults::reset();
    tw::BackupEnabled = false;
    tw::DeleteAtReboot = false;
    tw::RunLog().clear();
    steps = 0;
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
    tw::RunLog().clear();
    tw::BackupEnabled = false;
    tw::DeleteAtReboot = false;
    tw::BackupPath.clear();
    writeQueueValue(savedQueue_);
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
