// The Log dialog TLogForm: page tree, saved logs, the run log's text view
// (MemoLogs) and the check list of logs to remove.
#pragma once

#include <cstdint>
#include <string>

#include "app/win/WinCommon.h"
#include "options/Language.h"

class TLogForm : public twui::Dialog {
public:
    TLogForm();
    // Tools > Log: first page, its page handler, then shown modally.
    void Open();
    bool SetPlaceText(tw::Place place, const std::wstring& text);
    // "View log": saved logs and the text view; "Remove log": the check list.
    void OnPageChanged() override;

protected:
    void OnInit() override;
    bool OnCommand(int id, int code, HWND control) override;
    INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    // Delete pressed anywhere in the dialog removes the checked logs on the
    // remove page.
    bool PreviewKey(const MSG& key) override;

private:
    // Shows the run log in MemoLogs when it changed since it was last shown:
    // one text, set at once.
    void RefreshMemo(bool force = false);
    void ViewSelectedLog();
    void RemoveLogs();
    void SelectAll();

    std::uint64_t shownGeneration_ = 0;
    bool memoFilled_ = false;
};
