#include "targets/AGEIA.h"

#include "engine/DeleteUnit.h"

namespace tw::AGEIA {

const StringList kWindowsFiles = {L"DIFX*.*"};
const StringList kSystemFiles = {L"AgCPanel*.*", L"PhysX*.*"};
const StringList kPrefetchFiles = {L"DIFXSETUP*.*", L"PHYSX*.*", L"RESCANDEVNODE*.*"};
const StringList kMachineKeys = {L"AGEIA Technologies"};

namespace {

const wchar_t* const kLabel = L"AGEIA - PhysX";

}  // namespace

int GetWeight(bool files, bool registry) { return tw::GetWeight(*FindTargetByLabel(kLabel), files, registry); }
void Clean(DeletionContext& context, bool files, bool registry) { tw::Clean(context, *FindTargetByLabel(kLabel), files, registry); }

void CleanFiles(DeletionContext& context) {
    const std::optional<std::wstring> w = WindowsFolder();
    const std::optional<std::wstring> s = SystemFolder();
    DeleteFilesIn(context, w, kWindowsFiles);
    DeleteFilesIn(context, s, kSystemFiles);
    DeleteFilesIn(context, Below(w, L"prefetch\\"), kPrefetchFiles);
    // Read while the registry phase has not yet removed the key.
    DeleteInstallFolderIfExists(context, ReadMachineString(L"Software\\AGEIA Technologies", L"PhysXCore Path"));
    if (s) DeleteFolderIfExists(context, *s + L"AGEIA");
    if (auto programs = EnvFolder(L"ProgramFiles")) DeleteFolderIfExists(context, *programs + L"\\AGEIA Technologies");
}

void CleanRegistry(DeletionContext& context) {
    // The key lies directly below "Software"; the path is given without a
    // final backslash so that the log line and the hive file name carry no
    // empty path element and the backup restores to the same key.
    DeleteKeys(context, plat::kHKeyLocalMachine, L"Software", kMachineKeys);
}

}  // namespace tw::AGEIA
