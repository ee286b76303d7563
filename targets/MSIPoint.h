// Microsoft mouse (IntelliPoint) target: filter drivers, prefetch traces, the
// program folder, settings keys, log-on program and service key.
#pragma once

#include "targets/Target.h"

namespace tw::MSIPoint {

int GetWeight(bool files, bool registry);
void Clean(bool files, bool registry);
void CleanFiles();
void CleanRegistry();

}  // namespace tw::MSIPoint
