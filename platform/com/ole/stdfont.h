// The standard font object (StdFont): the Font property of controls. Creatable by its standard
// class identifier with no registry entry, scriptable through IFontDisp with the standard DISPIDs,
// and saved inside property streams through IPersistStream (as its class identifier, then the
// layout below). Windows font names are kept as given and mapped to metric-compatible Liberation
// faces only when a QFont is made, since the default fallback here picks unrelated faces.
// A font shared by reference tells its holders of every change: it is a connection point
// container with a point for IPropertyNotifySink, whose OnChanged gets the DISPID_FONT_ of each
// property a put actually changes (a clone starts without sinks).
//
// Saved layout, little-endian: u8 version (1); u8 flags (1 italic, 2 underline, 4 strikethrough);
// u16 weight (0..1000); u16 charset; i64 size in points as currency (points x 10000, 0 .. 100000
// points); u8 name length in bytes (0..255); the name as UTF-8. Anything else fails to load with
// E_FAIL and leaves the font unchanged.
#pragma once

#include "platform/com/dispatch.h"
#include "platform/com/ole/oleidl.h"

#include <QFont>
#include <QString>

using HFONT = OLE_HANDLE;
struct TEXTMETRICOLE;

inline constexpr CLSID CLSID_StdFont = guid("{0BE35203-8F91-11CE-9DE3-00AA004BB851}");

inline constexpr DISPID DISPID_FONT_NAME = 0;
inline constexpr DISPID DISPID_FONT_SIZE = 2;
inline constexpr DISPID DISPID_FONT_BOLD = 3;
inline constexpr DISPID DISPID_FONT_ITALIC = 4;
inline constexpr DISPID DISPID_FONT_UNDER = 5;
inline constexpr DISPID DISPID_FONT_STRIKE = 6;
inline constexpr DISPID DISPID_FONT_WEIGHT = 7;
inline constexpr DISPID DISPID_FONT_CHARSET = 8;

inline constexpr SHORT FW_NORMAL = 400;
inline constexpr SHORT FW_BOLD = 700;

struct IFont : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = guid("{BEF6E002-A874-101A-8BBA-00AA00300CAB}");
    [[nodiscard]] virtual HRESULT get_Name(BSTR *pName) noexcept = 0;
    [[nodiscard]] virtual HRESULT put_Name(BSTR name) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_Size(CY *pSize) noexcept = 0;
    [[nodiscard]] virtual HRESULT put_Size(CY size) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_Bold(BOOL *pBold) noexcept = 0;
    [[nodiscard]] virtual HRESULT put_Bold(BOOL bold) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_Italic(BOOL *pItalic) noexcept = 0;
    [[nodiscard]] virtual HRESULT put_Italic(BOOL italic) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_Underline(BOOL *pUnderline) noexcept = 0;
    [[nodiscard]] virtual HRESULT put_Underline(BOOL underline) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_Strikethrough(BOOL *pStrikethrough) noexcept = 0;
    [[nodiscard]] virtual HRESULT put_Strikethrough(BOOL strikethrough) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_Weight(SHORT *pWeight) noexcept = 0;
    [[nodiscard]] virtual HRESULT put_Weight(SHORT weight) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_Charset(SHORT *pCharset) noexcept = 0;
    [[nodiscard]] virtual HRESULT put_Charset(SHORT charset) noexcept = 0;
    // Fonts are QFonts here: there is no GDI font handle (E_NOTIMPL, *phFont 0).
    [[nodiscard]] virtual HRESULT get_hFont(HFONT *phFont) noexcept = 0;
    [[nodiscard]] virtual HRESULT Clone(IFont **ppFont) noexcept = 0;
    // S_OK when every property is equal, S_FALSE otherwise.
    [[nodiscard]] virtual HRESULT IsEqual(IFont *pFontOther) noexcept = 0;
    [[nodiscard]] virtual HRESULT SetRatio(LONG cyLogical, LONG cyHimetric) noexcept = 0;
    [[nodiscard]] virtual HRESULT QueryTextMetrics(TEXTMETRICOLE *pTM) noexcept = 0;
    [[nodiscard]] virtual HRESULT AddRefHfont(HFONT hFont) noexcept = 0;
    [[nodiscard]] virtual HRESULT ReleaseHfont(HFONT hFont) noexcept = 0;
    [[nodiscard]] virtual HRESULT SetHdc(HDC hDC) noexcept = 0;

protected:
    ~IFont() = default;
};

// The dispatch-only face of a font: its members are the DISPID_FONT_ properties.
struct IFontDisp : IDispatch {
    using Base = IDispatch;
    static constexpr IID iid = guid("{BEF6E003-A874-101A-8BBA-00AA00300CAB}");

protected:
    ~IFontDisp() = default;
};

inline constexpr IID IID_IFont = IFont::iid;
inline constexpr IID IID_IFontDisp = IFontDisp::iid;

struct FONTDESC {
    UINT cbSizeofstruct;
    LPOLESTR lpstrName;
    CY cySize;
    SHORT sWeight;
    SHORT sCharset;
    BOOL fItalic;
    BOOL fUnderline;
    BOOL fStrikethrough;
};
using LPFONTDESC = FONTDESC *;

// A new font from a description, or the default font (MS Sans Serif, 8 points, normal) for a
// null one. E_POINTER for a null ppvObj, E_NOINTERFACE for an interface a font lacks.
[[nodiscard]] HRESULT OleCreateFontIndirect(
    LPFONTDESC lpFontDesc, REFIID riid, void **ppvObj) noexcept;

namespace platform::com {

// The face that renders a Windows font name here: MS Sans Serif, Microsoft Sans Serif, Arial,
// Tahoma and Verdana take Liberation Sans, Times New Roman and Times take Liberation Serif,
// Courier New and Courier take Liberation Mono (case-insensitive); other names stay as they are.
QString substituteFontFamily(const QString &windowsName);

// The QFont to paint with for any font object (IFont or IFontDisp of a StdFont, or any IFont
// through its properties). E_POINTER for null arguments, E_NOINTERFACE for a non-font.
[[nodiscard]] HRESULT fontToQFont(IUnknown *font, QFont *out) noexcept;

} // namespace platform::com
