#include "support.h"

#include "faults.h"

#include <algorithm>

#include "backup/BackupUnit.h"
#include "engine/DeleteUnit.h"
#include "log/LogUnit.h"
#include "platform/common.h"
#include "settings/VarUnit.h"

namespace winetest {

namespace {

constexpr const char* kSessionManager = "System\\CurrentControlSet\\Control\\Session Manager";
constexpr const char* kPendingValue = "PendingFileRenameOperations";

struct KeyCloser {
    HKEY key = nullptr;
    ~KeyCloser() {
        if (key != nullptr) ::RegCloseKey(key);
    }
};

struct HandleCloser {
    HANDLE handle = nullptr;
    ~HandleCloser() {
        if (handle != nullptr && handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
    }
};

struct FindCloser {
    HANDLE handle = INVALID_HANDLE_VALUE;
    ~FindCloser() {
        if (handle != INVALID_HANDLE_VALUE) ::FindClose(handle);
    }
};

std::string withBackslash(std::string path) {
    if (path.empty() || path.back() != '\\') path += '\\';
    return path;
}

// The raw bytes of the restart queue value, or nothing when it is absent.
std::optional<std::vector<char>> readQueueValue() {
    KeyCloser key;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE, &key.key) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExA(key.key, kPendingValue, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::vector<char> data(size);
    if (size > 0 && ::RegQueryValueExA(key.key, kPendingValue, nullptr, &type,
                                       reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS)
        return std::nullopt;
    data.resize(size);
    return data;
}

void writeQueueValue(const std::optional<std::vector<char>>& value) {
    KeyCloser key;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, &key.key) != ERROR_SUCCESS) return;
    if (value)
        ::RegSetValueExA(key.key, kPendingValue, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(value->data()),
                         static_cast<DWORD>(value->size()));
    else
        ::RegDeleteValueA(key.key, kPendingValue);
}

std::string programFolderOfTests() {
    char buffer[MAX_PATH * 2] = {};
    DWORD n = ::GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    std::string path(buffer, n);
    return path.substr(0, path.find_last_of('\\') + 1);
}

}  // namespace

bool runningUnderWine() {
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// ------------------------------------------------------------------ files ----

void writeFile(const std::string& path, const std::string& bytes) {
    HandleCloser file{::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr)};
    ASSERT_NE(file.handle, INVALID_HANDLE_VALUE) << "cannot create " << path;
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(file.handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    ASSERT_EQ(written, bytes.size());
}

std::optional<std::string> readFile(const std::string& path) {
    HandleCloser file{::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (file.handle == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string out;
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(file.handle, buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
    return out;
}

bool fileExists(const std::string& path) {
    DWORD a = ::GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool folderExists(const std::string& path) {
    std::string p = path;
    if (p.size() > 3 && p.back() == '\\') p.pop_back();
    DWORD a = ::GetFileAttributesA(p.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void makeFolders(const std::string& path) {
    const std::string p = withBackslash(path);
    for (std::size_t i = 3; i < p.size(); ++i)
        if (p[i] == '\\') ::CreateDirectoryA(p.substr(0, i).c_str(), nullptr);
    ASSERT_TRUE(folderExists(p)) << "cannot create " << p;
}

void removeTree(const std::string& folder) {
    const std::string f = withBackslash(folder);
    for (const auto& name : listFolder(f)) {
        const std::string path = f + name;
        DWORD a = ::GetFileAttributesA(path.c_str());
        if (a == INVALID_FILE_ATTRIBUTES) continue;
        if ((a & FILE_ATTRIBUTE_DIRECTORY) != 0 && (a & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
            removeTree(path);
            continue;
        }
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if ((a & FILE_ATTRIBUTE_DIRECTORY) != 0)
            ::RemoveDirectoryA(path.c_str());
        else
            ::DeleteFileA(path.c_str());
        // Wine cannot remove a Unix link to a folder by its own calls.
        if ((a & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
            removeUnixLink(path);
    }
    ::SetFileAttributesA(f.substr(0, f.size() - 1).c_str(), FILE_ATTRIBUTE_NORMAL);
    ::RemoveDirectoryA(f.substr(0, f.size() - 1).c_str());
}

namespace {

// The host's name of a Windows path (Wine's wine_get_unix_file_name).
std::string unixName(const std::string& path) {
    using UnixName = char*(CDECL*)(LPCWSTR);
    auto call = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (call == nullptr) return {};
    std::wstring wide(static_cast<std::size_t>(::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0)), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
    char* name = call(wide.c_str());
    std::string out = name ? name : "";
    if (name) ::HeapFree(::GetProcessHeap(), 0, name);
    return out;
}

// Runs a program of the host (Wine starts Unix programs too) and waits for it.
bool runHost(std::string commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return false;
    ::WaitForSingleObject(info.hProcess, 20000);
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return true;
}

}  // namespace

// Wine hands back the process of a Unix program before the program is done:
// wait until its work shows, or give up after some seconds.
bool awaitAttributes(const std::string& path, bool present) {
    for (int i = 0; i < 400; ++i) {
        if ((::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) == present) return true;
        ::Sleep(25);
    }
    return false;
}

bool makeUnixLink(const std::string& target, const std::string& link) {
    const std::string from = unixName(target), to = unixName(link);
    if (from.empty() || to.empty() || !runHost("Z:\\bin\\ln -s \"" + from + "\" \"" + to + "\"")) return false;
    return awaitAttributes(link, true);
}

void removeUnixLink(const std::string& link) {
    const std::string name = unixName(link);
    if (!name.empty() && runHost("Z:\\bin\\rm -f \"" + name + "\"")) awaitAttributes(link, false);
}

std::vector<std::string> listFolder(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data{};
    FindCloser find{::FindFirstFileA((withBackslash(folder) + "*").c_str(), &data)};
    if (find.handle == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = data.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (::FindNextFileA(find.handle, &data));
    std::sort(names.begin(), names.end());
    return names;
}

// --------------------------------------------------------------- registry ----

void createKey(HKEY root, const std::string& path) {
    KeyCloser key;
    ASSERT_EQ(::RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key.key, nullptr),
              ERROR_SUCCESS)
        << path;
}

void setString(HKEY root, const std::string& path, const std::string& name, const std::string& value) {
    KeyCloser key;
    ASSERT_EQ(::RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key.key, nullptr),
              ERROR_SUCCESS)
        << path;
    ASSERT_EQ(::RegSetValueExA(key.key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                               static_cast<DWORD>(value.size() + 1)),
              ERROR_SUCCESS);
}

void setDword(HKEY root, const std::string& path, const std::string& name, DWORD value) {
    KeyCloser key;
    ASSERT_EQ(::RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key.key, nullptr),
              ERROR_SUCCESS)
        << path;
    ASSERT_EQ(::RegSetValueExA(key.key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                               sizeof value),
              ERROR_SUCCESS);
}

bool keyExists(HKEY root, const std::string& path) {
    KeyCloser key;
    return ::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key.key) == ERROR_SUCCESS;
}

bool valueExists(HKEY root, const std::string& path, const std::string& name) {
    KeyCloser key;
    if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key.key) != ERROR_SUCCESS) return false;
    return ::RegQueryValueExA(key.key, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
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
    std::size_t end = data->size();
    // The list ends with an extra terminating zero, which is not an entry.
    if (end >= 2 && (*data)[end - 1] == '\0' && (*data)[end - 2] == '\0') --end;
    std::string current;
    for (std::size_t i = 0; i < end; ++i) {
        if ((*data)[i] == '\0') {
            out.push_back(current);
            current.clear();
        } else {
            current.push_back((*data)[i]);
        }
    }
    if (!current.empty()) out.push_back(current);
    return out;
}

std::string ntPath(const std::string& path) { return "\\??\\" + path; }

bool queued(const std::string& from, const std::string& to) {
    const auto entries = pendingRenames();
    const std::string wantFrom = ntPath(from);
    const std::string wantTo = to.empty() ? std::string() : ntPath(to);
    for (std::size_t i = 0; i + 1 < entries.size(); i += 2) {
        // A replacing rename carries a leading "!"; the target is the same file.
        std::string target = entries[i + 1];
        if (!target.empty() && target[0] == '!') target.erase(0, 1);
        if (lstrcmpiA(entries[i].c_str(), wantFrom.c_str()) == 0 && lstrcmpiA(target.c_str(), wantTo.c_str()) == 0)
            return true;
    }
    return false;
}

// ------------------------------------------------------------- file holder ----

FileHolder::FileHolder(const std::string& path) {
    const std::string exe = programFolderOfTests() + "tw_wine_holder.exe";
    const std::string eventName =
        "TidewellTestHolder" + std::to_string(::GetCurrentProcessId()) + "_" + std::to_string(::GetTickCount64());
    HandleCloser ready{::CreateEventA(nullptr, TRUE, FALSE, eventName.c_str())};
    if (ready.handle == nullptr) return;
    std::string commandLine = "\"" + exe + "\" \"" + path + "\" " + eventName;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                          nullptr, &startup, &info))
        return;
    ::CloseHandle(info.hThread);
    process_ = info.hProcess;
    HANDLE waits[2] = {ready.handle, process_};
    // Either the holder says it holds the file, or it ends because it cannot.
    holding_ = ::WaitForMultipleObjects(2, waits, FALSE, 20000) == WAIT_OBJECT_0;
}

FileHolder::~FileHolder() {
    if (process_ == nullptr) return;
    ::TerminateProcess(process_, 0);
    ::WaitForSingleObject(process_, 10000);
    ::CloseHandle(process_);
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

    char temp[MAX_PATH + 1] = {};
    DWORD n = ::GetTempPathA(sizeof temp, temp);
    ASSERT_GT(n, 0u);
    // A long path: the engine refuses short (8.3) names, as it must.
    char longTemp[MAX_PATH * 2] = {};
    DWORD m = ::GetLongPathNameA(temp, longTemp, sizeof longTemp);
    const std::string base = withBackslash(m > 0 && m < sizeof longTemp ? longTemp : temp);
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir = base + "TidewellTest\\" + info->test_suite_name() + "." + info->name() + "\\";
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
    if (!dir.empty()) {
        // The shared parent goes with the last test's folder.
        const std::string parent = dir.substr(0, dir.find_last_of('\\', dir.size() - 2));
        ::RemoveDirectoryA(parent.c_str());
    }
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
