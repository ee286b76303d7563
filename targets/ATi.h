// ATi display target: driver, OpenGL and control-centre files, install and
// per-user folders, settings keys, install records and service keys.
#pragma once

#include "targets/Target.h"

namespace tw::ATi {

// The constant lists, in the order they are processed.
extern const StringList kWindowsFiles;
extern const StringList kSystemFiles;
extern const StringList kDriverFolderFiles;
extern const StringList kPrefetchFiles;
extern const StringList kUserKeys;
extern const StringList kMachineKeys;
extern const StringList kServiceKeys;

int GetWeight(bool files, bool registry);
void Clean(DeletionContext& context, bool files, bool registry);
void CleanFiles(DeletionContext& context);
void CleanRegistry(DeletionContext& context);

}  // namespace tw::ATi
