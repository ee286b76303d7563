// Owners of device contexts: a window's or the screen's context (GetDC,
// given back with ReleaseDC), a memory context (CreateCompatibleDC, deleted
// with DeleteDC), and an object selected into a context for a while (the
// previous object is selected again when the selection goes).
#pragma once

#include <windows.h>

#include "ui/Handles.h"

namespace twui {

// GetDC of a window (null: the screen), released when it goes.
class WindowDC {
public:
    explicit WindowDC(HWND window = nullptr) : window_(window), dc_(GetDC(window)) {}
    ~WindowDC() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

struct MemoryDCTraits {
    static HDC empty() { return nullptr; }
    static void close(HDC dc) { DeleteDC(dc); }
};

// A memory device context compatible with another one, deleted when it goes.
class MemoryDC : public plat::win::UniqueHandle<HDC, MemoryDCTraits> {
public:
    explicit MemoryDC(HDC like) : UniqueHandle(CreateCompatibleDC(like)) {}
};

// An object selected into a device context until this goes; then the object
// selected before is selected again.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(dc ? SelectObject(dc, object) : nullptr) {}
    ~Selection() {
        if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace twui
