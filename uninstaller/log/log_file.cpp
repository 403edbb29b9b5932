#include "uninstaller/log/log_file.h"

#include "uninstaller/log/logging.h"
#include "uninstaller/log/scramble.h"

#include <filesystem>
#include <fstream>
#include <new>

namespace uninstaller::log {

Q_LOGGING_CATEGORY(lcLog, "uninstaller.log", QtInfoMsg)

const char *readStatusMessage(ReadStatus status) noexcept
{
    switch (status) {
    case ReadStatus::Ok:
        return "";
    case ReadStatus::CannotOpen:
        return "Couldn't read uninstallation information. Aborting.";
    case ReadStatus::OutOfMemory:
        return "Out of memory. Aborting.";
    case ReadStatus::Corrupt:
        break;
    }
    return "Uninstallation information corrupt. Aborting.";
}

ReadStatus unscrambleBlock(std::vector<std::uint8_t> &block) noexcept
{
    const auto outer = unscrambleLayer(block);
    if (!outer)
        return ReadStatus::Corrupt;
    const auto inner = unscrambleLayer(std::span<std::uint8_t>(block.data(), *outer));
    if (!inner || *inner < 2)
        return ReadStatus::Corrupt;
    block.resize(*inner);
    return ReadStatus::Ok;
}

namespace {

ReadStatus readLogBlock(const std::string &ownFilePath, std::vector<std::uint8_t> &plain)
{
    plain.clear();
    std::ifstream in(std::filesystem::path(ownFilePath), std::ios::binary);
    if (!in)
        return ReadStatus::CannotOpen;
    in.seekg(0, std::ios::end);
    const std::streamoff fileSize = in.tellg();
    if (fileSize < 0)
        return ReadStatus::CannotOpen;
    if (fileSize < 4)
        return ReadStatus::Corrupt;

    std::uint8_t trailer[4] = {};
    in.seekg(fileSize - 4);
    if (!in.read(reinterpret_cast<char *>(trailer), 4))
        return ReadStatus::CannotOpen;
    const std::uint64_t start = std::uint64_t(trailer[0]) | (std::uint64_t(trailer[1]) << 8) |
        (std::uint64_t(trailer[2]) << 16) | (std::uint64_t(trailer[3]) << 24);
    const auto blockEnd = static_cast<std::uint64_t>(fileSize - 4);
    if (start >= blockEnd)
        return ReadStatus::Corrupt;
    const std::uint64_t length = blockEnd - start;

    try {
        plain.resize(static_cast<std::size_t>(length));
    } catch (const std::bad_alloc &) {
        plain.clear();
        return ReadStatus::OutOfMemory;
    } catch (const std::length_error &) {
        plain.clear();
        return ReadStatus::OutOfMemory;
    }
    in.seekg(static_cast<std::streamoff>(start));
    if (!in.read(reinterpret_cast<char *>(plain.data()), static_cast<std::streamsize>(length))) {
        plain.clear();
        return ReadStatus::CannotOpen;
    }
    qCDebug(lcLog) << "log block at" << start << "length" << length;
    const ReadStatus status = unscrambleBlock(plain);
    if (status != ReadStatus::Ok)
        plain.clear();
    return status;
}

} // namespace

ReadStatus ReadLog(const std::string &ownFilePath, std::vector<std::uint8_t> &plain)
{
    const ReadStatus status = readLogBlock(ownFilePath, plain);
    qCDebug(lcLog) << "read" << ownFilePath.c_str() << "status" << static_cast<int>(status)
                   << "plain bytes" << plain.size();
    return status;
}

} // namespace uninstaller::log
