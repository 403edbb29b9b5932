// Fonts and pictures of the control: a put stores a copy of the host's object, a put by reference
// the object itself; either way the item window paints with what the object holds now.
#include "arbor/control/cxtreeview.h"

#include "arbor/view/xtreecursor.h"
#include "platform/com/storage.h"

#include <QPixmap>

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
    try {
        model().appearance().font = qfontOf(newVal, QFont(QStringLiteral("Arial"), 8));
    } catch (...) {
        return E_OUTOFMEMORY;
    }
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
    const auto it = m_itemFonts.find(hItem);
    if (!model().isValid(hItem) || it == m_itemFonts.end())
        return S_OK;
    return handOut(it->second, pVal);
}

HRESULT CXTreeView::putref_ItemFont(LONG hItem, IFontDisp *newVal) noexcept
{
    XTreeItem *x = model().item(hItem);
    if (!x)
        return S_OK;
    try {
        // Handles of removed items may be handed out again: forget fonts they left behind.
        std::erase_if(
            m_itemFonts, [this](const auto &entry) { return !model().isValid(entry.first); });
        if (newVal) {
            const QFont font = qfontOf(newVal, model().appearance().font);
            x->setItemFont(&font);
            m_itemFonts[hItem] = newVal;
        } else {
            x->setItemFont(nullptr);
            m_itemFonts.erase(hItem);
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
