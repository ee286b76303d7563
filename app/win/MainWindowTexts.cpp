#include "app/win/MainWindowTexts.h"

#include "app/Preview.h"
#include "app/win/TWFormRes.h"

namespace {

struct MenuText {
    tw::Place place;
    int command;          // 0 for a menu title
    int titlePosition;    // position of the title in the menu bar, for titles
    const wchar_t* shortcut;
};

constexpr MenuText kMenuTexts[] = {
    {tw::Place::MenuMenu, 0, 0, nullptr},
    {tw::Place::MenuTools, 0, 1, nullptr},
    {tw::Place::MenuHelp, 0, 2, nullptr},
    {tw::Place::MenuClose, IDM_CLOSE, 0, L"Ctrl+Q"},
    {tw::Place::MenuPreview, IDM_PREVIEW, 0, L"Ctrl+P"},
    {tw::Place::MenuLog, IDM_LOG, 0, L"Ctrl+L"},
    {tw::Place::MenuBackup, IDM_BACKUP, 0, L"Ctrl+B"},
    {tw::Place::MenuDesktopIcon, IDM_DESKTOP_ICON, 0, L"Ctrl+D"},
    {tw::Place::MenuOptions, IDM_OPTIONS, 0, L"Ctrl+O"},
    {tw::Place::MenuContents, IDM_CONTENTS, 0, L"F1"},
    {tw::Place::MenuAbout, IDM_ABOUT, 0, L"Ctrl+A"},
    {tw::Place::MenuHomepage, IDM_HOMEPAGE, 0, L"Ctrl+H"},
};

// The string a place of the run's questions or of the Preview window fills, or null.
std::wstring* StoredText(tw::Place place, tw::RunTexts& run, tw::PreviewTexts& preview) {
    using P = tw::Place;
    switch (place) {
    case P::WarningMessage: return &run.warningMessage;
    case P::WarningMessageTitle: return &run.warningMessageTitle;
    case P::RebootMessage: return &run.rebootMessage;
    case P::RebootMessageTitle: return &run.rebootMessageTitle;
    case P::PreviewTitle: return &preview.title;
    case P::PreviewClean: return &preview.clean;
    case P::PreviewSave: return &preview.save;
    case P::PreviewClose: return &preview.close;
    case P::PreviewFiles: return &preview.files;
    case P::PreviewFolders: return &preview.folders;
    case P::PreviewRegistry: return &preview.registry;
    case P::PreviewDrivers: return &preview.drivers;
    case P::PreviewNotDeleted: return &preview.notDeleted;
    case P::PreviewNothing: return &preview.nothing;
    default: return nullptr;
    }
}

}  // namespace

const wchar_t* MainWindowTexts::Hint(int index) const {
    return index >= 0 && index < kToolButtonCount ? hints_[index].c_str() : nullptr;
}

void MainWindowTexts::OnMenuBarMessage(HWND window) {
    menuBarPosted_ = false;
    DrawMenuBar(window);
}

void MainWindowTexts::Set(HWND window, tw::Place place, const std::wstring& text) {
    using P = tw::Place;
    switch (place) {
    case P::CleanButtonHint: hints_[0] = text; return;
    case P::LogButtonHint: hints_[1] = text; return;
    case P::BackupButtonHint: hints_[2] = text; return;
    case P::OptionsButtonHint: hints_[3] = text; return;
    case P::DesktopIconButtonHint: hints_[4] = text; return;
    case P::HelpButtonHint: hints_[5] = text; return;
    case P::LabelSelect: SetWindowTextW(GetDlgItem(window, IDC_LABEL_SELECT), text.c_str()); return;
    case P::LabelRemove: SetWindowTextW(GetDlgItem(window, IDC_LABEL_REMOVE), text.c_str()); return;
    case P::TrayMinimize: tray_.SetItemText(IDM_TRAY_MINIMIZE, text); return;
    case P::TrayRestore: tray_.SetItemText(IDM_TRAY_RESTORE, text); return;
    case P::TrayExit: tray_.SetItemText(IDM_TRAY_EXIT, text); return;
    default: break;
    }
    if (std::wstring* stored = StoredText(place, runTexts_, preview_)) {
        *stored = text;
        return;
    }
    for (const MenuText& entry : kMenuTexts) {
        if (entry.place != place) continue;
        HMENU bar = GetMenu(window);
        if (entry.command == 0)
            SetMenuText(bar, static_cast<UINT>(entry.titlePosition), true, text);
        else
            SetMenuText(bar, static_cast<UINT>(entry.command), false, text + L"\t" + entry.shortcut);
        // Every repaint of the menu bar costs server round trips under Wine:
        // a language's twelve menu texts are drawn once, when the message
        // loop next runs.
        if (!menuBarPosted_ && !(menuBarPosted_ = PostMessageW(window, menuBarMessage_, 0, 0) != FALSE))
            DrawMenuBar(window);
        return;
    }
}
