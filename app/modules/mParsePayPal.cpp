#include "app/modules/mParsePayPal.h"

namespace mParse {

void AddBalanceLine(const MarkedPage &accountPage, ItemTreeSink &tree)
{
    qint64 p = 0, e = 0;
    Set(p, accountPage.Find(U"_history", 1) + 2);
    Set(p, accountPage.Find(U"_history", p)); // the history link of the balance, not of the tab
    Set(p, accountPage.Find(U"$", p));
    Set(e, accountPage.Find(U"</a>", p));
    if (const Cut amount = accountPage.Text(p, e))
        tree.AddPayPalBalanceLine(QStringLiteral("Balance: ") + *amount);
}

void AddActivityLines(const MarkedPage &accountPage, ItemTreeSink &tree)
{
    qint64 start = 0, stop = 0, pos = 0, c = 0, q = 0, e = 0, last = 0;
    Set(start, accountPage.Find(U"Recent Activity", 1) + 2);
    Set(start, accountPage.Find(U"Recent Activity", start));
    Set(stop, accountPage.Find(U"Mobile", start));
    pos = start;

    // The line keeps its value from row to row when a cut fails, as the section routines' fields
    // do; a step that cannot cut adds neither its separator nor its text.
    QString line;
    const auto append = [&line](QStringView separator, const Cut &cell) {
        if (cell) {
            line += separator;
            line += *cell;
        }
    };
    for (int rows = 0; rows < kMaxActivityRows; ++rows) {
        // Each row must start past the previous one, or a broken row would repeat.
        const Pos found = accountPage.Find(U"checkbox", pos);
        if (!found.done || found.value == 0 || found.value > stop || found.value <= last)
            return;
        c = last = found.value;

        // Date: the cell without its closing "</nobr>".
        Set(q, accountPage.Find(U"ppsmalltext", c) + 19);
        Set(e, accountPage.Find(U"</td>", q));
        Set(line, accountPage.Text(q, e - 7));
        Set(q, accountPage.Find(U"ppsmalltext", q) + 19); // type
        Set(e, accountPage.Find(U"</span>", q));
        append(u" ", accountPage.Text(q, e));
        Set(q, accountPage.Find(U"ppsmalltext", q) + 19); // name
        Set(e, accountPage.Find(U"</span>", q));
        append(u" ", accountPage.Text(q, e));
        Set(q, accountPage.Find(U"ppsmalltext", q) + 13); // amount
        Set(e, accountPage.Find(U"&nb", q));
        append(u", $", accountPage.Text(q, e));
        Set(q, accountPage.Find(U"ppsmalltext", q) + 19); // status
        Set(e, accountPage.Find(U"</span>", q));
        append(u", ", accountPage.Text(q, e));
        Set(q, accountPage.Find(U"accounts_page", q) + 15); // details link
        Set(e, accountPage.Find(U"</A>", q));
        append(u", ", accountPage.Text(q, e));

        tree.AddPayPalLine(line);
        pos = q;
    }
}

} // namespace mParse
