// Owners of the window code's handles: each closes its handle once, when it
// goes, with the call that kind of handle needs. They are the platform's
// owner (platform/win32/handles.h) with the window kinds added; the device
// contexts have theirs in ui/DeviceContext.h.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "platform/win32/handles.h"

namespace twui {

struct GdiObjectTraits {
    static HGDIOBJ empty() { return nullptr; }
    static void close(HGDIOBJ h) { DeleteObject(h); }
};
struct ImageListTraits {
    static HIMAGELIST empty() { return nullptr; }
    static void close(HIMAGELIST h) { ImageList_Destroy(h); }
};
struct MenuTraits {
    static HMENU empty() { return nullptr; }
    static void close(HMENU h) { DestroyMenu(h); }
};
struct LocalMemoryTraits {
    static HLOCAL empty() { return nullptr; }
    static void close(HLOCAL h) { LocalFree(h); }
};

// A pen, brush, font or bitmap (DeleteObject).
using GdiObject = plat::win::UniqueHandle<HGDIOBJ, GdiObjectTraits>;
// An image list (ImageList_Destroy).
using ImageList = plat::win::UniqueHandle<HIMAGELIST, ImageListTraits>;
// A menu that is no window's menu bar (DestroyMenu).
using Menu = plat::win::UniqueHandle<HMENU, MenuTraits>;
// A process or thread handle (CloseHandle); null when there is none.
using plat::win::KernelHandle;
// Memory a system call allocated for its caller (LocalFree).
using LocalMemory = plat::win::UniqueHandle<HLOCAL, LocalMemoryTraits>;

}  // namespace twui
