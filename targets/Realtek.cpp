#include "targets/Realtek.h"

#include "engine/DeleteUnit.h"

namespace tw::Realtek {

const StringList kWindowsFiles = {L"HideWin*.*", L"RtHDVCpl*.*", L"RtlExUpd*.*", L"RtlUpd*.*", L"SkyTel*.*"};
const StringList kSystemFiles = {L"RtkAPO*.*",   L"RtkCoInst*.*", L"RtkPgExt*.*", L"SRSHP*.*",
                                 L"SRSTS*.*",    L"SRSWOW*.*",    L"RTKVHDA*.*",  L"RtlCPAPI*.*",
                                 L"RTCOMDLL*.*", L"RtlUpd*.*",    L"RTSndMgr*.*", L"RtHDVCpl*.*"};
const StringList kDriverFolderFiles = {L"RTKVHDA*.*"};
const StringList kUserKeys = {L"Realtek"};
const StringList kMachineKeys = {L"Realtek", L"Avance", L"Realtek Semiconductor Corp."};
const StringList kLogonValues = {L"RtHDVCpl"};

namespace {

const wchar_t* const kLabel = L"Realtek - Sound";

}  // namespace

int GetWeight(bool files, bool registry) { return tw::GetWeight(*FindTargetByLabel(kLabel), files, registry); }
void Clean(bool files, bool registry) { tw::Clean(*FindTargetByLabel(kLabel), files, registry); }

void CleanFiles() {
    const std::optional<std::wstring> w = WindowsFolder();
    const std::optional<std::wstring> s = SystemFolder();
    DeleteFilesIn(w, kWindowsFiles);
    DeleteInstallFolderIfExists(ReadMachineString(L"Software\\Realtek\\InstallShield", L"ProgramFilesDir"));
    DeleteFilesIn(s, kSystemFiles);
    DeleteFilesIn(Below(s, L"drivers\\"), kDriverFolderFiles);
    if (auto programs = EnvFolder(L"Programfiles"))
        DeleteFoldersByCompany(*programs + L"\\InstallShield Installation Information\\", L"Realtek");
}

void CleanRegistry() {
    DeleteKeys(plat::kHKeyCurrentUser, L"Software", kUserKeys);
    DeleteKeys(plat::kHKeyLocalMachine, L"Software", kMachineKeys);
    DeleteValues(plat::kHKeyLocalMachine, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", kLogonValues);
}

}  // namespace tw::Realtek
