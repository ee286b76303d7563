// End-to-end tests of the Options and About dialogs: opening, page switching
// by click and by the arrow keys, what Apply, OK, Cancel, Esc and the close
// box store, a language applied to every window, and pictures of every page
// in English and in German.
#include "driver.h"

#include "about/win/AboutFormRes.h"
#include "app/win/TWFormRes.h"
#include "options/win/OptionsFormRes.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <shellapi.h>

#include <cstdlib>
#include <cstring>

namespace tw::e2e {
namespace {

std::wstring testName() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string n = std::string(info->test_suite_name()) + "-" + info->name();
    return std::wstring(n.begin(), n.end());
}

const wchar_t* const kTargets[] = {L"AGEIA PhysX",    L"ATi Display",    L"Creative Sound",
                                   L"Microsoft Mouse", L"NVIDIA Chipset", L"NVIDIA Display",
                                   L"Realtek Sound"};

// Memory inside the program under test, for the tree view's messages that
// carry pointers (the system copies no data for them across processes).
class RemoteMemory {
public:
    RemoteMemory(DWORD pid, size_t size)
        : process_(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid)) {
        if (process_)
            at_ = VirtualAllocEx(process_.get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteMemory() {
        if (at_) VirtualFreeEx(process_.get(), at_, 0, MEM_RELEASE);
    }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;
    char* at() const { return static_cast<char*>(at_); }
    bool write(size_t offset, const void* data, size_t size) {
        return at_ && WriteProcessMemory(process_.get(), at() + offset, data, size, nullptr);
    }
    bool read(size_t offset, void* data, size_t size) const {
        return at_ && ReadProcessMemory(process_.get(), at() + offset, data, size, nullptr);
    }

private:
    Handle process_;
    void* at_ = nullptr;
};

class OptionsAboutTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fileExists(tidewellExe())) FAIL() << "program under test missing; set TW_EXE";
        proc_ = std::make_unique<TidewellProcess>(testName());
    }

    void launch(const std::wstring& settings = L"") {
        if (!settings.empty()) {
            ASSERT_TRUE(proc_->writeSettingsUtf16(settings));
        }
        ASSERT_TRUE(proc_->start()) << "could not start the program";
        main_ = proc_->waitForMainWindow();
        ASSERT_NE(main_, nullptr) << "main window did not appear";
        ASSERT_TRUE(settle(main_));
    }

    HWND dialog(const wchar_t* cls, bool visibleOnly = true) const {
        auto found = topLevelWindows(proc_->pid(), cls, visibleOnly);
        return found.empty() ? nullptr : found.front();
    }
    HWND waitForDialog(const wchar_t* cls) {
        return waitForWindow([&] { return dialog(cls); }, 10s);
    }
    bool waitHidden(HWND w) {
        return waitForWindow([&]() -> HWND { return isVisible(w) ? nullptr : w; }, 5s) != nullptr;
    }

    // Ctrl+O, and the Options dialog once it shows.
    HWND openOptions() {
        if (!sendKey(main_, nullptr, 'O', true)) return nullptr;
        HWND options = waitForDialog(TW_CLASS_OPTIONS);
        if (options) settle(options);
        return options;
    }

    // ---- the page tree ----
    static HTREEITEM node(HWND tree, UINT relation, HTREEITEM from = nullptr) {
        return reinterpret_cast<HTREEITEM>(
            SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(from)));
    }
    // The top-level nodes, in order.
    static std::vector<HTREEITEM> roots(HWND tree) {
        std::vector<HTREEITEM> all;
        for (HTREEITEM n = node(tree, TVGN_ROOT); n; n = node(tree, TVGN_NEXT, n)) all.push_back(n);
        return all;
    }
    static std::vector<HTREEITEM> children(HWND tree, HTREEITEM parent) {
        std::vector<HTREEITEM> all;
        for (HTREEITEM n = node(tree, TVGN_CHILD, parent); n; n = node(tree, TVGN_NEXT, n))
            all.push_back(n);
        return all;
    }
    static HTREEITEM selection(HWND tree) { return node(tree, TVGN_CARET); }
    static bool expanded(HWND tree, HTREEITEM item) {
        return (SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) &
                TVIS_EXPANDED) != 0;
    }
    std::wstring nodeText(HWND tree, HTREEITEM item) const {
        RemoteMemory remote(proc_->pid(), sizeof(TVITEMW) + 512 * sizeof(wchar_t));
        TVITEMW tvi{};
        tvi.mask = TVIF_TEXT;
        tvi.hItem = item;
        tvi.pszText = reinterpret_cast<wchar_t*>(remote.at() + sizeof(TVITEMW));
        tvi.cchTextMax = 512;
        wchar_t text[512] = {};
        if (!remote.write(0, &tvi, sizeof(tvi)) || !remote.write(sizeof(TVITEMW), text, sizeof(text)))
            return L"<no remote memory>";
        if (!SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote.at())))
            return L"<no item>";
        remote.read(sizeof(TVITEMW), text, sizeof(text) - sizeof(wchar_t));
        return text;
    }
    // A mouse click on the node's text.
    void clickNode(HWND tree, HTREEITEM item) {
        RemoteMemory remote(proc_->pid(), sizeof(RECT));
        RECT r{};
        std::memcpy(&r, &item, sizeof(item));  // TVM_GETITEMRECT takes the item in the rectangle
        ASSERT_TRUE(remote.write(0, &r, sizeof(r)));
        ASSERT_TRUE(SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(remote.at())))
            << "the node is not shown";
        ASSERT_TRUE(remote.read(0, &r, sizeof(r)));
        const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        PostMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(tree, WM_LBUTTONUP, 0, at);
        settle(tree);
        ASSERT_EQ(selection(tree), item) << "the click did not select the node";
    }

    // ---- pages ----
    enum class Page { Cleaning, Language, Miscellaneous, None, Several };
    static Page optionsPage(HWND options) {
        const bool c = isVisible(control(options, IDC_OPT_FILES));
        const bool l = isVisible(control(options, IDC_OPT_LANG_COMBO));
        const bool m = isVisible(control(options, IDC_OPT_LOGFILES));
        if (c + l + m > 1) return Page::Several;
        return c ? Page::Cleaning : l ? Page::Language : m ? Page::Miscellaneous : Page::None;
    }
    static int aboutPage(HWND about) {  // 0, 1, 2; -1 none, -2 several
        const int ids[] = {IDC_ABOUT_MEMO_ABOUT, IDC_ABOUT_MEMO_DONATE, IDC_ABOUT_MEMO_CONTACT};
        int shown = -1;
        for (int i = 0; i < 3; ++i)
            if (isVisible(control(about, ids[i]))) shown = shown == -1 ? i : -2;
        return shown;
    }
    static UINT check(HWND box) { return static_cast<UINT>(SendMessageW(box, BM_GETCHECK, 0, 0)); }

    // Whether the main window's tray icon is there: only an existing icon
    // can be modified.
    bool trayIconShown() const {
        NOTIFYICONDATAW data{};
        data.cbSize = sizeof(data);
        data.hWnd = main_;
        data.uID = 1;
        data.uFlags = NIF_TIP;
        lstrcpynW(data.szTip, L"Tidewell", 64);
        return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
    }

    void closeProgram() {
        ASSERT_TRUE(proc_->close()) << "program did not end on WM_CLOSE";
        EXPECT_EQ(proc_->exitCode(), 0u);
    }

    std::unique_ptr<TidewellProcess> proc_;
    HWND main_ = nullptr;
};

// ---- opening and pages ---------------------------------------------------

TEST_F(OptionsAboutTest, OptionsOpensOnCleaningAndPagesFollowTree) {
    launch();
    HWND options = openOptions();
    ASSERT_NE(options, nullptr) << "Ctrl+O did not open the Options dialog";
    EXPECT_FALSE(isEnabled(main_)) << "the dialog is not modal";
    HWND tree = control(options, IDC_OPT_TREE);
    const auto pages = roots(tree);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(nodeText(tree, pages[0]), L"Cleaning");
    EXPECT_EQ(nodeText(tree, pages[1]), L"Language");
    EXPECT_EQ(nodeText(tree, pages[2]), L"Miscellaneous");
    const auto targets = children(tree, pages[0]);
    ASSERT_EQ(targets.size(), std::size(kTargets));
    for (size_t i = 0; i < targets.size(); ++i) EXPECT_EQ(nodeText(tree, targets[i]), kTargets[i]);
    EXPECT_EQ(selection(tree), pages[0]);
    EXPECT_TRUE(expanded(tree, pages[0])) << "the Cleaning node opens expanded";
    EXPECT_EQ(optionsPage(options), Page::Cleaning);
    EXPECT_EQ(windowText(options), L"Options");
    EXPECT_FALSE(screenshot(options, L"options-Cleaning-English").empty());

    // Click: the Language page lists the languages, the current one selected.
    clickNode(tree, pages[1]);
    EXPECT_EQ(optionsPage(options), Page::Language);
    HWND combo = control(options, IDC_OPT_LANG_COMBO);
    ASSERT_GE(SendMessageW(combo, CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(windowText(combo), L"English");
    EXPECT_FALSE(screenshot(options, L"options-Language-English").empty());

    // Down and Up move the selection and the page follows.
    ASSERT_TRUE(sendKey(options, tree, VK_DOWN));
    settle(options);
    EXPECT_EQ(selection(tree), pages[2]);
    EXPECT_EQ(optionsPage(options), Page::Miscellaneous);
    EXPECT_FALSE(screenshot(options, L"options-Miscellaneous-English").empty());
    ASSERT_TRUE(sendKey(options, tree, VK_UP));
    ASSERT_TRUE(sendKey(options, tree, VK_UP));  // the last target node
    settle(options);
    EXPECT_EQ(selection(tree), targets.back());
    EXPECT_EQ(optionsPage(options), Page::Cleaning);

    // Enter presses no button; Esc closes.
    ASSERT_TRUE(sendKey(options, tree, VK_RETURN));
    settle(options);
    EXPECT_TRUE(isVisible(options)) << "Enter closed the dialog";
    ASSERT_TRUE(sendKey(options, tree, VK_ESCAPE));
    ASSERT_TRUE(waitHidden(options)) << "Esc did not close the dialog";
    settle(main_);
    EXPECT_TRUE(isEnabled(main_));

    // Opened again, it is back on its first page.
    ASSERT_EQ(openOptions(), options);
    settle(options);
    EXPECT_EQ(selection(tree), roots(tree)[0]);
    EXPECT_EQ(optionsPage(options), Page::Cleaning);
    click(control(options, IDCANCEL));
    EXPECT_TRUE(waitHidden(options));
    closeProgram();
}

// ---- what is stored ------------------------------------------------------

TEST_F(OptionsAboutTest, ChangesDroppedByCancelEscAndCloseBox) {
    launch();
    HWND options = nullptr;
    const auto close = [&](int way) {
        switch (way) {
        case 0: click(control(options, IDCANCEL)); break;
        case 1: sendKey(options, nullptr, VK_ESCAPE); break;
        default: PostMessageW(options, WM_SYSCOMMAND, SC_CLOSE, 0); break;
        }
    };
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        options = openOptions();
        ASSERT_NE(options, nullptr);
        HWND tree = control(options, IDC_OPT_TREE);
        click(control(options, IDC_OPT_FILES));  // all seven off
        EXPECT_EQ(check(control(options, IDC_OPT_FILES)), BST_UNCHECKED);
        clickNode(tree, roots(tree)[2]);
        click(control(options, IDC_OPT_BACKUP));
        click(control(options, IDC_OPT_DELETE_REBOOT));
        click(control(options, IDC_OPT_AFTER_CLEANING));
        EXPECT_EQ(check(control(options, IDC_OPT_BACKUP)), BST_CHECKED);
        close(way);
        ASSERT_TRUE(waitHidden(options));
        settle(main_);
    }
    // The settings saved at exit are the file's, not the abandoned changes.
    closeProgram();
    for (const wchar_t* target : kTargets) EXPECT_EQ(proc_->setting(target, L"Files"), L"1") << target;
    EXPECT_EQ(proc_->setting(L"Backup", L"Enabled"), L"0");
    EXPECT_EQ(proc_->setting(L"Reboot", L"Reboot"), L"0");
    const auto deleteAtReboot = proc_->setting(L"DeleteReboot", L"Enabled");
    EXPECT_TRUE(!deleteAtReboot || *deleteAtReboot == L"1");
}

TEST_F(OptionsAboutTest, ApplyFromMiscellaneousStoresEveryPageAndTrayFollowsOnlyThere) {
    launch(L"[SystemTray]\r\nEnabled=1\r\n[ATi Display]\r\nFiles=0\r\n");
    const bool trayObservable = trayIconShown();
    HWND options = openOptions();
    ASSERT_NE(options, nullptr);
    HWND tree = control(options, IDC_OPT_TREE);
    HWND files = control(options, IDC_OPT_FILES);
    EXPECT_EQ(check(files), BST_INDETERMINATE) << "six of seven: grayed";
    click(files);
    EXPECT_EQ(check(files), BST_CHECKED) << "a click on grayed turns it checked";

    const auto targets = children(tree, roots(tree)[0]);
    clickNode(tree, targets[5]);  // NVIDIA Display
    EXPECT_EQ(check(files), BST_CHECKED);
    click(control(options, IDC_OPT_REGISTRY));
    clickNode(tree, roots(tree)[0]);
    EXPECT_EQ(check(control(options, IDC_OPT_REGISTRY)), BST_INDETERMINATE);

    // The tray setting cleared and applied from the Cleaning page: stored,
    // the icon stays.
    clickNode(tree, roots(tree)[2]);
    click(control(options, IDC_OPT_SYSTRAY));
    click(control(options, IDC_OPT_DELETE_REBOOT));
    clickNode(tree, roots(tree)[0]);
    click(control(options, IDC_OPT_APPLY));
    settle(options);
    EXPECT_TRUE(isVisible(options)) << "Apply closed the dialog";
    EXPECT_EQ(proc_->setting(L"SystemTray", L"Enabled"), L"0");
    EXPECT_EQ(proc_->setting(L"DeleteReboot", L"Enabled"), L"0");
    if (trayObservable) {
        EXPECT_TRUE(trayIconShown()) << "Apply away from Miscellaneous hid the tray icon";
    }

    // On the Miscellaneous page the same Apply hides it.
    clickNode(tree, roots(tree)[2]);
    EXPECT_EQ(check(control(options, IDC_OPT_SYSTRAY)), BST_UNCHECKED);
    EXPECT_EQ(check(control(options, IDC_OPT_DELETE_REBOOT)), BST_UNCHECKED);
    click(control(options, IDC_OPT_PROMPT));
    click(control(options, IDC_OPT_APPLY));
    settle(options);
    if (trayObservable) {
        EXPECT_FALSE(trayIconShown()) << "Apply on Miscellaneous left the tray icon";
    }
    EXPECT_EQ(proc_->setting(L"Reboot", L"Reboot"), L"1");
    click(control(options, IDCANCEL));
    ASSERT_TRUE(waitHidden(options));
    closeProgram();
    EXPECT_EQ(proc_->setting(L"ATi Display", L"Files"), L"1");
    EXPECT_EQ(proc_->setting(L"NVIDIA Display", L"Registry"), L"0");
    EXPECT_EQ(proc_->setting(L"NVIDIA Chipset", L"Registry"), L"1");
    EXPECT_EQ(proc_->setting(L"DeleteReboot", L"Enabled"), L"0") << "lost by the reload on close";
    EXPECT_EQ(proc_->setting(L"Reboot", L"Reboot"), L"1");
    if (!trayObservable) GTEST_SKIP() << "the tray icon cannot be observed here";
}

// ---- language ------------------------------------------------------------

TEST_F(OptionsAboutTest, GermanAppliedOnLanguagePageChangesEveryWindowAtOnce) {
    launch();
    HWND options = openOptions();
    ASSERT_NE(options, nullptr);
    HWND tree = control(options, IDC_OPT_TREE);
    HWND combo = control(options, IDC_OPT_LANG_COMBO);

    // Chosen, then left for another page: OK keeps the old language.
    clickNode(tree, roots(tree)[1]);
    ASSERT_NE(SendMessageW(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                           reinterpret_cast<LPARAM>(L"Deutsch")), CB_ERR) << "no Deutsch in the list";
    clickNode(tree, roots(tree)[2]);
    click(control(options, IDOK));
    ASSERT_TRUE(waitHidden(options));
    EXPECT_EQ(proc_->setting(L"Languages", L"Current"), L"English");
    EXPECT_EQ(windowText(control(main_, IDC_LABEL_SELECT)), L"Select");

    // Chosen and applied on the Language page: every window changes, the
    // dialog stays open on its Cleaning page.
    options = openOptions();
    ASSERT_NE(options, nullptr);
    clickNode(tree, roots(tree)[1]);
    EXPECT_EQ(windowText(combo), L"English") << "the list is refilled when shown";
    SendMessageW(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"Deutsch"));
    click(control(options, IDC_OPT_APPLY));
    settle(options);
    EXPECT_TRUE(isVisible(options));
    EXPECT_EQ(proc_->setting(L"Languages", L"Current"), L"Deutsch");
    EXPECT_EQ(windowText(options), L"Optionen");
    EXPECT_EQ(windowText(control(options, IDC_OPT_APPLY)), L"Übernehmen");
    EXPECT_EQ(nodeText(tree, roots(tree)[0]), L"Bereinigung");
    EXPECT_EQ(selection(tree), roots(tree)[0]);
    EXPECT_TRUE(expanded(tree, roots(tree)[0]));
    EXPECT_EQ(optionsPage(options), Page::Cleaning);
    EXPECT_EQ(windowText(control(main_, IDC_LABEL_SELECT)), L"Auswählen");
    EXPECT_EQ(windowText(control(main_, IDC_LABEL_REMOVE)), L"Entfernen");
    EXPECT_EQ(windowText(dialog(TW_CLASS_LOG, false)), L"Protokoll");
    EXPECT_EQ(windowText(dialog(TW_CLASS_ABOUT, false)), L"Info");

    // Pictures of the three pages in German.
    EXPECT_FALSE(screenshot(options, L"options-Cleaning-Deutsch").empty());
    clickNode(tree, roots(tree)[1]);
    EXPECT_EQ(windowText(combo), L"Deutsch");
    EXPECT_FALSE(screenshot(options, L"options-Language-Deutsch").empty());
    clickNode(tree, roots(tree)[2]);
    EXPECT_EQ(optionsPage(options), Page::Miscellaneous);
    EXPECT_EQ(windowText(control(options, IDC_OPT_GENERAL)), L"Allgemein");
    EXPECT_FALSE(screenshot(options, L"options-Miscellaneous-Deutsch").empty());

    // English again with OK on the Language page.
    clickNode(tree, roots(tree)[1]);
    SendMessageW(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"English"));
    click(control(options, IDOK));
    ASSERT_TRUE(waitHidden(options));
    EXPECT_EQ(windowText(control(main_, IDC_LABEL_SELECT)), L"Select");
    EXPECT_EQ(windowText(dialog(TW_CLASS_LOG, false)), L"Log");
    closeProgram();
    EXPECT_EQ(proc_->setting(L"Languages", L"Current"), L"English");
}

// ---- About ---------------------------------------------------------------

class AboutTest : public OptionsAboutTest, public ::testing::WithParamInterface<const wchar_t*> {};

TEST_P(AboutTest, OpensOnAboutPageArrowsSwitchPagesEscCloses) {
    const std::wstring language = GetParam();
    // Page names longer than any fixed buffer still select their pages.
    for (const std::wstring key : {L"About", L"Donate", L"Contact"})
        if (language == L"Long")
            WritePrivateProfileStringW(L"Long", key.c_str(), (key + std::wstring(600, L'x')).c_str(),
                                       proc_->languagePath().c_str());
    launch(L"[Languages]\r\nCurrent=" + language + L"\r\n");
    // Once on another page before: the dialog still opens on its first page.
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(sendKey(main_, nullptr, 'A', true));
        HWND about = waitForDialog(TW_CLASS_ABOUT);
        ASSERT_NE(about, nullptr) << "Ctrl+A did not open About";
        settle(about);
        HWND tree = control(about, IDC_ABOUT_TREE);
        const auto pages = roots(tree);
        ASSERT_EQ(pages.size(), 3u);
        EXPECT_EQ(selection(tree), pages[0]);
        EXPECT_EQ(aboutPage(about), 0);
        EXPECT_NE(windowText(control(about, IDC_ABOUT_MEMO_ABOUT)).find(L"Tidewell 1.0"), std::wstring::npos);
        EXPECT_EQ(windowText(control(about, IDOK)), L"OK");
        // Centred on the desktop.
        RECT r{}, work{};
        GetWindowRect(about, &r);
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        EXPECT_LE(std::abs((r.left + r.right) - (work.left + work.right)), 2);
        EXPECT_LE(std::abs((r.top + r.bottom) - (work.top + work.bottom)), 2);
        if (round == 0) {
            EXPECT_EQ(windowText(about), language == L"Deutsch" ? L"Info" : L"About");
            EXPECT_EQ(nodeText(tree, pages[1]),
                      readIni(proc_->languagePath(), language, L"Donate").value_or(L"").substr(0, 511));
            EXPECT_FALSE(screenshot(about, L"about-About-" + language).empty());
            ASSERT_TRUE(sendKey(about, tree, VK_DOWN));
            settle(about);
            EXPECT_EQ(aboutPage(about), 1);
            const std::wstring donate = windowText(control(about, IDC_ABOUT_MEMO_DONATE));
            EXPECT_EQ(donate.find(L"Spende") != std::wstring::npos, language == L"Deutsch");
            EXPECT_NE(donate.find(L"https://tidewell.example.org/"), std::wstring::npos);
            EXPECT_FALSE(screenshot(about, L"about-Donate-" + language).empty());
            ASSERT_TRUE(sendKey(about, tree, VK_DOWN));
            settle(about);
            EXPECT_EQ(aboutPage(about), 2);
            EXPECT_FALSE(screenshot(about, L"about-Contact-" + language).empty());
            ASSERT_TRUE(sendKey(about, tree, VK_UP));
            settle(about);
            EXPECT_EQ(aboutPage(about), 1);
            ASSERT_TRUE(sendKey(about, tree, VK_ESCAPE));
        } else {
            click(control(about, IDOK));
        }
        ASSERT_TRUE(waitHidden(about)) << "the dialog did not close";
        settle(main_);
        EXPECT_TRUE(isEnabled(main_));
    }
    closeProgram();
}

INSTANTIATE_TEST_SUITE_P(Languages, AboutTest, ::testing::Values(L"English", L"Deutsch", L"Long"),
                         [](const auto& info) {
                             const std::wstring w = info.param;
                             return std::string(w.begin(), w.end());
                         });

}  // namespace
}  // namespace tw::e2e
