// Type library files: a file that parses must also serve every type-information call without
// reading outside what it declared.
#include "platform/com/com.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ComPtr<ITypeLib> lib;
    if (FAILED(platform::com::loadTypeLibFromMemory(
            std::string_view(reinterpret_cast<const char *>(data), size), &lib)))
        return 0;
    TLIBATTR *libAttr = nullptr;
    if (SUCCEEDED(lib->GetLibAttr(&libAttr)))
        lib->ReleaseTLibAttr(libAttr);
    const UINT count = lib->GetTypeInfoCount();
    for (UINT i = 0; i < count; ++i) {
        ComPtr<ITypeInfo> info;
        if (FAILED(lib->GetTypeInfo(i, &info)))
            continue;
        TYPEATTR *attr = nullptr;
        if (FAILED(info->GetTypeAttr(&attr)))
            continue;
        for (UINT f = 0; f < attr->cFuncs; ++f) {
            FUNCDESC *fd = nullptr;
            if (FAILED(info->GetFuncDesc(f, &fd)))
                continue;
            BSTR names[16] = {};
            UINT n = 0;
            if (SUCCEEDED(info->GetNames(fd->memid, names, 16, &n)))
                for (UINT k = 0; k < n; ++k)
                    SysFreeString(names[k]);
            info->ReleaseFuncDesc(fd);
        }
        for (UINT k = 0; k < attr->cImplTypes; ++k) {
            HREFTYPE href;
            ComPtr<ITypeInfo> ref;
            if (SUCCEEDED(info->GetRefTypeOfImplType(k, &href)))
                (void)info->GetRefTypeInfo(href, &ref);
        }
        info->ReleaseTypeAttr(attr);
    }
    return 0;
}
