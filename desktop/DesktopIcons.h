// The icons of the Windows desktop: the items of the shell's list view, which
// lives in the shell's process. Texts and positions are read, and icons moved,
// with list-view messages whose records lie in a remote buffer in that process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/other_programs.h"
#include "platform/platform.h"

namespace tw {

// An icon's position in the list view's coordinates (LVM_GETITEMPOSITION).
struct TCoord {
    std::int32_t X = 0;
    std::int32_t Y = 0;
};

struct DesktopIconEntry {
    std::wstring text;
    TCoord position;
};

// Where the records of the list-view requests lie in the remote buffer. The
// list view reads them with its own process's pointer size, so the layout
// follows the shell's bitness, not this program's.
struct ListViewLayout {
    std::size_t pointerSize;  // 4 or 8
    // Reading: LVITEMA at 0, its text area (and the point of
    // LVM_GETITEMPOSITION) at textArea.
    std::size_t itemTextPointer;  // LVITEMA.pszText
    std::size_t itemTextMax;      // LVITEMA.cchTextMax
    std::size_t textArea;
    // Placing: LVFINDINFOA at 0, the searched text right after it.
    std::size_t findTextPointer;  // LVFINDINFOA.psz
    std::size_t findText;
};
// 32-bit shell: LVITEMA up to iIndent (40 bytes), LVFINDINFOA of 24 bytes.
// 64-bit shell: the whole LVITEMA (88 bytes) and LVFINDINFOA (40 bytes).
const ListViewLayout& ListViewLayoutFor(bool shellIs64Bit);

// Longest icon text (UTF-16 characters) the requests carry; longer names are not
// looked for when placing.
inline constexpr std::size_t kMaxIconText = 255;

// The desktop's list view: the first child of the first child of "Progman"
// when that is a "SysListView32" under a "SHELLDLL_DefView"; otherwise the
// "SysListView32" of the "SHELLDLL_DefView" that is a child of "Progman" or
// of a top-level "WorkerW". 0 when there is none.
plat::HWnd GetDesktopListView();

// Fills List with the text and position of every desktop icon, in item
// order. Without a desktop list view the list is left as it is. Errors in
// reaching the shell's process throw AppError.
void ReadDesktopIcons(std::vector<DesktopIconEntry>& list);

// For every name, from the last to the first, asks PositionOf and moves the
// first icon with that text (letter case ignored) there, unless X
// or Y is -1. Auto-arrange is off while icons move and the list view's style
// is written back afterwards, also when an error ends the call.
using PositionOf = std::function<TCoord(const std::wstring& name)>;
void PlaceDesktopIcons(const std::vector<std::wstring>& names, const PositionOf& positionOf);

}  // namespace tw
