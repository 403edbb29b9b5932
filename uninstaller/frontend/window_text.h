// The text rules of the uninstaller's window: language variants inside a text, and controls that
// are links. Pure functions on the log's Windows-1252 bytes, so the fuzz target and the tests
// reach them without a display.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace uninstaller::frontend {

// The maker's name: a label showing exactly this text becomes a link to kMakerAddress.
inline constexpr const char *kMakerName = "Sweepwright";
inline constexpr const char *kMakerAddress = "https://www.sweepwright.example/";

// The part of `text` between "<LangID=n>" and the next "</LangID=n>" for the table's language
// `language`; failing that, the same for language 1; failing that, `text` unchanged. O(n).
std::string applyLanguageVariant(std::string_view text, std::uint32_t language);

struct LinkText {
    std::string shown;
    std::string target;
};

// A label text of the form: "hyperlink:" (any case) ... text="shown" ... link="target" (the
// markers themselves in this case and order), or the maker's name. nullopt otherwise: the label
// then shows its whole text, prefix included. O(n).
std::optional<LinkText> parseLink(std::string_view text);

} // namespace uninstaller::frontend
