// The dialogs' tests work on the files beside the test program, which is
// their program folder: its settings file, Languages.ini and the desktop
// layouts. A test writes what it needs; everything goes again afterwards,
// and the settings variables get back the values they had.
#pragma once

#include <string>
#include <vector>

#include "options/Language.h"
#include "platform/common.h"
#include "platform/platform.h"
#include "settings/VarUnit.h"
#include "support.h"

namespace dialogs {

struct Switch {
    const char* name;
    bool* variable;
    bool def;  // what a missing settings file gives
};
inline const std::vector<Switch> kSwitches = {
    {"DeleteAtReboot", &tw::DeleteAtReboot, true}, {"LogFiles", &tw::LogFiles, true},
    {"SystemTray", &tw::SystemTray, false}, {"NVIDIADisplayRegistry", &tw::NVIDIADisplayRegistry, true},
    {"NVIDIADisplayFiles", &tw::NVIDIADisplayFiles, true}, {"NVIDIAChipsetRegistry", &tw::NVIDIAChipsetRegistry, true},
    {"NVIDIAChipsetFiles", &tw::NVIDIAChipsetFiles, true}, {"ATiDisplayRegistry", &tw::ATiDisplayRegistry, true},
    {"ATiDisplayFiles", &tw::ATiDisplayFiles, true}, {"AGEIAPhysXRegistry", &tw::AGEIAPhysXRegistry, true},
    {"AGEIAPhysXFiles", &tw::AGEIAPhysXFiles, true}, {"CreativeSoundRegistry", &tw::CreativeSoundRegistry, true},
    {"CreativeSoundFiles", &tw::CreativeSoundFiles, true}, {"RealtekSoundRegistry", &tw::RealtekSoundRegistry, true},
    {"RealtekSoundFiles", &tw::RealtekSoundFiles, true}, {"MicrosoftMouseRegistry", &tw::MicrosoftMouseRegistry, true},
    {"MicrosoftMouseFiles", &tw::MicrosoftMouseFiles, true}, {"RemoveNVIDIAFolder", &tw::RemoveNVIDIAFolder, false},
    {"RemoveATiFolder", &tw::RemoveATiFolder, false}, {"DisplayWarning", &tw::DisplayWarning, true},
    {"BackupEnabled", &tw::BackupEnabled, false},
};

inline std::string narrow(const std::wstring& text) { return plat::wideToAnsi(text); }

class ProgramFolderTest : public winetest::WineTest {
protected:
    void SetUp() override {
        WineTest::SetUp();
        for (const Switch& s : kSwitches) saved_.push_back(*s.variable);
        savedReboot_ = tw::RebootMode;
        removeFiles();
    }
    void TearDown() override {
        removeFiles();
        for (std::size_t i = 0; i < saved_.size(); ++i) *kSwitches[i].variable = saved_[i];
        tw::RebootMode = savedReboot_;
        WineTest::TearDown();
    }
    // The settings file as ANSI text; the language file as UTF-16 with its mark.
    static void settings(const std::string& text) { winetest::writeFile(narrow(tw::SettingsFilePath()), text); }
    static void languages(const std::wstring& text) {
        std::string bytes = "\xFF\xFE";
        for (wchar_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        winetest::writeFile(narrow(tw::LanguageFilePath()), bytes);
    }
    static void removeFiles() {
        ::DeleteFileW(tw::SettingsFilePath().c_str());
        ::DeleteFileW(tw::LanguageFilePath().c_str());
        winetest::removeTree(tw::programFolder() + "Desktop Icon\\");
    }

private:
    std::vector<bool> saved_;
    int savedReboot_ = 0;
};

}  // namespace dialogs
