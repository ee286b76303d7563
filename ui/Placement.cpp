#include "ui/Placement.h"

#include <algorithm>

#include "ui/Dpi.h"

namespace twui {

void PlaceControl(HWND parent, int id, int x, int y, int width, int height) {
    HWND control = GetDlgItem(parent, id);
    if (!control) return;
    SetWindowPos(control, nullptr, Scale(x), Scale(y), Scale(width), Scale(height),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void SetClientSize(HWND window, int width, int height) {
    RECT rect{0, 0, Scale(width), Scale(height)};
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    AdjustWindowRectEx(&rect, style, GetMenu(window) != nullptr, exStyle);
    SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // A menu bar that wraps takes more room than AdjustWindowRectEx allows for.
    RECT client{};
    GetClientRect(window, &client);
    const int missing = Scale(height) - (client.bottom - client.top);
    if (missing > 0) {
        RECT outer{};
        GetWindowRect(window, &outer);
        SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left,
                     outer.bottom - outer.top + missing,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CenterOver(HWND window, HWND over) {
    RECT outer{}, mine{};
    if (over && IsWindowVisible(over))
        GetWindowRect(over, &outer);
    else
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &outer, 0);
    GetWindowRect(window, &mine);
    const int w = mine.right - mine.left, h = mine.bottom - mine.top;
    int x = outer.left + ((outer.right - outer.left) - w) / 2;
    int y = outer.top + ((outer.bottom - outer.top) - h) / 2;
    x = std::max(0, x);
    y = std::max(0, y);
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace twui
