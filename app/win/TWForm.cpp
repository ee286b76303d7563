#include "app/win/TWForm.h"

#include <shellapi.h>

#include <memory>

#include "about/win/AboutForm.h"
#include "app/CleaningRun.h"
#include "app/CommandLineRun.h"
#include "app/win/LanguageWindows.h"
#include "app/win/PreviewForm.h"
#include "app/win/TWFormLayout.h"
#include "app/win/TWFormRes.h"
#include "backup/win/BackupForm.h"
#include "desktop/win/DesktopIconForm.h"
#include "log/win/LogForm.h"
#include "options/win/OptionsForm.h"
#include "platform/common.h"
#include "settings/VarUnit.h"
#include "targets/Target.h"
#include "tw_version.h"
#include "ui/CommandLine.h"
#include "ui/DialogClass.h"
#include "ui/Dpi.h"
#include "ui/Errors.h"
#include "ui/Pictures.h"
#include "ui/Placement.h"

namespace {

constexpr UINT kTrayMessage = WM_APP + 1;
constexpr UINT kShownMessage = WM_APP + 2;
constexpr UINT kProgressMessage = WM_APP + 3;
constexpr UINT kMenuBarMessage = WM_APP + 4;
constexpr UINT kTrayId = 1;
constexpr UINT_PTR kListSubclassId = 1;
constexpr const wchar_t* kHomePage = L"https://tidewell.example.org/";

namespace layout = twlayout::main;
constexpr int kClientWidth = layout::kClientWidth;
constexpr int kClientHeight = layout::kClientHeight;

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

void SetMenuText(HMENU menu, UINT item, bool byPosition, const std::wstring& text) {
    if (!menu) return;
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING;
    info.dwTypeData = const_cast<wchar_t*>(text.c_str());
    SetMenuItemInfoW(menu, item, byPosition ? TRUE : FALSE, &info);
}

// Asks for the show handler, once however often it is asked before it runs.
void PostShown(HWND window) {
    MSG queued;
    if (!PeekMessageW(&queued, window, kShownMessage, kShownMessage, PM_NOREMOVE))
        PostMessageW(window, kShownMessage, 0, 0);
}

// Sent to every top-level window when the taskbar is (re)created, e.g. after
// Explorer restarted: the notification icons of the old taskbar are gone.
UINT TaskbarCreatedMessage() { return RegisterWindowMessageW(L"TaskbarCreated"); }

}  // namespace

// ---- ListBoxTargetList ----

int ListBoxTargetList::count() const {
    const LRESULT n = SendMessageW(listBox_, LB_GETCOUNT, 0, 0);
    return n < 0 ? 0 : static_cast<int>(n);
}

std::wstring ListBoxTargetList::text(int index) const {
    const LRESULT length = SendMessageW(listBox_, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT got = SendMessageW(listBox_, LB_GETTEXT, static_cast<WPARAM>(index),
                                     reinterpret_cast<LPARAM>(text.data()));
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

bool ListBoxTargetList::selected(int index) const {
    return SendMessageW(listBox_, LB_GETSEL, static_cast<WPARAM>(index), 0) > 0;
}

void ListBoxTargetList::append(const std::wstring& text) {
    SendMessageW(listBox_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void ListBoxTargetList::erase(int index) {
    SendMessageW(listBox_, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

void ListBoxTargetList::clear() { SendMessageW(listBox_, LB_RESETCONTENT, 0, 0); }

// ---- TTWForm ----

TTWForm::TTWForm() = default;

TTWForm::~TTWForm() {
    if (hwnd_ && IsWindow(hwnd_)) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

bool TTWForm::Create(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &TTWForm::WndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszMenuName = MAKEINTRESOURCEW(IDR_MAINMENU);
    wc.lpszClassName = TW_CLASS_MAIN;
    if (!RegisterClassExW(&wc)) return false;

    accelerators_ = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCEL));
    trayMenu_.reset(LoadMenuW(instance, MAKEINTRESOURCEW(IDR_TRAYMENU)));

    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    // WS_EX_APPWINDOW: the main window owns the taskbar button.
    hwnd_ = CreateWindowExW(WS_EX_APPWINDOW, TW_CLASS_MAIN, L"Tidewell " TW_VERSION_TEXT, style, 0, 0,
                            twui::Scale(kClientWidth), twui::Scale(kClientHeight), nullptr,
                            nullptr, instance, this);
    return hwnd_ != nullptr;
}

LRESULT CALLBACK TTWForm::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    TTWForm* self = nullptr;
    if (msg == WM_NCCREATE) {
        self = static_cast<TTWForm*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<TTWForm*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    return twui::Guarded(0, [&] { return self->Handle(msg, wParam, lParam); });
}

LRESULT TTWForm::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        OnCreate();
        return 0;
    case WM_SHOWWINDOW:
        // The show handler runs once the window is on the screen.
        if (wParam) PostShown(hwnd_);
        break;
    case kShownMessage:
        // The first show handler runs whatever the show state: a start
        // minimized to the tray hides the window before this message comes,
        // and its command line must still be acted on.
        if (IsWindowVisible(hwnd_) || !commandLine_.processed()) OnShown();
        return 0;
    case kMenuBarMessage:
        menuBarPosted_ = false;
        DrawMenuBar(hwnd_);
        return 0;
    case kProgressMessage:
        progressPosted_ = false;
        if (progress_.pending()) ShowProgress();
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header && header->code == TTN_GETDISPINFOW) {
            auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
            const int index = static_cast<int>(header->idFrom) - IDM_CLEAN;
            if (index >= 0 && index < kHintCount)
                info->lpszText = const_cast<wchar_t*>(hints_[index].c_str());
            return 0;
        }
        break;
    }
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item && item->CtlID == IDC_BANNER) {
            DrawBanner(*item);
            return TRUE;
        }
        break;
    }
    case WM_SIZE:
        // A start minimized may come without WM_SHOWWINDOW (Wine sends none),
        // and the tray hides the window at once: the first show handler is
        // asked for here too.
        if (wParam == SIZE_MINIMIZED && !commandLine_.processed()) PostShown(hwnd_);
        // Hidden only while the icon is really in the tray: a window hidden
        // without an icon could not be brought back.
        if (wParam == SIZE_MINIMIZED && tw::SystemTray && trayVisible_) ShowWindow(hwnd_, SW_HIDE);
        return 0;
    case kTrayMessage:
        OnTrayNotify(lParam);
        return 0;
    case WM_CLOSE:
        // A dialog still open (Close in the tray menu) is closed through its
        // Cancel path first, so that nothing it did not apply is saved at
        // exit; the close comes back once its modal loop has ended.
        if (CancelOpenDialogs()) {
            PostMessageW(hwnd_, WM_CLOSE, 0, 0);
            return 0;
        }
        DestroyWindow(hwnd_);
        return 0;
    case WM_DESTROY: {
        SetTrayVisible(false);
        // The settings are saved at every exit; a failure is shown, the exit
        // goes on. After an unattended command line nobody is there to close
        // a box: the failure only sets the exit code.
        if (unattendedExit_) {
            try {
                tw::SaveSettings();
            } catch (...) {
                exitCode_ = tw::ExitCodeOf(tw::RunOutcome::Error);
            }
        } else {
            twui::Guarded(0, [] {
                tw::SaveSettings();
                return LRESULT{0};
            });
        }
        PostQuitMessage(exitCode_);
        return 0;
    }
    case WM_NCDESTROY: {
        HWND window = hwnd_;
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        hwnd_ = nullptr;
        return DefWindowProcW(window, msg, wParam, lParam);
    }
    default:
        // Registered messages lie in 0xC000-0xFFFF.
        if (msg >= 0xC000 && msg == TaskbarCreatedMessage()) {
            trayVisible_ = false;
            SetTrayVisible(tw::SystemTray);
            if (!trayVisible_ && !IsWindowVisible(hwnd_)) RestoreApplication();
            return 0;
        }
        break;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

// ---- creation ----

void TTWForm::OnCreate() {
    twui::SetClientSize(hwnd_, kClientWidth, kClientHeight);
    SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    CreateControls();

    // Each step is guarded on its own: a settings file that cannot be written
    // is reported, and the window is still created.
    twui::Guarded(0, [] {
        // The user's own families join the table before the settings name their switches.
        tw::LoadOwnFamilies(tw::OwnFamiliesFolder());
        tw::TVarUnit load;
        (void)load;
        if (!tw::SettingsFileExists()) tw::SaveSettings();
        return LRESULT{0};
    });
    SetTrayVisible(tw::SystemTray);
    tw::CleaningBusy = false;
}

void TTWForm::CreateControls() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    // Created in the layout table's order, each with its kind and style.
    auto make = [&](DWORD exStyle, const wchar_t* cls, const wchar_t* text, DWORD style, int id) {
        for (const twlayout::Control& c : layout::kControls)
            if (c.id == id)
                return CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style,
                                       twui::Scale(c.x), twui::Scale(c.y), twui::Scale(c.width),
                                       twui::Scale(c.height), hwnd_,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                       instance, nullptr);
        return static_cast<HWND>(nullptr);
    };
    CreateToolBar();
    const DWORD list = WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
    const DWORD button = WS_TABSTOP | BS_PUSHBUTTON;
    make(0, L"STATIC", L"Select", SS_LEFT, IDC_LABEL_SELECT);
    HWND items = make(WS_EX_CLIENTEDGE, L"LISTBOX", L"", list, IDC_LIST_ITEMS);
    make(0, L"STATIC", L"Remove", SS_LEFT, IDC_LABEL_REMOVE);
    HWND clean = make(WS_EX_CLIENTEDGE, L"LISTBOX", L"", list, IDC_LIST_CLEAN);
    make(0, L"BUTTON", L">", button, IDC_BUTTON_SELECT);
    make(0, L"BUTTON", L">>", button, IDC_BUTTON_SELECT_ALL);
    make(0, L"BUTTON", L"<<", button | WS_DISABLED, IDC_BUTTON_DELETE_ALL);
    make(0, L"BUTTON", L"<", button | WS_DISABLED, IDC_BUTTON_DELETE);
    HWND progress = make(0, PROGRESS_CLASSW, L"", PBS_SMOOTH, IDC_PROGRESS);
    SendMessageW(progress, PBM_SETRANGE32, 0, 100);
    SendMessageW(progress, PBM_SETSTEP, 1, 0);
    make(0, L"STATIC", L"", SS_OWNERDRAW, IDC_BANNER);
    banner_.reset(twui::LoadPictureResource(IDR_JPEG_BANNER, true));

    ListBoxTargetList available(items);
    for (const std::wstring& label : tw::AvailableTargetLabels()) available.append(label);
    // Enter in either list does what its button does.
    SetWindowSubclass(items, &TTWForm::ListProc, kListSubclassId, reinterpret_cast<DWORD_PTR>(this));
    SetWindowSubclass(clean, &TTWForm::ListProc, kListSubclassId, reinterpret_cast<DWORD_PTR>(this));
    twui::SetFontOfChildren(hwnd_);
}

void TTWForm::CreateToolBar() {
    HWND bar = CreateWindowExW(0, TOOLBARCLASSNAMEW, L"",
                               WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS |
                                   CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER,
                               0, 0, twui::Scale(kClientWidth), twui::Scale(layout::kControls[0].height), hwnd_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_TOOLBAR)),
                               GetModuleHandleW(nullptr), nullptr);
    if (!bar) return;
    SendMessageW(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    const int picture = twui::Scale(layout::kToolPicture);
    toolImages_.reset(ImageList_Create(picture, picture, ILC_COLOR32, 6, 0));
    const int pictures[kHintCount] = {IDR_PNG_CLEAN,   IDR_PNG_LOG,     IDR_PNG_BACKUP,
                                      IDR_PNG_OPTIONS, IDR_PNG_DESKTOP, IDR_PNG_HELP};
    int imageIndex[kHintCount];
    for (int i = 0; i < kHintCount; ++i) {
        imageIndex[i] = I_IMAGENONE;
        twui::GdiObject bitmap(twui::LoadPictureResource(pictures[i], false));
        if (!bitmap || !toolImages_) continue;
        BITMAP info{};
        GetObjectW(bitmap.get(), sizeof(info), &info);
        if (info.bmWidth != picture || info.bmHeight != picture) {
            // Scale the picture to the DPI's size.
            HDC screen = GetDC(nullptr);
            HDC from = CreateCompatibleDC(screen), to = CreateCompatibleDC(screen);
            BITMAPINFO bmi{};
            bmi.bmiHeader = {sizeof(BITMAPINFOHEADER), picture, -picture, 1, 32, BI_RGB, 0, 0, 0,
                             0, 0};
            void* bits = nullptr;
            HBITMAP scaled = CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
            if (scaled) {
                HGDIOBJ oldFrom = SelectObject(from, bitmap.get());
                HGDIOBJ oldTo = SelectObject(to, scaled);
                SetStretchBltMode(to, HALFTONE);
                StretchBlt(to, 0, 0, picture, picture, from, 0, 0, info.bmWidth, info.bmHeight,
                           SRCCOPY);
                SelectObject(from, oldFrom);
                SelectObject(to, oldTo);
                bitmap.reset(scaled);
            }
            DeleteDC(from);
            DeleteDC(to);
            ReleaseDC(nullptr, screen);
        }
        imageIndex[i] = ImageList_Add(toolImages_.get(), static_cast<HBITMAP>(bitmap.get()), nullptr);
    }
    SendMessageW(bar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(toolImages_.get()));
    SendMessageW(bar, TB_SETBITMAPSIZE, 0, MAKELPARAM(picture, picture));
    TBBUTTON buttons[kHintCount] = {};
    for (int i = 0; i < kHintCount; ++i) {
        buttons[i].iBitmap = imageIndex[i];
        buttons[i].idCommand = IDM_CLEAN + i;
        buttons[i].fsState = TBSTATE_ENABLED;
        buttons[i].fsStyle = BTNS_BUTTON;
        buttons[i].iString = -1;
    }
    SendMessageW(bar, TB_ADDBUTTONSW, kHintCount, reinterpret_cast<LPARAM>(buttons));
    SendMessageW(bar, TB_SETBUTTONSIZE, 0, MAKELPARAM(twui::Scale(layout::kToolButtonWidth),
                                                   twui::Scale(layout::kToolButtonHeight)));
    SendMessageW(bar, TB_SETMAXTEXTROWS, 0, 0);
}

// ---- show handler and command line ----

void TTWForm::OnShown() {
    LanguageWindows target(*this, dialogs_);
    tw::LoadLanguage(tw::CurrentLanguageName(), target);
    // Family files that were left out are told once; an unattended start finds them in its log.
    if (!tw::OwnFamilyProblems().empty() && !tw::ParseCommandLine(twui::CommandLineArguments()).quit) {
        std::wstring text = tw::LanguageText(L"Family Files Not Loaded",
                                             L"These family files were not loaded. Every other family works as before.");
        for (const tw::FamilyProblem& problem : tw::OwnFamilyProblems()) text += L"\r\n\r\n" + tw::ProblemText(problem);
        MessageBoxW(hwnd_, text.c_str(), L"Tidewell", MB_OK | MB_ICONWARNING);
    }
    ProcessCommandLine();
}

void TTWForm::ProcessCommandLine() {
    ListBoxTargetList clean(Control(IDC_LIST_CLEAN));
    auto start = [this](const tw::CommandLineRequest& request) {
        std::vector<tw::PreviewGroup> groups;
        const int exitCode = tw::RunFromCommandLine(*this, request, groups);
        if (request.preview && !request.quit && exitCode == 0 && !groups.empty()) ShowPreview(groups);
        return exitCode;
    };
    auto quit = [this](int exitCode) {
        exitCode_ = exitCode;
        unattendedExit_ = true;
        PostMessageW(hwnd_, WM_CLOSE, 0, 0);
    };
    commandLine_.Process(twui::CommandLineArguments(), clean, start, quit);
}

void TTWForm::CleanButtonMenuClick() {
    // However the run ends, the bar shows where it stopped.
    struct ShowLastStep {
        TTWForm& form;
        ~ShowLastStep() {
            if (form.progress_.pending()) form.ShowProgress();
        }
    } showLastStep{*this};
    tw::RunCleaning(*this);
}

void TTWForm::PreviewMenuClick() {
    std::vector<tw::PreviewGroup> groups;
    if (tw::RunPreview(*this, groups, false, false) == tw::RunOutcome::Finished) ShowPreview(groups);
}

void TTWForm::ShowPreview(const std::vector<tw::PreviewGroup>& groups) {
    if (!preview_) {
        twui::RegisterDialogClass(TW_CLASS_PREVIEW);
        preview_ = std::make_unique<TPreviewForm>();
        preview_->Create(hwnd_);
    }
    if (preview_->hwnd() && preview_->Open(groups)) CleanButtonMenuClick();
}

// ---- the four buttons ----

void TTWForm::SelectButtonClick() {
    ListBoxTargetList available(Control(IDC_LIST_ITEMS));
    ListBoxTargetList clean(Control(IDC_LIST_CLEAN));
    tw::SelectSelected(available, clean);
    UpdateRemoveButtons();
}

void TTWForm::SelectAllButtonClick() {
    ListBoxTargetList available(Control(IDC_LIST_ITEMS));
    ListBoxTargetList clean(Control(IDC_LIST_CLEAN));
    tw::SelectAll(available, clean);
    UpdateRemoveButtons();
}

void TTWForm::DeleteButtonClick() {
    ListBoxTargetList clean(Control(IDC_LIST_CLEAN));
    tw::RemoveSelected(clean);
    UpdateRemoveButtons();
}

void TTWForm::DeleteAllButtonClick() {
    ListBoxTargetList clean(Control(IDC_LIST_CLEAN));
    tw::RemoveAll(clean);
    UpdateRemoveButtons();
}

void TTWForm::UpdateRemoveButtons() {
    ListBoxTargetList clean(Control(IDC_LIST_CLEAN));
    const BOOL enable = tw::RemoveButtonsEnabled(clean) ? TRUE : FALSE;
    EnableWindow(Control(IDC_BUTTON_DELETE), enable);
    EnableWindow(Control(IDC_BUTTON_DELETE_ALL), enable);
}

LRESULT CALLBACK TTWForm::ListProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR /*id*/, DWORD_PTR data) {
    auto* self = reinterpret_cast<TTWForm*>(data);
    if (msg == WM_CHAR && wParam == 13 && self) {
        return twui::Guarded(0, [&] {
            if (GetDlgCtrlID(hwnd) == IDC_LIST_ITEMS)
                self->SelectButtonClick();
            else
                self->DeleteButtonClick();
            return LRESULT{0};
        });
    }
    if (msg == WM_GETDLGCODE && lParam) {
        // The keyboard navigation of the main window must leave Enter to the list.
        const auto* key = reinterpret_cast<const MSG*>(lParam);
        if ((key->message == WM_KEYDOWN || key->message == WM_CHAR) && key->wParam == VK_RETURN)
            return DLGC_WANTALLKEYS;
    }
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, &TTWForm::ListProc, kListSubclassId);
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

// ---- commands ----

void TTWForm::OnCommand(int id, int code) {
    switch (id) {
    case IDC_LIST_ITEMS:
        if (code == LBN_DBLCLK) SelectButtonClick();
        return;
    case IDC_LIST_CLEAN:
        if (code == LBN_DBLCLK) DeleteButtonClick();
        return;
    case IDC_BUTTON_SELECT: SelectButtonClick(); return;
    case IDC_BUTTON_SELECT_ALL: SelectAllButtonClick(); return;
    case IDC_BUTTON_DELETE: DeleteButtonClick(); return;
    case IDC_BUTTON_DELETE_ALL: DeleteAllButtonClick(); return;
    case IDM_CLEAN: CleanButtonMenuClick(); return;
    case IDM_PREVIEW: PreviewMenuClick(); return;
    case IDM_LOG:
        if (dialogs_.log) dialogs_.log->Open();
        return;
    case IDM_BACKUP:
        if (dialogs_.backup) dialogs_.backup->Open();
        return;
    case IDM_OPTIONS:
        if (dialogs_.options) dialogs_.options->Open();
        return;
    case IDM_DESKTOP_ICON:
        if (dialogs_.desktop) dialogs_.desktop->Open();
        return;
    case IDM_ABOUT:
        if (dialogs_.about) dialogs_.about->Open();
        return;
    case IDM_CONTENTS: OpenHelp(); return;
    case IDM_HOMEPAGE: OpenHomePage(); return;
    case IDM_CLOSE:
    case IDM_TRAY_EXIT: PostMessageW(hwnd_, WM_CLOSE, 0, 0); return;
    case IDM_TRAY_MINIMIZE: MinimizeApplication(); return;
    case IDM_TRAY_RESTORE: RestoreApplication(); return;
    default: return;
    }
}

void TTWForm::OpenHelp() {
    const std::wstring path = tw::programFolder() + L"Help.chm";
    if (!tw::fileExists(path)) return;
    plat::shellOpen(reinterpret_cast<std::uintptr_t>(hwnd_), path, SW_SHOWMAXIMIZED);
}

void TTWForm::OpenHomePage() {
    plat::shellOpen(reinterpret_cast<std::uintptr_t>(hwnd_), kHomePage, SW_SHOWNORMAL);
}

void TTWForm::MinimizeApplication() {
    // Already hidden in the tray: showing it minimized would only flash it.
    if (!IsWindowVisible(hwnd_)) return;
    // An open dialog goes with the window, as the system does for a minimize
    // by the title bar; it stays modal meanwhile.
    ShowOwnedPopups(hwnd_, FALSE);
    ShowWindow(hwnd_, SW_MINIMIZE);  // WM_SIZE hides it when the tray is on
}

void TTWForm::RestoreApplication() {
    if (IsIconic(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
    ShowWindow(hwnd_, SW_SHOW);
    // A modal dialog comes back with the window and takes the input.
    ShowOwnedPopups(hwnd_, TRUE);
    SetForegroundWindow(GetLastActivePopup(hwnd_));
}

bool TTWForm::CancelOpenDialogs() {
    bool any = false;
    twui::Dialog* const dialogs[] = {dialogs_.about, dialogs_.log, dialogs_.options,
                                     dialogs_.backup, dialogs_.desktop};
    for (twui::Dialog* dialog : dialogs) {
        if (!dialog || !dialog->showing()) continue;
        any = true;
        SendMessageW(dialog->hwnd(), WM_COMMAND, IDCANCEL, 0);
        // A Cancel that failed still ends the dialog, or the close would wait for ever.
        if (dialog->showing()) dialog->Close();
    }
    return any;
}

// ---- tray ----

void TTWForm::SetTrayVisible(bool visible) {
    if (!hwnd_ || visible == trayVisible_) return;
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = hwnd_;
    data.uID = kTrayId;
    if (visible) {
        data.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
        data.uCallbackMessage = kTrayMessage;
        data.hIcon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr),
                                                   MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON),
                                                   GetSystemMetrics(SM_CYSMICON), LR_SHARED));
        lstrcpynW(data.szTip, L"Tidewell", static_cast<int>(std::size(data.szTip)));
        trayVisible_ = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
    } else {
        Shell_NotifyIconW(NIM_DELETE, &data);
        trayVisible_ = false;
    }
}

void TTWForm::OnTrayNotify(LPARAM lParam) {
    // Only the context click has an action: the pop-up menu.
    if (lParam != WM_RBUTTONUP && lParam != WM_CONTEXTMENU) return;
    HMENU popup = trayMenu_ ? GetSubMenu(trayMenu_.get(), 0) : nullptr;
    if (!popup) return;
    POINT cursor{};
    GetCursorPos(&cursor);
    SetForegroundWindow(hwnd_);
    TrackPopupMenu(popup, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, hwnd_, nullptr);
    PostMessageW(hwnd_, WM_NULL, 0, 0);
}

// ---- banner ----

void TTWForm::DrawBanner(const DRAWITEMSTRUCT& item) {
    const RECT& r = item.rcItem;
    FillRect(item.hDC, &r, GetSysColorBrush(COLOR_BTNFACE));
    if (!banner_) return;
    BITMAP info{};
    GetObjectW(banner_.get(), sizeof(info), &info);
    if (info.bmWidth <= 0 || info.bmHeight <= 0) return;
    const tw::PictureRect fit = tw::FitInProportion(
        info.bmWidth, info.bmHeight, {r.left, r.top, r.right - r.left, r.bottom - r.top});
    if (fit.width <= 0 || fit.height <= 0) return;
    HDC memory = CreateCompatibleDC(item.hDC);
    HGDIOBJ old = SelectObject(memory, banner_.get());
    SetStretchBltMode(item.hDC, HALFTONE);
    StretchBlt(item.hDC, fit.x, fit.y, fit.width, fit.height, memory, 0, 0, info.bmWidth,
               info.bmHeight, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
}

// ---- language ----

void TTWForm::SetPlaceText(tw::Place place, const std::wstring& text) {
    using P = tw::Place;
    switch (place) {
    case P::CleanButtonHint: hints_[0] = text; return;
    case P::LogButtonHint: hints_[1] = text; return;
    case P::BackupButtonHint: hints_[2] = text; return;
    case P::OptionsButtonHint: hints_[3] = text; return;
    case P::DesktopIconButtonHint: hints_[4] = text; return;
    case P::HelpButtonHint: hints_[5] = text; return;
    case P::LabelSelect: SetWindowTextW(Control(IDC_LABEL_SELECT), text.c_str()); return;
    case P::LabelRemove: SetWindowTextW(Control(IDC_LABEL_REMOVE), text.c_str()); return;
    case P::TrayMinimize:
    case P::TrayRestore:
    case P::TrayExit: {
        HMENU popup = trayMenu_ ? GetSubMenu(trayMenu_.get(), 0) : nullptr;
        const UINT id = place == P::TrayMinimize  ? IDM_TRAY_MINIMIZE
                        : place == P::TrayRestore ? IDM_TRAY_RESTORE
                                                  : IDM_TRAY_EXIT;
        SetMenuText(popup, id, false, text);
        return;
    }
    case P::WarningMessage: tw::MainMessages().warningMessage = text; return;
    case P::WarningMessageTitle:
        tw::MainMessages().warningMessageTitle = text;
        return;
    case P::RebootMessage: tw::MainMessages().rebootMessage = text; return;
    case P::RebootMessageTitle:
        tw::MainMessages().rebootMessageTitle = text;
        return;
    case P::PreviewTitle: tw::PreviewMessages().title = text; return;
    case P::PreviewClean: tw::PreviewMessages().clean = text; return;
    case P::PreviewSave: tw::PreviewMessages().save = text; return;
    case P::PreviewClose: tw::PreviewMessages().close = text; return;
    case P::PreviewFiles: tw::PreviewMessages().files = text; return;
    case P::PreviewFolders: tw::PreviewMessages().folders = text; return;
    case P::PreviewRegistry: tw::PreviewMessages().registry = text; return;
    case P::PreviewDrivers: tw::PreviewMessages().drivers = text; return;
    case P::PreviewNotDeleted: tw::PreviewMessages().notDeleted = text; return;
    case P::PreviewNothing: tw::PreviewMessages().nothing = text; return;
    default: break;
    }
    for (const MenuText& entry : kMenuTexts) {
        if (entry.place != place) continue;
        HMENU bar = GetMenu(hwnd_);
        if (entry.command == 0) {
            SetMenuText(bar, static_cast<UINT>(entry.titlePosition), true, text);
        } else {
            SetMenuText(bar, static_cast<UINT>(entry.command), false,
                        text + L"\t" + entry.shortcut);
        }
        // Every repaint of the menu bar costs server round trips under Wine:
        // a language's twelve menu texts are drawn once, when the message
        // loop next runs.
        if (!menuBarPosted_ && !(menuBarPosted_ = PostMessageW(hwnd_, kMenuBarMessage, 0, 0) != FALSE))
            DrawMenuBar(hwnd_);
        return;
    }
}

// ---- tw::CleaningView ----

std::vector<std::wstring> TTWForm::cleanLabels() const {
    ListBoxTargetList clean(Control(IDC_LIST_CLEAN));
    std::vector<std::wstring> labels;
    for (int i = 0; i < clean.count(); ++i) labels.push_back(clean.text(i));
    return labels;
}

void TTWForm::setProgressMax(int maximum) {
    progress_.setMaximum(maximum);
    SendMessageW(Control(IDC_PROGRESS), PBM_SETRANGE32, 0, maximum);
}

void TTWForm::setProgressPosition(int position) {
    progress_.setPosition(position);
    ShowProgress();
}

// One step further. Each position the bar is told repaints it at once, and
// under Wine that costs several server round trips: a run of some hundred
// steps spent most of its time there. The bar is told at most every
// ProgressPosition::kShowEvery milliseconds; the last step is shown when the
// run is over (or, for steps outside a run, when the message loop runs).
// The position is kept within the range as the bar keeps it, so a run that
// takes more steps than its targets reserve leaves the bar full.
void TTWForm::stepProgress() {
    if (progress_.step(GetTickCount64())) {
        ShowProgress();
    } else if (!progressPosted_) {
        progressPosted_ = PostMessageW(hwnd_, kProgressMessage, 0, 0) != FALSE;
    }
}

void TTWForm::ShowProgress() {
    SendMessageW(Control(IDC_PROGRESS), PBM_SETPOS, static_cast<WPARAM>(progress_.position()), 0);
    progress_.shown(GetTickCount64());
}
