// End-to-end tests of the desktop icon restorer: the real program against the
// fake shell's desktop list view in another process, under Wine or Windows.
#include "driver.h"

#include "desktop/win/DesktopIconFormRes.h"
#include "tests/e2e/fakeshell/fakeshell.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstdint>
#include <memory>

namespace tw::e2e {
namespace {

namespace shell = fakeshell;

std::wstring testName() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string n = std::string(info->test_suite_name()) + "-" + info->name();
    for (char& c : n)
        if (c == '/') c = '-';
    return std::wstring(n.begin(), n.end());
}

// The fake shell process; ended when the owner goes.
class FakeShell {
public:
    FakeShell() = default;
    FakeShell(const FakeShell&) = delete;
    FakeShell& operator=(const FakeShell&) = delete;
    ~FakeShell() {
        if (!process_) return;
        TerminateProcess(process_.get(), 0);
        WaitForSingleObject(process_.get(), 5000);
    }

    static std::wstring exe() { return driverFolder() + L"tw_e2e_fakeshell.exe"; }

    bool start(const std::wstring& switches) {
        std::wstring command = L"\"" + exe() + L"\" " + switches;
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(exe().c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            return false;
        process_ = Handle(pi.hProcess);
        CloseHandle(pi.hThread);
        progman_ = waitForWindow([&]() -> HWND {
            for (HWND w : topLevelWindows(pi.dwProcessId, L"Progman", false))
                if (windowText(w) == shell::kReadyTitle) return w;
            return nullptr;
        });
        if (!progman_) return false;
        listView_ = reinterpret_cast<HWND>(SendMessageW(progman_, shell::kQueryListView, 0, 0));
        return listView_ != nullptr;
    }

    HWND progman() const { return progman_; }
    POINT position(int index) const {
        const auto r = static_cast<std::uint64_t>(SendMessageW(progman_, shell::kQueryPosition, index, 0));
        return {static_cast<std::int32_t>(r & 0xFFFFFFFFu), static_cast<std::int32_t>(r >> 32)};
    }
    std::vector<POINT> positions() const {
        std::vector<POINT> out;
        for (int i = 0; i < static_cast<int>(std::size(shell::kIcons)); ++i) out.push_back(position(i));
        return out;
    }
    void move(int index, int x, int y) const {
        SendMessageW(listView_, LVM_SETITEMPOSITION, index, MAKELPARAM(x, y));
    }
    bool autoArrange() const { return (GetWindowLongPtrW(listView_, GWL_STYLE) & LVS_AUTOARRANGE) != 0; }

private:
    Handle process_;
    HWND progman_ = nullptr;
    HWND listView_ = nullptr;
};

::testing::AssertionResult samePlace(POINT a, POINT b) {
    if (a.x == b.x && a.y == b.y) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << a.x << ", " << a.y << ") != (" << b.x << ", " << b.y << ")";
}

std::vector<std::wstring> comboItems(HWND combo) {
    std::vector<std::wstring> items;
    const auto n = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
        const auto len = SendMessageW(combo, CB_GETLBTEXTLEN, i, 0);
        std::wstring text(static_cast<std::size_t>(len < 0 ? 0 : len) + 1, L'\0');
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        text.resize(wcslen(text.c_str()));
        items.push_back(text);
    }
    return items;
}

class DesktopIconTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fileExists(tidewellExe())) GTEST_SKIP() << "program under test missing; set TW_EXE";
        ASSERT_TRUE(fileExists(FakeShell::exe())) << "fake shell missing beside the driver";
        proc_ = std::make_unique<TidewellProcess>(testName());
    }
    void TearDown() override {
        if (proc_ && proc_->running()) proc_->terminate();
    }

    // Starts the shell (unless switches is null) and the program, and opens
    // the dialog with Ctrl+D.
    void launch(const wchar_t* switches = L"") {
        if (switches) {
            ASSERT_TRUE(shell_.start(switches)) << "fake shell did not come up";
            ASSERT_EQ(FindWindowW(L"Progman", nullptr), shell_.progman()) << "another Progman window is in the way";
        }
        ASSERT_TRUE(proc_->start());
        main_ = proc_->waitForMainWindow();
        ASSERT_NE(main_, nullptr);
        ASSERT_TRUE(sendKey(main_, nullptr, 'D', true));
        dialog_ = waitForWindow([&]() -> HWND {
            auto w = topLevelWindows(proc_->pid(), L"TDesktopIcon");
            return w.empty() ? nullptr : w.front();
        });
        ASSERT_NE(dialog_, nullptr) << "Ctrl+D did not open the dialog";
    }

    HWND ctl(int id) const { return control(dialog_, id); }
    std::wstring layoutFile(const std::wstring& name) const { return proc_->folder() + L"Desktop Icon\\" + name + L".ini"; }

    void save(const std::wstring& name) {
        SetWindowTextW(ctl(IDC_DESK_SAVE_COMBO), name.c_str());
        click(ctl(IDC_DESK_SAVE_BUTTON));
    }
    void restore(const std::wstring& name, bool resolution = true) {
        SetWindowTextW(ctl(IDC_DESK_RESTORE_COMBO), name.c_str());
        SendMessageW(ctl(IDC_DESK_RESOLUTION), BM_SETCHECK, resolution ? BST_CHECKED : BST_UNCHECKED, 0);
        click(ctl(IDC_DESK_RESTORE_BUTTON));
    }
    // The name the default text saved under: the one layout there is.
    std::wstring onlyLayout() const {
        auto items = comboItems(ctl(IDC_DESK_RESTORE_COMBO));
        return items.size() == 1 ? items.front() : L"<" + std::to_wstring(items.size()) + L" layouts>";
    }
    void switchPage() { ASSERT_TRUE(sendKey(dialog_, ctl(IDC_DESK_TAB), VK_RIGHT)); }

    std::unique_ptr<TidewellProcess> proc_;
    FakeShell shell_;
    HWND main_ = nullptr;
    HWND dialog_ = nullptr;
};

// ---- save and restore ----------------------------------------------------

TEST_F(DesktopIconTest, SavedPositionsComeBackAndOnlyTheFirstOfTwoNamesMoves) {
    launch();
    EXPECT_EQ(windowText(ctl(IDC_DESK_SAVE_COMBO)), L"Current date and time");
    const std::vector<POINT> before = shell_.positions();
    click(ctl(IDC_DESK_SAVE_BUTTON));
    const std::wstring name = onlyLayout();
    ASSERT_TRUE(fileExists(layoutFile(name))) << "no layout file for " << std::string(name.begin(), name.end());
    EXPECT_EQ(windowText(ctl(IDC_DESK_RESTORE_COMBO)), name);
    EXPECT_EQ(windowText(ctl(IDC_DESK_REMOVE_COMBO)), name);
    EXPECT_EQ(readIni(layoutFile(name), L"Computer", L"X"), std::to_wstring(before[0].x));
    EXPECT_EQ(readIni(layoutFile(name), L"Same", L"Y"), std::to_wstring(before[2].y)) << "the first 'Same' is written last";
    EXPECT_EQ(readIni(layoutFile(name), L"QuorvelDesktopResolution", L"Width"),
              std::to_wstring(GetSystemMetrics(SM_CXSCREEN)));

    for (int i = 0; i < 5; ++i) shell_.move(i, 500 + 10 * i, 300 + 10 * i);
    const POINT secondSame = shell_.position(3);
    restore(name);
    const std::vector<POINT> after = shell_.positions();
    EXPECT_TRUE(samePlace(after[0], before[0]));
    EXPECT_TRUE(samePlace(after[1], before[1]));
    EXPECT_TRUE(samePlace(after[2], before[2]));
    EXPECT_TRUE(samePlace(after[3], secondSame)) << "the second icon of a name stays";
    EXPECT_TRUE(samePlace(after[4], before[4]));
    EXPECT_TRUE(messageBoxes(proc_->pid()).empty());
}

TEST_F(DesktopIconTest, MinusOneInTheLayoutLeavesTheIconWhereItIs) {
    launch();
    save(L"Edited");
    const std::vector<POINT> before = shell_.positions();
    ASSERT_TRUE(WritePrivateProfileStringW(L"Computer", L"X", L"-1", layoutFile(L"Edited").c_str()));
    ASSERT_TRUE(WritePrivateProfileStringW(L"Documents", L"Y", L"-1", layoutFile(L"Edited").c_str()));
    shell_.move(0, 600, 50);
    shell_.move(1, 600, 150);
    shell_.move(4, 600, 250);
    restore(L"Edited", false);
    EXPECT_TRUE(samePlace(shell_.position(0), {600, 50}));
    EXPECT_TRUE(samePlace(shell_.position(1), before[1]));
    EXPECT_TRUE(samePlace(shell_.position(4), {600, 250}));
}

TEST_F(DesktopIconTest, AutoArrangeIsOnAgainAfterRestoring) {
    launch(L"-autoarrange");
    ASSERT_TRUE(shell_.autoArrange());
    save(L"Arranged");
    restore(L"Arranged");
    EXPECT_TRUE(shell_.autoArrange());
    EXPECT_TRUE(messageBoxes(proc_->pid()).empty());
}

// The desktop's view found elsewhere than as the first grandchild of Progman.
class DesktopIconWindowTree : public DesktopIconTest, public ::testing::WithParamInterface<const wchar_t*> {};

TEST_P(DesktopIconWindowTree, IconsAreFoundAndPlaced) {
    launch(GetParam());
    save(L"Tree");
    const std::vector<POINT> before = shell_.positions();
    EXPECT_EQ(readIni(layoutFile(L"Tree"), L"Documents", L"X"), std::to_wstring(before[4].x));
    EXPECT_EQ(readIni(layoutFile(L"Tree"), L"Recycle Bin", L"Y"), std::to_wstring(before[1].y));
    shell_.move(4, 10, 400);
    restore(L"Tree");
    EXPECT_TRUE(samePlace(shell_.position(4), before[4]));
}

INSTANTIATE_TEST_SUITE_P(Shell, DesktopIconWindowTree, ::testing::Values(L"-workerw", L"-emptyfirst"),
                         [](const auto& info) { return std::string(info.index == 0 ? "WorkerW" : "EmptyFirstChild"); });

// ---- names, lists, removal -----------------------------------------------

TEST_F(DesktopIconTest, DefaultNameInCapitalsRemoveAndRefusedName) {
    launch();
    save(L"CURRENT DATE AND TIME");
    const std::wstring stamp = onlyLayout();
    EXPECT_FALSE(fileExists(layoutFile(L"CURRENT DATE AND TIME")));
    EXPECT_NE(stamp.find_first_of(L"0123456789"), std::wstring::npos) << "not a time stamp";
    save(L"zz Last");
    save(L"Aa First");
    // Sorted as the combo box sorts: the time stamp's digits first.
    const std::vector<std::wstring> all = comboItems(ctl(IDC_DESK_REMOVE_COMBO));
    EXPECT_EQ(all, (std::vector<std::wstring>{stamp, L"Aa First", L"zz Last"}));
    EXPECT_EQ(windowText(ctl(IDC_DESK_REMOVE_COMBO)), L"zz Last");

    SetWindowTextW(ctl(IDC_DESK_REMOVE_COMBO), L"zz Last");
    click(ctl(IDC_DESK_REMOVE_BUTTON));
    EXPECT_FALSE(fileExists(layoutFile(L"zz Last")));
    EXPECT_EQ(comboItems(ctl(IDC_DESK_RESTORE_COMBO)), (std::vector<std::wstring>{stamp, L"Aa First"}));
    EXPECT_EQ(windowText(ctl(IDC_DESK_RESTORE_COMBO)), L"Aa First");
    EXPECT_EQ(windowText(ctl(IDC_DESK_REMOVE_COMBO)), L"Aa First");

    // A name that is no file name: an error box, the lists stay as they were.
    SetWindowTextW(ctl(IDC_DESK_SAVE_COMBO), L"a:b");
    SetWindowTextW(ctl(IDC_DESK_REMOVE_COMBO), L"typed");
    postClick(ctl(IDC_DESK_SAVE_BUTTON));
    auto box = waitForMessageBox(proc_->pid());
    ASSERT_TRUE(box) << "no error box";
    EXPECT_EQ(box->text, L"Unable to write to " + layoutFile(L"a:b"));
    answerMessageBox(box->hwnd, IDOK);
    settle(dialog_);
    EXPECT_EQ(windowText(ctl(IDC_DESK_REMOVE_COMBO)), L"typed");
}

TEST_F(DesktopIconTest, WithoutShellTheLayoutHoldsOnlyTheScreen) {
    launch(nullptr);
    if (FindWindowW(L"Progman", nullptr)) GTEST_SKIP() << "this system has a desktop window";
    save(L"Empty");
    ASSERT_TRUE(fileExists(layoutFile(L"Empty")));
    wchar_t sections[512] = {};
    GetPrivateProfileSectionNamesW(sections, 512, layoutFile(L"Empty").c_str());
    EXPECT_EQ(std::wstring(sections), L"QuorvelDesktopResolution");
    EXPECT_TRUE(messageBoxes(proc_->pid()).empty());
}

// ---- pictures --------------------------------------------------------------

TEST_F(DesktopIconTest, ScreenshotsOfThePagesInEnglishAndDeutsch) {
    for (const wchar_t* language : {L"English", L"Deutsch"}) {
        proc_ = std::make_unique<TidewellProcess>(testName() + L"-" + language);
        ASSERT_TRUE(proc_->writeSettingsUtf16(std::wstring(L"[Languages]\r\nCurrent=") + language + L"\r\n"));
        launch(nullptr);
        const auto saveText = readIni(proc_->languagePath(), language, L"Desktop Icon Save");
        if (saveText) {
            EXPECT_EQ(windowText(ctl(IDC_DESK_SAVE_BUTTON)), *saveText);
        }
        const wchar_t* pages[] = {L"save", L"restore", L"remove"};
        for (int page = 0; page < 3; ++page) {
            if (page > 0) switchPage();
            EXPECT_EQ(TabCtrl_GetCurSel(ctl(IDC_DESK_TAB)), page);
            EXPECT_EQ(isVisible(ctl(IDC_DESK_RESTORE_BUTTON)), page == 1);
            EXPECT_FALSE(screenshot(dialog_, std::wstring(L"desktop-icon-") + pages[page] + L"-" + language).empty());
        }
        proc_->terminate();
    }
}

}  // namespace
}  // namespace tw::e2e
