#include "log/LogDialog.h"

#include <algorithm>

#include "options/Language.h"
#include "platform/common.h"
#include "platform/platform.h"

namespace tw {

bool IsRemoveLogPageForDeleteKey(const std::wstring& nodeText) {
    return nodeText == LanguageText(L"Remove Log");
}

std::vector<std::wstring> LogNames() {
    std::vector<plat::FindData> entries;
    if (plat::findEntries(LogFolder() + L"*.txt", entries) != plat::kOk) return {};
    std::vector<std::wstring> names;
    for (const plat::FindData& e : entries) {
        // The search also matches a longer extension through the short (8.3)
        // name ("a.txtx"); cutting four characters off such a name would name
        // a different file.
        const std::wstring& name = e.name;
        if (name.size() <= 4 || !equalsIgnoreCase(name.substr(name.size() - 4), std::wstring(L".txt")))
            continue;
        names.push_back(name.substr(0, name.size() - 4));
    }
    return names;
}

std::vector<std::wstring> SortedLogNames() {
    std::vector<std::wstring> names = LogNames();
    std::stable_sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
        return plat::compareTextIgnoreCase(a, b) < 0;
    });
    return names;
}

std::wstring LogFilePath(const std::wstring& name) {
    return LogFolder() + name + L".txt";
}

void ViewLog(const std::wstring& name) { LoadLogFile(LogFilePath(name)); }

std::vector<std::size_t> RemoveCheckedLogs(const std::vector<CheckEntry>& entries) {
    std::vector<std::size_t> removed;
    for (std::size_t i = entries.size(); i-- > 0;) {
        if (!entries[i].checked) continue;
        // A name that is not a plain file name would reach outside the folder.
        const std::wstring& name = entries[i].name;
        if (!name.empty() && name.find_first_of(L"\\/:") == std::wstring::npos)
            plat::deleteFile(LogFilePath(name));
        removed.push_back(i);
    }
    return removed;
}

std::wstring LogViewText(const TRunLog& log) {
    std::size_t length = 0;
    for (const std::wstring& line : log.lines()) length += line.size() + 2;
    std::wstring text;
    text.reserve(length);
    for (std::size_t i = 0; i < log.lines().size(); ++i) {
        if (i > 0) text += L"\r\n";
        text += log.lines()[i];
    }
    return text;
}

}  // namespace tw
