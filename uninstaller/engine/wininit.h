// The delete-at-restart fallback of systems that keep such requests in "wininit.ini" ("NUL=" and a
// short path under a "[Rename]" section). Linux never takes this path; it is kept so that the
// engine behaves the same wherever that file is what the system reads at boot.
#pragma once

#include <optional>
#include <string>

namespace uninstaller::engine {

// The new content of the file: `current` is nullopt when the file could not be read. The entry
// goes right after the last "[Rename]" line (any case), unless that line is already followed by
// the same entry; without such a line a "[Rename]" section is appended. O(n).
std::string addWininitEntry(const std::optional<std::string> &current, const std::string &entry);

// Reads the file at `iniPath` (UTF-8), adds "NUL=" + `shortPath` and writes it back whole through
// a temporary file. False when it cannot be written.
bool addWininitDeletion(const std::string &iniPath, const std::string &shortPath);

} // namespace uninstaller::engine
