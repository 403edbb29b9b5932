// The component layer's log channel, "bidlark.com": which library a class comes from, and why a
// library fails to load. Silent until QT_LOGGING_RULES="bidlark.com.debug=true".
#pragma once

#include <QLoggingCategory>

namespace platform::com {
Q_DECLARE_LOGGING_CATEGORY(lcCom)
} // namespace platform::com
