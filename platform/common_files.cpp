// The helpers of platform/common.h that ask the system about files, folders
// and the clock; the text helpers beside them in common.cpp need nothing of it.
#include "platform/common.h"

namespace tw {

std::wstring programFolder() {
    const std::wstring exe = plat::executablePath();
    const auto pos = exe.find_last_of(L'\\');
    return pos == std::wstring::npos ? std::wstring() : exe.substr(0, pos + 1);
}

bool fileExists(const std::wstring& path) {
    auto a = plat::getFileAttributes(path);
    return a != plat::kInvalidAttributes && (a & plat::kAttrDirectory) == 0;
}

bool directoryExists(const std::wstring& path) {
    auto a = plat::getFileAttributes(path);
    return a != plat::kInvalidAttributes && (a & plat::kAttrDirectory) != 0;
}

bool forceDirectories(const std::wstring& path) {
    std::wstring dir = excludeTrailingBackslash(path);
    if (dir.empty()) return false;
    if (directoryExists(dir)) return true;
    auto pos = dir.find_last_of(L'\\');
    if (pos != std::wstring::npos && pos > 0) {
        std::wstring parent = dir.substr(0, pos);
        // A drive ("C:") or a UNC share root needs no creating.
        if (!(parent.size() == 2 && parent[1] == L':') && !forceDirectories(parent)) return false;
    }
    plat::Error e = plat::createDirectory(dir);
    return e == plat::kOk || directoryExists(dir);
}

std::wstring fileTimeStamp() {
    std::wstring stamp = plat::shortDateText() + L"-" + plat::longTimeText();
    for (wchar_t& c : stamp)
        if (c == L':' || c == L'/') c = L'-';
    return stamp;
}

}  // namespace tw
