// Identifiers, strings and the VARIANT conversion rules.
#include "platform/com/com.h"

#include <gtest/gtest.h>

#include <QScopeGuard>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <type_traits>

using namespace platform::com;

namespace {

constexpr IID kSample = guid("{FF047D93-C3F1-11D2-877E-0040055C08D9}");
static_assert(kSample.Data1 == 0xFF047D93 && kSample.Data4[7] == 0xD9);

TEST(Guid, ParsesFormatsAndRejectsMalformedText)
{
    EXPECT_EQ(guidToString(kSample), "{FF047D93-C3F1-11D2-877E-0040055C08D9}");
    auto lower = guidFromString("{ff047d93-c3f1-11d2-877e-0040055c08d9}");
    ASSERT_TRUE(lower);
    EXPECT_EQ(*lower, kSample);
    const char *bad[] = {
        "",
        "FF047D93-C3F1-11D2-877E-0040055C08D9", // braces are required at run time
        "{FF047D93-C3F1-11D2-877E-0040055C08D9",
        "{FF047D93-C3F1-11D2-877E-0040055C08D9} ",
        "{FF047D93C-3F1-11D2-877E-0040055C08D9}",
        "{FF047D93-C3F1-11D2-877E-0040055C08DG}",
    };
    for (const char *text : bad)
        EXPECT_FALSE(guidFromString(text)) << text;

    OLECHAR buffer[39];
    EXPECT_EQ(StringFromGUID2(kSample, buffer, 38), 0); // no room for the terminator
    EXPECT_EQ(StringFromGUID2(kSample, buffer, 39), 39);
    EXPECT_EQ(std::u16string_view(buffer), u"{FF047D93-C3F1-11D2-877E-0040055C08D9}");
    CLSID back;
    EXPECT_EQ(CLSIDFromString(buffer, &back), S_OK);
    EXPECT_EQ(back, kSample);
    EXPECT_EQ(CLSIDFromString(u"{FF047D93-C3F1}", &back), CO_E_CLASSSTRING);
}

TEST(Bstr, KeepsLengthAndEmbeddedNuls)
{
    const OLECHAR text[] = { u'a', 0, u'b' };
    BStr s = BStr::attach(SysAllocStringLen(text, 3));
    EXPECT_EQ(s.length(), 3u);
    EXPECT_EQ(SysStringByteLen(s.get()), 6u);
    EXPECT_EQ(s.get()[3], 0); // always terminated
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    BStr copy = s;
    EXPECT_NE(copy.get(), s.get());
    EXPECT_EQ(copy, s);
    EXPECT_EQ(BStr::fromUtf8("Grüße €").view(), u"Grüße €");
    EXPECT_EQ(BStr(u"Grüße €").toUtf8(), "Grüße €");
}

TEST(Variant, CopyDuplicatesStringsAndReferences)
{
    Variant a = Variant::str(u"text");
    Variant b = a;
    EXPECT_NE(a.bstrVal, b.bstrVal);
    EXPECT_EQ(view(b.bstrVal), u"text");

    LONG target = 42;
    VARIANT ref;
    VariantInit(&ref);
    ref.vt = VT_BYREF | VT_I4;
    ref.plVal = &target;
    Variant direct;
    EXPECT_EQ(VariantCopyInd(&direct, &ref), S_OK);
    EXPECT_EQ(direct.vt, VT_I4);
    EXPECT_EQ(direct.lVal, 42);
    Variant shallow;
    EXPECT_EQ(VariantCopy(&shallow, &ref), S_OK);
    EXPECT_EQ(shallow.plVal, &target); // a reference stays a reference
    EXPECT_EQ(VariantClear(&ref), S_OK); // owns nothing

    VARIANT bad;
    VariantInit(&bad);
    bad.vt = 0x77;
    EXPECT_EQ(VariantClear(&bad), DISP_E_BADVARTYPE);
    EXPECT_EQ(VariantCopy(&shallow, &bad), DISP_E_BADVARTYPE);
    EXPECT_EQ(shallow.vt, VT_BYREF | VT_I4); // unchanged on failure
}

// Reaches the field a numeric type lives in by hand, so the conversions under test never build
// their own inputs or read their own results. Currency is stored as value * 10000.
template <typename V, typename F> void withField(V &v, F &&f)
{
    switch (v.vt) {
    case VT_I1:
        return f(v.cVal);
    case VT_UI1:
        return f(v.bVal);
    case VT_I2:
        return f(v.iVal);
    case VT_UI2:
        return f(v.uiVal);
    case VT_I4:
        return f(v.lVal);
    case VT_UI4:
        return f(v.ulVal);
    case VT_I8:
        return f(v.llVal);
    case VT_R4:
        return f(v.fltVal);
    case VT_R8:
    case VT_DATE:
        return f(v.dblVal);
    case VT_CY:
        return f(v.cyVal.int64);
    case VT_BOOL:
        return f(v.boolVal);
    default:
        return;
    }
}

Variant make(VARTYPE vt, double value)
{
    Variant v;
    v.vt = vt;
    withField(v, [&](auto &field) {
        field = static_cast<std::remove_reference_t<decltype(field)>>(
            vt == VT_CY ? value * 10000 : value);
    });
    return v;
}

double valueOf(const VARIANT &v)
{
    double result = NAN;
    withField(v, [&](auto field) { result = static_cast<double>(field); });
    return v.vt == VT_CY ? result / 10000 : result;
}

struct NumericCase {
    const char *name;
    VARTYPE from;
    double value;
    VARTYPE to;
    HRESULT expected;
    double result;
};

TEST(VariantChangeType, NumericConversions)
{
    const NumericCase cases[] = {
        { "i4 to i2 fits", VT_I4, -32768, VT_I2, S_OK, -32768 },
        { "i4 to i2 overflows", VT_I4, 32768, VT_I2, DISP_E_OVERFLOW, 0 },
        { "negative to ui1 overflows", VT_I2, -1, VT_UI1, DISP_E_OVERFLOW, 0 },
        { "r8 half rounds to even (down)", VT_R8, 2.5, VT_I4, S_OK, 2 },
        { "r8 half rounds to even (up)", VT_R8, 3.5, VT_I4, S_OK, 4 },
        { "r8 rounds past i1", VT_R8, 127.5, VT_I1, DISP_E_OVERFLOW, 0 },
        { "r8 beyond float overflows", VT_R8, 1e39, VT_R4, DISP_E_OVERFLOW, 0 },
        { "cy half rounds to even", VT_CY, 1.5, VT_I4, S_OK, 2 },
        { "r8 to cy keeps 4 decimals", VT_R8, 1.23456, VT_CY, S_OK, 1.2346 },
        { "true to i4 is -1", VT_BOOL, -1, VT_I4, S_OK, -1 },
        { "nonzero to bool is -1", VT_R8, 0.25, VT_BOOL, S_OK, -1 },
        { "date out of range", VT_R8, 3e6, VT_DATE, DISP_E_OVERFLOW, 0 },
        { "empty to i4 is zero", VT_EMPTY, 0, VT_I4, S_OK, 0 },
    };
    for (const auto &c : cases) {
        Variant src = make(c.from, c.value);
        Variant dest = Variant::i4(static_cast<LONG>(0xdeadbeef));
        EXPECT_EQ(VariantChangeType(&dest, &src, 0, c.to), c.expected) << c.name;
        if (c.expected == S_OK) {
            EXPECT_EQ(dest.vt, c.to) << c.name;
            EXPECT_DOUBLE_EQ(valueOf(dest), c.result) << c.name;
        } else {
            EXPECT_EQ(dest.vt, VT_I4) << c.name; // untouched on failure
            EXPECT_EQ(dest.lVal, static_cast<LONG>(0xdeadbeef)) << c.name;
        }
    }
}

struct StringCase {
    const char16_t *text;
    VARTYPE to;
    HRESULT expected;
    double result;
};

TEST(VariantChangeType, StringsToNumbers)
{
    const StringCase cases[] = {
        { u"42", VT_I4, S_OK, 42 },
        { u"  -17  ", VT_I2, S_OK, -17 },
        { u"1,234,567", VT_I4, S_OK, 1234567 },
        { u"2.5", VT_I4, S_OK, 2 },
        { u"&HFF", VT_I4, S_OK, 255 },
        { u"0.5", VT_CY, S_OK, 0.5 },
        { u"True", VT_BOOL, S_OK, -1 },
        { u"40000", VT_I2, DISP_E_OVERFLOW, 0 },
        { u"-1", VT_UI4, DISP_E_OVERFLOW, 0 },
        { u"1e400", VT_R8, DISP_E_OVERFLOW, 0 },
        { u"", VT_I4, DISP_E_TYPEMISMATCH, 0 },
        { u"12abc", VT_I4, DISP_E_TYPEMISMATCH, 0 },
        { u".", VT_R8, DISP_E_TYPEMISMATCH, 0 },
        { u"&HZZ", VT_I4, DISP_E_TYPEMISMATCH, 0 },
        { u"maybe", VT_BOOL, DISP_E_TYPEMISMATCH, 0 },
    };
    for (const auto &c : cases) {
        Variant src = Variant::str(c.text);
        Variant dest;
        EXPECT_EQ(VariantChangeType(&dest, &src, 0, c.to), c.expected) << utf16ToUtf8(c.text);
        if (c.expected == S_OK) {
            EXPECT_DOUBLE_EQ(valueOf(dest), c.result) << utf16ToUtf8(c.text);
        }
    }
}

struct ToStringCase {
    Variant value;
    USHORT flags;
    const char16_t *text;
};

TEST(VariantChangeType, ValuesToStrings)
{
    const ToStringCase cases[] = {
        { Variant::i4(-5), 0, u"-5" },
        { Variant::r8(1e20), 0, u"1E+20" },
        { Variant::boolean(true), 0, u"-1" },
        { Variant::boolean(false), VARIANT_ALPHABOOL, u"False" },
        { Variant(), 0, u"" },
        { make(VT_CY, -1.25), 0, u"-1.25" },
        { make(VT_DATE, 36526.75), 0, u"1/1/2000 6:00:00 PM" },
        { make(VT_DATE, 2), 0, u"1/1/1900" },
        { make(VT_DATE, 0), 0, u"12:00:00 AM" },
    };
    for (const auto &c : cases) {
        Variant out;
        ASSERT_EQ(VariantChangeType(&out, &c.value, c.flags, VT_BSTR), S_OK) << utf16ToUtf8(c.text);
        EXPECT_EQ(view(out.bstrVal), std::u16string_view(c.text));
    }
}

TEST(VariantChangeType, DatesParseBack)
{
    for (const char16_t *text : { u"1/1/2000 6:00:00 PM", u"2000-01-01 18:00", u"12/31/1899" }) {
        Variant s = Variant::str(text);
        Variant d;
        ASSERT_EQ(VariantChangeType(&d, &s, 0, VT_DATE), S_OK) << utf16ToUtf8(text);
        Variant back;
        ASSERT_EQ(VariantChangeType(&back, &d, 0, VT_BSTR), S_OK);
        Variant again;
        ASSERT_EQ(VariantChangeType(&again, &back, 0, VT_DATE), S_OK);
        EXPECT_DOUBLE_EQ(again.date, d.date);
    }
    Variant bad = Variant::str(u"2/30/2001");
    Variant out;
    EXPECT_EQ(VariantChangeType(&out, &bad, 0, VT_DATE), DISP_E_TYPEMISMATCH);
    // A date value outside the calendar (as a stream may carry) has no text.
    for (const double value : { 1e300, -1e300, std::nan(""), 2958466.0, -657435.0 }) {
        const Variant date = make(VT_DATE, value);
        EXPECT_EQ(VariantChangeType(&out, &date, 0, VT_BSTR), E_INVALIDARG) << value;
    }
}

// Number text is the invariant form even while the C library runs under a locale whose decimal
// separator is a comma, as a Qt program does under a German user's locale.
TEST(VariantChangeType, NumberTextIgnoresTheProcessLocale)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "locale-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const char *folder = pattern.c_str();
    // Whatever happens below, the process gets its C numbers back and the folder goes.
    const auto restore = qScopeGuard([&] {
        std::setlocale(LC_NUMERIC, "C");
        unsetenv("LOCPATH");
        std::error_code ignored;
        std::filesystem::remove_all(pattern, ignored);
    });
    const std::string command =
        std::string("localedef -i de_DE -f UTF-8 '") + folder + "/de_DE.UTF-8' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        GTEST_SKIP() << "no German locale can be made here (localedef or its sources missing)";
    setenv("LOCPATH", folder, 1);
    ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr);
    ASSERT_EQ(std::strtod("1,5", nullptr), 1.5); // the locale is really in force

    Variant text = Variant::str(u"1.5");
    Variant real;
    EXPECT_EQ(VariantChangeType(&real, &text, 0, VT_R8), S_OK);
    EXPECT_EQ(real.dblVal, 1.5);
    Variant back;
    EXPECT_EQ(VariantChangeType(&back, &real, 0, VT_BSTR), S_OK);
    EXPECT_EQ(view(back.bstrVal), u"1.5");
    const Variant single = make(VT_R4, 0.25);
    EXPECT_EQ(VariantChangeType(&back, &single, 0, VT_BSTR), S_OK);
    EXPECT_EQ(view(back.bstrVal), u"0.25");
}

TEST(VariantChangeType, NullEmptyErrorAndByRef)
{
    const Variant null = make(VT_NULL, 0);
    Variant out;
    EXPECT_EQ(VariantChangeType(&out, &null, 0, VT_I4), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(VariantChangeType(&out, &null, 0, VT_BSTR), DISP_E_TYPEMISMATCH);
    Variant missing = Variant::missing();
    EXPECT_EQ(VariantChangeType(&out, &missing, 0, VT_I4), DISP_E_TYPEMISMATCH);
    Variant empty;
    EXPECT_EQ(VariantChangeType(&out, &empty, 0, VT_DISPATCH), S_OK);
    EXPECT_EQ(out.vt, VT_DISPATCH);
    EXPECT_EQ(out.pdispVal, nullptr);
    EXPECT_EQ(VariantChangeType(&out, &empty, 0, VT_BYREF | VT_I4), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(VariantChangeType(&out, &empty, 0, 0x77), DISP_E_BADVARTYPE);

    BSTR text = SysAllocString(u"12");
    VARIANT ref;
    VariantInit(&ref);
    ref.vt = VT_BYREF | VT_BSTR;
    ref.pbstrVal = &text;
    EXPECT_EQ(VariantChangeType(&out, &ref, 0, VT_I4), S_OK);
    EXPECT_EQ(out.lVal, 12);
    // In place: the source is replaced, and the referenced string is not freed.
    EXPECT_EQ(VariantChangeType(&ref, &ref, 0, VT_R8), S_OK);
    EXPECT_EQ(ref.dblVal, 12.0);
    EXPECT_EQ(view(text), u"12");
    SysFreeString(text);
}

} // namespace
