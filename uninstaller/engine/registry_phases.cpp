// The registry access check and the registry removal: one walk over the four binary trees, in
// check or remove mode, reading the section strictly in order.
#include "uninstaller/engine/removal_engine.h"

#include "uninstaller/log/codepage.h"
#include "uninstaller/log/logging.h"
#include "uninstaller/log/registry_tree.h"

#include <array>

namespace uninstaller::engine {

namespace {

struct Root {
    HKEY key;
    const char *name;
};

const std::array<Root, log::kRegistryRootCount> &roots()
{
    static const std::array<Root, log::kRegistryRootCount> roots = { {
        { HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT" },
        { HKEY_CURRENT_USER, "HKEY_CURRENT_USER" },
        { HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE" },
        { HKEY_USERS, "HKEY_USERS" },
    } };
    return roots;
}

std::string join(const std::vector<std::string> &parts)
{
    std::string joined;
    for (const std::string &part : parts) {
        if (!joined.empty())
            joined += '\\';
        joined += part;
    }
    return joined;
}

} // namespace

void RemovalEngine::addFailedKey(const std::vector<std::string> &displayPath)
{
    const std::string joined = join(displayPath);
    for (const std::string &known : m_failedKeys) {
        if (log::equalsNoCase(known, joined))
            return;
    }
    qCDebug(lcEngine) << "registry key left" << joined.c_str();
    m_failedKeys.push_back(joined);
}

// Walks one node. Returns false to abandon the whole walk: the check failed, or the data ended
// early (which SplitLog's dry walk rules out). In remove mode a key that may not be changed stops
// only the node that lists it; the unread rest of that node is skipped so the reader stays aligned.
bool RemovalEngine::walkNode(log::ByteReader &reader, HKEY root, std::string &keyPath,
    std::vector<std::string> &displayPath, WalkMode mode, int depth)
{
    if (depth > log::kMaxRegistryDepth)
        return false;
    std::uint32_t values = 0;
    if (!reader.readBe32(values))
        return false;
    for (std::uint32_t i = 0; i < values; ++i) {
        log::RegistryValueEntry value;
        if (!log::readValueEntry(reader, value))
            return false;
        if (mode == WalkMode::Remove && value.deleteFlag == 1)
            m_services.registry.deleteValue(root, keyPath, log::cp1252ToUtf8(value.name));
    }

    std::uint32_t subkeys = 0;
    if (!reader.readBe32(subkeys))
        return false;
    for (std::uint32_t i = 0; i < subkeys; ++i) {
        log::RegistrySubkeyEntry subkey;
        if (!log::readSubkeyEntry(reader, subkey))
            return false;
        std::uint32_t childValues = 0;
        if (!reader.peekBe32(childValues))
            return false;

        const std::size_t parentLength = keyPath.size();
        if (!keyPath.empty())
            keyPath += '\\';
        keyPath += log::cp1252ToUtf8(subkey.name);
        displayPath.emplace_back(subkey.name);
        auto restore = [&] {
            keyPath.resize(parentLength);
            displayPath.pop_back();
        };

        // An empty name would address the parent key itself; treat it as a key that is not there.
        const KeyAccess access = subkey.name.empty()
            ? KeyAccess::NotFound
            : m_services.registry.openForChange(root, keyPath);
        if (access == KeyAccess::NotFound) {
            restore();
            if (!log::skipRegistryNode(reader, depth + 1))
                return false;
            continue;
        }
        if (access == KeyAccess::Denied &&
            (childValues > 0 || !m_services.registry.canRead(root, keyPath))) {
            restore();
            if (mode == WalkMode::Check)
                return false;
            return log::skipRegistryNode(reader, depth + 1) &&
                log::skipSubkeyEntries(reader, subkeys - i - 1, depth);
        }
        if (!walkNode(reader, root, keyPath, displayPath, mode, depth + 1)) {
            restore();
            return false;
        }
        if (mode == WalkMode::Remove && subkey.deleteFlag != 0 &&
            m_services.registry.deleteKey(root, keyPath) != ERROR_SUCCESS)
            addFailedKey(displayPath);
        restore();
    }
    return true;
}

bool RemovalEngine::walkRegistry(WalkMode mode)
{
    if (m_log.registry.empty())
        return true;
    log::ByteReader reader(m_log.registry);
    for (const Root &root : roots()) {
        std::string keyPath;
        std::vector<std::string> displayPath { root.name };
        if (!walkNode(reader, root.key, keyPath, displayPath, mode, 0)) {
            qCDebug(lcEngine) << (mode == WalkMode::Check
                                         ? "registry check: a key may not be changed under"
                                         : "registry removal lost its place under")
                              << root.name;
            return false;
        }
    }
    // A check stops at the first refusal; a removal must also have read the section to its end.
    return mode == WalkMode::Check || reader.atEnd();
}

bool RemovalEngine::CheckRegistryAccess()
{
    const bool passed = walkRegistry(WalkMode::Check);
    if (passed)
        qCDebug(lcEngine) << "registry check passed";
    return passed;
}

bool RemovalEngine::RemoveRegistry()
{
    const bool done = walkRegistry(WalkMode::Remove);
    if (done)
        qCDebug(lcEngine) << "registry removed;" << m_failedKeys.size() << "keys left";
    return done;
}

} // namespace uninstaller::engine
