// The two scrambled layers around the log. Each layer is a body followed by a 10-byte tail: the
// step k1, the start k2 and eight column checksums over everything before them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace uninstaller::log {

inline constexpr std::size_t kLayerTailSize = 10;

// Byte j is the 8-bit sum of bytes j, j+8, j+16, ... of `bytes`. O(n), one pass.
std::array<std::uint8_t, 8> columnChecksum(std::span<const std::uint8_t> bytes) noexcept;

// Checks and unscrambles one layer in place. Returns the length of the plain body (the layer's
// length minus its tail), or nullopt when the layer is shorter than its tail or a checksum does
// not match; the bytes are then left unchanged. O(n), near memory speed.
std::optional<std::size_t> unscrambleLayer(std::span<std::uint8_t> layer) noexcept;

} // namespace uninstaller::log
