#include "uninstaller/engine/registry_access.h"

#include <algorithm>
#include <vector>

namespace uninstaller::engine {

namespace {

// Closes a key handle on every path out of a function.
class KeyHandle {
public:
    KeyHandle() = default;
    ~KeyHandle()
    {
        if (m_key)
            RegCloseKey(m_key);
    }
    KeyHandle(const KeyHandle &) = delete;
    KeyHandle &operator=(const KeyHandle &) = delete;
    PHKEY out() { return &m_key; }
    HKEY get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

} // namespace

KeyAccess StoreRegistryAccess::openForChange(HKEY root, const std::string &path)
{
    KeyHandle key;
    const LONG rc = RegOpenKeyEx(
        root, path.c_str(), 0, KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE, key.out());
    if (rc == ERROR_SUCCESS)
        return KeyAccess::Granted;
    if (rc == ERROR_FILE_NOT_FOUND)
        return KeyAccess::NotFound;
    return KeyAccess::Denied;
}

bool StoreRegistryAccess::canRead(HKEY root, const std::string &path)
{
    KeyHandle key;
    return RegOpenKeyEx(root, path.c_str(), 0, KEY_READ, key.out()) == ERROR_SUCCESS;
}

LONG StoreRegistryAccess::deleteValue(HKEY root, const std::string &path, const std::string &name)
{
    KeyHandle key;
    const LONG rc = RegOpenKeyEx(root, path.c_str(), 0, KEY_SET_VALUE, key.out());
    return rc == ERROR_SUCCESS ? RegDeleteValue(key.get(), name.c_str()) : rc;
}

LONG StoreRegistryAccess::deleteKey(HKEY root, const std::string &path)
{
    return RegDeleteKey(root, path.c_str());
}

LONG StoreRegistryAccess::readDword(
    HKEY root, const std::string &path, const std::string &name, DWORD &value)
{
    return platform::registry::readDword(root, path, name, value);
}

LONG StoreRegistryAccess::writeDword(
    HKEY root, const std::string &path, const std::string &name, DWORD value)
{
    return platform::registry::writeDword(root, path, name, value);
}

LONG StoreRegistryAccess::writeString(
    HKEY root, const std::string &path, const std::string &name, const std::string &value)
{
    return platform::registry::writeString(root, path, name, value);
}

std::vector<std::pair<std::string, std::string>> StoreRegistryAccess::stringValues(
    HKEY root, const std::string &path)
{
    std::vector<std::pair<std::string, std::string>> values;
    KeyHandle key;
    if (RegOpenKeyEx(root, path.c_str(), 0, KEY_READ, key.out()) != ERROR_SUCCESS)
        return values;
    for (DWORD index = 0;; ++index) {
        std::vector<char> name(256);
        std::vector<BYTE> data(1024);
        LONG rc = ERROR_MORE_DATA;
        DWORD type = 0;
        // Grow the buffers until the value fits; each retry is bounded by what the store reports.
        for (int attempt = 0; attempt < 8 && rc == ERROR_MORE_DATA; ++attempt) {
            DWORD nameLength = static_cast<DWORD>(name.size());
            DWORD dataLength = static_cast<DWORD>(data.size());
            rc = RegEnumValue(key.get(), index, name.data(), &nameLength, nullptr, &type,
                data.data(), &dataLength);
            if (rc == ERROR_MORE_DATA) {
                name.resize(name.size() * 4);
                data.resize(std::max<std::size_t>(data.size() * 4, dataLength + 1));
            } else if (rc == ERROR_SUCCESS && type == REG_SZ) {
                std::string text(reinterpret_cast<const char *>(data.data()), dataLength);
                while (!text.empty() && text.back() == '\0')
                    text.pop_back();
                values.emplace_back(std::string(name.data(), nameLength), std::move(text));
            }
        }
        if (rc != ERROR_SUCCESS)
            break;
    }
    return values;
}

} // namespace uninstaller::engine
