// Pixels and the font at the system DPI. Sizes in the window descriptions
// are pixels at 96 DPI; Scale turns them into the screen's pixels.
#pragma once

#include <windows.h>

namespace twui {

int SystemDpi();
int Scale(int pixels);
// Tahoma 8 pt at the system DPI, shared by every control of the program.
HFONT TahomaFont();
void SetFontOfChildren(HWND parent);

}  // namespace twui
