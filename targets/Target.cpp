#include "targets/Target.h"

#include "engine/DeleteUnit.h"
#include "engine/RegistrySelf.h"
#include "platform/common.h"
#include "settings/VarUnit.h"
#include "targets/AGEIA.h"
#include "targets/ATi.h"
#include "targets/Creative.h"
#include "targets/MSIPoint.h"
#include "targets/NVIDIA.h"
#include "targets/NVIDIA_CHIPSET.h"
#include "targets/Realtek.h"

namespace tw {

const std::vector<TargetInfo>& TargetTable() {
    static const std::vector<TargetInfo> table = {
        {L"AGEIA - PhysX", L"AGEIA PhysX", L"-AGEIA", L"AGEIA - PhysX - ", 6, 1, &AGEIAPhysXFiles,
         &AGEIAPhysXRegistry, &AGEIA::CleanFiles, &AGEIA::CleanRegistry},
        {L"ATi - Display", L"ATi Display", L"-ATI", L"ATi - Display - ", 50, 35, &ATiDisplayFiles,
         &ATiDisplayRegistry, &ATi::CleanFiles, &ATi::CleanRegistry},
        {L"Creative - Sound", L"Creative Sound", L"-CREATIVE", L"Creative - Sound - ", 57, 3,
         &CreativeSoundFiles, &CreativeSoundRegistry, &Creative::CleanFiles, &Creative::CleanRegistry},
        {L"Microsoft - Mouse", L"Microsoft Mouse", L"-MMOUSE", L"Microsoft - Mouse - ", 5, 4,
         &MicrosoftMouseFiles, &MicrosoftMouseRegistry, &MSIPoint::CleanFiles, &MSIPoint::CleanRegistry},
        {L"NVIDIA - Chipset", L"NVIDIA Chipset", L"-NVIDIACHIPSET", L"NVIDIA - Chipset - ", 5, 7,
         &NVIDIAChipsetFiles, &NVIDIAChipsetRegistry, &NVIDIA_CHIPSET::CleanFiles,
         &NVIDIA_CHIPSET::CleanRegistry},
        {L"NVIDIA - Display", L"NVIDIA Display", L"-NVIDIA", L"NVIDIA - Display - ", 57, 13,
         &NVIDIADisplayFiles, &NVIDIADisplayRegistry, &NVIDIA::CleanFiles, &NVIDIA::CleanRegistry},
        {L"Realtek - Sound", L"Realtek Sound", L"-REALTEK", L"Realtek - Sound - ", 19, 4, &RealtekSoundFiles,
         &RealtekSoundRegistry, &Realtek::CleanFiles, &Realtek::CleanRegistry},
    };
    return table;
}

const TargetInfo* FindTargetByLabel(const std::wstring& label) {
    for (const TargetInfo& t : TargetTable())
        if (label == t.label) return &t;
    return nullptr;
}

int GetWeight(const TargetInfo& target, bool files, bool registry) {
    return (files ? target.filesWeight : 0) + (registry ? target.registryWeight : 0);
}

void Clean(DeletionContext& context, const TargetInfo& target, bool files, bool registry) {
    // The backup set is named by a time stamp taken afresh by every target.
    std::wstring folder = programFolder() + L"Backup\\" + fileTimeStamp();
    folder = replaceAll(folder, L"/", L"-");
    const std::wstring targetFolder = folder + L"\\" + target.backupPrefix;
    context.BeginTarget();
    if (files) {
        context.SetBackupPath(targetFolder + L"Files\\");
        target.cleanFiles(context);
    }
    if (registry) {
        context.SetBackupPath(targetFolder + L"Registry\\");
        target.cleanRegistry(context);
    }
}

const StringList& ControlSets() {
    static const StringList sets = {L"System\\ControlSet001", L"System\\ControlSet002",
                                    L"System\\ControlSet003", L"System\\ControlSet004",
                                    L"System\\CurrentControlSet"};
    return sets;
}

std::optional<std::wstring> EnvFolder(const std::wstring& name) {
    std::optional<std::wstring> value = plat::getEnv(name);
    if (!value || value->empty()) return std::nullopt;
    return value;
}

std::optional<std::wstring> WindowsFolder() {
    std::optional<std::wstring> root = EnvFolder(L"SYSTEMROOT");
    if (!root) return std::nullopt;
    return *root + L"\\";
}

std::optional<std::wstring> SystemFolder() { return Below(WindowsFolder(), L"System32\\"); }

std::optional<std::wstring> Below(const std::optional<std::wstring>& folder, const std::wstring& sub) {
    if (!folder) return std::nullopt;
    return *folder + sub;
}

std::wstring ReadMachineString(const std::wstring& keyPath, const std::wstring& valueName) {
    TRegistrySelf reg;
    reg.SetRootKey(plat::kHKeyLocalMachine);
    reg.OpenKey(keyPath, false);
    std::wstring value = reg.ReadString(valueName);
    reg.CloseKey();
    return value;
}

void DeleteFolderIfExists(DeletionContext& context, const std::wstring& folder) {
    // A folder a preview has already named is gone, as it would be in the run.
    if (!folder.empty() && directoryExists(folder) && !context.IsGone(folder)) DeleteFolder(context, folder);
}

void DeleteInstallFolderIfExists(DeletionContext& context, const std::wstring& folder) {
    if (!folder.empty() && directoryExists(folder) && !context.IsGone(folder)) DeleteInstallFolder(context, folder);
}

void DeleteFilesIn(DeletionContext& context, const std::optional<std::wstring>& folder, const StringList& patterns) {
    if (folder) {
        DeleteFiles(context, *folder, patterns);
    } else {
        // Nothing to search, but the progress bar still takes its steps.
        for (std::size_t i = 0; i < patterns.size(); ++i) context.StepProgress();
    }
}

}  // namespace tw
