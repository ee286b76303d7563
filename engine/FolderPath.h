// Folder path text as the protected-folder rule reads it, in UTF-16.
#pragma once

#include <optional>
#include <string>

namespace tw {

// "C:\A\.\B\..\C. " -> "C:\A\C": "/" read as "\", empty, "." and ".." segments
// resolved, trailing blanks and dots of each segment removed, no trailing
// backslash (a drive root keeps its own: "C:\"), the drive letter in upper
// case. Nothing for a path that is not an absolute drive path (relative,
// drive-relative, UNC, "\\?\"), holds wildcard characters, a ":" past the
// drive, a segment of three or more dots, or climbs above its root.
std::optional<std::wstring> NormalizeFolderPathW(const std::wstring& path);

// True when `folder` is `other` or one of the folders holding it. Both are
// normalised or final paths; names are compared as the file system does.
bool IsSameOrAncestor(const std::wstring& folder, const std::wstring& other);

}  // namespace tw
