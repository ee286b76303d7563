#include "platform/common.h"

#include <algorithm>

namespace tw {

namespace {
std::string narrowForWhat(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}
}  // namespace

AppError::AppError(std::wstring message)
    : std::runtime_error(narrowForWhat(message)), message_(std::move(message)) {}

std::u16string toUtf16(const std::wstring& text) {
    if constexpr (sizeof(wchar_t) == 2) {
        return std::u16string(text.begin(), text.end());
    } else {
        std::u16string out;
        out.reserve(text.size());
        for (wchar_t wc : text) {
            auto c = static_cast<std::uint32_t>(wc);
            if (c >= 0x10000 && c <= 0x10FFFF) {
                c -= 0x10000;
                out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
                out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
            } else if (c > 0x10FFFF) {
                out.push_back(u'\xFFFD');
            } else {
                out.push_back(static_cast<char16_t>(c));
            }
        }
        return out;
    }
}

std::wstring fromUtf16(const std::u16string& text) {
    if constexpr (sizeof(wchar_t) == 2) {
        return std::wstring(text.begin(), text.end());
    } else {
        std::wstring out;
        out.reserve(text.size());
        for (std::size_t i = 0; i < text.size(); ++i) {
            std::uint32_t c = text[i];
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                text[i + 1] <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
                ++i;
            }
            out.push_back(static_cast<wchar_t>(c));
        }
        return out;
    }
}

std::wstring fromUtf8(const std::string& text) {
    std::u32string cps;
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char b = byte(i);
        std::size_t len = b < 0x80                ? 1
                          : b >= 0xC2 && b <= 0xDF ? 2
                          : b >= 0xE0 && b <= 0xEF ? 3
                          : b >= 0xF0 && b <= 0xF4 ? 4
                                                   : 0;
        std::uint32_t c = len == 1 ? b : len == 2 ? (b & 0x1Fu) : len == 3 ? (b & 0x0Fu) : (b & 0x07u);
        for (std::size_t k = 1; k < len; ++k) {
            if (i + k >= text.size() || (byte(i + k) & 0xC0) != 0x80) {
                len = 0;
                break;
            }
            c = (c << 6) | (byte(i + k) & 0x3Fu);
        }
        // Overlong forms, surrogates and values above U+10FFFF name no character.
        const bool valid = len == 1 || (len == 2 && c >= 0x80) ||
                           (len == 3 && c >= 0x800 && (c < 0xD800 || c > 0xDFFF)) ||
                           (len == 4 && c >= 0x10000 && c <= 0x10FFFF);
        cps.push_back(valid ? c : 0xFFFD);
        i += valid ? len : 1;
    }
    if constexpr (sizeof(wchar_t) == 4) {
        return std::wstring(cps.begin(), cps.end());
    } else {
        std::wstring out;
        for (char32_t c : cps) {
            if (c >= 0x10000) {
                c -= 0x10000;
                out.push_back(static_cast<wchar_t>(0xD800 + (c >> 10)));
                out.push_back(static_cast<wchar_t>(0xDC00 + (c & 0x3FF)));
            } else {
                out.push_back(static_cast<wchar_t>(c));
            }
        }
        return out;
    }
}

std::string toUtf8(const std::wstring& text) {
    std::u16string u16 = toUtf16(text);
    std::string out;
    for (std::size_t i = 0; i < u16.size(); ++i) {
        std::uint32_t c = u16[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < u16.size() && u16[i + 1] >= 0xDC00 && u16[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (u16[i + 1] - 0xDC00);
            ++i;
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::wstring upperAscii(std::wstring text) {
    for (wchar_t& c : text)
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    return text;
}

bool equalsIgnoreCase(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() && upperAscii(a) == upperAscii(b);
}

bool startsWith(const std::wstring& text, const std::wstring& prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

std::wstring replaceAll(std::wstring text, const std::wstring& from, const std::wstring& to) {
    if (from.empty()) return text;
    std::size_t pos = 0;
    while ((pos = text.find(from, pos)) != std::wstring::npos) {
        text.replace(pos, from.size(), to);
        pos += to.size();
    }
    return text;
}

std::wstring format1(const std::wstring& pattern, const std::wstring& arg) {
    std::wstring out = pattern;
    auto pos = out.find(L"%s");
    if (pos != std::wstring::npos) out.replace(pos, 2, arg);
    return out;
}

std::wstring trimProfileName(const std::wstring& name) {
    // ASCII white space and the old end-of-file mark (Ctrl+Z); no other blank.
    const auto blank = [](wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r') || c == 0x1A; };
    std::size_t begin = 0, end = name.size();
    while (begin < end && blank(name[begin])) ++begin;
    while (end > begin && blank(name[end - 1])) --end;
    return name.substr(begin, end - begin);
}

std::wstring profileText(const std::vector<plat::ProfileEntry>& section, const std::wstring& key,
                         const std::wstring& def) {
    constexpr std::size_t kBuffer = 2048;  // profileRead's, the closing zero included
    const std::wstring wanted = trimProfileName(key);
    for (const plat::ProfileEntry& entry : section) {
        if (!equalsIgnoreCase(entry.key, wanted)) continue;
        if (!entry.hasValue) break;
        std::wstring value = entry.value;
        const bool quoted = value.size() >= 2 && (value[0] == L'"' || value[0] == L'\'') && value.back() == value[0];
        if (quoted) value.erase(0, 1);
        const std::size_t whole = value.size();
        if (value.size() > kBuffer - 1) value.resize(kBuffer - 1);
        // The closing quote goes by taking off the last character kept, and
        // only when the rest of the value fits the buffer: one of exactly
        // 2048 characters loses its quote to the cut and then one more.
        if (quoted && whole <= kBuffer) value.pop_back();
        return value;
    }
    // Spaces at the end of the default go; the first character always stays.
    std::size_t length = def.size();
    while (length > 1 && def[length - 1] == L' ') --length;
    return def.substr(0, std::min(length, kBuffer - 1));
}

std::wstring includeTrailingBackslash(const std::wstring& path) {
    return !path.empty() && path.back() == L'\\' ? path : path + L"\\";
}

std::wstring excludeTrailingBackslash(const std::wstring& path) {
    return !path.empty() && path.back() == L'\\' ? path.substr(0, path.size() - 1) : path;
}

}  // namespace tw
