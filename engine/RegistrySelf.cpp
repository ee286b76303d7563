#include "engine/RegistrySelf.h"

#include <algorithm>
#include <utility>

namespace tw {

namespace {

// Holds a privilege enabled for the lifetime of the guard; it is disabled
// again whatever happens in between.
class PrivilegeGuard {
public:
    PrivilegeGuard(TRegistrySelf& reg, std::wstring name) : reg_(reg), name_(std::move(name)) {
        reg_.EnablePrivilege(name_, true);
    }
    PrivilegeGuard(const PrivilegeGuard&) = delete;
    PrivilegeGuard& operator=(const PrivilegeGuard&) = delete;
    ~PrivilegeGuard() { reg_.EnablePrivilege(name_, false); }

private:
    TRegistrySelf& reg_;
    std::wstring name_;
};

std::wstring quoteName(const std::wstring& pattern, const std::wstring& name) { return format1(pattern, name); }

constexpr std::uint32_t kReadAccess = plat::kStandardRightsRead | plat::kKeyQueryValue | plat::kKeyEnumerateSubKeys;

// Deletes `name` below `parent` and its subtree, each key opened relative to
// its parent's handle without following a final link.
bool deleteTree(plat::HKey parent, const std::wstring& name, std::uint32_t wow64) {
    plat::HKey raw = 0;
    if (plat::regOpenKey(parent, name, kReadAccess | plat::kKeyDelete | wow64, raw, plat::kRegOptionOpenLink) !=
        plat::kOk)
        return false;
    RegKeyHandle key(raw);
    plat::KeyInfo info;
    if (!plat::regIsLink(key.get()) && plat::regQueryInfoKey(key.get(), info) == plat::kOk) {
        // From the last subkey down, so that indexes stay valid.
        for (std::uint32_t i = info.subKeys; i-- > 0;) {
            std::wstring sub;
            if (plat::regEnumKey(key.get(), i, info.maxSubKeyLen + 1, sub) == plat::kOk && !sub.empty())
                deleteTree(key.get(), sub, wow64);
        }
    }
    return plat::regDeleteOpenedKey(key.get()) == plat::kOk;
}

}  // namespace

TRegDataType DataTypeOf(std::uint32_t regType) {
    switch (regType) {
        case plat::kRegSz: return TRegDataType::rdString;
        case plat::kRegExpandSz: return TRegDataType::rdExpandString;
        case plat::kRegDword: return TRegDataType::rdInteger;
        case plat::kRegBinary: return TRegDataType::rdBinary;
        default: return TRegDataType::rdUnknown;
    }
}

RegKeyHandle& RegKeyHandle::operator=(RegKeyHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
}

void RegKeyHandle::reset(plat::HKey key) {
    if (key_ != 0) plat::regCloseKey(key_);
    key_ = key;
}

TRegistrySelf::TRegistrySelf() = default;

TRegistrySelf::~TRegistrySelf() { CloseKey(); }

void TRegistrySelf::SetRootKey(plat::HKey root) {
    if (root == rootKey_) return;
    rootKey_ = root;
    CloseKey();
}

std::wstring TRegistrySelf::applyPathRule(const std::wstring& key, bool& relative) {
    relative = key.empty() || key.front() != L'\\';
    return relative ? key : key.substr(1);
}

plat::HKey TRegistrySelf::baseKey(bool relative) const {
    return (currentKey_.get() != 0 && relative) ? currentKey_.get() : rootKey_;
}

bool TRegistrySelf::OpenKey(const std::wstring& key, bool canCreate) {
    bool relative = false;
    std::wstring path = applyPathRule(key, relative);
    plat::HKey base = baseKey(relative);
    plat::HKey handle = 0;
    plat::Error err;
    if (!canCreate || path.empty())
        err = plat::regOpenKey(base, path, Access, handle);
    else
        err = plat::regCreateKey(base, path, plat::kRegOptionNonVolatile, Access, handle);
    if (err != plat::kOk) return false;
    std::wstring newPath = (currentKey_.get() != 0 && relative) ? currentPath_ + L"\\" + path : path;
    CloseKey();
    currentKey_.reset(handle);
    currentPath_ = std::move(newPath);
    return true;
}

void TRegistrySelf::CloseKey() {
    if (currentKey_.get() == 0) return;
    if (!LazyWrite) plat::regFlushKey(currentKey_.get());
    currentKey_.reset();
    currentPath_.clear();
}

RegKeyHandle TRegistrySelf::GetKey(const std::wstring& key) {
    bool relative = false;
    std::wstring path = applyPathRule(key, relative);
    plat::HKey handle = 0;
    if (plat::regOpenKey(baseKey(relative), path, Access, handle, plat::kRegOptionOpenLink) != plat::kOk) return {};
    return RegKeyHandle(handle);
}

std::wstring TRegistrySelf::KeyName(const std::wstring& key) {
    const std::uint32_t oldAccess = Access;
    Access = kReadAccess | wow64();
    RegKeyHandle handle = GetKey(key);
    Access = oldAccess;
    return handle ? plat::regKeyName(handle.get()) : std::wstring();
}

bool TRegistrySelf::WithinRoot(const std::wstring& systemName) const {
    const std::wstring root = plat::regKeyName(rootKey_) + L"\\";
    return root.size() > 1 && systemName.size() > root.size() &&
           plat::sameNameIgnoreCase(systemName.substr(0, root.size()), root);
}

bool TRegistrySelf::GetKeyInfo(TRegKeyInfo& info) {
    info = TRegKeyInfo{};
    plat::KeyInfo raw;
    if (plat::regQueryInfoKey(currentKey_.get(), raw) != plat::kOk) return false;
    info.NumSubKeys = raw.subKeys;
    info.MaxSubKeyLen = raw.maxSubKeyLen;
    info.NumValues = raw.values;
    info.MaxValueLen = raw.maxValueNameLen;
    info.MaxDataLen = raw.maxValueLen;
    info.FileTime = raw.lastWriteTime;
    return true;
}

void TRegistrySelf::GetKeyNames(std::vector<std::wstring>& list) {
    list.clear();
    TRegKeyInfo info;
    if (!GetKeyInfo(info)) return;
    for (std::uint32_t i = 0; i < info.NumSubKeys; ++i) {
        std::wstring name;
        plat::regEnumKey(currentKey_.get(), i, info.MaxSubKeyLen + 1, name);
        list.push_back(name);
    }
}

bool TRegistrySelf::KeyExists(const std::wstring& key) {
    const std::uint32_t oldAccess = Access;
    Access = kReadAccess | wow64();
    RegKeyHandle handle = GetKey(key);
    Access = oldAccess;
    return static_cast<bool>(handle);
}

bool TRegistrySelf::ValueExists(const std::wstring& name) {
    TRegDataInfo info;
    return GetDataInfo(name, info);
}

bool TRegistrySelf::GetDataInfo(const std::wstring& name, TRegDataInfo& info) {
    info = TRegDataInfo{};
    if (currentKey_.get() == 0) return false;
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    if (plat::regQueryValue(currentKey_.get(), name, type, nullptr, size) != plat::kOk) return false;
    info.RegData = DataTypeOf(type);
    info.DataSize = size;
    return true;
}

std::uint32_t TRegistrySelf::GetData(const std::wstring& name, std::vector<std::uint8_t>& buffer,
                                     std::uint32_t bufferSize, TRegDataType& type) {
    std::uint32_t regType = 0;
    std::uint32_t size = bufferSize;
    if (currentKey_.get() == 0 ||
        plat::regQueryValue(currentKey_.get(), name, regType, &buffer, size, bufferSize) != plat::kOk)
        throw ERegistryException(quoteName(L"Failed to get data for '%s'", name));
    type = DataTypeOf(regType);
    return size;
}

std::wstring TRegistrySelf::ReadString(const std::wstring& name) {
    TRegDataInfo info;
    long long size = GetDataInfo(name, info) ? static_cast<long long>(info.DataSize) : -1;
    if (size <= 0) return {};
    std::vector<std::uint8_t> buffer;
    TRegDataType type = TRegDataType::rdUnknown;
    std::uint32_t read = GetData(name, buffer, static_cast<std::uint32_t>(size), type);
    if (type != TRegDataType::rdString && type != TRegDataType::rdExpandString)
        throw ERegistryException(quoteName(L"Invalid data type for '%s'", name));
    buffer.resize(std::min<std::size_t>(read, buffer.size()));
    return RegistryText(buffer);
}

bool TRegistrySelf::DeleteValue(const std::wstring& name) {
    return currentKey_.get() != 0 && plat::regDeleteValue(currentKey_.get(), name) == plat::kOk;
}

bool TRegistrySelf::DeleteKey(const std::wstring& key) {
    bool relative = false;
    const std::wstring path = applyPathRule(key, relative);
    return !path.empty() && deleteTree(baseKey(relative), path, wow64());
}

bool TRegistrySelf::SaveKey(const std::wstring& key, const std::wstring& fileName) {
    PrivilegeGuard guard(*this, L"SeBackupPrivilege");
    RegKeyHandle handle = GetKey(key);
    if (!handle || plat::regIsLink(handle.get())) return false;
    return plat::regSaveKey(handle.get(), fileName) == plat::kOk;
}

bool TRegistrySelf::RestoreKey(const std::wstring& key, const std::wstring& fileName) {
    PrivilegeGuard guard(*this, L"SeRestorePrivilege");
    plat::HKey raw = 0;
    const std::uint32_t options = plat::kRegOptionBackupRestore | plat::kRegOptionOpenLink;
    if (plat::regCreateKey(rootKey_, key, options, plat::kKeyWrite | plat::kKeyQueryValue, raw) != plat::kOk)
        return false;
    RegKeyHandle handle(raw);
    return !plat::regIsLink(handle.get()) && WithinRoot(plat::regKeyName(handle.get())) &&
           plat::regRestoreKey(handle.get(), fileName, 0) == plat::kOk;
}

plat::Error OpenMachineKeyAsNamed(const std::wstring& path, std::uint32_t access, bool make, RegKeyHandle& out) {
    plat::HKey raw = 0;
    access |= plat::kKeyWow64_64Key;
    const plat::Error e = make ? plat::regCreateKey(plat::kHKeyLocalMachine, path, 0, access, raw)
                               : plat::regOpenKey(plat::kHKeyLocalMachine, path, access, raw);
    out.reset(e == plat::kOk ? raw : 0);
    if (e != plat::kOk) return e;
    if (plat::sameNameIgnoreCase(plat::regKeyName(raw), L"\\REGISTRY\\MACHINE\\" + path)) return plat::kOk;
    out.reset();
    return plat::kErrBadPathname;
}

std::wstring RegistryText(const std::vector<std::uint8_t>& data) {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
        const auto c = static_cast<char16_t>(data[i] | data[i + 1] << 8);
        if (c == 0) break;
        text.push_back(c);
    }
    return fromUtf16(text);
}

std::vector<std::uint8_t> RegistryTextData(const std::wstring& text) {
    std::vector<std::uint8_t> data;
    for (const char16_t c : toUtf16(text) + u'\0') {
        data.push_back(static_cast<std::uint8_t>(c & 0xFF));
        data.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return data;
}

bool TRegistrySelf::EnablePrivilege(const std::wstring& name, bool enable) {
    return plat::enablePrivilege(name, enable);
}

}  // namespace tw
