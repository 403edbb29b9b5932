// The alert window driven by the alert tick, as the main window drives it: which warned auctions
// get a line and when, the beeps, the lines' pages, and the desktop notification beside it.
#include "app/forms/frmAlert.h"
#include "app/forms/frmMain.h"
#include "app/modules/mSounds.h"
#include "app/modules/sites.h"
#include "platform/ui/shell.h"
#include "tests/app/shell_test_support.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>

#include <map>

using namespace Qt::Literals::StringLiterals;

namespace {

// Lets the beeps that follow the first one sound (they are 100 ms apart), then a little more so a
// fifth would be counted too.
void letBeepsFinish()
{
    QTest::qWait(int(mSounds::kBeepGap.count()) * mSounds::kAlertBeeps + 50);
}

const QString kOne = u"Did you know this auction is ending..."_s;
const QString kMany = u"Did you know these auctions are ending..."_s;

class AlertTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        mSettings::settings.alertTime = 5;
        mSettings::settings.eBayCountry = u"United States"_s;
        list.setShowWindowHandler(
            [this] { window.ShowAlerts(list, mSettings::settings.alertTime); });
    }

    void queue(int n, const QString &endTime)
    {
        list.QueueAlert(
            QString::number(1000 + n), u"Item %1 "_s.arg(n), endTime, u"$%1.00"_s.arg(n));
    }
    QStringList lines() const
    {
        QStringList out;
        for (int n = 1; n <= frmAlert::kLineCount; ++n)
            out << window.Text(n)->text();
        return out;
    }
    // Counts each item a window has put on a line, by the line's page.
    void countListed()
    {
        for (int n = 1; n <= window.filledLines(); ++n)
            ++listed[window.address(n)];
    }

    mAlerts list;
    frmAlert window;
    mSounds::SoundRecorder sounds;
    platform::ui::ShellRecorder shell;
    std::map<QString, int> listed;
};

TEST_F(AlertTest, LineTextAndPages)
{
    list.QueueAlert(u"1001"_s, u"Title of item"_s, u"4m"_s, u"$12.50"_s);
    list.QueueAlert(u"12 34&x=<b>"_s, u"<b>Bold</b> & more "_s, u"2m"_s, u"$1"_s);
    list.Tick(5);
    EXPECT_EQ(lines().mid(0, 2),
        (QStringList { u"1. $12.50, Title of itemis ending..."_s,
            u"2. $1, <b>Bold</b> & more is ending..."_s }));
    EXPECT_EQ(window.Text(2)->textFormat(), Qt::PlainText) << "page titles are not markup";

    const QString view = sites::siteUrl(sites::Role::Item, sites::Country::US) +
        u"/aw-cgi/eBayISAPI.dll?ViewItem&item="_s;
    window.show();
    for (int n : { 1, 3, 2, 6 })
        QTest::mouseClick(window.Text(n), Qt::LeftButton);
    EXPECT_EQ(shell.opened(), (QStringList { view + u"1001"_s, view + u"12%2034%26x%3D%3Cb%3E"_s }))
        << "empty lines do nothing";
    EXPECT_TRUE(window.isVisible()) << "the window stays open";

    // Closing the alert must not end a program whose main window sits in the tray.
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
    QTest::mouseClick(window.Label2, Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(lastClosed.count(), 0);
}

// One window through the ticks: which warned records get a line and when, the heading, the beeps,
// and that every warned record is listed exactly once however full the window is.
TEST_F(AlertTest, FirstShowHeadingLinesAndBeeps)
{
    struct Step {
        const char *name;
        QStringList queued; // end times, numbered on from the records queued before
        bool closeFirst;
        int alertTime;
        int filled; // lines filled after the tick; 0: the window is not shown
        QString heading; // empty: not checked
        int beeps; // beeps of this tick
    } const steps[] = {
        { "none warned", { u"0d 02h 03m"_s, u"9m"_s }, false, 5, 0, {}, 0 },
        { "one warned", { u"3m"_s }, false, 5, 1, kOne, 4 },
        { "eight more warned while open: the free lines", QStringList(8, u"3m"_s), false, 5, 6, {},
            4 },
        { "full window stays as it is", {}, false, 5, 6, {}, 0 },
        { "closed: a fresh window takes the waiting and the newly warned", {}, true, 5, 4, kMany,
            4 },
        { "an alert time above the listed mark lists nobody twice", {}, false, 90, 4, kMany, 0 },
    };
    int queued = 0;
    for (const Step &s : steps) {
        SCOPED_TRACE(s.name);
        for (const QString &endTime : s.queued)
            queue(++queued, endTime);
        if (s.closeFirst) {
            countListed();
            QTest::mouseClick(window.Label2, Qt::LeftButton);
        }
        const int before = sounds.beeps();
        list.Tick(s.alertTime);
        letBeepsFinish();
        EXPECT_EQ(window.isVisible(), s.filled > 0);
        EXPECT_EQ(window.filledLines(), s.filled);
        EXPECT_EQ(sounds.beeps() - before, s.beeps);
        for (int n = 1; n <= frmAlert::kLineCount && s.filled; ++n)
            EXPECT_EQ(window.Text(n)->text().isEmpty(), n > s.filled) << n;
        if (!s.heading.isEmpty()) {
            EXPECT_EQ(window.Label1->text(), s.heading);
        }
    }
    countListed();
    ASSERT_EQ(listed.size(), 10u);
    for (const auto &[page, times] : listed)
        EXPECT_EQ(times, 1) << page.toStdString();
    // The second window lists in queue order, whenever each record was warned.
    EXPECT_TRUE(lines()[0].startsWith(u"1. $2.00, Item 2"_s)) << lines()[0].toStdString();
    EXPECT_TRUE(lines()[3].startsWith(u"4. $11.00, Item 11"_s)) << lines()[3].toStdString();
}

// The main window with the tray's message recorded instead of sent.
class NotifyingMain : public frmMain {
public:
    void showDesktopNotification(const QString &title, const QString &text) override
    {
        notifications << title + u'|' + text;
    }
    QStringList notifications;
};

TEST_F(AlertTest, DesktopNotificationWhenTheMainWindowIsHidden)
{
    list.setShowWindowHandler({});
    struct Case {
        const char *name;
        bool shown;
        bool minimised;
        bool notified;
    } const cases[] = {
        { "hidden in the tray", false, false, true },
        { "minimised", true, true, true },
        { "in front", true, false, false },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        AlertList().ClearAlerts();
        frmAlert::instance()->close();
        NotifyingMain w;
        if (c.shown) {
            w.show();
            w.activateWindow();
            if (c.minimised)
                w.setWindowState(Qt::WindowMinimized);
            QTest::qWait(20);
        }
        AlertList().QueueAlert(u"1001"_s, u"Brass desk lamp "_s, u"3m"_s, u"$12.50"_s);
        AlertList().QueueAlert(u"1002"_s, u"Tin robot "_s, u"0d 00h 05m"_s, u"$7.00"_s);
        w.tmAlertTick();
        EXPECT_TRUE(frmAlert::instance()->isVisible());
        EXPECT_EQ(frmAlert::instance()->filledLines(), 2);
        if (!c.notified) {
            EXPECT_EQ(w.notifications, QStringList());
            continue;
        }
        EXPECT_EQ(w.notifications,
            QStringList { u"Auction Alert|Brass desk lamp ($12.50, 3 min left)\n"
                          u"Tin robot ($7.00, 5 min left)"_s });
        // Nothing new on the next tick: no second notification.
        w.tmAlertTick();
        EXPECT_EQ(w.notifications.size(), 1);
        // Clicking the message brings back the window, lines and all.
        frmAlert::instance()->close();
        emit w.Tray->messageClicked();
        EXPECT_TRUE(frmAlert::instance()->isVisible());
        EXPECT_EQ(frmAlert::instance()->filledLines(), 2);
    }
    AlertList().ClearAlerts();
    frmAlert::instance()->close();
}

} // namespace
