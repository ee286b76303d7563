// The 32-bit build on 64-bit Windows: the start goes to the 64-bit build
// beside it, or is refused (app/Bitness.h decides which).
#pragma once

#include <optional>

namespace twui {

// Called first, before any window or file is made. Returns nothing when this
// process is to run itself; else the exit code to end with at once: the 64-bit
// build's, started with the same command line and waited for, or 2 when it is
// missing or cannot be started. A refusal shows a message box saying why and
// what to do, or with "-QUIT" saves the reason as the last line of the run
// log (of the preview's file with "-PREVIEW") and shows nothing.
std::optional<int> HandOverTo64BitBuild();

}  // namespace twui
