#include "uninstaller/log/scramble.h"

namespace uninstaller::log {

std::array<std::uint8_t, 8> ColumnChecksum(std::span<const std::uint8_t> bytes) noexcept
{
    // Eight independent running sums over 8-byte words keep the loop free of a modulo per byte.
    std::array<std::uint8_t, 8> sums {};
    const std::size_t whole = bytes.size() / 8 * 8;
    const std::uint8_t *p = bytes.data();
    for (std::size_t i = 0; i < whole; i += 8) {
        for (std::size_t j = 0; j < 8; ++j)
            sums[j] = static_cast<std::uint8_t>(sums[j] + p[i + j]);
    }
    for (std::size_t i = whole; i < bytes.size(); ++i)
        sums[i - whole] = static_cast<std::uint8_t>(sums[i - whole] + p[i]);
    return sums;
}

std::optional<std::size_t> UnscrambleLayer(std::span<std::uint8_t> layer) noexcept
{
    if (layer.size() < kLayerTailSize)
        return std::nullopt;
    const std::size_t checked = layer.size() - 8;
    const auto sums = ColumnChecksum(layer.first(checked));
    for (std::size_t j = 0; j < 8; ++j) {
        if (sums[j] != layer[checked + j])
            return std::nullopt;
    }
    const std::size_t bodyLength = layer.size() - kLayerTailSize;
    const std::uint8_t k1 = layer[bodyLength];
    const std::uint8_t k2 = layer[bodyLength + 1];
    std::uint8_t a = static_cast<std::uint8_t>(k1 + k2);
    std::uint8_t *p = layer.data();
    for (std::size_t i = 0; i < bodyLength; ++i) {
        p[i] = static_cast<std::uint8_t>(p[i] - a);
        a = static_cast<std::uint8_t>(a + k1);
    }
    return bodyLength;
}

} // namespace uninstaller::log
