// Which build does the cleaning, decided without windows.
//
// A 32-bit process on 64-bit Windows sees SysWOW64 where it asks for
// System32 and the WOW6432Node view of HKLM\Software: it cannot reach the
// 64-bit system folders and registry a driver of that system leaves behind.
// So the 32-bit Tidewell.exe never cleans on 64-bit Windows: it hands the
// start over to the 64-bit build beside it ("Tidewell64.exe"), or, when that
// is missing, refuses and says why.
#pragma once

#include <cstddef>
#include <string>

namespace tw {

enum class StartChoice {
    RunHere,   // the process has the system's bitness: it cleans itself
    HandOver,  // 32-bit on 64-bit Windows: the 64-bit build beside it cleans
    Refuse,    // 32-bit on 64-bit Windows and no 64-bit build beside it
};

// process64: this process is 64-bit; system64: Windows is 64-bit (a system
// whose bitness cannot be told counts as 64-bit: a 32-bit build then never
// cleans it alone); sixtyFourBuildBeside: the 64-bit build's file exists.
StartChoice ChooseStart(bool process64, bool system64, bool sixtyFourBuildBeside);

// The 64-bit build beside an executable: its name without the extension,
// then "64.exe" ("C:\Tools\Tidewell.exe" gives "C:\Tools\Tidewell64.exe").
std::wstring SixtyFourBuildPathFor(const std::wstring& executablePath);

// Where the arguments begin in a process's command line, split as
// CommandLineToArgvW splits the program's name: it runs to its closing
// quote, or unquoted to the first blank or tab.
std::size_t ArgumentsStart(const std::wstring& commandLine);

// The command line the 64-bit build is started with: its path in quotes,
// then this process's arguments exactly as they were written.
std::wstring HandOverCommandLine(const std::wstring& sixtyFourBuildPath, const std::wstring& commandLine);

}  // namespace tw
