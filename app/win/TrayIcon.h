// The notification-area icon of the main window and its pop-up menu
// (Minimize, Restore, Exit). Visible exactly when SystemTray is on; a taskbar
// made anew (Explorer restarted) has lost it, so it is added again then.
#pragma once

#include <windows.h>

#include <string>

#include "ui/Handles.h"

class TrayIcon {
public:
    // `message` is what the icon sends the window.
    TrayIcon(HINSTANCE instance, UINT message);
    void SetVisible(HWND window, bool visible);
    bool visible() const { return visible_; }
    // The icon's message came: a context click opens the pop-up menu.
    void OnMessage(HWND window, LPARAM lParam);
    // The taskbar was made anew; the icon is added again when it is on.
    void OnTaskbarCreated(HWND window, bool on);
    // A menu item's text.
    void SetItemText(UINT command, const std::wstring& text);

private:
    HMENU popup() const { return menu_ ? GetSubMenu(menu_.get(), 0) : nullptr; }

    UINT message_;
    twui::Menu menu_;
    bool visible_ = false;
};

// Sent to every top-level window when the taskbar is (re)created.
UINT TaskbarCreatedMessage();
// Sets a menu item's text, by position or by command.
void SetMenuText(HMENU menu, UINT item, bool byPosition, const std::wstring& text);
