// Shared set-up of the core tests on a real file system and registry (Wine or
// Windows): a scratch folder below %TEMP%, scratch keys below
// HKCU/HKLM\Software\TidewellTest, the restart queue put back afterwards.
// Setting-up and checking go straight to Win32, never through platform/.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/Application.h"
#include "engine/DeletionContext.h"
#include "log/LogUnit.h"

namespace winetest {

inline constexpr const wchar_t* kScratchKey = L"Software\\TidewellTest";

using Lines = std::vector<std::wstring>;
inline Lines sorted(Lines lines) { return std::sort(lines.begin(), lines.end()), lines; }

bool runningUnderWine();
std::wstring expand(const std::wstring& text);  // its %NAME% parts put in, each of them set

// File content as bytes, one character (below U+0100) per byte.
void writeFile(const std::wstring& path, const std::wstring& bytes);
std::optional<std::wstring> readFile(const std::wstring& path);
// The bytes of a text in UTF-16 LE, as writeFile takes them.
std::wstring utf16Bytes(const std::wstring& text);
bool fileExists(const std::wstring& path);
bool folderExists(const std::wstring& path);
void makeFolders(const std::wstring& path);  // with its missing parents
// Clears read-only, hidden and system attributes first; removes links as links.
void removeTree(const std::wstring& folder);
// Under Wine: a Unix symbolic link (made by the host's ln) at `link` to
// `target`; a link to a folder shows the attributes 0x410, as a junction.
bool makeUnixLink(const std::wstring& target, const std::wstring& link);
void removeUnixLink(const std::wstring& link);  // Wine's own calls cannot
std::vector<std::wstring> listFolder(const std::wstring& folder);  // sorted, no dot names

void setString(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& value);
void setDword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD value);
void createKey(HKEY root, const std::wstring& path);
bool keyExists(HKEY root, const std::wstring& path);
bool valueExists(HKEY root, const std::wstring& path, const std::wstring& name);
void removeKeyTree(HKEY root, const std::wstring& path);  // a link goes as a link
// A registry link at `path` to `target`, a system name ("\\REGISTRY\\MACHINE\\...").
void makeKeyLink(HKEY root, const std::wstring& path, const std::wstring& target);
// A string value of a saved hive, read with the hive loaded into a scratch key of HKEY_USERS.
std::optional<std::wstring> hiveString(const std::wstring& file, const std::wstring& subKey, const std::wstring& name);

// The restart queue (PendingFileRenameOperations) in order, empty strings included.
std::vector<std::wstring> pendingRenames();
std::wstring ntPath(const std::wstring& path);  // "C:\A" -> "\??\C:\A", as the queue keeps it
// True when the queue holds (from, to); an empty `to` is a deletion.
bool queued(const std::wstring& from, const std::wstring& to = {});

// Holds one file open for the life of the object, as a running driver
// service holds its files: it can be copied, not deleted or overwritten.
class FileHolder {
public:
    explicit FileHolder(const std::wstring& path);
    ~FileHolder();
    FileHolder(const FileHolder&) = delete;
    FileHolder& operator=(const FileHolder&) = delete;
    bool holding() const { return holding_; }

private:
    HANDLE process_ = nullptr;  // the open file
    bool holding_ = false;
};

// The main window as the core sees it: each question (kept as "title|text") takes the next answer, then IDOK.
struct RecordingHost : tw::MainView {
    explicit RecordingHost(Lines labels = {}, std::vector<int> answers = {}) : list(labels), answers(answers) {}
    tw::MemoryTargetList list;
    std::vector<int> answers;
    Lines questions;
    std::function<void()> whileAsked;
    int maximum = -1, steps = -1;  // -1 until the run sets them
    bool confirm(const tw::Question& q) override {
        if (questions.push_back(q.title + L"|" + q.text); whileAsked) whileAsked();
        return questions.size() > answers.size() || answers[questions.size() - 1] == IDOK;
    }
    bool askRestart(const tw::Question& q) override { return confirm(q); }
    bool restart() override { return tw::RebootSystem(); }
    void setProgressMax(int m) override { maximum = m; }
    void setProgressPosition(int p) override { steps = p; }
    void stepProgress() override { ++steps; }
    tw::TargetList& cleanList() override { return list; }
    void showPreview(const std::vector<tw::PreviewGroup>&) override {}
    void close() override {}
};

// The base of every test: settings off, empty run log, a deletion context
// acting on the run log with backup off and a progress counter, a fresh
// scratch folder `dir` (ends in "\\") and scratch keys; the restart queue put back.
class WineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    static std::vector<std::wstring> logLines();  // the run log

    std::wstring dir;
    int steps = 0;
    tw::DeletionContext context{tw::RunLog()};

private:
    std::optional<std::vector<char>> savedQueue_;
    bool hadBackupRoot_ = false;
    bool hadLogFolder_ = false;
};

}  // namespace winetest
