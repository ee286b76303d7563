#include "app/win/ToolBar.h"

#include "app/win/TWFormLayout.h"
#include "ui/DeviceContext.h"
#include "ui/Dpi.h"
#include "ui/Pictures.h"

namespace {

namespace layout = twlayout::main;

// The bitmap at `size` pixels square, drawn in halftone; the bitmap itself
// when it has that size already or cannot be scaled.
twui::GdiObject ScaledTo(twui::GdiObject bitmap, int size) {
    BITMAP info{};
    GetObjectW(bitmap.get(), sizeof(info), &info);
    if (info.bmWidth == size && info.bmHeight == size) return bitmap;
    const twui::WindowDC screen;
    BITMAPINFO bmi{};
    bmi.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    twui::GdiObject scaled(CreateDIBSection(screen.get(), &bmi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!scaled) return bitmap;
    const twui::MemoryDC from(screen.get()), to(screen.get());
    {
        const twui::Selection source(from.get(), bitmap.get()), target(to.get(), scaled.get());
        SetStretchBltMode(to.get(), HALFTONE);
        StretchBlt(to.get(), 0, 0, size, size, from.get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    }
    return scaled;
}

}  // namespace

void CreateToolBar(HWND parent, twui::ImageList& images) {
    HWND bar = CreateWindowExW(0, TOOLBARCLASSNAMEW, L"",
                               WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS |
                                   CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER,
                               0, 0, twui::Scale(layout::kClientWidth), twui::Scale(layout::kControls[0].height),
                               parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_TOOLBAR)),
                               GetModuleHandleW(nullptr), nullptr);
    if (!bar) return;
    SendMessageW(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    const int picture = twui::Scale(layout::kToolPicture);
    images.reset(ImageList_Create(picture, picture, ILC_COLOR32, 6, 0));
    const int pictures[kToolButtonCount] = {IDR_PNG_CLEAN,   IDR_PNG_LOG,     IDR_PNG_BACKUP,
                                            IDR_PNG_OPTIONS, IDR_PNG_DESKTOP, IDR_PNG_HELP};
    TBBUTTON buttons[kToolButtonCount] = {};
    for (int i = 0; i < kToolButtonCount; ++i) {
        buttons[i].iBitmap = I_IMAGENONE;
        twui::GdiObject bitmap(twui::LoadPictureResource(pictures[i], false));
        if (bitmap && images) {
            bitmap = ScaledTo(std::move(bitmap), picture);
            buttons[i].iBitmap = ImageList_Add(images.get(), static_cast<HBITMAP>(bitmap.get()), nullptr);
        }
        buttons[i].idCommand = IDM_CLEAN + i;
        buttons[i].fsState = TBSTATE_ENABLED;
        buttons[i].fsStyle = BTNS_BUTTON;
        buttons[i].iString = -1;
    }
    SendMessageW(bar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images.get()));
    SendMessageW(bar, TB_SETBITMAPSIZE, 0, MAKELPARAM(picture, picture));
    SendMessageW(bar, TB_ADDBUTTONSW, kToolButtonCount, reinterpret_cast<LPARAM>(buttons));
    SendMessageW(bar, TB_SETBUTTONSIZE, 0, MAKELPARAM(twui::Scale(layout::kToolButtonWidth),
                                                   twui::Scale(layout::kToolButtonHeight)));
    SendMessageW(bar, TB_SETMAXTEXTROWS, 0, 0);
}
