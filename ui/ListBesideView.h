// The skeleton of the Log, Backup and Preview windows: a page tree (the
// Preview has none), a list, a view beside it and a row of buttons at the
// foot. The skeleton lays the window out, either once from a fixed 96-DPI
// table or, for a resizable window, again at every size (the view fills the
// window above a row of buttons at its right); it lets the text view hold
// any length, hands a choice in the list to OnListChoice, and opens on the
// first page.
#pragma once

#include <initializer_list>
#include <span>
#include <string>

#include "ui/LayoutTypes.h"
#include "ui/Dialog.h"

namespace twui {

class ListBesideView : public Dialog {
public:
    // First page and its page handler, then shown modally.
    void Open();

protected:
    struct Parts {
        Template dialog{};
        int listId = 0;      // a list box whose choice runs OnListChoice; 0: none
        int textViewId = 0;  // an edit control that shows a text of any length; 0: none
        // Fixed: the client size and every control's place.
        int clientWidth = 0, clientHeight = 0;
        std::span<const twlayout::Control> fixed{};
        // Resizable (no fixed table): the buttons of the foot row, left to
        // right, and the smallest client area.
        std::span<const int> buttonRow{};
        int minWidth = 0, minHeight = 0;
    };
    explicit ListBesideView(const Parts& parts) : Dialog(parts.dialog), parts_(parts) {}

    // Forms that add their own preparation run this first.
    void OnInit() override;
    // A choice in the list runs OnListChoice; the rest goes to Dialog.
    bool OnCommand(int id, int code, HWND control) override;
    void OnSize(int width, int height) override;
    INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    // An entry of the list was chosen.
    virtual void OnListChoice() {}

    void SetViewText(const std::wstring& text);
    // Shows (without activating) or hides the controls.
    void ShowControls(std::initializer_list<int> ids, bool visible) const;

private:
    bool resizable() const { return parts_.fixed.empty(); }
    void PlaceResizable(int width, int height);

    Parts parts_;
};

}  // namespace twui
