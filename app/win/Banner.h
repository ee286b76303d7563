// The banner below the progress bar: the JPEG picture drawn in proportion,
// centred on the button face, in the owner-drawn static's WM_DRAWITEM.
#pragma once

#include <windows.h>

void DrawBanner(const DRAWITEMSTRUCT& item, HGDIOBJ picture);
