// The About dialog TAboutForm: a page tree and three fixed texts. Which page
// a node stands for, and the texts, are tw's (about/AboutUnit).
#pragma once

#include <string>

#include "options/Language.h"
#include "ui/Dialog.h"

class TAboutForm : public twui::Dialog {
public:
    TAboutForm();
    // Help > About: first page, then shown modally.
    void Open();
    // The dialog's language places; false for places of other windows.
    bool SetPlaceText(tw::Place place, const std::wstring& text) override;
    // The page handler (ListViewItemsClick): shows the text view of the
    // selected page; with no page selected the page showing stays. It runs
    // whenever the tree's selection changes, so the page follows Up and Down
    // as they move the selection (keys that move nothing change no page).
    void OnPageChanged() override;

protected:
    void OnInit() override;

private:
    static const std::wstring& BuildDate();
};
