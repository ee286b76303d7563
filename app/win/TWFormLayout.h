// Pixel layout of the main window at 96 DPI (see ui/LayoutTypes.h).
#pragma once

#include "ui/LayoutTypes.h"
#include "app/win/TWFormRes.h"

namespace twlayout::main {

inline constexpr int kClientWidth = 361;
inline constexpr int kClientHeight = 347;
inline constexpr int kToolButtonWidth = 60;
inline constexpr int kToolButtonHeight = 54;
inline constexpr int kToolPicture = 48;
inline constexpr Control kControls[] = {
    {IDC_TOOLBAR, 0, 0, 361, 55},
    {IDC_LABEL_SELECT, 8, 60, 153, 14},
    {IDC_LIST_ITEMS, 8, 78, 153, 147},
    {IDC_LABEL_REMOVE, 199, 60, 153, 14},
    {IDC_LIST_CLEAN, 199, 78, 153, 147},
    {IDC_BUTTON_SELECT, 167, 86, 26, 26},
    {IDC_BUTTON_SELECT_ALL, 167, 115, 26, 26},
    {IDC_BUTTON_DELETE_ALL, 167, 163, 26, 26},
    {IDC_BUTTON_DELETE, 167, 192, 26, 26},
    {IDC_PROGRESS, 0, 234, 361, 17},
    // The banner keeps its picture's full height: its last 3 pixels lie
    // below the client area.
    {IDC_BANNER, 0, 251, 361, 99},
};

}  // namespace twlayout::main
