// myebay-dump: runs the page readers over a saved page and prints every call they make, one per
// line, so a page that no longer parses can be diagnosed from the shell.
//
//   myebay-dump [--country NAME] [--charset NAME] [--ticks N --alert-time M] PAGE
//   myebay-dump --item PAGE      the three item page look-ups
//   myebay-dump --paypal PAGE    the PayPal balance and activity lines
//   myebay-dump --help
#include "app/modules/mAlerts.h"
#include "app/modules/mParse.h"
#include "app/modules/mParseLookUp.h"
#include "app/modules/mParsePayPal.h"
#include "tools/mypages/recorder.h"

#include <QFile>
#include <QStringDecoder>

#include <cstdio>
#include <cstring>

using namespace Qt::Literals::StringLiterals;

namespace {

// Hands every alert call to the recorder and to a real alert list, so ticks can run afterwards.
class AlertTee final : public AlertSink {
public:
    AlertTee(AlertSink &a, AlertSink &b)
        : m_a(a)
        , m_b(b)
    {
    }
    void QueueAlert(const QString &item, const QString &itemName, const QString &timeLeft,
        const QString &price) override
    {
        m_a.QueueAlert(item, itemName, timeLeft, price);
        m_b.QueueAlert(item, itemName, timeLeft, price);
    }
    void RemoveAlert(const QString &item) override
    {
        m_a.RemoveAlert(item);
        m_b.RemoveAlert(item);
    }

private:
    AlertSink &m_a;
    AlertSink &m_b;
};

void print(const QString &line)
{
    const QByteArray utf8 = line.toUtf8();
    std::fwrite(utf8.constData(), 1, static_cast<std::size_t>(utf8.size()), stdout);
    std::fputc('\n', stdout);
}

constexpr const char *kUsage =
    "usage: myebay-dump [--country NAME] [--charset NAME] [--ticks N --alert-time M] PAGE\n"
    "       myebay-dump [--charset NAME] --item PAGE\n"
    "       myebay-dump [--charset NAME] --paypal PAGE\n"
    "       myebay-dump --help\n";

int usage()
{
    std::fputs(kUsage, stderr);
    return 2;
}

// Whether the page decoder knows `name`: it reads an unknown name as Windows-1252, which is right
// for a download but would make a mistyped option look like a page that does not parse.
bool KnownCharset(const QByteArray &name)
{
    static const char *const kDecoderNames[] = { "windows-1252", "cp1252", "iso-8859-1", "latin1",
        "us-ascii", "ascii", "utf-8", "utf8" };
    const QByteArray folded = name.trimmed().toLower();
    for (const char *alias : kDecoderNames) {
        if (folded == alias)
            return true;
    }
    return QStringDecoder(folded.constData()).isValid();
}

bool readNumber(const char *text, int &out)
{
    bool ok = false;
    out = QByteArray(text).toInt(&ok);
    return ok && out >= 0;
}

} // namespace

int main(int argc, char **argv)
{
    QString country = QStringLiteral("United States");
    QByteArray charset = "windows-1252";
    enum class Mode { MyEbay, Item, PayPal } mode = Mode::MyEbay;
    int ticks = 0, alertTime = -1;
    const char *path = nullptr;
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(arg, "--country") == 0 && hasValue) {
            country = QString::fromLocal8Bit(argv[++i]);
        } else if (std::strcmp(arg, "--charset") == 0 && hasValue) {
            charset = argv[++i];
            if (!KnownCharset(charset)) {
                std::fprintf(stderr, "myebay-dump: unknown charset %s\n", charset.constData());
                return 2;
            }
        } else if (std::strcmp(arg, "--ticks") == 0 && hasValue) {
            if (!readNumber(argv[++i], ticks))
                return usage();
        } else if (std::strcmp(arg, "--alert-time") == 0 && hasValue) {
            if (!readNumber(argv[++i], alertTime))
                return usage();
        } else if (std::strcmp(arg, "--item") == 0 && hasValue && !path) {
            mode = Mode::Item;
            path = argv[++i];
        } else if (std::strcmp(arg, "--paypal") == 0 && hasValue && !path) {
            mode = Mode::PayPal;
            path = argv[++i];
        } else if (arg[0] != '-' && !path) {
            path = arg;
        } else {
            return usage();
        }
    }
    if (!path || (ticks > 0 && alertTime < 0))
        return usage();

    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "myebay-dump: cannot read %s\n", path);
        return 1;
    }
    const mParse::MarkedPage page(mParse::DecodePage(file.readAll(), charset));

    mypages::CallRecorder recorder;
    if (mode == Mode::Item) {
        print(u"SELLER\t"_s + mypages::escapeField(mParse::LookUpSeller(page)));
        print(u"BIDDER\t"_s + mypages::escapeField(mParse::LookUpHighBidder(page)));
        print(u"PAYPAL\t"_s + mypages::escapeField(mParse::LookUpPayPalId(page)));
        return 0;
    }
    if (mode == Mode::PayPal) {
        mParse::AddBalanceLine(page, recorder);
        mParse::AddActivityLines(page, recorder);
        for (const QString &line : recorder.lines)
            print(line);
        return 0;
    }

    mAlerts alerts;
    AlertTee tee(recorder, alerts);
    mParse::MyEbayParser(recorder, tee, country).ParsePage(page);
    for (const QString &line : recorder.lines)
        print(line);
    for (int n = 1; n <= ticks; ++n) {
        std::vector<bool> before;
        for (qsizetype i = 1; i <= alerts.Count(); ++i)
            before.push_back(alerts.At(i)->AlertDisplayed());
        bool shown = false;
        alerts.setShowWindowHandler([&shown] { shown = true; });
        alerts.Tick(alertTime);
        if (!shown)
            continue;
        QString line = u"TICK\t"_s + QString::number(n);
        for (qsizetype i = 1; i <= alerts.Count(); ++i) {
            if (alerts.At(i)->AlertDisplayed() && !before[static_cast<std::size_t>(i - 1)])
                line += u'\t' + mypages::escapeField(alerts.At(i)->Item());
        }
        print(line);
    }
    return 0;
}
