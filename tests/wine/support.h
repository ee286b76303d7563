// Shared set-up of the engine tests that run on a real Windows file system
// and registry (under Wine, or on Windows itself). Each test works in a
// scratch folder below %TEMP% and in scratch keys below
// HKCU\Software\TidewellTest and HKLM\Software\TidewellTest; it
// removes them afterwards and puts the restart queue back as it found it.
//
// Setting-up and checking go straight to Win32, never through platform/, so
// a fault of the platform layer cannot hide itself.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace winetest {

inline constexpr const char* kScratchKey = "Software\\TidewellTest";

// True under Wine (ntdll exports wine_get_version).
bool runningUnderWine();

// ---- files ----
void writeFile(const std::string& path, const std::string& bytes);
std::optional<std::string> readFile(const std::string& path);
bool fileExists(const std::string& path);
bool folderExists(const std::string& path);
// Creates a folder and its missing parents.
void makeFolders(const std::string& path);
// Removes a folder tree, clearing read-only, hidden and system attributes first.
void removeTree(const std::string& folder);
// Under Wine: a Unix symbolic link at `link` leading to `target` (both
// Windows paths), made by the host's ln. Wine shows a link to a folder with
// the attributes 0x410, which stands in for a junction. False elsewhere.
bool makeUnixLink(const std::string& target, const std::string& link);
// Removes such a link (Wine's own calls cannot).
void removeUnixLink(const std::string& link);
// Names in a folder ("." and ".." left out), sorted.
std::vector<std::string> listFolder(const std::string& folder);

// ---- registry ----
void setString(HKEY root, const std::string& path, const std::string& name, const std::string& value);
void setDword(HKEY root, const std::string& path, const std::string& name, DWORD value);
void createKey(HKEY root, const std::string& path);
bool keyExists(HKEY root, const std::string& path);
bool valueExists(HKEY root, const std::string& path, const std::string& name);
void removeKeyTree(HKEY root, const std::string& path);

// ---- the restart queue ----
// The strings of PendingFileRenameOperations (REG_MULTI_SZ under
// HKLM\System\CurrentControlSet\Control\Session Manager), in order, empty
// strings included: pairs of source and target.
std::vector<std::string> pendingRenames();
// "C:\A\b.dll" -> "\??\C:\A\b.dll", the form the queue keeps.
std::string ntPath(const std::string& path);
// True when the queue holds the pair (from, to) in the kernel's form; an
// empty `to` is a deletion.
bool queued(const std::string& from, const std::string& to = {});

// Holds one file open for the life of the object, as a running driver
// service holds its files: it can be copied, not deleted, renamed or overwritten.
class FileHolder {
public:
    explicit FileHolder(const std::string& path);
    ~FileHolder();
    FileHolder(const FileHolder&) = delete;
    FileHolder& operator=(const FileHolder&) = delete;
    bool holding() const { return holding_; }

private:
    HANDLE process_ = nullptr;  // the open file
    bool holding_ = false;
};

// The base of every test here: settings off, empty run log, a progress
// counter, a fresh scratch folder `dir` (with trailing backslash), fresh
// scratch keys, and the restart queue and the program's Backup and Logs
// folders restored or removed afterwards.
class WineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The run log as narrow text, in order.
    static std::vector<std::string> logLines();

    std::string dir;
    int steps = 0;

private:
    std::optional<std::vector<char>> savedQueue_;
    bool hadBackupRoot_ = false;
    bool hadLogFolder_ = false;
};

}  // namespace winetest
