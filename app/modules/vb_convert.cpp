#include "app/modules/vb_convert.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale.h>
#include <optional>

namespace vb {

Error::Error(int number, QString description)
    : m_number(number)
    , m_description(std::move(description))
    , m_what(std::to_string(number) + ' ' + m_description.toStdString())
{
}

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// A hex or octal text's value follows VB's literal rules: the narrowest of 16 and 32 bits that
// holds the digits, read as two's complement.
std::optional<double> parseRadix(QStringView digits, int radix)
{
    if (digits.isEmpty())
        return std::nullopt;
    quint64 value = 0;
    for (QChar c : digits) {
        const int d = c.isDigit()                          ? c.unicode() - '0'
            : (c.toLower() >= u'a' && c.toLower() <= u'f') ? c.toLower().unicode() - 'a' + 10
                                                           : 99;
        if (d >= radix)
            return std::nullopt;
        value = value * quint64(radix) + quint64(d);
        if (value > 0xFFFFFFFFull)
            throw Error::overflow();
    }
    if (value <= 0xFFFFu)
        return double(qint16(quint16(value)));
    return double(qint32(quint32(value)));
}

// Parses a whole text as a number. nullopt: not numeric (error 13); throws 6 beyond a Double.
std::optional<double> parseNumber(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    const QStringView s = QStringView(text).mid(begin, end - begin);
    if (s.isEmpty())
        return std::nullopt;

    if (s[0] == u'&') {
        if (s.size() >= 2 && (s[1] == u'h' || s[1] == u'H'))
            return parseRadix(s.mid(2), 16);
        if (s.size() >= 2 && (s[1] == u'o' || s[1] == u'O'))
            return parseRadix(s.mid(2), 8);
        return parseRadix(s.mid(1), 8);
    }

    // Copy into plain ASCII without thousands separators, checking the shape on the way.
    std::string ascii;
    ascii.reserve(size_t(s.size()));
    qsizetype i = 0;
    bool negative = false;
    if (s[i] == u'+' || s[i] == u'-') {
        negative = s[i] == u'-';
        ++i;
    }
    int mantissaDigits = 0;
    while (i < s.size() && (s[i].isDigit() || (s[i] == u',' && mantissaDigits > 0))) {
        if (s[i] != u',') {
            if (s[i].unicode() > '9')
                return std::nullopt; // a non-ASCII digit
            ascii += char(s[i].unicode());
            ++mantissaDigits;
        }
        ++i;
    }
    if (i < s.size() && s[i] == u'.') {
        ascii += '.';
        ++i;
        while (i < s.size() && s[i].unicode() >= '0' && s[i].unicode() <= '9') {
            ascii += char(s[i].unicode());
            ++mantissaDigits;
            ++i;
        }
    }
    if (mantissaDigits == 0)
        return std::nullopt;
    if (i < s.size() && (s[i] == u'e' || s[i] == u'E')) {
        ascii += 'e';
        ++i;
        if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
            ascii += char(s[i].unicode());
            ++i;
        }
        int exponentDigits = 0;
        while (i < s.size() && s[i].unicode() >= '0' && s[i].unicode() <= '9') {
            ascii += char(s[i].unicode());
            ++exponentDigits;
            ++i;
        }
        if (exponentDigits == 0)
            return std::nullopt;
    }
    if (i != s.size())
        return std::nullopt;

    double value = 0;
    const auto [ptr, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Too big or too small for a Double, told apart by the value itself (the digits may
        // outweigh the exponent's sign): strtod in the C locale gives infinity only when too big.
        static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
        if (cLocale && !std::isinf(strtod_l(ascii.c_str(), nullptr, cLocale)))
            return 0.0; // too small to tell from zero
        throw Error::overflow();
    }
    if (ec != std::errc() || ptr != ascii.data() + ascii.size())
        return std::nullopt;
    return negative ? -value : value;
}

double numberOrMismatch(const QString &text)
{
    const std::optional<double> value = parseNumber(text);
    if (!value)
        throw Error::typeMismatch();
    return *value;
}

// Rounds half to even, then range-checks, as the integer conversions do.
template <typename Int> Int roundToInt(double value)
{
    const double rounded = std::nearbyint(value); // the default rounding mode is to-nearest-even
    if (!(rounded >= double(std::numeric_limits<Int>::min()) &&
            rounded <= double(std::numeric_limits<Int>::max())))
        throw Error::overflow();
    return Int(rounded);
}

} // namespace

bool toBoolean(const QString &text)
{
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0 ||
        t.compare(QLatin1String("#TRUE#"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0 ||
        t.compare(QLatin1String("#FALSE#"), Qt::CaseInsensitive) == 0)
        return false;
    return numberOrMismatch(text) != 0.0;
}

SHORT toInteger(const QString &text)
{
    return roundToInt<SHORT>(numberOrMismatch(text));
}

LONG toLong(const QString &text)
{
    return roundToInt<LONG>(numberOrMismatch(text));
}

float toSingle(const QString &text)
{
    const double value = numberOrMismatch(text);
    if (std::fabs(value) > double(std::numeric_limits<float>::max()))
        throw Error::overflow();
    return float(value);
}

double toDouble(const QString &text)
{
    return numberOrMismatch(text);
}

QString trim(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.mid(begin, end - begin);
}

QString singleText(float value)
{
    if (value == 0.0f || !std::isfinite(value))
        return value == 0.0f ? QStringLiteral("0") : QString::number(double(value));
    // Seven significant digits, the precision a Single prints with; 'g' drops trailing zeros and
    // switches to an exponent outside 1e-5..1e7 much as VB does.
    char buffer[32];
    const auto [ptr, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 7);
    QString out = QString::fromLatin1(buffer, ec == std::errc() ? ptr - buffer : 0);
    out.replace(u'e', u'E');
    return out;
}

} // namespace vb
