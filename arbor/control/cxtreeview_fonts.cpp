// Fonts and pictures of the control: a put stores a copy of the host's object, a put by reference
// the object itself; either way the item window paints with what the object holds now. Font
// objects are watched through IPropertyNotifySink, so a host that changes a font it put by
// reference (or the one get_Font gave it) sees the control repaint with the change.
#include "arbor/control/cxtreeview.h"

#include "arbor/view/xtreecursor.h"
#include "platform/com/storage.h"

#include <QPixmap>

#include <vector>

namespace arbor {

using namespace platform::com;

namespace {

HRESULT copyFont(IFontDisp *font, ComPtr<IFontDisp> &out) noexcept
{
    out = nullptr;
    if (!font)
        return S_OK;
    ComPtr<IFont> source;
    ComPtr<IFont> clone;
    if (FAILED(font->QueryInterface(IFont::iid, source.voidOut())))
        return E_INVALIDARG;
    const HRESULT hr = source->Clone(&clone);
    if (FAILED(hr))
        return hr;
    return clone->QueryInterface(IFontDisp::iid, out.voidOut());
}

// A new picture object with the same contents: saved to memory and loaded back.
HRESULT copyPicture(IPictureDisp *picture, ComPtr<IPictureDisp> &out) noexcept
{
    out = nullptr;
    if (!picture)
        return S_OK;
    ComPtr<IPicture> source;
    if (FAILED(picture->QueryInterface(IPicture::iid, source.voidOut())))
        return E_INVALIDARG;
    ComPtr<IStream> stream;
    HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    LONG size = 0;
    if (SUCCEEDED(hr))
        hr = source->SaveAsFile(stream.Get(), TRUE, &size);
    if (FAILED(hr))
        return hr;
    if (size == 0)
        return S_OK; // an empty picture copies to no picture
    std::string bytes;
    hr = streamBytes(stream.Get(), bytes);
    if (FAILED(hr))
        return hr;
    return loadPictureFromBytes(bytes, IPictureDisp::iid, out.voidOut());
}

QFont qfontOf(IFontDisp *font, const QFont &fallback)
{
    QFont result = fallback;
    if (font && FAILED(fontToQFont(font, &result)))
        return fallback;
    return result;
}

// Hears one font object for the control font (item 0) or one item. It holds the control only
// weakly: the font may outlive the control, and an item's window may too for a moment.
class FontWatch final : public ComObject<FontWatch, IPropertyNotifySink> {
public:
    FontWatch(std::weak_ptr<CXTreeView *> control, LONG hItem) noexcept
        : m_control(std::move(control))
        , m_item(hItem)
    {
    }
    HRESULT OnChanged(DISPID) noexcept override
    {
        if (const std::shared_ptr<CXTreeView *> control = m_control.lock())
            (*control)->fontObjectChanged(m_item);
        return S_OK;
    }
    HRESULT OnRequestEdit(DISPID) noexcept override { return S_OK; }

private:
    std::weak_ptr<CXTreeView *> m_control;
    LONG m_item;
};

// Every item measures again: the control font sizes each item without a font of its own, and
// through them their rows and parents. O(n), as a new font calls for anyway.
void remeasureAll(XTreeModel &model)
{
    std::vector<XTreeItem *> pending;
    for (LONG i = 0, n = model.RootCount(); i < n; ++i)
        if (XTreeItem *r = model.item(model.Root(i)))
            pending.push_back(r);
    while (!pending.empty()) {
        XTreeItem *x = pending.back();
        pending.pop_back();
        model.invalidateItem(x);
        if (XTreeItem *right = x->GetRight())
            pending.push_back(right);
        for (XTreeItem *c = x->GetFirstChild(); c; c = c->GetNext())
            pending.push_back(c);
    }
}

template <class T> HRESULT handOut(const ComPtr<T> &object, T **out) noexcept
{
    if (!out)
        return E_POINTER;
    *out = object.Get();
    if (*out)
        (*out)->AddRef();
    return S_OK;
}

} // namespace

HRESULT CXTreeView::watchFont(IUnknown *font, LONG hItem, AdviseLink &link) noexcept
{
    link.reset();
    const auto sink = FontWatch::make(m_fontToken, hItem);
    if (!sink)
        return E_OUTOFMEMORY;
    // A font without connection points is still usable; it just cannot tell us of changes.
    (void)link.connect(font, IPropertyNotifySink::iid, sink->identity());
    return S_OK;
}

void CXTreeView::fontObjectChanged(LONG hItem) noexcept
{
    if (m_closing)
        return;
    try {
        if (hItem == 0) {
            model().appearance().font = qfontOf(m_font.Get(), QFont(QStringLiteral("Arial"), 8));
            remeasureAll(model());
            m_dirty = true;
            view().redraw(true);
            return;
        }
        XTreeItem *x = model().item(hItem);
        IUnknown *source = x ? x->itemFontSource() : nullptr;
        QFont font = model().appearance().font;
        if (!source || FAILED(fontToQFont(source, &font)))
            return;
        x->setItemFont(&font);
        model().invalidateItem(x);
        view().redraw(true);
    } catch (...) {
        // Out of memory: the window keeps painting with the font it had.
    }
}

HRESULT CXTreeView::controlFont(IFontDisp **out) noexcept
{
    if (!m_font) {
        const QFont &current = model().appearance().font;
        const std::u16string face = current.family().toStdU16String();
        FONTDESC desc {};
        desc.cbSizeofstruct = sizeof(FONTDESC);
        desc.lpstrName = const_cast<LPOLESTR>(face.c_str());
        desc.cySize.int64 = static_cast<LONGLONG>(current.pointSizeF() * 10000.0);
        desc.sWeight = static_cast<SHORT>(current.bold() ? 700 : 400);
        desc.fItalic = current.italic();
        const HRESULT hr = OleCreateFontIndirect(&desc, IFontDisp::iid, m_font.voidOut());
        if (FAILED(hr))
            return hr;
        // A host that changes this object changes the control font.
        if (FAILED(watchFont(m_font.Get(), 0, m_fontLink))) {
            m_font = nullptr;
            return E_OUTOFMEMORY;
        }
    }
    return handOut(m_font, out);
}

HRESULT CXTreeView::get_Font(IFontDisp **pVal) noexcept
{
    if (!pVal)
        return E_POINTER;
    *pVal = nullptr;
    return controlFont(pVal);
}

HRESULT CXTreeView::putref_Font(IFontDisp *newVal) noexcept
{
    AdviseLink link;
    if (newVal && FAILED(watchFont(newVal, 0, link)))
        return E_OUTOFMEMORY;
    try {
        model().appearance().font = qfontOf(newVal, QFont(QStringLiteral("Arial"), 8));
        remeasureAll(model());
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    m_fontLink = std::move(link); // the old font is no longer heard
    m_font = newVal;
    m_dirty = true;
    view().redraw(true);
    return S_OK;
}

HRESULT CXTreeView::put_Font(IFontDisp *newVal) noexcept
{
    ComPtr<IFontDisp> copy;
    const HRESULT hr = copyFont(newVal, copy);
    if (FAILED(hr))
        return hr;
    return putref_Font(copy.Get());
}

HRESULT CXTreeView::get_ItemFont(LONG hItem, IFontDisp **pVal) noexcept
{
    if (!pVal)
        return E_POINTER;
    *pVal = nullptr;
    const XTreeItem *x = model().item(hItem);
    IUnknown *source = x ? x->itemFontSource() : nullptr;
    if (!source)
        return S_OK;
    return source->QueryInterface(IFontDisp::iid, reinterpret_cast<void **>(pVal));
}

HRESULT CXTreeView::putref_ItemFont(LONG hItem, IFontDisp *newVal) noexcept
{
    XTreeItem *x = model().item(hItem);
    if (!x)
        return S_OK;
    try {
        // The object and its link live in the item, so both go with it and a handle handed out
        // again starts without a font.
        if (newVal) {
            AdviseLink link;
            if (FAILED(watchFont(newVal, hItem, link)))
                return E_OUTOFMEMORY;
            const QFont font = qfontOf(newVal, model().appearance().font);
            x->setItemFont(&font);
            x->setItemFontSource(ComPtr<IUnknown>(newVal), std::move(link));
        } else {
            x->setItemFont(nullptr);
            x->setItemFontSource(nullptr, {});
        }
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    model().invalidateItem(x);
    view().redraw(true);
    return S_OK;
}

HRESULT CXTreeView::put_ItemFont(LONG hItem, IFontDisp *newVal) noexcept
{
    if (!model().isValid(hItem))
        return S_OK;
    ComPtr<IFontDisp> copy;
    const HRESULT hr = copyFont(newVal, copy);
    if (FAILED(hr))
        return hr;
    return putref_ItemFont(hItem, copy.Get());
}

HRESULT CXTreeView::get_Picture(IPictureDisp **pVal) noexcept
{
    return handOut(m_picture, pVal);
}

HRESULT CXTreeView::putref_Picture(IPictureDisp *newVal) noexcept
{
    QPixmap pixmap;
    if (newVal && FAILED(pictureToPixmap(newVal, &pixmap)))
        return E_INVALIDARG;
    m_picture = newVal;
    view().setPicture(pixmap.toImage());
    m_dirty = true;
    view().redraw(false);
    return S_OK;
}

HRESULT CXTreeView::put_Picture(IPictureDisp *newVal) noexcept
{
    ComPtr<IPictureDisp> copy;
    const HRESULT hr = copyPicture(newVal, copy);
    if (FAILED(hr))
        return hr;
    return putref_Picture(copy.Get());
}

HRESULT CXTreeView::get_MouseIcon(IPictureDisp **pVal) noexcept
{
    return handOut(m_mouseIcon, pVal);
}

HRESULT CXTreeView::putref_MouseIcon(IPictureDisp *newVal) noexcept
{
    try {
        view().setMouseIcon(newVal ? cursorFromPicture(newVal) : std::nullopt);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    m_mouseIcon = newVal;
    m_dirty = true;
    return S_OK;
}

HRESULT CXTreeView::put_MouseIcon(IPictureDisp *newVal) noexcept
{
    ComPtr<IPictureDisp> copy;
    const HRESULT hr = copyPicture(newVal, copy);
    if (FAILED(hr))
        return hr;
    return putref_MouseIcon(copy.Get());
}

} // namespace arbor
