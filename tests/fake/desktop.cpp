// The shell's desktop of the in-memory Windows: "Progman" with its
// SHELLDLL_DefView child and the SysListView32 that holds the icons, owned by
// a separate explorer process. The list view answers the list-view messages
// the desktop icon restorer sends, reading and writing its records in the
// explorer's memory with the explorer's own pointer size.
#include <cstring>

#include "state.h"

namespace fake {
namespace {

constexpr std::uint32_t kLvmGetItemCount = 0x1004;
constexpr std::uint32_t kLvmFindItemA = 0x100D;
constexpr std::uint32_t kLvmSetItemPosition = 0x100F;
constexpr std::uint32_t kLvmGetItemPosition = 0x1010;
constexpr std::uint32_t kLvmGetItemTextA = 0x102D;
constexpr std::uint32_t kLvmSetItemPosition32 = 0x1031;
constexpr std::uint32_t kLvfiString = 0x0002;
constexpr std::uint32_t kLvfiPartial = 0x0008;
constexpr std::intptr_t kLvsAutoArrange = 0x0100;

struct Desktop {
    std::vector<DesktopIcon> icons;
    std::uint32_t pid = 0;
    bool is64 = true;
    plat::HWnd listView = 0;
};

Desktop& desk() {
    static Desktop d;
    return d;
}

std::uint64_t readPointer(std::uintptr_t at) {
    if (desk().is64) {
        std::uint64_t p = 0;
        return readRemote(desk().pid, at, &p, 8) ? p : 0;
    }
    std::uint32_t p = 0;
    return readRemote(desk().pid, at, &p, 4) ? p : 0;
}

std::int32_t readInt(std::uintptr_t at) {
    std::int32_t v = 0;
    readRemote(desk().pid, at, &v, 4);
    return v;
}

// A zero-terminated ANSI text in the explorer's memory (at most 4095 bytes).
std::string readText(std::uintptr_t at) {
    std::string out;
    char c = 0;
    while (out.size() < 4095 && readRemote(desk().pid, at + out.size(), &c, 1) && c != 0) out.push_back(c);
    return out;
}

bool autoArrange() { return (plat::getWindowLongA(desk().listView, plat::kGwlStyle) & kLvsAutoArrange) != 0; }

void moveIcon(std::size_t index, int x, int y) {
    if (autoArrange()) return;  // the list view puts the icon back into its arranged place
    desk().icons[index].x = x;
    desk().icons[index].y = y;
}

std::intptr_t listViewProc(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam, bool) {
    auto& icons = desk().icons;
    auto at = static_cast<std::uintptr_t>(lParam);
    const bool in = wParam < icons.size();
    switch (msg) {
        case kLvmGetItemCount:
            return static_cast<std::intptr_t>(icons.size());
        case kLvmGetItemTextA: {
            // LVITEMA: pszText at 20 (32-bit) or 24 (64-bit), cchTextMax after it.
            if (!in) return 0;
            std::uintptr_t textAt = static_cast<std::uintptr_t>(readPointer(at + (desk().is64 ? 24 : 20)));
            std::int32_t capacity = readInt(at + (desk().is64 ? 32 : 24));
            if (capacity <= 0) return 0;
            std::string text = plat::wideToAnsi(icons[wParam].text);
            if (text.size() > static_cast<std::size_t>(capacity - 1)) text.resize(static_cast<std::size_t>(capacity - 1));
            if (!writeRemote(desk().pid, textAt, text.c_str(), text.size() + 1)) return 0;
            return static_cast<std::intptr_t>(text.size());
        }
        case kLvmGetItemPosition: {
            if (!in) return 0;
            std::int32_t point[2] = {icons[wParam].x, icons[wParam].y};
            return writeRemote(desk().pid, at, point, sizeof point) ? 1 : 0;
        }
        case kLvmFindItemA: {
            // LVFINDINFOA: flags at 0, psz at 4 (32-bit) or 8 (64-bit).
            std::int32_t flags = readInt(at);
            if (!(flags & (kLvfiString | kLvfiPartial))) return -1;
            std::wstring wanted = detail::upperW(plat::ansiToWide(readText(
                static_cast<std::uintptr_t>(readPointer(at + (desk().is64 ? 8 : 4))))));
            auto start = static_cast<std::intptr_t>(wParam);  // -1: from the first item
            for (std::size_t i = start < 0 ? 0 : static_cast<std::size_t>(start) + 1; i < icons.size(); ++i) {
                std::wstring name = detail::upperW(plat::ansiToWide(plat::wideToAnsi(icons[i].text)));
                bool hit = (flags & kLvfiPartial) ? name.compare(0, wanted.size(), wanted) == 0 : name == wanted;
                if (hit) return static_cast<std::intptr_t>(i);
            }
            return -1;
        }
        case kLvmSetItemPosition:
            if (!in) return 0;
            moveIcon(wParam, static_cast<std::int16_t>(lParam & 0xFFFF), static_cast<std::int16_t>((lParam >> 16) & 0xFFFF));
            return 1;
        case kLvmSetItemPosition32:
            if (!in) return 0;
            moveIcon(wParam, readInt(at), readInt(at + 4));
            return 1;
        default:
            return 0;
    }
}

}  // namespace

void addDesktop(const std::vector<DesktopIcon>& icons, bool autoArrangeOn, bool is64Bit) {
    Desktop& d = desk();
    d = Desktop();
    d.icons = icons;
    d.pid = kExplorerProcessId;
    d.is64 = is64Bit;
    registerProcess(d.pid, is64Bit);
    plat::HWnd progman = registerWindow({L"Progman", L"Program Manager", 0, d.pid, 0});
    plat::HWnd view = registerWindow({L"SHELLDLL_DefView", L"", progman, d.pid, 0});
    d.listView = registerWindow({L"SysListView32", L"FolderView", view, d.pid, autoArrangeOn ? kLvsAutoArrange : 0},
                                listViewProc);
}

std::vector<DesktopIcon> desktopIcons() { return desk().icons; }

bool desktopAutoArrange() { return desk().listView != 0 && autoArrange(); }

namespace detail {
void resetDesktop() { desk() = Desktop(); }
}  // namespace detail

}  // namespace fake
