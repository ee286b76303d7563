// Scoped device contexts and selections for paint code: a memory DC, the
// screen's DC and an object selected into a DC, each given back when the
// scope ends, so that no paint code releases anything by hand.
#pragma once

#include <windows.h>

#include "app/win/WinCommon.h"

namespace twui {

inline BOOL WINAPI DeleteMemoryDC(HDC dc) { return DeleteDC(dc); }
// From CreateCompatibleDC.
using MemoryDC = Owned<HDC, DeleteMemoryDC>;

// The screen's DC (GetDC(nullptr)), released at the end of the scope.
class ScreenDC {
public:
    ScreenDC() : dc_(GetDC(nullptr)) {}
    ~ScreenDC() {
        if (dc_) ReleaseDC(nullptr, dc_);
    }
    ScreenDC(const ScreenDC&) = delete;
    ScreenDC& operator=(const ScreenDC&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// An object selected into a DC; the one it replaced is selected back.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~Selected() {
        if (old_) SelectObject(dc_, old_);
    }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace twui
