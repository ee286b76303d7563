// ATi display target: driver, OpenGL and control-centre files, install and
// per-user folders, settings keys, install records and service keys.
#pragma once

#include "targets/Target.h"

namespace tw::ATi {

int GetWeight(bool files, bool registry);
void Clean(bool files, bool registry);
void CleanFiles();
void CleanRegistry();

}  // namespace tw::ATi
