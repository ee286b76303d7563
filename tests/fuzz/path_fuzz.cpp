// Feeds arbitrary ANSI text to the folder path normaliser and the path
// helpers, in code page 1252 or the double-byte 932, where a character's
// second byte may be 0x5C, the backslash. The first byte picks the code
// page. A finding is a crash, a sanitizer report, or a broken promise: a
// normalised path that is not absolute, keeps a ".", ".." or empty segment
// or a trailing blank or dot, or changes when normalised again; a helper
// that splits a character or adds a backslash that is not one.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/FolderPath.h"
#include "native/ansi.h"
#include "platform/common.h"

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
    if (size < 1) return 0;
    nativetest::setCodePage(data[0] & 1 ? 932 : 1252);
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::wstring wide = plat::ansiToWide(text);

    if (const auto norm = tw::NormalizeFolderPathW(wide)) {
        checkNormalised(*norm);
        require(tw::NormalizeFolderPathW(*norm) == norm);
    }
    const auto narrow = tw::NormalizeFolderPath(text);
    // Text the code page reads whole gives the same answer in either form.
    const bool whole = plat::wideToAnsi(wide) == text;
    if (!whole) return 0;
    const auto norm = tw::NormalizeFolderPathW(wide);
    require(narrow.has_value() == norm.has_value());
    if (narrow) require(plat::ansiToWide(*narrow) == *norm);

    const std::string with = tw::includeTrailingBackslash(text);
    const std::wstring withWide = plat::ansiToWide(with);
    require(!withWide.empty() && withWide.back() == L'\\');
    require(withWide.compare(0, wide.size(), wide) == 0 && withWide.size() - wide.size() <= 1);
    const std::string without = tw::excludeTrailingBackslash(with);
    const std::wstring withoutWide = plat::ansiToWide(without);
    require(withoutWide == withWide.substr(0, withWide.size() - 1));
    const std::size_t cut = tw::lastPathSeparator(text);
    if (cut == std::string::npos) {
        require(wide.find(L'\\') == std::wstring::npos);
    } else {
        require(text[cut] == '\\' && plat::ansiToWide(text.substr(cut + 1)).find(L'\\') == std::wstring::npos);
        require(plat::ansiToWide(text.substr(0, cut)) + L"\\" + plat::ansiToWide(text.substr(cut + 1)) == wide);
    }
    return 0;
}
