#include "app/win/Banner.h"

#include "app/TWUnit.h"
#include "ui/DeviceContext.h"

void DrawBanner(const DRAWITEMSTRUCT& item, HGDIOBJ picture) {
    const RECT& r = item.rcItem;
    FillRect(item.hDC, &r, GetSysColorBrush(COLOR_BTNFACE));
    if (!picture) return;
    BITMAP info{};
    GetObjectW(picture, sizeof(info), &info);
    if (info.bmWidth <= 0 || info.bmHeight <= 0) return;
    const tw::PictureRect fit = tw::FitInProportion(
        info.bmWidth, info.bmHeight, {r.left, r.top, r.right - r.left, r.bottom - r.top});
    if (fit.width <= 0 || fit.height <= 0) return;
    const twui::MemoryDC memory(item.hDC);
    const twui::Selection selected(memory.get(), picture);
    SetStretchBltMode(item.hDC, HALFTONE);
    StretchBlt(item.hDC, fit.x, fit.y, fit.width, fit.height, memory.get(), 0, 0, info.bmWidth,
               info.bmHeight, SRCCOPY);
}
