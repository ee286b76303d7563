#include "about/AboutUnit.h"

#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>

#include "tw_version.h"

namespace tw {

std::wstring AboutPageText(AboutPage page, const std::wstring& buildDate, const std::wstring& bitness) {
    switch (page) {
    case AboutPage::About:
        return L"Tidewell " TW_VERSION_TEXT L"\r\n"
               L"Built " + buildDate + L"\r\n" + bitness + L"\r\n\r\n"
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

std::wstring BitnessText(const std::wstring& format, bool build64, bool system64) {
    std::wstring text;
    for (std::size_t i = 0; i < format.size(); ++i) {
        const wchar_t next = i + 1 < format.size() ? format[i + 1] : L'\0';
        if (format[i] == L'%' && (next == L'1' || next == L'2')) {
            text += (next == L'1' ? build64 : system64) ? L"64" : L"32";
            ++i;
        } else {
            text += format[i];
        }
    }
    return text;
}

std::wstring DonatePageText(const std::wstring& invitation) {
    return invitation + L"\r\n\r\nhttps://tidewell.example.org/donate";
}

std::wstring BuildDateText(std::string_view sourceDateEpoch, std::string_view compilerDate) {
    std::int64_t seconds = 0;
    const char* end = sourceDateEpoch.data() + sourceDateEpoch.size();
    const auto [stop, error] = std::from_chars(sourceDateEpoch.data(), end, seconds);
    if (sourceDateEpoch.empty() || error != std::errc() || stop != end || seconds < 0)
        return std::wstring(compilerDate.begin(), compilerDate.end());
    using namespace std::chrono;
    const year_month_day date{floor<days>(sys_seconds{std::chrono::seconds{seconds}})};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char text[32];
    std::snprintf(text, sizeof text, "%s %2u %d", kMonths[unsigned{date.month()} - 1],
                  unsigned{date.day()}, int{date.year()});
    return std::wstring(text, text + std::char_traits<char>::length(text));
}

}  // namespace tw
