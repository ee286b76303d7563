// Feeds arbitrary bytes, read as UTF-8, to the strict decoder, the folder
// path normaliser and the path helpers. A finding is a crash, a sanitizer
// report, or a broken promise: the decoder makes a separator or a line break
// that was not in the bytes; a normalised path that is not absolute, keeps a
// ".", ".." or empty segment or a trailing blank or dot, or changes when
// normalised again; a trailing backslash added or taken away wrongly; a name
// a restore would write that leaves its folder or holds a look-alike.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/FolderPath.h"
#include "platform/common.h"
#include "store/BackupStore.h"

namespace {

void require(bool ok) {
    if (!ok) std::abort();
}

void checkNormalised(const std::wstring& path) {
    require(path.size() >= 3 && path[0] >= L'A' && path[0] <= L'Z' && path.compare(1, 2, L":\\") == 0);
    if (path.size() == 3) return;
    require(path.back() != L'\\');
    std::size_t start = 3;
    while (start <= path.size()) {
        std::size_t end = path.find(L'\\', start);
        if (end == std::wstring::npos) end = path.size();
        const std::wstring seg = path.substr(start, end - start);
        require(!seg.empty() && seg.back() != L'.' && seg.back() != L' ');
        start = end + 1;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::wstring wide = tw::fromUtf8(text);
    for (const char c : {'\\', '/', '\n', '\r', ':', '.'})
        require(std::count(wide.begin(), wide.end(), static_cast<wchar_t>(c)) ==
                std::count(text.begin(), text.end(), c));
    require(tw::fromUtf8(tw::toUtf8(wide)) == wide);

    if (const auto norm = tw::NormalizeFolderPathW(wide)) {
        checkNormalised(*norm);
        require(tw::NormalizeFolderPathW(*norm) == norm);
    }
    const std::wstring with = tw::includeTrailingBackslash(wide);
    require(!with.empty() && with.back() == L'\\');
    require(with.compare(0, wide.size(), wide) == 0 && with.size() - wide.size() <= 1);
    require(tw::excludeTrailingBackslash(with) == with.substr(0, with.size() - 1));

    // The same text with look-alikes of "\\", "/", ":" and "." for the real ones: a name a
    // restore writes is one name of its folder, and no code page's best fit re-spells it.
    std::wstring alike = wide;
    for (wchar_t& c : alike) c = c == L'\\' ? L'\uFF3C' : c == L'/' ? L'\u2215' : c == L':' ? L'\uFF1A' : c == L'.' ? L'\uFF0E' : c;
    for (const std::wstring& name : {wide, alike}) {
        if (!tw::IsRestorableName(name)) continue;
        require(tw::NormalizeFolderPathW(L"C:\\F\\" + name) == L"C:\\F\\" + name);
        for (const wchar_t c : name) require(std::wstring_view(L"\uFF3C\u2216\uFF0F\u2215\uFF1A\uFF0E\u00A5\u20A9").find(c) == std::wstring_view::npos);
    }
    return 0;
}
