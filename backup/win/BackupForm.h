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
    // The page handler; the Backup dialog's page logic fills it.
    void OnPageChanged() override {}

protected:
    void OnInit() override;
};
