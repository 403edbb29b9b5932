// The standard picture object (StdPicture): the Picture and MouseIcon properties of controls and
// every picture loaded from a file or stream. A picture holds a bitmap or an icon behind a graphics
// handle of the handle table (its Handle, also the value member of IPictureDisp), reports its size
// in HIMETRIC at the screen's resolution, renders into a painter, and saves itself inside property
// streams with its class identifier.
//
// Saved layout, little-endian: u32 0x0000746C ("lt"), u32 byte count (0 for an empty picture, at
// most 64 MiB), then a picture file of that many bytes (BMP, ICO, PNG, JPEG or GIF: the bytes the
// picture was loaded from, else PNG for a bitmap and ICO for an icon).
#pragma once

#include "platform/com/dispatch.h"
#include "platform/com/ole/oleidl.h"

#include <QIcon>
#include <QPixmap>

struct IStream;

inline constexpr CLSID CLSID_StdPicture = guid("{0BE35204-8F91-11CE-9DE3-00AA004BB851}");

using OLE_XPOS_HIMETRIC = LONG;
using OLE_YPOS_HIMETRIC = LONG;
using OLE_XSIZE_HIMETRIC = LONG;
using OLE_YSIZE_HIMETRIC = LONG;

inline constexpr SHORT PICTYPE_UNINITIALIZED = -1;
inline constexpr SHORT PICTYPE_NONE = 0;
inline constexpr SHORT PICTYPE_BITMAP = 1;
inline constexpr SHORT PICTYPE_METAFILE = 2;
inline constexpr SHORT PICTYPE_ICON = 3;
inline constexpr SHORT PICTYPE_ENHMETAFILE = 4;

inline constexpr DWORD PICTURE_SCALABLE = 0x1;
inline constexpr DWORD PICTURE_TRANSPARENT = 0x2;

inline constexpr DISPID DISPID_PICT_HANDLE = 0;
inline constexpr DISPID DISPID_PICT_HPAL = 2;
inline constexpr DISPID DISPID_PICT_TYPE = 3;
inline constexpr DISPID DISPID_PICT_WIDTH = 4;
inline constexpr DISPID DISPID_PICT_HEIGHT = 5;
inline constexpr DISPID DISPID_PICT_RENDER = 6;

struct IPicture : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = guid("{7BF80980-BF32-101A-8BBB-00AA00300CAB}");
    [[nodiscard]] virtual HRESULT get_Handle(OLE_HANDLE *pHandle) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_hPal(OLE_HANDLE *phPal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_Type(SHORT *pType) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_Width(OLE_XSIZE_HIMETRIC *pWidth) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_Height(OLE_YSIZE_HIMETRIC *pHeight) noexcept = 0;
    // Draws the source rectangle (HIMETRIC, y growing upwards from the bottom, so the usual call
    // passes ySrc = height and cySrc = -height) into the painter's rectangle x, y, cx, cy.
    [[nodiscard]] virtual HRESULT Render(HDC hDC, LONG x, LONG y, LONG cx, LONG cy,
        OLE_XPOS_HIMETRIC xSrc, OLE_YPOS_HIMETRIC ySrc, OLE_XSIZE_HIMETRIC cxSrc,
        OLE_YSIZE_HIMETRIC cySrc, LPCRECT pRcWBounds) noexcept = 0;
    [[nodiscard]] virtual HRESULT set_hPal(OLE_HANDLE hPal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_CurDC(HDC *phDC) noexcept = 0;
    [[nodiscard]] virtual HRESULT SelectPicture(
        HDC hDCIn, HDC *phDCOut, OLE_HANDLE *phBmpOut) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_KeepOriginalFormat(BOOL *pKeep) noexcept = 0;
    [[nodiscard]] virtual HRESULT put_KeepOriginalFormat(BOOL keep) noexcept = 0;
    [[nodiscard]] virtual HRESULT PictureChanged() noexcept = 0;
    // Writes the picture as a file (no "lt" header); *pCbSize gets the byte count.
    [[nodiscard]] virtual HRESULT SaveAsFile(
        IStream *pStream, BOOL fSaveMemCopy, LONG *pCbSize) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_Attributes(DWORD *pDwAttr) noexcept = 0;

protected:
    ~IPicture() = default;
};

// Dispatch-only: the DISPID_PICT_ properties (Render is not callable through it, since a painter
// cannot travel in a VARIANT).
struct IPictureDisp : IDispatch {
    using Base = IDispatch;
    static constexpr IID iid = guid("{7BF80981-BF32-101A-8BBB-00AA00300CAB}");

protected:
    ~IPictureDisp() = default;
};

inline constexpr IID IID_IPicture = IPicture::iid;
inline constexpr IID IID_IPictureDisp = IPictureDisp::iid;

struct PICTDESC {
    UINT cbSizeofstruct;
    UINT picType;
    union {
        struct {
            HBITMAP hbitmap;
            HPALETTE hpal;
        } bmp;
        struct {
            HICON hicon;
        } icon;
    };
};
using LPPICTDESC = PICTDESC *;

// A picture around an existing graphics handle; with fOwn the picture deletes the handle when it
// is released. A null desc or PICTYPE_NONE/UNINITIALIZED gives an empty picture. E_INVALIDARG for
// a handle of the wrong kind or another picture type.
[[nodiscard]] HRESULT OleCreatePictureIndirect(
    LPPICTDESC lpPictDesc, REFIID riid, BOOL fOwn, void **ppvObj) noexcept;

// Reads a picture file (BMP, ICO, PNG, JPEG, GIF, optionally behind the saved "lt" header) from a
// stream: lSize bytes, or the rest of the stream when lSize <= 0 (at most 64 MiB).
// CTL_E_INVALIDPICTURE for a truncated, foreign or undecodable file; read errors as they come.
[[nodiscard]] HRESULT OleLoadPicture(
    IStream *lpstream, LONG lSize, BOOL fRunmode, REFIID riid, void **lplpvObj) noexcept;
// The same from a file named by a string variant; CTL_E_FILENOTFOUND for a missing file,
// CTL_E_PATHFILEACCESSERROR for one that cannot be read, DISP_E_TYPEMISMATCH for a non-string.
[[nodiscard]] HRESULT OleLoadPictureFile(VARIANT varFileName, IDispatch **lplpdispPicture) noexcept;

namespace platform::com {

// Loads a picture from the bytes of a file (as OleLoadPicture).
[[nodiscard]] HRESULT loadPictureFromBytes(
    std::string_view bytes, REFIID riid, void **ppv) noexcept;
// The picture's pixels for painting (an icon's largest image); E_NOINTERFACE for a non-picture,
// S_FALSE with a null pixmap for an empty picture.
[[nodiscard]] HRESULT pictureToPixmap(IUnknown *picture, QPixmap *out) noexcept;

} // namespace platform::com
