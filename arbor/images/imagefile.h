// CImageFile holds one picture object loaded by the control itself: from a file, from a resource
// of the module, or adopted from a picture the host passed. The image collection's file images,
// the background picture and the design-time logo all draw through it, so the bytes a picture was
// read from and the HIMETRIC-to-pixel rule live in one place.
#pragma once

#include "platform/com/ole/stdpicture.h"
#include "platform/com/storage.h"

#include <string>
#include <string_view>

namespace arbor {

class CImageFile {
public:
    CImageFile() = default;
    virtual ~CImageFile() = default;
    CImageFile(const CImageFile &) = delete;
    CImageFile &operator=(const CImageFile &) = delete;

    // The held picture (borrowed), null when none is loaded.
    virtual IPicture *GetPicture() const noexcept { return m_picture.Get(); }
    // Releases the picture and the stream it was read from; the file name becomes empty.
    virtual void Destroy() noexcept;
    // Natural size in screen pixels, {0, 0} without a picture.
    virtual SIZE GetSize() const noexcept;
    // The picture's graphics handle (bitmap or icon), 0 without a picture.
    virtual OLE_HANDLE GetHandle() const noexcept;
    // Adopts an existing picture object (anything that answers IPicture). True when a picture is
    // held afterwards; a null or foreign object leaves what was held before.
    virtual bool Attach(IUnknown *picture) noexcept;
    // Loads the resource `name` of type `type` that module `module` carries; false (and the old
    // picture kept) when there is no such resource or it is no picture.
    virtual bool loadResource(
        std::string_view module, std::string_view name, std::string_view type) noexcept;
    // Reads a whole file (BMP, ICO, PNG, JPEG, GIF) into memory and loads it; false (and the old
    // picture kept) for a missing, unreadable, oversized or undecodable file.
    virtual bool loadFile(const std::string &path) noexcept;
    // Draws the whole picture stretched into x, y, cx, cy (pixels). False without a picture.
    virtual bool Draw(HDC hdc, LONG x, LONG y, LONG cx, LONG cy) const noexcept;
    // Draws the whole picture at its natural size.
    virtual bool Draw(HDC hdc, LONG x, LONG y) const noexcept;
    // The picture's own render call: source in HIMETRIC, y counted from the bottom.
    virtual bool Render(HDC hdc, LONG x, LONG y, LONG cx, LONG cy, OLE_XPOS_HIMETRIC xSrc,
        OLE_YPOS_HIMETRIC ySrc, OLE_XSIZE_HIMETRIC cxSrc, OLE_YSIZE_HIMETRIC cySrc,
        LPCRECT bounds) const noexcept;
    virtual OLE_XSIZE_HIMETRIC widthHimetric() const noexcept;
    virtual OLE_YSIZE_HIMETRIC heightHimetric() const noexcept;
    // The path last loaded from a file; empty for a resource or an adopted picture.
    virtual std::string GetFileName() const { return m_fileName; }

    // Files beyond this are refused before they are read; the picture loader takes no more.
    static constexpr std::uintmax_t kMaxFileBytes = 64u << 20;

private:
    bool loadBytes(std::string_view bytes) noexcept;

    std::string m_fileName;
    // The stream the picture was read from lives as long as the picture, as the loader expects.
    ComPtr<IStream> m_stream;
    ComPtr<IPicture> m_picture;
};

} // namespace arbor
