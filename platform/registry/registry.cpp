// The Win32-shaped calls over the file store. A handle is an entry in a process-wide table that
// holds the key's root, its path and the access it was opened with; every call looks the path up
// again in the root's current tree, which is what lets a handle see other processes' changes and
// fail with ERROR_KEY_DELETED once its key is gone.
#include "platform/registry/registry.h"

#include "platform/registry/internal/filestore.h"
#include "platform/registry/internal/regtree.h"
#include "platform/registry/testing.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <pwd.h>
#include <string_view>
#include <unistd.h>
#include <unordered_map>
#include <vector>

using platform::registry::internal::FileStore;
using platform::registry::internal::Key;
using platform::registry::internal::kMaxKeyDepth;
using platform::registry::internal::kMaxKeyNameChars;
using platform::registry::internal::kMaxValueNameChars;
using platform::registry::internal::kRootCount;
using platform::registry::internal::utf8Length;
using platform::registry::internal::Value;

namespace {

constexpr ULONG_PTR kFirstRoot = 0x80000000u;
constexpr REGSAM kAllAccess = KEY_ALL_ACCESS;
// Handle values start well away from null and step by 4 like the system's, so a handle that was
// mistaken for a small integer does not name a key by accident.
constexpr ULONG_PTR kFirstHandle = 0x1000;
constexpr ULONG_PTR kLastHandle = 0x7FFF0000;

struct OpenKey {
    int root = 0;
    std::vector<std::string> path;
    REGSAM access = 0;
};

class HandleTable {
public:
    HKEY add(OpenKey key)
    {
        std::lock_guard guard(m_mutex);
        do {
            m_next = m_next >= kLastHandle ? kFirstHandle : m_next + 4;
        } while (m_keys.count(m_next));
        m_keys.emplace(m_next, std::move(key));
        return reinterpret_cast<HKEY>(m_next);
    }

    // Copies the entry (or makes one for a root) so that no table lock is held during file work.
    bool find(HKEY handle, OpenKey &out)
    {
        const auto value = reinterpret_cast<ULONG_PTR>(handle);
        if (value >= kFirstRoot && value < kFirstRoot + kRootCount) {
            out = OpenKey { static_cast<int>(value - kFirstRoot), {}, kAllAccess };
            return true;
        }
        std::lock_guard guard(m_mutex);
        const auto it = m_keys.find(value);
        if (it == m_keys.end())
            return false;
        out = it->second;
        return true;
    }

    bool remove(HKEY handle)
    {
        std::lock_guard guard(m_mutex);
        return m_keys.erase(reinterpret_cast<ULONG_PTR>(handle)) > 0;
    }

private:
    std::mutex m_mutex;
    std::unordered_map<ULONG_PTR, OpenKey> m_keys;
    ULONG_PTR m_next = kFirstHandle - 4;
};

HandleTable &handles()
{
    static HandleTable table;
    return table;
}

int rootIndex(HKEY handle)
{
    const auto value = reinterpret_cast<ULONG_PTR>(handle);
    if (value >= kFirstRoot && value < kFirstRoot + kRootCount)
        return static_cast<int>(value - kFirstRoot);
    return -1;
}

bool isSingleLine(std::string_view name)
{
    return name.find_first_of("\r\n") == std::string_view::npos;
}

// Splits "A\B\C" into its names. Empty names (a leading, doubled or trailing backslash), names that
// are too long or span lines are refused.
bool splitPath(std::string_view text, std::vector<std::string> &names)
{
    if (text.empty())
        return true;
    for (;;) {
        const std::size_t end = text.find('\\');
        const std::string_view name = text.substr(0, end);
        if (name.empty() || utf8Length(name) > kMaxKeyNameChars || !isSingleLine(name))
            return false;
        names.emplace_back(name);
        if (names.size() > kMaxKeyDepth)
            return false;
        if (end == std::string_view::npos)
            return true;
        text.remove_prefix(end + 1);
    }
}

bool validValueName(std::string_view name)
{
    return utf8Length(name) <= kMaxValueNameChars && isSingleLine(name);
}

const Key *walk(const Key &from, const std::vector<std::string> &path, std::size_t count)
{
    const Key *key = &from;
    for (std::size_t i = 0; i < count && key; ++i)
        key = key->child(path[i]);
    return key;
}

const Key *walk(const Key &from, const std::vector<std::string> &path)
{
    return walk(from, path, path.size());
}

Key *walk(Key &from, const std::vector<std::string> &path)
{
    return const_cast<Key *>(walk(static_cast<const Key &>(from), path, path.size()));
}

// Data as a caller sees it: REG_SZ always carries its NUL, even when a hand-written hex(1) did not.
std::string visibleData(const Value &value)
{
    if (value.type == REG_SZ && (value.data.empty() || value.data.back() != '\0'))
        return value.data + '\0';
    return value.data;
}

// Copies data out the way RegQueryValueEx and RegEnumValue do.
LONG deliverData(const Value &value, DWORD *type, BYTE *data, DWORD *cbData)
{
    const std::string bytes = visibleData(value);
    const auto size = static_cast<DWORD>(bytes.size());
    if (type)
        *type = value.type;
    if (data) {
        if (*cbData < size) {
            *cbData = size;
            return ERROR_MORE_DATA;
        }
        std::memcpy(data, bytes.data(), bytes.size());
    }
    if (cbData)
        *cbData = size;
    return ERROR_SUCCESS;
}

LONG deliverName(const std::string &name, char *buffer, DWORD *cchBuffer)
{
    const auto needed = static_cast<DWORD>(name.size() + 1);
    if (*cchBuffer < needed) {
        *cchBuffer = needed;
        return ERROR_MORE_DATA;
    }
    std::memcpy(buffer, name.c_str(), needed);
    *cchBuffer = needed - 1;
    return ERROR_SUCCESS;
}

LONG openOrCreate(
    HKEY key, const char *subKey, REGSAM samDesired, PHKEY result, DWORD *disposition, bool create)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    OpenKey base;
    if (!handles().find(key, base))
        return ERROR_INVALID_HANDLE;
    if (create && !subKey)
        return ERROR_INVALID_PARAMETER;
    std::vector<std::string> names;
    if (!splitPath(subKey ? subKey : "", names))
        return ERROR_INVALID_PARAMETER;

    OpenKey opened { base.root, base.path, samDesired };
    opened.path.insert(opened.path.end(), names.begin(), names.end());
    if (opened.path.size() > kMaxKeyDepth)
        return ERROR_INVALID_PARAMETER;
    const bool isRootHandle = base.path.empty();

    DWORD outcome = REG_OPENED_EXISTING_KEY;
    LONG status;
    if (!create) {
        status = FileStore::instance().read(base.root, [&](const Key &root) {
            const Key *from = walk(root, base.path);
            if (!from)
                return ERROR_KEY_DELETED;
            return walk(*from, names) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
        });
    } else {
        status = FileStore::instance().modify(base.root, [&](Key &root, bool &changed) {
            Key *from = walk(root, base.path);
            if (!from)
                return isRootHandle ? ERROR_FILE_NOT_FOUND : ERROR_KEY_DELETED;
            if (walk(*from, names))
                return ERROR_SUCCESS;
            if (!(base.access & KEY_CREATE_SUB_KEY))
                return ERROR_ACCESS_DENIED;
            for (const std::string &name : names)
                from = from->addChild(name);
            changed = true;
            outcome = REG_CREATED_NEW_KEY;
            return ERROR_SUCCESS;
        });
    }
    if (status != ERROR_SUCCESS)
        return status;
    *result = handles().add(std::move(opened));
    if (disposition)
        *disposition = outcome;
    return ERROR_SUCCESS;
}

// Runs a value call on the key behind `key` after the access check every such call shares.
template <typename Body> LONG onKey(HKEY key, REGSAM needed, Body &&body)
{
    OpenKey open;
    if (!handles().find(key, open))
        return ERROR_INVALID_HANDLE;
    if (!(open.access & needed))
        return ERROR_ACCESS_DENIED;
    return body(open);
}

template <typename Call> LONG guarded(Call &&call) noexcept
{
    try {
        return call();
    } catch (const std::bad_alloc &) {
        return ERROR_OUTOFMEMORY;
    } catch (...) {
        return ERROR_REGISTRY_IO_FAILED;
    }
}

} // namespace

LONG RegOpenKeyEx(HKEY key, const char *subKey, DWORD, REGSAM samDesired, PHKEY result) noexcept
{
    return guarded([&] { return openOrCreate(key, subKey, samDesired, result, nullptr, false); });
}

LONG RegCreateKeyEx(HKEY key, const char *subKey, DWORD, char *, DWORD, REGSAM samDesired, void *,
    PHKEY result, DWORD *disposition) noexcept
{
    return guarded(
        [&] { return openOrCreate(key, subKey, samDesired, result, disposition, true); });
}

LONG RegCloseKey(HKEY key) noexcept
{
    if (rootIndex(key) >= 0)
        return ERROR_SUCCESS;
    return guarded([&] { return handles().remove(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE; });
}

LONG RegSetValueEx(
    HKEY key, const char *valueName, DWORD, DWORD type, const BYTE *data, DWORD cbData) noexcept
{
    return guarded([&] {
        return onKey(key, KEY_SET_VALUE, [&](const OpenKey &open) {
            const std::string_view name = valueName ? valueName : "";
            if (!validValueName(name) || (!data && cbData > 0))
                return ERROR_INVALID_PARAMETER;
            std::string bytes(reinterpret_cast<const char *>(data), data ? cbData : 0);
            if (type == REG_SZ) {
                if (bytes.empty() || bytes.back() != '\0')
                    bytes += '\0';
            } else if (type == REG_DWORD && bytes.size() != 4) {
                return ERROR_INVALID_PARAMETER;
            }
            return FileStore::instance().modify(open.root, [&](Key &root, bool &changed) {
                Key *target = walk(root, open.path);
                if (!target)
                    return ERROR_KEY_DELETED;
                target->setValue(name, type, std::move(bytes));
                changed = true;
                return ERROR_SUCCESS;
            });
        });
    });
}

LONG RegQueryValueEx(
    HKEY key, const char *valueName, DWORD *, DWORD *type, BYTE *data, DWORD *cbData) noexcept
{
    return guarded([&] {
        return onKey(key, KEY_QUERY_VALUE, [&](const OpenKey &open) {
            if (data && !cbData)
                return ERROR_INVALID_PARAMETER;
            const std::string_view name = valueName ? valueName : "";
            return FileStore::instance().read(open.root, [&](const Key &root) {
                const Key *target = walk(root, open.path);
                if (!target)
                    return ERROR_KEY_DELETED;
                const Value *value = target->value(name);
                if (!value)
                    return ERROR_FILE_NOT_FOUND;
                return deliverData(*value, type, data, cbData);
            });
        });
    });
}

LONG RegDeleteValue(HKEY key, const char *valueName) noexcept
{
    return guarded([&] {
        return onKey(key, KEY_SET_VALUE, [&](const OpenKey &open) {
            const std::string_view name = valueName ? valueName : "";
            return FileStore::instance().modify(open.root, [&](Key &root, bool &changed) {
                Key *target = walk(root, open.path);
                if (!target)
                    return ERROR_KEY_DELETED;
                if (!target->removeValue(name))
                    return ERROR_FILE_NOT_FOUND;
                changed = true;
                return ERROR_SUCCESS;
            });
        });
    });
}

LONG RegDeleteKey(HKEY key, const char *subKey) noexcept
{
    return guarded([&] {
        OpenKey open;
        if (!handles().find(key, open))
            return ERROR_INVALID_HANDLE;
        if (!subKey)
            return ERROR_INVALID_PARAMETER;
        std::vector<std::string> names;
        if (!splitPath(subKey, names))
            return ERROR_INVALID_PARAMETER;
        // As on the system, the handle's own access does not matter: the key deleted is another.
        std::vector<std::string> full = open.path;
        full.insert(full.end(), names.begin(), names.end());
        if (full.empty())
            return ERROR_ACCESS_DENIED; // a root cannot be deleted
        return FileStore::instance().modify(open.root, [&](Key &root, bool &changed) {
            if (!walk(root, open.path))
                return open.path.empty() ? ERROR_FILE_NOT_FOUND : ERROR_KEY_DELETED;
            Key *parent = const_cast<Key *>(walk(root, full, full.size() - 1));
            const Key *target = parent ? parent->child(full.back()) : nullptr;
            if (!target)
                return ERROR_FILE_NOT_FOUND;
            if (!target->children().empty())
                return ERROR_ACCESS_DENIED;
            parent->removeChild(full.back());
            changed = true;
            return ERROR_SUCCESS;
        });
    });
}

LONG RegEnumKeyEx(HKEY key, DWORD index, char *name, DWORD *cchName, DWORD *, char *className,
    DWORD *cchClassName, void *lastWriteTime) noexcept
{
    return guarded([&] {
        return onKey(key, KEY_ENUMERATE_SUB_KEYS, [&](const OpenKey &open) {
            if (!name || !cchName)
                return ERROR_INVALID_PARAMETER;
            return FileStore::instance().read(open.root, [&](const Key &root) {
                const Key *target = walk(root, open.path);
                if (!target)
                    return ERROR_KEY_DELETED;
                const auto &children = target->children();
                if (index >= children.size())
                    return ERROR_NO_MORE_ITEMS;
                const LONG status =
                    deliverName(std::next(children.begin(), index)->second->name(), name, cchName);
                if (status != ERROR_SUCCESS)
                    return status;
                // Keys have no class names, and the store keeps no write times.
                if (className && cchClassName && *cchClassName > 0)
                    className[0] = '\0';
                if (cchClassName)
                    *cchClassName = 0;
                if (lastWriteTime)
                    std::memset(lastWriteTime, 0, 8);
                return ERROR_SUCCESS;
            });
        });
    });
}

LONG RegEnumValue(HKEY key, DWORD index, char *valueName, DWORD *cchValueName, DWORD *, DWORD *type,
    BYTE *data, DWORD *cbData) noexcept
{
    return guarded([&] {
        return onKey(key, KEY_QUERY_VALUE, [&](const OpenKey &open) {
            if (!valueName || !cchValueName || (data && !cbData))
                return ERROR_INVALID_PARAMETER;
            return FileStore::instance().read(open.root, [&](const Key &root) {
                const Key *target = walk(root, open.path);
                if (!target)
                    return ERROR_KEY_DELETED;
                if (index >= target->values().size())
                    return ERROR_NO_MORE_ITEMS;
                const Value &value = target->values()[index];
                const LONG status = deliverName(value.name, valueName, cchValueName);
                if (status != ERROR_SUCCESS)
                    return status;
                return deliverData(value, type, data, cbData);
            });
        });
    });
}

namespace platform::registry {
namespace {

// The shared start of the convenience calls: a root handle and a path of valid names.
bool prepare(HKEY root, const std::string &path, const std::string &name, int &index,
    std::vector<std::string> &names, LONG &status)
{
    index = rootIndex(root);
    if (index < 0) {
        status = ERROR_INVALID_HANDLE;
        return false;
    }
    if (!splitPath(path, names) || !validValueName(name)) {
        status = ERROR_INVALID_PARAMETER;
        return false;
    }
    return true;
}

LONG readValue(HKEY root, const std::string &path, const std::string &name,
    const std::function<LONG(const Value &)> &take)
{
    int index;
    std::vector<std::string> names;
    LONG status;
    if (!prepare(root, path, name, index, names, status))
        return status;
    return FileStore::instance().read(index, [&](const Key &tree) {
        const Key *key = walk(tree, names);
        const Value *value = key ? key->value(name) : nullptr;
        return value ? take(*value) : ERROR_FILE_NOT_FOUND;
    });
}

LONG writeValue(
    HKEY root, const std::string &path, const std::string &name, DWORD type, std::string data)
{
    int index;
    std::vector<std::string> names;
    LONG status;
    if (!prepare(root, path, name, index, names, status))
        return status;
    return FileStore::instance().modify(index, [&](Key &tree, bool &changed) {
        Key *key = &tree;
        for (const std::string &keyName : names)
            key = key->addChild(keyName);
        key->setValue(name, type, std::move(data));
        changed = true;
        return ERROR_SUCCESS;
    });
}

} // namespace

LONG readString(
    HKEY root, const std::string &path, const std::string &name, std::string &value) noexcept
{
    return guarded([&] {
        return readValue(root, path, name, [&](const Value &stored) {
            if (stored.type != REG_SZ && stored.type != REG_EXPAND_SZ)
                return ERROR_UNSUPPORTED_TYPE;
            std::string text = stored.data;
            if (!text.empty() && text.back() == '\0')
                text.pop_back();
            value = std::move(text);
            return ERROR_SUCCESS;
        });
    });
}

LONG writeString(
    HKEY root, const std::string &path, const std::string &name, const std::string &value) noexcept
{
    return guarded([&] { return writeValue(root, path, name, REG_SZ, value + '\0'); });
}

LONG readDword(HKEY root, const std::string &path, const std::string &name, DWORD &value) noexcept
{
    return guarded([&] {
        return readValue(root, path, name, [&](const Value &stored) {
            if (stored.type != REG_DWORD || stored.data.size() != 4)
                return ERROR_UNSUPPORTED_TYPE;
            DWORD number = 0;
            for (int i = 3; i >= 0; --i)
                number =
                    (number << 8) | static_cast<BYTE>(stored.data[static_cast<std::size_t>(i)]);
            value = number;
            return ERROR_SUCCESS;
        });
    });
}

LONG writeDword(HKEY root, const std::string &path, const std::string &name, DWORD value) noexcept
{
    return guarded([&] {
        std::string data(4, '\0');
        for (std::size_t i = 0; i < 4; ++i)
            data[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
        return writeValue(root, path, name, REG_DWORD, std::move(data));
    });
}

std::string storeDirectory()
{
    const char *explicitDir = std::getenv("BIDLARK_REGISTRY_DIR");
    if (explicitDir && *explicitDir)
        return explicitDir;
    // Relative XDG paths are invalid and ignored, as the base-directory convention asks.
    const char *dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome && dataHome[0] == '/')
        return std::string(dataHome) + "/bidlark/registry";
    std::string home;
    if (const char *env = std::getenv("HOME"); env && *env) {
        home = env;
    } else {
        struct passwd entry { };
        struct passwd *found = nullptr;
        char buffer[4096];
        if (::getpwuid_r(::getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found)
            home = found->pw_dir;
    }
    return home + "/.local/share/bidlark/registry";
}

ChangeBatch::ChangeBatch()
{
    internal::FileStore::instance().beginBatch();
}

ChangeBatch::~ChangeBatch()
{
    close();
}

LONG ChangeBatch::close() noexcept
{
    if (!m_open)
        return ERROR_SUCCESS;
    m_open = false;
    return internal::FileStore::instance().endBatch();
}

namespace testing {

void denyAccess(HKEY root, bool denyRead, bool denyWrite)
{
    const int index = rootIndex(root);
    if (index >= 0)
        FileStore::instance().setDenied(index, denyRead, denyWrite);
}

void allowAllAccess()
{
    FileStore::instance().clearDenied();
}

void dropCache()
{
    FileStore::instance().dropCache();
}

} // namespace testing
bool namesEqual(std::string_view a, std::string_view b)
{
    return a == b || internal::foldName(a) == internal::foldName(b);
}

} // namespace platform::registry
