#include "uninstaller/log/uninstall_log.h"

#include "uninstaller/log/byte_reader.h"
#include "uninstaller/log/logging.h"
#include "uninstaller/log/registry_tree.h"
#include "uninstaller/log/window_template_check.h"

#include <array>

namespace uninstaller::log {

namespace {

constexpr std::string_view kCrLf = "\r\n";

std::string toString(std::span<const std::uint8_t> bytes)
{
    return std::string(reinterpret_cast<const char *>(bytes.data()), bytes.size());
}

bool readCountedBlock(ByteReader &reader, std::span<const std::uint8_t> &block)
{
    std::uint32_t length = 0;
    return reader.readBe32(length) && reader.readBytes(length, block);
}

bool parseMessageTable(std::span<const std::uint8_t> block, MessageTable &table)
{
    table = {};
    if (block.empty())
        return true; // a product may ship no texts; every lookup then gives an empty text
    ByteReader reader(block);
    std::uint32_t count = 0;
    if (!reader.readBe32(table.language) || !reader.readBe32(count) ||
        count > reader.remaining() / 8)
        return false;
    table.entries.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t key = 0;
        std::span<const std::uint8_t> text;
        if (!reader.readBe32(key) || !readCountedBlock(reader, text))
            return false;
        table.entries.emplace_back(key, toString(text));
    }
    return true;
}

bool parsePictureList(std::span<const std::uint8_t> block, std::vector<Picture> &pictures)
{
    pictures.clear();
    if (block.empty())
        return true;
    ByteReader reader(block);
    std::uint32_t count = 0;
    if (!reader.readBe32(count) || count > reader.remaining() / 8)
        return false;
    pictures.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t length = 0;
        Picture picture;
        std::span<const std::uint8_t> bytes;
        if (!reader.readBe32(length) || !reader.readBe32(picture.number) ||
            !reader.readBytes(length, bytes))
            return false;
        picture.bytes.assign(bytes.begin(), bytes.end());
        pictures.push_back(std::move(picture));
    }
    return true;
}

bool parseUserInterface(std::span<const std::uint8_t> part, UninstallLog &log)
{
    ByteReader reader(part);
    std::span<const std::uint8_t> messages;
    std::span<const std::uint8_t> windowTemplate;
    std::span<const std::uint8_t> pictures;
    if (!readCountedBlock(reader, messages) || !readCountedBlock(reader, windowTemplate) ||
        !readCountedBlock(reader, pictures))
        return false;
    if (!isWindowTemplateReadable(windowTemplate))
        return false;
    log.windowTemplate.assign(windowTemplate.begin(), windowTemplate.end());
    return parseMessageTable(messages, log.messages) && parsePictureList(pictures, log.pictures);
}

// The position of `heading` + CRLF at the start of a line at or after `from`, or npos. `from`
// itself always is the start of a line.
std::size_t findHeading(std::string_view text, std::string_view heading, std::size_t from)
{
    std::size_t pos = from;
    while (pos <= text.size()) {
        const std::size_t found = text.find(heading, pos);
        if (found == std::string_view::npos)
            return found;
        const bool lineStart = found == from || (found >= 2 && text.substr(found - 2, 2) == kCrLf);
        const bool lineEnd = text.substr(found + heading.size(), 2) == kCrLf;
        if (lineStart && lineEnd)
            return found;
        pos = found + 1;
    }
    return std::string_view::npos;
}

FirstLine splitFirstLine(std::string_view line)
{
    FirstLine first;
    const std::size_t z1 = line.find('\0');
    first.productName = std::string(line.substr(0, z1));
    if (z1 == std::string_view::npos)
        return first;
    const std::size_t z2 = line.find('\0', z1 + 1);
    first.code = std::string(line.substr(z1 + 1, z2 == std::string_view::npos ? z2 : z2 - z1 - 1));
    if (z2 != std::string_view::npos)
        first.command = std::string(line.substr(z2 + 1));
    return first;
}

bool parseDecimal(std::string_view text, std::uint32_t &value)
{
    if (text.empty() || text.size() > 10)
        return false;
    std::uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (v > 0xFFFFFFFFu)
        return false;
    value = static_cast<std::uint32_t>(v);
    return true;
}

} // namespace

std::string MessageTable::LookUpMessage(std::uint32_t key) const
{
    for (const auto &[entryKey, text] : entries) {
        if (entryKey == key)
            return text;
    }
    return {};
}

std::string_view readLine(std::string_view text, std::size_t &pos) noexcept
{
    if (pos >= text.size()) {
        pos = text.size();
        return {};
    }
    const std::size_t end = text.find(kCrLf, pos);
    if (end == std::string_view::npos) {
        const std::string_view rest = text.substr(pos);
        pos = text.size();
        return rest;
    }
    const std::string_view line = text.substr(pos, end - pos);
    pos = end + 2;
    return line;
}

std::vector<std::string_view> sectionLines(std::string_view section)
{
    std::vector<std::string_view> lines;
    std::size_t pos = 0;
    while (pos < section.size()) {
        const std::string_view line = readLine(section, pos);
        if (line.size() > 2)
            lines.push_back(line);
    }
    return lines;
}

const char *pathFault(std::string_view path) noexcept
{
    if (path.empty() || path.front() != '/')
        return "is not an absolute path";
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        // Below 0x20 and DEL; 1252 leaves five bytes undefined, which map to C1 controls.
        if (byte < 0x20 || byte == 0x7F || byte == 0x81 || byte == 0x8D || byte == 0x8F ||
            byte == 0x90 || byte == 0x9D)
            return "holds a control character";
    }
    return nullptr;
}

bool parseBackupLine(std::string_view line, BackupEntry &entry)
{
    std::array<std::string_view, 6> fields;
    std::size_t start = 0;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::size_t tab = line.find('\t', start);
        if ((tab == std::string_view::npos) != (i == fields.size() - 1))
            return false; // fewer or more than six fields
        fields[i] = line.substr(start, tab == std::string_view::npos ? tab : tab - start);
        start = tab + 1;
    }
    entry.backupPath = std::string(fields[0]);
    entry.installedPath = std::string(fields[1]);
    return parseDecimal(fields[2], entry.versionHigh) &&
        parseDecimal(fields[3], entry.versionLow) && parseDecimal(fields[4], entry.timeHigh) &&
        parseDecimal(fields[5], entry.timeLow);
}

namespace {

bool refuse(const char *why)
{
    qCDebug(lcLog) << "log refused:" << why;
    return false;
}

} // namespace

bool SplitLog(std::span<const std::uint8_t> plain, UninstallLog &log)
{
    log = {};
    if (plain.size() < 2)
        return refuse("shorter than two bytes");
    std::span<const std::uint8_t> textPart = plain;
    if (plain[0] == '\\') {
        log.hasUserInterface = true;
        log.option = plain[1];
        ByteReader reader(plain.subspan(2));
        std::span<const std::uint8_t> ui;
        if (!readCountedBlock(reader, ui) || !parseUserInterface(ui, log))
            return refuse("window part unreadable");
        textPart = plain.subspan(2 + 4 + ui.size());
    }

    const std::string_view text(reinterpret_cast<const char *>(textPart.data()), textPart.size());
    const std::size_t firstEnd = text.find(kCrLf);
    if (firstEnd == std::string_view::npos)
        return refuse("no first line");
    log.firstLine = splitFirstLine(text.substr(0, firstEnd));

    constexpr std::array<std::string_view, 5> kHeadings = {
        "Shared:", "Backups:", "Files:", "Directories:", "Registry:"
    };
    std::array<std::size_t, 5> headingAt {};
    std::size_t from = firstEnd + 2;
    for (std::size_t i = 0; i < kHeadings.size(); ++i) {
        headingAt[i] = findHeading(text, kHeadings[i], from);
        if (headingAt[i] == std::string_view::npos)
            return refuse("a section heading missing");
        from = headingAt[i] + kHeadings[i].size() + 2;
    }
    auto section = [&](std::size_t i) {
        const std::size_t begin = headingAt[i] + kHeadings[i].size() + 2;
        return std::string(text.substr(begin, headingAt[i + 1] - begin));
    };
    log.shared = section(0);
    log.backups = section(1);
    log.files = section(2);
    log.directories = section(3);
    const std::size_t registryBegin = headingAt[4] + kHeadings[4].size() + 2;
    log.registry.assign(
        textPart.begin() + static_cast<std::ptrdiff_t>(registryBegin), textPart.end());

    // Nothing the engine is given may name a path it would have to guess at.
    BackupEntry entry;
    for (std::string_view line : sectionLines(log.backups)) {
        if (!parseBackupLine(line, entry) || pathFault(entry.backupPath) ||
            pathFault(entry.installedPath))
            return refuse("a backup line unreadable or naming an unsafe path");
    }
    for (std::string_view line : sectionLines(log.shared)) {
        if (pathFault(line.substr(0, line.find('|'))))
            return refuse("a shared file naming an unsafe path");
    }
    for (const std::string *section : { &log.files, &log.directories }) {
        for (std::string_view line : sectionLines(*section)) {
            if (pathFault(line))
                return refuse("a file or folder naming an unsafe path");
        }
    }
    if (!isRegistrySectionWellFormed(log.registry))
        return refuse("registry section malformed");
    qCDebug(lcLog) << "log accepted";
    return true;
}

} // namespace uninstaller::log
