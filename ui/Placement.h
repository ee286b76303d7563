// Where windows and controls go: controls placed by their 96-DPI pixel
// rectangles (one at a time or a whole layout table), a window given a
// client area of a 96-DPI size, a window centred over another.
#pragma once

#include <windows.h>

#include <cstddef>

#include "ui/LayoutTypes.h"

namespace twui {

// Places a control by its 96-DPI pixel rectangle.
void PlaceControl(HWND parent, int id, int x, int y, int width, int height);
inline void PlaceControl(HWND parent, const twlayout::Control& c) {
    PlaceControl(parent, c.id, c.x, c.y, c.width, c.height);
}
// Gives the window a client area of the given 96-DPI pixel size.
void SetClientSize(HWND window, int width, int height);

// Sizes the window's client area and places every control of the table.
template <std::size_t N>
void ApplyLayout(HWND window, int clientWidth, int clientHeight,
                 const twlayout::Control (&controls)[N]) {
    SetClientSize(window, clientWidth, clientHeight);
    for (const twlayout::Control& c : controls) PlaceControl(window, c);
}

// Centres the window over another one, or over the work area when the
// other is missing or hidden.
void CenterOver(HWND window, HWND over);

}  // namespace twui
