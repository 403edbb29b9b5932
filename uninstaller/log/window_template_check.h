// A structural walk of the window template carried in the log's user-interface part, so that a
// log whose window could never be built is refused before anything is removed. Building the window
// itself is the front end's job; this only proves that every field and length lies inside the
// block.
#pragma once

#include <cstdint>
#include <span>

namespace uninstaller::log {

// True when the template has the magic "RTT", its version's extra blocks, the window values, font,
// face, title and every control it counts, all inside `bytes`. Trailing bytes are allowed. O(n).
bool IsWindowTemplateReadable(std::span<const std::uint8_t> bytes) noexcept;

} // namespace uninstaller::log
