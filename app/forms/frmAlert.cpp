#include "app/forms/frmAlert.h"

#include "app/forms/click_label.h"
#include "app/modules/mSettings.h"
#include "app/modules/mSounds.h"
#include "app/modules/sites.h"
#include "platform/ui/shell.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QUrl>
#include <QVBoxLayout>

#include <memory>

namespace {

std::unique_ptr<frmAlert> g_instance;

const QString kHeadingOne = QStringLiteral("Did you know this auction is ending...");
const QString kHeadingMany = QStringLiteral("Did you know these auctions are ending...");
constexpr int kPictureSize = 56;
constexpr int kLineWidth = 420;

// Picture1: an alarm clock with its hands near twelve, drawn so that no image file is needed.
QPixmap alarmClock()
{
    QPixmap pixmap(kPictureSize, kPictureSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(50, 50, 60);
    p.setPen(QPen(ink, 2));
    p.setBrush(QColor(200, 40, 40));
    p.drawEllipse(QRectF(6, 4, 14, 14)); // bells
    p.drawEllipse(QRectF(36, 4, 14, 14));
    p.drawLine(QPointF(16, 48), QPointF(11, 54)); // feet
    p.drawLine(QPointF(40, 48), QPointF(45, 54));
    p.setBrush(QColor(255, 250, 235));
    p.drawEllipse(QRectF(8, 9, 40, 40));
    p.setPen(QPen(ink, 1.5));
    for (int hour = 0; hour < 12; ++hour) {
        p.save();
        p.translate(28, 29);
        p.rotate(hour * 30.0);
        p.drawLine(QPointF(0, -17), QPointF(0, -14));
        p.restore();
    }
    p.setPen(QPen(ink, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(28, 29), QPointF(28, 15)); // minute hand at five to
    p.drawLine(QPointF(28, 29), QPointF(22, 20));
    p.setPen(QPen(QColor(200, 40, 40), 1.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(28, 29), QPointF(21, 17));
    return pixmap;
}

} // namespace

frmAlert::frmAlert(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmAlert"));
    setWindowTitle(QStringLiteral("Auction Alert"));
    // The main window may sit hidden in the tray: closing the alert must not end the program.
    setAttribute(Qt::WA_QuitOnClose, false);

    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setPixmap(alarmClock());
    Picture1->setFixedSize(kPictureSize, kPictureSize);

    Label1 = new QLabel(kHeadingOne, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont heading = Label1->font();
    heading.setBold(true);
    heading.setPointSizeF(heading.pointSizeF() * 1.15);
    Label1->setFont(heading);

    auto *top = new QHBoxLayout;
    top->addWidget(Picture1);
    top->addWidget(Label1, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);

    QFont lineFont(QStringLiteral("MS Sans Serif"));
    lineFont.setStyleHint(QFont::SansSerif);
    lineFont.setPointSize(9);
    for (int n = 1; n <= kLineCount; ++n) {
        auto *line = new ClickLabel(QString(), this);
        line->setObjectName(QStringLiteral("Text%1").arg(n));
        // Titles come from web pages: never let them be read as markup.
        line->setTextFormat(Qt::PlainText);
        line->setFont(lineFont);
        line->setMinimumWidth(kLineWidth);
        line->setStyleSheet(QStringLiteral("color: #0000c0"));
        connect(line, &ClickLabel::clicked, this, [this, n] { textClick(n); });
        m_text[std::size_t(n - 1)] = line;
        layout->addWidget(line);
    }

    auto *close = new ClickLabel(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("Label2"));
    close->setToolTip(QStringLiteral("Close Alert Window"));
    QFont closeFont = close->font();
    closeFont.setUnderline(true);
    close->setFont(closeFont);
    connect(close, &ClickLabel::clicked, this, &frmAlert::label2Click);
    Label2 = close;
    layout->addWidget(Label2, 0, Qt::AlignRight);
    clearLines();
}

frmAlert *frmAlert::instance()
{
    if (!g_instance) {
        static const bool registered = [] {
            qAddPostRoutine(&frmAlert::destroyInstance);
            return true;
        }();
        (void)registered;
        g_instance = std::make_unique<frmAlert>();
    }
    return g_instance.get();
}

void frmAlert::destroyInstance()
{
    g_instance.reset();
}

QLabel *frmAlert::Text(int n) const
{
    return n >= 1 && n <= kLineCount ? m_text[std::size_t(n - 1)] : nullptr;
}

QString frmAlert::address(int n) const
{
    return n >= 1 && n <= kLineCount ? m_address[std::size_t(n - 1)] : QString();
}

QString frmAlert::lineText(int n, const QString &price, const QString &itemName)
{
    return QString::number(n) + QStringLiteral(". ") + price + QStringLiteral(", ") + itemName +
        QStringLiteral("is ending...");
}

QString frmAlert::itemAddress(const QString &item, const QString &eBayCountry)
{
    return sites::siteUrl(sites::Role::Item, eBayCountry) +
        QStringLiteral("/aw-cgi/eBayISAPI.dll?ViewItem&item=") +
        QString::fromLatin1(QUrl::toPercentEncoding(item));
}

void frmAlert::clearLines()
{
    for (int n = 1; n <= kLineCount; ++n) {
        m_text[std::size_t(n - 1)]->clear();
        m_text[std::size_t(n - 1)]->setToolTip(QString());
        m_text[std::size_t(n - 1)]->setCursor(Qt::ArrowCursor);
        m_address[std::size_t(n - 1)].clear();
    }
    Label1->setText(kHeadingOne);
    m_filled = 0;
}

void frmAlert::fillLine(int n, const clsAlert &record)
{
    QLabel *line = m_text[std::size_t(n - 1)];
    line->setText(lineText(n, record.Price(), record.ItemName()));
    line->setToolTip(QStringLiteral("click to view auction"));
    line->setCursor(Qt::PointingHandCursor);
    m_address[std::size_t(n - 1)] = itemAddress(record.Item(), mSettings::settings.eBayCountry);
    if (n == 2)
        Label1->setText(kHeadingMany);
}

QList<AlertLine> frmAlert::ShowAlerts(mAlerts &list, int alertTime)
{
    if (isHidden())
        clearLines();
    QList<AlertLine> filled;
    for (qsizetype position = 1; position <= list.Count() && m_filled < kLineCount; ++position) {
        clsAlert &record = *list.At(position);
        if (!mAlerts::IsWaiting(record, alertTime))
            continue;
        filled.append({ record.Item(), record.ItemName(), record.Price(), record.TimeLeft() });
        ++m_filled;
        fillLine(m_filled, record);
        record.setTimeLeft(clsAlert::kListed);
    }
    if (!filled.isEmpty())
        mSounds::BeepTimes(mSounds::kAlertBeeps);
    bringForward();
    return filled;
}

void frmAlert::bringForward()
{
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void frmAlert::textClick(int n)
{
    const QString target = address(n);
    if (!target.isEmpty())
        platform::ui::shellOpenDocument(target);
}

void frmAlert::label2Click()
{
    close();
}
