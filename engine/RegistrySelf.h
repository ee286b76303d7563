// The program's one way into the registry: a short-lived object holding a root
// key and at most one open key.
//
// Path rule for every operation taking a key path: a path beginning with "\"
// is absolute (taken below RootKey, the backslash removed); any other path is
// taken below the open key when one is open, else below RootKey.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/common.h"
#include "platform/platform.h"

namespace tw {

// Raised by value reads ("Invalid data type for '%s'", "Failed to get data for '%s'").
class ERegistryException : public AppError {
public:
    using AppError::AppError;
};

enum class TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

TRegDataType DataTypeOf(std::uint32_t regType);

struct TRegKeyInfo {
    std::uint32_t NumSubKeys = 0;
    std::uint32_t MaxSubKeyLen = 0;
    std::uint32_t NumValues = 0;
    std::uint32_t MaxValueLen = 0;
    std::uint32_t MaxDataLen = 0;
    std::uint64_t FileTime = 0;
};

struct TRegDataInfo {
    TRegDataType RegData = TRegDataType::rdUnknown;
    std::uint32_t DataSize = 0;
};

// An owned registry handle, closed when it goes out of scope.
class RegKeyHandle {
public:
    RegKeyHandle() = default;
    explicit RegKeyHandle(plat::HKey key) : key_(key) {}
    RegKeyHandle(RegKeyHandle&& other) noexcept : key_(other.release()) {}
    RegKeyHandle& operator=(RegKeyHandle&& other) noexcept;
    RegKeyHandle(const RegKeyHandle&) = delete;
    RegKeyHandle& operator=(const RegKeyHandle&) = delete;
    ~RegKeyHandle() { reset(); }

    plat::HKey get() const { return key_; }
    explicit operator bool() const { return key_ != 0; }
    plat::HKey release() {
        plat::HKey k = key_;
        key_ = 0;
        return k;
    }
    void reset(plat::HKey key = 0);

private:
    plat::HKey key_ = 0;
};

// Opens (with `make`, makes) a key below HKEY_LOCAL_MACHINE in the 64-bit
// view. A key that is not what its path names (a registry link on the way
// leads elsewhere) is closed again and refused as kErrBadPathname.
plat::Error OpenMachineKeyAsNamed(const std::wstring& path, std::uint32_t access, bool make, RegKeyHandle& out);

// The text of string data (REG_SZ and the like): UTF-16 little-endian up to
// its first zero character; an odd last byte is no character.
std::wstring RegistryText(const std::vector<std::uint8_t>& data);
// The REG_SZ data of a text, its ending zero included.
std::vector<std::uint8_t> RegistryTextData(const std::wstring& text);

class TRegistrySelf {
public:
    TRegistrySelf();
    virtual ~TRegistrySelf();
    TRegistrySelf(const TRegistrySelf&) = delete;
    TRegistrySelf& operator=(const TRegistrySelf&) = delete;

    // Fields.
    plat::HKey CurrentKey() const { return currentKey_.get(); }
    plat::HKey RootKey() const { return rootKey_; }
    // Changing the root closes the open key. A root is one of the predefined
    // keys, never closed.
    void SetRootKey(plat::HKey root);
    const std::wstring& CurrentPath() const { return currentPath_; }
    bool LazyWrite = true;
    std::uint32_t Access = plat::kKeyAllAccess;

    bool OpenKey(const std::wstring& key, bool canCreate);
    void CloseKey();
    // A new handle opened with Access, empty when the key cannot be opened. A
    // key that is a registry link is opened itself, never its target.
    RegKeyHandle GetKey(const std::wstring& key);
    // The name the system gives the key (a link: the link itself), the same
    // whichever path reaches it; empty when the key cannot be opened.
    std::wstring KeyName(const std::wstring& key);
    // Whether a key's system name lies below RootKey: a link in the middle of
    // a path may lead elsewhere (a user's key to a machine key).
    bool WithinRoot(const std::wstring& systemName) const;
    bool GetKeyInfo(TRegKeyInfo& info);
    void GetKeyNames(std::vector<std::wstring>& list);
    bool KeyExists(const std::wstring& key);
    bool ValueExists(const std::wstring& name);
    bool GetDataInfo(const std::wstring& name, TRegDataInfo& info);
    // Reads at most bufferSize bytes into buffer; returns the bytes read.
    // Raises ERegistryException "Failed to get data for '%s'" on failure.
    std::uint32_t GetData(const std::wstring& name, std::vector<std::uint8_t>& buffer,
                          std::uint32_t bufferSize, TRegDataType& type);
    std::wstring ReadString(const std::wstring& name);
    bool DeleteValue(const std::wstring& name);
    // Deletes the key with its subtree, depth first, each key through its own
    // handle. A link, the key itself or any subkey, is deleted as a link and
    // never descended into: nothing it leads to is touched.
    bool DeleteKey(const std::wstring& key);
    // Writes the key's hive; a key that is a link is not saved (it has no
    // content of its own, and its target is not the program's to save).
    bool SaveKey(const std::wstring& key, const std::wstring& fileName);
    // Loads a hive into the key, made when missing; never into a key that is a
    // link, nor one a link in its path leads out of RootKey.
    bool RestoreKey(const std::wstring& key, const std::wstring& fileName);
    bool EnablePrivilege(const std::wstring& name, bool enable);

private:
    // Strips a leading "\" and tells whether the path was relative.
    static std::wstring applyPathRule(const std::wstring& key, bool& relative);
    plat::HKey baseKey(bool relative) const;
    std::uint32_t wow64() const { return Access & (plat::kKeyWow64_64Key | plat::kKeyWow64_32Key); }

    RegKeyHandle currentKey_;
    plat::HKey rootKey_ = plat::kHKeyCurrentUser;
    std::wstring currentPath_;
};

}  // namespace tw
