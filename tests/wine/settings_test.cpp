// The settings file beside the program (defaults, value forms, the order of
// its keys, refused writes) and the language lookup in Languages.ini.
#include <map>
#include <sstream>

#include "faults.h"
#include "program_folder.h"

namespace {

using dialogs::kSwitches;
using dialogs::narrow;
using Texts = std::vector<std::wstring>;

void scramble() {
    for (const dialogs::Switch& s : kSwitches) *s.variable = !s.def;
    tw::RebootMode = 2;
}

// Every key line of the settings file in file order, as "[section]key=value".
Texts fileEntries() {
    std::istringstream in(winetest::readFile(narrow(tw::SettingsFilePath())).value_or(""));
    Texts out;
    std::string line, section;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.starts_with('[')) section = line;
        else if (!line.empty()) out.push_back(plat::ansiToWide(section + line));
    }
    return out;
}

class Settings : public dialogs::ProgramFolderTest {};

TEST_F(Settings, MissingFileGivesDefaultsAndTheFirstSaveWritesEveryKeyInOrder) {
    scramble();
    tw::TVarUnit load;
    for (const dialogs::Switch& s : kSwitches) EXPECT_EQ(*s.variable, s.def) << s.name;
    EXPECT_EQ(tw::RebootMode, 0);
    EXPECT_FALSE(tw::SettingsFileExists());
    EXPECT_EQ(tw::CurrentLanguageName(), L"English");
    tw::SaveSettings();
    EXPECT_EQ(fileEntries(),
              (Texts{L"[NVIDIA Chipset]Registry=1", L"[NVIDIA Chipset]Files=1", L"[NVIDIA Display]Registry=1",
                     L"[NVIDIA Display]Files=1", L"[ATi Display]Registry=1", L"[ATi Display]Files=1",
                     L"[AGEIA PhysX]Registry=1", L"[AGEIA PhysX]Files=1", L"[Creative Sound]Registry=1",
                     L"[Creative Sound]Files=1", L"[Microsoft Mouse]Registry=1", L"[Microsoft Mouse]Files=1",
                     L"[Realtek Sound]Registry=1", L"[Realtek Sound]Files=1", L"[DeleteReboot]Enabled=1",
                     L"[Logfiles]Enabled=1", L"[SystemTray]Enabled=0", L"[RemoveNVIDIAFolder]Enabled=0",
                     L"[RemoveATiFolder]Enabled=0", L"[DisplayWarning]Enabled=1", L"[Backup]Enabled=0",
                     L"[Reboot]Reboot=0", L"[Languages]Current=English"}));
}

// One variable at a time away from its default: a save and a load bring back
// exactly that change, so no two variables share or swap a key.
TEST_F(Settings, EveryVariableRoundTripsThroughItsOwnKey) {
    for (const dialogs::Switch& changed : kSwitches) {
        removeFiles();
        tw::TVarUnit defaults;
        *changed.variable = !changed.def;
        tw::SaveSettings();
        scramble();
        tw::TVarUnit load;
        for (const dialogs::Switch& s : kSwitches)
            EXPECT_EQ(*s.variable, &s == &changed ? !s.def : s.def) << "changed " << changed.name << ", read " << s.name;
    }
    for (int mode : {2, -3}) {
        tw::RebootMode = mode;
        tw::SaveSettings();
        tw::RebootMode = 99;
        tw::TVarUnit load;
        EXPECT_EQ(tw::RebootMode, mode);
    }
}

TEST_F(Settings, ValueForms) {
    const struct {
        const char* text;
        bool backup;  // off by default
        int reboot;   // 0 by default
    } cases[] = {
        {"1", true, 1},     {"0", false, 0},     {"yes", false, 0},        {"", false, 0},
        {"0X1a", true, 26}, {"-1", true, -1},    {"0x", false, 0},         {"-0x5", false, 0},
        {"1.5", false, 0},  {"12abc", false, 0}, {"0xFFFFFFFF", true, -1}, {"0x100000001", false, 0},
        {"-2147483648", true, -2147483647 - 1},  {"2147483648", false, 0},
    };
    for (const auto& c : cases) {
        settings(std::string("[backup]\r\nENABLED=") + c.text + "\r\n[Reboot]\r\nReboot=" + c.text +
                 "\r\n[DisplayWarning]\r\nEnabled=" + c.text + "\r\n");
        scramble();
        tw::TVarUnit load;
        EXPECT_EQ(tw::BackupEnabled, c.backup) << c.text;
        EXPECT_EQ(tw::RebootMode, c.reboot) << c.text;
        EXPECT_EQ(tw::DisplayWarning, c.text != std::string("0")) << "on by default: " << c.text;
        EXPECT_TRUE(tw::LogFiles) << "a key the file lacks";
    }
}

TEST_F(Settings, LanguageNameDefaultsAndARefusedWriteRaisesWithThePath) {
    settings("[Languages]\r\nCurrent=\r\n");
    EXPECT_EQ(tw::CurrentLanguageName(), L"English");
    tw::SetCurrentLanguageName(L"Fran\u00e7ais");
    tw::SaveSettings();
    EXPECT_EQ(tw::CurrentLanguageName(), L"Fran\u00e7ais");

    faults::fail(faults::Call::WriteFile, narrow(tw::SettingsFilePath()));
    tw::SystemTray = true;
    try {
        tw::SaveSettings();
        ADD_FAILURE() << "a refused save succeeded";
    } catch (const tw::AppError& e) {
        EXPECT_EQ(e.message(), L"Unable to write to " + tw::SettingsFilePath());
    }
    EXPECT_THROW(tw::SetCurrentLanguageName(L"Deutsch"), tw::AppError);
    EXPECT_TRUE(tw::SystemTray) << "the variables stay as they were";
    faults::reset();
    tw::SaveSettings();
    tw::TVarUnit reload;
    EXPECT_TRUE(tw::SystemTray);
}

// ---- language ----

struct Tree {
    tw::PageTree tree;
    Texts nodes, children;
    bool operator==(const Tree&) const = default;
};

// What LoadLanguage hands to the windows.
class Recorder : public tw::LanguageTarget {
public:
    std::map<tw::Place, Texts> texts;
    std::vector<Tree> trees;
    void setText(tw::Place place, const std::wstring& text) override { texts[place].push_back(text); }
    void rebuildPageTree(tw::PageTree tree, const Texts& nodes, const Texts& children) override {
        trees.push_back({tree, nodes, children});
    }
    std::wstring text(tw::Place place) { return texts[place].empty() ? L"<unset>" : texts[place].back(); }
};

class Language : public dialogs::ProgramFolderTest {};

TEST_F(Language, WithoutFileEveryPlaceIsEnglishOnceAndTheTreesComeInOrder) {
    Recorder r;
    tw::LoadLanguage(L"Deutsch", r);
    for (const tw::LanguageKey& row : tw::LanguageKeys())
        for (tw::Place place : row.places) EXPECT_EQ(r.texts[place], Texts{row.english}) << row.key;
    EXPECT_EQ(r.trees, (std::vector<Tree>{{tw::PageTree::About, {L"About", L"Donate", L"Contact"}, {}},
                                          {tw::PageTree::Log, {L"View log", L"Remove log"}, {}},
                                          {tw::PageTree::Backup, {L"Restore backup", L"Remove backup"}, {}},
                                          {tw::PageTree::Options, {L"Cleaning", L"Language", L"Miscellaneous"},
                                           tw::OptionsTargetNodes()}}));
    EXPECT_EQ(tw::LanguageText("Remove Button"), L"Remove Button");
    EXPECT_TRUE(tw::LanguageNames().empty());
}

TEST_F(Language, TextsComeFromTheFileWithFallbacks) {
    const std::wstring title = L"\u041f\u0435\u0440\u0435 \u4E2D";  // beyond a Western code page
    const std::wstring narrowed = plat::ansiToWide(narrow(title));
    ASSERT_NE(narrowed, title);
    languages(L"[english]\r\nmenu tools=Werkzeuge\r\n[Deutsch]\r\nLog=Protokoll\r\nOptions Title=\r\n"
              L"About=Info\r\nDonate=\r\nClose=" + title + L"\r\nRebootMessageTitle=" + title + L"\r\n");
    Recorder english;
    tw::LoadLanguage(L"", english);  // no name: English, found without regard to case
    EXPECT_EQ(english.text(tw::Place::MenuTools), L"Werkzeuge");

    settings("[Languages]\r\nCurrent=Deutsch\r\n");
    Recorder r;
    tw::LoadLanguage(L"Deutsch", r);
    for (tw::Place p : {tw::Place::LogTitle, tw::Place::MenuLog, tw::Place::LogButtonHint})
        EXPECT_EQ(r.text(p), L"Protokoll");
    EXPECT_EQ(r.text(tw::Place::OptionsTitle), L"") << "an empty value is a text";
    EXPECT_EQ(r.text(tw::Place::OptionsCancel), L"Cancel");
    EXPECT_EQ(r.text(tw::Place::MenuClose), title);
    EXPECT_EQ(r.text(tw::Place::TrayExit), narrowed) << "narrow places take the code page's form";
    EXPECT_EQ(r.text(tw::Place::RebootMessageTitle), narrowed);
    EXPECT_EQ(r.text(tw::Place::OptionsReboot), title);
    // Page names follow the settings file, not the language loaded.
    tw::LoadLanguage(L"English", english);
    EXPECT_EQ(english.trees.at(4).nodes, (Texts{L"Info", L"", L"Contact"}));

    EXPECT_EQ(tw::LanguageText("About"), L"Info");
    EXPECT_EQ(tw::LanguageText("Donate"), L"");
    EXPECT_EQ(tw::LanguageText("Contact"), L"Contact");
    settings("[Languages]\r\nCurrent=Klingon\r\n");
    EXPECT_EQ(tw::LanguageText("About"), L"About");
    EXPECT_EQ(tw::LanguageNames(), (Texts{L"english", L"Deutsch"}));
}

}  // namespace
