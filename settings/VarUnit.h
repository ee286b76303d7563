// The settings variables and the settings file beside the executable.
//
// Every preference lives in one INI file named like the executable with the
// extension ".ini". Loading (constructing a TVarUnit) reads every key into its
// process-wide variable, with the key's default where the file gives no usable
// value; SaveSettings writes the variables back.
#pragma once

#include <string>

namespace tw {

// Process-wide settings, one instance each.
extern bool DeleteAtReboot;
extern bool LogFiles;
extern bool SystemTray;
extern bool NVIDIADisplayRegistry;
extern bool NVIDIADisplayFiles;
extern bool NVIDIAChipsetRegistry;
extern bool NVIDIAChipsetFiles;
extern bool ATiDisplayRegistry;
extern bool ATiDisplayFiles;
extern bool AGEIAPhysXRegistry;
extern bool AGEIAPhysXFiles;
extern bool CreativeSoundRegistry;
extern bool CreativeSoundFiles;
extern bool RealtekSoundRegistry;
extern bool RealtekSoundFiles;
extern bool MicrosoftMouseRegistry;
extern bool MicrosoftMouseFiles;
extern bool RemoveNVIDIAFolder;
extern bool RemoveATiFolder;
extern bool DisplayWarning;
extern bool BackupEnabled;
extern int RebootMode;

// Loading: constructing a TVarUnit reads every key into its variable.
class TVarUnit {
public:
    TVarUnit();
};

// Writes the variables back (raises AppError "Unable to write to %s" when the
// system refuses a write; keys written before the failure stay written).
void SaveSettings();

// Full path of the settings file: the executable's path with ".ini".
std::wstring SettingsFilePath();
bool SettingsFileExists();

// "Languages"/"Current" with the default "English"; an empty value reads as "English".
std::wstring CurrentLanguageName();
void SetCurrentLanguageName(const std::wstring& name);

// Reading rules, exposed for tests: decimal, or hexadecimal after "0x"/"0X"
// when the text is longer than two characters; nullopt when not an integer.
bool ParseSettingInteger(const std::wstring& text, long long& value);

}  // namespace tw
