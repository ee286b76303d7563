// The driver's own tests, against a small stand-in window program: they show
// which kinds of input reach a program's key preview, that message boxes are
// found and answered, and that screenshots are real pictures.
#include "driver.h"

#include "app/win/TWFormRes.h"

#include <gtest/gtest.h>

namespace tw::e2e {
namespace {

std::wstring standinExe() { return driverFolder() + L"tw_e2e_standin.exe"; }

class DriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fileExists(standinExe())) GTEST_SKIP() << "stand-in program not built";
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        const std::string n = info->name();
        proc_ = std::make_unique<TidewellProcess>(L"driver-" + std::wstring(n.begin(), n.end()),
                                                  standinExe());
        ASSERT_TRUE(proc_->start(L"-one two"));
        main_ = proc_->waitForMainWindow();
        ASSERT_NE(main_, nullptr) << "stand-in window did not appear";
        items_ = control(main_, IDC_LIST_ITEMS);
        clean_ = control(main_, IDC_LIST_CLEAN);
    }

    std::optional<std::wstring> seen(const wchar_t* key) {
        return readIni(proc_->folder() + L"standin.ini", L"Seen", key);
    }

    std::unique_ptr<TidewellProcess> proc_;
    HWND main_ = nullptr, items_ = nullptr, clean_ = nullptr;
};

TEST_F(DriverTest, StartsInFreshFolderReadsWindowsAndClosesWithExitCode) {
    EXPECT_EQ(windowText(main_), L"Stand-in");
    EXPECT_EQ(seen(L"Arguments"), L"-one two");
    EXPECT_EQ(listItems(items_), (std::vector<std::wstring>{L"Alpha", L"Beta", L"Gamma"}));
    EXPECT_TRUE(listItems(clean_).empty());
    EXPECT_TRUE(isEnabled(control(main_, IDC_BUTTON_SELECT)));
    EXPECT_FALSE(isEnabled(control(main_, IDC_BUTTON_DELETE_ALL)));
    EXPECT_TRUE(isVisible(main_));
    EXPECT_FALSE(proc_->exitCode().has_value());

    ASSERT_TRUE(proc_->close());
    EXPECT_EQ(proc_->exitCode(), 7u);
}

TEST_F(DriverTest, ClicksAndDoubleClicksReachTheWindow) {
    selectListItem(items_, 2);
    EXPECT_EQ(listSelection(items_), 2);
    click(control(main_, IDC_BUTTON_SELECT));
    EXPECT_EQ(listItems(clean_), std::vector<std::wstring>{L"Gamma"});
    EXPECT_TRUE(isEnabled(control(main_, IDC_BUTTON_DELETE_ALL)));

    ASSERT_TRUE(doubleClickListItem(items_, 1));
    settle(main_);
    EXPECT_EQ(listItems(clean_), (std::vector<std::wstring>{L"Gamma", L"Beta"}));

    postClick(control(main_, IDC_BUTTON_DELETE_ALL));
    settle(main_);
    EXPECT_TRUE(listItems(clean_).empty());
    EXPECT_FALSE(isEnabled(control(main_, IDC_BUTTON_DELETE_ALL)));
}

TEST_F(DriverTest, PostedKeysReachTheKeyPreviewWithoutModifiers) {
    selectListItem(items_, 0);
    postKey(items_, VK_RETURN, L'\r');
    settle(main_);
    EXPECT_EQ(seen(L"Enter"), L"1");
    EXPECT_EQ(listItems(clean_), std::vector<std::wstring>{L"Alpha"});

    // A posted key does not change the keyboard state: Ctrl is not seen.
    postKey(items_, 'R', L'r');
    settle(main_);
    EXPECT_EQ(seen(L"PlainR"), L"1");
    EXPECT_FALSE(seen(L"CtrlR").has_value());
    EXPECT_TRUE(messageBoxes(proc_->pid()).empty());
}

TEST_F(DriverTest, RealInputCarriesEnterAndCtrlAndMessageBoxesAreAnswered) {
    selectListItem(items_, 1);
    ASSERT_TRUE(sendKey(main_, items_, VK_RETURN)) << "could not bring the window to the front";
    EXPECT_EQ(seen(L"Enter"), L"1");
    EXPECT_EQ(listItems(clean_), std::vector<std::wstring>{L"Beta"});

    for (int answer : {IDCANCEL, IDOK}) {
        ASSERT_TRUE(sendKey(main_, items_, 'R', true));
        auto box = waitForMessageBox(proc_->pid(), 10s);
        ASSERT_TRUE(box.has_value()) << "no confirmation box after Ctrl+R";
        EXPECT_EQ(seen(L"CtrlR"), L"1");
        EXPECT_EQ(box->caption, L"Warning");
        EXPECT_EQ(box->text, L"Are you sure you want to continue?");
        ASSERT_TRUE(answerMessageBox(box->hwnd, answer));
        EXPECT_NE(waitForWindow([&] { return seen(L"Answer") == std::to_wstring(answer) ? main_ : nullptr; }, 5s),
                  nullptr) << "answer " << answer << " not seen";
        EXPECT_TRUE(messageBoxes(proc_->pid()).empty());
    }
}

TEST_F(DriverTest, EndsItsProcessWhenDestroyed) {
    const DWORD pid = proc_->pid();
    Handle watch(OpenProcess(SYNCHRONIZE, FALSE, pid));
    ASSERT_TRUE(watch);
    proc_.reset();
    EXPECT_EQ(WaitForSingleObject(watch.get(), 10000), WAIT_OBJECT_0);
}

TEST_F(DriverTest, ScreenshotIsABitmapOfTheWindowsSizeWithContent) {
    const std::wstring path = screenshot(main_, L"driver-standin");
    ASSERT_FALSE(path.empty());
    auto bytes = readFileBytes(path);
    ASSERT_TRUE(bytes.has_value());
    ASSERT_GT(bytes->size(), sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER));
    BITMAPFILEHEADER fh;
    BITMAPINFOHEADER ih;
    memcpy(&fh, bytes->data(), sizeof fh);
    memcpy(&ih, bytes->data() + sizeof fh, sizeof ih);
    RECT r{};
    GetWindowRect(main_, &r);
    EXPECT_EQ(fh.bfType, 0x4D42);
    EXPECT_EQ(fh.bfSize, bytes->size());
    EXPECT_EQ(ih.biBitCount, 24);
    EXPECT_EQ(ih.biWidth, r.right - r.left);
    EXPECT_EQ(ih.biHeight, r.bottom - r.top);
    // The window shows a white list box on a grey face: not one flat colour.
    const std::string pixels = bytes->substr(fh.bfOffBits);
    int colours = 0;
    for (size_t i = 3; i + 3 <= pixels.size() && colours < 2; i += 3)
        if (pixels.compare(i, 3, pixels, 0, 3) != 0) ++colours;
    EXPECT_GE(colours, 1) << "screenshot is one flat colour";
}

TEST(DriverFiles, IniReadsTellMissingFromEmptyAndEncodingsRoundTrip) {
    TidewellProcess proc(L"driver-ini", L"Z:\\nonexistent\\none.exe");
    ASSERT_FALSE(proc.folder().empty());
    EXPECT_FALSE(proc.start()) << "started without a program";
    ASSERT_TRUE(proc.writeSettingsUtf16(L"[A]\r\nEmpty=\r\nName=Gr\u00fc\u00dfe\r\n"));
    EXPECT_EQ(proc.setting(L"A", L"Empty"), L"");
    EXPECT_EQ(proc.setting(L"a", L"name"), L"Gr\u00fc\u00dfe");
    EXPECT_FALSE(proc.setting(L"A", L"Other").has_value());
    EXPECT_FALSE(proc.setting(L"B", L"Empty").has_value());

    ASSERT_TRUE(proc.writeSettingsAnsi(L"[A]\r\nName=plain\r\n"));
    EXPECT_EQ(readFileBytes(proc.settingsPath()), std::string("[A]\r\nName=plain\r\n"));
    EXPECT_EQ(proc.setting(L"A", L"Name"), L"plain");
    EXPECT_EQ(utf16WithBom(L"A\u00e9"), std::string("\xFF\xFE" "A\0\xE9\0", 6));
    EXPECT_TRUE(fileExists(proc.settingsPath()));
    EXPECT_FALSE(folderExists(proc.settingsPath()));
    EXPECT_TRUE(folderExists(proc.folder()));
    EXPECT_FALSE(fileExists(proc.folder()));
}

}  // namespace
}  // namespace tw::e2e
