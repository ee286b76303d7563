#include "settings/VarUnit.h"

#include <cstdint>

#include "platform/common.h"
#include "platform/platform.h"

namespace tw {

bool DeleteAtReboot = true;
bool LogFiles = true;
bool SystemTray = false;
bool NVIDIADisplayRegistry = true;
bool NVIDIADisplayFiles = true;
bool NVIDIAChipsetRegistry = true;
bool NVIDIAChipsetFiles = true;
bool ATiDisplayRegistry = true;
bool ATiDisplayFiles = true;
bool AGEIAPhysXRegistry = true;
bool AGEIAPhysXFiles = true;
bool CreativeSoundRegistry = true;
bool CreativeSoundFiles = true;
bool RealtekSoundRegistry = true;
bool RealtekSoundFiles = true;
bool MicrosoftMouseRegistry = true;
bool MicrosoftMouseFiles = true;
bool RemoveNVIDIAFolder = false;
bool RemoveATiFolder = false;
bool DisplayWarning = true;
bool BackupEnabled = false;
int RebootMode = 0;

namespace {

constexpr int kDefaultRebootMode = 0;
const wchar_t* const kEnglish = L"English";

struct Switch {
    const wchar_t* section;
    const wchar_t* key;
    bool* variable;
    bool def;
};

// The switches in the order the loader reads them.
const Switch kLoadOrder[] = {
    {L"DeleteReboot", L"Enabled", &DeleteAtReboot, true},
    {L"Logfiles", L"Enabled", &LogFiles, true},
    {L"SystemTray", L"Enabled", &SystemTray, false},
    {L"NVIDIA Display", L"Registry", &NVIDIADisplayRegistry, true},
    {L"NVIDIA Display", L"Files", &NVIDIADisplayFiles, true},
    {L"NVIDIA Chipset", L"Registry", &NVIDIAChipsetRegistry, true},
    {L"NVIDIA Chipset", L"Files", &NVIDIAChipsetFiles, true},
    {L"ATi Display", L"Registry", &ATiDisplayRegistry, true},
    {L"ATi Display", L"Files", &ATiDisplayFiles, true},
    {L"AGEIA PhysX", L"Registry", &AGEIAPhysXRegistry, true},
    {L"AGEIA PhysX", L"Files", &AGEIAPhysXFiles, true},
    {L"Creative Sound", L"Registry", &CreativeSoundRegistry, true},
    {L"Creative Sound", L"Files", &CreativeSoundFiles, true},
    {L"Realtek Sound", L"Registry", &RealtekSoundRegistry, true},
    {L"Realtek Sound", L"Files", &RealtekSoundFiles, true},
    {L"Microsoft Mouse", L"Registry", &MicrosoftMouseRegistry, true},
    {L"Microsoft Mouse", L"Files", &MicrosoftMouseFiles, true},
    {L"RemoveNVIDIAFolder", L"Enabled", &RemoveNVIDIAFolder, false},
    {L"RemoveATiFolder", L"Enabled", &RemoveATiFolder, false},
    {L"DisplayWarning", L"Enabled", &DisplayWarning, true},
    {L"Backup", L"Enabled", &BackupEnabled, false},
};

// The switches in the order the saver writes them: the target switches
// section by section, then the general switches.
const Switch kSaveOrder[] = {
    {L"NVIDIA Chipset", L"Registry", &NVIDIAChipsetRegistry, true},
    {L"NVIDIA Chipset", L"Files", &NVIDIAChipsetFiles, true},
    {L"NVIDIA Display", L"Registry", &NVIDIADisplayRegistry, true},
    {L"NVIDIA Display", L"Files", &NVIDIADisplayFiles, true},
    {L"ATi Display", L"Registry", &ATiDisplayRegistry, true},
    {L"ATi Display", L"Files", &ATiDisplayFiles, true},
    {L"AGEIA PhysX", L"Registry", &AGEIAPhysXRegistry, true},
    {L"AGEIA PhysX", L"Files", &AGEIAPhysXFiles, true},
    {L"Creative Sound", L"Registry", &CreativeSoundRegistry, true},
    {L"Creative Sound", L"Files", &CreativeSoundFiles, true},
    {L"Microsoft Mouse", L"Registry", &MicrosoftMouseRegistry, true},
    {L"Microsoft Mouse", L"Files", &MicrosoftMouseFiles, true},
    {L"Realtek Sound", L"Registry", &RealtekSoundRegistry, true},
    {L"Realtek Sound", L"Files", &RealtekSoundFiles, true},
    {L"DeleteReboot", L"Enabled", &DeleteAtReboot, true},
    {L"Logfiles", L"Enabled", &LogFiles, true},
    {L"SystemTray", L"Enabled", &SystemTray, false},
    {L"RemoveNVIDIAFolder", L"Enabled", &RemoveNVIDIAFolder, false},
    {L"RemoveATiFolder", L"Enabled", &RemoveATiFolder, false},
    {L"DisplayWarning", L"Enabled", &DisplayWarning, true},
    {L"Backup", L"Enabled", &BackupEnabled, false},
};

long long readInteger(const std::wstring& file, const wchar_t* section, const wchar_t* key,
                      long long def) {
    long long value = 0;
    return ParseSettingInteger(plat::profileRead(file, section, key, L""), value) ? value : def;
}

void write(const std::wstring& file, const wchar_t* section, const wchar_t* key,
           const std::wstring& value) {
    if (!plat::profileWrite(file, section, key, value))
        throw AppError(L"Unable to write to " + file);
}

}  // namespace

std::wstring SettingsFilePath() { return SettingsFilePathFor(plat::executablePath()); }

bool SettingsFileExists() { return fileExists(SettingsFilePath()); }

TVarUnit::TVarUnit() {
    const std::wstring file = SettingsFilePath();
    for (const Switch& s : kLoadOrder) {
        long long value = 0;
        if (ParseSettingInteger(plat::profileRead(file, s.section, s.key, L""), value))
            *s.variable = value != 0;
        else
            *s.variable = s.def;
    }
    RebootMode = static_cast<int>(readInteger(file, L"Reboot", L"Reboot", kDefaultRebootMode));
}

void SaveSettings() {
    const std::wstring file = SettingsFilePath();
    for (const Switch& s : kSaveOrder) write(file, s.section, s.key, *s.variable ? L"1" : L"0");
    write(file, L"Reboot", L"Reboot", std::to_wstring(RebootMode));
    write(file, L"Languages", L"Current", CurrentLanguageName());
}

std::wstring CurrentLanguageName() {
    std::wstring name = plat::profileRead(SettingsFilePath(), L"Languages", L"Current", kEnglish);
    return name.empty() ? kEnglish : name;
}

void SetCurrentLanguageName(const std::wstring& name) {
    write(SettingsFilePath(), L"Languages", L"Current", name);
}

}  // namespace tw
