#include "driver.h"

#include "app/win/TWFormRes.h"

#include <commctrl.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace tw::e2e {

std::wstring driverFile(const wchar_t* name) {
    wchar_t buf[MAX_PATH];
    std::wstring path(buf, GetModuleFileNameW(nullptr, buf, MAX_PATH));
    return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

namespace {

// A variable's path, or the fallback beside the driver.
std::wstring fromEnvironment(const wchar_t* name, const wchar_t* fallback) {
    wchar_t buf[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(name, buf, MAX_PATH);
    return n && n < MAX_PATH ? std::wstring(buf, n) : driverFile(fallback);
}

std::vector<HWND> topLevelWindows(DWORD pid, const wchar_t* cls) {
    struct Query {
        DWORD pid;
        const wchar_t* cls;
        std::vector<HWND> found;
    } q{pid, cls, {}};
    EnumWindows([](HWND w, LPARAM lp) -> BOOL {
        auto& q = *reinterpret_cast<Query*>(lp);
        DWORD owner = 0;
        wchar_t name[256] = {};
        GetWindowThreadProcessId(w, &owner);
        GetClassNameW(w, name, 256);
        if (owner == q.pid && IsWindowVisible(w) && q.cls == std::wstring(name)) q.found.push_back(w);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&q));
    return q.found;
}

}  // namespace

bool folderExists(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool fileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES && !folderExists(path);
}

bool writeFileBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(std::filesystem::path(path), std::ios::binary);
    return out.write(bytes.data(), std::streamsize(bytes.size())).good();
}

std::optional<std::string> readFileBytes(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

Texts filesIn(const std::wstring& folder, const std::wstring& pattern) {
    Texts names;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((folder + L"\\" + pattern).c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(fd.cFileName);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return names;
}

std::string utf16(const std::wstring& text) {
    const std::wstring marked = L'\xFEFF' + text;
    return std::string(reinterpret_cast<const char*>(marked.data()), marked.size() * 2);
}

HANDLE startProgram(const std::wstring& exe, const std::wstring& arguments, const wchar_t* folder, DWORD* pid) {
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder, &si, &pi))
        return nullptr;
    CloseHandle(pi.hThread);
    if (pid) *pid = pi.dwProcessId;
    return pi.hProcess;
}

std::wstring mouseLeftover(const wchar_t* tag) {
    wchar_t buf[MAX_PATH];
    const std::wstring path = std::wstring(buf, GetWindowsDirectoryW(buf, MAX_PATH)) + L"\\System32\\drivers\\point32k_" + tag + L".sys";
    EXPECT_TRUE(writeFileBytes(path, "leftover")) << "cannot seed the leftover";
    return path;
}

std::wstring windowText(HWND w) {
    // WM_GETTEXT is marshalled across processes; a time-out keeps a hung program from blocking a test.
    wchar_t buf[8192] = {};
    DWORD_PTR got = 0;
    if (!w || !SendMessageTimeoutW(w, WM_GETTEXT, 8192, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 5000, &got))
        return {};
    return std::wstring(buf, got);
}

bool settle(HWND w) {
    DWORD_PTR ignored = 0;
    auto sync = [&] { return SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored) != 0; };
    if (!sync()) return false;
    Sleep(150);
    return sync();
}

bool sendKey(HWND top, WORD vk, bool ctrl) {
    SetForegroundWindow(top);
    settle(top);
    if (GetForegroundWindow() != top) return false;
    std::vector<INPUT> in;
    auto key = [&](WORD k, DWORD up) {
        in.push_back({INPUT_KEYBOARD, {}});
        in.back().ki = KEYBDINPUT{k, static_cast<WORD>(MapVirtualKeyW(k, MAPVK_VK_TO_VSC)), up, 0, 0};
    };
    if (ctrl) key(VK_CONTROL, 0);
    key(vk, 0), key(vk, KEYEVENTF_KEYUP);
    if (ctrl) key(VK_CONTROL, KEYEVENTF_KEYUP);
    const UINT sent = SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
    settle(top);
    return sent == in.size();
}

Texts listItems(HWND list) {
    wchar_t cls[32] = {};
    GetClassNameW(list, cls, 32);
    const bool combo = std::wstring(cls) == L"ComboBox";
    Texts items;
    const LRESULT count = SendMessageW(list, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring text(SendMessageW(list, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, i, 0) + 1, L'\0');
        text.resize(std::max<LRESULT>(0, SendMessageW(list, combo ? CB_GETLBTEXT : LB_GETTEXT, i, LPARAM(text.data()))));
        items.push_back(text);
    }
    return items;
}

bool clickListItem(HWND list, int index, bool twice) {
    RECT r{};
    if (SendMessageW(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r)) == LB_ERR) return false;
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    for (int i = 0; i < (twice ? 2 : 1); ++i) {
        PostMessageW(list, i ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(list, WM_LBUTTONUP, 0, at);
    }
    return settle(list);
}

void selectNode(HWND tree, int row) {
    LPARAM node = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0);
    while (row-- > 0) node = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXTVISIBLE, node);
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, node);
    settle(tree);
}

int listViewCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

int checkedCount(HWND list) {
    int n = 0;
    for (int i = 0; i < listViewCount(list); ++i)
        n += (SendMessageW(list, LVM_GETITEMSTATE, i, LVIS_STATEIMAGEMASK) >> 12) == 2;
    return n;
}

bool answerMessageBox(HWND box, int buttonId) {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, buttonId)));
    return waitForWindow([&]() -> HWND { return isVisible(box) ? nullptr : box; }, 5s) != nullptr;
}

void screenshot(HWND w, const std::wstring& name) {
    SetForegroundWindow(w);
    RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    settle(w);
    Sleep(300);  // the X server draws asynchronously
    RECT r{};
    GetWindowRect(w, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0) return;
    HDC screen = GetDC(nullptr), mem = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(mem, bitmap);
    BitBlt(mem, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    SelectObject(mem, old);
    BITMAPINFOHEADER bi{sizeof bi, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};  // bottom-up rows, as in BMP files
    const DWORD stride = (width * 3 + 3) & ~3u;
    std::string pixels(static_cast<size_t>(stride) * height, '\0');
    GetDIBits(mem, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    BITMAPFILEHEADER fh{0x4D42, 0, 0, 0, sizeof fh + sizeof bi};  // "BM"
    fh.bfSize = fh.bfOffBits + static_cast<DWORD>(pixels.size());
    const std::string file = std::string(reinterpret_cast<const char*>(&fh), sizeof fh) +
                             std::string(reinterpret_cast<const char*>(&bi), sizeof bi) + pixels;
    const std::wstring folder = fromEnvironment(L"TW_ARTIFACTS", L"artifacts");
    CreateDirectoryW(folder.c_str(), nullptr);
    writeFileBytes(folder + L"\\" + name + L".bmp", file);
}

// ---- the program under test -------------------------------------------------

void E2eTest::SetUp() {
    end();
    wchar_t temp[MAX_PATH];
    const std::wstring root = std::wstring(temp, GetTempPathW(MAX_PATH, temp)) + L"tw-e2e\\";
    CreateDirectoryW(root.c_str(), nullptr);
    static int counter = 0;
    const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    folder_ = root + std::wstring(test.begin(), test.end()) + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
              std::to_wstring(++counter) + L"\\";
    EXPECT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr)) << "program folder exists already";
    const std::wstring copies[][2] = {{fromEnvironment(L"TW_EXE", L"..\\app\\Tidewell.exe"), L"Tidewell.exe"},
                                      {fromEnvironment(L"TW_LANGUAGES", L"..\\app\\Languages.ini"), L"Languages.ini"}};
    for (const auto& [from, to] : copies)  // a loaded machine now and then fails a copy for a moment
        for (int attempt = 0; attempt < 5 && !CopyFileW(from.c_str(), (folder_ + to).c_str(), FALSE); ++attempt)
            Sleep(200);
}

void E2eTest::end() {
    if (!process_) return;
    if (running()) TerminateProcess(process_, 0xE2E);
    WaitForSingleObject(process_, 10000);
    CloseHandle(process_);
    process_ = nullptr, main_ = nullptr;
}

bool E2eTest::start(const std::wstring& arguments) {
    process_ = startProgram(folder_ + L"Tidewell.exe", arguments, folder_.c_str(), &pid_);
    return process_ != nullptr;
}

void E2eTest::launch(const std::wstring& settings, const std::wstring& arguments) {
    if (!settings.empty()) {
        ASSERT_TRUE(writeFileBytes(folder_ + L"Tidewell.ini", utf16(settings)));
    }
    ASSERT_TRUE(start(arguments)) << "could not start the program";
    main_ = waitFor(TW_CLASS_MAIN, 20s);
    ASSERT_NE(main_, nullptr) << "main window did not appear";
    ASSERT_TRUE(settle(main_));
}

bool E2eTest::waitForExit(Millis timeout) {
    return process_ && WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

std::optional<DWORD> E2eTest::exitCode() const {
    DWORD code = 0;
    if (!process_ || running() || !GetExitCodeProcess(process_, &code)) return std::nullopt;
    return code;
}

std::optional<std::wstring> E2eTest::setting(const wchar_t* section, const wchar_t* key) const {
    wchar_t buf[4096];
    const std::wstring file = folder_ + L"Tidewell.ini";
    const std::wstring value(buf, GetPrivateProfileStringW(section, key, L"\x01", buf, 4096, file.c_str()));
    return value == L"\x01" ? std::nullopt : std::optional(value);
}

HWND E2eTest::waitFor(const wchar_t* cls, Millis timeout) {
    const HWND found = waitForWindow([&]() -> HWND {
        const auto all = topLevelWindows(pid_, cls);
        return !all.empty() ? all.front() : running() ? nullptr : HWND_MESSAGE;  // ended: none comes
    }, timeout);
    return found == HWND_MESSAGE ? nullptr : found;
}


void E2eTest::answerWarning(int answer, const std::function<void()>& meanwhile) {
    const HWND box = waitFor(kMessageBox, 20s);
    ASSERT_TRUE(box) << "no warning before the run";
    EXPECT_EQ(windowText(box), L"Warning");
    EXPECT_EQ(windowText(GetDlgItem(box, 0xFFFF)), L"Are you sure you want to continue?");
    if (meanwhile) meanwhile();
    ASSERT_TRUE(answerMessageBox(box, answer));
    if (main_) settle(main_);
}

HWND E2eTest::open(WORD key, const wchar_t* cls, const wchar_t* title) {
    HWND dialog = sendKey(main_, key, true) ? waitFor(cls) : nullptr;
    EXPECT_NE(dialog, nullptr) << "Ctrl+" << char(key) << " opened no dialog";
    EXPECT_TRUE(!dialog || (settle(dialog) && windowText(dialog) == title)) << windowText(dialog);
    return dialog;
}

void E2eTest::closeByEsc(HWND dialog) {
    ASSERT_TRUE(sendKey(dialog, VK_ESCAPE));
    EXPECT_TRUE(waitForWindow([&]() -> HWND { return isVisible(dialog) ? nullptr : dialog; }, 5s)) << "Esc did not close";
    settle(main_);
    EXPECT_TRUE(isEnabled(main_)) << "the main window stayed disabled";
}

void E2eTest::closeProgram() {
    PostMessageW(main_, WM_CLOSE, 0, 0);
    ASSERT_TRUE(waitForExit()) << "program did not end on WM_CLOSE";
    EXPECT_EQ(exitCode(), 0u);
}

std::wstring E2eTest::logText(const wchar_t* pattern) const {
    std::wstring text;
    for (const auto& name : filesIn(folder_ + L"Logs", pattern)) {
        const std::string bytes = readFileBytes(folder_ + L"Logs\\" + name).value_or("");
        text.append(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2).append(L"\r\n");
    }
    return text;
}

}  // namespace tw::e2e
