// Registry scripts: the parser must refuse malformed scripts with an error and never crash or
// run without bound. Parsing only: nothing is written to a registry.
#include "platform/com/registrar.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    platform::com::Registrar registrar;
    registrar.addReplacement("MODULE", "/opt/fuzz/libfuzz.so");
    registrar.addReplacement("CLSID", "{6B1F0003-0000-4000-8000-000000000003}");
    std::vector<platform::com::RgsRoot> roots;
    (void)registrar.parse(std::string_view(reinterpret_cast<const char *>(data), size), roots);
    return 0;
}
