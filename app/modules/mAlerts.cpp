#include "app/modules/mAlerts.h"

#include <algorithm>
#include <limits>

namespace {

constexpr int kPartCap = 9999;

bool isDigit(QChar ch)
{
    return ch >= u'0' && ch <= u'9';
}
bool isBlank(QChar ch)
{
    return ch == u' ' || ch == QChar(0x00A0);
}

// The digits that end at the first `letter` with digits before it, or nullopt.
std::optional<int> readPart(QStringView text, QChar letter)
{
    for (qsizetype at = text.indexOf(letter); at >= 0; at = text.indexOf(letter, at + 1)) {
        qsizetype end = at;
        while (end > 0 && isBlank(text[end - 1]))
            --end;
        qsizetype begin = end;
        while (begin > 0 && isDigit(text[begin - 1]))
            --begin;
        if (begin == end)
            continue;
        int value = 0;
        for (qsizetype i = begin; i < end; ++i)
            value = std::min(kPartCap, value * 10 + (text[i].unicode() - u'0'));
        return value;
    }
    return std::nullopt;
}

} // namespace

std::optional<EndTimeParts> ReadEndTime(QStringView endTime)
{
    const std::optional<int> d = readPart(endTime, u'd');
    const std::optional<int> h = readPart(endTime, u'h');
    const std::optional<int> m = readPart(endTime, u'm');
    if (!d && !h && !m)
        return std::nullopt;
    return EndTimeParts { d.value_or(0), h.value_or(0), m.value_or(0) };
}

void mAlerts::QueueAlert(
    const QString &item, const QString &itemName, const QString &timeLeft, const QString &price)
{
    for (clsAlert &record : m_records) {
        if (record.Item() == item) {
            record.setAlertDisplayed(false);
            record.setShowAlert(false);
            return;
        }
    }
    clsAlert record;
    record.setItem(item);
    record.setPrice(price);
    record.setItemName(itemName);
    record.setEndTime(timeLeft);
    record.setAlertDisplayed(false);
    record.setShowAlert(false);
    record.setTimeLeft(clsAlert::kNotRead);
    m_records.push_back(std::move(record));
}

void mAlerts::RemoveAlert(const QString &item)
{
    const auto it = std::find_if(m_records.begin(), m_records.end(),
        [&item](const clsAlert &record) { return record.Item() == item; });
    if (it != m_records.end())
        m_records.erase(it);
}

void mAlerts::ClearAlerts()
{
    m_records.clear();
}

void mAlerts::MarkAlertDisplayed(qsizetype position)
{
    if (clsAlert *record = At(position))
        record->setAlertDisplayed(true);
}

clsAlert *mAlerts::At(qsizetype position)
{
    if (position < 1 || position > Count())
        return nullptr;
    return &m_records[static_cast<std::size_t>(position - 1)];
}

const clsAlert *mAlerts::At(qsizetype position) const
{
    return const_cast<mAlerts *>(this)->At(position);
}

void mAlerts::Tick(int alertTime)
{
    bool showWindow = false;
    for (qsizetype position = 1; position <= Count(); ++position) {
        clsAlert &record = *At(position);
        if (record.AlertDisplayed())
            continue;
        const std::optional<EndTimeParts> parts = ReadEndTime(record.EndTime());
        if (!parts || parts->days > 0 || parts->hours > 0)
            continue;
        if (record.TimeLeft() == clsAlert::kNotRead)
            record.setTimeLeft(static_cast<qint16>(parts->minutes));
        if (record.TimeLeft() <= alertTime) {
            MarkAlertDisplayed(position);
            showWindow = true;
        } else if (record.TimeLeft() > std::numeric_limits<qint16>::min()) {
            record.setTimeLeft(static_cast<qint16>(record.TimeLeft() - 1));
        }
    }
    if (!showWindow) {
        showWindow = std::any_of(m_records.begin(), m_records.end(),
            [alertTime](const clsAlert &record) { return IsWaiting(record, alertTime); });
    }
    if (showWindow && m_showWindow)
        m_showWindow();
}

bool mAlerts::IsWaiting(const clsAlert &record, int alertTime)
{
    // 88 is checked by itself: with an alert time of 88 or more a listed record is still listed.
    return record.AlertDisplayed() && record.TimeLeft() != clsAlert::kListed &&
        record.TimeLeft() <= alertTime;
}

mAlerts &AlertList()
{
    static mAlerts list;
    return list;
}
