// Rich error information: an object that fails a call may leave a description of the failure for
// the calling thread, and says through ISupportErrorInfo for which interfaces it does so.
#pragma once

#include "platform/com/bstr.h"
#include "platform/com/unknown.h"

struct IErrorInfo : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = guid("{1CF2B120-547D-101B-8E65-08002B2BD119}");
    [[nodiscard]] virtual HRESULT GetGUID(GUID *pGUID) noexcept = 0;
    [[nodiscard]] virtual HRESULT GetSource(BSTR *pBstrSource) noexcept = 0;
    [[nodiscard]] virtual HRESULT GetDescription(BSTR *pBstrDescription) noexcept = 0;
    [[nodiscard]] virtual HRESULT GetHelpFile(BSTR *pBstrHelpFile) noexcept = 0;
    [[nodiscard]] virtual HRESULT GetHelpContext(DWORD *pdwHelpContext) noexcept = 0;

protected:
    ~IErrorInfo() = default;
};

struct ICreateErrorInfo : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = guid("{22F03340-547D-101B-8E65-08002B2BD119}");
    [[nodiscard]] virtual HRESULT SetGUID(REFGUID rguid) noexcept = 0;
    [[nodiscard]] virtual HRESULT SetSource(LPOLESTR szSource) noexcept = 0;
    [[nodiscard]] virtual HRESULT SetDescription(LPOLESTR szDescription) noexcept = 0;
    [[nodiscard]] virtual HRESULT SetHelpFile(LPOLESTR szHelpFile) noexcept = 0;
    [[nodiscard]] virtual HRESULT SetHelpContext(DWORD dwHelpContext) noexcept = 0;

protected:
    ~ICreateErrorInfo() = default;
};

struct ISupportErrorInfo : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = guid("{DF0B3D60-548F-101B-8E65-08002B2BD119}");
    // S_OK when the object sets error information for failures of interface riid, else S_FALSE.
    [[nodiscard]] virtual HRESULT InterfaceSupportsErrorInfo(REFIID riid) noexcept = 0;

protected:
    ~ISupportErrorInfo() = default;
};

inline constexpr IID IID_IErrorInfo = IErrorInfo::iid;
inline constexpr IID IID_ICreateErrorInfo = ICreateErrorInfo::iid;
inline constexpr IID IID_ISupportErrorInfo = ISupportErrorInfo::iid;

[[nodiscard]] HRESULT CreateErrorInfo(ICreateErrorInfo **pperrinfo) noexcept;
// The error object of the calling thread; `reserved` must be 0. Setting null clears it.
[[nodiscard]] HRESULT SetErrorInfo(ULONG reserved, IErrorInfo *perrinfo) noexcept;
// Hands out the calling thread's error object and clears it; S_FALSE with null when there is none.
[[nodiscard]] HRESULT GetErrorInfo(ULONG reserved, IErrorInfo **pperrinfo) noexcept;

namespace platform::com {

// Sets the thread's error object (interface, source, description) and returns `result`, so a
// member can end with `return reportError(IArbor::iid, u"Corvel.Arbor.1", u"...",
// DISP_E_EXCEPTION);`
HRESULT reportError(REFIID iid, std::u16string_view source, std::u16string_view description,
    HRESULT result) noexcept;

// ISupportErrorInfo for a fixed list of interfaces: derive an object from it alongside its other
// interfaces (ComObject<X, IFoo, SupportErrorInfoFor<IFoo>>).
template <class... Interfaces> struct SupportErrorInfoFor : ISupportErrorInfo {
    static constexpr IID iid = ISupportErrorInfo::iid;
    using Base = IUnknown;
    [[nodiscard]] HRESULT InterfaceSupportsErrorInfo(REFIID riid) noexcept override
    {
        return ((riid == Interfaces::iid) || ...) ? S_OK : S_FALSE;
    }
};

} // namespace platform::com
