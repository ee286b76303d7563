// The main window TTWForm: tool bar, the two target lists with their four
// move buttons, progress bar, banner, main menu, accelerators and tray icon.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/Preview.h"
#include "app/TWUnit.h"
#include "ui/Handles.h"
#include "options/Language.h"

class TAboutForm;
class TLogForm;
class TOptionsForm;
class TBackupForm;
class TDesktopIcon;
class TPreviewForm;

// The five dialogs, owned by the main window; each makes its window when it
// is first needed.
struct TWDialogs {
    TAboutForm* about = nullptr;
    TLogForm* log = nullptr;
    TOptionsForm* options = nullptr;
    TBackupForm* backup = nullptr;
    TDesktopIcon* desktop = nullptr;
};

// A TargetList over a single-selection list box.
class ListBoxTargetList : public tw::TargetList {
public:
    explicit ListBoxTargetList(HWND listBox) : listBox_(listBox) {}
    int count() const override;
    std::wstring text(int index) const override;
    bool selected(int index) const override;
    void append(const std::wstring& text) override;
    void erase(int index) override;
    void clear() override;

private:
    HWND listBox_;
};

class TTWForm : public tw::CleaningView {
public:
    TTWForm();
    ~TTWForm() override;
    TTWForm(const TTWForm&) = delete;
    TTWForm& operator=(const TTWForm&) = delete;

    // Creates the window hidden; runs the creation handler.
    bool Create(HINSTANCE instance);
    void SetDialogs(const TWDialogs& dialogs) { dialogs_ = dialogs; }
    const TWDialogs& dialogs() const { return dialogs_; }
    HWND hwnd() const { return hwnd_; }
    HACCEL accelerators() const { return accelerators_; }

    // The tray icon is visible exactly when this is on (the Options dialog
    // calls it again when it applies the settings).
    void SetTrayVisible(bool visible);

    // Language places of the main window (menu, tool tips, labels, tray menu).
    void SetPlaceText(tw::Place place, const std::wstring& text);

    // Operations of the main window.
    void SelectButtonClick();
    void SelectAllButtonClick();
    void DeleteButtonClick();
    void DeleteAllButtonClick();
    void UpdateRemoveButtons();
    void CleanButtonMenuClick();
    // Tools > Preview: previews the clean list and shows the Preview window,
    // whose Clean button starts the normal run.
    void PreviewMenuClick();
    void ProcessCommandLine();

    // tw::CleaningView
    std::vector<std::wstring> cleanLabels() const override;
    void setProgressMax(int maximum) override;
    void setProgressPosition(int position) override;
    void stepProgress() override;

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ListProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR data);
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);

    void OnCreate();
    void CreateControls();
    void CreateToolBar();
    void OnShown();
    void OnCommand(int id, int code);
    void OnTrayNotify(LPARAM lParam);
    void DrawBanner(const DRAWITEMSTRUCT& item);
    void ShowProgress();
    void OpenHelp();
    void OpenHomePage();
    void MinimizeApplication();
    void RestoreApplication();
    // Sends Cancel to every dialog that is showing; true when there was one.
    bool CancelOpenDialogs();
    HWND Control(int id) const { return GetDlgItem(hwnd_, id); }
    // Shows a preview's result; runs the cleaning when its Clean was chosen.
    void ShowPreview(const std::vector<tw::PreviewGroup>& groups);

    HWND hwnd_ = nullptr;
    HACCEL accelerators_ = nullptr;
    twui::Menu trayMenu_;
    twui::ImageList toolImages_;
    twui::GdiObject banner_;
    TWDialogs dialogs_;
    bool trayVisible_ = false;
    tw::CommandLineProcessor commandLine_;
    tw::ProgressPosition progress_;
    bool progressPosted_ = false;
    bool menuBarPosted_ = false;  // a redraw of the menu bar is asked for
    std::unique_ptr<TPreviewForm> preview_;  // made when first shown
    // The program's exit code: set only by a command line with "-QUIT".
    int exitCode_ = 0;
    // Ending after an unattended command line: nothing may wait on a box.
    bool unattendedExit_ = false;
    // Tool tips of the six tool buttons, in button order.
    std::wstring hints_[6];
    // Menu item texts without their shortcuts.
    static constexpr int kHintCount = 6;
};
