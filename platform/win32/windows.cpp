// The shell and windows of other programs (user32, shell32).
#include <windows.h>
#include <shellapi.h>

#include "platform/other_programs.h"
#include "platform/platform.h"

namespace plat {

static_assert(kGwlStyle == GWL_STYLE && kSmCxScreen == SM_CXSCREEN && kSmCyScreen == SM_CYSCREEN);

namespace {

HWND toHwnd(HWnd window) { return reinterpret_cast<HWND>(window); }
HWnd fromHwnd(HWND window) { return reinterpret_cast<HWnd>(window); }
const wchar_t* textOrNull(const std::wstring* text) { return text ? text->c_str() : nullptr; }

}  // namespace

std::intptr_t shellOpen(std::uintptr_t ownerWindow, const std::wstring& file, int show) {
    HINSTANCE r = ::ShellExecuteW(toHwnd(ownerWindow), L"open", file.c_str(), nullptr, nullptr, show);
    return reinterpret_cast<std::intptr_t>(r);
}

HWnd findWindow(const std::wstring& className, const std::wstring* title) {
    return fromHwnd(::FindWindowW(className.c_str(), textOrNull(title)));
}

HWnd findWindowEx(HWnd parent, HWnd childAfter, const std::wstring* className, const std::wstring* title) {
    return fromHwnd(::FindWindowExW(toHwnd(parent), toHwnd(childAfter), textOrNull(className), textOrNull(title)));
}

std::wstring getClassName(HWnd window) {
    wchar_t buffer[257] = {};  // class names hold at most 256 characters
    const int n = ::GetClassNameW(toHwnd(window), buffer, 257);
    return n > 0 ? std::wstring(buffer, static_cast<std::size_t>(n)) : std::wstring();
}

HWnd getParent(HWnd window) { return fromHwnd(::GetParent(toHwnd(window))); }

std::uint32_t getWindowThreadProcessId(HWnd window, std::uint32_t& processId) {
    DWORD pid = 0;
    const DWORD thread = ::GetWindowThreadProcessId(toHwnd(window), &pid);
    processId = pid;
    return thread;
}

// The pointer-sized forms: the same calls as GetWindowLongW/SetWindowLongW in
// a 32-bit build, and correct for every index in a 64-bit one.
std::intptr_t getWindowLong(HWnd window, int index) { return ::GetWindowLongPtrW(toHwnd(window), index); }

std::intptr_t setWindowLong(HWnd window, int index, std::intptr_t value) {
    return ::SetWindowLongPtrW(toHwnd(window), index, value);
}

std::intptr_t sendMessageW(HWnd window, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
    return ::SendMessageW(toHwnd(window), msg, wParam, lParam);
}

int getSystemMetrics(int index) { return ::GetSystemMetrics(index); }

std::int32_t changeDisplayResolution(std::uint32_t width, std::uint32_t height, std::uint32_t flags) {
    DEVMODEW mode;
    ::ZeroMemory(&mode, sizeof(mode));
    mode.dmSize = sizeof(DEVMODEW);
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    mode.dmPelsWidth = width;
    mode.dmPelsHeight = height;
    return ::ChangeDisplaySettingsW(&mode, flags);
}

}  // namespace plat
