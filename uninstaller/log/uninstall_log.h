// The plain log taken apart: the optional user-interface part (message table, window template,
// pictures), the first line (product, pre-uninstall code and command) and the five sections. The
// whole log is validated here, before the engine touches anything: a log that passes SplitLog can
// be walked by the engine without a single read failing.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace uninstaller::log {

struct MessageTable {
    std::uint32_t language = 0;
    std::vector<std::pair<std::uint32_t, std::string>> entries;

    // The first entry with `key`, or an empty text. O(entries).
    std::string LookUpMessage(std::uint32_t key) const;
};

struct Picture {
    std::uint32_t number = 0;
    std::vector<std::uint8_t> bytes;
};

struct FirstLine {
    std::string productName;
    std::string code;
    std::string command;
};

struct UninstallLog {
    bool hasUserInterface = false;
    std::uint8_t option = 0;
    MessageTable messages;
    std::vector<std::uint8_t> windowTemplate;
    std::vector<Picture> pictures;
    FirstLine firstLine;
    // Section texts between their heading line and the next heading, CRLF-separated lines.
    std::string shared;
    std::string backups;
    std::string files;
    std::string directories;
    std::vector<std::uint8_t> registry;
};

// The fields of one backups line.
struct BackupEntry {
    std::string backupPath;
    std::string installedPath;
    std::uint32_t versionHigh = 0;
    std::uint32_t versionLow = 0;
    std::uint32_t timeHigh = 0;
    std::uint32_t timeLow = 0;
};

// splits and validates a plain log. False (the log is corrupt) when: it is shorter than 2 bytes;
// the user-interface length or a block, count or text length runs past its block; the window
// template is unreadable; the first line has no CRLF; one of the headings "Shared:", "Backups:",
// "Files:", "Directories:", "Registry:" is missing, not at the start of a line or out of order; a
// backups line is not six tab-separated fields with decimal numbers; a path of the shared, backups,
// files or directories section is refused by pathFault; the registry trees do not end exactly at
// the end of the log. `log` is only meaningful on success. O(n).
bool SplitLog(std::span<const std::uint8_t> plain, UninstallLog &log);

// The text from `pos` up to the next CRLF; `pos` moves past the CRLF, or to the end of the text.
std::string_view readLine(std::string_view text, std::size_t &pos) noexcept;

// The lines of a section that count: longer than 2 characters.
std::vector<std::string_view> sectionLines(std::string_view section);

// Why a path of the log cannot be used, or null when it can: it must be absolute (a relative path
// would be resolved against whatever folder the uninstaller was started from) and hold no control
// character (a NUL would cut it short to a file the log never named). For the shared section this
// is the part before "|". O(n).
const char *pathFault(std::string_view path) noexcept;

// Parses one backups line; false when it is not six tab-separated fields with decimal numbers
// that fit in 32 bits.
bool parseBackupLine(std::string_view line, BackupEntry &entry);

} // namespace uninstaller::log
