// End-to-end test driver: starts Tidewell.exe in a fresh program folder,
// drives its windows with messages and real input, answers its message boxes,
// reads back what it leaves on disk and takes screenshots.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tw::e2e {

using namespace std::chrono_literals;
using Millis = std::chrono::milliseconds;
using Texts = std::vector<std::wstring>;

std::wstring driverFile(const wchar_t* name);  // beside the driver's executable
bool fileExists(const std::wstring& path);
bool folderExists(const std::wstring& path);
bool writeFileBytes(const std::wstring& path, const std::string& bytes);
std::optional<std::string> readFileBytes(const std::wstring& path);
Texts filesIn(const std::wstring& folder, const std::wstring& pattern);
std::string utf16(const std::wstring& text);  // with a byte order mark
// Starts a program in `folder` (none: the driver's); the process handle, or nullptr.
HANDLE startProgram(const std::wstring& exe, const std::wstring& arguments, const wchar_t* folder,
                    DWORD* pid = nullptr);
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

Texts listItems(HWND list);  // of a list box or a combo box
// The mouse messages of a click (and a double-click) on a list box item.
bool clickListItem(HWND list, int index, bool twice = false);
// Selects the tree view node in the given visible row, as a click would.
void selectNode(HWND tree, int row);
// Items of a list view in report style, and how many of them are checked.
int listViewCount(HWND list);
int checkedCount(HWND list);

inline constexpr const wchar_t* kMessageBox = L"#32770";  // the window class of message boxes
bool answerMessageBox(HWND box, int buttonId);  // true once the box has closed

// Saves the window's screen image as a BMP in the artefacts folder.
void screenshot(HWND w, const std::wstring& name);

// A test with the program under test, started in a program folder of its own
// (Tidewell.exe and Languages.ini copied in) and ended when still running.
class E2eTest : public ::testing::Test {
protected:
    void SetUp() override;  // a fresh program folder; a program still running from before is ended
    void TearDown() override { end(); }
    bool start(const std::wstring& arguments = L"");
    // Writes the settings (when given), starts the program and waits for its window.
    void launch(const std::wstring& settings = L"", const std::wstring& arguments = L"");
    bool waitForExit(Millis timeout = 20s);
    std::optional<DWORD> exitCode() const;
    std::optional<std::wstring> setting(const wchar_t* section, const wchar_t* key) const;
    // The visible top-level window of the class, once it shows; none once the program has ended.
    HWND waitFor(const wchar_t* cls, Millis timeout = 10s);
    // The "Warning" question answered, after `meanwhile` has acted while it is open.
    void answerWarning(int answer, const std::function<void()>& meanwhile = {});
    // Ctrl+key on the main window, and the dialog it opens, checked by its title.
    HWND open(WORD key, const wchar_t* cls, const wchar_t* title);
    // Esc closes the dialog and gives the main window its input back.
    void closeByEsc(HWND dialog);
    void closeProgram();  // WM_CLOSE to the main window, as the user would; ends with exit code 0
    HWND ctl(int id) const { return control(main_, id); }
    std::wstring logText(const wchar_t* pattern = L"*.txt") const;  // all saved logs, each line ending in CR LF

    std::wstring folder_;  // with a trailing backslash
    HWND main_ = nullptr;

private:
    bool running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }
    void end();
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
};

}  // namespace tw::e2e
