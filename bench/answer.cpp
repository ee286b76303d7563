// Answers one message box of another program, as a user would: waits for a
// top-level dialog ("#32770") with the given caption and presses its OK
// button (or Cancel with --cancel).
//
//   tw_answer [--cancel] <caption> [seconds]
//
// Exit code 0 when a box was answered, 1 on bad arguments, 2 when none
// appeared within the time (default 60 s).
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

struct Search {
    std::wstring caption;
    HWND found = nullptr;
};

BOOL CALLBACK visit(HWND w, LPARAM data) {
    auto* s = reinterpret_cast<Search*>(data);
    wchar_t cls[16] = {};
    GetClassNameW(w, cls, 16);
    if (std::wstring(cls) != L"#32770" || !IsWindowVisible(w)) return TRUE;
    wchar_t text[256] = {};
    GetWindowTextW(w, text, 256);
    if (s->caption != text) return TRUE;
    s->found = w;
    return FALSE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int at = 1;
    bool cancel = false;
    if (at < argc && std::wstring(argv[at]) == L"--cancel") {
        cancel = true;
        ++at;
    }
    if (at >= argc) return 1;
    Search search{argv[at], nullptr};
    const int seconds = at + 1 < argc ? _wtoi(argv[at + 1]) : 60;
    const DWORD end = GetTickCount() + static_cast<DWORD>(seconds > 0 ? seconds : 60) * 1000u;
    while (!search.found) {
        EnumWindows(visit, reinterpret_cast<LPARAM>(&search));
        if (search.found) break;
        if (static_cast<LONG>(GetTickCount() - end) >= 0) return 2;
        Sleep(100);
    }
    // Let the box finish coming up, then press the button as a click would.
    Sleep(300);
    const int id = cancel ? IDCANCEL : IDOK;
    HWND button = GetDlgItem(search.found, id);
    if (button)
        PostMessageW(search.found, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    else
        PostMessageW(search.found, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    return 0;
}
