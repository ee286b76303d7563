// The system's text calls of platform.h for native programs. The ANSI code
// page is 1252, taken as Latin-1.
#include "platform/common.h"

namespace plat {

std::wstring decodeAnsi(const std::string& text) {
    std::wstring out;
    for (const char c : text) out.push_back(static_cast<unsigned char>(c));
    return out;
}

std::wstring throughAnsi(const std::wstring& text) {
    std::wstring out;
    for (const wchar_t c : text) out.push_back(static_cast<std::uint32_t>(c) < 0x100 ? c : L'?');
    return out;
}

// Letter case: a to z only.
bool sameNameIgnoreCase(const std::wstring& a, const std::wstring& b) { return tw::upperAscii(a) == tw::upperAscii(b); }
int compareTextIgnoreCase(const std::wstring& a, const std::wstring& b) {
    return tw::upperAscii(a).compare(tw::upperAscii(b));
}

}  // namespace plat
