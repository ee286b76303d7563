// Files and folders of the in-memory Windows: find, attributes, delete, copy,
// folders, the restart queue and whole-file reads and writes.
#include <algorithm>
#include <stdexcept>

#include "state.h"

namespace fake::detail {
namespace {

constexpr plat::Error kErrDirectory = 267;  // ERROR_DIRECTORY: "The directory name is invalid."

// The error Windows gives for a path that does not exist: the file is
// missing (its folder exists) or the path to it is.
plat::Error missingError(const ParsedPath& p) {
    if (!p.ok) return plat::kErrPathNotFound;
    FsEntry* parent = findEntry(p.parent());
    return parent && parent->folder ? plat::kErrFileNotFound : plat::kErrPathNotFound;
}

bool folderExists(const ParsedPath& p) {
    FsEntry* e = findEntry(p);
    return e && e->folder;
}

// ---- FindFirstFile wildcards ----
// FindFirstFile hands the file system a DOS expression: "?" becomes DOS_QM,
// "." before "?" or "*" becomes DOS_DOT, "*" before "." becomes DOS_STAR, a
// whole "*.*" becomes "*", and the trailing dots and blanks of the name are
// dropped by path normalisation (a "*" before a dropped dot still becomes
// DOS_STAR, so "*." finds the names without an extension).
enum class Tok { Char, Star, DosStar, DosQm, DosDot };
struct Token {
    Tok kind;
    char c = 0;
};

std::vector<Token> translate(std::string mask) {
    std::string trimmed = mask;
    while (!trimmed.empty() && (trimmed.back() == ' ' || trimmed.back() == '.')) trimmed.pop_back();
    if (trimmed == "*.*") return {{Tok::Star}};
    std::vector<Token> out;
    for (std::size_t i = 0; i < trimmed.size(); ++i) {
        char c = trimmed[i];
        char next = i + 1 < mask.size() ? mask[i + 1] : '\0';  // look at the untrimmed text
        if (c == '?') {
            out.push_back({Tok::DosQm});
        } else if (c == '*') {
            out.push_back({next == '.' ? Tok::DosStar : Tok::Star});
        } else if (c == '.' && (next == '?' || next == '*')) {
            out.push_back({Tok::DosDot});
        } else {
            out.push_back({Tok::Char, static_cast<char>(upper(std::string(1, c))[0])});
        }
    }
    return out;
}

bool matches(const std::vector<Token>& expr, const std::string& nameIn) {
    std::string name = upper(nameIn);
    const std::size_t n = name.size(), m = expr.size();
    std::size_t lastDot = name.rfind('.');
    // reach[t][i]: expression position t can be at name position i.
    std::vector<std::vector<char>> reach(m + 1, std::vector<char>(n + 1, 0));
    reach[0][0] = 1;
    for (std::size_t t = 0; t < m; ++t) {
        const Token& tok = expr[t];
        for (std::size_t i = 0; i <= n; ++i) {
            if (!reach[t][i]) continue;
            switch (tok.kind) {
                case Tok::Char:
                    if (i < n && name[i] == tok.c) reach[t + 1][i + 1] = 1;
                    break;
                case Tok::Star:
                    for (std::size_t j = i; j <= n; ++j) reach[t + 1][j] = 1;
                    break;
                case Tok::DosStar: {
                    // Any characters, but never the last dot of the name or what follows it.
                    std::size_t limit = lastDot == std::string::npos ? n : lastDot;
                    for (std::size_t j = i; j <= std::max(i, limit); ++j) reach[t + 1][j] = 1;
                    break;
                }
                case Tok::DosQm:
                    if (i == n || name[i] == '.') reach[t + 1][i] = 1;
                    else reach[t + 1][i + 1] = 1;
                    break;
                case Tok::DosDot:
                    if (i < n && name[i] == '.') reach[t + 1][i + 1] = 1;
                    if (i == n) reach[t + 1][i] = 1;
                    break;
            }
        }
    }
    return reach[m][n] != 0;
}

plat::FindData toFindData(const FsEntry& e, const std::string& name) {
    plat::FindData d;
    d.name = name;
    d.attributes = e.attributes;
    d.size = e.folder ? 0 : e.data.size();
    return d;
}

std::string lastName(const FsEntry& e) { return splitAnsi(e.path).back(); }

void requireOk(const ParsedPath& p, const std::string& path) {
    if (!p.ok) throw std::invalid_argument("fake: not an absolute path: " + path);
}

void ensureParents(const ParsedPath& p) {
    ParsedPath cur = p;
    cur.parts.clear();
    if (!findEntry(cur)) putFolder(cur);
    for (std::size_t i = 0; i + 1 < p.parts.size(); ++i) {
        cur.parts.push_back(p.parts[i]);
        FsEntry* e = findEntry(cur);
        if (!e) putFolder(cur);
        else if (!e->folder) throw std::invalid_argument("fake: a file is in the way: " + e->path);
    }
}

}  // namespace
}  // namespace fake::detail

namespace plat {

using namespace fake::detail;
using fake::Fault;

Error findEntries(const std::string& pattern, std::vector<FindData>& out) {
    out.clear();
    const std::vector<std::string> parts = splitAnsi(pattern);
    if (parts.size() < 2) return kErrPathNotFound;  // relative: the fake has no current folder
    const std::string mask = parts.back();
    // A link named in the pattern's folder is followed, as the search does.
    ParsedPath dir = followLink(parsePath(pattern.substr(0, pattern.size() - mask.size())));
    if (!dir.ok) return kErrPathNotFound;
    FsEntry* folder = findEntry(dir);
    if (!folder) return kErrPathNotFound;
    if (!folder->folder) return kErrDirectory;
    if (hasFault(dir, Fault::AccessDenied)) return kErrAccessDenied;
    std::string trimmed = mask;
    while (!trimmed.empty() && (trimmed.back() == ' ' || trimmed.back() == '.')) trimmed.pop_back();
    if (trimmed.empty() && mask.find('.') == std::string::npos) return kOk;  // "C:\dir\": nothing found
    std::vector<Token> expr = translate(mask);
    if (!dir.isRoot()) {  // a drive's root has no "." and ".." entries
        FsEntry* parent = findEntry(dir.parent());
        if (matches(expr, ".")) out.push_back(toFindData(*folder, "."));
        if (matches(expr, "..")) out.push_back(toFindData(parent ? *parent : *folder, ".."));
    }
    for (FsEntry* e : children(dir)) {
        std::string name = lastName(*e);
        if (matches(expr, name)) out.push_back(toFindData(*e, name));
    }
    return kOk;
}

std::uint32_t getFileAttributes(const std::string& path) {
    FsEntry* e = findEntry(parsePath(path));
    return e ? e->attributes : kInvalidAttributes;
}

Error setFileAttributes(const std::string& path, std::uint32_t attributes) {
    ParsedPath p = parsePath(path);
    FsEntry* e = findEntry(p);
    if (!e) return missingError(p);
    if (hasFault(p, Fault::AccessDenied)) return kErrAccessDenied;
    constexpr std::uint32_t settable = kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive | 0x100 | 0x2000;
    std::uint32_t a = attributes & settable;
    if (e->folder) a |= kAttrDirectory;
    e->attributes = a == 0 ? kAttrNormal : a;
    return kOk;
}

Error deleteFile(const std::string& path) {
    ParsedPath p = parsePath(path);
    FsEntry* e = findEntry(p);
    if (!e) return missingError(p);
    if (e->folder) return kErrAccessDenied;
    if (hasFault(p, Fault::AccessDenied)) return kErrAccessDenied;
    if (e->attributes & kAttrReadOnly) return kErrAccessDenied;
    if (hasFault(p, Fault::Locked)) return kErrSharingViolation;
    machine().fs.erase(p.key());
    return kOk;
}

Error copyFile(const std::string& from, const std::string& to, bool failIfExists) {
    ParsedPath src = parsePath(from), dst = parsePath(to);
    FsEntry* s = findEntry(src);
    if (!s) return missingError(src);
    if (s->folder) return kErrAccessDenied;
    if (hasFault(src, Fault::AccessDenied) || hasFault(src, Fault::CopyFails)) return kErrAccessDenied;
    if (!dst.ok || !folderExists(dst.parent())) return kErrPathNotFound;
    if (dst.key() == src.key()) return kErrSharingViolation;  // the source is open for reading
    if (hasFault(dst, Fault::AccessDenied) || hasFault(dst, Fault::WriteFails)) return kErrAccessDenied;
    if (FsEntry* d = findEntry(dst)) {
        if (failIfExists) return kErrFileExists;
        // CopyFile refuses a hidden or read-only target.
        if (d->folder || (d->attributes & (kAttrReadOnly | kAttrHidden))) return kErrAccessDenied;
        if (hasFault(dst, Fault::Locked)) return kErrSharingViolation;
        d->data = s->data;
        d->attributes = s->attributes;
        return kOk;
    }
    std::vector<std::uint8_t> data = s->data;  // the map may move entries around
    std::uint32_t attributes = s->attributes;
    FsEntry& d = putFile(dst);
    d.data = std::move(data);
    d.attributes = attributes;
    return kOk;
}

Error createDirectory(const std::string& path) {
    ParsedPath p = parsePath(path);
    if (!p.ok) return kErrPathNotFound;
    if (p.isRoot()) return findEntry(p) ? kErrAccessDenied : kErrPathNotFound;
    if (findEntry(p)) return kErrAlreadyExists;
    if (!folderExists(p.parent())) return kErrPathNotFound;
    if (hasFault(p, Fault::AccessDenied) || hasFault(p, Fault::WriteFails)) return kErrAccessDenied;
    putFolder(p);
    return kOk;
}

Error removeDirectory(const std::string& path) {
    ParsedPath p = parsePath(path);
    FsEntry* e = findEntry(p);
    if (!e) return missingError(p);
    if (!e->folder) return kErrDirectory;
    if (p.isRoot() || hasFault(p, Fault::AccessDenied)) return kErrAccessDenied;
    if (!children(p).empty()) return kErrDirNotEmpty;
    if (e->attributes & kAttrReadOnly) return kErrAccessDenied;
    if (hasFault(p, Fault::Locked)) return kErrSharingViolation;
    machine().fs.erase(p.key());
    return kOk;
}

Error moveFileAtReboot(const std::string& from, const std::string& to) {
    ParsedPath src = parsePath(from);
    if (!src.ok) return kErrPathNotFound;
    // The queue lives under HKLM: without administrator rights the call is refused.
    if (hasFault(src, Fault::AccessDenied)) return kErrAccessDenied;
    machine().restartQueue.push_back({from, to});
    return kOk;
}

Error readFileBytes(const std::string& path, std::vector<std::uint8_t>& out) {
    out.clear();
    ParsedPath p = parsePath(path);
    FsEntry* e = findEntry(p);
    if (!e) return missingError(p);
    if (e->folder || hasFault(p, Fault::AccessDenied)) return kErrAccessDenied;
    out = e->data;
    return kOk;
}

Error writeFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    ParsedPath p = parsePath(path);
    if (!p.ok || p.isRoot() || !folderExists(p.parent())) return kErrPathNotFound;
    if (hasFault(p, Fault::AccessDenied) || hasFault(p, Fault::WriteFails)) return kErrAccessDenied;
    if (FsEntry* e = findEntry(p)) {
        // CreateFile with CREATE_ALWAYS and FILE_ATTRIBUTE_NORMAL refuses a hidden
        // or system file, and a read-only one cannot be opened for writing.
        if (e->folder || (e->attributes & (kAttrReadOnly | kAttrHidden | kAttrSystem))) return kErrAccessDenied;
        if (hasFault(p, Fault::Locked)) return kErrSharingViolation;
        e->data = bytes;
        e->attributes = kAttrArchive;  // the new file's attributes replace the old ones
        return kOk;
    }
    putFile(p).data = bytes;
    return kOk;
}

std::string executablePath() { return machine().exePath; }
std::wstring executablePathW() { return ansiToWide(machine().exePath); }

std::optional<std::string> getEnv(const std::string& name) {
    auto& env = machine().env;
    auto it = env.find(upper(name));
    if (it == env.end()) return std::nullopt;
    return it->second;
}

}  // namespace plat

namespace fake {

using namespace detail;

void addFolder(const std::string& path) {
    ParsedPath p = parsePath(path);
    requireOk(p, path);
    ensureParents(p);
    FsEntry* e = findEntry(p);
    if (e && !e->folder) throw std::invalid_argument("fake: a file is in the way: " + path);
    if (!e) putFolder(p);
}

void addFileBytes(const std::string& path, const std::vector<std::uint8_t>& content, std::uint32_t attributes) {
    ParsedPath p = parsePath(path);
    requireOk(p, path);
    if (p.isRoot()) throw std::invalid_argument("fake: a drive is not a file: " + path);
    ensureParents(p);
    FsEntry* existing = findEntry(p);
    if (existing && existing->folder) throw std::invalid_argument("fake: a folder is in the way: " + path);
    FsEntry& e = putFile(p);
    e.attributes = (attributes & ~plat::kAttrDirectory) == 0 ? plat::kAttrNormal : (attributes & ~plat::kAttrDirectory);
    e.data = content;
}

void addFile(const std::string& path, const std::string& content, std::uint32_t attributes) {
    addFileBytes(path, std::vector<std::uint8_t>(content.begin(), content.end()), attributes);
}

bool exists(const std::string& path) { return findEntry(parsePath(path)) != nullptr; }

bool isFolder(const std::string& path) {
    FsEntry* e = findEntry(parsePath(path));
    return e && e->folder;
}

std::vector<std::uint8_t> contentBytes(const std::string& path) {
    FsEntry* e = findEntry(parsePath(path));
    if (!e || e->folder) throw std::runtime_error("fake: no such file: " + path);
    return e->data;
}

std::string content(const std::string& path) {
    auto bytes = contentBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

std::uint32_t attributes(const std::string& path) { return plat::getFileAttributes(path); }

std::vector<std::string> list(const std::string& folder) {
    std::vector<std::string> out;
    for (FsEntry* e : children(parsePath(folder))) out.push_back(lastName(*e));
    return out;
}

std::vector<std::string> tree(const std::string& folder) {
    std::vector<std::string> out;
    ParsedPath p = parsePath(folder);
    if (!p.ok) return out;
    std::string prefix = p.key() + "\\";
    auto& fs = machine().fs;
    for (auto it = fs.lower_bound(prefix); it != fs.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it)
        out.push_back(it->second.path);
    return out;
}

void setFault(const std::string& path, Fault fault) {
    ParsedPath p = parsePath(path);
    requireOk(p, path);
    machine().faults[p.key()].insert(fault);
}

void clearFault(const std::string& path, Fault fault) {
    ParsedPath p = parsePath(path);
    auto& faults = machine().faults;
    auto it = faults.find(p.key());
    if (it != faults.end()) it->second.erase(fault);
}

std::vector<PendingRename> restartQueue() { return machine().restartQueue; }

void setEnv(const std::string& name, std::optional<std::string> value) {
    auto& env = machine().env;
    if (value) env[upper(name)] = *value;
    else env.erase(upper(name));
}

void setExecutablePath(const std::string& path) {
    machine().exePath = path;
    if (!exists(path)) addFile(path, "MZ");
}

}  // namespace fake
