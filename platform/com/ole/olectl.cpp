#include "platform/com/ole/olectl.h"

#include "platform/registry/registry.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>

#include <charconv>
#include <string>

namespace {

COLORREF fromQColor(const QColor &c) noexcept
{
    return RGB(
        static_cast<BYTE>(c.red()), static_cast<BYTE>(c.green()), static_cast<BYTE>(c.blue()));
}

// Classic values for indexes without a palette role, and for processes without an application.
constexpr COLORREF kClassic[] = {
    RGB(200, 200, 200), RGB(0, 128, 128), RGB(10, 36, 106), RGB(128, 128, 128), // 0-3
    RGB(212, 208, 200), RGB(255, 255, 255), RGB(0, 0, 0), RGB(0, 0, 0), // 4-7
    RGB(0, 0, 0), RGB(255, 255, 255), RGB(212, 208, 200), RGB(212, 208, 200), // 8-11
    RGB(128, 128, 128), RGB(10, 36, 106), RGB(255, 255, 255), RGB(212, 208, 200), // 12-15
    RGB(128, 128, 128), RGB(128, 128, 128), RGB(0, 0, 0), RGB(212, 208, 200), // 16-19
    RGB(255, 255, 255), RGB(64, 64, 64), RGB(212, 208, 200), RGB(0, 0, 0), // 20-23
    RGB(255, 255, 225), RGB(0, 0, 0), RGB(0, 0, 128), RGB(166, 202, 240), // 24-27
    RGB(192, 192, 192), RGB(10, 36, 106), RGB(212, 208, 200), // 28-30
};
constexpr int kSysColorCount = static_cast<int>(std::size(kClassic));

} // namespace

COLORREF GetSysColor(int index) noexcept
{
    if (index < 0 || index >= kSysColorCount)
        return 0;
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return kClassic[index];
    const QPalette pal = QGuiApplication::palette();
    switch (index) {
    case COLOR_MENU:
    case COLOR_MENUBAR:
        return fromQColor(pal.color(QPalette::Window));
    case COLOR_WINDOW:
        return fromQColor(pal.color(QPalette::Base));
    case COLOR_MENUTEXT:
        return fromQColor(pal.color(QPalette::WindowText));
    case COLOR_WINDOWTEXT:
        return fromQColor(pal.color(QPalette::Text));
    case COLOR_HIGHLIGHT:
    case COLOR_MENUHILIGHT:
        return fromQColor(pal.color(QPalette::Highlight));
    case COLOR_HIGHLIGHTTEXT:
        return fromQColor(pal.color(QPalette::HighlightedText));
    case COLOR_BTNFACE:
    case COLOR_3DLIGHT:
        return fromQColor(pal.color(QPalette::Button));
    case COLOR_BTNSHADOW:
        return fromQColor(pal.color(QPalette::Dark));
    case COLOR_GRAYTEXT:
        return fromQColor(pal.color(QPalette::Disabled, QPalette::Text));
    case COLOR_BTNTEXT:
        return fromQColor(pal.color(QPalette::ButtonText));
    case COLOR_BTNHIGHLIGHT:
        return fromQColor(pal.color(QPalette::Light));
    case COLOR_3DDKSHADOW:
        return fromQColor(pal.color(QPalette::Shadow));
    case COLOR_INFOTEXT:
        return fromQColor(pal.color(QPalette::ToolTipText));
    case COLOR_INFOBK:
        return fromQColor(pal.color(QPalette::ToolTipBase));
    case COLOR_HOTLIGHT:
        return fromQColor(pal.color(QPalette::Link));
    default:
        return kClassic[index];
    }
}

HRESULT OleTranslateColor(OLE_COLOR clr, HPALETTE hpal, COLORREF *pcr) noexcept
{
    COLORREF result = 0;
    switch (clr >> 24) {
    case 0x00:
        result = clr;
        break;
    case 0x80: {
        const DWORD index = clr & 0x00ffffffu;
        if (index >= static_cast<DWORD>(kSysColorCount) || index == 25)
            return E_INVALIDARG;
        result = GetSysColor(static_cast<int>(index));
        break;
    }
    case 0x02:
        result = clr & 0x00ffffffu;
        break;
    case 0x01:
        // Palettes are not modelled: an index into one cannot be resolved.
        return E_INVALIDARG;
    default:
        return E_INVALIDARG;
    }
    (void)hpal;
    if (pcr)
        *pcr = result;
    return S_OK;
}

HRESULT OleRegGetMiscStatus(REFCLSID clsid, DWORD dwAspect, DWORD *pdwStatus) noexcept
{
    if (!pdwStatus)
        return E_POINTER;
    *pdwStatus = 0;
    const std::string classKey = "CLSID\\" + platform::com::guidToString(clsid);
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_CLASSES_ROOT, classKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return REGDB_E_CLASSNOTREG;
    RegCloseKey(key);
    const std::string miscKey = classKey + "\\MiscStatus";
    std::string text;
    LONG rc = platform::registry::readString(
        HKEY_CLASSES_ROOT, miscKey + "\\" + std::to_string(dwAspect), "", text);
    if (rc == ERROR_FILE_NOT_FOUND)
        rc = platform::registry::readString(HKEY_CLASSES_ROOT, miscKey, "", text);
    if (rc == ERROR_FILE_NOT_FOUND)
        return REGDB_E_KEYMISSING;
    if (rc != ERROR_SUCCESS)
        return REGDB_E_READREGDB;
    DWORD value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty())
        return REGDB_E_READREGDB;
    *pdwStatus = value;
    return S_OK;
}

namespace platform::com {
namespace {

int dpiOf(bool horizontal) noexcept
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return 96;
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return 96;
    const qreal dpi = horizontal ? screen->logicalDotsPerInchX() : screen->logicalDotsPerInchY();
    return dpi > 0 ? static_cast<int>(dpi + 0.5) : 96;
}

} // namespace

int screenDpiX() noexcept
{
    return dpiOf(true);
}

int screenDpiY() noexcept
{
    return dpiOf(false);
}

} // namespace platform::com
