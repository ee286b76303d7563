#include "log/RunNotes.h"

#include <map>

namespace tw {
namespace {

std::map<std::wstring, ItemNote>& notes() {
    static std::map<std::wstring, ItemNote> all;
    return all;
}

}  // namespace

void NoteQueuedAtRestart(const std::wstring& path) { notes()[path].queuedAtRestart = true; }

void NoteBackupCopy(const std::wstring& path, const std::wstring& copy) { notes()[path].backupCopy = copy; }

void NoteRefusal(const std::wstring& path, const std::wstring& reason) { notes()[path].refusal = reason; }

void NoteHardwareIds(const std::wstring& path, const std::vector<std::wstring>& ids) { notes()[path].hardwareIds = ids; }

const ItemNote* FindItemNote(const std::wstring& path) {
    const auto found = notes().find(path);
    return found == notes().end() ? nullptr : &found->second;
}

void ClearItemNotes() { notes().clear(); }

}  // namespace tw
