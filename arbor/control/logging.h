// The control's log channel, arbor.control: classes handed out, windows built, saved states read
// and written, events a container held back. Debug level, silent unless QT_LOGGING_RULES asks.
#pragma once

#include <QLoggingCategory>

namespace arbor {

Q_DECLARE_LOGGING_CATEGORY(lcControl)

} // namespace arbor
