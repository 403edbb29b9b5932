// Selection and making an item visible, the operations the interface, the keyboard and the mouse
// share. They act on the view's model and scroll position.
#pragma once

#include "platform/wintypes.h"

namespace arbor {

class XTreeView;
class XTreeItem;

// The scroll move along one axis that brings [itemStart, itemStart + itemLength) into the visible
// range: none when already strictly inside or aligned, the start aligned when the item is at least
// as large as the range, else the smaller of the two 4-pixel-step moves that show either end.
int ensureVisibleMove(int itemStart, int itemLength, int rangeStart, int rangeLength) noexcept;

// Expands every collapsed ancestor (with their events), then scrolls the item into view; when the
// position does not change, the window is laid out and repainted anyway. Invalid handle: nothing.
void EnsureVisible(XTreeView &view, LONG hItem);
// Refused (false) for an invalid or already selected item. Single selection deselects the rest
// first; the item becomes the focus item, is marked (ItemSelect) and made visible.
bool SelectItem(XTreeView &view, LONG hItem);
// Clears the mark without an event and repaints; an invalid or unselected handle does nothing.
void DeselectItem(XTreeView &view, LONG hItem);
// all: every selected item; otherwise only those hidden under a collapsed ancestor. No events.
void ClearSelection(XTreeView &view, bool all);

} // namespace arbor
