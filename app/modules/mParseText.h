// Text helpers of the page readers: the fixed cleaner that turns a cut fragment into the text shown
// in the tree, and the decoding of a downloaded page into characters.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace mParse {

// Deletes a fixed list of markup pieces and replaces "&nbsp;" and "&quot;", in a fixed order that
// is part of the behaviour: literal quote marks go first, so "&quot;" is the only quote that
// survives; every ">" goes, so an unknown tag stays as its text without the ">". Not an HTML
// converter: other entities and tags are left alone. Never fails; O(n) per step, 25 steps.
QString CleanHtml(QStringView text);

// The page-decoding rule shared with the transfer control (platform/net/page_charset.h).
// The charset a page declares in a <meta ... charset=NAME> within its first 4096 bytes, lower-case,
// or empty. Bounded: reads at most those bytes whatever the page.
QByteArray DeclaredCharset(QByteArrayView page);

// Decodes a page by `charset` (the transfer's Content-Type charset), else by the charset the page
// declares, else as Windows-1252. "iso-8859-1", "latin1" and "us-ascii" are read as Windows-1252,
// as browsers do; an unknown name falls back to Windows-1252 rather than losing the page.
QString DecodePage(QByteArrayView bytes, QByteArrayView charset = {});

// Windows-1252 bytes to text; the five unassigned bytes map to the C1 controls of the same value.
QString FromWindows1252(QByteArrayView bytes);

} // namespace mParse
