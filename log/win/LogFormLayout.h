// Pixel layout of the LogForm dialog at 96 DPI (see ui/LayoutTypes.h).
#pragma once

#include "ui/LayoutTypes.h"
#include "log/win/LogFormRes.h"

namespace twlayout::log {

inline constexpr int kClientWidth = 444;
inline constexpr int kClientHeight = 275;
inline constexpr Control kControls[] = {
    {IDC_LOG_TREE, 8, 8, 110, 230, 0, twlayout::Kind::Plain},
    {IDC_LOG_LIST, 126, 8, 310, 81, 1, twlayout::Kind::Plain},
    {IDC_LOG_MEMO, 126, 95, 310, 143, 1, twlayout::Kind::Plain},
    {IDC_LOG_CHECKLIST, 126, 8, 310, 230, 2, twlayout::Kind::Plain},
    {IDC_LOG_REMOVE, 188, 244, 75, 25, 0, twlayout::Kind::Plain},
    {IDOK, 267, 244, 75, 25, 0, twlayout::Kind::Plain},
    {IDC_LOG_SELECT_ALL, 346, 244, 90, 25, 0, twlayout::Kind::Plain},
};

}  // namespace twlayout::log
