// Shared set-up of the core tests on a real file system and registry (Wine or
// Windows): a scratch folder below %TEMP%, scratch keys below
// HKCU/HKLM\Software\TidewellTest, the restart queue put back afterwards.
// Setting-up and checking go straight to Win32, never through platform/.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace winetest {

inline constexpr const char* kScratchKey = "Software\\TidewellTest";

bool runningUnderWine();

void writeFile(const std::string& path, const std::string& bytes);
std::optional<std::string> readFile(const std::string& path);
bool fileExists(const std::string& path);
bool folderExists(const std::string& path);
void makeFolders(const std::string& path);  // with its missing parents
// Clears read-only, hidden and system attributes first; removes links as links.
void removeTree(const std::string& folder);
// Under Wine: a Unix symbolic link (made by the host's ln) at `link` to
// `target`; a link to a folder shows the attributes 0x410, as a junction.
bool makeUnixLink(const std::string& target, const std::string& link);
void removeUnixLink(const std::string& link);  // Wine's own calls cannot
std::vector<std::string> listFolder(const std::string& folder);  // sorted, no dot names

void setString(HKEY root, const std::string& path, const std::string& name, const std::string& value);
void setDword(HKEY root, const std::string& path, const std::string& name, DWORD value);
void createKey(HKEY root, const std::string& path);
bool keyExists(HKEY root, const std::string& path);
bool valueExists(HKEY root, const std::string& path, const std::string& name);
void removeKeyTree(HKEY root, const std::string& path);

// The restart queue (PendingFileRenameOperations) in order, empty strings included.
std::vector<std::string> pendingRenames();
std::string ntPath(const std::string& path);  // "C:\A" -> "\??\C:\A", as the queue keeps it
// True when the queue holds (from, to); an empty `to` is a deletion.
bool queued(const std::string& from, const std::string& to = {});

// Holds one file open for the life of the object, as a running driver
// service holds its files: it can be copied, not deleted or overwritten.
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

// The base of every test: settings off, empty run log, a progress counter, a
// fresh scratch folder `dir` (ends in "\\") and scratch keys; the restart queue put back.
class WineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    static std::vector<std::string> logLines();  // the run log as narrow text

    std::string dir;
    int steps = 0;

private:
    std::optional<std::vector<char>> savedQueue_;
    bool hadBackupRoot_ = false;
    bool hadLogFolder_ = false;
};

}  // namespace winetest
