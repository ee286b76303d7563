// Owners of Windows handles: each closes its handle once, when it goes, with
// the call that handle kind needs. One owner type per kind of handle; the
// device contexts have theirs in ui/DeviceContext.h.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace twui {

// A handle closed by Close when the owner goes or is given another handle.
template <typename H, BOOL(WINAPI* Close)(H)>
class Owned {
public:
    Owned() = default;
    explicit Owned(H h) : h_(h) {}
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Owned(Owned&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    Owned& operator=(Owned&& o) noexcept {
        if (this != &o) reset(std::exchange(o.h_, nullptr));
        return *this;
    }
    ~Owned() { reset(); }
    void reset(H h = nullptr) {
        if (h_ != nullptr) Close(h_);
        h_ = h;
    }
    H get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }

private:
    H h_ = nullptr;
};

inline BOOL WINAPI DeleteGdiObject(HGDIOBJ h) { return DeleteObject(h); }
inline BOOL WINAPI DestroyImageList(HIMAGELIST h) { return ImageList_Destroy(h); }
inline BOOL WINAPI DestroyMenuHandle(HMENU h) { return DestroyMenu(h); }
inline BOOL WINAPI CloseKernelHandle(HANDLE h) { return CloseHandle(h); }
inline BOOL WINAPI FreeLocalMemory(HLOCAL h) { return LocalFree(h) == nullptr; }

// A pen, brush, font or bitmap (DeleteObject).
using GdiObject = Owned<HGDIOBJ, DeleteGdiObject>;
// An image list (ImageList_Destroy).
using ImageList = Owned<HIMAGELIST, DestroyImageList>;
// A menu that is no window's menu bar (DestroyMenu).
using Menu = Owned<HMENU, DestroyMenuHandle>;
// A process or thread handle (CloseHandle); null when there is none.
using KernelHandle = Owned<HANDLE, CloseKernelHandle>;
// Memory a system call allocated for its caller (LocalFree).
using LocalMemory = Owned<HLOCAL, FreeLocalMemory>;

}  // namespace twui
