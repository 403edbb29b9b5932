#include "platform/com/registrar.h"

#include "platform/com/boundary.h"
#include "platform/com/internal/regutil.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace platform::com {

namespace {

std::string lower(std::string s)
{
    for (char &c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
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

struct Token {
    enum Kind { End, Open, Close, Equals, Word, Quoted } kind = End;
    std::string text;
};

struct ParseError {
    std::string message;
};

class Parser {
public:
    Parser(std::string_view text, const std::map<std::string, std::string> &replacements)
        : m_text(text)
        , m_replacements(replacements)
    {
    }

    std::vector<RgsRoot> script()
    {
        std::vector<RgsRoot> roots;
        for (Token t = take(); t.kind != Token::End; t = take()) {
            // Quoted roots ('%HKROOT%') are common in scripts whose root is a replacement.
            if (t.kind != Token::Word && t.kind != Token::Quoted)
                fail("a root key name was expected");
            RgsRoot root;
            root.root = rootOf(t.text);
            expect(Token::Open, "'{' after the root key");
            for (Token k = take(); k.kind != Token::Close; k = take())
                root.keys.push_back(key(k, 1));
            roots.push_back(std::move(root));
        }
        return roots;
    }

private:
    [[noreturn]] void fail(const std::string &what)
    {
        throw ParseError { "line " + std::to_string(m_line) + ": " + what };
    }

    static HKEY rootOf(const std::string &name)
    {
        const std::string n = lower(name);
        if (n == "hkcr" || n == "hkey_classes_root")
            return HKEY_CLASSES_ROOT;
        if (n == "hkcu" || n == "hkey_current_user")
            return HKEY_CURRENT_USER;
        if (n == "hklm" || n == "hkey_local_machine")
            return HKEY_LOCAL_MACHINE;
        if (n == "hku" || n == "hkey_users")
            return HKEY_USERS;
        throw ParseError { "unknown root key " + name };
    }

    std::string replace(const std::string &raw)
    {
        std::string out;
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] != '%') {
                out += raw[i];
                continue;
            }
            const std::size_t end = raw.find('%', i + 1);
            if (end == std::string::npos)
                fail("unterminated %NAME%");
            const std::string name = raw.substr(i + 1, end - i - 1);
            if (name.empty()) {
                out += '%';
            } else {
                const auto it = m_replacements.find(lower(name));
                if (it == m_replacements.end())
                    fail("no replacement for %" + name + "%");
                out += it->second;
            }
            i = end;
            if (out.size() > kMaxRgsBytes)
                fail("replacement text too long");
        }
        return out;
    }

    Token next()
    {
        while (m_pos < m_text.size() && isBlank(m_text[m_pos])) {
            if (m_text[m_pos] == '\n')
                ++m_line;
            ++m_pos;
        }
        Token t;
        if (m_pos >= m_text.size())
            return t;
        const char c = m_text[m_pos];
        const bool alone = m_pos + 1 >= m_text.size() || isBlank(m_text[m_pos + 1]) ||
            m_text[m_pos + 1] == '{' || m_text[m_pos + 1] == '}';
        if ((c == '{' || c == '}') && alone) {
            ++m_pos;
            t.kind = c == '{' ? Token::Open : Token::Close;
            return t;
        }
        if (c == '=') {
            ++m_pos;
            t.kind = Token::Equals;
            return t;
        }
        std::string raw;
        if (c == '\'') {
            ++m_pos;
            for (;;) {
                if (m_pos >= m_text.size())
                    fail("unterminated quoted text");
                const char q = m_text[m_pos++];
                if (q == '\'') {
                    if (m_pos < m_text.size() && m_text[m_pos] == '\'') {
                        raw += '\'';
                        ++m_pos;
                        continue;
                    }
                    break;
                }
                if (q == '\n')
                    ++m_line;
                raw += q;
            }
            t.kind = Token::Quoted;
        } else {
            while (m_pos < m_text.size() && !isBlank(m_text[m_pos]) && m_text[m_pos] != '=' &&
                m_text[m_pos] != '\'')
                raw += m_text[m_pos++];
            t.kind = Token::Word;
        }
        t.text = replace(raw);
        return t;
    }

    Token expect(Token::Kind kind, const char *what)
    {
        Token t = next();
        if (t.kind != kind)
            fail(std::string("expected ") + what);
        return t;
    }

    RgsValue value(const std::string &name)
    {
        Token type = next();
        if (type.kind != Token::Word)
            fail("a value type (s, d or b) was expected");
        Token data = next();
        if (data.kind != Token::Quoted && data.kind != Token::Word)
            fail("value data was expected");
        RgsValue v;
        v.name = name;
        const std::string t = lower(type.text);
        if (t == "s") {
            v.type = REG_SZ;
            v.text = data.text;
        } else if (t == "d") {
            v.type = REG_DWORD;
            if (data.text.empty())
                fail("empty number");
            char *end = nullptr;
            const unsigned long long n = std::strtoull(data.text.c_str(), &end, 0);
            if (*end != 0 || n > 0xFFFFFFFFull || data.text[0] == '-')
                fail("bad number '" + data.text + "'");
            v.number = static_cast<DWORD>(n);
        } else if (t == "b") {
            // Pairs of hex digits, one byte each.
            v.type = REG_BINARY;
            const std::string &hex = data.text;
            if (hex.size() % 2 != 0)
                fail("odd number of hex digits in '" + hex + "'");
            for (std::size_t i = 0; i < hex.size(); i += 2) {
                const int high = hexDigit(hex[i]), low = hexDigit(hex[i + 1]);
                if (high < 0 || low < 0)
                    fail("bad hex digits in '" + hex + "'");
                v.text += static_cast<char>(high * 16 + low);
            }
        } else {
            fail("unsupported value type '" + type.text + "'");
        }
        return v;
    }

    RgsKey key(Token t, int depth)
    {
        if (depth > kMaxRgsDepth)
            fail("keys nested too deeply");
        RgsKey k;
        if (t.kind == Token::Word) {
            const std::string word = lower(t.text);
            if (word == "noremove" || word == "forceremove" || word == "delete") {
                k.flag = word == "noremove" ? RgsKey::Flag::NoRemove
                    : word == "forceremove" ? RgsKey::Flag::ForceRemove
                                            : RgsKey::Flag::Delete;
                t = next();
            }
        }
        if (t.kind != Token::Word && t.kind != Token::Quoted)
            fail("a key name was expected");
        if (t.text.empty() || t.text.find('\\') != std::string::npos)
            fail("bad key name '" + t.text + "'");
        k.name = t.text;
        Token after = next();
        if (after.kind == Token::Equals) {
            k.defaultValue = value("");
            after = next();
        }
        if (after.kind != Token::Open) {
            m_pushedBack = true;
            m_back = after;
            return k;
        }
        for (Token c = take(); c.kind != Token::Close; c = take()) {
            if (c.kind == Token::End)
                fail("missing '}'");
            if (c.kind == Token::Word && lower(c.text) == "val") {
                Token name = next();
                if (name.kind != Token::Word && name.kind != Token::Quoted)
                    fail("a value name was expected after 'val'");
                expect(Token::Equals, "'=' after the value name");
                k.values.push_back(value(name.text));
            } else {
                k.children.push_back(key(c, depth + 1));
            }
        }
        return k;
    }

    // The token after a key without a body belongs to the enclosing list.
    Token take()
    {
        if (m_pushedBack) {
            m_pushedBack = false;
            return m_back;
        }
        return next();
    }

private:
    std::string_view m_text;
    const std::map<std::string, std::string> &m_replacements;
    std::size_t m_pos = 0;
    int m_line = 1;
    bool m_pushedBack = false;
    Token m_back;
};

LONG setValue(HKEY key, const RgsValue &v)
{
    if (v.type == REG_DWORD)
        return RegSetValueEx(
            key, v.name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&v.number), 4);
    if (v.type == REG_BINARY)
        return RegSetValueEx(key, v.name.c_str(), 0, REG_BINARY,
            reinterpret_cast<const BYTE *>(v.text.data()), static_cast<DWORD>(v.text.size()));
    return RegSetValueEx(key, v.name.c_str(), 0, REG_SZ,
        reinterpret_cast<const BYTE *>(v.text.c_str()), static_cast<DWORD>(v.text.size() + 1));
}

LONG registerKey(HKEY root, const std::string &parent, const RgsKey &k)
{
    const std::string path = parent.empty() ? k.name : parent + "\\" + k.name;
    if (k.flag == RgsKey::Flag::Delete)
        return detail::deleteTree(root, path);
    if (k.flag == RgsKey::Flag::ForceRemove) {
        if (LONG err = detail::deleteTree(root, path); err != ERROR_SUCCESS)
            return err;
    }
    HKEY key = nullptr;
    LONG err = RegCreateKeyEx(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
        KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (err != ERROR_SUCCESS)
        return err;
    if (k.defaultValue)
        err = setValue(key, *k.defaultValue);
    for (const RgsValue &v : k.values) {
        if (err != ERROR_SUCCESS)
            break;
        err = setValue(key, v);
    }
    RegCloseKey(key);
    for (const RgsKey &child : k.children) {
        if (err != ERROR_SUCCESS)
            break;
        err = registerKey(root, path, child);
    }
    return err;
}

void unregisterKey(HKEY root, const std::string &parent, const RgsKey &k, LONG &firstError)
{
    const std::string path = parent.empty() ? k.name : parent + "\\" + k.name;
    auto note = [&](LONG err) {
        if (err != ERROR_SUCCESS && err != ERROR_FILE_NOT_FOUND && firstError == ERROR_SUCCESS)
            firstError = err;
    };
    if (k.flag == RgsKey::Flag::Delete || !detail::keyExists(root, path))
        return;
    if (k.flag == RgsKey::Flag::ForceRemove) {
        note(detail::deleteTree(root, path));
        return;
    }
    for (const RgsKey &child : k.children)
        unregisterKey(root, path, child, firstError);
    if (!k.values.empty()) {
        HKEY key = nullptr;
        if (RegOpenKeyEx(root, path.c_str(), 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
            for (const RgsValue &v : k.values)
                note(RegDeleteValue(key, v.name.c_str()));
            RegCloseKey(key);
        }
    }
    if (k.flag == RgsKey::Flag::NoRemove)
        return;
    if (!detail::subkeyNames(root, path).empty())
        return;
    for (const std::string &name : detail::valueNames(root, path))
        if (!name.empty())
            return; // someone else's value: the key is still in use
    note(RegDeleteKey(root, path.c_str()));
}

} // namespace

void Registrar::addReplacement(const std::string &name, const std::string &value)
{
    const std::string key = lower(name);
    m_replacements[key] = value;
    // Scripts name the module path unquoted as %MODULE_RAW%; it is the same path here, and a
    // caller that gives MODULE supplies it too unless it gives its own.
    if (key == "module" && !m_explicitRaw)
        m_replacements["module_raw"] = value;
    if (key == "module_raw")
        m_explicitRaw = true;
}

HRESULT Registrar::parse(std::string_view script, std::vector<RgsRoot> &roots) noexcept
{
    m_error.clear();
    return guarded([&] {
        if (script.size() > kMaxRgsBytes) {
            m_error = "script too long";
            return DISP_E_EXCEPTION;
        }
        try {
            Parser parser(script, m_replacements);
            roots = parser.script();
            return S_OK;
        } catch (const ParseError &e) {
            m_error = e.message;
            return DISP_E_EXCEPTION;
        }
    });
}

HRESULT Registrar::registerScript(std::string_view script) noexcept
{
    std::vector<RgsRoot> roots;
    HRESULT hr = parse(script, roots);
    if (FAILED(hr))
        return hr;
    return guarded([&] {
        for (const RgsRoot &r : roots)
            for (const RgsKey &k : r.keys)
                if (LONG err = registerKey(r.root, "", k); err != ERROR_SUCCESS) {
                    m_error = "cannot write " + k.name;
                    return HRESULT_FROM_WIN32(err);
                }
        return S_OK;
    });
}

HRESULT Registrar::unregisterScript(std::string_view script) noexcept
{
    std::vector<RgsRoot> roots;
    const HRESULT hr = parse(script, roots);
    if (FAILED(hr))
        return hr;
    return unregisterRoots(roots);
}

HRESULT Registrar::unregisterRoots(const std::vector<RgsRoot> &roots) noexcept
{
    return guarded([&] {
        LONG firstError = ERROR_SUCCESS;
        for (const RgsRoot &r : roots)
            for (const RgsKey &k : r.keys)
                unregisterKey(r.root, "", k, firstError);
        return HRESULT_FROM_WIN32(firstError);
    });
}

} // namespace platform::com
