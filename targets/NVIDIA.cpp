#include "targets/NVIDIA.h"

#include "engine/DeleteUnit.h"
#include "settings/VarUnit.h"

namespace tw::NVIDIA {
// Driver and control-panel files of the system and 64-bit-compatibility
// folders. "nvmctray*.*" stands twice: the second pass reports what survived.
const StringList kDriverFiles = {
    "nvapi*.*",   "nvapp*.*",    "nvcod*.*",    "nvcolor*.*",   "nvcpl*.*",    "nvd3d*.*",
    "nvdisp*.*",  "nvExpBar*.*", "nvgames*.*",  "nvmccs*.*",    "nvmctray*.*", "nvmobls*.*",
    "nvogl*.*",   "nvsvc*.*",    "nvudisp*.*",  "NVUNINST*.*",  "nvvitvs*.*",  "nvwgf2um*.*",
    "nvwapps*.*", "nvwss*.*",    "nvwsapps*.*", "nv4_disp*.*",  "nvdsp*.*",    "nview*.*",
    "nvnt4cpl*.*", "nvshell*.*", "nvtui*.*",    "nvucode*.*",   "nvwddi*.*",   "nvwdmcpl*.*",
    "nvwimg*.*",  "nwiz*.*",     "nv4disp*.*",  "nvgfx*.*",     "nvdccapp*.*", "nvmctray*.*",
    "nvwcpl*.*",  "keystone*.*", "nvdspsch*.*", "nvhwvid*.*",   "nvrs*.*",     "nvwrs*.*"};
const StringList kWindowsFiles = {"NVGfxOgl*.*"};
const StringList kDriverFolderFiles = {"nvlddmkm*.*", "NV_Mini*.*", "NV4_Mini*.*"};
const StringList kDllCacheFiles = {"nv_mini*.*", "nv4_mini*.*", "nv4_disp*.*",
                                   "nv_disp*.*", "nvdisp*.*",   "nv4disp*.*"};
const StringList kPrefetchFiles = {"nvcpl*.*", "nvudisp*.*", "nwiz*.*", "nvuninst*.*", "nv4*.*"};
const StringList kUserKeys = {"NVIDIA nvCpl Container", "NVIDIA Corporation\\NVIDIA Control Panel",
                              "NVIDIA Corporation\\NVControlPanel", "NVIDIA Corporation\\Global"};
const StringList kMachineKeys = {"Global", "NVControlPanel", "Filters", "Installer"};
const StringList kLogonValues = {"NvCplDaemon", "NvMediaCenter", "NvSvc"};
const StringList kLegacyKeys = {"LEGACY_NVSVC"};
const StringList kServiceKeys = {"nvlddmkm"};

namespace {

const char* const kLabel = "NVIDIA - Display";
const char* const kDisplayClass = "\\Control\\Class\\{4D36E968-E325-11CE-BFC1-08002BE10318}";

}  // namespace

int GetWeight(bool files, bool registry) { return tw::GetWeight(*FindTargetByLabel(kLabel), files, registry); }
void Clean(bool files, bool registry) { tw::Clean(*FindTargetByLabel(kLabel), files, registry); }

void CleanFiles() {
    const std::optional<std::string> w = WindowsFolder();
    const std::optional<std::string> s = SystemFolder();
    DeleteFilesIn(w, kWindowsFiles);
    DeleteFilesIn(Below(w, "SysWOW64\\"), kDriverFiles);
    DeleteFilesIn(s, kDriverFiles);
    DeleteFilesIn(Below(s, "drivers\\"), kDriverFolderFiles);
    DeleteFilesIn(Below(s, "dllcache\\"), kDllCacheFiles);
    DeleteFilesIn(Below(w, "prefetch\\"), kPrefetchFiles);
    if (w) DeleteFolderIfExists(*w + "Help\\nvcpl\\");
    if (RemoveNVIDIAFolder)
        if (auto drive = EnvFolder("HOMEDRIVE")) DeleteFolderIfExists(*drive + "\\NVIDIA\\");
    if (auto data = EnvFolder("ProgramData")) DeleteFolderIfExists(*data + "\\NVIDIA\\");
}

void CleanRegistry() {
    DeleteKeys(plat::kHKeyCurrentUser, "Software", kUserKeys);
    DeleteKeys(plat::kHKeyLocalMachine, "Software\\NVIDIA Corporation", kMachineKeys);
    DeleteValues(plat::kHKeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", kLogonValues);
    for (const std::string& set : ControlSets())
        DeleteKeys(plat::kHKeyLocalMachine, set + "\\Enum\\Root", kLegacyKeys);
    for (const std::string& set : ControlSets())
        DeleteKeys(plat::kHKeyLocalMachine, set + "\\Services", kServiceKeys);
    for (const std::string& set : ControlSets())
        DeleteKeysByValue(plat::kHKeyLocalMachine, set + kDisplayClass, "ProviderName", "NVIDIA");
}

}  // namespace tw::NVIDIA
