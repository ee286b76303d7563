#include "ui/ModalLoop.h"

#include <vector>

#include "ui/Dialog.h"

namespace twui {

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

void AddDialogWindow(HWND window) { Loop().dialogs.push_back(window); }

bool PreTranslate(MSG& msg) {
    LoopState& loop = Loop();
    if (loop.main && loop.accelerators && IsWindowEnabled(loop.main) &&
        (msg.hwnd == loop.main || IsChild(loop.main, msg.hwnd)) &&
        TranslateAcceleratorW(loop.main, loop.accelerators, &msg))
        return true;
    const bool key = msg.message == WM_KEYDOWN || msg.message == WM_KEYUP;
    for (HWND window : loop.dialogs) {
        if (!IsWindow(window) || !IsWindowVisible(window)) continue;
        if (key && (msg.hwnd == window || IsChild(window, msg.hwnd)))
            if (auto* dialog = reinterpret_cast<Dialog*>(GetWindowLongPtrW(window, DWLP_USER)))
                if (dialog->PreviewKey(msg)) return true;
        if (IsDialogMessageW(window, &msg)) return true;
    }
    // Tab and the arrow keys move between the main window's controls.
    if (loop.main && IsChild(loop.main, msg.hwnd) && IsDialogMessageW(loop.main, &msg))
        return true;
    return false;
}

void RunNestedLoop(const std::function<bool()>& running) {
    MSG msg;
    while (running()) {
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
}

}  // namespace twui
