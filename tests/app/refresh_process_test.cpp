// The program as a user runs it: a fresh store with an ID and password and AutoStart on, the site
// table pointed at the sandbox, two refreshes a few seconds apart, each read from the state dump
// the program writes after every completed refresh.
#include "tests/app/refresh_support.h"
#include "tools/mypages/pages.h"
#include "tools/mypages/recorder.h"

#include <QCoreApplication>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>

namespace {

// branch caption -> "text\tdata\tcolour" of each line under it
using Tree = QMap<QString, QStringList>;

Tree readDump(const QString &path, QString *status)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(file.readAll());
    *status = text.section(QStringLiteral("\nstatus="), 1).section(u'\n', 0, 0);
    Tree tree;
    QString branch;
    for (const QString &line : text.section(QStringLiteral("[tree]\n"), 1).split(u'\n')) {
        const QStringList f = line.split(u'\t');
        if (f.size() != 4)
            continue;
        if (!line.startsWith(u' '))
            branch = f[0];
        else
            tree[branch] << f[0].mid(2) + u'\t' + f[2] + u'\t' + f[3];
    }
    return tree;
}

// What the tree must hold for the generated page of `seed`.
Tree expectedTree(quint32 seed)
{
    const QMap<QString, std::pair<QString, QChar>> branches = {
        { "Selling", { "Items I am Selling", u'S' } }, { "Sold", { "Items I have Sold", u'P' } },
        { "Bidding", { "Bids I have Placed", u'B' } }, { "Won", { "Auctions I have Won", u'W' } },
        { "Watching", { "Items I am Watching", u'Z' } },
        { "DidntWin", { "Auctions I did not Win", u'B' } },
        { "Unsold", { "Items I did not Sell", u'P' } }
    };
    mypages::MyEbayOptions options;
    options.seed = seed;
    Tree tree;
    for (const QString &call : mypages::myEbayPage(options).calls) {
        const QStringList f = call.split(u'\t');
        if (f[0] != u"ROW")
            continue;
        const auto &[caption, tag] = branches.value(f[1]);
        const QString colour = f.value(4) == u"RED" ? QStringLiteral("0x000000ff")
            : f.value(4) == u"GREEN"                ? QStringLiteral("0x0000c000")
                                                    : QStringLiteral("0x00000000");
        tree[caption] << f[2] + u'\t' + tag + f[3] + u'\t' + colour;
    }
    return tree;
}

TEST_F(RefreshTest, TheProgramFillsTheTreeAndTheNextRefreshReplacesIt)
{
    testsupport::SandboxSite site({ "--scenario", "next-page" });
    ASSERT_TRUE(site.ok()) << site.error().toStdString();
    store({ { "Profile1UserName", "sandboxuser" }, { "Profile1Password", "sandboxpass" },
        { "AutoStart", "True" }, { "Refresh", "5 Minutes" }, { "DataView", "30 Days" },
        { "eBayCountry", "United States" } });
    QTemporaryDir dir;
    const QString dump = dir.filePath(QStringLiteral("tree"));
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("BIDLARK_SITES", site.sitesFile());
    env.insert("BIDLARK_NET_CA_FILE", site.caFile());
    env.insert("BIDLARK_REFRESH_TICK_MS", "200"); // 5 ticks: a second refresh a second later
    env.insert("BIDLARK_DUMP_TREE", dump);
    env.insert("BIDLARK_QUIT_AFTER_MS", "60000");
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(QCoreApplication::applicationDirPath() + QStringLiteral("/bidlark"), {});
    ASSERT_TRUE(program.waitForStarted());
    const bool twoRefreshes =
        QTest::qWaitFor([&] { return QFile::exists(dump + QStringLiteral(".refresh2")); }, 45000);
    program.kill();
    program.waitForFinished();
    ASSERT_TRUE(twoRefreshes);

    for (const quint32 seed : { 1u, 2u }) {
        SCOPED_TRACE(seed);
        QString status;
        const Tree tree = readDump(dump + u".refresh"_qs + QString::number(seed), &status);
        EXPECT_TRUE(status.startsWith(QStringLiteral("last sync: "))) << status.toStdString();
        const Tree expected = expectedTree(seed);
        EXPECT_EQ(expected.size(), 7);
        for (auto it = expected.begin(); it != expected.end(); ++it)
            EXPECT_EQ(tree.value(it.key()), it.value()) << it.key().toStdString();
    }
    EXPECT_NE(expectedTree(1), expectedTree(2));
}

} // namespace
