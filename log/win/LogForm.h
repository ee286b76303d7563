// The Log dialog TLogForm: page tree, saved logs, the run log's text view
// (MemoLogs) and the check list of logs to remove; a list-beside-view window.
#pragma once

#include <cstdint>
#include <string>

#include "options/Language.h"
#include "ui/ListBesideView.h"

class TLogForm : public twui::ListBesideView {
public:
    TLogForm();
    // Tools > Log: first page, its page handler, the run log, then shown modally.
    void Open();
    bool SetPlaceText(tw::Place place, const std::wstring& text) override;
    // "View log": saved logs and the text view; "Remove log": the check list.
    void OnPageChanged() override;

protected:
    void OnInit() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(int id, const NMHDR& header) override;
    void OnListChoice() override;
    // Delete pressed anywhere in the dialog removes the checked logs on the
    // remove page.
    bool PreviewKey(const MSG& key) override;

private:
    // Shows the run log in MemoLogs when it changed since it was last shown:
    // one text, set at once.
    void RefreshMemo(bool force = false);
    void RemoveLogs();
    void SelectAll();

    std::uint64_t shownGeneration_ = 0;
    bool memoFilled_ = false;
};
