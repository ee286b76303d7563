// The registry object and the registry deletions on a real registry: the path
// rule, reads, whole trees, hive saves with their privilege, keys chosen by a
// value, and refused steps injected through faults.h.
#include <algorithm>

#include "backup/BackupUnit.h"
#include "engine/DeleteUnit.h"
#include "engine/RegistrySelf.h"
#include "faults.h"
#include "log/LogUnit.h"
#include "settings/VarUnit.h"
#include "support.h"

namespace {

using namespace winetest;
using Lines = std::vector<std::string>;

const std::string kKey = kScratchKey;
const std::string kServices = kKey + "\\Services";
const std::string kClass = kKey + "\\Class\\{4d36e968-e325-11ce-bfc1-08002be10318}";
const std::string kRegItem = "EngineWineSet\\NVIDIA - Display - Registry\\";

Lines sorted(Lines lines) {
    std::sort(lines.begin(), lines.end());
    return lines;
}

bool privilegeEnabled(const char* name) {
    HANDLE token = nullptr;
    PRIVILEGE_SET set{1, PRIVILEGE_SET_ALL_NECESSARY, {}};
    BOOL on = FALSE;
    if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token) &&
        ::LookupPrivilegeValueA(nullptr, name, &set.Privilege[0].Luid))
        ::PrivilegeCheck(token, &set, &on);
    ::CloseHandle(token);
    return on;
}

class RegistryObject : public WineTest {};

TEST_F(RegistryObject, PathRuleNamesAndReads) {
    const std::string vendor = kKey + "\\Vendor", longName(200, 'k');
    setString(HKEY_CURRENT_USER, vendor + "\\Tool", "Name", "NVIDIA Corporation");
    setString(HKEY_CURRENT_USER, vendor + "\\Tool", "Long", std::string(5000, 'x'));
    setDword(HKEY_CURRENT_USER, vendor + "\\Tool", "Count", 7);
    createKey(HKEY_CURRENT_USER, vendor + "\\" + longName);
    tw::TRegistrySelf reg;  // below HKCU unless told otherwise
    ASSERT_TRUE(reg.OpenKey(vendor, false));
    tw::TRegKeyInfo info;
    ASSERT_TRUE(reg.GetKeyInfo(info));
    EXPECT_EQ(info.NumSubKeys, 2u);
    std::vector<std::string> names{"stale"};
    reg.GetKeyNames(names);
    EXPECT_EQ(sorted(names), (Lines{"Tool", longName}));
    // Relative below the open key; absolute below the root; a failed open changes nothing.
    ASSERT_TRUE(reg.OpenKey("Tool", false));
    EXPECT_EQ(reg.CurrentPath(), vendor + "\\Tool");
    EXPECT_FALSE(reg.OpenKey("\\" + kKey + "\\Missing", false));
    EXPECT_EQ(reg.CurrentPath(), vendor + "\\Tool");
    EXPECT_EQ(reg.ReadString("Name"), "NVIDIA Corporation");
    EXPECT_EQ(reg.ReadString("Long"), std::string(5000, 'x'));
    EXPECT_EQ(reg.ReadString("Absent"), "");
    EXPECT_THROW(reg.ReadString("Count"), tw::ERegistryException);
    ASSERT_TRUE(reg.OpenKey("\\" + kKey + "\\Made\\Deep", true));
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, kKey + "\\Made\\Deep"));
    reg.SetRootKey(plat::kHKeyLocalMachine);  // closes the open key
    EXPECT_FALSE(reg.KeyExists(vendor));
}

TEST_F(RegistryObject, DeleteKeyTakesTheWholeTreeOrSaysItCouldNot) {
    for (const char* k : {"\\Drop\\A\\A1\\A11", "\\Drop\\A\\A2", "\\Drop\\B", "\\Keep", "\\Part\\Free", "\\Part\\Held"})
        createKey(HKEY_LOCAL_MACHINE, kKey + k);
    setString(HKEY_LOCAL_MACHINE, kKey + "\\Drop\\A\\A1", "v", "x");
    faults::fail(faults::Call::DeleteKey, "Held");
    tw::TRegistrySelf reg;
    reg.SetRootKey(plat::kHKeyLocalMachine);
    ASSERT_TRUE(reg.OpenKey(kKey, false));
    EXPECT_TRUE(reg.DeleteKey("Drop"));
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kKey + "\\Drop"));
    EXPECT_EQ(reg.CurrentPath(), kKey);
    EXPECT_FALSE(reg.DeleteKey("Drop"));
    EXPECT_FALSE(reg.DeleteKey("Part"));
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kKey + "\\Part\\Free"));
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, kKey + "\\Part\\Held"));
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, kKey + "\\Keep"));
}

TEST_F(RegistryObject, HivesAreSavedUnderThePrivilegeAndNeverOverwritten) {
    setString(HKEY_CURRENT_USER, kKey + "\\Prefs\\Inner", "TidewellMarker", "deep");
    const std::string hive = dir + "prefs.TW";
    tw::TRegistrySelf reg;
    ASSERT_FALSE(privilegeEnabled("SeBackupPrivilege"));
    EXPECT_TRUE(reg.SaveKey(kKey + "\\Prefs", hive));
    const auto saved = readFile(hive);
    EXPECT_NE(saved.value_or("").find("TidewellMarker"), std::string::npos);
    EXPECT_FALSE(privilegeEnabled("SeBackupPrivilege"));
    setString(HKEY_CURRENT_USER, kKey + "\\Prefs", "Later", "x");
    EXPECT_FALSE(reg.SaveKey(kKey + "\\Prefs", hive));
    EXPECT_EQ(readFile(hive), saved);
    EXPECT_FALSE(reg.SaveKey(kKey + "\\Missing", dir + "missing.TW"));
    EXPECT_FALSE(fileExists(dir + "missing.TW"));
    // Wine's restore loads nothing but makes the key; the privilege is dropped after.
    EXPECT_TRUE(reg.RestoreKey(kKey + "\\Back", hive));
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, kKey + "\\Back"));
    EXPECT_FALSE(privilegeEnabled("SeRestorePrivilege"));
    EXPECT_TRUE(reg.EnablePrivilege("SeRestorePrivilege", true));
    EXPECT_TRUE(privilegeEnabled("SeRestorePrivilege"));
    EXPECT_TRUE(reg.EnablePrivilege("SeRestorePrivilege", false));
    EXPECT_FALSE(privilegeEnabled("SeRestorePrivilege"));
}

class RegistryDeletion : public WineTest {};

TEST_F(RegistryDeletion, DeleteKeysTakesTreesAndLooksNowhereElse) {
    setString(HKEY_LOCAL_MACHINE, kServices + "\\nvlddmkm\\Parameters\\Deep", "x", "y");
    createKey(HKEY_LOCAL_MACHINE, kServices + "\\nvlddmkm\\Enum");
    createKey(HKEY_LOCAL_MACHINE, kServices + "\\nvsvc");
    createKey(HKEY_LOCAL_MACHINE, kServices + "\\nvsvcKeep");
    createKey(HKEY_LOCAL_MACHINE, kServices + "\\nvlocked");
    createKey(HKEY_LOCAL_MACHINE, kKey + "\\nvsvc");  // the same name where the path does not lead
    faults::fail(faults::Call::DeleteKey, "nvlocked");
    tw::DeleteKeys(plat::kHKeyLocalMachine, kServices, {"nvlddmkm", "nosuch", "NVSVC", "nvlocked"});
    tw::DeleteKeys(plat::kHKeyLocalMachine, kKey + "\\NoSuch", {"nvsvc"});
    // The line shows the name as the caller gave it.
    EXPECT_EQ(logLines(), (Lines{"Deleted registry (HKLM\\" + kServices + "\\nvlddmkm)",
                                 "Deleted registry (HKLM\\" + kServices + "\\NVSVC)",
                                 "Not deleted registry (HKLM\\" + kServices + "\\nvlocked)"}));
    EXPECT_EQ(steps, 5);
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kServices + "\\nvlddmkm"));
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kServices + "\\nvsvc"));
    for (const char* kept : {"\\Services\\nvsvcKeep", "\\Services\\nvlocked", "\\nvsvc"})
        EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, kKey + kept)) << kept;
}

TEST_F(RegistryDeletion, DeleteValuesReportsOnlyValuesThatWereThere) {
    const std::string run = kKey + "\\Run";
    setString(HKEY_CURRENT_USER, run, "NvCplDaemon", "RUNDLL32.EXE NvCpl.dll,NvStartup");
    setDword(HKEY_CURRENT_USER, run, "nwiz", 7);
    setString(HKEY_CURRENT_USER, run, "NvLocked", "x");
    setString(HKEY_CURRENT_USER, run, "Other", "keep");
    faults::fail(faults::Call::DeleteValue, "NvLocked");
    tw::BackupEnabled = true;  // values are never backed up
    tw::BackupPath = tw::BackupRoot() + kRegItem;
    tw::DeleteValues(plat::kHKeyCurrentUser, run, {"NvCplDaemon", "NWIZ", "Missing", "NvLocked"});
    tw::DeleteValues(plat::kHKeyCurrentUser, run + "\\NoSuch", {"Other"});
    EXPECT_EQ(logLines(), (Lines{"Deleted registry (HKCU\\" + run + "\\NvCplDaemon)",
                                 "Deleted registry (HKCU\\" + run + "\\NWIZ)",
                                 "Not deleted registry (HKCU\\" + run + "\\NvLocked)"}));
    EXPECT_EQ(steps, 5);
    EXPECT_FALSE(valueExists(HKEY_CURRENT_USER, run, "nwiz"));
    EXPECT_TRUE(valueExists(HKEY_CURRENT_USER, run, "NvLocked"));
    EXPECT_TRUE(valueExists(HKEY_CURRENT_USER, run, "Other"));
    EXPECT_FALSE(folderExists(tw::BackupPath));
}

TEST_F(RegistryDeletion, KeysChosenByTheStartOfAValueWithLetterCase) {
    const std::vector<std::pair<std::string, bool>> providers = {
        {"NVIDIA Corporation", true}, {"NVIDIA", true}, {"nVidia", false}, {"ATI Technologies", false}, {"", false}};
    for (std::size_t i = 0; i < providers.size(); ++i)
        setString(HKEY_LOCAL_MACHINE, kClass + "\\000" + std::to_string(i), "ProviderName", providers[i].first);
    createKey(HKEY_LOCAL_MACHINE, kClass + "\\0000\\Settings");
    createKey(HKEY_LOCAL_MACHINE, kClass + "\\Properties");
    tw::DeleteKeysByValue(plat::kHKeyLocalMachine, kClass, "ProviderName", "NVIDIA");
    tw::DeleteKeysByValue(plat::kHKeyLocalMachine, kClass, "ProviderName", "");
    EXPECT_EQ(sorted(logLines()), (Lines{"Deleted registry (HKLM\\" + kClass + "\\0000)",
                                         "Deleted registry (HKLM\\" + kClass + "\\0001)"}));
    for (std::size_t i = 0; i < providers.size(); ++i)
        EXPECT_EQ(keyExists(HKEY_LOCAL_MACHINE, kClass + "\\000" + std::to_string(i)), !providers[i].second) << i;
    EXPECT_EQ(steps, 0);

    // A value that is no string ends the routine there, with the key left.
    setDword(HKEY_LOCAL_MACHINE, kClass + "\\0002", "ProviderName", 1);
    setString(HKEY_LOCAL_MACHINE, kClass + "\\0003", "ProviderName", "NVIDIA");
    EXPECT_THROW(tw::DeleteKeysByValue(plat::kHKeyLocalMachine, kClass, "ProviderName", "NVIDIA"),
                 tw::ERegistryException);
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, kClass + "\\0002"));
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, kClass + "\\0003"));
}

// With backup on a key goes only after its hive is written; a hive that
// cannot be written, or is there already, keeps the key.
TEST_F(RegistryDeletion, HiveIsSavedBeforeTheKeyGoes) {
    tw::BackupEnabled = true;
    tw::BackupPath = tw::BackupRoot() + kRegItem;
    setString(HKEY_CURRENT_USER, kServices + "\\nvlddmkm\\Parameters", "TidewellMarkerDeep", "deep");
    createKey(HKEY_CURRENT_USER, kServices + "\\nvsaveless");
    setString(HKEY_LOCAL_MACHINE, kClass + "\\0000", "ProviderName", "NVIDIA Corporation");
    setString(HKEY_LOCAL_MACHINE, kClass + "\\0000", "TidewellMarkerClass", "class");
    setString(HKEY_LOCAL_MACHINE, kClass + "\\0001", "ProviderName", "NVIDIA nosave");
    faults::fail(faults::Call::SaveKey, "nvsaveless");
    faults::fail(faults::Call::SaveKey, "0001.TW");
    tw::DeleteKeys(plat::kHKeyCurrentUser, kServices, {"nvlddmkm", "nvsaveless"});
    tw::DeleteKeysByValue(plat::kHKeyLocalMachine, kClass, "ProviderName", "NVIDIA");
    EXPECT_EQ(logLines(), (Lines{"Deleted registry (HKCU\\" + kServices + "\\nvlddmkm)",
                                 "Not deleted registry (HKCU\\" + kServices + "\\nvsaveless)",
                                 "Deleted registry (HKLM\\" + kClass + "\\0000)",
                                 "Not deleted registry (HKLM\\" + kClass + "\\0001)"}));
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, kServices + "\\nvsaveless"));
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, kClass + "\\0001"));
    // Named root;path;key.TW; value names are plain text in the hive.
    const std::string userHive = tw::BackupPath + "HKCU;Software;TidewellTest;Services;nvlddmkm.TW";
    const std::string machineHive =
        tw::BackupPath + "HKLM;Software;TidewellTest;Class;{4d36e968-e325-11ce-bfc1-08002be10318};0000.TW";
    EXPECT_EQ(listFolder(tw::BackupPath), sorted({userHive.substr(tw::BackupPath.size()),
                                                  machineHive.substr(tw::BackupPath.size())}));
    const auto first = readFile(userHive);
    EXPECT_NE(first.value_or("").find("TidewellMarkerDeep"), std::string::npos);
    EXPECT_NE(readFile(machineHive).value_or("").find("TidewellMarkerClass"), std::string::npos);

    setString(HKEY_CURRENT_USER, kServices + "\\nvlddmkm", "TidewellMarkerTwo", "second");
    tw::RunLog().clear();
    tw::DeleteKeys(plat::kHKeyCurrentUser, kServices, {"nvlddmkm"});
    EXPECT_EQ(logLines(), Lines{"Not deleted registry (HKCU\\" + kServices + "\\nvlddmkm)"});
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, kServices + "\\nvlddmkm"));
    EXPECT_EQ(readFile(userHive), first);
}

}  // namespace
