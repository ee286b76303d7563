// The Options dialog's logic against the fake: page identification, the
// Cleaning page's three-state boxes and click rule, the Miscellaneous and
// Language pages, and what Apply, OK, Cancel and closing store and apply.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "fake/fake.h"
#include "options/Language.h"
#include "options/OptionsUnit.h"
#include "platform/common.h"
#include "platform/platform.h"
#include "settings/VarUnit.h"

namespace {

using tw::CheckState;
using tw::MiscOption;
using tw::OptionsPage;
using tw::Phase;

const std::string kLanguages = "C:\\Tools\\Tidewell\\Languages.ini";
const std::string kSettings = "C:\\Tools\\Tidewell\\Tidewell.ini";

std::wstring stored(const wchar_t* section, const wchar_t* key) {
    return plat::profileRead(tw::SettingsFilePath(), section, key, L"<missing>");
}

// The dialog's windows as the handlers see them; records what they are told.
class FakeOptionsView : public tw::OptionsView, public tw::LanguageTarget {
public:
    std::wstring selected;
    std::optional<OptionsPage> page;
    std::optional<CheckState> files, registry;
    std::vector<std::pair<MiscOption, bool>> miscBoxes;
    std::optional<int> radio = 1;  // as left by an earlier showing
    tw::LanguageChoices languages;
    std::wstring listText;
    std::vector<std::string> events;
    std::optional<bool> tray;
    std::wstring optionsTitle;

    // tw::OptionsView
    std::wstring selectedNodeText() const override { return selected; }
    void showPage(OptionsPage p) override { page = p; }
    void setCleaningBox(Phase phase, CheckState state) override {
        (phase == Phase::Files ? files : registry) = state;
    }
    void setMiscBox(MiscOption option, bool checked) override { miscBoxes.emplace_back(option, checked); }
    void setRebootRadio(std::optional<int> index) override { radio = index; }
    void fillLanguages(const tw::LanguageChoices& choices) override {
        languages = choices;
        listText = choices.selected;
    }
    std::wstring languageListText() const override { return listText; }
    tw::LanguageTarget& languageWindows() override { return *this; }
    void expandFirstNode() override { events.push_back("expand"); }
    void setTrayVisible(bool visible) override {
        tray = visible;
        events.push_back(visible ? "tray on" : "tray off");
    }
    void hideDialog() override { events.push_back("hide"); }

    // tw::LanguageTarget: the Options tree is rebuilt as the window does it.
    void setText(tw::Place place, const std::wstring& text) override {
        if (place == tw::Place::OptionsTitle) {
            optionsTitle = text;
            events.push_back("language; Reboot stored as " + plat::wideToAnsi(stored(L"Reboot", L"Reboot")));
        }
    }
    void rebuildPageTree(tw::PageTree tree, const std::vector<std::wstring>& nodes,
                         const std::vector<std::wstring>&) override {
        if (tree != tw::PageTree::Options) return;
        selected = nodes.front();
        tw::ListViewItemsClick(*this);
    }

    void select(const std::wstring& node) {
        selected = node;
        tw::ListViewItemsClick(*this);
    }
    // A click on a Cleaning page box, toggling it as a two-state box does.
    void clickBox(Phase phase) {
        std::optional<CheckState>& box = phase == Phase::Files ? files : registry;
        box = tw::ToggledState(box.value_or(CheckState::Unchecked));
        tw::CleaningBoxClick(*this, phase, *box);
    }
};

void setAll(Phase phase, bool on) {
    for (const std::wstring& name : tw::OptionsTargetNodes()) *tw::TargetSwitch(name, phase) = on;
}

std::vector<std::wstring> switchesOn(Phase phase) {
    std::vector<std::wstring> on;
    for (const std::wstring& name : tw::OptionsTargetNodes())
        if (*tw::TargetSwitch(name, phase)) on.push_back(name);
    return on;
}

class Options : public ::testing::Test {
protected:
    void SetUp() override {
        fake::reset();
        fake::addFile(kLanguages,
                      "[English]\r\nOptions Title=Options\r\n"
                      "[Deutsch]\r\nOptions Title=Optionen\r\nCleaning=Bereinigung\r\n"
                      "Language=Sprache\r\nMiscellaneous=Verschiedenes\r\n"
                      "[Alike]\r\nLanguage=Cleaning\r\n"
                      "[espa\xF1ol]\r\nCleaning=Limpieza\r\n");
        tw::TVarUnit load;  // no settings file: defaults
        (void)load;
    }
    FakeOptionsView view;
};

TEST_F(Options, PagesAreFoundByTheirTranslatedNamesAndTheFirstOfTwoAlikeWins) {
    EXPECT_EQ(tw::OptionsPageOf(L"Cleaning"), OptionsPage::Cleaning);
    EXPECT_EQ(tw::OptionsPageOf(L"Language"), OptionsPage::Language);
    EXPECT_EQ(tw::OptionsPageOf(L"Miscellaneous"), OptionsPage::Miscellaneous);
    EXPECT_EQ(tw::OptionsPageOf(L"cleaning"), OptionsPage::Target) << "compared with case";

    tw::SetCurrentLanguageName(L"Deutsch");
    EXPECT_EQ(tw::OptionsPageOf(L"Sprache"), OptionsPage::Language);
    EXPECT_EQ(tw::OptionsPageOf(L"Language"), OptionsPage::Target);

    tw::SetCurrentLanguageName(L"Alike");
    EXPECT_EQ(tw::OptionsPageOf(L"Cleaning"), OptionsPage::Cleaning);
    view.select(L"Cleaning");  // the "Language" node: the Cleaning page shows
    EXPECT_EQ(view.page, OptionsPage::Cleaning);
    EXPECT_TRUE(view.languages.names.empty()) << "the language list was filled";
}

TEST_F(Options, CleaningNodeShowsEachPhaseCheckedGrayedOrUnchecked) {
    view.select(L"Cleaning");
    EXPECT_EQ(view.page, OptionsPage::Cleaning);
    EXPECT_EQ(view.files, CheckState::Checked);
    EXPECT_EQ(view.registry, CheckState::Checked);

    tw::RealtekSoundFiles = false;  // the last of the seven
    setAll(Phase::Registry, false);
    view.select(L"Cleaning");
    EXPECT_EQ(view.files, CheckState::Grayed);
    EXPECT_EQ(view.registry, CheckState::Unchecked);

    tw::AGEIAPhysXRegistry = true;  // the first of the seven
    view.select(L"Cleaning");
    EXPECT_EQ(view.registry, CheckState::Grayed);
}

TEST_F(Options, ClickOnGrayedBoxSwitchesAllOnThenAllOff) {
    tw::ATiDisplayFiles = false;
    view.select(L"Cleaning");
    ASSERT_EQ(view.files, CheckState::Grayed);

    view.clickBox(Phase::Files);
    EXPECT_EQ(view.files, CheckState::Checked);
    EXPECT_EQ(switchesOn(Phase::Files).size(), 7u);
    view.clickBox(Phase::Files);
    EXPECT_TRUE(switchesOn(Phase::Files).empty());
    EXPECT_EQ(switchesOn(Phase::Registry).size(), 7u) << "the other phase changed";

    // A box that was made grayed changes nothing.
    tw::CleaningBoxClick(view, Phase::Files, CheckState::Grayed);
    EXPECT_TRUE(switchesOn(Phase::Files).empty());
}

TEST_F(Options, TargetNodeShowsAndChangesOnlyThatTarget) {
    tw::NVIDIADisplayFiles = false;
    view.select(L"NVIDIA Display");
    EXPECT_EQ(view.page, OptionsPage::Cleaning);
    EXPECT_EQ(view.files, CheckState::Unchecked);
    EXPECT_EQ(view.registry, CheckState::Checked);

    view.clickBox(Phase::Registry);
    EXPECT_FALSE(tw::NVIDIADisplayRegistry);
    EXPECT_EQ(switchesOn(Phase::Registry).size(), 6u);
    EXPECT_FALSE(tw::NVIDIADisplayFiles) << "showing a target changed its switch";
    view.select(L"Cleaning");
    EXPECT_EQ(view.registry, CheckState::Grayed);

    // Target names are compared with case: any other name changes nothing.
    view.files = CheckState::Checked;
    view.registry = CheckState::Unchecked;
    EXPECT_FALSE(tw::ShowTarget(view, L"nvidia display"));
    EXPECT_EQ(view.files, CheckState::Checked);
    EXPECT_EQ(view.registry, CheckState::Unchecked);
}

TEST_F(Options, MiscellaneousPageShowsAndWritesEachSetting) {
    tw::SystemTray = true;
    tw::DeleteAtReboot = false;
    tw::RebootMode = 2;
    view.select(L"Miscellaneous");
    EXPECT_EQ(view.page, OptionsPage::Miscellaneous);
    ASSERT_EQ(view.miscBoxes.size(), std::size(tw::kMiscOptions));
    for (const auto& [option, checked] : view.miscBoxes)
        EXPECT_EQ(checked, tw::MiscSetting(option)) << static_cast<int>(option);
    EXPECT_EQ(view.radio, 2);

    // Every option has a variable of its own.
    for (MiscOption option : tw::kMiscOptions) tw::MiscellaneousBoxClick(option, false);
    for (MiscOption option : tw::kMiscOptions) {
        tw::MiscellaneousBoxClick(option, true);
        int on = 0;
        for (MiscOption other : tw::kMiscOptions) on += tw::MiscSetting(other) ? 1 : 0;
        EXPECT_EQ(on, 1) << static_cast<int>(option);
        tw::MiscellaneousBoxClick(option, false);
    }

    tw::RebootRadioClick(view, 1);
    EXPECT_EQ(tw::RebootMode, 1);
    EXPECT_EQ(view.radio, 1);
}

TEST_F(Options, RebootModeOutsideTheThreeChecksNoRadioAndIsKeptUntilChosen) {
    fake::addFile(kSettings, "[Reboot]\r\nReboot=5\r\n");
    tw::TVarUnit load;
    (void)load;
    view.select(L"Miscellaneous");
    EXPECT_EQ(view.radio, std::nullopt) << "a radio button still shows an earlier mode";
    tw::ButtonApplyClick(view);
    EXPECT_EQ(stored(L"Reboot", L"Reboot"), L"5");
}

TEST_F(Options, LanguagePageListsSortedSectionsWithTheCurrentSelected) {
    tw::SetCurrentLanguageName(L"deutsch");
    view.select(L"Sprache");
    EXPECT_EQ(view.page, OptionsPage::Language);
    const std::vector<std::wstring> sorted = {L"Alike", L"Deutsch", L"English",
                                              plat::ansiToWide("espa\xF1ol")};
    EXPECT_EQ(view.languages.names, sorted);
    EXPECT_EQ(view.languages.selected, L"Deutsch");

    tw::SetCurrentLanguageName(L"Klingon");
    view.select(L"Language");
    EXPECT_EQ(view.languages.selected, L"");
}

TEST_F(Options, ApplyStoresFromAnyPageButAppliesTrayOnlyOnMiscellaneous) {
    tw::ATiDisplayFiles = false;
    tw::SystemTray = true;
    view.select(L"Cleaning");
    tw::ButtonApplyClick(view);
    EXPECT_EQ(stored(L"ATi Display", L"Files"), L"0");
    EXPECT_EQ(stored(L"SystemTray", L"Enabled"), L"1");
    EXPECT_EQ(view.tray, std::nullopt);

    tw::SystemTray = false;
    view.select(L"Miscellaneous");
    tw::ButtonApplyClick(view);
    EXPECT_EQ(stored(L"SystemTray", L"Enabled"), L"0");
    EXPECT_EQ(view.tray, false);
    EXPECT_TRUE(view.events.empty() || view.events.back() != "hide") << "Apply closed the dialog";
}

TEST_F(Options, ApplyOnLanguagePageStoresFirstThenLoadsLanguageAndReturnsToCleaning) {
    tw::RebootMode = 2;
    view.select(L"Language");
    view.listText = L"Deutsch";
    tw::ButtonApplyClick(view);
    EXPECT_EQ(stored(L"Languages", L"Current"), L"Deutsch");
    EXPECT_EQ(view.optionsTitle, L"Optionen");
    EXPECT_EQ(view.selected, L"Bereinigung");
    EXPECT_EQ(view.page, OptionsPage::Cleaning);
    const std::vector<std::string> order = {"language; Reboot stored as 2", "expand"};
    EXPECT_EQ(view.events, order);

    // An empty list stores nothing, yet the first node is expanded.
    view.events.clear();
    view.select(L"Sprache");
    view.listText.clear();
    tw::ButtonApplyClick(view);
    EXPECT_EQ(stored(L"Languages", L"Current"), L"Deutsch");
    EXPECT_EQ(view.events, std::vector<std::string>{"expand"});

    // A language chosen on the Language page is not applied from another page.
    view.select(L"Sprache");
    view.listText = L"English";
    view.select(L"Verschiedenes");
    tw::ButtonOKClick(view);
    EXPECT_EQ(stored(L"Languages", L"Current"), L"Deutsch");
}

TEST_F(Options, CancelAndEveryCloseDropWhatWasNotApplied) {
    view.select(L"Miscellaneous");
    tw::MiscellaneousBoxClick(MiscOption::Backup, true);
    tw::RebootRadioClick(view, 2);
    tw::ButtonApplyClick(view);  // stored
    tw::MiscellaneousBoxClick(MiscOption::LogFiles, false);
    tw::MicrosoftMouseRegistry = false;
    tw::ButtonCancelClick(view);
    EXPECT_TRUE(tw::LogFiles);
    EXPECT_TRUE(tw::MicrosoftMouseRegistry);
    EXPECT_TRUE(tw::BackupEnabled);
    EXPECT_EQ(tw::RebootMode, 2);
    EXPECT_EQ(view.events.back(), "hide");

    // Esc and the close box take the same way.
    tw::DeleteAtReboot = false;
    tw::OptionsFormClose(view);
    EXPECT_TRUE(tw::DeleteAtReboot);

    // OK stores, then closes; the delete-at-reboot choice survives the reload.
    tw::DeleteAtReboot = false;
    view.select(L"Cleaning");
    tw::ButtonOKClick(view);
    EXPECT_FALSE(tw::DeleteAtReboot);
    EXPECT_EQ(stored(L"DeleteReboot", L"Enabled"), L"0");
    EXPECT_EQ(view.events.back(), "hide");
}

TEST_F(Options, RefusedSettingsWriteKeepsTheDialogOpen) {
    fake::setFault(kSettings, fake::Fault::WriteFails);
    tw::LogFiles = false;
    view.select(L"Cleaning");
    EXPECT_THROW(tw::ButtonOKClick(view), tw::AppError);
    EXPECT_TRUE(view.events.empty()) << "closed although nothing was stored";
    EXPECT_FALSE(tw::LogFiles) << "the working copy was thrown away";
}

}  // namespace
