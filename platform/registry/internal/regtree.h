// The in-memory form of one registry root: a tree of keys, each with its values. Lookups are
// case-insensitive through a folded copy of every name, while the name itself keeps the case it was
// created with. Data is kept as the raw bytes of the value, so types the store does not interpret
// survive a read and a rewrite unchanged.
#pragma once

#include "platform/wintypes.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform::registry::internal {

// Limits of the system registry; the parser and the calls refuse longer names and deeper paths.
inline constexpr std::size_t kMaxKeyNameChars = 255;
inline constexpr std::size_t kMaxValueNameChars = 16383;
inline constexpr std::size_t kMaxKeyDepth = 512;

// The comparison form of a name: Unicode case folding for valid UTF-8, ASCII folding otherwise (so
// two different malformed names never fold to the same text). O(length).
std::string foldName(std::string_view name);

bool isValidUtf8(std::string_view text);
// Number of characters of a UTF-8 text (counts the bytes that start a sequence).
std::size_t utf8Length(std::string_view text);

struct Value {
    std::string name;
    DWORD type = 0;
    // REG_SZ: the text with its terminating NUL; REG_DWORD: 4 bytes little-endian; others raw.
    std::string data;
};

class Key {
public:
    Key() = default;
    explicit Key(std::string name)
        : m_name(std::move(name))
    {
    }
    Key(const Key &) = delete;
    Key &operator=(const Key &) = delete;

    const std::string &name() const { return m_name; }

    // Subkeys in folded-name order, which is the enumeration order.
    const std::map<std::string, std::unique_ptr<Key>> &children() const { return m_children; }
    Key *child(std::string_view name) const;
    // Returns the existing subkey of that name or a new one; `created` tells which. O(log n).
    Key *addChild(std::string_view name, bool *created = nullptr);
    bool removeChild(std::string_view name);

    // Values in creation order, which is the enumeration and file order.
    const std::vector<Value> &values() const { return m_values; }
    const Value *value(std::string_view name) const;
    // Replaces the data and type of an existing value (keeping its name's case) or appends one.
    // O(1).
    void setValue(std::string_view name, DWORD type, std::string data);
    // O(number of values), since later positions shift.
    bool removeValue(std::string_view name);

    // Structural equality with case-sensitive names; used to check that a file round-trips.
    bool equals(const Key &other) const;

private:
    std::string m_name;
    std::map<std::string, std::unique_ptr<Key>> m_children;
    std::vector<Value> m_values;
    // folded name -> position in m_values; keeps files with thousands of values linear to load.
    std::unordered_map<std::string, std::size_t> m_valueIndex;
};

} // namespace platform::registry::internal
