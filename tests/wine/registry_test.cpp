// The registry routines of the cleaning engine on a real registry: nested
// key trees, keys chosen by a value, values, key paths that do not exist,
// values of the wrong type, and hive backups written before a key goes.
//
// Wine's RegRestoreKey does nothing and reports success, so whether a hive
// really brings a key back is checked against the in-memory Windows of the
// unit tests only; here the restore is checked for its log lines, and for the
// restored values only on Windows itself.
#include <algorithm>

#include "backup/BackupUnit.h"
#include "engine/DeleteUnit.h"
#include "engine/RegistrySelf.h"
#include "support.h"
#include "log/LogUnit.h"
#include "settings/VarUnit.h"

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

class RegistryOnWine : public WineTest {};

TEST_F(RegistryOnWine, DeleteKeysTakesWholeTreesAndStepsPerName) {
    setString(HKEY_LOCAL_MACHINE, kServices + "\\nvlddmkm", "ImagePath", "nvlddmkm.sys");
    setDword(HKEY_LOCAL_MACHINE, kServices + "\\nvlddmkm\\Parameters", "Level", 3);
    setString(HKEY_LOCAL_MACHINE, kServices + "\\nvlddmkm\\Parameters\\Deep\\Deeper", "x", "y");
    createKey(HKEY_LOCAL_MACHINE, kServices + "\\nvlddmkm\\Enum");
    createKey(HKEY_LOCAL_MACHINE, kServices + "\\nvsvc");
    createKey(HKEY_LOCAL_MACHINE, kServices + "\\nvsvcKeep");

    tw::DeleteKeys(plat::kHKeyLocalMachine, kServices, {"nvlddmkm", "nosuch", "NVSVC"});
    // The line shows the name as the caller gave it.
    EXPECT_EQ(logLines(), (Lines{"Deleted registry (HKLM\\" + kServices + "\\nvlddmkm)",
                                 "Deleted registry (HKLM\\" + kServices + "\\NVSVC)"}));
    EXPECT_EQ(steps, 3);
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kServices + "\\nvlddmkm"));
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kServices + "\\nvsvc"));
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, kServices + "\\nvsvcKeep"));
}

TEST_F(RegistryOnWine, MissingKeyPathLooksNowhereElse) {
    // Names that do exist, but directly below the root and below the parent.
    const std::string decoy = "TidewellEngineDecoy";
    createKey(HKEY_CURRENT_USER, decoy);
    setString(HKEY_CURRENT_USER, kKey, "NvValue", "v");
    createKey(HKEY_CURRENT_USER, kKey + "\\" + decoy);

    tw::DeleteKeys(plat::kHKeyCurrentUser, kKey + "\\NoSuch", {decoy, "nothing"});
    tw::DeleteValues(plat::kHKeyCurrentUser, kKey + "\\NoSuch", {"NvValue"});
    tw::DeleteKeysByValue(plat::kHKeyCurrentUser, kKey + "\\NoSuch", "ProviderName", "NVIDIA");
    EXPECT_TRUE(logLines().empty()) << ::testing::PrintToString(logLines());
    EXPECT_EQ(steps, 3);
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, decoy));
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, kKey + "\\" + decoy));
    EXPECT_TRUE(valueExists(HKEY_CURRENT_USER, kKey, "NvValue"));
    removeKeyTree(HKEY_CURRENT_USER, decoy);
}

TEST_F(RegistryOnWine, KeysChosenByProviderNameWithLetterCase) {
    setString(HKEY_LOCAL_MACHINE, kClass + "\\0000", "ProviderName", "NVIDIA Corporation");
    setString(HKEY_LOCAL_MACHINE, kClass + "\\0000\\Settings", "Device", "GeForce");
    setString(HKEY_LOCAL_MACHINE, kClass + "\\0001", "ProviderName", "nVidia");
    createKey(HKEY_LOCAL_MACHINE, kClass + "\\0002");
    setString(HKEY_LOCAL_MACHINE, kClass + "\\0003", "ProviderName", "NVIDIA");
    setString(HKEY_LOCAL_MACHINE, kClass + "\\0004", "ProviderName", "ATI Technologies");
    setString(HKEY_LOCAL_MACHINE, kClass + "\\0004", "Comment", "NVIDIA");

    tw::DeleteKeysByValue(plat::kHKeyLocalMachine, kClass, "ProviderName", "NVIDIA");
    EXPECT_EQ(sorted(logLines()), (Lines{"Deleted registry (HKLM\\" + kClass + "\\0000)",
                                         "Deleted registry (HKLM\\" + kClass + "\\0003)"}));
    EXPECT_EQ(steps, 0);
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kClass + "\\0000"));
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kClass + "\\0003"));
    for (const char* kept : {"\\0001", "\\0002", "\\0004"})
        EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, kClass + kept)) << kept;
}

TEST_F(RegistryOnWine, ProviderNameThatIsNotAStringEndsTheRoutine) {
    setDword(HKEY_LOCAL_MACHINE, kClass + "\\0000", "ProviderName", 1);
    setString(HKEY_LOCAL_MACHINE, kClass + "\\0001", "ProviderName", "NVIDIA Corporation");
    std::wstring message;
    try {
        tw::DeleteKeysByValue(plat::kHKeyLocalMachine, kClass, "ProviderName", "NVIDIA");
    } catch (const tw::ERegistryException& e) {
        message = e.message();
    }
    EXPECT_EQ(message, L"Invalid data type for 'ProviderName'");
    // The run ends there: the string-valued key after it is left alone.
    EXPECT_TRUE(logLines().empty());
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, kClass + "\\0001"));

    // An expandable string is a string, and is compared unexpanded.
    removeKeyTree(HKEY_LOCAL_MACHINE, kClass + "\\0000");
    {
        HKEY key = nullptr;
        ASSERT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, (kClass + "\\0001").c_str(), 0, KEY_SET_VALUE, &key),
                  ERROR_SUCCESS);
        const char text[] = "NVIDIA%TEMP%";
        const LONG r = ::RegSetValueExA(key, "ProviderName", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(text),
                                        sizeof text);
        ::RegCloseKey(key);
        ASSERT_EQ(r, ERROR_SUCCESS);
    }
    tw::TRegistrySelf reg;
    reg.SetRootKey(plat::kHKeyLocalMachine);
    ASSERT_TRUE(reg.OpenKey(kClass + "\\0001", false));
    EXPECT_EQ(reg.ReadString("ProviderName"), "NVIDIA%TEMP%");
}

TEST_F(RegistryOnWine, DeleteValuesNeverWritesABackup) {
    const std::string run = kKey + "\\Run";
    setString(HKEY_CURRENT_USER, run, "NvCplDaemon", "RUNDLL32.EXE NvCpl.dll,NvStartup");
    setDword(HKEY_CURRENT_USER, run, "nwiz", 7);
    setString(HKEY_CURRENT_USER, run, "Other", "keep");
    tw::BackupEnabled = true;
    tw::BackupPath = tw::BackupRoot() + kRegItem;

    tw::DeleteValues(plat::kHKeyCurrentUser, run, {"NvCplDaemon", "NWIZ", "Missing"});
    EXPECT_EQ(logLines(), (Lines{"Deleted registry (HKCU\\" + run + "\\NvCplDaemon)",
                                 "Deleted registry (HKCU\\" + run + "\\NWIZ)"}));
    EXPECT_EQ(steps, 3);
    EXPECT_FALSE(valueExists(HKEY_CURRENT_USER, run, "NvCplDaemon"));
    EXPECT_FALSE(valueExists(HKEY_CURRENT_USER, run, "nwiz"));
    EXPECT_TRUE(valueExists(HKEY_CURRENT_USER, run, "Other"));
    EXPECT_FALSE(folderExists(tw::BackupPath));
}

TEST_F(RegistryOnWine, HiveIsSavedBeforeTheKeyGoesAndNeverOverwritten) {
    tw::BackupEnabled = true;
    tw::BackupPath = tw::BackupRoot() + kRegItem;
    setString(HKEY_CURRENT_USER, kServices + "\\nvlddmkm", "TidewellMarkerOne", "first");
    setString(HKEY_CURRENT_USER, kServices + "\\nvlddmkm\\Parameters", "TidewellMarkerDeep", "deep");
    setString(HKEY_LOCAL_MACHINE, kClass + "\\0000", "ProviderName", "NVIDIA Corporation");
    setString(HKEY_LOCAL_MACHINE, kClass + "\\0000", "TidewellMarkerClass", "class");

    tw::DeleteKeys(plat::kHKeyCurrentUser, kServices, {"nvlddmkm"});
    tw::DeleteKeysByValue(plat::kHKeyLocalMachine, kClass, "ProviderName", "NVIDIA");
    EXPECT_EQ(logLines(), (Lines{"Deleted registry (HKCU\\" + kServices + "\\nvlddmkm)",
                                 "Deleted registry (HKLM\\" + kClass + "\\0000)"}));
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kServices + "\\nvlddmkm"));
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kClass + "\\0000"));

    // Named root;path;key.TW. A hive saved after the deletion could not hold
    // the key's values; value names are kept as plain text by Windows' hive
    // format and by Wine's text format alike.
    const std::string userHive = tw::BackupPath + "HKCU;Software;TidewellTest;Services;nvlddmkm.TW";
    const std::string machineHive =
        tw::BackupPath + "HKLM;Software;TidewellTest;Class;{4d36e968-e325-11ce-bfc1-08002be10318};0000.TW";
    EXPECT_EQ(listFolder(tw::BackupPath), sorted({userHive.substr(tw::BackupPath.size()),
                                                  machineHive.substr(tw::BackupPath.size())}));
    const auto first = readFile(userHive);
    ASSERT_TRUE(first.has_value());
    EXPECT_NE(first->find("TidewellMarkerOne"), std::string::npos);
    EXPECT_NE(first->find("TidewellMarkerDeep"), std::string::npos);
    EXPECT_NE(readFile(machineHive).value_or("").find("TidewellMarkerClass"), std::string::npos);

    // The same key again: its hive file exists, the save is refused (Wine
    // would overwrite it), and a key without a backup is not deleted.
    setString(HKEY_CURRENT_USER, kServices + "\\nvlddmkm", "TidewellMarkerTwo", "second");
    tw::RunLog().clear();
    tw::DeleteKeys(plat::kHKeyCurrentUser, kServices, {"nvlddmkm"});
    EXPECT_EQ(logLines(), Lines{"Not deleted registry (HKCU\\" + kServices + "\\nvlddmkm)"});
    EXPECT_TRUE(valueExists(HKEY_CURRENT_USER, kServices + "\\nvlddmkm", "TidewellMarkerTwo"));
    EXPECT_EQ(readFile(userHive), first);

    // Restore: one line per hive file, each under the key's own root, which
    // is created when missing. Wine reports success without loading the hive.
    removeKeyTree(HKEY_CURRENT_USER, kServices + "\\nvlddmkm");
    tw::RunLog().clear();
    tw::RestoreRegistry(kRegItem);
    EXPECT_EQ(sorted(logLines()), (Lines{"Restored Registry (HKCU\\" + kServices + "\\nvlddmkm)",
                                         "Restored Registry (HKLM\\" + kClass + "\\0000)"}));
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, kServices + "\\nvlddmkm"));
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, kClass + "\\0000"));
    if (!runningUnderWine()) {
        EXPECT_TRUE(valueExists(HKEY_CURRENT_USER, kServices + "\\nvlddmkm\\Parameters", "TidewellMarkerDeep"));
        EXPECT_TRUE(valueExists(HKEY_LOCAL_MACHINE, kClass + "\\0000", "TidewellMarkerClass"));
    }
}

}  // namespace
