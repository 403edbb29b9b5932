// Nodes that hold a window: an adopted client window, or a control created by the hosted-control
// holder. The widget is a child of the item window while adopted, so Qt would delete it with the
// item window; the node therefore watches it through a QPointer and, when the item goes, hides it
// and makes it a top-level window again instead of letting it die with the tree.
#pragma once

#include "arbor/model/hooks.h"
#include "arbor/model/xtreenode.h"

#include <QPointer>
#include <QWidget>

namespace arbor {

struct HookMessage;

class XTreeNode_Window : public XTreeNode {
public:
    XTreeNode_Window() = default;
    ~XTreeNode_Window() override;

    LONG typeCode() const noexcept override { return kTypeWindow; }
    // The window's size plus the 3-pixel margin on each side; (3, 3) once the window is gone.
    QSize Measure(const XTreeModel &model, const QFontMetrics &fm) const override;
    // Places and shows the window; frames a selected item and marks the focus item.
    void Paint(QPainter &p, const QRect &rect, XTreeModel &model) override;
    void PaintGhost(QPainter &, const QRect &, XTreeModel &) override { }

    HWND GetWindow() const noexcept override { return m_hwnd; }
    bool HasWindow() const noexcept override { return !m_widget.isNull(); }
    // The caption (at most 127 characters) of a window with a caption bar; empty otherwise.
    std::string GetText() const override;
    void ShowHosted(bool show) override;

    // Adopts the window: hidden, made a child of the model's item window, system-menu and box
    // styles dropped, watched for resizing and activation. An invalid handle leaves the node
    // without a window. Returns whether a window was adopted.
    bool AttachWindow(XTreeModel &model, HWND hwnd);
    // Hides the window, makes it top-level again and forgets it; the node then holds no window.
    void detachWidget();
    // Moves the window to (left + 3, top + 3) of the node rectangle and shows it.
    virtual void PlaceWindow(const QRect &rect);
    virtual void HideWindow();

protected:
    // Resize of the hosted window seen by the watcher.
    virtual void onHostedResized(XTreeModel &model, const QSize &size);
    // Adopts widget: hidden, child of the item window, box styles dropped, watched.
    void adopt(XTreeModel &model, QWidget *widget);

    HWND m_hwnd = 0;
    QPointer<QWidget> m_widget;
    XTreeModel *m_model = nullptr;

    // Where the tree last put the window (item window coordinates); the window may change its
    // size but not this corner.
    void notePlacement(QPoint topLeft) noexcept
    {
        m_placedAt = topLeft;
        m_placed = true;
    }

private:
    // The window hook's callback: resizing asks for a layout, moves are undone, activation selects.
    static bool onHook(HWND hwnd, void *context, HookMessage &message, LRESULT *result);
    bool m_watched = false;
    bool m_placed = false;
    QPoint m_placedAt;
    // Placing the window during a paint resizes nothing, but its move events must not ask for a
    // new layout while the layout is being painted.
    int m_paintDepth = 0;
};

class XTreeNode_Control : public XTreeNode_Window {
public:
    XTreeNode_Control() = default;
    // Gives the control back to the holder.
    ~XTreeNode_Control() override;

    LONG typeCode() const noexcept override { return kTypeControl; }
    bool IsControl() const noexcept override { return true; }
    QSize Measure(const XTreeModel &model, const QFontMetrics &fm) const override;

    // Takes a control the holder created; its window is adopted like a client window.
    bool AttachControl(XTreeModel &model, XHostedControl *control);
    XHostedControl *control() const noexcept { return m_control; }
    void PlaceWindow(const QRect &rect) override;
    void HideWindow() override;
    void ShowHosted(bool show) override;

protected:
    void onHostedResized(XTreeModel &model, const QSize &size) override;

private:
    XHostedControl *m_control = nullptr;
};

} // namespace arbor
