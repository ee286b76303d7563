#include "desktop/DesktopIcons.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "desktop/RemoteBuffer_functions.h"
#include "platform/common.h"

namespace tw {

namespace {

constexpr std::uint32_t kLvmGetItemCount = 0x1004;
constexpr std::uint32_t kLvmFindItemW = 0x1053;
constexpr std::uint32_t kLvmSetItemPosition = 0x100F;
constexpr std::uint32_t kLvmGetItemPosition = 0x1010;
constexpr std::uint32_t kLvmGetItemTextW = 0x1073;
constexpr std::uint32_t kLvmSetItemPosition32 = 0x1031;
constexpr std::uint32_t kLvfiString = 0x0002;
constexpr std::intptr_t kLvsAutoArrange = 0x0100;

// Text plus its terminating zero, in UTF-16 characters, and its size in bytes.
constexpr std::int32_t kTextCapacity = static_cast<std::int32_t>(kMaxIconText) + 1;
constexpr std::size_t kTextBytes = kTextCapacity * sizeof(char16_t);

constexpr ListViewLayout kLayout32 = {4, 20, 24, 40, 4, 24};
constexpr ListViewLayout kLayout64 = {8, 24, 32, 88, 8, 40};

// Where a point for LVM_SETITEMPOSITION32 goes while placing: past the
// longest find record and text of either layout.
constexpr std::size_t kPlacePointAt = 640;
static_assert(kPlacePointAt >= kLayout64.findText + kTextBytes && kPlacePointAt + 8 <= kRemoteBufferSize);
static_assert(kLayout64.textArea + kTextBytes <= kRemoteBufferSize);

bool isClass(plat::HWnd window, const wchar_t* name) {
    return window != 0 && equalsIgnoreCase(plat::getClassName(window), std::wstring(name));
}

// The "SysListView32" child of a "SHELLDLL_DefView" child of Parent.
plat::HWnd listViewBelow(plat::HWnd parent) {
    const std::wstring defView = L"SHELLDLL_DefView";
    const std::wstring listView = L"SysListView32";
    for (plat::HWnd view = plat::findWindowEx(parent, 0, &defView, nullptr); view != 0;
         view = plat::findWindowEx(parent, view, &defView, nullptr)) {
        if (plat::HWnd list = plat::findWindowEx(view, 0, &listView, nullptr)) return list;
    }
    return 0;
}

void putPointer(std::vector<std::uint8_t>& record, std::size_t at, std::uint64_t value,
                std::size_t size) {
    if (size == 4) {
        const auto narrow = static_cast<std::uint32_t>(value);
        std::memcpy(record.data() + at, &narrow, 4);
    } else {
        std::memcpy(record.data() + at, &value, 8);
    }
}

void putInt(std::vector<std::uint8_t>& record, std::size_t at, std::int32_t value) {
    std::memcpy(record.data() + at, &value, 4);
}

// The shell's list view and a remote buffer in its process, with the
// record layout of that process. Not connected when there is no list view.
struct Connection {
    plat::HWnd listView = 0;
    RemoteBuffer buffer;
    const ListViewLayout* layout = nullptr;

    bool connect() {
        listView = GetDesktopListView();
        if (listView == 0) return false;
        std::uint32_t processId = 0;
        plat::getWindowThreadProcessId(listView, processId);
        if (processId == 0) return false;
        buffer = AllocRemoteBuffer(processId, kRemoteBufferSize);
        const bool shell64 = plat::isProcess64Bit(buffer.process());
        layout = &ListViewLayoutFor(shell64);
        // A 32-bit list view can only follow pointers below 4 GB; a pointer
        // cut short would make it read and write elsewhere in its memory.
        const std::uint64_t last = std::uint64_t{buffer.address()} + kRemoteBufferSize - 1;
        if (!shell64 && last > std::numeric_limits<std::uint32_t>::max())
            throw AppError(L"The desktop's icons cannot be reached: the buffer in the shell's "
                           L"process lies beyond what a 32-bit process can address.");
        return true;
    }
    std::intptr_t at(std::size_t offset) const {
        return static_cast<std::intptr_t>(buffer.address() + offset);
    }
};

// Writes the list view's style back on every way out of placing.
class StyleRestorer {
public:
    StyleRestorer(plat::HWnd window, std::intptr_t style) : window_(window), style_(style) {}
    ~StyleRestorer() { plat::setWindowLong(window_, plat::kGwlStyle, style_); }
    StyleRestorer(const StyleRestorer&) = delete;
    StyleRestorer& operator=(const StyleRestorer&) = delete;

private:
    plat::HWnd window_;
    std::intptr_t style_;
};

bool fitsShort(std::int32_t v) { return v >= -32768 && v <= 32767; }

}  // namespace

const ListViewLayout& ListViewLayoutFor(bool shellIs64Bit) { return shellIs64Bit ? kLayout64 : kLayout32; }

plat::HWnd GetDesktopListView() {
    const std::wstring progmanClass = L"Progman";
    plat::HWnd progman = plat::findWindow(progmanClass, nullptr);
    if (progman != 0) {
        plat::HWnd child = plat::findWindowEx(progman, 0, nullptr, nullptr);
        plat::HWnd grandChild = child ? plat::findWindowEx(child, 0, nullptr, nullptr) : 0;
        if (isClass(grandChild, L"SysListView32") && isClass(plat::getParent(grandChild), L"SHELLDLL_DefView"))
            return grandChild;
        if (plat::HWnd list = listViewBelow(progman)) return list;
    }
    // Since Windows 7 the desktop's view may move into a "WorkerW" window
    // (wallpaper slide shows and the like).
    const std::wstring workerClass = L"WorkerW";
    for (plat::HWnd worker = plat::findWindowEx(0, 0, &workerClass, nullptr); worker != 0;
         worker = plat::findWindowEx(0, worker, &workerClass, nullptr)) {
        if (plat::HWnd list = listViewBelow(worker)) return list;
    }
    return 0;
}

void ReadDesktopIcons(std::vector<DesktopIconEntry>& list) {
    Connection c;
    if (!c.connect()) return;
    const ListViewLayout& l = *c.layout;
    const std::intptr_t count = std::max<std::intptr_t>(0, plat::sendMessageW(c.listView, kLvmGetItemCount, 0, 0));

    // LVITEMW: everything zero but the text pointer and its capacity.
    std::vector<std::uint8_t> item(l.textArea, 0);
    putPointer(item, l.itemTextPointer, c.buffer.address() + l.textArea, l.pointerSize);
    putInt(item, l.itemTextMax, kTextCapacity);
    WriteRemoteBuffer(c.buffer, item.data(), c.buffer.address(), item.size());

    list.clear();
    char16_t text[kTextCapacity];
    const std::uint8_t zeros[8] = {};
    for (std::intptr_t i = 0; i < count; ++i) {
        const auto index = static_cast<std::uintptr_t>(i);
        std::intptr_t n = plat::sendMessageW(c.listView, kLvmGetItemTextW, index, c.at(0));
        n = std::clamp<std::intptr_t>(n, 0, kTextCapacity - 1);
        std::memset(text, 0, sizeof text);
        ReadRemoteBuffer(c.buffer, c.buffer.address() + l.textArea, text,
                         (static_cast<std::size_t>(n) + 1) * sizeof(char16_t));
        const std::u16string name(text, std::find(text, text + n, u'\0'));

        WriteRemoteBuffer(c.buffer, zeros, c.buffer.address() + l.textArea, sizeof zeros);
        plat::sendMessageW(c.listView, kLvmGetItemPosition, index, c.at(l.textArea));
        std::int32_t point[2] = {0, 0};
        ReadRemoteBuffer(c.buffer, c.buffer.address() + l.textArea, point, sizeof point);
        list.push_back({fromUtf16(name), {point[0], point[1]}});
    }
    FreeRemoteBuffer(c.buffer);
}

void PlaceDesktopIcons(const std::vector<std::wstring>& names, const PositionOf& positionOf) {
    Connection c;
    if (!c.connect()) return;
    const ListViewLayout& l = *c.layout;
    {
        const std::intptr_t style = plat::getWindowLong(c.listView, plat::kGwlStyle);
        StyleRestorer restorer(c.listView, style);
        if (style & kLvsAutoArrange) plat::setWindowLong(c.listView, plat::kGwlStyle, style & ~kLvsAutoArrange);

        std::vector<std::uint8_t> find;
        for (std::size_t i = names.size(); i-- > 0;) {
            const TCoord pos = positionOf(names[i]);
            if (pos.X == -1 || pos.Y == -1) continue;
            const std::u16string text = toUtf16(names[i]);
            // The requests carry at most 255 characters of text; a longer
            // name cannot be any icon's text as the list view reports it.
            if (text.size() > kMaxIconText) continue;

            const std::size_t bytes = text.size() * sizeof(char16_t);
            find.assign(l.findText + bytes + sizeof(char16_t), 0);
            putInt(find, 0, static_cast<std::int32_t>(kLvfiString));
            putPointer(find, l.findTextPointer, c.buffer.address() + l.findText, l.pointerSize);
            std::memcpy(find.data() + l.findText, text.data(), bytes);
            WriteRemoteBuffer(c.buffer, find.data(), c.buffer.address(), find.size());

            const std::intptr_t index =
                plat::sendMessageW(c.listView, kLvmFindItemW, static_cast<std::uintptr_t>(-1), c.at(0));
            if (index < 0) continue;
            const auto item = static_cast<std::uintptr_t>(index);
            if (fitsShort(pos.X) && fitsShort(pos.Y)) {
                const auto packed = (static_cast<std::uint32_t>(pos.X) & 0xFFFFu) |
                                    ((static_cast<std::uint32_t>(pos.Y) & 0xFFFFu) << 16);
                plat::sendMessageW(c.listView, kLvmSetItemPosition, item, static_cast<std::intptr_t>(packed));
            } else {
                // Sixteen bits would wrap the position; the 32-bit form
                // takes a point in the shell's memory.
                const std::int32_t point[2] = {pos.X, pos.Y};
                WriteRemoteBuffer(c.buffer, point, c.buffer.address() + kPlacePointAt, sizeof point);
                plat::sendMessageW(c.listView, kLvmSetItemPosition32, item, c.at(kPlacePointAt));
            }
        }
    }
    FreeRemoteBuffer(c.buffer);
}

}  // namespace tw
