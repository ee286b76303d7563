// Feeds arbitrary bytes to the family file reader, as a file of the user's own
// and as a built-in one. A finding is a crash, a sanitizer report, or a broken
// promise: a file read as the user's own that the looser built-in rules
// refuse; a family read without its names or with no step; a pattern of the
// user's own without a literal stem or with a separator; a key step whose key
// has no HKLM or HKCU root.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <variant>

#include "targets/FamilyFormat.h"

namespace {

void require(bool ok) {
    if (!ok) std::abort();
}

void check(const tw::FamilyDescription& d, bool own) {
    require(!d.label.empty() && !d.section.empty() && !d.commandSwitch.empty() && !d.backupPrefix.empty());
    require(!d.files.empty() || !d.registry.empty());
    for (const tw::FamilyStep& step : d.files)
        for (const std::wstring& pattern : step.names) {
            require(pattern.find_first_of(L"\\/:") == std::wstring::npos);
            if (own) require(pattern.find_first_of(L"*?") >= 3);
        }
    for (const tw::FamilyStep& step : d.registry) {
        std::wstring root = step.key.substr(0, 5);
        for (wchar_t& c : root) c = c >= L'a' && c <= L'z' ? c - 32 : c;
        require((root == L"HKLM\\" || root == L"HKCU\\") && !tw::SplitKeyText(step.key).path.empty());
        require(!step.names.empty() || step.kind == tw::StepKind::KeysByValue);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const tw::FamilyParse own = tw::ParseFamily(text, true);
    const tw::FamilyParse builtIn = tw::ParseFamily(text, false);
    if (const auto* d = std::get_if<tw::FamilyDescription>(&own)) {
        check(*d, true);
        require(std::holds_alternative<tw::FamilyDescription>(builtIn));
    }
    if (const auto* d = std::get_if<tw::FamilyDescription>(&builtIn)) check(*d, false);
    return 0;
}
