#include "platform/com/internal/varconvert.h"

#include "platform/com/dispatch.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include <locale.h>

namespace platform::com::detail {

namespace {

// Number text is always the invariant form, '.' for the decimal point, whatever locale the
// process runs in: Qt programs switch the C library to the user's, where strtod and printf would
// read and write a comma. Switches this thread to the C numeric rules for the scope.
class InvariantNumbers {
public:
    InvariantNumbers() noexcept
        : m_previous(cNumeric() ? uselocale(cNumeric()) : static_cast<locale_t>(nullptr))
    {
    }
    ~InvariantNumbers()
    {
        if (m_previous)
            uselocale(m_previous);
    }
    InvariantNumbers(const InvariantNumbers &) = delete;
    InvariantNumbers &operator=(const InvariantNumbers &) = delete;

private:
    static locale_t cNumeric() noexcept
    {
        static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
        return c;
    }
    locale_t m_previous;
};

constexpr double kMinDate = -657434.0; // 1 January 100
constexpr double kMaxDate = 2958466.0; // just past 31 December 9999
constexpr int kMaxValueDepth = 4; // DISPID_VALUE members returning objects
constexpr std::size_t kMaxNumberText = 4096; // longer text is never a number worth reading

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

Number numberWith(Number::Kind kind, LONGLONG i, ULONGLONG u = 0, double r = 0)
{
    return Number { kind, i, u, r };
}

std::optional<Number> numberOf(const VARIANT &v)
{
    switch (v.vt) {
    case VT_EMPTY:
        return numberWith(Number::Signed, 0);
    case VT_I1:
        return numberWith(Number::Signed, v.cVal);
    case VT_I2:
    case VT_BOOL:
        return numberWith(Number::Signed, v.iVal);
    case VT_I4:
    case VT_INT:
        return numberWith(Number::Signed, v.lVal);
    case VT_I8:
        return numberWith(Number::Signed, v.llVal);
    case VT_UI1:
        return numberWith(Number::Unsigned, 0, v.bVal);
    case VT_UI2:
        return numberWith(Number::Unsigned, 0, v.uiVal);
    case VT_UI4:
    case VT_UINT:
        return numberWith(Number::Unsigned, 0, v.ulVal);
    case VT_UI8:
        return numberWith(Number::Unsigned, 0, v.ullVal);
    case VT_R4:
        return numberWith(Number::Real, 0, 0, v.fltVal);
    case VT_R8:
    case VT_DATE:
        return numberWith(Number::Real, 0, 0, v.dblVal);
    case VT_CY:
        return numberWith(Number::Currency, v.cyVal.int64);
    default:
        return std::nullopt;
    }
}

double realOf(const Number &n)
{
    switch (n.kind) {
    case Number::Signed:
        return static_cast<double>(n.i);
    case Number::Unsigned:
        return static_cast<double>(n.u);
    case Number::Real:
        return n.r;
    case Number::Currency:
        return static_cast<double>(n.i) / 10000.0;
    }
    return 0;
}

// Integer value with halves rounded to even; false when it does not fit in [lo, hi].
bool integerOf(
    const Number &n, long double lo, long double hi, LONGLONG &si, ULONGLONG &ui, bool &isUnsigned)
{
    isUnsigned = false;
    switch (n.kind) {
    case Number::Signed:
        si = n.i;
        return static_cast<long double>(n.i) >= lo && static_cast<long double>(n.i) <= hi;
    case Number::Unsigned:
        ui = n.u;
        isUnsigned = true;
        return static_cast<long double>(n.u) <= hi;
    case Number::Currency: {
        LONGLONG q = n.i / 10000;
        const LONGLONG rem = n.i % 10000;
        if (rem > 5000 || (rem == 5000 && (q & 1)))
            ++q;
        else if (rem < -5000 || (rem == -5000 && (q & 1)))
            --q;
        si = q;
        return static_cast<long double>(q) >= lo && static_cast<long double>(q) <= hi;
    }
    case Number::Real: {
        if (!std::isfinite(n.r))
            return false;
        const long double rounded = std::nearbyint(static_cast<long double>(n.r));
        if (rounded < lo || rounded > hi)
            return false;
        if (rounded < 0) {
            si = static_cast<LONGLONG>(rounded);
        } else {
            ui = static_cast<ULONGLONG>(rounded);
            isUnsigned = true;
        }
        return true;
    }
    }
    return false;
}

HRESULT toInteger(Variant &out, const Number &n, VARTYPE vt)
{
    long double lo = 0, hi = 0;
    switch (vt) {
    case VT_I1:
        lo = -128, hi = 127;
        break;
    case VT_UI1:
        lo = 0, hi = 255;
        break;
    case VT_I2:
        lo = -32768, hi = 32767;
        break;
    case VT_UI2:
        lo = 0, hi = 65535;
        break;
    case VT_I4:
    case VT_INT:
        lo = -2147483648.0L, hi = 2147483647.0L;
        break;
    case VT_UI4:
    case VT_UINT:
        lo = 0, hi = 4294967295.0L;
        break;
    case VT_I8:
        lo = -9223372036854775808.0L, hi = 9223372036854775807.0L;
        break;
    case VT_UI8:
        lo = 0, hi = 18446744073709551615.0L;
        break;
    default:
        return DISP_E_BADVARTYPE;
    }
    LONGLONG si = 0;
    ULONGLONG ui = 0;
    bool isUnsigned = false;
    if (!integerOf(n, lo, hi, si, ui, isUnsigned))
        return DISP_E_OVERFLOW;
    const LONGLONG s = isUnsigned ? static_cast<LONGLONG>(ui) : si;
    const ULONGLONG u = isUnsigned ? ui : static_cast<ULONGLONG>(si);
    out.vt = vt;
    switch (vt) {
    case VT_I1:
        out.cVal = static_cast<CHAR>(s);
        break;
    case VT_UI1:
        out.bVal = static_cast<BYTE>(u);
        break;
    case VT_I2:
        out.iVal = static_cast<SHORT>(s);
        break;
    case VT_UI2:
        out.uiVal = static_cast<USHORT>(u);
        break;
    case VT_I4:
    case VT_INT:
        out.lVal = static_cast<LONG>(s);
        break;
    case VT_UI4:
    case VT_UINT:
        out.ulVal = static_cast<ULONG>(u);
        break;
    case VT_I8:
        out.llVal = s;
        break;
    default:
        out.ullVal = u;
        break;
    }
    return S_OK;
}

HRESULT fromNumber(Variant &out, const Number &n, VARTYPE vt)
{
    switch (vt) {
    case VT_BOOL: {
        bool nonzero = false;
        switch (n.kind) {
        case Number::Signed:
        case Number::Currency:
            nonzero = n.i != 0;
            break;
        case Number::Unsigned:
            nonzero = n.u != 0;
            break;
        case Number::Real:
            nonzero = n.r != 0;
            break;
        }
        out.vt = VT_BOOL;
        out.boolVal = nonzero ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    case VT_R4: {
        const double d = realOf(n);
        if (std::isfinite(d) && std::fabs(d) > FLT_MAX)
            return DISP_E_OVERFLOW;
        out.vt = VT_R4;
        out.fltVal = static_cast<float>(d);
        return S_OK;
    }
    case VT_R8:
        out.vt = VT_R8;
        out.dblVal = realOf(n);
        return S_OK;
    case VT_DATE: {
        const double d = realOf(n);
        if (!(d >= kMinDate && d < kMaxDate))
            return DISP_E_OVERFLOW;
        out.vt = VT_DATE;
        out.date = d;
        return S_OK;
    }
    case VT_CY: {
        constexpr LONGLONG kLimit = std::numeric_limits<LONGLONG>::max() / 10000;
        LONGLONG value = 0;
        switch (n.kind) {
        case Number::Signed:
            if (n.i > kLimit || n.i < -kLimit)
                return DISP_E_OVERFLOW;
            value = n.i * 10000;
            break;
        case Number::Unsigned:
            if (n.u > static_cast<ULONGLONG>(kLimit))
                return DISP_E_OVERFLOW;
            value = static_cast<LONGLONG>(n.u) * 10000;
            break;
        case Number::Currency:
            value = n.i;
            break;
        case Number::Real: {
            const long double scaled = std::nearbyint(static_cast<long double>(n.r) * 10000.0L);
            if (!std::isfinite(n.r) || scaled < -9223372036854775808.0L ||
                scaled >= 9223372036854775808.0L)
                return DISP_E_OVERFLOW;
            value = static_cast<LONGLONG>(scaled);
            break;
        }
        }
        out.vt = VT_CY;
        out.cyVal.int64 = value;
        return S_OK;
    }
    default:
        return toInteger(out, n, vt);
    }
}

std::u16string ascii(const char *text)
{
    return std::u16string(text, text + std::strlen(text));
}

std::u16string formatNumber(const VARIANT &v, USHORT flags)
{
    const InvariantNumbers invariant;
    char buffer[64];
    switch (v.vt) {
    case VT_BOOL:
        if (flags & (VARIANT_ALPHABOOL | VARIANT_LOCALBOOL))
            return v.boolVal ? u"True" : u"False";
        std::snprintf(buffer, sizeof buffer, "%d", v.boolVal ? -1 : 0);
        break;
    case VT_I1:
    case VT_I2:
    case VT_I4:
    case VT_INT:
    case VT_I8:
        std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(numberOf(v)->i));
        break;
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_UINT:
    case VT_UI8:
        std::snprintf(
            buffer, sizeof buffer, "%llu", static_cast<unsigned long long>(numberOf(v)->u));
        break;
    case VT_R4:
        std::snprintf(buffer, sizeof buffer, "%.7G", static_cast<double>(v.fltVal));
        break;
    case VT_R8:
        std::snprintf(buffer, sizeof buffer, "%.15G", v.dblVal);
        break;
    case VT_CY: {
        const LONGLONG c = v.cyVal.int64;
        const ULONGLONG mag = c < 0 ? 0 - static_cast<ULONGLONG>(c) : static_cast<ULONGLONG>(c);
        int len = std::snprintf(buffer, sizeof buffer, "%s%llu", c < 0 ? "-" : "",
            static_cast<unsigned long long>(mag / 10000));
        if (const unsigned frac = static_cast<unsigned>(mag % 10000)) {
            char digits[8];
            std::snprintf(digits, sizeof digits, "%04u", frac);
            int n = 4;
            while (digits[n - 1] == '0')
                --n;
            digits[n] = 0;
            std::snprintf(
                buffer + len, sizeof buffer - static_cast<std::size_t>(len), ".%s", digits);
        }
        break;
    }
    default:
        buffer[0] = 0;
    }
    return ascii(buffer);
}

bool equalsNoCase(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i], y = b[i];
        if (x >= u'A' && x <= u'Z')
            x = static_cast<char16_t>(x + 32);
        if (y >= u'A' && y <= u'Z')
            y = static_cast<char16_t>(y + 32);
        if (x != y)
            return false;
    }
    return true;
}

std::u16string_view trimmed(std::u16string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Days since 1970-01-01 for a proleptic Gregorian date, and back.
long long daysFromCivil(long long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void civilFromDays(long long z, long long &y, unsigned &m, unsigned &d)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp + (mp < 10 ? 3 : -9);
    y += m <= 2;
}

constexpr long long kOleEpochFromUnix = -25569; // 1899-12-30

unsigned daysInMonth(long long y, unsigned m)
{
    static constexpr unsigned days[] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : days[m - 1];
}

} // namespace

std::optional<Number> parseNumber(std::u16string_view text)
{
    text = trimmed(text);
    if (text.empty() || text.size() > kMaxNumberText)
        return std::nullopt;
    if (text.size() > 2 && text[0] == u'&') {
        const char16_t kind = text[1];
        const int base = (kind == u'h' || kind == u'H') ? 16
            : (kind == u'o' || kind == u'O')            ? 8
                                                        : 0;
        if (!base)
            return std::nullopt;
        ULONGLONG value = 0;
        for (char16_t c : text.substr(2)) {
            int digit = -1;
            if (c >= u'0' && c <= u'9')
                digit = c - u'0';
            else if (c >= u'a' && c <= u'f')
                digit = c - u'a' + 10;
            else if (c >= u'A' && c <= u'F')
                digit = c - u'A' + 10;
            if (digit < 0 || digit >= base)
                return std::nullopt;
            if (value > (std::numeric_limits<ULONGLONG>::max() - static_cast<unsigned>(digit)) /
                    static_cast<unsigned>(base))
                return std::nullopt;
            value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
        }
        Number n;
        n.kind = Number::Unsigned;
        n.u = value;
        return n;
    }
    std::string clean; // ASCII form for strtod, without thousands separators
    std::size_t i = 0;
    bool negative = false;
    if (text[i] == u'+' || text[i] == u'-') {
        negative = text[i] == u'-';
        clean += static_cast<char>(text[i]);
        ++i;
    }
    std::size_t intDigits = 0, fracDigits = 0;
    bool seenPoint = false, seenExponent = false;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= u'0' && c <= u'9') {
            clean += static_cast<char>(c);
            (seenPoint ? fracDigits : intDigits)++;
        } else if (c == u',' && !seenPoint && intDigits > 0) {
            continue;
        } else if (c == u'.' && !seenPoint) {
            seenPoint = true;
            clean += '.';
        } else if ((c == u'e' || c == u'E') && intDigits + fracDigits > 0) {
            seenExponent = true;
            clean += 'e';
            ++i;
            if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
                clean += static_cast<char>(text[i++]);
            std::size_t expDigits = 0;
            for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i, ++expDigits)
                clean += static_cast<char>(text[i]);
            if (expDigits == 0 || i != text.size())
                return std::nullopt;
            break;
        } else {
            return std::nullopt;
        }
    }
    if (intDigits + fracDigits == 0)
        return std::nullopt;
    Number n;
    if (!seenPoint && !seenExponent) {
        ULONGLONG mag = 0;
        bool fits = true;
        for (char c : clean) {
            if (c < '0' || c > '9')
                continue;
            const unsigned d = static_cast<unsigned>(c - '0');
            if (mag > (std::numeric_limits<ULONGLONG>::max() - d) / 10) {
                fits = false;
                break;
            }
            mag = mag * 10 + d;
        }
        if (fits) {
            if (!negative) {
                n.kind = Number::Unsigned;
                n.u = mag;
                return n;
            }
            if (mag <= static_cast<ULONGLONG>(std::numeric_limits<LONGLONG>::max()) + 1) {
                n.kind = Number::Signed;
                n.i = static_cast<LONGLONG>(0 - mag);
                return n;
            }
        }
    }
    n.kind = Number::Real;
    const InvariantNumbers invariant;
    n.r = std::strtod(clean.c_str(), nullptr);
    return n;
}

std::u16string formatDate(double date)
{
    const double dayPart = std::trunc(date);
    double timePart = std::fabs(date - dayPart);
    long long seconds = std::llround(timePart * 86400.0);
    long long day = static_cast<long long>(dayPart);
    if (seconds >= 86400) { // rounding reached midnight
        seconds -= 86400;
        day += date < 0 ? -1 : 1;
    }
    char buffer[64];
    std::string text;
    if (day != 0) {
        long long y;
        unsigned m, d;
        civilFromDays(day + kOleEpochFromUnix, y, m, d);
        std::snprintf(buffer, sizeof buffer, "%u/%u/%lld", m, d, y);
        text = buffer;
    }
    if (seconds != 0 || day == 0) { // day 0 is "no date": its text is the time alone
        const long long h = seconds / 3600, mi = (seconds / 60) % 60, s = seconds % 60;
        std::snprintf(buffer, sizeof buffer, "%s%lld:%02lld:%02lld %s", text.empty() ? "" : " ",
            h % 12 == 0 ? 12 : h % 12, mi, s, h < 12 ? "AM" : "PM");
        text += buffer;
    }
    return std::u16string(text.begin(), text.end());
}

std::optional<double> parseDate(std::u16string_view text)
{
    text = trimmed(text);
    if (text.empty() || text.size() > 64)
        return std::nullopt;
    std::string s(text.begin(), text.end());
    for (char16_t c : text)
        if (c > 0x7f)
            return std::nullopt;
    long long y = 1899;
    unsigned mo = 12, d = 30;
    int h = 0, mi = 0, sec = 0;
    int used = 0;
    char sep = 0;
    bool haveDate = false;
    long long a = 0, b = 0, c = 0;
    if (std::sscanf(s.c_str(), "%lld-%lld-%lld%n", &a, &b, &c, &used) == 3 && used > 0) {
        y = a, mo = static_cast<unsigned>(b), d = static_cast<unsigned>(c);
        haveDate = b >= 1 && b <= 12 && c >= 1 && c <= 31;
        if (!haveDate)
            return std::nullopt;
        s.erase(0, static_cast<std::size_t>(used));
    } else if (used = 0;
               std::sscanf(s.c_str(), "%lld/%lld/%lld%n", &a, &b, &c, &used) == 3 && used > 0) {
        mo = static_cast<unsigned>(a), d = static_cast<unsigned>(b), y = c;
        haveDate = a >= 1 && a <= 12 && b >= 1 && b <= 31;
        if (!haveDate)
            return std::nullopt;
        s.erase(0, static_cast<std::size_t>(used));
    }
    if (haveDate && (y < 100 || y > 9999 || d > daysInMonth(y, mo)))
        return std::nullopt;
    std::size_t p = 0;
    while (p < s.size() && s[p] == ' ')
        ++p;
    s.erase(0, p);
    if (!s.empty()) {
        used = 0;
        int n = std::sscanf(s.c_str(), "%d:%d%n", &h, &mi, &used);
        if (n != 2 || used == 0)
            return std::nullopt;
        s.erase(0, static_cast<std::size_t>(used));
        if (!s.empty() && s[0] == ':') {
            used = 0;
            if (std::sscanf(s.c_str(), ":%d%n", &sec, &used) != 1 || used == 0)
                return std::nullopt;
            s.erase(0, static_cast<std::size_t>(used));
        }
        while (!s.empty() && s[0] == ' ')
            s.erase(0, 1);
        if (!s.empty()) {
            if (s.size() != 2 || (s[1] != 'M' && s[1] != 'm'))
                return std::nullopt;
            sep = static_cast<char>(s[0] | 0x20);
            if ((sep != 'a' && sep != 'p') || h < 1 || h > 12)
                return std::nullopt;
            h = (h % 12) + (sep == 'p' ? 12 : 0);
        }
        if (h < 0 || h > 23 || mi < 0 || mi > 59 || sec < 0 || sec > 59)
            return std::nullopt;
    } else if (!haveDate) {
        return std::nullopt;
    }
    const long long day = daysFromCivil(y, mo, d) - kOleEpochFromUnix;
    const double time = (h * 3600 + mi * 60 + sec) / 86400.0;
    return day >= 0 ? static_cast<double>(day) + time : static_cast<double>(day) - time;
}

HRESULT coerce(Variant &out, const Variant &in, USHORT flags, VARTYPE vt, int depth)
{
    if (in.vt == vt)
        return VariantCopy(&out, &in);
    if (vt == VT_EMPTY) {
        if (in.vt == VT_NULL)
            return DISP_E_TYPEMISMATCH;
        return S_OK;
    }
    if (vt == VT_NULL) {
        if (in.vt != VT_EMPTY)
            return DISP_E_TYPEMISMATCH;
        out.vt = VT_NULL;
        return S_OK;
    }
    if (in.vt == VT_NULL || in.vt == VT_ERROR || vt == VT_ERROR)
        return DISP_E_TYPEMISMATCH;

    if (vt == VT_DISPATCH || vt == VT_UNKNOWN) {
        if (in.vt == VT_EMPTY) {
            out.vt = vt;
            out.punkVal = nullptr;
            return S_OK;
        }
        if (in.vt != VT_DISPATCH && in.vt != VT_UNKNOWN)
            return DISP_E_TYPEMISMATCH;
        out.vt = vt;
        out.punkVal = nullptr;
        if (!in.punkVal)
            return S_OK;
        const IID &want = vt == VT_DISPATCH ? IDispatch::iid : IUnknown::iid;
        if (FAILED(in.punkVal->QueryInterface(want, reinterpret_cast<void **>(&out.punkVal)))) {
            VariantInit(&out);
            return DISP_E_TYPEMISMATCH;
        }
        return S_OK;
    }

    if (in.vt == VT_UNKNOWN)
        return DISP_E_TYPEMISMATCH;
    if (in.vt == VT_DISPATCH) {
        if (!in.pdispVal || (flags & VARIANT_NOVALUEPROP) || depth >= kMaxValueDepth)
            return DISP_E_TYPEMISMATCH;
        DISPPARAMS none { nullptr, nullptr, 0, 0 };
        Variant value;
        const HRESULT hr = in.pdispVal->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT,
            DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr);
        if (FAILED(hr))
            return DISP_E_TYPEMISMATCH;
        Variant direct;
        if (FAILED(VariantCopyInd(&direct, &value)))
            return DISP_E_TYPEMISMATCH;
        return coerce(out, direct, flags, vt, depth + 1);
    }

    if (vt == VT_BSTR) {
        std::u16string text;
        if (in.vt == VT_EMPTY)
            text.clear();
        else if (in.vt == VT_DATE) {
            if (!(in.date >= kMinDate && in.date < kMaxDate))
                return E_INVALIDARG; // no day of the calendar
            text = formatDate(in.date);
        } else
            text = formatNumber(in, flags);
        out.vt = VT_BSTR;
        out.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        if (!out.bstrVal) {
            VariantInit(&out);
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }

    if (in.vt == VT_BSTR) {
        const std::u16string_view text = view(in.bstrVal);
        if (vt == VT_BOOL) {
            const auto t = trimmed(text);
            if (equalsNoCase(t, u"true") || equalsNoCase(t, u"#true#")) {
                out.vt = VT_BOOL;
                out.boolVal = VARIANT_TRUE;
                return S_OK;
            }
            if (equalsNoCase(t, u"false") || equalsNoCase(t, u"#false#")) {
                out.vt = VT_BOOL;
                out.boolVal = VARIANT_FALSE;
                return S_OK;
            }
        }
        if (vt == VT_DATE) {
            const auto date = parseDate(text);
            if (!date)
                return DISP_E_TYPEMISMATCH;
            out.vt = VT_DATE;
            out.date = *date;
            return S_OK;
        }
        const auto n = parseNumber(text);
        if (!n)
            return DISP_E_TYPEMISMATCH;
        if (n->kind == Number::Real && !std::isfinite(n->r))
            return DISP_E_OVERFLOW; // beyond any double, such as "1e400"
        return fromNumber(out, *n, vt);
    }

    if (in.vt == VT_BOOL &&
        (vt == VT_UI1 || vt == VT_UI2 || vt == VT_UI4 || vt == VT_UINT || vt == VT_UI8)) {
        // True is all bits set in every unsigned width, as automation has it.
        out.vt = vt;
        out.ullVal = in.boolVal ? ~0ull : 0;
        if (vt == VT_UI1)
            out.ullVal &= 0xFF;
        else if (vt == VT_UI2)
            out.ullVal &= 0xFFFF;
        else if (vt != VT_UI8)
            out.ullVal &= 0xFFFFFFFF;
        return S_OK;
    }
    const auto n = numberOf(in);
    if (!n)
        return DISP_E_BADVARTYPE;
    return fromNumber(out, *n, vt);
}

} // namespace platform::com::detail
