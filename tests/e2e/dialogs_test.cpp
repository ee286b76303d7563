// The real program's dialogs, opened by their shortcuts and driven through
// their controls; what they store or change checked on disk.
#include "driver.h"

#include "about/win/AboutFormRes.h"
#include "app/win/TWFormRes.h"
#include "backup/win/BackupFormRes.h"
#include "desktop/win/DesktopIconFormRes.h"
#include "log/win/LogFormRes.h"
#include "options/win/OptionsFormRes.h"
#include "tests/e2e/fakeshell/fakeshell.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <memory>

namespace tw::e2e {
namespace {

using DialogTest = E2eTest;

// Options rows while the Cleaning node is open: Cleaning, seven targets, Language, Miscellaneous.
enum OptionsRow { kCleaning = 0, kNvidiaDisplay = 6, kLanguage = 8, kMiscellaneous = 9 };

// The three pages: a grayed Files box clicked, one target's Registry
// switch, a Miscellaneous box, and German applied to every window.
TEST_F(DialogTest, OptionsPagesApplyTheirChanges) {
    launch(L"[ATi Display]\r\nFiles=0\r\n");
    HWND options = open('O', TW_CLASS_OPTIONS, L"Options");
    ASSERT_NE(options, nullptr);
    EXPECT_FALSE(isEnabled(main_)) << "the dialog is not modal";
    HWND tree = control(options, IDC_OPT_TREE), files = control(options, IDC_OPT_FILES);
    HWND registry = control(options, IDC_OPT_REGISTRY), combo = control(options, IDC_OPT_LANG_COMBO);
    EXPECT_EQ(check(files), BST_INDETERMINATE) << "six of seven targets' files on";
    EXPECT_EQ(check(registry), BST_CHECKED);
    screenshot(options, L"options-cleaning");
    click(files);  // grayed turns checked: every target's files on
    EXPECT_EQ(check(files), BST_CHECKED);
    selectNode(tree, kNvidiaDisplay);
    click(registry);
    selectNode(tree, kCleaning);
    EXPECT_EQ(check(registry), BST_INDETERMINATE) << "one target's registry off";
    selectNode(tree, kNvidiaDisplay);
    EXPECT_EQ(check(registry), BST_UNCHECKED) << "a target node shows that target's own switches";

    selectNode(tree, kMiscellaneous);
    EXPECT_FALSE(isVisible(files));
    EXPECT_TRUE(isVisible(control(options, IDC_OPT_BACKUP)));
    click(control(options, IDC_OPT_BACKUP));
    screenshot(options, L"options-miscellaneous");

    selectNode(tree, kLanguage);
    EXPECT_TRUE(isVisible(combo));
    EXPECT_EQ(windowText(combo), L"English");
    ASSERT_NE(SendMessageW(combo, CB_SELECTSTRING, WPARAM(-1), LPARAM(L"Deutsch")), CB_ERR) << "no Deutsch";
    screenshot(options, L"options-language");
    click(control(options, IDC_OPT_APPLY));
    settle(options);
    EXPECT_EQ(windowText(options), L"Optionen");
    EXPECT_EQ(windowText(ctl(IDC_LABEL_SELECT)), L"Auswählen");
    EXPECT_TRUE(isVisible(files)) << "applying a language goes back to the Cleaning page";
    closeByEsc(options);
    HWND log = open('L', TW_CLASS_LOG, L"Protokoll");  // first made after the change
    ASSERT_NE(log, nullptr);
    closeByEsc(log);
    closeProgram();
    EXPECT_EQ(setting(L"ATi Display", L"Files"), L"1");
    EXPECT_EQ(setting(L"NVIDIA Display", L"Registry"), L"0");
    EXPECT_EQ(setting(L"NVIDIA Chipset", L"Registry"), L"1");
    EXPECT_EQ(setting(L"Backup", L"Enabled"), L"1");
    EXPECT_EQ(setting(L"Languages", L"Current"), L"Deutsch");
}

TEST_F(DialogTest, LogViewAndRemove) {
    const std::wstring logs = folder_ + L"Logs\\";
    CreateDirectoryW(logs.c_str(), nullptr);
    for (const wchar_t* name : {L"first", L"second"})
        ASSERT_TRUE(writeFileBytes(logs + name + L".txt", utf16(std::wstring(L"Deleted file (C:\\") + name + L")")));
    launch();
    HWND log = open('L', TW_CLASS_LOG, L"Log");
    ASSERT_NE(log, nullptr);
    HWND list = control(log, IDC_LOG_LIST), checks = control(log, IDC_LOG_CHECKLIST);
    Texts names = listItems(list);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Texts{L"first", L"second"}));
    ASSERT_TRUE(clickListItem(list, 1));
    EXPECT_EQ(windowText(control(log, IDC_LOG_MEMO)), L"Deleted file (C:\\" + listItems(list)[1] + L")");
    screenshot(log, L"log-view");

    selectNode(control(log, IDC_LOG_TREE), 1);
    EXPECT_TRUE(isVisible(checks));
    EXPECT_FALSE(isVisible(list));
    EXPECT_EQ(listViewCount(checks), 2);
    screenshot(log, L"log-remove");
    click(control(log, IDC_LOG_SELECT_ALL));
    click(control(log, IDC_LOG_REMOVE));
    EXPECT_EQ(listViewCount(checks), 0);
    EXPECT_TRUE(filesIn(logs, L"*.txt").empty()) << "the checked logs were not removed";
    closeByEsc(log);
    closeProgram();
}

// A real run with backup on; its set restored and then removed.
TEST_F(DialogTest, BackupRestoreAndRemove) {
    const std::wstring leftover = mouseLeftover(L"backup");
    launch(L"[Backup]\r\nEnabled=1\r\n[DisplayWarning]\r\nEnabled=0\r\n", L"-MMOUSE");
    ASSERT_FALSE(fileExists(leftover)) << "the run did not delete the leftover";
    HWND backup = open('B', TW_CLASS_BACKUP, L"Backup");
    ASSERT_NE(backup, nullptr);
    HWND sets = control(backup, IDC_BACKUP_LIST), button = control(backup, IDC_BACKUP_REMOVE_RESTORE);
    EXPECT_EQ(windowText(button), L"Restore");
    const Texts setNames = listItems(sets);
    ASSERT_EQ(setNames.size(), 1u);
    // An update block in the set as a run leaves it: its record and the policy value it names.
    const wchar_t* list = L"SOFTWARE\\Policies\\Microsoft\\Windows\\DeviceInstall\\Restrictions\\DenyDeviceIDs";
    const std::wstring item = folder_ + L"Backup\\" + setNames[0] + L"\\DeviceInstallBlock\\";
    CreateDirectoryW(item.c_str(), nullptr), writeFileBytes(item + L"DenyDeviceIDs.txt", "made\t1\nvalue\t1\tUSB\\VID_045E\n");
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, list, L"1", REG_SZ, L"USB\\VID_045E", 26);
    ASSERT_TRUE(clickListItem(sets, 0));
    EXPECT_GE(checkedCount(control(backup, IDC_BACKUP_CHECK_RESTORE)), 1) << "choosing a set checks its items";
    EXPECT_TRUE(isVisible(control(backup, IDC_BACKUP_BLOCK_NOTE))) << "the block in place is not told";
    screenshot(backup, L"backup-restore");
    click(button);
    EXPECT_EQ(readFileBytes(leftover), std::string("leftover")) << "the restore did not bring the file back";
    HKEY lifted = nullptr;  // the value and the key the block made are gone
    EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, list, 0, KEY_READ, &lifted), ERROR_SUCCESS), RegCloseKey(lifted);

    selectNode(control(backup, IDC_BACKUP_TREE), 1);
    EXPECT_EQ(windowText(button), L"Remove");
    HWND removable = control(backup, IDC_BACKUP_CHECK_SETS);
    ASSERT_EQ(listViewCount(removable), 1);
    screenshot(backup, L"backup-remove");
    click(control(backup, IDC_BACKUP_SELECT_ALL));
    click(button);
    EXPECT_FALSE(folderExists(folder_ + L"Backup\\" + setNames[0])) << "the set was not removed";
    closeByEsc(backup);
    closeProgram();
    DeleteFileW(leftover.c_str());
}

TEST_F(DialogTest, AboutPages) {
    launch();
    HWND about = open('A', TW_CLASS_ABOUT, L"About");
    ASSERT_NE(about, nullptr);
    for (const wchar_t* shown : {L"Tidewell 1.0", L"\r\n64-bit build on 64-bit Windows\r\n"})
        EXPECT_NE(windowText(control(about, IDC_ABOUT_MEMO_ABOUT)).find(shown), std::wstring::npos) << shown;
    const int memos[] = {IDC_ABOUT_MEMO_ABOUT, IDC_ABOUT_MEMO_DONATE, IDC_ABOUT_MEMO_CONTACT};
    for (int page = 0; page < 3; ++page) {
        selectNode(control(about, IDC_ABOUT_TREE), page);
        for (int memo = 0; memo < 3; ++memo)
            EXPECT_EQ(isVisible(control(about, memos[memo])), memo == page) << "page " << page << ", memo " << memo;
        screenshot(about, L"about-" + std::to_wstring(page));
    }
    closeByEsc(about);
    closeProgram();
}

// Save, move the icons, restore, remove: against the fake shell's desktop.
// Layout names are listed and used without regard to case; names that leave
// the folder or name a device are refused.
TEST_F(DialogTest, DesktopIconLayouts) {
    const std::unique_ptr<void, void (*)(HANDLE)> shell(startProgram(driverFile(L"tw_e2e_fakeshell.exe"), L"", nullptr),
                                                        [](HANDLE p) { TerminateProcess(p, 0), CloseHandle(p); });
    ASSERT_TRUE(shell) << "the fake shell did not start";
    const HWND progman = waitForWindow([] { return FindWindowW(L"Progman", fakeshell::kReadyTitle); });
    ASSERT_NE(progman, nullptr) << "the fake shell did not come up";
    const HWND icons = FindWindowExW(FindWindowExW(progman, nullptr, L"SHELLDLL_DefView", nullptr), nullptr, WC_LISTVIEWW, nullptr);
    auto positions = [&] {
        std::vector<std::pair<int, int>> all;
        for (int i = 0; i < int(std::size(fakeshell::kIcons)); ++i) {
            const auto at = std::uint64_t(SendMessageW(progman, fakeshell::kQueryPosition, i, 0));
            all.emplace_back(std::int32_t(at), std::int32_t(at >> 32));
        }
        return all;
    };

    launch();
    HWND dialog = open('D', TW_CLASS_DESKTOP, L"Desktop Icon Restorer");
    ASSERT_NE(dialog, nullptr);
    screenshot(dialog, L"desktop-icons");
    auto use = [&](int combo, int button, const wchar_t* name) {
        SetWindowTextW(control(dialog, combo), name);
        click(control(dialog, button));
    };
    const auto before = positions();
    use(IDC_DESK_SAVE_COMBO, IDC_DESK_SAVE_BUTTON, L"E2E");
    use(IDC_DESK_SAVE_COMBO, IDC_DESK_SAVE_BUTTON, L"alpha");
    const std::wstring layout = folder_ + L"Desktop Icon\\E2E.ini";
    ASSERT_TRUE(fileExists(layout)) << "no layout saved";
    EXPECT_EQ(listItems(control(dialog, IDC_DESK_RESTORE_COMBO)), (Texts{L"alpha", L"E2E"}));
    for (const wchar_t* name : {L"..\\Tidewell", L"a:b", L"CON", L"nul.txt", L"COM\u00b9"}) {
        SetWindowTextW(control(dialog, IDC_DESK_SAVE_COMBO), name);
        postClick(control(dialog, IDC_DESK_SAVE_BUTTON));
        const HWND box = waitFor(kMessageBox, 5s);
        ASSERT_TRUE(box && answerMessageBox(box, IDOK)) << "saved as " << name;
    }
    EXPECT_FALSE(setting(L"Computer", L"X")) << "saved over the settings";

    for (int i = 0; i < int(before.size()); ++i) SendMessageW(icons, LVM_SETITEMPOSITION, i, MAKELPARAM(400 + 40 * i, 300));
    const auto moved = positions();
    ASSERT_NE(moved, before);
    // An unknown coordinate (-1) leaves its icon where it is; of two icons alike the first is placed.
    ASSERT_TRUE(WritePrivateProfileStringW(L"Documents", L"Y", L"-1", layout.c_str()));
    auto placed = before;
    placed[2] = moved[2], placed[4] = moved[4];
    use(IDC_DESK_RESTORE_COMBO, IDC_DESK_RESTORE_BUTTON, L"e2e");
    EXPECT_EQ(positions(), placed) << "the icons did not go back as the layout holds";
    use(IDC_DESK_REMOVE_COMBO, IDC_DESK_REMOVE_BUTTON, L"..\\Tidewell");
    EXPECT_TRUE(fileExists(folder_ + L"Tidewell.ini")) << "removed outside the layout folder";
    use(IDC_DESK_REMOVE_COMBO, IDC_DESK_REMOVE_BUTTON, L"e2E");
    EXPECT_FALSE(fileExists(layout)) << "the layout was not removed";
    EXPECT_EQ(listItems(control(dialog, IDC_DESK_REMOVE_COMBO)), Texts{L"alpha"});
    EXPECT_FALSE(waitFor(kMessageBox, 0ms));
    closeByEsc(dialog);
    closeProgram();
}

}  // namespace
}  // namespace tw::e2e
