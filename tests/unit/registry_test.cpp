// The registry object against the fake registry: the path rule, reads and
// their errors, tree deletion, hive save and restore with their privileges.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/RegistrySelf.h"
#include "engine_fixture.h"

namespace {

using enginetest::kCU;
using enginetest::kLM;
using tw::TRegistrySelf;

class RegistrySelfTest : public enginetest::EngineTest {};

TEST_F(RegistrySelfTest, OpenKeyFollowsThePathRule) {
    fake::addKey(kLM, "Software\\Vendor\\Tool\\Sub");
    fake::addKey(kLM, "Software\\Other");
    TRegistrySelf reg;
    EXPECT_EQ(reg.RootKey(), kCU);
    reg.SetRootKey(kLM);

    ASSERT_TRUE(reg.OpenKey("Software\\Vendor", false));
    EXPECT_EQ(reg.CurrentPath(), "Software\\Vendor");
    // Relative while a key is open: below the open key, paths joined.
    ASSERT_TRUE(reg.OpenKey("Tool", false));
    EXPECT_EQ(reg.CurrentPath(), "Software\\Vendor\\Tool");
    // Absolute: below the root again.
    ASSERT_TRUE(reg.OpenKey("\\Software\\Other", false));
    EXPECT_EQ(reg.CurrentPath(), "Software\\Other");
    // "Sub" is not below Software\Other: nothing changes on failure.
    EXPECT_FALSE(reg.OpenKey("Sub", false));
    EXPECT_EQ(reg.CurrentPath(), "Software\\Other");
    EXPECT_NE(reg.CurrentKey(), 0u);
    // Opening never creates.
    EXPECT_FALSE(reg.OpenKey("\\Software\\Missing", false));
    EXPECT_FALSE(fake::keyExists(kLM, "Software\\Missing"));

    reg.CloseKey();
    EXPECT_EQ(reg.CurrentKey(), 0u);
    EXPECT_EQ(reg.CurrentPath(), "");
}

TEST_F(RegistrySelfTest, ChangingTheRootClosesTheOpenKey) {
    fake::addKey(kCU, "Software\\A");
    fake::addKey(kLM, "Software\\A\\OnlyInLM");
    TRegistrySelf reg;
    ASSERT_TRUE(reg.OpenKey("Software\\A", false));
    EXPECT_EQ(fake::openKeyCount(), 1);
    reg.SetRootKey(kLM);
    EXPECT_EQ(reg.CurrentKey(), 0u);
    EXPECT_EQ(fake::openKeyCount(), 0);
    // With no key open a relative path is taken below the new root.
    EXPECT_TRUE(reg.KeyExists("Software\\A\\OnlyInLM"));
}

TEST_F(RegistrySelfTest, KeyExistsOpensForReadingOnlyAndKeepsAccess) {
    fake::addKey(kLM, "Software\\Locked");
    fake::setKeyReadOnly(kLM, "Software\\Locked");
    TRegistrySelf reg;
    reg.SetRootKey(kLM);
    reg.Access = plat::kKeyAllAccess | plat::kKeyWow64_64Key;
    // A full-access open of that key is refused ...
    EXPECT_EQ(reg.GetKey("Software\\Locked"), 0u);
    // ... while the existence test reads it.
    EXPECT_TRUE(reg.KeyExists("Software\\Locked"));
    EXPECT_EQ(reg.Access, plat::kKeyAllAccess | plat::kKeyWow64_64Key);
    EXPECT_FALSE(reg.KeyExists("Software\\Nothing"));
    EXPECT_EQ(fake::openKeyCount(), 0);
}

TEST_F(RegistrySelfTest, KeyNamesAndDoubleByteLengths) {
    fake::addKey(kLM, "Software\\Parent\\alpha");
    fake::addKey(kLM, "Software\\Parent\\a-much-longer-name");
    fake::setString(kLM, "Software\\Parent", "Value", "x");
    TRegistrySelf reg;
    reg.SetRootKey(kLM);
    ASSERT_TRUE(reg.OpenKey("Software\\Parent", false));
    std::vector<std::string> names{"stale"};
    reg.GetKeyNames(names);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a-much-longer-name", "alpha"}));

    tw::TRegKeyInfo info;
    ASSERT_TRUE(reg.GetKeyInfo(info));
    EXPECT_EQ(info.NumSubKeys, 2u);
    EXPECT_EQ(info.NumValues, 1u);
    const auto singleByte = info.MaxSubKeyLen;
    const auto singleByteValue = info.MaxValueLen;
    fake::setDbcs(true);
    ASSERT_TRUE(reg.GetKeyInfo(info));
    EXPECT_EQ(info.MaxSubKeyLen, singleByte * 2);
    EXPECT_EQ(info.MaxValueLen, singleByteValue * 2);

    reg.CloseKey();
    EXPECT_FALSE(reg.GetKeyInfo(info));
    reg.GetKeyNames(names);
    EXPECT_TRUE(names.empty());
}

TEST_F(RegistrySelfTest, ReadStringKindsAndErrors) {
    const std::string key = "System\\Class\\0000";
    fake::setString(kLM, key, "ProviderName", "NVIDIA Corporation");
    fake::setString(kLM, key, "Path", "%SystemRoot%\\system32", plat::kRegExpandSz);
    fake::setString(kLM, key, "Empty", "");
    fake::setDword(kLM, key, "Count", 7);
    TRegistrySelf reg;
    reg.SetRootKey(kLM);
    // No key open: empty, no error.
    EXPECT_EQ(reg.ReadString("ProviderName"), "");
    ASSERT_TRUE(reg.OpenKey(key, false));
    EXPECT_EQ(reg.ReadString("ProviderName"), "NVIDIA Corporation");
    EXPECT_EQ(reg.ReadString("Path"), "%SystemRoot%\\system32");
    EXPECT_EQ(reg.ReadString("Empty"), "");
    EXPECT_EQ(reg.ReadString("Absent"), "");
    EXPECT_TRUE(reg.ValueExists("Count"));
    EXPECT_FALSE(reg.ValueExists("Absent"));

    try {
        reg.ReadString("Count");
        FAIL() << "a DWORD read as text must raise";
    } catch (const tw::AppError& e) {
        EXPECT_NE(dynamic_cast<const tw::ERegistryException*>(&e), nullptr);
        EXPECT_EQ(e.message(), L"Invalid data type for 'Count'");
    }

    tw::TRegDataInfo info;
    ASSERT_TRUE(reg.GetDataInfo("Count", info));
    EXPECT_EQ(info.RegData, tw::TRegDataType::rdInteger);
    EXPECT_EQ(info.DataSize, 4u);
    std::vector<std::uint8_t> buffer;
    tw::TRegDataType type;
    EXPECT_EQ(reg.GetData("Count", buffer, 4, type), 4u);
    EXPECT_EQ(buffer.at(0), 7);
    try {
        reg.GetData("Absent", buffer, 4, type);
        FAIL() << "reading an absent value must raise";
    } catch (const tw::ERegistryException& e) {
        EXPECT_EQ(e.message(), L"Failed to get data for 'Absent'");
    }
}

TEST_F(RegistrySelfTest, DeleteKeyRemovesNestedTrees) {
    fake::addKey(kLM, "Software\\Keep");
    fake::addKey(kLM, "Software\\Drop\\A\\A1\\A11");
    fake::addKey(kLM, "Software\\Drop\\A\\A2");
    fake::addKey(kLM, "Software\\Drop\\B");
    fake::setString(kLM, "Software\\Drop\\A\\A1", "v", "x");
    TRegistrySelf reg;
    reg.SetRootKey(kLM);
    ASSERT_TRUE(reg.OpenKey("Software", false));
    EXPECT_TRUE(reg.DeleteKey("Drop"));
    EXPECT_FALSE(fake::keyExists(kLM, "Software\\Drop"));
    EXPECT_TRUE(fake::keyExists(kLM, "Software\\Keep"));
    // The open key is still the one that was open.
    EXPECT_EQ(reg.CurrentPath(), "Software");
    EXPECT_TRUE(reg.KeyExists("Keep"));
    EXPECT_FALSE(reg.DeleteKey("Drop"));
    EXPECT_FALSE(reg.DeleteKey("\\Software\\Nothing"));
}

TEST_F(RegistrySelfTest, DeleteKeyFailsWhenPartOfTheTreeIsRefused) {
    fake::addKey(kLM, "Software\\Drop\\Free");
    fake::addKey(kLM, "Software\\Drop\\Guarded\\Inner");
    fake::setKeyReadOnly(kLM, "Software\\Drop\\Guarded\\Inner");
    TRegistrySelf reg;
    reg.SetRootKey(kLM);
    EXPECT_FALSE(reg.DeleteKey("\\Software\\Drop"));
    EXPECT_TRUE(fake::keyExists(kLM, "Software\\Drop\\Guarded\\Inner"));
    EXPECT_FALSE(fake::keyExists(kLM, "Software\\Drop\\Free"));
}

TEST_F(RegistrySelfTest, SaveKeyHoldsTheBackupPrivilegeOnlyAroundTheCall) {
    fake::setString(kLM, "Software\\Vendor\\Key", "v", "data");
    fake::addFolder("C:\\Hives");
    TRegistrySelf reg;
    reg.SetRootKey(kLM);
    ASSERT_TRUE(reg.OpenKey("Software\\Vendor", false));
    EXPECT_TRUE(reg.SaveKey("Key", "C:\\Hives\\key.TW"));
    EXPECT_TRUE(fake::exists("C:\\Hives\\key.TW"));
    EXPECT_FALSE(fake::privilegeEnabled("SeBackupPrivilege"));
    EXPECT_EQ(fake::privilegeLog(), (std::vector<std::string>{"+SeBackupPrivilege", "-SeBackupPrivilege"}));

    // An existing file is not overwritten, and the privilege is still dropped.
    const auto before = fake::contentBytes("C:\\Hives\\key.TW");
    fake::setString(kLM, "Software\\Vendor\\Key", "v", "changed");
    EXPECT_FALSE(reg.SaveKey("Key", "C:\\Hives\\key.TW"));
    EXPECT_EQ(fake::contentBytes("C:\\Hives\\key.TW"), before);
    EXPECT_FALSE(fake::privilegeEnabled("SeBackupPrivilege"));

    // A missing key writes nothing.
    EXPECT_FALSE(reg.SaveKey("Missing", "C:\\Hives\\missing.TW"));
    EXPECT_FALSE(fake::exists("C:\\Hives\\missing.TW"));

    // An account without the privilege cannot save.
    fake::setPrivilegeHeld("SeBackupPrivilege", false);
    EXPECT_FALSE(reg.SaveKey("Key", "C:\\Hives\\other.TW"));
    EXPECT_FALSE(fake::exists("C:\\Hives\\other.TW"));
    EXPECT_EQ(fake::openHandleCount(), 0);
}

TEST_F(RegistrySelfTest, RestoreKeyRecreatesUnderItsRoot) {
    fake::setString(kCU, "Software\\Vendor\\Prefs", "Colour", "blue");
    fake::setDword(kCU, "Software\\Vendor\\Prefs\\Inner", "n", 3);
    fake::addFolder("C:\\Hives");
    {
        TRegistrySelf reg;
        ASSERT_TRUE(reg.SaveKey("Software\\Vendor\\Prefs", "C:\\Hives\\prefs.TW"));
        ASSERT_TRUE(reg.DeleteKey("Software\\Vendor\\Prefs"));
    }
    ASSERT_FALSE(fake::keyExists(kCU, "Software\\Vendor\\Prefs"));
    fake::addKey(kLM, "Software\\Vendor");
    {
        TRegistrySelf reg;
        reg.SetRootKey(kCU);
        EXPECT_TRUE(reg.RestoreKey("Software\\Vendor\\Prefs", "C:\\Hives\\prefs.TW"));
    }
    EXPECT_EQ(fake::stringValue(kCU, "Software\\Vendor\\Prefs", "Colour"), std::optional<std::string>("blue"));
    EXPECT_TRUE(fake::keyExists(kCU, "Software\\Vendor\\Prefs\\Inner"));
    EXPECT_FALSE(fake::keyExists(kLM, "Software\\Vendor\\Prefs"));
    EXPECT_FALSE(fake::privilegeEnabled("SeRestorePrivilege"));

    // Without the restore privilege nothing is restored.
    fake::setPrivilegeHeld("SeRestorePrivilege", false);
    TRegistrySelf reg;
    reg.SetRootKey(kLM);
    EXPECT_FALSE(reg.RestoreKey("Software\\Vendor\\Prefs2", "C:\\Hives\\prefs.TW"));
    EXPECT_FALSE(fake::stringValue(kLM, "Software\\Vendor\\Prefs2", "Colour").has_value());
    EXPECT_FALSE(fake::privilegeEnabled("SeRestorePrivilege"));
}

}  // namespace
