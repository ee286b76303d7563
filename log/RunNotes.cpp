#include "log/RunNotes.h"

#include <map>

namespace tw {
namespace {

std::map<std::wstring, ItemNote>& notes() {
    static std::map<std::wstring, ItemNote> all;
    return all;
}

std::map<std::wstring, std::vector<std::wstring>>& hardwareIds() {
    static std::map<std::wstring, std::vector<std::wstring>> all;
    return all;
}

}  // namespace

void NoteQueuedAtRestart(const std::wstring& path) { notes()[path].queuedAtRestart = true; }

void NoteBackupCopy(const std::wstring& path, const std::wstring& copy) { notes()[path].backupCopy = copy; }

void NoteRefusal(const std::wstring& path, const std::wstring& reason) { notes()[path].refusal = reason; }

void NoteHardwareIds(const std::wstring& path, const std::vector<std::wstring>& ids) { hardwareIds()[path] = ids; }

std::vector<std::wstring> FindHardwareIds(const std::wstring& path) {
    const auto found = hardwareIds().find(path);
    return found == hardwareIds().end() ? std::vector<std::wstring>{} : found->second;
}

const ItemNote* FindItemNote(const std::wstring& path) {
    const auto found = notes().find(path);
    return found == notes().end() ? nullptr : &found->second;
}

void ClearItemNotes() { notes().clear(), hardwareIds().clear(); }

}  // namespace tw
