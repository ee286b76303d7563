// A small window program that the driver's self-test drives instead of the
// real program: a main window of the same class with two list boxes and two
// buttons under the main window's control ids, a key preview in the message
// loop, and an owner-less confirmation box on Ctrl+R. It writes what it saw
// into standin.ini beside itself so the self-test can check the input arrived.
#include <windows.h>

#include <string>

#include "app/win/TWFormRes.h"

namespace {

HWND g_main = nullptr;
std::wstring g_ini;

void record(const wchar_t* key, const std::wstring& value) {
    WritePrivateProfileStringW(L"Seen", key, value.c_str(), g_ini.c_str());
}

std::wstring listText(HWND list, LRESULT i) {
    std::wstring s(SendMessageW(list, LB_GETTEXTLEN, i, 0) + 1, L'\0');
    s.resize(SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(s.data())));
    return s;
}

void copySelected() {
    HWND from = GetDlgItem(g_main, IDC_LIST_ITEMS), to = GetDlgItem(g_main, IDC_LIST_CLEAN);
    const LRESULT sel = SendMessageW(from, LB_GETCURSEL, 0, 0);
    if (sel == LB_ERR) return;
    SendMessageW(to, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(listText(from, sel).c_str()));
    EnableWindow(GetDlgItem(g_main, IDC_BUTTON_DELETE_ALL), TRUE);
}

void confirm() {
    const int answer = MessageBoxW(nullptr, L"Are you sure you want to continue?", L"Warning",
                                   MB_OKCANCEL | MB_ICONEXCLAMATION);
    record(L"Answer", std::to_wstring(answer));
}

LRESULT CALLBACK mainProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        if (LOWORD(wp) == IDC_BUTTON_SELECT || (LOWORD(wp) == IDC_LIST_ITEMS && HIWORD(wp) == LBN_DBLCLK))
            copySelected();
        else if (LOWORD(wp) == IDC_BUTTON_DELETE_ALL) {
            SendMessageW(GetDlgItem(w, IDC_LIST_CLEAN), LB_RESETCONTENT, 0, 0);
            EnableWindow(GetDlgItem(w, IDC_BUTTON_DELETE_ALL), FALSE);
        }
        return 0;
    case WM_DESTROY:
        PostQuitMessage(7);
        return 0;
    }
    return DefWindowProcW(w, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE inst, HINSTANCE, PWSTR args, int) {
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    g_ini = exe;
    g_ini = g_ini.substr(0, g_ini.find_last_of(L'\\') + 1) + L"standin.ini";
    record(L"Arguments", args);

    WNDCLASSW wc{};
    wc.lpfnWndProc = mainProc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = TW_CLASS_MAIN;
    RegisterClassW(&wc);
    g_main = CreateWindowExW(0, TW_CLASS_MAIN, L"Stand-in", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                             0, 0, 300, 200, nullptr, nullptr, inst, nullptr);
    auto child = [&](const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int cx,
                     int cy, int id) {
        return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, x, y, cx,
                               cy, g_main, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), inst,
                               nullptr);
    };
    HWND items = child(L"LISTBOX", L"", WS_BORDER | LBS_NOTIFY, 8, 8, 110, 120, IDC_LIST_ITEMS);
    child(L"LISTBOX", L"", WS_BORDER | LBS_NOTIFY, 170, 8, 110, 120, IDC_LIST_CLEAN);
    child(L"BUTTON", L">", BS_PUSHBUTTON, 128, 20, 30, 26, IDC_BUTTON_SELECT);
    child(L"BUTTON", L"<<", BS_PUSHBUTTON | WS_DISABLED, 128, 60, 30, 26, IDC_BUTTON_DELETE_ALL);
    for (const wchar_t* s : {L"Alpha", L"Beta", L"Gamma"})
        SendMessageW(items, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
    ShowWindow(g_main, SW_SHOW);
    UpdateWindow(g_main);

    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        // Key preview: the main window sees keys before its controls.
        if (m.message == WM_KEYDOWN && GetAncestor(m.hwnd, GA_ROOT) == g_main) {
            if (m.wParam == 'R' && (GetKeyState(VK_CONTROL) & 0x8000)) {
                record(L"CtrlR", L"1");
                confirm();
                continue;
            }
            if (m.wParam == VK_RETURN && m.hwnd == items) {
                record(L"Enter", L"1");
                copySelected();
                continue;
            }
            if (m.wParam == 'R') record(L"PlainR", L"1");
        }
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
    return static_cast<int>(m.wParam);
}
