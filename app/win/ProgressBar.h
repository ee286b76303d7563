// The main window's progress bar, told of a run's steps sparingly. Each
// position the bar is told repaints it at once, and under Wine that costs
// several server round trips: a run of some hundred steps spent most of its
// time there. The bar is told at most every ProgressPosition::kShowEvery
// milliseconds (app/TWUnit.h); a step that waits is shown when the run is
// over (ShowPending) or when the message loop next runs (a posted message).
// The position is kept within the range as the bar keeps it, so a run that
// takes more steps than its targets reserve leaves the bar full.
#pragma once

#include <windows.h>

#include "app/TWUnit.h"

class ProgressBar {
public:
    // The bar, and the message posted to `owner` for a step that waits.
    void Attach(HWND bar, HWND owner, UINT postedMessage);
    void SetMaximum(int maximum);
    void SetPosition(int position);
    void Step();
    // The posted message came.
    void OnPosted();
    // Shows a step that waits, now.
    void ShowPending();

private:
    void Show();

    HWND bar_ = nullptr;
    HWND owner_ = nullptr;
    UINT message_ = 0;
    tw::ProgressPosition position_;
    bool posted_ = false;
};
