// The typed-variant stream layout of saved properties: read values until the stream ends or a
// value is refused; every accepted value must write back.
#include "platform/com/com.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ComPtr<IStream> stream;
    if (FAILED(platform::com::createStreamOnBytes(
            std::string_view(reinterpret_cast<const char *>(data), size), &stream)))
        return 0;
    ComPtr<IStream> out;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &out)))
        return 0;
    for (int i = 0; i < 64; ++i) {
        platform::com::Variant value;
        // Objects are not created: a class identifier in fuzz input must not load libraries.
        if (FAILED(platform::com::readTypedVariant(stream.Get(), &value, false)))
            break;
        (void)platform::com::writeTypedVariant(out.Get(), value);
    }
    return 0;
}
