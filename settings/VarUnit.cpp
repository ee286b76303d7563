#include "settings/VarUnit.h"

#include <cstdint>

#include "platform/common.h"
#include "platform/platform.h"
#include "targets/FamilyTable.h"

namespace tw {

bool DeleteAtReboot = true;
bool LogFiles = true;
bool SystemTray = false;
bool RemoveNVIDIAFolder = false;
bool RemoveATiFolder = false;
bool DisplayWarning = true;
bool BackupEnabled = false;
bool BlockReinstallEnabled = false;
bool RestorePointEnabled = false;
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

// The general switches, in the order the loader reads and the saver writes
// them (after the families' sections).
const Switch kGeneral[] = {
    {L"DeleteReboot", L"Enabled", &DeleteAtReboot, true},
    {L"Logfiles", L"Enabled", &LogFiles, true},
    {L"SystemTray", L"Enabled", &SystemTray, false},
    {L"RemoveNVIDIAFolder", L"Enabled", &RemoveNVIDIAFolder, false},
    {L"RemoveATiFolder", L"Enabled", &RemoveATiFolder, false},
    {L"DisplayWarning", L"Enabled", &DisplayWarning, true},
    {L"Backup", L"Enabled", &BackupEnabled, false},
    {L"BlockReinstall", L"Enabled", &BlockReinstallEnabled, false},
    {L"RestorePoint", L"Enabled", &RestorePointEnabled, false},
};

std::vector<PhaseSwitches>& familySwitches() {
    static std::vector<PhaseSwitches> switches;
    return switches;
}

bool readSwitch(const std::wstring& file, const wchar_t* section, const wchar_t* key, bool def) {
    long long value = 0;
    return ParseSettingInteger(plat::profileRead(file, section, key, L""), value) ? value != 0 : def;
}

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

PhaseSwitches& FamilySwitches(std::size_t index) {
    std::vector<PhaseSwitches>& switches = familySwitches();
    if (index >= switches.size()) switches.resize(index + 1);
    return switches[index];
}

bool* ConditionSetting(const std::wstring& name) {
    if (name == L"RemoveNVIDIAFolder") return &RemoveNVIDIAFolder;
    if (name == L"RemoveATiFolder") return &RemoveATiFolder;
    return nullptr;
}

bool IsGeneralSection(const std::wstring& section) {
    for (const Switch& s : kGeneral)
        if (equalsIgnoreCase(section, s.section)) return true;
    return equalsIgnoreCase(section, L"Reboot") || equalsIgnoreCase(section, L"Languages");
}

TVarUnit::TVarUnit() {
    const std::wstring file = SettingsFilePath();
    for (const Switch& s : kGeneral) *s.variable = readSwitch(file, s.section, s.key, s.def);
    const std::vector<Family>& families = FamilyTable();
    familySwitches().assign(families.size(), PhaseSwitches{});
    for (std::size_t i = 0; i < families.size(); ++i) {
        PhaseSwitches& on = familySwitches()[i];
        on.registry = readSwitch(file, families[i].section.c_str(), L"Registry", true);
        on.files = readSwitch(file, families[i].section.c_str(), L"Files", true);
        on.drivers = readSwitch(file, families[i].section.c_str(), L"Drivers", false);
    }
    RebootMode = static_cast<int>(readInteger(file, L"Reboot", L"Reboot", kDefaultRebootMode));
}

void SaveSettings() {
    const std::wstring file = SettingsFilePath();
    const std::vector<Family>& families = FamilyTable();
    for (std::size_t i = 0; i < families.size(); ++i) {
        write(file, families[i].section.c_str(), L"Registry", FamilySwitches(i).registry ? L"1" : L"0");
        write(file, families[i].section.c_str(), L"Files", FamilySwitches(i).files ? L"1" : L"0");
        write(file, families[i].section.c_str(), L"Drivers", FamilySwitches(i).drivers ? L"1" : L"0");
    }
    for (const Switch& s : kGeneral) write(file, s.section, s.key, *s.variable ? L"1" : L"0");
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
