#include "arbor/view/xtreekeys.h"

#include "arbor/model/xtreenode.h"
#include "arbor/view/xtreeinput.h"
#include "arbor/view/xtreeselection.h"
#include "arbor/view/xtreeview.h"

#include <QKeyEvent>
#include <QPointer>

namespace arbor {

namespace {

struct KeyPair {
    int qt;
    SHORT vk;
};

// Keys whose code does not follow from a range.
constexpr KeyPair kKeys[] = {
    { Qt::Key_Backspace, 0x08 },
    { Qt::Key_Tab, 0x09 },
    { Qt::Key_Backtab, 0x09 },
    { Qt::Key_Clear, 0x0C },
    { Qt::Key_Return, 0x0D },
    { Qt::Key_Enter, 0x0D },
    { Qt::Key_Shift, 0x10 },
    { Qt::Key_Control, 0x11 },
    { Qt::Key_Alt, 0x12 },
    { Qt::Key_Pause, 0x13 },
    { Qt::Key_CapsLock, 0x14 },
    { Qt::Key_Escape, 0x1B },
    { Qt::Key_Space, VK_SPACE },
    { Qt::Key_PageUp, 0x21 },
    { Qt::Key_PageDown, 0x22 },
    { Qt::Key_End, 0x23 },
    { Qt::Key_Home, 0x24 },
    { Qt::Key_Left, VK_LEFT },
    { Qt::Key_Up, VK_UP },
    { Qt::Key_Right, VK_RIGHT },
    { Qt::Key_Down, VK_DOWN },
    { Qt::Key_Print, 0x2C },
    { Qt::Key_Insert, 0x2D },
    { Qt::Key_Delete, 0x2E },
    { Qt::Key_Help, 0x2F },
    { Qt::Key_Meta, 0x5B },
    { Qt::Key_Menu, 0x5D },
    { Qt::Key_NumLock, 0x90 },
    { Qt::Key_ScrollLock, 0x91 },
    // The punctuation keys of a US layout, shifted or not.
    { Qt::Key_Semicolon, 0xBA },
    { Qt::Key_Colon, 0xBA },
    { Qt::Key_Equal, 0xBB },
    { Qt::Key_Plus, 0xBB },
    { Qt::Key_Comma, 0xBC },
    { Qt::Key_Less, 0xBC },
    { Qt::Key_Minus, 0xBD },
    { Qt::Key_Underscore, 0xBD },
    { Qt::Key_Period, 0xBE },
    { Qt::Key_Greater, 0xBE },
    { Qt::Key_Slash, 0xBF },
    { Qt::Key_Question, 0xBF },
    { Qt::Key_QuoteLeft, 0xC0 },
    { Qt::Key_AsciiTilde, 0xC0 },
    { Qt::Key_BracketLeft, 0xDB },
    { Qt::Key_BraceLeft, 0xDB },
    { Qt::Key_Backslash, 0xDC },
    { Qt::Key_Bar, 0xDC },
    { Qt::Key_BracketRight, 0xDD },
    { Qt::Key_BraceRight, 0xDD },
    { Qt::Key_Apostrophe, 0xDE },
    { Qt::Key_QuoteDbl, 0xDE },
    // Shifted digits.
    { Qt::Key_ParenRight, 0x30 },
    { Qt::Key_Exclam, 0x31 },
    { Qt::Key_At, 0x32 },
    { Qt::Key_NumberSign, 0x33 },
    { Qt::Key_Dollar, 0x34 },
    { Qt::Key_Percent, 0x35 },
    { Qt::Key_AsciiCircum, 0x36 },
    { Qt::Key_Ampersand, 0x37 },
    { Qt::Key_Asterisk, 0x38 },
    { Qt::Key_ParenLeft, 0x39 },
};

// The keypad with Num Lock on; with it off the keypad sends navigation keys, which keep their
// ordinary codes.
constexpr KeyPair kKeypad[] = {
    { Qt::Key_Asterisk, VK_MULTIPLY },
    { Qt::Key_Plus, VK_ADD },
    { Qt::Key_Minus, VK_SUBTRACT },
    { Qt::Key_Period, 0x6E },
    { Qt::Key_Comma, 0x6E },
    { Qt::Key_Slash, 0x6F },
    { Qt::Key_Enter, 0x0D },
    { Qt::Key_Return, 0x0D },
};

bool isArrow(SHORT vk) noexcept
{
    return vk == VK_LEFT || vk == VK_UP || vk == VK_RIGHT || vk == VK_DOWN;
}

bool isNavigation(SHORT vk) noexcept
{
    return isArrow(vk) || vk == VK_SPACE || vk == VK_ADD || vk == VK_SUBTRACT || vk == VK_MULTIPLY;
}

// The next sibling of the nearest ancestor of f that has one (step c of the down move).
XTreeItem *nextOfAncestors(XTreeItem *f) noexcept
{
    XTreeItem *a = f->GetParent();
    if (!a) {
        // An item without parent: its top ancestor is the leftmost root of its row.
        XTreeItem *top = f->GetTopAncestor();
        return top != f ? top->GetNext() : nullptr;
    }
    while (a) {
        if (XTreeItem *n = a->GetNext())
            return n;
        if (!a->GetParent()) {
            XTreeItem *top = a->GetTopAncestor();
            return top != a ? top->GetNext() : nullptr;
        }
        a = a->GetParent();
    }
    return nullptr;
}

// The first item standing to the right of another, from f along the parent links.
XTreeItem *firstRightCellUp(XTreeItem *f) noexcept
{
    for (XTreeItem *a = f; a; a = a->GetParent())
        if (a->GetLeft())
            return a;
    return nullptr;
}

} // namespace

SHORT virtualKeyFromQt(int key, Qt::KeyboardModifiers modifiers) noexcept
{
    if (modifiers & Qt::KeypadModifier) {
        if (key >= Qt::Key_0 && key <= Qt::Key_9)
            return static_cast<SHORT>(0x60 + (key - Qt::Key_0));
        for (const KeyPair &k : kKeypad)
            if (k.qt == key)
                return k.vk;
    }
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return static_cast<SHORT>(0x30 + (key - Qt::Key_0));
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return static_cast<SHORT>(0x41 + (key - Qt::Key_A));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return static_cast<SHORT>(0x70 + (key - Qt::Key_F1));
    for (const KeyPair &k : kKeys)
        if (k.qt == key)
            return k.vk;
    return 0;
}

XTreeItem *focusBelow(XTreeItem *f) noexcept
{
    // Each round of step d moves to a left neighbour, so the rounds are bounded by the depth
    // times the row lengths; the guard only protects against a broken tree.
    for (int guard = 0; f && guard < 1 << 20; ++guard) {
        if (f->IsExpanded() && f->GetFirstChild())
            return f->GetFirstChild();
        if (XTreeItem *n = f->GetNext())
            return n;
        if (XTreeItem *n = nextOfAncestors(f))
            return n;
        XTreeItem *cell = firstRightCellUp(f);
        if (!cell)
            return nullptr;
        f = cell->GetLeft();
    }
    return nullptr;
}

XTreeItem *focusAbove(XTreeItem *f) noexcept
{
    XTreeItem *x = f;
    for (;;) {
        if (XTreeItem *p = x->GetPrev()) {
            while (p->IsExpanded() && p->GetLastChild())
                p = p->GetLastChild();
            return p;
        }
        if (XTreeItem *parent = x->GetParent())
            return parent;
        if (!x->GetLeft())
            return x; // the first root (reached from a cell of its row) keeps the focus
        x = x->GetLeft();
    }
}

void handleKeyPress(XTreeView &view, const QKeyEvent &event)
{
    const SHORT vk = virtualKeyFromQt(event.key(), event.modifiers());
    const SHORT shift = shiftState(event.modifiers());
    const bool ctrl = event.modifiers() & Qt::ControlModifier;
    XTreeModel &m = view.model();
    QPointer<XTreeView> alive(&view);

    if (isNavigation(vk) && m.RootCount() > 0) {
        if (isArrow(vk) && !ctrl)
            m.clearSelection();
        XTreeItem *f = m.item(m.focusItem());
        if (!f) {
            // Without a focus item the key only puts the focus on the first root.
            m.setFocusItem(m.Root(0));
            view.redraw(false);
        } else {
            const LONG h = f->handle();
            switch (vk) {
            case VK_DOWN:
                f = focusBelow(f);
                m.setFocusItem(f ? f->handle() : 0);
                break;
            case VK_UP:
                m.setFocusItem(focusAbove(f)->handle());
                break;
            case VK_RIGHT:
                if (f->IsCollapsed() && !ctrl)
                    m.Expand(h, true);
                else if (f->GetRight())
                    m.setFocusItem(f->GetRight()->handle());
                break;
            case VK_LEFT:
                if (f->IsExpanded() && !ctrl) {
                    m.Expand(h, false);
                    ClearSelection(view, false);
                } else if (f->GetLeft()) {
                    m.setFocusItem(f->GetLeft()->handle());
                } else if (f->GetParent()) {
                    m.setFocusItem(f->GetParent()->handle());
                }
                break;
            case VK_SPACE:
                if (ctrl) {
                    if (f->IsSelected())
                        DeselectItem(view, h);
                    else
                        SelectItem(view, h);
                } else if (f->GetNode()->OnClick(m, kHitBox)) {
                    view.redraw(false);
                }
                break;
            case VK_ADD:
                m.Expand(h, true);
                break;
            case VK_SUBTRACT:
                m.Expand(h, false);
                ClearSelection(view, false);
                break;
            case VK_MULTIPLY:
                m.ExpandAll(h);
                view.redraw(true);
                break;
            default:
                break;
            }
        }
        if (alive && isArrow(vk)) {
            // Selecting makes the item visible as well.
            const LONG focus = m.focusItem();
            if (focus != 0 && !ctrl && !m.item(focus)->IsSelected())
                SelectItem(view, focus);
            else if (focus != 0)
                EnsureVisible(view, focus);
            if (alive)
                view.redraw(false);
        }
    }
    if (!alive)
        return;
    if (XTreeViewEvents *ev = view.events())
        ev->KeyDown(vk, shift);
}

void handleKeyRelease(XTreeView &view, const QKeyEvent &event)
{
    if (event.isAutoRepeat())
        return;
    const SHORT vk = virtualKeyFromQt(event.key(), event.modifiers());
    QPointer<XTreeView> alive(&view);
    if (XTreeViewEvents *ev = view.events())
        ev->KeyUp(vk, shiftState(event.modifiers()));
    if (XTreeViewEvents *ev = alive ? view.events() : nullptr)
        ev->KeyPress(vk);
}

} // namespace arbor
