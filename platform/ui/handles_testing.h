// Test hooks of the handle table: tests move the counter to the end of its range to prove that it
// wraps past 0 and past the handles still in use, without allocating two billion handles.
#pragma once

#include "platform/wintypes.h"

namespace platform::ui {

// The next value the counter will try (0 or out of range means 1).
void setNextHandleForTesting(UINT next) noexcept;

} // namespace platform::ui
