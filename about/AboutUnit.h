// The About dialog's decisions, without windows: which page the selected
// node of its tree stands for, and the three fixed page texts.
#pragma once

#include <string>

namespace tw {

enum class AboutPage { About, Donate, Contact, None };

// Compared, with case, with LanguageText of "About", "Donate" and "Contact"
// in this order: the first of two pages that translate alike wins; any other
// text (no node selected, say) is no page, and the page showing stays.
AboutPage AboutPageOf(const std::wstring& selectedNodeText);

// The fixed text of the About and Contact pages; empty for the others.
// `buildDate` is the compiler's __DATE__ of the program.
std::wstring AboutPageText(AboutPage page, const std::wstring& buildDate);

// The Donate page: the invitation of the current language (key "Donate
// Text"), then the address where donations are taken.
std::wstring DonatePageText(const std::wstring& invitation);

}  // namespace tw
