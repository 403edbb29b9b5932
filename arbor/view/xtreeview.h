// XTreeView, the item window of the tree-list control: it owns the items (destroying the window
// removes them all), lays them out lazily when the model reports stale sizes, paints only the
// rows that can be seen into one off-screen image copied in a single block, and keeps the scroll
// position with its own scroll bars. Input and selection live in their own files (xtreeinput.cpp,
// xtreeselection.cpp) but act on this class.
#pragma once

#include "arbor/model/xtreemodel.h"
#include "arbor/view/xtreelayout.h"

#include <QImage>
#include <QWidget>

class QScrollBar;

namespace arbor {

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
    void setPicturePosition(LONG position);
    LONG picturePosition() const noexcept { return m_picturePosition; }
    void setDesignMode(bool design);
    bool designMode() const noexcept { return m_model.appearance().designMode; }

    // The item under a client point and the area of it (HitArea); null and kHitOutside when none.
    // Visits only the rows crossing the point's line.
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

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void updateScrollBars();
    void placeBars();
    void placeHostedWindows();
    void paintInto(QPainter &p, QSize client);
    void onVerticalAction(int action);
    void onHorizontalAction(int action);
    void syncBars();

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
    LONG m_picturePosition = 17;
    const XTreeItem *m_dropTarget = nullptr;
};

} // namespace arbor
