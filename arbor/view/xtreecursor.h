// The cursors of MousePointer. A MouseIcon picture becomes a cursor in memory: the picture writes
// itself as a file into a memory stream and the cursor is made from those bytes, so no file is
// ever written (a cursor file in the current directory would replace whatever has that name).
#pragma once

#include "platform/wintypes.h"

#include <QCursor>

#include <optional>
#include <string_view>

struct IUnknown;

namespace arbor {

// The cursor of MousePointer 1..11 (arrow, I-beam, wait, cross, up arrow, size NW-SE, size NE-SW,
// size W-E, size N-S, size all, no-drop); nullopt for 0, 99 and anything else.
std::optional<QCursor> systemCursor(LONG pointer);

// The cursor of a picture file's bytes: a cursor file keeps its hot spot, any other picture gets
// its centre. nullopt for bytes that are no picture.
std::optional<QCursor> cursorFromFileBytes(std::string_view bytes);
// The same for a picture object (IPicture); nullopt for null, an empty picture or a failure.
std::optional<QCursor> cursorFromPicture(IUnknown *picture);

} // namespace arbor
