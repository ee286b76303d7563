// The windows and the memory of other programs, for the desktop's icon
// positions, which live in a list view of Explorer's process
// (desktop/RemoteBuffer_functions.h). Handles and errors as in
// platform/platform.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace plat {

// ------------------------------------------------ windows of other programs ----

using HWnd = std::uintptr_t;  // 0: none

HWnd findWindow(const std::wstring& className, const std::wstring* title);
HWnd findWindowEx(HWnd parent, HWnd childAfter, const std::wstring* className,
                  const std::wstring* title);
std::wstring getClassName(HWnd window);
HWnd getParent(HWnd window);
std::uint32_t getWindowThreadProcessId(HWnd window, std::uint32_t& processId);
std::intptr_t getWindowLong(HWnd window, int index);
std::intptr_t setWindowLong(HWnd window, int index, std::intptr_t value);
std::intptr_t sendMessageW(HWnd window, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam);

inline constexpr int kGwlStyle = -16;
inline constexpr int kSmCxScreen = 0;
inline constexpr int kSmCyScreen = 1;
int getSystemMetrics(int index);
// ChangeDisplaySettingsW with a DEVMODEW carrying only width and
// height (DM_PELSWIDTH | DM_PELSHEIGHT) and the given flags.
std::int32_t changeDisplayResolution(std::uint32_t width, std::uint32_t height, std::uint32_t flags);

// -------------------------------------------------- memory of other processes ----

inline constexpr std::uint32_t kProcessAllAccessLegacy = 0x1F0FFF;
inline constexpr std::uint32_t kMemCommit = 0x1000;
inline constexpr std::uint32_t kMemRelease = 0x8000;
inline constexpr std::uint32_t kPageExecuteReadWrite = 0x40;
inline constexpr std::uint32_t kPageReadWrite = 0x04;

Error openProcess(std::uint32_t access, std::uint32_t processId, Handle& process);
Error virtualAllocEx(Handle process, std::size_t size, std::uint32_t allocationType,
                     std::uint32_t protect, std::uintptr_t& address);
Error virtualFreeEx(Handle process, std::uintptr_t address, std::size_t size, std::uint32_t freeType);
Error readProcessMemory(Handle process, std::uintptr_t address, void* buffer, std::size_t size,
                        std::size_t& read);
Error writeProcessMemory(Handle process, std::uintptr_t address, const void* buffer,
                         std::size_t size, std::size_t& written);

}  // namespace plat
