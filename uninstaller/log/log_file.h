// Reading the log back from the end of the uninstaller's own file: the little-endian trailer names
// where the block starts, the block is checked and unscrambled twice, and what is left is the
// plain log that SplitLog takes apart.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace uninstaller::log {

enum class ReadStatus {
    Ok,
    CannotOpen, // the file cannot be opened or read
    OutOfMemory, // the block does not fit in memory
    Corrupt, // bad trailer, checksum, length or structure
};

// The message for a failed read, exactly as the user sees it; empty for Ok.
const char *readStatusMessage(ReadStatus status) noexcept;

// Reads the block of `ownFilePath` (a UTF-8 path) and unscrambles it into `plain`. The trailer
// offset must lie inside the file; the block is never larger than the file, so nothing is sized by
// an unchecked field. `plain` is cleared on failure. One sequential read of the block.
ReadStatus ReadLog(const std::string &ownFilePath, std::vector<std::uint8_t> &plain);

// Checks and unscrambles both layers of a block in place and shrinks it to the plain log; a plain
// log shorter than 2 bytes is corrupt. O(n).
ReadStatus unscrambleBlock(std::vector<std::uint8_t> &block) noexcept;

} // namespace uninstaller::log
