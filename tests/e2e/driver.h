// End-to-end test driver: starts Tidewell.exe in a fresh program folder,
// drives its windows with messages and real input, answers its message boxes,
// reads back what it leaves on disk and takes screenshots.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tw::e2e {

using namespace std::chrono_literals;
using Millis = std::chrono::milliseconds;
using Texts = std::vector<std::wstring>;

std::wstring environment(const wchar_t* name);
std::wstring driverFile(const wchar_t* name);  // beside the driver's executable
bool fileExists(const std::wstring& path);
bool folderExists(const std::wstring& path);
bool writeFileBytes(const std::wstring& path, const std::string& bytes);
std::optional<std::string> readFileBytes(const std::wstring& path);
Texts filesIn(const std::wstring& folder, const std::wstring& pattern);
std::wstring fromUtf16(const std::string& bytes);  // the byte order mark dropped
std::string utf16(const std::wstring& text);       // with a byte order mark
std::optional<std::wstring> readIni(const std::wstring& file, const wchar_t* section, const wchar_t* key);
// A file in System32\drivers that the mouse target's pattern matches.
std::wstring mouseLeftover(const wchar_t* tag);

// Polls until `find` returns a window or the time-out passes.
template <class F>
HWND waitForWindow(F find, Millis timeout = 20s) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (HWND w = find()) return w;
        if (std::chrono::steady_clock::now() >= end) return nullptr;
        Sleep(50);
    }
}

std::vector<HWND> topLevelWindows(DWORD pid, const wchar_t* cls, bool visibleOnly = true);
inline HWND control(HWND parent, int id) { return GetDlgItem(parent, id); }
std::wstring windowText(HWND w);
inline bool isVisible(HWND w) { return w && IsWindowVisible(w); }
inline bool isEnabled(HWND w) { return w && IsWindowEnabled(w); }
inline void click(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }
inline void postClick(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }
inline LRESULT check(HWND box) { return SendMessageW(box, BM_GETCHECK, 0, 0); }
// Lets the program work off what was posted to it.
bool settle(HWND w);
// Real key input to `top` brought to the front, with Ctrl held when asked.
bool sendKey(HWND top, WORD vk, bool ctrl = false);

Texts listItems(HWND list);
// The mouse messages of a click (and a double-click) on a list box item.
bool clickListItem(HWND list, int index, bool twice = false);
// Selects the tree view node in the given visible row, as a click would.
void selectNode(HWND tree, int row);
// Items of a list view in report style, and how many of them are checked.
int listViewCount(HWND list);
int checkedCount(HWND list);

struct MessageBoxInfo {
    HWND hwnd = nullptr;
    std::wstring caption, text;
};
std::vector<MessageBoxInfo> messageBoxes(DWORD pid);
std::optional<MessageBoxInfo> waitForMessageBox(DWORD pid, Millis timeout = 20s);
bool answerMessageBox(HWND box, int buttonId);

// Saves the window's screen image as a BMP in the artefacts folder.
bool screenshot(HWND w, const std::wstring& name);

// One Tidewell process in its own program folder (Tidewell.exe and
// Languages.ini copied in); the destructor ends it when still running.
class TidewellProcess {
public:
    explicit TidewellProcess(const std::wstring& name);
    ~TidewellProcess();
    TidewellProcess(const TidewellProcess&) = delete;
    TidewellProcess& operator=(const TidewellProcess&) = delete;

    const std::wstring& folder() const { return folder_; }  // with a trailing backslash
    bool writeSettings(const std::wstring& text) { return writeFileBytes(folder_ + L"Tidewell.ini", utf16(text)); }
    std::optional<std::wstring> setting(const wchar_t* section, const wchar_t* key) const {
        return readIni(folder_ + L"Tidewell.ini", section, key);
    }
    bool start(const std::wstring& arguments = L"", int showState = -1);
    HWND waitForMainWindow(Millis timeout = 20s);
    bool waitForExit(Millis timeout = 20s);
    std::optional<DWORD> exitCode() const;
    bool running() const;
    bool close();  // WM_CLOSE to the main window, as the user would
    DWORD pid() const { return pid_; }

private:
    std::wstring folder_;
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
    HWND main_ = nullptr;
};

// A test with the program under test and its main window at hand.
class E2eTest : public ::testing::Test {
protected:
    void SetUp() override;
    // Writes the settings (when given), starts the program and waits for its window.
    void launch(const std::wstring& settings = L"", const std::wstring& arguments = L"");
    // The visible top-level window of the class, once it shows.
    HWND waitFor(const wchar_t* cls, Millis timeout = 10s);
    // Ctrl+key on the main window, and the dialog it opens.
    HWND open(WORD key, const wchar_t* cls);
    // Esc closes the dialog and gives the main window its input back.
    void closeByEsc(HWND dialog);
    void closeProgram();  // ends with exit code 0
    HWND ctl(int id) const { return control(main_, id); }
    Texts logLines(const wchar_t* pattern = L"*.txt") const;  // all saved logs' lines

    std::unique_ptr<TidewellProcess> proc_;
    HWND main_ = nullptr;
};

}  // namespace tw::e2e
