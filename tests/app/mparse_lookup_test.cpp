// The item page look-ups: a right ID or nothing, on hand-made cuts and on the item page excerpts
// that made them return markup, a truncated ID or the wrong person.
#include "parse_test_support.h"

#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

using namespace parsetest;
using namespace Qt::Literals::StringLiterals;

namespace {

TEST(ItemPageLookUps, Cuts)
{
    struct Case {
        const char *name;
        QString page;
        QString seller, bidder, paypal;
    };
    const QString seller =
        u"Seller (Rating) <a href=\"f?ViewFeedback&amp;requested=sally_c&amp;iid=42\">9</a>"_s;
    const QString ask =
        u"<a href=\"c?ShowCoreAskSellerQuestion&amp;requested=sally_c&amp;iid=42\">Ask</a>"_s;
    const QString contact = u"<a href=\"c?ReturnUserEmail&amp;requested=bob77&amp;iid=42\">C</a>"_s;
    const QString pay =
        u"<a href=\"https://www.paypal.com/cgi-bin/webscr?cmd=_xclick&business=sally@example.com&auction_type=ebay\">"_s;
    const Case cases[] = {
        { "all three", seller + ask + contact + pay, u"sally_c"_s, u"bob77"_s,
            u"sally@example.com"_s },
        { "no https at all", seller + ask + contact, u"sally_c"_s, u"bob77"_s, u"NA"_s },
        { "https without a business", seller + u"<a href=\"https://signin.ebay.com/\">"_s,
            u"sally_c"_s, {}, {} },
        { "no heading: never the first link of the page", ask + contact, {}, u"bob77"_s, u"NA"_s },
        { "no contact link: never the seller as bidder", seller + ask, u"sally_c"_s, {}, u"NA"_s },
        { "contact link before the ask link", contact + ask, {}, {}, u"NA"_s },
        { "no iid after the value",
            u"Seller (Rating) requested=sally_c ShowCoreAskSellerQuestion ReturnUserEmail requested=bob77"_s,
            {}, {}, u"NA"_s },
        { "no & before iid", u"Seller (Rating) requested=sally_c;iid=1&x=2"_s, {}, {}, u"NA"_s },
        { "iid right after requested=", u"Seller (Rating) requested=iid=1"_s, {}, {}, u"NA"_s },
        { "value holding markup",
            u"Seller (Rating) requested=<b>x</b>&iid=1 https:// business=a b&auction_type"_s, {},
            {}, {} },
        { "value holding quotes or a line break",
            u"Seller (Rating) requested=a\"b&iid=1 https:// business=a\nb&auction_type"_s, {}, {},
            {} },
        { "business with no & before auction_type", u"https:// business=acct;auction_type=x&y"_s,
            {}, {}, {} },
        { "empty page", {}, {}, {}, u"NA"_s },
    };
    for (const Case &c : cases) {
        const mParse::MarkedPage page(c.page);
        EXPECT_EQ(mParse::LookUpSeller(page), c.seller) << c.name;
        EXPECT_EQ(mParse::LookUpHighBidder(page), c.bidder) << c.name;
        EXPECT_EQ(mParse::LookUpPayPalId(page), c.paypal) << c.name;
    }
}

// Saved item page excerpts and generated item pages against the answers stored beside them.
TEST(ItemPageLookUps, ItemPages)
{
    QStringList pages = { u"generated/item-secure"_s, u"generated/item-plain"_s };
    const QStringList excerpts =
        QDir(fixturePath(u"items"_s)).entryList({ u"*.html"_s }, QDir::Files, QDir::Name);
    ASSERT_EQ(excerpts.size(), 4);
    for (const QString &name : excerpts)
        pages << u"items/"_s + name.chopped(5);
    for (const QString &base : pages) {
        const mParse::MarkedPage page(mParse::DecodePage(readFixture(base + u".html"_s)));
        const QStringList got { u"SELLER\t"_s + mParse::LookUpSeller(page),
            u"BIDDER\t"_s + mParse::LookUpHighBidder(page),
            u"PAYPAL\t"_s + mParse::LookUpPayPalId(page) };
        EXPECT_EQ(got, expectedCalls(base + u".calls"_s)) << base.toStdString();
    }
}

struct DumpRun {
    int exitCode;
    QString out, err;
};

DumpRun RunDump(const QStringList &arguments)
{
    QProcess process;
    process.start(qEnvironmentVariable("BIDLARK_BIN_DIR") + u"/myebay-dump"_s, arguments);
    EXPECT_TRUE(process.waitForFinished(30000));
    return { process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
        QString::fromUtf8(process.readAllStandardError()) };
}

TEST(MyEbayDump, HelpAndCharsets)
{
    const QString page = fixturePath(u"items/contact-and-escaped-paypal.html"_s);
    struct Case {
        const char *name;
        QStringList arguments;
        int exitCode;
        QString inOut, inErr;
    };
    const Case cases[] = {
        { "--help", { u"--help"_s }, 0, u"usage: myebay-dump"_s, {} },
        { "-h", { u"-h"_s }, 0, u"--item PAGE"_s, {} },
        { "unknown charset", { u"--charset"_s, u"no-such-set"_s, u"--item"_s, page }, 2, {},
            u"unknown charset no-such-set"_s },
        { "known charset", { u"--charset"_s, u"ISO-8859-15"_s, u"--item"_s, page }, 0,
            u"SELLER\tpez4me\n"_s, {} },
        { "unknown option", { u"--bogus"_s }, 2, {}, u"usage: myebay-dump"_s },
    };
    for (const Case &c : cases) {
        const DumpRun run = RunDump(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.name << ": " << run.err.toStdString();
        EXPECT_TRUE(run.out.contains(c.inOut)) << c.name << ": " << run.out.toStdString();
        EXPECT_TRUE(run.err.contains(c.inErr)) << c.name << ": " << run.err.toStdString();
    }
}

} // namespace
