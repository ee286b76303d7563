// The language places of the main window: its menu (with each item's
// shortcut), the tool tips of the tool buttons, the two list labels, the tray
// menu, the texts of the run's questions (kept by the application object)
// and the Preview window's texts.
#pragma once

#include <windows.h>

#include <string>

#include "app/Preview.h"
#include "app/RunHost.h"
#include "app/win/ToolBar.h"
#include "app/win/TrayIcon.h"
#include "options/Language.h"

class MainWindowTexts {
public:
    // `menuBarMessage` is posted to the window to draw its menu bar once for
    // a language's many menu texts.
    MainWindowTexts(TrayIcon& tray, tw::RunTexts& runTexts, UINT menuBarMessage)
        : tray_(tray), runTexts_(runTexts), menuBarMessage_(menuBarMessage) {}
    void Set(HWND window, tw::Place place, const std::wstring& text);
    // The Preview window's texts.
    const tw::PreviewTexts& Preview() const { return preview_; }
    // The tool tip of tool button `index`, or null.
    const wchar_t* Hint(int index) const;
    // The posted message came: the menu bar is drawn.
    void OnMenuBarMessage(HWND window);

private:
    TrayIcon& tray_;
    tw::RunTexts& runTexts_;
    tw::PreviewTexts preview_;
    UINT menuBarMessage_;
    bool menuBarPosted_ = false;  // a redraw of the menu bar is asked for
    std::wstring hints_[kToolButtonCount];  // in button order
};
