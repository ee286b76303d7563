// What a cleaning run knows about an item beyond its log line: that it was
// queued for deletion at the restart (its line stays "Not deleted ..."),
// where its backup copy went, why it was refused. The deletion routines note
// it beside the line they write; the run's report and exit code read it back
// by the item's path as its line spells it. A run clears the notes when it
// clears the run log.
#pragma once

#include <string>
#include <vector>

namespace tw {

struct ItemNote {
    bool queuedAtRestart = false;
    std::wstring backupCopy;  // empty: no copy written
    std::wstring refusal;     // empty: not refused, or no reason known
};

void NoteQueuedAtRestart(const std::wstring& path);
void NoteBackupCopy(const std::wstring& path, const std::wstring& copy);
void NoteRefusal(const std::wstring& path, const std::wstring& reason);
// A device's hardware ids, most specific first, beside its line.
void NoteHardwareIds(const std::wstring& path, const std::vector<std::wstring>& ids);
// The note of an item; nullptr when nothing was noted.
const ItemNote* FindItemNote(const std::wstring& path);
// The hardware ids noted beside an item's line; empty when none were.
std::vector<std::wstring> FindHardwareIds(const std::wstring& path);
void ClearItemNotes();

}  // namespace tw
