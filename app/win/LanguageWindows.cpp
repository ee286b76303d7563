#include "app/win/LanguageWindows.h"

#include "about/win/AboutForm.h"
#include "backup/win/BackupForm.h"
#include "desktop/win/DesktopIconForm.h"
#include "log/win/LogForm.h"
#include "options/win/OptionsForm.h"

std::vector<twui::Dialog*> LanguageWindows::Dialogs() const {
    twui::Dialog* const all[] = {dialogs_.about, dialogs_.log, dialogs_.options, dialogs_.backup, dialogs_.desktop};
    std::vector<twui::Dialog*> made;
    for (twui::Dialog* dialog : all)
        if (dialog) made.push_back(dialog);
    return made;
}

void LanguageWindows::setText(tw::Place place, const std::wstring& text) {
    // Each dialog takes the places it shows; the main window takes the rest.
    for (twui::Dialog* dialog : Dialogs())
        if (dialog->SetPlaceText(place, text)) return;
    main_.SetPlaceText(place, text);
}

void LanguageWindows::rebuildPageTree(tw::PageTree tree, const std::vector<std::wstring>& nodes,
                                      const std::vector<std::wstring>& firstNodeChildren) {
    for (twui::Dialog* dialog : Dialogs())
        if (dialog->languageTree() == tree) dialog->RebuildPageTree(nodes, firstNodeChildren);
}
