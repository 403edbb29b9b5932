#include "arbor/images/ximages.h"

#include "platform/com/bstr.h"
#include "platform/com/ole/olectl.h"

#include <new>

namespace arbor {

namespace {

using platform::com::Variant;

// The value a by-reference variant points at (a copy), so conversions see the value itself.
Variant dereferenced(const VARIANT &v)
{
    Variant out;
    if (FAILED(VariantCopyInd(&out, &v)))
        out.clear();
    return out;
}

bool isMissing(const VARIANT &v) noexcept
{
    return v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND;
}

// An optional number: left out or unconvertible gives the fallback.
LONG optionalLong(const VARIANT &v, LONG fallback)
{
    const Variant value = dereferenced(v);
    if (isMissing(value) || value.vt == VT_EMPTY)
        return fallback;
    Variant converted;
    if (FAILED(VariantChangeType(&converted, &value, 0, VT_I4)))
        return fallback;
    return converted.lVal;
}

OLE_COLOR optionalColour(const VARIANT &v, OLE_COLOR fallback)
{
    const Variant value = dereferenced(v);
    if (isMissing(value) || value.vt == VT_EMPTY)
        return fallback;
    Variant converted;
    if (SUCCEEDED(VariantChangeType(&converted, &value, 0, VT_UI4)))
        return converted.ulVal;
    // Colours above 0x7FFFFFFF (system colours) arrive as negative longs.
    if (SUCCEEDED(VariantChangeType(&converted, &value, 0, VT_I4)))
        return static_cast<OLE_COLOR>(converted.lVal);
    return fallback;
}

} // namespace

std::optional<std::string> CXImages::keyText(const VARIANT &key)
{
    const Variant value = dereferenced(key);
    Variant text;
    if (FAILED(VariantChangeType(&text, &value, 0, VT_BSTR)))
        return std::nullopt;
    return platform::com::utf16ToUtf8(platform::com::view(text.bstrVal));
}

std::optional<ULONG> CXImages::keyNumber(const VARIANT &key)
{
    const Variant value = dereferenced(key);
    Variant number;
    if (FAILED(VariantChangeType(&number, &value, 0, VT_UI4)))
        return std::nullopt;
    return number.ulVal;
}

CXImages::Map::const_iterator CXImages::Lookup(const VARIANT &key) const
{
    const std::optional<std::string> text = keyText(key);
    return text ? m_images.find(*text) : m_images.end();
}

CXImage *CXImages::Find(const VARIANT &key) const
{
    if (const std::optional<ULONG> number = keyNumber(key)) {
        m_numeric = CXImage(CXImage::kDefaultCell, CXImage::kDefaultCell,
            CXImage::kDefaultTransparent, static_cast<OLE_HANDLE>(*number));
        return &m_numeric;
    }
    const auto it = Lookup(key);
    return it == m_images.end() ? nullptr : it->second.get();
}

void CXImages::Remove(const VARIANT &key)
{
    const auto it = Lookup(key);
    if (it != m_images.end())
        m_images.erase(it);
}

OLE_HANDLE CXImages::Add(
    const VARIANT &key, const VARIANT &picture, LONG cx, LONG cy, OLE_COLOR transparent)
{
    std::optional<std::string> text = keyText(key);
    if (!text)
        return 0;

    std::unique_ptr<CXImage> image;
    const Variant source = dereferenced(picture);
    if (source.vt == VT_BSTR) {
        auto file = std::make_unique<CXImageFile>(cx, cy, transparent);
        if (!file->loadFile(platform::com::utf16ToUtf8(platform::com::view(source.bstrVal))))
            return 0;
        image = std::move(file);
    } else {
        const std::optional<ULONG> handle = keyNumber(source);
        if (!handle || *handle == 0)
            return 0;
        image = std::make_unique<CXImage>(cx, cy, transparent, static_cast<OLE_HANDLE>(*handle));
    }

    const OLE_HANDLE handle = image->GetHandle();
    auto [it, inserted] = m_images.try_emplace(std::move(*text));
    if (inserted)
        it->second = std::move(image);
    else
        m_unkeyed.push_back(std::move(image));
    return handle;
}

void CXImages::Destroy() noexcept
{
    m_images.clear();
    m_unkeyed.clear();
}

HRESULT CXImages::AddImage(const VARIANT &keyImage, const VARIANT &anPicture, const VARIANT &cx,
    const VARIANT &cy, const VARIANT &oleColorTransparent, VARIANT *pVal)
{
    OLE_HANDLE handle = 0;
    try {
        handle = Add(keyImage, anPicture, optionalLong(cx, CXImage::kDefaultCell),
            optionalLong(cy, CXImage::kDefaultCell),
            optionalColour(oleColorTransparent, CXImage::kDefaultTransparent));
    } catch (const std::bad_alloc &) {
        handle = 0; // nothing stored
    }
    if (pVal) {
        (void)VariantClear(pVal);
        pVal->vt = VT_I4;
        pVal->lVal = static_cast<LONG>(handle);
    }
    return S_OK;
}

HRESULT CXImages::Image(const VARIANT &imageKey, LONG *pVal)
{
    if (!pVal)
        return E_POINTER;
    *pVal = 0;
    try {
        if (const CXImage *image = Find(imageKey))
            *pVal = static_cast<LONG>(image->GetHandle());
    } catch (const std::bad_alloc &) {
        *pVal = 0;
    }
    return S_OK;
}

bool CXImages::findImage(const VARIANT &key, ImageEntry *entry) const
{
    const CXImage *image = Find(key);
    if (!image)
        return false;
    if (entry) {
        entry->handle = image->GetHandle();
        entry->cx = image->CellWidth();
        entry->cy = image->CellHeight();
        entry->transparent = image->transparentRgb();
    }
    return true;
}

} // namespace arbor
