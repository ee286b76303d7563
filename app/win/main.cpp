// Program entry: the hand-over of a 32-bit start on 64-bit Windows, else the
// application object, the main window (its view), the five dialogs (their
// windows made on first use), then the message loop.
#include <windows.h>
#include <commctrl.h>

#include "about/win/AboutForm.h"
#include "app/Application.h"
#include "app/win/TWForm.h"
#include "app/win/HandOver.h"
#include "app/win/MainShell.h"
#include "app/win/TWFormRes.h"
#include "backup/win/BackupForm.h"
#include "desktop/win/DesktopIconForm.h"
#include "log/win/LogForm.h"
#include "options/win/OptionsForm.h"
#include "ui/DialogClass.h"
#include "ui/Errors.h"
#include "ui/ModalLoop.h"

namespace {

int Run(HINSTANCE instance, int show) {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_BAR_CLASSES | ICC_PROGRESS_CLASS | ICC_TREEVIEW_CLASSES |
                     ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&controls);

    twui::RegisterDialogClassesOnFirstUse(
        {TW_CLASS_ABOUT, TW_CLASS_LOG, TW_CLASS_OPTIONS, TW_CLASS_BACKUP, TW_CLASS_DESKTOP});

    // The main window first: its creation handler has the application load
    // the settings before any other window exists.
    tw::Application app;
    TTWForm main(app);
    if (!main.Create(instance)) {
        MessageBoxW(nullptr, L"The main window could not be created.", L"Tidewell",
                    MB_OK | MB_ICONERROR);
        return 1;
    }
    TAboutForm about;
    TLogForm log;
    TOptionsForm options;
    TBackupForm backup;
    TDesktopIcon desktop;
    // Each dialog's window is made the first time it is needed; it reads
    // its texts then.
    twui::Dialog* const dialogs[] = {&about, &log, &options, &backup, &desktop};
    for (twui::Dialog* dialog : dialogs) dialog->SetOwner(main.hwnd());
    main.SetDialogs({&about, &log, &options, &backup, &desktop});
    MainShell shell(main);
    options.SetShell(&shell);
    twui::SetMainWindow(main.hwnd(), main.accelerators());

    // As the starter asked (a shortcut set to "Minimized", start /min).
    ShowWindow(main.hwnd(), show);
    UpdateWindow(main.hwnd());

    MSG msg{};
    BOOL got;
    while ((got = GetMessageW(&msg, nullptr, 0, 0)) != 0) {
        if (got < 0) break;
        if (twui::PreTranslate(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    twui::SetMainWindow(nullptr, nullptr);
    return static_cast<int>(msg.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    try {
        // The 32-bit build on 64-bit Windows does not clean: the 64-bit one does.
        if (const std::optional<int> handedOver = twui::HandOverTo64BitBuild()) return *handedOver;
        return Run(instance, show);
    } catch (...) {
        twui::ShowCaughtError();
        return 1;
    }
}
