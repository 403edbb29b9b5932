#include "tools/mypages/recorder.h"

using namespace Qt::Literals::StringLiterals;

namespace mypages {

QString escapeField(const QString &field)
{
    QString out;
    out.reserve(field.size());
    for (const QChar ch : field) {
        switch (ch.unicode()) {
        case u'\\':
            out += u"\\\\"_s;
            break;
        case u'\t':
            out += u"\\t"_s;
            break;
        case u'\n':
            out += u"\\n"_s;
            break;
        case u'\r':
            out += u"\\r"_s;
            break;
        default:
            out += ch;
        }
    }
    return out;
}

namespace {
QString joinFields(std::initializer_list<QString> fields)
{
    QString line;
    bool first = true;
    for (const QString &field : fields) {
        if (!first)
            line += u'\t';
        line += first ? field : escapeField(field);
        first = false;
    }
    return line;
}
} // namespace

QString rowLine(
    const QString &section, const QString &displayLine, const QString &item, const QString &colour)
{
    return joinFields({ QStringLiteral("ROW"), section, displayLine, item, colour });
}

QString queueLine(
    const QString &item, const QString &itemName, const QString &timeLeft, const QString &price)
{
    return joinFields({ QStringLiteral("QUEUE"), item, itemName, timeLeft, price });
}

QString removeLine(const QString &item)
{
    return joinFields({ QStringLiteral("REMOVE"), item });
}

QString payPalLine(const QString &text)
{
    return joinFields({ QStringLiteral("LINE"), text });
}

void CallRecorder::AddWatchingLine(const QString &displayLine, const QString &item)
{
    lines << rowLine(QStringLiteral("Watching"), displayLine, item);
}

void CallRecorder::AddBiddingLine(
    const QString &displayLine, const QString &item, const QString &colour)
{
    lines << rowLine(QStringLiteral("Bidding"), displayLine, item, colour);
}

void CallRecorder::AddSellingLine(
    const QString &displayLine, const QString &item, const QString &colour)
{
    lines << rowLine(QStringLiteral("Selling"), displayLine, item, colour);
}

void CallRecorder::AddSoldLine(const QString &displayLine, const QString &item)
{
    lines << rowLine(QStringLiteral("Sold"), displayLine, item);
}

void CallRecorder::AddUnsoldLine(const QString &displayLine, const QString &item)
{
    lines << rowLine(QStringLiteral("Unsold"), displayLine, item);
}

void CallRecorder::AddWonLine(const QString &displayLine, const QString &item)
{
    lines << rowLine(QStringLiteral("Won"), displayLine, item);
}

void CallRecorder::AddDidntWinLine(const QString &displayLine, const QString &item)
{
    lines << rowLine(QStringLiteral("DidntWin"), displayLine, item);
}

void CallRecorder::AddPayPalLine(const QString &text)
{
    lines << payPalLine(text);
}

void CallRecorder::AddPayPalBalanceLine(const QString &text)
{
    lines << payPalLine(text);
}

void CallRecorder::QueueAlert(
    const QString &item, const QString &itemName, const QString &timeLeft, const QString &price)
{
    lines << queueLine(item, itemName, timeLeft, price);
}

void CallRecorder::RemoveAlert(const QString &item)
{
    lines << removeLine(item);
}

} // namespace mypages
