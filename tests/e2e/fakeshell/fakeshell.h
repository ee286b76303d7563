// What the end-to-end tests and the fake shell program agree on.
#pragma once

#include <windows.h>

namespace tw::e2e::fakeshell {

// Sent to "Progman": the icon's position, x in the low and y in the high 32 bits.
inline constexpr UINT kQueryPosition = WM_APP + 2;
// The title "Progman" gets once every icon is in place.
inline constexpr const wchar_t* kReadyTitle = L"Program Manager";

struct Icon {
    const wchar_t* text;
    int x, y;
};
// Two icons share a name: a layout places the first of them.
inline constexpr Icon kIcons[] = {
    {L"Computer", 20, 20}, {L"Recycle Bin", 20, 120}, {L"Documents", 200, 20}, {L"Same", 380, 20}, {L"Same", 380, 120}};

}  // namespace tw::e2e::fakeshell
