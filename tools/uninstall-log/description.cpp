#include "tools/uninstall-log/description.h"

#include "uninstaller/engine/file_system.h"
#include "uninstaller/log/codepage.h"
#include "uninstaller/log/uninstall_log.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

namespace uninstall_log_writer {

namespace {

std::string trim(const std::string &text)
{
    const auto begin = text.find_first_not_of(" \t\r");
    if (begin == std::string::npos)
        return {};
    const auto end = text.find_last_not_of(" \t\r");
    return text.substr(begin, end - begin + 1);
}

bool splitSetting(const std::string &line, std::string &key, std::string &value)
{
    const auto eq = line.find('=');
    if (eq == std::string::npos)
        return false;
    key = trim(line.substr(0, eq));
    value = trim(line.substr(eq + 1));
    return true;
}

std::string unescape(const std::string &text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == 'n' || text[i + 1] == '\\')) {
            out += text[i + 1] == 'n' ? "\r\n" : "\\";
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

// False with the reason in `error`. A folder opens as a stream but cannot be read, so it is
// refused before reading.
bool readFile(const std::string &path, std::vector<std::uint8_t> &bytes, std::string &error)
{
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        error = path + " is a folder, not a file";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

// "yes" or "no" in any letter case; anything else is refused rather than read as "no".
bool parseYesNo(const std::string &key, const std::string &value, bool &out, std::string &error)
{
    std::string folded = value;
    for (char &c : folded)
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    if (folded != "yes" && folded != "no") {
        error = key + " must be yes or no, not \"" + uninstaller::log::cp1252ToUtf8(value) + "\"";
        return false;
    }
    out = folded == "yes";
    return true;
}

// The path as it can be shown in one line of an error message: control characters as \xNN.
std::string printable(const std::string &path)
{
    std::string out;
    for (const char c : uninstaller::log::cp1252ToUtf8(path)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            static const char kHex[] = "0123456789ABCDEF";
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

// A path the uninstaller will act on: refused here, with the reason, rather than there.
bool checkPath(const std::string &path, std::string &error)
{
    if (const char *fault = uninstaller::log::pathFault(path)) {
        error = "\"" + printable(path) + "\" " + fault;
        return false;
    }
    return true;
}

bool parseNumber(const std::string &text, std::uint64_t max, std::uint64_t &value)
{
    if (text.empty() || text.size() > 20)
        return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (value > max)
            return false;
    }
    return true;
}

int rootIndex(const std::string &name)
{
    static const std::map<std::string, int> roots = { { "HKEY_CLASSES_ROOT", 0 },
        { "HKEY_CURRENT_USER", 1 }, { "HKEY_LOCAL_MACHINE", 2 }, { "HKEY_USERS", 3 } };
    const auto found = roots.find(name);
    return found == roots.end() ? -1 : found->second;
}

class Parser {
public:
    Parser(const std::string &baseFolder, ParsedDescription &result)
        : m_base(baseFolder)
        , m_result(result)
    {
    }

    bool line(const std::string &raw, std::string &error)
    {
        const std::string text = trim(raw);
        if (text.empty() || text[0] == '#')
            return true;
        if (text.front() == '[' && text.back() == ']') {
            m_section = text.substr(1, text.size() - 2);
            static const char *known[] = { "product", "messages", "window", "pictures", "shared",
                "backups", "files", "directories", "registry" };
            for (const char *name : known) {
                if (m_section == name)
                    return true;
            }
            error = "unknown section [" + m_section + "]";
            return false;
        }
        std::string converted;
        if (!convert(text, converted, error))
            return false;
        LogDescription &log = m_result.log;
        if (m_section == "shared") {
            if (!checkPath(converted.substr(0, converted.find('|')), error))
                return false;
            log.shared.push_back(converted);
            return true;
        }
        if (m_section == "files" || m_section == "directories") {
            if (!checkPath(converted, error))
                return false;
            (m_section == "files" ? log.files : log.directories).push_back(converted);
            return true;
        }
        if (m_section == "backups")
            return backup(converted, error);
        if (m_section == "registry")
            return registry(converted, error);
        std::string key;
        std::string value;
        if (!splitSetting(converted, key, value)) {
            error = "expected name = value";
            return false;
        }
        if (m_section == "product")
            return product(key, value, error);
        if (m_section == "messages")
            return message(key, value, error);
        if (m_section == "window")
            return window(key, value, error);
        if (m_section == "pictures")
            return picture(key, value, error);
        error = "a setting outside any section";
        return false;
    }

    void finish()
    {
        if (!m_defaults)
            return;
        for (const auto &[key, text] : defaultMessages()) {
            bool given = false;
            for (const auto &entry : m_result.log.messages)
                given = given || entry.first == key;
            if (!given)
                m_result.log.messages.emplace_back(key, text);
        }
    }

private:
    static bool convert(const std::string &utf8, std::string &out, std::string &error)
    {
        const auto converted = uninstaller::log::utf8ToCp1252(utf8);
        if (!converted) {
            error = "text not representable in Windows-1252";
            return false;
        }
        out = *converted;
        return true;
    }

    std::string path(const std::string &name) const
    {
        const std::filesystem::path p(name);
        return p.is_absolute() ? name : (std::filesystem::path(m_base) / p).string();
    }

    bool product(const std::string &key, const std::string &value, std::string &error)
    {
        LogDescription &log = m_result.log;
        std::uint64_t number = 0;
        if (key == "name") {
            log.productName = value;
        } else if (key == "code") {
            log.code = value;
        } else if (key == "command") {
            log.command = value;
        } else if (key == "user-interface") {
            return parseYesNo(key, value, log.userInterface, error);
        } else if (key == "option" && parseNumber(value, 255, number)) {
            log.option = static_cast<std::uint8_t>(number);
        } else if (key == "keys") {
            std::istringstream in(value);
            std::uint64_t k[4] = {};
            std::string word;
            for (auto &v : k) {
                if (!(in >> word) || !parseNumber(word, 255, v)) {
                    error = "keys needs four numbers from 0 to 255";
                    return false;
                }
            }
            if (in >> word) {
                error = "keys needs exactly four numbers, not more";
                return false;
            }
            m_result.keys = { static_cast<std::uint8_t>(k[0]), static_cast<std::uint8_t>(k[1]),
                static_cast<std::uint8_t>(k[2]), static_cast<std::uint8_t>(k[3]) };
        } else {
            error = "unknown or bad product setting " + key;
            return false;
        }
        return true;
    }

    bool message(const std::string &key, const std::string &value, std::string &error)
    {
        std::uint64_t number = 0;
        if (key == "language") {
            if (!parseNumber(value, 0xFFFFFFFFu, number)) {
                error = "language needs a number from 0 to 4294967295";
                return false;
            }
            m_result.log.language = static_cast<std::uint32_t>(number);
        } else if (key == "defaults") {
            return parseYesNo(key, value, m_defaults, error);
        } else if (parseNumber(key, 0xFFFFFFFFu, number)) {
            m_result.log.messages.emplace_back(static_cast<std::uint32_t>(number), unescape(value));
        } else {
            error = "a message needs a numeric key";
            return false;
        }
        return true;
    }

    bool window(const std::string &key, const std::string &value, std::string &error)
    {
        if (key != "template") {
            error = "unknown window setting " + key;
            return false;
        }
        if (value == "default") {
            m_result.log.windowTemplate = defaultWindowTemplate();
            return true;
        }
        return readFile(path(value), m_result.log.windowTemplate, error);
    }

    bool picture(const std::string &key, const std::string &value, std::string &error)
    {
        std::uint64_t number = 0;
        LogPicture picture;
        if (!parseNumber(key, 0xFFFFFFFFu, number)) {
            error = "a picture needs a number";
            return false;
        }
        if (!readFile(path(value), picture.bytes, error)) {
            error = "a picture needs a readable file: " + error;
            return false;
        }
        picture.number = static_cast<std::uint32_t>(number);
        m_result.log.pictures.push_back(std::move(picture));
        return true;
    }

    bool backup(const std::string &converted, std::string &error)
    {
        if (converted.find('\t') != std::string::npos) {
            // Written as the uninstaller will read it, or refused here rather than there.
            uninstaller::log::BackupEntry entry;
            if (!uninstaller::log::parseBackupLine(converted, entry)) {
                error = "a tab-separated backup needs six fields: copy, installed and four numbers";
                return false;
            }
            if (!checkPath(entry.backupPath, error) || !checkPath(entry.installedPath, error))
                return false;
            m_result.log.backups.push_back(converted);
            return true;
        }
        const auto arrow = converted.find(" => ");
        if (arrow == std::string::npos) {
            error = "a backup is \"copy => installed\" or six tab-separated fields";
            return false;
        }
        const std::string copy = trim(converted.substr(0, arrow));
        const std::string installed = trim(converted.substr(arrow + 4));
        if (!checkPath(copy, error) || !checkPath(installed, error))
            return false;
        // The time the installed file has now: what an installer records right after installing.
        const auto state = uninstaller::engine::makePosixFileSystem()->inspect(
            uninstaller::log::cp1252ToUtf8(installed));
        const std::uint64_t fileTime = state.exists ? state.lastWriteTime : 0;
        m_result.log.backups.push_back(backupLine(copy, installed, 0, 0, fileTime));
        return true;
    }

    bool registry(const std::string &line, std::string &error)
    {
        const auto space = line.find(' ');
        const std::string verb = line.substr(0, space);
        std::string rest = space == std::string::npos ? std::string() : trim(line.substr(space));
        const bool isValue = verb == "delete-value" || verb == "keep-value";
        const bool isKey = verb == "delete-key" || verb == "keep-key";
        if (!isValue && !isKey) {
            error = "registry lines start with delete-key, keep-key, delete-value or keep-value";
            return false;
        }
        std::string valueName;
        if (isValue) {
            const auto bar = rest.rfind('|');
            if (bar == std::string::npos) {
                error = "a registry value is written KEY|NAME";
                return false;
            }
            valueName = rest.substr(bar + 1);
            rest = rest.substr(0, bar);
        }
        std::vector<std::string> parts;
        std::size_t start = 0;
        while (start <= rest.size()) {
            const auto slash = rest.find('\\', start);
            parts.push_back(rest.substr(start, slash == std::string::npos ? slash : slash - start));
            if (slash == std::string::npos)
                break;
            start = slash + 1;
        }
        const int root = rootIndex(parts.front());
        if (root < 0 || (isKey && parts.size() < 2)) {
            error = "a registry path starts with a root name and, for a key, names a subkey";
            return false;
        }
        // An empty name ("\\\\" or a trailing "\\") would be a key the uninstaller never finds.
        if (std::any_of(
                parts.begin(), parts.end(), [](const std::string &p) { return p.empty(); })) {
            error = "a registry path has an empty key name";
            return false;
        }
        m_result.log.hasRegistry = true;
        RegistryNode *node = &m_result.log.registry[static_cast<std::size_t>(root)];
        for (std::size_t i = 1; i + (isKey ? 1 : 0) < parts.size(); ++i)
            node = &node->child(parts[i]);
        const std::uint32_t flag = verb.rfind("delete", 0) == 0 ? 1 : 0;
        if (isKey) {
            node->child(parts.back());
            node->findSubkey(parts.back())->deleteFlag = flag;
        } else {
            node->values.push_back({ valueName, flag });
        }
        return true;
    }

    std::string m_base;
    ParsedDescription &m_result;
    std::string m_section;
    bool m_defaults = false;
};

} // namespace

bool parseDescription(const std::string &text, const std::string &baseFolder,
    ParsedDescription &result, std::string &error)
{
    result = {};
    Parser parser(baseFolder, result);
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        std::string message;
        if (!parser.line(line, message)) {
            error = "line " + std::to_string(number) + ": " + message;
            return false;
        }
    }
    parser.finish();
    return true;
}

} // namespace uninstall_log_writer
