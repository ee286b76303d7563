// NVIDIA chipset (nForce) target: driver files, the nForce settings key and the
// service keys of the chipset drivers.
#pragma once

#include "targets/Target.h"

namespace tw::NVIDIA_CHIPSET {

// The constant lists, in the order they are processed.
extern const StringList kDriverFolderFiles;
extern const StringList kMachineKeys;
extern const StringList kLegacyKeys;
extern const StringList kServiceKeys;

int GetWeight(bool files, bool registry);
void Clean(DeletionContext& context, bool files, bool registry);
void CleanFiles(DeletionContext& context);
void CleanRegistry(DeletionContext& context);

}  // namespace tw::NVIDIA_CHIPSET
