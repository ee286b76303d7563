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
void Clean(bool files, bool registry) { tw::Clean(*FindTargetByLabel(kLabel), files, registry); }

void CleanFiles() {
    const std::optional<std::wstring> w = WindowsFolder();
    const std::optional<std::wstring> s = SystemFolder();
    DeleteFilesIn(w, kWindowsFiles);
    DeleteFilesIn(s, kSystemFiles);
    DeleteFilesIn(Below(w, L"prefetch\\"), kPrefetchFiles);
    // Read while the registry phase has not yet removed the key.
    DeleteInstallFolderIfExists(ReadMachineString(L"Software\\AGEIA Technologies", L"PhysXCore Path"));
    if (s) DeleteFolderIfExists(*s + L"AGEIA");
    if (auto programs = EnvFolder(L"ProgramFiles")) DeleteFolderIfExists(*programs + L"\\AGEIA Technologies");
}

void CleanRegistry() {
    // The key lies directly below "Software"; the path is given without a
    // final backslash so that the log line and the hive file name carry no
    // empty path element and the backup restores to the same key.
    DeleteKeys(plat::kHKeyLocalMachine, L"Software", kMachineKeys);
}

}  // namespace tw::AGEIA
