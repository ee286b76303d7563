// The Log dialog TLogForm: page tree, saved logs, the run log's text view
// (MemoLogs) and the check list of logs to remove.
#pragma once

#include <string>

#include "app/win/WinCommon.h"
#include "options/Language.h"

class TLogForm : public twui::Dialog {
public:
    TLogForm();
    // Tools > Log: first page, its page handler, then shown modally.
    void Open();
    bool SetPlaceText(tw::Place place, const std::wstring& text);
    // The page handler; the Log dialog's page logic fills it.
    void OnPageChanged() override {}

protected:
    void OnInit() override;
};
