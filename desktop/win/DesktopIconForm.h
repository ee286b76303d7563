// The desktop icon restorer TDesktopIcon: a tab control with the pages Save,
// Restore and Remove, each a group of controls in the same place.
#pragma once

#include <string>

#include "options/Language.h"
#include "ui/Dialog.h"

class TDesktopIcon : public twui::Dialog {
public:
    enum class Page { Save, Restore, Remove };

    TDesktopIcon();
    // Tools > Desktop Icon Restorer: shown modally, on the page it was left on.
    void Open();
    bool SetPlaceText(tw::Place place, const std::wstring& text) override;
    void ShowPage(Page page);

protected:
    void OnInit() override;
    INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(int id, const NMHDR& header) override;

private:
    void SetTabText(int index, const std::wstring& text);
    // Both lists refilled with the saved layouts, their texts the last one.
    void RefreshLists();
    void SaveButtonClick();
    void RestoreButtonClick();
    void RemoveButtonClick();
};
