#include "targets/NVIDIA.h"

#include "engine/DeleteUnit.h"
#include "settings/VarUnit.h"

namespace tw::NVIDIA {
// Driver and control-panel files of the system and 64-bit-compatibility
// folders. "nvmctray*.*" stands twice: the second pass reports what survived.
const StringList kDriverFiles = {
    L"nvapi*.*",   L"nvapp*.*",    L"nvcod*.*",    L"nvcolor*.*",   L"nvcpl*.*",    L"nvd3d*.*",
    L"nvdisp*.*",  L"nvExpBar*.*", L"nvgames*.*",  L"nvmccs*.*",    L"nvmctray*.*", L"nvmobls*.*",
    L"nvogl*.*",   L"nvsvc*.*",    L"nvudisp*.*",  L"NVUNINST*.*",  L"nvvitvs*.*",  L"nvwgf2um*.*",
    L"nvwapps*.*", L"nvwss*.*",    L"nvwsapps*.*", L"nv4_disp*.*",  L"nvdsp*.*",    L"nview*.*",
    L"nvnt4cpl*.*", L"nvshell*.*", L"nvtui*.*",    L"nvucode*.*",   L"nvwddi*.*",   L"nvwdmcpl*.*",
    L"nvwimg*.*",  L"nwiz*.*",     L"nv4disp*.*",  L"nvgfx*.*",     L"nvdccapp*.*", L"nvmctray*.*",
    L"nvwcpl*.*",  L"keystone*.*", L"nvdspsch*.*", L"nvhwvid*.*",   L"nvrs*.*",     L"nvwrs*.*"};
const StringList kWindowsFiles = {L"NVGfxOgl*.*"};
const StringList kDriverFolderFiles = {L"nvlddmkm*.*", L"NV_Mini*.*", L"NV4_Mini*.*"};
const StringList kDllCacheFiles = {L"nv_mini*.*", L"nv4_mini*.*", L"nv4_disp*.*",
                                   L"nv_disp*.*", L"nvdisp*.*",   L"nv4disp*.*"};
const StringList kPrefetchFiles = {L"nvcpl*.*", L"nvudisp*.*", L"nwiz*.*", L"nvuninst*.*", L"nv4*.*"};
const StringList kUserKeys = {L"NVIDIA nvCpl Container", L"NVIDIA Corporation\\NVIDIA Control Panel",
                              L"NVIDIA Corporation\\NVControlPanel", L"NVIDIA Corporation\\Global"};
const StringList kMachineKeys = {L"Global", L"NVControlPanel", L"Filters", L"Installer"};
const StringList kLogonValues = {L"NvCplDaemon", L"NvMediaCenter", L"NvSvc"};
const StringList kLegacyKeys = {L"LEGACY_NVSVC"};
const StringList kServiceKeys = {L"nvlddmkm"};

namespace {

const wchar_t* const kLabel = L"NVIDIA - Display";
const wchar_t* const kDisplayClass = L"\\Control\\Class\\{4D36E968-E325-11CE-BFC1-08002BE10318}";

}  // namespace

int GetWeight(bool files, bool registry) { return tw::GetWeight(*FindTargetByLabel(kLabel), files, registry); }
void Clean(DeletionContext& context, bool files, bool registry) { tw::Clean(context, *FindTargetByLabel(kLabel), files, registry); }

void CleanFiles(DeletionContext& context) {
    const std::optional<std::wstring> w = WindowsFolder();
    const std::optional<std::wstring> s = SystemFolder();
    DeleteFilesIn(context, w, kWindowsFiles);
    DeleteFilesIn(context, Below(w, L"SysWOW64\\"), kDriverFiles);
    DeleteFilesIn(context, s, kDriverFiles);
    DeleteFilesIn(context, Below(s, L"drivers\\"), kDriverFolderFiles);
    DeleteFilesIn(context, Below(s, L"dllcache\\"), kDllCacheFiles);
    DeleteFilesIn(context, Below(w, L"prefetch\\"), kPrefetchFiles);
    if (w) DeleteFolderIfExists(context, *w + L"Help\\nvcpl\\");
    if (RemoveNVIDIAFolder)
        if (auto drive = EnvFolder(L"HOMEDRIVE")) DeleteFolderIfExists(context, *drive + L"\\NVIDIA\\");
    if (auto data = EnvFolder(L"ProgramData")) DeleteFolderIfExists(context, *data + L"\\NVIDIA\\");
}

void CleanRegistry(DeletionContext& context) {
    DeleteKeys(context, plat::kHKeyCurrentUser, L"Software", kUserKeys);
    DeleteKeys(context, plat::kHKeyLocalMachine, L"Software\\NVIDIA Corporation", kMachineKeys);
    DeleteValues(context, plat::kHKeyLocalMachine, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", kLogonValues);
    for (const std::wstring& set : ControlSets())
        DeleteKeys(context, plat::kHKeyLocalMachine, set + L"\\Enum\\Root", kLegacyKeys);
    for (const std::wstring& set : ControlSets())
        DeleteKeys(context, plat::kHKeyLocalMachine, set + L"\\Services", kServiceKeys);
    for (const std::wstring& set : ControlSets())
        DeleteKeysByValue(context, plat::kHKeyLocalMachine, set + kDisplayClass, L"ProviderName", L"NVIDIA");
}

}  // namespace tw::NVIDIA
