// The settings file: loading with per-key defaults, saving in its fixed order,
// the value forms, refused writes and malformed files.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "fake/fake.h"
#include "platform/common.h"
#include "settings/VarUnit.h"

namespace {

const std::string kIni = "C:\\Tools\\Tidewell\\Tidewell.ini";
const std::wstring kIniW = L"C:\\Tools\\Tidewell\\Tidewell.ini";

struct Entry {
    std::wstring section, key, value;
    bool operator==(const Entry&) const = default;
};

// The file's text, whichever encoding the profile functions chose.
std::wstring fileText(const std::string& path) {
    const std::vector<std::uint8_t> bytes = fake::contentBytes(path);
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        std::u16string units;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
            units.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
        return tw::fromUtf16(units);
    }
    return plat::ansiToWide(std::string(bytes.begin(), bytes.end()));
}

// Every key line of an INI text in file order, with its section.
std::vector<Entry> entries(const std::wstring& text) {
    std::vector<Entry> out;
    std::wstring section;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find(L'\n', pos);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        if (line.size() >= 2 && line.front() == L'[' && line.back() == L']') {
            section = line.substr(1, line.size() - 2);
        } else if (const std::size_t eq = line.find(L'='); eq != std::wstring::npos) {
            out.push_back({section, line.substr(0, eq), line.substr(eq + 1)});
        }
    }
    return out;
}

std::vector<std::uint8_t> utf16File(const std::wstring& text) {
    std::vector<std::uint8_t> bytes = {0xFF, 0xFE};
    for (char16_t u : tw::toUtf16(text)) {
        bytes.push_back(static_cast<std::uint8_t>(u & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(u >> 8));
    }
    return bytes;
}

struct Switch {
    const char* name;
    bool* variable;
    bool def;
};

// Every switch with the default a missing file gives it.
const std::vector<Switch>& switches() {
    static const std::vector<Switch> list = {
        {"DeleteAtReboot", &tw::DeleteAtReboot, true},
        {"LogFiles", &tw::LogFiles, true},
        {"SystemTray", &tw::SystemTray, false},
        {"NVIDIADisplayRegistry", &tw::NVIDIADisplayRegistry, true},
        {"NVIDIADisplayFiles", &tw::NVIDIADisplayFiles, true},
        {"NVIDIAChipsetRegistry", &tw::NVIDIAChipsetRegistry, true},
        {"NVIDIAChipsetFiles", &tw::NVIDIAChipsetFiles, true},
        {"ATiDisplayRegistry", &tw::ATiDisplayRegistry, true},
        {"ATiDisplayFiles", &tw::ATiDisplayFiles, true},
        {"AGEIAPhysXRegistry", &tw::AGEIAPhysXRegistry, true},
        {"AGEIAPhysXFiles", &tw::AGEIAPhysXFiles, true},
        {"CreativeSoundRegistry", &tw::CreativeSoundRegistry, true},
        {"CreativeSoundFiles", &tw::CreativeSoundFiles, true},
        {"RealtekSoundRegistry", &tw::RealtekSoundRegistry, true},
        {"RealtekSoundFiles", &tw::RealtekSoundFiles, true},
        {"MicrosoftMouseRegistry", &tw::MicrosoftMouseRegistry, true},
        {"MicrosoftMouseFiles", &tw::MicrosoftMouseFiles, true},
        {"RemoveNVIDIAFolder", &tw::RemoveNVIDIAFolder, false},
        {"RemoveATiFolder", &tw::RemoveATiFolder, false},
        {"DisplayWarning", &tw::DisplayWarning, true},
        {"BackupEnabled", &tw::BackupEnabled, false},
    };
    return list;
}

// Sets every variable to the opposite of its default (RebootMode to 2).
void scramble() {
    for (const Switch& s : switches()) *s.variable = !s.def;
    tw::RebootMode = 2;
}

void expectDefaults() {
    for (const Switch& s : switches()) EXPECT_EQ(*s.variable, s.def) << s.name;
    EXPECT_EQ(tw::RebootMode, 0);
}

class Settings : public ::testing::Test {
protected:
    void SetUp() override { fake::reset(); }
};

TEST_F(Settings, PathIsExecutableWithIniExtension) {
    EXPECT_EQ(tw::SettingsFilePath(), kIniW);
    EXPECT_EQ(tw::SettingsFilePathFor(L"C:\\A\\Tide.well.exe"), L"C:\\A\\Tide.well.ini");
    // A dot in a folder name is not an extension of the file.
    EXPECT_EQ(tw::SettingsFilePathFor(L"C:\\Tools.v2\\Tidewell"), L"C:\\Tools.v2\\Tidewell.ini");
}

TEST_F(Settings, MissingFileLoadsEveryDefault) {
    scramble();
    tw::TVarUnit load;
    expectDefaults();
    EXPECT_FALSE(tw::SettingsFileExists());
    EXPECT_EQ(tw::CurrentLanguageName(), L"English");
}

TEST_F(Settings, FirstStartCreatesTheFileInWritingOrder) {
    tw::TVarUnit load;
    ASSERT_FALSE(tw::SettingsFileExists());
    tw::SaveSettings();
    ASSERT_TRUE(tw::SettingsFileExists());

    const std::vector<Entry> expected = {
        {L"NVIDIA Chipset", L"Registry", L"1"},   {L"NVIDIA Chipset", L"Files", L"1"},
        {L"NVIDIA Display", L"Registry", L"1"},   {L"NVIDIA Display", L"Files", L"1"},
        {L"ATi Display", L"Registry", L"1"},      {L"ATi Display", L"Files", L"1"},
        {L"AGEIA PhysX", L"Registry", L"1"},      {L"AGEIA PhysX", L"Files", L"1"},
        {L"Creative Sound", L"Registry", L"1"},   {L"Creative Sound", L"Files", L"1"},
        {L"Microsoft Mouse", L"Registry", L"1"},  {L"Microsoft Mouse", L"Files", L"1"},
        {L"Realtek Sound", L"Registry", L"1"},    {L"Realtek Sound", L"Files", L"1"},
        {L"DeleteReboot", L"Enabled", L"1"},      {L"Logfiles", L"Enabled", L"1"},
        {L"SystemTray", L"Enabled", L"0"},        {L"RemoveNVIDIAFolder", L"Enabled", L"0"},
        {L"RemoveATiFolder", L"Enabled", L"0"},   {L"DisplayWarning", L"Enabled", L"1"},
        {L"Backup", L"Enabled", L"0"},            {L"Reboot", L"Reboot", L"0"},
        {L"Languages", L"Current", L"English"},
    };
    EXPECT_EQ(entries(fileText(kIni)), expected);
}

// Each variable on its own away from its default: a save and a load bring
// back exactly that change, so no two variables share or swap a key.
TEST_F(Settings, EveryVariableRoundTripsThroughItsOwnKey) {
    for (const Switch& changed : switches()) {
        fake::reset();
        tw::TVarUnit defaults;
        *changed.variable = !changed.def;
        tw::SaveSettings();
        scramble();
        tw::TVarUnit load;
        for (const Switch& s : switches())
            EXPECT_EQ(*s.variable, &s == &changed ? !s.def : s.def) << "changed " << changed.name << ", read " << s.name;
        EXPECT_EQ(tw::RebootMode, 0) << changed.name;
    }
    for (int mode : {2, -3}) {
        fake::reset();
        tw::TVarUnit defaults;
        tw::RebootMode = mode;
        tw::SaveSettings();
        tw::RebootMode = 99;
        tw::TVarUnit load;
        EXPECT_EQ(tw::RebootMode, mode);
        for (const Switch& s : switches()) EXPECT_EQ(*s.variable, s.def) << s.name;
    }
}

TEST_F(Settings, ValueForms) {
    struct Case {
        std::string text;
        bool backup;
        int reboot;
    };
    // Backup defaults to off and Reboot to 0.
    const std::vector<Case> cases = {
        {"1", true, 1},     {"0", false, 0},    {"yes", false, 0},        {"", false, 0},
        {"0X1a", true, 26}, {"-1", true, -1},   {"0x", false, 0},         {"-0x5", false, 0},
        {"1.5", false, 0},  {"12abc", false, 0}, {"0xFFFFFFFF", true, -1}, {"0x100000001", false, 0},
        {"-2147483648", true, -2147483647 - 1}, {"2147483648", false, 0},
    };
    for (const Case& c : cases) {
        fake::reset();
        fake::addFile(kIni, "[Backup]\r\nEnabled=" + c.text + "\r\n[Reboot]\r\nReboot=" + c.text + "\r\n");
        tw::BackupEnabled = !c.backup;
        tw::RebootMode = c.reboot == 42 ? 43 : 42;
        tw::TVarUnit load;
        EXPECT_EQ(tw::BackupEnabled, c.backup) << '"' << c.text << '"';
        EXPECT_EQ(tw::RebootMode, c.reboot) << '"' << c.text << '"';
    }
    // A default of on stays on for unusable text and turns off only for 0.
    fake::reset();
    fake::addFile(kIni, "[DisplayWarning]\r\nEnabled=no\r\n[Logfiles]\r\nEnabled=0x0\r\n"
                        "[NVIDIA Display]\r\nFiles=0x\r\nRegistry=0x00\r\n");
    tw::TVarUnit load;
    EXPECT_TRUE(tw::DisplayWarning);
    EXPECT_FALSE(tw::LogFiles);
    EXPECT_TRUE(tw::NVIDIADisplayFiles);      // "0x" alone is no number
    EXPECT_FALSE(tw::NVIDIADisplayRegistry);  // but "0x00" is zero
}

TEST_F(Settings, BadValueFallsBackForItsKeyOnlyAndNamesIgnoreCase) {
    fake::addFile(kIni,
                  "[NVIDIA Display]\r\nRegistry=0\r\nFiles=off\r\n"
                  "[SystemTray]\r\nEnabled=1\r\n"
                  "[backup]\r\nENABLED=1\r\n"
                  "[Reboot]\r\nReboot=two\r\n");
    scramble();
    tw::TVarUnit load;
    EXPECT_FALSE(tw::NVIDIADisplayRegistry);
    EXPECT_TRUE(tw::NVIDIADisplayFiles);
    EXPECT_TRUE(tw::SystemTray);
    EXPECT_TRUE(tw::BackupEnabled);
    EXPECT_EQ(tw::RebootMode, 0);
    EXPECT_TRUE(tw::LogFiles);
}

TEST_F(Settings, UnknownSectionsAndKeysSurviveASave) {
    fake::addFile(kIni,
                  "[Window]\r\nLeft=10\r\nTop=20\r\n"
                  "[Backup]\r\nEnabled=1\r\nKeepDays=30\r\n"
                  "[Languages]\r\nCurrent=Deutsch\r\n");
    tw::TVarUnit load;
    tw::BackupEnabled = false;
    tw::SaveSettings();
    const std::vector<Entry> written = entries(fileText(kIni));
    auto has = [&](const Entry& e) {
        for (const Entry& w : written)
            if (tw::equalsIgnoreCase(w.section, e.section) && tw::equalsIgnoreCase(w.key, e.key))
                return w.value == e.value;
        return false;
    };
    EXPECT_TRUE(has({L"Window", L"Left", L"10"}));
    EXPECT_TRUE(has({L"Backup", L"KeepDays", L"30"}));
    EXPECT_TRUE(has({L"Backup", L"Enabled", L"0"}));
    EXPECT_TRUE(has({L"Languages", L"Current", L"Deutsch"}));
}

TEST_F(Settings, LanguageNameDefaultsAndIsWrittenBack) {
    fake::addFile(kIni, "[Languages]\r\nCurrent=\r\n");
    EXPECT_EQ(tw::CurrentLanguageName(), L"English");
    tw::SaveSettings();
    EXPECT_EQ(plat::profileRead(kIniW, L"Languages", L"Current", L"missing"), L"English");

    tw::SetCurrentLanguageName(L"Français");
    EXPECT_EQ(tw::CurrentLanguageName(), L"Français");
    tw::SaveSettings();
    EXPECT_EQ(plat::profileRead(kIniW, L"Languages", L"Current", L"missing"), L"Français");
}

TEST_F(Settings, RefusedWriteRaisesWithThePathAndKeepsVariables) {
    fake::addFolder("C:\\Tools\\Tidewell");
    fake::setFault(kIni, fake::Fault::WriteFails);
    tw::TVarUnit load;
    tw::SystemTray = true;
    tw::RebootMode = 1;
    try {
        tw::SaveSettings();
        ADD_FAILURE() << "SaveSettings succeeded on a refused file";
    } catch (const tw::AppError& e) {
        EXPECT_EQ(e.message(), L"Unable to write to " + kIniW);
    }
    EXPECT_TRUE(tw::SystemTray);
    EXPECT_EQ(tw::RebootMode, 1);
    EXPECT_THROW(tw::SetCurrentLanguageName(L"Deutsch"), tw::AppError);

    // Once the file can be written again the whole set is stored.
    fake::clearFault(kIni, fake::Fault::WriteFails);
    tw::SaveSettings();
    tw::SystemTray = false;
    tw::TVarUnit reload;
    EXPECT_TRUE(tw::SystemTray);
    EXPECT_EQ(tw::RebootMode, 1);
}

TEST_F(Settings, MalformedFilesGiveDefaults) {
    std::vector<std::pair<const char*, std::vector<std::uint8_t>>> files;
    files.push_back({"empty", {}});
    std::vector<std::uint8_t> garbage;
    for (unsigned i = 0; i < 4096; ++i) garbage.push_back(static_cast<std::uint8_t>((i * 7919u + 13u) >> 3));
    files.push_back({"binary garbage", garbage});
    files.push_back({"only a byte order mark", {0xFF, 0xFE}});
    std::string odd;
    for (int i = 0; i < 1500; ++i)
        odd += "[[[Backup\r\n=1\r\nEnabled\r\n" + std::string(static_cast<std::size_t>(i % 300), '=') + "\n]\r";
    odd += "[Reboot]\r\nReboot=" + std::string(5000, '1') + "\r\n";  // longer than the read buffer
    files.push_back({"huge file of odd lines", std::vector<std::uint8_t>(odd.begin(), odd.end())});

    for (const auto& [name, bytes] : files) {
        fake::reset();
        fake::addFileBytes(kIni, bytes);
        scramble();
        tw::TVarUnit load;
        SCOPED_TRACE(name);
        expectDefaults();
        EXPECT_EQ(tw::CurrentLanguageName(), L"English");
    }
}

// A Unicode file is read; what precedes the cut of a truncated one still counts.
TEST_F(Settings, UnicodeFileIsReadUpToItsCut) {
    std::vector<std::uint8_t> bytes =
        utf16File(L"[Backup]\r\nEnabled=1\r\n[Languages]\r\nCurrent=Français\r\n[SystemTray]\r\nEnabled=1");
    bytes.resize(bytes.size() - 3);  // half of the last "1" and the "=" before it
    fake::addFileBytes(kIni, bytes);
    tw::TVarUnit load;
    EXPECT_TRUE(tw::BackupEnabled);
    EXPECT_EQ(tw::CurrentLanguageName(), L"Français");
    EXPECT_FALSE(tw::SystemTray);
}

}  // namespace
