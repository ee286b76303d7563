#include "ui/ListBesideView.h"

#include "ui/Dpi.h"
#include "ui/Placement.h"

namespace twui {

namespace {

// At 96 DPI: the margin, the gap between buttons and a button's size of a
// resizable window.
constexpr int kMargin = 8, kGap = 6, kButtonWidth = 90, kButtonHeight = 25;

}  // namespace

void ListBesideView::OnInit() {
    if (resizable()) {
        RECT client{};
        GetClientRect(hwnd(), &client);
        PlaceResizable(client.right, client.bottom);
    } else {
        SetClientSize(hwnd(), parts_.clientWidth, parts_.clientHeight);
        for (const twlayout::Control& c : parts_.fixed) PlaceControl(hwnd(), c);
    }
    // Long texts: no limit on the view's text.
    if (parts_.textViewId) SendDlgItemMessageW(hwnd(), parts_.textViewId, EM_SETLIMITTEXT, 0, 0);
}

void ListBesideView::Open() {
    if (!EnsureWindow()) return;
    SelectFirstNode();
    OnPageChanged();
    ShowModal();
}

bool ListBesideView::OnCommand(int id, int code, HWND control) {
    if (parts_.listId != 0 && id == parts_.listId) {
        if (code == LBN_SELCHANGE) OnListChoice();
        return true;
    }
    return Dialog::OnCommand(id, code, control);
}

void ListBesideView::OnSize(int width, int height) {
    if (resizable()) PlaceResizable(width, height);
}

// The view fills the window above a row of the buttons at its right.
void ListBesideView::PlaceResizable(int width, int height) {
    const int margin = Scale(kMargin), gap = Scale(kGap);
    const int bw = Scale(kButtonWidth), bh = Scale(kButtonHeight);
    const int buttonTop = height - margin - bh;
    const int buttons = static_cast<int>(parts_.buttonRow.size());
    MoveWindow(item(parts_.textViewId), margin, margin, width - 2 * margin, buttonTop - gap - margin, TRUE);
    int left = width - margin - buttons * bw - (buttons - 1) * gap;
    for (int id : parts_.buttonRow) {
        MoveWindow(item(id), left, buttonTop, bw, bh, TRUE);
        left += bw + gap;
    }
}

INT_PTR ListBesideView::OnMessage(UINT msg, WPARAM, LPARAM lParam, bool& handled) {
    handled = false;
    if (msg == WM_GETMINMAXINFO && resizable() && hwnd()) {
        RECT frame{0, 0, Scale(parts_.minWidth), Scale(parts_.minHeight)};
        AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_EXSTYLE)));
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
        handled = true;
    }
    return 0;
}

void ListBesideView::SetViewText(const std::wstring& text) {
    SetDlgItemTextW(hwnd(), parts_.textViewId, text.c_str());
}

void ListBesideView::ShowControls(std::initializer_list<int> ids, bool visible) const {
    for (int id : ids) ShowWindow(item(id), visible ? SW_SHOWNA : SW_HIDE);
}

}  // namespace twui
