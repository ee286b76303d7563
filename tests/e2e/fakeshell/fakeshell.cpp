// A stand-in for the shell's desktop (Wine has no "Progman" window): a hidden
// "Progman" window with a "SHELLDLL_DefView" child and an icon view list
// grandchild holding the icons of fakeshell.h. It runs until it is ended.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <utility>

#include "tests/e2e/fakeshell/fakeshell.h"

namespace {

using namespace tw::e2e::fakeshell;

HWND g_listView = nullptr;

LRESULT CALLBACK progmanProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != kQueryPosition) return DefWindowProcW(hwnd, msg, wParam, lParam);
    POINT pt{};
    SendMessageW(g_listView, LVM_GETITEMPOSITION, wParam, reinterpret_cast<LPARAM>(&pt));
    return static_cast<LRESULT>(std::uint32_t(pt.x) | (std::uint64_t(std::uint32_t(pt.y)) << 32));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    const std::pair<const wchar_t*, WNDPROC> classes[] = {{L"Progman", progmanProc}, {L"SHELLDLL_DefView", DefWindowProcW}};
    for (const auto& [name, proc] : classes) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = proc;
        wc.hInstance = instance;
        wc.lpszClassName = name;
        RegisterClassW(&wc);
    }
    HWND progman = CreateWindowExW(0, L"Progman", L"", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr, instance, nullptr);
    HWND view = CreateWindowExW(0, L"SHELLDLL_DefView", L"", WS_CHILD | WS_VISIBLE, 0, 0, 800, 600, progman, nullptr,
                                instance, nullptr);
    g_listView = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_ICON, 0, 0, 800, 600, view, nullptr,
                                 instance, nullptr);
    if (!g_listView) return 1;
    int index = 0;
    for (const Icon& icon : kIcons) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = index;
        item.pszText = const_cast<wchar_t*>(icon.text);
        SendMessageW(g_listView, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        SendMessageW(g_listView, LVM_SETITEMPOSITION, index++, MAKELPARAM(icon.x, icon.y));
    }
    SetWindowTextW(progman, kReadyTitle);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}
