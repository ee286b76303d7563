#include "app/win/TWForm.h"

#include <memory>

#include "app/win/Banner.h"
#include "app/win/LanguageWindows.h"
#include "app/win/PreviewForm.h"
#include "app/win/TWFormLayout.h"
#include "app/win/TWFormRes.h"
#include "app/win/ToolBar.h"
#include "platform/common.h"
#include "settings/VarUnit.h"
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
constexpr const wchar_t* kHomePage = L"https://tidewell.example.org/";

namespace layout = twlayout::main;

// Asks for the show handler, once however often it is asked before it runs.
void PostShown(HWND window) {
    MSG queued;
    if (!PeekMessageW(&queued, window, kShownMessage, kShownMessage, PM_NOREMOVE))
        PostMessageW(window, kShownMessage, 0, 0);
}

}  // namespace

TTWForm::TTWForm(tw::Application& app)
    : app_(app), tray_(GetModuleHandleW(nullptr), kTrayMessage), texts_(tray_, app.texts(), kMenuBarMessage) {}

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
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    // WS_EX_APPWINDOW: the main window owns the taskbar button.
    hwnd_ = CreateWindowExW(WS_EX_APPWINDOW, TW_CLASS_MAIN, L"Tidewell " TW_VERSION_TEXT, style, 0, 0,
                            twui::Scale(layout::kClientWidth), twui::Scale(layout::kClientHeight), nullptr,
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
    case WM_CREATE: OnCreate(); return 0;
    case WM_SHOWWINDOW:
        // The show handler runs once the window is on the screen.
        if (wParam) PostShown(hwnd_);
        break;
    case kShownMessage:
        // The first show handler runs whatever the show state: a start
        // minimized to the tray hides the window before this message comes,
        // and its command line must still be acted on.
        if (IsWindowVisible(hwnd_) || !app_.commandLineProcessed()) OnShown();
        return 0;
    case kMenuBarMessage: texts_.OnMenuBarMessage(hwnd_); return 0;
    case kProgressMessage: progress_.OnPosted(); return 0;
    case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header && header->code == TTN_GETDISPINFOW) {
            if (const wchar_t* hint = texts_.Hint(static_cast<int>(header->idFrom) - IDM_CLEAN))
                reinterpret_cast<NMTTDISPINFOW*>(lParam)->lpszText = const_cast<wchar_t*>(hint);
            return 0;
        }
        break;
    }
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item && item->CtlID == IDC_BANNER) return DrawBanner(*item, banner_.get()), TRUE;
        break;
    }
    case WM_SIZE:
        // A start minimized may come without WM_SHOWWINDOW (Wine sends none),
        // and the tray hides the window at once: the first show handler is
        // asked for here too.
        if (wParam == SIZE_MINIMIZED && !app_.commandLineProcessed()) PostShown(hwnd_);
        // Hidden only while the icon is really in the tray: a window hidden
        // without an icon could not be brought back.
        if (wParam == SIZE_MINIMIZED && tw::SystemTray && tray_.visible()) ShowWindow(hwnd_, SW_HIDE);
        return 0;
    case kTrayMessage: tray_.OnMessage(hwnd_, lParam); return 0;
    case WM_CLOSE:
        // A dialog still open (Close in the tray menu) is closed through its
        // Cancel path first, so that nothing it did not apply is saved at
        // exit; the close comes back once its modal loop has ended.
        if (dialogs_.CancelOpen())
            PostMessageW(hwnd_, WM_CLOSE, 0, 0);
        else
            DestroyWindow(hwnd_);
        return 0;
    case WM_DESTROY: OnDestroy(); return 0;
    case WM_NCDESTROY: {
        HWND window = hwnd_;
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        hwnd_ = nullptr;
        return DefWindowProcW(window, msg, wParam, lParam);
    }
    default:
        // Registered messages lie in 0xC000-0xFFFF.
        if (msg >= 0xC000 && msg == TaskbarCreatedMessage()) {
            tray_.OnTaskbarCreated(hwnd_, tw::SystemTray);
            if (!tray_.visible() && !IsWindowVisible(hwnd_)) RestoreApplication();
            return 0;
        }
        break;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

void TTWForm::OnCreate() {
    twui::SetClientSize(hwnd_, layout::kClientWidth, layout::kClientHeight);
    SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    CreateControls();
    // Each step is guarded on its own: a settings file that cannot be written
    // is reported, and the window is still created.
    twui::Guarded(0, [this] { return app_.LoadSettings(), LRESULT{0}; });
    SetTrayVisible(tw::SystemTray);
}

void TTWForm::CreateControls() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    // Created in the layout table's order, each with its kind and style.
    auto make = [&](DWORD exStyle, const wchar_t* cls, const wchar_t* text, DWORD style, int id) {
        for (const twlayout::Control& c : layout::kControls)
            if (c.id == id)
                return CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, twui::Scale(c.x),
                                       twui::Scale(c.y), twui::Scale(c.width), twui::Scale(c.height), hwnd_,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        return static_cast<HWND>(nullptr);
    };
    CreateToolBar(hwnd_, toolImages_);
    const DWORD list = WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
    const DWORD button = WS_TABSTOP | BS_PUSHBUTTON;
    make(0, L"STATIC", L"Select", SS_LEFT, IDC_LABEL_SELECT);
    make(WS_EX_CLIENTEDGE, L"LISTBOX", L"", list, IDC_LIST_ITEMS);
    make(0, L"STATIC", L"Remove", SS_LEFT, IDC_LABEL_REMOVE);
    make(WS_EX_CLIENTEDGE, L"LISTBOX", L"", list, IDC_LIST_CLEAN);
    make(0, L"BUTTON", L">", button, IDC_BUTTON_SELECT);
    make(0, L"BUTTON", L">>", button, IDC_BUTTON_SELECT_ALL);
    make(0, L"BUTTON", L"<<", button | WS_DISABLED, IDC_BUTTON_DELETE_ALL);
    make(0, L"BUTTON", L"<", button | WS_DISABLED, IDC_BUTTON_DELETE);
    progress_.Attach(make(0, PROGRESS_CLASSW, L"", PBS_SMOOTH, IDC_PROGRESS), hwnd_, kProgressMessage);
    make(0, L"STATIC", L"", SS_OWNERDRAW, IDC_BANNER);
    banner_.reset(twui::LoadPictureResource(IDR_JPEG_BANNER, true));
    lists_.Attach(hwnd_);
    twui::SetFontOfChildren(hwnd_);
}

void TTWForm::OnShown() {
    LanguageWindows target(*this, dialogs_);
    tw::LoadLanguage(tw::CurrentLanguageName(), target);
    const std::vector<std::wstring> arguments = twui::CommandLineArguments();
    if (const std::wstring text = app_.FamilyProblemsWarning(arguments); !text.empty())
        MessageBoxW(hwnd_, text.c_str(), L"Tidewell", MB_OK | MB_ICONWARNING);
    app_.ProcessCommandLine(*this, arguments);
}

void TTWForm::OnDestroy() {
    SetTrayVisible(false);
    // The settings are saved at every exit; a failure is shown (not after
    // an unattended command line), the exit goes on.
    twui::Guarded(0, [this] { return app_.SaveSettingsAtExit(), LRESULT{0}; });
    PostQuitMessage(app_.exitCode());
}

void TTWForm::Clean() {
    // However the run ends, the bar shows where it stopped.
    struct ShowLastStep {
        ProgressBar& bar;
        ~ShowLastStep() { bar.ShowPending(); }
    } showLastStep{progress_};
    app_.Clean(*this);
}

// ---- tw::MainView ----

bool TTWForm::confirm(const tw::Question& question) {
    // No owner: the lists still take input while it is open.
    const UINT icon = question.warning ? MB_ICONEXCLAMATION : MB_ICONQUESTION;
    return MessageBoxW(nullptr, question.text.c_str(), question.title.c_str(), MB_OKCANCEL | icon) == IDOK;
}

void TTWForm::showPreview(const std::vector<tw::PreviewGroup>& groups) {
    if (!preview_) {
        twui::RegisterDialogClass(TW_CLASS_PREVIEW);
        preview_ = std::make_unique<TPreviewForm>();
        preview_->Create(hwnd_);
    }
    if (preview_->hwnd() && preview_->Open(groups, texts_.Preview())) Clean();
}

void TTWForm::close() { PostMessageW(hwnd_, WM_CLOSE, 0, 0); }

// ---- commands ----

void TTWForm::OnCommand(int id, int code) {
    if (lists_.OnCommand(id, code)) return;
    switch (id) {
    case IDM_CLEAN: Clean(); return;
    case IDM_PREVIEW: app_.Preview(*this); return;
    case IDM_CONTENTS:
        if (const std::wstring help = tw::programFolder() + L"Help.chm"; tw::fileExists(help))
            plat::shellOpen(reinterpret_cast<std::uintptr_t>(hwnd_), help, SW_SHOWMAXIMIZED);
        return;
    case IDM_HOMEPAGE: plat::shellOpen(reinterpret_cast<std::uintptr_t>(hwnd_), kHomePage, SW_SHOWNORMAL); return;
    case IDM_CLOSE:
    case IDM_TRAY_EXIT: close(); return;
    case IDM_TRAY_MINIMIZE: MinimizeApplication(); return;
    case IDM_TRAY_RESTORE: RestoreApplication(); return;
    default: dialogs_.OpenFor(id); return;
    }
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
