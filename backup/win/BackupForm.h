// The Backup dialog TBackupForm: page tree, backup sets, their item folders,
// the check list of sets to remove and the size label.
#pragma once

#include <string>

#include "app/win/WinCommon.h"
#include "options/Language.h"

class TBackupForm : public twui::Dialog {
public:
    TBackupForm();
    // Tools > Backup: first page, its page handler, then shown modally.
    void Open();
    bool SetPlaceText(tw::Place place, const std::wstring& text);
    // "Restore backup": sets and the chosen set's items; "Remove backup": the
    // check list of sets. The size label is emptied either way.
    void OnPageChanged() override;

protected:
    void OnInit() override;
    bool OnCommand(int id, int code, HWND control) override;
    INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    void ChooseSet();
    void ShowSizes(const std::wstring& set);
    // A set's block note below its items; an empty note hides it.
    void ShowBlockNote(const std::wstring& note);
    void RemoveOrRestore();
    void SelectAll();
};
