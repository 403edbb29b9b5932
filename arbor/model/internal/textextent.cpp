#include "arbor/model/internal/textextent.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QTextLayout>

#include <array>
#include <climits>
#include <memory>
#include <vector>

namespace arbor {

namespace {

constexpr int kFirst = 0x20;
constexpr int kCount = 0x7F - kFirst;
// Pair table entries that are not adjustments.
constexpr qint32 kUnknown = INT32_MIN;
constexpr qint32 kLigature = INT32_MIN + 1;
constexpr Qt::TextFlag kFlags = Qt::TextFlag(Qt::TextSingleLine | Qt::TextShowMnemonic);

// Qt's text positions are 26.6 fixed point, so sums of them in 1/64 pixels are exact.
qint32 fixed(qreal v)
{
    return static_cast<qint32>(qRound64(v * 64));
}

class FontSums {
public:
    explicit FontSums(const QFont &f);
    std::optional<QSize> extent(std::string_view text);

    const QFont font;

private:
    qint32 pair(int a, int b);

    QFontMetricsF m_metrics;
    bool m_usable = false;
    int m_height = 0;
    std::array<qint32, kCount> m_advance {};
    // How far a last character's ink reaches past its advance; Qt's bounding width includes it.
    std::array<qint32, kCount> m_overhang {};
    std::array<bool, kCount> m_inFont {};
    std::vector<qint32> m_pairs;
};

FontSums::FontSums(const QFont &f)
    : font(f)
    , m_metrics(f)
    , m_pairs(std::size_t(kCount) * kCount, kUnknown)
{
    if (f.letterSpacing() != 0 || f.wordSpacing() != 0 ||
        f.capitalization() != QFont::MixedCase)
        return;
    for (int i = 0; i < kCount; ++i) {
        const QChar c(kFirst + i);
        m_inFont[i] = m_metrics.inFont(c);
        m_advance[i] = fixed(m_metrics.horizontalAdvance(QString(c)));
        m_overhang[i] = std::max<qint32>(0, -fixed(m_metrics.rightBearing(c)));
    }
    // The sums must agree with Qt's own layout on texts with kerning, ligature candidates, digits,
    // spaces at either end and overhanging last letters, or the font is measured by Qt alone.
    static const char *const probes[] = { "x", "Item 12345", "AVA To Wa Ty.", "office affluent",
        "The quick brown fox jumps over the lazy dog", " 1,234.56 $ ", "f", "ij", "LT'V\"Y" };
    const QFontMetrics exact(f);
    m_usable = true;
    m_height = exact.boundingRect(QRect(), kFlags, QStringLiteral("x")).height();
    for (const char *p : probes) {
        const QSize want = exact.boundingRect(QRect(), kFlags, QString::fromLatin1(p)).size();
        const std::optional<QSize> got = extent(p);
        if (got && *got != want) {
            m_usable = false;
            return;
        }
    }
}

qint32 FontSums::pair(int a, int b)
{
    qint32 &slot = m_pairs[std::size_t(a) * kCount + b];
    if (slot == kUnknown) {
        const QChar chars[2] = { QChar(kFirst + a), QChar(kFirst + b) };
        const QString text(chars, 2);
        QTextLayout layout(text, font);
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        qsizetype glyphs = 0;
        for (const QGlyphRun &run : layout.glyphRuns())
            glyphs += run.glyphIndexes().size();
        slot = glyphs != 2
            ? kLigature
            : fixed(m_metrics.horizontalAdvance(text)) - m_advance[a] - m_advance[b];
    }
    return slot;
}

std::optional<QSize> FontSums::extent(std::string_view text)
{
    if (!m_usable || text.empty())
        return std::nullopt;
    qint64 width = 0;
    int prev = -1;
    for (const char ch : text) {
        const int c = static_cast<unsigned char>(ch) - kFirst;
        if (c < 0 || c >= kCount || ch == '&' || !m_inFont[c])
            return std::nullopt;
        width += m_advance[c];
        if (prev >= 0) {
            const qint32 adjust = pair(prev, c);
            if (adjust == kLigature)
                return std::nullopt;
            width += adjust;
        }
        prev = c;
    }
    width += m_overhang[prev];
    return QSize(static_cast<int>((std::max<qint64>(width, 0) + 63) / 64), m_height);
}

std::vector<std::unique_ptr<FontSums>> &cache()
{
    static std::vector<std::unique_ptr<FontSums>> fonts;
    return fonts;
}

FontSums *sumsFor(const QFont &font)
{
    static FontSums *last = nullptr;
    // Same shared font data compares in one step, so the control font is found at once.
    if (last && last->font == font)
        return last;
    auto &fonts = cache();
    for (const auto &s : fonts) {
        if (s->font == font)
            return last = s.get();
    }
    static const bool watching = [] {
        // A font added or removed can change what a family resolves to.
        if (qGuiApp)
            QObject::connect(qGuiApp, &QGuiApplication::fontDatabaseChanged, qGuiApp, [] {
                cache().clear();
                last = nullptr;
            });
        return true;
    }();
    (void)watching;
    constexpr std::size_t kMaxFonts = 16;
    if (fonts.size() >= kMaxFonts)
        fonts.erase(fonts.begin());
    fonts.push_back(std::make_unique<FontSums>(font));
    return last = fonts.back().get();
}

} // namespace

std::optional<QSize> fastSingleLineExtent(const QFont &font, std::string_view utf8)
{
    if (!qGuiApp || utf8.empty())
        return std::nullopt;
    return sumsFor(font)->extent(utf8);
}

} // namespace arbor
