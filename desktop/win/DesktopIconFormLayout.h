// Pixel layout of the DesktopIconForm dialog at 96 DPI (see ui/LayoutTypes.h).
#pragma once

#include "ui/LayoutTypes.h"
#include "desktop/win/DesktopIconFormRes.h"

namespace twlayout::desktop {

inline constexpr int kClientWidth = 279;
inline constexpr int kClientHeight = 121;
inline constexpr Control kControls[] = {
    {IDC_DESK_SAVE_LABEL, 16, 34, 247, 14, 1, twlayout::Kind::Plain},
    {IDC_DESK_SAVE_COMBO, 16, 52, 247, 120, 1, twlayout::Kind::DropDown},
    {IDC_DESK_SAVE_BUTTON, 188, 84, 75, 25, 1, twlayout::Kind::Plain},
    {IDC_DESK_RESTORE_LABEL, 16, 34, 247, 14, 2, twlayout::Kind::Plain},
    {IDC_DESK_RESTORE_COMBO, 16, 52, 247, 120, 2, twlayout::Kind::DropDown},
    {IDC_DESK_RESOLUTION, 16, 88, 150, 17, 2, twlayout::Kind::Plain},
    {IDC_DESK_RESTORE_BUTTON, 188, 84, 75, 25, 2, twlayout::Kind::Plain},
    {IDC_DESK_REMOVE_LABEL, 16, 34, 247, 14, 3, twlayout::Kind::Plain},
    {IDC_DESK_REMOVE_COMBO, 16, 52, 247, 120, 3, twlayout::Kind::DropDown},
    {IDC_DESK_REMOVE_BUTTON, 188, 84, 75, 25, 3, twlayout::Kind::Plain},
    {IDC_DESK_TAB, 6, 6, 267, 109, 0, twlayout::Kind::Frame},
};

}  // namespace twlayout::desktop
