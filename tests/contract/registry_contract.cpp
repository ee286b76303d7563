// Contract of the registry operations and the privileges around hive files.
#include "contract_support.h"

namespace {

using contract::kScratchKey;
using contract::runningUnderWine;

std::vector<std::uint8_t> sz(const std::string& text) {
    std::vector<std::uint8_t> out(text.begin(), text.end());
    out.push_back(0);
    return out;
}

class RegistryContract : public contract::ScratchKeyTest {
protected:
    std::string path(const std::string& rel) { return std::string(kScratchKey) + "\\" + rel; }
    plat::HKey create(const std::string& rel) {
        plat::HKey k = 0;
        EXPECT_EQ(plat::regCreateKey(plat::kHKeyCurrentUser, path(rel), plat::kRegOptionNonVolatile,
                                     plat::kKeyAllAccess, k),
                  plat::kOk)
            << rel;
        return k;
    }
    bool exists(const std::string& rel) {
        plat::HKey k = 0;
        if (plat::regOpenKey(plat::kHKeyCurrentUser, path(rel), plat::kKeyRead, k) != plat::kOk) return false;
        plat::regCloseKey(k);
        return true;
    }
    std::string readString(plat::HKey k, const std::string& name) {
        std::uint32_t type = 0, size = 0;
        std::vector<std::uint8_t> data;
        if (plat::regQueryValue(k, name, type, &data, size) != plat::kOk) return "<absent>";
        std::string s(data.begin(), data.end());
        return s.substr(0, s.find('\0'));
    }
};

TEST_F(RegistryContract, CreateMakesEveryMissingKeyAndOpenIgnoresCase) {
    plat::HKey deep = create("A\\B\\C");
    ASSERT_NE(deep, 0u);
    EXPECT_EQ(plat::regCloseKey(deep), plat::kOk);
    EXPECT_TRUE(exists("a\\b"));
    EXPECT_TRUE(exists("A\\b\\c"));

    plat::HKey k = 0;
    EXPECT_EQ(plat::regOpenKey(plat::kHKeyCurrentUser, "SOFTWARE\\tidewellcontracttest\\A", plat::kKeyRead, k),
              plat::kOk);
    EXPECT_EQ(plat::regCloseKey(k), plat::kOk);
    EXPECT_EQ(plat::regOpenKey(plat::kHKeyCurrentUser, path("Missing"), plat::kKeyRead, k), plat::kErrFileNotFound);
    std::string absolute = path("A");
    absolute.insert(absolute.begin(), '\\');
    EXPECT_EQ(plat::regOpenKey(plat::kHKeyCurrentUser, absolute, plat::kKeyRead, k), plat::kErrBadPathname);
    plat::regCloseKey(create("Caf\xE9"));  // accented letters fold too
    EXPECT_TRUE(exists("CAF\xC9"));
    // The 32/64-bit view bits are accepted.
    EXPECT_EQ(plat::regOpenKey(plat::kHKeyCurrentUser, path("A"), plat::kKeyRead | plat::kKeyWow64_64Key, k),
              plat::kOk);
    EXPECT_EQ(plat::regCloseKey(k), plat::kOk);
    // A path relative to an open key.
    EXPECT_EQ(plat::regOpenKey(key, "a\\B", plat::kKeyRead, k), plat::kOk);
    EXPECT_EQ(plat::regCloseKey(k), plat::kOk);
}

TEST_F(RegistryContract, TypedValuesWithSizeQueries) {
    ASSERT_EQ(plat::regSetValue(key, "ProviderName", plat::kRegSz, sz("NVIDIA Corporation")), plat::kOk);
    ASSERT_EQ(plat::regSetValue(key, "Path", plat::kRegExpandSz, sz("%SystemRoot%\\x")), plat::kOk);
    ASSERT_EQ(plat::regSetValue(key, "Start", plat::kRegDword, {3, 0, 0, 0}), plat::kOk);
    ASSERT_EQ(plat::regSetValue(key, "Blob", plat::kRegBinary, {1, 2, 3}), plat::kOk);

    std::uint32_t type = 0, size = 0;
    ASSERT_EQ(plat::regQueryValue(key, "providername", type, nullptr, size), plat::kOk);
    EXPECT_EQ(type, plat::kRegSz);
    EXPECT_EQ(size, 19u);  // the text and its terminating zero
    EXPECT_EQ(readString(key, "PROVIDERNAME"), "NVIDIA Corporation");
    EXPECT_EQ(readString(key, "Path"), "%SystemRoot%\\x");  // not expanded

    std::vector<std::uint8_t> data;
    ASSERT_EQ(plat::regQueryValue(key, "Start", type, &data, size), plat::kOk);
    EXPECT_EQ(type, plat::kRegDword);
    EXPECT_EQ(data, (std::vector<std::uint8_t>{3, 0, 0, 0}));
    EXPECT_EQ(plat::regQueryValue(key, "Blob", type, &data, size, 2), plat::kErrMoreData);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(plat::regQueryValue(key, "Blob", type, &data, size, 3), plat::kOk);
    EXPECT_EQ(data, (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(plat::regQueryValue(key, "Absent", type, nullptr, size), plat::kErrFileNotFound);
    EXPECT_EQ(plat::regQueryValue(key, "", type, nullptr, size), plat::kErrFileNotFound);  // no default value yet

    ASSERT_EQ(plat::regSetValue(key, "start", plat::kRegSz, sz("replaced")), plat::kOk);
    EXPECT_EQ(readString(key, "Start"), "replaced");
    EXPECT_EQ(plat::regDeleteValue(key, "START"), plat::kOk);
    EXPECT_EQ(plat::regDeleteValue(key, "Start"), plat::kErrFileNotFound);
}

TEST_F(RegistryContract, EnumerationIsSortedAndHonoursTheBufferSize) {
    for (const char* n : {"gamma", "Alpha", "beta"}) plat::regCloseKey(create(n));
    ASSERT_EQ(plat::regSetValue(key, "LongValueName", plat::kRegBinary, std::vector<std::uint8_t>(10, 0)), plat::kOk);

    plat::KeyInfo info;
    ASSERT_EQ(plat::regQueryInfoKey(key, info), plat::kOk);
    EXPECT_EQ(info.subKeys, 3u);
    EXPECT_EQ(info.maxSubKeyLen, 5u);  // characters, without the zero
    EXPECT_EQ(info.values, 1u);
    EXPECT_EQ(info.maxValueNameLen, 13u);
    EXPECT_EQ(info.maxValueLen, 10u);

    std::vector<std::string> got;
    std::string name;
    for (std::uint32_t i = 0; i < info.subKeys; ++i) {
        ASSERT_EQ(plat::regEnumKey(key, i, info.maxSubKeyLen + 1, name), plat::kOk);
        got.push_back(name);
    }
    EXPECT_EQ(got, (std::vector<std::string>{"Alpha", "beta", "gamma"}));
    EXPECT_EQ(plat::regEnumKey(key, 0, 5, name), plat::kErrMoreData);  // "Alpha" needs 6 with its zero
    EXPECT_EQ(plat::regEnumKey(key, 3, 256, name), plat::kErrNoMoreItems);
}

TEST_F(RegistryContract, ReadOnlyHandlesRefuseChanges) {
    ASSERT_EQ(plat::regSetValue(key, "v", plat::kRegSz, sz("x")), plat::kOk);
    plat::HKey ro = 0;
    ASSERT_EQ(plat::regOpenKey(plat::kHKeyCurrentUser, kScratchKey, plat::kKeyRead, ro), plat::kOk);
    EXPECT_EQ(plat::regSetValue(ro, "v", plat::kRegSz, sz("y")), plat::kErrAccessDenied);
    EXPECT_EQ(plat::regDeleteValue(ro, "v"), plat::kErrAccessDenied);
    EXPECT_EQ(readString(ro, "v"), "x");
    EXPECT_EQ(plat::regCloseKey(ro), plat::kOk);

    plat::HKey wo = 0;
    ASSERT_EQ(plat::regOpenKey(plat::kHKeyCurrentUser, kScratchKey, plat::kKeyWrite, wo), plat::kOk);
    std::uint32_t type = 0, size = 0;
    EXPECT_EQ(plat::regQueryValue(wo, "v", type, nullptr, size), plat::kErrAccessDenied);
    EXPECT_EQ(plat::regCloseKey(wo), plat::kOk);
}

TEST_F(RegistryContract, DeleteKeyRefusesKeysWithSubkeys) {
    plat::regCloseKey(create("Parent\\Child"));
    EXPECT_EQ(plat::regDeleteKey(key, "Parent"), plat::kErrAccessDenied);
    EXPECT_TRUE(exists("Parent\\Child"));
    EXPECT_EQ(plat::regDeleteKey(key, "parent\\CHILD"), plat::kOk);
    EXPECT_EQ(plat::regDeleteKey(key, "Parent"), plat::kOk);
    EXPECT_FALSE(exists("Parent"));
    EXPECT_EQ(plat::regDeleteKey(key, "Parent"), plat::kErrFileNotFound);
}

TEST_F(RegistryContract, AHandleToADeletedKeyReportsIt) {
    plat::HKey gone = create("Gone");
    ASSERT_EQ(plat::regDeleteKey(key, "Gone"), plat::kOk);
    std::uint32_t type = 0, size = 0;
    EXPECT_EQ(plat::regQueryValue(gone, "v", type, nullptr, size), plat::kErrKeyDeleted);
    EXPECT_EQ(plat::regCloseKey(gone), plat::kOk);
}

TEST_F(RegistryContract, ClosingAnUnknownHandleFails) {
    plat::HKey k = create("K");
    EXPECT_EQ(plat::regCloseKey(k), plat::kOk);
    EXPECT_EQ(plat::regCloseKey(k), plat::kErrInvalidHandle);
}

TEST(PrivilegeContract, TokenLookupAndAdjust) {
    plat::Handle token = 0;
    ASSERT_EQ(plat::openProcessToken(plat::kTokenAdjustPrivileges | plat::kTokenQuery, token), plat::kOk);
    EXPECT_NE(token, 0u);
    std::uint64_t backup = 0, restore = 0, unknown = 0;
    EXPECT_EQ(plat::lookupPrivilegeValue("SeBackupPrivilege", backup), plat::kOk);
    EXPECT_EQ(plat::lookupPrivilegeValue("SeRestorePrivilege", restore), plat::kOk);
    EXPECT_NE(backup, 0u);
    EXPECT_NE(backup, restore);
    EXPECT_EQ(plat::lookupPrivilegeValue("SeNoSuchThingPrivilege", unknown), plat::kErrNoSuchPrivilege);

    plat::Error last = 12345;
    EXPECT_TRUE(plat::adjustTokenPrivilege(token, backup, true, last));
    EXPECT_TRUE(last == plat::kOk || last == plat::kErrNotAllAssigned) << last;
    EXPECT_TRUE(plat::adjustTokenPrivilege(token, backup, false, last));
    EXPECT_EQ(plat::closeHandle(token), plat::kOk);
}

TEST_F(RegistryContract, SavingNeedsTheBackupPrivilegeAndAFreshFile) {
    plat::regCloseKey(create("Svc\\Enum"));
    const std::string hive = dir + "HKCU;Software;TidewellContractTest;Svc.TW";
    plat::HKey svc = 0;
    ASSERT_EQ(plat::regOpenKey(key, "Svc", plat::kKeyAllAccess, svc), plat::kOk);

    contract::setPrivilege("SeBackupPrivilege", false);
    EXPECT_EQ(plat::regSaveKey(svc, hive), plat::kErrPrivilegeNotHeld);
    EXPECT_EQ(plat::getFileAttributes(hive), plat::kInvalidAttributes);

    if (contract::setPrivilege("SeBackupPrivilege", true) != plat::kOk) {
        plat::regCloseKey(svc);
        GTEST_SKIP() << "the account does not hold SeBackupPrivilege";
    }
    EXPECT_EQ(plat::regSaveKey(svc, hive), plat::kOk);
    EXPECT_NE(plat::getFileAttributes(hive), plat::kInvalidAttributes);
    EXPECT_EQ(plat::regSaveKey(svc, dir + "nofolder\\x.TW"), plat::kErrPathNotFound);
    if (!runningUnderWine()) {  // Wine's RegSaveKey overwrites an existing file
        std::vector<std::uint8_t> before, after;
        ASSERT_EQ(plat::readFileBytes(hive, before), plat::kOk);
        EXPECT_EQ(plat::regSaveKey(svc, hive), plat::kErrAlreadyExists);
        ASSERT_EQ(plat::readFileBytes(hive, after), plat::kOk);
        EXPECT_EQ(before, after);
    }
    contract::setPrivilege("SeBackupPrivilege", false);
    plat::regCloseKey(svc);
}

TEST_F(RegistryContract, RestoringReplacesTheKeysContentWithTheHive) {
    if (runningUnderWine()) GTEST_SKIP() << "Wine's RegRestoreKey does nothing and reports success";
    plat::HKey svc = create("Svc");
    plat::HKey sub = create("Svc\\Parameters");
    ASSERT_EQ(plat::regSetValue(svc, "ImagePath", plat::kRegExpandSz, sz("system32\\drivers\\nv.sys")), plat::kOk);
    ASSERT_EQ(plat::regSetValue(sub, "Mode", plat::kRegDword, {7, 0, 0, 0}), plat::kOk);
    plat::regCloseKey(sub);
    const std::string hive = dir + "svc.TW";
    if (contract::setPrivilege("SeBackupPrivilege", true) != plat::kOk) {
        plat::regCloseKey(svc);
        GTEST_SKIP() << "the account does not hold SeBackupPrivilege";
    }
    ASSERT_EQ(plat::regSaveKey(svc, hive), plat::kOk);
    contract::setPrivilege("SeBackupPrivilege", false);

    // Change the key: a value more, a subkey less.
    ASSERT_EQ(plat::regSetValue(svc, "Stale", plat::kRegSz, sz("x")), plat::kOk);
    ASSERT_EQ(plat::regDeleteKey(svc, "Parameters"), plat::kOk);

    contract::setPrivilege("SeRestorePrivilege", false);
    EXPECT_EQ(plat::regRestoreKey(svc, hive, 0), plat::kErrPrivilegeNotHeld);
    if (contract::setPrivilege("SeRestorePrivilege", true) != plat::kOk) {
        plat::regCloseKey(svc);
        GTEST_SKIP() << "the account does not hold SeRestorePrivilege";
    }
    EXPECT_EQ(plat::regRestoreKey(svc, hive, 0), plat::kOk);
    contract::setPrivilege("SeRestorePrivilege", false);

    EXPECT_EQ(readString(svc, "ImagePath"), "system32\\drivers\\nv.sys");
    EXPECT_EQ(readString(svc, "Stale"), "<absent>");
    plat::HKey params = 0;
    ASSERT_EQ(plat::regOpenKey(svc, "Parameters", plat::kKeyRead, params), plat::kOk);
    std::uint32_t type = 0, size = 0;
    std::vector<std::uint8_t> data;
    EXPECT_EQ(plat::regQueryValue(params, "Mode", type, &data, size), plat::kOk);
    EXPECT_EQ(data, (std::vector<std::uint8_t>{7, 0, 0, 0}));
    plat::regCloseKey(params);
    plat::regCloseKey(svc);
}

}  // namespace
