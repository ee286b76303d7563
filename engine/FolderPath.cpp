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

bool IsSameOrAncestor(const std::wstring& folder, const std::wstring& other) {
    if (folder.empty() || other.size() < folder.size()) return false;
    if (!plat::sameNameIgnoreCase(other.substr(0, folder.size()), folder)) return false;
    return other.size() == folder.size() || folder.back() == L'\\' || other[folder.size()] == L'\\';
}

}  // namespace tw
