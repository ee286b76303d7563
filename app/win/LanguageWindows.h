// The LanguageTarget of the six windows: puts each text of a language into
// its control, menu item, tool tip or caption, and rebuilds the page trees.
#pragma once

#include "app/win/TWForm.h"
#include "options/Language.h"

class LanguageWindows : public tw::LanguageTarget {
public:
    LanguageWindows(TTWForm& main, const TWDialogs& dialogs) : main_(main), dialogs_(dialogs) {}
    void setText(tw::Place place, const std::wstring& text) override;
    void rebuildPageTree(tw::PageTree tree, const std::vector<std::wstring>& nodes,
                         const std::vector<std::wstring>& firstNodeChildren) override;

private:
    TTWForm& main_;
    TWDialogs dialogs_;
};
