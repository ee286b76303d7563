// Windows-side end-to-end test driver: starts Tidewell.exe in a fresh program
// folder, drives its windows with messages and input, answers its message
// boxes, and reads back the settings file and screenshots.
#pragma once

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace tw::e2e {

using namespace std::chrono_literals;
using Millis = std::chrono::milliseconds;

// How long the driver waits for a window or a process by default.
inline constexpr Millis kDefaultTimeout = 20s;

// ---- small owners --------------------------------------------------------

// Owns a kernel handle (process, thread, file); closes it on destruction.
class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    Handle(Handle&& o) noexcept : h_(o.release()) {}
    Handle& operator=(Handle&& o) noexcept;
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { reset(); }
    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    HANDLE release();
    void reset(HANDLE h = nullptr);

private:
    HANDLE h_ = nullptr;
};

// ---- paths and files -----------------------------------------------------

// Folder of the running driver executable, with a trailing backslash.
std::wstring driverFolder();
// The program under test: TW_EXE, or ..\app\Tidewell.exe beside the driver.
std::wstring tidewellExe();
// The language file copied into every program folder: TW_LANGUAGES, or
// Languages.ini beside the program under test, or the source tree's copy.
std::wstring languagesFile();
// Where screenshots go: TW_ARTIFACTS, or "artifacts" beside the driver.
// Created when missing; with a trailing backslash.
std::wstring artifactsFolder();

std::wstring environment(const wchar_t* name);
bool fileExists(const std::wstring& path);    // a file, not a folder
bool folderExists(const std::wstring& path);
bool writeFileBytes(const std::wstring& path, const std::string& bytes);
std::optional<std::string> readFileBytes(const std::wstring& path);
// Names of the files in a folder that match a wildcard pattern.
std::vector<std::wstring> filesIn(const std::wstring& folder, const std::wstring& pattern);
// The text of UTF-16 LE bytes, with the byte order mark (when present) dropped.
std::wstring fromUtf16(const std::string& bytes);
// Text as a UTF-16 LE file with a byte order mark (the form Windows INI
// functions read as Unicode).
std::string utf16WithBom(const std::wstring& text);
// Text in the ANSI code page, no byte order mark.
std::string ansiBytes(const std::wstring& text);

// Reads one INI value with GetPrivateProfileStringW; nullopt when the key
// (or the file) is missing.
std::optional<std::wstring> readIni(const std::wstring& file, const std::wstring& section,
                                    const std::wstring& key);

// ---- the program under test ---------------------------------------------

// One Tidewell process in its own program folder. The folder is made fresh
// under the temp folder and receives Tidewell.exe and Languages.ini; the
// settings and language files may be replaced before start. The destructor
// ends a process that is still running. `program` is the executable copied
// in as Tidewell.exe (the driver's own tests use a stand-in).
class TidewellProcess {
public:
    explicit TidewellProcess(const std::wstring& name, const std::wstring& program = tidewellExe());
    ~TidewellProcess();
    TidewellProcess(const TidewellProcess&) = delete;
    TidewellProcess& operator=(const TidewellProcess&) = delete;

    // Program folder with a trailing backslash.
    const std::wstring& folder() const { return folder_; }
    std::wstring exePath() const { return folder_ + L"Tidewell.exe"; }
    std::wstring settingsPath() const { return folder_ + L"Tidewell.ini"; }
    std::wstring languagePath() const { return folder_ + L"Languages.ini"; }

    // Replace the settings or language file (raw bytes, or text in an encoding).
    bool writeSettingsBytes(const std::string& bytes);
    bool writeSettingsUtf16(const std::wstring& text) { return writeSettingsBytes(utf16WithBom(text)); }
    bool writeSettingsAnsi(const std::wstring& text) { return writeSettingsBytes(ansiBytes(text)); }
    bool writeLanguageBytes(const std::string& bytes);
    bool removeLanguageFile();

    // Starts the program with the argument text (already quoted as needed);
    // a show state (SW_SHOWMINNOACTIVE, ...) is passed as a shortcut would.
    bool start(const std::wstring& arguments = L"", int showState = -1);
    // The visible main window of this process, once it appears; null when it
    // does not appear in time or the process ends first.
    HWND waitForMainWindow(Millis timeout = kDefaultTimeout);
    HWND mainWindow() const { return main_; }

    bool running() const;
    bool waitForExit(Millis timeout = kDefaultTimeout);
    // Exit code once ended; nullopt while running or never started.
    std::optional<DWORD> exitCode() const;
    DWORD pid() const { return pid_; }
    // Asks the main window to close (WM_CLOSE), as the user would.
    bool close(Millis timeout = kDefaultTimeout);
    // Ends the process at once.
    void terminate();

    // Reads a settings value after (or during) the run.
    std::optional<std::wstring> setting(const std::wstring& section, const std::wstring& key) const;

private:
    std::wstring folder_;
    Handle process_;
    DWORD pid_ = 0;
    HWND main_ = nullptr;
};

// ---- windows -------------------------------------------------------------

// Top-level windows of a process with the given class (any class when null).
std::vector<HWND> topLevelWindows(DWORD pid, const wchar_t* className = nullptr,
                                  bool visibleOnly = true);
// Polls until `find` returns a window or the timeout passes.
template <class F>
HWND waitForWindow(F find, Millis timeout = kDefaultTimeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (HWND w = find()) return w;
        if (std::chrono::steady_clock::now() >= end) return nullptr;
        Sleep(50);
    }
}

HWND control(HWND parent, int id);
std::wstring className(HWND w);
std::wstring windowText(HWND w);
bool isEnabled(HWND w);
bool isVisible(HWND w);

// List boxes.
std::vector<std::wstring> listItems(HWND list);
int listSelection(HWND list);  // LB_ERR (-1) when none
bool selectListItem(HWND list, int index);
// Selects the item, then posts the mouse messages of a double-click at its
// centre (the list box reports LBN_DBLCLK to its parent); returns once the
// program has handled them.
bool doubleClickListItem(HWND list, int index);

// Buttons: sent click returns after the handler ran; posted click returns at
// once (use it when the click opens a modal loop or message box).
void click(HWND button);
void postClick(HWND button);

// Waits until the target thread takes a sent message (WM_NULL). Sent
// messages are handled before posted ones, so this alone does not show that
// posted messages were handled: use settle() after posting.
bool sync(HWND w, Millis timeout = 5s);
// Lets the program work off what was posted to it: sync, a short pause, sync.
bool settle(HWND w);

// Keys. Posted keys go to one window through the program's message loop, so
// a key preview in the loop sees them; they do not change the keyboard state
// (GetKeyState), so modifier combinations need real input.
void postKey(HWND target, WORD vk, wchar_t ch = 0);
// Real input through SendInput after bringing `top` to the foreground and
// focusing `focus` (when given); modifiers are pressed around the key.
bool sendKey(HWND top, HWND focus, WORD vk, bool ctrl = false);

// Message boxes ("#32770" dialogs) of a process.
struct MessageBoxInfo {
    HWND hwnd = nullptr;
    std::wstring caption;
    std::wstring text;
};
std::vector<MessageBoxInfo> messageBoxes(DWORD pid);
std::optional<MessageBoxInfo> waitForMessageBox(DWORD pid, Millis timeout = kDefaultTimeout);
// Presses a button of the box by id (IDOK, IDCANCEL, ...).
bool answerMessageBox(HWND box, int buttonId);

// Saves the window's screen image as a 24-bit BMP in the artefacts folder;
// returns the file path (empty on failure).
std::wstring screenshot(HWND w, const std::wstring& name);

}  // namespace tw::e2e
