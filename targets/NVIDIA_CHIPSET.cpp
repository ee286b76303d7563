#include "targets/NVIDIA_CHIPSET.h"

#include "engine/DeleteUnit.h"

namespace tw::NVIDIA_CHIPSET {

const StringList kDriverFolderFiles = {L"nvagp*.*", L"nvm60*.*", L"nvmfd*.*", L"nvport*.*", L"nvraid*.*"};
const StringList kMachineKeys = {L"nForce"};
const StringList kLegacyKeys = {L"LEGACY_NVPORT"};
const StringList kServiceKeys = {L"nv_agp", L"NVENETFD", L"nvport", L"nvraid", L"nvstor"};

namespace {

const wchar_t* const kLabel = L"NVIDIA - Chipset";

}  // namespace

int GetWeight(bool files, bool registry) { return tw::GetWeight(*FindTargetByLabel(kLabel), files, registry); }
void Clean(DeletionContext& context, bool files, bool registry) { tw::Clean(context, *FindTargetByLabel(kLabel), files, registry); }

void CleanFiles(DeletionContext& context) {
    const std::optional<std::wstring> w = WindowsFolder();
    DeleteFilesIn(context, Below(w, L"System32\\drivers\\"), kDriverFolderFiles);
}

void CleanRegistry(DeletionContext& context) {
    DeleteKeys(context, plat::kHKeyLocalMachine, L"Software\\NVIDIA Corporation", kMachineKeys);
    for (const std::wstring& set : ControlSets())
        DeleteKeys(context, plat::kHKeyLocalMachine, set + L"\\Enum\\Root", kLegacyKeys);
    for (const std::wstring& set : ControlSets())
        DeleteKeys(context, plat::kHKeyLocalMachine, set + L"\\Services", kServiceKeys);
}

}  // namespace tw::NVIDIA_CHIPSET
