// End-to-end tests of Tidewell's main window and command line: the real
// program in a fresh program folder, driven through its windows.
#include "driver.h"

#include "app/win/PreviewFormRes.h"
#include "app/win/TWFormRes.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstdint>

namespace tw::e2e {
namespace {

using Labels = std::vector<std::wstring>;

const Labels kAvailable = {L"AGEIA - PhysX",    L"ATi - Display",    L"Creative - Sound",
                           L"Microsoft - Mouse", L"NVIDIA - Chipset", L"NVIDIA - Display",
                           L"Realtek - Sound"};

std::wstring testName() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string n = std::string(info->test_suite_name()) + "-" + info->name();
    return std::wstring(n.begin(), n.end());
}

// Settings written by the program: every switch with its default and the
// language. The key that keeps files for deletion at restart is left out: the
// program may or may not write it.
struct Expected {
    const wchar_t* section;
    const wchar_t* key;
    const wchar_t* value;
};
const Expected kDefaults[] = {
    {L"NVIDIA Chipset", L"Registry", L"1"}, {L"NVIDIA Chipset", L"Files", L"1"},
    {L"NVIDIA Display", L"Registry", L"1"}, {L"NVIDIA Display", L"Files", L"1"},
    {L"ATi Display", L"Registry", L"1"},    {L"ATi Display", L"Files", L"1"},
    {L"AGEIA PhysX", L"Registry", L"1"},    {L"AGEIA PhysX", L"Files", L"1"},
    {L"Creative Sound", L"Registry", L"1"}, {L"Creative Sound", L"Files", L"1"},
    {L"Microsoft Mouse", L"Registry", L"1"}, {L"Microsoft Mouse", L"Files", L"1"},
    {L"Realtek Sound", L"Registry", L"1"},  {L"Realtek Sound", L"Files", L"1"},
    {L"Logfiles", L"Enabled", L"1"},        {L"SystemTray", L"Enabled", L"0"},
    {L"RemoveNVIDIAFolder", L"Enabled", L"0"}, {L"RemoveATiFolder", L"Enabled", L"0"},
    {L"DisplayWarning", L"Enabled", L"1"},  {L"Backup", L"Enabled", L"0"},
    {L"Reboot", L"Reboot", L"0"},           {L"Languages", L"Current", L"English"},
};

void expectDefaultSettings(const TidewellProcess& p) {
    ASSERT_TRUE(fileExists(p.settingsPath())) << "no settings file written";
    for (const auto& e : kDefaults)
        EXPECT_EQ(p.setting(e.section, e.key), std::wstring(e.value)) << e.section << L"/" << e.key;
}

// The program under the test, with its main window's controls at hand.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fileExists(tidewellExe())) FAIL() << "program under test missing; set TW_EXE";
        proc_ = std::make_unique<TidewellProcess>(testName());
    }

    // Starts the program and waits until its main window shows. A command
    // line that fills the clean list starts a run, which asks first when the
    // warning setting is on: such a question is checked and cancelled. The
    // question may come before or just after the window shows.
    void launch(const std::wstring& args = L"") {
        ASSERT_TRUE(proc_->start(args)) << "could not start the program";
        const HWND ended = reinterpret_cast<HWND>(1);
        HWND found = waitForWindow([&]() -> HWND {
            cancelConfirmations();
            if (HWND w = proc_->waitForMainWindow(0ms)) return w;
            return proc_->running() ? nullptr : ended;
        });
        ASSERT_NE(found, ended) << "the program ended before its window appeared";
        ASSERT_NE(found, nullptr) << "main window did not appear";
        main_ = found;
        // Once the show handler has run, any question it asked is open.
        for (int round = 0;; ++round) {
            ASSERT_TRUE(settle(main_)) << "main window does not answer";
            if (cancelConfirmations() == 0) break;
            ASSERT_LT(round, 3) << "the program keeps asking";
        }
    }

    // Cancels open confirmation questions; returns how many there were.
    int cancelConfirmations() {
        int n = 0;
        for (const auto& b : messageBoxes(proc_->pid())) {
            EXPECT_EQ(b.caption, L"Warning");
            EXPECT_EQ(b.text, L"Are you sure you want to continue?");
            answerMessageBox(b.hwnd, IDCANCEL);
            ++n;
        }
        return n;
    }

    HWND ctl(int id) const { return control(main_, id); }
    Labels available() const { return listItems(ctl(IDC_LIST_ITEMS)); }
    Labels cleanList() const { return listItems(ctl(IDC_LIST_CLEAN)); }
    bool removeButtonsEnabled() const {
        const bool one = isEnabled(ctl(IDC_BUTTON_DELETE)), all = isEnabled(ctl(IDC_BUTTON_DELETE_ALL));
        EXPECT_EQ(one, all) << "'<' and '<<' disagree";
        return one && all;
    }
    void press(int id) { click(ctl(id)); }

    void closeCleanly() {
        ASSERT_TRUE(proc_->close()) << "program did not end on WM_CLOSE";
        EXPECT_EQ(proc_->exitCode(), 0u);
    }

    std::unique_ptr<TidewellProcess> proc_;
    HWND main_ = nullptr;
};

// ---- start-up ------------------------------------------------------------

TEST_F(MainWindowTest, StartsWithCaptionTargetsAndEmptyCleanList) {
    launch();
    EXPECT_EQ(windowText(main_), L"Tidewell 1.0");
    EXPECT_EQ(className(main_), TW_CLASS_MAIN);
    EXPECT_EQ(available(), kAvailable);
    EXPECT_TRUE(cleanList().empty());
    EXPECT_EQ(windowText(ctl(IDC_BUTTON_SELECT)), L">");
    EXPECT_EQ(windowText(ctl(IDC_BUTTON_SELECT_ALL)), L">>");
    EXPECT_EQ(windowText(ctl(IDC_BUTTON_DELETE)), L"<");
    EXPECT_EQ(windowText(ctl(IDC_BUTTON_DELETE_ALL)), L"<<");
    EXPECT_TRUE(isEnabled(ctl(IDC_BUTTON_SELECT)));
    EXPECT_TRUE(isEnabled(ctl(IDC_BUTTON_SELECT_ALL)));
    EXPECT_FALSE(isEnabled(ctl(IDC_BUTTON_DELETE)));
    EXPECT_FALSE(isEnabled(ctl(IDC_BUTTON_DELETE_ALL)));
    EXPECT_EQ(windowText(ctl(IDC_LABEL_SELECT)), L"Select");
    EXPECT_EQ(windowText(ctl(IDC_LABEL_REMOVE)), L"Remove");
    // The window sits at the top-left corner of the screen.
    RECT r{};
    GetWindowRect(main_, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_FALSE(screenshot(main_, L"main-window-English").empty());
    closeCleanly();
    expectDefaultSettings(*proc_);
}

// ---- the four buttons, double-click and Enter ---------------------------

TEST_F(MainWindowTest, SelectAddsOnceAndSelectAllReplacesInAvailableOrder) {
    launch();
    HWND items = ctl(IDC_LIST_ITEMS);
    selectListItem(items, -1);
    press(IDC_BUTTON_SELECT);
    EXPECT_TRUE(cleanList().empty()) << "Select with nothing selected added something";
    EXPECT_FALSE(removeButtonsEnabled());

    selectListItem(items, 6);
    press(IDC_BUTTON_SELECT);
    selectListItem(items, 1);
    press(IDC_BUTTON_SELECT);
    press(IDC_BUTTON_SELECT);  // already there: not added again
    EXPECT_EQ(cleanList(), (Labels{L"Realtek - Sound", L"ATi - Display"}));
    EXPECT_TRUE(removeButtonsEnabled());
    EXPECT_EQ(available(), kAvailable) << "the available list must never change";

    press(IDC_BUTTON_SELECT_ALL);
    EXPECT_EQ(cleanList(), kAvailable);
    press(IDC_BUTTON_SELECT_ALL);
    EXPECT_EQ(cleanList(), kAvailable);
    closeCleanly();
}

TEST_F(MainWindowTest, RemoveTakesTheSelectedEntryAndRemoveAllEmpties) {
    launch();
    press(IDC_BUTTON_SELECT_ALL);
    HWND clean = ctl(IDC_LIST_CLEAN);
    selectListItem(clean, -1);
    press(IDC_BUTTON_DELETE);
    EXPECT_EQ(cleanList(), kAvailable) << "Remove with nothing selected removed something";

    selectListItem(clean, 0);
    press(IDC_BUTTON_DELETE);
    selectListItem(clean, 5);  // the last one now
    press(IDC_BUTTON_DELETE);
    selectListItem(clean, 2);
    press(IDC_BUTTON_DELETE);
    EXPECT_EQ(cleanList(), (Labels{L"ATi - Display", L"Creative - Sound", L"NVIDIA - Chipset",
                                   L"NVIDIA - Display"}));
    EXPECT_TRUE(removeButtonsEnabled());

    press(IDC_BUTTON_DELETE_ALL);
    EXPECT_TRUE(cleanList().empty());
    EXPECT_FALSE(removeButtonsEnabled());

    // Removing the last entry one by one disables the buttons too.
    selectListItem(ctl(IDC_LIST_ITEMS), 3);
    press(IDC_BUTTON_SELECT);
    selectListItem(clean, 0);
    press(IDC_BUTTON_DELETE);
    EXPECT_TRUE(cleanList().empty());
    EXPECT_FALSE(removeButtonsEnabled());
    closeCleanly();
}

TEST_F(MainWindowTest, DoubleClickAndEnterMoveEntriesBothWays) {
    launch();
    HWND items = ctl(IDC_LIST_ITEMS), clean = ctl(IDC_LIST_CLEAN);
    ASSERT_TRUE(doubleClickListItem(items, 4));
    ASSERT_TRUE(doubleClickListItem(items, 0));
    settle(main_);
    EXPECT_EQ(cleanList(), (Labels{L"NVIDIA - Chipset", L"AGEIA - PhysX"}));
    EXPECT_TRUE(removeButtonsEnabled());
    ASSERT_TRUE(doubleClickListItem(clean, 0));
    settle(main_);
    EXPECT_EQ(cleanList(), Labels{L"AGEIA - PhysX"});

    // Real keyboard input: Enter in either list acts as its button.
    selectListItem(items, 5);
    ASSERT_TRUE(sendKey(main_, items, VK_RETURN)) << "could not bring the window to the front";
    EXPECT_EQ(cleanList(), (Labels{L"AGEIA - PhysX", L"NVIDIA - Display"}));
    selectListItem(clean, 0);
    ASSERT_TRUE(sendKey(main_, clean, VK_RETURN));
    EXPECT_EQ(cleanList(), Labels{L"NVIDIA - Display"});
    ASSERT_TRUE(doubleClickListItem(clean, 0));
    settle(main_);
    EXPECT_TRUE(cleanList().empty());
    EXPECT_FALSE(removeButtonsEnabled());
    closeCleanly();
}

// ---- command line --------------------------------------------------------

TEST_F(MainWindowTest, QuitAloneEndsAtOnceAndWritesDefaultSettings) {
    ASSERT_FALSE(fileExists(proc_->settingsPath()));
    ASSERT_TRUE(proc_->start(L"-QUIT"));
    ASSERT_TRUE(proc_->waitForExit(15s)) << "-QUIT did not end the program";
    EXPECT_EQ(proc_->exitCode(), 0u);
    expectDefaultSettings(*proc_);
}

TEST_F(MainWindowTest, RepeatedSwitchAddsOnceAndLeavesRemoveButtonsAlone) {
    launch(L"-NVIDIA -NVIDIA");
    EXPECT_EQ(cleanList(), Labels{L"NVIDIA - Display"});
    EXPECT_FALSE(removeButtonsEnabled()) << "the command line must not update the remove buttons";
    EXPECT_TRUE(proc_->running()) << "the program ended without -QUIT";
    // The first Select brings them up to date.
    selectListItem(ctl(IDC_LIST_ITEMS), 5);
    press(IDC_BUTTON_SELECT);
    EXPECT_EQ(cleanList(), Labels{L"NVIDIA - Display"});
    EXPECT_TRUE(removeButtonsEnabled());
    closeCleanly();
}

TEST_F(MainWindowTest, UnknownArgumentsAddNothing) {
    launch(L"-bogus /NVIDIA NVIDIA -NVIDIAX --ati");
    Sleep(300);
    EXPECT_TRUE(messageBoxes(proc_->pid()).empty());
    EXPECT_TRUE(cleanList().empty());
    EXPECT_EQ(available(), kAvailable);
    EXPECT_TRUE(proc_->running());
    closeCleanly();
}

// The run that the lower-case command line starts asks "Are you sure you
// want to continue?" while the window is coming up; Cancel skips the run and
// the program still ends.
TEST_F(MainWindowTest, LowerCaseAtiQuitAsksFirstAndCancelStillEnds) {
    ASSERT_TRUE(proc_->start(L"-ati -quit"));
    auto box = waitForMessageBox(proc_->pid(), 20s);
    ASSERT_TRUE(box.has_value()) << "no confirmation before the run";
    EXPECT_EQ(box->caption, L"Warning");
    EXPECT_EQ(box->text, L"Are you sure you want to continue?");
    // The question is asked with the target already in the clean list.
    auto mains = topLevelWindows(proc_->pid(), TW_CLASS_MAIN, false);
    ASSERT_EQ(mains.size(), 1u);
    EXPECT_EQ(listItems(control(mains.front(), IDC_LIST_CLEAN)), Labels{L"ATi - Display"});
    ASSERT_TRUE(answerMessageBox(box->hwnd, IDCANCEL));
    ASSERT_TRUE(proc_->waitForExit(15s)) << "Cancel must still end the program";
    EXPECT_EQ(proc_->exitCode(), 3u) << "cancelled at the confirmation";
    EXPECT_FALSE(folderExists(proc_->folder() + L"Logs")) << "a cancelled run wrote a log";
}

TEST_F(MainWindowTest, ShowingAgainFromTheTrayDoesNotRepeatTheCommandLine) {
    ASSERT_TRUE(proc_->writeSettingsAnsi(L"[SystemTray]\r\nEnabled=1\r\n"));
    launch(L"-NVIDIA");
    ASSERT_EQ(cleanList(), Labels{L"NVIDIA - Display"});
    press(IDC_BUTTON_SELECT_ALL);
    press(IDC_BUTTON_DELETE_ALL);
    ASSERT_TRUE(cleanList().empty());

    // Minimizing with the tray on hides the window; restoring shows it
    // again, which applies the language again but must not act on the
    // command line a second time.
    PostMessageW(main_, WM_COMMAND, IDM_TRAY_MINIMIZE, 0);
    settle(main_);
    EXPECT_FALSE(isVisible(main_)) << "minimizing with the tray on must hide the window";
    PostMessageW(main_, WM_COMMAND, IDM_TRAY_RESTORE, 0);
    settle(main_);
    EXPECT_TRUE(isVisible(main_));
    for (const auto& box : messageBoxes(proc_->pid()))
        ADD_FAILURE() << "unexpected box \"" << box.caption << "\": " << box.text;
    EXPECT_TRUE(cleanList().empty()) << "the command line was acted on again";
    EXPECT_EQ(windowText(ctl(IDC_LABEL_SELECT)), L"Select");
    closeCleanly();
    EXPECT_EQ(proc_->setting(L"SystemTray", L"Enabled"), L"1");
}

// Clean asks once; a second Clean while the question is open asks nothing
// more, and Cancel leaves no trace.
TEST_F(MainWindowTest, CleanAsksOnceAndCancelChangesNothing) {
    launch();
    press(IDC_BUTTON_SELECT_ALL);
    PostMessageW(main_, WM_COMMAND, IDM_CLEAN, 0);
    auto box = waitForMessageBox(proc_->pid(), 10s);
    ASSERT_TRUE(box.has_value()) << "Clean with targets and the warning on asked nothing";
    EXPECT_EQ(box->caption, L"Warning");
    EXPECT_EQ(box->text, L"Are you sure you want to continue?");
    // The box has no owner: the main window still takes commands.
    PostMessageW(main_, WM_COMMAND, IDM_CLEAN, 0);
    ASSERT_TRUE(sendKey(main_, nullptr, 'R', true));
    Sleep(500);
    EXPECT_EQ(messageBoxes(proc_->pid()).size(), 1u) << "a second run started while one was busy";
    ASSERT_TRUE(answerMessageBox(box->hwnd, IDCANCEL));
    settle(main_);
    EXPECT_TRUE(messageBoxes(proc_->pid()).empty());
    EXPECT_EQ(cleanList(), kAvailable);
    EXPECT_EQ(SendMessageW(ctl(IDC_PROGRESS), PBM_GETPOS, 0, 0), 0);
    closeCleanly();
    EXPECT_FALSE(folderExists(proc_->folder() + L"Logs")) << "a cancelled run wrote a log";
}

// Ctrl+P previews the clean list in the Preview window and changes nothing;
// its Clean button starts the normal run, confirmation included.
TEST_F(MainWindowTest, PreviewWindowShowsTheListAndItsCleanRunsIt) {
    wchar_t windows[MAX_PATH];
    const UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
    ASSERT_GT(n, 0u);
    const std::wstring leftover = std::wstring(windows, n) + L"\\System32\\drivers\\Point32K_preview_e2e.dat";
    ASSERT_TRUE(writeFileBytes(leftover, "leftover"));
    launch();
    ASSERT_TRUE(selectListItem(ctl(IDC_LIST_ITEMS), 3));
    press(IDC_BUTTON_SELECT);
    ASSERT_EQ(cleanList(), Labels{L"Microsoft - Mouse"});
    ASSERT_TRUE(sendKey(main_, nullptr, 'P', true));
    const HWND preview = waitForWindow([&]() -> HWND {
        auto found = topLevelWindows(proc_->pid(), TW_CLASS_PREVIEW);
        return found.empty() ? nullptr : found.front();
    }, 20s);
    ASSERT_NE(preview, nullptr) << "Ctrl+P showed no Preview window";
    EXPECT_TRUE(messageBoxes(proc_->pid()).empty()) << "a preview asked a question";
    const std::wstring text = windowText(control(preview, IDC_PREVIEW_TEXT));
    EXPECT_EQ(text.rfind(L"Microsoft - Mouse (Files: 1, Folders: 0, Registry: 0, Not deleted: 0)\r\n", 0), 0u) << text;
    EXPECT_NE(text.find(L"Would delete file (" + leftover + L")"), std::wstring::npos) << text;
    EXPECT_TRUE(fileExists(leftover)) << "the preview deleted a file";
    EXPECT_FALSE(folderExists(proc_->folder() + L"Logs")) << "a preview from the menu saved a log";
    EXPECT_EQ(windowText(preview), L"Preview");
    EXPECT_FALSE(screenshot(preview, L"preview-window").empty());

    postClick(control(preview, IDC_PREVIEW_CLEAN));
    auto box = waitForMessageBox(proc_->pid(), 10s);
    ASSERT_TRUE(box.has_value()) << "Clean in the Preview window did not start the run";
    EXPECT_EQ(box->caption, L"Warning");
    EXPECT_FALSE(isVisible(preview));
    ASSERT_TRUE(answerMessageBox(box->hwnd, IDOK));
    settle(main_);
    EXPECT_FALSE(fileExists(leftover)) << "the run did not delete what the preview named";
    closeCleanly();
}

// A run from the command line without the warning: the restart question
// comes last with the progress bar still full; Cancel there and -QUIT ends
// the program. The cleaning run tests check a full run's files and log.
TEST_F(MainWindowTest, CommandLineRunKeepsTheBarFullAndAsksToRestart) {
    wchar_t windows[MAX_PATH];
    const UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
    ASSERT_GT(n, 0u);
    const std::wstring leftover = std::wstring(windows, n) + L"\\System32\\drivers\\Point32K_e2e.dat";
    ASSERT_TRUE(writeFileBytes(leftover, "leftover"));
    ASSERT_TRUE(proc_->writeSettingsAnsi(L"[DisplayWarning]\r\nEnabled=0\r\n[Reboot]\r\nReboot=1\r\n"));

    ASSERT_TRUE(proc_->start(L"-MMOUSE -QUIT"));
    auto box = waitForMessageBox(proc_->pid(), 30s);
    ASSERT_TRUE(box.has_value()) << "no restart question after a run that logged lines";
    EXPECT_EQ(box->caption, L"Reboot");
    EXPECT_EQ(box->text, L"Do you want to reboot?");
    // The mouse target reserves 9 steps and takes 13: the bar stays full
    // instead of starting over.
    const HWND main = proc_->waitForMainWindow(5s);
    ASSERT_NE(main, nullptr);
    const HWND bar = control(main, IDC_PROGRESS);
    EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 9);
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 9);
    ASSERT_TRUE(answerMessageBox(box->hwnd, IDCANCEL));
    ASSERT_TRUE(proc_->waitForExit()) << "-QUIT did not end the program after the run";
    EXPECT_EQ(proc_->exitCode(), 0u);
    EXPECT_FALSE(fileExists(leftover));
    EXPECT_EQ(filesIn(proc_->folder() + L"Logs", L"*.txt").size(), 1u) << "one log file per run";
}

// ---- language ------------------------------------------------------------

TEST_F(MainWindowTest, DeutschReplacesTheLabelsButNotTheTargets) {
    ASSERT_TRUE(fileExists(proc_->languagePath())) << "Languages.ini was not copied beside the program";
    const auto select = readIni(proc_->languagePath(), L"Deutsch", L"Select Main");
    const auto remove = readIni(proc_->languagePath(), L"Deutsch", L"Remove Main");
    ASSERT_TRUE(select && remove) << "Languages.ini has no Deutsch labels";
    ASSERT_NE(*select, L"Select");
    ASSERT_TRUE(proc_->writeSettingsUtf16(L"[Languages]\r\nCurrent=Deutsch\r\n"));
    launch();
    EXPECT_EQ(windowText(ctl(IDC_LABEL_SELECT)), *select);
    EXPECT_EQ(windowText(ctl(IDC_LABEL_REMOVE)), *remove);
    EXPECT_EQ(windowText(main_), L"Tidewell 1.0");
    EXPECT_EQ(available(), kAvailable);
    EXPECT_FALSE(screenshot(main_, L"main-window-Deutsch").empty());
    closeCleanly();
    EXPECT_EQ(proc_->setting(L"Languages", L"Current"), L"Deutsch");
}

// ---- settings file -------------------------------------------------------

TEST_F(MainWindowTest, ValueFormsAreReadAndWrittenBackThroughTheRealProfileFunctions) {
    ASSERT_TRUE(proc_->writeSettingsAnsi(
        L"[Mine]\r\nKeep=me\r\n[Backup]\r\nEnabled=5\r\n[DisplayWarning]\r\nEnabled=yes\r\n"
        L"[reboot]\r\nREBOOT=0x2\r\n[Languages]\r\nCurrent=\r\n[logfiles]\r\nenabled=0\r\n"
        L"[NVIDIA Display]\r\nFiles=-1\r\nRegistry=0\r\n"));
    launch();
    EXPECT_EQ(windowText(ctl(IDC_LABEL_SELECT)), L"Select") << "an empty language name is English";
    closeCleanly();
    EXPECT_EQ(proc_->setting(L"Backup", L"Enabled"), L"1") << "5 is on";
    EXPECT_EQ(proc_->setting(L"DisplayWarning", L"Enabled"), L"1") << "'yes' gives the default";
    EXPECT_EQ(proc_->setting(L"Reboot", L"Reboot"), L"2") << "0x2 is hexadecimal";
    EXPECT_EQ(proc_->setting(L"Logfiles", L"Enabled"), L"0") << "names match without case";
    EXPECT_EQ(proc_->setting(L"NVIDIA Display", L"Files"), L"1") << "-1 is on";
    EXPECT_EQ(proc_->setting(L"NVIDIA Display", L"Registry"), L"0");
    EXPECT_EQ(proc_->setting(L"Languages", L"Current"), L"English") << "empty is written as English";
    EXPECT_EQ(proc_->setting(L"Mine", L"Keep"), L"me") << "an unknown section was lost";
}

TEST_F(MainWindowTest, RefusedSettingsWriteIsReportedNotHidden) {
    ASSERT_TRUE(proc_->writeSettingsAnsi(L"[Backup]\r\nEnabled=1\r\n"));
    // Held open without sharing, the file refuses the program's writes (a
    // read-only attribute would not stop a program running as root under Wine).
    Handle lock(CreateFileW(proc_->settingsPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(lock);
    launch();
    PostMessageW(main_, WM_CLOSE, 0, 0);
    auto box = waitForMessageBox(proc_->pid(), 10s);
    ASSERT_TRUE(box.has_value()) << "a settings file that cannot be written went unreported";
    EXPECT_NE(box->text.find(L"Unable to write to"), std::wstring::npos) << "text: " << box->text;
    EXPECT_NE(box->text.find(L"Tidewell.ini"), std::wstring::npos) << "text: " << box->text;
    ASSERT_TRUE(answerMessageBox(box->hwnd, IDOK));
    ASSERT_TRUE(proc_->waitForExit()) << "the program must go on (and end) after the error";
    lock.reset();
    EXPECT_EQ(readFileBytes(proc_->settingsPath()), std::string("[Backup]\r\nEnabled=1\r\n"));
}

// ---- damaged settings and language files ---------------------------------

struct BadFile {
    const char* name;
    std::string (*make)();
};

std::string garbage() {
    std::string s;
    uint32_t x = 0x2545F491;
    for (int i = 0; i < 64 * 1024; ++i) {
        x ^= x << 13, x ^= x >> 17, x ^= x << 5;
        s += static_cast<char>(x & 0xFF);
    }
    return s;
}

// Values that would change the program if they were read.
const std::wstring kChangedSettings =
    L"[DisplayWarning]\r\nEnabled=0\r\n[Backup]\r\nEnabled=1\r\n[SystemTray]\r\nEnabled=1\r\n"
    L"[Languages]\r\nCurrent=Deutsch\r\n[Deutsch]\r\nSelect Main=Auswahl\r\n";

std::string utf16NoBom() { return utf16WithBom(kChangedSettings).substr(2); }

std::string oddLines() {
    std::string s = "[Odd]\r\nKeep=this\r\n";
    const char* lines[] = {"[", "]", "=", "==x", "[[[]]]", "no equals sign", "\r", "\n\r\n",
                           "  = value without key", "[Languages", "Current", "\x01\x02\x7f",
                           "\xe4\xf6\xfc\xdf=\xff", ";comment=1", "[]", "key=\"unclosed"};
    std::string longLine(70000, 'x');
    for (int i = 0; s.size() < 3 * 1024 * 1024; ++i) {
        s += lines[i % (sizeof lines / sizeof *lines)];
        s += (i % 3) ? "\r\n" : "\n";
        if (i % 500 == 0) s += "[S" + std::to_string(i) + "]\r\n" + longLine + "\r\n";
    }
    return s;
}

const BadFile kBadFiles[] = {
    {"Empty", [] { return std::string(); }},
    {"BinaryGarbage", garbage},
    {"Utf16WithoutBom", utf16NoBom},
    {"MegabytesOfOddLines", oddLines},
};

class BadSettingsFile : public MainWindowTest, public ::testing::WithParamInterface<BadFile> {};

TEST_P(BadSettingsFile, WindowAppearsWithDefaultsAndEnglish) {
    ASSERT_TRUE(proc_->writeSettingsBytes(GetParam().make()));
    launch();
    EXPECT_EQ(windowText(main_), L"Tidewell 1.0");
    EXPECT_EQ(available(), kAvailable);
    EXPECT_EQ(windowText(ctl(IDC_LABEL_SELECT)), L"Select");
    // What the program held is what it writes back at exit: the defaults.
    closeCleanly();
    for (const auto& e : kDefaults) {
        EXPECT_EQ(proc_->setting(e.section, e.key), std::wstring(e.value))
            << e.section << L"/" << e.key << " in " << GetParam().name;
    }
    if (std::string(GetParam().name) == "MegabytesOfOddLines") {
        EXPECT_EQ(proc_->setting(L"Odd", L"Keep"), L"this") << "an unknown section was lost";
    }
}

INSTANTIATE_TEST_SUITE_P(MainWindow, BadSettingsFile, ::testing::ValuesIn(kBadFiles),
                         [](const auto& info) { return std::string(info.param.name); });

class BadLanguageFile : public MainWindowTest, public ::testing::WithParamInterface<BadFile> {};

TEST_P(BadLanguageFile, WindowAppearsInEnglish) {
    ASSERT_TRUE(proc_->writeLanguageBytes(GetParam().make()));
    ASSERT_TRUE(proc_->writeSettingsUtf16(L"[Languages]\r\nCurrent=Deutsch\r\n"));
    launch();
    EXPECT_EQ(windowText(main_), L"Tidewell 1.0");
    EXPECT_EQ(available(), kAvailable);
    EXPECT_EQ(windowText(ctl(IDC_LABEL_SELECT)), L"Select");
    EXPECT_EQ(windowText(ctl(IDC_LABEL_REMOVE)), L"Remove");
    closeCleanly();
    EXPECT_EQ(proc_->setting(L"Languages", L"Current"), L"Deutsch");
}

INSTANTIATE_TEST_SUITE_P(MainWindow, BadLanguageFile, ::testing::ValuesIn(kBadFiles),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tw::e2e
