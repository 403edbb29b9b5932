#include "platform/registry/internal/regtree.h"

#include <QString>

namespace platform::registry::internal {

bool isValidUtf8(std::string_view text)
{
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t extra;
        char32_t cp;
        if ((c & 0xE0) == 0xC0) {
            extra = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (n - i <= extra)
            return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto cc = static_cast<unsigned char>(text[i + k]);
            if ((cc & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        static constexpr char32_t kMin[] = { 0, 0x80, 0x800, 0x10000 };
        if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

std::size_t utf8Length(std::string_view text)
{
    std::size_t count = 0;
    for (char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++count;
    }
    return count;
}

std::string foldName(std::string_view name)
{
    bool ascii = true;
    for (char c : name) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii || !isValidUtf8(name)) {
        std::string folded(name);
        for (char &c : folded) {
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        }
        return folded;
    }
    const QByteArray utf8 =
        QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())).toCaseFolded().toUtf8();
    return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

Key *Key::child(std::string_view name) const
{
    const auto it = m_children.find(foldName(name));
    return it == m_children.end() ? nullptr : it->second.get();
}

Key *Key::addChild(std::string_view name, bool *created)
{
    auto [it, inserted] = m_children.try_emplace(foldName(name));
    if (inserted)
        it->second = std::make_unique<Key>(std::string(name));
    if (created)
        *created = inserted;
    return it->second.get();
}

bool Key::removeChild(std::string_view name)
{
    return m_children.erase(foldName(name)) > 0;
}

const Value *Key::value(std::string_view name) const
{
    const auto it = m_valueIndex.find(foldName(name));
    return it == m_valueIndex.end() ? nullptr : &m_values[it->second];
}

void Key::setValue(std::string_view name, DWORD type, std::string data)
{
    auto [it, inserted] = m_valueIndex.try_emplace(foldName(name), m_values.size());
    if (inserted) {
        m_values.push_back(Value { std::string(name), type, std::move(data) });
    } else {
        Value &existing = m_values[it->second];
        existing.type = type;
        existing.data = std::move(data);
    }
}

bool Key::removeValue(std::string_view name)
{
    const auto it = m_valueIndex.find(foldName(name));
    if (it == m_valueIndex.end())
        return false;
    const std::size_t position = it->second;
    m_valueIndex.erase(it);
    m_values.erase(m_values.begin() + static_cast<std::ptrdiff_t>(position));
    for (auto &entry : m_valueIndex) {
        if (entry.second > position)
            --entry.second;
    }
    return true;
}

bool Key::equals(const Key &other) const
{
    if (m_name != other.m_name || m_values.size() != other.m_values.size() ||
        m_children.size() != other.m_children.size())
        return false;
    for (std::size_t i = 0; i < m_values.size(); ++i) {
        const Value &a = m_values[i];
        const Value &b = other.m_values[i];
        if (a.name != b.name || a.type != b.type || a.data != b.data)
            return false;
    }
    auto it = other.m_children.begin();
    for (const auto &[folded, child] : m_children) {
        if (folded != it->first || !child->equals(*it->second))
            return false;
        ++it;
    }
    return true;
}

} // namespace platform::registry::internal
