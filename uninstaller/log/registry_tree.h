// The binary registry section: four trees in a row (classes root, current user, local machine,
// users). A node is a BE32 value count, that many (zero-terminated name, BE32 delete flag), a BE32
// subkey count, and that many (BE32 delete flag, zero-terminated name, node).
//
// The engine walks the trees while it acts on them; these functions give it the reading steps and
// the skips that keep its reader aligned when it stops inside a node.
#pragma once

#include "uninstaller/log/byte_reader.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace uninstaller::log {

inline constexpr int kRegistryRootCount = 4;

// Deeper nesting than the registry itself allows is refused rather than followed, so a crafted
// section cannot exhaust the stack.
inline constexpr int kMaxRegistryDepth = 512;

struct RegistryValueEntry {
    std::string_view name;
    std::uint32_t deleteFlag = 0;
};

struct RegistrySubkeyEntry {
    std::uint32_t deleteFlag = 0;
    std::string_view name;
};

bool readValueEntry(ByteReader &reader, RegistryValueEntry &entry) noexcept;
bool readSubkeyEntry(ByteReader &reader, RegistrySubkeyEntry &entry) noexcept;

// Skips `count` value entries / a whole node / `count` subkey entries with their nodes. `depth` is
// the depth of the node being skipped. False when the data ends early or nests too deep. O(bytes).
bool skipValueEntries(ByteReader &reader, std::uint32_t count) noexcept;
bool skipRegistryNode(ByteReader &reader, int depth) noexcept;
bool skipSubkeyEntries(ByteReader &reader, std::uint32_t count, int depth) noexcept;

// The dry walk: true when `section` is empty, or holds exactly four trees that end exactly at its
// end.
bool isRegistrySectionWellFormed(std::span<const std::uint8_t> section) noexcept;

} // namespace uninstaller::log
