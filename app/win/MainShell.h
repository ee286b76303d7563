// The main window's side of twui::Shell: what the dialogs may ask of it.
#pragma once

#include <optional>

#include "app/win/LanguageWindows.h"
#include "app/win/TWForm.h"
#include "ui/Shell.h"

class MainShell : public twui::Shell {
public:
    explicit MainShell(TTWForm& main) : main_(main) {}
    void SetTrayVisible(bool visible) override { main_.SetTrayVisible(visible); }
    tw::LanguageTarget& AllWindows() override {
        windows_.emplace(main_, main_.dialogs());
        return *windows_;
    }

private:
    TTWForm& main_;
    std::optional<LanguageWindows> windows_;
};
