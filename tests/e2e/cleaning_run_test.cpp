// End-to-end tests of a whole cleaning run: the machine (Wine's prefix, or
// Windows) is seeded with leftovers of all seven driver families and with
// neighbours that look alike, Tidewell.exe runs all seven targets from the
// command line, and the file system, the registry, the saved log and the
// backup set are checked afterwards.
#include "driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>

namespace tw::e2e {
namespace {

using Lines = std::vector<std::wstring>;

const wchar_t* const kAllSwitches = L"-NVIDIA -NVIDIACHIPSET -ATI -CREATIVE -REALTEK -MMOUSE -AGEIA -QUIT";
const wchar_t* const kRun = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t* const kAdapterClass = L"\\Control\\Class\\{4D36E968-E325-11CE-BFC1-08002BE10318}";
const wchar_t* const kSessionManager = L"System\\CurrentControlSet\\Control\\Session Manager";

std::wstring testName() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string n = std::string(info->test_suite_name()) + "-" + info->name();
    return std::wstring(n.begin(), n.end());
}

std::wstring lower(std::wstring s) {
    for (auto& c : s) c = static_cast<wchar_t>(towlower(c));
    return s;
}

std::wstring slash(std::wstring s) { return !s.empty() && s.back() == L'\\' ? s : s + L"\\"; }

std::wstring replaceAll(std::wstring s, wchar_t from, wchar_t to) {
    std::replace(s.begin(), s.end(), from, to);
    return s;
}

// ---- files ---------------------------------------------------------------

bool makeFolders(const std::wstring& folder) {
    const std::wstring f = slash(folder);
    for (size_t at = f.find(L'\\', 3); at != std::wstring::npos; at = f.find(L'\\', at + 1)) {
        const std::wstring part = f.substr(0, at);
        if (!CreateDirectoryW(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    }
    return true;
}

bool writeFile(const std::wstring& path, const std::string& bytes) {
    return makeFolders(path.substr(0, path.find_last_of(L'\\'))) && writeFileBytes(path, bytes);
}

// Names of the sub-folders of a folder that match a pattern, "." and ".." left out.
std::vector<std::wstring> foldersIn(const std::wstring& folder, const std::wstring& pattern) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((slash(folder) + pattern).c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = fd.cFileName;
        if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && name != L"." && name != L"..")
            names.push_back(name);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return names;
}

void removeTree(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return;
    if ((a & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
        return;
    }
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((slash(path) + L"*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = fd.cFileName;
            if (name != L"." && name != L"..") removeTree(slash(path) + name);
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(path.c_str());
}

// ---- registry --------------------------------------------------------------

class Key {
public:
    Key() = default;
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    ~Key() {
        if (h_) RegCloseKey(h_);
    }
    HKEY* out() { return &h_; }
    HKEY get() const { return h_; }

private:
    HKEY h_ = nullptr;
};

bool createKey(HKEY root, const std::wstring& path, Key& key) {
    return RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.out(), nullptr) ==
           ERROR_SUCCESS;
}

bool setString(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& data) {
    Key k;
    if (!createKey(root, path, k)) return false;
    return RegSetValueExW(k.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool keyExists(HKEY root, const std::wstring& path) {
    Key k;
    return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, k.out()) == ERROR_SUCCESS;
}

bool valueExists(HKEY root, const std::wstring& path, const std::wstring& name) {
    Key k;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, k.out()) != ERROR_SUCCESS) return false;
    return RegQueryValueExW(k.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::wstring rootText(HKEY root) { return root == HKEY_CURRENT_USER ? L"HKCU" : L"HKLM"; }

// The restart queue as (source, target) pairs.
std::vector<std::pair<std::wstring, std::wstring>> pendingRenames() {
    std::vector<std::pair<std::wstring, std::wstring>> out;
    Key k;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_READ, k.out()) != ERROR_SUCCESS) return out;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(k.get(), L"PendingFileRenameOperations", nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return out;
    std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
    RegQueryValueExW(k.get(), L"PendingFileRenameOperations", nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                     &size);
    std::vector<std::wstring> parts;
    for (size_t at = 0; at < size / sizeof(wchar_t);) {
        const size_t end = data.find(L'\0', at);
        parts.emplace_back(data.substr(at, end - at));
        at = end + 1;
    }
    // A source is never empty; the target of a deletion is.
    for (size_t i = 0; i + 1 < parts.size(); i += 2)
        if (!parts[i].empty()) out.emplace_back(parts[i], parts[i + 1]);
    return out;
}

// Takes the entries of one file out of the restart queue again.
void dropPendingRename(const std::wstring& path) {
    std::wstring kept;
    for (const auto& [from, to] : pendingRenames())
        if (lower(from).find(lower(path)) == std::wstring::npos) kept += from + L'\0' + to + L'\0';
    kept += L'\0';
    Key k;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, k.out()) != ERROR_SUCCESS) return;
    if (kept.size() == 1)
        RegDeleteValueW(k.get(), L"PendingFileRenameOperations");
    else
        RegSetValueExW(k.get(), L"PendingFileRenameOperations", 0, REG_MULTI_SZ,
                       reinterpret_cast<const BYTE*>(kept.data()), static_cast<DWORD>(kept.size() * sizeof(wchar_t)));
}

// ---- the seeded machine ----------------------------------------------------

// What a seeded file holds: its own path, so a copy shows where it came from.
std::string seedText(const std::wstring& path) { return "seed: " + ansiBytes(path); }

// Leftovers and neighbours, with what the run must log and back up for each
// leftover. Everything seeded is removed again on destruction.
class Machine {
public:
    Machine() = default;
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;
    ~Machine() {
        for (const auto& p : cleanupFiles_) removeTree(p);
        for (const auto& [root, path] : cleanupKeys_) {
            RegDeleteTreeW(root, path.c_str());
            RegDeleteKeyW(root, path.c_str());
        }
        for (const auto& v : values_) {
            Key k;
            if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRun, 0, KEY_SET_VALUE, k.out()) == ERROR_SUCCESS)
                RegDeleteValueW(k.get(), v.c_str());
        }
    }

    // A file matched by a pattern: folder as the target builds it.
    void leftoverFile(const std::wstring& prefix, const std::wstring& folder, const std::wstring& name) {
        const std::wstring path = slash(folder) + name;
        seedFile(path);
        goneFiles_.push_back(path);
        lines_.push_back(L"Deleted file (" + path + L")");
        backups_.push_back(prefix + L"Files\\" + encodeFolder(slash(folder)) + L"\\" + name);
        cleanupFiles_.push_back(path);
    }
    // A folder removed whole; `logged` is the path as the target names it.
    void leftoverFolder(const std::wstring& prefix, const std::wstring& logged, const Lines& files) {
        for (const auto& f : files) {
            const std::wstring path = slash(logged) + f;
            seedFile(path);
            const size_t cut = path.find_last_of(L'\\');
            backups_.push_back(prefix + L"Files\\" + encodeFolder(path.substr(0, cut + 1)) + L"\\" +
                               path.substr(cut + 1));
        }
        goneFolders_.push_back(logged);
        lines_.push_back(L"Deleted folder (" + logged + L")");
        cleanupFiles_.push_back(logged);
    }
    // A key deleted by name or by its value: keyPath\name.
    void leftoverKey(const std::wstring& prefix, HKEY root, const std::wstring& keyPath, const std::wstring& name,
                     const std::wstring& provider = L"") {
        const std::wstring path = keyPath + L"\\" + name;
        EXPECT_TRUE(setString(root, path, provider.empty() ? L"TidewellE2E" : L"ProviderName",
                              provider.empty() ? L"leftover" : provider))
            << "cannot seed " << path;
        goneKeys_.emplace_back(root, path);
        lines_.push_back(L"Deleted registry (" + rootText(root) + L"\\" + path + L")");
        backups_.push_back(prefix + L"Registry\\" + rootText(root) + L";" + replaceAll(keyPath, L'\\', L';') +
                           L";" + replaceAll(name, L'\\', L';') + L".TW");
        cleanupKeys_.emplace_back(root, path);
    }
    // A log-on value below Run; values are not backed up.
    void leftoverRunValue(const std::wstring& name) {
        EXPECT_TRUE(setString(HKEY_LOCAL_MACHINE, kRun, name, L"leftover.exe"));
        goneValues_.push_back(name);
        lines_.push_back(L"Deleted registry (HKLM\\" + std::wstring(kRun) + L"\\" + name + L")");
        values_.push_back(name);
    }

    void neighbourFile(const std::wstring& path) {
        seedFile(path);
        keptFiles_.push_back(path);
        cleanupFiles_.push_back(path);
    }
    void neighbourKey(HKEY root, const std::wstring& path, const std::wstring& name = L"TidewellE2E",
                      const std::wstring& data = L"keep") {
        EXPECT_TRUE(setString(root, path, name, data)) << "cannot seed " << path;
        keptKeys_.emplace_back(root, path);
        cleanupKeys_.emplace_back(root, path);
    }
    void neighbourRunValue(const std::wstring& name) {
        EXPECT_TRUE(setString(HKEY_LOCAL_MACHINE, kRun, name, L"keep.exe"));
        keptValues_.push_back(name);
        values_.push_back(name);
    }
    // Parents made on the way: removed on destruction when they are new.
    // Call before seeding below them.
    void cleanupFile(const std::wstring& path) {
        if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) cleanupFiles_.push_back(path);
    }
    void cleanupKey(HKEY root, const std::wstring& path) {
        if (!keyExists(root, path)) cleanupKeys_.emplace_back(root, path);
    }

    // The log lines of a run with everything deleted, in the program's order:
    // the case-insensitive order of the user's locale.
    Lines expectedLog() const {
        Lines sorted = lines_;
        std::stable_sort(sorted.begin(), sorted.end(), [](const std::wstring& a, const std::wstring& b) {
            return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), static_cast<int>(a.size()),
                                  b.c_str(), static_cast<int>(b.size())) == CSTR_LESS_THAN;
        });
        return sorted;
    }
    const Lines& backups() const { return backups_; }

    // Every leftover gone (after a run) or still there (after a cancel).
    void expectLeftovers(bool there) const {
        const char* what = there ? "deleted: " : "left behind: ";
        for (const auto& f : goneFiles_) EXPECT_EQ(fileExists(f), there) << what << f;
        for (const auto& f : goneFolders_) EXPECT_EQ(folderExists(f), there) << "folder " << what << f;
        for (const auto& [root, path] : goneKeys_) EXPECT_EQ(keyExists(root, path), there) << "key " << what << path;
        for (const auto& v : goneValues_) EXPECT_EQ(valueExists(HKEY_LOCAL_MACHINE, kRun, v), there) << "value " << what << v;
    }
    void expectNeighboursThere() const {
        for (const auto& f : keptFiles_) EXPECT_TRUE(fileExists(f)) << "neighbour deleted: " << f;
        for (const auto& [root, path] : keptKeys_) EXPECT_TRUE(keyExists(root, path)) << "neighbour key deleted: " << path;
        for (const auto& v : keptValues_) EXPECT_TRUE(valueExists(HKEY_LOCAL_MACHINE, kRun, v)) << "neighbour value deleted: " << v;
    }

private:
    // "C:\A\B\" -> "C';A;B;": the sub-folder of a files item.
    static std::wstring encodeFolder(const std::wstring& folder) {
        return replaceAll(replaceAll(folder, L'\\', L';'), L':', L'\'');
    }
    void seedFile(const std::wstring& path) { EXPECT_TRUE(writeFile(path, seedText(path))) << "cannot seed " << path; }

    Lines lines_, backups_, goneFiles_, goneFolders_, goneValues_, keptFiles_, keptValues_, values_, cleanupFiles_;
    std::vector<std::pair<HKEY, std::wstring>> goneKeys_, keptKeys_, cleanupKeys_;
};

// Leftovers of every target: a file for each folder's pattern list, each
// folder step, the install folders named in the registry, InstallShield
// records, keys and values of every registry list; and neighbours of each.
void seedAllTargets(Machine& m) {
    const std::wstring w = slash(environment(L"SYSTEMROOT"));
    const std::wstring s = w + L"System32\\", drivers = s + L"drivers\\", prefetch = w + L"prefetch\\";
    const std::wstring programs = environment(L"ProgramFiles");
    const std::wstring data = environment(L"ProgramData");
    const std::wstring local = environment(L"LOCALAPPDATA"), roaming = environment(L"APPDATA");
    const std::wstring drive = environment(L"HOMEDRIVE");
    const std::wstring installShield = programs + L"\\InstallShield Installation Information\\";
    const HKEY lm = HKEY_LOCAL_MACHINE, cu = HKEY_CURRENT_USER;

    // Folders and keys made on the way, removed afterwards when they are new.
    for (const std::wstring& f : {s + L"dllcache", prefetch, drive + L"\\NVIDIA", drive + L"\\ATi",
                                  slash(local) + L"ATi", slash(roaming) + L"ATi", installShield})
        m.cleanupFile(f);
    for (const wchar_t* k : {L"System\\ControlSet002", L"Software\\NVIDIA Corporation", L"Software\\ATi Technologies",
                             L"Software\\MSIPOINT Corporation"})
        m.cleanupKey(lm, k);
    m.cleanupKey(cu, L"Software\\NVIDIA Corporation");

    // NVIDIA display.
    const std::wstring nv = L"NVIDIA - Display - ";
    m.leftoverFile(nv, w, L"NVGfxOglE2E.dll");
    m.leftoverFile(nv, w + L"SysWOW64\\", L"nvapiE2E.dll");
    m.leftoverFile(nv, s, L"nvcplE2E.dll");
    m.leftoverFile(nv, s, L"NVMCTRAYE2E.DLL");
    m.leftoverFile(nv, drivers, L"nvlddmkmE2E.sys");
    m.leftoverFile(nv, s + L"dllcache\\", L"nv4_dispE2E.dll");
    m.leftoverFile(nv, prefetch, L"NVCPL.EXE-E2E.pf");
    m.leftoverFolder(nv, w + L"Help\\nvcpl\\", {L"nvcplE2E.chm"});
    m.leftoverFolder(nv, data + L"\\NVIDIA\\", {L"E2E\\log.txt", L"top.txt"});
    m.leftoverKey(nv, cu, L"Software", L"NVIDIA Corporation\\Global");
    m.leftoverKey(nv, lm, L"Software\\NVIDIA Corporation", L"Installer");
    m.leftoverRunValue(L"NvSvc");
    m.leftoverKey(nv, lm, L"System\\CurrentControlSet\\Enum\\Root", L"LEGACY_NVSVC");
    // A service seeded only in the second control set.
    m.leftoverKey(nv, lm, L"System\\ControlSet002\\Services", L"nvlddmkm");
    m.leftoverKey(nv, lm, std::wstring(L"System\\ControlSet002") + kAdapterClass, L"0905", L"NVIDIA Corporation");
    m.neighbourKey(lm, std::wstring(L"System\\ControlSet002") + kAdapterClass + L"\\0906", L"ProviderName", L"nVidia");
    m.neighbourKey(lm, std::wstring(L"System\\ControlSet002") + kAdapterClass + L"\\0907", L"ProviderName",
                   L"ATI Technologies Inc.");
    m.neighbourFile(s + L"nvKeepE2E.dll");
    m.neighbourFile(s + L"xnvapiE2E.dll");
    m.neighbourFile(w + L"nvapiE2E.dll");  // a system-folder pattern, but in the Windows folder
    m.neighbourFile(drive + L"\\NVIDIA\\keepE2E.txt");  // only with RemoveNVIDIAFolder on
    m.neighbourKey(lm, L"Software\\NVIDIA Corporation\\KeepE2E");
    m.neighbourKey(lm, L"System\\CurrentControlSet\\Services\\nvlddmkmKeepE2E");

    // NVIDIA chipset.
    const std::wstring chip = L"NVIDIA - Chipset - ";
    m.leftoverFile(chip, drivers, L"nvraidE2E.sys");
    m.leftoverKey(chip, lm, L"Software\\NVIDIA Corporation", L"nForce");
    m.leftoverKey(chip, lm, L"System\\CurrentControlSet\\Services", L"nvstor");
    m.neighbourFile(drivers + L"nvKeepE2E.sys");

    // ATi display; the Install key holds the install folder and stays.
    const std::wstring ati = L"ATi - Display - ";
    m.leftoverFile(ati, w, L"atioglE2E.xml");
    m.leftoverFile(ati, s, L"atiddcE2E.dll");
    m.leftoverFile(ati, drivers, L"ativmcE2E.sys");
    m.leftoverFile(ati, prefetch, L"CCCE2E.pf");
    m.leftoverFolder(ati, programs + L"\\ATI E2E\\", {L"CCC.exe", L"Core\\CLI.exe"});
    m.neighbourKey(lm, L"Software\\ATi Technologies\\Install", L"InstallDir", programs + L"\\ATI E2E\\");
    m.leftoverFolder(ati, slash(local) + L"ATi\\ACE", {L"cache.bin"});
    m.leftoverFolder(ati, slash(roaming) + L"ATi\\ACE", {L"profile.xml"});
    m.leftoverKey(ati, cu, L"Software", L"ATi");
    m.leftoverKey(ati, lm, L"Software", L"ATI Technologies\\Install\\ccc-utility");
    m.leftoverKey(ati, lm, L"System\\CurrentControlSet\\Services", L"Ati HotKey Poller");
    m.neighbourKey(lm, L"Software\\ATi Technologies\\Install\\KeepE2E");
    m.neighbourFile(drive + L"\\ATi\\keepE2E.txt");  // only with RemoveATiFolder on
    m.neighbourFile(drivers + L"xatikmdagE2E.sys");

    // Creative sound.
    const std::wstring ct = L"Creative - Sound - ";
    m.leftoverFolder(ct, s + L"Data\\", {L"ctdata.bin"});
    m.leftoverFolder(ct, w + L"SysWOW64\\Data\\", {L"ctdata.bin"});
    m.leftoverFolder(ct, programs + L"\\Creative\\", {L"Shared Files\\CTRegRun.exe"});
    m.leftoverFile(ct, w, L"CTDCRESE2E.dll");
    m.leftoverFile(ct, s, L"CTAGENTE2E.DLL");
    m.leftoverFile(ct, drivers, L"ctaud2E2E.sys");
    m.leftoverFolder(ct, installShield + L"{E2E-CREATIVE}", {L"setup.ini", L"data.cab"});
    EXPECT_TRUE(writeFile(installShield + L"{E2E-CREATIVE}\\setup.ini",
                          "[Startup]\r\nCompanyName=Creative Technology Ltd\r\n"));
    m.neighbourFile(installShield + L"{E2E-OTHER}\\data.cab");
    EXPECT_TRUE(writeFile(installShield + L"{E2E-OTHER}\\setup.ini", "[Startup]\r\nCompanyName=Other Inc\r\n"));
    m.neighbourFile(installShield + L"{E2E-LOWER}\\data.cab");  // company names compare with their case
    EXPECT_TRUE(writeFile(installShield + L"{E2E-LOWER}\\setup.ini", "[Startup]\r\nCompanyName=creative\r\n"));
    m.neighbourFile(installShield + L"{E2E-NOINI}\\data.cab");
    m.leftoverKey(ct, cu, L"Software", L"Creative Tech");
    m.leftoverKey(ct, lm, L"Software", L"ASIO");
    m.leftoverKey(ct, lm, L"System\\CurrentControlSet\\Control", L"Creative Tech");
    m.leftoverRunValue(L"CTHelper");
    m.neighbourFile(s + L"CTKeepE2E.dll");

    // Realtek sound; its key with the install folder goes in the registry phase.
    const std::wstring rt = L"Realtek - Sound - ";
    m.leftoverFile(rt, w, L"RtHDVCplE2E.exe");
    m.leftoverFolder(rt, programs + L"\\Realtek E2E", {L"Audio\\RtkNGUI.exe"});
    m.leftoverKey(rt, lm, L"Software", L"Realtek");
    EXPECT_TRUE(setString(lm, L"Software\\Realtek\\InstallShield", L"ProgramFilesDir", programs + L"\\Realtek E2E"));
    m.leftoverFile(rt, s, L"RtkAPOE2E.dll");
    m.leftoverFile(rt, drivers, L"RTKVHDAE2E.sys");
    m.leftoverFolder(rt, installShield + L"{E2E-REALTEK}", {L"setup.ini"});
    EXPECT_TRUE(writeFile(installShield + L"{E2E-REALTEK}\\setup.ini",
                          "[Startup]\r\nCompanyName=Realtek Semiconductor Corp.\r\n"));
    m.leftoverKey(rt, cu, L"Software", L"Realtek");
    m.leftoverKey(rt, lm, L"Software", L"Avance");
    m.leftoverRunValue(L"RtHDVCpl");
    m.neighbourFile(s + L"RtKeepE2E.dll");

    // AGEIA PhysX; the install folder is read before the key goes.
    const std::wstring ag = L"AGEIA - PhysX - ";
    m.leftoverFile(ag, w, L"DIFXE2E.log");
    m.leftoverFile(ag, s, L"PhysXE2E.dll");
    m.leftoverFile(ag, prefetch, L"PHYSXE2E.pf");
    m.leftoverFolder(ag, programs + L"\\AGEIA E2E Core\\", {L"PhysXCore.dll"});
    m.leftoverKey(ag, lm, L"Software", L"AGEIA Technologies");
    EXPECT_TRUE(setString(lm, L"Software\\AGEIA Technologies", L"PhysXCore Path", programs + L"\\AGEIA E2E Core\\"));
    m.leftoverFolder(ag, s + L"AGEIA", {L"PhysXDevice.dll"});
    m.leftoverFolder(ag, programs + L"\\AGEIA Technologies", {L"PhysX Properties.cpl"});
    m.neighbourFile(s + L"AGKeepE2E.dll");

    // Microsoft mouse.
    const std::wstring ms = L"Microsoft - Mouse - ";
    m.leftoverFile(ms, drivers, L"point32kE2E.sys");
    m.leftoverFile(ms, prefetch, L"IPOINTE2E.pf");
    m.leftoverFolder(ms, programs + L"\\Microsoft IntelliPoint", {L"ipoint.exe"});
    m.leftoverKey(ms, cu, L"Software", L"Microsoft\\IntelliPoint");
    m.leftoverKey(ms, lm, L"Software\\MSIPOINT Corporation", L"Microsoft\\IntelliPoint");
    m.leftoverRunValue(L"IntelliPoint");
    m.leftoverKey(ms, lm, L"System\\CurrentControlSet\\Services", L"Point32");
    m.neighbourFile(drivers + L"pointE2E.sys");
    m.neighbourFile(drivers + L"xpoint32kE2E.sys");
    m.neighbourRunValue(L"TidewellE2EKeep");
}

// The lines of the one log file the run (or the preview) saved.
Lines savedLog(const TidewellProcess& p, bool preview = false) {
    auto logs = filesIn(p.folder() + L"Logs", L"*.txt");
    std::erase_if(logs, [&](const std::wstring& name) { return name.starts_with(L"Preview ") != preview; });
    if (logs.size() != 1) {
        ADD_FAILURE() << logs.size() << (preview ? " preview" : " run") << " log files, expected one";
        return {};
    }
    const auto bytes = readFileBytes(p.folder() + L"Logs\\" + logs.front());
    if (!bytes || bytes->substr(0, 2) != "\xFF\xFE") {
        ADD_FAILURE() << "log file missing or not UTF-16 with a byte order mark";
        return {};
    }
    const std::wstring text = fromUtf16(*bytes);
    Lines lines;
    for (size_t at = 0; at <= text.size();) {
        size_t end = text.find(L"\r\n", at);
        if (end == std::wstring::npos) end = text.size();
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

std::wstring joined(const Lines& lines) {
    std::wstring out;
    for (const auto& l : lines) out += L"  " + l + L"\n";
    return out;
}

// A file in any stamp folder of the program's backup root.
bool inBackupSet(const TidewellProcess& p, const std::wstring& relative) {
    for (const auto& stamp : foldersIn(p.folder() + L"Backup", L"*"))
        if (fileExists(p.folder() + L"Backup\\" + stamp + L"\\" + relative))
            return true;
    return false;
}

class CleaningRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fileExists(tidewellExe())) FAIL() << "program under test missing; set TW_EXE";
        for (const wchar_t* name : {L"SYSTEMROOT", L"ProgramFiles", L"ProgramData", L"LOCALAPPDATA", L"APPDATA",
                                    L"HOMEDRIVE"})
            ASSERT_FALSE(environment(name).empty()) << "environment variable not set: " << name;
        proc_ = std::make_unique<TidewellProcess>(testName());
        machine_ = std::make_unique<Machine>();
    }
    void TearDown() override {
        if (proc_ && proc_->running()) proc_->terminate();
        machine_.reset();
    }

    // Runs (or previews) all seven targets from the command line without questions.
    void runAll(const std::wstring& settings, const std::wstring& extra = L"") { runAll(*proc_, settings, extra); }
    void runAll(TidewellProcess& p, const std::wstring& settings, const std::wstring& extra) {
        ASSERT_TRUE(p.writeSettingsAnsi(L"[DisplayWarning]\r\nEnabled=0\r\n[Reboot]\r\nReboot=0\r\n"
                                             L"[Logfiles]\r\nEnabled=1\r\n" +
                                             settings));
        ASSERT_TRUE(p.start(kAllSwitches + extra));
        const bool ended = p.waitForExit(60s);
        for (const auto& box : messageBoxes(p.pid()))
            ADD_FAILURE() << "unexpected box \"" << box.caption << "\": " << box.text;
        ASSERT_TRUE(ended) << "-QUIT did not end the program after the run";
        EXPECT_EQ(p.exitCode(), 0u);
    }

    std::unique_ptr<TidewellProcess> proc_;
    std::unique_ptr<Machine> machine_;
};

// A preview first: it changes nothing and names, line for line, what the
// run after it deletes.
TEST_F(CleaningRunTest, AllSevenTargetsRemoveLeftoversSpareNeighboursLogSortedAndBackUp) {
    seedAllTargets(*machine_);
    ASSERT_FALSE(HasFailure()) << "seeding failed";
    const size_t queuedBefore = pendingRenames().size();
    TidewellProcess first(testName() + L"-preview");
    runAll(first, L"[Backup]\r\nEnabled=1\r\n", L" -pReview");
    machine_->expectLeftovers(true);
    EXPECT_FALSE(folderExists(first.folder() + L"Backup")) << "a preview wrote a backup";
    EXPECT_EQ(pendingRenames().size(), queuedBefore) << "a preview queued a file for restart";
    Lines preview = savedLog(first, true);

    runAll(L"[Backup]\r\nEnabled=1\r\n");
    machine_->expectLeftovers(false);
    machine_->expectNeighboursThere();
    const Lines expected = machine_->expectedLog();
    const Lines log = savedLog(*proc_);
    EXPECT_EQ(log, expected) << "saved log:\n" << joined(log) << "expected:\n" << joined(expected);
    for (auto& line : preview)
        if (line.starts_with(L"Would delete ")) line.replace(0, 13, L"Deleted ");
    EXPECT_EQ(preview, log) << "preview:\n" << joined(preview);

    ASSERT_TRUE(folderExists(proc_->folder() + L"Backup")) << "no backup folder";
    for (const auto& relative : machine_->backups())
        EXPECT_TRUE(inBackupSet(*proc_, relative)) << "not in the backup set: " << relative;
    // The copies hold what was deleted: each names its own source path.
    int compared = 0;
    for (const auto& stamp : foldersIn(proc_->folder() + L"Backup", L"*")) {
        const std::wstring set = proc_->folder() + L"Backup\\" + stamp + L"\\";
        for (const auto& item : foldersIn(set, L"*Files"))
            for (const auto& sub : foldersIn(set + item, L"*"))
                for (const auto& name : filesIn(set + item + L"\\" + sub, L"*E2E*")) {
                    const std::wstring source = replaceAll(replaceAll(sub, L';', L'\\'), L'\'', L':') + name;
                    EXPECT_EQ(readFileBytes(set + item + L"\\" + sub + L"\\" + name), seedText(source)) << source;
                    ++compared;
                }
    }
    EXPECT_GT(compared, 20) << "too few file copies compared";
}

// A file that another process holds open without sharing deletion stays, is
// logged as not deleted and is queued for deletion at the next restart.
TEST_F(CleaningRunTest, LockedFileIsReportedAndQueuedForRestart) {
    const std::wstring drivers = slash(environment(L"SYSTEMROOT")) + L"System32\\drivers\\";
    const std::wstring locked = drivers + L"point64kLockedE2E.sys", free = drivers + L"point32kFreeE2E.sys";
    machine_->cleanupFile(locked);
    machine_->cleanupFile(free);
    ASSERT_TRUE(writeFile(locked, "locked"));
    ASSERT_TRUE(writeFile(free, "free"));
    Handle hold(CreateFileW(locked.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(hold) << "cannot hold the file open";

    ASSERT_TRUE(proc_->writeSettingsAnsi(L"[DisplayWarning]\r\nEnabled=0\r\n[Reboot]\r\nReboot=0\r\n"
                                         L"[DeleteReboot]\r\nEnabled=1\r\n[Backup]\r\nEnabled=0\r\n"));
    ASSERT_TRUE(proc_->start(L"-MMOUSE -QUIT"));
    ASSERT_TRUE(proc_->waitForExit(60s));
    hold.reset();
    EXPECT_EQ(proc_->exitCode(), 1u) << "a run with a \"Not deleted\" line";

    EXPECT_TRUE(fileExists(locked)) << "a file held open was deleted";
    EXPECT_FALSE(fileExists(free));
    const Lines log = savedLog(*proc_);
    const Lines expected = {L"Deleted file (" + free + L")", L"Not deleted file (" + locked + L")"};
    EXPECT_EQ(log, expected) << "saved log:\n" << joined(log);
    bool queued = false;
    for (const auto& [from, to] : pendingRenames())
        if (lower(from).size() >= locked.size() && lower(from).ends_with(lower(locked)) && to.empty()) queued = true;
    EXPECT_TRUE(queued) << "the locked file is not in the restart queue";
    dropPendingRename(locked);
    EXPECT_FALSE(folderExists(proc_->folder() + L"Backup")) << "a backup was written with backup off";
}

// Cancel in the confirmation changes nothing and still ends the program.
TEST_F(CleaningRunTest, CancelledConfirmationChangesNothing) {
    seedAllTargets(*machine_);
    ASSERT_FALSE(HasFailure()) << "seeding failed";
    ASSERT_TRUE(proc_->writeSettingsAnsi(L"[DisplayWarning]\r\nEnabled=1\r\n[Backup]\r\nEnabled=1\r\n"));
    ASSERT_TRUE(proc_->start(kAllSwitches));
    auto box = waitForMessageBox(proc_->pid(), 30s);
    ASSERT_TRUE(box.has_value()) << "no confirmation before the run";
    EXPECT_EQ(box->caption, L"Warning");
    ASSERT_TRUE(answerMessageBox(box->hwnd, IDCANCEL));
    ASSERT_TRUE(proc_->waitForExit(30s));
    machine_->expectLeftovers(true);
    machine_->expectNeighboursThere();
    EXPECT_FALSE(folderExists(proc_->folder() + L"Logs"));
    EXPECT_FALSE(folderExists(proc_->folder() + L"Backup"));
}

// An error ends an unattended run with code 2 without waiting on a box, its
// text the last line of the saved log even with log files off.
TEST_F(CleaningRunTest, AnUnattendedErrorEndsWithCodeTwoAndKeepsItsText) {
    const std::wstring drivers = slash(environment(L"SYSTEMROOT")) + L"System32\\";
    const std::wstring file = drivers + L"atioglE2E.dll";
    machine_->cleanupFile(file);
    machine_->cleanupKey(HKEY_LOCAL_MACHINE, L"Software\\ATi Technologies");
    ASSERT_TRUE(writeFile(file, "ati"));
    Key k;
    ASSERT_TRUE(createKey(HKEY_LOCAL_MACHINE, L"Software\\ATi Technologies\\Install", k));
    const DWORD number = 1;
    ASSERT_EQ(RegSetValueExW(k.get(), L"InstallDir", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                             sizeof number), ERROR_SUCCESS);
    ASSERT_TRUE(proc_->writeSettingsAnsi(L"[DisplayWarning]\r\nEnabled=0\r\n[Logfiles]\r\nEnabled=0\r\n"));
    ASSERT_TRUE(proc_->start(L"-ATI -QUIT"));
    const bool ended = proc_->waitForExit(60s);
    for (const auto& box : messageBoxes(proc_->pid()))
        ADD_FAILURE() << "unattended run waits on \"" << box.caption << "\": " << box.text;
    ASSERT_TRUE(ended);
    EXPECT_EQ(proc_->exitCode(), 2u);
    const Lines log = savedLog(*proc_);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), L"Invalid data type for 'InstallDir'") << joined(log);
}

}  // namespace
}  // namespace tw::e2e
