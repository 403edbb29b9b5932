#include "app/modules/mParseMarker.h"

#include <algorithm>
#include <bit>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace mParse {

namespace {

// The first occurrence of needle (at least two bytes) in hay. The page's markers are short and
// their first bytes common ("<", "c"), so sixteen positions are tested at once for the needle's
// first and last byte together, and only those candidates are compared in full.
const char *FindBytes(const char *hay, std::size_t n, const char *needle, std::size_t m)
{
    if (m > n)
        return nullptr;
    const std::size_t lastStart = n - m; // the last position a match can start at
    std::size_t i = 0;
#ifdef __SSE2__
    const __m128i first = _mm_set1_epi8(needle[0]);
    const __m128i last = _mm_set1_epi8(needle[m - 1]);
    for (; i + 16 <= lastStart + 1; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(hay + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(hay + i + m - 1));
        auto mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last))));
        while (mask) {
            const std::size_t at = i + static_cast<std::size_t>(std::countr_zero(mask));
            if (std::memcmp(hay + at + 1, needle + 1, m - 2) == 0)
                return hay + at;
            mask &= mask - 1;
        }
    }
#endif
    for (; i <= lastStart; ++i) {
        if (hay[i] == needle[0] && std::memcmp(hay + i + 1, needle + 1, m - 1) == 0)
            return hay + i;
    }
    return nullptr;
}

} // namespace

std::u32string ToMarker(QStringView text)
{
    // One pass without an intermediate list: this runs over the whole page once per download.
    const qsizetype n = text.size();
    const char16_t *src = text.utf16();
    std::u32string out(static_cast<std::size_t>(n), U'\0');
    char32_t *dst = out.data();
    // Pages rarely hold surrogates: look for one first, so the common case is a plain widening
    // loop the compiler vectorises.
    bool surrogates = false;
    for (qsizetype i = 0; i < n; ++i)
        surrogates |= (src[i] & 0xF800) == 0xD800;
    if (!surrogates) {
        for (qsizetype i = 0; i < n; ++i)
            dst[i] = src[i];
        return out;
    }
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t unit = src[i];
        if (QChar::isHighSurrogate(unit) && i + 1 < n && QChar::isLowSurrogate(src[i + 1])) {
            *dst++ = QChar::surrogateToUcs4(unit, src[i + 1]);
            ++i;
        } else {
            *dst++ = unit; // a lone surrogate counts as one character, as toUcs4 keeps it
        }
    }
    out.resize(static_cast<std::size_t>(dst - out.data()));
    return out;
}

MarkedPage::MarkedPage(QStringView page)
    : m_text(std::make_unique_for_overwrite<char32_t[]>(std::size_t(page.size()) + 1))
    , m_bytes(std::make_unique_for_overwrite<char[]>(std::size_t(page.size()) + 1))
{
    const qsizetype n = page.size();
    const char16_t *src = page.utf16();
    char32_t *wide = m_text.get();
    char *bytes = m_bytes.get();
    std::size_t out = 0;
    qsizetype i = 0;
#ifdef __SSE2__
    // Eight units at a time while they hold no surrogate: widen them, and keep the low byte of
    // those below 0x100 (zero for the rest).
    const __m128i zero = _mm_setzero_si128();
    const __m128i surrogateBits = _mm_set1_epi16(static_cast<short>(0xF800));
    const __m128i surrogate = _mm_set1_epi16(static_cast<short>(0xD800));
    while (i + 8 <= n) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i));
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(v, surrogateBits), surrogate)))
            break;
        _mm_storeu_si128(reinterpret_cast<__m128i *>(wide + out), _mm_unpacklo_epi16(v, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(wide + out + 4), _mm_unpackhi_epi16(v, zero));
        const __m128i narrow = _mm_and_si128(v, _mm_cmpeq_epi16(_mm_srli_epi16(v, 8), zero));
        _mm_storel_epi64(reinterpret_cast<__m128i *>(bytes + out), _mm_packus_epi16(narrow, zero));
        i += 8;
        out += 8;
    }
#endif
    while (i < n) {
        // Runs without surrogates convert in a plain loop.
        qsizetype end = i;
        while (end < n && (src[end] & 0xF800) != 0xD800)
            ++end;
        for (qsizetype k = i; k < end; ++k, ++out) {
            wide[out] = src[k];
            bytes[out] = src[k] <= 0xFF ? static_cast<char>(src[k]) : '\0';
        }
        if (end == n)
            break;
        char32_t c = src[end];
        i = end + 1;
        if (QChar::isHighSurrogate(src[end]) && i < n && QChar::isLowSurrogate(src[i]))
            c = QChar::surrogateToUcs4(src[end], src[i++]);
        wide[out] = c; // a lone surrogate counts as one character, as toUcs4 keeps it
        bytes[out++] = '\0';
    }
    m_size = out;
}

MarkedPage::Memo &MarkedPage::memoFor(std::u32string_view marker) const
{
    const auto same = [&](const Memo &m) {
        return m.marker.size() == marker.size() &&
            std::memcmp(m.marker.data(), marker.data(), marker.size() * sizeof(char32_t)) == 0;
    };
    // Readers search the same markers in the same order row after row, so the last marker and
    // the one after it are tried first, then every marker by address, then by text.
    const std::size_t n = m_memo.size();
    if (n > 0) {
        const std::size_t next = m_lastMemo + 1 < n ? m_lastMemo + 1 : 0;
        for (const std::size_t i : { m_lastMemo, next }) {
            if (m_memo[i].seenAt == marker.data() && same(m_memo[i])) {
                m_lastMemo = i;
                return m_memo[i];
            }
        }
        for (std::size_t i = 0; i < n; ++i) {
            if (m_memo[i].seenAt == marker.data() && same(m_memo[i])) {
                m_lastMemo = i;
                return m_memo[i];
            }
        }
        for (std::size_t i = 0; i < n; ++i) {
            if (same(m_memo[i])) {
                m_memo[i].seenAt = marker.data();
                m_lastMemo = i;
                return m_memo[i];
            }
        }
    }
    m_memo.push_back(Memo { std::u32string(marker), marker.data() });
    m_lastMemo = m_memo.size() - 1;
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

    const auto start = static_cast<std::size_t>(from.value - 1);
    std::size_t at = std::u32string_view::npos;
    if (std::all_of(marker.begin(), marker.end(), [](char32_t c) { return c != 0 && c <= 0xFF; })) {
        char narrow[64];
        const char *hay = m_bytes.get() + start;
        const std::size_t left = m_size - start;
        const void *hit = nullptr;
        if (marker.size() == 1) {
            hit = std::memchr(hay, static_cast<int>(marker[0]), left);
        } else if (marker.size() <= sizeof narrow) {
            for (std::size_t i = 0; i < marker.size(); ++i)
                narrow[i] = static_cast<char>(marker[i]);
            hit = FindBytes(hay, left, narrow, marker.size());
        } else {
            at = text().find(marker, start);
        }
        if (hit)
            at = static_cast<std::size_t>(static_cast<const char *>(hit) - m_bytes.get());
    } else {
        at = text().find(marker, start);
    }
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
    return text().substr(static_cast<std::size_t>(at.value - 1)).starts_with(marker);
}

Cut MarkedPage::Text(Pos from, Pos to) const
{
    if (!from.done || !to.done || from.value < 1 || to.value < from.value)
        return std::nullopt;
    if (from.value > Length())
        return QString();
    const qint64 end = std::min({ to.value, Length() + 1, from.value + kMaxCut });
    const char32_t *src = m_text.get() + (from.value - 1);
    const auto n = static_cast<qsizetype>(end - from.value);
    // Cuts of the basic plane narrow directly. The decoder's rules stay for the rest: a surrogate
    // code point or one beyond the plane, and a leading U+FEFF, which it drops as a byte order
    // mark.
    QString out(n, Qt::Uninitialized);
    char16_t *dst = reinterpret_cast<char16_t *>(out.data());
    char32_t odd = n > 0 && src[0] == 0xFEFF ? 0xD800 : 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char32_t c = src[i];
        // Nonzero for a surrogate code point or one beyond the plane.
        odd |= (c & ~char32_t(0xFFFF)) | ((c & 0xF800) == 0xD800 ? c : 0);
        dst[i] = static_cast<char16_t>(c);
    }
    return odd ? QString::fromUcs4(src, n) : out;
}

} // namespace mParse
