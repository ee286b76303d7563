// What the Log dialog decides, without windows: which page the selected tree
// node names, which saved logs the lists show, viewing a log and removing the
// checked ones, and the text of the run log's view.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "log/LogUnit.h"

namespace tw {

// The pages, in the order of their nodes in the tree.
enum class LogPage { View, Remove, None };

// The dialog-wide Delete key looks the remove page up as "Remove Log" (the
// language file ignores the key's case, so it reads the same entry).
bool IsRemoveLogPageForDeleteKey(const std::wstring& nodeText);

// The saved logs: every "*.txt" entry of LogFolder(), shown without its last
// four characters, in the order the file system returns them. An absent
// folder gives no names.
std::vector<std::wstring> LogNames();
// The same names sorted as the remove page's check list keeps them.
std::vector<std::wstring> SortedLogNames();

// LogFolder() + name + ".txt".
std::wstring LogFilePath(const std::wstring& name);

// Shows a saved log: the run log is replaced by the file's lines, sorted.
// Raises AppError "Cannot open file ..." when the file cannot be read; the
// run log then stays as it was.
void ViewLog(const std::wstring& name);

// One entry of a check list.
struct CheckEntry {
    std::wstring name;
    bool checked = false;
};

// Deletes the file of every checked entry, from the last entry to the first.
// Returns the indexes of the entries to take out of the list, in that order
// (highest first): every checked entry, whether its file could be deleted or
// not.
std::vector<std::size_t> RemoveCheckedLogs(const std::vector<CheckEntry>& entries);

// The run log as one text for the view: lines joined by CR LF.
std::wstring LogViewText(const TRunLog& log);

}  // namespace tw
