// How the control reads its VARIANT parameters: by-reference values are followed, a left-out
// parameter (VT_ERROR with DISP_E_PARAMNOTFOUND, which the dispatch layer also passes for one the
// caller did not give) takes its declared default, and a value that does not convert counts as 0
// or false rather than failing the call. An explicit Empty is a value: it converts to 0 or false.
#pragma once

#include "platform/com/bstr.h"
#include "platform/com/variant.h"

#include <string>

namespace arbor::control {

bool isLeftOut(const VARIANT &v) noexcept;
LONG longArg(const VARIANT &v, LONG leftOut) noexcept;
bool boolArg(const VARIANT &v, bool leftOut) noexcept;
// The value with one level of reference removed; VT_EMPTY when it cannot be copied.
platform::com::Variant deref(const VARIANT &v) noexcept;
// UTF-16 at the interface, UTF-8 inside; a null BSTR is the empty text.
std::string narrow(BSTR text);
BSTR wide(std::string_view text) noexcept;

} // namespace arbor::control
