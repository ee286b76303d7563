// The main window's tool bar: six picture buttons (Clean, Log, Backup,
// Options, Desktop Icon Restorer, Help) whose PNG pictures are scaled to the
// system DPI, with tool tips asked from the window (TTN_GETDISPINFOW).
#pragma once

#include <windows.h>

#include "ui/Handles.h"

inline constexpr int kToolButtonCount = 6;

// Makes the bar as child IDC_TOOLBAR of `parent`; its pictures go into `images`.
void CreateToolBar(HWND parent, twui::ImageList& images);
