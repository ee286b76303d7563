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
void Clean(DeletionContext& context, bool files, bool registry) { tw::Clean(context, *FindTargetByLabel(kLabel), files, registry); }

void CleanFiles(DeletionContext& context) {
    const std::optional<std::wstring> w = WindowsFolder();
    const std::optional<std::wstring> s = SystemFolder();
    DeleteFilesIn(context, w, kWindowsFiles);
    DeleteInstallFolderIfExists(context, ReadMachineString(L"Software\\Realtek\\InstallShield", L"ProgramFilesDir"));
    DeleteFilesIn(context, s, kSystemFiles);
    DeleteFilesIn(context, Below(s, L"drivers\\"), kDriverFolderFiles);
    if (auto programs = EnvFolder(L"Programfiles"))
        DeleteFoldersByCompany(context, *programs + L"\\InstallShield Installation Information\\", L"Realtek");
}

void CleanRegistry(DeletionContext& context) {
    DeleteKeys(context, plat::kHKeyCurrentUser, L"Software", kUserKeys);
    DeleteKeys(context, plat::kHKeyLocalMachine, L"Software", kMachineKeys);
    DeleteValues(context, plat::kHKeyLocalMachine, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", kLogonValues);
}

}  // namespace tw::Realtek
