// NVIDIA display target: driver and control-panel files, the help and unpack folders,
// settings keys, log-on programs, service and legacy device keys and the
// display-adapter class entries.
#pragma once

#include "targets/Target.h"

namespace tw::NVIDIA {

int GetWeight(bool files, bool registry);
void Clean(bool files, bool registry);
void CleanFiles();
void CleanRegistry();

}  // namespace tw::NVIDIA
