// The message loops: what every loop does with a message before it is
// dispatched (the main window's accelerators, keys seen first by the dialog
// they belong to, Tab and the arrow keys between controls), and the nested
// loop a modal dialog runs while it shows.
#pragma once

#include <windows.h>

#include <functional>

namespace twui {

// The main window and its accelerators (null, null when it is gone).
void SetMainWindow(HWND main, HACCEL accelerators);
// A dialog's window (its Dialog in DWLP_USER), made: its keys and navigation go through PreTranslate.
void AddDialogWindow(HWND window);
// Accelerators of the main window and dialog navigation; true when the
// message was consumed.
bool PreTranslate(MSG& msg);
// Takes and dispatches messages while `running` answers true; a quit ends
// it and is passed on to the loop outside.
void RunNestedLoop(const std::function<bool()>& running);

}  // namespace twui
