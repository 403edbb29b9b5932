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

// Hears one font object: the control font (no item watch) or the one the items sharing an item
// watch use. The watch's address only names those items and is never followed. It holds the
// control only weakly: the font may outlive the control, and an item's window may too.
class FontWatch final : public ComObject<FontWatch, IPropertyNotifySink> {
public:
    FontWatch(std::weak_ptr<CXTreeView *> control, const void *itemWatch) noexcept
        : m_control(std::move(control))
        , m_itemWatch(itemWatch)
    {
    }
    HRESULT OnChanged(DISPID) noexcept override
    {
        if (const std::shared_ptr<CXTreeView *> control = m_control.lock())
            (*control)->fontObjectChanged(m_itemWatch);
        return S_OK;
    }
    HRESULT OnRequestEdit(DISPID) noexcept override { return S_OK; }

private:
    std::weak_ptr<CXTreeView *> m_control;
    const void *m_itemWatch;
};

// Every item, rows and their cells and children, in no particular order. O(n).
template <class F> void forEachItem(XTreeModel &model, F &&visit)
{
    std::vector<XTreeItem *> pending;
    for (LONG i = 0, n = model.RootCount(); i < n; ++i)
        if (XTreeItem *r = model.item(model.Root(i)))
            pending.push_back(r);
    while (!pending.empty()) {
        XTreeItem *x = pending.back();
        pending.pop_back();
        visit(x);
        if (XTreeItem *right = x->GetRight())
            pending.push_back(right);
        for (XTreeItem *c = x->GetFirstChild(); c; c = c->GetNext())
            pending.push_back(c);
    }
}

// Every item measures again: the control font sizes each item without a font of its own, and
// through them their rows and parents.
void remeasureAll(XTreeModel &model)
{
    forEachItem(model, [&](XTreeItem *x) { model.invalidateItem(x); });
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

// The connection the items sharing one font object hold together; it leaves the control's table
// when the last of them goes.
struct CXTreeView::ItemFontWatch {
    std::weak_ptr<CXTreeView *> control;
    IUnknown *identity = nullptr;
    AdviseLink link;
    ~ItemFontWatch()
    {
        link.reset();
        if (const std::shared_ptr<CXTreeView *> owner = control.lock()) {
            auto &table = (*owner)->m_itemFontWatches;
            if (const auto it = table.find(identity); it != table.end() && it->second.expired())
                table.erase(it);
        }
    }
};

HRESULT CXTreeView::watchFont(IUnknown *font, const void *itemWatch, AdviseLink &link) noexcept
{
    link.reset();
    const auto sink = FontWatch::make(m_fontToken, itemWatch);
    if (!sink)
        return E_OUTOFMEMORY;
    // A font without connection points is still usable; it just cannot tell us of changes.
    (void)link.connect(font, IPropertyNotifySink::iid, sink->identity());
    return S_OK;
}

std::shared_ptr<void> CXTreeView::itemFontWatch(IUnknown *font) noexcept
{
    try {
        ComPtr<IUnknown> identity;
        if (FAILED(font->QueryInterface(IUnknown::iid, identity.voidOut())) || !identity)
            return nullptr;
        std::weak_ptr<ItemFontWatch> &slot = m_itemFontWatches[identity.Get()];
        if (std::shared_ptr<ItemFontWatch> shared = slot.lock())
            return shared;
        auto watch = std::make_shared<ItemFontWatch>();
        watch->control = m_fontToken;
        watch->identity = identity.Get();
        if (FAILED(watchFont(font, watch.get(), watch->link)))
            return nullptr;
        slot = watch;
        return watch;
    } catch (...) {
        return nullptr;
    }
}

void CXTreeView::fontObjectChanged(const void *itemWatch) noexcept
{
    if (m_closing)
        return;
    if (!m_frame) {
        // The container destroyed the window and the items with it; the next window takes the
        // control font from what the last one showed.
        if (!itemWatch && m_lostWindow)
            m_lostWindow->view.look.font = qfontOf(m_font.Get(), QFont(QStringLiteral("Arial"), 8));
        return;
    }
    // A host may let go of the control from inside what a repaint calls.
    const ComPtr<IUnknown> keepAlive(identity());
    try {
        if (!itemWatch) {
            model().appearance().font = qfontOf(m_font.Get(), QFont(QStringLiteral("Arial"), 8));
            remeasureAll(model());
            m_dirty = true;
            view().redraw(true);
            return;
        }
        XTreeModel &m = model();
        forEachItem(m, [&](XTreeItem *x) {
            if (x->itemFontWatch() != itemWatch)
                return;
            QFont font = m.appearance().font;
            if (SUCCEEDED(fontToQFont(x->itemFontSource(), &font))) {
                x->setItemFont(&font);
                m.invalidateItem(x);
            }
        });
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
        if (FAILED(watchFont(m_font.Get(), nullptr, m_fontLink))) {
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
    if (newVal && FAILED(watchFont(newVal, nullptr, link)))
        return E_OUTOFMEMORY;
    return guardedMember(u"Font", [&]() -> HRESULT {
        model().appearance().font = qfontOf(newVal, QFont(QStringLiteral("Arial"), 8));
        remeasureAll(model());
        m_fontLink = std::move(link); // the old font is no longer heard
        m_font = newVal;
        m_dirty = true;
        view().redraw(true);
        return S_OK;
    });
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
    return guardedMember(u"ItemFont", [&]() -> HRESULT {
        // The object and its link live in the item, so both go with it and a handle handed out
        // again starts without a font.
        if (newVal) {
            std::shared_ptr<void> watch = itemFontWatch(newVal);
            if (!watch)
                return E_OUTOFMEMORY;
            const QFont font = qfontOf(newVal, model().appearance().font);
            x->setItemFont(&font);
            x->setItemFontSource(ComPtr<IUnknown>(newVal), std::move(watch));
        } else {
            x->setItemFont(nullptr);
            x->setItemFontSource(nullptr, {});
        }
        model().invalidateItem(x);
        view().redraw(true);
        return S_OK;
    });
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
    return guardedMember(u"MouseIcon", [&]() -> HRESULT {
        view().setMouseIcon(newVal ? cursorFromPicture(newVal) : std::nullopt);
        m_mouseIcon = newVal;
        m_dirty = true;
        return S_OK;
    });
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
