// Registry scripts in the ATL ".rgs" form, the way a component library describes what it writes
// on registration and removes on unregistration:
//
//   HKCR
//   {
//       NoRemove CLSID
//       {
//           ForceRemove {...} = s 'Widget Class'
//           {
//               InprocServer32 = s '%MODULE%' { val ThreadingModel = s 'Apartment' }
//           }
//       }
//   }
//
// Roots HKCR, HKCU, HKLM, HKU (or their long names); key names bare or quoted; `= s 'text'` sets a
// key's default value, `val name = s 'text'` / `= d 'number'` a named one; '' inside quotes is a
// quote; `= b 'hex digits'` a binary value (REG_BINARY); a root may be quoted; %NAME% is replaced
// by the caller's replacement (%% is a percent sign). Removal rules:
// NoRemove keys are never deleted; ForceRemove keys are deleted whole before they are written and
// on removal; Delete keys are deleted on registration; any other key is deleted on removal when
// nothing but its default value is left in it. Named values a script sets are removed with it.
#pragma once

#include "platform/com/hresult.h"
#include "platform/registry/registry.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::com {

struct RgsValue {
    std::string name; // "" for the default value
    DWORD type = REG_SZ;
    std::string text; // REG_SZ text, or the bytes of REG_BINARY
    DWORD number = 0;
};

struct RgsKey {
    enum class Flag { None, NoRemove, ForceRemove, Delete } flag = Flag::None;
    std::string name;
    std::optional<RgsValue> defaultValue;
    std::vector<RgsValue> values;
    std::vector<RgsKey> children;
};

struct RgsRoot {
    HKEY root = nullptr;
    std::vector<RgsKey> keys;
};

// Limits of what a script may hold, so that a malformed or hostile script costs bounded work.
inline constexpr std::size_t kMaxRgsBytes = 1 << 20;
inline constexpr int kMaxRgsDepth = 32;

class Registrar {
public:
    // `name` without percent signs; replacement names are case-insensitive. MODULE also supplies
    // MODULE_RAW (the same path) unless MODULE_RAW is given itself.
    void addReplacement(const std::string &name, const std::string &value);

    // Parses `script` into `roots`. DISP_E_EXCEPTION with a message in error() for a syntax error,
    // an unknown %NAME% or a script beyond the limits above.
    [[nodiscard]] HRESULT parse(std::string_view script, std::vector<RgsRoot> &roots) noexcept;

    // Runs the script. Registration stops at the first registry failure and returns it as
    // HRESULT_FROM_WIN32 (keys written so far stay); removal goes on past failures and returns the
    // first one.
    [[nodiscard]] HRESULT registerScript(std::string_view script) noexcept;
    [[nodiscard]] HRESULT unregisterScript(std::string_view script) noexcept;
    // Removal of a script already parsed (and perhaps trimmed by the caller).
    [[nodiscard]] HRESULT unregisterRoots(const std::vector<RgsRoot> &roots) noexcept;

    const std::string &error() const noexcept { return m_error; }

private:
    std::map<std::string, std::string> m_replacements; // lower-case names
    bool m_explicitRaw = false;
    std::string m_error;
};

} // namespace platform::com
