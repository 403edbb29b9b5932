// The two readers of the PayPal account overview page: the balance and the recent activity rows,
// added under the tree's PayPal branch. Marker search as in the My eBay parser; linear in the page
// size; nothing fails.
#pragma once

#include "app/modules/item_sink.h"
#include "app/modules/mParseMarker.h"

namespace mParse {

// At most this many activity lines are added.
inline constexpr int kMaxActivityRows = 15;

// Adds the line "Balance: " followed by the amount from the "$" after the second "_history" up to
// the next "</a>" (always "$", whatever the country). Adding is the step that cuts the amount, so
// when that cut cannot be made (a page without the second "_history" or without "$") no line is
// added.
void AddBalanceLine(const MarkedPage &accountPage, ItemTreeSink &tree);

// Adds one line per activity row between the second "Recent Activity" and "Mobile", at most
// kMaxActivityRows: date, type, name, ", $" amount, ", " status, ", " details link text.
void AddActivityLines(const MarkedPage &accountPage, ItemTreeSink &tree);

} // namespace mParse
