// Internal state of the in-memory Windows, shared by the fake's source files.
// Tests never include this header; they use fake.h.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "fake.h"

namespace fake::detail {

// ---- text ----
std::string upper(const std::string& text);  // letters of Windows-1252, as NTFS and the registry fold names
std::wstring upperW(const std::wstring& text);
// Windows-1252, the fake's ANSI code page after reset.
std::wstring cp1252ToWide(const std::string& text);
std::string wideToCp1252(const std::wstring& text);
// The current ANSI code page (see fake::setAnsiCodePage).
bool leadByte(unsigned char byte);
std::wstring ansiToWideText(const std::string& text);
std::string wideToAnsiText(const std::wstring& text);

// The components of ANSI path text, split at "\\" and "/" (never at the
// second byte of a double-byte character).
std::vector<std::string> splitAnsi(const std::string& text);

// ---- file system ----
struct FsEntry {
    std::string path;  // full path with its stored letter case, e.g. "C:\\Tools\\a.txt"
    bool folder = false;
    std::uint32_t attributes = 0;
    std::vector<std::uint8_t> data;
    std::string linkTarget;  // a folder link (junction): the path it leads to
    std::uint64_t id = 0;    // the file ID, unique on the machine
};

// A parsed path: the drive ("C:") and its components. A path Windows would
// not accept (no drive, relative) has ok == false.
struct ParsedPath {
    bool ok = false;
    std::string drive;
    std::vector<std::string> parts;
    std::string key() const;      // upper-case lookup key
    std::string display() const;  // as given, normalised
    ParsedPath parent() const;    // parts without the last one
    bool isRoot() const { return parts.empty(); }
};
// Normalises as Win32 does: "/" read as "\", "." and ".." resolved, repeated
// separators collapsed, trailing blanks and dots of the last component dropped.
// Then, as the file system does, short names and links in the middle of the
// path lead to what they stand for; a final link is the link itself.
ParsedPath parsePath(const std::string& path);
// The same without looking at the file system (no short names, no links).
ParsedPath parsePathText(const std::string& path);
// The path of what a final link leads to (the path itself when it is no link).
ParsedPath followLink(const ParsedPath& p);

struct Machine {
    // Upper-case full path -> entry. Sorting by the upper-case key puts the
    // names of one folder in the order NTFS returns them.
    std::map<std::string, FsEntry> fs;
    std::map<std::string, std::set<Fault>> faults;  // upper-case normalised path
    std::vector<PendingRename> restartQueue;

    std::map<std::string, std::string> env;  // upper-case name -> value
    std::string exePath;
    std::wstring date, time, decimal;
    std::function<void()> clockHook;
    bool dbcs = false;
    int codePage = 1252;
    std::uint64_t nextId = 1;
    std::map<std::string, std::string> shortNames;  // upper-case path with the short name -> long name
    std::map<plat::SystemFolder, std::string> systemFolders;
    std::function<void(const std::string&)> openHook;
    bool openFollowsLinks = false;

    std::vector<int> answers;
    std::vector<MessageBoxCall> boxes;
    std::vector<std::pair<std::string, int>> shellOpens;
};
Machine& machine();

FsEntry* findEntry(const ParsedPath& p);
bool hasFault(const ParsedPath& p, Fault f);
// Creates a folder entry (parents must exist).
FsEntry& putFolder(const ParsedPath& p);
// Creates an empty file entry with the archive attribute, or returns the
// existing one (parents must exist). A new entry's path joins the stored
// names of its parents with its own name as given, as NTFS does.
FsEntry& putFile(const ParsedPath& p);
// Direct children of a folder, in NTFS order.
std::vector<FsEntry*> children(const ParsedPath& folder);

// ---- kernel handles (tokens and processes) ----
struct HandleObject {
    enum class Kind { Token, Process, Entry } kind = Kind::Token;
    std::uint32_t access = 0;
    std::uint32_t processId = 0;
    std::string entryKey;  // Entry: the upper-case path and file ID of what it opened
    std::uint64_t entryId = 0;
};
plat::Handle newHandle(const HandleObject& object);
const HandleObject* handleObject(plat::Handle handle);  // nullptr when not open
void resetHandles();
bool privilegeIsEnabled(const std::string& name);

// Resets the registry, token, windows and processes (defined in their files).
void resetRegistry();
void resetSystem();
void resetDesktop();

}  // namespace fake::detail
