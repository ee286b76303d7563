// The window classes of the dialogs. A DIALOGEX template's CLASS names one,
// so that each dialog has the program's icon; they are registered when the
// first dialog window is made, not at start-up (each class loads the icon).
#pragma once

#include <vector>

namespace twui {

// Registers a dialog window class (DefDlgProc with DLGWINDOWEXTRA).
void RegisterDialogClass(const wchar_t* className);
// The classes to register once the first dialog window is made.
void RegisterDialogClassesOnFirstUse(std::vector<const wchar_t*> classNames);
// Registers the classes named above that are not registered yet.
void RegisterPendingDialogClasses();

}  // namespace twui
