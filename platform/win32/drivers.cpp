// Driver packages and devices through the system's setup calls (setupapi,
// "W" forms): its INF parser, its device installer and its driver store.
#include <windows.h>
#include <devpropdef.h>
#include <objbase.h>
#include <setupapi.h>

#include "platform/platform.h"
#include "platform/win32/handles.h"

namespace plat {

static_assert(kErrInWow64 == ERROR_IN_WOW64 && kErrDeviceInUse == ERROR_DEVICE_IN_USE);

namespace {

struct InfHandleTraits {
    static HINF empty() { return INVALID_HANDLE_VALUE; }
    static void close(HINF h) { ::SetupCloseInfFile(h); }
};
struct DeviceSetTraits {
    static HDEVINFO empty() { return INVALID_HANDLE_VALUE; }
    static void close(HDEVINFO h) { ::SetupDiDestroyDeviceInfoList(h); }
};
using InfHandle = win::UniqueHandle<HINF, InfHandleTraits>;
using DeviceSet = win::UniqueHandle<HDEVINFO, DeviceSetTraits>;

// DEVPKEY_Device_IsPresent (devpkey.h), spelled out so that no GUID needs defining here.
const DEVPROPKEY kIsPresent = {{0x540b947e, 0x8b40, 0x45bc, {0xa8, 0xa2, 0x6a, 0x0b, 0x89, 0x4c, 0xbd, 0xa2}}, 5};

Error lastError() { return static_cast<Error>(::GetLastError()); }

// Field `field` of the first line of [Version] named `key`; empty when absent.
std::wstring versionField(HINF inf, const wchar_t* key, DWORD field) {
    INFCONTEXT line;
    DWORD size = 0;
    if (!::SetupFindFirstLineW(inf, L"Version", key, &line) || !::SetupGetStringFieldW(&line, field, nullptr, 0, &size) ||
        size == 0)
        return {};
    std::wstring text(size, L'\0');
    if (!::SetupGetStringFieldW(&line, field, text.data(), size, &size)) return {};
    text.resize(size > 0 ? size - 1 : 0);
    return text;
}

// A registry property of a device as text; a list (REG_MULTI_SZ) as its items.
std::vector<std::wstring> deviceProperty(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property) {
    DWORD type = 0, size = 0;
    ::SetupDiGetDeviceRegistryPropertyW(set, &device, property, &type, nullptr, 0, &size);
    if (size == 0 || (type != REG_SZ && type != REG_MULTI_SZ)) return {};
    std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
    if (!::SetupDiGetDeviceRegistryPropertyW(set, &device, property, &type, reinterpret_cast<BYTE*>(data.data()),
                                             size, nullptr))
        return {};
    std::vector<std::wstring> items;
    for (std::size_t at = 0; at < data.size() && data[at] != L'\0'; at = data.find(L'\0', at) + 1)
        items.emplace_back(data.c_str() + at);
    return items;
}
std::wstring deviceText(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property) {
    const auto items = deviceProperty(set, device, property);
    return items.empty() ? std::wstring() : items.front();
}

Presence presenceOf(HDEVINFO set, SP_DEVINFO_DATA& device) {
    DEVPROPTYPE type = 0;
    DEVPROP_BOOLEAN value = DEVPROP_FALSE;
    if (!::SetupDiGetDevicePropertyW(set, &device, &kIsPresent, &type, reinterpret_cast<BYTE*>(&value), sizeof value,
                                     nullptr, 0) ||
        type != DEVPROP_TYPE_BOOLEAN)
        return Presence::Unknown;
    return value != DEVPROP_FALSE ? Presence::Present : Presence::NotPresent;
}

// The InfPath value of the device's driver key.
std::wstring infPathOf(HDEVINFO set, SP_DEVINFO_DATA& device) {
    win::KeyHandle key(::SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_QUERY_VALUE));
    if (key.get() == INVALID_HANDLE_VALUE) key.release();
    wchar_t text[MAX_PATH] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    if (!key || ::RegGetValueW(key.get(), nullptr, L"InfPath", RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return {};
    return text;
}

std::wstring guidText(const GUID& guid) {
    wchar_t text[40] = {};
    ::StringFromGUID2(guid, text, 40);
    return text;
}

}  // namespace

Error readInfVersion(const std::wstring& infPath, InfVersion& out) {
    out = {};
    UINT errorLine = 0;
    InfHandle inf(::SetupOpenInfFileW(infPath.c_str(), nullptr, INF_STYLE_WIN4, &errorLine));
    if (!inf) return lastError();
    out.provider = versionField(inf.get(), L"Provider", 1);
    out.className = versionField(inf.get(), L"Class", 1);
    out.classGuid = versionField(inf.get(), L"ClassGUID", 1);
    out.driverDate = versionField(inf.get(), L"DriverVer", 1);
    out.driverVersion = versionField(inf.get(), L"DriverVer", 2);
    return kOk;
}

Error listDevices(std::vector<DeviceRecord>& out) {
    out.clear();
    DeviceSet set(::SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES));
    if (!set) return lastError();
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD i = 0; ::SetupDiEnumDeviceInfo(set.get(), i, &device); ++i) {
        DeviceRecord r;
        DWORD size = 0;
        ::SetupDiGetDeviceInstanceIdW(set.get(), &device, nullptr, 0, &size);
        r.instanceId.assign(size, L'\0');
        if (size == 0 || !::SetupDiGetDeviceInstanceIdW(set.get(), &device, r.instanceId.data(), size, nullptr))
            continue;
        r.instanceId.resize(size - 1);
        r.classGuid = guidText(device.ClassGuid);
        r.className = deviceText(set.get(), device, SPDRP_CLASS);
        wchar_t name[64] = {};  // MAX_CLASS_NAME_LEN is 32
        if (r.className.empty() && ::SetupDiClassNameFromGuidW(&device.ClassGuid, name, 64, nullptr))
            r.className = name;
        r.hardwareIds = deviceProperty(set.get(), device, SPDRP_HARDWAREID);
        r.description = deviceText(set.get(), device, SPDRP_FRIENDLYNAME);
        if (r.description.empty()) r.description = deviceText(set.get(), device, SPDRP_DEVICEDESC);
        r.infPath = infPathOf(set.get(), device);
        r.presence = presenceOf(set.get(), device);
        out.push_back(std::move(r));
    }
    return ::GetLastError() == ERROR_NO_MORE_ITEMS ? kOk : lastError();
}

Error removeDevice(const std::wstring& instanceId) {
    DeviceSet set(::SetupDiCreateDeviceInfoList(nullptr, nullptr));
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    if (!set || !::SetupDiOpenDeviceInfoW(set.get(), instanceId.c_str(), nullptr, 0, &device)) return lastError();
    if (presenceOf(set.get(), device) != Presence::NotPresent) return kErrDeviceInUse;
    // For every hardware profile; Wine keeps no such parameters, and removes for all anyway.
    SP_REMOVEDEVICE_PARAMS params{};
    params.ClassInstallHeader.cbSize = sizeof(SP_CLASSINSTALL_HEADER);
    params.ClassInstallHeader.InstallFunction = DIF_REMOVE;
    params.Scope = DI_REMOVEDEVICE_GLOBAL;
    ::SetupDiSetClassInstallParamsW(set.get(), &device, &params.ClassInstallHeader, sizeof params);
    return ::SetupDiCallClassInstaller(DIF_REMOVE, set.get(), &device) ? kOk : lastError();
}

Error uninstallDriverPackage(const std::wstring& publishedName, bool force) {
    return ::SetupUninstallOEMInfW(publishedName.c_str(), force ? SUOI_FORCEDELETE : 0, nullptr) ? kOk : lastError();
}

Error installDriverPackage(const std::wstring& infPath, std::wstring& publishedName) {
    wchar_t published[MAX_PATH] = {};
    wchar_t* name = nullptr;
    if (!::SetupCopyOEMInfW(infPath.c_str(), nullptr, SPOST_PATH, 0, published, MAX_PATH, nullptr, &name))
        return lastError();
    publishedName = name != nullptr ? name : published;
    return kOk;
}

}  // namespace plat
