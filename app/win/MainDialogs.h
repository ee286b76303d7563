// The five dialogs of the main window (About, Log, Options, Backup, Desktop
// icons): made in main.cpp and handed to the main window; each makes its
// window the first time it is needed.
#pragma once

#include <vector>

#include "ui/Dialog.h"

class TAboutForm;
class TLogForm;
class TOptionsForm;
class TBackupForm;
class TDesktopIcon;

struct TWDialogs {
    TAboutForm* about = nullptr;
    TLogForm* log = nullptr;
    TOptionsForm* options = nullptr;
    TBackupForm* backup = nullptr;
    TDesktopIcon* desktop = nullptr;

    // Those handed over, in this order.
    std::vector<twui::Dialog*> All() const;
    // Opens the dialog a menu command names (IDM_LOG ...); false for any other command.
    bool OpenFor(int command) const;
    // Sends Cancel to every dialog that is showing; true when there was one.
    bool CancelOpen() const;
};
