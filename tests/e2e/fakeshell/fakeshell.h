// What the end-to-end tests and the fake shell program agree on.
#pragma once

#include <windows.h>

namespace tw::e2e::fakeshell {

// Sent to the "Progman" window. Answers from the shell's own list view, so
// the tests need no memory of the shell's process.
inline constexpr UINT kQueryCount = WM_APP + 1;     // number of icons
inline constexpr UINT kQueryPosition = WM_APP + 2;  // wParam item: x in the low, y in the high 32 bits
inline constexpr UINT kQueryListView = WM_APP + 3;  // the list view's window handle

// The title "Progman" gets once every window and icon is in place.
inline constexpr const wchar_t* kReadyTitle = L"Program Manager";

struct Icon {
    const wchar_t* text;
    int x;
    int y;
};
// The icons, in item order; two share a text.
inline constexpr Icon kIcons[] = {
    {L"Computer", 20, 20}, {L"Recycle Bin", 20, 120}, {L"Same", 200, 20},
    {L"Same", 200, 120},   {L"Documents", 380, 220},
};

}  // namespace tw::e2e::fakeshell
