// The registry operations of the removal engine, addressed by root and full key path rather than by
// open handles, so a test double can deny exactly the keys it names. Paths and names are UTF-8,
// components joined by "\". The real implementation talks to the registry store.
#pragma once

#include "platform/registry/registry.h"

#include <string>
#include <utility>
#include <vector>

namespace uninstaller::engine {

enum class KeyAccess {
    Granted, // the key can be read and changed
    NotFound, // the key does not exist
    Denied, // the key exists but may not be changed
};

class RegistryAccess {
public:
    virtual ~RegistryAccess() = default;

    // Opening with read, create-subkey and set-value access.
    virtual KeyAccess openForChange(HKEY root, const std::string &path) = 0;
    // Opening with read access only.
    virtual bool canRead(HKEY root, const std::string &path) = 0;
    virtual LONG deleteValue(HKEY root, const std::string &path, const std::string &name) = 0;
    // Deletes a key that has no subkeys; a key with subkeys is refused.
    virtual LONG deleteKey(HKEY root, const std::string &path) = 0;
    virtual LONG readDword(
        HKEY root, const std::string &path, const std::string &name, DWORD &value) = 0;
    virtual LONG writeDword(
        HKEY root, const std::string &path, const std::string &name, DWORD value) = 0;
    virtual LONG writeString(
        HKEY root, const std::string &path, const std::string &name, const std::string &value) = 0;
    // The REG_SZ values of a key, in the key's order; empty when the key does not exist.
    virtual std::vector<std::pair<std::string, std::string>> stringValues(
        HKEY root, const std::string &path) = 0;
};

// The registry store of platform/registry.
class StoreRegistryAccess : public RegistryAccess {
public:
    KeyAccess openForChange(HKEY root, const std::string &path) override;
    bool canRead(HKEY root, const std::string &path) override;
    LONG deleteValue(HKEY root, const std::string &path, const std::string &name) override;
    LONG deleteKey(HKEY root, const std::string &path) override;
    LONG readDword(
        HKEY root, const std::string &path, const std::string &name, DWORD &value) override;
    LONG writeDword(
        HKEY root, const std::string &path, const std::string &name, DWORD value) override;
    LONG writeString(HKEY root, const std::string &path, const std::string &name,
        const std::string &value) override;
    std::vector<std::pair<std::string, std::string>> stringValues(
        HKEY root, const std::string &path) override;
};

} // namespace uninstaller::engine
