// BSTR: length-prefixed UTF-16 text, the string type of every automation interface. The length
// prefix (in bytes) sits just before the characters, so a BSTR may hold embedded NULs and its
// length is O(1). A null BSTR is a valid empty string everywhere.
#pragma once

#include "platform/wintypes.h"

#include <string>
#include <string_view>
#include <utility>

using BSTR = OLECHAR *;
using LPOLESTR = OLECHAR *;
using LPCOLESTR = const OLECHAR *;

// Copies a NUL-terminated string; null in gives null out.
BSTR SysAllocString(const OLECHAR *text) noexcept;
// Copies `length` characters (text may be null: the characters are then zero).
BSTR SysAllocStringLen(const OLECHAR *text, UINT length) noexcept;
// `length` bytes, no conversion (the byte length may be odd).
BSTR SysAllocStringByteLen(const char *bytes, UINT length) noexcept;
// Replaces *target with a copy of text; FALSE on allocation failure (then *target is unchanged).
BOOL SysReAllocString(BSTR *target, const OLECHAR *text) noexcept;
void SysFreeString(BSTR text) noexcept;
UINT SysStringLen(BSTR text) noexcept;
UINT SysStringByteLen(BSTR text) noexcept;

// Task memory, used for strings and blocks handed across an interface to be freed by the caller.
void *CoTaskMemAlloc(SIZE_T size) noexcept;
void *CoTaskMemRealloc(void *block, SIZE_T size) noexcept;
void CoTaskMemFree(void *block) noexcept;

namespace platform::com {

std::u16string utf8ToUtf16(std::string_view text);
std::string utf16ToUtf8(std::u16string_view text);

inline std::u16string_view view(BSTR text) noexcept
{
    return text ? std::u16string_view(text, SysStringLen(text)) : std::u16string_view();
}

// Owns one BSTR: frees it on destruction, hands it out with detach() or as an out-parameter
// through out() (which frees the old value first).
class BStr {
public:
    BStr() noexcept = default;
    explicit BStr(const OLECHAR *text) noexcept
        : m_str(SysAllocString(text))
    {
    }
    explicit BStr(std::u16string_view text) noexcept
        : m_str(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())))
    {
    }
    static BStr fromUtf8(std::string_view text) { return BStr(utf8ToUtf16(text)); }
    // Takes ownership of an existing BSTR.
    static BStr attach(BSTR text) noexcept
    {
        BStr b;
        b.m_str = text;
        return b;
    }
    BStr(const BStr &other) noexcept
        : m_str(copy(other.m_str))
    {
    }
    BStr(BStr &&other) noexcept
        : m_str(std::exchange(other.m_str, nullptr))
    {
    }
    BStr &operator=(BStr other) noexcept
    {
        std::swap(m_str, other.m_str);
        return *this;
    }
    ~BStr() { SysFreeString(m_str); }

    BSTR get() const noexcept { return m_str; }
    BSTR *out() noexcept
    {
        SysFreeString(std::exchange(m_str, nullptr));
        return &m_str;
    }
    BSTR detach() noexcept { return std::exchange(m_str, nullptr); }
    // A copy for an out-parameter; null stays null.
    BSTR copy() const noexcept { return copy(m_str); }
    UINT length() const noexcept { return SysStringLen(m_str); }
    bool empty() const noexcept { return length() == 0; }
    std::u16string_view view() const noexcept { return platform::com::view(m_str); }
    std::string toUtf8() const { return utf16ToUtf8(view()); }

    friend bool operator==(const BStr &a, const BStr &b) noexcept { return a.view() == b.view(); }

private:
    static BSTR copy(BSTR s) noexcept
    {
        return s ? SysAllocStringLen(s, SysStringLen(s)) : nullptr;
    }
    BSTR m_str = nullptr;
};

} // namespace platform::com
