// Creative sound target: driver and applet files, the vendor's folders, its
// InstallShield records, settings keys and log-on programs.
#pragma once

#include "targets/Target.h"

namespace tw::Creative {

int GetWeight(bool files, bool registry);
void Clean(bool files, bool registry);
void CleanFiles();
void CleanRegistry();

}  // namespace tw::Creative
