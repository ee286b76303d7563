// The desktop icon restorer on the fake: the remote buffer's ownership, the
// search for the desktop's list view, reading and placing icons through the
// shell's memory in both record layouts, and the layout files of the dialog.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "desktop/DesktopIconLayouts.h"
#include "desktop/DesktopIcons.h"
#include "desktop/RemoteBuffer_functions.h"
#include "fake/fake.h"
#include "platform/common.h"

namespace {

const std::string kFolder = "C:\\Tools\\Tidewell\\Desktop Icon\\";
const std::string kSettings = "C:\\Tools\\Tidewell\\Tidewell.ini";
constexpr std::intptr_t kAutoArrange = 0x100;

std::vector<fake::DesktopIcon> standardIcons() {
    return {{L"Computer", 10, 20}, {L"Recycle Bin", 10, 120}, {L"Same", 300, 40},
            {L"Same", 300, 140}, {L"Caf\u00e9", -75, 500}};
}

std::wstring path(const std::string& name) { return plat::ansiToWide(kFolder + name + ".ini"); }

class Desktop : public ::testing::Test {
protected:
    void SetUp() override { fake::reset(); }
    void TearDown() override {
        EXPECT_EQ(fake::remoteAllocationCount(), 0) << "remote buffer left in the shell";
        EXPECT_EQ(fake::openHandleCount(), 0) << "process handle left open";
    }
    static std::vector<tw::DesktopIconEntry> read() {
        std::vector<tw::DesktopIconEntry> list;
        tw::ReadDesktopIcons(list);
        return list;
    }
};

// ---- remote buffer ----

TEST_F(Desktop, RemoteBufferReportsRefusalsWithSystemTextAndReleasesOnEveryPath) {
    try {
        tw::AllocRemoteBuffer(777, tw::kRemoteBufferSize);  // no such process
        FAIL() << "no error for a missing process";
    } catch (const tw::AppError& e) {
        EXPECT_EQ(e.message(), L"System Error.  Code: 87.\r\n" + plat::errorText(plat::kErrInvalidParameter));
    }

    fake::registerProcess(900);
    {
        tw::RemoteBuffer buffer = tw::AllocRemoteBuffer(900, tw::kRemoteBufferSize);
        EXPECT_EQ(fake::remoteAllocationCount(), 1);
        const char data[] = "abc";
        tw::WriteRemoteBuffer(buffer, data, buffer.address() + 4092, 4);
        char back[4] = {};
        EXPECT_EQ(tw::ReadRemoteBuffer(buffer, buffer.address() + 4092, back, 4), 4u);
        EXPECT_STREQ(back, "abc");
        // Past the committed page: the write is an error, the read only comes back empty.
        EXPECT_THROW(tw::WriteRemoteBuffer(buffer, data, buffer.address() + 4094, 4), tw::AppError);
        EXPECT_EQ(tw::ReadRemoteBuffer(buffer, buffer.address() + 8192, back, 4), 0u);
        tw::RemoteBuffer moved = std::move(buffer);
        EXPECT_FALSE(buffer.open());
        EXPECT_EQ(tw::ReadRemoteBuffer(buffer, moved.address(), back, 4), 0u);
    }  // released by the owner without FreeRemoteBuffer
    EXPECT_EQ(fake::remoteAllocationCount(), 0);

    tw::RemoteBuffer buffer = tw::AllocRemoteBuffer(900, tw::kRemoteBufferSize);
    tw::FreeRemoteBuffer(buffer);
    EXPECT_EQ(fake::remoteAllocationCount(), 0);
    EXPECT_NO_THROW(tw::FreeRemoteBuffer(buffer));  // a second release does nothing
}

// ---- finding the list view ----

TEST_F(Desktop, ListViewFoundUnderProgmanOrWorkerWAndNothingElse) {
    EXPECT_EQ(tw::GetDesktopListView(), 0u) << "no desktop at all";

    // Progman > WorkerW (empty) and Progman > DefView > list view: the
    // first-child walk ends nowhere, the DefView child is taken.
    auto progman = fake::registerWindow({L"Progman", L"Program Manager", 0, 1, 0});
    fake::registerWindow({L"WorkerW", L"", progman, 1, 0});
    EXPECT_EQ(tw::GetDesktopListView(), 0u);
    auto view = fake::registerWindow({L"SHELLDLL_DefView", L"", progman, 1, 0});
    auto list = fake::registerWindow({L"SysListView32", L"FolderView", view, 1, 0});
    EXPECT_EQ(tw::GetDesktopListView(), list);

    // The view under the second of two top-level WorkerW windows.
    fake::reset();
    fake::registerWindow({L"Progman", L"Program Manager", 0, 1, 0});
    fake::registerWindow({L"WorkerW", L"", 0, 1, 0});
    auto worker = fake::registerWindow({L"WorkerW", L"", 0, 1, 0});
    view = fake::registerWindow({L"SHELLDLL_DefView", L"", worker, 1, 0});
    EXPECT_EQ(tw::GetDesktopListView(), 0u) << "a view without list view";
    list = fake::registerWindow({L"sysLISTview32", L"FolderView", view, 1, 0});
    EXPECT_EQ(tw::GetDesktopListView(), list);

    // A first-child chain of other classes is not the desktop.
    fake::reset();
    progman = fake::registerWindow({L"Progman", L"Program Manager", 0, 1, 0});
    auto other = fake::registerWindow({L"Static", L"", progman, 1, 0});
    fake::registerWindow({L"Button", L"", other, 1, 0});
    EXPECT_EQ(tw::GetDesktopListView(), 0u);
}

// ---- reading and placing, in both layouts ----

class DesktopBitness : public Desktop, public ::testing::WithParamInterface<bool> {};

TEST_P(DesktopBitness, ReadsEveryIconInItemOrder) {
    auto icons = standardIcons();
    icons.push_back({std::wstring(300, L'x'), 1, 2});
    fake::addDesktop(icons, false, GetParam());
    std::vector<tw::DesktopIconEntry> list = {{L"stale", {5, 5}}};
    tw::ReadDesktopIcons(list);
    ASSERT_EQ(list.size(), icons.size());
    for (std::size_t i = 0; i + 1 < icons.size(); ++i) {
        EXPECT_EQ(list[i].text, icons[i].text);
        EXPECT_EQ(list[i].position.X, icons[i].x);
        EXPECT_EQ(list[i].position.Y, icons[i].y);
    }
    EXPECT_EQ(list.back().text, std::wstring(255, L'x')) << "texts end at the buffer's 255 characters";
}

TEST_P(DesktopBitness, PlacesFirstIconOfANameAndSkipsMinusOne) {
    fake::addDesktop(standardIcons(), false, GetParam());
    std::vector<std::wstring> asked;
    tw::PlaceDesktopIcons({L"computer", L"Same", L"Recycle Bin", L"Gone", L"CAF\u00c9"},
                          [&](const std::wstring& name) {
                              asked.push_back(name);
                              if (name == L"Recycle Bin") return tw::TCoord{-1, 400};
                              if (name == L"CAF\u00c9") return tw::TCoord{-300, -1};
                              return tw::TCoord{static_cast<std::int32_t>(asked.size() * 100), 7};
                          });
    EXPECT_EQ(asked, (std::vector<std::wstring>{L"CAF\u00c9", L"Gone", L"Recycle Bin", L"Same", L"computer"}));
    auto now = fake::desktopIcons();
    EXPECT_EQ(now[0].x, 500);  // letter case ignored
    EXPECT_EQ(now[1].x, 10);   // -1 leaves it
    EXPECT_EQ(now[1].y, 120);
    EXPECT_EQ(now[2].x, 400);  // only the first "Same" moves
    EXPECT_EQ(now[3].x, 300);
    EXPECT_EQ(now[3].y, 140);
    EXPECT_EQ(now[4].x, -75);
}

TEST_P(DesktopBitness, AutoArrangeOffWhileMovingAndBackAfterEvenOnError) {
    fake::addDesktop(standardIcons(), true, GetParam());
    tw::PlaceDesktopIcons({L"Computer"}, [](const std::wstring&) { return tw::TCoord{-20, 640}; });
    EXPECT_EQ(fake::desktopIcons()[0].x, -20);
    EXPECT_EQ(fake::desktopIcons()[0].y, 640);
    EXPECT_TRUE(fake::desktopAutoArrange());

    EXPECT_THROW(tw::PlaceDesktopIcons({L"Computer"},
                                       [](const std::wstring&) -> tw::TCoord { throw tw::AppError(L"x"); }),
                 tw::AppError);
    EXPECT_TRUE(fake::desktopAutoArrange());
}

TEST_P(DesktopBitness, PositionsBeyondSixteenBitsAreNotWrapped) {
    fake::addDesktop(standardIcons(), false, GetParam());
    tw::PlaceDesktopIcons({L"Computer"}, [](const std::wstring&) { return tw::TCoord{40000, -33000}; });
    EXPECT_EQ(fake::desktopIcons()[0].x, 40000);
    EXPECT_EQ(fake::desktopIcons()[0].y, -33000);
}

INSTANTIATE_TEST_SUITE_P(Shell, DesktopBitness, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "64Bit" : "32Bit"; });

TEST_F(Desktop, OverlongNamesAreNotLookedFor) {
    const std::wstring longName(256, L'n');
    fake::addDesktop({{longName, 1, 1}});
    tw::PlaceDesktopIcons({longName}, [](const std::wstring&) { return tw::TCoord{50, 50}; });
    EXPECT_EQ(fake::desktopIcons()[0].x, 1);
}

TEST_F(Desktop, WithoutDesktopNothingIsTouched) {
    std::vector<tw::DesktopIconEntry> list = {{L"kept", {1, 2}}};
    tw::ReadDesktopIcons(list);
    ASSERT_EQ(list.size(), 1u);
    bool asked = false;
    tw::PlaceDesktopIcons({L"kept"}, [&](const std::wstring&) {
        asked = true;
        return tw::TCoord{};
    });
    EXPECT_FALSE(asked);
}

// ---- layout files ----

class Layouts : public Desktop {
protected:
    void SetUp() override {
        Desktop::SetUp();
        fake::addDesktop(standardIcons());
        fake::setScreenSize(1280, 1024);
    }
    static void expectAt(std::size_t index, int x, int y) {
        EXPECT_EQ(fake::desktopIcons()[index].x, x) << "icon " << index;
        EXPECT_EQ(fake::desktopIcons()[index].y, y) << "icon " << index;
    }
};

TEST_F(Layouts, DefaultNameIsATimeStampInTheCurrentLanguage) {
    EXPECT_EQ(tw::DesktopLayoutName(L"cURRENT DATE AND TIME"), L"12-5-2026-6-01-23 AM");
    EXPECT_EQ(tw::DesktopLayoutName(L"Current date and time "), L"Current date and time ");
    EXPECT_EQ(tw::DesktopLayoutName(L"Work"), L"Work");

    fake::addFileBytes("C:\\Tools\\Tidewell\\Languages.ini",
                       [] {
                           std::vector<std::uint8_t> b = {0xFF, 0xFE};
                           for (char16_t u : tw::toUtf16(L"[Deutsch]\r\nCurrent date and time=\u00c4ktuell\r\n")) {
                               b.push_back(static_cast<std::uint8_t>(u & 0xFF));
                               b.push_back(static_cast<std::uint8_t>(u >> 8));
                           }
                           return b;
                       }());
    fake::addFile(kSettings, "[Languages]\r\nCurrent=Deutsch\r\n");
    EXPECT_EQ(tw::DesktopLayoutName(L"\u00c4KTUELL"), L"12-5-2026-6-01-23 AM");
    EXPECT_EQ(tw::DesktopLayoutName(L"\u00e4ktuell"), L"\u00e4ktuell") << "only a to z fold";
    EXPECT_EQ(tw::DesktopLayoutName(L"Current date and time"), L"Current date and time");
}

TEST_F(Layouts, SaveWritesIconsLastToFirstThenScreenAndKeepsOtherSections) {
    const std::wstring file = tw::SaveDesktopLayout(L"Current date and time");
    EXPECT_EQ(file, path("12-5-2026-6-01-23 AM"));
    EXPECT_EQ(fake::content(kFolder + "12-5-2026-6-01-23 AM.ini"),
              "[Caf\xe9]\r\nX=-75\r\nY=500\r\n[Same]\r\nX=300\r\nY=40\r\n[Recycle Bin]\r\nX=10\r\nY=120\r\n"
              "[Computer]\r\nX=10\r\nY=20\r\n[QuorvelDesktopResolution]\r\nWidth=1280\r\nHeight=1024\r\n");

    plat::profileWrite(path("Work"), L"Old Icon", L"X", L"5");
    tw::SaveDesktopLayout(L"Work");
    EXPECT_EQ(plat::profileRead(path("Work"), L"Old Icon", L"X", L""), L"5");
    EXPECT_EQ(plat::profileRead(path("Work"), L"Computer", L"Y", L""), L"20");
}

TEST_F(Layouts, RefusedWritesStopTheSaveWithTheFileName) {
    fake::addFolder(kFolder);
    fake::setFault(kFolder + "Locked.ini", fake::Fault::WriteFails);
    try {
        tw::SaveDesktopLayout(L"Locked");
        FAIL() << "no error";
    } catch (const tw::AppError& e) {
        EXPECT_EQ(e.message(), L"Unable to write to " + path("Locked"));
    }
    EXPECT_FALSE(fake::exists(kFolder + "Locked.ini"));

    // No other folder, no device, nothing the ANSI calls that list and remove
    // layouts cannot reach.
    for (const wchar_t* name : {L"..\\Tidewell", L"sub/x", L"a:b", L"CON", L"nul.txt", L"Com1 ",
                                L"lpt9.a.b", L"AUX .x", L"COM\u00b9", L"\u8868X"})
        EXPECT_THROW(tw::SaveDesktopLayout(name), tw::AppError) << plat::wideToAnsi(name);
    EXPECT_EQ(fake::list(kFolder).size(), 0u);
    for (const wchar_t* name : {L"CONSOLE", L"LPT10", L"x.NUL", L"Caf\u00e9"}) tw::SaveDesktopLayout(name);
    EXPECT_EQ(fake::list(kFolder).size(), 4u);
    EXPECT_FALSE(fake::exists("C:\\Tools\\Tidewell\\Tidewell.ini"));
}

TEST_F(Layouts, ListsAreSortedWithTheLastAsText) {
    EXPECT_TRUE(tw::ListDesktopLayouts().names.empty()) << "no folder yet";
    EXPECT_EQ(tw::ListDesktopLayouts().text, L"");
    fake::addFile(kFolder + "beta.ini");
    fake::addFile(kFolder + "Alpha.INI", "", plat::kAttrHidden | plat::kAttrReadOnly);
    fake::addFile(kFolder + "gamma.ini");
    fake::addFile(kFolder + "notes.txt");
    fake::addFolder(kFolder + "folder.ini");
    const tw::DesktopLayoutList list = tw::ListDesktopLayouts();
    EXPECT_EQ(list.names, (std::vector<std::wstring>{L"Alpha", L"beta", L"gamma"}));
    EXPECT_EQ(list.text, L"gamma");
}

TEST_F(Layouts, RestorePutsIconsBackAndSwitchesScreenOnlyWhenAskedAndDifferent) {
    tw::SaveDesktopLayout(L"Home");
    tw::PlaceDesktopIcons({L"Computer", L"Same", L"Recycle Bin"},
                          [](const std::wstring&) { return tw::TCoord{900, 900}; });

    fake::setScreenSize(800, 600);
    EXPECT_TRUE(tw::RestoreDesktopLayout(L"home", false));
    EXPECT_TRUE(fake::displayChanges().empty());
    expectAt(0, 10, 20);
    expectAt(1, 10, 120);
    expectAt(2, 300, 40);

    EXPECT_TRUE(tw::RestoreDesktopLayout(L"Home", true));
    ASSERT_EQ(fake::displayChanges().size(), 1u);
    EXPECT_EQ(fake::displayChanges()[0].width, 1280u);
    EXPECT_EQ(fake::displayChanges()[0].height, 1024u);
    EXPECT_EQ(fake::displayChanges()[0].flags, 1u);

    EXPECT_TRUE(tw::RestoreDesktopLayout(L"Home", true));  // already at that size
    EXPECT_EQ(fake::displayChanges().size(), 1u);

    EXPECT_FALSE(tw::RestoreDesktopLayout(L"Elsewhere", true));
    EXPECT_EQ(fake::displayChanges().size(), 1u);
}

TEST_F(Layouts, RestoreOfHandWrittenFiles) {
    // No screen size: icons move, the screen stays. Missing keys read 0,
    // -1 and unreadable numbers behave as the file's reader defines.
    fake::addFile(kFolder + "Hand.ini",
                  "[Computer]\r\nX=33\r\n[Recycle Bin]\r\nX=-1\r\nY=7\r\n[Same]\r\nX=abc\r\nY=12\r\n"
                  "[Ghost]\r\nX=1\r\nY=1\r\n");
    fake::addFile(kFolder + "Zero.ini", "[QuorvelDesktopResolution]\r\nWidth=0\r\nHeight=0\r\n[Caf\xe9]\r\nX=4\r\nY=5\r\n");
    EXPECT_TRUE(tw::RestoreDesktopLayout(L"Hand", true));
    EXPECT_TRUE(tw::RestoreDesktopLayout(L"Zero", true));
    EXPECT_TRUE(fake::displayChanges().empty());
    expectAt(0, 33, 0);
    expectAt(1, 10, 120);
    expectAt(2, 0, 12);
    expectAt(4, 4, 5);
}

TEST_F(Layouts, RemoveDeletesOnlyLayoutsInTheFolder) {
    fake::addFile(kSettings, "[Languages]\r\nCurrent=English\r\n");
    fake::addFile(kFolder + "One.ini");
    fake::addFile(kFolder + "Two.ini");
    EXPECT_FALSE(tw::RemoveDesktopLayout(L"..\\Tidewell"));
    EXPECT_TRUE(fake::exists(kSettings));
    EXPECT_FALSE(tw::RestoreDesktopLayout(L"..\\Tidewell", true));
    EXPECT_TRUE(tw::RemoveDesktopLayout(L"two"));
    EXPECT_FALSE(tw::RemoveDesktopLayout(L"Two"));
    const tw::DesktopLayoutList list = tw::ListDesktopLayouts();
    EXPECT_EQ(list.names, std::vector<std::wstring>{L"One"});
    EXPECT_EQ(list.text, L"One");
}

}  // namespace
