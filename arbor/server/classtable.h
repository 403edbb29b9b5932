// The classes libarbor serves, in the order it registers them, each with the number of its registry
// script.
#pragma once

#include "platform/com/classfactory.h"

#include <optional>
#include <span>
#include <string>

namespace arbor::server {

struct ServedClass {
    const char *name;
    const CLSID *clsid;
    int script; // the REGISTRY resource that registers it
    HRESULT (*getFactory)(REFIID riid, void **ppv) noexcept;
};

std::span<const ServedClass> servedClasses() noexcept;

// A script resource kept in the module but run for no class (an old class the library no longer
// serves); registration must never write its keys.
inline constexpr int kUnservedScript = 235;

// The text of REGISTRY resource `number` of this module; nullopt when there is none.
std::optional<std::string> registryScript(int number);

} // namespace arbor::server
