// Who can change a file or folder (its owner and access list, as the system
// reports them), folders only administrators can reach, and moves through a
// handle (advapi32, kernel32).
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include "platform/platform.h"

namespace plat {

namespace {

HANDLE raw(const EntryHandle& h) { return reinterpret_cast<HANDLE>(h.get()); }

// Administrators, SYSTEM and TrustedInstaller.
bool isAdminAccount(PSID sid) {
    static const wchar_t* const kAdmins[] = {
        L"S-1-5-32-544", L"S-1-5-18", L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"};
    for (const wchar_t* text : kAdmins) {
        PSID admin = nullptr;
        if (!::ConvertStringSidToSidW(text, &admin)) continue;
        const bool same = ::EqualSid(sid, admin) != FALSE;
        ::LocalFree(admin);
        if (same) return true;
    }
    return false;
}

// The rights that let an account change a folder or what it holds.
constexpr ACCESS_MASK kChanging = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_DELETE_CHILD | DELETE | WRITE_DAC |
                                  WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL | MAXIMUM_ALLOWED;
// FILE_ADD_FILE and FILE_ADD_SUBDIRECTORY, the same bits as write and append.
constexpr ACCESS_MASK kAdding = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY;

}  // namespace

bool onlyAdminsCanChange(const EntryHandle& entry, bool driveRoot) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(raw(entry), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                          nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    // No access list at all lets everyone do everything.
    bool only = owner != nullptr && isAdminAccount(owner) && dacl != nullptr;
    const ACCESS_MASK refused = driveRoot ? (kChanging & ~kAdding) : kChanging;
    for (DWORD i = 0; only && i < dacl->AceCount; ++i) {
        ACE_HEADER* header = nullptr;
        if (!::GetAce(dacl, i, reinterpret_cast<void**>(&header))) {
            only = false;
            break;
        }
        if ((header->AceFlags & INHERIT_ONLY_ACE) != 0) continue;
        if (header->AceType == ACCESS_ALLOWED_ACE_TYPE) {
            auto* ace = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
            if ((ace->Mask & refused) != 0 && !isAdminAccount(&ace->SidStart)) only = false;
        } else if (header->AceType != ACCESS_DENIED_ACE_TYPE) {
            only = false;  // an entry of a kind not judged here (object, callback ...) is not trusted
        }
    }
    ::LocalFree(descriptor);
    return only;
}

Error createAdminOnlyFolder(const std::wstring& path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"O:BAG:SYD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)",
                                                                SDDL_REVISION_1, &descriptor, nullptr))
        return ::GetLastError();
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    const Error e = ::CreateDirectoryW(path.c_str(), &attributes) ? kOk : ::GetLastError();
    ::LocalFree(descriptor);
    return e;
}

Error moveEntry(const EntryHandle& entry, const std::wstring& to) {
    // The system's own name of the target: "\??\C:\...".
    const std::wstring target = L"\\??\\" + to;
    const std::size_t bytes = target.size() * sizeof(wchar_t);
    std::vector<std::uint64_t> storage((sizeof(FILE_RENAME_INFO) + bytes) / sizeof(std::uint64_t) + 1);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(storage.data());
    info->ReplaceIfExists = FALSE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(bytes);
    std::copy(target.begin(), target.end(), info->FileName);
    if (::SetFileInformationByHandle(raw(entry), FileRenameInfo, info,
                                     static_cast<DWORD>(sizeof(FILE_RENAME_INFO) + bytes)))
        return kOk;
    return ::GetLastError();
}

}  // namespace plat
