#include "uninstaller/log/window_template_check.h"

#include "uninstaller/log/window_template.h"

namespace uninstaller::log {

bool isWindowTemplateReadable(std::span<const std::uint8_t> bytes) noexcept
{
    try {
        // The same reader the window is built from, so "readable here" means "buildable there".
        return parseWindowTemplate(bytes).has_value();
    } catch (...) {
        return false; // only an allocation failure can land here
    }
}

} // namespace uninstaller::log
