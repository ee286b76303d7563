// The settings variables and the settings file beside the executable.
//
// Every preference lives in one INI file named like the executable with the
// extension ".ini". Loading (constructing a TVarUnit) reads every key into its
// process-wide variable, with the key's default where the file gives no usable
// value; SaveSettings writes the variables back.
#pragma once

#include <cstddef>
#include <string>

namespace tw {

// Process-wide settings, one instance each.
extern bool DeleteAtReboot;
extern bool LogFiles;
extern bool SystemTray;
extern bool RemoveNVIDIAFolder;
extern bool RemoveATiFolder;
extern bool DisplayWarning;
extern bool BackupEnabled;
// Off by default; each can also be turned on for one run from the command line.
extern bool BlockReinstallEnabled;  // keep Windows Update from reinstalling removed devices' drivers
extern bool RestorePointEnabled;    // a restore point before each cleaning run
extern int RebootMode;  // 0 no restart, 1 ask, 2 restart at once; other values act as 0

// The two switches of one driver family, one entry per family of the family
// table (targets/FamilyTable.h) in its order; the section is the family's.
struct PhaseSwitches {
    bool files = true;
    bool registry = true;
    bool drivers = false;  // driver packages and devices: off unless asked for
};
// The switches of the family at `index` of the table (a family added to the
// table after the last load starts with both on).
PhaseSwitches& FamilySwitches(std::size_t index);
// The switch a family step names in its condition ("RemoveNVIDIAFolder", ...;
// see StepConditionSettings); null for any other name.
bool* ConditionSetting(const std::wstring& name);
// True for the sections the settings use for themselves (letter case ignored).
bool IsGeneralSection(const std::wstring& section);

// Loading: constructing a TVarUnit reads every key into its variable.
class TVarUnit {
public:
    TVarUnit();
};

// Writes the variables back (raises AppError "Unable to write to <path>" when
// the system refuses a write; keys written before the failure stay written).
// Besides the keys the loader reads, it also stores DeleteAtReboot under
// "DeleteReboot"/"Enabled", right before "Logfiles", so a change made in the
// options dialog survives the dialog's reload.
void SaveSettings();

// Full path of the settings file: the executable's path with its extension
// replaced by ".ini" (".ini" appended when the file name has no extension),
// and a name ending in "64" without it, so that Tidewell64.exe and
// Tidewell.exe share Tidewell.ini.
std::wstring SettingsFilePath();
// The same rule for any executable path (exposed for tests).
std::wstring SettingsFilePathFor(const std::wstring& executablePath);
bool SettingsFileExists();

// "Languages"/"Current" with the default "English"; an empty value reads as "English".
std::wstring CurrentLanguageName();
// Writes "Languages"/"Current" (AppError "Unable to write to <path>" when refused).
void SetCurrentLanguageName(const std::wstring& name);

// Reading rules, exposed for tests: decimal with an optional leading minus, or
// hexadecimal after "0x"/"0X" when the text is longer than two characters; the
// result must fit a 32-bit integer (hexadecimal up to 0xFFFFFFFF, taken as its
// 32-bit two's complement). False when the text is not such an integer.
bool ParseSettingInteger(const std::wstring& text, long long& value);

}  // namespace tw
