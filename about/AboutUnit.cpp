#include "about/AboutUnit.h"

#include "options/Language.h"

namespace tw {

AboutPage AboutPageOf(const std::wstring& selectedNodeText) {
    if (selectedNodeText == LanguageText("About")) return AboutPage::About;
    if (selectedNodeText == LanguageText("Donate")) return AboutPage::Donate;
    if (selectedNodeText == LanguageText("Contact")) return AboutPage::Contact;
    return AboutPage::None;
}

std::wstring AboutPageText(AboutPage page, const std::wstring& buildDate) {
    switch (page) {
    case AboutPage::About:
        return L"Tidewell 1.0\r\n"
               L"Built " + buildDate + L"\r\n\r\n"
               L"Tidewell removes the files, folders and registry entries that hardware "
               L"drivers leave behind after they have been uninstalled.\r\n\r\n"
               L"Use it at your own risk: it deletes system files and registry keys. "
               L"Turn on \"Create a backup\" in the options before cleaning if you may "
               L"want anything back.";
    case AboutPage::Contact:
        return L"Questions, suggestions and feedback are welcome:\r\n\r\n"
               L"tidewell@example.org\r\n\r\n"
               L"Please say which driver versions were installed and attach the log "
               L"of the cleaning run.";
    case AboutPage::Donate:  // from the language file: DonatePageText
    case AboutPage::None:
        break;
    }
    return {};
}

std::wstring DonatePageText(const std::wstring& invitation) {
    return invitation + L"\r\n\r\nhttps://tidewell.example.org/donate";
}

}  // namespace tw
