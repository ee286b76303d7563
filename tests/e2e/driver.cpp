#include "driver.h"

#include "app/win/TWFormRes.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <utility>

namespace tw::e2e {

// ---- small owners --------------------------------------------------------

Handle& Handle::operator=(Handle&& o) noexcept {
    if (this != &o) reset(o.release());
    return *this;
}

HANDLE Handle::release() { return std::exchange(h_, nullptr); }

void Handle::reset(HANDLE h) {
    if (h_) CloseHandle(h_);
    h_ = (h == INVALID_HANDLE_VALUE) ? nullptr : h;
}

namespace {

// A device context taken with GetDC, given back with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND w) : w_(w), dc_(GetDC(w)) {}
    ~WindowDc() { if (dc_) ReleaseDC(w_, dc_); }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND w_;
    HDC dc_;
};

// A memory device context, deleted with DeleteDC.
class MemoryDc {
public:
    explicit MemoryDc(HDC compatible) : dc_(CreateCompatibleDC(compatible)) {}
    ~MemoryDc() { if (dc_) DeleteDC(dc_); }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// A GDI object, deleted with DeleteObject.
class GdiObject {
public:
    explicit GdiObject(HGDIOBJ o) : o_(o) {}
    ~GdiObject() { if (o_) DeleteObject(o_); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    HGDIOBJ get() const { return o_; }

private:
    HGDIOBJ o_;
};

// Selects an object into a DC for its lifetime.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ o) : dc_(dc), old_(SelectObject(dc, o)) {}
    ~Selection() { if (old_) SelectObject(dc_, old_); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

std::wstring withBackslash(std::wstring s) {
    if (!s.empty() && s.back() != L'\\') s += L'\\';
    return s;
}

std::wstring parentFolder(const std::wstring& path) {
    const auto cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut + 1);
}

std::wstring fullPath(const std::wstring& path) {
    wchar_t buf[MAX_PATH * 2];
    const DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH * 2, buf, nullptr);
    return (n == 0 || n >= MAX_PATH * 2) ? path : std::wstring(buf, n);
}

bool isRelative(const std::wstring& p) {
    return !(p.size() > 1 && (p[1] == L':' || (p[0] == L'\\' && p[1] == L'\\')));
}

// Keeps letters, digits and '-' of a test name for a folder name.
std::wstring folderSafe(const std::wstring& name) {
    std::wstring out;
    for (wchar_t c : name) out += (iswalnum(c) || c == L'-') ? c : L'_';
    return out.empty() ? L"test" : out.substr(0, 60);
}

// Text of a window of another process; WM_GETTEXT is marshalled across
// processes, and a blocked target falls back to the text the system holds.
std::wstring sentText(HWND w) {
    DWORD_PTR len = 0;
    if (!SendMessageTimeoutW(w, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &len)) {
        wchar_t buf[1024];
        const int n = GetWindowTextW(w, buf, 1024);
        return std::wstring(buf, n > 0 ? n : 0);
    }
    std::wstring text(len + 1, L'\0');
    DWORD_PTR got = 0;
    SendMessageTimeoutW(w, WM_GETTEXT, len + 1, reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, 2000, &got);
    text.resize(std::min<size_t>(got, len));
    return text;
}

}  // namespace

// ---- paths and files -----------------------------------------------------

std::wstring environment(const wchar_t* name) {
    wchar_t buf[32768];
    const DWORD n = GetEnvironmentVariableW(name, buf, 32768);
    return (n == 0 || n >= 32768) ? std::wstring() : std::wstring(buf, n);
}

std::wstring driverFolder() {
    wchar_t buf[MAX_PATH * 2];
    const DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH * 2);
    return parentFolder(std::wstring(buf, n));
}

std::wstring tidewellExe() {
    std::wstring exe = environment(L"TW_EXE");
    if (exe.empty()) exe = L"..\\app\\Tidewell.exe";
    if (isRelative(exe)) exe = driverFolder() + exe;
    return fullPath(exe);
}

std::wstring languagesFile() {
    std::wstring f = environment(L"TW_LANGUAGES");
    if (!f.empty()) return fullPath(isRelative(f) ? driverFolder() + f : f);
    f = parentFolder(tidewellExe()) + L"Languages.ini";
    if (fileExists(f)) return f;
#ifdef TW_SOURCE_LANGUAGES
    return TW_SOURCE_LANGUAGES;
#else
    return f;
#endif
}

std::wstring artifactsFolder() {
    std::wstring f = environment(L"TW_ARTIFACTS");
    if (f.empty()) f = L"artifacts";
    if (isRelative(f)) f = driverFolder() + f;
    f = withBackslash(fullPath(f));
    CreateDirectoryW(f.c_str(), nullptr);
    return f;
}

bool fileExists(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool folderExists(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool writeFileBytes(const std::wstring& path, const std::string& bytes) {
    Handle f(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return false;
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
        DWORD written = 0;
        if (!WriteFile(f.get(), bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

std::optional<std::string> readFileBytes(const std::wstring& path) {
    Handle f(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return std::nullopt;
    std::string out;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(f.get(), buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
    return out;
}

std::vector<std::wstring> filesIn(const std::wstring& folder, const std::wstring& pattern) {
    std::vector<std::wstring> names;
    struct FindCloser {
        void operator()(HANDLE h) const { FindClose(h); }
    };
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((withBackslash(folder) + pattern).c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    std::unique_ptr<void, FindCloser> find(h);
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(fd.cFileName);
    } while (FindNextFileW(find.get(), &fd));
    return names;
}

std::wstring fromUtf16(const std::string& bytes) {
    size_t start = (bytes.size() >= 2 && bytes.compare(0, 2, "\xFF\xFE") == 0) ? 2 : 0;
    std::wstring text;
    for (size_t i = start; i + 1 < bytes.size(); i += 2)
        text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                     (static_cast<unsigned char>(bytes[i + 1]) << 8));
    return text;
}

std::string utf16WithBom(const std::wstring& text) {
    std::string out("\xFF\xFE", 2);
    for (wchar_t c : text) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>((c >> 8) & 0xFF);
    }
    return out;
}

std::string ansiBytes(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n : 0, '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

std::optional<std::wstring> readIni(const std::wstring& file, const std::wstring& section,
                                    const std::wstring& key) {
    // Two different defaults tell a missing key from a value equal to either.
    static const wchar_t* const kMissing[2] = {L"\x01missing\x01", L"\x02missing\x02"};
    std::wstring got[2];
    for (int i = 0; i < 2; ++i) {
        std::wstring buf(4096, L'\0');
        const DWORD n = GetPrivateProfileStringW(section.c_str(), key.c_str(), kMissing[i],
                                                 buf.data(), 4096, file.c_str());
        got[i].assign(buf.data(), n);
    }
    if (got[0] == kMissing[0] && got[1] == kMissing[1]) return std::nullopt;
    return got[0];
}

// ---- the program under test ---------------------------------------------

TidewellProcess::TidewellProcess(const std::wstring& name, const std::wstring& program) {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring root = withBackslash(std::wstring(temp, n)) + L"tw-e2e\\";
    CreateDirectoryW(root.c_str(), nullptr);
    for (;;) {
        const std::wstring candidate = root + folderSafe(name) + L"-" +
                                       std::to_wstring(GetCurrentProcessId()) + L"-" +
                                       std::to_wstring(++counter);
        if (CreateDirectoryW(candidate.c_str(), nullptr)) {
            folder_ = candidate + L"\\";
            break;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) break;  // folder_ stays empty: start fails
    }
    if (folder_.empty()) return;
    // A loaded machine now and then fails a copy for a moment: try again
    // before the test is told the program cannot start.
    for (const auto& [from, to] : {std::pair{program, exePath()}, std::pair{languagesFile(), languagePath()}}) {
        for (int attempt = 0; attempt < 5 && !CopyFileW(from.c_str(), to.c_str(), FALSE); ++attempt) {
            std::fwprintf(stderr, L"driver: copying %ls failed (error %lu), retrying\n", from.c_str(), GetLastError());
            Sleep(200);
        }
    }
}

TidewellProcess::~TidewellProcess() {
    if (running()) terminate();
}

bool TidewellProcess::writeSettingsBytes(const std::string& bytes) {
    return writeFileBytes(settingsPath(), bytes);
}

bool TidewellProcess::writeLanguageBytes(const std::string& bytes) {
    return writeFileBytes(languagePath(), bytes);
}

bool TidewellProcess::removeLanguageFile() {
    return DeleteFileW(languagePath().c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

bool TidewellProcess::start(const std::wstring& arguments, int showState) {
    if (folder_.empty() || process_) return false;
    if (!fileExists(exePath())) {
        std::fwprintf(stderr, L"driver: %ls is missing\n", exePath().c_str());
        return false;
    }
    std::wstring commandLine = L"\"" + exePath() + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    if (showState >= 0) {
        si.dwFlags = STARTF_USESHOWWINDOW;
        si.wShowWindow = static_cast<WORD>(showState);
    }
    PROCESS_INFORMATION pi{};
    bool started = false;
    for (int attempt = 0; attempt < 3 && !started; ++attempt) {
        started = CreateProcessW(exePath().c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 folder_.c_str(), &si, &pi) != FALSE;
        if (!started) {
            std::fwprintf(stderr, L"driver: starting %ls failed (error %lu)\n", exePath().c_str(), GetLastError());
            Sleep(500);
        }
    }
    if (!started) return false;
    Handle thread(pi.hThread);
    process_.reset(pi.hProcess);
    pid_ = pi.dwProcessId;
    return true;
}

HWND TidewellProcess::waitForMainWindow(Millis timeout) {
    if (!process_) return nullptr;
    main_ = waitForWindow(
        [&]() -> HWND {
            auto found = topLevelWindows(pid_, TW_CLASS_MAIN);
            if (!found.empty()) return found.front();
            // A process that has ended will show no window: stop waiting.
            return running() ? nullptr : HWND_MESSAGE;
        },
        timeout);
    if (main_ == HWND_MESSAGE) main_ = nullptr;
    return main_;
}

bool TidewellProcess::running() const {
    return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

bool TidewellProcess::waitForExit(Millis timeout) {
    if (!process_) return false;
    return WaitForSingleObject(process_.get(), static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

std::optional<DWORD> TidewellProcess::exitCode() const {
    DWORD code = 0;
    if (!process_ || running() || !GetExitCodeProcess(process_.get(), &code)) return std::nullopt;
    return code;
}

bool TidewellProcess::close(Millis timeout) {
    if (!running()) return true;
    HWND w = main_;
    if (!w) {
        auto found = topLevelWindows(pid_, TW_CLASS_MAIN, false);
        if (!found.empty()) w = found.front();
    }
    if (!w) return false;
    PostMessageW(w, WM_CLOSE, 0, 0);
    return waitForExit(timeout);
}

void TidewellProcess::terminate() {
    if (!process_) return;
    TerminateProcess(process_.get(), 0xE2E);
    WaitForSingleObject(process_.get(), 10000);
}

std::optional<std::wstring> TidewellProcess::setting(const std::wstring& section,
                                                     const std::wstring& key) const {
    return readIni(settingsPath(), section, key);
}

// ---- windows -------------------------------------------------------------

std::vector<HWND> topLevelWindows(DWORD pid, const wchar_t* cls, bool visibleOnly) {
    struct Query {
        DWORD pid;
        const wchar_t* cls;
        bool visibleOnly;
        std::vector<HWND> found;
    } q{pid, cls, visibleOnly, {}};
    EnumWindows(
        [](HWND w, LPARAM lp) -> BOOL {
            auto& q = *reinterpret_cast<Query*>(lp);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner != q.pid) return TRUE;
            if (q.visibleOnly && !IsWindowVisible(w)) return TRUE;
            if (q.cls && className(w) != q.cls) return TRUE;
            q.found.push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&q));
    return q.found;
}

HWND control(HWND parent, int id) { return parent ? GetDlgItem(parent, id) : nullptr; }

std::wstring className(HWND w) {
    wchar_t buf[256];
    const int n = GetClassNameW(w, buf, 256);
    return std::wstring(buf, n > 0 ? n : 0);
}

std::wstring windowText(HWND w) { return w ? sentText(w) : std::wstring(); }

bool isEnabled(HWND w) { return w && IsWindowEnabled(w); }

bool isVisible(HWND w) { return w && IsWindowVisible(w); }

namespace {

// A message sent with a time-out, so a hung program fails a test instead of
// blocking it; LB_ERR when the program does not answer.
LRESULT sendWithTimeout(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(w, msg, wp, lp, SMTO_ABORTIFHUNG, 5000, &result)) return LB_ERR;
    return static_cast<LRESULT>(result);
}

}  // namespace

std::vector<std::wstring> listItems(HWND list) {
    std::vector<std::wstring> items;
    const LRESULT count = sendWithTimeout(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT len = sendWithTimeout(list, LB_GETTEXTLEN, i, 0);
        if (len < 0) break;
        std::wstring text(len + 1, L'\0');
        const LRESULT got = sendWithTimeout(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        text.resize(got < 0 ? 0 : std::min<LRESULT>(got, len));
        items.push_back(text);
    }
    return items;
}

int listSelection(HWND list) { return static_cast<int>(sendWithTimeout(list, LB_GETCURSEL, 0, 0)); }

bool selectListItem(HWND list, int index) {
    return sendWithTimeout(list, LB_SETCURSEL, index, 0) != LB_ERR || index < 0;
}

bool doubleClickListItem(HWND list, int index) {
    if (!selectListItem(list, index)) return false;
    RECT r{};
    if (sendWithTimeout(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r)) == LB_ERR)
        return false;
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(list, WM_LBUTTONUP, 0, at);
    PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageW(list, WM_LBUTTONUP, 0, at);
    // Wait for the posted clicks: a later sent message (the next selection)
    // would otherwise be handled before them.
    return settle(list);
}

void click(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }

void postClick(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

bool sync(HWND w, Millis timeout) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, static_cast<UINT>(timeout.count()),
                               &ignored) != 0;
}

bool settle(HWND w) {
    if (!sync(w)) return false;
    Sleep(150);
    return sync(w);
}

void postKey(HWND target, WORD vk, wchar_t ch) {
    const UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    const LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16);
    const LPARAM up = down | (1L << 30) | (1L << 31);
    PostMessageW(target, WM_KEYDOWN, vk, down);
    if (ch) PostMessageW(target, WM_CHAR, ch, down);
    PostMessageW(target, WM_KEYUP, vk, up);
}

bool sendKey(HWND top, HWND focus, WORD vk, bool ctrl) {
    SetForegroundWindow(top);
    if (focus) {
        // SetFocus works only for windows of the calling thread's input queue:
        // share the target's queue for the call.
        const DWORD mine = GetCurrentThreadId();
        const DWORD theirs = GetWindowThreadProcessId(focus, nullptr);
        if (AttachThreadInput(mine, theirs, TRUE)) {
            SetFocus(focus);
            AttachThreadInput(mine, theirs, FALSE);
        }
    }
    sync(top);
    if (GetForegroundWindow() != top) return false;
    std::vector<INPUT> in;
    auto key = [&](WORD k, bool up) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = k;
        i.ki.wScan = static_cast<WORD>(MapVirtualKeyW(k, MAPVK_VK_TO_VSC));
        i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        in.push_back(i);
    };
    if (ctrl) key(VK_CONTROL, false);
    key(vk, false);
    key(vk, true);
    if (ctrl) key(VK_CONTROL, true);
    const UINT sent = SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
    settle(top);
    return sent == in.size();
}

std::vector<MessageBoxInfo> messageBoxes(DWORD pid) {
    std::vector<MessageBoxInfo> boxes;
    for (HWND w : topLevelWindows(pid, L"#32770")) {
        MessageBoxInfo info{w, windowText(w), {}};
        if (HWND text = GetDlgItem(w, 0xFFFF)) {
            info.text = windowText(text);
        } else {
            // Fall back to the first static control that holds text.
            for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
                if (_wcsicmp(className(c).c_str(), L"Static") != 0) continue;
                info.text = windowText(c);
                if (!info.text.empty()) break;
            }
        }
        boxes.push_back(std::move(info));
    }
    return boxes;
}

std::optional<MessageBoxInfo> waitForMessageBox(DWORD pid, Millis timeout) {
    std::optional<MessageBoxInfo> found;
    waitForWindow(
        [&]() -> HWND {
            auto boxes = messageBoxes(pid);
            if (boxes.empty()) return nullptr;
            found = boxes.front();
            return found->hwnd;
        },
        timeout);
    return found;
}

bool answerMessageBox(HWND box, int buttonId) {
    HWND button = GetDlgItem(box, buttonId);
    if (!button) return false;
    // The box ends its dialog on the button's command (BN_CLICKED is 0).
    return PostMessageW(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                        reinterpret_cast<LPARAM>(button)) != 0;
}

std::wstring screenshot(HWND w, const std::wstring& name) {
    if (!w) return {};
    SetForegroundWindow(w);
    RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    sync(w);
    Sleep(300);  // the X server draws asynchronously
    RECT r{};
    if (!GetWindowRect(w, &r)) return {};
    const int width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0) return {};

    WindowDc screen(nullptr);
    MemoryDc mem(screen.get());
    GdiObject bitmap(CreateCompatibleBitmap(screen.get(), width, height));
    if (!screen.get() || !mem.get() || !bitmap.get()) return {};
    {
        Selection sel(mem.get(), bitmap.get());
        if (!BitBlt(mem.get(), 0, 0, width, height, screen.get(), r.left, r.top, SRCCOPY))
            return {};
    }
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = height;  // bottom-up, as BMP files store rows
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    const DWORD stride = ((width * 3) + 3) & ~3u;
    std::string pixels(static_cast<size_t>(stride) * height, '\0');
    if (!GetDIBits(mem.get(), static_cast<HBITMAP>(bitmap.get()), 0, height, pixels.data(), &bi,
                   DIB_RGB_COLORS))
        return {};

    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;  // "BM"
    fh.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    fh.bfSize = fh.bfOffBits + static_cast<DWORD>(pixels.size());
    bi.bmiHeader.biSizeImage = static_cast<DWORD>(pixels.size());
    std::string file(reinterpret_cast<const char*>(&fh), sizeof fh);
    file.append(reinterpret_cast<const char*>(&bi.bmiHeader), sizeof(BITMAPINFOHEADER));
    file += pixels;
    const std::wstring path = artifactsFolder() + folderSafe(name) + L".bmp";
    return writeFileBytes(path, file) ? path : std::wstring();
}

}  // namespace tw::e2e
