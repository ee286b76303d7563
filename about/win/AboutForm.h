// The About dialog TAboutForm: a page tree and three fixed texts.
#pragma once

#include <string>

#include "app/win/WinCommon.h"
#include "options/Language.h"

class TAboutForm : public twui::Dialog {
public:
    TAboutForm();
    // Help > About: first page, then shown modally.
    void Open();
    // The dialog's language places; false for places of other windows.
    bool SetPlaceText(tw::Place place, const std::wstring& text);
    // The page handler (ListViewItemsClick); the About dialog's page logic fills it.
    void OnPageChanged() override {}

protected:
    void OnInit() override;
};
