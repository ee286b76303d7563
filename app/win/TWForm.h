// The main window TTWForm: tool bar, the two target lists with their four
// move buttons, progress bar, banner, main menu, accelerators and tray icon.
// A view of the application object (app/Application.h): its handlers call
// it, and it is the host of the runs it starts.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/win/MainDialogs.h"
#include "app/win/MainWindowTexts.h"
#include "app/win/ProgressBar.h"
#include "app/win/TargetLists.h"
#include "app/win/TrayIcon.h"
#include "ui/Handles.h"
#include "options/Language.h"

class TPreviewForm;

class TTWForm : public tw::MainView {
public:
    explicit TTWForm(tw::Application& app);
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
    void SetTrayVisible(bool visible) { tray_.SetVisible(hwnd_, visible); }
    // Language places of the main window (menu, tool tips, labels, tray menu).
    void SetPlaceText(tw::Place place, const std::wstring& text) { texts_.Set(hwnd_, place, text); }

    // tw::MainView
    bool confirm(const tw::Question& question) override;
    void setProgressMax(int maximum) override { progress_.SetMaximum(maximum); }
    void setProgressPosition(int position) override { progress_.SetPosition(position); }
    void stepProgress() override { progress_.Step(); }
    bool askRestart(const tw::Question& question) override { return confirm(question); }
    bool restart() override { return tw::RebootSystem(); }
    tw::TargetList& cleanList() override { return lists_.clean(); }
    // Shows a preview's result; runs the cleaning when its Clean was chosen.
    void showPreview(const std::vector<tw::PreviewGroup>& groups) override;
    void close() override;

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);

    void OnCreate();
    void CreateControls();
    void OnShown();
    void OnCommand(int id, int code);
    void OnDestroy();
    void Clean();
    void MinimizeApplication();
    void RestoreApplication();

    tw::Application& app_;
    HWND hwnd_ = nullptr;
    HACCEL accelerators_ = nullptr;
    TrayIcon tray_;
    MainWindowTexts texts_;
    TargetLists lists_;
    ProgressBar progress_;
    twui::ImageList toolImages_;
    twui::GdiObject banner_;
    TWDialogs dialogs_;
    std::unique_ptr<TPreviewForm> preview_;  // made when first shown
};
