#include "platform/com/internal/regutil.h"

namespace platform::com::detail {

namespace {

constexpr int kMaxTreeDepth = 512; // the store refuses deeper paths anyway

struct KeyHandle {
    HKEY key = nullptr;
    ~KeyHandle()
    {
        if (key)
            RegCloseKey(key);
    }
};

LONG deleteTreeAt(HKEY root, const std::string &path, int depth)
{
    if (depth > kMaxTreeDepth)
        return ERROR_INVALID_PARAMETER;
    for (const std::string &child : subkeyNames(root, path)) {
        const LONG err = deleteTreeAt(root, path + "\\" + child, depth + 1);
        if (err != ERROR_SUCCESS)
            return err;
    }
    const LONG err = RegDeleteKey(root, path.c_str());
    return err == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : err;
}

} // namespace

bool keyExists(HKEY root, const std::string &path)
{
    KeyHandle h;
    return RegOpenKeyEx(root, path.c_str(), 0, KEY_READ, &h.key) == ERROR_SUCCESS;
}

namespace {

// Names of a key's subkeys or values, in enumeration order; `enumerate` is one step of
// RegEnumKeyEx or RegEnumValue. A buffer that is too small is grown once to the size reported.
template <typename Enumerate>
std::vector<std::string> enumNames(HKEY root, const std::string &path, Enumerate enumerate)
{
    std::vector<std::string> names;
    KeyHandle h;
    if (RegOpenKeyEx(root, path.c_str(), 0, KEY_READ, &h.key) != ERROR_SUCCESS)
        return names;
    std::string buffer(256, '\0');
    for (DWORD i = 0;; ++i) {
        DWORD cch = static_cast<DWORD>(buffer.size());
        LONG err = enumerate(h.key, i, buffer.data(), &cch);
        if (err == ERROR_MORE_DATA) {
            buffer.resize(cch + 1);
            cch = static_cast<DWORD>(buffer.size());
            err = enumerate(h.key, i, buffer.data(), &cch);
        }
        if (err != ERROR_SUCCESS)
            break;
        names.emplace_back(buffer.c_str());
    }
    return names;
}

} // namespace

std::vector<std::string> subkeyNames(HKEY root, const std::string &path)
{
    return enumNames(root, path, [](HKEY key, DWORD i, char *name, DWORD *cch) {
        return RegEnumKeyEx(key, i, name, cch, nullptr, nullptr, nullptr, nullptr);
    });
}

std::vector<std::string> valueNames(HKEY root, const std::string &path)
{
    return enumNames(root, path, [](HKEY key, DWORD i, char *name, DWORD *cch) {
        return RegEnumValue(key, i, name, cch, nullptr, nullptr, nullptr, nullptr);
    });
}

LONG deleteTree(HKEY root, const std::string &path)
{
    return deleteTreeAt(root, path, 0);
}

} // namespace platform::com::detail
