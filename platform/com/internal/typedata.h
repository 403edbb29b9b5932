// The run-time form of type information, built from a constexpr description or read from a .tlb
// file. The COM objects of typelib.cpp and the Invoke engine work on this form only.
#pragma once

#include "platform/com/automation.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace platform::com::detail {

struct ParamData {
    std::string name;
    VARTYPE vt = VT_EMPTY; // VT_BYREF | type for pointer parameters
    USHORT flags = 0; // PARAMFLAG_*
    const IID *iid =
        nullptr; // interface parameters other than IUnknown/IDispatch (in-process only)
    DefaultValue::Kind defaultKind = DefaultValue::None;
    LONGLONG defaultInteger = 0;
    double defaultReal = 0;
    std::u16string defaultText;

    bool isRetval() const { return flags & PARAMFLAG_FRETVAL; }
    bool isOptional() const { return flags & (PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT); }
};

struct FuncData {
    DISPID id = 0;
    INVOKEKIND kind = INVOKE_FUNC;
    std::string name;
    std::string doc;
    WORD flags = 0;
    std::vector<ParamData> params; // every C++ parameter, retval included
    InvokeThunk thunk = nullptr; // null for event interfaces and libraries read from files

    // Parameters a caller passes (everything but the retval).
    std::size_t visibleCount() const
    {
        return !params.empty() && params.back().isRetval() ? params.size() - 1 : params.size();
    }
};

inline constexpr HREFTYPE kHrefIUnknown = 0x80000000u;
inline constexpr HREFTYPE kHrefIDispatch = 0x80000001u;

struct ImplData {
    HREFTYPE href = kHrefIDispatch; // index of a type of the same library, or one of the above
    INT flags = 0;
};

struct TypeData {
    TYPEKIND kind = TKIND_DISPATCH;
    GUID guid {};
    std::string name;
    std::string doc;
    WORD flags = 0;
    std::vector<FuncData> funcs;
    std::vector<ImplData> impls;
    std::vector<std::pair<std::string, LONG>> constants; // TKIND_ENUM members, in order

    // DISPID -> indexes into funcs (a property has up to three entries); lower-case name -> DISPID.
    std::unordered_map<DISPID, std::vector<int>> byId;
    std::unordered_map<std::string, DISPID> byName;
    void buildIndex();
};

struct LibData {
    GUID libid {};
    WORD major = 1;
    WORD minor = 0;
    LCID lcid = 0;
    SYSKIND syskind = SYS_WIN64;
    WORD flags = LIBFLAG_FHASDISKIMAGE;
    std::string name;
    std::string doc;
    std::string helpFile;
    std::vector<TypeData> types;
};

std::string lowerAscii(std::string_view text);

// Builds the run-time form of a description (parameter flags and types completed from the C++
// signatures).
std::shared_ptr<LibData> libFromDescription(const TypeLibDesc &desc);
TypeData typeFromDescription(const InterfaceDesc &desc);

// COM objects over a library.
HRESULT makeTypeLib(std::shared_ptr<const LibData> lib, ITypeLib **out) noexcept;
HRESULT makeTypeInfo(std::shared_ptr<const LibData> lib, UINT index, ITypeInfo **out) noexcept;

// The .tlb format (see typelib.h). parseTypeLib bounds every count and length by the input size.
std::string serializeTypeLib(const LibData &lib);
std::shared_ptr<LibData> parseTypeLib(std::string_view bytes, std::string *error = nullptr);

} // namespace platform::com::detail
