#include "targets/Creative.h"

#include "engine/DeleteUnit.h"

namespace tw::Creative {
// The fifth pattern ends in a blank and is handed to the search so.
const StringList kWindowsFiles = {L"CTDCRES*.*", L"CTDV10K*.*", L"CTDVAUD*.*", L"CTRegRun*.*", L"{*.BAK ",
                                  L"CTXFIRE*.*", L"CTPRES*.*",  L"Updreg*.*",  L"{*.CDF"};
const StringList kSystemFiles = {
    L"Ct20x*.*",    L"ct_oal*.*",   L"CTAGENT*.*",  L"CTAPO*.*",    L"ctasio*.*",   L"CTAUDFX*.*",  L"ctcoinst*.*",
    L"CTDC000*.*",  L"CTDCIFCE*.*", L"CTDCRES*.*",  L"CTDPROXY*.*", L"ctdvinst*.*", L"CTEAPSFX*.*", L"ctedasio*.*",
    L"CTEDSP*.*",   L"ctemupia*.*", L"CTERFXFX*.*", L"CTEXFIFX*.*", L"CTHELPER*.*", L"CTHWIUT*.*",  L"CTMMACTL*.*",
    L"CTMMEP*.*",   L"CTOSUSER*.*", L"CTpcmcia*.*", L"ctppld*.*",   L"CTPRES*.*",   L"ctpxinst*.*", L"CTSBLFX*.*",
    L"ctscal*.*",   L"CTSFINST*.*", L"CTSPKHLP*.*", L"cttele*.*",   L"ctthxcal*.*", L"CTxfi*.*",    L"ctzap*.*",
    L"BMX*.rfx",    L"cttele32*.*"};
const StringList kDriverFolderFiles = {L"CT0531FL*.*", L"ctac32*.*", L"ctaud2*.*", L"ctdvda2*.*",
                                       L"CTGAME*.*",   L"CTMMFILT*.*", L"ctoss2*.*", L"ctprxy2*.*",
                                       L"ctsfm2*.*",   L"CTOSS2K*.*", L"CTSFM2K*.*"};
const StringList kUserKeys = {L"Creative Tech"};
const StringList kMachineKeys = {L"Creative Tech", L"ASIO"};
const StringList kControlKeys = {L"Creative Tech"};
const StringList kLogonValues = {L"CTHelper", L"CTxfiHlp"};

namespace {

const wchar_t* const kLabel = L"Creative - Sound";

}  // namespace

int GetWeight(bool files, bool registry) { return tw::GetWeight(*FindTargetByLabel(kLabel), files, registry); }
void Clean(DeletionContext& context, bool files, bool registry) { tw::Clean(context, *FindTargetByLabel(kLabel), files, registry); }

void CleanFiles(DeletionContext& context) {
    const std::optional<std::wstring> w = WindowsFolder();
    const std::optional<std::wstring> s = SystemFolder();
    const std::optional<std::wstring> programs = EnvFolder(L"Programfiles");
    if (s) DeleteFolderIfExists(context, *s + L"Data\\");
    if (w) DeleteFolderIfExists(context, *w + L"SysWOW64\\Data\\");
    if (programs) DeleteFolderIfExists(context, *programs + L"\\Creative\\");
    DeleteFilesIn(context, w, kWindowsFiles);
    DeleteFilesIn(context, s, kSystemFiles);
    DeleteFilesIn(context, Below(s, L"drivers\\"), kDriverFolderFiles);
    if (programs) DeleteFoldersByCompany(context, *programs + L"\\InstallShield Installation Information\\", L"Creative");
}

void CleanRegistry(DeletionContext& context) {
    DeleteKeys(context, plat::kHKeyCurrentUser, L"Software", kUserKeys);
    DeleteKeys(context, plat::kHKeyLocalMachine, L"Software", kMachineKeys);
    for (const std::wstring& set : ControlSets())
        DeleteKeys(context, plat::kHKeyLocalMachine, set + L"\\Control", kControlKeys);
    DeleteValues(context, plat::kHKeyLocalMachine, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", kLogonValues);
}

}  // namespace tw::Creative
