#include "app/win/MainDialogs.h"

#include "about/win/AboutForm.h"
#include "app/win/TWFormRes.h"
#include "backup/win/BackupForm.h"
#include "desktop/win/DesktopIconForm.h"
#include "log/win/LogForm.h"
#include "options/win/OptionsForm.h"

std::vector<twui::Dialog*> TWDialogs::All() const {
    std::vector<twui::Dialog*> all;
    for (twui::Dialog* dialog : std::initializer_list<twui::Dialog*>{about, log, options, backup, desktop})
        if (dialog) all.push_back(dialog);
    return all;
}

bool TWDialogs::OpenFor(int command) const {
    switch (command) {
    case IDM_LOG: return log && (log->Open(), true);
    case IDM_BACKUP: return backup && (backup->Open(), true);
    case IDM_OPTIONS: return options && (options->Open(), true);
    case IDM_DESKTOP_ICON: return desktop && (desktop->Open(), true);
    case IDM_ABOUT: return about && (about->Open(), true);
    default: return false;
    }
}

bool TWDialogs::CancelOpen() const {
    bool any = false;
    for (twui::Dialog* dialog : All()) {
        if (!dialog->showing()) continue;
        any = true;
        SendMessageW(dialog->hwnd(), WM_COMMAND, IDCANCEL, 0);
        // A Cancel that failed still ends the dialog, or the close would wait for ever.
        if (dialog->showing()) dialog->Close();
    }
    return any;
}
