#include "ui/Dialog.h"

#include <commctrl.h>

#include "settings/VarUnit.h"
#include "ui/DialogClass.h"
#include "ui/Dpi.h"
#include "ui/Errors.h"
#include "ui/ModalLoop.h"
#include "ui/PageTreeControl.h"
#include "ui/Placement.h"

namespace twui {

Dialog::~Dialog() {
    if (hwnd_ && IsWindow(hwnd_)) {
        SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
        DestroyWindow(hwnd_);
    }
}

void Dialog::Create(HWND owner) {
    SetOwner(owner);
    EnsureWindow();
}

bool Dialog::EnsureWindow() {
    if (hwnd_) return true;
    RegisterPendingDialogClasses();
    hwnd_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), owner_,
                               &Dialog::Proc, reinterpret_cast<LPARAM>(this));
    if (!hwnd_) return false;
    AddDialogWindow(hwnd_);
    return true;
}

void Dialog::ReadTexts() {
    // The language lookup hands out every window's texts: this dialog takes its own.
    class Own : public tw::LanguageTarget {
    public:
        explicit Own(Dialog& dialog) : dialog_(dialog) {}
        void setText(tw::Place place, const std::wstring& text) override {
            dialog_.SetPlaceText(place, text);
        }
        void rebuildPageTree(tw::PageTree tree, const std::vector<std::wstring>& nodes,
                             const std::vector<std::wstring>& firstNodeChildren) override {
            if (dialog_.languageTree_ == tree) dialog_.RebuildPageTree(nodes, firstNodeChildren);
        }

    private:
        Dialog& dialog_;
    } own(*this);
    tw::LoadLanguage(tw::CurrentLanguageName(), own);
}

void Dialog::SetItemText(int control, const std::wstring& text) {
    if (!hwnd_) return;
    if (control == 0)
        SetWindowTextW(hwnd_, text.c_str());
    else
        SetDlgItemTextW(hwnd_, control, text.c_str());
}

void Dialog::ShowModal() {
    if (modal_ || !EnsureWindow()) return;
    modal_ = true;
    const bool ownerWasEnabled = owner_ && IsWindowEnabled(owner_);
    if (owner_) EnableWindow(owner_, FALSE);
    CenterOver(hwnd_, centreOnScreen_ ? nullptr : owner_);
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    // Only the dialog's close path (Close) ends the loop. Minimizing the main
    // window hides its owned dialogs too; the dialog stays modal meanwhile and
    // comes back with the main window.
    RunNestedLoop([this] { return modal_ && IsWindow(hwnd_); });
    modal_ = false;
    if (owner_ && ownerWasEnabled) EnableWindow(owner_, TRUE);
    if (IsWindowVisible(hwnd_)) ShowWindow(hwnd_, SW_HIDE);
    if (owner_ && IsWindow(owner_)) SetActiveWindow(owner_);
}

void Dialog::Close() {
    modal_ = false;
    // Enable the owner before hiding, so the activation goes back to it.
    if (owner_) EnableWindow(owner_, TRUE);
    if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
}

void Dialog::RebuildPageTree(const std::vector<std::wstring>& nodes,
                             const std::vector<std::wstring>& firstNodeChildren) {
    HWND pages = tree();
    if (!pages) return;
    PageTreeControl(pages).Fill(nodes, firstNodeChildren);
    SelectFirstNode();
    OnPageChanged();
}

std::optional<int> Dialog::SelectedPage() const { return PageTreeControl(tree()).SelectedPage(); }

std::wstring Dialog::SelectedNodeText() const { return PageTreeControl(tree()).SelectedText(); }

void Dialog::SelectFirstNode() { PageTreeControl(tree()).SelectFirst(); }

void Dialog::ExpandFirstNode() { PageTreeControl(tree()).ExpandFirst(); }

bool Dialog::OnCommand(int id, int /*code*/, HWND /*control*/) {
    if (id == IDOK || id == IDCANCEL) {
        Close();
        return true;
    }
    return false;
}

INT_PTR Dialog::OnMessage(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

INT_PTR CALLBACK Dialog::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Dialog* self = nullptr;
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (!self) return FALSE;
    return static_cast<INT_PTR>(
        Guarded(FALSE, [&] { return static_cast<LRESULT>(self->Handle(msg, wParam, lParam)); }));
}

INT_PTR Dialog::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    bool handled = false;
    const INT_PTR result = OnMessage(msg, wParam, lParam, handled);
    if (handled) return result;
    switch (msg) {
    case WM_INITDIALOG:
        SetFontOfChildren(hwnd_);
        OnInit();
        ReadTexts();
        return TRUE;
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)) ? TRUE
                                                                                         : FALSE;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (!header) return FALSE;
        const int id = static_cast<int>(header->idFrom);
        if (treeId_ != 0 && id == treeId_ && header->code == TVN_SELCHANGEDW) {
            OnPageChanged();
            return TRUE;
        }
        return OnNotify(id, *header) ? TRUE : FALSE;
    }
    case WM_SIZE:
        OnSize(LOWORD(lParam), HIWORD(lParam));
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace twui
