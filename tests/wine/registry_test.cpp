// The registry object and the registry deletions on a real registry: the path
// rule, reads, whole trees, hive saves with their privilege, keys chosen by a
// value, and refused steps injected through faults.h.

#include "engine/DeleteUnit.h"
#include "engine/RegistrySelf.h"
#include "faults.h"
#include "log/LogUnit.h"
#include "settings/VarUnit.h"
#include "store/BackupStore.h"
#include "support.h"

namespace {

using namespace winetest;

const std::wstring kKey = kScratchKey;
const std::wstring kServices = kKey + L"\\Services";
const std::wstring kClass = kKey + L"\\Class\\{4d36e968-e325-11ce-bfc1-08002be10318}";
const std::wstring kRegItem = L"EngineWineSet\\NVIDIA - Display - Registry\\";

bool privilegeEnabled(const wchar_t* name) {
    HANDLE token = nullptr;
    PRIVILEGE_SET set{1, PRIVILEGE_SET_ALL_NECESSARY, {}};
    BOOL on = FALSE;
    if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token) &&
        ::LookupPrivilegeValueW(nullptr, name, &set.Privilege[0].Luid))
        ::PrivilegeCheck(token, &set, &on);
    ::CloseHandle(token);
    return on;
}

class RegistryObject : public WineTest {};

TEST_F(RegistryObject, PathRuleNamesAndReads) {
    const std::wstring vendor = kKey + L"\\Vendor", longName(200, L'k');
    setString(HKEY_CURRENT_USER, vendor + L"\\Tool", L"Name", L"NVIDIA Corporation");
    setString(HKEY_CURRENT_USER, vendor + L"\\Tool", L"Long", std::wstring(5000, L'x'));
    setDword(HKEY_CURRENT_USER, vendor + L"\\Tool", L"Count", 7);
    createKey(HKEY_CURRENT_USER, vendor + L"\\" + longName);
    tw::TRegistrySelf reg;  // below HKCU unless told otherwise
    ASSERT_TRUE(reg.OpenKey(vendor, false));
    std::vector<std::wstring> names{L"stale"};
    reg.GetKeyNames(names);
    EXPECT_EQ(sorted(names), (Lines{L"Tool", longName}));
    // Relative below the open key; absolute below the root; a failed open changes nothing.
    ASSERT_TRUE(reg.OpenKey(L"Tool", false));
    EXPECT_EQ(reg.CurrentPath(), vendor + L"\\Tool");
    EXPECT_FALSE(reg.OpenKey(L"\\" + kKey + L"\\Missing", false));
    EXPECT_EQ(reg.CurrentPath(), vendor + L"\\Tool");
    EXPECT_EQ(reg.ReadString(L"Name"), L"NVIDIA Corporation");
    EXPECT_EQ(reg.ReadString(L"Long"), std::wstring(5000, L'x'));
    EXPECT_EQ(reg.ReadString(L"Absent"), L"");
    EXPECT_THROW(reg.ReadString(L"Count"), tw::ERegistryException);
    ASSERT_TRUE(reg.OpenKey(L"\\" + kKey + L"\\Made\\Deep", true));
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, kKey + L"\\Made\\Deep"));
    reg.SetRootKey(plat::kHKeyLocalMachine);  // closes the open key
    EXPECT_FALSE(reg.KeyExists(vendor));
}

TEST_F(RegistryObject, HivesAreSavedUnderThePrivilegeAndNeverOverwritten) {
    setString(HKEY_CURRENT_USER, kKey + L"\\Prefs\\Inner", L"TidewellMarker", L"deep");
    const std::wstring hive = dir + L"prefs.TW";
    tw::TRegistrySelf reg;
    ASSERT_FALSE(privilegeEnabled(L"SeBackupPrivilege"));
    EXPECT_TRUE(reg.SaveKey(kKey + L"\\Prefs", hive));
    const auto saved = readFile(hive);
    EXPECT_EQ(hiveString(hive, L"Inner", L"TidewellMarker"), L"deep");
    EXPECT_FALSE(privilegeEnabled(L"SeBackupPrivilege"));
    setString(HKEY_CURRENT_USER, kKey + L"\\Prefs", L"Later", L"x");
    EXPECT_FALSE(reg.SaveKey(kKey + L"\\Prefs", hive));
    EXPECT_EQ(readFile(hive), saved);
    EXPECT_FALSE(reg.SaveKey(kKey + L"\\Missing", dir + L"missing.TW"));
    EXPECT_FALSE(fileExists(dir + L"missing.TW"));
    // Wine's restore loads nothing but makes the key; the privilege is dropped after.
    EXPECT_TRUE(reg.RestoreKey(kKey + L"\\Back", hive));
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, kKey + L"\\Back"));
    makeKeyLink(HKEY_CURRENT_USER, kKey + L"\\Linked", L"\\REGISTRY\\MACHINE\\" + kKey);
    EXPECT_FALSE(reg.RestoreKey(kKey + L"\\Linked", hive));  // never through a link, nor out of its root
    EXPECT_FALSE(reg.RestoreKey(kKey + L"\\Linked\\Back", hive));
    EXPECT_FALSE(privilegeEnabled(L"SeRestorePrivilege"));  // hiveString needs it enabled
}

class RegistryDeletion : public WineTest {};

TEST_F(RegistryDeletion, DeleteKeysTakesTreesAndLooksNowhereElse) {
    // Look-alike names are names of their own: never re-spelled as "Nvidia\x".
    for (const wchar_t* k : {L"\\nvlddmkm\\Enum", L"\\nvsvc", L"\\nvsvcKeep", L"\\nvlocked\\Free", L"\\nvlocked\\Held",
                             L"\\\uFF2Evidia\uFF3Cx", L"\\Nvidia\\x", L"\\\uFF2Evidia"})
        createKey(HKEY_LOCAL_MACHINE, kServices + k);
    setString(HKEY_LOCAL_MACHINE, kServices + L"\\nvlddmkm\\Parameters\\Deep", L"x", L"y");
    createKey(HKEY_LOCAL_MACHINE, kKey + L"\\nvsvc");  // the same name where the path does not lead
    faults::fail(faults::Call::DeleteKey, L"held");
    tw::DeleteKeys(context, plat::kHKeyLocalMachine, kServices, {L"nvlddmkm", L"nosuch", L"NVSVC", L"nvlocked", L"\uFF2Evidia\uFF3Cx"});
    tw::DeleteKeys(context, plat::kHKeyLocalMachine, kKey + L"\\NoSuch", {L"nvsvc"});
    // The line shows the name as the caller gave it.
    EXPECT_EQ(logLines(), (Lines{L"Deleted registry (HKLM\\" + kServices + L"\\nvlddmkm)",
                                 L"Deleted registry (HKLM\\" + kServices + L"\\NVSVC)",
                                 L"Not deleted registry (HKLM\\" + kServices + L"\\nvlocked)",
                                 L"Deleted registry (HKLM\\" + kServices + L"\\\uFF2Evidia\uFF3Cx)"}));
    EXPECT_EQ(steps, 6);
    for (const wchar_t* gone : {L"\\nvlddmkm", L"\\nvsvc", L"\\\uFF2Evidia\uFF3Cx", L"\\nvlocked\\Free"})
        EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kServices + gone)) << gone;
    for (const wchar_t* kept : {L"\\Services\\nvsvcKeep", L"\\Services\\nvlocked\\Held", L"\\nvsvc", L"\\Services\\Nvidia\\x",
                                L"\\Services\\\uFF2Evidia"})
        EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, kKey + kept)) << kept;
}

TEST_F(RegistryDeletion, DeleteValuesReportsOnlyValuesThatWereThere) {
    const std::wstring run = kKey + L"\\Run";
    setString(HKEY_CURRENT_USER, run, L"NvCplDaemon", L"RUNDLL32.EXE NvCpl.dll,NvStartup");
    setDword(HKEY_CURRENT_USER, run, L"nwiz", 7);
    setString(HKEY_CURRENT_USER, run, L"NvLocked", L"x");
    setString(HKEY_CURRENT_USER, run, L"Other", L"keep");
    faults::fail(faults::Call::DeleteValue, L"NvLocked");
    context.BackupEnabled = true;  // values are never backed up
    context.BackupPath = tw::BackupRoot() + kRegItem;
    tw::DeleteValues(context, plat::kHKeyCurrentUser, run, {L"NvCplDaemon", L"NWIZ", L"Missing", L"NvLocked"});
    tw::DeleteValues(context, plat::kHKeyCurrentUser, run + L"\\NoSuch", {L"Other"});
    EXPECT_EQ(logLines(), (Lines{L"Deleted registry (HKCU\\" + run + L"\\NvCplDaemon)",
                                 L"Deleted registry (HKCU\\" + run + L"\\NWIZ)",
                                 L"Not deleted registry (HKCU\\" + run + L"\\NvLocked)"}));
    EXPECT_EQ(steps, 5);
    EXPECT_FALSE(valueExists(HKEY_CURRENT_USER, run, L"nwiz"));
    EXPECT_TRUE(valueExists(HKEY_CURRENT_USER, run, L"NvLocked"));
    EXPECT_TRUE(valueExists(HKEY_CURRENT_USER, run, L"Other"));
    EXPECT_FALSE(folderExists(context.BackupPath));
}

TEST_F(RegistryDeletion, KeysChosenByTheStartOfAValueWithLetterCase) {
    const std::vector<std::pair<std::wstring, bool>> providers = {
        {L"NVIDIA Corporation", true}, {L"NVIDIA", true}, {L"nVidia", false}, {L"ATI Technologies", false}, {L"", false}};
    for (std::size_t i = 0; i < providers.size(); ++i)
        setString(HKEY_LOCAL_MACHINE, kClass + L"\\000" + std::to_wstring(i), L"ProviderName", providers[i].first);
    createKey(HKEY_LOCAL_MACHINE, kClass + L"\\0000\\Settings");
    createKey(HKEY_LOCAL_MACHINE, kClass + L"\\Properties");
    tw::DeleteKeysByValue(context, plat::kHKeyLocalMachine, kClass, L"ProviderName", L"NVIDIA");
    tw::DeleteKeysByValue(context, plat::kHKeyLocalMachine, kClass, L"ProviderName", L"");
    EXPECT_EQ(sorted(logLines()), (Lines{L"Deleted registry (HKLM\\" + kClass + L"\\0000)",
                                         L"Deleted registry (HKLM\\" + kClass + L"\\0001)"}));
    for (std::size_t i = 0; i < providers.size(); ++i)
        EXPECT_EQ(keyExists(HKEY_LOCAL_MACHINE, kClass + L"\\000" + std::to_wstring(i)), !providers[i].second) << i;
    EXPECT_EQ(steps, 0);

    // A value that is no string ends the routine there, with the key left.
    setDword(HKEY_LOCAL_MACHINE, kClass + L"\\0002", L"ProviderName", 1);
    setString(HKEY_LOCAL_MACHINE, kClass + L"\\0003", L"ProviderName", L"NVIDIA");
    EXPECT_THROW(tw::DeleteKeysByValue(context, plat::kHKeyLocalMachine, kClass, L"ProviderName", L"NVIDIA"),
                 tw::ERegistryException);
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, kClass + L"\\0002"));
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, kClass + L"\\0003"));
}

// With backup on a key goes only after its hive is written; a hive that
// cannot be written (one there already: RegistryObject) keeps the key.
TEST_F(RegistryDeletion, HiveIsSavedBeforeTheKeyGoes) {
    context.BackupEnabled = true;
    context.BackupPath = tw::BackupRoot() + kRegItem;
    setString(HKEY_CURRENT_USER, kServices + L"\\nvlddmkm\\Parameters", L"TidewellMarkerDeep", L"deep");
    createKey(HKEY_CURRENT_USER, kServices + L"\\nvsaveless");
    setString(HKEY_LOCAL_MACHINE, kClass + L"\\0000", L"ProviderName", L"NVIDIA Corporation");
    setString(HKEY_LOCAL_MACHINE, kClass + L"\\0000", L"TidewellMarkerClass", L"class");
    setString(HKEY_LOCAL_MACHINE, kClass + L"\\0001", L"ProviderName", L"NVIDIA nosave");
    faults::fail(faults::Call::SaveKey, L"nvsaveless");
    faults::fail(faults::Call::SaveKey, L"0001.TW");
    tw::DeleteKeys(context, plat::kHKeyCurrentUser, kServices, {L"nvlddmkm", L"nvsaveless"});
    tw::DeleteKeysByValue(context, plat::kHKeyLocalMachine, kClass, L"ProviderName", L"NVIDIA");
    EXPECT_EQ(logLines(), (Lines{L"Deleted registry (HKCU\\" + kServices + L"\\nvlddmkm)",
                                 L"Not deleted registry (HKCU\\" + kServices + L"\\nvsaveless)",
                                 L"Deleted registry (HKLM\\" + kClass + L"\\0000)",
                                 L"Not deleted registry (HKLM\\" + kClass + L"\\0001)"}));
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, kServices + L"\\nvsaveless"));
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, kClass + L"\\0001"));
    // Named root;path;key.TW; the hive, loaded, holds the values.
    const std::wstring userHive = context.BackupPath + L"HKCU;Software;TidewellTest;Services;nvlddmkm.TW";
    const std::wstring machineHive =
        context.BackupPath + L"HKLM;Software;TidewellTest;Class;{4d36e968-e325-11ce-bfc1-08002be10318};0000.TW";
    EXPECT_EQ(listFolder(context.BackupPath), sorted({userHive.substr(context.BackupPath.size()),
                                                  machineHive.substr(context.BackupPath.size())}));
    EXPECT_EQ(hiveString(userHive, L"Parameters", L"TidewellMarkerDeep"), L"deep");
    EXPECT_EQ(hiveString(machineHive, L"", L"TidewellMarkerClass"), L"class");
}

// A user's key made a link to a machine key (or holding one) goes as a link, the machine key stays and is
// never saved; with backups on a link itself is left (no content of its own); a name reached through it is refused.
TEST_F(RegistryDeletion, LinksGoAsLinksNeverTheirTargets) {
    const std::wstring victim = kKey + L"\\TwVictim", ati = kKey + L"\\ATi", hive = L"HKCU;Software;TidewellTest;ATi.TW";
    struct Row { const wchar_t* link; const wchar_t* name; bool backup; bool deleted; } rows[] = {
        {L"", L"ATi", false, true}, {L"", L"ATi", true, false}, {L"\\Sub", L"ATi", true, true},
        {L"", L"ATi\\Inner", false, false}, {nullptr, L"ATi", true, true}};  // last: no link
    context.BackupPath = tw::BackupRoot() + kRegItem;
    for (const auto& row : rows) {
        SCOPED_TRACE(std::wstring(row.link ? row.link : L"(none)") + L" " + row.name);
        removeKeyTree(HKEY_CURRENT_USER, ati);
        tw::RunLog().clear();
        removeTree(context.BackupPath);
        setString(HKEY_LOCAL_MACHINE, victim + L"\\Inner", L"Secret", L"machine");
        row.link ? makeKeyLink(HKEY_CURRENT_USER, ati + row.link, L"\\REGISTRY\\MACHINE\\" + victim)
                 : setString(HKEY_CURRENT_USER, ati + L"\\Inner", L"Secret", L"user");
        context.BackupEnabled = row.backup;
        tw::DeleteKeys(context, plat::kHKeyCurrentUser, kKey, {row.name});
        EXPECT_EQ(logLines(),
                  Lines{(row.deleted ? L"Deleted registry (HKCU\\" : L"Not deleted registry (HKCU\\") + kKey + L"\\" + row.name + L")"});
        EXPECT_EQ(keyExists(HKEY_CURRENT_USER, ati), !row.deleted);
        EXPECT_TRUE(valueExists(HKEY_LOCAL_MACHINE, victim + L"\\Inner", L"Secret"));
        removeKeyTree(HKEY_LOCAL_MACHINE, victim);  // a saved link then leads nowhere; saved content would show
        EXPECT_EQ(hiveString(context.BackupPath + hive, row.link && *row.link ? L"Sub\\Inner" : L"Inner", L"Secret"),
                  row.link || !row.backup ? std::nullopt : std::optional<std::wstring>(L"user"));
    }
}

// A preview names a key once, also through a link in its path (as CurrentControlSet leads to ControlSet00N);
// what one preview has named is not gone for another context.
TEST_F(RegistryDeletion, PreviewNamesAKeyReachedThroughALinkOnce) {
    setString(HKEY_LOCAL_MACHINE, kKey + L"\\Set001\\Vendor\\Deep", L"Run", L"x");
    makeKeyLink(HKEY_LOCAL_MACHINE, kKey + L"\\CurrentSet", L"\\REGISTRY\\MACHINE\\" + kKey + L"\\Set001");
    tw::DeletionContext preview(tw::RunLog(), tw::DeletionContext::Mode::Report);
    tw::DeleteKeys(preview, plat::kHKeyLocalMachine, kKey + L"\\CurrentSet", {L"Vendor"});
    tw::DeleteKeys(preview, plat::kHKeyLocalMachine, kKey + L"\\Set001", {L"VENDOR"});
    tw::DeleteValues(preview, plat::kHKeyLocalMachine, kKey + L"\\Set001\\Vendor\\Deep", {L"Run"});
    // The marks are the preview's own: another preview names the key again, and a run deletes it.
    tw::DeletionContext other(tw::RunLog(), tw::DeletionContext::Mode::Report);
    for (tw::DeletionContext* c : {&other, &context})
        tw::DeleteKeys(*c, plat::kHKeyLocalMachine, kKey + L"\\Set001", {L"Vendor"});
    EXPECT_EQ(logLines(), (Lines{L"Would delete registry (HKLM\\" + kKey + L"\\CurrentSet\\Vendor)",
                                 L"Would delete registry (HKLM\\" + kKey + L"\\Set001\\Vendor)",
                                 L"Deleted registry (HKLM\\" + kKey + L"\\Set001\\Vendor)"}));
}

}  // namespace
