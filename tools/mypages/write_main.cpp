// Writes the standard set of generated pages and their expected calls into a folder, as the
// checked-in fixtures and seed corpora are made: mypages-write DIR
#include "tools/mypages/pages.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size();
}

bool writePage(const QDir &dir, const QString &name, const mypages::GeneratedPage &page)
{
    return writeFile(dir.filePath(name + u".html"_s), page.bytes) &&
        writeFile(dir.filePath(name + u".calls"_s), page.calls.join(u'\n').toUtf8() + '\n');
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: mypages-write DIR\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.mkpath(QStringLiteral(".")))
        return 1;
    mypages::MyEbayOptions us;
    us.seed = 7;
    us.rowsPerSection = 6;
    mypages::MyEbayOptions uk = us;
    uk.seed = 8;
    uk.country = QStringLiteral("United Kingdom");
    mypages::MyEbayOptions big;
    big.seed = 9;
    big.rowsPerSection = 230;
    const QString item = mypages::myEbayItems(us).value(0);
    const bool ok = writePage(dir, QStringLiteral("myebay-us"), mypages::myEbayPage(us)) &&
        writePage(dir, QStringLiteral("myebay-uk"), mypages::myEbayPage(uk)) &&
        writePage(dir, QStringLiteral("myebay-230rows"), mypages::myEbayPage(big)) &&
        writePage(dir, QStringLiteral("item-secure"), mypages::itemPage(item, 7, true)) &&
        writePage(dir, QStringLiteral("item-plain"), mypages::itemPage(item, 7, false)) &&
        writePage(dir, QStringLiteral("paypal-10"), mypages::payPalAccountPage(7, 10)) &&
        writePage(dir, QStringLiteral("paypal-20"), mypages::payPalAccountPage(8, 20));
    return ok ? 0 : 1;
}
