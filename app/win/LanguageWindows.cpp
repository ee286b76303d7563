#include "app/win/LanguageWindows.h"

void LanguageWindows::setText(tw::Place place, const std::wstring& text) {
    // Each dialog takes the places it shows; the main window takes the rest.
    for (twui::Dialog* dialog : dialogs_.All())
        if (dialog->SetPlaceText(place, text)) return;
    main_.SetPlaceText(place, text);
}

void LanguageWindows::rebuildPageTree(tw::PageTree tree, const std::vector<std::wstring>& nodes,
                                      const std::vector<std::wstring>& firstNodeChildren) {
    for (twui::Dialog* dialog : dialogs_.All())
        if (dialog->languageTree() == tree) dialog->RebuildPageTree(nodes, firstNodeChildren);
}
