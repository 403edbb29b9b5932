// The header check in front of the picture decoders: it names the format of a picture file and
// reads the pixel size its header declares, bounding every field by the data's length, so that a
// truncated, inconsistent or foreign file is refused before a decoder sees it. The decoders only
// get files whose declared size stays within kMaxPictureSide and kMaxPicturePixels.
#pragma once

#include "platform/wintypes.h"

#include <optional>
#include <string_view>

namespace platform::com {

enum class PictureFormat { Bmp, Ico, Png, Jpeg, Gif };

inline constexpr int kMaxPictureSide = 16384;
inline constexpr LONGLONG kMaxPicturePixels = 64LL << 20;
inline constexpr std::size_t kMaxPictureBytes = 64u << 20;

struct PictureHeader {
    PictureFormat format;
    int width; // pixels; for icons, the largest image of the file
    int height;
    int images; // 1, or the number of images of an icon file
};

// O(n) at most for JPEG (a walk over its segments), O(1) or O(images) otherwise.
std::optional<PictureHeader> parsePictureHeader(std::string_view data) noexcept;

// The Qt image format name of a format ("bmp", "ico", ...).
const char *qtFormatName(PictureFormat format) noexcept;

} // namespace platform::com
