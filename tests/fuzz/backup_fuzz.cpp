// Restores a backup set of arbitrary sub-folder names and folders.idx on the
// in-memory Windows and checks every write: only a file of the set, into a
// sound folder ("X:\" and plain names, each ending in "\") that the restore
// chose for that sub-folder, never below a link or into the set. The writer,
// trusting the same index, must keep its copies inside the item.
//
// Input: a flags byte (1: C:\Data is a folder link to C:\WINDOWS, 2: C:\Data\x.dll is a
// file link, 4: no folders.idx), then NUL-separated chunks: the index, then
// one sub-folder name per chunk, each holding x.dll.
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "backup/BackupUnit.h"
#include "fake/fake.h"
#include "platform/common.h"

namespace {

const std::string kItem = "C:\\Tools\\Tidewell\\Backup\\set\\ATi - Display - Files\\";

void require(bool ok) {
    if (!ok) std::abort();
}

bool plainName(const std::string& name) {
    if (name.empty() || name.back() == '.' || name.back() == ' ') return false;
    for (unsigned char c : name)
        if (c < 0x20 || std::string("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string::npos) return false;
    return true;
}

bool soundFolder(const std::string& path) {
    if (path.size() < 3 || !std::isalpha(static_cast<unsigned char>(path[0])) || path.compare(1, 2, ":\\") != 0 ||
        path.back() != '\\')
        return false;
    for (std::size_t start = 3, end; start < path.size(); start = end + 1)
        if (!plainName(path.substr(start, (end = path.find('\\', start)) - start))) return false;
    return true;
}

bool inside(const std::string& path, const std::string& folder) {  // both upper case, folder without "\"
    return path.compare(0, folder.size() + 1, folder + "\\") == 0;
}

std::map<std::string, std::vector<std::uint8_t>> snapshot() {
    std::map<std::string, std::vector<std::uint8_t>> out;
    for (const auto& path : fake::tree("C:\\"))
        out[tw::upperAscii(path)] = fake::isFolder(path) ? std::vector<std::uint8_t>{1} : fake::contentBytes(path);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::vector<std::string> chunks(1);
    for (std::size_t i = 1; i < size; ++i) {
        if (data[i] == 0) chunks.emplace_back();
        else chunks.back().push_back(static_cast<char>(data[i]));
    }
    fake::reset();
    fake::addFolder(kItem);
    if (data[0] & 1) fake::addLink("C:\\Data", "C:\\WINDOWS");
    if (data[0] & 2) fake::addFile("C:\\Data\\x.dll", "link", plat::kAttrArchive | plat::kAttrReparsePoint);
    if ((data[0] & 4) == 0) fake::addFile(kItem + tw::kFolderIndexName, chunks[0]);
    std::vector<std::string> names;
    for (std::size_t i = 1; i < chunks.size(); ++i) {
        if (!plainName(chunks[i])) continue;  // a listing never returns such a name
        try {
            fake::addFile(kItem + chunks[i] + "\\x.dll", "copy");
            names.push_back(chunks[i]);
        } catch (const std::exception&) {  // a name the fake cannot hold as a folder, folders.idx for one
        }
    }
    const auto index = tw::ReadFolderIndex(kItem);
    std::vector<std::string> targets;
    for (const auto& name : names) {
        const std::string target = tw::RestoreFolder(index, name);
        require(target.empty() || soundFolder(target));
        if (!target.empty()) targets.push_back(tw::upperAscii(target));
    }

    const auto before = snapshot();
    tw::RestoreFiles("set\\ATi - Display - Files\\");
    for (const auto& [path, content] : snapshot()) {
        const auto old = before.find(path);
        if (old != before.end() && old->second == content) continue;
        // Written: a copy at its place or staged beside it, or a folder on the way there.
        bool allowed = false;
        for (const auto& t : targets)
            allowed = allowed || path == t + "X.DLL" || path == t + "__X.DLL" || inside(t, path);
        require(allowed && !inside(path, tw::upperAscii(kItem.substr(0, kItem.size() - 1))));
        require(!((data[0] & 1) && inside(path, "C:\\DATA")) && !((data[0] & 2) && path == "C:\\DATA\\X.DLL"));
    }

    const std::string sub = tw::PrepareFileBackupFolder(kItem, "C:\\Src\\");
    require(sub.empty() || (sub.compare(0, kItem.size(), kItem) == 0 && sub.back() == '\\' &&
                            plainName(sub.substr(kItem.size(), sub.size() - kItem.size() - 1))));
    return 0;
}
