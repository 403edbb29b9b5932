// Realistic My eBay, item and PayPal account pages for one made-up account, built from a seed, with
// the calls the page readers must make for each (in the myebay-dump line format, recorder.h). No
// page of that era can be fetched any more; these follow the markers the readers search for, keep
// every stop marker after its start marker as real pages do, and carry the awkward content real
// pages had: quoted and entity-quoted titles, line breaks, "_0" identifiers, "--" prices, pictures
// in price cells, ended auctions, shaded cells. Used by the tests, the fixtures, the benchmarks and
// the sandbox web site.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace mypages {

struct GeneratedPage {
    QByteArray bytes; // as the server sends them, encoded in `charset`
    QByteArray charset; // what the page declares in its <meta> (and a server would send)
    QStringList calls; // what the readers must report, in call order
};

struct MyEbayOptions {
    quint32 seed = 1;
    int rowsPerSection = 4; // every one of the seven sections gets this many rows
    QString country = QStringLiteral("United States"); // "United Kingdom" prices in pounds
};

// A My eBay page with all seven sections in the site's order (bidding, won, didn't win, watching,
// selling, sold, unsold). `calls` lists what the parser reports when given options.country; rows
// past the 200-row cap are on the page but not in `calls`. Deterministic for a seed.
GeneratedPage myEbayPage(const MyEbayOptions &options);

// The item numbers myEbayPage puts on its page, in page order; item pages exist for each.
QStringList myEbayItems(const MyEbayOptions &options);

// An item page: seller, high bidder and, when `securePayPal`, a PayPal payment link over https.
// `calls` holds the SELLER, BIDDER and PAYPAL lines of the look-ups ("NA" without the link).
GeneratedPage itemPage(const QString &item, quint32 seed, bool securePayPal);

// A PayPal account overview with a balance and `activityRows` activity rows; `calls` holds the
// LINE lines of the two readers (the activity capped at 15).
GeneratedPage payPalAccountPage(quint32 seed, int activityRows);

} // namespace mypages
