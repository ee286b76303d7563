// Files and folders reached through handles, and the folders the system
// names, in the in-memory Windows.
#include <stdexcept>

#include "state.h"

namespace fake::detail {
namespace {

using plat::SystemFolder;

FsEntry* entryOf(const plat::EntryHandle& h) {
    const HandleObject* o = handleObject(h.get());
    if (!o || o->kind != HandleObject::Kind::Entry) return nullptr;
    auto it = machine().fs.find(o->entryKey);
    // A handle keeps the object it opened, not whatever took its name since.
    return it == machine().fs.end() || it->second.id != o->entryId ? nullptr : &it->second;
}

plat::Error openParsed(ParsedPath p, bool follow, plat::EntryHandle& out) {
    out.reset();
    if (!p.ok) return plat::kErrPathNotFound;
    if (follow || machine().openFollowsLinks) p = followLink(p);
    FsEntry* e = findEntry(p);
    if (!e) {
        FsEntry* parent = findEntry(p.parent());
        return parent && parent->folder ? plat::kErrFileNotFound : plat::kErrPathNotFound;
    }
    if (hasFault(p, Fault::AccessDenied)) return plat::kErrAccessDenied;
    out.reset(newHandle({HandleObject::Kind::Entry, 0, 0, p.key(), e->id}));
    return plat::kOk;
}

}  // namespace
}  // namespace fake::detail

namespace plat {

using namespace fake::detail;
using fake::Fault;

EntryHandle::~EntryHandle() { reset(); }
EntryHandle::EntryHandle(EntryHandle&& other) noexcept : value_(other.value_) { other.value_ = 0; }
EntryHandle& EntryHandle::operator=(EntryHandle&& other) noexcept {
    if (this != &other) {
        reset(other.value_);
        other.value_ = 0;
    }
    return *this;
}
void EntryHandle::reset(std::uintptr_t value) {
    if (value_ != 0) closeHandle(value_);
    value_ = value;
}

Error openEntry(const std::wstring& path, std::uint32_t flags, EntryHandle& out) {
    return openParsed(parsePath(wideToAnsiText(path)), (flags & kOpenFollowLink) != 0, out);
}

Error openEntryAt(const EntryHandle& folder, const std::wstring& name, std::uint32_t, EntryHandle& out) {
    out.reset();
    if (name.empty() || name == L"." || name == L".." || name.find_first_of(L"\\/:") != std::wstring::npos)
        return kErrInvalidParameter;
    FsEntry* dir = entryOf(folder);
    if (!dir) return kErrInvalidHandle;
    if (!dir->folder || !dir->linkTarget.empty()) return kErrAccessDenied;
    const std::string path = dir->path + "\\" + wideToAnsiText(name);
    if (machine().openHook) machine().openHook(path);
    return openParsed(parsePath(path), false, out);
}

Error entryInfo(const EntryHandle& entry, EntryInfo& out) {
    out = EntryInfo();
    FsEntry* e = entryOf(entry);
    if (!e) return kErrInvalidHandle;
    out.attributes = e->attributes;
    out.finalPath = ansiToWideText(e->path.size() == 2 ? e->path + "\\" : e->path);
    return kOk;
}

Error listEntries(const EntryHandle& folder, std::vector<DirEntry>& out) {
    out.clear();
    FsEntry* dir = entryOf(folder);
    if (!dir) return kErrInvalidHandle;
    if (!dir->folder || !dir->linkTarget.empty()) return 267;  // ERROR_DIRECTORY
    const ParsedPath p = parsePathText(dir->path);
    if (hasFault(p, Fault::AccessDenied)) return kErrAccessDenied;
    for (FsEntry* e : children(p)) out.push_back({ansiToWideText(splitAnsi(e->path).back()), e->attributes});
    return kOk;
}

Error deleteEntry(const EntryHandle& entry) {
    FsEntry* e = entryOf(entry);
    if (!e) return kErrInvalidHandle;
    const ParsedPath p = parsePathText(e->path);
    if (p.isRoot() || hasFault(p, Fault::AccessDenied) || (e->attributes & kAttrReadOnly)) return kErrAccessDenied;
    if (hasFault(p, Fault::Locked)) return kErrSharingViolation;
    if (e->folder && e->linkTarget.empty() && !children(p).empty()) return kErrDirNotEmpty;
    machine().fs.erase(p.key());
    return kOk;
}

std::wstring systemFolder(SystemFolder which) {
    auto& folders = machine().systemFolders;
    auto it = folders.find(which);
    return it == folders.end() ? std::wstring() : ansiToWideText(it->second);
}

}  // namespace plat

namespace fake {

using namespace detail;

void addLink(const std::string& path, const std::string& target) {
    ParsedPath p = parsePath(path);
    if (!p.ok || p.isRoot()) throw std::invalid_argument("fake: no place for a link: " + path);
    auto& fs = machine().fs;
    const std::string key = p.key();
    for (auto it = fs.lower_bound(key); it != fs.end() && it->first.compare(0, key.size(), key) == 0;) {
        if (it->first.size() == key.size() || it->first[key.size()] == '\\') it = fs.erase(it);
        else ++it;
    }
    addFolder(p.display());
    FsEntry& e = *findEntry(p);
    e.linkTarget = target;
    e.attributes = plat::kAttrDirectory | plat::kAttrReparsePoint;
}

void setShortName(const std::string& path, const std::string& shortName) {
    ParsedPath p = parsePath(path);
    FsEntry* e = findEntry(p);
    if (!e || p.isRoot()) throw std::invalid_argument("fake: no entry for a short name: " + path);
    ParsedPath alias = p;
    alias.parts.back() = shortName;
    machine().shortNames[alias.key()] = p.parts.back();
}

void setAnsiCodePage(int codePage) {
    if (codePage != 1252 && codePage != 932 && codePage != 936 && codePage != 949 && codePage != 950)
        throw std::invalid_argument("fake: code page not modelled");
    machine().codePage = codePage;
    machine().dbcs = codePage != 1252;
}

void onOpenEntry(std::function<void(const std::string& path)> hook) { machine().openHook = std::move(hook); }
void setOpenFollowsLinks(bool follows) { machine().openFollowsLinks = follows; }

void setSystemFolder(plat::SystemFolder which, std::optional<std::string> path) {
    if (path) machine().systemFolders[which] = *path;
    else machine().systemFolders.erase(which);
}

}  // namespace fake
