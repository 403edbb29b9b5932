// Records every call the page readers make as one text line, in call order: the format of the
// myebay-dump tool, of the expected calls the page generator returns, and of the tests' recording
// double. Fields are escaped so that one call is always one line.
#pragma once

#include "app/modules/item_sink.h"

#include <QString>
#include <QStringList>

namespace mypages {

// Writes a backslash as "\\", a tab as "\t", a line feed as "\n", a carriage return as "\r".
QString escapeField(const QString &field);

// "ROW\tWatching\t<display line>\t<item>\t<colour>" and so on, fields escaped.
QString rowLine(const QString &section, const QString &displayLine, const QString &item,
    const QString &colour = QString());
QString queueLine(
    const QString &item, const QString &itemName, const QString &timeLeft, const QString &price);
QString removeLine(const QString &item);
QString payPalLine(const QString &text);

class CallRecorder final : public ItemTreeSink, public AlertSink {
public:
    QStringList lines;

    void AddWatchingLine(const QString &displayLine, const QString &item) override;
    void AddBiddingLine(
        const QString &displayLine, const QString &item, const QString &colour) override;
    void AddSellingLine(
        const QString &displayLine, const QString &item, const QString &colour) override;
    void AddSoldLine(const QString &displayLine, const QString &item) override;
    void AddUnsoldLine(const QString &displayLine, const QString &item) override;
    void AddWonLine(const QString &displayLine, const QString &item) override;
    void AddDidntWinLine(const QString &displayLine, const QString &item) override;
    void AddPayPalLine(const QString &text) override;
    void AddPayPalBalanceLine(const QString &text) override;
    void QueueAlert(const QString &item, const QString &itemName, const QString &timeLeft,
        const QString &price) override;
    void RemoveAlert(const QString &item) override;
};

} // namespace mypages
