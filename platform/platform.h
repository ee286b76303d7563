// Plain operations over the Windows API.
//
// The portable core talks to Windows only through the functions declared here.
// Two implementations exist and exactly one is linked into a program:
//   platform/win32/   the real Win32 calls (MinGW and MSVC builds)
//   tests/fake/       an in-memory Windows used by the native unit tests
//
// Conventions
// - Function names are lowerCamelCase so that the A/W macros of <windows.h>
//   (DeleteFile, RegOpenKey, MessageBox ...) never rename them.
// - Functions return Win32 error codes (plat::Error, kOk on success) or the
//   value the Win32 call returns; nothing here throws.
// - Every text is wide (UTF-16 on Windows) and every call is the "W" form:
//   a name is never converted to the ANSI code page between the listing and
//   the action, so no "best fit" character can turn into a separator.
// - On Windows std::wstring holds UTF-16; on Linux (fake) it holds UTF-32.
//   Use plat::toUtf16 / plat::fromUtf16 (platform/common.h) where bytes must be UTF-16.
// - Handles are opaque integers with the same values the Win32 calls use, so
//   predefined registry roots compare equal to HKEY_LOCAL_MACHINE and so on.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace plat {

using Error = std::uint32_t;

// Win32 error codes the core looks at.
inline constexpr Error kOk = 0;
inline constexpr Error kErrFileNotFound = 2;
inline constexpr Error kErrPathNotFound = 3;
inline constexpr Error kErrAccessDenied = 5;
inline constexpr Error kErrInvalidHandle = 6;
inline constexpr Error kErrNotEnoughMemory = 8;
inline constexpr Error kErrWriteProtect = 19;
inline constexpr Error kErrSharingViolation = 32;
inline constexpr Error kErrFileExists = 80;
inline constexpr Error kErrInvalidParameter = 87;
inline constexpr Error kErrDirNotEmpty = 145;
inline constexpr Error kErrBadPathname = 161;
inline constexpr Error kErrAlreadyExists = 183;
inline constexpr Error kErrMoreData = 234;
inline constexpr Error kErrNoMoreItems = 259;
inline constexpr Error kErrNotAllAssigned = 1300;
inline constexpr Error kErrNoSuchPrivilege = 1313;
inline constexpr Error kErrPrivilegeNotHeld = 1314;
inline constexpr Error kErrKeyDeleted = 1018;

// ---------------------------------------------------------------- files ----

inline constexpr std::uint32_t kAttrReadOnly = 0x01;
inline constexpr std::uint32_t kAttrHidden = 0x02;
inline constexpr std::uint32_t kAttrSystem = 0x04;
inline constexpr std::uint32_t kAttrDirectory = 0x10;
inline constexpr std::uint32_t kAttrArchive = 0x20;
inline constexpr std::uint32_t kAttrNormal = 0x80;
inline constexpr std::uint32_t kAttrReparsePoint = 0x400;  // junction or symbolic link
inline constexpr std::uint32_t kInvalidAttributes = 0xFFFFFFFFu;

// One entry as FindFirstFileW/FindNextFileW report it.
struct FindData {
    std::wstring name;           // cFileName
    std::uint32_t attributes = 0;
    std::uint64_t size = 0;      // nFileSizeHigh:nFileSizeLow
};

// Every entry matching Pattern (a folder followed by a wildcard name, e.g.
// "C:\\WINDOWS\\system32\\nv*.*"), in the order the file system returns them,
// "." and ".." included when the pattern matches them. Returns kOk (also for
// no match: kErrFileNotFound from FindFirstFile is reported as an empty list
// with kOk) or the error of FindFirstFileW, e.g. kErrPathNotFound.
Error findEntries(const std::wstring& pattern, std::vector<FindData>& out);
// The "." and ".." entries of a listing: never a name to act on.
inline bool isDots(const std::wstring& name) { return name == L"." || name == L".."; }

std::uint32_t getFileAttributes(const std::wstring& path);  // kInvalidAttributes when absent
Error setFileAttributes(const std::wstring& path, std::uint32_t attributes);
Error deleteFile(const std::wstring& path);
Error copyFile(const std::wstring& from, const std::wstring& to, bool failIfExists);
Error createDirectory(const std::wstring& path);
Error removeDirectory(const std::wstring& path);
// MoveFileExW(from, to or NULL when empty, MOVEFILE_DELAY_UNTIL_REBOOT).
Error moveFileAtReboot(const std::wstring& from, const std::wstring& to);

// ---- files and folders reached through handles ----
// A file or folder is opened without following a final link (CreateFileW with
// FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT), so a junction or
// symbolic link is the link itself; links in the middle of a path are
// followed. Wine follows even a final link (the handle is the target's): a
// caller that must not leave a folder checks the final path of what it opened.

// Owner of one open file or folder; closes it when it goes.
class EntryHandle {
public:
    EntryHandle() = default;
    ~EntryHandle();
    EntryHandle(const EntryHandle&) = delete;
    EntryHandle& operator=(const EntryHandle&) = delete;
    EntryHandle(EntryHandle&& other) noexcept;
    EntryHandle& operator=(EntryHandle&& other) noexcept;
    explicit operator bool() const { return value_ != 0; }
    std::uintptr_t get() const { return value_; }
    void reset(std::uintptr_t value = 0);

private:
    std::uintptr_t value_ = 0;
};

// What an open handle reaches: its attributes (GetFileInformationByHandleEx
// with FileBasicInfo) and its final path (GetFinalPathNameByHandleW, "\\?\"
// and "\\?\UNC\" removed: "C:\Users\User", "\\server\share\x").
struct EntryInfo {
    std::uint32_t attributes = 0;
    std::wstring finalPath;
};

// One entry of a folder listed through its handle ("." and ".." left out).
struct DirEntry {
    std::wstring name;
    std::uint32_t attributes = 0;
};

inline constexpr std::uint32_t kOpenForDelete = 1;   // ask for the right to delete as well
inline constexpr std::uint32_t kOpenFollowLink = 2;  // a final link leads to its target
// openEntryAt only: a missing folder is made (an existing one opened), or a
// file is made anew for writing (one there is emptied; never a folder).
inline constexpr std::uint32_t kCreateFolder = 4;
inline constexpr std::uint32_t kCreateFile = 8;
// Opens a path (the forms CreateFileW accepts). With kOpenForDelete, when
// another program's sharing or the rights refuse deletion, the entry is
// still opened for reading and deleteEntry reports the refusal.
Error openEntry(const std::wstring& path, std::uint32_t flags, EntryHandle& out);
// Opens one name inside an open folder, relative to its handle (NtCreateFile
// with the folder as root): no path text is rebuilt.
Error openEntryAt(const EntryHandle& folder, const std::wstring& name, std::uint32_t flags, EntryHandle& out);
Error entryInfo(const EntryHandle& entry, EntryInfo& out);
// The serial number of the volume an open entry lies on: two entries on one
// volume share it.
Error entryVolume(const EntryHandle& entry, std::uint32_t& serial);
// The entries of an open folder (GetFileInformationByHandleEx with
// FileIdBothDirectoryInfo), in the file system's order.
Error listEntries(const EntryHandle& folder, std::vector<DirEntry>& out);
// Deletes what the handle reaches (SetFileInformationByHandle with
// FileDispositionInfo): a file, an empty folder, or a link itself. It goes
// when the last handle closes.
Error deleteEntry(const EntryHandle& entry);

// Copies the content of an open file, read through its handle from the start,
// into a new file at `to` (one already there is replaced), with the source's
// last-write time and attributes as CopyFileW gives them. No path of the
// source is read again, so what is copied is what was opened and judged.
Error copyEntryTo(const EntryHandle& source, const std::wstring& to);
// The same into a file already made for writing (openEntryAt with kCreateFile).
Error copyEntryInto(const EntryHandle& source, const EntryHandle& target);
// Reads an open file from its start, at most `limit` bytes (kErrNotEnoughMemory
// when it holds more): what is read is what was opened and judged.
Error readEntryBytes(const EntryHandle& file, std::size_t limit, std::vector<std::uint8_t>& out);

// ---- who can change a folder, and the restart queue ----
// True when only administrators can change what the handle reaches, as the
// system reports its owner and access list (GetSecurityInfo): the owner is
// Administrators, SYSTEM or TrustedInstaller, and no access entry that applies
// to it (inherit-only ones do not) lets another account write, add, delete,
// delete below, or change the access list or the owner. On a drive root
// adding a file or folder is allowed to others (Windows lets every signed-in
// user make folders there): adding never moves a name that is there.
// Wine (8.0) reports every file and folder as owned by the running user and
// keeps no descriptor that is set (SetSecurityInfo succeeds, nothing stays).
bool onlyAdminsCanChange(const EntryHandle& entry, bool driveRoot);
// Makes a folder whose owner is Administrators and which only Administrators
// and SYSTEM can reach (an explicit, protected access list); kErrAlreadyExists
// when it is there.
Error createAdminOnlyFolder(const std::wstring& path);
// Moves what the handle reaches (opened with the right to delete) to the
// full path `to` (SetFileInformationByHandle with FileRenameInfo); an entry
// there is never replaced.
Error moveEntry(const EntryHandle& entry, const std::wstring& to);

// Folders the system names (not the environment). Empty when the system has
// none, e.g. SysWOW64 on a 32-bit Windows.
enum class SystemFolder {
    Windows,             // GetWindowsDirectoryW
    SystemWindows,       // GetSystemWindowsDirectoryW
    System,              // GetSystemDirectoryW
    SystemWow64,         // GetSystemWow64DirectoryW
    ProgramFiles,        // SHGetKnownFolderPath: FOLDERID_ProgramFiles
    ProgramFilesX86,     // FOLDERID_ProgramFilesX86
    ProgramFilesX64,     // FOLDERID_ProgramFilesX64 (64-bit processes only)
    ProgramData,         // FOLDERID_ProgramData
    Public,              // FOLDERID_Public
    UserProfiles,        // FOLDERID_UserProfiles
    Profile,             // FOLDERID_Profile
    RoamingAppData,      // FOLDERID_RoamingAppData
    LocalAppData,        // FOLDERID_LocalAppData
    LocalAppDataLow,     // FOLDERID_LocalAppDataLow
};
std::wstring systemFolder(SystemFolder which);

// Every known folder the system reports (IKnownFolderManager::GetFolderIds,
// GetFolder, GetPath with KF_FLAG_DONT_VERIFY), the virtual ones (no place in
// the file system) left out: the machine's (Fonts, Common Files, the common
// Start Menu ...) and the running user's (Start Menu, the Internet cache ...).
// Wine reports 104, 21 of them virtual, and gives a path for 53 of the others
// (the rest answer ERROR_FILE_NOT_FOUND or E_INVALIDARG); its Desktop,
// Documents, Music, Pictures, Videos, Templates and Downloads are links to
// the Unix home folder.
// Asking takes a few tenths of a second under Wine (GetPath reads the
// registry each time). Empty when the manager cannot be made.
struct KnownFolder {
    std::wstring path;
    bool perUser = false;  // KF_CATEGORY_PERUSER: each profile has its own
    // Per-user only: where it lies when not moved (KF_FLAG_DEFAULT_PATH).
    std::wstring defaultPath;
};
std::vector<KnownFolder> knownFolders();

// Whole-file reads and writes (CreateFileW/ReadFile/WriteFile). A write
// creates the file or truncates an existing one.
Error readFileBytes(const std::wstring& path, std::vector<std::uint8_t>& out);
Error writeFileBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes);
// Writes a whole file through the wide forms without ever leaving part of
// it: the bytes go to a new file of a unique name beside `path`, which then
// replaces `path` (MoveFileExW; a link there is replaced, not followed). On
// failure nothing is left at either name.
Error replaceFileBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes);
// Writes text as UTF-8 to the process's standard output when that is a file
// or a pipe (GetStdHandle, GetFileType); false, writing nothing, otherwise.
bool writeStandardOutput(const std::wstring& text);

// Full path of the running executable (GetModuleFileNameW).
std::wstring executablePath();

// GetEnvironmentVariableW; std::nullopt when the variable is not set.
std::optional<std::wstring> getEnv(const std::wstring& name);

// The system's text of an error code (FormatMessage), without trailing CR LF.
std::wstring errorText(Error code);

// ------------------------------------------------------- text and locale ----

// The ANSI code page, only where a stored format or a shown text is ANSI
// (README.md, "Design", lists the places); never for a name that is acted on.
// MultiByteToWideChar with CP_ACP: the text of an ANSI file written earlier.
std::wstring decodeAnsi(const std::string& text);
// A text as a narrow (ANSI) window shows it: WideCharToMultiByte with
// WC_NO_BEST_FIT_CHARS and back, so a character the code page lacks shows as
// its default character ("?"), never as a look-alike.
std::wstring throughAnsi(const std::wstring& text);

// CompareStringOrdinal with ignore-case: names of files and folders
// compared as the file system compares them, letters of every script.
bool sameNameIgnoreCase(const std::wstring& a, const std::wstring& b);

// CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, ...): <0, 0, >0.
int compareTextIgnoreCase(const std::wstring& a, const std::wstring& b);

// GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE) and
// GetTimeFormatW(LOCALE_USER_DEFAULT, 0) of the current local time. Each call
// reads the clock anew.
std::wstring shortDateText();
std::wstring longTimeText();

// LOCALE_SDECIMAL of the user's locale.
std::wstring decimalSeparator();


// ------------------------------------------------- private profile (INI) ----

// GetPrivateProfileStringW(section, key, default, buffer of 2048, file).
std::wstring profileRead(const std::wstring& file, const std::wstring& section,
                         const std::wstring& key, const std::wstring& def);
// WritePrivateProfileStringW; false when the system refused the write.
bool profileWrite(const std::wstring& file, const std::wstring& section,
                  const std::wstring& key, const std::wstring& value);
// GetPrivateProfileStringW with no section: the names of all sections.
std::vector<std::wstring> profileSections(const std::wstring& file);
// One line of a section as GetPrivateProfileSectionW gives it: key and value
// without the blanks around them, quotes kept.
struct ProfileEntry {
    std::wstring key;
    std::wstring value;
    bool hasValue = false;  // false for a line without "="
};
// GetPrivateProfileSectionW: the lines of the named section in file order
// (comment lines left out); empty when the file or the section is absent.
// The section name is compared as it is: unlike profileRead, blanks around it
// are not ignored.
std::vector<ProfileEntry> profileSection(const std::wstring& file, const std::wstring& section);

// ------------------------------------------------------------- registry ----

using HKey = std::uintptr_t;  // 0: no key
// The predefined roots, with the values of HKEY_CLASSES_ROOT ... (sign
// extended on 64-bit builds, as the Windows headers define them).
inline constexpr HKey kHKeyClassesRoot = static_cast<HKey>(static_cast<std::intptr_t>(static_cast<std::int32_t>(0x80000000u)));
inline constexpr HKey kHKeyCurrentUser = static_cast<HKey>(static_cast<std::intptr_t>(static_cast<std::int32_t>(0x80000001u)));
inline constexpr HKey kHKeyLocalMachine = static_cast<HKey>(static_cast<std::intptr_t>(static_cast<std::int32_t>(0x80000002u)));
inline constexpr HKey kHKeyUsers = static_cast<HKey>(static_cast<std::intptr_t>(static_cast<std::int32_t>(0x80000003u)));

inline constexpr std::uint32_t kKeyQueryValue = 0x0001;
inline constexpr std::uint32_t kKeySetValue = 0x0002;
inline constexpr std::uint32_t kKeyCreateSubKey = 0x0004;
inline constexpr std::uint32_t kKeyEnumerateSubKeys = 0x0008;
inline constexpr std::uint32_t kKeyWow64_64Key = 0x0100;
inline constexpr std::uint32_t kKeyWow64_32Key = 0x0200;
inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyWrite = 0x20006;
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;
inline constexpr std::uint32_t kStandardRightsRead = 0x20000;
inline constexpr std::uint32_t kKeyDelete = 0x10000;  // DELETE

// Options of regOpenKey / regCreateKey (REG_OPTION_...).
inline constexpr std::uint32_t kRegOptionNonVolatile = 0;
inline constexpr std::uint32_t kRegOptionCreateLink = 2;
inline constexpr std::uint32_t kRegOptionOpenLink = 8;
inline constexpr std::uint32_t kRegOptionBackupRestore = 4;

inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;

// RegQueryInfoKeyW, the fields the core uses.
struct KeyInfo {
    std::uint32_t subKeys = 0;
    std::uint32_t maxSubKeyLen = 0;
    std::uint32_t values = 0;
    std::uint32_t maxValueNameLen = 0;
    std::uint32_t maxValueLen = 0;
    std::uint64_t lastWriteTime = 0;  // FILETIME
};

// RegOpenKeyExW; options as the call takes them (kRegOptionOpenLink: a final
// registry link is opened itself, not followed).
Error regOpenKey(HKey base, const std::wstring& subKey, std::uint32_t access, HKey& out,
                 std::uint32_t options = 0);
Error regCreateKey(HKey base, const std::wstring& subKey, std::uint32_t options,
                   std::uint32_t access, HKey& out);
Error regCloseKey(HKey key);
Error regFlushKey(HKey key);
Error regQueryInfoKey(HKey key, KeyInfo& info);
// RegEnumKeyExW with a name buffer of bufferChars characters (terminating
// zero included): kErrMoreData when the name does not fit, kErrNoMoreItems
// past the end.
Error regEnumKey(HKey key, std::uint32_t index, std::uint32_t bufferChars, std::wstring& name);
// RegQueryValueExW (a string value's data is UTF-16). With data == nullptr only type and size are asked for;
// otherwise *data is resized to the value's size and filled (kErrMoreData
// when capacity, the caller's buffer size in bytes, is too small).
Error regQueryValue(HKey key, const std::wstring& name, std::uint32_t& type,
                    std::vector<std::uint8_t>* data, std::uint32_t& size,
                    std::uint32_t capacity = 0xFFFFFFFFu);
Error regSetValue(HKey key, const std::wstring& name, std::uint32_t type,
                  const std::vector<std::uint8_t>& data);
// Deletes the key of this handle itself (NtDeleteKey), never anything a link
// names: a key opened with kRegOptionOpenLink goes as a link. The handle needs
// kKeyDelete; a key that still has subkeys stays.
Error regDeleteOpenedKey(HKey key);
// The name the system gives the opened key ("\REGISTRY\MACHINE\SOFTWARE\..."),
// whatever path reached it; empty when it cannot be had.
std::wstring regKeyName(HKey key);
// A key opened with kRegOptionOpenLink is a registry link: it holds the
// REG_LINK value "SymbolicLinkValue" naming its target.
bool regIsLink(HKey key);
Error regDeleteValue(HKey key, const std::wstring& name);
// RegEnumValueW: the name of the value at `index` (any length a name may
// have); kErrNoMoreItems past the end.
Error regEnumValue(HKey key, std::uint32_t index, std::wstring& name);
Error regSaveKey(HKey key, const std::wstring& file);
Error regRestoreKey(HKey key, const std::wstring& file, std::uint32_t flags);

// ------------------------------------------------ driver packages, devices ----
// The system's own calls (setupapi): INFs are read by its INF parser, devices
// listed and removed by its device installer, packages removed from and
// put back into the driver store by it.

inline constexpr Error kErrDeviceInUse = 2404;       // ERROR_DEVICE_IN_USE
inline constexpr Error kErrInWow64 = 0xE0000235u;    // ERROR_IN_WOW64

// The [Version] lines of an INF as SetupOpenInfFileW, SetupFindFirstLineW
// and SetupGetStringFieldW give them: "%key%" tokens are replaced from its
// [Strings] section by the system. A missing line leaves its fields empty.
struct InfVersion {
    std::wstring provider;       // Provider
    std::wstring className;      // Class
    std::wstring classGuid;      // ClassGUID, as written
    std::wstring driverDate;     // DriverVer, field 1
    std::wstring driverVersion;  // DriverVer, field 2
};
// kOk, or the error of SetupOpenInfFileW (no such file, not an INF).
Error readInfVersion(const std::wstring& infPath, InfVersion& out);

// Whether a device is attached now, as DEVPKEY_Device_IsPresent says;
// Unknown when the system gives no answer.
enum class Presence { Present, NotPresent, Unknown };

struct DeviceRecord {
    std::wstring instanceId;                // "PCI\\VEN_10DE&DEV_1C82&...\\4&2C3B&0&0008"
    std::wstring className;                 // SPDRP_CLASS, else the name of its class GUID
    std::wstring classGuid;                 // "{4d36e968-e325-11ce-bfc1-08002be10318}"
    std::vector<std::wstring> hardwareIds;  // SPDRP_HARDWAREID
    std::wstring description;               // SPDRP_FRIENDLYNAME, else SPDRP_DEVICEDESC
    std::wstring infPath;                   // InfPath of its driver key ("oem12.inf"); empty: none
    Presence presence = Presence::Unknown;
};
// Every device the system records, attached or not: SetupDiGetClassDevsW
// with DIGCF_ALLCLASSES and without DIGCF_PRESENT.
Error listDevices(std::vector<DeviceRecord>& out);
// Removes one device (SetupDiCallClassInstaller with DIF_REMOVE, for the
// whole machine), opened by its instance id; only while that opened device
// reads as not present, else kErrDeviceInUse.
Error removeDevice(const std::wstring& instanceId);
// SetupUninstallOEMInfW of a published INF ("oem12.inf"), SUOI_FORCEDELETE
// when `force`: the system removes the INF and its package from the store.
Error uninstallDriverPackage(const std::wstring& publishedName, bool force);
// SetupCopyOEMInfW of an INF beside its package's files: the system stages
// the package and publishes the INF; `publishedName` receives its name there.
Error installDriverPackage(const std::wstring& infPath, std::wstring& publishedName);

// --------------------------------------------------- privileges, restart ----

using Handle = std::uintptr_t;  // 0: none

// Enables or disables one privilege (by its name, "SeShutdownPrivilege") in
// the process's token. False when the token cannot be opened, the name is
// unknown or the call fails; true also when the account does not hold the
// privilege (AdjustTokenPrivileges then only sets ERROR_NOT_ALL_ASSIGNED).
bool enablePrivilege(const std::wstring& name, bool enable);
Error closeHandle(Handle handle);

// InitiateSystemShutdownW(NULL, NULL, 0, force, reboot).
bool initiateSystemShutdown(bool forceAppsClosed, bool reboot);

// ShellExecuteW(owner, "open", file, NULL, NULL, show). Returns the call's
// result (> 32 on success).
std::intptr_t shellOpen(std::uintptr_t ownerWindow, const std::wstring& file, int show);

// ------------------------------------------------------------ bitness ----

// True when the process runs as a 64-bit process (IsWow64Process2 or
// IsWow64Process together with the system's own bitness).
bool isProcess64Bit(Handle process);
// True when this program itself is a 64-bit process.
constexpr bool isSelf64Bit() { return sizeof(void*) == 8; }
// True when Windows itself is 64-bit (x64 or ARM64), whatever this process
// is; also when a 32-bit process cannot tell (platform/win32/bitness.cpp).
bool isSystem64Bit();

// ------------------------------------------------------- system restore ----
// srclient.dll is loaded for each call (never linked), COM started on this
// thread for it and its security set once so that the system's services may
// call back (platform/win32/restorepoint.cpp).

inline constexpr Error kErrModNotFound = 126;   // ERROR_MOD_NOT_FOUND: no srclient.dll
inline constexpr Error kErrProcNotFound = 127;  // ERROR_PROC_NOT_FOUND: no SRSetRestorePointW

// SRSetRestorePointW with BEGIN_SYSTEM_CHANGE (APPLICATION_UNINSTALL), then
// END_SYSTEM_CHANGE for the sequence number it gave. kOk when the first call
// answered TRUE, with that number in `sequence`: a new point's, or the one of
// a point Windows made earlier when its frequency rule skipped this one.
// Otherwise the status the call reports (else its last error, else
// ERROR_GEN_FAILURE), or kErrModNotFound / kErrProcNotFound.
Error createRestorePoint(const std::wstring& description, std::int64_t& sequence);
// The highest SequenceNumber of the restore points the system keeps (WMI,
// ROOT\DEFAULT, class SystemRestore); 0 when it keeps none. An error
// (HRESULT) when it cannot be asked.
Error lastRestorePointSequence(std::int64_t& sequence);

}  // namespace plat
