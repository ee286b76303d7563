#include "ui/Dpi.h"

#include "ui/DeviceContext.h"
#include "ui/Handles.h"

namespace twui {

int SystemDpi() {
    static const int dpi = [] {
        const WindowDC screen;
        const int value = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
        return value > 0 ? value : 96;
    }();
    return dpi;
}

int Scale(int pixels) { return MulDiv(pixels, SystemDpi(), 96); }

HFONT TahomaFont() {
    // Lives as long as the process: every window of the program uses it.
    static GdiObject font(CreateFontW(-MulDiv(8, SystemDpi(), 72), 0, 0, 0, FW_NORMAL, FALSE,
                                      FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                      DEFAULT_PITCH | FF_DONTCARE, L"Tahoma"));
    return static_cast<HFONT>(font.get());
}

namespace {
BOOL CALLBACK SetFontOfChild(HWND child, LPARAM font) {
    SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
    return TRUE;
}
}  // namespace

void SetFontOfChildren(HWND parent) {
    EnumChildWindows(parent, &SetFontOfChild, reinterpret_cast<LPARAM>(TahomaFont()));
}

}  // namespace twui
