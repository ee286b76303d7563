// The system's text calls of platform.h for native programs: code page 1252,
// or 932, whose two-byte characters may end in 0x5C, a backslash.
#pragma once

namespace nativetest {
void setCodePage(int codePage);  // 1252 (the start) or 932
}
