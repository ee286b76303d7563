// A dialog's page tree: top-level nodes, one per page, and children under
// the first node. Each node carries its page in its item data: the page's
// number among the top-level nodes, or kChildPage for a child of the first
// node. Non-owning; one-line message sends.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace twui {

class PageTreeControl {
public:
    // The page of a child of the first node.
    static constexpr int kChildPage = -1;

    explicit PageTreeControl(HWND tree) : tree_(tree) {}
    // Cleared and filled: the nodes in order, the children under the first
    // node (collapsed); nothing selected.
    void Fill(const std::vector<std::wstring>& nodes,
              const std::vector<std::wstring>& firstNodeChildren) const;
    // The selected node's page; none when nothing is selected.
    std::optional<int> SelectedPage() const;
    // The selected node's text; empty when nothing is selected.
    std::wstring SelectedText() const;
    void SelectFirst() const;
    void ExpandFirst() const;

private:
    HWND tree_;
};

}  // namespace twui
