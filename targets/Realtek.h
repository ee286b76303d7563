// Realtek sound target: driver and applet files, the install folder, its
// InstallShield records, settings keys and log-on program.
#pragma once

#include "targets/Target.h"

namespace tw::Realtek {

// The constant lists, in the order they are processed.
extern const StringList kWindowsFiles;
extern const StringList kSystemFiles;
extern const StringList kDriverFolderFiles;
extern const StringList kUserKeys;
extern const StringList kMachineKeys;
extern const StringList kLogonValues;

int GetWeight(bool files, bool registry);
void Clean(DeletionContext& context, bool files, bool registry);
void CleanFiles(DeletionContext& context);
void CleanRegistry(DeletionContext& context);

}  // namespace tw::Realtek
