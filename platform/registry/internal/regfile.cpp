#include "platform/registry/internal/regfile.h"

#include <cstdio>

namespace platform::registry::internal {
namespace {

constexpr std::string_view kHeader = "REGEDIT4";
// Some hand-made files carry the later header; the body layout is the same.
constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::size_t kHexLineWidth = 76;

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimLeft(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    return s;
}

std::string_view trimRight(std::string_view s)
{
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string_view trim(std::string_view s)
{
    return trimRight(trimLeft(s));
}

bool equalsAsciiNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

bool startsWithNoCase(std::string_view s, std::string_view prefix)
{
    return s.size() >= prefix.size() && equalsAsciiNoCase(s.substr(0, prefix.size()), prefix);
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads 1 to `maxDigits` hex digits from the front of `s`.
bool takeHex(std::string_view &s, std::size_t maxDigits, DWORD &value)
{
    std::size_t count = 0;
    value = 0;
    while (count < s.size() && count < maxDigits && hexDigit(s[count]) >= 0) {
        value = (value << 4) | static_cast<DWORD>(hexDigit(s[count]));
        ++count;
    }
    if (count == 0 || (count < s.size() && hexDigit(s[count]) >= 0))
        return false;
    s.remove_prefix(count);
    return true;
}

class LineReader {
public:
    explicit LineReader(std::string_view text)
        : m_text(text)
    {
    }

    // The next physical line without its LF and without one CR before it.
    bool next(std::string_view &line)
    {
        if (m_pos >= m_text.size())
            return false;
        const std::size_t end = m_text.find('\n', m_pos);
        const std::size_t stop = end == std::string_view::npos ? m_text.size() : end;
        line = m_text.substr(m_pos, stop - m_pos);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        m_pos = end == std::string_view::npos ? m_text.size() : end + 1;
        ++m_number;
        return true;
    }
    std::size_t number() const { return m_number; }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
    std::size_t m_number = 0;
};

class Parser {
public:
    Parser(std::string_view text, std::string_view rootName, Key &root, ParseError *error)
        : m_lines(text)
        , m_rootName(rootName)
        , m_root(root)
        , m_error(error)
    {
    }

    bool run()
    {
        std::string_view line;
        bool haveHeader = false;
        while (m_lines.next(line)) {
            line = trim(line);
            if (line.empty() || line.front() == ';')
                continue;
            if (!haveHeader) {
                if (!equalsAsciiNoCase(line, kHeader) && line != kHeader5)
                    return fail("the file does not start with REGEDIT4");
                haveHeader = true;
                continue;
            }
            if (line.front() == '[') {
                if (!section(line))
                    return false;
            } else if (line.front() == '"' || line.front() == '@') {
                if (!valueLine(line))
                    return false;
            } else {
                return fail("a line that is neither a section nor a value");
            }
        }
        return true;
    }

private:
    bool fail(const char *message)
    {
        if (m_error) {
            m_error->line = m_lines.number();
            m_error->message = message;
        }
        return false;
    }

    bool section(std::string_view line)
    {
        if (line.back() != ']')
            return fail("a section without its closing ]");
        std::string_view path = line.substr(1, line.size() - 2);
        if (!path.empty() && path.front() == '-')
            return fail("a key deletion, which a stored root cannot hold");
        const std::size_t slash = path.find('\\');
        if (!equalsAsciiNoCase(path.substr(0, slash), m_rootName))
            return fail("a section outside this file's root");
        Key *key = &m_root;
        std::size_t depth = 0;
        while (slash != std::string_view::npos && !path.empty()) {
            path.remove_prefix(path.find('\\') + 1);
            const std::size_t end = path.find('\\');
            const std::string_view name = path.substr(0, end);
            if (name.empty())
                return fail("an empty key name in a section");
            if (utf8Length(name) > kMaxKeyNameChars)
                return fail("a key name longer than 255 characters");
            if (++depth > kMaxKeyDepth)
                return fail("keys nested deeper than 512 levels");
            key = key->addChild(name);
            if (end == std::string_view::npos)
                break;
        }
        m_current = key;
        return true;
    }

    // A quoted string with \\ and \" escapes, from the opening quote at the front of `s`.
    bool quoted(std::string_view &s, std::string &out)
    {
        out.clear();
        for (std::size_t i = 1; i < s.size(); ++i) {
            const char c = s[i];
            if (c == '"') {
                s.remove_prefix(i + 1);
                return true;
            }
            if (c == '\\') {
                if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"'))
                    return fail("a backslash that is not \\\\ or \\\"");
                ++i;
                out += s[i];
            } else {
                out += c;
            }
        }
        return fail("a quoted string without its closing quote");
    }

    bool valueLine(std::string_view line)
    {
        if (!m_current)
            return fail("a value before the first section");
        std::string name;
        if (line.front() == '@') {
            line.remove_prefix(1);
        } else if (!quoted(line, name)) {
            return false;
        }
        if (utf8Length(name) > kMaxValueNameChars)
            return fail("a value name longer than 16383 characters");
        line = trimLeft(line);
        if (line.empty() || line.front() != '=')
            return fail("a value name without = after it");
        line = trimLeft(line.substr(1));

        DWORD type = 0;
        std::string data;
        if (!line.empty() && line.front() == '"') {
            if (!quoted(line, data))
                return false;
            if (!trim(line).empty())
                return fail("text after a quoted value");
            type = 1; // REG_SZ
            data += '\0';
        } else if (startsWithNoCase(line, "dword:")) {
            line.remove_prefix(6);
            DWORD number = 0;
            if (!takeHex(line, 8, number) || !trim(line).empty())
                return fail("a dword value that is not 1 to 8 hex digits");
            type = 4; // REG_DWORD
            for (int i = 0; i < 4; ++i)
                data += static_cast<char>((number >> (8 * i)) & 0xFF);
        } else if (startsWithNoCase(line, "hex:")) {
            line.remove_prefix(4);
            type = 3; // REG_BINARY
            if (!hexList(line, data))
                return false;
        } else if (startsWithNoCase(line, "hex(")) {
            line.remove_prefix(4);
            if (!takeHex(line, 8, type) || line.size() < 2 || line[0] != ')' || line[1] != ':')
                return fail("a hex(n): type that is not 1 to 8 hex digits");
            line.remove_prefix(2);
            if (!hexList(line, data))
                return false;
        } else if (trim(line) == "-") {
            return fail("a value deletion, which a stored root cannot hold");
        } else {
            return fail("a value that is neither text, dword: nor hex:");
        }
        m_current->setValue(name, type, std::move(data));
        return true;
    }

    // Comma-separated bytes; a backslash at the end of a line continues the list on the next one.
    bool hexList(std::string_view rest, std::string &out)
    {
        for (;;) {
            rest = trim(rest);
            if (rest.empty())
                return true;
            if (rest == "\\") {
                std::string_view next;
                if (!m_lines.next(next))
                    return true;
                rest = next;
                continue;
            }
            DWORD byte = 0;
            if (!takeHex(rest, 2, byte))
                return fail("a hex list entry that is not one byte");
            out += static_cast<char>(byte);
            rest = trimLeft(rest);
            if (rest.empty())
                return true;
            if (rest.front() != ',')
                return fail("hex list entries not separated by commas");
            rest.remove_prefix(1);
        }
    }

    LineReader m_lines;
    std::string_view m_rootName;
    Key &m_root;
    ParseError *m_error;
    Key *m_current = nullptr;
};

void appendQuoted(std::string &out, std::string_view text)
{
    out += '"';
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    out += '"';
}

// Whether REG_SZ data can be written as a quoted string and read back byte for byte.
bool fitsQuoted(const std::string &data)
{
    if (data.empty() || data.back() != '\0')
        return false;
    const std::string_view text(data.data(), data.size() - 1);
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 && c != '\t')
            return false;
    }
    // Blanks at either end survive, since the quotes enclose them.
    return isValidUtf8(text);
}

void appendHex(std::string &out, std::string_view data)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::size_t column = 0;
    for (std::size_t i = out.size(); i > 0 && out[i - 1] != '\n'; --i)
        ++column;
    for (std::size_t i = 0; i < data.size(); ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        out += kDigits[b >> 4];
        out += kDigits[b & 0xF];
        column += 2;
        if (i + 1 < data.size()) {
            out += ',';
            ++column;
            if (column + 3 > kHexLineWidth) {
                out += "\\\n  ";
                column = 2;
            }
        }
    }
}

void appendValue(std::string &out, const Value &value)
{
    if (value.name.empty())
        out += '@';
    else
        appendQuoted(out, value.name);
    out += '=';
    if (value.type == 1 && fitsQuoted(value.data)) {
        appendQuoted(out, std::string_view(value.data.data(), value.data.size() - 1));
    } else if (value.type == 4 && value.data.size() == 4) {
        DWORD number = 0;
        for (int i = 3; i >= 0; --i)
            number =
                (number << 8) | static_cast<unsigned char>(value.data[static_cast<std::size_t>(i)]);
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "dword:%08x", number);
        out += buffer;
    } else {
        if (value.type == 3) {
            out += "hex:";
        } else {
            char buffer[24];
            std::snprintf(buffer, sizeof buffer, "hex(%x):", value.type);
            out += buffer;
        }
        appendHex(out, value.data);
    }
    out += '\n';
}

void appendKey(std::string &out, const Key &key, std::string &path, bool isRoot)
{
    if (!isRoot || !key.values().empty()) {
        out += '[';
        out += path;
        out += "]\n";
        for (const Value &value : key.values())
            appendValue(out, value);
        out += '\n';
    }
    for (const auto &entry : key.children()) {
        const std::size_t mark = path.size();
        path += '\\';
        path += entry.second->name();
        appendKey(out, *entry.second, path, false);
        path.resize(mark);
    }
}

} // namespace

bool parseRegFile(std::string_view text, std::string_view rootName, Key &root, ParseError *error)
{
    if (text.size() > kMaxFileBytes) {
        if (error)
            *error = ParseError { 0, "the file is larger than the store reads" };
        return false;
    }
    if (text.substr(0, kBom.size()) == kBom)
        text.remove_prefix(kBom.size());
    return Parser(text, rootName, root, error).run();
}

std::string writeRegFile(const Key &root, std::string_view rootName)
{
    std::string out;
    out += kHeader;
    out += "\n\n";
    std::string path(rootName);
    appendKey(out, root, path, true);
    return out;
}

} // namespace platform::registry::internal
