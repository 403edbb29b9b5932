// How hosted controls are named: a key variant compared by value, and a 0-based position for the
// integer keys that fall within the collection.
#pragma once

#include "platform/com/variant.h"

#include <optional>

namespace arbor::hosting {

// The key as stored: one level of reference removed; an error variant with the failure code when
// it cannot be copied.
platform::com::Variant storedKey(const VARIANT &key) noexcept;

// Same type and same value: strings by length and content (case-sensitive), 16-bit integers and
// booleans by 16 bits, 32-bit integers and error codes by 32 bits, bytes by 8 bits, floating
// point by equality, objects by IUnknown identity; empty with empty and null with null. Any
// other type is never equal.
bool keysEqual(const VARIANT &a, const VARIANT &b) noexcept;

// A 16- or 32-bit integer key within 0 .. count - 1 is a position; anything else is not.
std::optional<std::size_t> keyPosition(const VARIANT &key, std::size_t count) noexcept;

// The key as text; empty when it does not convert.
platform::com::BStr keyText(const VARIANT &key) noexcept;

} // namespace arbor::hosting
