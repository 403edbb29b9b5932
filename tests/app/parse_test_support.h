// Helpers of the page reader tests: fixture files and running the readers into a call recorder.
#pragma once

#include "app/modules/mParse.h"
#include "app/modules/mParseLookUp.h"
#include "app/modules/mParsePayPal.h"
#include "tools/mypages/recorder.h"

#include <QFile>
#include <QString>
#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace parsetest {

inline QString fixturePath(const QString &name)
{
    return qEnvironmentVariable("BIDLARK_SOURCE_DIR") + u"/tests/fixtures/pages/"_s + name;
}

inline QByteArray readFixture(const QString &name)
{
    QFile file(fixturePath(name));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("missing fixture ") + name.toUtf8();
    return file.readAll();
}

// The expected calls stored beside a generated fixture, one per line.
inline QStringList expectedCalls(const QString &name)
{
    QStringList lines = QString::fromUtf8(readFixture(name)).split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

inline QStringList parseMyEbay(const QString &page, const QString &country = u"United States"_s)
{
    mypages::CallRecorder recorder;
    mParse::MyEbayParser(recorder, recorder, country).ParsePage(page);
    return recorder.lines;
}

inline QStringList readPayPal(const QString &page)
{
    mypages::CallRecorder recorder;
    const mParse::MarkedPage marked(page);
    mParse::AddBalanceLine(marked, recorder);
    mParse::AddActivityLines(marked, recorder);
    return recorder.lines;
}

// The lines of one section's rows ("ROW\t<section>\t...").
inline QStringList rowsOf(const QStringList &calls, const QString &section)
{
    const QString prefix = u"ROW\t"_s + section + u'\t';
    QStringList rows;
    for (const QString &line : calls) {
        if (line.startsWith(prefix))
            rows << line;
    }
    return rows;
}

} // namespace parsetest
