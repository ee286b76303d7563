#include "targets/ATi.h"

#include "engine/DeleteUnit.h"
#include "platform/common.h"
#include "settings/VarUnit.h"

namespace tw::ATi {

const StringList kWindowsFiles = {L"atiogl*.*"};
// "atiicd*.*" stands twice.
const StringList kSystemFiles = {
    L"ati2e*.*",    L"ATIDE*.*",     L"atiicd*.*",   L"atiogl*.*",  L"atipd*.*",    L"atitm*.*",   L"atium*.*",
    L"ati*cqag*.*", L"ati*dva*.*",   L"ati*mdx*.*",  L"ati*sgag*.*", L"ati3d*ag*.*", L"ati3duag*.*", L"ATIDDC*.*",
    L"atifglpf*.*", L"atiicd*.*",    L"atiiie*.*",   L"atikvmag*.*", L"atitvo*.*",  L"ativco*.*",  L"ativda*.*",
    L"ativmv*.*",   L"ativtm*.*",    L"ativva*.*",   L"atiok*.*"};
const StringList kDriverFolderFiles = {
    L"ati*bt*.*", L"ati*md*.*", L"ati*pd*.*",   L"ati*ra*.*",  L"ati*rv*.*", L"ati*sn*.*",
    L"ati*tt*.*", L"ati*tu*.*", L"ati*xb*.*",   L"ati*xs*.*",  L"ati*erec*.*", L"ati*mta*.*",
    L"ativca*.*", L"ativck*.*", L"ativdk*.*",   L"ativmc*.*",  L"ativvp*.*", L"ativ*k*.*"};
const StringList kPrefetchFiles = {L"ATI*MD*.*", L"ATI*SGAG*.*", L"ATICIM*.*", L"ATIPRB*.*", L"ATISHLX*.*", L"CCC*.*"};
const StringList kUserKeys = {L"ATi"};
const StringList kMachineKeys = {
    L"ATi",
    L"ATI Technologies\\Install\\ccc-branding",
    L"ATI Technologies\\Install\\ccc-core-implementation",
    L"ATI Technologies\\Install\\ccc-core-static",
    L"ATI Technologies\\Install\\ccc-graphics-full-existing",
    L"ATI Technologies\\Install\\CCC-Graphics-Full-New",
    L"ATI Technologies\\Install\\ccc-graphics-light",
    L"ATI Technologies\\Install\\ccc-graphics-previews-common",
    L"ATI Technologies\\Install\\ccc-graphics-previews-vista",
    L"ATI Technologies\\Install\\ccc-help-en-US",
    L"ATI Technologies\\Install\\ccc-install",
    L"ATI Technologies\\Install\\ccc-skins",
    L"ATI Technologies\\Install\\ccc-utility",
    L"ATI Technologies\\Install\\ccc-00-core-preinstall",
    L"ATI Technologies\\Install\\ccc-05-core-static",
    L"ATI Technologies\\Install\\ccc-10-core-implementation",
    L"ATI Technologies\\Install\\ccc-15-graphics-full-existing",
    L"ATI Technologies\\Install\\CCC-20-Graphics-Full-New",
    L"ATI Technologies\\Install\\ccc-25-graphics-light",
    L"ATI Technologies\\Install\\ccc-30-graphics-previews-common",
    L"ATI Technologies\\Install\\ccc-45-help-en-US",
    L"ATI Technologies\\Install\\ccc-55-skins",
    L"ATI Technologies\\Install\\ccc-60-utility",
    L"ATI Technologies\\Install\\ATI Display Driver",
    L"ATI Technologies\\Installed Drivers\\ATI Display Driver",
    L"ATI Technologies\\ATI Catalyst Control Center",
    L"ATI Technologies\\CBT",
    L"ATI Technologies\\CDS",
    L"ATI Technologies Inc."};
const StringList kServiceKeys = {L"ati2mtag", L"Ati HotKey Poller", L"ATI Smart", L"atikmdag",
                                 L"Ati External Event Utility"};

namespace {

const wchar_t* const kLabel = L"ATi - Display";

}  // namespace

int GetWeight(bool files, bool registry) { return tw::GetWeight(*FindTargetByLabel(kLabel), files, registry); }
void Clean(DeletionContext& context, bool files, bool registry) { tw::Clean(context, *FindTargetByLabel(kLabel), files, registry); }

void CleanFiles(DeletionContext& context) {
    const std::optional<std::wstring> w = WindowsFolder();
    const std::optional<std::wstring> s = SystemFolder();
    DeleteFilesIn(context, w, kWindowsFiles);
    DeleteFilesIn(context, s, kSystemFiles);
    DeleteFilesIn(context, Below(s, L"drivers\\"), kDriverFolderFiles);
    DeleteFilesIn(context, Below(w, L"prefetch\\"), kPrefetchFiles);
    // Read while the registry phase has not yet removed the key.
    DeleteInstallFolderIfExists(context, ReadMachineString(L"Software\\ATi Technologies\\Install", L"InstallDir"));
    if (auto local = EnvFolder(L"LOCALAPPDATA")) DeleteFolderIfExists(context, includeTrailingBackslash(*local) + L"ATi\\ACE");
    if (auto roaming = EnvFolder(L"APPDATA")) DeleteFolderIfExists(context, includeTrailingBackslash(*roaming) + L"ATi\\ACE");
    if (RemoveATiFolder)
        if (auto drive = EnvFolder(L"HOMEDRIVE")) DeleteFolderIfExists(context, *drive + L"\\ATi\\");
}

void CleanRegistry(DeletionContext& context) {
    DeleteKeys(context, plat::kHKeyCurrentUser, L"Software", kUserKeys);
    DeleteKeys(context, plat::kHKeyLocalMachine, L"Software", kMachineKeys);
    for (const std::wstring& set : ControlSets())
        DeleteKeys(context, plat::kHKeyLocalMachine, set + L"\\Services", kServiceKeys);
}

}  // namespace tw::ATi
