// The Options dialog's handlers: its pages found by their translated names,
// the Cleaning page's three-state boxes and clicks, the Miscellaneous and
// Language pages, and what Apply, OK, Cancel and closing store and apply.
#include "faults.h"
#include "options/OptionsUnit.h"
#include "program_folder.h"

namespace {

using tw::CheckState;
using tw::OptionsPage;
using tw::Phase;
using Texts = std::vector<std::wstring>;

std::wstring stored(const wchar_t* section, const wchar_t* key) {
    return plat::profileRead(tw::SettingsFilePath(), section, key, L"<missing>");
}

// The dialog's windows as the handlers see them; records what they are told.
class View : public tw::OptionsView, public tw::LanguageTarget {
public:
    std::wstring selected, listText, optionsTitle;
    std::optional<OptionsPage> page;
    std::optional<CheckState> files, registry;
    std::vector<std::pair<tw::MiscOption, bool>> miscBoxes;
    std::optional<int> radio = 1;  // as an earlier showing left it
    tw::LanguageChoices languages;
    std::vector<std::string> events;
    std::optional<bool> tray;

    std::wstring selectedNodeText() const override { return selected; }
    void showPage(OptionsPage p) override { page = p; }
    void setCleaningBox(Phase phase, CheckState state) override { (phase == Phase::Files ? files : registry) = state; }
    void setMiscBox(tw::MiscOption option, bool checked) override { miscBoxes.emplace_back(option, checked); }
    void setRebootRadio(std::optional<int> index) override { radio = index; }
    void fillLanguages(const tw::LanguageChoices& choices) override { languages = choices, listText = choices.selected; }
    std::wstring languageListText() const override { return listText; }
    tw::LanguageTarget& languageWindows() override { return *this; }
    void expandFirstNode() override { events.push_back("expand"); }
    void setTrayVisible(bool visible) override { tray = visible; }
    void hideDialog() override { events.push_back("hide"); }
    void setText(tw::Place place, const std::wstring& text) override {
        if (place != tw::Place::OptionsTitle) return;
        optionsTitle = text;
        events.push_back("language, Reboot stored as " + dialogs::narrow(stored(L"Reboot", L"Reboot")));
    }
    // The Options tree is rebuilt as the window does it: first node selected.
    void rebuildPageTree(tw::PageTree tree, const Texts& nodes, const Texts&) override {
        if (tree == tw::PageTree::Options) select(nodes.front());
    }
    void select(const std::wstring& node) {
        selected = node;
        tw::ListViewItemsClick(*this);
    }
    // A click on a two-state box of the Cleaning page.
    void click(Phase phase) {
        std::optional<CheckState>& box = phase == Phase::Files ? files : registry;
        box = tw::ToggledState(box.value_or(CheckState::Unchecked));
        tw::CleaningBoxClick(*this, phase, *box);
    }
};

std::vector<bool> switches(Phase phase) {
    std::vector<bool> on;
    for (const std::wstring& name : tw::OptionsTargetNodes()) on.push_back(*tw::TargetSwitch(name, phase));
    return on;
}
void setSwitches(Phase phase, std::vector<bool> on) {
    for (std::size_t i = 0; i < on.size(); ++i) *tw::TargetSwitch(tw::OptionsTargetNodes()[i], phase) = on[i];
}

class OptionsDialog : public dialogs::ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        languages(L"[English]\r\nOptions Title=Options\r\n[Deutsch]\r\nOptions Title=Optionen\r\n"
                  L"Cleaning=Bereinigung\r\nLanguage=Sprache\r\nMiscellaneous=Verschiedenes\r\n"
                  L"[Alike]\r\nLanguage=Cleaning\r\n[espa\u00f1ol]\r\nCleaning=Limpieza\r\n");
        tw::TVarUnit load;
    }
    View view;
};

TEST_F(OptionsDialog, PagesAreFoundByTheirTranslatedNamesWithCaseAndTheFirstOfTwoAlikeWins) {
    const struct {
        const wchar_t *language, *node;
        OptionsPage page;
    } cases[] = {
        {L"English", L"Cleaning", OptionsPage::Cleaning},  {L"English", L"Language", OptionsPage::Language},
        {L"English", L"Miscellaneous", OptionsPage::Miscellaneous}, {L"English", L"cleaning", OptionsPage::Target},
        {L"Deutsch", L"Sprache", OptionsPage::Language},   {L"Deutsch", L"Language", OptionsPage::Target},
        {L"Alike", L"Cleaning", OptionsPage::Cleaning},
    };
    for (const auto& c : cases) {
        tw::SetCurrentLanguageName(c.language);
        EXPECT_EQ(tw::OptionsPageOf(c.node), c.page) << dialogs::narrow(c.node);
    }
}

TEST_F(OptionsDialog, EachPhaseShowsCheckedGrayedOrUnchecked) {
    const struct {
        std::vector<bool> on;
        CheckState shown;
    } cases[] = {
        {{1, 1, 1, 1, 1, 1, 1}, CheckState::Checked},  {{1, 1, 1, 1, 1, 1, 0}, CheckState::Grayed},
        {{0, 1, 1, 1, 1, 1, 1}, CheckState::Grayed},   {{1, 0, 0, 0, 0, 0, 0}, CheckState::Grayed},
        {{0, 0, 0, 0, 0, 0, 0}, CheckState::Unchecked},
    };
    for (const auto& c : cases) {
        setSwitches(Phase::Files, c.on);
        setSwitches(Phase::Registry, {1, 1, 1, 1, 1, 1, 1});
        view.select(L"Cleaning");
        EXPECT_EQ(view.page, OptionsPage::Cleaning);
        EXPECT_EQ(view.files, c.shown) << ::testing::PrintToString(c.on);
        EXPECT_EQ(view.registry, CheckState::Checked);
    }
}

// The box of a phase whose switches are mixed: a grayed state changes none of
// them, a click turns all on, the next all off, and the other phase stays.
TEST_F(OptionsDialog, ClicksOnTheCleaningNodeFromAMixedState) {
    const std::vector<bool> mixed = {1, 0, 1, 1, 0, 1, 1}, registry = {0, 1, 0, 0, 1, 1, 0};
    setSwitches(Phase::Files, mixed);
    setSwitches(Phase::Registry, registry);
    view.select(L"Cleaning");
    ASSERT_EQ(view.files, CheckState::Grayed);
    tw::CleaningBoxClick(view, Phase::Files, CheckState::Grayed);
    EXPECT_EQ(switches(Phase::Files), mixed);
    view.click(Phase::Files);
    EXPECT_EQ(switches(Phase::Files), std::vector<bool>(7, true));
    view.click(Phase::Files);
    EXPECT_EQ(switches(Phase::Files), std::vector<bool>(7, false));
    EXPECT_EQ(switches(Phase::Registry), registry);
}

TEST_F(OptionsDialog, ATargetNodeShowsAndChangesOnlyThatTarget) {
    tw::NVIDIADisplayFiles = false;
    view.select(L"NVIDIA Display");
    EXPECT_EQ(view.page, OptionsPage::Cleaning);
    EXPECT_EQ(view.files, CheckState::Unchecked);
    EXPECT_EQ(view.registry, CheckState::Checked);
    view.click(Phase::Registry);
    EXPECT_EQ(switches(Phase::Registry), (std::vector<bool>{1, 1, 1, 1, 1, 0, 1}));
    EXPECT_FALSE(tw::NVIDIADisplayFiles);
    EXPECT_FALSE(tw::ShowTarget(view, L"nvidia display")) << "names are compared with case";
}

TEST_F(OptionsDialog, MiscellaneousPageShowsAndSetsEachOptionAndTheRebootRadio) {
    tw::SystemTray = true;
    tw::DeleteAtReboot = false;
    tw::RebootMode = 2;
    view.select(L"Miscellaneous");
    EXPECT_EQ(view.page, OptionsPage::Miscellaneous);
    ASSERT_EQ(view.miscBoxes.size(), std::size(tw::kMiscOptions));
    for (const auto& [option, checked] : view.miscBoxes) EXPECT_EQ(checked, tw::MiscSetting(option));
    EXPECT_EQ(view.radio, 2);
    for (tw::MiscOption option : tw::kMiscOptions) tw::MiscellaneousBoxClick(option, false);
    for (tw::MiscOption option : tw::kMiscOptions) {  // every option has a variable of its own
        tw::MiscellaneousBoxClick(option, true);
        int on = 0;
        for (tw::MiscOption other : tw::kMiscOptions) on += tw::MiscSetting(other);
        EXPECT_EQ(on, 1) << static_cast<int>(option);
        tw::MiscellaneousBoxClick(option, false);
    }
    tw::RebootRadioClick(view, 1);
    EXPECT_EQ(tw::RebootMode, 1);
    EXPECT_EQ(view.radio, 1);

    settings("[Reboot]\r\nReboot=5\r\n");  // no radio for it, kept until one is chosen
    tw::TVarUnit load;
    view.select(L"Miscellaneous");
    EXPECT_EQ(view.radio, std::nullopt);
    tw::ButtonApplyClick(view);
    EXPECT_EQ(stored(L"Reboot", L"Reboot"), L"5");
}

TEST_F(OptionsDialog, LanguagePageListsTheSectionsSortedWithTheCurrentOneSelected) {
    tw::SetCurrentLanguageName(L"deutsch");
    view.select(L"Sprache");
    EXPECT_EQ(view.page, OptionsPage::Language);
    EXPECT_EQ(view.languages.names, (Texts{L"Alike", L"Deutsch", L"English", L"espa\u00f1ol"}));
    EXPECT_EQ(view.languages.selected, L"Deutsch");
    tw::SetCurrentLanguageName(L"Klingon");
    view.select(L"Language");
    EXPECT_EQ(view.languages.selected, L"");
}

TEST_F(OptionsDialog, ApplyStoresFromAnyPageAndAppliesThePageShowing) {
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
    EXPECT_EQ(view.tray, false);

    // On the Language page: stored first, then the language, back on Cleaning.
    tw::RebootMode = 2;
    view.select(L"Language");
    view.listText = L"Deutsch";
    tw::ButtonApplyClick(view);
    EXPECT_EQ(stored(L"Languages", L"Current"), L"Deutsch");
    EXPECT_EQ(view.optionsTitle, L"Optionen");
    EXPECT_EQ(view.selected, L"Bereinigung");
    EXPECT_EQ(view.page, OptionsPage::Cleaning);
    EXPECT_EQ(view.events, (std::vector<std::string>{"language, Reboot stored as 2", "expand"}));
    // An empty list stores nothing; a choice is not applied from another page.
    view.events.clear();
    view.select(L"Sprache");
    view.listText.clear();
    tw::ButtonApplyClick(view);
    EXPECT_EQ(view.events, std::vector<std::string>{"expand"});
    view.listText = L"English";
    view.select(L"Verschiedenes");
    tw::ButtonOKClick(view);
    EXPECT_EQ(stored(L"Languages", L"Current"), L"Deutsch");
}

TEST_F(OptionsDialog, CancelAndEveryCloseDropWhatWasNotAppliedAndARefusedSaveKeepsItOpen) {
    view.select(L"Miscellaneous");
    tw::MiscellaneousBoxClick(tw::MiscOption::Backup, true);
    tw::RebootRadioClick(view, 2);
    tw::ButtonApplyClick(view);
    tw::MiscellaneousBoxClick(tw::MiscOption::LogFiles, false);
    tw::MicrosoftMouseRegistry = false;
    tw::ButtonCancelClick(view);
    EXPECT_TRUE(tw::LogFiles && tw::MicrosoftMouseRegistry && tw::BackupEnabled);
    EXPECT_EQ(tw::RebootMode, 2);
    EXPECT_EQ(view.events.back(), "hide");
    tw::DeleteAtReboot = false;
    tw::OptionsFormClose(view);
    EXPECT_TRUE(tw::DeleteAtReboot);
    tw::DeleteAtReboot = false;  // OK stores it, then closes
    tw::ButtonOKClick(view);
    EXPECT_FALSE(tw::DeleteAtReboot);

    view.events.clear();
    faults::fail(faults::Call::WriteFile, dialogs::narrow(tw::SettingsFilePath()));
    tw::LogFiles = false;
    EXPECT_THROW(tw::ButtonOKClick(view), tw::AppError);
    EXPECT_TRUE(view.events.empty()) << "closed although nothing was stored";
    EXPECT_FALSE(tw::LogFiles);
}

}  // namespace
