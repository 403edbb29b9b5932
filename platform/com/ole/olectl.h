// Control-level names shared by controls and containers: stock and ambient property DISPIDs, the
// control error codes, colour translation, the registered miscellaneous status, HIMETRIC units,
// and a ready IObjectSafety for controls.
#pragma once

#include "platform/com/ole/oleidl.h"

// Stock properties of a control.
inline constexpr DISPID DISPID_AUTOSIZE = -500;
inline constexpr DISPID DISPID_BACKCOLOR = -501;
inline constexpr DISPID DISPID_BACKSTYLE = -502;
inline constexpr DISPID DISPID_BORDERCOLOR = -503;
inline constexpr DISPID DISPID_BORDERSTYLE = -504;
inline constexpr DISPID DISPID_BORDERWIDTH = -505;
inline constexpr DISPID DISPID_DRAWMODE = -507;
inline constexpr DISPID DISPID_DRAWSTYLE = -508;
inline constexpr DISPID DISPID_DRAWWIDTH = -509;
inline constexpr DISPID DISPID_FILLCOLOR = -510;
inline constexpr DISPID DISPID_FILLSTYLE = -511;
inline constexpr DISPID DISPID_FONT = -512;
inline constexpr DISPID DISPID_FORECOLOR = -513;
inline constexpr DISPID DISPID_ENABLED = -514;
inline constexpr DISPID DISPID_HWND = -515;
inline constexpr DISPID DISPID_TABSTOP = -516;
inline constexpr DISPID DISPID_TEXT = -517;
inline constexpr DISPID DISPID_CAPTION = -518;
inline constexpr DISPID DISPID_BORDERVISIBLE = -519;
inline constexpr DISPID DISPID_APPEARANCE = -520;
inline constexpr DISPID DISPID_MOUSEPOINTER = -521;
inline constexpr DISPID DISPID_MOUSEICON = -522;
inline constexpr DISPID DISPID_PICTURE = -523;
inline constexpr DISPID DISPID_VALID = -524;
inline constexpr DISPID DISPID_REFRESH = -550;
inline constexpr DISPID DISPID_DOCLICK = -551;
inline constexpr DISPID DISPID_ABOUTBOX = -552;

// Ambient properties a container answers through its site's IDispatch.
inline constexpr DISPID DISPID_AMBIENT_BACKCOLOR = -701;
inline constexpr DISPID DISPID_AMBIENT_DISPLAYNAME = -702;
inline constexpr DISPID DISPID_AMBIENT_FONT = -703;
inline constexpr DISPID DISPID_AMBIENT_FORECOLOR = -704;
inline constexpr DISPID DISPID_AMBIENT_LOCALEID = -705;
inline constexpr DISPID DISPID_AMBIENT_MESSAGEREFLECT = -706;
inline constexpr DISPID DISPID_AMBIENT_SCALEUNITS = -707;
inline constexpr DISPID DISPID_AMBIENT_TEXTALIGN = -708;
inline constexpr DISPID DISPID_AMBIENT_USERMODE = -709;
inline constexpr DISPID DISPID_AMBIENT_UIDEAD = -710;
inline constexpr DISPID DISPID_AMBIENT_SHOWGRABHANDLES = -711;
inline constexpr DISPID DISPID_AMBIENT_SHOWHATCHING = -712;
inline constexpr DISPID DISPID_AMBIENT_DISPLAYASDEFAULT = -713;
inline constexpr DISPID DISPID_AMBIENT_SUPPORTSMNEMONICS = -714;
inline constexpr DISPID DISPID_AMBIENT_AUTOCLIP = -715;
inline constexpr DISPID DISPID_AMBIENT_APPEARANCE = -716;

// Stock events.
inline constexpr DISPID DISPID_CLICK = -600;
inline constexpr DISPID DISPID_DBLCLICK = -601;
inline constexpr DISPID DISPID_KEYDOWN = -602;
inline constexpr DISPID DISPID_KEYPRESS = -603;
inline constexpr DISPID DISPID_KEYUP = -604;
inline constexpr DISPID DISPID_MOUSEDOWN = -605;
inline constexpr DISPID DISPID_MOUSEMOVE = -606;
inline constexpr DISPID DISPID_MOUSEUP = -607;

// Errors of controls and of the picture loader (the run-time error numbers in the control
// facility).
inline constexpr HRESULT CTL_E_FILENOTFOUND = hr(0x800A0035);
inline constexpr HRESULT CTL_E_PATHFILEACCESSERROR = hr(0x800A004B);
inline constexpr HRESULT CTL_E_INVALIDPROPERTYVALUE = hr(0x800A017C);
inline constexpr HRESULT CTL_E_INVALIDPICTURE = hr(0x800A01E1);

// System colour indexes (the low byte of an OLE_COLOR whose high byte is 0x80).
inline constexpr int COLOR_SCROLLBAR = 0;
inline constexpr int COLOR_BACKGROUND = 1;
inline constexpr int COLOR_ACTIVECAPTION = 2;
inline constexpr int COLOR_INACTIVECAPTION = 3;
inline constexpr int COLOR_MENU = 4;
inline constexpr int COLOR_WINDOW = 5;
inline constexpr int COLOR_WINDOWFRAME = 6;
inline constexpr int COLOR_MENUTEXT = 7;
inline constexpr int COLOR_WINDOWTEXT = 8;
inline constexpr int COLOR_CAPTIONTEXT = 9;
inline constexpr int COLOR_ACTIVEBORDER = 10;
inline constexpr int COLOR_INACTIVEBORDER = 11;
inline constexpr int COLOR_APPWORKSPACE = 12;
inline constexpr int COLOR_HIGHLIGHT = 13;
inline constexpr int COLOR_HIGHLIGHTTEXT = 14;
inline constexpr int COLOR_BTNFACE = 15;
inline constexpr int COLOR_BTNSHADOW = 16;
inline constexpr int COLOR_GRAYTEXT = 17;
inline constexpr int COLOR_BTNTEXT = 18;
inline constexpr int COLOR_INACTIVECAPTIONTEXT = 19;
inline constexpr int COLOR_BTNHIGHLIGHT = 20;
inline constexpr int COLOR_3DDKSHADOW = 21;
inline constexpr int COLOR_3DLIGHT = 22;
inline constexpr int COLOR_INFOTEXT = 23;
inline constexpr int COLOR_INFOBK = 24;
inline constexpr int COLOR_HOTLIGHT = 26;
inline constexpr int COLOR_GRADIENTACTIVECAPTION = 27;
inline constexpr int COLOR_GRADIENTINACTIVECAPTION = 28;
inline constexpr int COLOR_MENUHILIGHT = 29;
inline constexpr int COLOR_MENUBAR = 30;

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) noexcept
{
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) |
        (static_cast<COLORREF>(b) << 16);
}
constexpr BYTE GetRValue(COLORREF c) noexcept
{
    return static_cast<BYTE>(c & 0xff);
}
constexpr BYTE GetGValue(COLORREF c) noexcept
{
    return static_cast<BYTE>((c >> 8) & 0xff);
}
constexpr BYTE GetBValue(COLORREF c) noexcept
{
    return static_cast<BYTE>((c >> 16) & 0xff);
}

// The colour of a system colour index, taken from the application palette where Qt has a matching
// role (window, text, highlight, button, tooltip), fixed classic values otherwise; 0 for an index
// out of range.
COLORREF GetSysColor(int index) noexcept;

// OLE_COLOR to RGB: 0x00bbggrr is returned as is; 0x80000000 | index gives the system colour;
// 0x02bbggrr (a palette RGB) gives its RGB; 0x0100iiii (a palette index) needs a palette and gives
// E_INVALIDARG without one. Any other high byte, or a system index out of range, gives
// E_INVALIDARG. pcr may be null to only validate; it is left alone on failure.
[[nodiscard]] HRESULT OleTranslateColor(OLE_COLOR clr, HPALETTE hpal, COLORREF *pcr) noexcept;

// The miscellaneous status registered for a class under HKEY_CLASSES_ROOT\CLSID\{clsid}:
// the default value of the key MiscStatus\<aspect> when present, else
// MiscStatus's own default value, as decimal text. Errors:
// E_POINTER for a null pdwStatus, REGDB_E_CLASSNOTREG when the class key is missing,
// REGDB_E_KEYMISSING when the MiscStatus key is missing (*pdwStatus 0 then), REGDB_E_READREGDB
// when the value is not a number.
[[nodiscard]] HRESULT OleRegGetMiscStatus(
    REFCLSID clsid, DWORD dwAspect, DWORD *pdwStatus) noexcept;

namespace platform::com {

// HIMETRIC (0.01 mm) to pixels at `dpi` logical pixels per inch and back, rounding to nearest:
// pixels = (himetric * dpi + 1270) / 2540 in integer arithmetic (2540 HIMETRIC make an inch).
constexpr LONG himetricToPixels(LONG himetric, int dpi) noexcept
{
    return static_cast<LONG>((static_cast<LONGLONG>(himetric) * dpi + 1270) / 2540);
}
constexpr LONG pixelsToHimetric(LONG pixels, int dpi) noexcept
{
    return dpi <= 0 ? 0 : static_cast<LONG>((static_cast<LONGLONG>(pixels) * 2540 + dpi / 2) / dpi);
}
// The screen's logical pixels per inch, horizontally and vertically (96 without a screen).
int screenDpiX() noexcept;
int screenDpiY() noexcept;

// IObjectSafety for a control: safe for untrusted callers and data on every interface the object
// answers, enabled options 0 at first; SetInterfaceSafetyOptions changes the bits named by the
// mask to their values in dwEnabledOptions (E_FAIL for a bit other than the two). Derive the object
// from it and let it reach the object's QueryInterface through `Owner` (the ComObject-derived
// class).
template <class Owner> class ObjectSafetyImpl : public IObjectSafety {
public:
    static constexpr DWORD kSupported =
        INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;

    [[nodiscard]] HRESULT GetInterfaceSafetyOptions(
        REFIID riid, DWORD *supported, DWORD *enabled) noexcept override
    {
        if (!supported || !enabled)
            return E_POINTER;
        *supported = 0;
        *enabled = 0;
        if (!implements(riid))
            return E_NOINTERFACE;
        *supported = kSupported;
        *enabled = m_enabled;
        return S_OK;
    }
    [[nodiscard]] HRESULT SetInterfaceSafetyOptions(
        REFIID riid, DWORD mask, DWORD enabled) noexcept override
    {
        // Only the mask can ask for an option we lack; enabled bits outside it are not looked at.
        if (mask & ~kSupported)
            return E_FAIL;
        if (!implements(riid))
            return E_NOINTERFACE;
        m_enabled = (m_enabled & ~mask) | (enabled & mask);
        return S_OK;
    }
    DWORD enabledSafetyOptions() const noexcept { return m_enabled; }

private:
    bool implements(REFIID riid) noexcept
    {
        ComPtr<IUnknown> probe;
        return SUCCEEDED(static_cast<Owner *>(this)->QueryInterface(riid, probe.voidOut()));
    }
    DWORD m_enabled = 0;
};

} // namespace platform::com
