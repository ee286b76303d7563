// Code-page conversion, comparison and the user's locale (kernel32, "W" forms).
#include <windows.h>

#include <climits>

#include "platform/platform.h"

namespace plat {

namespace {

int clampLength(std::size_t n) { return n > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(n); }

// Calls format(buffer, capacity) with a growing buffer until the text fits.
// Used for the date and time, which are read from the clock by every call.
template <typename Format>
std::wstring formatWithGrowingBuffer(Format format) {
    std::wstring buffer(64, L'\0');
    for (int attempt = 0; attempt < 6; ++attempt) {
        const int n = format(buffer.data(), static_cast<int>(buffer.size()));
        if (n > 0) {
            buffer.resize(static_cast<std::size_t>(n) - 1);  // n counts the terminating zero
            return buffer;
        }
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return {};
        buffer.assign(buffer.size() * 2, L'\0');
    }
    return {};
}

}  // namespace

std::wstring decodeAnsi(const std::string& text) {
    if (text.empty()) return {};
    const int len = clampLength(text.size());
    const int n = ::MultiByteToWideChar(CP_ACP, 0, text.data(), len, nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    const int written = ::MultiByteToWideChar(CP_ACP, 0, text.data(), len, out.data(), n);
    out.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
    return out;
}

std::wstring throughAnsi(const std::wstring& text) {
    if (text.empty()) return {};
    const int len = clampLength(text.size());
    const int n = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), len, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<std::size_t>(n), '\0');
    const int written =
        ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), len, out.data(), n, nullptr, nullptr);
    out.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
    return decodeAnsi(out);
}

int compareTextIgnoreCase(const std::wstring& a, const std::wstring& b) {
    // CompareStringW answers CSTR_LESS_THAN (1), CSTR_EQUAL (2) or
    // CSTR_GREATER_THAN (3); minus 2 gives the usual <0, 0, >0.
    const int r = ::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), clampLength(a.size()), b.data(),
                                   clampLength(b.size()));
    return r - CSTR_EQUAL;
}

std::wstring shortDateText() {
    return formatWithGrowingBuffer([](wchar_t* buffer, int capacity) {
        return ::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, buffer, capacity);
    });
}

std::wstring longTimeText() {
    return formatWithGrowingBuffer([](wchar_t* buffer, int capacity) {
        return ::GetTimeFormatW(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, buffer, capacity);
    });
}

std::wstring decimalSeparator() {
    wchar_t buffer[16] = {};  // the system allows at most three characters
    const int n = ::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, 16);
    if (n <= 1) return L".";  // the locale gave nothing: the invariant separator
    return std::wstring(buffer, static_cast<std::size_t>(n) - 1);
}


}  // namespace plat
