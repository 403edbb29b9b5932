// The log reader's check of the window template carried in the user-interface part, so that a log
// whose window could never be built is refused ("corrupt") before anything is removed, instead of
// a run waiting for a window that never appears. It reads with the same reader the front end
// builds the window from.
#pragma once

#include <cstdint>
#include <span>

namespace uninstaller::log {

// True when the template has the magic "RTT", its version's extra blocks, the window values, font,
// face, title and every control it counts, all inside `bytes`. Trailing bytes are allowed. O(n).
bool isWindowTemplateReadable(std::span<const std::uint8_t> bytes) noexcept;

} // namespace uninstaller::log
