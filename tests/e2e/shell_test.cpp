// End-to-end tests of the main window's shell: the shortcuts and tool
// buttons that open the dialogs, minimizing with and without the tray icon,
// the help file, ending the program, and the menus in two languages.
#include "driver.h"

#include "app/win/TWFormRes.h"
#include "options/win/OptionsFormRes.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <tlhelp32.h>
#include <wchar.h>

namespace tw::e2e {
namespace {

std::wstring testName() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string n = std::string(info->test_suite_name()) + "-" + info->name();
    return std::wstring(n.begin(), n.end());
}

// Processes started by the process `parent`, as (pid, exe name).
std::vector<std::pair<DWORD, std::wstring>> childProcesses(DWORD parent) {
    std::vector<std::pair<DWORD, std::wstring>> children;
    Handle snap(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snap) return children;
    PROCESSENTRY32W e{};
    e.dwSize = sizeof(e);
    for (BOOL ok = Process32FirstW(snap.get(), &e); ok; ok = Process32NextW(snap.get(), &e))
        if (e.th32ParentProcessID == parent && e.th32ProcessID != parent)
            children.emplace_back(e.th32ProcessID, e.szExeFile);
    return children;
}

void endProcess(DWORD pid) {
    Handle h(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
    if (!h) return;
    TerminateProcess(h.get(), 1);
    WaitForSingleObject(h.get(), 5000);
}

// A dialog and the ways to open it.
struct DialogCase {
    const char* name;
    const wchar_t* windowClass;
    WORD shortcut;     // with Ctrl
    int toolButton;    // index on the tool bar, -1 for none
};

const DialogCase kDialogs[] = {
    {"Log", TW_CLASS_LOG, 'L', 1},
    {"Backup", TW_CLASS_BACKUP, 'B', 2},
    {"Options", TW_CLASS_OPTIONS, 'O', 3},
    {"DesktopIcon", TW_CLASS_DESKTOP, 'D', 4},
    {"About", TW_CLASS_ABOUT, 'A', -1},
};

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fileExists(tidewellExe())) FAIL() << "program under test missing; set TW_EXE";
        proc_ = std::make_unique<TidewellProcess>(testName());
    }

    void launch() {
        ASSERT_TRUE(proc_->start()) << "could not start the program";
        main_ = proc_->waitForMainWindow();
        ASSERT_NE(main_, nullptr) << "main window did not appear";
        ASSERT_TRUE(settle(main_));
    }

    void useTray(bool on) {
        ASSERT_TRUE(proc_->writeSettingsAnsi(on ? L"[SystemTray]\r\nEnabled=1\r\n"
                                                : L"[SystemTray]\r\nEnabled=0\r\n"));
    }

    // The visible dialog of the given class, once it shows.
    HWND waitForDialog(const wchar_t* cls, Millis timeout = 10s) {
        return waitForWindow(
            [&]() -> HWND {
                auto found = topLevelWindows(proc_->pid(), cls, true);
                return found.empty() ? nullptr : found.front();
            },
            timeout);
    }

    // Esc closes the dialog and gives the main window back its input.
    void closeByEsc(HWND dialog, const char* name) {
        ASSERT_TRUE(sendKey(dialog, nullptr, VK_ESCAPE)) << name << ": could not reach the dialog";
        const bool hidden = waitForWindow([&]() -> HWND { return isVisible(dialog) ? nullptr : dialog; }, 5s);
        EXPECT_TRUE(hidden) << name << ": Esc did not close the dialog";
        EXPECT_TRUE(IsWindow(dialog)) << name << ": the dialog must live until the program ends";
        settle(main_);
        EXPECT_TRUE(isEnabled(main_)) << name << ": the main window stays disabled after closing";
    }

    // Presses tool button `index` with the mouse messages of a click.
    void clickToolButton(int index) {
        HWND bar = control(main_, IDC_TOOLBAR);
        ASSERT_NE(bar, nullptr);
        ASSERT_GT(SendMessageW(bar, TB_BUTTONCOUNT, 0, 0), index);
        const LRESULT size = SendMessageW(bar, TB_GETBUTTONSIZE, 0, 0);
        const int w = LOWORD(size), h = HIWORD(size);
        const LPARAM at = MAKELPARAM(index * w + w / 2, h / 2);
        PostMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(bar, WM_LBUTTONUP, 0, at);
    }

    // Opens the main menu's second title (Tools) with the keyboard.
    bool openToolsMenu() {
        if (!sendKey(main_, nullptr, VK_F10) || !sendKey(main_, nullptr, VK_DOWN) ||
            !sendKey(main_, nullptr, VK_RIGHT))
            return false;
        return waitForWindow([&]() -> HWND {
                   auto menus = topLevelWindows(proc_->pid(), L"#32768", true);
                   return menus.empty() ? nullptr : menus.front();
               }, 5s) != nullptr;
    }

    void closeMenus() {
        for (int i = 0; i < 3 && !topLevelWindows(proc_->pid(), L"#32768", true).empty(); ++i)
            sendKey(main_, nullptr, VK_ESCAPE);
    }

    void expectMinimizedOnTaskbar(const char* how) {
        EXPECT_TRUE(IsIconic(main_)) << how << ": not minimized";
        EXPECT_TRUE(isVisible(main_)) << how << ": hidden although the tray is off";
        EXPECT_TRUE(GetWindowLongW(main_, GWL_EXSTYLE) & WS_EX_APPWINDOW)
            << how << ": the window has no taskbar button of its own";
    }

    std::unique_ptr<TidewellProcess> proc_;
    HWND main_ = nullptr;
};

// ---- dialogs ----------------------------------------------------------------

TEST_F(ShellTest, EachDialogOpensByItsShortcutModallyAndClosesByEsc) {
    launch();
    for (const DialogCase& d : kDialogs) {
        ASSERT_TRUE(sendKey(main_, nullptr, d.shortcut, true)) << d.name << ": main window not in front";
        HWND dialog = waitForDialog(d.windowClass);
        ASSERT_NE(dialog, nullptr) << "Ctrl+" << static_cast<char>(d.shortcut) << " did not open " << d.name;
        EXPECT_FALSE(isEnabled(main_)) << d.name << " is not modal";
        EXPECT_EQ(topLevelWindows(proc_->pid(), d.windowClass, true).size(), 1u);
        closeByEsc(dialog, d.name);
    }
    // Every dialog is closed again and nothing else was opened on the way.
    for (const DialogCase& d : kDialogs)
        EXPECT_TRUE(topLevelWindows(proc_->pid(), d.windowClass, true).empty()) << d.name;
    EXPECT_TRUE(messageBoxes(proc_->pid()).empty());
    ASSERT_TRUE(proc_->close());
}

TEST_F(ShellTest, ToolButtonsOpenWhatTheirMenuItemsOpen) {
    launch();
    for (const DialogCase& d : kDialogs) {
        if (d.toolButton < 0) continue;
        clickToolButton(d.toolButton);
        HWND dialog = waitForDialog(d.windowClass);
        ASSERT_NE(dialog, nullptr) << "tool button " << d.toolButton << " did not open " << d.name;
        for (const DialogCase& other : kDialogs) {
            if (&other == &d) continue;
            EXPECT_TRUE(topLevelWindows(proc_->pid(), other.windowClass, true).empty())
                << "tool button " << d.toolButton << " opened " << other.name << " too";
        }
        closeByEsc(dialog, d.name);
    }
    ASSERT_TRUE(proc_->close());
}

// ---- help -------------------------------------------------------------------

TEST_F(ShellTest, HelpWithoutHelpFileDoesNothing) {
    ASSERT_FALSE(fileExists(proc_->folder() + L"Help.chm"));
    launch();
    const auto windowsBefore = topLevelWindows(proc_->pid(), nullptr, true);
    ASSERT_TRUE(sendKey(main_, nullptr, VK_F1));
    clickToolButton(5);
    Sleep(1500);
    settle(main_);
    EXPECT_TRUE(childProcesses(proc_->pid()).empty()) << "F1 started a program without a help file";
    EXPECT_EQ(topLevelWindows(proc_->pid(), nullptr, true), windowsBefore) << "a window opened";
    EXPECT_TRUE(messageBoxes(proc_->pid()).empty()) << "a missing help file must not be reported";
    EXPECT_TRUE(isEnabled(main_));
    ASSERT_TRUE(proc_->close());
}

// The counterpart that shows the check above can fail: with the help file
// beside the program, F1 hands it to the system's viewer.
TEST_F(ShellTest, HelpWithHelpFileStartsTheViewer) {
    const std::wstring built = tidewellExe().substr(0, tidewellExe().find_last_of(L"\\/") + 1) + L"Help.chm";
    ASSERT_TRUE(fileExists(built)) << "the build put no Help.chm beside Tidewell.exe";
    const auto bytes = readFileBytes(built);
    ASSERT_TRUE(bytes && bytes->compare(0, 4, "ITSF") == 0) << "Help.chm is no compiled help file";
    ASSERT_TRUE(writeFileBytes(proc_->folder() + L"Help.chm", *bytes));
    launch();
    ASSERT_TRUE(sendKey(main_, nullptr, VK_F1));
    std::vector<std::pair<DWORD, std::wstring>> children;
    waitForWindow([&]() -> HWND {
        children = childProcesses(proc_->pid());
        return children.empty() ? nullptr : main_;
    }, 10s);
    ASSERT_FALSE(children.empty()) << "F1 with Help.chm beside the program opened nothing";
    // The system's viewer for compiled help is hh.exe, on Windows and Wine.
    EXPECT_EQ(_wcsicmp(children.front().second.c_str(), L"hh.exe"), 0)
        << "F1 started " << children.front().second;
    for (const auto& [pid, exe] : children) endProcess(pid);
    for (const auto& box : messageBoxes(proc_->pid()))
        ADD_FAILURE() << "unexpected box \"" << box.caption << "\": " << box.text;
    ASSERT_TRUE(proc_->close());
}

// ---- minimizing and the tray ------------------------------------------------

TEST_F(ShellTest, WithoutTrayMinimizingKeepsTheWindowOnTheTaskbar) {
    useTray(false);
    launch();
    // The minimize box.
    PostMessageW(main_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    settle(main_);
    expectMinimizedOnTaskbar("minimize box");
    PostMessageW(main_, WM_SYSCOMMAND, SC_RESTORE, 0);
    settle(main_);
    EXPECT_FALSE(IsIconic(main_));
    // The tray menu's commands behave the same way without a tray icon.
    PostMessageW(main_, WM_COMMAND, IDM_TRAY_MINIMIZE, 0);
    settle(main_);
    expectMinimizedOnTaskbar("Minimize command");
    PostMessageW(main_, WM_COMMAND, IDM_TRAY_RESTORE, 0);
    settle(main_);
    EXPECT_FALSE(IsIconic(main_));
    EXPECT_TRUE(isVisible(main_));
    ASSERT_TRUE(proc_->close());
    EXPECT_EQ(proc_->setting(L"SystemTray", L"Enabled"), L"0");
}

TEST_F(ShellTest, WithTrayMinimizingHidesAndTheTrayMenuRestoresAndCloses) {
    useTray(true);
    launch();
    PostMessageW(main_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    settle(main_);
    EXPECT_FALSE(isVisible(main_)) << "the minimize box must hide the window when the tray is on";
    // Minimize again while hidden: it stays hidden.
    PostMessageW(main_, WM_COMMAND, IDM_TRAY_MINIMIZE, 0);
    settle(main_);
    EXPECT_FALSE(isVisible(main_));

    PostMessageW(main_, WM_COMMAND, IDM_TRAY_RESTORE, 0);
    settle(main_);
    EXPECT_TRUE(isVisible(main_)) << "Restore did not bring the window back";
    EXPECT_FALSE(IsIconic(main_)) << "Restore left the window minimized";
    // The restored window works: Options opens, a change is left unapplied.
    ASSERT_TRUE(sendKey(main_, nullptr, 'O', true));
    HWND options = waitForDialog(TW_CLASS_OPTIONS);
    ASSERT_NE(options, nullptr);
    click(control(options, IDC_OPT_FILES));  // every target's files phase off

    // Minimized and restored, the dialog stays modal.
    for (int command : {IDM_TRAY_MINIMIZE, IDM_TRAY_RESTORE, IDM_TRAY_MINIMIZE}) {
        PostMessageW(main_, WM_COMMAND, command, 0);
        settle(main_);
        EXPECT_EQ(isVisible(main_), command == IDM_TRAY_RESTORE);
        EXPECT_EQ(isVisible(options), command == IDM_TRAY_RESTORE) << "the dialog left its window";
        EXPECT_FALSE(isEnabled(main_)) << "the main window took input beside the open dialog";
    }
    // Close in the tray menu while hidden ends cleanly, storing nothing unapplied.
    PostMessageW(main_, WM_COMMAND, IDM_TRAY_EXIT, 0);
    ASSERT_TRUE(proc_->waitForExit(15s)) << "Close in the tray menu did not end the program";
    EXPECT_EQ(proc_->exitCode(), 0u);
    EXPECT_EQ(proc_->setting(L"SystemTray", L"Enabled"), L"1");
    EXPECT_EQ(proc_->setting(L"NVIDIA Display", L"Files"), L"1") << "an unapplied change was saved";
}

// ---- ending -----------------------------------------------------------------

TEST_F(ShellTest, CtrlQEndsTheProgramAndWritesTheSettings) {
    // Values the program reads but writes back in its own form: only the save
    // at exit rewrites them (the start saves only when the file is missing).
    ASSERT_TRUE(proc_->writeSettingsAnsi(L"[Mine]\r\nKeep=me\r\n[Backup]\r\nEnabled=5\r\n"));
    launch();
    ASSERT_TRUE(sendKey(main_, control(main_, IDC_LIST_ITEMS), 'Q', true));
    ASSERT_TRUE(proc_->waitForExit(15s)) << "Ctrl+Q did not end the program";
    EXPECT_EQ(proc_->exitCode(), 0u);
    EXPECT_EQ(proc_->setting(L"Backup", L"Enabled"), L"1");
    EXPECT_EQ(proc_->setting(L"Reboot", L"Reboot"), L"0");
    EXPECT_EQ(proc_->setting(L"Languages", L"Current"), L"English");
    EXPECT_EQ(proc_->setting(L"Mine", L"Keep"), L"me");
}

// ---- menus in two languages -------------------------------------------------

class ShellMenuTest : public ShellTest, public ::testing::WithParamInterface<const wchar_t*> {};

TEST_P(ShellMenuTest, ToolsMenuOpensAndIsPictured) {
    const std::wstring language = GetParam();
    ASSERT_TRUE(proc_->writeSettingsUtf16(L"[Languages]\r\nCurrent=" + language + L"\r\n"));
    launch();
    ASSERT_TRUE(openToolsMenu()) << "the Tools menu did not open";
    EXPECT_FALSE(screenshot(main_, L"main-window-menu-" + language).empty());
    closeMenus();
    settle(main_);
    EXPECT_TRUE(topLevelWindows(proc_->pid(), L"#32768", true).empty()) << "the menu stays open";
    // Choosing nothing from the menu changed nothing: no dialog is open.
    for (const DialogCase& d : kDialogs)
        EXPECT_TRUE(topLevelWindows(proc_->pid(), d.windowClass, true).empty()) << d.name;
    ASSERT_TRUE(proc_->close());
}

INSTANTIATE_TEST_SUITE_P(Shell, ShellMenuTest, ::testing::Values(L"English", L"Deutsch"),
                         [](const auto& info) {
                             std::wstring w = info.param;
                             return std::string(w.begin(), w.end());
                         });

}  // namespace
}  // namespace tw::e2e
