#include "ui/CommandLine.h"

#include <windows.h>
#include <shellapi.h>

#include "app/TWUnit.h"
#include "ui/Handles.h"

namespace twui {

std::vector<std::wstring> CommandLineArguments() {
    std::vector<std::wstring> arguments;
    // shell32 is loaded on first use: a start without arguments never needs it.
    if (!tw::CommandLineHasArguments(GetCommandLineW())) return arguments;
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!argv) return arguments;
    const LocalMemory owned(argv);
    for (int i = 1; i < count; ++i) arguments.emplace_back(argv[i]);
    return arguments;
}

}  // namespace twui
