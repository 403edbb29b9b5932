#include "uninstaller/engine/wininit.h"

#include "uninstaller/log/codepage.h"

#include <QFile>
#include <QSaveFile>

namespace uninstaller::engine {

std::string addWininitEntry(const std::optional<std::string> &current, const std::string &entry)
{
    if (!current)
        return "[Rename]\r\n" + entry;
    const std::string &text = *current;

    // Find the last line equal to "[Rename]" without regard to case.
    std::size_t lastStart = std::string::npos;
    std::size_t lastEnd = std::string::npos; // just past the line's CRLF, or the end of the text
    std::size_t pos = 0;
    while (pos <= text.size()) {
        const std::size_t crlf = text.find("\r\n", pos);
        const std::size_t end = crlf == std::string::npos ? text.size() : crlf;
        if (log::equalsNoCase(std::string_view(text).substr(pos, end - pos), "[Rename]")) {
            lastStart = pos;
            lastEnd = crlf == std::string::npos ? text.size() : crlf + 2;
        }
        if (crlf == std::string::npos)
            break;
        pos = crlf + 2;
    }

    if (lastStart == std::string::npos)
        return text + "\r\n[Rename]\r\n" + entry + "\r\n";

    std::string result = text;
    if (lastEnd == text.size() &&
        (text.size() < 2 || text.compare(text.size() - 2, 2, "\r\n") != 0)) {
        // "[Rename]" is the last line and has no CRLF of its own.
        return result + "\r\n" + entry + "\r\n";
    }
    const std::size_t nextEnd = text.find("\r\n", lastEnd);
    const std::string next =
        text.substr(lastEnd, nextEnd == std::string::npos ? std::string::npos : nextEnd - lastEnd);
    if (next == entry)
        return result;
    result.insert(lastEnd, entry + "\r\n");
    return result;
}

bool addWininitDeletion(const std::string &iniPath, const std::string &shortPath)
{
    const QString path = QString::fromStdString(iniPath);
    std::optional<std::string> current;
    QFile in(path);
    if (in.open(QIODevice::ReadOnly))
        current = in.readAll().toStdString();
    in.close();
    const std::string updated = addWininitEntry(current, "NUL=" + shortPath);
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write(updated.data(), static_cast<qint64>(updated.size()));
    return out.commit();
}

} // namespace uninstaller::engine
