#include "app/modules/mParseLookUp.h"

namespace mParse {

namespace {

// A found marker's 1-based position, or 0 when the search missed or could not be made.
qint64 Found(Pos step)
{
    return step.done ? step.value : 0;
}

bool CanBeId(const QString &value)
{
    for (const QChar c : value) {
        if (c == u'<' || c == u'>' || c == u'"' || c == u'\'' || c.isSpace() || c.unicode() < 0x20)
            return false;
    }
    return !value.isEmpty();
}

// The value from `from` up to the first "&", which must lie before `limit` (the next marker of
// the link); empty otherwise or when the value cannot be an ID.
QString CutValue(const MarkedPage &page, qint64 from, qint64 limit)
{
    const qint64 amp = Found(page.Find(U"&", from));
    if (amp == 0 || amp >= limit || amp - from > MarkedPage::kMaxCut)
        return {};
    const QString value = page.Text(from, amp).value_or(QString());
    return CanBeId(value) ? value : QString();
}

// The value of the first "requested=" at or after `from`; the link must go on to an "iid=".
QString RequestedValue(const MarkedPage &page, qint64 from)
{
    const qint64 requested = Found(page.Find(U"requested=", from));
    if (requested == 0)
        return {};
    const qint64 start = requested + 10;
    const qint64 iid = Found(page.Find(U"iid=", start));
    if (iid == 0)
        return {};
    return CutValue(page, start, iid);
}

} // namespace

QString LookUpSeller(const MarkedPage &itemPage)
{
    const qint64 heading = Found(itemPage.Find(U"Seller (Rating)", 1));
    return heading == 0 ? QString() : RequestedValue(itemPage, heading + 7);
}

QString LookUpHighBidder(const MarkedPage &itemPage)
{
    const qint64 ask = Found(itemPage.Find(U"ShowCoreAskSellerQuestion", 1));
    if (ask == 0)
        return {};
    const qint64 contact = Found(itemPage.Find(U"ReturnUserEmail", ask + 7));
    return contact == 0 ? QString() : RequestedValue(itemPage, contact + 7);
}

QString LookUpPayPalId(const MarkedPage &itemPage)
{
    const qint64 secure = Found(itemPage.Find(U"https://", 1));
    if (secure == 0)
        return QStringLiteral("NA");
    const qint64 business = Found(itemPage.Find(U"business", secure));
    if (business == 0)
        return {};
    const qint64 start = business + 9;
    const qint64 type = Found(itemPage.Find(U"auction_type", start));
    if (type == 0)
        return {};
    return CutValue(itemPage, start, type);
}

} // namespace mParse
