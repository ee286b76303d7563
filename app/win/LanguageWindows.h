// The LanguageTarget of the six windows: puts each text of a language into
// its control, menu item, tool tip or caption, and rebuilds the page trees.
// A dialog whose window is not made yet takes nothing: it reads its texts
// when it is made.
#pragma once

#include <vector>

#include "app/win/TWForm.h"
#include "options/Language.h"
#include "ui/Dialog.h"

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
