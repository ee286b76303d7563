// The text of log files: their order, their bytes, and reading them back.
// Nothing here asks the system about files.
#include <algorithm>

#include "log/LogUnit.h"
#include "platform/common.h"
#include "platform/platform.h"

namespace tw {

void SortLines(std::vector<std::wstring>& lines) {
    std::stable_sort(lines.begin(), lines.end(), [](const std::wstring& a, const std::wstring& b) {
        return plat::compareTextIgnoreCase(a, b) < 0;
    });
}

std::vector<std::uint8_t> LogFileBytes(const std::vector<std::wstring>& lines) {
    std::wstring text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += L"\r\n";
        text += lines[i];
    }
    std::u16string utf16 = toUtf16(text);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(2 + utf16.size() * 2);
    bytes.push_back(0xFF);
    bytes.push_back(0xFE);
    for (char16_t c : utf16) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return bytes;
}

std::vector<std::wstring> SplitLogText(const std::wstring& text) {
    std::vector<std::wstring> lines;
    std::wstring current;
    bool pending = false;  // text since the last line break
    for (std::size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (c == L'\r' || c == L'\n') {
            lines.push_back(std::move(current));
            current.clear();
            pending = false;
            if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
        } else {
            current.push_back(c);
            pending = true;
        }
    }
    if (pending) lines.push_back(std::move(current));
    return lines;
}

std::vector<std::wstring> DecodeLogBytes(const std::vector<std::uint8_t>& bytes) {
    const std::size_t n = bytes.size();
    auto utf16 = [&](std::size_t start, bool littleEndian) {
        std::u16string s;
        s.reserve((n - start) / 2);
        for (std::size_t i = start; i + 1 < n; i += 2) {
            char16_t lo = bytes[i], hi = bytes[i + 1];
            s.push_back(littleEndian ? static_cast<char16_t>(lo | (hi << 8))
                                     : static_cast<char16_t>((lo << 8) | hi));
        }
        return fromUtf16(s);
    };
    std::wstring text;
    if (n >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        text = utf16(2, true);
    } else if (n >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
        text = utf16(2, false);
    } else if (n >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        text = fromUtf8(std::string(bytes.begin() + 3, bytes.end()));
    } else {
        text = plat::decodeAnsi(std::string(bytes.begin(), bytes.end()));
    }
    return SplitLogText(text);
}

}  // namespace tw
