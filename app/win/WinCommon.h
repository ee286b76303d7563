// Small helpers shared by the program's windows: handle owners, pixel scaling,
// the Tahoma font, the guard every window procedure runs its handlers in, the
// dialog base with its page tree and modal showing, and the message dispatch
// of the main loop.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/win/LayoutTypes.h"

namespace twui {

// ---- handle owners ----

template <typename H, BOOL(WINAPI* Close)(H)>
class Owned {
public:
    Owned() = default;
    explicit Owned(H h) : h_(h) {}
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Owned(Owned&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    Owned& operator=(Owned&& o) noexcept {
        if (this != &o) reset(std::exchange(o.h_, nullptr));
        return *this;
    }
    ~Owned() { reset(); }
    void reset(H h = nullptr) {
        if (h_) Close(h_);
        h_ = h;
    }
    H get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }

private:
    H h_ = nullptr;
};

inline BOOL WINAPI DeleteGdiObject(HGDIOBJ h) { return DeleteObject(h); }
inline BOOL WINAPI DestroyImageList(HIMAGELIST h) { return ImageList_Destroy(h); }
inline BOOL WINAPI DestroyMenuHandle(HMENU h) { return DestroyMenu(h); }

using GdiObject = Owned<HGDIOBJ, DeleteGdiObject>;
using ImageList = Owned<HIMAGELIST, DestroyImageList>;
using Menu = Owned<HMENU, DestroyMenuHandle>;

// ---- pixels, fonts, texts ----

// Sizes in the window descriptions are pixels at 96 DPI; they are scaled by
// the system DPI.
int SystemDpi();
int Scale(int pixels);
// Tahoma 8 pt at the system DPI, shared by every control of the program.
HFONT TahomaFont();
void SetFontOfChildren(HWND parent);

// Places a control by its 96-DPI pixel rectangle.
void PlaceControl(HWND parent, int id, int x, int y, int width, int height);
// Gives the window a client area of the given 96-DPI pixel size.
void SetClientSize(HWND window, int width, int height);

// Sizes the window's client area and places every control of the table.
template <size_t N>
void ApplyLayout(HWND window, int clientWidth, int clientHeight,
                 const twlayout::Control (&controls)[N]) {
    SetClientSize(window, clientWidth, clientHeight);
    for (const twlayout::Control& c : controls)
        PlaceControl(window, c.id, c.x, c.y, c.width, c.height);
}
void CenterOver(HWND window, HWND over);

std::wstring WindowText(HWND window);

// The arguments of the process's command line after the program's name.
std::vector<std::wstring> CommandLineArguments();

// ---- errors ----

// An error box (no owner) for an exception caught at a window procedure:
// AppError shows its message, anything else a general text.
void ShowCaughtError() noexcept;

// Runs a handler so that no exception leaves the window procedure.
template <typename F>
LRESULT Guarded(LRESULT onError, F&& handler) noexcept {
    try {
        return handler();
    } catch (...) {
        ShowCaughtError();
        return onError;
    }
}

// ---- resources ----

// A bitmap (32-bit, top-down, premultiplied alpha) from an RCDATA picture
// (PNG or JPEG). Null when the resource is missing or does not decode.
HBITMAP LoadPictureResource(int id, bool jpeg);

// ---- dialogs ----

// Registers a dialog window class (DefDlgProc with DLGWINDOWEXTRA) so that a
// DIALOGEX template's CLASS names it.
void RegisterDialogClass(const wchar_t* className);
// Dialog window classes registered (as RegisterDialogClass does) when the
// first dialog window is made, not before: each class loads the icon.
void RegisterDialogClassesOnFirstUse(std::vector<const wchar_t*> classNames);

// The base of the five dialogs: made hidden from a template the first time it
// is needed, shown modally on demand and hidden again; Esc and the close box
// hide it. Texts and the page tree given before the window exists are kept
// and put in when it is made.
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
    // Makes the window if it does not exist yet, then puts in what was kept
    // for it; true when the window exists.
    bool EnsureWindow();
    // SetOwner and EnsureWindow at once.
    void Create(HWND owner);
    // Disables the owner, shows the dialog and runs a nested message loop
    // until the dialog is hidden; the owner is enabled again afterwards.
    void ShowModal();
    void Close();
    bool showing() const { return modal_; }

    // The page tree: cleared, filled with the top-level nodes (children under
    // the first node, collapsed), first node selected, page handler run.
    void RebuildPageTree(const std::vector<std::wstring>& nodes,
                         const std::vector<std::wstring>& firstNodeChildren);
    std::wstring SelectedNodeText() const;
    void SelectFirstNode();
    void ExpandFirstNode();

    // The page handler, run as a click in the tree would run it.
    virtual void OnPageChanged() {}
    // The dialog sees the keys of its controls first (the message loop calls
    // it for every key message of the dialog); true when it consumed the key.
    virtual bool PreviewKey(const MSG& /*key*/) { return false; }

protected:
    Dialog(int templateId, int treeId, bool centreOnScreen = false)
        : templateId_(templateId), treeId_(treeId), centreOnScreen_(centreOnScreen) {}
    virtual void OnInit() {}
    virtual bool OnCommand(int id, int code, HWND control);  // true when handled
    virtual INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);

    // Runs Apply now when the window exists, otherwise once it is made. One
    // is kept per key (a later one replaces an earlier one), and those kept
    // run in the order they last came. Keys from 0 up are the dialog's own.
    void WhenMade(int key, std::function<void()> apply);
    // The caption (control 0) or a control's text, now or once made.
    void SetItemText(int key, int control, const std::wstring& text);

private:
    static INT_PTR CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(UINT msg, WPARAM wParam, LPARAM lParam);
    void FillPageTree(const std::vector<std::wstring>& nodes,
                      const std::vector<std::wstring>& firstNodeChildren);

    int templateId_;
    int treeId_;
    bool centreOnScreen_;  // otherwise centred over the main window
    HWND hwnd_ = nullptr;
    HWND owner_ = nullptr;
    bool modal_ = false;
    std::vector<std::pair<int, std::function<void()>>> kept_;
};

// ---- message loop ----

// The main window and its accelerators; dialogs register themselves.
void SetMainWindow(HWND main, HACCEL accelerators);
void AddDialogWindow(HWND dialog);
// Accelerators of the main window and dialog navigation; true when the
// message was consumed.
bool PreTranslate(MSG& msg);

}  // namespace twui
