#include "targets/MSIPoint.h"

#include "engine/DeleteUnit.h"

namespace tw::MSIPoint {

const StringList kDriverFolderFiles = {L"point32k*.*", L"point64k*.*"};
const StringList kPrefetchFiles = {L"IP32*.*", L"IP64*.*", L"IPOINT*.*"};
const StringList kUserKeys = {L"Microsoft\\IntelliPoint"};
const StringList kMachineKeys = {L"Microsoft\\IntelliPoint"};
const StringList kLogonValues = {L"IntelliPoint"};
const StringList kServiceKeys = {L"Point32"};

namespace {

const wchar_t* const kLabel = L"Microsoft - Mouse";

}  // namespace

int GetWeight(bool files, bool registry) { return tw::GetWeight(*FindTargetByLabel(kLabel), files, registry); }
void Clean(DeletionContext& context, bool files, bool registry) { tw::Clean(context, *FindTargetByLabel(kLabel), files, registry); }

void CleanFiles(DeletionContext& context) {
    const std::optional<std::wstring> w = WindowsFolder();
    DeleteFilesIn(context, Below(w, L"System32\\drivers\\"), kDriverFolderFiles);
    DeleteFilesIn(context, Below(w, L"prefetch\\"), kPrefetchFiles);
    if (auto programs = EnvFolder(L"ProgramFiles")) DeleteFolderIfExists(context, *programs + L"\\Microsoft IntelliPoint");
}

void CleanRegistry(DeletionContext& context) {
    DeleteKeys(context, plat::kHKeyCurrentUser, L"Software", kUserKeys);
    DeleteKeys(context, plat::kHKeyLocalMachine, L"Software\\MSIPOINT Corporation", kMachineKeys);
    DeleteValues(context, plat::kHKeyLocalMachine, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", kLogonValues);
    for (const std::wstring& set : ControlSets())
        DeleteKeys(context, plat::kHKeyLocalMachine, set + L"\\Services", kServiceKeys);
}

}  // namespace tw::MSIPoint
