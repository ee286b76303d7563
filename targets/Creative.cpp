#include "targets/Creative.h"

#include "engine/DeleteUnit.h"

namespace tw::Creative {
// The fifth pattern ends in a blank and is handed to the search so.
const StringList kWindowsFiles = {"CTDCRES*.*", "CTDV10K*.*", "CTDVAUD*.*", "CTRegRun*.*", "{*.BAK ",
                                  "CTXFIRE*.*", "CTPRES*.*",  "Updreg*.*",  "{*.CDF"};
const StringList kSystemFiles = {
    "Ct20x*.*",    "ct_oal*.*",   "CTAGENT*.*",  "CTAPO*.*",    "ctasio*.*",   "CTAUDFX*.*",  "ctcoinst*.*",
    "CTDC000*.*",  "CTDCIFCE*.*", "CTDCRES*.*",  "CTDPROXY*.*", "ctdvinst*.*", "CTEAPSFX*.*", "ctedasio*.*",
    "CTEDSP*.*",   "ctemupia*.*", "CTERFXFX*.*", "CTEXFIFX*.*", "CTHELPER*.*", "CTHWIUT*.*",  "CTMMACTL*.*",
    "CTMMEP*.*",   "CTOSUSER*.*", "CTpcmcia*.*", "ctppld*.*",   "CTPRES*.*",   "ctpxinst*.*", "CTSBLFX*.*",
    "ctscal*.*",   "CTSFINST*.*", "CTSPKHLP*.*", "cttele*.*",   "ctthxcal*.*", "CTxfi*.*",    "ctzap*.*",
    "BMX*.rfx",    "cttele32*.*"};
const StringList kDriverFolderFiles = {"CT0531FL*.*", "ctac32*.*", "ctaud2*.*", "ctdvda2*.*",
                                       "CTGAME*.*",   "CTMMFILT*.*", "ctoss2*.*", "ctprxy2*.*",
                                       "ctsfm2*.*",   "CTOSS2K*.*", "CTSFM2K*.*"};
const StringList kUserKeys = {"Creative Tech"};
const StringList kMachineKeys = {"Creative Tech", "ASIO"};
const StringList kControlKeys = {"Creative Tech"};
const StringList kLogonValues = {"CTHelper", "CTxfiHlp"};

namespace {

const char* const kLabel = "Creative - Sound";

}  // namespace

int GetWeight(bool files, bool registry) { return tw::GetWeight(*FindTargetByLabel(kLabel), files, registry); }
void Clean(bool files, bool registry) { tw::Clean(*FindTargetByLabel(kLabel), files, registry); }

void CleanFiles() {
    const std::optional<std::string> w = WindowsFolder();
    const std::optional<std::string> s = SystemFolder();
    const std::optional<std::string> programs = EnvFolder("Programfiles");
    if (s) DeleteFolderIfExists(*s + "Data\\");
    if (w) DeleteFolderIfExists(*w + "SysWOW64\\Data\\");
    if (programs) DeleteFolderIfExists(*programs + "\\Creative\\");
    DeleteFilesIn(w, kWindowsFiles);
    DeleteFilesIn(s, kSystemFiles);
    DeleteFilesIn(Below(s, "drivers\\"), kDriverFolderFiles);
    if (programs) DeleteFoldersByCompany(*programs + "\\InstallShield Installation Information\\", "Creative");
}

void CleanRegistry() {
    DeleteKeys(plat::kHKeyCurrentUser, "Software", kUserKeys);
    DeleteKeys(plat::kHKeyLocalMachine, "Software", kMachineKeys);
    for (const std::string& set : ControlSets())
        DeleteKeys(plat::kHKeyLocalMachine, set + "\\Control", kControlKeys);
    DeleteValues(plat::kHKeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", kLogonValues);
}

}  // namespace tw::Creative
