#include "app/modules/mParseLookUp.h"

namespace mParse {

QString LookUpSeller(const MarkedPage &itemPage)
{
    qint64 p = 0, e = 0;
    QString id;
    Set(p, itemPage.Find(U"Seller (Rating)", 1) + 7);
    Set(p, itemPage.Find(U"requested=", p) + 10);
    Set(e, itemPage.Find(U"iid=", p) - 5);
    Set(id, itemPage.Text(p, e));
    return id;
}

QString LookUpHighBidder(const MarkedPage &itemPage)
{
    qint64 p = 0, s = 0, e = 0;
    QString id;
    Set(p, itemPage.Find(U"ShowCoreAskSellerQuestion", 1) + 7);
    Set(p, itemPage.Find(U"ReturnUserEmail", p) + 7);
    Set(s, itemPage.Find(U"requested=", p) + 10);
    Set(e, itemPage.Find(U"iid=", s) - 5);
    Set(id, itemPage.Text(s, e));
    return id;
}

QString LookUpPayPalId(const MarkedPage &itemPage)
{
    qint64 h = 0, s = 0, e = 0;
    Set(h, itemPage.Find(U"https://", 1));
    if (h == 0)
        return QStringLiteral("NA");
    QString id;
    Set(s, itemPage.Find(U"business", h) + 9);
    Set(e, itemPage.Find(U"auction_type", s) - 1);
    Set(id, itemPage.Text(s, e));
    return id;
}

} // namespace mParse
