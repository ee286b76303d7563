// What the dialogs may ask of the main window, and nothing more: the main
// window implements it, so a dialog needs no main window header.
#pragma once

namespace tw {
class LanguageTarget;
}

namespace twui {

class Shell {
public:
    virtual ~Shell() = default;
    // The tray icon is shown exactly when this is on.
    virtual void SetTrayVisible(bool visible) = 0;
    // Every window's language places and page trees, for a language applied
    // while the program runs; valid until the next call.
    virtual tw::LanguageTarget& AllWindows() = 0;
};

}  // namespace twui
