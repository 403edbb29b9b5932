#include "app/modules/mParseMarker.h"

#include <algorithm>

namespace mParse {

std::u32string ToMarker(QStringView text)
{
    // One pass without an intermediate list: this runs over the whole page once per download.
    std::u32string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t unit = text[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < n &&
            QChar::isLowSurrogate(text[i + 1].unicode())) {
            out.push_back(QChar::surrogateToUcs4(unit, text[i + 1].unicode()));
            ++i;
        } else {
            out.push_back(unit); // a lone surrogate counts as one character, as toUcs4 keeps it
        }
    }
    return out;
}

MarkedPage::MarkedPage(QStringView text)
    : m_text(ToMarker(text))
{
}

MarkedPage::Memo &MarkedPage::memoFor(std::u32string_view marker) const
{
    for (Memo &m : m_memo) {
        if (m.marker == marker)
            return m;
    }
    m_memo.push_back(Memo { std::u32string(marker) });
    return m_memo.back();
}

Pos MarkedPage::Find(std::u32string_view marker, Pos from) const
{
    if (!from.done || from.value < 1)
        return { 0, false };
    if (marker.empty() || from.value > Length())
        return 0;

    Memo &memo = memoFor(marker);
    if (memo.missFrom > 0 && from.value >= memo.missFrom)
        return 0;
    if (memo.hit > 0 && from.value >= memo.hitFrom && from.value <= memo.hit)
        return memo.hit;

    const std::u32string_view text(m_text);
    const std::size_t at = text.find(marker, static_cast<std::size_t>(from.value - 1));
    if (at == std::u32string_view::npos) {
        if (memo.missFrom == 0 || from.value < memo.missFrom)
            memo.missFrom = from.value;
        return 0;
    }
    const qint64 hit = static_cast<qint64>(at) + 1;
    memo.hitFrom = from.value;
    memo.hit = hit;
    return hit;
}

std::optional<bool> MarkedPage::StartsAt(std::u32string_view marker, Pos at) const
{
    if (!at.done || at.value < 1)
        return std::nullopt;
    if (marker.empty() || at.value > Length())
        return false;
    return std::u32string_view(m_text)
        .substr(static_cast<std::size_t>(at.value - 1))
        .starts_with(marker);
}

Cut MarkedPage::Text(Pos from, Pos to) const
{
    if (!from.done || !to.done || from.value < 1 || to.value < from.value)
        return std::nullopt;
    if (from.value > Length())
        return QString();
    const qint64 end = std::min({ to.value, Length() + 1, from.value + kMaxCut });
    return QString::fromUcs4(
        m_text.data() + (from.value - 1), static_cast<qsizetype>(end - from.value));
}

} // namespace mParse
