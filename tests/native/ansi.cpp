#include "native/ansi.h"

#include "platform/common.h"

// Code page 1252 is taken as Latin-1. In 932 each byte pair gets a private
// code point of its own (plane 15), so text round-trips; another byte of
// 0x80 or more becomes U+30FB, as a byte of no character does.
namespace {
int codePage = 1252;
constexpr wchar_t kPairBase = 0xF0000;
}  // namespace

void nativetest::setCodePage(int cp) { codePage = cp; }

namespace plat {

bool isAnsiLeadByte(unsigned char b) {
    return codePage == 932 && ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC));
}

std::wstring ansiToWide(const std::string& text) {
    std::wstring out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (isAnsiLeadByte(b) && i + 1 < text.size())
            out.push_back(kPairBase + (b << 8 | static_cast<unsigned char>(text[++i])));
        else
            out.push_back(b < 0x80 || codePage == 1252 ? b : 0x30FB);
    }
    return out;
}

std::string wideToAnsi(const std::wstring& text) {
    std::string out;
    for (const wchar_t c : text) {
        const wchar_t pair = c - kPairBase;
        if (c >= kPairBase && pair <= 0xFFFF && isAnsiLeadByte(pair >> 8))
            out += {char(pair >> 8), char(pair)};
        else
            out += c < (codePage == 1252 ? 0x100 : 0x80) ? char(c) : '?';
    }
    return out;
}

// Letter case: a to z only.
bool sameNameIgnoreCase(const std::wstring& a, const std::wstring& b) { return tw::upperAscii(a) == tw::upperAscii(b); }
int compareTextIgnoreCase(const std::wstring& a, const std::wstring& b) {
    return tw::upperAscii(a).compare(tw::upperAscii(b));
}

}  // namespace plat
