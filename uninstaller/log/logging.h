// The uninstaller's log channels: "uninstaller.log" (reading and checking the appended log) and
// "uninstaller.engine" (each removal step's outcome). Silent until switched on, for example with
// QT_LOGGING_RULES="uninstaller.*.debug=true".
#pragma once

#include <QLoggingCategory>

namespace uninstaller::log {
Q_DECLARE_LOGGING_CATEGORY(lcLog)
} // namespace uninstaller::log

namespace uninstaller::engine {
Q_DECLARE_LOGGING_CATEGORY(lcEngine)
} // namespace uninstaller::engine
