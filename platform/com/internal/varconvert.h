// Conversion helpers shared by VariantChangeType, the automation layer and its fuzz target.
#pragma once

#include "platform/com/variant.h"

#include <optional>
#include <string>
#include <string_view>

namespace platform::com::detail {

// A number read from text or from a variant: exact integers stay exact, everything else is real.
struct Number {
    enum Kind { Signed, Unsigned, Real, Currency } kind = Signed;
    LONGLONG i = 0; // Signed; Currency (scaled by 10 000)
    ULONGLONG u = 0; // Unsigned
    double r = 0; // Real
};

// Parses a numeric string the way automation does for the invariant English locale: blanks
// around, a sign, digits with optional thousands commas, a decimal point, an exponent, or a
// "&H" (hex) / "&O" (octal) literal. nullopt for anything else. Complexity O(length).
std::optional<Number> parseNumber(std::u16string_view text);

// Converts `in` (never by reference) to `vt` into `out` (empty). `depth` bounds the DISPID_VALUE
// recursion of objects that return objects.
HRESULT coerce(Variant &out, const Variant &in, USHORT flags, VARTYPE vt, int depth);

// Text of a DATE in the invariant English format ("M/D/YYYY h:mm:ss AM"; the date alone at
// midnight, the time alone on day 0).
std::u16string formatDate(double date);
std::optional<double> parseDate(std::u16string_view text);

} // namespace platform::com::detail
