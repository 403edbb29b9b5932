// The web shortcuts: handing a page or a mail address to the desktop, and the quick search. Every
// address is made from the site table (sites.h), so a sites file can point each one elsewhere.
#pragma once

#include <QString>

namespace mShortcuts {

// Opens `address` with the desktop's default action; the outcome is not checked.
void OpenInBrowser(const QString &address);
// Opens a new mail to `address` ("mailto:" + address).
void OpenMail(const QString &address);

// The search text as it goes into a query: UTF-8, percent-encoded except letters, digits and
// "-._~", each blank as "+", so "&", "#", "%" and "+" reach the site as text. O(length).
QString EncodeSearchText(const QString &text);

// The page a quick search for `text` opens for the eBayCountry `country`: the search query on the
// Australian search host for "Australia", the UK one for "United Kingdom" and "Ireland", the US one
// for anything else. A text of blanks only opens the country's advanced-search page instead of a
// query for nothing.
QString QuickSearchUrl(const QString &text, const QString &country);
void QuickSearch(const QString &text, const QString &country);

} // namespace mShortcuts
