// Single-line text sizes without shaping each text. Laying out a text through Qt costs microseconds
// (itemizing, shaping, line breaking), which made measuring every added item the whole cost of
// adding items to a shown tree. For printable ASCII the shaped width is the sum of per-character
// advances plus per-pair adjustments (kerning), so both are measured once per font through Qt
// itself and added up; a pair that Qt turns into one glyph (a ligature), any other character, and
// a font whose sums disagree with Qt on a set of probe texts all take Qt's own layout instead.
#pragma once

#include <QFont>
#include <QSize>

#include <optional>
#include <string_view>

namespace arbor {

// The size QFontMetrics(font).boundingRect(QRect(), Qt::TextSingleLine | Qt::TextShowMnemonic,
// text) gives, for a non-empty UTF-8 text of characters 0x20..0x7E other than '&'; nullopt for any
// other text or when the font cannot be summed. O(text length) after the first use of a pair of
// characters in a font. Fonts are cached process-wide and dropped when the font database changes;
// call only from the GUI thread.
std::optional<QSize> fastSingleLineExtent(const QFont &font, std::string_view utf8);

} // namespace arbor
