// The keyboard side of the item window: Windows virtual-key codes for Qt keys, and the focus
// moves of the arrow keys over rows whose cells may have children of their own.
#pragma once

#include "platform/wintypes.h"

#include <Qt>

class QKeyEvent;

namespace arbor {

class XTreeView;
class XTreeItem;

// Virtual-key codes the tree reacts to.
inline constexpr SHORT VK_SPACE = 0x20;
inline constexpr SHORT VK_LEFT = 0x25;
inline constexpr SHORT VK_UP = 0x26;
inline constexpr SHORT VK_RIGHT = 0x27;
inline constexpr SHORT VK_DOWN = 0x28;
inline constexpr SHORT VK_MULTIPLY = 0x6A;
inline constexpr SHORT VK_ADD = 0x6B;
inline constexpr SHORT VK_SUBTRACT = 0x6D;

// The virtual-key code of a Qt key as a US keyboard gives it; keys of the numeric keypad (the
// keypad modifier) get the keypad codes. 0 for keys without one.
SHORT virtualKeyFromQt(int key, Qt::KeyboardModifiers modifiers) noexcept;

// Where the down arrow moves the focus from f: first child when expanded, else the next sibling,
// else the next sibling of the nearest ancestor that has one, else from the left neighbour of the
// first right-hand cell found along the parent links. Null past the last item. O(depth + row).
XTreeItem *focusBelow(XTreeItem *f) noexcept;
// Where the up arrow moves it: the previous sibling's deepest last expanded descendant, else the
// parent, else (a cell of a root row) the same search from the left neighbour; a first root stays.
XTreeItem *focusAbove(XTreeItem *f) noexcept;

// Key press and release of the item window, which must have the focus itself: the action of the
// key, then KeyDown; on release KeyUp and KeyPress. Auto-repeated releases raise nothing.
void handleKeyPress(XTreeView &view, const QKeyEvent &event);
void handleKeyRelease(XTreeView &view, const QKeyEvent &event);

} // namespace arbor
