// The item tree's lines as doors to pages: the control raises ItemSelect, the menu of the line's
// section runs after the event, and each entry opens its address, looking the seller or high
// bidder up on the item page the sandbox site serves.
#include "app/forms/frmMain.h"
#include "app/modules/sites.h"
#include "platform/ui/shell.h"
#include "tests/app/shell_test_support.h"
#include "tests/support/sandbox_site.h"
#include "tools/mypages/pages.h"

#include <QCoreApplication>
#include <QMenu>
#include <QTest>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace {

// What the generated item page says: "SELLER", "BIDDER", "PAYPAL" -> value.
QString fromPage(const QString &item, const QString &what)
{
    for (const QString &call : mypages::itemPage(item, 1, true).calls) {
        if (call.startsWith(what + u'\t'))
            return call.section(u'\t', 1);
    }
    return {};
}

QString enc(const QString &value)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

class ItemActionsTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        ASSERT_TRUE(site.ok()) << site.error().toStdString();
        qputenv("BIDLARK_NET_TIMEOUT_MS", "5000");
        mSettings::current.userId = u"me too"_s;
        window = std::make_unique<frmMain>();
        ASSERT_TRUE(window->treeList().hasTree());
        mTreeList &t = window->treeList();
        t.AddWatchingLine(u"watch"_s, u"1001"_s);
        t.AddBiddingLine(u"bid"_s, u"1002"_s, u"RED"_s);
        t.AddDidntWinLine(u"lost"_s, u"1003"_s);
        t.AddWonLine(u"won"_s, u"1004"_s);
        t.AddSellingLine(u"selling"_s, u"1005"_s, u"GREEN"_s);
        t.AddSoldLine(u"sold"_s, u"1006"_s);
        t.AddUnsoldLine(u"unsold"_s, u"1007"_s);
        window->addPayPalBranch();
        t.AddPayPalLine(u"Balance"_s);
        ItemActions::Hooks &h = window->itemActions()->hooks();
        h.popUp = [this](QMenu *menu) {
            ran << menu->title();
            if (choice >= 0)
                menu->actions().at(choice)->trigger();
        };
        h.inputBox = [this](const QString &title, const QString &prompt) {
            asked << title + u'|' + prompt;
            return typed;
        };
    }
    void TearDown() override
    {
        window.reset();
        qunsetenv("BIDLARK_NET_TIMEOUT_MS");
        ShellTest::TearDown();
    }

    LONG line(mTreeList::Branch b) const
    {
        LONG item = 0;
        (void)window->treeList().tree()->get_ItemChild(window->treeList().branch(b), &item);
        return item;
    }
    OLE_COLOR back(LONG item) const
    {
        OLE_COLOR c = 0;
        (void)window->treeList().tree()->get_ItemBackColor(item, &c);
        return c;
    }
    // Selects through the control, as a click does, and lets the posted menu run.
    void select(LONG item)
    {
        (void)window->treeList().tree()->put_SelectItem(item, VARIANT_FALSE); // selected again
        ASSERT_EQ(window->treeList().tree()->put_SelectItem(item, VARIANT_TRUE), S_OK);
        ranDuringEvent = ran.size();
        QCoreApplication::processEvents();
    }

    testsupport::SandboxSite site;
    shelltest::SitesFile sitesFile { site.sitesFile(), site.caFile() };
    std::unique_ptr<frmMain> window;
    platform::ui::ShellRecorder shell;
    QStringList ran;
    qsizetype ranDuringEvent = 0;
    QStringList asked;
    int choice = -1;
    std::optional<QString> typed;
};

TEST_F(ItemActionsTest, EveryMenuEntryOpensItsPage)
{
    const auto host = [](sites::Role r) {
        return sites::siteUrl(r, sites::Country::US) + u"/aw-cgi/eBayISAPI.dll?"_s;
    };
    const auto seller = [](const char *item) {
        return enc(fromPage(QString::fromLatin1(item), u"SELLER"_s));
    };
    const auto bidder = [](const char *item) {
        return enc(fromPage(QString::fromLatin1(item), u"BIDDER"_s));
    };
    using B = mTreeList::Branch;
    using R = sites::Role;
    struct Case {
        B branch;
        const char *menu;
        int index;
        QString address; // empty: nothing opens
    } const cases[] = {
        { B::Watching, "Watch", 0, host(R::Item) + u"ViewItem&item=1001"_s },
        { B::Watching, "Watch", 2,
            host(R::Listings) + u"ViewListedItems&userid="_s + seller("1001") },
        { B::Watching, "Watch", 4,
            host(R::Contact) + u"ReturnUserEmail&requested="_s + seller("1001") + u"&iid=1001"_s },
        { B::Watching, "Watch", 5, QString() }, // Buy It Now
        { B::DidntWin, "Bid", 0, host(R::Item) + u"ViewItem&item=1003"_s },
        { B::Won, "Won", 5,
            host(R::Feedback) + u"LeaveFeedbackShow&useridfrom=me%20too&useridto="_s +
                seller("1004") + u"&item=1004"_s },
        { B::Won, "Won", 6,
            sites::siteUrl(R::PayPal) + u"/xclick-auction/business="_s +
                enc(fromPage(u"1004"_s, u"PAYPAL"_s)) +
                u"&auction_type=Ebay&jitem_id=1004&jmagic=1"_s },
        { B::Selling, "Seller", 3,
            host(R::Contact) + u"ReturnUserEmail&requested="_s + bidder("1005") +
                u"&iid=1005&frm=284"_s },
        { B::Unsold, "Sold", 2, host(R::Feedback) + u"ViewFeedback&userid="_s + bidder("1007") },
    };
    ASSERT_FALSE(seller("1001").isEmpty());
    ASSERT_TRUE(sites::siteUrl(R::PayPal).startsWith(u"https://"_s));
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.menu << " " << c.index);
        ran.clear();
        const qsizetype opened = shell.opened().size();
        choice = c.index;
        const LONG item = line(c.branch);
        (void)window->treeList().tree()->put_ItemBackColor(item, 0x00FF0000);
        select(item);
        EXPECT_EQ(ranDuringEvent, 0) << "the menu runs after the event, not inside it";
        EXPECT_EQ(ran, QStringList { QString::fromLatin1(c.menu) });
        EXPECT_EQ(back(item), 0x00FFFFFFu);
        EXPECT_EQ(shell.opened().mid(opened),
            c.address.isEmpty() ? QStringList() : QStringList { c.address });
    }

    // A branch line changes nothing; a PayPal line opens PayPal without a menu.
    ran.clear();
    const qsizetype opened = shell.opened().size();
    const LONG branch = window->treeList().branch(mTreeList::Watching);
    (void)window->treeList().tree()->put_ItemBackColor(branch, 0x00123456);
    select(branch);
    EXPECT_EQ(back(branch), 0x00123456u);
    select(line(mTreeList::PayPal));
    EXPECT_EQ(ran, QStringList());
    EXPECT_EQ(
        shell.opened().mid(opened), QStringList { sites::siteUrl(sites::Role::PayPal) + u'/' });
}

TEST_F(ItemActionsTest, PayingWithoutAPayPalLinkAndFailedLookUps)
{
    const QString pay = sites::siteUrl(sites::Role::PayPal) + u"/xclick-auction/business="_s;
    const QString prompt =
        u"PayPay Payment|Do you know the Sellers PayPal ID? If you do not know it, please click the Cancel button."_s;
    struct Case {
        const char *name;
        const char *scenario;
        mTreeList::Branch branch;
        int index;
        std::optional<QString> typed;
        bool asked;
        QString address;
        QString status;
    } const cases[] = {
        { "no link, an ID typed", "item-no-paypal", mTreeList::Won, 6, u"a b&c@x.example"_s, true,
            pay + u"a%20b%26c%40x.example&auction_type=Ebay&jitem_id=1004&jmagic=1"_s, QString() },
        { "no link, cancelled", "item-no-paypal", mTreeList::Won, 6, std::nullopt, true, QString(),
            u"Could not find Sellers PayPal ID."_s },
        { "seller page is an error page", "item:error500", mTreeList::Watching, 3, std::nullopt,
            false, QString(), u"Could not find the seller of item 1001."_s },
        { "bidder page does not arrive", "item:drop", mTreeList::Sold, 2, std::nullopt, false,
            QString(), u"Could not find the high bidder of item 1006: "_s },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(site.setScenario(QString::fromLatin1(c.scenario)));
        asked.clear();
        window->setStatusText(QString());
        const qsizetype opened = shell.opened().size();
        typed = c.typed;
        choice = c.index;
        select(line(c.branch));
        EXPECT_EQ(asked, c.asked ? QStringList { prompt } : QStringList());
        EXPECT_EQ(shell.opened().mid(opened),
            c.address.isEmpty() ? QStringList() : QStringList { c.address });
        EXPECT_TRUE(window->statusText().startsWith(c.status))
            << window->statusText().toStdString();
        EXPECT_EQ(window->statusText().isEmpty(), c.status.isEmpty());
        EXPECT_FALSE(window->statusBusy());
    }
}

// A refresh that empties the tree while the look-up waits for a slow page: the control has long
// finished raising ItemSelect, so nothing touches the removed line (run under ASan).
TEST_F(ItemActionsTest, TreeEmptiedWhileTheLookUpWaits)
{
    qputenv("BIDLARK_NET_TIMEOUT_MS", "1000");
    ASSERT_TRUE(site.setScenario(u"item:stall"_s));
    choice = 2;
    QTimer::singleShot(200, window.get(), [this] { window->treeList().clearBranches(); });
    select(line(mTreeList::Watching));
    EXPECT_EQ(line(mTreeList::Watching), 0) << "the refresh ran during the look-up";
    EXPECT_EQ(shell.opened(), QStringList());
    EXPECT_TRUE(window->statusText().startsWith(u"Could not find the seller of item 1001"_s));
    choice = -1;
    ran.clear();
    window->treeList().AddBiddingLine(u"bid again"_s, u"2002"_s, u"RED"_s);
    select(line(mTreeList::Bidding)); // the refilled tree goes on working
    EXPECT_EQ(ran, QStringList { u"Bid"_s });
}

} // namespace
