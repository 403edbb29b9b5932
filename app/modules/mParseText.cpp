#include "app/modules/mParseText.h"

#include "platform/net/page_charset.h"

#include <QStringDecoder>

#include <array>
#include <bit>
#include <cstdint>
#include <string_view>

namespace mParse {

namespace {

// The cleaner's steps in their order; see the header.
struct Step {
    std::u16string_view find;
    std::u16string_view replaceWith;
};
constexpr std::array<Step, 25> kSteps { {
    { u"\"", u"" },
    { u"<span class=TextBold>", u"" },
    { u"</font>", u"" },
    { u"</span>", u"" },
    { u"<span>", u"" },
    { u"\n", u"" },
    { u"\r", u"" },
    { u"</b>", u"" },
    { u"<b>", u"" },
    { u"</B>", u"" },
    { u"<B>", u"" },
    { u"</i>", u"" },
    { u"<br", u"" },
    { u"\"", u"" },
    { u"<font color=#339933>", u"" },
    { u"<font color=#FF3300>", u"" },
    { u"<font size=2>", u"" },
    { u"<font size=2 color=#FF0000>", u"" },
    { u">", u"" },
    { u"color=#FF0000", u"" },
    { u"<span class=body", u"" },
    { u"&nbsp;", u" " },
    { u"&quot;", u"\"" },
    { u"Transactions.", u"" },
    { u"_0", u"" },
} };
constexpr int kStepCount = static_cast<int>(kSteps.size());
constexpr std::size_t kLongestPiece = 32;

// The steps run as one pipeline over the text instead of 25 passes: each step is a streaming
// matcher (Knuth-Morris-Pratt) holding the start of a possible match, and passes on what cannot be
// part of one, or its replacement after a match. That is exactly a left-to-right replace of
// non-overlapping matches applied step after step, since each step sees the finished output of
// the steps before it in order. A character goes straight to the output while no step holds a
// partial match and no piece starts with it, which is most of a page.
struct Pipeline {
    struct Tables {
        std::array<std::array<std::uint8_t, kLongestPiece + 1>, kStepCount> fail {};
        std::array<std::uint32_t, 128> startsWith {}; // steps whose piece starts with a character
        std::array<std::uint32_t, 128> secondIs {}; // steps whose piece goes on with a character
        std::uint32_t single = 0; // steps whose piece is one character
        // What a character does while no step holds anything: kDrop, kKeep or kDecide.
        std::array<std::uint8_t, 128> idle {};
    };
    static constexpr std::uint8_t kDrop = 0, kKeep = 1, kDecide = 2;
    static const Tables &tables()
    {
        static const Tables t = [] {
            Tables t;
            for (int s = 0; s < kStepCount; ++s) {
                const std::u16string_view p = kSteps[std::size_t(s)].find;
                t.startsWith[p[0]] |= 1u << s;
                if (p.size() > 1)
                    t.secondIs[p[1]] |= 1u << s;
                else
                    t.single |= 1u << s;
                auto &f = t.fail[std::size_t(s)];
                // f[q]: the longest proper border of the first q characters.
                std::size_t k = 0;
                for (std::size_t q = 1; q < p.size(); ++q) {
                    while (k > 0 && p[q] != p[k])
                        k = f[k];
                    if (p[q] == p[k])
                        ++k;
                    f[q + 1] = static_cast<std::uint8_t>(k);
                }
            }
            for (std::size_t c = 0; c < t.idle.size(); ++c) {
                const std::uint32_t r = t.startsWith[c];
                // A character whose first reacting step takes it alone and puts nothing back
                // (a quote mark, ">", a line break) is simply dropped.
                if (r == 0) {
                    t.idle[c] = kKeep;
                    continue;
                }
                const Step &first = kSteps[std::size_t(std::countr_zero(r))];
                t.idle[c] = first.find.size() == 1 && first.replaceWith.empty() ? kDrop : kDecide;
            }
            return t;
        }();
        return t;
    }

    explicit Pipeline(char16_t *out)
        : out(out)
        , t(tables())
    {
    }

    // Hands c to the first step from `stage` on that may react to it.
    void feed(int stage, char16_t c)
    {
        for (;;) {
            std::uint32_t react = active | (c < 128 ? t.startsWith[c] : 0u);
            react &= ~((1u << stage) - 1u);
            if (!react) {
                *out++ = c;
                return;
            }
            const int s = std::countr_zero(react);
            const std::u16string_view p = kSteps[std::size_t(s)].find;
            std::uint8_t &q = matched[std::size_t(s)];
            for (;;) {
                if (c == p[q]) {
                    if (++q < p.size()) {
                        active |= 1u << s;
                        return;
                    }
                    q = 0;
                    active &= ~(1u << s);
                    for (const char16_t r : kSteps[std::size_t(s)].replaceWith)
                        feed(s + 1, r);
                    return;
                }
                if (q == 0)
                    break;
                // The held characters that can no longer start a match move on; c is tried
                // again against the longest match still possible.
                const std::uint8_t k = t.fail[std::size_t(s)][q];
                const std::uint8_t release = q - k;
                q = k;
                if (q == 0)
                    active &= ~(1u << s);
                for (std::uint8_t i = 0; i < release; ++i)
                    feed(s + 1, p[i]);
            }
            stage = s + 1;
        }
    }

    // The end of the text: every step passes on what it holds, first to last.
    void finish()
    {
        for (int s = 0; s < kStepCount; ++s) {
            const std::uint8_t q = matched[std::size_t(s)];
            matched[std::size_t(s)] = 0;
            active &= ~(1u << s);
            for (std::uint8_t i = 0; i < q; ++i)
                feed(s + 1, kSteps[std::size_t(s)].find[i]);
        }
    }

    char16_t *out;
    const Tables &t;
    std::uint32_t active = 0; // steps holding a partial match
    std::array<std::uint8_t, kStepCount> matched {};
};

// Whether c, arriving while no step holds anything, passes every step untouched: each step whose
// piece starts with c is shown, by reading ahead in the text, to see a mismatch before any
// character that an earlier step might remove. False when that cannot be shown (a match, an
// earlier step's start character in the way, the end of the text); the pipeline decides then.
bool PassesUntouched(
    QStringView text, qsizetype i, std::uint32_t reacting, const Pipeline::Tables &t)
{
    const auto &startsWith = t.startsWith;
    // Mostly the very next character already differs from every piece c starts, and no step
    // before them starts with it. When no earlier step starts with it, only the pieces that go on
    // with it need a longer look ("</" of "</td>" leaves five of the thirteen pieces of "<").
    if (i + 1 < text.size() && !(reacting & t.single)) {
        const char16_t w = text[i + 1].unicode();
        if (w >= 128)
            return true;
        const std::uint32_t before = (1u << (31 - std::countl_zero(reacting))) - 1u;
        if (!(startsWith[w] & before)) {
            reacting &= t.secondIs[w];
            if (!reacting)
                return true;
        }
    }
    while (reacting) {
        const int s = std::countr_zero(reacting);
        reacting &= reacting - 1;
        const std::u16string_view p = kSteps[std::size_t(s)].find;
        const std::uint32_t earlier = (1u << s) - 1u;
        bool mismatch = false;
        for (std::size_t j = 1; j < p.size(); ++j) {
            if (i + qsizetype(j) >= text.size())
                return false;
            const char16_t w = text[i + qsizetype(j)].unicode();
            if (w < 128 && (startsWith[w] & earlier))
                return false;
            if (w != p[j]) {
                mismatch = true;
                break;
            }
        }
        if (!mismatch)
            return false;
    }
    return true;
}

} // namespace

QString CleanHtml(QStringView text)
{
    // No step lengthens the text, so the output fits the input's size.
    QString out(text.size(), Qt::Uninitialized);
    Pipeline pipe(reinterpret_cast<char16_t *>(out.data()));
    const auto &startsWith = pipe.t.startsWith;
    const auto &idle = pipe.t.idle;
    const char16_t *src = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char16_t c = src[i];
        if (pipe.active == 0) {
            // Kept and dropped characters without a branch on which: most of a page is either.
            char16_t *o = pipe.out;
            std::uint8_t what = c < 128 ? idle[c] : Pipeline::kKeep;
            while (what != Pipeline::kDecide) {
                *o = c;
                o += what;
                if (++i == n)
                    break;
                c = src[i];
                what = c < 128 ? idle[c] : Pipeline::kKeep;
            }
            pipe.out = o;
            if (i == n)
                break;
            if (PassesUntouched(text, i, startsWith[c], pipe.t)) {
                *pipe.out++ = c;
                continue;
            }
        }
        pipe.feed(0, c);
    }
    pipe.finish();
    out.truncate(pipe.out - reinterpret_cast<char16_t *>(out.data()));
    return out;
}

QByteArray DeclaredCharset(QByteArrayView page)
{
    return platform::net::DeclaredCharset(page);
}

QString FromWindows1252(QByteArrayView bytes)
{
    return platform::net::FromWindows1252(bytes);
}

QString DecodePage(QByteArrayView bytes, QByteArrayView charset)
{
    return platform::net::DecodePage(bytes, charset);
}

} // namespace mParse
