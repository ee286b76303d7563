// Pictures from the program's resources as bitmaps the windows can draw.
#pragma once

#include <windows.h>

namespace twui {

// A bitmap (32-bit, top-down, premultiplied alpha) from an RCDATA picture
// (PNG or JPEG). Null when the resource is missing or does not decode; the
// caller owns it (a GdiObject).
HBITMAP LoadPictureResource(int id, bool jpeg);

}  // namespace twui
