// System Restore: a restore point through srclient.dll, loaded for the call
// from the system folder, and the last point's sequence number through WMI.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <sddl.h>
#include <srrestoreptapi.h>
#include <wbemidl.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/handles.h"

namespace plat {

namespace {

// Frees a BSTR when it goes.
struct Bstr {
    explicit Bstr(const wchar_t* text) : value(::SysAllocString(text)) {}
    ~Bstr() { ::SysFreeString(value); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR value;
};

// The process's COM security, so that the services of System Restore and
// WMI can call back: administrators and the accounts those services run as
// (SYSTEM, LOCAL SERVICE, NETWORK SERVICE, the caller itself) may call in,
// nobody else. CoInitializeSecurity takes only an absolute descriptor and
// acts once per process: a later call (RPC_E_TOO_LATE) leaves what is set.
void allowServiceCallbacks() {
    PSECURITY_DESCRIPTOR relative = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(
            L"O:BAG:BAD:(A;;0x3;;;BA)(A;;0x3;;;SY)(A;;0x3;;;LS)(A;;0x3;;;NS)(A;;0x3;;;PS)", SDDL_REVISION_1,
            &relative, nullptr))
        return;
    DWORD sdSize = 0, daclSize = 0, saclSize = 0, ownerSize = 0, groupSize = 0;
    ::MakeAbsoluteSD(relative, nullptr, &sdSize, nullptr, &daclSize, nullptr, &saclSize, nullptr, &ownerSize,
                     nullptr, &groupSize);
    std::vector<BYTE> sd(sdSize + 1), dacl(daclSize + 1), sacl(saclSize + 1), owner(ownerSize + 1),
        group(groupSize + 1);
    if (::MakeAbsoluteSD(relative, sd.data(), &sdSize, reinterpret_cast<PACL>(dacl.data()), &daclSize,
                         reinterpret_cast<PACL>(sacl.data()), &saclSize, owner.data(), &ownerSize, group.data(),
                         &groupSize))
        ::CoInitializeSecurity(sd.data(), -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_PKT_PRIVACY,
                               RPC_C_IMP_LEVEL_IDENTIFY, nullptr, EOAC_NONE, nullptr);
    ::LocalFree(relative);
}

// COM on this thread for one call, in the model that makes no window,
// unless it already runs here.
class ComScope {
public:
    ComScope() : init_(::CoInitializeEx(nullptr, COINIT_MULTITHREADED)) { allowServiceCallbacks(); }
    ~ComScope() {
        if (SUCCEEDED(init_)) ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT init_;
};

}  // namespace

Error createRestorePoint(const std::wstring& description, std::int64_t& sequence) {
    sequence = 0;
    wchar_t system[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return kErrModNotFound;
    // By its full path: no copy planted in another folder is loaded instead.
    const HMODULE library = ::LoadLibraryW((std::wstring(system) + L"\\srclient.dll").c_str());
    if (!library) return kErrModNotFound;
    using SetPoint = BOOL(WINAPI*)(PRESTOREPOINTINFOW, PSTATEMGRSTATUS);
    const auto setPoint = reinterpret_cast<SetPoint>(
        reinterpret_cast<void (*)()>(::GetProcAddress(library, "SRSetRestorePointW")));
    Error result = kErrProcNotFound;
    if (setPoint) {
        const ComScope com;
        RESTOREPOINTINFOW info{};
        info.dwEventType = BEGIN_SYSTEM_CHANGE;
        info.dwRestorePtType = APPLICATION_UNINSTALL;
        description.copy(info.szDescription, MAX_DESC_W - 1);
        STATEMGRSTATUS status{};
        ::SetLastError(ERROR_SUCCESS);
        if (setPoint(&info, &status)) {
            sequence = status.llSequenceNumber;
            // The point is taken at its beginning; its end is told at once.
            info.dwEventType = END_SYSTEM_CHANGE;
            info.llSequenceNumber = sequence;
            setPoint(&info, &status);
            result = kOk;
        } else {
            const DWORD last = ::GetLastError();
            result = status.nStatus != ERROR_SUCCESS ? status.nStatus
                     : last != ERROR_SUCCESS         ? last
                                                     : ERROR_GEN_FAILURE;
        }
    }
    ::FreeLibrary(library);
    return result;
}

Error lastRestorePointSequence(std::int64_t& sequence) {
    sequence = 0;
    const ComScope com;
    win::Com<IWbemLocator> locator;
    win::Com<IWbemServices> services;
    win::Com<IEnumWbemClassObject> rows;
    const Bstr space(L"ROOT\\DEFAULT"), language(L"WQL"), query(L"SELECT SequenceNumber FROM SystemRestore");
    HRESULT hr = ::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                    reinterpret_cast<void**>(&locator.p));
    if (SUCCEEDED(hr))
        hr = locator.p->ConnectServer(space.value, nullptr, nullptr, nullptr, 0, nullptr, nullptr, &services.p);
    if (SUCCEEDED(hr))
        hr = ::CoSetProxyBlanket(services.p, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                                 RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
    if (SUCCEEDED(hr))
        hr = services.p->ExecQuery(language.value, query.value, WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY,
                                   nullptr, &rows.p);
    while (SUCCEEDED(hr)) {
        win::Com<IWbemClassObject> row;
        ULONG got = 0;
        hr = rows.p->Next(WBEM_INFINITE, 1, &row.p, &got);
        if (hr != WBEM_S_NO_ERROR || got == 0) break;  // WBEM_S_FALSE: no more rows
        VARIANT number;
        ::VariantInit(&number);
        hr = row.p->Get(L"SequenceNumber", 0, &number, nullptr, nullptr);
        // A CIM uint32 comes as VT_I4.
        if (SUCCEEDED(hr) && (number.vt == VT_I4 || number.vt == VT_UI4))
            sequence = std::max<std::int64_t>(sequence, static_cast<std::uint32_t>(number.lVal));
        else if (SUCCEEDED(hr))
            hr = E_UNEXPECTED;
        ::VariantClear(&number);
    }
    return FAILED(hr) ? static_cast<Error>(hr) : kOk;
}

}  // namespace plat
