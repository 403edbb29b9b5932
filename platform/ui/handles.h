// Window and graphics handles. Code written for the Windows interfaces passes windows and pictures
// around as 32-bit numbers (a control's hWnd property, a picture's Handle, an image list's bitmap),
// so every live QWidget, and every QPixmap or QIcon registered here, gets such a number. Numbers
// come from one process-wide counter, so a window handle never equals a graphics handle, and a
// value is never handed out again while it is in use. Every lookup validates: a dead or unknown
// handle gives null, never a dangling pointer.
#pragma once

#include "platform/wintypes.h"

#include <QIcon>
#include <QPixmap>

#include <optional>

class QWidget;

// A window handle: 0 is "no window". Signed, as the automation interfaces pass it as a long.
using HWND = LONG;
// A graphics handle (bitmap, icon, cursor): 0 is "none".
using OLE_HANDLE = UINT;
using HGDIOBJ = OLE_HANDLE;
using HBITMAP = OLE_HANDLE;
using HICON = OLE_HANDLE;
using HCURSOR = OLE_HANDLE;

using WPARAM = ULONG_PTR;
using LPARAM = LONG_PTR;
using LRESULT = LONG_PTR;

struct POINT {
    LONG x = 0;
    LONG y = 0;
};
struct SIZE {
    LONG cx = 0;
    LONG cy = 0;
};
using SIZEL = SIZE;
struct RECT {
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
};
using LPRECT = RECT *;
using LPCRECT = const RECT *;
using RECTL = RECT;

namespace platform::ui {

// The handle of a live widget, given on first request and kept until the widget is destroyed;
// 0 for null. The entry is dropped the moment the widget's destruction starts, so a stale handle
// never reaches a half-destroyed widget. O(1) amortised. UI thread only.
HWND windowHandle(QWidget *widget);
// The widget behind a window handle, or null for 0, a graphics handle, an unknown or a dead one.
QWidget *widgetFromHandle(HWND hwnd) noexcept;

enum class GraphicsKind { None, Bitmap, Icon };

// Registers a copy of a picture and returns its new handle; 0 when the table is full. The copy
// stays valid until DeleteObject/DestroyIcon, whatever happens to the caller's object. UI thread,
// as pixmaps are; the table itself is locked, so lookups from other threads are safe.
HBITMAP registerBitmap(const QPixmap &pixmap);
HICON registerIcon(const QIcon &icon);

// What a graphics handle stands for; None for 0, window handles, unknown and deleted handles.
GraphicsKind graphicsKind(OLE_HANDLE handle) noexcept;
// The picture of a bitmap handle (an icon handle gives its largest pixmap), nullopt when invalid.
std::optional<QPixmap> pixmapFromHandle(OLE_HANDLE handle);
// The icon of an icon handle (a bitmap handle gives an icon made of it), nullopt when invalid.
std::optional<QIcon> iconFromHandle(OLE_HANDLE handle);

// Live entries of the table, windows and graphics together (for tests and leak checks).
std::size_t liveHandleCount() noexcept;

} // namespace platform::ui

// Frees a bitmap handle; FALSE for an icon, a window, 0 or an unknown handle.
BOOL DeleteObject(HGDIOBJ object) noexcept;
// Frees an icon or cursor handle; FALSE for anything else.
BOOL DestroyIcon(HICON icon) noexcept;
