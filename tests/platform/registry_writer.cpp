// A second process for the registry tests: writes `count` REG_SZ values named <prefix>000000,
// <prefix>000001, ... (data: the same text with "=data" appended) into
// HKEY_CURRENT_USER\Software\Bidlark\Test of the store named by BIDLARK_REGISTRY_DIR, one change
// per value. With "ack" it writes one byte to stdout after each write has returned, so a parent
// that kills it knows which writes were complete.
#include "platform/registry/registry.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: registry_writer PREFIX COUNT [ack]\n");
        return 2;
    }
    const std::string prefix = argv[1];
    const long count = std::strtol(argv[2], nullptr, 10);
    const bool ack = argc > 3 && std::string(argv[3]) == "ack";
    HKEY key = nullptr;
    LONG status = RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Bidlark\\Test", 0, nullptr, 0,
        KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) {
        std::fprintf(stderr, "RegCreateKeyEx: %d\n", status);
        return 1;
    }
    for (long i = 0; i < count; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "%s%06ld", prefix.c_str(), i);
        const std::string data = std::string(name) + "=data";
        status = RegSetValueEx(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(data.c_str()),
            static_cast<DWORD>(data.size() + 1));
        if (status != ERROR_SUCCESS) {
            std::fprintf(stderr, "RegSetValueEx %s: %d\n", name, status);
            return 1;
        }
        if (ack && ::write(STDOUT_FILENO, "+", 1) != 1)
            return 1;
    }
    RegCloseKey(key);
    return 0;
}
