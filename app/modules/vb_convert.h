// Text-to-value conversions with the rules of Visual Basic's CBool, CInt, CLng, CSng and CDbl, and
// the error numbers those raise, because stored settings and parsed pages were written for those
// rules. Unlike the originals they never consult the locale: the decimal point is always ".", the
// thousands separator always ",", and "True"/"False" are English, so a value written on one machine
// reads the same everywhere.
//
// Accepted numeric texts: blanks and tabs around the text; an optional sign; digits, with ","
// allowed between digits of the whole part (CInt("1,000") is 1000); an optional "." fraction; an
// optional exponent "e"/"E" with optional sign; or "&H" hex / "&O" (or "&" alone) octal digits.
// A hex or octal value up to &HFFFF is a 16-bit two's-complement number (&HFFFF is -1, as in VB),
// up to &HFFFFFFFF a 32-bit one; anything wider overflows.
#pragma once

#include "platform/wintypes.h"

#include <QString>

#include <exception>
#include <string>

namespace vb {

inline constexpr int kErrOverflow = 6;
inline constexpr int kErrTypeMismatch = 13;

// A run-time error as Visual Basic reports it: a number and its standard description.
class Error : public std::exception {
public:
    Error(int number, QString description);
    static Error overflow() { return Error(kErrOverflow, QStringLiteral("Overflow")); }
    static Error typeMismatch() { return Error(kErrTypeMismatch, QStringLiteral("Type mismatch")); }

    int number() const noexcept { return m_number; }
    const QString &description() const noexcept { return m_description; }
    const char *what() const noexcept override { return m_what.c_str(); }

private:
    int m_number;
    QString m_description;
    std::string m_what;
};

// CBool: "True"/"False" in any case (also "#TRUE#"/"#FALSE#"), or any numeric text, non-zero being
// True. Throws 13 for anything else (empty text included), 6 for a number beyond a Double.
bool toBoolean(const QString &text);

// CInt: 16-bit. Fractions round half to even ("2.5" is 2, "3.5" is 4). Throws 13 when the text is
// not numeric, 6 when the rounded value is outside -32768..32767.
SHORT toInteger(const QString &text);

// CLng: as toInteger, 32-bit.
LONG toLong(const QString &text);

// CSng: throws 6 when the magnitude exceeds a Single's range.
float toSingle(const QString &text);

// CDbl.
double toDouble(const QString &text);

// Trim: removes leading and trailing blanks (spaces only; tabs and line breaks stay).
QString trim(const QString &text);

// CStr of a Boolean: "True" or "False".
inline QString boolText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

// CStr of a Single: up to seven significant digits, no trailing zeros, "E+nn" for very large or
// small magnitudes ("4320", "4320.5", "1E+07").
QString singleText(float value);

} // namespace vb
