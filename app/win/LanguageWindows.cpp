#include "app/win/LanguageWindows.h"

#include "about/win/AboutForm.h"
#include "backup/win/BackupForm.h"
#include "desktop/win/DesktopIconForm.h"
#include "log/win/LogForm.h"
#include "options/win/OptionsForm.h"

void LanguageWindows::setText(tw::Place place, const std::wstring& text) {
    // Each window takes the places it shows; the main window takes the rest.
    if (dialogs_.about && dialogs_.about->SetPlaceText(place, text)) return;
    if (dialogs_.log && dialogs_.log->SetPlaceText(place, text)) return;
    if (dialogs_.options && dialogs_.options->SetPlaceText(place, text)) return;
    if (dialogs_.backup && dialogs_.backup->SetPlaceText(place, text)) return;
    if (dialogs_.desktop && dialogs_.desktop->SetPlaceText(place, text)) return;
    main_.SetPlaceText(place, text);
}

void LanguageWindows::rebuildPageTree(tw::PageTree tree, const std::vector<std::wstring>& nodes,
                                      const std::vector<std::wstring>& firstNodeChildren) {
    twui::Dialog* dialog = nullptr;
    switch (tree) {
    case tw::PageTree::About: dialog = dialogs_.about; break;
    case tw::PageTree::Log: dialog = dialogs_.log; break;
    case tw::PageTree::Backup: dialog = dialogs_.backup; break;
    case tw::PageTree::Options: dialog = dialogs_.options; break;
    }
    if (dialog) dialog->RebuildPageTree(nodes, firstNodeChildren);
}
