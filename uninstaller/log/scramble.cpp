#include "uninstaller/log/scramble.h"

namespace uninstaller::log {

namespace {

// Wide accumulators and a precomputed key stream keep both loops free of carried dependencies, so
// the compiler turns them into vector adds and the pass runs near memory speed.
constexpr std::size_t kLanes = 64; // a multiple of the 8 checksum columns
constexpr std::size_t kKeyPeriod = 256; // the key stream k2 + k1 * (i + 1) repeats every 256 bytes

} // namespace

std::array<std::uint8_t, 8> columnChecksum(std::span<const std::uint8_t> bytes) noexcept
{
    std::uint8_t lanes[kLanes] = {};
    const std::uint8_t *p = bytes.data();
    const std::size_t whole = bytes.size() / kLanes * kLanes;
    for (std::size_t i = 0; i < whole; i += kLanes) {
        for (std::size_t k = 0; k < kLanes; ++k)
            lanes[k] = static_cast<std::uint8_t>(lanes[k] + p[i + k]);
    }
    for (std::size_t i = whole; i < bytes.size(); ++i)
        lanes[i - whole] = static_cast<std::uint8_t>(lanes[i - whole] + p[i]);
    std::array<std::uint8_t, 8> sums {};
    for (std::size_t k = 0; k < kLanes; ++k)
        sums[k % 8] = static_cast<std::uint8_t>(sums[k % 8] + lanes[k]);
    return sums;
}

std::optional<std::size_t> unscrambleLayer(std::span<std::uint8_t> layer) noexcept
{
    if (layer.size() < kLayerTailSize)
        return std::nullopt;
    const std::size_t checked = layer.size() - 8;
    const auto sums = columnChecksum(layer.first(checked));
    for (std::size_t j = 0; j < 8; ++j) {
        if (sums[j] != layer[checked + j])
            return std::nullopt;
    }
    const std::size_t bodyLength = layer.size() - kLayerTailSize;
    const std::uint8_t k1 = layer[bodyLength];
    const std::uint8_t k2 = layer[bodyLength + 1];

    // Byte i is reduced by a_i = k1 + k2 + i * k1 (8-bit), the running a of the scrambler.
    std::uint8_t stream[kKeyPeriod];
    std::uint8_t a = static_cast<std::uint8_t>(k1 + k2);
    for (std::size_t k = 0; k < kKeyPeriod; ++k) {
        stream[k] = a;
        a = static_cast<std::uint8_t>(a + k1);
    }
    std::uint8_t *p = layer.data();
    const std::size_t whole = bodyLength / kKeyPeriod * kKeyPeriod;
    for (std::size_t i = 0; i < whole; i += kKeyPeriod) {
        for (std::size_t k = 0; k < kKeyPeriod; ++k)
            p[i + k] = static_cast<std::uint8_t>(p[i + k] - stream[k]);
    }
    for (std::size_t i = whole; i < bodyLength; ++i)
        p[i] = static_cast<std::uint8_t>(p[i] - stream[i - whole]);
    return bodyLength;
}

} // namespace uninstaller::log
