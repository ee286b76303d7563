#include "targets/ATi.h"

#include "engine/DeleteUnit.h"
#include "platform/common.h"
#include "settings/VarUnit.h"

namespace tw::ATi {

const StringList kWindowsFiles = {"atiogl*.*"};
// "atiicd*.*" stands twice.
const StringList kSystemFiles = {
    "ati2e*.*",    "ATIDE*.*",     "atiicd*.*",   "atiogl*.*",  "atipd*.*",    "atitm*.*",   "atium*.*",
    "ati*cqag*.*", "ati*dva*.*",   "ati*mdx*.*",  "ati*sgag*.*", "ati3d*ag*.*", "ati3duag*.*", "ATIDDC*.*",
    "atifglpf*.*", "atiicd*.*",    "atiiie*.*",   "atikvmag*.*", "atitvo*.*",  "ativco*.*",  "ativda*.*",
    "ativmv*.*",   "ativtm*.*",    "ativva*.*",   "atiok*.*"};
const StringList kDriverFolderFiles = {
    "ati*bt*.*", "ati*md*.*", "ati*pd*.*",   "ati*ra*.*",  "ati*rv*.*", "ati*sn*.*",
    "ati*tt*.*", "ati*tu*.*", "ati*xb*.*",   "ati*xs*.*",  "ati*erec*.*", "ati*mta*.*",
    "ativca*.*", "ativck*.*", "ativdk*.*",   "ativmc*.*",  "ativvp*.*", "ativ*k*.*"};
const StringList kPrefetchFiles = {"ATI*MD*.*", "ATI*SGAG*.*", "ATICIM*.*", "ATIPRB*.*", "ATISHLX*.*", "CCC*.*"};
const StringList kUserKeys = {"ATi"};
const StringList kMachineKeys = {
    "ATi",
    "ATI Technologies\\Install\\ccc-branding",
    "ATI Technologies\\Install\\ccc-core-implementation",
    "ATI Technologies\\Install\\ccc-core-static",
    "ATI Technologies\\Install\\ccc-graphics-full-existing",
    "ATI Technologies\\Install\\CCC-Graphics-Full-New",
    "ATI Technologies\\Install\\ccc-graphics-light",
    "ATI Technologies\\Install\\ccc-graphics-previews-common",
    "ATI Technologies\\Install\\ccc-graphics-previews-vista",
    "ATI Technologies\\Install\\ccc-help-en-US",
    "ATI Technologies\\Install\\ccc-install",
    "ATI Technologies\\Install\\ccc-skins",
    "ATI Technologies\\Install\\ccc-utility",
    "ATI Technologies\\Install\\ccc-00-core-preinstall",
    "ATI Technologies\\Install\\ccc-05-core-static",
    "ATI Technologies\\Install\\ccc-10-core-implementation",
    "ATI Technologies\\Install\\ccc-15-graphics-full-existing",
    "ATI Technologies\\Install\\CCC-20-Graphics-Full-New",
    "ATI Technologies\\Install\\ccc-25-graphics-light",
    "ATI Technologies\\Install\\ccc-30-graphics-previews-common",
    "ATI Technologies\\Install\\ccc-45-help-en-US",
    "ATI Technologies\\Install\\ccc-55-skins",
    "ATI Technologies\\Install\\ccc-60-utility",
    "ATI Technologies\\Install\\ATI Display Driver",
    "ATI Technologies\\Installed Drivers\\ATI Display Driver",
    "ATI Technologies\\ATI Catalyst Control Center",
    "ATI Technologies\\CBT",
    "ATI Technologies\\CDS",
    "ATI Technologies Inc."};
const StringList kServiceKeys = {"ati2mtag", "Ati HotKey Poller", "ATI Smart", "atikmdag",
                                 "Ati External Event Utility"};

namespace {

const char* const kLabel = "ATi - Display";

}  // namespace

int GetWeight(bool files, bool registry) { return tw::GetWeight(*FindTargetByLabel(kLabel), files, registry); }
void Clean(bool files, bool registry) { tw::Clean(*FindTargetByLabel(kLabel), files, registry); }

void CleanFiles() {
    const std::optional<std::string> w = WindowsFolder();
    const std::optional<std::string> s = SystemFolder();
    DeleteFilesIn(w, kWindowsFiles);
    DeleteFilesIn(s, kSystemFiles);
    DeleteFilesIn(Below(s, "drivers\\"), kDriverFolderFiles);
    DeleteFilesIn(Below(w, "prefetch\\"), kPrefetchFiles);
    // Read while the registry phase has not yet removed the key.
    DeleteInstallFolderIfExists(
        plat::ansiToWide(ReadMachineString("Software\\ATi Technologies\\Install", "InstallDir")));
    if (auto local = EnvFolder("LOCALAPPDATA")) DeleteFolderIfExists(includeTrailingBackslash(*local) + "ATi\\ACE");
    if (auto roaming = EnvFolder("APPDATA")) DeleteFolderIfExists(includeTrailingBackslash(*roaming) + "ATi\\ACE");
    if (RemoveATiFolder)
        if (auto drive = EnvFolder("HOMEDRIVE")) DeleteFolderIfExists(*drive + "\\ATi\\");
}

void CleanRegistry() {
    DeleteKeys(plat::kHKeyCurrentUser, "Software", kUserKeys);
    DeleteKeys(plat::kHKeyLocalMachine, "Software", kMachineKeys);
    for (const std::string& set : ControlSets())
        DeleteKeys(plat::kHKeyLocalMachine, set + "\\Services", kServiceKeys);
}

}  // namespace tw::ATi
