#include "app/win/WinCommon.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>

#include "app/JpegImage.h"
#include "app/PngImage.h"
#include "app/TWUnit.h"
#include "platform/common.h"

namespace twui {

// ---- pixels, fonts, texts ----

int SystemDpi() {
    static const int dpi = [] {
        HDC screen = GetDC(nullptr);
        const int value = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
        if (screen) ReleaseDC(nullptr, screen);
        return value > 0 ? value : 96;
    }();
    return dpi;
}

int Scale(int pixels) { return MulDiv(pixels, SystemDpi(), 96); }

HFONT TahomaFont() {
    // Lives as long as the process: every window of the program uses it.
    static GdiObject font(CreateFontW(-MulDiv(8, SystemDpi(), 72), 0, 0, 0, FW_NORMAL, FALSE,
                                      FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                      DEFAULT_PITCH | FF_DONTCARE, L"Tahoma"));
    return static_cast<HFONT>(font.get());
}

namespace {
BOOL CALLBACK SetFontOfChild(HWND child, LPARAM font) {
    SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
    return TRUE;
}
}  // namespace

void SetFontOfChildren(HWND parent) {
    EnumChildWindows(parent, &SetFontOfChild, reinterpret_cast<LPARAM>(TahomaFont()));
}

void PlaceControl(HWND parent, int id, int x, int y, int width, int height) {
    HWND control = GetDlgItem(parent, id);
    if (!control) return;
    SetWindowPos(control, nullptr, Scale(x), Scale(y), Scale(width), Scale(height),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void SetClientSize(HWND window, int width, int height) {
    RECT rect{0, 0, Scale(width), Scale(height)};
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    AdjustWindowRectEx(&rect, style, GetMenu(window) != nullptr, exStyle);
    SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // A menu bar that wraps takes more room than AdjustWindowRectEx allows for.
    RECT client{};
    GetClientRect(window, &client);
    const int missing = Scale(height) - (client.bottom - client.top);
    if (missing > 0) {
        RECT outer{};
        GetWindowRect(window, &outer);
        SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left,
                     outer.bottom - outer.top + missing,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CenterOver(HWND window, HWND over) {
    RECT outer{}, mine{};
    if (over && IsWindowVisible(over))
        GetWindowRect(over, &outer);
    else
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &outer, 0);
    GetWindowRect(window, &mine);
    const int w = mine.right - mine.left, h = mine.bottom - mine.top;
    int x = outer.left + ((outer.right - outer.left) - w) / 2;
    int y = outer.top + ((outer.bottom - outer.top) - h) / 2;
    x = std::max(0, x);
    y = std::max(0, y);
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::wstring WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(std::max(0, got)));
    return text;
}

std::vector<std::wstring> CommandLineArguments() {
    std::vector<std::wstring> arguments;
    // shell32 is loaded on first use: a start without arguments never needs it.
    if (!tw::CommandLineHasArguments(GetCommandLineW())) return arguments;
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!argv) return arguments;
    for (int i = 1; i < count; ++i) arguments.emplace_back(argv[i]);
    LocalFree(argv);
    return arguments;
}

// ---- errors ----

void ShowCaughtError() noexcept {
    try {
        try {
            throw;
        } catch (const tw::AppError& error) {
            MessageBoxW(nullptr, error.message().c_str(), L"Tidewell", MB_OK | MB_ICONERROR);
        } catch (const std::exception& error) {
            const std::wstring text = L"An unexpected error occurred:\r\n" +
                                      plat::decodeAnsi(error.what());
            MessageBoxW(nullptr, text.c_str(), L"Tidewell", MB_OK | MB_ICONERROR);
        } catch (...) {
            MessageBoxW(nullptr, L"An unexpected error occurred.", L"Tidewell",
                        MB_OK | MB_ICONERROR);
        }
    } catch (...) {
        // Nothing more can be done without letting the exception escape.
    }
}

// ---- resources ----

HBITMAP LoadPictureResource(int id, bool jpeg) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10) /*RT_RCDATA*/);
    if (!info) return nullptr;
    HGLOBAL loaded = LoadResource(module, info);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = SizeofResource(module, info);
    if (!bytes || size == 0) return nullptr;

    tw::Image image;
    const auto* data = static_cast<const std::uint8_t*>(bytes);
    const bool ok = jpeg ? tw::DecodeJpeg(data, size, image) : tw::DecodePng(data, size, image);
    if (!ok || image.width <= 0 || image.height <= 0) return nullptr;

    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = image.width;
    bmi.bmiHeader.biHeight = -image.height;  // top-down
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) return bitmap;
    auto* out = static_cast<std::uint8_t*>(bits);
    const size_t pixels = static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
    for (size_t i = 0; i < pixels && i * 4 + 3 < image.rgba.size(); ++i) {
        const std::uint8_t* p = &image.rgba[i * 4];
        const unsigned a = p[3];
        out[i * 4 + 0] = static_cast<std::uint8_t>(p[2] * a / 255);
        out[i * 4 + 1] = static_cast<std::uint8_t>(p[1] * a / 255);
        out[i * 4 + 2] = static_cast<std::uint8_t>(p[0] * a / 255);
        out[i * 4 + 3] = static_cast<std::uint8_t>(a);
    }
    return bitmap;
}

// ---- dialogs ----

void RegisterDialogClass(const wchar_t* className) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefDlgProcW;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(1));
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className;
    RegisterClassExW(&wc);
}

namespace {
std::vector<const wchar_t*>& ClassesToRegister() {
    static std::vector<const wchar_t*> names;
    return names;
}
}  // namespace

void RegisterDialogClassesOnFirstUse(std::vector<const wchar_t*> classNames) {
    ClassesToRegister() = std::move(classNames);
}

Dialog::~Dialog() {
    if (hwnd_ && IsWindow(hwnd_)) {
        SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
        DestroyWindow(hwnd_);
    }
}

void Dialog::Create(HWND owner) {
    SetOwner(owner);
    EnsureWindow();
}

bool Dialog::EnsureWindow() {
    if (hwnd_) return true;
    for (const wchar_t* name : std::exchange(ClassesToRegister(), {})) RegisterDialogClass(name);
    hwnd_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), owner_,
                               &Dialog::Proc, reinterpret_cast<LPARAM>(this));
    if (!hwnd_) return false;
    AddDialogWindow(hwnd_);
    // What came before the window, in the order it came.
    const auto kept = std::exchange(kept_, {});
    for (const auto& entry : kept) entry.second();
    return true;
}

void Dialog::WhenMade(int key, std::function<void()> apply) {
    if (hwnd_) {
        apply();
        return;
    }
    std::erase_if(kept_, [key](const auto& entry) { return entry.first == key; });
    kept_.emplace_back(key, std::move(apply));
}

void Dialog::SetItemText(int key, int control, const std::wstring& text) {
    WhenMade(key, [this, control, text] {
        if (control == 0)
            SetWindowTextW(hwnd_, text.c_str());
        else
            SetDlgItemTextW(hwnd_, control, text.c_str());
    });
}

void Dialog::ShowModal() {
    if (modal_ || !EnsureWindow()) return;
    modal_ = true;
    const bool ownerWasEnabled = owner_ && IsWindowEnabled(owner_);
    if (owner_) EnableWindow(owner_, FALSE);
    CenterOver(hwnd_, centreOnScreen_ ? nullptr : owner_);
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    MSG msg;
    // Only the dialog's close path (Close) ends the loop. Minimizing the main
    // window hides its owned dialogs too; the dialog stays modal meanwhile and
    // comes back with the main window.
    while (modal_ && IsWindow(hwnd_)) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            // Pass the quit on to the main loop.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got < 0) break;
        if (!PreTranslate(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    modal_ = false;
    if (owner_ && ownerWasEnabled) EnableWindow(owner_, TRUE);
    if (IsWindowVisible(hwnd_)) ShowWindow(hwnd_, SW_HIDE);
    if (owner_ && IsWindow(owner_)) SetActiveWindow(owner_);
}

void Dialog::Close() {
    modal_ = false;
    // Enable the owner before hiding, so the activation goes back to it.
    if (owner_) EnableWindow(owner_, TRUE);
    if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
}

void Dialog::RebuildPageTree(const std::vector<std::wstring>& nodes,
                             const std::vector<std::wstring>& firstNodeChildren) {
    constexpr int kPageTreeKey = -1;
    WhenMade(kPageTreeKey, [this, nodes, firstNodeChildren] { FillPageTree(nodes, firstNodeChildren); });
}

void Dialog::FillPageTree(const std::vector<std::wstring>& nodes,
                          const std::vector<std::wstring>& firstNodeChildren) {
    HWND tree = item(treeId_);
    if (!tree) return;
    SendMessageW(tree, WM_SETREDRAW, FALSE, 0);
    TreeView_DeleteAllItems(tree);
    HTREEITEM first = nullptr;
    for (const std::wstring& node : nodes) {
        TVINSERTSTRUCTW insert{};
        insert.hParent = TVI_ROOT;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT;
        insert.item.pszText = const_cast<wchar_t*>(node.c_str());
        HTREEITEM added = TreeView_InsertItem(tree, &insert);
        if (!first) first = added;
    }
    if (first) {
        for (const std::wstring& child : firstNodeChildren) {
            TVINSERTSTRUCTW insert{};
            insert.hParent = first;
            insert.hInsertAfter = TVI_LAST;
            insert.item.mask = TVIF_TEXT;
            insert.item.pszText = const_cast<wchar_t*>(child.c_str());
            TreeView_InsertItem(tree, &insert);
        }
        TreeView_Expand(tree, first, TVE_COLLAPSE);
    }
    SendMessageW(tree, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(tree, nullptr, TRUE);
    SelectFirstNode();
    OnPageChanged();
}

std::wstring Dialog::SelectedNodeText() const {
    HWND tree = item(treeId_);
    HTREEITEM selected = tree ? TreeView_GetSelection(tree) : nullptr;
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
        if (!TreeView_GetItem(tree, &tvi)) return {};
        const size_t length = wcsnlen(tvi.pszText, buffer.size());
        if (length + 1 < buffer.size() || buffer.size() >= 65536)
            return std::wstring(tvi.pszText, length);
        buffer.assign(buffer.size() * 2, L'\0');
    }
}

void Dialog::SelectFirstNode() {
    HWND tree = item(treeId_);
    if (!tree) return;
    if (HTREEITEM first = TreeView_GetRoot(tree)) TreeView_SelectItem(tree, first);
}

void Dialog::ExpandFirstNode() {
    HWND tree = item(treeId_);
    if (!tree) return;
    if (HTREEITEM first = TreeView_GetRoot(tree)) TreeView_Expand(tree, first, TVE_EXPAND);
}

bool Dialog::OnCommand(int id, int /*code*/, HWND /*control*/) {
    if (id == IDOK || id == IDCANCEL) {
        Close();
        return true;
    }
    return false;
}

INT_PTR Dialog::OnMessage(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

INT_PTR CALLBACK Dialog::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Dialog* self = nullptr;
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (!self) return FALSE;
    return static_cast<INT_PTR>(
        Guarded(FALSE, [&] { return static_cast<LRESULT>(self->Handle(msg, wParam, lParam)); }));
}

INT_PTR Dialog::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    bool handled = false;
    const INT_PTR result = OnMessage(msg, wParam, lParam, handled);
    if (handled) return result;
    switch (msg) {
    case WM_INITDIALOG:
        SetFontOfChildren(hwnd_);
        OnInit();
        return TRUE;
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)) ? TRUE
                                                                                         : FALSE;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header && static_cast<int>(header->idFrom) == treeId_ &&
            header->code == TVN_SELCHANGEDW) {
            OnPageChanged();
            return TRUE;
        }
        return FALSE;
    }
    default:
        return FALSE;
    }
}

// ---- message loop ----

namespace {
struct LoopState {
    HWND main = nullptr;
    HACCEL accelerators = nullptr;
    std::vector<HWND> dialogs;
};
LoopState& Loop() {
    static LoopState state;
    return state;
}
}  // namespace

void SetMainWindow(HWND main, HACCEL accelerators) {
    Loop().main = main;
    Loop().accelerators = accelerators;
}

void AddDialogWindow(HWND dialog) { Loop().dialogs.push_back(dialog); }

bool PreTranslate(MSG& msg) {
    LoopState& loop = Loop();
    if (loop.main && loop.accelerators && IsWindowEnabled(loop.main) &&
        (msg.hwnd == loop.main || IsChild(loop.main, msg.hwnd)) &&
        TranslateAcceleratorW(loop.main, loop.accelerators, &msg))
        return true;
    const bool key = msg.message == WM_KEYDOWN || msg.message == WM_KEYUP;
    for (HWND dialog : loop.dialogs) {
        if (!IsWindow(dialog) || !IsWindowVisible(dialog)) continue;
        if (key && (msg.hwnd == dialog || IsChild(dialog, msg.hwnd)))
            if (auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(dialog, DWLP_USER)))
                if (self->PreviewKey(msg)) return true;
        if (IsDialogMessageW(dialog, &msg)) return true;
    }
    // Tab and the arrow keys move between the main window's controls.
    if (loop.main && IsChild(loop.main, msg.hwnd) && IsDialogMessageW(loop.main, &msg))
        return true;
    return false;
}

}  // namespace twui
