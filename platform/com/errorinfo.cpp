#include "platform/com/errorinfo.h"

#include "platform/com/boundary.h"

#include <string>

namespace platform::com {

namespace {

class ErrorInfo final : public ComObject<ErrorInfo, IErrorInfo, ICreateErrorInfo> {
public:
    HRESULT GetGUID(GUID *out) noexcept override
    {
        if (!out)
            return E_INVALIDARG;
        *out = m_guid;
        return S_OK;
    }
    HRESULT GetSource(BSTR *out) noexcept override { return give(m_source, out); }
    HRESULT GetDescription(BSTR *out) noexcept override { return give(m_description, out); }
    HRESULT GetHelpFile(BSTR *out) noexcept override { return give(m_helpFile, out); }
    HRESULT GetHelpContext(DWORD *out) noexcept override
    {
        if (!out)
            return E_INVALIDARG;
        *out = m_helpContext;
        return S_OK;
    }
    HRESULT SetGUID(REFGUID g) noexcept override
    {
        m_guid = g;
        return S_OK;
    }
    HRESULT SetSource(LPOLESTR text) noexcept override { return take(m_source, text); }
    HRESULT SetDescription(LPOLESTR text) noexcept override { return take(m_description, text); }
    HRESULT SetHelpFile(LPOLESTR text) noexcept override { return take(m_helpFile, text); }
    HRESULT SetHelpContext(DWORD context) noexcept override
    {
        m_helpContext = context;
        return S_OK;
    }

private:
    static HRESULT give(const std::u16string &text, BSTR *out) noexcept
    {
        if (!out)
            return E_INVALIDARG;
        *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        return *out ? S_OK : E_OUTOFMEMORY;
    }
    static HRESULT take(std::u16string &field, LPOLESTR text) noexcept
    {
        return guarded([&] {
            field = text ? text : u"";
            return S_OK;
        });
    }
    GUID m_guid {};
    std::u16string m_source, m_description, m_helpFile;
    DWORD m_helpContext = 0;
};

thread_local ComPtr<IErrorInfo> t_errorInfo;

} // namespace

HRESULT reportError(REFIID iid, std::u16string_view source, std::u16string_view description,
    HRESULT result) noexcept
{
    ComPtr<ICreateErrorInfo> create;
    if (SUCCEEDED(CreateErrorInfo(&create))) {
        const std::u16string s(source), d(description);
        (void)create->SetGUID(iid);
        (void)create->SetSource(const_cast<LPOLESTR>(s.c_str()));
        (void)create->SetDescription(const_cast<LPOLESTR>(d.c_str()));
        ComPtr<IErrorInfo> info;
        if (SUCCEEDED(create.As(info)))
            (void)SetErrorInfo(0, info.Get());
    }
    return result;
}

} // namespace platform::com

using namespace platform::com;

HRESULT CreateErrorInfo(ICreateErrorInfo **out) noexcept
{
    if (!out)
        return E_INVALIDARG;
    *out = nullptr;
    auto info = ErrorInfo::make();
    if (!info)
        return E_OUTOFMEMORY;
    return info->QueryInterface(ICreateErrorInfo::iid, reinterpret_cast<void **>(out));
}

HRESULT SetErrorInfo(ULONG reserved, IErrorInfo *info) noexcept
{
    if (reserved != 0)
        return E_INVALIDARG;
    t_errorInfo = info;
    return S_OK;
}

HRESULT GetErrorInfo(ULONG reserved, IErrorInfo **out) noexcept
{
    if (reserved != 0 || !out)
        return E_INVALIDARG;
    *out = t_errorInfo.Detach();
    return *out ? S_OK : S_FALSE;
}
