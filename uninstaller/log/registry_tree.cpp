#include "uninstaller/log/registry_tree.h"

namespace uninstaller::log {

bool readValueEntry(ByteReader &reader, RegistryValueEntry &entry) noexcept
{
    return reader.readCString(entry.name) && reader.readBe32(entry.deleteFlag);
}

bool readSubkeyEntry(ByteReader &reader, RegistrySubkeyEntry &entry) noexcept
{
    return reader.readBe32(entry.deleteFlag) && reader.readCString(entry.name);
}

bool skipValueEntries(ByteReader &reader, std::uint32_t count) noexcept
{
    // Each entry takes at least 5 bytes, so a count larger than the data fails at once instead of
    // looping billions of times.
    if (count > reader.remaining() / 5)
        return false;
    RegistryValueEntry entry;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (!readValueEntry(reader, entry))
            return false;
    }
    return true;
}

bool skipSubkeyEntries(ByteReader &reader, std::uint32_t count, int depth) noexcept
{
    // A subkey entry with its node takes at least 4 + 1 + 8 bytes.
    if (count > reader.remaining() / 13)
        return false;
    RegistrySubkeyEntry entry;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (!readSubkeyEntry(reader, entry) || !skipRegistryNode(reader, depth + 1))
            return false;
    }
    return true;
}

bool skipRegistryNode(ByteReader &reader, int depth) noexcept
{
    if (depth > kMaxRegistryDepth)
        return false;
    std::uint32_t values = 0;
    std::uint32_t subkeys = 0;
    return reader.readBe32(values) && skipValueEntries(reader, values) &&
        reader.readBe32(subkeys) && skipSubkeyEntries(reader, subkeys, depth);
}

bool isRegistrySectionWellFormed(std::span<const std::uint8_t> section) noexcept
{
    if (section.empty())
        return true;
    ByteReader reader(section);
    for (int root = 0; root < kRegistryRootCount; ++root) {
        if (!skipRegistryNode(reader, 0))
            return false;
    }
    return reader.atEnd();
}

} // namespace uninstaller::log
