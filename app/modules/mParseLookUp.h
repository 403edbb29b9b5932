// The cutting half of the item page look-ups: each takes the text of an item's page (the download
// is the caller's) and cuts one user ID out of a link on it. Linear in the page size; never fails.
#pragma once

#include "app/modules/mParseMarker.h"

#include <QString>

namespace mParse {

// The `requested` value of the first link after the "Seller (Rating)" heading, without the "&amp;"
// before "iid=". Empty when "iid=" is missing or the cut would run backwards; a page without the
// heading gives whatever the first such link on the page holds, as before.
QString LookUpSeller(const MarkedPage &itemPage);

// The `requested` value of the contact link that follows the ask-a-question link; empty under the
// same conditions as LookUpSeller.
QString LookUpHighBidder(const MarkedPage &itemPage);

// The seller's account in the page's PayPal payment link: the `business` value up to the character
// before "auction_type". Exactly "NA" when the page holds no "https://" at all; empty when it does
// but the cut cannot be made.
QString LookUpPayPalId(const MarkedPage &itemPage);

} // namespace mParse
