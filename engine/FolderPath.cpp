#include "engine/FolderPath.h"

#include <vector>

#include "platform/platform.h"

namespace tw {

std::optional<std::wstring> NormalizeFolderPathW(const std::wstring& input) {
    std::wstring path = input;
    for (auto& c : path)
        if (c == L'/') c = L'\\';
    if (path.size() < 3 || path[1] != L':' || path[2] != L'\\') return std::nullopt;
    wchar_t drive = path[0];
    if (drive >= L'a' && drive <= L'z') drive = static_cast<wchar_t>(drive - L'a' + L'A');
    if (drive < L'A' || drive > L'Z') return std::nullopt;
    if (path.find_first_of(L"*?\"<>|:", 2) != std::wstring::npos) return std::nullopt;
    std::vector<std::wstring> kept;
    std::size_t start = 3;
    while (start <= path.size()) {
        std::size_t end = path.find(L'\\', start);
        if (end == std::wstring::npos) end = path.size();
        std::wstring seg = path.substr(start, end - start);
        start = end + 1;
        if (seg == L"..") {
            if (kept.empty()) return std::nullopt;
            kept.pop_back();
            continue;
        }
        const bool dotsOnly = !seg.empty() && seg.find_first_not_of(L'.') == std::wstring::npos;
        if (dotsOnly && seg != L".") return std::nullopt;  // "...": no sound reading
        while (!seg.empty() && (seg.back() == L' ' || seg.back() == L'.')) seg.pop_back();
        if (!seg.empty()) kept.push_back(seg);  // "", "." and "  " go
    }
    std::wstring out{drive, L':'};
    if (kept.empty()) return out + L"\\";
    for (const auto& seg : kept) out += L"\\" + seg;
    return out;
}

namespace {

// The DOS wildcards the system puts into a pattern.
constexpr wchar_t kDosStar = L'<';  // up to the name's last dot (the whole name when it has none)
constexpr wchar_t kDosQm = L'>';    // one character, or none at a dot or the end
constexpr wchar_t kDosDot = L'"';   // a dot, or nothing at the end

std::wstring systemPattern(std::wstring pattern) {
    // Trailing blanks go, as the system drops them from the last part of a path.
    while (pattern.size() > 1 && pattern.back() == L' ') pattern.pop_back();
    const bool trailingDot = pattern.size() > 1 && pattern.back() == L'.';
    if (trailingDot) pattern.pop_back();
    if (pattern == L"*.*") return L"*";
    std::wstring out = pattern;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const wchar_t next = i + 1 < pattern.size() ? pattern[i + 1] : trailingDot ? L'.' : L'\0';
        if (pattern[i] == L'?')
            out[i] = kDosQm;
        else if (pattern[i] == L'*' && next == L'.')
            out[i] = kDosStar;
        else if (pattern[i] == L'.' && (next == L'?' || next == L'*'))
            out[i] = kDosDot;
    }
    return out;
}

bool sameLetter(wchar_t a, wchar_t b) {
    if (a == b) return true;
    if (a < 0x80 && b < 0x80) {
        const auto up = [](wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - 32) : c; };
        return up(a) == up(b);
    }
    return plat::sameNameIgnoreCase(std::wstring(1, a), std::wstring(1, b));
}

bool matches(const wchar_t* p, const wchar_t* pEnd, const wchar_t* n, const wchar_t* nEnd) {
    for (; p < pEnd; ++p) {
        if (*p == L'*' || *p == kDosStar) {
            const wchar_t* limit = nEnd;
            if (*p == kDosStar)
                for (const wchar_t* k = n; k < nEnd; ++k)
                    if (*k == L'.') limit = k;
            for (const wchar_t* k = n;; ++k) {
                if (matches(p + 1, pEnd, k, nEnd)) return true;
                if (k == limit) return false;
            }
        }
        if (*p == kDosQm) {
            if (n < nEnd && *n != L'.') ++n;
        } else if (*p == kDosDot) {
            if (n < nEnd && *n == L'.')
                ++n;
            else if (n != nEnd)
                return false;
        } else if (n == nEnd || !(*p == L'?' || sameLetter(*p, *n))) {
            return false;
        } else {
            ++n;
        }
    }
    return n == nEnd;
}

}  // namespace

FilePattern::FilePattern(const std::wstring& pattern) : system_(systemPattern(pattern)) {}

bool FilePattern::Matches(const std::wstring& name) const {
    return !name.empty() &&
           matches(system_.data(), system_.data() + system_.size(), name.data(), name.data() + name.size());
}

bool MatchesPattern(const std::wstring& name, const std::wstring& pattern) { return FilePattern(pattern).Matches(name); }

bool IsSameOrAncestor(const std::wstring& folder, const std::wstring& other) {
    if (folder.empty() || other.size() < folder.size()) return false;
    if (!plat::sameNameIgnoreCase(other.substr(0, folder.size()), folder)) return false;
    return other.size() == folder.size() || folder.back() == L'\\' || other[folder.size()] == L'\\';
}

}  // namespace tw
