// A check list: a one-column report list view with a check box per entry,
// as the Log and Backup dialogs use it. Non-owning; one-line message sends.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <string>
#include <vector>

#include "log/LogDialog.h"

namespace twui {

class CheckList {
public:
    explicit CheckList(HWND list) : list_(list) {}
    // Check boxes, full-row selection and one column of the given 96-DPI width.
    void Prepare(int width) const;
    void Clear() const { ListView_DeleteAllItems(list_); }
    // Adds unchecked entries (the list view keeps them sorted).
    void Add(const std::vector<std::wstring>& names) const;
    int Count() const { return ListView_GetItemCount(list_); }
    std::wstring Text(int index) const;
    void CheckAll(bool checked = true) const;
    std::vector<tw::CheckEntry> Entries() const;
    // Deletes the entries at the indexes, given highest first.
    void Remove(const std::vector<std::size_t>& indexes) const;
    // The selected entry's text; empty when none is selected.
    std::wstring Selected() const;

private:
    HWND list_;
};

}  // namespace twui
