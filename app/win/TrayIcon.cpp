#include "app/win/TrayIcon.h"

#include <shellapi.h>

#include <iterator>

#include "app/win/TWFormRes.h"

namespace {

constexpr UINT kTrayId = 1;

}  // namespace

UINT TaskbarCreatedMessage() { return RegisterWindowMessageW(L"TaskbarCreated"); }

void SetMenuText(HMENU menu, UINT item, bool byPosition, const std::wstring& text) {
    if (!menu) return;
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING;
    info.dwTypeData = const_cast<wchar_t*>(text.c_str());
    SetMenuItemInfoW(menu, item, byPosition ? TRUE : FALSE, &info);
}

TrayIcon::TrayIcon(HINSTANCE instance, UINT message)
    : message_(message), menu_(LoadMenuW(instance, MAKEINTRESOURCEW(IDR_TRAYMENU))) {}

void TrayIcon::SetVisible(HWND window, bool visible) {
    if (!window || visible == visible_) return;
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = window;
    data.uID = kTrayId;
    if (visible) {
        data.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
        data.uCallbackMessage = message_;
        data.hIcon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                   LR_SHARED));
        lstrcpynW(data.szTip, L"Tidewell", static_cast<int>(std::size(data.szTip)));
        visible_ = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
    } else {
        Shell_NotifyIconW(NIM_DELETE, &data);
        visible_ = false;
    }
}

void TrayIcon::OnMessage(HWND window, LPARAM lParam) {
    // Only the context click has an action: the pop-up menu.
    if (lParam != WM_RBUTTONUP && lParam != WM_CONTEXTMENU) return;
    HMENU menu = popup();
    if (!menu) return;
    POINT cursor{};
    GetCursorPos(&cursor);
    SetForegroundWindow(window);
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, window, nullptr);
    PostMessageW(window, WM_NULL, 0, 0);
}

void TrayIcon::OnTaskbarCreated(HWND window, bool on) {
    visible_ = false;
    SetVisible(window, on);
}

void TrayIcon::SetItemText(UINT command, const std::wstring& text) { SetMenuText(popup(), command, false, text); }
