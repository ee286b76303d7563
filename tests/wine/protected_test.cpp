// The folders no deletion may reach, on a real system: the ones the system
// names (every known folder, and each profile's), profiles and their AppData
// roots, the program's own folders wherever they lie, and spellings and links
// that reach them. The system decides, not the environment, which is pointed
// elsewhere here and may only add.
#include <shlobj.h>

#include "backup/BackupUnit.h"
#include "engine/DeleteUnit.h"
#include "log/LogUnit.h"
#include "platform/common.h"
#include "support.h"
#include "targets/Target.h"

namespace {

using namespace winetest;

const std::string kProfile = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\S-1-5-21-7-7-7-4242";
const char* const kEnvironment[] = {"SYSTEMROOT", "windir", "ProgramFiles", "ProgramData", "APPDATA",
                                    "LOCALAPPDATA", "PUBLIC", "ALLUSERSPROFILE"};

std::string known(REFKNOWNFOLDERID id) {
    wchar_t* path = nullptr;
    std::string out;
    if (SUCCEEDED(::SHGetKnownFolderPath(id, 0, nullptr, &path))) out = plat::wideToAnsi(path);
    ::CoTaskMemFree(path);
    return out;
}
std::string fromCall(UINT(WINAPI* call)(LPSTR, UINT)) {
    char buffer[MAX_PATH] = {};
    return std::string(buffer, call(buffer, MAX_PATH));
}

// Puts back the environment, the profile list and the program's folders.
struct Restore {
    std::vector<std::pair<std::string, std::optional<std::string>>> env;
    ~Restore() {
        for (const auto& [name, value] : env) ::SetEnvironmentVariableA(name.c_str(), value ? value->c_str() : nullptr);
        for (const char* k : {"", "0"}) removeKeyTree(HKEY_LOCAL_MACHINE, kProfile + k);
        removeUnixLink(tw::BackupRoot().substr(0, tw::BackupRoot().size() - 1));
        removeUnixLink(tw::LogFolder().substr(0, tw::LogFolder().size() - 1));
        for (const char* f : {"\\TidewellVendor", "\\TidewellSvc"}) removeTree(fromCall(::GetWindowsDirectoryA) + f);
        removeTree(known(FOLDERID_UserProfiles) + "\\TidewellOther");
    }
};

class ProtectedFolders : public WineTest {};

TEST_F(ProtectedFolders, WhatTheSystemNamesWhateverTheSpellingAndEnvironment) {
    ASSERT_TRUE(runningUnderWine()) << "links are made with the host's ln";
    ASSERT_FALSE(folderExists(tw::BackupRoot()) || folderExists(tw::LogFolder()));
    Restore restore;
    for (const char* name : kEnvironment) {
        char value[32768] = {};
        const DWORD n = ::GetEnvironmentVariableA(name, value, sizeof value);
        restore.env.emplace_back(name, n > 0 ? std::optional<std::string>(value) : std::nullopt);
        makeFolders(dir + "Env\\" + name + "\\SysWOW64");
        ::SetEnvironmentVariableA(name, (dir + "Env\\" + name).c_str());
    }
    const std::string windows = fromCall(::GetWindowsDirectoryA), local = known(FOLDERID_LocalAppData);
    const std::string users = known(FOLDERID_UserProfiles), other = users + "\\TidewellOther";
    // A listed profile outside the profiles folder, and one named through %SystemRoot%.
    setString(HKEY_LOCAL_MACHINE, kProfile, "ProfileImagePath", dir + "Staff\\Ann");
    setString(HKEY_LOCAL_MACHINE, kProfile + "0", "ProfileImagePath", "%SystemRoot%\\TidewellSvc");
    // The backup and log folders elsewhere, through links: still the program's.
    makeFolders(dir + "BackupElsewhere");
    makeFolders(dir + "LogsElsewhere");
    ASSERT_TRUE(makeUnixLink(dir + "BackupElsewhere", tw::BackupRoot().substr(0, tw::BackupRoot().size() - 1)) &&
                makeUnixLink(dir + "LogsElsewhere", tw::LogFolder().substr(0, tw::LogFolder().size() - 1)));
    ASSERT_TRUE(makeUnixLink(windows, dir + "ToWindows"));

    std::string upper = windows;
    for (auto& c : upper) c = static_cast<char>(::toupper(static_cast<unsigned char>(c)));
    const std::vector<std::pair<std::string, bool>> rows = {
        {windows, true}, {windows + "\\", true}, {windows + ".", true}, {windows + "\\system32\\..", true},
        {windows.substr(0, 3) + ".\\" + windows.substr(3), true}, {windows.substr(0, 2) + windows.substr(3), true},
        {windows.substr(3), true}, {windows.substr(0, 3), true}, {windows.substr(0, 2), true},
        {fromCall(::GetSystemDirectoryA), true}, {fromCall(::GetSystemWow64DirectoryA), true},
        {upper, true}, {windows + "\\System", true}, {windows + "\\TidewellSvc", true},
        {known(FOLDERID_ProgramFiles), true}, {known(FOLDERID_ProgramFilesX86), true},
        {known(FOLDERID_ProgramData), true}, {known(FOLDERID_Public), true}, {known(FOLDERID_Profile), true},
        {known(FOLDERID_RoamingAppData), true}, {local, true}, {known(FOLDERID_LocalAppDataLow), true},
        {local + "\\..", true}, {users, true}, {other, true}, {other + "\\AppData", true},
        {other + "\\AppData\\LocalLow", true}, {other + "\\AppData\\LocalLow\\Vendor", false},
        {dir + "Staff\\Ann", true}, {dir + "Staff\\Ann\\AppData\\Local", true},
        {dir + "Staff\\Ann\\AppData\\LocalLow", true}, {dir + "Staff\\Ann\\AppData\\Roaming", true},
        {dir + "Staff\\Ann\\Documents", true}, {dir + "Staff\\Ann\\AppData\\Local\\Microsoft", true},
        {dir + "Staff\\Ann\\AppData\\Local\\Vendor", false}, {dir + "Staff", true},
        {other + "\\AppData\\Roaming", true}, {other + "\\AppData\\Roaming\\Vendor", false},
        {other + "\\AppData\\Local\\Microsoft", true}, {other + "\\AppData\\Local\\Microsoft\\Vendor", false},
        {known(FOLDERID_ProgramFilesCommon), true}, {known(FOLDERID_Fonts), true}, {local + "\\Microsoft", true},
        {known(FOLDERID_CommonStartMenu) + "\\..", true}, {known(FOLDERID_StartMenu), true},
        {tw::programFolder(), true}, {tw::programFolder() + "..", true}, {tw::BackupRoot() + "Set", true},
        {dir + "BackupElsewhere", true}, {dir + "LogsElsewhere\\..\\LogsElsewhere", true},
        {dir + "ToWindows", true}, {dir + "ToWindows\\system32", true}, {dir + "ToWindows\\TidewellVendor", false},
        {dir + "Env\\SYSTEMROOT", true}, {dir + "Env\\windir\\SysWOW64", true}, {dir + "Env\\PUBLIC", true},
        {dir + "Missing", true}, {dir + "Vendor", false}, {windows + "\\TidewellVendor", false},
    };
    for (const auto& [folder, expected] : rows)
        if (!expected) makeFolders(folder);
    for (const char* f : {"\\AppData\\LocalLow", "\\AppData\\Local\\Microsoft", "\\AppData\\Roaming", "\\Documents"})
        makeFolders(dir + "Staff\\Ann" + f);
    for (const auto& f : {known(FOLDERID_ProgramFilesCommon), known(FOLDERID_CommonStartMenu), local + "\\Microsoft"})
        makeFolders(f);
    makeFolders(windows + "\\TidewellSvc");
    makeFolders(tw::BackupRoot() + "Set");
    for (const auto& [folder, expected] : rows) EXPECT_EQ(tw::IsProtectedFolder(folder), expected) << folder;
    tw::DeleteFolder(dir + "Staff\\Ann\\AppData\\LocalLow");
    EXPECT_EQ(logLines(), std::vector<std::string>{"Not deleted folder (" + dir + "Staff\\Ann\\AppData\\LocalLow)"});
    EXPECT_TRUE(folderExists(dir + "Staff\\Ann\\AppData\\LocalLow"));
    removeUnixLink(dir + "ToWindows");
}

// A target's install folder, named whole by a registry value, is refused inside the Windows folder
// and when it is, or holds, a folder the system names; a fixed name there still goes (table above).
TEST_F(ProtectedFolders, InstallFoldersNamedByTheRegistry) {
    const std::string vendor = fromCall(::GetWindowsDirectoryA) + "\\TidewellVendor";
    struct Value { const char *target, *key, *name; };
    const Value ati{"ATi - Display", "Software\\ATi Technologies\\Install", "InstallDir"},
        realtek{"Realtek - Sound", "Software\\Realtek\\InstallShield", "ProgramFilesDir"},
        ageia{"AGEIA - PhysX", "Software\\AGEIA Technologies", "PhysXCore Path"};
    for (const auto& [v, folder] : std::vector<std::pair<Value, std::string>>{
             {ati, fromCall(::GetSystemDirectoryA) + "\\drivers"}, {realtek, known(FOLDERID_ProgramFilesCommon)},
             {ageia, known(FOLDERID_LocalAppData) + "\\Microsoft"}, {ati, vendor}, {realtek, vendor},
             {ageia, vendor}}) {
        makeFolders(folder), writeFile(folder + "\\tidewell.dat", "x");
        setString(HKEY_LOCAL_MACHINE, v.key, v.name, folder);
        tw::RunLog().clear();
        tw::Clean(*tw::FindTargetByLabel(v.target), true, false);
        removeKeyTree(HKEY_LOCAL_MACHINE, std::string(v.key).substr(0, std::string(v.key).find('\\', 9)));
        EXPECT_EQ(logLines(), std::vector<std::string>{"Not deleted folder (" + folder + ")"}) << v.target;
        EXPECT_TRUE(::DeleteFileA((folder + "\\tidewell.dat").c_str())) << "deleted: " << folder;
    }
    removeTree(vendor);
}

}  // namespace
