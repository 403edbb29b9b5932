// One image of the collection: a picture cut into equal cells, one of which an image item shows,
// with a colour that is left out when the cell is drawn. CXImage draws a graphics handle the host
// owns; CXImageFile draws a picture the control loaded itself and owns.
#pragma once

#include "arbor/images/imagefile.h"

#include <QImage>

namespace arbor {

class CXImage {
public:
    static constexpr LONG kDefaultCell = 16;
    static constexpr OLE_COLOR kDefaultTransparent = 0xFFFFFF;

    explicit CXImage(LONG cx = kDefaultCell, LONG cy = kDefaultCell,
        OLE_COLOR transparent = kDefaultTransparent, OLE_HANDLE handle = 0) noexcept
        : m_cx(cx)
        , m_cy(cy)
        , m_transparent(transparent)
        , m_handle(handle)
    {
    }
    // A plain image never owns its handle: the host keeps it alive while items show it.
    virtual ~CXImage() = default;
    CXImage(const CXImage &) = default;
    CXImage &operator=(const CXImage &) = default;

    virtual OLE_HANDLE GetHandle() const noexcept { return m_handle; }
    virtual void SetHandle(OLE_HANDLE handle) noexcept { m_handle = handle; }

    LONG CellWidth() const noexcept { return m_cx; }
    LONG CellHeight() const noexcept { return m_cy; }
    OLE_COLOR Transparent() const noexcept { return m_transparent; }
    // The transparent colour as RGB; a colour the platform cannot translate counts as white.
    COLORREF transparentRgb() const noexcept;

    // The cell's top-left pixel in the source picture: (column * cell width, row * cell height).
    QPoint cellOrigin(LONG column, LONG row) const noexcept;
    // The cell as it lands on the screen: pixels of exactly the transparent colour become fully
    // transparent (the destination shows through), every other pixel is its colour ANDed with
    // `backColor` (an OLE colour; white keeps the picture's colours). Parts of the cell outside
    // the picture stay transparent. Null for a handle that names no picture or a cell size <= 0.
    // O(cell width x cell height).
    QImage cellImage(LONG column, LONG row, OLE_COLOR backColor) const;
    // Draws that cell at (x, y); false when nothing could be drawn.
    bool drawCell(HDC hdc, LONG x, LONG y, LONG column, LONG row, OLE_COLOR backColor) const;

private:
    LONG m_cx;
    LONG m_cy;
    OLE_COLOR m_transparent;
    OLE_HANDLE m_handle;
};

// A file image: its handle is the loaded picture's; the handle field of CXImage stays 0.
class CXImageFile final : public CXImage, public CImageFile {
public:
    using CXImage::CXImage;
    OLE_HANDLE GetHandle() const noexcept override { return CImageFile::GetHandle(); }
};

} // namespace arbor
