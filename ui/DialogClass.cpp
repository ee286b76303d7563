#include "ui/DialogClass.h"

#include <windows.h>

#include <utility>

namespace twui {

namespace {
std::vector<const wchar_t*>& ClassesToRegister() {
    static std::vector<const wchar_t*> names;
    return names;
}
}  // namespace

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

void RegisterDialogClassesOnFirstUse(std::vector<const wchar_t*> classNames) {
    ClassesToRegister() = std::move(classNames);
}

void RegisterPendingDialogClasses() {
    for (const wchar_t* name : std::exchange(ClassesToRegister(), {})) RegisterDialogClass(name);
}

}  // namespace twui
