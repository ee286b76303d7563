// Reads arbitrary folders.idx text and sub-folder names (UTF-8) as a restore
// does, and checks where it would write: only into a sound folder
// ("X:\" and plain names, each ending in "\"), never into the backup root.
// Each chunk is also taken as a folder the writer backs up: recorded in the
// index under its encoded name, it must come back as itself.
//
// Input: NUL-separated chunks: the index, then one sub-folder name (or
// folder) per chunk.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/common.h"
#include "store/BackupStore.h"

namespace {

const std::wstring kRoot = L"C:\\TOOLS\\TIDEWELL\\BACKUP\\";

void require(bool ok) {
    if (!ok) std::abort();
}

bool plainName(const std::wstring& name) {
    if (name.empty() || name.back() == L'.' || name.back() == L' ') return false;
    for (wchar_t c : name)
        if (c < 0x20 || std::wstring(L"\\/:*?\"<>|").find(c) != std::wstring::npos) return false;
    return true;
}

bool soundFolder(const std::wstring& path) {
    if (path.size() < 3 || !((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) ||
        path.compare(1, 2, L":\\") != 0 || path.back() != L'\\')
        return false;
    for (std::size_t start = 3, end; start < path.size(); start = end + 1)
        if (!plainName(path.substr(start, (end = path.find(L'\\', start)) - start))) return false;
    return true;
}

bool inBackupRoot(const std::wstring& folder) { return tw::upperAscii(folder).compare(0, kRoot.size(), kRoot) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> chunks(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) chunks.emplace_back();
        else chunks.back().push_back(static_cast<char>(data[i]));
    }
    const tw::FolderIndex index = tw::ParseFolderIndex(chunks[0]);
    for (const auto& [key, folder] : index)
        require(soundFolder(folder) && tw::FolderIndexKey(key) == key);
    for (std::size_t i = 1; i < chunks.size(); ++i) {
        const std::wstring sub = tw::fromUtf8(chunks[i]);
        const std::wstring target = tw::RestoreFolder(index, sub, kRoot);
        require(target.empty() || (soundFolder(target) && !inBackupRoot(target)));

        const std::wstring& folder = sub;
        if (!soundFolder(folder)) continue;
        const std::wstring name = tw::EncodeFolder(folder);
        require(plainName(name));
        const std::wstring back = tw::RestoreFolder(tw::ParseFolderIndex(tw::FolderIndexLine(name, folder)), name, kRoot);
        require(back == (inBackupRoot(folder) ? L"" : folder));
        // Without ";" or "'" the name alone decodes to the folder.
        if (folder.find_first_of(L";'") == std::wstring::npos)
            require(tw::DecodeFolder(name) == folder);
    }
    return 0;
}
