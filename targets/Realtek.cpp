#include "targets/Realtek.h"

#include "engine/DeleteUnit.h"

namespace tw::Realtek {

const StringList kWindowsFiles = {"HideWin*.*", "RtHDVCpl*.*", "RtlExUpd*.*", "RtlUpd*.*", "SkyTel*.*"};
const StringList kSystemFiles = {"RtkAPO*.*",   "RtkCoInst*.*", "RtkPgExt*.*", "SRSHP*.*",
                                 "SRSTS*.*",    "SRSWOW*.*",    "RTKVHDA*.*",  "RtlCPAPI*.*",
                                 "RTCOMDLL*.*", "RtlUpd*.*",    "RTSndMgr*.*", "RtHDVCpl*.*"};
const StringList kDriverFolderFiles = {"RTKVHDA*.*"};
const StringList kUserKeys = {"Realtek"};
const StringList kMachineKeys = {"Realtek", "Avance", "Realtek Semiconductor Corp."};
const StringList kLogonValues = {"RtHDVCpl"};

namespace {

const char* const kLabel = "Realtek - Sound";

}  // namespace

int GetWeight(bool files, bool registry) { return tw::GetWeight(*FindTargetByLabel(kLabel), files, registry); }
void Clean(bool files, bool registry) { tw::Clean(*FindTargetByLabel(kLabel), files, registry); }

void CleanFiles() {
    const std::optional<std::string> w = WindowsFolder();
    const std::optional<std::string> s = SystemFolder();
    DeleteFilesIn(w, kWindowsFiles);
    DeleteInstallFolderIfExists(
        plat::ansiToWide(ReadMachineString("Software\\Realtek\\InstallShield", "ProgramFilesDir")));
    DeleteFilesIn(s, kSystemFiles);
    DeleteFilesIn(Below(s, "drivers\\"), kDriverFolderFiles);
    if (auto programs = EnvFolder("Programfiles"))
        DeleteFoldersByCompany(*programs + "\\InstallShield Installation Information\\", "Realtek");
}

void CleanRegistry() {
    DeleteKeys(plat::kHKeyCurrentUser, "Software", kUserKeys);
    DeleteKeys(plat::kHKeyLocalMachine, "Software", kMachineKeys);
    DeleteValues(plat::kHKeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", kLogonValues);
}

}  // namespace tw::Realtek
