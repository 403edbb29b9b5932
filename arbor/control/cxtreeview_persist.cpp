// The control's saved properties (stream and storage) and its property pages. Saving reads each
// property through the control's own dispatch interface, as a design environment would see it;
// loading stages the whole set first and applies it only once every row has been accepted.
#include "arbor/control/cxtreeview.h"

#include "arbor/control/internal/propertyset.h"
#include "arbor/control/logging.h"
#include "platform/com/dispatch.h"
#include "platform/com/out_param.h"

namespace arbor {

using namespace platform::com;
using control::PropertySet;

namespace {

// The rows written as typed variants, in stream order.
constexpr DISPID kSavedRows[] = { dispid::BorderStyle, dispid::BackColor, dispid::ForeColor,
    dispid::Picture, dispid::PicturePosition, dispid::Font, dispid::Enabled, dispid::MousePointer,
    dispid::MouseIcon, dispid::AutoHScroll, dispid::AutoVScroll };

constexpr OLECHAR kContents[] = u"Contents";

struct Counting {
    explicit Counting(int &counter) noexcept
        : m_counter(counter)
    {
        ++m_counter;
    }
    ~Counting() { --m_counter; }
    Counting(const Counting &) = delete;
    Counting &operator=(const Counting &) = delete;

private:
    int &m_counter;
};

HRESULT writeRaw(IStream *stream, const void *bytes, ULONG size) noexcept
{
    ULONG written = 0;
    const HRESULT hr = stream->Write(bytes, size, &written);
    return FAILED(hr) ? hr : written == size ? S_OK : STG_E_WRITEFAULT;
}

} // namespace

HRESULT CXTreeView::GetClassID(CLSID *pClassID) noexcept
{
    return giveOut(pClassID, CLSID_Arbor);
}

HRESULT CXTreeView::IsDirty() noexcept
{
    return m_dirty ? S_OK : S_FALSE;
}

HRESULT CXTreeView::Save(IStream *stream, BOOL clearDirty) noexcept
{
    if (!stream)
        return E_POINTER;
    if (m_persisting > 0)
        return E_UNEXPECTED;
    const Counting counting(m_persisting);
    const auto failed = [] {
        qCDebug(lcControl) << "properties not saved: the stream refused a write";
        return E_FAIL;
    };
    const ULONG version = control::kPropertySetVersion;
    if (FAILED(writeRaw(stream, &version, 4)) || FAILED(writeRaw(stream, &m_extent.cx, 4)) ||
        FAILED(writeRaw(stream, &m_extent.cy, 4)))
        return failed();
    IDispatch *self = static_cast<IArbor *>(this);
    for (const DISPID id : kSavedRows) {
        Variant value;
        if (FAILED(invokeByDispid(self, id, DISPATCH_PROPERTYGET, nullptr, 0, &value)) ||
            FAILED(writeTypedVariant(stream, value)))
            return failed();
    }
    const DWORD style = model().appearance().style;
    if (FAILED(writeRaw(stream, &style, 4)) || FAILED(writeRaw(stream, &m_dropEffect, 4)))
        return failed();
    if (clearDirty)
        m_dirty = false;
    qCDebug(lcControl) << "properties saved";
    return S_OK;
}

HRESULT CXTreeView::Load(IStream *stream) noexcept
{
    if (!stream)
        return E_POINTER;
    if (m_persisting > 0)
        return E_UNEXPECTED;
    const Counting counting(m_persisting);
    PropertySet set;
    if (FAILED(control::readPropertySet(stream, set))) {
        qCDebug(lcControl) << "saved properties refused: short, malformed or out of range";
        return E_FAIL;
    }
    // The one check the reader cannot make without a GUI: the picture must be one we can show.
    QPixmap pixmap;
    if (set.picture && FAILED(pictureToPixmap(set.picture.Get(), &pixmap))) {
        qCDebug(lcControl) << "saved properties refused: the picture cannot be shown";
        return E_FAIL;
    }

    // Every value was checked: from here on nothing fails but for memory, and the puts below are
    // the members a host would call.
    SIZEL extent = set.extent;
    (void)SetExtent(DVASPECT_CONTENT, &extent);
    (void)put_BorderStyle(set.borderStyle);
    (void)put_BackColor(set.backColor);
    (void)put_ForeColor(set.foreColor);
    (void)putref_Picture(set.picture.Get());
    (void)put_PicturePosition(set.picturePosition);
    if (set.font) // no font saved: the control keeps the one it has
        (void)putref_Font(set.font.Get());
    (void)put_Enabled(set.enabled ? VARIANT_TRUE : VARIANT_FALSE);
    (void)put_MousePointer(set.mousePointer);
    (void)putref_MouseIcon(set.mouseIcon.Get());
    (void)put_AutoHScroll(set.autoHScroll ? VARIANT_TRUE : VARIANT_FALSE);
    (void)put_AutoVScroll(set.autoVScroll ? VARIANT_TRUE : VARIANT_FALSE);
    model().appearance().style = set.style;
    m_dropEffect = set.dropEffect;
    view().redraw(true);
    m_dirty = false;
    qCDebug(lcControl) << "saved properties loaded";
    return S_OK;
}

HRESULT CXTreeView::GetSizeMax(ULARGE_INTEGER *pcbSize) noexcept
{
    if (!pcbSize)
        return E_POINTER;
    // The size of what Save would write now, so a container's buffer is never too small.
    ComPtr<IStream> probe;
    HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, &probe);
    const bool dirty = m_dirty;
    if (SUCCEEDED(hr))
        hr = Save(probe.Get(), FALSE);
    m_dirty = dirty;
    STATSTG stat {};
    if (SUCCEEDED(hr))
        hr = probe->Stat(&stat, STATFLAG_NONAME);
    if (FAILED(hr))
        return hr;
    *pcbSize = stat.cbSize;
    return S_OK;
}

HRESULT CXTreeView::Load(IStorage *storage) noexcept
{
    if (!storage)
        return E_POINTER;
    ComPtr<IStream> stream;
    if (FAILED(
            storage->OpenStream(kContents, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream)))
        return E_FAIL;
    return Load(stream.Get());
}

HRESULT CXTreeView::Save(IStorage *storage, BOOL) noexcept
{
    if (!storage)
        return E_POINTER;
    ComPtr<IStream> stream;
    const HRESULT hr = storage->CreateStream(
        kContents, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &stream);
    if (FAILED(hr))
        return hr;
    return Save(stream.Get(), TRUE);
}

HRESULT CXTreeView::GetPages(CAUUID *pPages) noexcept
{
    if (!pPages)
        return E_POINTER;
    constexpr ULONG kCount = 2;
    pPages->cElems = 0;
    pPages->pElems = static_cast<GUID *>(CoTaskMemAlloc(kCount * sizeof(GUID)));
    if (!pPages->pElems)
        return E_OUTOFMEMORY;
    pPages->pElems[0] = CLSID_General;
    pPages->pElems[1] = CLSID_StockColorPage;
    pPages->cElems = kCount;
    return S_OK;
}

HRESULT CXTreeView::showProperties(HWND owner) noexcept
{
    CAUUID pages {};
    HRESULT hr = GetPages(&pages);
    if (FAILED(hr))
        return hr;
    IUnknown *objects[] = { identity() };
    hr = OleCreatePropertyFrame(
        owner, 0, 0, u"Arbor Properties", 1, objects, pages.cElems, pages.pElems, 0, 0, nullptr);
    CoTaskMemFree(pages.pElems);
    return hr;
}

} // namespace arbor
