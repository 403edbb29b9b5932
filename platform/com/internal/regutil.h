// Small registry helpers over the store's Win32-shaped calls, shared by the script registrar and
// type-library registration.
#pragma once

#include "platform/registry/registry.h"

#include <string>
#include <vector>

namespace platform::com::detail {

bool keyExists(HKEY root, const std::string &path);
// Names of the direct subkeys (empty when the key is missing).
std::vector<std::string> subkeyNames(HKEY root, const std::string &path);
// Names of the values, the default value as "".
std::vector<std::string> valueNames(HKEY root, const std::string &path);
// Deletes a key with everything below it; ERROR_SUCCESS when it was not there.
LONG deleteTree(HKEY root, const std::string &path);

} // namespace platform::com::detail
