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

// True when a long file name matches a wildcard pattern as FindFirstFileW
// matches it: the pattern is rewritten as the system rewrites it (trailing
// blanks dropped, "*.*" is "*", a trailing "." is dropped, "?" and a "*" or "." next to a dot become
// the DOS wildcards), so "nv*.*" also matches "nvfile" without a dot. Letter
// case is ignored as the file system ignores it, in every script.
bool MatchesPattern(const std::wstring& name, const std::wstring& pattern);
// The same pattern rewritten once, for matching many names.
class FilePattern {
public:
    explicit FilePattern(const std::wstring& pattern);
    bool Matches(const std::wstring& name) const;

private:
    std::wstring system_;
};

// True when `folder` is `other` or one of the folders holding it. Both are
// normalised or final paths; names are compared as the file system does.
bool IsSameOrAncestor(const std::wstring& folder, const std::wstring& other);

}  // namespace tw
