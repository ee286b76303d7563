// The base of the program's dialogs. A dialog's window is made hidden from
// its template the first time it is needed, shown modally on demand and
// hidden again; Esc and the close box hide it. When its window is made it
// reads its texts and page names from the language lookup; a language
// applied later puts its texts straight into the windows that exist.
//
// Forms handle typed hooks (OnCommand, OnNotify, OnSize, OnPageChanged)
// instead of raw window messages; OnMessage is left for the rare others.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "options/Language.h"

namespace twui {

class Dialog {
public:
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // The window, null until it is made.
    HWND hwnd() const { return hwnd_; }
    HWND item(int id) const { return hwnd_ ? GetDlgItem(hwnd_, id) : nullptr; }
    // The owner the window will have; nothing is made yet.
    void SetOwner(HWND owner) { owner_ = owner; }
    // Makes the window if it does not exist yet; true when the window exists.
    bool EnsureWindow();
    // SetOwner and EnsureWindow at once.
    void Create(HWND owner);
    // Disables the owner, shows the dialog and runs a nested message loop
    // until the dialog is hidden; the owner is enabled again afterwards.
    void ShowModal();
    void Close();
    bool showing() const { return modal_; }

    // Puts a text of the language into its place when the place is the
    // dialog's own (false for other windows' places). Before the window
    // exists nothing is kept: the window reads its texts when it is made.
    virtual bool SetPlaceText(tw::Place /*place*/, const std::wstring& /*text*/) { return false; }
    // The page tree refilled (the nodes, children under the first node),
    // first node selected and the page handler run; nothing before the
    // window exists.
    void RebuildPageTree(const std::vector<std::wstring>& nodes,
                         const std::vector<std::wstring>& firstNodeChildren);
    // The page tree that the language lookup fills for this dialog; none
    // when the dialog has no page tree.
    std::optional<tw::PageTree> languageTree() const { return languageTree_; }

    // The selected node's page (see ui/PageTreeControl.h) and text.
    std::optional<int> SelectedPage() const;
    // The selected page as the dialog's page enum, whose values from 0 up
    // are its top-level nodes in order and end with `none`: what a selected
    // child node, no selection or any other node gives.
    template <typename Page>
    Page SelectedPageAs(Page none) const {
        const std::optional<int> page = SelectedPage();
        return page && *page >= 0 && *page < static_cast<int>(none) ? static_cast<Page>(*page) : none;
    }
    std::wstring SelectedNodeText() const;
    void SelectFirstNode();
    void ExpandFirstNode();

    // The page handler, run as a click in the tree would run it.
    virtual void OnPageChanged() {}
    // The dialog sees the keys of its controls first (the message loop calls
    // it for every key message of the dialog); true when it consumed the key.
    virtual bool PreviewKey(const MSG& /*key*/) { return false; }

protected:
    struct Template {
        int id = 0;                                // the dialog template
        int treeId = 0;                            // its page tree control, 0: none
        std::optional<tw::PageTree> languageTree{};  // the pages the language names
        bool centreOnScreen = false;               // otherwise over the main window
    };
    explicit Dialog(const Template& t)
        : templateId_(t.id), treeId_(t.treeId), languageTree_(t.languageTree),
          centreOnScreen_(t.centreOnScreen) {}

    // The window is made: controls placed, lists prepared. The texts are
    // read after it.
    virtual void OnInit() {}
    // A click or other command of a control (id IDOK, IDCANCEL: Close); true when handled.
    virtual bool OnCommand(int id, int code, HWND control);
    // A notification of a control other than the page tree; true when handled.
    virtual bool OnNotify(int /*id*/, const NMHDR& /*header*/) { return false; }
    // The client area has a new size (in the screen's pixels).
    virtual void OnSize(int /*width*/, int /*height*/) {}
    // Any other message; `handled` set when the dialog procedure's answer is
    // the result.
    virtual INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);

    // The caption (control 0) or a control's text; nothing before the window exists.
    void SetItemText(int control, const std::wstring& text);

private:
    static INT_PTR CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(UINT msg, WPARAM wParam, LPARAM lParam);
    HWND tree() const { return treeId_ ? item(treeId_) : nullptr; }
    // Every text of the settings' language that this dialog shows.
    void ReadTexts();

    int templateId_;
    int treeId_;
    std::optional<tw::PageTree> languageTree_;
    bool centreOnScreen_;
    HWND hwnd_ = nullptr;
    HWND owner_ = nullptr;
    bool modal_ = false;
};

}  // namespace twui
