// The Log dialog's decisions: which page a tree node names, the saved logs it
// lists, viewing one, removing the checked ones, and the run log's view text.
#include <gtest/gtest.h>

#include "engine_fixture.h"
#include "log/LogDialog.h"
#include "platform/common.h"

namespace {

using Names = std::vector<std::wstring>;
using Indexes = std::vector<std::size_t>;

const std::string kLogs = "C:\\Tools\\Tidewell\\Logs\\";
const std::string kLanguages = "C:\\Tools\\Tidewell\\Languages.ini";
const std::string kSettings = "C:\\Tools\\Tidewell\\Tidewell.ini";

std::vector<std::uint8_t> utf16File(const std::wstring& text) {
    std::vector<std::uint8_t> bytes{0xFF, 0xFE};
    for (char16_t c : tw::toUtf16(text)) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return bytes;
}

void useGerman() {
    fake::addFile(kSettings, "[Languages]\r\nCurrent=Deutsch\r\n");
    fake::addFileBytes(kLanguages, utf16File(L"[Deutsch]\r\nview log=Protokoll anzeigen\r\n"
                                             L"Remove log=Protokolle l\u00f6schen\r\n"));
}

class LogDialogTest : public enginetest::EngineTest {};

TEST_F(LogDialogTest, PagesAreRecognisedByTheCurrentLanguagesTextWithCase) {
    EXPECT_EQ(tw::IdentifyLogPage(L"View log"), tw::LogPage::View);
    EXPECT_EQ(tw::IdentifyLogPage(L"Remove log"), tw::LogPage::Remove);
    EXPECT_EQ(tw::IdentifyLogPage(L"view log"), tw::LogPage::None);
    EXPECT_EQ(tw::IdentifyLogPage(L""), tw::LogPage::None);
    // Without a language file the Delete key's lookup "Remove Log" is its own text.
    EXPECT_FALSE(tw::IsRemoveLogPageForDeleteKey(L"Remove log"));

    useGerman();
    EXPECT_EQ(tw::IdentifyLogPage(L"Protokoll anzeigen"), tw::LogPage::View);
    EXPECT_EQ(tw::IdentifyLogPage(L"Protokolle l\u00f6schen"), tw::LogPage::Remove);
    EXPECT_EQ(tw::IdentifyLogPage(L"View log"), tw::LogPage::None);
    // The language file ignores the key's case, so "Remove Log" reads the entry.
    EXPECT_TRUE(tw::IsRemoveLogPageForDeleteKey(L"Protokolle l\u00f6schen"));
}

TEST_F(LogDialogTest, ListsTextFilesWithoutTheirExtension) {
    EXPECT_TRUE(tw::LogNames().empty()) << "absent log folder";
    fake::addFile(kLogs + "12-5-2026-6-01-23 AM.txt", "x");
    fake::addFile(kLogs + "ABC.TXT", "x");
    fake::addFile(kLogs + "notes.doc", "x");
    fake::addFile(kLogs + "05.12.2026-06-01-23.txt", "x");
    fake::addFile(kLogs + "old.txt", "x", plat::kAttrHidden);  // any attribute
    std::vector<std::wstring> expected;
    for (const auto& name : fake::list(kLogs))
        if (tw::endsWith(tw::upperAscii(name), ".TXT"))
            expected.push_back(plat::ansiToWide(name.substr(0, name.size() - 4)));
    EXPECT_EQ(tw::LogNames(), expected) << "file system order";
    EXPECT_EQ(tw::SortedLogNames(),
              (Names{L"05.12.2026-06-01-23", L"12-5-2026-6-01-23 AM", L"ABC", L"old"}));
}

TEST_F(LogDialogTest, ViewingReplacesTheRunLogSortedOrReportsTheFile) {
    tw::RunLog().append(L"Deleted file (C:\\kept)");
    fake::addFileBytes(kLogs + "ABC.TXT",
                       utf16File(L"Not deleted file (C:\\b)\r\nDeleted file (C:\\z)\r\ndeleted file (C:\\a)"));
    tw::ViewLog(L"ABC");
    EXPECT_EQ(tw::RunLog().lines(),
              (Names{L"deleted file (C:\\a)", L"Deleted file (C:\\z)", L"Not deleted file (C:\\b)"}));

    tw::RunLog().replace({L"Deleted file (C:\\kept)"});
    try {
        tw::ViewLog(L"gone");
        FAIL() << "a missing log was shown";
    } catch (const tw::AppError& e) {
        EXPECT_EQ(e.message().rfind(L"Cannot open file \"" + plat::ansiToWide(kLogs) + L"gone.txt\". ", 0), 0u)
            << plat::wideToAnsi(e.message());
    }
    EXPECT_EQ(tw::RunLog().lines(), (Names{L"Deleted file (C:\\kept)"}));
}

TEST_F(LogDialogTest, RemovesCheckedLogsLastToFirstEvenWhenAFileStays) {
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"}) fake::addFile(kLogs + name, "x");
    fake::setFault(kLogs + "c.txt", fake::Fault::Locked);
    const std::vector<tw::CheckEntry> entries{{L"a", true}, {L"b", false}, {L"c", true}, {L"d", true}};
    EXPECT_EQ(tw::RemoveCheckedLogs(entries), (Indexes{3, 2, 0}));
    EXPECT_FALSE(fake::exists(kLogs + "a.txt"));
    EXPECT_TRUE(fake::exists(kLogs + "b.txt"));
    EXPECT_TRUE(fake::exists(kLogs + "c.txt")) << "locked file";
    EXPECT_FALSE(fake::exists(kLogs + "d.txt"));
    // A name that is not a plain file name deletes nothing outside the folder.
    fake::addFile("C:\\Tools\\Tidewell\\Tidewell.txt", "x");
    EXPECT_EQ(tw::RemoveCheckedLogs({{L"..\\Tidewell", true}}), (Indexes{0}));
    EXPECT_TRUE(fake::exists("C:\\Tools\\Tidewell\\Tidewell.txt"));
    EXPECT_TRUE(tw::RemoveCheckedLogs({{L"b", false}}).empty());
}

TEST_F(LogDialogTest, ViewTextJoinsEveryLineOnce) {
    EXPECT_EQ(tw::LogViewText(tw::RunLog()), L"");
    for (int i = 0; i < 50000; ++i) tw::RunLog().append(L"Deleted file (C:\\f" + std::to_wstring(i) + L")");
    const std::wstring text = tw::LogViewText(tw::RunLog());
    EXPECT_EQ(tw::SplitLogText(text), tw::RunLog().lines());
    EXPECT_EQ(text.substr(0, 24), L"Deleted file (C:\\f0)\r\nDe");
    EXPECT_EQ(text.substr(text.size() - 7), L"f49999)") << "no line break after the last line";
}

}  // namespace
