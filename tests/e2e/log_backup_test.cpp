// End-to-end tests of the Log and Backup dialogs: the real program in a fresh
// program folder, its dialogs opened from the main window and driven through
// their controls; saved logs, backup sets and restored files checked on disk.
#include "driver.h"

#include "app/win/TWFormRes.h"
#include "backup/win/BackupFormRes.h"
#include "log/win/LogFormRes.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <cwctype>
#include <memory>

namespace tw::e2e {
namespace {

using Names = std::vector<std::wstring>;

std::wstring testName() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string n = std::string(info->test_suite_name()) + "-" + info->name();
    return std::wstring(n.begin(), n.end());
}

// ---- common controls of another process: only messages without pointers ----

// The page tree's nodes, top to bottom.
std::vector<HTREEITEM> treeNodes(HWND tree) {
    std::vector<HTREEITEM> nodes;
    auto node = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    while (node) {
        nodes.push_back(node);
        node = reinterpret_cast<HTREEITEM>(
            SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(node)));
    }
    return nodes;
}

int selectedNode(HWND tree) {
    const auto selected =
        reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    const auto nodes = treeNodes(tree);
    for (size_t i = 0; i < nodes.size(); ++i)
        if (nodes[i] == selected) return static_cast<int>(i);
    return -1;
}

// A mouse click on the n-th top-level node (nodes are one item height each).
void clickNode(HWND tree, int n) {
    const int height = static_cast<int>(SendMessageW(tree, TVM_GETITEMHEIGHT, 0, 0));
    const LPARAM at = MAKELPARAM(24, height * n + height / 2);
    PostMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(tree, WM_LBUTTONUP, 0, at);
    settle(tree);
}

int checkListCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

int checkedCount(HWND list) {
    int n = 0;
    for (int i = 0; i < checkListCount(list); ++i)
        if ((SendMessageW(list, LVM_GETITEMSTATE, i, LVIS_STATEIMAGEMASK) >> 12) == 2) ++n;
    return n;
}

// A click on a tool button: its place from its index and the button size.
void clickToolButton(HWND toolbar, int command) {
    const int index = static_cast<int>(SendMessageW(toolbar, TB_COMMANDTOINDEX, command, 0));
    const DWORD size = static_cast<DWORD>(SendMessageW(toolbar, TB_GETBUTTONSIZE, 0, 0));
    const int w = LOWORD(size), h = HIWORD(size);
    const LPARAM at = MAKELPARAM(index * w + w / 2, h / 2);
    PostMessageW(toolbar, WM_MOUSEMOVE, 0, at);
    PostMessageW(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(toolbar, WM_LBUTTONUP, 0, at);
}

std::wstring lower(std::wstring text) {
    for (auto& c : text) c = towlower(c);
    return text;
}

std::wstring systemFolder() {
    wchar_t buffer[MAX_PATH];
    const UINT n = GetSystemDirectoryW(buffer, MAX_PATH);
    return std::wstring(buffer, n) + L"\\";
}

// The program and one of its two dialogs.
class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fileExists(tidewellExe())) GTEST_SKIP() << "program under test missing; set TW_EXE";
        proc_ = std::make_unique<TidewellProcess>(testName());
    }
    void TearDown() override {
        if (proc_ && proc_->running()) {
            if (dialog_ && IsWindowVisible(dialog_)) {
                PostMessageW(dialog_, WM_COMMAND, IDOK, 0);
                settle(dialog_);
            }
            EXPECT_TRUE(proc_->close()) << "program did not end on WM_CLOSE";
        }
    }

    void launch(const std::wstring& args = L"") {
        ASSERT_TRUE(proc_->start(args));
        main_ = proc_->waitForMainWindow(60s);
        ASSERT_NE(main_, nullptr) << "main window did not appear";
        ASSERT_TRUE(settle(main_));
    }

    // Opens a dialog by a posted menu command and waits until it shows.
    void open(int command, const wchar_t* cls) {
        PostMessageW(main_, WM_COMMAND, command, 0);
        waitFor(cls);
    }
    void waitFor(const wchar_t* cls) {
        dialog_ = waitForWindow([&]() -> HWND {
            auto found = topLevelWindows(proc_->pid(), cls);
            return found.empty() ? nullptr : found.front();
        }, 10s);
        ASSERT_NE(dialog_, nullptr) << "dialog did not show";
        settle(dialog_);
    }
    void closeDialog() {
        postKey(ctl(treeId_), VK_ESCAPE);
        settle(dialog_);
        ASSERT_FALSE(isVisible(dialog_)) << "Esc did not close the dialog";
        ASSERT_TRUE(isEnabled(main_)) << "the main window stayed disabled";
    }
    HWND ctl(int id) const { return control(dialog_, id); }
    void writeLog(const std::wstring& name, const std::wstring& text) {
        CreateDirectoryW((proc_->folder() + L"Logs").c_str(), nullptr);
        ASSERT_TRUE(writeFileBytes(proc_->folder() + L"Logs\\" + name, utf16WithBom(text)));
    }

    std::unique_ptr<TidewellProcess> proc_;
    HWND main_ = nullptr;
    HWND dialog_ = nullptr;
    int treeId_ = IDC_LOG_TREE;
};

// ---- Log dialog ----------------------------------------------------------

TEST_F(DialogTest, LogOpensByCtrlLAndToolButtonOnItsViewPage) {
    writeLog(L"first.txt", L"Not deleted file (C:\\b)\r\nDeleted file (C:\\a)");
    launch();
    ASSERT_TRUE(sendKey(main_, control(main_, IDC_LIST_ITEMS), 'L', true));
    waitFor(TW_CLASS_LOG);
    EXPECT_EQ(windowText(dialog_), L"Log");
    EXPECT_EQ(treeNodes(ctl(IDC_LOG_TREE)).size(), 2u);
    EXPECT_EQ(selectedNode(ctl(IDC_LOG_TREE)), 0);
    EXPECT_TRUE(isVisible(ctl(IDC_LOG_LIST)));
    EXPECT_TRUE(isVisible(ctl(IDC_LOG_MEMO)));
    EXPECT_FALSE(isVisible(ctl(IDC_LOG_CHECKLIST)));
    EXPECT_FALSE(isVisible(ctl(IDC_LOG_REMOVE)));
    EXPECT_EQ(listItems(ctl(IDC_LOG_LIST)), Names{L"first"});
    EXPECT_EQ(windowText(ctl(IDC_LOG_MEMO)), L"") << "the run log is empty";
    // Leave it on the remove page: opening again shows the first page.
    clickNode(ctl(IDC_LOG_TREE), 1);
    EXPECT_EQ(selectedNode(ctl(IDC_LOG_TREE)), 1);
    closeDialog();

    clickToolButton(control(main_, IDC_TOOLBAR), IDM_LOG);
    waitFor(TW_CLASS_LOG);
    EXPECT_EQ(selectedNode(ctl(IDC_LOG_TREE)), 0);
    EXPECT_TRUE(isVisible(ctl(IDC_LOG_LIST)));
    closeDialog();
}

TEST_F(DialogTest, LogViewShowsAChosenLogSortedAndReportsAVanishedOne) {
    writeLog(L"run.txt", L"Not deleted file (C:\\b)\r\nDeleted file (C:\\z)\r\ndeleted file (C:\\a)");
    writeLog(L"gone.TXT", L"Deleted file (C:\\x)");
    launch();
    open(IDM_LOG, TW_CLASS_LOG);
    Names names = listItems(ctl(IDC_LOG_LIST));
    std::sort(names.begin(), names.end());
    ASSERT_EQ(names, (Names{L"gone", L"run"}));
    const int run = listItems(ctl(IDC_LOG_LIST))[0] == L"run" ? 0 : 1;
    ASSERT_TRUE(doubleClickListItem(ctl(IDC_LOG_LIST), run));
    EXPECT_EQ(windowText(ctl(IDC_LOG_MEMO)),
              L"deleted file (C:\\a)\r\nDeleted file (C:\\z)\r\nNot deleted file (C:\\b)");
    EXPECT_FALSE(screenshot(dialog_, L"log-view-English").empty());

    ASSERT_TRUE(DeleteFileW((proc_->folder() + L"Logs\\gone.TXT").c_str()));
    ASSERT_TRUE(doubleClickListItem(ctl(IDC_LOG_LIST), 1 - run));
    auto box = waitForMessageBox(proc_->pid(), 10s);
    ASSERT_TRUE(box.has_value()) << "a log that cannot be opened went unreported";
    EXPECT_EQ(box->text.rfind(L"Cannot open file \"", 0), 0u) << "text: " << box->text;
    EXPECT_NE(box->text.find(L"\\Logs\\gone.txt\". "), std::wstring::npos) << "text: " << box->text;
    answerMessageBox(box->hwnd, IDOK);
    settle(dialog_);
    EXPECT_EQ(windowText(ctl(IDC_LOG_MEMO)),
              L"deleted file (C:\\a)\r\nDeleted file (C:\\z)\r\nNot deleted file (C:\\b)")
        << "a failed view must keep the log shown";
    closeDialog();
}

TEST_F(DialogTest, LogRemovePageDeletesCheckedLogsByButtonAndDeleteKey) {
    for (const wchar_t* name : {L"c.txt", L"a.txt", L"B.TXT"}) writeLog(name, L"Deleted file (C:\\x)");
    ASSERT_TRUE(writeFileBytes(proc_->folder() + L"Logs\\keep.doc", "x"));
    launch();
    open(IDM_LOG, TW_CLASS_LOG);
    HWND tree = ctl(IDC_LOG_TREE), checks = ctl(IDC_LOG_CHECKLIST);
    // Down and Up in the tree switch pages and refresh the lists.
    postKey(tree, VK_DOWN);
    settle(dialog_);
    EXPECT_EQ(selectedNode(tree), 1);
    EXPECT_TRUE(isVisible(checks));
    EXPECT_FALSE(isVisible(ctl(IDC_LOG_LIST)));
    EXPECT_FALSE(isVisible(ctl(IDC_LOG_MEMO)));
    EXPECT_TRUE(isVisible(ctl(IDC_LOG_REMOVE)));
    EXPECT_TRUE(isVisible(ctl(IDC_LOG_SELECT_ALL)));
    EXPECT_EQ(checkListCount(checks), 3);
    EXPECT_EQ(checkedCount(checks), 0);
    EXPECT_FALSE(screenshot(dialog_, L"log-remove-English").empty());

    writeLog(L"d.txt", L"Deleted file (C:\\y)");
    postKey(tree, VK_UP);
    settle(dialog_);
    EXPECT_EQ(selectedNode(tree), 0);
    EXPECT_EQ(listItems(ctl(IDC_LOG_LIST)).size(), 4u);
    postKey(tree, VK_DOWN);
    settle(dialog_);
    ASSERT_EQ(checkListCount(checks), 4);

    // Remove with nothing checked removes nothing; Select All then Remove all.
    click(ctl(IDC_LOG_REMOVE));
    EXPECT_EQ(checkListCount(checks), 4);
    click(ctl(IDC_LOG_SELECT_ALL));
    EXPECT_EQ(checkedCount(checks), 4);
    click(ctl(IDC_LOG_REMOVE));
    EXPECT_EQ(checkListCount(checks), 0);
    EXPECT_EQ(filesIn(proc_->folder() + L"Logs", L"*.txt"), Names{});
    EXPECT_TRUE(fileExists(proc_->folder() + L"Logs\\keep.doc"));

    // The Delete key anywhere in the dialog does the same, here on a button.
    writeLog(L"e.txt", L"Deleted file (C:\\e)");
    clickNode(tree, 0);
    clickNode(tree, 1);
    ASSERT_EQ(checkListCount(checks), 1);
    click(ctl(IDC_LOG_SELECT_ALL));
    postKey(ctl(IDC_LOG_SELECT_ALL), VK_DELETE);
    settle(dialog_);
    EXPECT_EQ(checkListCount(checks), 0);
    EXPECT_FALSE(fileExists(proc_->folder() + L"Logs\\e.txt"));
    closeDialog();
}

// ---- Backup dialog -------------------------------------------------------

// A real run of the NVIDIA display target with backup on, then its set
// restored and removed through the dialog.
TEST_F(DialogTest, BackupOfARunIsRestoredAndRemoved) {
    treeId_ = IDC_BACKUP_TREE;
    const std::wstring leftover = systemFolder() + L"nvapi_e2e_test.dll";
    ASSERT_TRUE(writeFileBytes(leftover, "leftover bytes"));
    ASSERT_TRUE(proc_->writeSettingsAnsi(
        L"[Backup]\r\nEnabled=1\r\n[DisplayWarning]\r\nEnabled=0\r\n[Reboot]\r\nReboot=0\r\n"));
    launch(L"-NVIDIA");
    ASSERT_FALSE(fileExists(leftover)) << "the run did not delete the leftover";
    const std::wstring root = proc_->folder() + L"Backup\\";
    ASSERT_TRUE(folderExists(root)) << "backup on, but no backup written";

    ASSERT_TRUE(sendKey(main_, control(main_, IDC_LIST_ITEMS), 'B', true));
    waitFor(TW_CLASS_BACKUP);
    EXPECT_EQ(windowText(dialog_), L"Backup");
    HWND tree = ctl(IDC_BACKUP_TREE), sets = ctl(IDC_BACKUP_LIST), items = ctl(IDC_BACKUP_CHECK_RESTORE);
    EXPECT_EQ(selectedNode(tree), 0);
    EXPECT_EQ(windowText(ctl(IDC_BACKUP_REMOVE_RESTORE)), L"Restore");
    EXPECT_EQ(windowText(ctl(IDC_BACKUP_SIZE)), L"");
    const Names setNames = listItems(sets);
    ASSERT_EQ(setNames.size(), 1u) << "one target, one second: one set";
    EXPECT_TRUE(folderExists(root + setNames[0]));
    EXPECT_EQ(checkListCount(items), 0);

    ASSERT_TRUE(doubleClickListItem(sets, 0));
    const int itemCount = checkListCount(items);
    ASSERT_GE(itemCount, 1) << "no item folders listed";
    EXPECT_EQ(checkedCount(items), itemCount) << "choosing a set checks all of its items";
    const std::wstring size = windowText(ctl(IDC_BACKUP_SIZE));
    EXPECT_NE(size.find(L"MB / "), std::wstring::npos) << size;
    EXPECT_EQ(size.substr(size.size() - 2), L"MB") << size;
    EXPECT_FALSE(screenshot(dialog_, L"backup-restore-English").empty());

    click(ctl(IDC_BACKUP_REMOVE_RESTORE));
    EXPECT_TRUE(fileExists(leftover)) << "restore did not bring the file back";
    EXPECT_EQ(readFileBytes(leftover), std::string("leftover bytes"));
    // Each restored item is saved as a log of its own (log files are on).
    bool logged = false;
    for (const auto& name : filesIn(proc_->folder() + L"Logs", L"*.txt")) {
        const auto bytes = readFileBytes(proc_->folder() + L"Logs\\" + name);
        if (bytes && lower(fromUtf16(*bytes)).find(lower(L"Restored File (" + leftover + L")")) !=
                         std::wstring::npos)
            logged = true;
    }
    EXPECT_TRUE(logged) << "no log file names the restored file";
    EXPECT_EQ(checkedCount(items), itemCount) << "check marks stay";

    clickNode(tree, 1);
    HWND removable = ctl(IDC_BACKUP_CHECK_SETS);
    EXPECT_EQ(selectedNode(tree), 1);
    EXPECT_EQ(windowText(ctl(IDC_BACKUP_REMOVE_RESTORE)), L"Remove");
    EXPECT_TRUE(isVisible(removable));
    EXPECT_FALSE(isVisible(sets));
    EXPECT_FALSE(isVisible(items));
    EXPECT_EQ(windowText(ctl(IDC_BACKUP_SIZE)), L"");
    ASSERT_EQ(checkListCount(removable), 1);
    EXPECT_EQ(checkedCount(removable), 0);
    EXPECT_FALSE(screenshot(dialog_, L"backup-remove-English").empty());
    click(ctl(IDC_BACKUP_SELECT_ALL));
    click(ctl(IDC_BACKUP_REMOVE_RESTORE));
    EXPECT_EQ(checkListCount(removable), 0);
    EXPECT_FALSE(folderExists(root + setNames[0])) << "the set was not removed";
    EXPECT_EQ(filesIn(root, L"*"), Names{}) << "the removal must not be backed up";
    closeDialog();
    DeleteFileW(leftover.c_str());
}

// ---- both dialogs in Deutsch --------------------------------------------

TEST_F(DialogTest, DeutschPagesAndScreenshots) {
    const auto view = readIni(proc_->languagePath(), L"Deutsch", L"View log");
    const auto removeButton = readIni(proc_->languagePath(), L"Deutsch", L"Remove Button");
    const auto restoreButton = readIni(proc_->languagePath(), L"Deutsch", L"Restore Button");
    ASSERT_TRUE(view && removeButton && restoreButton) << "Languages.ini lacks Deutsch texts";
    writeLog(L"protokoll.txt", L"Deleted file (C:\\x)");
    CreateDirectoryW((proc_->folder() + L"Backup").c_str(), nullptr);
    CreateDirectoryW((proc_->folder() + L"Backup\\12.05.2026-06-01-23").c_str(), nullptr);
    CreateDirectoryW((proc_->folder() + L"Backup\\12.05.2026-06-01-23\\NVIDIA - Display - Files").c_str(),
                     nullptr);
    ASSERT_TRUE(proc_->writeSettingsUtf16(L"[Languages]\r\nCurrent=Deutsch\r\n"));
    launch();

    open(IDM_LOG, TW_CLASS_LOG);
    EXPECT_EQ(listItems(ctl(IDC_LOG_LIST)), Names{L"protokoll"}) << "the German page name was not recognised";
    if (const auto title = readIni(proc_->languagePath(), L"Deutsch", L"Log")) {
        EXPECT_EQ(windowText(dialog_), *title);
    }
    EXPECT_FALSE(screenshot(dialog_, L"log-view-Deutsch").empty());
    clickNode(ctl(IDC_LOG_TREE), 1);
    EXPECT_TRUE(isVisible(ctl(IDC_LOG_CHECKLIST)));
    EXPECT_EQ(checkListCount(ctl(IDC_LOG_CHECKLIST)), 1);
    EXPECT_FALSE(screenshot(dialog_, L"log-remove-Deutsch").empty());
    closeDialog();

    treeId_ = IDC_BACKUP_TREE;
    open(IDM_BACKUP, TW_CLASS_BACKUP);
    EXPECT_EQ(windowText(ctl(IDC_BACKUP_REMOVE_RESTORE)), *restoreButton);
    EXPECT_EQ(listItems(ctl(IDC_BACKUP_LIST)), Names{L"12.05.2026-06-01-23"});
    ASSERT_TRUE(doubleClickListItem(ctl(IDC_BACKUP_LIST), 0));
    EXPECT_EQ(windowText(ctl(IDC_BACKUP_SIZE)), L"0MB / 0MB");
    EXPECT_FALSE(screenshot(dialog_, L"backup-restore-Deutsch").empty());
    clickNode(ctl(IDC_BACKUP_TREE), 1);
    EXPECT_EQ(windowText(ctl(IDC_BACKUP_REMOVE_RESTORE)), *removeButton);
    EXPECT_EQ(checkListCount(ctl(IDC_BACKUP_CHECK_SETS)), 1);
    EXPECT_FALSE(screenshot(dialog_, L"backup-remove-Deutsch").empty());
    closeDialog();
}

}  // namespace
}  // namespace tw::e2e
