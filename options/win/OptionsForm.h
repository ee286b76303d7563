// The Options dialog TOptionsForm: page tree, the Cleaning, Language and
// Miscellaneous pages (each a group of controls in the same place), OK,
// Cancel and Apply. The decisions are tw's (options/OptionsUnit); this class
// only shows them and hands the clicks on.
#pragma once

#include <optional>
#include <string>

#include "options/Language.h"
#include "options/OptionsUnit.h"
#include "ui/Dialog.h"
#include "ui/Shell.h"

class TOptionsForm : public twui::Dialog, private tw::OptionsView {
public:
    TOptionsForm();
    // The main window's side, through which the dialog shows the tray icon
    // and applies a language to every window.
    void SetShell(twui::Shell* shell) { shell_ = shell; }
    // Tools > Options: first page, its page handler, the first node expanded,
    // then shown modally.
    void Open();
    bool SetPlaceText(tw::Place place, const std::wstring& text) override;
    // The page handler (ListViewItemsClick), also run when Up or Down moves
    // the tree's selection.
    void OnPageChanged() override;

protected:
    void OnInit() override;
    bool OnCommand(int id, int code, HWND control) override;
    INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    // tw::OptionsView
    std::wstring selectedNodeText() const override;
    // From the selected node's item data: a page of its own, or a target.
    tw::OptionsPage selectedPage() const override;
    void showPage(tw::OptionsPage page) override;
    void setCleaningBox(tw::Phase phase, tw::CheckState state) override;
    void setMiscBox(tw::MiscOption option, bool checked) override;
    void setRebootRadio(std::optional<int> index) override;
    void fillLanguages(const tw::LanguageChoices& choices) override;
    std::wstring languageListText() const override;
    tw::LanguageTarget& languageWindows() override;
    void expandFirstNode() override;
    void setTrayVisible(bool visible) override;
    void hideDialog() override;

    void CleaningBoxClicked(int id);
    static tw::Phase PhaseOf(int id);

    twui::Shell* shell_ = nullptr;
};
