// The Backup dialog's decisions: pages and button caption, the sets and items
// it lists, the size label, restoring checked items and removing checked sets.
#include <gtest/gtest.h>

#include <algorithm>

#include "backup/BackupDialog.h"
#include "backup/BackupUnit.h"
#include "engine_fixture.h"
#include "platform/common.h"

namespace {

using Names = std::vector<std::wstring>;
using Lines = std::vector<std::string>;
using Indexes = std::vector<std::size_t>;

const std::string kRoot = "C:\\Tools\\Tidewell\\Backup\\";
const std::string kLogs = "C:\\Tools\\Tidewell\\Logs\\";
constexpr std::uint64_t kMB = 1048576;

class BackupDialogTest : public enginetest::EngineTest {
protected:
    void TearDown() override {
        fake::onClockRead(nullptr);
        tw::LogFiles = false;
        enginetest::EngineTest::TearDown();
    }
};

TEST_F(BackupDialogTest, PagesAndButtonCaptionFollowTheLanguage) {
    EXPECT_EQ(tw::IdentifyBackupPage(L"Restore backup"), tw::BackupPage::Restore);
    EXPECT_EQ(tw::IdentifyBackupPage(L"Remove backup"), tw::BackupPage::Remove);
    EXPECT_EQ(tw::IdentifyBackupPage(L"Remove Backup"), tw::BackupPage::None);
    EXPECT_EQ(tw::RemoveRestoreCaption(tw::BackupPage::Restore), L"Restore Button");
    EXPECT_EQ(tw::RemoveRestoreCaption(tw::BackupPage::Remove), L"Remove Button");

    fake::addFile("C:\\Tools\\Tidewell\\Tidewell.ini", "[Languages]\r\nCurrent=Deutsch\r\n");
    fake::addFile("C:\\Tools\\Tidewell\\Languages.ini",
                  "[Deutsch]\r\nRestore backup=Sicherung einspielen\r\nRemove backup=Sicherungen\r\n"
                  "Restore Button=Einspielen\r\nRemove Button=Entfernen\r\n");
    EXPECT_EQ(tw::IdentifyBackupPage(L"Sicherung einspielen"), tw::BackupPage::Restore);
    EXPECT_EQ(tw::IdentifyBackupPage(L"Sicherungen"), tw::BackupPage::Remove);
    EXPECT_EQ(tw::IdentifyBackupPage(L"Restore backup"), tw::BackupPage::None);
    EXPECT_EQ(tw::RemoveRestoreCaption(tw::BackupPage::Restore), L"Einspielen");
    EXPECT_EQ(tw::RemoveRestoreCaption(tw::BackupPage::Remove), L"Entfernen");
}

TEST_F(BackupDialogTest, ListsVisibleFoldersOnly) {
    EXPECT_TRUE(tw::BackupSets().empty()) << "absent backup root";
    fake::addFolder(kRoot + "12-5-2026-6-01-23 AM\\NVIDIA - Display - Files");
    fake::addFolder(kRoot + "12-5-2026-6-01-23 AM\\NVIDIA - Display - Registry");
    fake::addFile(kRoot + "12-5-2026-6-01-23 AM\\readme.txt", "x");
    fake::addFolder(kRoot + "12-6-2026-7-00-00 AM");
    fake::addFile(kRoot + "stray.txt", "x");
    fake::addFolder(kRoot + "hidden");
    plat::setFileAttributes(kRoot + "hidden", plat::kAttrDirectory | plat::kAttrHidden);
    fake::addFolder(kRoot + "system");
    plat::setFileAttributes(kRoot + "system", plat::kAttrDirectory | plat::kAttrSystem);

    Names expected;
    for (const auto& name : fake::list(kRoot))
        if (name.find("AM") != std::string::npos) expected.push_back(plat::ansiToWide(name));
    EXPECT_EQ(tw::BackupSets(), expected);
    Names items = tw::SetItems(L"12-5-2026-6-01-23 AM");
    std::sort(items.begin(), items.end());
    EXPECT_EQ(items, (Names{L"NVIDIA - Display - Files", L"NVIDIA - Display - Registry"}));
    EXPECT_TRUE(tw::SetItems(L"12-6-2026-7-00-00 AM").empty());
    EXPECT_TRUE(tw::SetItems(L"..").empty());
}

TEST_F(BackupDialogTest, MegabyteTextRoundsHundredthsHalfToEven) {
    const struct {
        std::uint64_t bytes;
        const wchar_t* text;
    } cases[] = {
        {0, L"0"},
        {31457, L"0.03"},           // 2.99997 hundredths
        {3 * kMB / 2, L"1.5"},
        {12 * kMB, L"12"},
        {131072, L"0.12"},          // exactly 12.5 hundredths: to the even 12
        {393216, L"0.38"},          // exactly 37.5 hundredths: to the even 38
        {kMB - 1, L"1"},
        {12 * kMB + kMB / 4, L"12.25"},
        {std::uint64_t{1} << 63, L"8796093022208"},  // no overflow on the way
    };
    for (const auto& c : cases) EXPECT_EQ(tw::MegabyteText(c.bytes, L"."), c.text) << c.bytes;
    EXPECT_EQ(tw::MegabyteText(3 * kMB / 2, L","), L"1,5");
}

TEST_F(BackupDialogTest, SizesCountEveryFileBelowTheFolder) {
    const std::string set = kRoot + "set1\\";
    fake::addFile(set + "NVIDIA - Display - Files\\C';WINDOWS;\\a.dll", std::string(kMB, 'a'));
    fake::addFile(set + "NVIDIA - Display - Files\\C';WINDOWS;system32;\\b.dll", std::string(kMB / 2, 'b'));
    fake::addFile(set + "NVIDIA - Display - Registry\\HKLM;x.TW", std::string(100, 'r'), plat::kAttrHidden);
    fake::addFile(kRoot + "set2\\ATi - Display - Files\\C';\\c.sys", std::string(kMB, 'c'));
    fake::addFolder(kRoot + "empty");
    EXPECT_EQ(tw::FolderSize(set), 3 * kMB / 2 + 100);
    EXPECT_EQ(tw::FolderSize(kRoot), 5 * kMB / 2 + 100);
    fake::setDecimalSeparator(L",");
    EXPECT_EQ(tw::SizeText(L"set1"), L"1,5MB / 2,5MB");
    EXPECT_EQ(tw::SizeText(L"empty"), L"0MB / 2,5MB");
}

TEST_F(BackupDialogTest, ItemKindIsTheCaseSensitiveEndOfTheName) {
    EXPECT_EQ(tw::KindOfItem(L"NVIDIA - Display - Files"), tw::ItemKind::Files);
    EXPECT_EQ(tw::KindOfItem(L"ATi - Display - Registry"), tw::ItemKind::Registry);
    EXPECT_EQ(tw::KindOfItem(L"Registry Files"), tw::ItemKind::Files);
    EXPECT_EQ(tw::KindOfItem(L"NVIDIA - Display - files"), tw::ItemKind::None);
    EXPECT_EQ(tw::KindOfItem(L"Files.old"), tw::ItemKind::None);
    EXPECT_EQ(tw::KindOfItem(L""), tw::ItemKind::None);
}

TEST_F(BackupDialogTest, RestoresCheckedItemsWithOneLogPerItem) {
    const std::string set = kRoot + "set1\\";
    fake::addFile(set + "NVIDIA - Display - Files\\C';WINDOWS;system32;\\nvapi.dll", "N");
    fake::addFile(set + "ATi - Display - Files\\C';WINDOWS;\\ati.dll", "A");
    fake::addFile(set + "Other\\C';WINDOWS;\\other.dll", "O");
    fake::addFile(set + "Skipped - Files\\C';WINDOWS;\\skipped.dll", "S");
    tw::LogFiles = true;  // every save falls in the same second
    tw::RunLog().append(L"Deleted file (C:\\from the run)");

    tw::RestoreCheckedItems(L"set1", {{L"ATi - Display - Files", true},
                                      {L"NVIDIA - Display - Files", true},
                                      {L"Other", true},
                                      {L"Skipped - Files", false}});
    EXPECT_EQ(fake::content("C:\\WINDOWS\\system32\\nvapi.dll"), "N");
    EXPECT_EQ(fake::content("C:\\WINDOWS\\ati.dll"), "A");
    EXPECT_FALSE(fake::exists("C:\\WINDOWS\\other.dll")) << "not a files or registry item";
    EXPECT_FALSE(fake::exists("C:\\WINDOWS\\skipped.dll")) << "not checked";
    EXPECT_TRUE(tw::RunLog().empty()) << "cleared before the last item, which restores nothing";

    // The second log of the second does not replace the first.
    Lines logs;
    for (const char* name : {"12-5-2026-6-01-23 AM.txt", "12-5-2026-6-01-23 AM (2).txt"}) {
        const auto lines = tw::ReadLogFile(kLogs + name);
        ASSERT_EQ(lines.size(), 1u) << name;
        logs.push_back(plat::wideToAnsi(lines[0]));
    }
    EXPECT_EQ(logs, (Lines{"Restored File (C:\\WINDOWS\\ati.dll)",
                           "Restored File (C:\\WINDOWS\\system32\\nvapi.dll)"}));

    // Without log files nothing is written; no chosen set restores nothing.
    tw::LogFiles = false;
    fake::addFile(set + "Late - Files\\C';Late;\\late.dll", "L");
    tw::RestoreCheckedItems(L"", {{L"Late - Files", true}});
    tw::RestoreCheckedItems(L"set1", {{L"Late - Files", true}});
    EXPECT_EQ(fake::list(kLogs).size(), 2u);
    EXPECT_EQ(logLines(), (Lines{"Restored File (C:\\Late\\late.dll)"}));
}

TEST_F(BackupDialogTest, RemovesCheckedSetsWithoutBackingThemUp) {
    for (const char* name : {"a", "b", "c", "d"})
        fake::addFile(kRoot + name + "\\NVIDIA - Display - Files\\C';\\f.dll", name);
    fake::setFault(kRoot + "c\\NVIDIA - Display - Files\\C';\\f.dll", fake::Fault::Locked);
    tw::BackupPath = kRoot + "e\\NVIDIA - Display - Files\\";
    for (bool enabled : {true, false}) {
        SCOPED_TRACE(enabled);
        tw::BackupEnabled = enabled;
        tw::RunLog().clear();
        const Indexes removed = tw::RemoveCheckedSets(
            {{L"a", true}, {L"b", false}, {L"c", true}, {L"d", true}, {L"", true}, {L"..", true}});
        EXPECT_EQ(tw::BackupEnabled, enabled);
        EXPECT_EQ(removed, (Indexes{5, 4, 3, 2, 0}));
        if (!enabled) continue;
        EXPECT_EQ(logLines(), (Lines{"Deleted folder (" + kRoot + "d\\)",
                                     "Not deleted folder (" + kRoot + "c\\)",
                                     "Deleted folder (" + kRoot + "a\\)"}));
        EXPECT_FALSE(fake::exists(kRoot + "a"));
        EXPECT_TRUE(fake::exists(kRoot + "b\\NVIDIA - Display - Files\\C';\\f.dll"));
        EXPECT_TRUE(fake::exists(kRoot + "c\\NVIDIA - Display - Files\\C';\\f.dll"));
        EXPECT_FALSE(fake::exists(kRoot + "e")) << "the removal was backed up";
        EXPECT_TRUE(fake::exists("C:\\Tools\\Tidewell\\Tidewell.exe"));
    }
}

}  // namespace
