// Plants, through Wine's own setupapi and as Windows lays them out, devices
// (made as Wine's setupapi tests make them, present or not by
// DEVPKEY_Device_IsPresent, the property Wine's display driver sets for its
// adapters) and INFs published with SetupCopyOEMInf beside their package
// folder and driver database entry. For the driver tests and the demo
// machine (bench/demo_drivers.cpp): straight Win32, gtest-free.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <devpropdef.h>
#include <setupapi.h>

#include <string>

extern "C" WINBOOL WINAPI SetupDiSetDevicePropertyW(HDEVINFO, PSP_DEVINFO_DATA, const DEVPROPKEY*, DEVPROPTYPE,
                                                    const BYTE*, DWORD, DWORD);

namespace plant {

enum Presence { Unset, Present, Absent, NoDevice };
inline const GUID kDisplay = {0x4d36e968, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
inline const DEVPROPKEY kIsPresent = {{0x540b947e, 0x8b40, 0x45bc, {0xa8, 0xa2, 0x6a, 0x0b, 0x89, 0x4c, 0xbd, 0xa2}}, 5};

inline std::wstring below(UINT(WINAPI* folder)(LPWSTR, UINT), const wchar_t* sub) {
    wchar_t path[MAX_PATH] = {};
    folder(path, MAX_PATH);
    return std::wstring(path) + sub;
}
inline std::wstring infFolder() { return below(::GetWindowsDirectoryW, L"\\inf\\"); }
inline std::wstring repository() { return below(::GetSystemDirectoryW, L"\\DriverStore\\FileRepository\\"); }
inline const BYTE* bytes(const std::wstring& text) { return reinterpret_cast<const BYTE*>(text.c_str()); }
inline DWORD byteSize(const std::wstring& text) { return DWORD((text.size() + 1) * 2); }
inline std::wstring guidText(const GUID& guid) {
    wchar_t text[40] = {};
    ::StringFromGUID2(guid, text, 40);
    return text;
}
// One byte per character, all below U+0100.
inline bool writeBytes(const std::wstring& path, const std::wstring& text) {
    const std::string raw(text.begin(), text.end());
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    const bool ok = file != INVALID_HANDLE_VALUE && ::WriteFile(file, raw.data(), DWORD(raw.size()), &written, nullptr);
    return (file == INVALID_HANDLE_VALUE || ::CloseHandle(file)) && ok && written == raw.size();
}

// A device of the instance id: its class, one hardware id, its presence (Unset: none told), the INF its
// driver key names and its description when given. False when it was not made whole.
inline bool makeDevice(const std::wstring& instance, const GUID& cls, const std::wstring& className,
                       const std::wstring& id, Presence presence, const std::wstring& inf = {},
                       const std::wstring& description = {}) {
    HDEVINFO set = ::SetupDiCreateDeviceInfoList(&cls, nullptr);
    SP_DEVINFO_DATA dev{};
    dev.cbSize = sizeof dev;
    const std::wstring ids = id + L'\0';  // and the list's own terminator
    const BYTE on = presence == Present ? 0xFF : 0;  // DEVPROP_TRUE, DEVPROP_FALSE
    bool made = ::SetupDiCreateDeviceInfoW(set, instance.c_str(), &cls, nullptr, nullptr, 0, &dev) &&
                ::SetupDiRegisterDeviceInfo(set, &dev, 0, nullptr, nullptr, nullptr) &&
                ::SetupDiSetDeviceRegistryPropertyW(set, &dev, SPDRP_HARDWAREID, bytes(ids), byteSize(ids)) &&
                ::SetupDiSetDeviceRegistryPropertyW(set, &dev, SPDRP_CLASS, bytes(className), byteSize(className)) &&
                (description.empty() || ::SetupDiSetDeviceRegistryPropertyW(set, &dev, SPDRP_DEVICEDESC,
                                                                            bytes(description), byteSize(description))) &&
                (presence == Unset ||
                 SetupDiSetDevicePropertyW(set, &dev, &kIsPresent, DEVPROP_TYPE_BOOLEAN, &on, 1, 0));
    if (made && !inf.empty()) {
        HKEY driver = ::SetupDiCreateDevRegKeyW(set, &dev, DICS_FLAG_GLOBAL, 0, DIREG_DRV, 0, 0);
        made = driver != INVALID_HANDLE_VALUE && !::RegSetValueExW(driver, L"InfPath", 0, REG_SZ, bytes(inf), byteSize(inf));
        if (driver != INVALID_HANDLE_VALUE) ::RegCloseKey(driver);
    }
    ::SetupDiDestroyDeviceInfoList(set);
    return made;
}

// An INF's [Version]: class, class GUID, provider (through a string) and the version of DriverVer.
inline std::wstring infText(const std::wstring& provider, const std::wstring& cls, const GUID& guid,
                            const std::wstring& version) {
    return L"[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=" + cls + L"\r\nClassGUID=" + guidText(guid) +
           L"\r\nProvider=%Prov%\r\nDriverVer=01/02/2023," + version + L"\r\n[Strings]\r\nProv=\"" + provider +
           L"\"\r\n";
}

// `text` written as source + inf and published; its package folder repository() + package (the INF, the
// stem's .sys and x64\ .dll) and the driver database entry naming it active. The published name
// ("oem3.inf"), empty on failure.
inline std::wstring publish(const std::wstring& source, const std::wstring& inf, const std::wstring& package,
                            const std::wstring& text) {
    const std::wstring stem = inf.substr(0, inf.rfind(L'.')), folder = repository() + package + L"\\";
    for (const std::wstring& path : {source, folder + L"x64\\"})
        for (std::size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1))
            ::CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
    // Wine publishes an INF under its own name unless that is taken; Windows always as oem<number>.inf.
    if (::GetFileAttributesW((infFolder() + inf).c_str()) == INVALID_FILE_ATTRIBUTES)
        writeBytes(infFolder() + inf, L"; taken");
    wchar_t published[MAX_PATH] = {}, *name = nullptr;
    if (!writeBytes(source + inf, text) || !writeBytes(folder + inf, text) ||
        !writeBytes(folder + stem + L".sys", L"sys") || !writeBytes(folder + L"x64\\" + stem + L".dll", L"dll") ||
        !::SetupCopyOEMInfW((source + inf).c_str(), 0, SPOST_PATH, 0, published, MAX_PATH, 0, &name) || !name)
        return {};
    const std::wstring key = L"DRIVERS\\DriverDatabase\\DriverInfFiles\\" + std::wstring(name);
    return ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"Active", REG_SZ, package.c_str(), byteSize(package))
               ? L""
               : name;
}

}  // namespace plant
