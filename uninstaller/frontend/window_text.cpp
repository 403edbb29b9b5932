#include "uninstaller/frontend/window_text.h"

#include "uninstaller/log/codepage.h"

namespace uninstaller::frontend {

namespace {

std::optional<std::string> between(
    std::string_view text, const std::string &open, const std::string &close)
{
    const std::size_t start = text.find(open);
    if (start == std::string_view::npos)
        return std::nullopt;
    const std::size_t from = start + open.size();
    const std::size_t end = text.find(close, from);
    if (end == std::string_view::npos)
        return std::nullopt;
    return std::string(text.substr(from, end - from));
}

std::optional<std::string> Variant(std::string_view text, std::uint32_t language)
{
    const std::string number = std::to_string(language);
    return between(text, "<LangID=" + number + ">", "</LangID=" + number + ">");
}

// The quoted value after `marker`, searched from `pos`; `pos` moves past the closing quote.
std::optional<std::string> quotedValue(
    std::string_view text, std::string_view marker, std::size_t &pos)
{
    const std::size_t at = text.find(marker, pos);
    if (at == std::string_view::npos)
        return std::nullopt;
    const std::size_t open = at + marker.size();
    if (open >= text.size() || text[open] != '"')
        return std::nullopt;
    const std::size_t close = text.find('"', open + 1);
    if (close == std::string_view::npos)
        return std::nullopt;
    pos = close + 1;
    return std::string(text.substr(open + 1, close - open - 1));
}

} // namespace

std::string applyLanguageVariant(std::string_view text, std::uint32_t language)
{
    if (auto chosen = Variant(text, language))
        return *chosen;
    if (auto fallback = Variant(text, 1))
        return *fallback;
    return std::string(text);
}

std::optional<LinkText> parseLink(std::string_view text)
{
    if (text == kMakerName)
        return LinkText { std::string(text), kMakerAddress };
    constexpr std::string_view prefix = "hyperlink:";
    if (text.size() < prefix.size() || !log::equalsNoCase(text.substr(0, prefix.size()), prefix))
        return std::nullopt;
    std::size_t pos = prefix.size();
    auto shown = quotedValue(text, "text=", pos);
    if (!shown)
        return std::nullopt;
    auto target = quotedValue(text, "link=", pos);
    if (!target)
        return std::nullopt;
    return LinkText { std::move(*shown), std::move(*target) };
}

} // namespace uninstaller::frontend
