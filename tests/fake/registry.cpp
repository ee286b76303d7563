// The registry of the in-memory Windows: keys with case-insensitive names
// that keep their stored case, typed values, handles with access rights,
// read-only keys, and hive files for RegSaveKey/RegRestoreKey.
#include <algorithm>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "state.h"

namespace fake::detail {
namespace {

constexpr plat::Error kErrBadDb = 1009;  // ERROR_BADDB: a hive file that cannot be read
constexpr std::uint32_t kDelete = 0x10000;
constexpr std::uint32_t kWriteRights = plat::kKeySetValue | plat::kKeyCreateSubKey | 0x0020 /*KEY_CREATE_LINK*/ |
                                       kDelete | 0x40000 /*WRITE_DAC*/ | 0x80000 /*WRITE_OWNER*/;
constexpr std::uint32_t kViewBits = plat::kKeyWow64_64Key | plat::kKeyWow64_32Key;
constexpr std::uint32_t kRegForceRestore = 8;
constexpr const char* kHiveMagic = "TIDEWELL-FAKE-HIVE 1";

struct Value {
    std::string name;
    std::uint32_t type = plat::kRegNone;
    std::vector<std::uint8_t> data;
};

struct Key {
    std::string name;
    std::map<std::string, std::shared_ptr<Key>> subkeys;  // upper-case name -> key: the registry's sorted order
    std::vector<Value> values;                            // creation order
    Key* parent = nullptr;
    bool readOnly = false;
    bool deleted = false;
    std::uint64_t lastWrite = 0;
};

struct KeyHandle {
    std::shared_ptr<Key> key;
    std::uint32_t access = 0;
};

struct Registry {
    std::map<plat::HKey, std::shared_ptr<Key>> roots;
    std::map<plat::HKey, KeyHandle> handles;
    plat::HKey next = 0x2000;
    std::uint64_t clock = 0x01DD0000'00000000ull;
};

Registry& reg() {
    static Registry r;
    return r;
}

void touch(Key& k) { k.lastWrite = ++reg().clock; }

const char* rootName(plat::HKey root) {
    if (root == plat::kHKeyClassesRoot) return "HKCR";
    if (root == plat::kHKeyCurrentUser) return "HKCU";
    if (root == plat::kHKeyLocalMachine) return "HKLM";
    if (root == plat::kHKeyUsers) return "HKU";
    return "?";
}

// The key and the rights behind a handle or predefined root.
struct Base {
    std::shared_ptr<Key> key;
    std::uint32_t access = 0;
    bool root = false;
};

plat::Error resolve(plat::HKey h, Base& out) {
    auto r = reg().roots.find(h);
    if (r != reg().roots.end()) {
        out = {r->second, plat::kKeyAllAccess, true};
        return plat::kOk;
    }
    auto it = reg().handles.find(h);
    if (it == reg().handles.end()) return plat::kErrInvalidHandle;
    if (it->second.key->deleted) return plat::kErrKeyDeleted;
    out = {it->second.key, it->second.access, false};
    return plat::kOk;
}

plat::Error splitPath(const std::string& path, std::vector<std::string>& parts) {
    parts.clear();
    if (!path.empty() && path[0] == '\\') return plat::kErrBadPathname;
    std::string part;
    std::istringstream in(path);
    while (std::getline(in, part, '\\'))
        if (!part.empty()) parts.push_back(part);
    return plat::kOk;
}

std::shared_ptr<Key> child(const Key& k, const std::string& name) {
    auto it = k.subkeys.find(upper(name));
    return it == k.subkeys.end() ? nullptr : it->second;
}

std::shared_ptr<Key> walk(std::shared_ptr<Key> k, const std::vector<std::string>& parts) {
    for (const auto& p : parts) {
        if (!k) return nullptr;
        k = child(*k, p);
    }
    return k;
}

std::shared_ptr<Key> addChild(Key& parent, const std::string& name) {
    auto k = std::make_shared<Key>();
    k->name = name;
    k->parent = &parent;
    touch(*k);
    parent.subkeys[upper(name)] = k;
    touch(parent);
    return k;
}

void markDeleted(Key& k) {
    k.deleted = true;
    for (auto& [n, c] : k.subkeys) markDeleted(*c);
}

Value* findValue(Key& k, const std::string& name) {
    for (auto& v : k.values)
        if (upper(v.name) == upper(name)) return &v;
    return nullptr;
}

plat::HKey newKeyHandle(std::shared_ptr<Key> key, std::uint32_t access) {
    plat::HKey h = reg().next;
    reg().next += 4;
    reg().handles[h] = {std::move(key), access};
    return h;
}

bool isDescendant(const Key* k, const Key* ancestor) {
    for (const Key* p = k ? k->parent : nullptr; p; p = p->parent)
        if (p == ancestor) return true;
    return false;
}

// ---- hive files ----
std::string hex(const std::string& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out.push_back(digits[c >> 4]);
        out.push_back(digits[c & 15]);
    }
    return out;
}

bool unhex(const std::string& text, std::string& out) {
    out.clear();
    if (text.size() % 2) return false;
    auto nib = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    for (std::size_t i = 0; i < text.size(); i += 2) {
        int a = nib(text[i]), b = nib(text[i + 1]);
        if (a < 0 || b < 0) return false;
        out.push_back(static_cast<char>(a * 16 + b));
    }
    return true;
}

void writeHive(const Key& k, const std::string& relative, std::ostringstream& out) {
    out << "K " << hex(relative) << "\n";
    for (const auto& v : k.values)
        out << "V " << hex(v.name) << " " << v.type << " " << hex(std::string(v.data.begin(), v.data.end())) << "\n";
    for (const auto& [n, c] : k.subkeys) writeHive(*c, relative.empty() ? c->name : relative + "\\" + c->name, out);
}

// Parses a hive into a detached key; false when the file is not a hive.
bool readHive(const std::vector<std::uint8_t>& bytes, Key& into) {
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    std::string line;
    if (!std::getline(in, line) || line != kHiveMagic) return false;
    Key* current = nullptr;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        std::istringstream fields(line);
        std::string tag, a, b, c;
        fields >> tag >> a;
        if (tag == "K") {
            std::string path;
            if (!unhex(a, path)) return false;
            std::vector<std::string> parts;
            splitPath(path, parts);
            current = &into;
            for (const auto& p : parts) {
                auto next = child(*current, p);
                current = next ? next.get() : addChild(*current, p).get();
            }
        } else if (tag == "V" && current) {
            fields >> b >> c;
            std::string name, data;
            if (!unhex(a, name) || !unhex(c, data) || b.empty()) return false;
            current->values.push_back({name, static_cast<std::uint32_t>(std::stoul(b)),
                                       std::vector<std::uint8_t>(data.begin(), data.end())});
        } else {
            return false;
        }
    }
    return true;
}

void adoptContent(Key& target, Key& source) {
    for (auto& [n, c] : target.subkeys) markDeleted(*c);
    target.subkeys = std::move(source.subkeys);
    for (auto& [n, c] : target.subkeys) c->parent = &target;
    target.values = std::move(source.values);
    touch(target);
}

// ---- control side helpers ----
std::shared_ptr<Key> rootKey(plat::HKey root) {
    auto it = reg().roots.find(root);
    if (it == reg().roots.end()) throw std::invalid_argument("fake: not a predefined registry root");
    return it->second;
}

std::shared_ptr<Key> makePath(plat::HKey root, const std::string& path) {
    std::vector<std::string> parts;
    splitPath(!path.empty() && path[0] == '\\' ? path.substr(1) : path, parts);
    auto k = rootKey(root);
    for (const auto& p : parts) {
        auto next = child(*k, p);
        k = next ? next : addChild(*k, p);
    }
    return k;
}

std::shared_ptr<Key> lookPath(plat::HKey root, const std::string& path) {
    std::vector<std::string> parts;
    splitPath(!path.empty() && path[0] == '\\' ? path.substr(1) : path, parts);
    return walk(rootKey(root), parts);
}

void dumpKey(const Key& k, const std::string& path, std::ostringstream& out) {
    out << path << "\n";
    for (const auto& v : k.values) {
        out << "  " << (v.name.empty() ? "@" : v.name) << " [" << v.type << "] = ";
        if (v.type == plat::kRegSz || v.type == plat::kRegExpandSz) {
            std::string s(v.data.begin(), v.data.end());
            out << '"' << s.substr(0, s.find('\0')) << '"';
        } else {
            out << hex(std::string(v.data.begin(), v.data.end()));
        }
        out << "\n";
    }
    for (const auto& [n, c] : k.subkeys) dumpKey(*c, path + "\\" + c->name, out);
}

}  // namespace

void resetRegistry() {
    reg() = Registry();
    for (plat::HKey root : {plat::kHKeyClassesRoot, plat::kHKeyCurrentUser, plat::kHKeyLocalMachine, plat::kHKeyUsers}) {
        auto k = std::make_shared<Key>();
        k->name = rootName(root);
        reg().roots[root] = k;
    }
}

}  // namespace fake::detail

namespace plat {

using namespace fake::detail;

Error regOpenKey(HKey base, const std::string& subKey, std::uint32_t access, HKey& out) {
    out = 0;
    Base b;
    if (Error e = resolve(base, b)) return e;
    std::vector<std::string> parts;
    if (Error e = splitPath(subKey, parts)) return e;
    auto k = walk(b.key, parts);
    if (!k) return kErrFileNotFound;
    access &= ~kViewBits;
    if (k->readOnly && (access & kWriteRights)) return kErrAccessDenied;
    out = newKeyHandle(k, access);
    return kOk;
}

Error regCreateKey(HKey base, const std::string& subKey, std::uint32_t options, std::uint32_t access, HKey& out) {
    out = 0;
    Base b;
    if (Error e = resolve(base, b)) return e;
    std::vector<std::string> parts;
    if (Error e = splitPath(subKey, parts)) return e;
    access &= ~kViewBits;
    bool backupRestore = (options & kRegOptionBackupRestore) != 0;
    if (backupRestore) {
        // The rights come from the enabled privileges, not from the key's security.
        bool backup = privilegeIsEnabled("SeBackupPrivilege");
        bool restore = privilegeIsEnabled("SeRestorePrivilege");
        if (!backup && !restore) return kErrAccessDenied;
        access = (backup ? kKeyRead : 0) | (restore ? (kKeyWrite | kDelete) : 0);
    }
    auto k = b.key;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        auto next = child(*k, parts[i]);
        if (!next) {
            bool mayCreate = i == 0 ? (b.root || (b.access & kKeyCreateSubKey)) : true;
            if (!mayCreate || (k->readOnly && !backupRestore)) return kErrAccessDenied;
            next = addChild(*k, parts[i]);
        }
        k = next;
    }
    if (k->readOnly && !backupRestore && (access & kWriteRights)) return kErrAccessDenied;
    out = newKeyHandle(k, access);
    return kOk;
}

Error regCloseKey(HKey key) {
    if (reg().roots.count(key)) return kOk;
    return reg().handles.erase(key) ? kOk : kErrInvalidHandle;
}

Error regFlushKey(HKey key) {
    Base b;
    return resolve(key, b);
}

Error regQueryInfoKey(HKey key, KeyInfo& info) {
    info = KeyInfo();
    Base b;
    if (Error e = resolve(key, b)) return e;
    if (!(b.access & kKeyQueryValue)) return kErrAccessDenied;
    const Key& k = *b.key;
    info.subKeys = static_cast<std::uint32_t>(k.subkeys.size());
    for (const auto& [n, c] : k.subkeys)
        info.maxSubKeyLen = std::max<std::uint32_t>(info.maxSubKeyLen, static_cast<std::uint32_t>(c->name.size()));
    info.values = static_cast<std::uint32_t>(k.values.size());
    for (const auto& v : k.values) {
        info.maxValueNameLen = std::max<std::uint32_t>(info.maxValueNameLen, static_cast<std::uint32_t>(v.name.size()));
        info.maxValueLen = std::max<std::uint32_t>(info.maxValueLen, static_cast<std::uint32_t>(v.data.size()));
    }
    info.lastWriteTime = k.lastWrite;
    return kOk;
}

Error regEnumKey(HKey key, std::uint32_t index, std::uint32_t bufferChars, std::string& name) {
    name.clear();
    Base b;
    if (Error e = resolve(key, b)) return e;
    if (!(b.access & kKeyEnumerateSubKeys)) return kErrAccessDenied;
    if (index >= b.key->subkeys.size()) return kErrNoMoreItems;
    auto it = b.key->subkeys.begin();
    std::advance(it, index);
    if (it->second->name.size() + 1 > bufferChars) return kErrMoreData;
    name = it->second->name;
    return kOk;
}

Error regQueryValue(HKey key, const std::string& name, std::uint32_t& type, std::vector<std::uint8_t>* data,
                    std::uint32_t& size, std::uint32_t capacity) {
    Base b;
    if (Error e = resolve(key, b)) return e;
    if (!(b.access & kKeyQueryValue)) return kErrAccessDenied;
    Value* v = findValue(*b.key, name);
    if (!v) return kErrFileNotFound;
    type = v->type;
    size = static_cast<std::uint32_t>(v->data.size());
    if (!data) return kOk;
    if (size > capacity) return kErrMoreData;
    *data = v->data;
    return kOk;
}

Error regSetValue(HKey key, const std::string& name, std::uint32_t type, const std::vector<std::uint8_t>& data) {
    Base b;
    if (Error e = resolve(key, b)) return e;
    if (!(b.access & kKeySetValue)) return kErrAccessDenied;
    if (Value* v = findValue(*b.key, name)) {
        v->type = type;
        v->data = data;
    } else {
        b.key->values.push_back({name, type, data});
    }
    touch(*b.key);
    return kOk;
}

Error regDeleteKey(HKey base, const std::string& subKey) {
    Base b;
    if (Error e = resolve(base, b)) return e;
    std::vector<std::string> parts;
    if (Error e = splitPath(subKey, parts)) return e;
    auto k = walk(b.key, parts);
    if (!k) return kErrFileNotFound;
    if (!k->parent) return kErrAccessDenied;  // a predefined root
    if (k->readOnly || !k->subkeys.empty()) return kErrAccessDenied;
    Key* parent = k->parent;
    markDeleted(*k);
    parent->subkeys.erase(upper(k->name));
    k->parent = nullptr;
    touch(*parent);
    return kOk;
}

Error regDeleteValue(HKey key, const std::string& name) {
    Base b;
    if (Error e = resolve(key, b)) return e;
    if (!(b.access & kKeySetValue) || b.key->readOnly) return kErrAccessDenied;
    auto& values = b.key->values;
    for (auto it = values.begin(); it != values.end(); ++it) {
        if (upper(it->name) == upper(name)) {
            values.erase(it);
            touch(*b.key);
            return kOk;
        }
    }
    return kErrFileNotFound;
}

Error regSaveKey(HKey key, const std::string& file) {
    Base b;
    if (Error e = resolve(key, b)) return e;
    if (!privilegeIsEnabled("SeBackupPrivilege")) return kErrPrivilegeNotHeld;
    ParsedPath p = parsePath(file);
    if (!p.ok || p.isRoot()) return kErrPathNotFound;
    FsEntry* parent = findEntry(p.parent());
    if (!parent || !parent->folder) return kErrPathNotFound;
    if (findEntry(p)) return kErrAlreadyExists;
    if (hasFault(p, fake::Fault::SaveFails) || hasFault(p, fake::Fault::AccessDenied) ||
        hasFault(p, fake::Fault::WriteFails))
        return kErrAccessDenied;
    std::ostringstream out;
    out << kHiveMagic << "\n";
    writeHive(*b.key, "", out);
    std::string text = out.str();
    putFile(p).data.assign(text.begin(), text.end());
    return kOk;
}

Error regRestoreKey(HKey key, const std::string& file, std::uint32_t flags) {
    Base b;
    if (Error e = resolve(key, b)) return e;
    if (!privilegeIsEnabled("SeRestorePrivilege")) return kErrPrivilegeNotHeld;
    ParsedPath p = parsePath(file);
    FsEntry* e = findEntry(p);
    if (!e) return p.ok && findEntry(p.parent()) ? kErrFileNotFound : kErrPathNotFound;
    if (e->folder || hasFault(p, fake::Fault::AccessDenied)) return kErrAccessDenied;
    Key loaded;
    if (!readHive(e->data, loaded)) return kErrBadDb;
    // Windows refuses while a subkey of the key is open, unless forced.
    if (!(flags & kRegForceRestore))
        for (const auto& [h, kh] : reg().handles)
            if (isDescendant(kh.key.get(), b.key.get())) return kErrAccessDenied;
    adoptContent(*b.key, loaded);
    return kOk;
}

}  // namespace plat

namespace fake {

using namespace detail;

void addKey(plat::HKey root, const std::string& path) { makePath(root, path); }

void setValue(plat::HKey root, const std::string& path, const std::string& name, std::uint32_t type,
              const std::vector<std::uint8_t>& data) {
    auto k = makePath(root, path);
    if (Value* v = findValue(*k, name)) {
        v->type = type;
        v->data = data;
    } else {
        k->values.push_back({name, type, data});
    }
    touch(*k);
}

void setString(plat::HKey root, const std::string& path, const std::string& name, const std::string& value,
               std::uint32_t type) {
    std::vector<std::uint8_t> data(value.begin(), value.end());
    data.push_back(0);  // RegSetValueExA stores the terminating zero
    setValue(root, path, name, type, data);
}

void setDword(plat::HKey root, const std::string& path, const std::string& name, std::uint32_t value) {
    setValue(root, path, name, plat::kRegDword,
             {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
              static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)});
}

bool keyExists(plat::HKey root, const std::string& path) { return lookPath(root, path) != nullptr; }

bool valueExists(plat::HKey root, const std::string& path, const std::string& name) {
    auto k = lookPath(root, path);
    return k && findValue(*k, name) != nullptr;
}

std::optional<std::string> stringValue(plat::HKey root, const std::string& path, const std::string& name) {
    auto k = lookPath(root, path);
    Value* v = k ? findValue(*k, name) : nullptr;
    if (!v || (v->type != plat::kRegSz && v->type != plat::kRegExpandSz)) return std::nullopt;
    std::string s(v->data.begin(), v->data.end());
    return s.substr(0, s.find('\0'));
}

std::vector<std::string> subKeys(plat::HKey root, const std::string& path) {
    std::vector<std::string> out;
    if (auto k = lookPath(root, path))
        for (const auto& [n, c] : k->subkeys) out.push_back(c->name);
    return out;
}

void setKeyReadOnly(plat::HKey root, const std::string& path, bool readOnly) {
    auto k = lookPath(root, path);
    if (!k) throw std::invalid_argument("fake: no such key: " + path);
    k->readOnly = readOnly;
}

std::string registryDump() {
    std::ostringstream out;
    for (const auto& [root, k] : reg().roots)
        for (const auto& [n, c] : k->subkeys) dumpKey(*c, std::string(rootName(root)) + "\\" + c->name, out);
    return out.str();
}

int openKeyCount() { return static_cast<int>(reg().handles.size()); }

}  // namespace fake
