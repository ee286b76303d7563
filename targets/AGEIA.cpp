#include "targets/AGEIA.h"

#include "engine/DeleteUnit.h"

namespace tw::AGEIA {

const StringList kWindowsFiles = {"DIFX*.*"};
const StringList kSystemFiles = {"AgCPanel*.*", "PhysX*.*"};
const StringList kPrefetchFiles = {"DIFXSETUP*.*", "PHYSX*.*", "RESCANDEVNODE*.*"};
const StringList kMachineKeys = {"AGEIA Technologies"};

namespace {

const char* const kLabel = "AGEIA - PhysX";

}  // namespace

int GetWeight(bool files, bool registry) { return tw::GetWeight(*FindTargetByLabel(kLabel), files, registry); }
void Clean(bool files, bool registry) { tw::Clean(*FindTargetByLabel(kLabel), files, registry); }

void CleanFiles() {
    const std::optional<std::string> w = WindowsFolder();
    const std::optional<std::string> s = SystemFolder();
    DeleteFilesIn(w, kWindowsFiles);
    DeleteFilesIn(s, kSystemFiles);
    DeleteFilesIn(Below(w, "prefetch\\"), kPrefetchFiles);
    // Read while the registry phase has not yet removed the key.
    DeleteInstallFolderIfExists(plat::ansiToWide(ReadMachineString("Software\\AGEIA Technologies", "PhysXCore Path")));
    if (s) DeleteFolderIfExists(*s + "AGEIA");
    if (auto programs = EnvFolder("ProgramFiles")) DeleteFolderIfExists(*programs + "\\AGEIA Technologies");
}

void CleanRegistry() {
    // The key lies directly below "Software"; the path is given without a
    // final backslash so that the log line and the hive file name carry no
    // empty path element and the backup restores to the same key.
    DeleteKeys(plat::kHKeyLocalMachine, "Software", kMachineKeys);
}

}  // namespace tw::AGEIA
