#include "targets/MSIPoint.h"

#include "engine/DeleteUnit.h"

namespace tw::MSIPoint {

const StringList kDriverFolderFiles = {"point32k*.*", "point64k*.*"};
const StringList kPrefetchFiles = {"IP32*.*", "IP64*.*", "IPOINT*.*"};
const StringList kUserKeys = {"Microsoft\\IntelliPoint"};
const StringList kMachineKeys = {"Microsoft\\IntelliPoint"};
const StringList kLogonValues = {"IntelliPoint"};
const StringList kServiceKeys = {"Point32"};

namespace {

const char* const kLabel = "Microsoft - Mouse";

}  // namespace

int GetWeight(bool files, bool registry) { return tw::GetWeight(*FindTargetByLabel(kLabel), files, registry); }
void Clean(bool files, bool registry) { tw::Clean(*FindTargetByLabel(kLabel), files, registry); }

void CleanFiles() {
    const std::optional<std::string> w = WindowsFolder();
    DeleteFilesIn(Below(w, "System32\\drivers\\"), kDriverFolderFiles);
    DeleteFilesIn(Below(w, "prefetch\\"), kPrefetchFiles);
    if (auto programs = EnvFolder("ProgramFiles")) DeleteFolderIfExists(*programs + "\\Microsoft IntelliPoint");
}

void CleanRegistry() {
    DeleteKeys(plat::kHKeyCurrentUser, "Software", kUserKeys);
    DeleteKeys(plat::kHKeyLocalMachine, "Software\\MSIPOINT Corporation", kMachineKeys);
    DeleteValues(plat::kHKeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", kLogonValues);
    for (const std::string& set : ControlSets())
        DeleteKeys(plat::kHKeyLocalMachine, set + "\\Services", kServiceKeys);
}

}  // namespace tw::MSIPoint
