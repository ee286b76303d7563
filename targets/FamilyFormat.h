// The family file: one driver family written down as data.
//
// A family file is TOML (UTF-8). It names the family (its list label,
// settings section, command-line switch and backup folder prefix), the
// progress weights of its two phases, and the ordered steps of each phase,
// every step one call of a deletion routine:
//
//   label = "NVIDIA - Chipset"
//   section = "NVIDIA Chipset"
//   switch = "-NVIDIACHIPSET"
//   backup-prefix = "NVIDIA - Chipset - "
//   weights = { files = 5, registry = 7 }
//
//   [[files]]
//   delete = "files"
//   folder = '%SystemRoot%\System32\drivers\'
//   patterns = ["nvagp*.*", "nvraid*.*"]
//
//   [[registry]]
//   delete = "keys"
//   key = 'HKLM\System\<ControlSet>\Services'
//   names = ["nv_agp", "nvraid"]
//
// Steps of the file phase: "files" (folder, patterns), "folder" (folder),
// "install-folder" (key, value: the folder a registry value names whole),
// "folders-by-company" (folder, company). Steps of the registry phase: "keys"
// (key, names), "values" (key, names), "keys-by-value" (key, value, prefix).
// Any step may carry `if-setting` (a settings switch that must be on); the
// folder steps may carry `if-exists = true`. `patterns` and `names` are a list
// or the name of a list under [lists]. A folder is literal text, or begins
// with an environment value "%NAME%" (the step is skipped when it is unset or
// empty; a "files" step still takes its progress steps); a backslash between
// the value and the rest is never doubled. A key begins with "HKLM\" or
// "HKCU\"; "<ControlSet>" in it makes one call for each control set.
//
// An optional third phase, [[drivers]], removes what the system's device
// installation keeps: "devices" (classes, hardware-ids: the devices of
// removed hardware, matched by class and hardware-id prefix) and
// "driver-packages" (providers, classes: the packages in the driver store).
// Its weight (`drivers` in `weights`) is one step per step when not given.
//
// Reading never half-succeeds: a file is either read whole or refused with
// the line and the reason. A family of the user's own is held to stricter
// rules (ParseFamily's `own`): every pattern has a literal stem, and no key
// step removes a key that other software shares.
#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tw {

enum class StepKind { Files, Folder, InstallFolder, FoldersByCompany, Keys, Values, KeysByValue, Devices, DriverPackages };

struct FamilyStep {
    StepKind kind = StepKind::Files;
    std::wstring folder;              // Files, Folder, FoldersByCompany: the folder as written
    std::vector<std::wstring> names;  // Files: patterns; Keys, Values: names below the key;
                                      // Devices: hardware-id prefixes; DriverPackages: providers
    std::vector<std::wstring> classes;  // Devices, DriverPackages: device setup class names
    std::wstring key;                 // registry steps and InstallFolder: "HKLM\\..." as written
    std::wstring value;               // InstallFolder, KeysByValue: the value's name
    std::wstring prefix;              // FoldersByCompany: the company; KeysByValue: the data's start
    std::wstring ifSetting;           // empty: always
    bool ifExists = false;
    int line = 0;                     // where the step stands in its file
};

struct FamilyDescription {
    std::wstring label;
    std::wstring section;
    std::wstring commandSwitch;
    std::wstring backupPrefix;
    int filesWeight = 0;
    int registryWeight = 0;
    int driversWeight = 0;
    std::vector<FamilyStep> files;
    std::vector<FamilyStep> registry;
    std::vector<FamilyStep> drivers;
};

struct FamilyFileError {
    int line = 0;  // 0 when the whole file is at fault
    std::wstring reason;
};

using FamilyParse = std::variant<FamilyDescription, FamilyFileError>;

// The settings switches a step may name in `if-setting`.
const std::vector<std::wstring>& StepConditionSettings();

// Reads one family file. `own`: a family of the user's own, held to the
// stricter rules.
FamilyParse ParseFamily(std::string_view utf8, bool own);

// The registry root a key step names ("HKLM" or "HKCU") and the path below it.
struct KeyText {
    bool machine = true;
    std::wstring path;
};
KeyText SplitKeyText(const std::wstring& key);

// A folder's text with its environment value put in: `value` stands for
// "%NAME%" (FolderVariable gives NAME, empty for a literal folder).
std::wstring FolderVariable(const std::wstring& folder);
std::wstring JoinFolder(const std::wstring& folder, const std::wstring& value);

}  // namespace tw
