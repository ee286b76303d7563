#include "app/win/ProgressBar.h"

#include <commctrl.h>

void ProgressBar::Attach(HWND bar, HWND owner, UINT postedMessage) {
    bar_ = bar;
    owner_ = owner;
    message_ = postedMessage;
    SendMessageW(bar_, PBM_SETRANGE32, 0, 100);
    SendMessageW(bar_, PBM_SETSTEP, 1, 0);
}

void ProgressBar::SetMaximum(int maximum) {
    position_.setMaximum(maximum);
    SendMessageW(bar_, PBM_SETRANGE32, 0, maximum);
}

void ProgressBar::SetPosition(int position) {
    position_.setPosition(position);
    Show();
}

void ProgressBar::Step() {
    if (position_.step(GetTickCount64()))
        Show();
    else if (!posted_)
        posted_ = PostMessageW(owner_, message_, 0, 0) != FALSE;
}

void ProgressBar::OnPosted() {
    posted_ = false;
    ShowPending();
}

void ProgressBar::ShowPending() {
    if (position_.pending()) Show();
}

void ProgressBar::Show() {
    SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(position_.position()), 0);
    position_.shown(GetTickCount64());
}
