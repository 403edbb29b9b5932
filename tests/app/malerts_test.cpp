// The alert list and its countdown. The tick never looks at a clock, so each test drives it by
// calling Tick as the one-minute timer would.
#include "app/modules/mAlerts.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

TEST(ReadEndTime, Parts)
{
    struct Case {
        const char *text;
        std::optional<EndTimeParts> expected;
    };
    const Case cases[] = { { "2d 03h 15m", EndTimeParts { 2, 3, 15 } },
        { "12\u00A0m", EndTimeParts { 0, 0, 12 } },
        { "45 mins 10 secs", EndTimeParts { 0, 0, 45 } },
        { "ends in 7m", EndTimeParts { 0, 0, 7 } }, // the "d" of "ends" has no digits before it
        { "123456789012345678901234567890m", EndTimeParts { 0, 0, 9999 } },
        { "0m", EndTimeParts { 0, 0, 0 } }, { "12M", std::nullopt }, // lower case only
        { "Ended", std::nullopt }, { "", std::nullopt }, { "--", std::nullopt } };
    for (const Case &c : cases)
        EXPECT_EQ(ReadEndTime(QString::fromUtf8(c.text)), c.expected) << c.text;
}

struct Fixture {
    mAlerts alerts;
    int shown = 0;
    Fixture()
    {
        alerts.setShowWindowHandler([this] { ++shown; });
    }
    // Ticks until the window is shown; the tick number, or 0 when it never is within `limit`.
    int ticksUntilShown(int alertTime, int limit = 100)
    {
        for (int tick = 1; tick <= limit; ++tick) {
            const int before = shown;
            alerts.Tick(alertTime);
            if (shown > before)
                return tick;
        }
        return 0;
    }
};

TEST(AlertTick, WhenARecordWarns)
{
    struct Case {
        const char *name;
        const char *endTime;
        int alertTime;
        int warnsOnTick; // 0: never
    };
    const Case cases[] = {
        { "12 minutes, warn at 5: the eighth tick", "12m", 5, 8 },
        { "exactly at the warning time", "10m", 10, 1 },
        { "zero days and hours count as none", "0d 00h 06m", 5, 2 },
        { "a day part never counts down", "1d 00h 03m", 15, 0 },
        { "unreadable never alerts", "", 15, 0 },
        { "minutes only, not read as days", "12m", 10, 3 },
    };
    for (const Case &c : cases) {
        Fixture f;
        f.alerts.QueueAlert(u"1"_s, u"Lamp"_s, QString::fromUtf8(c.endTime), u"$5.00"_s);
        EXPECT_EQ(f.ticksUntilShown(c.alertTime), c.warnsOnTick) << c.name;
    }
}

TEST(AlertTick, CountsDownWithoutRereadingAndWarnsOnce)
{
    Fixture f;
    f.alerts.QueueAlert(u"1"_s, u"Lamp"_s, u"12m"_s, u"$5.00"_s);
    clsAlert &record = *f.alerts.At(1);
    EXPECT_EQ(record.TimeLeft(), clsAlert::kNotRead);
    f.alerts.Tick(5);
    EXPECT_EQ(record.TimeLeft(), 11);
    record.setEndTime(u"40m"_s); // the page is read once per refresh, not per tick
    f.alerts.Tick(5);
    EXPECT_EQ(record.TimeLeft(), 10);
    EXPECT_EQ(f.ticksUntilShown(5), 6);
    EXPECT_TRUE(record.AlertDisplayed());
    EXPECT_EQ(record.TimeLeft(), 5);
    EXPECT_EQ(f.ticksUntilShown(5), 1) << "warned, but no window has listed it yet";
    EXPECT_EQ(record.TimeLeft(), 5) << "a warned record is not counted down again";
    record.setTimeLeft(clsAlert::kListed);
    EXPECT_EQ(f.ticksUntilShown(5), 0) << "listed: nothing left to show";
}

TEST(AlertList, QueueRemoveClearAndMark)
{
    mAlerts alerts;
    alerts.QueueAlert(u"1"_s, u"Lamp"_s, u"12m"_s, u"$5.00"_s);
    alerts.QueueAlert(u"2"_s, u"Clock"_s, u"3m"_s, u"$9.00"_s);
    alerts.Tick(5); // 1 counts to 11, 2 is warned
    ASSERT_EQ(alerts.Count(), 2);
    EXPECT_TRUE(alerts.At(2)->AlertDisplayed());

    // Queuing again: no second record, counted minutes and texts kept, the warning re-armed.
    alerts.At(2)->setShowAlert(true);
    alerts.QueueAlert(u"2"_s, u"Other title"_s, u"50m"_s, u"$1.00"_s);
    alerts.QueueAlert(u"1"_s, u"Lamp"_s, u"12m"_s, u"$5.00"_s);
    ASSERT_EQ(alerts.Count(), 2);
    EXPECT_EQ(alerts.At(1)->TimeLeft(), 11);
    EXPECT_FALSE(alerts.At(2)->AlertDisplayed());
    EXPECT_FALSE(alerts.At(2)->ShowAlert());
    EXPECT_EQ(alerts.At(2)->EndTime(), u"3m"_s);

    alerts.MarkAlertDisplayed(0);
    alerts.MarkAlertDisplayed(3);
    EXPECT_FALSE(alerts.At(1)->AlertDisplayed() || alerts.At(2)->AlertDisplayed());
    EXPECT_EQ(alerts.At(0), nullptr);
    EXPECT_EQ(alerts.At(3), nullptr);

    alerts.RemoveAlert(u"1"_s);
    alerts.RemoveAlert(u"not listed"_s);
    ASSERT_EQ(alerts.Count(), 1);
    EXPECT_EQ(alerts.At(1)->Item(), u"2"_s);
    alerts.ClearAlerts();
    EXPECT_EQ(alerts.Count(), 0);
}

TEST(AlertList, AListedRecordQueuedAgainCountsOnFromItsMarker)
{
    Fixture f;
    f.alerts.QueueAlert(u"1"_s, u"Lamp"_s, u"3m"_s, u"$5.00"_s);
    f.alerts.Tick(5);
    f.alerts.At(1)->setTimeLeft(clsAlert::kListed); // what the alert window writes
    f.alerts.QueueAlert(u"1"_s, u"Lamp"_s, u"3m"_s, u"$5.00"_s); // listed twice on one page
    f.alerts.Tick(5);
    EXPECT_EQ(f.alerts.At(1)->TimeLeft(), clsAlert::kListed - 1)
        << "88 is a count, not a marker, to the tick";
}

TEST(AlertTick, ANegativeWarningTimeNeverUnderflows)
{
    Fixture f;
    f.alerts.QueueAlert(u"1"_s, u"Lamp"_s, u"1m"_s, u"$5.00"_s);
    for (int i = 0; i < 40000; ++i)
        f.alerts.Tick(-100000);
    EXPECT_EQ(f.alerts.At(1)->TimeLeft(), std::numeric_limits<qint16>::min());
    EXPECT_EQ(f.shown, 0);
}

} // namespace
