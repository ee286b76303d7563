#include "targets/Target.h"

#include "engine/DeleteMode.h"
#include "engine/DeleteUnit.h"
#include "engine/ProtectedFolders.h"
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
        {"AGEIA - PhysX", L"AGEIA PhysX", "-AGEIA", "AGEIA - PhysX - ", 6, 1, &AGEIAPhysXFiles,
         &AGEIAPhysXRegistry, &AGEIA::CleanFiles, &AGEIA::CleanRegistry},
        {"ATi - Display", L"ATi Display", "-ATI", "ATi - Display - ", 50, 35, &ATiDisplayFiles,
         &ATiDisplayRegistry, &ATi::CleanFiles, &ATi::CleanRegistry},
        {"Creative - Sound", L"Creative Sound", "-CREATIVE", "Creative - Sound - ", 57, 3,
         &CreativeSoundFiles, &CreativeSoundRegistry, &Creative::CleanFiles, &Creative::CleanRegistry},
        {"Microsoft - Mouse", L"Microsoft Mouse", "-MMOUSE", "Microsoft - Mouse - ", 5, 4,
         &MicrosoftMouseFiles, &MicrosoftMouseRegistry, &MSIPoint::CleanFiles, &MSIPoint::CleanRegistry},
        {"NVIDIA - Chipset", L"NVIDIA Chipset", "-NVIDIACHIPSET", "NVIDIA - Chipset - ", 5, 7,
         &NVIDIAChipsetFiles, &NVIDIAChipsetRegistry, &NVIDIA_CHIPSET::CleanFiles,
         &NVIDIA_CHIPSET::CleanRegistry},
        {"NVIDIA - Display", L"NVIDIA Display", "-NVIDIA", "NVIDIA - Display - ", 57, 13,
         &NVIDIADisplayFiles, &NVIDIADisplayRegistry, &NVIDIA::CleanFiles, &NVIDIA::CleanRegistry},
        {"Realtek - Sound", L"Realtek Sound", "-REALTEK", "Realtek - Sound - ", 19, 4, &RealtekSoundFiles,
         &RealtekSoundRegistry, &Realtek::CleanFiles, &Realtek::CleanRegistry},
    };
    return table;
}

const TargetInfo* FindTargetByLabel(const std::string& label) {
    for (const TargetInfo& t : TargetTable())
        if (label == t.label) return &t;
    return nullptr;
}

int GetWeight(const TargetInfo& target, bool files, bool registry) {
    return (files ? target.filesWeight : 0) + (registry ? target.registryWeight : 0);
}

void Clean(const TargetInfo& target, bool files, bool registry) {
    // The backup set is named by a time stamp taken afresh by every target.
    std::string folder = programFolder() + "Backup\\" + plat::wideToAnsi(fileTimeStamp());
    folder = replaceAll(folder, "/", "-");
    const std::string targetFolder = folder + "\\" + target.backupPrefix;
    const ProtectedSetScope protectedSet;
    if (files) {
        BackupPath = targetFolder + "Files\\";
        target.cleanFiles();
    }
    if (registry) {
        BackupPath = targetFolder + "Registry\\";
        target.cleanRegistry();
    }
}

const StringList& ControlSets() {
    static const StringList sets = {"System\\ControlSet001", "System\\ControlSet002",
                                    "System\\ControlSet003", "System\\ControlSet004",
                                    "System\\CurrentControlSet"};
    return sets;
}

std::optional<std::string> EnvFolder(const std::string& name) {
    std::optional<std::string> value = plat::getEnv(name);
    if (!value || value->empty()) return std::nullopt;
    return value;
}

std::optional<std::string> WindowsFolder() {
    std::optional<std::string> root = EnvFolder("SYSTEMROOT");
    if (!root) return std::nullopt;
    return *root + "\\";
}

std::optional<std::string> SystemFolder() { return Below(WindowsFolder(), "System32\\"); }

std::optional<std::string> Below(const std::optional<std::string>& folder, const std::string& sub) {
    if (!folder) return std::nullopt;
    return *folder + sub;
}

std::string ReadMachineString(const std::string& keyPath, const std::string& valueName) {
    TRegistrySelf reg;
    reg.SetRootKey(plat::kHKeyLocalMachine);
    reg.OpenKey(keyPath, false);
    std::string value = reg.ReadString(valueName);
    reg.CloseKey();
    return value;
}

void DeleteFolderIfExists(const std::string& folder) {
    // A folder a preview has already named is gone, as it would be in the run.
    if (!folder.empty() && directoryExists(folder) && !IsGone(folder)) DeleteFolder(folder);
}

void DeleteInstallFolderIfExists(const std::wstring& folder) {
    const std::string text = plat::wideToAnsi(folder);
    if (!folder.empty() && directoryExists(text) && !IsGone(text)) DeleteInstallFolder(folder);
}

void DeleteFilesIn(const std::optional<std::string>& folder, const StringList& patterns) {
    if (folder) {
        DeleteFiles(*folder, patterns);
    } else {
        // Nothing to search, but the progress bar still takes its steps.
        for (std::size_t i = 0; i < patterns.size(); ++i) StepProgress();
    }
}

}  // namespace tw
