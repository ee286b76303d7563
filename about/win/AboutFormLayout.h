// Pixel layout of the AboutForm dialog at 96 DPI (see ui/LayoutTypes.h).
#pragma once

#include "ui/LayoutTypes.h"
#include "about/win/AboutFormRes.h"

namespace twlayout::about {

inline constexpr int kClientWidth = 375;
inline constexpr int kClientHeight = 266;
inline constexpr Control kControls[] = {
    {IDOK, 292, 236, 75, 25, 0, twlayout::Kind::Plain},
    {IDC_ABOUT_TREE, 8, 8, 96, 221, 0, twlayout::Kind::Plain},
    {IDC_ABOUT_MEMO_ABOUT, 110, 8, 257, 221, 1, twlayout::Kind::Plain},
    {IDC_ABOUT_MEMO_CONTACT, 110, 8, 257, 221, 3, twlayout::Kind::Plain},
    {IDC_ABOUT_MEMO_DONATE, 110, 8, 257, 221, 2, twlayout::Kind::Plain},
};

}  // namespace twlayout::about
