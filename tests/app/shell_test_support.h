// Shared set-up for the application-shell tests: one QApplication for the process, and a fixture
// that starts every test from an empty settings key and zeroed in-memory copies.
#pragma once

#include "app/forms/frmMain.h"
#include "app/modules/mSettings.h"
#include "app/modules/sites.h"
#include "platform/registry/registry.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <initializer_list>
#include <utility>

using namespace Qt::Literals::StringLiterals;

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteKey(HKEY_CURRENT_USER, mSettings::registryPath().toStdString().c_str());
        mSettings::resetInMemory();
    }
    void TearDown() override { mSettings::resetInMemory(); }

    static void store(std::initializer_list<std::pair<const char *, const char *>> values)
    {
        for (const auto &[key, value] : values)
            ASSERT_EQ(mSettings::saveSetting(QLatin1String(key), QString::fromUtf8(value)),
                ERROR_SUCCESS);
    }

    // The stored text, or "<missing>" when the key has no such value.
    static QString stored(const char *key)
    {
        std::string value;
        const LONG rc = platform::registry::readString(
            HKEY_CURRENT_USER, mSettings::registryPath().toStdString(), key, value);
        return rc == ERROR_SUCCESS ? QString::fromStdString(value) : u"<missing>"_s;
    }
};

namespace shelltest {

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Points the site table at a sites file (and its certificate) for the object's life.
class SitesFile {
public:
    explicit SitesFile(const QString &path, const QString &caFile = {})
    {
        qputenv("BIDLARK_SITES", path.toUtf8());
        if (!caFile.isEmpty())
            qputenv("BIDLARK_NET_CA_FILE", caFile.toUtf8());
        errors = sites::reloadSites();
    }
    ~SitesFile()
    {
        qunsetenv("BIDLARK_SITES");
        qunsetenv("BIDLARK_NET_CA_FILE");
        sites::reloadSites();
    }
    QStringList errors;
};

inline QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The [tree] part of a state dump: one line per item, two blanks per level, then the image key,
// item data and colour, tab-separated.
inline QStringList treeOf(const QString &dump)
{
    return dump.section(u"[tree]\n"_s, 1).split(u'\n', Qt::SkipEmptyParts);
}

inline QStringList treeLines(const frmMain &w)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"dump"_s);
    return w.dumpState(path) ? treeOf(readText(path)) : QStringList { u"<no dump>"_s };
}

// The lines under the branch whose caption is `branch`, without their indent.
inline QStringList linesUnder(const QStringList &tree, const QString &branch)
{
    QStringList out;
    bool inside = false;
    for (const QString &line : tree) {
        if (!line.startsWith(u' '))
            inside = line.section(u'\t', 0, 0) == branch;
        else if (inside)
            out << line.mid(2);
    }
    return out;
}

} // namespace shelltest
