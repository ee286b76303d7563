// The backup store: what the deletion routines write before they delete and
// what the Backup dialog restores, named and encoded. It lies below the
// engine and reaches the system only through platform/.
//
// Layout: programFolder + "Backup\" + set (a time stamp) + "\" + item, where an
// item is a target prefix + "Files" or + "Registry".
// - A files item holds one sub-folder per source folder, named by the encoded
//   folder path ("\" -> ";", then ":" -> "'"; "C:\WINDOWS\" -> "C';WINDOWS;"),
//   with copies of the deleted files inside. Because a path that itself holds
//   ";" or "'" does not survive that encoding, the item also keeps an index
//   file, "folders.idx" (UTF-8, one "sub-folder TAB original folder" per line),
//   which the restore prefers over decoding the name.
// - A restore writes only into an absolute drive folder with its trailing
//   backslash ("C:\A\B\"): the one the index records, or else the decoded
//   name when that is such a folder. A folder whose existing part runs
//   through a link (a junction or symbolic link) is not written to, nor is a
//   file that is itself a link.
// - Names and paths are UTF-16 text throughout; only folders.idx is UTF-8.
//   Sets written by earlier versions, whose names came through the ANSI code
//   page, are listed and restored by the same rules.
// - A registry item holds one hive file per deleted key, named
//   root + ";" + key path + ";" + key name + ".TW" with every "\" as ";".
#pragma once

#include <map>
#include <string>

#include "platform/platform.h"

namespace tw {

inline constexpr const wchar_t* kFolderIndexName = L"folders.idx";

// programFolder + "Backup\".
std::wstring BackupRoot();

// "C:\A\B\" -> "C';A;B;". The folder is taken with its trailing backslash.
std::wstring EncodeFolder(const std::wstring& folder);
// The reverse: ";" -> "\", then "'" -> ":".
std::wstring DecodeFolder(const std::wstring& name);
// "\" -> ";".
std::wstring EncodeKeyPath(const std::wstring& path);
// The key path a hive file name holds: ";" back to "\\".
std::wstring DecodeKeyPath(const std::wstring& encoded);
// "HKLM", "HKCU", or "" for any other root.
std::wstring RootText(plat::HKey root);
// root + ";" + encoded key path + ";" + encoded name + ".TW", or an empty
// text when that is no plain file name (a key name holding "/", "*" ...):
// such a key cannot be backed up.
std::wstring HiveFileName(plat::HKey root, const std::wstring& keyPath, const std::wstring& name);

// The index of a files item folder: sub-folder name (its letters a to z in
// upper case) -> original folder path with its trailing backslash. Lines
// whose name is not a plain folder name (a separator, ":", "." or "..") or
// whose folder is not an absolute drive folder are ignored.
using FolderIndex = std::map<std::wstring, std::wstring>;
FolderIndex ReadFolderIndex(const std::wstring& itemFolder);
// The same rules over the text of a folders.idx.
FolderIndex ParseFolderIndex(const std::string& text);
// The key of a sub-folder name in a FolderIndex.
std::wstring FolderIndexKey(const std::wstring& name);
// One line of folders.idx: name TAB folder LF, in UTF-8.
std::string FolderIndexLine(const std::wstring& name, const std::wstring& folder);

// A file or folder name that names nothing but itself: not empty, no
// separator, drive colon, wildcard or control character, not "." or "..",
// and no trailing dot or blank (which the system would drop).
bool IsPlainName(const std::wstring& name);
// A plain name that no code page's best fit turns into a separator, a drive
// colon or a dot (full-width and other look-alikes of "\", "/", ":" and ".",
// the yen and won signs): the only names a restore writes.
bool IsRestorableName(const std::wstring& name);
// "X:\" followed by plain names, each ending in "\".
bool IsDriveFolder(const std::wstring& path);

// The folder that the files of a files item's sub-folder go back to: its
// index entry, or else its decoded name. Empty when that is no absolute
// drive folder with its trailing backslash, or lies in the backup root.
std::wstring RestoreFolder(const FolderIndex& index, const std::wstring& subFolder);
// The same for a given backup root.
std::wstring RestoreFolder(const FolderIndex& index, const std::wstring& subFolder, const std::wstring& backupRoot);

// Makes sure the sub-folder of itemFolder that receives the files of
// `folder` exists and is recorded in the index. Returns its full path with a
// trailing backslash, or an empty text when it could not be prepared (a
// backup that could not be written).
std::wstring PrepareFileBackupFolder(const std::wstring& itemFolder, const std::wstring& folder);

}  // namespace tw
