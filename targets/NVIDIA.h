// NVIDIA display target: driver and control-panel files, the help and unpack folders,
// settings keys, log-on programs, service and legacy device keys and the
// display-adapter class entries.
#pragma once

#include "targets/Target.h"

namespace tw::NVIDIA {

// The constant lists, in the order they are processed.
extern const StringList kDriverFiles;
extern const StringList kWindowsFiles;
extern const StringList kDriverFolderFiles;
extern const StringList kDllCacheFiles;
extern const StringList kPrefetchFiles;
extern const StringList kUserKeys;
extern const StringList kMachineKeys;
extern const StringList kLogonValues;
extern const StringList kLegacyKeys;
extern const StringList kServiceKeys;

int GetWeight(bool files, bool registry);
void Clean(DeletionContext& context, bool files, bool registry);
void CleanFiles(DeletionContext& context);
void CleanRegistry(DeletionContext& context);

}  // namespace tw::NVIDIA
