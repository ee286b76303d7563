// The settings file beside the program, the language lookup in Languages.ini,
// and the Options dialog's handlers on both.
#include <map>

#include "faults.h"
#include "options/OptionsUnit.h"
#include "program_folder.h"
#include "targets/Target.h"

namespace {

using Texts = std::vector<std::wstring>;
using tw::CheckState, tw::Phase;
using Switches = std::vector<bool>;
using Events = std::vector<std::wstring>;

// Every switch, with the value a missing file gives it: the general ones, then each family's two.
std::vector<std::pair<bool*, bool>> allSwitches() {
    std::vector<std::pair<bool*, bool>> out = {{&tw::DeleteAtReboot, 1},     {&tw::LogFiles, 1},
                                               {&tw::SystemTray, 0},         {&tw::RemoveNVIDIAFolder, 0},
                                               {&tw::RemoveATiFolder, 0},    {&tw::DisplayWarning, 1},
                                               {&tw::BackupEnabled, 0},      {&tw::BlockReinstallEnabled, 0},
                                               {&tw::RestorePointEnabled, 0}};
    tw::FamilySwitches(tw::FamilyTable().size() - 1);  // sized first: the pointers taken below stay valid
    for (std::size_t i = 0; i < tw::FamilyTable().size(); ++i)
        out.insert(out.end(), {{&tw::FamilySwitches(i).registry, 1}, {&tw::FamilySwitches(i).files, 1},
                               {&tw::FamilySwitches(i).drivers, 0}});
    return out;
}

// Every variable away from its first value: loading must set each again.
void scramble() {
    for (auto [variable, def] : allSwitches()) *variable = !def;
    tw::RebootMode = 2;
}

class Settings : public dialogs::ProgramFolderTest {};

// Without a file every variable takes its default, which the first save writes, every key in order.
// Then one variable at a time away from its default: a save and a load bring back exactly that
// change, so no two variables share or swap a key.
TEST_F(Settings, DefaultsAreWrittenInOrderAndEveryVariableRoundTripsThroughItsOwnKey) {
    scramble();
    tw::TVarUnit load;
    tw::SaveSettings();
    std::wstring expected;
    for (const wchar_t* target : {L"NVIDIA Chipset", L"NVIDIA Display", L"ATi Display", L"AGEIA PhysX", L"Creative Sound",
                               L"Microsoft Mouse", L"Realtek Sound"})
        expected += std::wstring(L"[") + target + L"]\r\nRegistry=1\r\nFiles=1\r\nDrivers=0\r\n";
    expected += L"[DeleteReboot]\r\nEnabled=1\r\n[Logfiles]\r\nEnabled=1\r\n[SystemTray]\r\nEnabled=0\r\n"
                L"[RemoveNVIDIAFolder]\r\nEnabled=0\r\n[RemoveATiFolder]\r\nEnabled=0\r\n[DisplayWarning]\r\n"
                L"Enabled=1\r\n[Backup]\r\nEnabled=0\r\n[BlockReinstall]\r\nEnabled=0\r\n[RestorePoint]\r\nEnabled=0\r\n"
                L"[Reboot]\r\nReboot=0\r\n[Languages]\r\nCurrent=English\r\n";
    EXPECT_EQ(winetest::readFile(tw::SettingsFilePath()), expected);
    const auto kSwitches = allSwitches();
    for (const auto& changed : kSwitches) {
        removeFiles();
        tw::TVarUnit defaults;
        *changed.first = !changed.second, tw::RebootMode = -3;
        tw::SaveSettings();
        scramble();
        tw::TVarUnit load;
        EXPECT_EQ(tw::RebootMode, -3);
        for (std::size_t i = 0; i < std::size(kSwitches); ++i)
            EXPECT_EQ(*kSwitches[i].first, kSwitches[i].second != (&kSwitches[i] == &changed))
                << L"changed " << &changed - kSwitches.data() << L", read " << i;
    }
}

// What LoadLanguage hands to the windows; a tree as its number, its nodes
// and the first node's children.
class Recorder : public tw::LanguageTarget {
public:
    std::map<tw::Place, Texts> texts;
    std::vector<Texts> trees;
    void setText(tw::Place place, const std::wstring& text) override { texts[place].push_back(text); }
    void rebuildPageTree(tw::PageTree tree, const Texts& nodes, const Texts& children) override {
        trees.push_back({std::to_wstring(static_cast<int>(tree))});
        trees.back().insert(trees.back().end(), nodes.begin(), nodes.end());
        trees.back().insert(trees.back().end(), children.begin(), children.end());
    }
};

// Without a file the trees come in English and in order; with one, each text from it or else in English.
TEST_F(Settings, LanguageTextsComeFromTheFileWithFallbacks) {
    Recorder none;
    tw::LoadLanguage(L"Deutsch", none);
    Texts options = {L"3", L"Cleaning", L"Language", L"Miscellaneous"};
    for (const std::wstring& node : tw::OptionsTargetNodes()) options.push_back(node);
    EXPECT_EQ(none.trees, (std::vector<Texts>{{L"0", L"About", L"Donate", L"Contact"}, {L"1", L"View log", L"Remove log"},
                                              {L"2", L"Restore backup", L"Remove backup"}, options}));
    EXPECT_EQ(tw::LanguageText(L"Remove Button"), L"Remove Button");
    const std::wstring title = L"\u041f\u0435\u0440\u0435 \u4E2D";  // beyond a Western code page
    const std::wstring narrowed = L"???? ?";  // as code page 1252 shows it
    languages(L"[english]\r\nmenu tools=Werkzeuge\r\n[Deutsch]\r\nLog=Protokoll\r\nOptions Title=\r\nAbout=Info\r\n"
              L"Donate=\r\nClose=" + title + L"\r\nRebootMessageTitle=" + title + L"\r\n");
    settings(L"[Languages]\r\nCurrent=Deutsch\r\n");
    Recorder english, r;
    tw::LoadLanguage(L"", english);  // no name: English, found without regard to case
    tw::LoadLanguage(L"Deutsch", r);
    EXPECT_EQ(english.texts[tw::Place::MenuTools], Texts{L"Werkzeuge"});
    EXPECT_EQ(english.trees[0], (Texts{L"0", L"Info", L"", L"Contact"})) << L"page names follow the settings file";
    const std::pair<tw::Place, std::wstring> shown[] = {
        {tw::Place::LogTitle, L"Protokoll"}, {tw::Place::MenuLog, L"Protokoll"}, {tw::Place::OptionsTitle, L""},
        {tw::Place::OptionsCancel, L"Cancel"}, {tw::Place::MenuClose, title}, {tw::Place::TrayExit, narrowed},
        {tw::Place::RebootMessageTitle, narrowed}, {tw::Place::OptionsReboot, title}};
    for (const auto& [place, text] : shown) EXPECT_EQ(r.texts[place], Texts{text}) << static_cast<int>(place);
    EXPECT_EQ(tw::LanguageNames(), (Texts{L"english", L"Deutsch"}));
}

// The dialog's windows as the handlers see them; records what they are told.
class View : public tw::OptionsView, public tw::LanguageTarget {
public:
    std::wstring selected, listText;
    std::optional<CheckState> box[3];  // Files, Registry, Drivers
    std::optional<int> radio = 1;  // as an earlier showing left it
    Texts languages;
    Events events;

    std::wstring selectedNodeText() const override { return selected; }
    void showPage(tw::OptionsPage) override {}
    void setCleaningBox(Phase phase, CheckState state) override { box[static_cast<int>(phase)] = state; }
    void setMiscBox(tw::MiscOption, bool) override {}
    void setRebootRadio(std::optional<int> index) override { radio = index; }
    void fillLanguages(const tw::LanguageChoices& c) override { languages = c.names, listText = c.selected; }
    std::wstring languageListText() const override { return listText; }
    tw::LanguageTarget& languageWindows() override { return *this; }
    void expandFirstNode() override { events.push_back(L"expand"); }
    void setTrayVisible(bool visible) override { events.push_back(visible ? L"tray" : L"no tray"); }
    void hideDialog() override { events.push_back(L"hide"); }
    // The title, with the reboot mode the settings file holds at that moment.
    void setText(tw::Place place, const std::wstring& text) override {
        const std::wstring reboot = plat::profileRead(tw::SettingsFilePath(), L"Reboot", L"Reboot", L"");
        if (place == tw::Place::OptionsTitle) events.push_back(text + L" " + reboot);
    }
    // The window selects the first node of a rebuilt Options tree.
    void rebuildPageTree(tw::PageTree tree, const Texts& nodes, const Texts&) override {
        if (tree == tw::PageTree::Options) select(nodes.front());
    }
    void select(const std::wstring& node) { selected = node, tw::ListViewItemsClick(*this); }
    // A click on a two-state box.
    void click(Phase phase) {
        auto& b = box[static_cast<int>(phase)];
        tw::CleaningBoxClick(*this, phase, *(b = tw::ToggledState(b.value_or(CheckState::Unchecked))));
    }
};

Switches switches(Phase phase) {
    Switches on;
    for (const std::wstring& name : tw::OptionsTargetNodes()) on.push_back(*tw::TargetSwitch(name, phase));
    return on;
}
void setSwitches(Phase phase, Switches on) {
    for (std::size_t i = 0; i < on.size(); ++i) *tw::TargetSwitch(tw::OptionsTargetNodes()[i], phase) = on[i];
}

class OptionsDialog : public dialogs::ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        languages();
        tw::TVarUnit defaults;
    }
    View view;
};

// From mixed switches: the box shows grayed and a grayed state changes none of
// them; clicks turn all on, then all off; the other phase stays. A target
// node shows and changes that target alone.
TEST_F(OptionsDialog, CleaningPageFromMixedSwitches) {
    const Switches mixed = {1, 0, 1, 1, 1, 1, 1}, registry = {0, 1, 0, 0, 1, 1, 0};
    setSwitches(Phase::Files, mixed);
    setSwitches(Phase::Registry, registry);
    view.select(L"Cleaning");
    ASSERT_EQ(view.box[0], CheckState::Grayed);
    tw::CleaningBoxClick(view, Phase::Files, CheckState::Grayed);
    EXPECT_EQ(switches(Phase::Files), mixed);
    view.click(Phase::Files);
    EXPECT_EQ(switches(Phase::Files), Switches(7, true));
    view.click(Phase::Files);
    EXPECT_EQ(switches(Phase::Files), Switches(7, false));
    EXPECT_EQ(switches(Phase::Registry), registry);
    view.select(L"Realtek Sound");
    EXPECT_EQ(view.box[0], CheckState::Unchecked);
    EXPECT_EQ(view.box[1], CheckState::Unchecked);
    view.click(Phase::Registry);
    EXPECT_EQ(switches(Phase::Registry), (Switches{0, 1, 0, 0, 1, 1, 1}));
}

// The pages show the settings. Apply stores everything first, then applies the
// page showing: the language (back on the Cleaning page) or the tray. Every
// close reloads the settings.
TEST_F(OptionsDialog, PagesApplyOkCancelAndARefusedSave) {
    tw::RebootMode = 2;
    view.select(L"Miscellaneous");
    EXPECT_EQ(view.radio, 2);
    tw::SetCurrentLanguageName(L"english");
    view.select(L"Language");
    EXPECT_EQ(view.languages, (Texts{L"Alike", L"Deutsch", L"English", L"espa\u00f1ol"}));
    EXPECT_EQ(view.listText, L"English");
    view.listText = L"Deutsch";
    tw::ButtonApplyClick(view);
    EXPECT_EQ(view.selected, L"Bereinigung");
    tw::RebootMode = 5;  // no radio for it
    view.select(L"Verschiedenes");
    EXPECT_EQ(view.radio, std::nullopt);
    tw::BackupEnabled = true;
    tw::ButtonOKClick(view);
    tw::LogFiles = false;
    tw::ButtonCancelClick(view);
    EXPECT_TRUE(tw::LogFiles && tw::BackupEnabled);
    EXPECT_EQ(tw::RebootMode, 5);
    EXPECT_EQ(view.events, (Events{L"Optionen 2", L"expand", L"no tray", L"hide", L"hide"}));

    faults::fail(faults::Call::WriteFile, tw::SettingsFilePath());
    tw::LogFiles = false;
    EXPECT_THROW(tw::ButtonOKClick(view), tw::AppError);
    EXPECT_EQ(view.events.size(), 5u) << L"closed although nothing was stored";
    EXPECT_FALSE(tw::LogFiles);
}

// A language section read at once and looked up in memory answers as the
// system's lookup of one key does, on the lines easy to read wrongly.
TEST_F(Settings, LanguageSectionLookupAnswersAsTheSystemDoes) {
    std::wstring text = L"\xFEFF[Sect]\r\n";
    for (const std::wstring& line : std::initializer_list<std::wstring>{
             L"  Key A  =  value a  ", L"KEY A=second", L"quoted=\"hello\"", L"single='hi'", L"mixed=\"hi'",
             L"onlyquote=\"", L"emptyq=\"\"", L"inner=\"a\"b\"", L"novalue", L"novalue=later",
             L" spaced key = \"  inner  \"  ", L";note=x", L"\u00C4pfel=apple", L"k=v=w", L"lead=   ",
             L"long=" + std::wstring(3000, L'x'), L"fits=\"" + std::wstring(2046, L'y') + L"\"",
             L"exact=\"" + std::wstring(2047, L'y') + L"\"", L"over=\"" + std::wstring(2048, L'y') + L"\""})
        text += line + L"\r\n";
    for (int i = 0; i < 400; ++i) text += L"filler " + std::to_wstring(i) + L"=" + std::to_wstring(i) + L"\r\n";
    text += L"last=end\r\n[sect]\r\nOther=1\r\n";
    winetest::writeFile(dir + L"lang.ini", winetest::utf16Bytes(text));
    const std::wstring file = dir + L"lang.ini";
    for (const wchar_t* section : {L"Sect", L" sect\t", L"Absent"}) {
        const auto lines = plat::profileSection(file, tw::trimProfileName(section));
        for (const wchar_t* key : {L"key a", L"quoted", L"single", L"mixed", L"onlyquote", L"emptyq", L"inner",
                                   L"novalue", L"spaced key", L" Spaced Key ", L"\u00E4pfel", L"\u00C4pfel", L"k",
                                   L"lead", L"long", L"fits", L"exact", L"over", L"last", L"Other", L"absent"})
            EXPECT_EQ(tw::profileText(lines, key, L" Fallback  "), plat::profileRead(file, section, key, L" Fallback  "))
                << section << L" / " << key;
    }
}

}  // namespace
