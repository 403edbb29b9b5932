// The cutting half of the item page look-ups: each takes the text of an item's page (the download
// is the caller's) and cuts one user ID out of a link on it. Linear in the page size; never fails.
//
// A look-up either finds every marker it needs and a value that can be an ID, or gives nothing:
// its result goes straight into an address, so a cut from a missing marker (a position near the
// top of the page) or a value that still holds markup must never pass for an ID.
#pragma once

#include "app/modules/mParseMarker.h"

#include <QString>

namespace mParse {

// The `requested` value of the first link after the "Seller (Rating)" heading: the text after
// "requested=" up to the first "&" ("&amp;" or a plain "&"), which must come before the link's
// "iid=". Empty when the heading, "requested=", "iid=" or the "&" is missing, or when the value
// holds a character no ID can hold (< > " ' blank, line break).
QString LookUpSeller(const MarkedPage &itemPage);

// The `requested` value of the contact link ("ReturnUserEmail") that follows the ask-a-question
// link, cut and refused like LookUpSeller's.
QString LookUpHighBidder(const MarkedPage &itemPage);

// The seller's account in the page's PayPal payment link: the text after "business" and the
// character that follows it, up to the first "&", which must come before "auction_type". Exactly
// "NA" when the page holds no "https://" at all; empty when it does but the cut cannot be made or
// the value holds a character no account can hold.
QString LookUpPayPalId(const MarkedPage &itemPage);

} // namespace mParse
