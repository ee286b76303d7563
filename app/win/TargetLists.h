// The main window's two target lists and their four move buttons: the
// available families, the clean list, ">", ">>", "<", "<<". Double-click and
// Enter in a list do what its button does. What each does to the lists is
// decided in app/TWUnit.h; this is the list boxes' side.
#pragma once

#include <windows.h>

#include <string>

#include "app/TWUnit.h"

// A TargetList over a single-selection list box.
class ListBoxTargetList : public tw::TargetList {
public:
    ListBoxTargetList() = default;
    explicit ListBoxTargetList(HWND listBox) : listBox_(listBox) {}
    int count() const override;
    std::wstring text(int index) const override;
    bool selected(int index) const override;
    void append(const std::wstring& text) override;
    void erase(int index) override;
    void clear() override;

private:
    HWND listBox_ = nullptr;
};

class TargetLists {
public:
    // Takes the window's two list boxes (made already), fills the available
    // list and lets Enter reach both.
    void Attach(HWND window);
    // A command of the lists or their buttons; false for any other.
    bool OnCommand(int id, int code);
    tw::TargetList& clean() { return clean_; }

    void Select();
    void SelectAll();
    void Remove();
    void RemoveAll();
    void UpdateRemoveButtons();

private:
    static LRESULT CALLBACK ListProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR data);

    HWND window_ = nullptr;
    ListBoxTargetList available_;
    ListBoxTargetList clean_;
};
