// The About dialog's decisions, without windows: which page the selected
// node of its tree stands for, and the three fixed page texts.
#pragma once

#include <string>
#include <string_view>

namespace tw {

// The pages, in the order of their nodes in the tree; None: no page (no
// node selected, say), and the page showing stays.
enum class AboutPage { About, Donate, Contact, None };

// The fixed text of the About and Contact pages; empty for the others.
// `buildDate` is the text of BuildDateText, `bitness` that of BitnessText.
std::wstring AboutPageText(AboutPage page, const std::wstring& buildDate, const std::wstring& bitness);

// The build's and the system's bitness as the About page names them: the
// language's text (key "About Bitness", "%1-bit build on %2-bit Windows")
// with %1 the build's bits and %2 the system's, "32" or "64".
std::wstring BitnessText(const std::wstring& format, bool build64, bool system64);

// The Donate page: the invitation of the current language (key "Donate
// Text"), then the address where donations are taken.
std::wstring DonatePageText(const std::wstring& invitation);

// The build date the About page shows, in the form of __DATE__ ("Dec  6 2026"):
// the UTC date of `sourceDateEpoch` (seconds since 1970 of the sources' commit)
// when it is a number, else `compilerDate`. Two builds of one commit so show
// the same date, whenever they are made.
std::wstring BuildDateText(std::string_view sourceDateEpoch, std::string_view compilerDate);

}  // namespace tw
