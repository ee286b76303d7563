// The Preview window TPreviewForm (Tools > Preview, Ctrl+P): what a cleaning
// run of the clean list would delete, grouped by target with a count per
// kind. Clean closes it and asks the main window for the normal run of the
// same list; Save... writes the text as a UTF-16 file; Close closes it.
// A resizable list-beside-view window without page tree or list; the main
// window hands it its texts, which the language gives the main window.
#pragma once

#include <string>
#include <vector>

#include "app/Preview.h"
#include "ui/ListBesideView.h"

class TPreviewForm : public twui::ListBesideView {
public:
    TPreviewForm();
    // Shows the groups modally; true when it was closed with Clean.
    bool Open(const std::vector<tw::PreviewGroup>& groups, const tw::PreviewTexts& texts);

protected:
    bool OnCommand(int id, int code, HWND control) override;

private:
    void Save();

    std::wstring text_;
    bool cleanChosen_ = false;
};
