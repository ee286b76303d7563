// Portable helpers shared by the whole core, built on the plain operations of
// platform.h. Nothing here includes <windows.h>.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace tw {

// An error raised by an operation of the program ("Unable to write to %s",
// "Invalid data type for '%s'" ...). It ends the operation in progress; the
// window code catches it at the window procedure and shows it in an error box.
class AppError : public std::runtime_error {
public:
    explicit AppError(std::wstring message);
    const std::wstring& message() const { return message_; }

private:
    std::wstring message_;
};

// ---- text ----
std::u16string toUtf16(const std::wstring& text);
std::wstring fromUtf16(const std::u16string& text);
// Strict: a byte that starts no valid sequence (a stray continuation byte, a
// cut, overlong or surrogate sequence, one above U+10FFFF) gives one U+FFFD
// and decoding goes on with the next byte, so no byte after it is swallowed.
std::wstring fromUtf8(const std::string& text);
std::string toUtf8(const std::wstring& text);

// Only the letters a to z are changed.
std::wstring upperAscii(std::wstring text);
// Equality without regard to the letter case of ASCII letters.
bool equalsIgnoreCase(const std::wstring& a, const std::wstring& b);
bool startsWith(const std::wstring& text, const std::wstring& prefix);
std::wstring replaceAll(std::wstring text, const std::wstring& from, const std::wstring& to);
// "%s" replaced by the argument (first occurrence).
std::wstring format1(const std::wstring& pattern, const std::wstring& arg);

// ---- private profile (INI) files ----
// The blanks the system ignores around a section or key name it is asked for.
std::wstring trimProfileName(const std::wstring& name);
// The answer plat::profileRead gives for Key, found in a section read at once
// with plat::profileSection: the first line whose key equals Key without
// regard to the case of ASCII letters; a line without "=" gives the default;
// one pair of matching quotes (" or ') around the value is removed; the answer
// is cut to the 2047 characters of profileRead's buffer. The default loses its
// trailing spaces.
std::wstring profileText(const std::vector<plat::ProfileEntry>& section, const std::wstring& key,
                         const std::wstring& def);

// ---- paths ----
// Paths are UTF-16 text from where they are read to where they are used.
std::wstring includeTrailingBackslash(const std::wstring& path);
std::wstring excludeTrailingBackslash(const std::wstring& path);
// The folder of the running executable, with its trailing backslash.
std::wstring programFolder();
bool fileExists(const std::wstring& path);       // exists and is not a folder
bool directoryExists(const std::wstring& path);  // exists and is a folder
// Creates the folder and every missing parent; true when it exists afterwards.
bool forceDirectories(const std::wstring& path);

// Today's date in the user's short date format, "-", the current time in the
// user's long time format, with every ":" and "/" replaced by "-". Names log
// files, backup sets and default desktop icon layouts.
std::wstring fileTimeStamp();

}  // namespace tw
