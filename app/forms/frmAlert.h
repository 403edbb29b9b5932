// "Auction Alert": the small window the alert tick brings up when auctions the user follows are
// about to end. Up to six lines, each opening its item page; four beeps whenever a show fills a
// line. Records that find no free line wait, still warned, for the next show, which fills a fresh
// window once this one has been closed, so no warned auction is ever dropped.
#pragma once

#include "app/modules/mAlerts.h"

#include <QList>
#include <QString>
#include <QWidget>

#include <array>

class QLabel;

// One auction a show put on a line: what the desktop notification tells about it.
struct AlertLine {
    QString item;
    QString itemName;
    QString price;
    int minutesLeft = 0;
};

class frmAlert : public QWidget {
    Q_OBJECT

public:
    static constexpr int kLineCount = 6;

    explicit frmAlert(QWidget *parent = nullptr);
    Q_DISABLE_COPY(frmAlert)

    // The one window, created on first use and destroyed before the application object.
    static frmAlert *instance();

    // A closed window starts empty; an open one keeps its lines. Fills the free lines, in list
    // order, with the records the tick has warned about that no window has listed yet (their
    // TimeLeft becomes 88), beeps four times when it filled any, and shows the window (an open one
    // is brought forward). Records beyond the free lines are left for a later show. O(list).
    QList<AlertLine> ShowAlerts(mAlerts &list, int alertTime);

    // Shows the window as it is, in front (the notification's click).
    void bringForward();

    // Line n (1..6): its label, and the page it opens (empty for an empty line).
    QLabel *Text(int n) const;
    QString address(int n) const;
    int filledLines() const { return m_filled; }

    // Clicking line n opens its address when it has one; clicking Label2 closes the window.
    void textClick(int n);
    void label2Click();

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Picture1 = nullptr;

    static QString lineText(int n, const QString &price, const QString &itemName);
    // The item's view page on the eBay item site of `eBayCountry`; the number percent-encoded.
    static QString itemAddress(const QString &item, const QString &eBayCountry);

private:
    static void destroyInstance();
    void clearLines();
    void fillLine(int n, const clsAlert &record);

    std::array<QLabel *, kLineCount> m_text {};
    std::array<QString, kLineCount> m_address;
    int m_filled = 0;
};
