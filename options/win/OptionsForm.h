// The Options dialog TOptionsForm: page tree, the Cleaning, Language and
// Miscellaneous pages (each a group of controls in the same place), OK,
// Cancel and Apply.
#pragma once

#include <string>

#include "app/win/WinCommon.h"
#include "options/Language.h"

class TOptionsForm : public twui::Dialog {
public:
    enum class Page { Cleaning, Language, Miscellaneous };

    TOptionsForm();
    // Tools > Options: first page, its page handler, the first node expanded,
    // then shown modally.
    void Open();
    bool SetPlaceText(tw::Place place, const std::wstring& text);
    // Shows the controls of one page and hides the others.
    void ShowPage(Page page);
    // The page handler; the Options dialog's page logic fills it.
    void OnPageChanged() override {}

protected:
    void OnInit() override;
};
