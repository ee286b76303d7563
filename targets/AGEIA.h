// AGEIA PhysX target: control-panel, runtime and installer files, the core
// folder, the program folders and the settings key.
#pragma once

#include "targets/Target.h"

namespace tw::AGEIA {

int GetWeight(bool files, bool registry);
void Clean(bool files, bool registry);
void CleanFiles();
void CleanRegistry();

}  // namespace tw::AGEIA
