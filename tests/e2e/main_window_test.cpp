// The real program's main window, its Preview window, the tray and the
// command line, driven from outside.
#include "driver.h"

#include "app/win/PreviewFormRes.h"
#include "app/win/TWFormRes.h"
#include "options/win/OptionsFormRes.h"

#include <commctrl.h>

namespace tw::e2e {
namespace {

const Texts kAvailable = {L"AGEIA - PhysX",    L"ATi - Display",    L"Creative - Sound", L"Microsoft - Mouse",
                          L"NVIDIA - Chipset", L"NVIDIA - Display", L"Realtek - Sound"};

using MainWindowTest = E2eTest;

// Choosing targets with the buttons and double-clicks. Ctrl+P shows what a
// run would delete and deletes nothing; the Preview window's Clean warns
// first, and the list emptied while the warning is open runs nothing. Ctrl+R
// cleans the list as it stands: the leftover goes and the saved log names it.
TEST_F(MainWindowTest, ChooseTargetsPreviewAndClean) {
    const std::wstring leftover = mouseLeftover(L"main");
    launch();
    EXPECT_EQ(windowText(main_), L"Tidewell 1.0");
    EXPECT_EQ(windowText(ctl(IDC_LABEL_SELECT)), L"Select");
    EXPECT_EQ(listItems(ctl(IDC_LIST_ITEMS)), kAvailable);
    EXPECT_TRUE(listItems(ctl(IDC_LIST_CLEAN)).empty());
    EXPECT_FALSE(isEnabled(ctl(IDC_BUTTON_DELETE)));
    screenshot(main_, L"main-window");

    click(ctl(IDC_BUTTON_SELECT_ALL));
    EXPECT_EQ(listItems(ctl(IDC_LIST_CLEAN)), kAvailable);
    EXPECT_TRUE(isEnabled(ctl(IDC_BUTTON_DELETE)));
    ASSERT_TRUE(clickListItem(ctl(IDC_LIST_CLEAN), 0));
    click(ctl(IDC_BUTTON_DELETE));
    EXPECT_EQ(listItems(ctl(IDC_LIST_CLEAN)), Texts(kAvailable.begin() + 1, kAvailable.end()));
    click(ctl(IDC_BUTTON_DELETE_ALL));
    EXPECT_TRUE(listItems(ctl(IDC_LIST_CLEAN)).empty());
    EXPECT_FALSE(isEnabled(ctl(IDC_BUTTON_DELETE_ALL)));
    ASSERT_TRUE(clickListItem(ctl(IDC_LIST_ITEMS), 3, true));
    ASSERT_TRUE(clickListItem(ctl(IDC_LIST_ITEMS), 0));
    click(ctl(IDC_BUTTON_SELECT));
    EXPECT_EQ(listItems(ctl(IDC_LIST_CLEAN)), (Texts{L"Microsoft - Mouse", L"AGEIA - PhysX"}));
    EXPECT_TRUE(isEnabled(ctl(IDC_BUTTON_DELETE_ALL)));

    const HWND preview = open('P', TW_CLASS_PREVIEW, L"Preview");
    ASSERT_NE(preview, nullptr);
    const std::wstring text = windowText(control(preview, IDC_PREVIEW_TEXT));
    EXPECT_EQ(text.find(L"Microsoft - Mouse (Files: 1, Folders: 0, Registry: 0, Not deleted: 0)"), 0u) << text;
    EXPECT_NE(text.find(L"Would delete file (" + leftover + L")"), std::wstring::npos) << text;
    EXPECT_EQ((Texts{windowText(control(preview, IDC_PREVIEW_CLEAN)), windowText(control(preview, IDC_PREVIEW_SAVE))}), (Texts{L"Clean", L"Save..."}));
    screenshot(preview, L"preview-window");
    RECT shrunk{};  // as small as it goes, its buttons still fit
    SetWindowPos(preview, nullptr, 0, 0, 10, 10, SWP_NOMOVE | SWP_NOZORDER), settle(preview), GetWindowRect(preview, &shrunk);
    EXPECT_GE(shrunk.right - shrunk.left, 360);
    postClick(control(preview, IDC_PREVIEW_CLEAN));
    answerWarning(IDOK, [&] { click(ctl(IDC_BUTTON_DELETE_ALL)); });
    EXPECT_TRUE(fileExists(leftover)) << "the preview deleted the file, or the emptied list ran";

    ASSERT_TRUE(clickListItem(ctl(IDC_LIST_ITEMS), 3, true));
    ASSERT_TRUE(sendKey(main_, 'R', true));
    answerWarning(IDOK);
    EXPECT_FALSE(fileExists(leftover)) << "the run left the leftover";
    EXPECT_EQ(SendMessageW(ctl(IDC_PROGRESS), PBM_GETPOS, 0, 0), SendMessageW(ctl(IDC_PROGRESS), PBM_GETRANGE, FALSE, 0)) << "the bar ends full";
    EXPECT_NE(logText().find(L"Deleted file (" + leftover + L")\r\n"), std::wstring::npos);
    closeProgram();
    EXPECT_EQ(setting(L"Languages", L"Current"), L"English") << "the settings were not saved";
}

// Families of one's own from a folder that others can change (every folder, under Wine) are refused
// whole: the start says why, naming the folder, and the lists keep the built-in families only.
TEST_F(MainWindowTest, FamiliesFolderOthersCanChangeIsRefusedAtStart) {
    ASSERT_TRUE(CreateDirectoryW((folder_ + L"Families").c_str(), nullptr));
    ASSERT_TRUE(writeFileBytes(folder_ + L"Families\\acme.toml", "label = \"Acme\"\n"));
    launch();
    const HWND box = waitFor(kMessageBox);
    ASSERT_NE(box, nullptr) << "no word of the refused folder";
    const std::wstring text = windowText(control(box, 0xFFFF));
    EXPECT_EQ(text.find(L"These family files were not loaded."), 0u) << text;
    EXPECT_NE(text.find(L"\\Families: others than administrators can change this folder"), std::wstring::npos) << text;
    ASSERT_TRUE(answerMessageBox(box, IDOK));
    EXPECT_EQ(listItems(ctl(IDC_LIST_ITEMS)), kAvailable);
    closeProgram();
}

// With the tray on, minimizing hides the window, the tray menu brings it
// back and its Close ends the program, storing nothing that Options changed
// without applying it.
TEST_F(MainWindowTest, TrayIcon) {
    launch(L"[SystemTray]\r\nEnabled=1\r\n");
    PostMessageW(main_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    settle(main_);
    EXPECT_FALSE(isVisible(main_)) << "minimizing with the tray on must hide the window";
    PostMessageW(main_, WM_COMMAND, IDM_TRAY_RESTORE, 0);
    settle(main_);
    EXPECT_TRUE(isVisible(main_));
    EXPECT_FALSE(IsIconic(main_));
    const HWND options = open('O', TW_CLASS_OPTIONS, L"Options");
    ASSERT_NE(options, nullptr);
    click(control(options, IDC_OPT_FILES));
    ASSERT_EQ(check(control(options, IDC_OPT_FILES)), BST_UNCHECKED);
    PostMessageW(main_, WM_COMMAND, IDM_TRAY_EXIT, 0);
    ASSERT_TRUE(waitForExit()) << "the tray menu's Close did not end the program";
    EXPECT_EQ(exitCode(), 0u);
    EXPECT_EQ(setting(L"Realtek Sound", L"Files"), L"1") << "a change never applied was stored";
}

// Unattended runs from the command line, warning on: the answer given, the
// exit code, whether the leftover stays, and the log it saves.
struct CommandLineCase {
    const wchar_t* arguments;
    int answer;  // to the warning; 0: no warning comes
    DWORD exitCode;
    bool leftoverStays;
    const wchar_t* logPattern;  // nullptr: no log at all
};

const CommandLineCase kCommandLines[] = {
    {L"-mmouse -preview -quit", 0, 0, true, L"Preview *.txt"},
    {L"-mmouse -quit", IDCANCEL, 3, true, nullptr},
    {L"-MMOUSE -QUIT", IDOK, 0, false, L"*.txt"},
};

using CommandLineTest = E2eTest;

TEST_F(CommandLineTest, TargetSwitchesPreviewAndExitCodes) {
    for (const auto& c : kCommandLines) {
        SCOPED_TRACE(testing::Message() << c.arguments);
        SetUp();  // a fresh program folder
        const std::wstring leftover = mouseLeftover(L"switch");
        ASSERT_TRUE(start(c.arguments));
        if (c.answer) answerWarning(c.answer);
        ASSERT_TRUE(waitForExit(60s)) << "-QUIT did not end the program";
        EXPECT_EQ(exitCode(), c.exitCode);
        EXPECT_EQ(fileExists(leftover), c.leftoverStays);
        EXPECT_EQ(folderExists(folder_ + L"Logs"), c.logPattern != nullptr);
        if (c.logPattern) {
            const std::wstring line = (c.leftoverStays ? L"Would delete file (" : L"Deleted file (") + leftover + L")\r\n";
            EXPECT_NE(logText(c.logPattern).find(line), std::wstring::npos) << "the log lacks " << line;
        }
        DeleteFileW(leftover.c_str());
    }
}

}  // namespace
}  // namespace tw::e2e
