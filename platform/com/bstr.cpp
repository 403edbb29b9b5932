#include "platform/com/bstr.h"

#include <QString>

#include <cstdlib>
#include <cstring>

namespace {

// The byte length sits in the 4 bytes before the characters; a NUL character always follows them.
constexpr std::size_t kPrefix = sizeof(DWORD);
constexpr UINT kMaxBytes = 0x7ffffff0u;

BSTR allocate(UINT byteLength) noexcept
{
    if (byteLength > kMaxBytes)
        return nullptr;
    auto *block = static_cast<char *>(std::malloc(kPrefix + byteLength + sizeof(OLECHAR) + 1));
    if (!block)
        return nullptr;
    const DWORD len = byteLength;
    std::memcpy(block, &len, kPrefix);
    std::memset(block + kPrefix + byteLength, 0, sizeof(OLECHAR) + 1);
    return reinterpret_cast<BSTR>(block + kPrefix);
}

} // namespace

BSTR SysAllocString(const OLECHAR *text) noexcept
{
    if (!text)
        return nullptr;
    UINT n = 0;
    while (text[n])
        ++n;
    return SysAllocStringLen(text, n);
}

BSTR SysAllocStringLen(const OLECHAR *text, UINT length) noexcept
{
    if (length > kMaxBytes / sizeof(OLECHAR))
        return nullptr;
    BSTR s = allocate(length * sizeof(OLECHAR));
    if (!s)
        return nullptr;
    if (text)
        std::memcpy(s, text, length * sizeof(OLECHAR));
    else
        std::memset(s, 0, length * sizeof(OLECHAR));
    return s;
}

BSTR SysAllocStringByteLen(const char *bytes, UINT length) noexcept
{
    BSTR s = allocate(length);
    if (s && bytes)
        std::memcpy(s, bytes, length);
    return s;
}

BOOL SysReAllocString(BSTR *target, const OLECHAR *text) noexcept
{
    if (!target)
        return FALSE;
    BSTR copy = SysAllocString(text);
    if (text && !copy)
        return FALSE;
    SysFreeString(*target);
    *target = copy;
    return TRUE;
}

void SysFreeString(BSTR text) noexcept
{
    if (text)
        std::free(reinterpret_cast<char *>(text) - kPrefix);
}

UINT SysStringByteLen(BSTR text) noexcept
{
    if (!text)
        return 0;
    DWORD len;
    std::memcpy(&len, reinterpret_cast<const char *>(text) - kPrefix, kPrefix);
    return len;
}

UINT SysStringLen(BSTR text) noexcept
{
    return SysStringByteLen(text) / sizeof(OLECHAR);
}

void *CoTaskMemAlloc(SIZE_T size) noexcept
{
    return std::malloc(size ? size : 1);
}
void *CoTaskMemRealloc(void *block, SIZE_T size) noexcept
{
    return std::realloc(block, size ? size : 1);
}
void CoTaskMemFree(void *block) noexcept
{
    std::free(block);
}

namespace platform::com {

std::u16string utf8ToUtf16(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toStdU16String();
}

std::string utf16ToUtf8(std::u16string_view text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())).toStdString();
}

} // namespace platform::com
