// A stand-in for the Windows shell's desktop, for the end-to-end tests under
// Wine (which has no "Progman" window): a top-level "Progman" window with a
// "SHELLDLL_DefView" child and a "SysListView32" grandchild in icon view
// holding the icons of fakeshell.h at their positions.
//
// Switches:
//   -autoarrange  the list view has LVS_AUTOARRANGE
//   -emptyfirst   an empty "WorkerW" child comes first under "Progman"
//   -workerw      "Progman" stays empty; the view lies under the second of
//                 two top-level "WorkerW" windows
// It runs until it is ended or "Progman" gets WM_CLOSE.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <cwchar>

#include "tests/e2e/fakeshell/fakeshell.h"

namespace {

using namespace tw::e2e::fakeshell;

HWND g_listView = nullptr;

LRESULT CALLBACK progmanProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case kQueryCount:
        return SendMessageW(g_listView, LVM_GETITEMCOUNT, 0, 0);
    case kQueryPosition: {
        POINT pt{};
        if (!SendMessageW(g_listView, LVM_GETITEMPOSITION, wParam, reinterpret_cast<LPARAM>(&pt))) return -1;
        const auto x = static_cast<std::uint64_t>(static_cast<std::uint32_t>(pt.x));
        const auto y = static_cast<std::uint64_t>(static_cast<std::uint32_t>(pt.y));
        return static_cast<LRESULT>(x | (y << 32));
    }
    case kQueryListView:
        return reinterpret_cast<LRESULT>(g_listView);
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

void registerClass(const wchar_t* name, WNDPROC proc) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = name;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_DESKTOP + 1);
    RegisterClassW(&wc);
}

HWND child(const wchar_t* cls, HWND parent, DWORD style = 0) {
    return CreateWindowExW(0, cls, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 800, 600, parent, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

bool hasSwitch(const wchar_t* commandLine, const wchar_t* name) { return std::wcsstr(commandLine, name) != nullptr; }

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    const bool autoArrange = hasSwitch(commandLine, L"-autoarrange");
    const bool emptyFirst = hasSwitch(commandLine, L"-emptyfirst");
    const bool underWorker = hasSwitch(commandLine, L"-workerw");

    registerClass(L"Progman", progmanProc);
    registerClass(L"WorkerW", DefWindowProcW);
    registerClass(L"SHELLDLL_DefView", DefWindowProcW);

    // Hidden top-level windows: the tests look them up, nobody needs to see them.
    HWND progman = CreateWindowExW(0, L"Progman", L"", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    if (!progman) return 1;
    HWND viewParent = progman;
    if (underWorker) {
        CreateWindowExW(0, L"WorkerW", L"", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr, GetModuleHandleW(nullptr),
                        nullptr);
        viewParent = CreateWindowExW(0, L"WorkerW", L"", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
    } else if (emptyFirst) {
        child(L"WorkerW", progman);
    }
    HWND view = child(L"SHELLDLL_DefView", viewParent);
    g_listView = child(WC_LISTVIEWW, view, LVS_ICON | (autoArrange ? LVS_AUTOARRANGE : 0));
    if (!g_listView) return 2;

    int index = 0;
    for (const Icon& icon : kIcons) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = index;
        item.pszText = const_cast<wchar_t*>(icon.text);
        SendMessageW(g_listView, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        if (!autoArrange) SendMessageW(g_listView, LVM_SETITEMPOSITION, index, MAKELPARAM(icon.x, icon.y));
        ++index;
    }
    SetWindowTextW(progman, kReadyTitle);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
