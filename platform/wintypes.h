// The fixed-width integer and handle types of the Windows platform interfaces that the rest of the
// tree is written against. Widths follow Windows, not LP64: LONG and HRESULT are 32-bit even where
// C++ long is 64-bit, so nothing above this layer ever uses long in an interface.
#pragma once

#include <cstddef>
#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using INT = std::int32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using BOOL = std::int32_t;
using HRESULT = std::int32_t;
using OLE_COLOR = std::uint32_t;
using COLORREF = std::uint32_t;
using LONG_PTR = std::intptr_t;
using ULONG_PTR = std::uintptr_t;
using SIZE_T = std::size_t;
using LCID = std::uint32_t;
using WCHAR = char16_t;
using OLECHAR = char16_t;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
