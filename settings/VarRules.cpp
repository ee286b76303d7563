// The settings file's reading rules, which need nothing of the system.
#include <cstdint>

#include "settings/VarUnit.h"

namespace tw {

namespace {

int hexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

}  // namespace

bool ParseSettingInteger(const std::wstring& text, long long& value) {
    if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
        std::uint64_t v = 0;
        for (std::size_t i = 2; i < text.size(); ++i) {
            const int d = hexDigit(text[i]);
            if (d < 0) return false;
            v = v * 16 + static_cast<std::uint64_t>(d);
            if (v > 0xFFFFFFFFull) return false;
        }
        value = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
        return true;
    }
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == L'-';
    if (negative) i = 1;
    if (i >= text.size()) return false;
    long long v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < L'0' || text[i] > L'9') return false;
        v = v * 10 + (text[i] - L'0');
        if (v > 2147483648LL) return false;
    }
    if (negative) v = -v;
    if (v > 2147483647LL) return false;
    value = v;
    return true;
}

std::wstring SettingsFilePathFor(const std::wstring& executablePath) {
    const std::size_t slash = executablePath.find_last_of(L"\\/:");
    const std::size_t nameStart = slash == std::wstring::npos ? 0 : slash + 1;
    const std::size_t dot = executablePath.rfind(L'.');
    std::size_t nameEnd = dot != std::wstring::npos && dot >= nameStart ? dot : executablePath.size();
    // The 64-bit build "Tidewell64.exe" shares the settings of the 32-bit
    // "Tidewell.exe" beside it.
    if (nameEnd - nameStart > 2 && executablePath.compare(nameEnd - 2, 2, L"64") == 0) nameEnd -= 2;
    return executablePath.substr(0, nameEnd) + L".ini";
}

}  // namespace tw
