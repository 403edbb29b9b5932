// Reading and writing one root's file: the REGEDIT4 text layout, in UTF-8.
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\Software\Example]
//   @="default"
//   "name"="text with \\ and \" escaped"
//   "count"=dword:0000000a
//   "list"=hex(7):61,00,62,00,00,00
//
// Text that a quoted string cannot carry on one line (a line break or another control character, a
// NUL, malformed UTF-8) is written as hex(1): the UTF-8 bytes with their NUL, which reads back as
// the same REG_SZ value. Every other type is written as hex(n): (hex: for REG_BINARY) with its raw
// bytes.
//
// The reader takes hand-written files too: CR LF line ends, a UTF-8 byte order mark, blank lines,
// comment lines starting with ';', blanks around '=', hex lists continued with a trailing
// backslash. It refuses, with a line number, anything it cannot read faithfully: there is no
// best-effort mode, because a misread root would be written back with less than it held. What a
// rewrite does not keep is layout, not data: comments, blank lines, and the earlier of two values
// of one name in a key (the later one wins, as an import would have it).
#pragma once

#include "platform/registry/internal/regtree.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace platform::registry::internal {

// Files above this size are refused instead of read; no sane store comes near it.
inline constexpr std::size_t kMaxFileBytes = 64u * 1024u * 1024u;

struct ParseError {
    std::size_t line = 0; // 1-based, 0 for the file as a whole
    std::string message;
};

// Parses `text` as the file of the root named `rootName` ("HKEY_CURRENT_USER") into `root`, which
// must be empty. Empty or blank text is an empty root. Sections naming another root are an error.
// O(size of text) apart from name lookups, which are O(log n) per key and O(1) per value.
bool parseRegFile(std::string_view text, std::string_view rootName, Key &root, ParseError *error);

// The file text of `root`: every key gets a section (so empty keys survive), depth first in
// enumeration order; the root's own section only when it holds values. O(size of the result).
std::string writeRegFile(const Key &root, std::string_view rootName);

} // namespace platform::registry::internal
