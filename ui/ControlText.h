// Reading and filling the simple controls: a window's text, a list box's
// entries and its selected entry.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace twui {

std::wstring WindowText(HWND window);
// The selected entry of a single-selection list box; empty when none.
std::wstring ListBoxSelection(HWND list);
void FillListBox(HWND list, const std::vector<std::wstring>& names);

}  // namespace twui
