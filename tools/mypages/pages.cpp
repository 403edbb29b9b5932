#include "tools/mypages/pages.h"

#include "tools/mypages/recorder.h"

#include <algorithm>
#include <random>

using namespace Qt::Literals::StringLiterals;

namespace mypages {

namespace {

constexpr int kRowCap = 200;

struct Title {
    const char16_t *html;
    const char16_t *shown; // what the cleaner makes of it
};

// Titles as sellers typed them, with the markup and quoting the cleaner has to cope with. None may
// contain a marker text the readers search for ("right", "center", "size", "$", "item=", ...).
constexpr Title kTitles[] = {
    { u"Sterling Silver Locket &quot;Forget Me Not&quot;",
        u"Sterling Silver Locket \"Forget Me Not\"" },
    { u"Vintage 12\" Vinyl Record Beatles", u"Vintage 12 Vinyl Record Beatles" },
    { u"Pentax K1000<br>35mm Camera Body", u"Pentax K100035mm Camera Body" },
    { u"Antique Brass\r\nShip Compass", u"Antique BrassShip Compass" },
    { u"Nikon AF_0 50mm f/1.8 Lens", u"Nikon AF 50mm f/1.8 Lens" },
    { u"Tom &amp; Jerry Animation Cel", u"Tom &amp; Jerry Animation Cel" },
    { u"Apple iPod 10GB MP3 Player", u"Apple iPod 10GB MP3 Player" },
    { u"Hummel Figurine Goose Girl", u"Hummel Figurine Goose Girl" },
    { u"Star Wars Boba Fett 1979 Kenner", u"Star Wars Boba Fett 1979 Kenner" },
    { u"Longaberger Basket with Liner", u"Longaberger Basket with Liner" },
    { u"Beanie Baby Princess Bear Purple", u"Beanie Baby Princess Bear Purple" },
    { u"Palm m505 Handheld Organizer", u"Palm m505 Handheld Organizer" },
    { u"<b>NEW</b> Fiesta Ware Cobalt Plate", u"NEW Fiesta Ware Cobalt Plate" },
    { u"Lionel O Gauge Caboose <i>boxed</i>", u"Lionel O Gauge Caboose <iboxed" },
};

constexpr const char16_t *kRunningTimes[] = { u"2d 03h 15m", u"1d 22h 05m", u"5h 12m", u"47m",
    u"12m", u"3m" };
constexpr const char16_t *kDates[] = { u"Jun-01", u"Jun-02", u"May-28", u"May-30" };
constexpr const char16_t *kUsers[] = { u"sally_collects", u"bargainhunter77", u"oldtimer",
    u"pez4me" };
constexpr const char16_t *kCategories[] = { u"Collectibles", u"Cameras", u"Music", u"Toys" };

class Rng {
public:
    explicit Rng(quint32 seed)
        : m_engine(seed)
    {
    }
    // std::mt19937's output is fixed by the standard (its distributions are not), so pages are the
    // same on every platform.
    quint32 below(quint32 n) { return static_cast<quint32>(m_engine() % n); }
    template <typename T, std::size_t N> const T &pick(const T (&items)[N])
    {
        return items[below(N)];
    }

private:
    std::mt19937 m_engine;
};

QByteArray encode1252(const QString &text)
{
    // Everything the generator writes is ASCII or Latin-1 outside 0x80..0x9F, where Windows-1252
    // and Latin-1 agree.
    QByteArray out;
    out.reserve(text.size());
    for (const QChar ch : text)
        out += ch.unicode() < 0x100 ? static_cast<char>(ch.unicode()) : '?';
    return out;
}

struct Builder {
    Builder(const MyEbayOptions &o)
        : options(o)
        , rng(o.seed)
    {
        sign =
            options.country == u"United Kingdom"_s ? QStringLiteral("\u00A3") : QStringLiteral("$");
        host = options.country == u"United Kingdom"_s ? QStringLiteral("ebay.co.uk")
                                                      : QStringLiteral("ebay.com");
    }

    // A new item number, counted in `items`.
    QString nextItem()
    {
        QString item = QString::number(2150000100ull + static_cast<quint64>(items.size())) +
            QString::number(rng.below(10));
        items << item;
        return item;
    }
    QString amount()
    {
        const quint32 whole = 1 + rng.below(400);
        const quint32 cents = 10 + rng.below(90);
        return sign + QString::number(whole) + u'.' + QString::number(cents);
    }
    QString viewItem(const QString &item) const
    {
        return QStringLiteral("http://cgi.%1/aw-cgi/eBayISAPI.dll?ViewItem&item=%2")
            .arg(host, item);
    }
    QString viewItemAmp(const QString &item) const
    {
        return QStringLiteral("http://cgi.%1/aw-cgi/eBayISAPI.dll?ViewItem&amp;item=%2")
            .arg(host, item);
    }
    QString heading(const QString &anchor, const QString &text, int rows) const
    {
        return QStringLiteral(
            "<a name=\"%1\"></a><table width=\"100%\"><tr><td bgcolor=\"#CCCCFF\"><font "
            "size=\"3\"><b>%2</b></font> (%3 items)</td></tr></table>\n")
            .arg(anchor, text)
            .arg(rows);
    }
    static QString backToTop()
    {
        return QStringLiteral(
            "</table>\n<p align=\"right\"><a href=\"#top\">Back to top</a></p>\n");
    }
    void row(bool counted, const QString &line)
    {
        if (counted)
            calls << line;
    }

    void bidding();
    void won();
    void didntWin();
    void watching();
    void selling();
    void sold();
    void unsold();

    const MyEbayOptions &options;
    Rng rng;
    QString sign, host, html;
    QStringList calls, items;
};

void Builder::bidding()
{
    const int n = options.rowsPerSection;
    html += heading(QStringLiteral("Bidding"), QStringLiteral("Items I'm Bidding On"), n);
    html +=
        u"<table width=\"100%\" cellpadding=\"2\"><tr><th>Action</th><th>Item</th><th>Current "_s
        u"Price</th><th>My Max Bid</th><th>Bids</th><th>Time Left</th></tr>\n"_s;
    for (int i = 0; i < n; ++i) {
        const QString item = nextItem();
        const Title &title = rng.pick(kTitles);
        const QString price = amount(), max = amount();
        QString cell, colour;
        switch (rng.below(4)) {
        case 0:
            cell = u"<span class=\"success\">"_s + price + u"</span>"_s,
            colour = QStringLiteral("GREEN");
            break;
        case 1:
            cell = u"<span class=\"failed\">"_s + price + u"</span>"_s,
            colour = QStringLiteral("RED");
            break;
        case 2:
            cell = price, colour = QStringLiteral("BLACK");
            break;
        default:
            // Both marks near the amount: outbid wins.
            cell = u"<span class=\"failed success\">"_s + price + u"</span>"_s,
            colour = QStringLiteral("RED");
        }
        QString time, shown;
        switch (rng.below(8)) {
        case 0:
            time = QStringLiteral("<font color=\"#FF0000\">Ended</font>"),
            shown = QStringLiteral("Ended");
            break;
        case 1:
            time = shown = QString(); // a blank cell is queued as it is, and never alerts
            break;
        default:
            shown = QString::fromUtf16(rng.pick(kRunningTimes));
            time = u"<b>"_s + shown + u"</b>"_s;
        }
        html += QStringLiteral("<tr><td><input type=\"checkbox\" name=\"item\" value=\"%1\"></td>\n"
                               "<td><a href=\"%2\">%3</a></td>\n<td align=\"right\">%4</td>\n"
                               "<td align=\"right\">%5</td>\n<td align=\"center\">%6</td>\n"
                               "<td align=\"center\">%7</td></tr>\n")
                    .arg(item, viewItem(item), QString::fromUtf16(title.html), cell, max)
                    .arg(rng.below(30))
                    .arg(time);
        const bool counted = i < kRowCap;
        const QString name = QString::fromUtf16(title.shown);
        row(counted,
            rowLine(QStringLiteral("Bidding"),
                shown + u", "_s + price + u", "_s + max + u", "_s + name, item, colour));
        row(counted, shown == u"Ended"_s ? removeLine(item) : queueLine(item, name, shown, price));
    }
    html += backToTop();
}

void Builder::won()
{
    const int n = options.rowsPerSection;
    html += heading(QStringLiteral("Won"), QStringLiteral("Items I've Won"), n);
    html += u"<table width=\"100%\"><tr><th>Action</th><th>Sale Price</th><th>Qty</th><th>Sale "_s
            u"Date</th><th>Item</th><th>Seller</th></tr>\n"_s;
    for (int i = 0; i < n; ++i) {
        const QString item = nextItem();
        const Title &title = rng.pick(kTitles);
        const QString price = amount(), date = QString::fromUtf16(rng.pick(kDates)),
                      seller = QString::fromUtf16(rng.pick(kUsers));
        html += QStringLiteral(
            "<tr><td><input type=\"checkbox\" name=\"item\" value=\"%1\"></td>\n"
            "<td align=\"right\">%2</td>\n<td align=\"center\">1</td>\n"
            "<td align=\"center\">%3</td>\n"
            "<td><a "
            "href=\"http://cgi.%4/ws/eBayISAPI.dll?ViewItem&amp;item=%1&amp;rd=1\">%5</a></td>\n"
            "<td align=\"center\"><a href=\"http://feedback.%4/ws/"
            "eBayISAPI.dll?ViewFeedback&amp;userid=%6\">%6</a></td></tr>\n")
                    .arg(item, price, date, host, QString::fromUtf16(title.html), seller);
        row(i < kRowCap,
            rowLine(QStringLiteral("Won"),
                date + u", "_s + price + u", "_s + QString::fromUtf16(title.shown), item));
    }
    html += backToTop();
}

void Builder::didntWin()
{
    const int n = options.rowsPerSection;
    html += heading(QStringLiteral("DidntWin"), QStringLiteral("Items I Didn't Win"), n);
    html += QStringLiteral(
        "<table width=\"100%\"><tr><th>&nbsp;</th><th>Item</th><th><a "
        "href=\"http://my.%1/ws/eBayISAPI.dll?MyeBay&amp;sort=category\">Category</a></th>"
        "<th>Item #</th><th>My Max Bid</th><th>Winning Bid</th><th>End Date</th></tr>\n")
                .arg(host);
    for (int i = 0; i < n; ++i) {
        const QString item = nextItem();
        const Title &title = rng.pick(kTitles);
        const QString max = amount();
        // A private or cancelled auction shows no winning amount.
        const bool hidden = rng.below(4) == 0;
        const QString winning = hidden ? sign + u"--"_s : amount();
        const QString category = QString::fromUtf16(rng.pick(kCategories));
        const QString date = QString::fromUtf16(rng.pick(kDates));
        html += QStringLiteral("<tr><td><input type=\"checkbox\" name=\"item\" value=\"%1\"></td>\n"
                               "<td><a href=\"%2\">%3</a></td>\n<td align=\"center\">%4</td>\n"
                               "<td align=\"center\">%1</td>\n<td align=\"right\">%5</td>\n"
                               "<td align=\"right\">%6</td>\n<td align=\"center\">%7</td></tr>\n")
                    .arg(item, viewItem(item), QString::fromUtf16(title.html), category, max,
                        winning, date);
        row(i < kRowCap,
            rowLine(QStringLiteral("DidntWin"),
                (hidden ? QStringLiteral("--") : winning) + u", "_s +
                    QString::fromUtf16(title.shown),
                item));
    }
    html += backToTop();
}

void Builder::watching()
{
    const int n = options.rowsPerSection;
    html += heading(QStringLiteral("Watching"), QStringLiteral("Items I'm Watching"), n);
    html +=
        u"<table width=\"100%\"><tr><th>Action</th><th>Item</th><th>Current Price</th><th>Bids</th>"_s
        u"<th>Seller</th><th>Start</th><th>Time Left</th></tr>\n"_s;
    for (int i = 0; i < n; ++i) {
        const QString item = nextItem();
        const Title &title = rng.pick(kTitles);
        const QString price = amount();
        QString cell, shownPrice = price;
        switch (rng.below(5)) {
        case 0:
            cell = QStringLiteral("<b>--</b>"), shownPrice = QStringLiteral("--");
            break;
        case 1:
            // A Buy It Now badge in front of the amount.
            cell =
                u"<font size=2><img src=\"http://pics.ebaystatic.com/aw/pics/bin_15x54.gif\" width=\"54\" "_s
                u"height=\"15\" border=\"0\"> "_s +
                price + u"</font>"_s;
            break;
        default:
            cell = u"<b>"_s + price + u"</b>"_s;
        }
        QString timeCell, shown;
        const quint32 t = rng.below(9);
        if (t < 6) {
            shown = QString::fromUtf16(kRunningTimes[t]);
        } else if (t == 6) {
            shown = QStringLiteral("Ended");
        }
        if (t == 7 || t == 8) {
            // An empty time-left cell means the auction has ended.
            timeCell = QStringLiteral("<td align=\"center\"><b></b></td>");
            shown = QStringLiteral("Ended");
        } else if (t >= 3 && t <= 5) {
            // The last hour is flagged red; the cell's colour attribute is stepped over.
            timeCell = u"<td  color=\"#FF0000\"><font size=\"1\">"_s + shown + u"</font></td>"_s;
        } else if (rng.below(2) == 0) {
            timeCell = u"<td bgcolor=\"#FFFFCC\"><b>"_s + shown + u"</b></td>"_s;
        } else {
            timeCell = u"<td align=\"center\"><b>"_s + shown + u"</b></td>"_s;
        }
        const QString seller = QString::fromUtf16(rng.pick(kUsers));
        const QString start = QString::fromUtf16(rng.pick(kDates));
        html += QStringLiteral("<tr bgcolor=\"#EEEEEE\"><td><input type=\"checkbox\" name=\"item\" "
                               "value=\"%1\"></td>\n"
                               "<td><a href=\"%2\">%3</a></td>\n<td align=\"right\">%4</td>\n"
                               "<td align=\"center\">%5</td>\n"
                               "<td align=\"center\"><a href=\"http://cgi.%6/aw-cgi/"
                               "eBayISAPI.dll?ViewListedItems&userid=%7\">%7</a></td>\n"
                               "<td bgcolor=\"#EEEEEE\">%8</td>\n%9</tr>\n")
                    .arg(item, viewItem(item), QString::fromUtf16(title.html), cell)
                    .arg(rng.below(30))
                    .arg(host, seller, start, timeCell);
        const bool counted = i < kRowCap;
        const QString name = QString::fromUtf16(title.shown);
        row(counted,
            rowLine(
                QStringLiteral("Watching"), shown + u", "_s + shownPrice + u", "_s + name, item));
        row(counted,
            shown == u"Ended"_s ? removeLine(item) : queueLine(item, name, shown, shownPrice));
    }
    html += backToTop();
}

void Builder::selling()
{
    const int n = options.rowsPerSection;
    html += heading(QStringLiteral("Selling"), QStringLiteral("Items I'm Selling"), n);
    html +=
        u"<table width=\"100%\"><tr><th>Action</th><th>Item</th><th>Current Price</th><th>Bids</th>"_s
        u"<th>Watchers</th><th>Reserve Met</th><th>Time Left</th></tr>\n"_s;
    for (int i = 0; i < n; ++i) {
        const QString item = nextItem();
        const Title &title = rng.pick(kTitles);
        const QString price = amount(), bids = QString::number(rng.below(20));
        const QString time = rng.below(6) == 0 ? QStringLiteral("Ended")
                                               : QString::fromUtf16(rng.pick(kRunningTimes));
        html += QStringLiteral(
            "<tr><td><input type=\"checkbox\" name=\"item\" value=\"%1\"></td>\n"
            "<td><a href=\"%2\">%3</a></td>\n<td align=\"right\"><b>%4</b></td>\n"
            "<td align=\"center\">%5</td>\n<td align=\"center\">%6</td>\n"
            "<td align=\"center\">%7</td>\n<td align=\"center\"><b>%8</b></td></tr>\n")
                    .arg(item, viewItem(item), QString::fromUtf16(title.html), price, bids)
                    .arg(rng.below(9))
                    .arg(rng.below(2) ? QStringLiteral("Yes") : QStringLiteral("No"), time);
        row(i < kRowCap,
            rowLine(QStringLiteral("Selling"),
                time + u", "_s + price + u", "_s + bids + u", "_s + QString::fromUtf16(title.shown),
                item));
    }
    // Real pages close the selling list with the next heading, not with its own link.
    html += u"</table>\n"_s;
}

void Builder::sold()
{
    const int n = options.rowsPerSection;
    html += heading(QStringLiteral("Sold"), QStringLiteral("Items I've Sold"), n);
    html +=
        u"<table width=\"100%\"><tr><th>Action</th><th>Sale Price</th><th>Qty</th><th>Sale Date</th>"_s
        u"<th>Buyer</th><th>Email</th><th>Paid</th><th>Shipped</th><th>Feedback Left</th>"_s
        u"<th>Feedback Received</th><th>Invoice</th><th>Item</th></tr>\n"_s;
    for (int i = 0; i < n; ++i) {
        const QString item = nextItem();
        const Title &title = rng.pick(kTitles);
        const QString price = amount(), buyer = QString::fromUtf16(rng.pick(kUsers));
        // The date cell is shown as the page wrote it, entities and all.
        QString date = QString::fromUtf16(rng.pick(kDates));
        if (rng.below(2))
            date += u"&nbsp;18:22"_s;
        html += QStringLiteral(
            "<tr><td><input type=\"checkbox\" name=\"item\" value=\"%1_0\"></td>\n"
            "<td align=\"right\"><b>%2</b></td>\n<td align=\"center\">1</td>\n"
            "<td align=\"center\">%3</td>\n"
            "<td><a "
            "href=\"http://feedback.%4/ws/eBayISAPI.dll?ViewFeedback&userid=%5\">%5</a></td>\n"
            "<td align=\"center\"><a href=\"mailto:%5@example.com\">email</a></td>\n"
            "<td align=\"center\">Paid</td>\n<td align=\"center\">Shipped</td>\n"
            "<td align=\"center\">-</td>\n<td align=\"center\">-</td>\n"
            "<td align=\"center\"><a "
            "href=\"http://cgi.%4/aw-cgi/eBayISAPI.dll?SellersInvoice&amp;txn=%1\">Invoice</a></"
            "td>\n"
            "<td><a href=\"%6\">%7</a></td></tr>\n")
                    .arg(item, price, date, host, buyer, viewItem(item),
                        QString::fromUtf16(title.html));
        row(i < kRowCap,
            rowLine(QStringLiteral("Sold"),
                date + u", "_s + price + u", "_s + QString::fromUtf16(title.shown), item));
    }
    html += backToTop();
}

void Builder::unsold()
{
    const int n = options.rowsPerSection;
    // With the two in the top navigation, this heading holds the page's 3rd to 6th "Unsold".
    html += QStringLiteral(
        "<a name=\"Unsold\"></a><table width=\"100%\"><tr><td bgcolor=\"#CCCCFF\"><b>Unsold "
        "Items</b> <a href=\"http://my.%1/ws/eBayISAPI.dll?MyeBay&amp;CurrentPage=MyeBayUnsold"
        "&amp;period=30\">Unsold in the last 30 days</a></td></tr></table>\n")
                .arg(host);
    html +=
        u"<table width=\"100%\"><tr><th>Item</th><th>Start Price</th><th>Reserve Price</th><th>End "_s
        u"Date</th><th>Relist</th></tr>\n"_s;
    for (int i = 0; i < n; ++i) {
        const QString item = nextItem();
        const Title &title = rng.pick(kTitles);
        const QString start = amount(), reserve = amount(),
                      date = QString::fromUtf16(rng.pick(kDates));
        html += QStringLiteral("<tr><td><a href=\"%1\">%2</a></td>\n"
                               "<td align=\"right\"><font size=\"2\">%3</font></td>\n"
                               "<td align=\"right\"><font size=\"2\">%4</font></td>\n"
                               "<td align=\"center\"><font size=\"2\">%5</font></td>\n"
                               "<td align=\"center\"><a "
                               "href=\"http://cgi.%6/aw-cgi/"
                               "eBayISAPI.dll?RelistItem&amp;txn=%7\">Relist</a></td></tr>\n")
                    .arg(viewItemAmp(item), QString::fromUtf16(title.html), start, reserve, date,
                        host, item);
        row(i < kRowCap,
            rowLine(QStringLiteral("Unsold"),
                date + u", "_s + reserve + u", "_s + QString::fromUtf16(title.shown), item));
    }
    html += backToTop();
}

} // namespace

GeneratedPage myEbayPage(const MyEbayOptions &options)
{
    Builder b(options);
    b.html = QStringLiteral(
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
        "charset=windows-1252\">\n"
        "<title>My eBay Summary</title></head>\n<body bgcolor=\"#FFFFFF\"><a name=\"top\"></a>\n"
        "<table width=\"100%\"><tr><td><a href=\"http://www.%1/\">home</a> | <a "
        "href=\"http://pages.%1/sell/\">sell</a> | <a href=\"http://listings.%1/\">browse</a> | <a "
        "href=\"http://my.%1/ws/eBayISAPI.dll?MyeBay\">my eBay</a></td></tr></table>\n"
        "<p>My eBay views: <a "
        "href=\"http://my.%1/ws/eBayISAPI.dll?MyeBay&amp;CurrentPage=MyeBayBidding\">Bidding</a> | "
        "<a "
        "href=\"http://my.%1/ws/eBayISAPI.dll?MyeBay&amp;CurrentPage=MyeBayWatching\">Watching</a> "
        "| "
        "<a "
        "href=\"http://my.%1/ws/eBayISAPI.dll?MyeBay&amp;CurrentPage=MyeBaySelling\">Selling</a> | "
        "<a "
        "href=\"http://my.%1/ws/eBayISAPI.dll?MyeBay&amp;CurrentPage=MyeBayUnsold\">Unsold</a></"
        "p>\n")
                 .arg(b.host);
    // The parser's order is not the page's: bidding, won and didn't win come first on the page.
    QStringList bidding, watching, selling, sold, unsold, won, didntWin;
    const auto section = [&b](void (Builder::*build)(), QStringList &into) {
        const qsizetype before = b.calls.size();
        (b.*build)();
        into = b.calls.mid(before);
        b.calls.resize(before);
    };
    section(&Builder::bidding, bidding);
    section(&Builder::won, won);
    section(&Builder::didntWin, didntWin);
    section(&Builder::watching, watching);
    section(&Builder::selling, selling);
    section(&Builder::sold, sold);
    section(&Builder::unsold, unsold);
    b.html += QStringLiteral("<p><a href=\"http://listings.%1/\">Categories</a> | <a "
                             "href=\"http://pages.%1/help/\">Help</a></p>\n</body></html>\n")
                  .arg(b.host);

    GeneratedPage page;
    page.bytes = encode1252(b.html);
    page.charset = "windows-1252";
    page.calls = watching + bidding + selling + sold + unsold + won + didntWin;
    return page;
}

QStringList myEbayItems(const MyEbayOptions &options)
{
    Builder b(options);
    b.bidding();
    b.won();
    b.didntWin();
    b.watching();
    b.selling();
    b.sold();
    b.unsold();
    return b.items;
}

GeneratedPage itemPage(const QString &item, quint32 seed, bool securePayPal)
{
    Rng rng(seed ^ item.toUInt());
    const QString seller = QString::fromUtf16(rng.pick(kUsers));
    QString bidder = QString::fromUtf16(rng.pick(kUsers));
    if (bidder == seller)
        bidder += u'2';
    const QString paypal = seller + u"@example.com"_s;
    QString html = QStringLiteral(
        "<html><head><title>eBay item %1 (Ends Jun-05-03 18:22:10 PDT)</title></head>\n<body>\n"
        "<table><tr><td>Currently</td><td><b>$%2.00</b></td></tr>\n"
        "<tr><td>Seller (Rating)</td><td><a href=\"http://cgi.ebay.com/aw-cgi/"
        "eBayISAPI.dll?ViewListedItems&amp;userid=%3\">%3</a> (<a "
        "href=\"http://feedback.ebay.com/ws/"
        "eBayISAPI.dll?ViewFeedback&amp;requested=%3&amp;iid=%1\">%4</a>)</td></tr>\n"
        "<tr><td>High bid</td><td>%5</td></tr></table>\n"
        "<p><a href=\"http://cgi.ebay.com/ws/eBayISAPI.dll?ShowCoreAskSellerQuestion&amp;"
        "requested=%3&amp;iid=%1\">Ask seller a question</a> | "
        "<a "
        "href=\"http://contact.ebay.com/ws/"
        "eBayISAPI.dll?ReturnUserEmail&amp;requested=%5&amp;iid=%1\">"
        "Contact the high bidder</a></p>\n")
                       .arg(item)
                       .arg(5 + rng.below(200))
                       .arg(seller)
                       .arg(rng.below(900))
                       .arg(bidder);
    if (securePayPal) {
        html += QStringLiteral(
            "<p>Pay now: <a href=\"https://www.paypal.com/cgi-bin/webscr?cmd=_xclick&business=%1"
            "&auction_type=ebay&item_number=%2\"><img src=\"http://pics.ebaystatic.com/aw/pics/"
            "paypal/logo.gif\" border=\"0\"></a></p>\n")
                    .arg(paypal, item);
    } else {
        html += u"<p>Payment: money order, personal check.</p>\n"_s;
    }
    html += u"</body></html>\n"_s;

    GeneratedPage page;
    page.bytes = encode1252(html);
    page.charset = "windows-1252";
    page.calls << u"SELLER\t"_s + seller << u"BIDDER\t"_s + bidder
               << (securePayPal ? u"PAYPAL\t"_s + paypal : QStringLiteral("PAYPAL\tNA"));
    return page;
}

GeneratedPage payPalAccountPage(quint32 seed, int activityRows)
{
    Rng rng(seed);
    static constexpr const char16_t *kTypes[] = { u"Payment To", u"Payment From", u"Refund From" };
    static constexpr const char16_t *kNames[] = { u"Sally Jones", u"Bob Miller",
        u"Pez Collectors Inc." };
    static constexpr const char16_t *kStatus[] = { u"Completed", u"Pending", u"Unclaimed" };
    const QString balance =
        QStringLiteral("$%1.%2 USD").arg(rng.below(3000)).arg(10 + rng.below(90));
    QString html = QStringLiteral(
        "<html><head><title>PayPal - My Account - Overview</title></head>\n<body>\n"
        "<p><a href=\"https://www.paypal.com/cgi-bin/webscr?cmd=_account\">My Account</a> | "
        "<a href=\"https://www.paypal.com/cgi-bin/webscr?cmd=_history\">History</a> | "
        "<a href=\"https://www.paypal.com/cgi-bin/webscr?cmd=_account&nav=0.2\">Recent "
        "Activity</a></p>\n"
        "<table><tr><td><b>Balance:</b></td><td><a href=\"https://www.paypal.com/cgi-bin/"
        "webscr?cmd=_history&nav=0.3\">%1</a></td></tr></table>\n"
        "<table width=\"100%\"><tr><td colspan=\"7\"><b>Recent Activity</b></td></tr>\n")
                       .arg(balance);
    GeneratedPage page;
    page.calls << payPalLine(u"Balance: "_s + balance);
    for (int i = 0; i < activityRows; ++i) {
        const QString id = QStringLiteral("7X%1").arg(100000 + i * 7 + rng.below(7));
        const QString date = QStringLiteral("Jun. %1, 2003").arg(1 + rng.below(28));
        const QString type = QString::fromUtf16(rng.pick(kTypes)),
                      name = QString::fromUtf16(rng.pick(kNames)),
                      status = QString::fromUtf16(rng.pick(kStatus));
        const QString amount =
            QStringLiteral("%1.%2").arg(1 + rng.below(500)).arg(10 + rng.below(90));
        html += QStringLiteral(
            "<tr><td><input type=\"checkbox\" name=\"txn\" value=\"%1\"></td>\n"
            "<td class=\"ppsmalltext\"><nobr>%2</nobr></td>\n"
            "<td><span class=\"ppsmalltext\">&nbsp;%3</span></td>\n"
            "<td><span class=\"ppsmalltext\">&nbsp;%4</span></td>\n"
            "<td align=\"right\"><span class=\"ppsmalltext\">%5&nbsp;USD</span></td>\n"
            "<td><span class=\"ppsmalltext\">&nbsp;%6</span></td>\n"
            "<td><a href=\"https://www.paypal.com/cgi-bin/webscr?cmd=_history-details&id=%1"
            "&from=accounts_page\">Details</A></td></tr>\n")
                    .arg(id, date, type, name, amount, status);
        if (i < 15)
            page.calls << payPalLine(date + u' ' + type + u' ' + name + u", $"_s + amount +
                u", "_s + status + u", Details"_s);
    }
    html += u"</table>\n<p><a href=\"https://www.paypal.com/mobile\">Mobile</a> | <a "_s
            u"href=\"https://www.paypal.com/privacy\">Privacy</a></p>\n</body></html>\n"_s;
    page.bytes = encode1252(html);
    page.charset = "windows-1252";
    return page;
}

} // namespace mypages
