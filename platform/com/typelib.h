// Type library files. A component carries its type library as a description compiled into it
// (BIDLARK_EMBED_TYPELIB); `regsvr -t` writes it to a ".tlb" file in the format below, and
// LoadTypeLib reads either that file or the component library itself.
//
// File format (all integers little-endian; "str" is a u32 byte count then that many UTF-8 bytes,
// at most 64 KiB; "guid" is u32 Data1, u16 Data2, u16 Data3, 8 bytes Data4):
//
//   header   8 bytes "BLKTLB\r\n", u16 format version (1)
//   library  guid libid, u16 major, u16 minor, u32 lcid, u16 syskind, u16 libflags,
//            str name, str doc, str helpfile, u32 typeCount (at most 4096)
//   type     u8 typekind (3 interface, 4 dispinterface, 5 class, 0 enumeration), guid, str name,
//   str doc, u16 typeflags,
//            u32 implCount (at most 256), then per implemented type: u32 href, i32 implflags
//              (href: index of a type of this file, 0x80000000 IUnknown, 0x80000001 IDispatch)
//            u32 funcCount (at most 4096), then per function:
//              i32 dispid, u8 invokekind, u16 funcflags, str name, str doc,
//              u8 paramCount (at most 12), then per parameter:
//                str name, u16 vartype (VT_BYREF | type for pointers), u16 paramflags,
//                u8 default kind (0 none, 1 integer, 2 real, 3 text), then
//                i64 integer | f64 real | str text (UTF-8) as the kind says
//            u32 constantCount (at most 4096; enumerations), then per constant: str name, i32 value
//
// A reader refuses (TYPE_E_INVDATAREAD) a file that is shorter than its counts say, has trailing
// bytes, a count above its limit, an href outside the file or an unknown type or kind.
#pragma once

#include "platform/com/automation.h"

#include <string>

namespace platform::com {

// Writes the type library a component library carries (or that a .tlb file holds) to `output`.
[[nodiscard]] HRESULT exportTypeLib(const std::string &library, const std::string &output) noexcept;

// Reads a type library from bytes of the format above (for the fuzz target and tests).
[[nodiscard]] HRESULT loadTypeLibFromMemory(std::string_view bytes, ITypeLib **out) noexcept;

// The body of a component's DllRegisterServer step for its type library: registers `desc` with
// the module's own path and the module's folder as help folder.
[[nodiscard]] HRESULT registerEmbeddedTypeLib(
    const TypeLibDesc &desc, const std::string &modulePath) noexcept;
[[nodiscard]] HRESULT unregisterEmbeddedTypeLib(const TypeLibDesc &desc) noexcept;

} // namespace platform::com
