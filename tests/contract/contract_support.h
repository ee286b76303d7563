// Helpers of the platform contract tests. The tests are written against
// platform/platform.h only, so the same sources run against the in-memory
// Windows (natively) and against the Win32 implementation (under Wine or
// Windows). They work in a scratch folder below TEMP and a scratch key below
// HKEY_CURRENT_USER, which they create and remove.
#pragma once

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace contract {

// True when the tests run under Wine (ntdll exports wine_get_version).
// Where Wine departs from Windows a test says so and skips that assertion.
bool runningUnderWine();

// The scratch folder, with its trailing backslash.
std::string scratchFolder();
inline constexpr const char* kScratchKey = "Software\\TidewellContractTest";

// Removes a folder tree through the plain operations (read-only files included).
void removeTree(const std::string& folderWithBackslash);
// Deletes a key tree below HKEY_CURRENT_USER through the plain operations.
void removeKeyTree(plat::HKey root, const std::string& path);

std::vector<std::uint8_t> bytes(const std::string& text);
// UTF-16 LE bytes with a byte order mark (characters of the basic plane).
std::vector<std::uint8_t> utf16WithBom(const std::wstring& text);

// Names of find results, in the order returned and as a set.
std::vector<std::string> names(const std::vector<plat::FindData>& entries);
std::set<std::string> nameSet(const std::vector<plat::FindData>& entries);

// A test that owns an empty scratch folder.
class ScratchFolderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string dir;  // scratch folder with trailing backslash
    void write(const std::string& name, const std::string& content);
};

// A test that owns an empty scratch key below HKEY_CURRENT_USER, open in key.
class ScratchKeyTest : public ScratchFolderTest {
protected:
    void SetUp() override;
    void TearDown() override;
    plat::HKey key = 0;
};

// Enables (or disables) a privilege of the process; the error AdjustTokenPrivileges
// left (kOk, or kErrNotAllAssigned when the account does not hold it).
plat::Error setPrivilege(const std::string& name, bool enable);

}  // namespace contract
