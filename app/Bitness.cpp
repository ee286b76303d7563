#include "app/Bitness.h"

#include <algorithm>

namespace tw {

StartChoice ChooseStart(bool process64, bool system64, bool sixtyFourBuildBeside) {
    if (process64 || !system64) return StartChoice::RunHere;
    return sixtyFourBuildBeside ? StartChoice::HandOver : StartChoice::Refuse;
}

std::wstring SixtyFourBuildPathFor(const std::wstring& executablePath) {
    const std::size_t slash = executablePath.find_last_of(L"\\/:");
    const std::size_t nameStart = slash == std::wstring::npos ? 0 : slash + 1;
    const std::size_t dot = executablePath.rfind(L'.');
    const std::size_t nameEnd = dot != std::wstring::npos && dot >= nameStart ? dot : executablePath.size();
    return executablePath.substr(0, nameEnd) + L"64.exe";
}

std::size_t ArgumentsStart(const std::wstring& commandLine) {
    if (!commandLine.empty() && commandLine[0] == L'"') {
        const std::size_t close = commandLine.find(L'"', 1);
        return close == std::wstring::npos ? commandLine.size() : close + 1;
    }
    return std::min(commandLine.find_first_of(L" \t"), commandLine.size());
}

std::wstring HandOverCommandLine(const std::wstring& sixtyFourBuildPath, const std::wstring& commandLine) {
    const std::wstring arguments = commandLine.substr(ArgumentsStart(commandLine));
    // An argument written right after the quoted name ("...exe"-quit) is still
    // one after the new name.
    const bool joined = !arguments.empty() && arguments[0] != L' ' && arguments[0] != L'\t';
    return L"\"" + sixtyFourBuildPath + L"\"" + (joined ? L" " : L"") + arguments;
}

}  // namespace tw
