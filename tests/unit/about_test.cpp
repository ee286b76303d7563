// The About dialog's logic: pages found by their translated names, and the
// fixed texts of the three pages.
#include <gtest/gtest.h>

#include <string>

#include "about/AboutUnit.h"
#include "fake/fake.h"
#include "settings/VarUnit.h"

namespace {

using tw::AboutPage;

class About : public ::testing::Test {
protected:
    void SetUp() override {
        fake::reset();
        fake::addFile("C:\\Tools\\Tidewell\\Languages.ini",
                      "[Deutsch]\r\nAbout=Info\r\nDonate=Spenden\r\nContact=Kontakt\r\n"
                      "[Alike]\r\nDonate=About\r\nContact=About\r\n");
    }
};

TEST_F(About, PagesAreFoundByTheirTranslatedNamesAndTheFirstOfTwoAlikeWins) {
    EXPECT_EQ(tw::AboutPageOf(L"About"), AboutPage::About);
    EXPECT_EQ(tw::AboutPageOf(L"Donate"), AboutPage::Donate);
    EXPECT_EQ(tw::AboutPageOf(L"Contact"), AboutPage::Contact);
    EXPECT_EQ(tw::AboutPageOf(L"contact"), AboutPage::None) << "compared with case";
    EXPECT_EQ(tw::AboutPageOf(L""), AboutPage::None);

    tw::SetCurrentLanguageName(L"Deutsch");
    EXPECT_EQ(tw::AboutPageOf(L"Spenden"), AboutPage::Donate);
    EXPECT_EQ(tw::AboutPageOf(L"Kontakt"), AboutPage::Contact);
    EXPECT_EQ(tw::AboutPageOf(L"Donate"), AboutPage::None);

    tw::SetCurrentLanguageName(L"Alike");
    EXPECT_EQ(tw::AboutPageOf(L"About"), AboutPage::About);
}

TEST_F(About, EachPageHasItsOwnTextAndTheAboutPageNamesVersionAndBuildDate) {
    const std::wstring about = tw::AboutPageText(AboutPage::About, L"Dec  6 2026");
    EXPECT_NE(about.find(L"Tidewell 1.0"), std::wstring::npos);
    EXPECT_NE(about.find(L"Dec  6 2026"), std::wstring::npos);
    EXPECT_NE(about.find(L"own risk"), std::wstring::npos);
    // The Donate page is the language's invitation followed by the address.
    const std::wstring donate = tw::DonatePageText(L"Bitte spenden.");
    const std::wstring contact = tw::AboutPageText(AboutPage::Contact, L"");
    EXPECT_NE(contact.find(L'@'), std::wstring::npos);
    EXPECT_TRUE(donate.starts_with(L"Bitte spenden.\r\n"));
    EXPECT_NE(donate.find(L"https://tidewell.example.org/"), std::wstring::npos);
    EXPECT_EQ(tw::AboutPageText(AboutPage::None, L"x"), L"");
    // Multi-line edit controls break lines only at CR LF.
    for (const std::wstring& text : {about, donate, contact})
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == L'\n') {
                EXPECT_TRUE(i > 0 && text[i - 1] == L'\r');
            }
        }
}

TEST(AboutBuildDate, IsTheCommitsUtcDateWhenOneIsGivenElseTheCompilersDate) {
    const struct {
        const char* epoch;
        const wchar_t* shown;
    } cases[] = {
        {"951782400", L"Feb 29 2000"}, {"86399", L"Jan  1 1970"}, {"86400", L"Jan  2 1970"},
        {"1765065599", L"Dec  6 2025"}, {"", L"Jul  4 2001"}, {"17650x", L"Jul  4 2001"},
        {"-1", L"Jul  4 2001"},
    };
    for (const auto& c : cases) EXPECT_EQ(tw::BuildDateText(c.epoch, "Jul  4 2001"), c.shown) << c.epoch;
}

}  // namespace
