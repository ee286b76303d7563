// The folders no deletion may reach, on a real system: the ones the system
// names (every known folder, and each profile's), profiles and their AppData
// roots, the program's own folders wherever they lie, and spellings and links
// that reach them. The system decides, not the environment, which is pointed
// elsewhere here and may only add.
#include <shlobj.h>

#include "engine/DeleteUnit.h"
#include "log/LogUnit.h"
#include "platform/common.h"
#include "store/BackupStore.h"
#include "support.h"
#include "targets/Target.h"

namespace {

using namespace winetest;

const std::wstring kProfile = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\S-1-5-21-7-7-7-4242";
const wchar_t* const kEnvironment[] = {L"SYSTEMROOT", L"windir", L"ProgramFiles", L"ProgramData", L"APPDATA",
                                    L"LOCALAPPDATA", L"PUBLIC", L"ALLUSERSPROFILE"};

std::wstring known(REFKNOWNFOLDERID id) {
    wchar_t* path = nullptr;
    std::wstring out;
    if (SUCCEEDED(::SHGetKnownFolderPath(id, 0, nullptr, &path))) out = path;
    ::CoTaskMemFree(path);
    return out;
}
std::wstring fromCall(UINT(WINAPI* call)(LPWSTR, UINT)) {
    wchar_t buffer[MAX_PATH] = {};
    return std::wstring(buffer, call(buffer, MAX_PATH));
}

// Puts back the environment, the profile list and the program's folders.
struct Restore {
    std::vector<std::pair<std::wstring, std::optional<std::wstring>>> env;
    ~Restore() {
        for (const auto& [name, value] : env) ::SetEnvironmentVariableW(name.c_str(), value ? value->c_str() : nullptr);
        for (const wchar_t* k : {L"", L"0"}) removeKeyTree(HKEY_LOCAL_MACHINE, kProfile + k);
        removeUnixLink(tw::BackupRoot().substr(0, tw::BackupRoot().size() - 1));
        removeUnixLink(tw::LogFolder().substr(0, tw::LogFolder().size() - 1));
        for (const wchar_t* f : {L"\\TidewellVendor", L"\\TidewellSvc"}) removeTree(fromCall(::GetWindowsDirectoryW) + f);
        removeTree(known(FOLDERID_UserProfiles) + L"\\TidewellOther");
    }
};

class ProtectedFolders : public WineTest {};

TEST_F(ProtectedFolders, WhatTheSystemNamesWhateverTheSpellingAndEnvironment) {
    ASSERT_TRUE(runningUnderWine()) << L"links are made with the host's ln";
    ASSERT_FALSE(folderExists(tw::BackupRoot()) || folderExists(tw::LogFolder()));
    Restore restore;
    for (const wchar_t* name : kEnvironment) {
        wchar_t value[32768] = {};
        const DWORD n = ::GetEnvironmentVariableW(name, value, sizeof value);
        restore.env.emplace_back(name, n > 0 ? std::optional<std::wstring>(value) : std::nullopt);
        makeFolders(dir + L"Env\\" + name + L"\\SysWOW64");
        ::SetEnvironmentVariableW(name, (dir + L"Env\\" + name).c_str());
    }
    const std::wstring windows = fromCall(::GetWindowsDirectoryW), local = known(FOLDERID_LocalAppData);
    const std::wstring users = known(FOLDERID_UserProfiles), other = users + L"\\TidewellOther";
    // A listed profile outside the profiles folder, and one named through %SystemRoot%.
    setString(HKEY_LOCAL_MACHINE, kProfile, L"ProfileImagePath", dir + L"Staff\\Ann");
    setString(HKEY_LOCAL_MACHINE, kProfile + L"0", L"ProfileImagePath", L"%SystemRoot%\\TidewellSvc");
    // The backup and log folders elsewhere, through links: still the program's.
    makeFolders(dir + L"BackupElsewhere");
    makeFolders(dir + L"LogsElsewhere");
    ASSERT_TRUE(makeUnixLink(dir + L"BackupElsewhere", tw::BackupRoot().substr(0, tw::BackupRoot().size() - 1)) &&
                makeUnixLink(dir + L"LogsElsewhere", tw::LogFolder().substr(0, tw::LogFolder().size() - 1)));
    ASSERT_TRUE(makeUnixLink(windows, dir + L"ToWindows"));

    std::wstring upper = windows;
    for (auto& c : upper) c = static_cast<char>(::toupper(static_cast<unsigned char>(c)));
    const std::vector<std::pair<std::wstring, bool>> rows = {
        {windows, true}, {windows + L"\\", true}, {windows + L".", true}, {windows + L"\\system32\\..", true},
        {windows.substr(0, 3) + L".\\" + windows.substr(3), true}, {windows.substr(0, 2) + windows.substr(3), true},
        {windows.substr(3), true}, {windows.substr(0, 3), true}, {windows.substr(0, 2), true},
        {fromCall(::GetSystemDirectoryW), true}, {fromCall(::GetSystemWow64DirectoryW), true},
        {upper, true}, {windows + L"\\System", true}, {windows + L"\\TidewellSvc", true},
        {known(FOLDERID_ProgramFiles), true}, {known(FOLDERID_ProgramFilesX86), true},
        {known(FOLDERID_ProgramData), true}, {known(FOLDERID_Public), true}, {known(FOLDERID_Profile), true},
        {known(FOLDERID_RoamingAppData), true}, {local, true}, {known(FOLDERID_LocalAppDataLow), true},
        {local + L"\\..", true}, {users, true}, {other, true}, {other + L"\\AppData", true},
        {other + L"\\AppData\\LocalLow", true}, {other + L"\\AppData\\LocalLow\\Vendor", false},
        {dir + L"Staff\\Ann", true}, {dir + L"Staff\\Ann\\AppData\\Local", true},
        {dir + L"Staff\\Ann\\AppData\\LocalLow", true}, {dir + L"Staff\\Ann\\AppData\\Roaming", true},
        {dir + L"Staff\\Ann\\Documents", true}, {dir + L"Staff\\Ann\\AppData\\Local\\Microsoft", true},
        {dir + L"Staff\\Ann\\AppData\\Local\\Vendor", false}, {dir + L"Staff", true},
        {other + L"\\AppData\\Roaming", true}, {other + L"\\AppData\\Roaming\\Vendor", false},
        {other + L"\\AppData\\Local\\Microsoft", true}, {other + L"\\AppData\\Local\\Microsoft\\Vendor", false},
        {known(FOLDERID_ProgramFilesCommon), true}, {known(FOLDERID_Fonts), true}, {local + L"\\Microsoft", true},
        {known(FOLDERID_CommonStartMenu) + L"\\..", true}, {known(FOLDERID_StartMenu), true},
        {tw::programFolder(), true}, {tw::programFolder() + L"..", true}, {tw::BackupRoot() + L"Set", true},
        {dir + L"BackupElsewhere", true}, {dir + L"LogsElsewhere\\..\\LogsElsewhere", true},
        {dir + L"ToWindows", true}, {dir + L"ToWindows\\system32", true}, {dir + L"ToWindows\\TidewellVendor", false},
        {dir + L"Env\\SYSTEMROOT", true}, {dir + L"Env\\windir\\SysWOW64", true}, {dir + L"Env\\PUBLIC", true},
        {dir + L"Missing", true}, {dir + L"Vendor", false}, {windows + L"\\TidewellVendor", false},
    };
    for (const auto& [folder, expected] : rows)
        if (!expected) makeFolders(folder);
    for (const wchar_t* f : {L"\\AppData\\LocalLow", L"\\AppData\\Local\\Microsoft", L"\\AppData\\Roaming", L"\\Documents"})
        makeFolders(dir + L"Staff\\Ann" + f);
    for (const auto& f : {known(FOLDERID_ProgramFilesCommon), known(FOLDERID_CommonStartMenu), local + L"\\Microsoft"})
        makeFolders(f);
    makeFolders(windows + L"\\TidewellSvc");
    makeFolders(tw::BackupRoot() + L"Set");
    for (const auto& [folder, expected] : rows) EXPECT_EQ(tw::IsProtectedFolder(folder), expected) << folder;
    tw::DeleteFolder(context, dir + L"Staff\\Ann\\AppData\\LocalLow");
    EXPECT_EQ(logLines(), std::vector<std::wstring>{L"Not deleted folder (" + dir + L"Staff\\Ann\\AppData\\LocalLow)"});
    EXPECT_TRUE(folderExists(dir + L"Staff\\Ann\\AppData\\LocalLow"));
    removeUnixLink(dir + L"ToWindows");
}

// A target's install folder, named whole by a registry value, is refused inside the Windows folder
// and when it is, or holds, a folder the system names; a fixed name there still goes (table above).
TEST_F(ProtectedFolders, InstallFoldersNamedByTheRegistry) {
    const std::wstring vendor = fromCall(::GetWindowsDirectoryW) + L"\\TidewellVendor";
    struct Value { const wchar_t *target, *key, *name; };
    const Value ati{L"ATi - Display", L"Software\\ATi Technologies\\Install", L"InstallDir"},
        realtek{L"Realtek - Sound", L"Software\\Realtek\\InstallShield", L"ProgramFilesDir"},
        ageia{L"AGEIA - PhysX", L"Software\\AGEIA Technologies", L"PhysXCore Path"};
    for (const auto& [v, folder] : std::vector<std::pair<Value, std::wstring>>{
             {ati, fromCall(::GetSystemDirectoryW) + L"\\drivers"}, {realtek, known(FOLDERID_ProgramFilesCommon)},
             {ageia, known(FOLDERID_LocalAppData) + L"\\Microsoft"}, {realtek, vendor}}) {  // each one's value: the targets' record
        makeFolders(folder), writeFile(folder + L"\\tidewell.dat", L"x");
        setString(HKEY_LOCAL_MACHINE, v.key, v.name, folder);
        tw::RunLog().clear();
        tw::Clean(context, *tw::FindFamilyByLabel(v.target), true, false);
        removeKeyTree(HKEY_LOCAL_MACHINE, std::wstring(v.key).substr(0, std::wstring(v.key).find(L'\\', 9)));
        EXPECT_EQ(logLines(), std::vector<std::wstring>{L"Not deleted folder (" + folder + L")"}) << v.target;
        EXPECT_TRUE(::DeleteFileW((folder + L"\\tidewell.dat").c_str())) << L"deleted: " << folder;
    }
    removeTree(vendor);
}

}  // namespace
