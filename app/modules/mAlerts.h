// The alert list: the running auctions the user watches or bids on, rebuilt by every refresh and
// counted down by the main window's one-minute tmAlert. The countdown never looks at the clock: it
// reads the minutes from the page once per refresh and takes one off per tick, so tests drive it by
// calling Tick and never wait.
#pragma once

#include "app/classes/clsAlert.h"
#include "app/modules/item_sink.h"

#include <QString>
#include <QStringView>

#include <chrono>
#include <functional>
#include <optional>
#include <vector>

// The interval of tmAlert, which the main window owns and whose timeout calls mAlerts::Tick.
inline constexpr std::chrono::milliseconds kAlertTickInterval { std::chrono::seconds(60) };

// A time-left text read into its parts. Each part is the run of ASCII digits that ends at the first
// occurrence of its letter ("d", "h", "m", lower case) that has digits before it, blanks between
// digits and letter allowed; a letter without such an occurrence counts 0. Parts are capped at 9999
// minutes/hours/days, which also keeps minutes inside the record's 16-bit TimeLeft.
struct EndTimeParts {
    int days = 0;
    int hours = 0;
    int minutes = 0;
    friend bool operator==(const EndTimeParts &, const EndTimeParts &) = default;
};

// nullopt when none of the three letters has digits before it ("Ended", blank, junk): such a record
// is never counted down and never alerts. "12m" reads 0, 0, 12, not 12 days. O(n).
std::optional<EndTimeParts> ReadEndTime(QStringView endTime);

class mAlerts final : public AlertSink {
public:
    mAlerts() = default;
    Q_DISABLE_COPY_MOVE(mAlerts)

    // Appends a record for a new item (TimeLeft not read yet). For an item already listed only
    // AlertDisplayed and ShowAlert go back to no; its counted minutes and texts stay. O(n).
    void QueueAlert(const QString &item, const QString &itemName, const QString &timeLeft,
        const QString &price) override;
    // Removes the item's record, if any. O(n).
    void RemoveAlert(const QString &item) override;
    void ClearAlerts();
    // Sets AlertDisplayed of the record at a 1-based list position; other positions do nothing.
    void MarkAlertDisplayed(qsizetype position);

    // One tick of tmAlert. For each record not yet warned about, in list order: a record with a
    // day or hour part is left alone; otherwise its minutes are read on its first tick, and it is
    // marked when they are at most alertTime, else counted down by one. After the loop the
    // show-window handler runs once if any record was marked in this tick, or if a record warned
    // before still waits for a line (a full alert window left it out).
    void Tick(int alertTime);

    // A record the tick has warned about that no alert window has listed yet.
    static bool IsWaiting(const clsAlert &record, int alertTime);

    // Called by Tick to show the alert window without waiting for it.
    void setShowWindowHandler(std::function<void()> handler) { m_showWindow = std::move(handler); }

    // The records in list order, for the alert window, which writes their TimeLeft. Positions are
    // 1-based; At returns nullptr outside 1..Count().
    qsizetype Count() const { return static_cast<qsizetype>(m_records.size()); }
    clsAlert *At(qsizetype position);
    const clsAlert *At(qsizetype position) const;

private:
    std::vector<clsAlert> m_records;
    std::function<void()> m_showWindow;
};

// The program's alert list, created on first use.
mAlerts &AlertList();
