// String-to-number (and to date and boolean) conversion: any text converts or is refused with a
// documented status, and a number converted back to text converts to the same number.
#include "platform/com/com.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    std::u16string text;
    for (size_t i = 1; i + 1 < size; i += 2)
        text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (size % 2 == 0) // odd-sized inputs as plain bytes too, to reach ASCII digits easily
        text.assign(
            reinterpret_cast<const char *>(data) + 1, reinterpret_cast<const char *>(data) + size);
    static constexpr VARTYPE targets[] = { VT_I1, VT_UI1, VT_I2, VT_UI2, VT_I4, VT_UI4, VT_I8,
        VT_UI8, VT_R4, VT_R8, VT_CY, VT_DATE, VT_BOOL, VT_INT, VT_UINT };
    const VARTYPE vt = targets[data[0] % (sizeof targets / sizeof targets[0])];
    platform::com::Variant source = platform::com::Variant::str(text);
    platform::com::Variant number;
    const HRESULT hr = VariantChangeType(&number, &source, 0, vt);
    if (FAILED(hr)) {
        if (hr != DISP_E_TYPEMISMATCH && hr != DISP_E_OVERFLOW)
            std::abort();
        return 0;
    }
    if (vt == VT_DATE || vt == VT_BOOL || vt == VT_R4 || vt == VT_R8 || vt == VT_CY)
        return 0; // text forms of these are not exact
    platform::com::Variant back, again;
    if (FAILED(VariantChangeType(&back, &number, 0, VT_BSTR)) ||
        FAILED(VariantChangeType(&again, &back, 0, vt)) || again.llVal != number.llVal)
        std::abort();
    return 0;
}
