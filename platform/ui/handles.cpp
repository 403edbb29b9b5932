#include "platform/ui/handles.h"
#include "platform/ui/handles_testing.h"

#include <QPointer>
#include <QWidget>

#include <mutex>
#include <unordered_map>
#include <variant>

namespace platform::ui {
namespace {

// Handles stay positive so that they read the same as a signed long and as an unsigned number.
constexpr UINT kLastHandle = 0x7fffffffu;

struct WindowEntry {
    QPointer<QWidget> widget;
};
struct BitmapEntry {
    QPixmap pixmap;
};
struct IconEntry {
    QIcon icon;
};
using Entry = std::variant<WindowEntry, BitmapEntry, IconEntry>;

class HandleTable {
public:
    // Caller holds m_mutex. Skips 0 and every value in use; 0 only when all are in use.
    UINT allocate()
    {
        for (std::size_t tries = 0; tries <= m_entries.size(); ++tries) {
            const UINT h = m_next;
            m_next = (m_next >= kLastHandle) ? 1 : m_next + 1;
            if (!m_entries.contains(h))
                return h;
        }
        return 0;
    }

    std::mutex m_mutex;
    std::unordered_map<UINT, Entry> m_entries;
    std::unordered_map<const QObject *, HWND> m_byWidget;
    UINT m_next = 1;
};

// Never destroyed: widgets and pictures may outlive static destruction at exit, and their
// destroyed() handlers must still find the table.
HandleTable &table()
{
    static HandleTable *t = new HandleTable;
    return *t;
}

template <class T> const T *entryAs(HandleTable &t, UINT h)
{
    const auto it = t.m_entries.find(h);
    return it == t.m_entries.end() ? nullptr : std::get_if<T>(&it->second);
}

OLE_HANDLE registerGraphic(Entry entry)
{
    HandleTable &t = table();
    std::lock_guard lock(t.m_mutex);
    const UINT h = t.allocate();
    if (h)
        t.m_entries.emplace(h, std::move(entry));
    return h;
}

} // namespace

HWND windowHandle(QWidget *widget)
{
    if (!widget)
        return 0;
    HandleTable &t = table();
    {
        std::lock_guard lock(t.m_mutex);
        if (const auto it = t.m_byWidget.find(widget); it != t.m_byWidget.end())
            return it->second;
        const UINT h = t.allocate();
        if (!h)
            return 0;
        t.m_entries.emplace(h, WindowEntry { widget });
        t.m_byWidget.emplace(widget, static_cast<HWND>(h));
    }
    // QWidget emits destroyed() before it deletes its children, so the handle dies first.
    QObject::connect(widget, &QObject::destroyed, [](QObject *gone) {
        HandleTable &t = table();
        std::lock_guard lock(t.m_mutex);
        if (const auto it = t.m_byWidget.find(gone); it != t.m_byWidget.end()) {
            t.m_entries.erase(static_cast<UINT>(it->second));
            t.m_byWidget.erase(it);
        }
    });
    return t.m_byWidget.at(widget);
}

QWidget *widgetFromHandle(HWND hwnd) noexcept
{
    if (hwnd <= 0)
        return nullptr;
    HandleTable &t = table();
    std::lock_guard lock(t.m_mutex);
    const WindowEntry *e = entryAs<WindowEntry>(t, static_cast<UINT>(hwnd));
    return e ? e->widget.data() : nullptr;
}

HBITMAP registerBitmap(const QPixmap &pixmap)
{
    return registerGraphic(BitmapEntry { pixmap });
}

HICON registerIcon(const QIcon &icon)
{
    return registerGraphic(IconEntry { icon });
}

GraphicsKind graphicsKind(OLE_HANDLE handle) noexcept
{
    HandleTable &t = table();
    std::lock_guard lock(t.m_mutex);
    if (entryAs<BitmapEntry>(t, handle))
        return GraphicsKind::Bitmap;
    if (entryAs<IconEntry>(t, handle))
        return GraphicsKind::Icon;
    return GraphicsKind::None;
}

std::optional<QPixmap> pixmapFromHandle(OLE_HANDLE handle)
{
    HandleTable &t = table();
    std::lock_guard lock(t.m_mutex);
    if (const auto *b = entryAs<BitmapEntry>(t, handle))
        return b->pixmap;
    if (const auto *i = entryAs<IconEntry>(t, handle)) {
        const QList<QSize> sizes = i->icon.availableSizes();
        QSize largest(32, 32);
        for (const QSize &s : sizes)
            if (s.width() * s.height() > largest.width() * largest.height())
                largest = s;
        return i->icon.pixmap(largest);
    }
    return std::nullopt;
}

std::optional<QIcon> iconFromHandle(OLE_HANDLE handle)
{
    HandleTable &t = table();
    std::lock_guard lock(t.m_mutex);
    if (const auto *i = entryAs<IconEntry>(t, handle))
        return i->icon;
    if (const auto *b = entryAs<BitmapEntry>(t, handle))
        return QIcon(b->pixmap);
    return std::nullopt;
}

std::size_t liveHandleCount() noexcept
{
    HandleTable &t = table();
    std::lock_guard lock(t.m_mutex);
    return t.m_entries.size();
}

void setNextHandleForTesting(UINT next) noexcept
{
    HandleTable &t = table();
    std::lock_guard lock(t.m_mutex);
    t.m_next = (next == 0 || next > kLastHandle) ? 1 : next;
}

} // namespace platform::ui

namespace {

template <class T> BOOL eraseGraphic(OLE_HANDLE handle) noexcept
{
    using namespace platform::ui;
    // Freed outside the lock: a picture's destructor may be arbitrarily slow.
    std::optional<Entry> doomed;
    {
        HandleTable &t = table();
        std::lock_guard lock(t.m_mutex);
        const auto it = t.m_entries.find(handle);
        if (it == t.m_entries.end() || !std::holds_alternative<T>(it->second))
            return FALSE;
        doomed = std::move(it->second);
        t.m_entries.erase(it);
    }
    return TRUE;
}

} // namespace

BOOL DeleteObject(HGDIOBJ object) noexcept
{
    return eraseGraphic<platform::ui::BitmapEntry>(object);
}

BOOL DestroyIcon(HICON icon) noexcept
{
    return eraseGraphic<platform::ui::IconEntry>(icon);
}
