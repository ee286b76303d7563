// The language file: LoadLanguage with its English fallbacks and narrow
// places, LanguageText with the key as fallback, and the shipped Languages.ini.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "fake/fake.h"
#include "options/Language.h"
#include "platform/common.h"
#include "settings/VarUnit.h"

namespace {

const std::string kLanguages = "C:\\Tools\\Tidewell\\Languages.ini";
const std::string kSettings = "C:\\Tools\\Tidewell\\Tidewell.ini";

// The keys read only through LanguageText.
const std::vector<std::string> kTextOnlyKeys = {
    "About", "Donate", "Contact", "View log", "Remove log", "Restore backup", "Remove backup",
    "Cleaning", "Language", "Miscellaneous", "Remove Button"};

const std::map<tw::PageTree, std::vector<std::string>> kPageKeys = {
    {tw::PageTree::About, {"About", "Donate", "Contact"}},
    {tw::PageTree::Log, {"View log", "Remove log"}},
    {tw::PageTree::Backup, {"Restore backup", "Remove backup"}},
    {tw::PageTree::Options, {"Cleaning", "Language", "Miscellaneous"}},
};

struct Tree {
    tw::PageTree tree;
    std::vector<std::wstring> nodes;
    std::vector<std::wstring> children;
};

// Records what LoadLanguage hands to the windows.
class Recorder : public tw::LanguageTarget {
public:
    std::map<tw::Place, std::vector<std::wstring>> texts;
    std::vector<Tree> trees;

    void setText(tw::Place place, const std::wstring& text) override { texts[place].push_back(text); }
    void rebuildPageTree(tw::PageTree tree, const std::vector<std::wstring>& nodes,
                         const std::vector<std::wstring>& firstNodeChildren) override {
        trees.push_back({tree, nodes, firstNodeChildren});
    }
    std::wstring text(tw::Place place) const {
        auto it = texts.find(place);
        return it == texts.end() || it->second.empty() ? L"<unset>" : it->second.back();
    }
};

std::vector<std::uint8_t> utf16File(const std::wstring& text) {
    std::vector<std::uint8_t> bytes = {0xFF, 0xFE};
    for (char16_t u : tw::toUtf16(text)) {
        bytes.push_back(static_cast<std::uint8_t>(u & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(u >> 8));
    }
    return bytes;
}

std::vector<std::uint8_t> sourceFile(const std::string& relative) {
    std::ifstream in(std::string(TW_SOURCE_DIR) + "/" + relative, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// What a narrow place shows for a text.
std::wstring narrowed(const std::wstring& text) { return plat::ansiToWide(plat::wideToAnsi(text)); }

void setCurrentLanguage(const std::string& name) {
    fake::addFile(kSettings, "[Languages]\r\nCurrent=" + name + "\r\n");
}

class Language : public ::testing::Test {
protected:
    void SetUp() override { fake::reset(); }
};

TEST_F(Language, KeyTableCoversEveryPlaceOnce) {
    std::map<tw::Place, int> seen;
    std::set<std::string> keys;
    for (const tw::LanguageKey& row : tw::LanguageKeys()) {
        EXPECT_TRUE(keys.insert(tw::upperAscii(std::string(row.key))).second) << row.key;
        EXPECT_FALSE(row.places.empty()) << row.key;
        for (tw::Place place : row.places) ++seen[place];
    }
    for (int i = 0; i < static_cast<int>(tw::Place::Count); ++i)
        EXPECT_EQ(seen[static_cast<tw::Place>(i)], 1) << "place " << i;
    for (const std::string& key : kTextOnlyKeys) EXPECT_EQ(keys.count(tw::upperAscii(key)), 0u) << key;
}

TEST_F(Language, WithoutFileEverythingIsEnglish) {
    Recorder r;
    tw::LoadLanguage(L"Deutsch", r);
    for (const tw::LanguageKey& row : tw::LanguageKeys())
        for (tw::Place place : row.places) {
            ASSERT_EQ(r.texts[place].size(), 1u) << row.key;
            EXPECT_EQ(r.texts[place][0], row.english) << row.key;
        }

    ASSERT_EQ(r.trees.size(), 4u);
    const tw::PageTree order[] = {tw::PageTree::About, tw::PageTree::Log, tw::PageTree::Backup,
                                  tw::PageTree::Options};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(r.trees[i].tree, order[i]);
        std::vector<std::wstring> english;
        for (const std::string& key : kPageKeys.at(order[i])) english.push_back(plat::ansiToWide(key));
        EXPECT_EQ(r.trees[i].nodes, english);
        if (order[i] == tw::PageTree::Options)
            EXPECT_EQ(r.trees[i].children,
                      (std::vector<std::wstring>{L"AGEIA PhysX", L"ATi Display", L"Creative Sound",
                                                 L"Microsoft Mouse", L"NVIDIA Chipset",
                                                 L"NVIDIA Display", L"Realtek Sound"}));
        else
            EXPECT_TRUE(r.trees[i].children.empty());
    }
    EXPECT_EQ(tw::LanguageText("Remove Button"), L"Remove Button");
    EXPECT_EQ(tw::LanguageNames(), std::vector<std::wstring>{});
}

TEST_F(Language, PartialSectionMixesLanguagesAndEmptyValueEmptiesText) {
    fake::addFileBytes(kLanguages, utf16File(L"[Deutsch]\r\nLog=Protokoll\r\nOptions Title=\r\n"
                                             L"OK Button=\"  OK  \"\r\n"));
    Recorder r;
    tw::LoadLanguage(L"Deutsch", r);
    EXPECT_EQ(r.text(tw::Place::LogTitle), L"Protokoll");
    EXPECT_EQ(r.text(tw::Place::MenuLog), L"Protokoll");
    EXPECT_EQ(r.text(tw::Place::LogButtonHint), L"Protokoll");
    EXPECT_EQ(r.text(tw::Place::OptionsTitle), L"");
    EXPECT_EQ(r.text(tw::Place::BackupOK), L"  OK  ");
    EXPECT_EQ(r.text(tw::Place::OptionsCancel), L"Cancel");
    EXPECT_EQ(r.text(tw::Place::BackupTitle), L"Backup");
}

TEST_F(Language, SectionAndKeyNamesIgnoreCaseAndEmptyNameMeansEnglish) {
    fake::addFileBytes(kLanguages, utf16File(L"[english]\r\nmenu tools=Werkzeuge\r\nVIEW LOG=Logs\r\n"
                                             L"[Deutsch]\r\nMenu Tools=Extras\r\n"));
    Recorder r;
    tw::LoadLanguage(L"", r);
    EXPECT_EQ(r.text(tw::Place::MenuTools), L"Werkzeuge");
    EXPECT_EQ(r.trees.at(1).nodes.at(0), L"Logs");
    EXPECT_EQ(tw::LanguageText("View Log"), L"Logs");
    EXPECT_EQ(tw::LanguageNames(), (std::vector<std::wstring>{L"english", L"Deutsch"}));
}

TEST_F(Language, NarrowPlacesLoseWhatTheCodePageCannotHold) {
    const std::wstring title = L"Перезагрузка \u4E2D";  // not in a Western code page
    ASSERT_NE(narrowed(title), title);
    fake::addFileBytes(kLanguages, utf16File(L"[Test]\r\nRebootMessageTitle=" + title + L"\r\n"
                                             L"Close=" + title + L"\r\n"));
    Recorder r;
    tw::LoadLanguage(L"Test", r);
    EXPECT_EQ(r.text(tw::Place::RebootMessageTitle), narrowed(title));
    EXPECT_EQ(r.text(tw::Place::OptionsReboot), title);
    EXPECT_EQ(r.text(tw::Place::TrayExit), narrowed(title));
    EXPECT_EQ(r.text(tw::Place::MenuClose), title);
}

TEST_F(Language, LanguageTextFollowsTheSettingsFile) {
    fake::addFileBytes(kLanguages, utf16File(L"[English]\r\nCleaning=Cleanup\r\n"
                                             L"[Deutsch]\r\nCleaning=Bereinigung\r\nDonate=\r\n"));
    EXPECT_EQ(tw::LanguageText("Cleaning"), L"Cleanup");  // no settings file
    setCurrentLanguage("Deutsch");
    EXPECT_EQ(tw::LanguageText("Cleaning"), L"Bereinigung");
    EXPECT_EQ(tw::LanguageText("Donate"), L"");
    EXPECT_EQ(tw::LanguageText("Contact"), L"Contact");
    EXPECT_EQ(tw::LanguageText("Remove Button"), L"Remove Button");

    setCurrentLanguage("Klingon");
    EXPECT_EQ(tw::LanguageText("Cleaning"), L"Cleaning");
}

// Texts come from the language asked for; page names from the language in
// the settings file.
TEST_F(Language, PageNamesUseTheSettingsLanguage) {
    fake::addFileBytes(kLanguages, utf16File(L"[English]\r\nLog=Log\r\nAbout=About\r\n"
                                             L"[Deutsch]\r\nLog=Protokoll\r\nAbout=Info\r\n"));
    setCurrentLanguage("Deutsch");
    Recorder r;
    tw::LoadLanguage(L"English", r);
    EXPECT_EQ(r.text(tw::Place::LogTitle), L"Log");
    EXPECT_EQ(r.trees.at(0).nodes.at(0), L"Info");
}

TEST_F(Language, MalformedFilesFallBackToEnglish) {
    std::vector<std::vector<std::uint8_t>> files;
    files.push_back({});
    std::vector<std::uint8_t> garbage;
    for (unsigned i = 0; i < 8192; ++i) garbage.push_back(static_cast<std::uint8_t>((i * 2654435761u) >> 24));
    files.push_back(garbage);
    files.push_back({0xFF});
    std::string odd;
    for (int i = 0; i < 1000; ++i)
        odd += "[Other\r\n=\r\n]]\r\n==Log\r\n" + std::string(static_cast<std::size_t>(i % 97), '[') + "\n";
    files.push_back(std::vector<std::uint8_t>(odd.begin(), odd.end()));

    for (std::size_t n = 0; n < files.size(); ++n) {
        fake::reset();
        fake::addFileBytes(kLanguages, files[n]);
        fake::addFileBytes(kSettings, files[n]);
        Recorder r;
        tw::LoadLanguage(L"Deutsch", r);
        EXPECT_EQ(r.text(tw::Place::LogTitle), L"Log") << "file " << n;
        EXPECT_EQ(r.text(tw::Place::MenuTools), L"Tools") << "file " << n;
        EXPECT_EQ(tw::LanguageText("Cleaning"), L"Cleaning") << "file " << n;
    }
    // What precedes the cut of a truncated file is still read.
    fake::reset();
    std::vector<std::uint8_t> bytes = utf16File(L"[Deutsch]\r\nLog=Protokoll\r\nMenu Tools");
    bytes.pop_back();
    fake::addFileBytes(kLanguages, bytes);
    Recorder r;
    tw::LoadLanguage(L"Deutsch", r);
    EXPECT_EQ(r.text(tw::Place::LogTitle), L"Protokoll");
    EXPECT_EQ(r.text(tw::Place::MenuTools), L"Tools");
}

// ---- the shipped Languages.ini ----

class ShippedLanguages : public Language {
protected:
    void SetUp() override {
        Language::SetUp();
        bytes = sourceFile("resources/Languages.ini");
        ASSERT_GT(bytes.size(), 2u);
        fake::addFileBytes(kLanguages, bytes);
    }
    std::vector<std::uint8_t> bytes;
};

TEST_F(ShippedLanguages, IsUtf16WithBomAndCrLf) {
    ASSERT_EQ(bytes[0], 0xFF);
    ASSERT_EQ(bytes[1], 0xFE);
    ASSERT_EQ(bytes.size() % 2, 0u);
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        const unsigned unit = bytes[i] | (bytes[i + 1] << 8);
        if (unit == L'\n') {
            ASSERT_TRUE(i >= 4 && bytes[i - 2] == '\r' && bytes[i - 1] == 0) << "bare LF at " << i;
        }
    }
    EXPECT_EQ(tw::LanguageNames(), (std::vector<std::wstring>{L"English", L"Deutsch", L"Français"}));
}

TEST_F(ShippedLanguages, EverySectionHoldsEveryKey) {
    std::vector<std::string> keys = kTextOnlyKeys;
    for (const tw::LanguageKey& row : tw::LanguageKeys()) keys.push_back(row.key);
    const std::wstring missing = L"\x01missing";
    for (const std::wstring& section : tw::LanguageNames())
        for (const std::string& key : keys) {
            const std::wstring text = plat::profileRead(plat::ansiToWide(kLanguages), section,
                                                        plat::ansiToWide(key), missing);
            EXPECT_NE(text, missing) << key;
            EXPECT_FALSE(text.empty()) << key;
        }
}

TEST_F(ShippedLanguages, EnglishSectionMatchesBuiltInTexts) {
    Recorder builtIn;
    fake::reset();
    tw::LoadLanguage(L"English", builtIn);
    fake::addFileBytes(kLanguages, bytes);
    Recorder shipped;
    tw::LoadLanguage(L"English", shipped);
    EXPECT_EQ(shipped.texts, builtIn.texts);
    for (const std::string& key : kTextOnlyKeys) {
        const std::wstring expected = key == "Remove Button" ? L"Remove" : plat::ansiToWide(key);
        EXPECT_EQ(tw::LanguageText(key), expected);
    }
}

TEST_F(ShippedLanguages, PageNamesAreDistinctWithinEachTree) {
    for (const std::wstring& section : tw::LanguageNames()) {
        fake::addFile(kSettings, "[Languages]\r\nCurrent=" + plat::wideToAnsi(section) + "\r\n");
        for (const auto& [tree, keys] : kPageKeys) {
            std::set<std::wstring> names;
            for (const std::string& key : keys) names.insert(tw::LanguageText(key));
            EXPECT_EQ(names.size(), keys.size()) << plat::wideToAnsi(section) << " tree " << static_cast<int>(tree);
        }
        // The Backup dialog's button switches between these two texts.
        EXPECT_NE(tw::LanguageText("Restore Button"), tw::LanguageText("Remove Button"));
    }
}

TEST_F(ShippedLanguages, DeutschGivesGermanTexts) {
    setCurrentLanguage("Deutsch");
    Recorder r;
    tw::LoadLanguage(L"Deutsch", r);
    EXPECT_EQ(r.text(tw::Place::OptionsCancel), L"Abbrechen");
    EXPECT_EQ(r.text(tw::Place::OptionsApply), L"Übernehmen");
    EXPECT_EQ(r.text(tw::Place::TrayExit), L"Schließen");  // held by the Western code page
    EXPECT_EQ(r.trees.at(3).nodes, (std::vector<std::wstring>{L"Bereinigung", L"Sprache", L"Sonstiges"}));
    // Only a few words are the same in both languages.
    Recorder english;
    tw::LoadLanguage(L"English", english);
    int same = 0;
    for (const auto& [place, texts] : r.texts) same += texts == english.texts[place] ? 1 : 0;
    EXPECT_LT(same, 6);
}

}  // namespace
