// Reads a backup set made of arbitrary sub-folder names and an arbitrary
// folders.idx, restores it on the in-memory Windows, and checks what a
// restore may write: only files of the set, each into an absolute drive
// folder (trailing backslash, plain names, no way up) that the index records
// for its sub-folder or that the sub-folder's name decodes to, never below a
// link, and never anything in the set itself. The writer, given the same
// index, must keep its copies inside the item.
//
// Input: a flags byte, then NUL-separated chunks: folders.idx, then one
// sub-folder name per chunk (each holding x.dll). Flags: 1 = C:\Data is a
// folder link, 2 = C:\Data\x.dll is a file link, 4 = there is no folders.idx.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "backup/BackupUnit.h"
#include "fake/fake.h"
#include "platform/common.h"

namespace {

const std::string kItem = "C:\\Tools\\Tidewell\\Backup\\set\\ATi - Display - Files\\";
const std::string kLink = "C:\\Data";

void require(bool ok) {
    if (!ok) std::abort();
}

bool plainName(const std::string& name) {
    if (name.empty() || name.back() == '.' || name.back() == ' ') return false;
    for (unsigned char c : name)
        if (c < 0x20 || std::string("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string::npos) return false;
    return true;
}

// Strictly "X:\" followed by plain names each ending in "\".
bool driveFolder(const std::string& path) {
    if (path.size() < 3 || path[1] != ':' || path[2] != '\\' || path.back() != '\\') return false;
    if (!((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'))) return false;
    for (std::size_t start = 3; start < path.size();) {
        const std::size_t end = path.find('\\', start);
        if (!plainName(path.substr(start, end - start))) return false;
        start = end + 1;
    }
    return true;
}

// The folders the raw index text pairs with a name, without any filtering.
std::multimap<std::string, std::string> recorded(const std::string& text) {
    std::multimap<std::string, std::string> out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos) continue;
        out.emplace(tw::upperAscii(plat::wideToAnsi(tw::fromUtf8(line.substr(0, tab)))),
                    plat::wideToAnsi(tw::fromUtf8(line.substr(tab + 1))));
    }
    return out;
}

std::string decoded(std::string name) {
    for (char& c : name) c = c == ';' ? '\\' : c == '\'' ? ':' : c;
    return name;
}

std::map<std::string, std::vector<std::uint8_t>> snapshot() {
    std::map<std::string, std::vector<std::uint8_t>> out;
    for (const auto& path : fake::tree("C:\\"))
        out[tw::upperAscii(path)] = fake::isFolder(path) ? std::vector<std::uint8_t>{1} : fake::contentBytes(path);
    return out;
}

bool within(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '\\';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const unsigned flags = data[0];
    std::vector<std::string> chunks(1);
    for (std::size_t i = 1; i < size; ++i) {
        if (data[i] == 0) chunks.emplace_back();
        else chunks.back().push_back(static_cast<char>(data[i]));
    }
    fake::reset();
    fake::addFolder(kItem);
    if (flags & 1) fake::addFolderLink(kLink);
    if (flags & 2) fake::addFile(kLink + "\\x.dll", "link", plat::kAttrArchive | plat::kAttrReparsePoint);
    const std::string indexText = chunks[0];
    if ((flags & 4) == 0) fake::addFile(kItem + tw::kFolderIndexName, indexText);
    std::set<std::string> subFolders;
    for (std::size_t i = 1; i < chunks.size(); ++i) {
        // What a listing can return: one name, no separator or wildcard.
        if (!plainName(chunks[i])) continue;
        try {
            fake::addFile(kItem + chunks[i] + "\\x.dll", "copy");
            subFolders.insert(chunks[i]);
        } catch (const std::exception&) {
            // A name the fake cannot hold as a folder (folders.idx itself, for one).
        }
    }

    // Where each sub-folder's files may go: a sound folder, recorded or decoded.
    const auto records = recorded((flags & 4) == 0 ? indexText : std::string());
    const auto index = tw::ReadFolderIndex(kItem);
    std::vector<std::string> targets;
    for (const auto& name : subFolders) {
        const std::string target = tw::RestoreFolder(index, name);
        if (target.empty()) continue;
        require(driveFolder(target));
        bool known = target == decoded(name);
        auto range = records.equal_range(tw::upperAscii(name));
        for (auto it = range.first; it != range.second; ++it) known = known || it->second == target;
        require(known);
        targets.push_back(tw::upperAscii(target));
    }

    const auto before = snapshot();
    tw::RestoreFiles("set\\ATi - Display - Files\\");
    const auto after = snapshot();
    const std::string item = tw::upperAscii(kItem.substr(0, kItem.size() - 1));
    for (const auto& [path, content] : after) {
        auto old = before.find(path);
        if (old != before.end() && old->second == content) continue;
        // Written: a file of the set in its target folder, or a folder on the way to one.
        bool allowed = false;
        for (const auto& t : targets) {
            allowed = allowed || path == t + "X.DLL" || path == t + "__X.DLL" || t.compare(0, path.size() + 1, path + "\\") == 0;
        }
        require(allowed);
        require(path != item && !within(path, item));
        if (flags & 1) require(!within(path, tw::upperAscii(kLink)));
        if (flags & 2) require(path != tw::upperAscii(kLink + "\\x.dll"));
    }

    // The writer, trusting the same index, keeps its copies inside the item.
    const std::string sub = tw::PrepareFileBackupFolder(kItem, "C:\\Src\\");
    require(sub.empty() || (sub.compare(0, kItem.size(), kItem) == 0 && sub.back() == '\\' &&
                            plainName(sub.substr(kItem.size(), sub.size() - kItem.size() - 1))));
    return 0;
}
