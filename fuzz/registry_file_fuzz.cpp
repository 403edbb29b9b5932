// Fuzzes the registry root-file reader. Besides not crashing, every file it accepts must survive
// the store's own rewrite unchanged: writing the parsed tree and reading it again gives the same
// tree, and writing that gives the same text (a rewrite never loses or alters data).
#include "platform/registry/internal/regfile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using platform::registry::internal::Key;
using platform::registry::internal::parseRegFile;
using platform::registry::internal::ParseError;
using platform::registry::internal::writeRegFile;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    Key root;
    ParseError error;
    if (!parseRegFile(text, "HKEY_CURRENT_USER", root, &error))
        return 0;
    const std::string written = writeRegFile(root, "HKEY_CURRENT_USER");
    Key again;
    if (!parseRegFile(written, "HKEY_CURRENT_USER", again, &error) || !again.equals(root))
        std::abort();
    if (writeRegFile(again, "HKEY_CURRENT_USER") != written)
        std::abort();
    return 0;
}
