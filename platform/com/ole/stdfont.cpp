#include "platform/com/ole/stdfont.h"

#include "platform/com/boundary.h"
#include "platform/com/connection.h"
#include "platform/com/ole/internal/stdclasses.h"
#include "platform/com/ole/olectl.h"
#include "platform/com/storage.h"

#include <QFont>

#include <algorithm>
#include <array>
#include <cstring>

namespace platform::com {
namespace {

constexpr BYTE kFontStreamVersion = 1;
constexpr LONGLONG kMaxSize = 100000LL * 10000; // 100 000 points as currency
constexpr BYTE kItalic = 1, kUnderline = 2, kStrike = 4;

// Lets fontToQFont reach the state of our own fonts without going through the properties.
struct IStdFontState : IUnknown {
    static constexpr IID iid = guid("{7D6C0F3A-52B1-4C8E-A1F0-3E9B6D2C5A17}");
    virtual QFont qfont() const = 0;

protected:
    ~IStdFontState() = default;
};

struct FontState {
    std::u16string name = u"MS Sans Serif";
    LONGLONG size = 80000; // 8 points
    SHORT weight = FW_NORMAL;
    SHORT charset = 0;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool operator==(const FontState &) const = default;
};

struct NameEntry {
    std::u16string_view name;
    DISPID id;
};
constexpr NameEntry kNames[] = {
    { u"Name", DISPID_FONT_NAME },
    { u"Size", DISPID_FONT_SIZE },
    { u"Bold", DISPID_FONT_BOLD },
    { u"Italic", DISPID_FONT_ITALIC },
    { u"Underline", DISPID_FONT_UNDER },
    { u"Strikethrough", DISPID_FONT_STRIKE },
    { u"Weight", DISPID_FONT_WEIGHT },
    { u"Charset", DISPID_FONT_CHARSET },
};

QFont makeQFont(const FontState &s)
{
    QFont f(substituteFontFamily(QString::fromStdU16String(s.name)));
    f.setPointSizeF(
        static_cast<double>(s.size) / 10000.0 > 0 ? static_cast<double>(s.size) / 10000.0 : 1.0);
    // Windows weights 100..900 to Qt's, which use the same scale.
    f.setWeight(
        static_cast<QFont::Weight>(std::clamp<int>(s.weight ? s.weight : FW_NORMAL, 1, 1000)));
    f.setItalic(s.italic);
    f.setUnderline(s.underline);
    f.setStrikeOut(s.strike);
    return f;
}

template <class T> HRESULT readExact(IStream *stream, T *out, ULONG size = sizeof(T)) noexcept
{
    ULONG got = 0;
    const HRESULT hr = stream->Read(out, size, &got);
    if (FAILED(hr))
        return hr;
    return got == size ? S_OK : STG_E_READFAULT;
}

// Holders that paint with the font hear of each change through IPropertyNotifySink::OnChanged
// with the property's DISPID (DISPID_UNKNOWN when Load replaced them all); a put that leaves the
// value as it was tells nobody.
class StdFont final : public ComObject<StdFont, IFont, IFontDisp, IPersistStream, IStdFontState,
                          ConnectionPointContainerImpl> {
public:
    StdFont() noexcept
        : m_notify(addPoint(IPropertyNotifySink::iid))
    {
    }
    explicit StdFont(const FontState &state) noexcept
        : m_state(state)
        , m_notify(addPoint(IPropertyNotifySink::iid))
    {
    }

    // IFont
    HRESULT get_Name(BSTR *p) noexcept override
    {
        if (!p)
            return E_POINTER;
        *p = SysAllocStringLen(m_state.name.data(), static_cast<UINT>(m_state.name.size()));
        return S_OK;
    }
    HRESULT put_Name(BSTR name) noexcept override
    {
        if (!name)
            return CTL_E_INVALIDPROPERTYVALUE;
        return guarded([&] {
            return set(m_state.name, std::u16string(view(name)), DISPID_FONT_NAME);
        });
    }
    HRESULT get_Size(CY *p) noexcept override
    {
        if (!p)
            return E_POINTER;
        p->int64 = m_state.size;
        return S_OK;
    }
    HRESULT put_Size(CY size) noexcept override
    {
        if (size.int64 < 0 || size.int64 > kMaxSize)
            return CTL_E_INVALIDPROPERTYVALUE;
        return set(m_state.size, size.int64, DISPID_FONT_SIZE);
    }
    HRESULT get_Bold(BOOL *p) noexcept override { return getFlag(p, m_state.weight >= FW_BOLD); }
    HRESULT put_Bold(BOOL on) noexcept override
    {
        return set(m_state.weight, on ? FW_BOLD : FW_NORMAL, DISPID_FONT_BOLD);
    }
    HRESULT get_Italic(BOOL *p) noexcept override { return getFlag(p, m_state.italic); }
    HRESULT put_Italic(BOOL on) noexcept override
    {
        return set(m_state.italic, on != FALSE, DISPID_FONT_ITALIC);
    }
    HRESULT get_Underline(BOOL *p) noexcept override { return getFlag(p, m_state.underline); }
    HRESULT put_Underline(BOOL on) noexcept override
    {
        return set(m_state.underline, on != FALSE, DISPID_FONT_UNDER);
    }
    HRESULT get_Strikethrough(BOOL *p) noexcept override { return getFlag(p, m_state.strike); }
    HRESULT put_Strikethrough(BOOL on) noexcept override
    {
        return set(m_state.strike, on != FALSE, DISPID_FONT_STRIKE);
    }
    HRESULT get_Weight(SHORT *p) noexcept override
    {
        if (!p)
            return E_POINTER;
        *p = m_state.weight;
        return S_OK;
    }
    HRESULT put_Weight(SHORT weight) noexcept override
    {
        if (weight < 0 || weight > 1000)
            return CTL_E_INVALIDPROPERTYVALUE;
        return set(m_state.weight, weight, DISPID_FONT_WEIGHT);
    }
    HRESULT get_Charset(SHORT *p) noexcept override
    {
        if (!p)
            return E_POINTER;
        *p = m_state.charset;
        return S_OK;
    }
    HRESULT put_Charset(SHORT charset) noexcept override
    {
        return set(m_state.charset, charset, DISPID_FONT_CHARSET);
    }
    HRESULT get_hFont(HFONT *p) noexcept override
    {
        if (p)
            *p = 0;
        return E_NOTIMPL;
    }
    HRESULT Clone(IFont **out) noexcept override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        auto copy = StdFont::make(m_state);
        if (!copy)
            return E_OUTOFMEMORY;
        *out = copy.Detach();
        return S_OK;
    }
    HRESULT IsEqual(IFont *other) noexcept override
    {
        if (!other)
            return E_POINTER;
        ComPtr<IFont> copy;
        FontState theirs;
        BStr name;
        CY size {};
        BOOL italic = 0, under = 0, strike = 0;
        if (FAILED(other->get_Name(name.out())) || FAILED(other->get_Size(&size)) ||
            FAILED(other->get_Weight(&theirs.weight)) ||
            FAILED(other->get_Charset(&theirs.charset)) || FAILED(other->get_Italic(&italic)) ||
            FAILED(other->get_Underline(&under)) || FAILED(other->get_Strikethrough(&strike)))
            return S_FALSE;
        theirs.name = std::u16string(name.view());
        theirs.size = size.int64;
        theirs.italic = italic;
        theirs.underline = under;
        theirs.strike = strike;
        return theirs == m_state ? S_OK : S_FALSE;
    }
    HRESULT SetRatio(LONG cyLogical, LONG cyHimetric) noexcept override
    {
        return (cyLogical && cyHimetric) ? S_OK : E_FAIL;
    }
    HRESULT QueryTextMetrics(TEXTMETRICOLE *) noexcept override { return E_NOTIMPL; }
    HRESULT AddRefHfont(HFONT) noexcept override { return E_NOTIMPL; }
    HRESULT ReleaseHfont(HFONT) noexcept override { return E_NOTIMPL; }
    HRESULT SetHdc(HDC) noexcept override { return S_OK; }

    // IDispatch (IFontDisp)
    HRESULT GetTypeInfoCount(UINT *n) noexcept override
    {
        if (!n)
            return E_INVALIDARG;
        *n = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo **out) noexcept override
    {
        if (out)
            *out = nullptr;
        return DISP_E_BADINDEX;
    }
    HRESULT GetIDsOfNames(
        REFIID riid, LPOLESTR *names, UINT count, LCID, DISPID *ids) noexcept override;
    HRESULT Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS *params, VARIANT *result,
        EXCEPINFO *, UINT *argErr) noexcept override;

    // IPersistStream
    HRESULT GetClassID(CLSID *out) noexcept override
    {
        if (!out)
            return E_POINTER;
        *out = CLSID_StdFont;
        return S_OK;
    }
    HRESULT IsDirty() noexcept override { return m_dirty ? S_OK : S_FALSE; }
    HRESULT Load(IStream *stream) noexcept override;
    HRESULT Save(IStream *stream, BOOL clearDirty) noexcept override;
    HRESULT GetSizeMax(ULARGE_INTEGER *size) noexcept override
    {
        if (!size)
            return E_POINTER;
        size->QuadPart = 1 + 1 + 2 + 2 + 8 + 1 + 255;
        return S_OK;
    }

    QFont qfont() const override { return makeQFont(m_state); }

private:
    template <class T> HRESULT set(T &field, T value, DISPID id)
    {
        m_dirty = true;
        if (field == value)
            return S_OK;
        field = std::move(value);
        notify(id);
        return S_OK;
    }
    void notify(DISPID id) noexcept
    {
        if (!m_notify || m_notify->sinkCount() == 0)
            return;
        // A holder may let go of its last reference from inside OnChanged.
        const ComPtr<IUnknown> keepAlive(identity());
        m_notify->forEachSink<IPropertyNotifySink>(
            [id](IPropertyNotifySink *sink) { (void)sink->OnChanged(id); });
    }
    static HRESULT getFlag(BOOL *p, bool value) noexcept
    {
        if (!p)
            return E_POINTER;
        *p = value ? TRUE : FALSE;
        return S_OK;
    }

    FontState m_state;
    bool m_dirty = false;
    // The IPropertyNotifySink point; a clone starts with its own, empty one.
    ConnectionPoint *m_notify;
};

HRESULT StdFont::GetIDsOfNames(REFIID riid, LPOLESTR *names, UINT count, LCID, DISPID *ids) noexcept
{
    if (riid != IID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    if (!names || !ids || count == 0)
        return E_INVALIDARG;
    for (UINT i = 0; i < count; ++i)
        ids[i] = DISPID_UNKNOWN;
    const QString wanted = names[0] ? QString::fromUtf16(names[0]) : QString();
    for (const NameEntry &e : kNames)
        if (wanted.compare(QString::fromUtf16(e.name.data(), static_cast<qsizetype>(e.name.size())),
                Qt::CaseInsensitive) == 0)
            ids[0] = e.id;
    return (ids[0] == DISPID_UNKNOWN || count > 1) ? DISP_E_UNKNOWNNAME : S_OK;
}

HRESULT StdFont::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS *params,
    VARIANT *result, EXCEPINFO *, UINT *argErr) noexcept
{
    if (riid != IID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    VARTYPE vt = VT_EMPTY;
    switch (id) {
    case DISPID_FONT_NAME:
        vt = VT_BSTR;
        break;
    case DISPID_FONT_SIZE:
        vt = VT_CY;
        break;
    case DISPID_FONT_BOLD:
    case DISPID_FONT_ITALIC:
    case DISPID_FONT_UNDER:
    case DISPID_FONT_STRIKE:
        vt = VT_BOOL;
        break;
    case DISPID_FONT_WEIGHT:
    case DISPID_FONT_CHARSET:
        vt = VT_I2;
        break;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
    const UINT argc = params ? params->cArgs : 0;
    if (flags & DISPATCH_PROPERTYPUT) {
        if (argc != 1)
            return DISP_E_BADPARAMCOUNT;
        Variant value;
        if (FAILED(VariantChangeType(&value, &params->rgvarg[0], 0, vt))) {
            if (argErr)
                *argErr = 0;
            return DISP_E_TYPEMISMATCH;
        }
        switch (id) {
        case DISPID_FONT_NAME:
            return put_Name(value.bstrVal);
        case DISPID_FONT_SIZE:
            return put_Size(value.cyVal);
        case DISPID_FONT_BOLD:
            return put_Bold(value.boolVal != 0);
        case DISPID_FONT_ITALIC:
            return put_Italic(value.boolVal != 0);
        case DISPID_FONT_UNDER:
            return put_Underline(value.boolVal != 0);
        case DISPID_FONT_STRIKE:
            return put_Strikethrough(value.boolVal != 0);
        case DISPID_FONT_WEIGHT:
            return put_Weight(value.iVal);
        default:
            return put_Charset(value.iVal);
        }
    }
    if (!(flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)))
        return DISP_E_MEMBERNOTFOUND;
    if (argc != 0)
        return DISP_E_BADPARAMCOUNT;
    Variant value;
    value.vt = vt;
    BOOL flag = FALSE;
    switch (id) {
    case DISPID_FONT_NAME:
        (void)get_Name(&value.bstrVal);
        break;
    case DISPID_FONT_SIZE:
        value.cyVal.int64 = m_state.size;
        break;
    case DISPID_FONT_WEIGHT:
        value.iVal = m_state.weight;
        break;
    case DISPID_FONT_CHARSET:
        value.iVal = m_state.charset;
        break;
    default:
        flag = id == DISPID_FONT_BOLD  ? m_state.weight >= FW_BOLD
            : id == DISPID_FONT_ITALIC ? m_state.italic
            : id == DISPID_FONT_UNDER  ? m_state.underline
                                       : m_state.strike;
        value.boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
    }
    if (result) {
        (void)VariantClear(result);
        *result = value.detach();
    }
    return S_OK;
}

HRESULT StdFont::Save(IStream *stream, BOOL clearDirty) noexcept
{
    if (!stream)
        return E_POINTER;
    const std::string name = utf16ToUtf8(m_state.name);
    if (name.size() > 255)
        return E_FAIL; // a name the layout cannot hold
    std::string bytes;
    auto put = [&](const void *p, std::size_t n) { bytes.append(static_cast<const char *>(p), n); };
    const BYTE version = kFontStreamVersion;
    const BYTE flags = (m_state.italic ? kItalic : 0) | (m_state.underline ? kUnderline : 0) |
        (m_state.strike ? kStrike : 0);
    const WORD weight = static_cast<WORD>(m_state.weight);
    const WORD charset = static_cast<WORD>(m_state.charset);
    const LONGLONG size = m_state.size;
    const BYTE length = static_cast<BYTE>(name.size());
    put(&version, 1);
    put(&flags, 1);
    put(&weight, 2);
    put(&charset, 2);
    put(&size, 8);
    put(&length, 1);
    put(name.data(), name.size());
    ULONG written = 0;
    const HRESULT hr = stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
    if (FAILED(hr))
        return hr;
    if (written != bytes.size())
        return STG_E_WRITEFAULT;
    if (clearDirty)
        m_dirty = false;
    return S_OK;
}

HRESULT StdFont::Load(IStream *stream) noexcept
{
    if (!stream)
        return E_POINTER;
    BYTE version = 0, flags = 0, length = 0;
    WORD weight = 0, charset = 0;
    LONGLONG size = 0;
    std::array<char, 255> name {};
    if (FAILED(readExact(stream, &version)) || version != kFontStreamVersion ||
        FAILED(readExact(stream, &flags)) || (flags & ~(kItalic | kUnderline | kStrike)) ||
        FAILED(readExact(stream, &weight)) || weight > 1000 ||
        FAILED(readExact(stream, &charset)) || FAILED(readExact(stream, &size)) || size < 0 ||
        size > kMaxSize || FAILED(readExact(stream, &length)) ||
        (length && FAILED(readExact(stream, name.data(), length))))
        return E_FAIL;
    FontState s;
    s.name = utf8ToUtf16(std::string_view(name.data(), length));
    s.size = size;
    s.weight = static_cast<SHORT>(weight);
    s.charset = static_cast<SHORT>(charset);
    s.italic = flags & kItalic;
    s.underline = flags & kUnderline;
    s.strike = flags & kStrike;
    const bool differs = !(s == m_state);
    m_state = std::move(s);
    m_dirty = false;
    if (differs)
        notify(DISPID_UNKNOWN);
    return S_OK;
}

} // namespace

HRESULT createStdFont(REFIID riid, void **ppv) noexcept
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    auto font = StdFont::make();
    if (!font)
        return E_OUTOFMEMORY;
    return font->QueryInterface(riid, ppv);
}

QString substituteFontFamily(const QString &windowsName)
{
    static const struct {
        const char *windows;
        const char *liberation;
    } kSubstitutes[] = {
        { "MS Sans Serif", "Liberation Sans" },
        { "Microsoft Sans Serif", "Liberation Sans" },
        { "Arial", "Liberation Sans" },
        { "Tahoma", "Liberation Sans" },
        { "Verdana", "Liberation Sans" },
        { "Times New Roman", "Liberation Serif" },
        { "Times", "Liberation Serif" },
        { "Courier New", "Liberation Mono" },
        { "Courier", "Liberation Mono" },
    };
    const QString trimmed = windowsName.trimmed();
    for (const auto &s : kSubstitutes)
        if (trimmed.compare(QLatin1String(s.windows), Qt::CaseInsensitive) == 0)
            return QLatin1String(s.liberation);
    return windowsName;
}

HRESULT fontToQFont(IUnknown *font, QFont *out) noexcept
{
    if (!font || !out)
        return E_POINTER;
    ComPtr<IStdFontState> ours;
    if (SUCCEEDED(font->QueryInterface(IStdFontState::iid, ours.voidOut()))) {
        *out = ours->qfont();
        return S_OK;
    }
    ComPtr<IFont> other;
    if (FAILED(font->QueryInterface(IID_PPV_ARGS(&other))))
        return E_NOINTERFACE;
    FontState s;
    BStr name;
    CY size {};
    BOOL italic = 0, under = 0, strike = 0;
    if (FAILED(other->get_Name(name.out())) || FAILED(other->get_Size(&size)) ||
        FAILED(other->get_Weight(&s.weight)) || FAILED(other->get_Italic(&italic)) ||
        FAILED(other->get_Underline(&under)) || FAILED(other->get_Strikethrough(&strike)))
        return E_FAIL;
    s.name = std::u16string(name.view());
    s.size = size.int64;
    s.italic = italic;
    s.underline = under;
    s.strike = strike;
    *out = makeQFont(s);
    return S_OK;
}

HRESULT createFontFromDesc(const FONTDESC &d, REFIID riid, void **ppv) noexcept
{
    FontState s;
    if (d.lpstrName)
        s.name = std::u16string(d.lpstrName);
    if (d.cySize.int64 < 0 || d.cySize.int64 > kMaxSize || d.sWeight < 0 || d.sWeight > 1000)
        return E_INVALIDARG;
    s.size = d.cySize.int64;
    s.weight = d.sWeight ? d.sWeight : FW_NORMAL;
    s.charset = d.sCharset;
    s.italic = d.fItalic;
    s.underline = d.fUnderline;
    s.strike = d.fStrikethrough;
    auto font = StdFont::make(s);
    if (!font)
        return E_OUTOFMEMORY;
    return font->QueryInterface(riid, ppv);
}

} // namespace platform::com

HRESULT OleCreateFontIndirect(LPFONTDESC desc, REFIID riid, void **ppvObj) noexcept
{
    if (!ppvObj)
        return E_POINTER;
    *ppvObj = nullptr;
    if (!desc)
        return platform::com::createStdFont(riid, ppvObj);
    return platform::com::createFontFromDesc(*desc, riid, ppvObj);
}
