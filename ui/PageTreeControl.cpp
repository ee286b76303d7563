#include "ui/PageTreeControl.h"

#include <commctrl.h>

#include <cwchar>

namespace twui {

namespace {

HTREEITEM AddNode(HWND tree, HTREEITEM parent, const std::wstring& text, int page) {
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = const_cast<wchar_t*>(text.c_str());
    insert.item.lParam = page;
    return TreeView_InsertItem(tree, &insert);
}

}  // namespace

void PageTreeControl::Fill(const std::vector<std::wstring>& nodes,
                    const std::vector<std::wstring>& firstNodeChildren) const {
    if (!tree_) return;
    SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
    TreeView_DeleteAllItems(tree_);
    HTREEITEM first = nullptr;
    int page = 0;
    for (const std::wstring& node : nodes) {
        HTREEITEM added = AddNode(tree_, TVI_ROOT, node, page++);
        if (!first) first = added;
    }
    if (first) {
        for (const std::wstring& child : firstNodeChildren) AddNode(tree_, first, child, kChildPage);
        TreeView_Expand(tree_, first, TVE_COLLAPSE);
    }
    SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(tree_, nullptr, TRUE);
}

std::optional<int> PageTreeControl::SelectedPage() const {
    HTREEITEM selected = tree_ ? TreeView_GetSelection(tree_) : nullptr;
    if (!selected) return std::nullopt;
    TVITEMW tvi{};
    tvi.mask = TVIF_PARAM;
    tvi.hItem = selected;
    if (!TreeView_GetItem(tree_, &tvi)) return std::nullopt;
    return static_cast<int>(tvi.lParam);
}

std::wstring PageTreeControl::SelectedText() const {
    HTREEITEM selected = tree_ ? TreeView_GetSelection(tree_) : nullptr;
    if (!selected) return {};
    // The tree tells no text length: the buffer grows until the text leaves
    // room in it, so a long translated page name is read whole.
    std::wstring buffer(256, L'\0');
    for (;;) {
        TVITEMW tvi{};
        tvi.mask = TVIF_TEXT;
        tvi.hItem = selected;
        tvi.pszText = buffer.data();
        tvi.cchTextMax = static_cast<int>(buffer.size());
        if (!TreeView_GetItem(tree_, &tvi)) return {};
        const size_t length = wcsnlen(tvi.pszText, buffer.size());
        if (length + 1 < buffer.size() || buffer.size() >= 65536)
            return std::wstring(tvi.pszText, length);
        buffer.assign(buffer.size() * 2, L'\0');
    }
}

void PageTreeControl::SelectFirst() const {
    if (!tree_) return;
    if (HTREEITEM first = TreeView_GetRoot(tree_)) TreeView_SelectItem(tree_, first);
}

void PageTreeControl::ExpandFirst() const {
    if (!tree_) return;
    if (HTREEITEM first = TreeView_GetRoot(tree_)) TreeView_Expand(tree_, first, TVE_EXPAND);
}

}  // namespace twui
