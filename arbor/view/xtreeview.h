// XTreeView, the item window of the tree-list control: it owns the items (destroying the window
// removes them all), lays them out lazily when the model reports stale sizes, paints only the
// rows that can be seen into one off-screen image copied in a single block, and keeps the scroll
// position with its own scroll bars. Input and selection live in their own files (xtreeinput.cpp,
// xtreeselection.cpp) but act on this class.
#pragma once

#include "arbor/model/xtreemodel.h"
#include "arbor/view/xtreeinput.h"
#include "arbor/view/xtreelayout.h"

#include <QCursor>
#include <QImage>
#include <QWidget>

#include <optional>
#include <vector>

class QScrollBar;

namespace arbor {

class CXTreeView;
class DragDetector;

class XTreeView : public QWidget, public XTreeLayoutSink {
    Q_OBJECT
public:
    explicit XTreeView(QWidget *parent = nullptr);
    ~XTreeView() override;
    Q_DISABLE_COPY_MOVE(XTreeView)

    XTreeModel &model() noexcept { return m_model; }
    const XTreeLayout &treeLayout();

    // The area the items are drawn in: the window without its scroll bars.
    QRect clientRect() const;
    QPoint scrollPosition() const noexcept { return { m_hpos, m_vpos }; }
    // Limits x to 0..|content width - client width| and y to 0..content height; true when the
    // position changed (the bars follow and the window repaints).
    bool ScrollTo(int x, int y);
    // Layout and scroll bars brought up to date now, if anything changed since the last time.
    void ensureLayout();
    // With layout: sizes, content size and bars are recomputed before the next paint.
    void redraw(bool withLayout);

    bool autoHScroll() const noexcept { return m_autoH; }
    bool autoVScroll() const noexcept { return m_autoV; }
    void setAutoHScroll(bool on);
    void setAutoVScroll(bool on);
    QScrollBar *horizontalBar() const noexcept { return m_hbar; }
    QScrollBar *verticalBar() const noexcept { return m_vbar; }

    // Background picture at its natural size; a null image removes it.
    void setPicture(const QImage &picture);
    // What the background shows at design time while no picture is set.
    void setDesignLogo(const QImage &logo);
    void setPicturePosition(LONG position);
    LONG picturePosition() const noexcept { return m_picturePosition; }
    void setDesignMode(bool design);
    bool designMode() const noexcept { return m_model.appearance().designMode; }

    // The item under a client point and the area of it (HitArea); null and kHitOutside when none.
    // Points inside the client area are looked up in the item rectangles of the rows on screen,
    // gathered once per layout, scroll position and client size (O(log rows shown) when the rows
    // have no cells); other points visit only the rows crossing the point's line.
    XTreeItem *hitTest(QPoint client, int *area = nullptr);
    // Origin of an item in client coordinates; nullopt when hidden by a collapsed ancestor.
    std::optional<QPoint> itemOrigin(const XTreeItem *x);

    // Draws the client area as the window shows it, into an image of the client size.
    QImage renderClient();

    // The drop-target highlight of a drag in progress; null for none.
    void setDropTarget(const XTreeItem *x);

    // XTreeLayoutSink
    void layoutInvalidated() override;
    void repaintNeeded() override;

    // Who hears the view's events (the model's too); null silences both. Not owned.
    void setEvents(XTreeViewEvents *events) noexcept;
    XTreeViewEvents *events() const noexcept { return m_events; }
    // The control object this window belongs to; the view never calls it, it only hands it out.
    void setControl(CXTreeView *control) noexcept { m_control = control; }
    CXTreeView *control() const noexcept { return m_control; }

    // MousePointer: 0 the window's arrow, 1..11 the system cursors, 99 the MouseIcon cursor; other
    // values count as 0. Applied at run time only: in design mode the container's cursor shows.
    void setMousePointer(LONG pointer);
    LONG mousePointer() const noexcept { return m_mousePointer; }
    // The cursor MousePointer 99 shows; nullopt falls back to the default cursor.
    void setMouseIcon(std::optional<QCursor> cursor);

    // Everything the window shows that is not an item: appearance, pictures, scrolling and cursor
    // choices. Taken from a window that is going and given to its replacement.
    struct Settings {
        XTreeAppearance look;
        QImage picture;
        QImage designLogo;
        LONG picturePosition = 17;
        bool autoH = true;
        bool autoV = true;
        LONG mousePointer = 0;
        std::optional<QCursor> mouseIcon;
    };
    Settings settings() const;
    void applySettings(const Settings &settings);

    // How long the left button must rest on an item before a drag starts without leaving the
    // window, in milliseconds (the system's drag delay, 200 by default).
    void setDragDelay(int ms) noexcept { m_dragDelay = ms; }
    int dragDelay() const noexcept { return m_dragDelay; }
    // True between a press that armed drag detection and its outcome.
    bool detectingDrag() const noexcept;

    // The tree view behind a window handle: the view itself answers the "WM_XTREEVIEW" message
    // with its address. Null for 0, a dead handle or any other window.
    static XTreeView *fromWindow(HWND hwnd) noexcept;
    static XTreeView *fromWidget(QWidget *widget) noexcept;
    // The numbers of the registered messages the tree windows answer.
    static UINT msgTreeView() noexcept;
    static UINT msgTreeViewDragDrop() noexcept;
    static UINT msgResetDropSource() noexcept;

    // Drag hooks. The base window has no drag support: each does nothing (canDrop refuses). A
    // window with drag support overrides them. The input code calls startDragItem and BeginDrag;
    // the control's drag-and-drop loop calls the rest.
    // Left button pressed on an item (after the click itself was handled).
    virtual void startDragItem(LONG hItem);
    // Drag detection succeeded for hItem: the pointer left the window or the delay ran out.
    virtual void BeginDrag(LONG hItem);
    // The pointer of a drag rests over hItem (0: no item) at a client point.
    virtual void dragOverItem(LONG hItem, QPoint client);
    virtual bool canDrop(LONG hTarget, DWORD effect);
    virtual void dropOnSelf(LONG hTarget, DWORD effect);
    virtual void dropFromTree(XTreeView *source, LONG hTarget, DWORD effect);
    // "WM_XTREEVIEWDRAGDROP" is answered only by windows that take drops.
    virtual bool acceptsDrops() const { return false; }
    // "WM_RESETDROPSOURCE": forget a drag source of this tree.
    virtual void ResetDropSource() { }
    // Drag detection ended without a drag: the button came up, another button or Escape was
    // pressed, the focus left or the armed item went away.
    virtual void endDragDetection() { }

protected:
    // Starts the non-blocking drag detection for hItem after a press on it; BeginDrag
    // follows when the pointer leaves the client area or the button is held past the drag delay,
    // nothing when the button comes up first, the other button goes down or Escape is pressed.
    void detectDrag(LONG hItem);
    void cancelDragDetection();

    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    void updateScrollBars();
    void placeBars();
    void placeHostedWindows();
    void paintInto(QPainter &p, QSize client);
    void onVerticalAction(int action);
    void onHorizontalAction(int action);
    void syncBars();
    void applyCursor();
    void gatherShownItems();
    // What the client area depends on, cheap to compare (the bars' size hints are not; a style
    // change, which can change them, counts as a layout pass).
    struct ClientKey {
        QSize window;
        bool hbar;
        bool vbar;
        bool operator==(const ClientKey &) const = default;
    };
    ClientKey clientKey() const;

    XTreeModel m_model;
    XTreeLayout m_layout { m_model };
    QScrollBar *m_hbar;
    QScrollBar *m_vbar;
    int m_hpos = 0;
    int m_vpos = 0;
    bool m_autoH = true;
    bool m_autoV = true;
    // Set by the model's sink and by resizes; cleared when sizes and bars are up to date.
    bool m_needLayout = true;
    int m_paintDepth = 0;
    bool m_syncingBars = false;
    QImage m_picture;
    QImage m_designLogo;
    LONG m_picturePosition = 17;
    const XTreeItem *m_dropTarget = nullptr;
    XTreeViewEvents *m_events = nullptr;
    CXTreeView *m_control = nullptr;
    LONG m_mousePointer = 0;
    std::optional<QCursor> m_mouseIcon;
    int m_dragDelay = 200;
    DragDetector *m_drag;

    // Rectangles of the items on screen, in walk order, for hit tests between two changes of the
    // layout, the scroll position or the client size (every layout pass counts as a change, and any
    // change to the items marks the layout stale first, so no entry outlives its item).
    struct ShownItem {
        XTreeItem *item;
        QRect rect; // node rectangle with the button column
    };
    std::vector<ShownItem> m_shown;
    // Rows one below the other without overlap (no cells): the list is sorted by top.
    bool m_shownLayered = false;
    quint64 m_layoutPasses = 0;
    quint64 m_shownPass = ~quint64(0);
    QPoint m_shownScroll;
    ClientKey m_shownKey {};
    int m_shownHeight = 0; // of the client area
};

} // namespace arbor
