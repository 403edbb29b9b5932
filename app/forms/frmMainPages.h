// The eBay pages Toolbar1 opens for the chosen country. Kept in one look-up so that the site table
// (host names per country, overridable for tests) can take its place without touching the toolbar.
#pragma once

#include <QString>

namespace frmMainPages {

// The advanced-search page for `country` (compared exactly; unknown texts get the US site).
QString searchPage(const QString &country);
// The My eBay page while signed in, otherwise the country's home page.
QString myEbayPage(const QString &country, bool signedIn);

} // namespace frmMainPages
