// One auction the alert timer counts down: what the page said at the last refresh and what the
// timer has made of it since. A plain record; the alert list owns the records.
#pragma once

#include <QString>
#include <QtGlobal>

class clsAlert {
public:
    // TimeLeft before the tick has read the page's time for this record.
    static constexpr qint16 kNotRead = 99;
    // TimeLeft once the alert window has listed the record, so it is never listed twice.
    static constexpr qint16 kListed = 88;

    qint16 TimeLeft() const { return m_timeLeft; }
    void setTimeLeft(qint16 minutes) { m_timeLeft = minutes; }
    const QString &Price() const { return m_price; }
    void setPrice(const QString &price) { m_price = price; }
    bool AlertDisplayed() const { return m_alertDisplayed; }
    void setAlertDisplayed(bool displayed) { m_alertDisplayed = displayed; }
    bool ShowAlert() const { return m_showAlert; }
    void setShowAlert(bool show) { m_showAlert = show; }
    const QString &ItemName() const { return m_itemName; }
    void setItemName(const QString &name) { m_itemName = name; }
    // The time-left text as the page showed it: "2d 03h 15m", "12m", "Ended", ...
    const QString &EndTime() const { return m_endTime; }
    void setEndTime(const QString &text) { m_endTime = text; }
    // The item number; the key of the record in the alert list.
    const QString &Item() const { return m_item; }
    void setItem(const QString &item) { m_item = item; }

private:
    qint16 m_timeLeft = kNotRead;
    QString m_price;
    bool m_alertDisplayed = false;
    bool m_showAlert = false;
    QString m_itemName;
    QString m_endTime;
    QString m_item;
};
