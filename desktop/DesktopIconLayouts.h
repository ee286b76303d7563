// Desktop icon layouts: the positions of the desktop's icons saved under a
// name as "Desktop Icon\<name>.ini" beside the executable, put back and
// removed again. The Desktop Icon Restorer dialog shows these decisions.
#pragma once

#include <string>
#include <vector>

namespace tw {

// The section that holds the screen size a layout was saved at.
inline constexpr const wchar_t* kResolutionSection = L"QuorvelDesktopResolution";

// Program folder + "Desktop Icon\".
std::wstring DesktopLayoutFolder();
// Layout folder + name + ".ini".
std::wstring DesktopLayoutPath(const std::wstring& name);

// The layout name for the text of the save box: a file time stamp when the
// text is the current language's "Current date and time" (letters a to z
// compared as capitals), else the text as typed.
std::wstring DesktopLayoutName(const std::wstring& saveBoxText);

// What both lists of the dialog show: the saved layouts in the order a sorted
// combo box keeps them, and the text of the boxes (the last one, or empty).
struct DesktopLayoutList {
    std::vector<std::wstring> names;
    std::wstring text;
};
DesktopLayoutList ListDesktopLayouts();

// Saves the desktop's icons under the layout name the save box's text gives,
// then the primary screen's size. Returns the file written. A refused write
// throws AppError "Unable to write to <file>" and stops the save there.
std::wstring SaveDesktopLayout(const std::wstring& saveBoxText);

// Puts the icons of a saved layout back. With changeResolution the screen is
// first switched to the stored size when that differs from the current one;
// a layout without a stored size leaves the screen alone. Returns false when
// there is no such layout (nothing is done then).
bool RestoreDesktopLayout(const std::wstring& name, bool changeResolution);

// Deletes a saved layout; false when there is none by that name.
bool RemoveDesktopLayout(const std::wstring& name);

}  // namespace tw
