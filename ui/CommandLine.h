// The process's command line as separate arguments.
#pragma once

#include <string>
#include <vector>

namespace twui {

// The arguments of the process's command line after the program's name.
std::vector<std::wstring> CommandLineArguments();

}  // namespace twui
