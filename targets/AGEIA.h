// AGEIA PhysX target: control-panel, runtime and installer files, the core
// folder, the program folders and the settings key.
#pragma once

#include "targets/Target.h"

namespace tw::AGEIA {

// The constant lists, in the order they are processed.
extern const StringList kWindowsFiles;
extern const StringList kSystemFiles;
extern const StringList kPrefetchFiles;
extern const StringList kMachineKeys;

int GetWeight(bool files, bool registry);
void Clean(DeletionContext& context, bool files, bool registry);
void CleanFiles(DeletionContext& context);
void CleanRegistry(DeletionContext& context);

}  // namespace tw::AGEIA
