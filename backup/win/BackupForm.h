// The Backup dialog TBackupForm: page tree, backup sets, their item folders,
// the check list of sets to remove and the size label; a list-beside-view
// window.
#pragma once

#include <string>

#include "options/Language.h"
#include "ui/ListBesideView.h"

class TBackupForm : public twui::ListBesideView {
public:
    // Tools > Backup opens it with the skeleton's Open: first page, its
    // page handler, then shown modally.
    TBackupForm();
    bool SetPlaceText(tw::Place place, const std::wstring& text) override;
    // "Restore backup": sets and the chosen set's items; "Remove backup": the
    // check list of sets. The size label is emptied either way.
    void OnPageChanged() override;

protected:
    void OnInit() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(int id, const NMHDR& header) override;
    // A set chosen in the restore list: its items, checked, its sizes and block note.
    void OnListChoice() override;

private:
    void ShowSizes(const std::wstring& set);
    // A set's block note below its items; an empty note hides it.
    void ShowBlockNote(const std::wstring& note);
    void RemoveOrRestore();
    void SelectAll();
};
