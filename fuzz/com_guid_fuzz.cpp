// GUID text parsing: CLSIDFromString and the registry form must refuse anything malformed and
// round-trip everything they accept.
#include "platform/com/com.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    if (auto g = platform::com::guidFromString(text)) {
        // Whatever was accepted formats back to the same identifier.
        if (platform::com::guidFromString(platform::com::guidToString(*g)) != g)
            std::abort();
    }
    std::u16string wide(text.begin(), text.end());
    IID iid;
    (void)IIDFromString(wide.c_str(), &iid);
    if (!wide.empty() && wide[0] == u'{') {
        CLSID clsid;
        (void)CLSIDFromString(wide.c_str(), &clsid);
    }
    return 0;
}
