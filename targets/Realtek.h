// Realtek sound target: driver and applet files, the install folder, its
// InstallShield records, settings keys and log-on program.
#pragma once

#include "targets/Target.h"

namespace tw::Realtek {

int GetWeight(bool files, bool registry);
void Clean(bool files, bool registry);
void CleanFiles();
void CleanRegistry();

}  // namespace tw::Realtek
