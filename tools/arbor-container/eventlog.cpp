#include "tools/arbor-container/eventlog.h"

#include "platform/com/boundary.h"
#include "platform/com/bstr.h"

#include <QStringList>

namespace arborcontainer {

bool EventLog::connect(IUnknown *control) noexcept
{
    disconnect();
    ComPtr<IProvideClassInfo> provider;
    ComPtr<ITypeInfo> coclass;
    TYPEATTR *attr = nullptr;
    if (!control || FAILED(control->QueryInterface(IProvideClassInfo::iid, provider.voidOut())) ||
        FAILED(provider->GetClassInfo(&coclass)) || FAILED(coclass->GetTypeAttr(&attr)))
        return false;
    const UINT count = attr->cImplTypes;
    coclass->ReleaseTypeAttr(attr);
    for (UINT i = 0; i < count && !m_events; ++i) {
        INT flags = 0;
        HREFTYPE ref = 0;
        ComPtr<ITypeInfo> source;
        if (FAILED(coclass->GetImplTypeFlags(i, &flags)) ||
            flags != (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE) ||
            FAILED(coclass->GetRefTypeOfImplType(i, &ref)) ||
            FAILED(coclass->GetRefTypeInfo(ref, &source)) || FAILED(source->GetTypeAttr(&attr)))
            continue;
        m_source = attr->guid;
        source->ReleaseTypeAttr(attr);
        m_events = source;
    }
    ComPtr<IConnectionPointContainer> points;
    if (!m_events ||
        FAILED(control->QueryInterface(IConnectionPointContainer::iid, points.voidOut())) ||
        FAILED(points->FindConnectionPoint(m_source, &m_point)) ||
        FAILED(m_point->Advise(this, &m_cookie))) {
        m_point = nullptr;
        m_events = nullptr;
        return false;
    }
    return true;
}

void EventLog::disconnect() noexcept
{
    if (m_point)
        (void)m_point->Unadvise(m_cookie);
    m_point = nullptr;
    m_events = nullptr;
    m_cookie = 0;
}

HRESULT EventLog::QueryInterface(REFIID riid, void **ppv) noexcept
{
    if (ppv && m_events && riid == m_source) {
        *ppv = static_cast<IDispatch *>(this);
        AddRef();
        return S_OK;
    }
    return ComObject::QueryInterface(riid, ppv);
}

HRESULT EventLog::GetTypeInfoCount(UINT *n) noexcept
{
    if (!n)
        return E_POINTER;
    *n = 0;
    return S_OK;
}

HRESULT EventLog::GetTypeInfo(UINT, LCID, ITypeInfo **out) noexcept
{
    if (out)
        *out = nullptr;
    return E_NOTIMPL;
}

HRESULT EventLog::GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) noexcept
{
    return DISP_E_UNKNOWNNAME;
}

HRESULT EventLog::Invoke(
    DISPID id, REFIID, LCID, WORD, DISPPARAMS *params, VARIANT *, EXCEPINFO *, UINT *) noexcept
{
    return guarded([&] {
        // Names of the event and its parameters, first to last.
        BSTR names[16] = {};
        UINT named = 0;
        if (m_events)
            (void)m_events->GetNames(id, names, 16, &named);
        QString line = named ? QString::fromStdU16String(std::u16string(view(names[0])))
                             : QStringLiteral("event %1").arg(id);
        QStringList args;
        const UINT count = params ? params->cArgs : 0;
        for (UINT i = 0; i < count; ++i) {
            const VARIANT &value = params->rgvarg[count - 1 - i];
            const QString name = i + 1 < named
                ? QString::fromStdU16String(std::u16string(view(names[i + 1]))) + QLatin1Char('=')
                : QString();
            args << name + describe(value);
        }
        for (UINT i = 0; i < named; ++i)
            SysFreeString(names[i]);
        line += QLatin1Char('(') + args.join(QStringLiteral(", ")) + QLatin1Char(')');
        if (onLine)
            onLine(line);
        return S_OK;
    });
}

QString describe(const VARIANT &value)
{
    const VARIANT *v = &value;
    if (v->vt == (VT_BYREF | VT_VARIANT) && v->pvarVal)
        v = v->pvarVal;
    if (v->vt == VT_EMPTY)
        return QStringLiteral("<empty>");
    if (v->vt == VT_DISPATCH || v->vt == VT_UNKNOWN)
        return v->punkVal ? QStringLiteral("<object>") : QStringLiteral("<nothing>");
    Variant text;
    if (SUCCEEDED(VariantChangeType(&text, v, 0, VT_BSTR)))
        return QString::fromStdU16String(std::u16string(view(text.bstrVal)));
    return QStringLiteral("<type %1>").arg(v->vt);
}

Variant parse(const QString &text)
{
    bool whole = false;
    const int number = text.trimmed().toInt(&whole, 0);
    if (whole)
        return Variant::i4(number);
    return Variant::str(text.toStdU16String());
}

} // namespace arborcontainer
