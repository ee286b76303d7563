// Microsoft mouse (IntelliPoint) target: filter drivers, prefetch traces, the
// program folder, settings keys, log-on program and service key.
#pragma once

#include "targets/Target.h"

namespace tw::MSIPoint {

// The constant lists, in the order they are processed.
extern const StringList kDriverFolderFiles;
extern const StringList kPrefetchFiles;
extern const StringList kUserKeys;
extern const StringList kMachineKeys;
extern const StringList kLogonValues;
extern const StringList kServiceKeys;

int GetWeight(bool files, bool registry);
void Clean(DeletionContext& context, bool files, bool registry);
void CleanFiles(DeletionContext& context);
void CleanRegistry(DeletionContext& context);

}  // namespace tw::MSIPoint
