// The marker idiom every page reader is written in: find a fixed text from a moving 1-based
// position, add a fixed offset, cut up to the next marker. Pages change under us, so a step that
// cannot be carried out (a search from position 0 or below, a cut with a negative length or a start
// below 1) is skipped and leaves its target as it was; nothing ever throws.
//
// Positions count Unicode characters (code points): the page is held as UTF-32, so an offset such
// as "+ 7" never lands inside a surrogate pair and "50 characters before" means characters.
#pragma once

#include <QString>
#include <QStringView>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mParse {

// One step's result: a position, or nothing when the step could not be carried out. Offsets added
// to a skipped step stay skipped, so `Set(p, page.Find(m, q) + 7)` leaves p alone when q < 1.
struct Pos {
    constexpr Pos(qint64 v = 0)
        : value(v)
    {
    } // NOLINT: positions read like plain integers
    constexpr Pos(qint64 v, bool d)
        : value(v)
        , done(d)
    {
    }
    qint64 value = 0;
    bool done = true;

    friend constexpr Pos operator+(Pos p, qint64 k) { return { p.value + k, p.done }; }
    friend constexpr Pos operator-(Pos p, qint64 k) { return { p.value - k, p.done }; }
};

// A cut of the page, or nothing when the cut could not be made.
using Cut = std::optional<QString>;

inline void Set(qint64 &target, Pos step)
{
    if (step.done)
        target = step.value;
}

inline void Set(QString &target, const Cut &cut)
{
    if (cut)
        target = *cut;
}

// The page text as the readers see it. Construction converts once (O(n)); the text is never copied
// or split afterwards.
class MarkedPage {
public:
    explicit MarkedPage(QStringView text);

    qint64 Length() const { return static_cast<qint64>(m_size); }

    // 1-based position of the first occurrence of `marker` at or after `from`; 0 when there is
    // none, when `from` lies past the end, or when the marker is empty. Skipped when `from` is
    // skipped or below 1. O(distance to the hit); a repeated search that is known to miss, or whose
    // answer is the last hit for that marker, costs O(1), so a row loop over a broken page stays
    // linear.
    Pos Find(std::u32string_view marker, Pos from) const;

    // Whether `marker` starts exactly at `at`, that is Find(marker, at) = at. Skipped (nullopt)
    // when `at` is skipped or below 1. O(marker length).
    std::optional<bool> StartsAt(std::u32string_view marker, Pos at) const;

    // Text(a, b): the characters from a up to, not including, b; cut short at the end of the page,
    // empty when a lies past it. Skipped when either position is skipped, a < 1 or b < a.
    // Every cut is a cell of a row, so at most kMaxCut characters are taken: a cell whose closing
    // marker is missing would otherwise run to the next one anywhere on the page, and a page of
    // such rows would copy and clean the rest of the page once per row.
    Cut Text(Pos from, Pos to) const;
    static constexpr qint64 kMaxCut = 4096;

private:
    struct Memo {
        std::u32string marker;
        // Where the caller's marker text was last seen: markers are mostly literals and the
        // readers' own sign strings, so an address match confirmed by one comparison is the
        // usual lookup.
        const char32_t *seenAt = nullptr;
        qint64 missFrom = 0; // searches from here on are known to miss (0: unknown)
        qint64 hitFrom = 0; // a search from [hitFrom, hit] returns hit
        qint64 hit = 0;
    };
    Memo &memoFor(std::u32string_view marker) const;

    // Buffers filled once without being cleared first: a page is converted in one pass.
    std::unique_ptr<char32_t[]> m_text;
    // The same characters one byte each, for the C library's vectorised searches: characters
    // above 0xFF and NUL become NUL, and markers holding either are searched in m_text instead.
    std::unique_ptr<char[]> m_bytes;
    std::size_t m_size = 0;
    std::u32string_view text() const { return { m_text.get(), m_size }; }
    mutable std::vector<Memo> m_memo;
    mutable std::size_t m_lastMemo = 0;
};

// The marker texts are ASCII or the currency sign; this gives the searchable form of any QString.
std::u32string ToMarker(QStringView text);

} // namespace mParse
