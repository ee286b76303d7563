// Control side of the in-memory Windows used by the native unit tests.
//
// The fake implements every function of platform/platform.h. It models a
// Windows machine: drives with case-insensitive names, files with attributes
// and contents, folders that cannot be removed while not empty, open handles
// that block deletion, the restart queue (PendingFileRenameOperations), a
// registry with typed values, the process token with its privileges, message
// boxes answered from a script, the clock and the user's locale.
//
// Tests fill it with the builder calls below, run the core, and read the
// state back. fake::reset() gives a fresh machine (call it in SetUp).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace fake {

// A fresh machine: drive C: holding only the executable
// "C:\\Tools\\Tidewell\\Tidewell.exe" (so the program folder exists) and the
// folder TEMP names, environment SYSTEMROOT=WINDIR=C:\\WINDOWS,
// TEMP=TMP=C:\\Users\\User\\AppData\\Local\\Temp, USERPROFILE,
// HOMEDRIVE=C:, ProgramFiles=C:\\Program Files, ProgramData=C:\\ProgramData,
// APPDATA / LOCALAPPDATA under C:\\Users\\User\\AppData, empty registry roots,
// the token holding (not enabled) SeBackupPrivilege, SeRestorePrivilege and
// SeShutdownPrivilege, date "12/5/2026", time "6:01:23 AM", decimal ".".
void reset();

// ---- files ----
void addFolder(const std::string& path);  // with missing parents
void addFile(const std::string& path, const std::string& content = {},
             std::uint32_t attributes = plat::kAttrArchive);  // parents created
void addFileBytes(const std::string& path, const std::vector<std::uint8_t>& content,
                  std::uint32_t attributes = plat::kAttrArchive);
bool exists(const std::string& path);  // file or folder
bool isFolder(const std::string& path);
std::string content(const std::string& path);  // throws when absent
std::vector<std::uint8_t> contentBytes(const std::string& path);
std::uint32_t attributes(const std::string& path);
// Names directly in a folder, in the order the fake's search returns them.
std::vector<std::string> list(const std::string& folder);
// Full paths (stored letter case) of everything below a folder, files and
// folders, recursively, sorted without regard to case.
std::vector<std::string> tree(const std::string& folder);

// ---- links, short names, the code page ----
// A folder link (junction) at path, leading to target; whatever was at path
// goes. It shows the attributes 0x410; paths through it lead to the target,
// and removing it removes the link alone.
void addLink(const std::string& path, const std::string& target);
// An 8.3 name ("PROGRA~1") that stands for the existing entry at path.
void setShortName(const std::string& path, const std::string& shortName);
// The ANSI code page: 1252 after reset, or a double-byte one (932, 936, 949,
// 950), where a lead byte and the byte after it are one character whose
// second byte may be 0x5C, the backslash: "表" is 0x95 0x5C in 932, "功"
// 0xA5 0x5C in 950. Byte pairs the fake has no name for still round-trip.
void setAnsiCodePage(int codePage);
// Called with the path of each entry plat::openEntryAt is about to open:
// lets a test change the machine between a listing and the opening of its
// entries.
void onOpenEntry(std::function<void(const std::string& path)> hook);
// Wine's way: openEntry and openEntryAt follow a final link as well.
void setOpenFollowsLinks(bool follows);
// What plat::systemFolder answers (nothing: the system has no such folder).
// After reset: C:\WINDOWS, C:\WINDOWS\system32, C:\WINDOWS\SysWOW64,
// C:\Program Files, C:\Program Files (x86), C:\ProgramData, C:\Users,
// C:\Users\Public, C:\Users\User and its AppData roots; the ProfileList
// names the system profile, the two service profiles and C:\Users\User.
void setSystemFolder(plat::SystemFolder which, std::optional<std::string> path);

// ---- faults, per path (case-insensitive) ----
enum class Fault {
    Locked,        // held open by another process that lets others read: reading and copying it
                   // work; deleting, overwriting and removing (a folder) fail with a sharing violation
    CopyFails,     // copying this file (as source) fails with access denied
    WriteFails,    // writing, creating or profile-writing this path fails (access denied)
    AccessDenied,  // reading and changing the path are refused (access denied), moveFileAtReboot
                   // included (as for a user without administrator rights); listing and
                   // getFileAttributes still see it
    SaveFails,     // regSaveKey to this file fails (access denied)
};
void setFault(const std::string& path, Fault fault);
void clearFault(const std::string& path, Fault fault);

// The restart queue as PendingFileRenameOperations holds it: pairs of
// (source, target); an empty target means "delete".
struct PendingRename {
    std::string from;
    std::string to;
};
std::vector<PendingRename> restartQueue();

// ---- environment, program, clock, locale ----
void setEnv(const std::string& name, std::optional<std::string> value);
void setExecutablePath(const std::string& path);  // creates the file when missing
void setDate(const std::wstring& shortDate);  // what shortDateText() returns
void setTime(const std::wstring& longTime);   // what longTimeText() returns
// Called on every shortDateText()/longTimeText(); lets a test move the clock.
void onClockRead(std::function<void()> hook);
void setDecimalSeparator(const std::wstring& separator);
void setDbcs(bool dbcs);

// ---- registry ----
// Paths are "Software\\Vendor\\Key" below a root (kHKeyLocalMachine, ...).
void addKey(plat::HKey root, const std::string& path);
void setString(plat::HKey root, const std::string& path, const std::string& name,
               const std::string& value, std::uint32_t type = plat::kRegSz);
void setDword(plat::HKey root, const std::string& path, const std::string& name, std::uint32_t value);
void setValue(plat::HKey root, const std::string& path, const std::string& name, std::uint32_t type,
              const std::vector<std::uint8_t>& data);
bool keyExists(plat::HKey root, const std::string& path);
bool valueExists(plat::HKey root, const std::string& path, const std::string& name);
std::optional<std::string> stringValue(plat::HKey root, const std::string& path, const std::string& name);
std::vector<std::string> subKeys(plat::HKey root, const std::string& path);
// A key that can be opened for reading only: opening with any write right,
// deleting it and deleting its values fail with kErrAccessDenied.
void setKeyReadOnly(plat::HKey root, const std::string& path, bool readOnly = true);
// A whole-registry dump, for comparing states ("root\\path" -> values).
std::string registryDump();
// Number of registry handles open right now (leak checks).
int openKeyCount();

// ---- token ----
// Whether the account holds a privilege at all (held privileges start disabled).
void setPrivilegeHeld(const std::string& name, bool held);
bool privilegeEnabled(const std::string& name);
// Every enable/disable that took effect, in order, e.g. "+SeBackupPrivilege",
// "-SeBackupPrivilege" (an adjustment of a privilege not held is not logged).
std::vector<std::string> privilegeLog();
int openHandleCount();
// InitiateSystemShutdown calls so far (a call succeeds only while
// SeShutdownPrivilege is enabled).
int shutdownRequests();

// ---- windows and memory of other programs ----
// Windows are found in the order they were registered (their Z order).
struct WindowSpec {
    std::wstring className;
    std::wstring title;
    plat::HWnd parent = 0;  // 0: a top-level window
    std::uint32_t processId = 0;
    std::intptr_t style = 0;  // what getWindowLongA(kGwlStyle) returns
};
// Answers sendMessageA (wide == false) and sendMessageW (wide == true).
using MessageHandler =
    std::function<std::intptr_t(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam, bool wide)>;
plat::HWnd registerWindow(const WindowSpec& spec, MessageHandler handler = {});
// A process that openProcess can open; its memory is what virtualAllocEx commits.
void registerProcess(std::uint32_t processId, bool is64Bit = true);
// Access to a registered process's committed memory, for message handlers;
// false when the range is not committed.
bool readRemote(std::uint32_t processId, std::uintptr_t address, void* buffer, std::size_t size);
bool writeRemote(std::uint32_t processId, std::uintptr_t address, const void* data, std::size_t size);
// Blocks committed and not yet released, over all processes (leak checks).
int remoteAllocationCount();
// Screen size for getSystemMetrics (1024 x 768 after reset).
void setScreenSize(int width, int height);
struct DisplayChange {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t flags = 0;
};
std::vector<DisplayChange> displayChanges();

// The shell's desktop: "Progman" > "SHELLDLL_DefView" > "SysListView32"
// ("FolderView"), owned by an explorer process (kExplorerProcessId) of the
// given bitness. The list view answers LVM_GETITEMCOUNT, LVM_GETITEMTEXTA,
// LVM_GETITEMPOSITION, LVM_FINDITEMA (LVFI_STRING, LVFI_PARTIAL; letter case
// ignored, texts compared in their ANSI form), LVM_SETITEMPOSITION and
// LVM_SETITEMPOSITION32, reading LVITEMA and LVFINDINFOA in the explorer's
// own layout. While its style has LVS_AUTOARRANGE a moved icon stays where
// the arrangement puts it (its position does not change).
inline constexpr std::uint32_t kExplorerProcessId = 4242;
struct DesktopIcon {
    std::wstring text;
    std::int32_t x = 0;
    std::int32_t y = 0;
};
void addDesktop(const std::vector<DesktopIcon>& icons, bool autoArrange = false, bool is64Bit = true);
std::vector<DesktopIcon> desktopIcons();  // current texts and positions, in item order
bool desktopAutoArrange();

// ---- message boxes ----
struct MessageBoxCall {
    std::wstring text;
    std::wstring caption;
    std::uint32_t flags = 0;
};
// Answers given to the next message boxes, in order; kIdOk when the queue is empty.
void queueMessageBoxAnswer(int answer);
std::vector<MessageBoxCall> messageBoxes();
// ShellExecute calls: (file, show).
std::vector<std::pair<std::string, int>> shellOpens();

}  // namespace fake
