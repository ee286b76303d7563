// Tests of the Win32 side that the shared contract tests cannot see: buffer
// growth in the calls that size their own buffers, and handle ownership.
// Built with MinGW and run under Wine (or on Windows).
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/common.h"
#include "platform/platform.h"
#include "platform/win32/handles.h"

namespace {

// ---- the owning handle template ----

int g_closed = 0;
int g_lastClosed = 0;
struct CountingTraits {
    static int empty() { return -1; }
    static void close(int h) {
        ++g_closed;
        g_lastClosed = h;
    }
};
using Counted = plat::win::UniqueHandle<int, CountingTraits>;

TEST(UniqueHandle, ClosesEachHandleExactlyOnceAcrossMovesAndResets) {
    g_closed = 0;
    {
        Counted a(7);
        Counted b(std::move(a));
        EXPECT_FALSE(a.valid());
        EXPECT_EQ(b.get(), 7);
        Counted c(9);
        c = std::move(b);  // 9 closed, 7 moves over
        EXPECT_EQ(g_closed, 1);
        EXPECT_EQ(g_lastClosed, 9);
        c = std::move(c);  // self-move keeps the handle
        EXPECT_EQ(c.get(), 7);
        EXPECT_EQ(g_closed, 1);
    }
    EXPECT_EQ(g_closed, 2);
    EXPECT_EQ(g_lastClosed, 7);

    g_closed = 0;
    Counted d(3);
    EXPECT_EQ(d.release(), 3);
    d.reset();
    EXPECT_EQ(g_closed, 0);  // released handles are the caller's
    *d.put() = 4;
    d.reset(5);
    EXPECT_EQ(g_closed, 1);
    EXPECT_EQ(g_lastClosed, 4);
}

// ---- scratch folder and key ----

class Win32Test : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH + 1] = {};
        ASSERT_GT(::GetTempPathA(MAX_PATH + 1, temp), 0u);
        folder_ = std::string(temp) + "tw-win32-" + std::to_string(::GetCurrentProcessId()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name();
        ASSERT_EQ(plat::createDirectory(folder_), plat::kOk);
        keyPath_ = "Software\\TidewellWin32Test";
    }
    void TearDown() override {
        std::vector<plat::FindData> entries;
        plat::findEntries(folder_ + "\\*", entries);
        for (const auto& e : entries)
            if (!(e.attributes & plat::kAttrDirectory)) plat::deleteFile(folder_ + "\\" + e.name);
        plat::removeDirectory(folder_);
        ::RegDeleteTreeA(HKEY_CURRENT_USER, keyPath_.c_str());
    }
    std::string folder_;
    std::string keyPath_;
};

TEST_F(Win32Test, EnvironmentVariablesOfAnyLengthAndTheEmptyOne) {
    const std::string longValue(5000, 'x');
    ASSERT_TRUE(::SetEnvironmentVariableA("TW_WIN32_LONG", longValue.c_str()));
    EXPECT_EQ(plat::getEnv("TW_WIN32_LONG"), longValue);
    const std::string exact(255, 'y');  // fills the first buffer but for its terminator
    ASSERT_TRUE(::SetEnvironmentVariableA("TW_WIN32_EXACT", exact.c_str()));
    EXPECT_EQ(plat::getEnv("TW_WIN32_EXACT"), exact);
    const std::string over(256, 'z');
    ASSERT_TRUE(::SetEnvironmentVariableA("TW_WIN32_OVER", over.c_str()));
    EXPECT_EQ(plat::getEnv("TW_WIN32_OVER"), over);

    ASSERT_TRUE(::SetEnvironmentVariableA("TW_WIN32_EMPTY", ""));
    auto empty = plat::getEnv("TW_WIN32_EMPTY");
    ASSERT_TRUE(empty.has_value());
    EXPECT_TRUE(empty->empty());
    ::SetEnvironmentVariableA("TW_WIN32_GONE", nullptr);
    EXPECT_FALSE(plat::getEnv("TW_WIN32_GONE").has_value());
}

TEST_F(Win32Test, WholeFileWritesTruncateAndReadsReturnEveryByte) {
    const std::string file = folder_ + "\\data.bin";
    std::vector<std::uint8_t> big(3 * 1024 * 1024 + 17);
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<std::uint8_t>(i * 31 + 7);
    ASSERT_EQ(plat::writeFileBytes(file, big), plat::kOk);
    std::vector<std::uint8_t> back;
    ASSERT_EQ(plat::readFileBytes(file, back), plat::kOk);
    EXPECT_EQ(back, big);

    const std::vector<std::uint8_t> small{0, 1, 2, 0};
    ASSERT_EQ(plat::writeFileBytes(file, small), plat::kOk);
    ASSERT_EQ(plat::readFileBytes(file, back), plat::kOk);
    EXPECT_EQ(back, small);

    ASSERT_EQ(plat::writeFileBytes(file, {}), plat::kOk);
    ASSERT_EQ(plat::readFileBytes(file, back), plat::kOk);
    EXPECT_TRUE(back.empty());

    back = small;
    EXPECT_EQ(plat::readFileBytes(folder_ + "\\absent.bin", back), plat::kErrFileNotFound);
    EXPECT_TRUE(back.empty());
}

TEST_F(Win32Test, FindEntriesReportsSizesAndEndsCleanly) {
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ(plat::writeFileBytes(folder_ + "\\f" + std::to_string(i) + ".dat",
                                       std::vector<std::uint8_t>(static_cast<std::size_t>(i))),
                  plat::kOk);
    std::vector<plat::FindData> entries;
    ASSERT_EQ(plat::findEntries(folder_ + "\\f*.dat", entries), plat::kOk);
    ASSERT_EQ(entries.size(), 300u);
    for (const auto& e : entries) {
        const int n = std::stoi(e.name.substr(1));
        EXPECT_EQ(e.size, static_cast<std::uint64_t>(n)) << e.name;
        EXPECT_FALSE(e.attributes & plat::kAttrDirectory);
    }
    entries.assign(1, plat::FindData{});
    EXPECT_EQ(plat::findEntries(folder_ + "\\nothing*.*", entries), plat::kOk);
    EXPECT_TRUE(entries.empty());
    EXPECT_EQ(plat::findEntries(folder_ + "\\missing\\*.*", entries), plat::kErrPathNotFound);
}

TEST_F(Win32Test, ProfileSectionsBeyondTheFirstBuffer) {
    const std::wstring file = plat::ansiToWide(folder_) + L"\\many.ini";
    std::vector<std::wstring> written;
    for (int i = 0; i < 400; ++i) {  // about 12000 characters of names
        std::wstring name = L"Section number " + std::to_wstring(i) + L" of many";
        ASSERT_TRUE(plat::profileWrite(file, name, L"Key", L"1"));
        written.push_back(name);
    }
    EXPECT_EQ(plat::profileSections(file), written);
    EXPECT_TRUE(plat::profileSections(plat::ansiToWide(folder_) + L"\\absent.ini").empty());
}

// A section read at once and looked up in memory answers as the system's
// lookup of one key does, for the lines whose reading is easy to get wrong.
TEST_F(Win32Test, ProfileSectionLookupAnswersAsTheSystemDoes) {
    std::wstring text = L"\xFEFF[Sect]\r\n";
    for (const std::wstring& line : std::initializer_list<std::wstring>{
             L"  Key A  =  value a  ", L"KEY A=second", L"quoted=\"hello\"", L"single='hi'",
          L"mixed=\"hi'", L"onlyquote=\"", L"emptyq=\"\"", L"inner=\"a\"b\"", L"novalue",
          L"novalue=later", L" spaced key = \"  inner  \"  ", L";note=x", L"\u00C4pfel=apple",
          L"k=v=w", L"lead=   ", L"long=" + std::wstring(3000, L'x'),
          L"fits=\"" + std::wstring(2046, L'y') + L"\"", L"exact=\"" + std::wstring(2047, L'y') + L"\"",
          L"over=\"" + std::wstring(2048, L'y') + L"\""})
        text += line + L"\r\n";
    for (int i = 0; i < 400; ++i) text += L"filler " + std::to_wstring(i) + L"=" + std::to_wstring(i) + L"\r\n";
    text += L"last=end\r\n[sect]\r\nOther=1\r\n";
    std::vector<std::uint8_t> bytes(text.size() * 2);
    std::memcpy(bytes.data(), text.data(), bytes.size());
    const std::wstring file = plat::ansiToWide(folder_) + L"\\lang.ini";
    ASSERT_EQ(plat::writeFileBytes(folder_ + "\\lang.ini", bytes), plat::kOk);

    for (const wchar_t* section : {L"Sect", L" sect\t", L"Absent"}) {
        const auto lines = plat::profileSection(file, tw::trimProfileName(section));
        for (const wchar_t* key :
             {L"key a", L"quoted", L"single", L"mixed", L"onlyquote", L"emptyq", L"inner", L"novalue",
              L"spaced key", L" Spaced Key ", L"\u00E4pfel", L"\u00C4pfel", L"k", L"lead", L"long", L"fits",
              L"exact", L"over", L"last", L"Other", L"absent"})
            EXPECT_EQ(tw::profileText(lines, key, L" Fallback  "), plat::profileRead(file, section, key, L" Fallback  "))
                << "[" << plat::wideToAnsi(section) << "] " << plat::wideToAnsi(key);
    }
}

TEST_F(Win32Test, RegistryValuesLargerThanTheCallerAllows) {
    plat::HKey key = 0;
    ASSERT_EQ(plat::regCreateKey(plat::kHKeyCurrentUser, keyPath_, plat::kRegOptionNonVolatile,
                                 plat::kKeyAllAccess, key),
              plat::kOk);
    std::vector<std::uint8_t> blob(10000);
    for (std::size_t i = 0; i < blob.size(); ++i) blob[i] = static_cast<std::uint8_t>(i % 251);
    ASSERT_EQ(plat::regSetValue(key, "Blob", plat::kRegBinary, blob), plat::kOk);
    ASSERT_EQ(plat::regSetValue(key, "Empty", plat::kRegBinary, {}), plat::kOk);

    std::uint32_t type = 0, size = 0;
    std::vector<std::uint8_t> data;
    EXPECT_EQ(plat::regQueryValue(key, "Blob", type, &data, size), plat::kOk);
    EXPECT_EQ(type, plat::kRegBinary);
    EXPECT_EQ(size, blob.size());
    EXPECT_EQ(data, blob);

    data.clear();
    EXPECT_EQ(plat::regQueryValue(key, "Blob", type, &data, size, 9999), plat::kErrMoreData);
    EXPECT_EQ(size, blob.size());
    EXPECT_TRUE(data.empty());

    data = blob;
    EXPECT_EQ(plat::regQueryValue(key, "Empty", type, &data, size), plat::kOk);
    EXPECT_EQ(size, 0u);
    EXPECT_TRUE(data.empty());

    EXPECT_EQ(plat::regQueryValue(key, "Absent", type, &data, size), plat::kErrFileNotFound);

    plat::HKey child = 0;
    ASSERT_EQ(plat::regCreateKey(key, "Twelve chars", 0, plat::kKeyAllAccess, child), plat::kOk);
    plat::regCloseKey(child);
    std::string name;
    EXPECT_EQ(plat::regEnumKey(key, 0, 13, name), plat::kOk);
    EXPECT_EQ(name, "Twelve chars");
    EXPECT_EQ(plat::regEnumKey(key, 0, 12, name), plat::kErrMoreData);
    EXPECT_EQ(plat::regEnumKey(key, 0, 0, name), plat::kErrMoreData);  // no storage at all
    EXPECT_EQ(plat::regEnumKey(key, 1, 13, name), plat::kErrNoMoreItems);
    EXPECT_EQ(plat::regCloseKey(key), plat::kOk);
}

TEST_F(Win32Test, PredefinedRootsAreTheSystemsOwn) {
    plat::HKey key = 0;
    ASSERT_EQ(plat::regOpenKey(plat::kHKeyLocalMachine, "Software", plat::kKeyRead, key), plat::kOk);
    HKEY direct = nullptr;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &direct), ERROR_SUCCESS);
    plat::KeyInfo viaPlatform, viaSystem;
    EXPECT_EQ(plat::regQueryInfoKey(key, viaPlatform), plat::kOk);
    EXPECT_EQ(plat::regQueryInfoKey(reinterpret_cast<plat::HKey>(direct), viaSystem), plat::kOk);
    EXPECT_EQ(viaPlatform.subKeys, viaSystem.subKeys);
    EXPECT_GT(viaPlatform.subKeys, 0u);
    ::RegCloseKey(direct);
    plat::regCloseKey(key);
    EXPECT_EQ(reinterpret_cast<plat::HKey>(HKEY_CURRENT_USER), plat::kHKeyCurrentUser);
    EXPECT_EQ(reinterpret_cast<plat::HKey>(HKEY_LOCAL_MACHINE), plat::kHKeyLocalMachine);
    EXPECT_EQ(reinterpret_cast<plat::HKey>(HKEY_CLASSES_ROOT), plat::kHKeyClassesRoot);
    EXPECT_EQ(reinterpret_cast<plat::HKey>(HKEY_USERS), plat::kHKeyUsers);
}

TEST_F(Win32Test, ErrorTextsEndWithoutLineBreak) {
    for (plat::Error code : {plat::kErrFileNotFound, plat::kErrAccessDenied, plat::kErrDirNotEmpty}) {
        const std::wstring text = plat::errorText(code);
        ASSERT_FALSE(text.empty()) << code;
        EXPECT_NE(text.back(), L'\n');
        EXPECT_NE(text.back(), L'\r');
    }
}

TEST_F(Win32Test, RemoteMemoryRoundTripInOwnProcess) {
    plat::Handle process = 0;
    ASSERT_EQ(plat::openProcess(plat::kProcessAllAccessLegacy, ::GetCurrentProcessId(), process), plat::kOk);
    EXPECT_EQ(plat::isProcess64Bit(process), plat::isSelf64Bit());
    std::uintptr_t address = 0;
    ASSERT_EQ(plat::virtualAllocEx(process, 4095, plat::kMemCommit, plat::kPageExecuteReadWrite, address),
              plat::kOk);
    ASSERT_NE(address, 0u);
    const char text[] = "Recycle Bin";
    std::size_t done = 0;
    EXPECT_EQ(plat::writeProcessMemory(process, address + 40, text, sizeof text, done), plat::kOk);
    EXPECT_EQ(done, sizeof text);
    char back[sizeof text] = {};
    EXPECT_EQ(plat::readProcessMemory(process, address + 40, back, sizeof back, done), plat::kOk);
    EXPECT_STREQ(back, text);
    EXPECT_EQ(plat::virtualFreeEx(process, address, 0, plat::kMemRelease), plat::kOk);
    EXPECT_NE(plat::virtualFreeEx(process, address, 0, plat::kMemRelease), plat::kOk);
    EXPECT_EQ(plat::closeHandle(process), plat::kOk);

    EXPECT_NE(plat::openProcess(plat::kProcessAllAccessLegacy, 0xFFFFFFF0u, process), plat::kOk);
    EXPECT_EQ(process, 0u);
}

TEST_F(Win32Test, LocaleTextsAndComparison) {
    EXPECT_FALSE(plat::shortDateText().empty());
    const std::wstring time = plat::longTimeText();
    EXPECT_FALSE(time.empty());
    EXPECT_NE(time.back(), L'\0');
    EXPECT_FALSE(plat::decimalSeparator().empty());
    EXPECT_EQ(plat::compareTextIgnoreCase(L"NVIDIA Corporation", L"nvidia corporation"), 0);
    EXPECT_LT(plat::compareTextIgnoreCase(L"abc", L"ABD"), 0);
    EXPECT_GT(plat::compareTextIgnoreCase(L"b", L"A"), 0);
    EXPECT_LT(plat::compareTextIgnoreCase(L"", L"a"), 0);
    const std::string withZero("a\0b", 3);
    EXPECT_EQ(plat::ansiToWide(withZero), std::wstring(L"a\0b", 3));
    EXPECT_EQ(plat::wideToAnsi(std::wstring(L"a\0b", 3)), withZero);
}

}  // namespace

namespace {

TEST_F(Win32Test, FailedHiveSaveLeavesNoFileAndKeepsAnExistingOne) {
    plat::HKey key = 0;
    ASSERT_EQ(plat::regCreateKey(plat::kHKeyCurrentUser, keyPath_, 0, plat::kKeyAllAccess, key), plat::kOk);
    plat::Handle token = 0;
    ASSERT_EQ(plat::openProcessToken(plat::kTokenAdjustPrivileges | plat::kTokenQuery, token), plat::kOk);
    std::uint64_t luid = 0;
    ASSERT_EQ(plat::lookupPrivilegeValue("SeBackupPrivilege", luid), plat::kOk);
    plat::Error last = 0;
    plat::adjustTokenPrivilege(token, luid, false, last);

    const std::string hive = folder_ + "\\HKCU;Software;TidewellWin32Test.TW";
    EXPECT_EQ(plat::regSaveKey(key, hive), plat::kErrPrivilegeNotHeld);
    EXPECT_EQ(plat::getFileAttributes(hive), plat::kInvalidAttributes);

    const std::vector<std::uint8_t> earlier{'o', 'l', 'd'};
    ASSERT_EQ(plat::writeFileBytes(hive, earlier), plat::kOk);
    EXPECT_EQ(plat::regSaveKey(key, hive), plat::kErrAlreadyExists);
    std::vector<std::uint8_t> back;
    ASSERT_EQ(plat::readFileBytes(hive, back), plat::kOk);
    EXPECT_EQ(back, earlier);

    if (plat::adjustTokenPrivilege(token, luid, true, last) && last == plat::kOk) {
        // With the privilege held the rule is the same: no overwrite.
        EXPECT_EQ(plat::regSaveKey(key, hive), plat::kErrAlreadyExists);
        ASSERT_EQ(plat::readFileBytes(hive, back), plat::kOk);
        EXPECT_EQ(back, earlier);
        ASSERT_EQ(plat::deleteFile(hive), plat::kOk);
        EXPECT_EQ(plat::regSaveKey(key, hive), plat::kOk);
        EXPECT_NE(plat::getFileAttributes(hive), plat::kInvalidAttributes);
        plat::adjustTokenPrivilege(token, luid, false, last);
    }
    plat::closeHandle(token);
    plat::regCloseKey(key);
}

}  // namespace

// ---- windows of "other programs": a desktop-like tree made in this process ----


namespace {

class WindowTree : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES};
        ::InitCommonControlsEx(&icc);
        WNDCLASSW wc{};
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = kTopClass;
        ::RegisterClassW(&wc);
        wc.lpszClassName = kMiddleClass;
        ::RegisterClassW(&wc);
        top_ = ::CreateWindowExW(0, kTopClass, L"Probe Manager", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                                 nullptr, wc.hInstance, nullptr);
        if (!top_) GTEST_SKIP() << "no window can be made here (no display)";
        middle_ = ::CreateWindowExW(0, kMiddleClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 300, 200, top_, nullptr,
                                    wc.hInstance, nullptr);
        list_ = ::CreateWindowExW(0, WC_LISTVIEWW, L"FolderView", WS_CHILD | WS_VISIBLE | LVS_ICON | LVS_AUTOARRANGE,
                                  0, 0, 300, 200, middle_, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(middle_, nullptr);
        ASSERT_NE(list_, nullptr);
        for (const wchar_t* text : {L"Recycle Bin", L"Notes.txt"}) {
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = 100;
            item.pszText = const_cast<wchar_t*>(text);
            ::SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        }
    }
    void TearDown() override {
        if (top_) ::DestroyWindow(top_);
    }
    static plat::HWnd h(HWND w) { return reinterpret_cast<plat::HWnd>(w); }
    static constexpr const wchar_t* kTopClass = L"TwProbeTop";
    static constexpr const wchar_t* kMiddleClass = L"TwProbeMiddle";
    HWND top_ = nullptr, middle_ = nullptr, list_ = nullptr;
};

TEST_F(WindowTree, LookupWalksTopChildGrandchild) {
    const std::wstring topClass = kTopClass;
    EXPECT_EQ(plat::findWindow(topClass, nullptr), h(top_));
    const std::wstring title = L"Probe Manager", wrongTitle = L"Other";
    EXPECT_EQ(plat::findWindow(topClass, &title), h(top_));
    EXPECT_EQ(plat::findWindow(topClass, &wrongTitle), 0u);
    EXPECT_EQ(plat::findWindow(L"TwNoSuchClass", nullptr), 0u);

    const plat::HWnd child = plat::findWindowEx(h(top_), 0, nullptr, nullptr);
    EXPECT_EQ(child, h(middle_));
    const plat::HWnd grandchild = plat::findWindowEx(child, 0, nullptr, nullptr);
    EXPECT_EQ(grandchild, h(list_));
    EXPECT_EQ(plat::findWindowEx(child, grandchild, nullptr, nullptr), 0u);  // no further sibling
    const std::wstring listClass = L"SysListView32";
    EXPECT_EQ(plat::findWindowEx(child, 0, &listClass, nullptr), h(list_));
    EXPECT_TRUE(plat::getClassName(grandchild) == L"SysListView32");
    EXPECT_EQ(plat::getClassName(h(top_)), topClass);
    EXPECT_EQ(plat::getParent(grandchild), child);

    std::uint32_t pid = 0;
    EXPECT_EQ(plat::getWindowThreadProcessId(grandchild, pid), ::GetCurrentThreadId());
    EXPECT_EQ(pid, ::GetCurrentProcessId());
}

TEST_F(WindowTree, StyleAndListViewMessages) {
    const plat::HWnd list = h(list_);
    const std::intptr_t style = plat::getWindowLongA(list, plat::kGwlStyle);
    ASSERT_NE(style & LVS_AUTOARRANGE, 0);
    EXPECT_EQ(plat::setWindowLongA(list, plat::kGwlStyle, style & ~static_cast<std::intptr_t>(LVS_AUTOARRANGE)),
              style);
    EXPECT_EQ(plat::getWindowLongA(list, plat::kGwlStyle) & LVS_AUTOARRANGE, 0);
    plat::setWindowLongA(list, plat::kGwlStyle, style);
    EXPECT_EQ(plat::getWindowLongA(list, plat::kGwlStyle), style);

    EXPECT_EQ(plat::sendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 2);
    char text[64] = {};
    LVITEMA item{};
    item.pszText = text;
    item.cchTextMax = 64;
    const std::intptr_t n = plat::sendMessageA(list, LVM_GETITEMTEXTA, 1, reinterpret_cast<std::intptr_t>(&item));
    EXPECT_EQ(std::string(text, static_cast<std::size_t>(n)), "Notes.txt");

    LVFINDINFOW find{};
    find.flags = LVFI_STRING;
    find.psz = L"recycle bin";  // the list view's match ignores letter case
    EXPECT_EQ(plat::sendMessageW(list, LVM_FINDITEMW, static_cast<std::uintptr_t>(-1),
                                 reinterpret_cast<std::intptr_t>(&find)),
              0);
}

TEST(DisplaySettings, ResolutionRequestCarriesWidthAndHeight) {
    const int cx = plat::getSystemMetrics(plat::kSmCxScreen);
    const int cy = plat::getSystemMetrics(plat::kSmCyScreen);
    if (cx <= 0 || cy <= 0) GTEST_SKIP() << "no screen";
    // CDS_TEST asks whether the mode would be accepted without changing it.
    EXPECT_EQ(plat::changeDisplayResolution(static_cast<std::uint32_t>(cx), static_cast<std::uint32_t>(cy), CDS_TEST),
              DISP_CHANGE_SUCCESSFUL);
    // A mode no screen offers is refused: width and height reach the call.
    EXPECT_EQ(plat::changeDisplayResolution(12345, 6789, CDS_TEST), DISP_CHANGE_BADMODE);
}

}  // namespace
