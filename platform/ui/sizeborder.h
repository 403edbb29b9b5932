// The sizing border of a child window: with it the user can drag the window's right and bottom
// edges (and their corner) to resize it. A top-level window gets its border from the window
// manager; a child widget has none of its own, so this adds one as an event filter.
#pragma once

class QWidget;

namespace platform::ui {

// Width of the band along the right and bottom edges that starts a resize, in pixels.
inline constexpr int kSizeBorderWidth = 4;

bool hasSizeBorder(const QWidget *widget);
// Adds or removes the border; the widget is resized through QWidget::resize, so owners see an
// ordinary resize event.
void setSizeBorder(QWidget *widget, bool on);

} // namespace platform::ui
