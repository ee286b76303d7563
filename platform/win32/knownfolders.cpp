// Every known folder the system reports (shell32, ole32).
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "platform/platform.h"
#include "platform/win32/handles.h"

namespace plat {

namespace {

std::wstring pathOf(IKnownFolder* folder, DWORD flags) {
    PWSTR path = nullptr;
    std::wstring out;
    if (SUCCEEDED(folder->GetPath(flags, &path)) && path) out = path;
    ::CoTaskMemFree(path);
    return out;
}

}  // namespace

std::vector<KnownFolder> knownFolders() {
    // The manager is a COM object that lives in either model: COM is started
    // on this thread for the call, in the model that makes no window, unless
    // it already runs here.
    const HRESULT init = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    std::vector<KnownFolder> out;
    {
        win::Com<IKnownFolderManager> manager;
        KNOWNFOLDERID* ids = nullptr;
        UINT count = 0;
        if (SUCCEEDED(::CoCreateInstance(CLSID_KnownFolderManager, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_IKnownFolderManager, reinterpret_cast<void**>(&manager.p))) &&
            SUCCEEDED(manager.p->GetFolderIds(&ids, &count))) {
            for (UINT i = 0; i < count; ++i) {
                win::Com<IKnownFolder> folder;
                KF_CATEGORY category{};
                if (FAILED(manager.p->GetFolder(ids[i], &folder.p)) || FAILED(folder.p->GetCategory(&category)) ||
                    category == KF_CATEGORY_VIRTUAL)
                    continue;
                KnownFolder k;
                k.path = pathOf(folder.p, KF_FLAG_DONT_VERIFY);
                k.perUser = category == KF_CATEGORY_PERUSER;
                if (k.perUser) k.defaultPath = pathOf(folder.p, KF_FLAG_DONT_VERIFY | KF_FLAG_DEFAULT_PATH);
                if (!k.path.empty() || !k.defaultPath.empty()) out.push_back(std::move(k));
            }
        }
        ::CoTaskMemFree(ids);
    }
    if (SUCCEEDED(init)) ::CoUninitialize();
    return out;
}

}  // namespace plat
