// The program as a user runs it: a fresh store with an ID and password and AutoStart on, the site
// table pointed at the sandbox, two refreshes a few seconds apart, each read from the state dump
// the program writes after every completed refresh.
#include "tests/app/refresh_support.h"
#include "tools/mypages/pages.h"

#include <QCoreApplication>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;

namespace {

// What the tree must hold for the generated page of `seed`: branch caption -> its lines.
QMap<QString, QStringList> expectedTree(quint32 seed)
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
    QMap<QString, QStringList> tree;
    for (const QString &call : mypages::myEbayPage(options).calls) {
        const QStringList f = call.split(u'\t');
        if (f[0] != u"ROW")
            continue;
        const auto &[caption, tag] = branches.value(f[1]);
        const QString colour = f.value(4) == u"RED" ? u"0x000000ff"_s
            : f.value(4) == u"GREEN"                ? u"0x0000c000"_s
                                                    : u"0x00000000"_s;
        tree[caption] << f[2] + u"\tdocumenticon\t"_qs + tag + f[3] + u'\t' + colour;
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
    const QString dump = dir.filePath(u"tree"_s);
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("BIDLARK_SITES", site.sitesFile());
    env.insert("BIDLARK_NET_CA_FILE", site.caFile());
    env.insert("BIDLARK_REFRESH_TICK_MS", "200"); // 5 ticks: a second refresh a second later
    env.insert("BIDLARK_DUMP_TREE", dump);
    env.insert("BIDLARK_QUIT_AFTER_MS", "60000");
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(QCoreApplication::applicationDirPath() + u"/bidlark"_s, {});
    ASSERT_TRUE(program.waitForStarted());
    const bool twoRefreshes =
        QTest::qWaitFor([&] { return QFile::exists(dump + u".refresh2"_s); }, 45000);
    program.kill();
    program.waitForFinished();
    ASSERT_TRUE(twoRefreshes);

    for (const quint32 seed : { 1u, 2u }) {
        SCOPED_TRACE(seed);
        const QString text = shelltest::readText(dump + u".refresh"_qs + QString::number(seed));
        const QString status = text.section(u"\nstatus="_s, 1).section(u'\n', 0, 0);
        EXPECT_TRUE(status.startsWith(u"last sync: "_s)) << status.toStdString();
        const QMap<QString, QStringList> expected = expectedTree(seed);
        EXPECT_EQ(expected.size(), 7);
        for (auto it = expected.begin(); it != expected.end(); ++it)
            EXPECT_EQ(shelltest::linesUnder(shelltest::treeOf(text), it.key()), it.value())
                << it.key().toStdString();
    }
    EXPECT_NE(expectedTree(1), expectedTree(2));
}

} // namespace
