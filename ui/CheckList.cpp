#include "ui/CheckList.h"

#include <iterator>

#include "ui/Dpi.h"

namespace twui {

void CheckList::Prepare(int width) const {
    ListView_SetExtendedListViewStyle(list_, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = Scale(width) - GetSystemMetrics(SM_CXVSCROLL) - 4;
    ListView_InsertColumn(list_, 0, &column);
}

void CheckList::Add(const std::vector<std::wstring>& names) const {
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    for (const std::wstring& name : names) {
        LVITEMW entry{};
        entry.mask = LVIF_TEXT;
        entry.iItem = Count();
        entry.pszText = const_cast<wchar_t*>(name.c_str());
        const int at = static_cast<int>(SendMessageW(list_, LVM_INSERTITEMW, 0,
                                                     reinterpret_cast<LPARAM>(&entry)));
        if (at >= 0) ListView_SetCheckState(list_, at, FALSE);
    }
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
}

std::wstring CheckList::Text(int index) const {
    wchar_t buffer[1024] = {};
    LVITEMW entry{};
    entry.iSubItem = 0;
    entry.pszText = buffer;
    entry.cchTextMax = static_cast<int>(std::size(buffer));
    SendMessageW(list_, LVM_GETITEMTEXTW, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&entry));
    return buffer;
}

void CheckList::CheckAll(bool checked) const {
    const int count = Count();
    for (int i = 0; i < count; ++i) ListView_SetCheckState(list_, i, checked ? TRUE : FALSE);
}

std::vector<tw::CheckEntry> CheckList::Entries() const {
    std::vector<tw::CheckEntry> entries;
    const int count = Count();
    for (int i = 0; i < count; ++i)
        entries.push_back({Text(i), ListView_GetCheckState(list_, i) != 0});
    return entries;
}

void CheckList::Remove(const std::vector<std::size_t>& indexes) const {
    for (std::size_t index : indexes) ListView_DeleteItem(list_, static_cast<int>(index));
}

std::wstring CheckList::Selected() const {
    const int index = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
    return index < 0 ? std::wstring() : Text(index);
}

}  // namespace twui
