// CXImages, the control's keyed store of images: the host adds pictures under text keys and image
// and icon items name them. A key that reads as a number never reaches the store: it stands for
// the graphics handle of that number, so a host may name a bitmap directly.
#pragma once

#include "arbor/images/ximage.h"
#include "arbor/model/hooks.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace arbor {

class CXImages final : public XTreeImageLookup {
public:
    using Map = std::map<std::string, std::unique_ptr<CXImage>>; // keys compared byte-wise

    CXImages() = default;
    ~CXImages() override = default;
    CXImages(const CXImages &) = delete;
    CXImages &operator=(const CXImages &) = delete;

    LONG Count() const noexcept { return static_cast<LONG>(m_images.size()); }
    // The image for a key. A key that converts to an unsigned 32-bit number gives a plain 16 x 16
    // image of that handle, white transparent, which the next numeric look-up overwrites; any
    // other key is looked up as text. Null when the key is unknown. O(log n).
    CXImage *Find(const VARIANT &key) const;
    // Destroys the image stored under the key, if any.
    void Remove(const VARIANT &key);
    // Stores an image under `key` and returns its handle, or 0 when nothing was made:
    //   a string `picture` is a file to load (the image owns the picture);
    //   anything else converts to the host's graphics handle (0 or unconvertible: nothing).
    // A key already present keeps its first image; the new one is still made, its handle returned
    // and kept valid for the collection's life. O(log n).
    OLE_HANDLE Add(
        const VARIANT &key, const VARIANT &picture, LONG cx, LONG cy, OLE_COLOR transparent);
    // Destroys every image.
    void Destroy() noexcept;
    // The map position of a text key; end() for an unknown or unconvertible key.
    Map::const_iterator Lookup(const VARIANT &key) const;
    Map::const_iterator end() const noexcept { return m_images.end(); }

    // The automation members. AddImage: left-out cx and cy are 16, a left-out colour white; a
    // value that cannot be converted counts as left out; by-reference values are followed. *pVal
    // (VT_I4) gets the handle or 0 (also when out of memory); a null pVal still adds. S_OK unless
    // something other than a lack of memory throws: that reaches the caller's boundary.
    [[nodiscard]] HRESULT AddImage(const VARIANT &keyImage, const VARIANT &anPicture,
        const VARIANT &cx, const VARIANT &cy, const VARIANT &oleColorTransparent, VARIANT *pVal);
    // *pVal = the handle found for the key, 0 when none; E_POINTER for a null pVal.
    [[nodiscard]] HRESULT Image(const VARIANT &imageKey, LONG *pVal);

    // XTreeImageLookup: what image and icon items draw.
    bool findImage(const VARIANT &key, ImageEntry *entry) const override;

    // The key as the store compares it: converted to text, as UTF-8. nullopt when it is no text.
    static std::optional<std::string> keyText(const VARIANT &key);
    // The key as a graphics handle: nullopt when it does not convert to an unsigned 32-bit number.
    static std::optional<ULONG> keyNumber(const VARIANT &key);

private:
    Map m_images;
    // Images whose key was taken already: kept so the handle their AddImage returned stays valid.
    std::vector<std::unique_ptr<CXImage>> m_unkeyed;
    // The stand-in for numeric keys; per collection, so two controls never overwrite each other's.
    mutable CXImage m_numeric;
};

} // namespace arbor
