#include "targets/NVIDIA_CHIPSET.h"

#include "engine/DeleteUnit.h"

namespace tw::NVIDIA_CHIPSET {

const StringList kDriverFolderFiles = {"nvagp*.*", "nvm60*.*", "nvmfd*.*", "nvport*.*", "nvraid*.*"};
const StringList kMachineKeys = {"nForce"};
const StringList kLegacyKeys = {"LEGACY_NVPORT"};
const StringList kServiceKeys = {"nv_agp", "NVENETFD", "nvport", "nvraid", "nvstor"};

namespace {

const char* const kLabel = "NVIDIA - Chipset";

}  // namespace

int GetWeight(bool files, bool registry) { return tw::GetWeight(*FindTargetByLabel(kLabel), files, registry); }
void Clean(bool files, bool registry) { tw::Clean(*FindTargetByLabel(kLabel), files, registry); }

void CleanFiles() {
    const std::optional<std::string> w = WindowsFolder();
    DeleteFilesIn(Below(w, "System32\\drivers\\"), kDriverFolderFiles);
}

void CleanRegistry() {
    DeleteKeys(plat::kHKeyLocalMachine, "Software\\NVIDIA Corporation", kMachineKeys);
    for (const std::string& set : ControlSets())
        DeleteKeys(plat::kHKeyLocalMachine, set + "\\Enum\\Root", kLegacyKeys);
    for (const std::string& set : ControlSets())
        DeleteKeys(plat::kHKeyLocalMachine, set + "\\Services", kServiceKeys);
}

}  // namespace tw::NVIDIA_CHIPSET
