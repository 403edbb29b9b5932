// Listens to a control's default event interface and hands each event on as one line of text,
// named through the control's own class information.
#pragma once

#include "platform/com/com.h"

#include <QString>

#include <functional>

namespace arborcontainer {

using namespace platform::com;

class EventLog final : public ComObject<EventLog, IDispatch> {
public:
    std::function<void(const QString &)> onLine;

    // Connects to the default source of `control`; false when it names none or refuses the sink.
    bool connect(IUnknown *control) noexcept;
    void disconnect() noexcept;

    HRESULT QueryInterface(REFIID riid, void **ppv) noexcept override;
    HRESULT GetTypeInfoCount(UINT *n) noexcept override;
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo **out) noexcept override;
    HRESULT GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) noexcept override;
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS *params, VARIANT *, EXCEPINFO *,
        UINT *) noexcept override;

private:
    IID m_source {};
    ComPtr<ITypeInfo> m_events;
    ComPtr<IConnectionPoint> m_point;
    DWORD m_cookie = 0;
};

// A value as a person reads it: text for anything that converts, else its type number.
QString describe(const VARIANT &value);
// A value as a person types it: a whole number becomes VT_I4, anything else a string.
Variant parse(const QString &text);

} // namespace arborcontainer
