#include "app/modules/vb_convert.h"

#include <gtest/gtest.h>

#include <QLocale>

#include <clocale>
#include <functional>
#include <initializer_list>
#include <optional>
#include <ostream>
#include <variant>

using namespace Qt::Literals::StringLiterals;

namespace {

// The error number a conversion must raise.
struct Err {
    int number;
    bool operator==(const Err &) const = default;
};
void PrintTo(const Err &e, std::ostream *os)
{
    *os << "error " << e.number;
}

// Either the converted value or the error the conversion must raise.
template <typename T> using Outcome = std::variant<T, Err>;

template <typename T>
Outcome<T> run(const std::function<T(const QString &)> &convert, const QString &text)
{
    try {
        return convert(text);
    } catch (const vb::Error &e) {
        return Err { e.number() };
    }
}

constexpr Err kMismatch { vb::kErrTypeMismatch };
constexpr Err kOverflow { vb::kErrOverflow };

// Each text converted, against the value or error in its row.
template <typename T>
void check(
    T (*convert)(const QString &), std::initializer_list<std::pair<const char *, Outcome<T>>> cases)
{
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(run<T>(convert, QString::fromUtf8(text)), expected) << text;
}

TEST(VbConvert, BooleanTexts)
{
    const std::string huge = "1" + std::string(500, '0') + "e-10";
    const std::string tiny = "0." + std::string(400, '0') + "1e+10";
    check<bool>(vb::toBoolean,
        { { "tRuE", true }, { "FALSE", false }, { " True ", true }, { "#TRUE#", true },
            { "-1", true }, { "0.0", false }, { "0.5", true }, { "1e-400", false },
            { "", kMismatch }, { "Truee", kMismatch }, { "1e400", kOverflow },
            // Out of range by their digits, not their exponent's sign: 1e490 and 1e-391.
            { huge.c_str(), kOverflow }, { tiny.c_str(), false } });
}

TEST(VbConvert, IntegerTextsRoundHalfToEvenAndCheckRange)
{
    check<SHORT>(vb::toInteger,
        { { "32767", SHORT(32767) }, { "-32768", SHORT(-32768) }, { "32768", kOverflow },
            { "-32769", kOverflow }, { "2.5", SHORT(2) }, { "3.5", SHORT(4) },
            { "32767.5", kOverflow }, { "-32768.5", SHORT(-32768) }, { "\t7", SHORT(7) },
            { "1,000", SHORT(1000) }, { ".5", SHORT(0) }, { "&HFFFF", SHORT(-1) },
            { "&H10000", kOverflow }, { "&O17", SHORT(15) }, { "&H", kMismatch },
            { "   ", kMismatch }, { "12abc", kMismatch }, { "1e", kMismatch }, { ",5", kMismatch },
            { "\u0663", kMismatch }, { "1e999", kOverflow } });
    check<LONG>(vb::toLong,
        { { "2147483647", LONG(2147483647) }, { "2147483648", kOverflow },
            { "-2147483648", LONG(-2147483647 - 1) }, { "2147483647.5", kOverflow },
            { "&HFFFFFFFF", LONG(-1) }, { "&HFFFF", LONG(-1) }, { "&H100000000", kOverflow } });
    check<float>(vb::toSingle,
        { { "4320.5", 4320.5f }, { "-1.25e2", -125.0f }, { "3e38", 3e38f }, { "-1e39", kOverflow },
            { "7680px", kMismatch } });
}

// A German locale swaps the decimal and thousands separators and names the booleans differently;
// stored settings must read the same regardless.
TEST(VbConvert, IgnoresTheLocale)
{
    const QLocale previousQt;
    const std::string previousC = std::setlocale(LC_ALL, nullptr);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    std::setlocale(LC_ALL, "de_DE.UTF-8"); // where installed; the Qt default is changed regardless

    EXPECT_EQ(vb::toSingle(u"1.5"_s), 1.5f);
    EXPECT_EQ(vb::toInteger(u"1,5"_s), 15);
    EXPECT_EQ(vb::toInteger(u"2.5"_s), 2);
    EXPECT_EQ(vb::singleText(4320.5f), u"4320.5"_s);
    EXPECT_EQ(run<bool>(vb::toBoolean, u"Wahr"_s), Outcome<bool>(kMismatch));

    std::setlocale(LC_ALL, previousC.c_str());
    QLocale::setDefault(previousQt);
}

TEST(VbConvert, SingleTextReadsBackAsTheSameSingle)
{
    const std::pair<float, const char *> texts[] = { { 4320.5f, "4320.5" }, { -15.0f, "-15" },
        { 0.0f, "0" }, { 1e7f, "1E+07" }, { 1234567.0f, "1234567" } };
    for (const auto &[value, text] : texts) {
        EXPECT_EQ(vb::singleText(value), QString::fromLatin1(text)) << text;
        // Every text written for a window size reads back as the same Single.
        EXPECT_EQ(vb::toSingle(vb::singleText(value)), value) << text;
    }
}

} // namespace
