#include "app/forms/frmMainPictures.h"

#include "app/modules/mStartup.h"
#include "app/modules/sites.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace frmMainPictures {

namespace {

// Every picture is drawn on a 16-unit grid and scaled to its size.
class Canvas {
public:
    Canvas(int size, const QColor &background)
        : m_pixmap(size, size)
    {
        m_pixmap.fill(background);
        m_painter.begin(&m_pixmap);
        m_painter.setRenderHint(QPainter::Antialiasing);
        m_painter.scale(size / 16.0, size / 16.0);
    }
    QPainter &p() { return m_painter; }
    QPixmap take()
    {
        m_painter.end();
        return m_pixmap;
    }

private:
    QPixmap m_pixmap;
    QPainter m_painter;
};

const QColor kOutline(50, 50, 50);

void pen(QPainter &p, const QColor &c, double width = 1.0)
{
    p.setPen(QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

void tag(QPainter &p, const QColor &fill)
{
    pen(p, kOutline);
    p.setBrush(fill);
    const QPointF shape[] = { { 1.5, 6 }, { 6, 1.5 }, { 14.5, 1.5 }, { 14.5, 10 }, { 10, 14.5 } };
    p.drawPolygon(shape, 5);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(11.5, 4.5), 1.3, 1.3);
}

void trophy(QPainter &p, const QColor &fill)
{
    pen(p, kOutline);
    p.setBrush(fill);
    QPainterPath cup;
    cup.moveTo(4, 2);
    cup.lineTo(12, 2);
    cup.cubicTo(12, 8, 10, 9.5, 8, 9.5);
    cup.cubicTo(6, 9.5, 4, 8, 4, 2);
    p.drawPath(cup);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(1.5, 2.5, 4, 4), 90 * 16, 180 * 16);
    p.drawArc(QRectF(10.5, 2.5, 4, 4), 270 * 16, 180 * 16);
    p.setBrush(fill);
    p.drawRect(QRectF(7, 9.5, 2, 3));
    p.drawRect(QRectF(4.5, 12.5, 7, 2));
}

void cross(QPainter &p)
{
    pen(p, QColor(210, 20, 20), 2.0);
    p.drawLine(QPointF(9.5, 9.5), QPointF(14.5, 14.5));
    p.drawLine(QPointF(14.5, 9.5), QPointF(9.5, 14.5));
}

void letter(QPainter &p, const QRectF &box, const QString &text, const QColor &colour, int px)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(px);
    font.setBold(true);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(box, Qt::AlignCenter, text);
}

void drawTreeImage(QPainter &p, int index)
{
    switch (index) {
    case 0: // sellicon: a price tag
        tag(p, QColor(255, 170, 60));
        break;
    case 1: // soldicon: a coin
        pen(p, QColor(20, 110, 20));
        p.setBrush(QColor(110, 200, 90));
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        letter(p, QRectF(0, 0, 16, 16), QStringLiteral("$"), Qt::white, 11);
        break;
    case 2: // bidicon: a gavel
        pen(p, kOutline);
        p.setBrush(QColor(150, 90, 40));
        p.save();
        p.translate(7, 6);
        p.rotate(-45);
        p.drawRect(QRectF(-4, -2.5, 8, 5));
        p.restore();
        pen(p, QColor(110, 60, 20), 2.0);
        p.drawLine(QPointF(8, 8), QPointF(13.5, 13.5));
        pen(p, kOutline);
        p.setBrush(QColor(180, 180, 180));
        p.drawRect(QRectF(1, 13, 7, 2));
        break;
    case 3: // wonicon: a gold cup
        trophy(p, QColor(250, 200, 40));
        break;
    case 4: // watchicon: an eye
        pen(p, QColor(20, 60, 140));
        p.setBrush(Qt::white);
        {
            QPainterPath eye;
            eye.moveTo(1, 8);
            eye.quadTo(8, 1, 15, 8);
            eye.quadTo(8, 15, 1, 8);
            p.drawPath(eye);
        }
        p.setBrush(QColor(40, 110, 220));
        p.drawEllipse(QPointF(8, 8), 3, 3);
        p.setBrush(Qt::black);
        p.drawEllipse(QPointF(8, 8), 1.2, 1.2);
        break;
    case 5: { // favoriteicon: a star
        pen(p, QColor(170, 120, 0));
        p.setBrush(QColor(255, 220, 40));
        QPolygonF star;
        for (int i = 0; i < 10; ++i) {
            const double r = i % 2 ? 3.0 : 7.0;
            const double a = -M_PI / 2 + i * M_PI / 5;
            star << QPointF(8 + r * std::cos(a), 8.5 + r * std::sin(a));
        }
        p.drawPolygon(star);
        break;
    }
    case 6: // categoryicon: a folder
        pen(p, QColor(150, 110, 20));
        p.setBrush(QColor(240, 200, 90));
        p.drawRect(QRectF(1.5, 3.5, 5, 2));
        p.drawRect(QRectF(1.5, 5, 13, 8.5));
        break;
    case 7: { // feedbackicon: a speech bubble
        pen(p, QColor(30, 90, 160));
        p.setBrush(QColor(180, 215, 250));
        QPainterPath bubble;
        bubble.addRoundedRect(QRectF(1.5, 2, 13, 8.5), 2.5, 2.5);
        bubble.moveTo(4, 10.5);
        bubble.lineTo(3.5, 14.5);
        bubble.lineTo(7.5, 10.5);
        p.drawPath(bubble.simplified());
        pen(p, QColor(30, 90, 160));
        p.drawLine(QPointF(4, 5), QPointF(12, 5));
        p.drawLine(QPointF(4, 7.5), QPointF(10, 7.5));
        break;
    }
    case 8: // personicon: head and shoulders
        pen(p, QColor(90, 50, 120));
        p.setBrush(QColor(190, 150, 220));
        p.drawEllipse(QPointF(8, 5), 3, 3);
        p.drawChord(QRectF(2.5, 9, 11, 11), 0, 180 * 16);
        break;
    case 9: // documenticon: a page with lines
        pen(p, QColor(90, 90, 90));
        p.setBrush(Qt::white);
        {
            const QPointF page[] = { { 3, 1.5 }, { 10, 1.5 }, { 13, 4.5 }, { 13, 14.5 },
                { 3, 14.5 } };
            p.drawPolygon(page, 5);
        }
        pen(p, QColor(80, 120, 200));
        for (double y : { 6.0, 8.5, 11.0 })
            p.drawLine(QPointF(5, y), QPointF(11, y));
        break;
    case 10: // accounticon: a bank card
        pen(p, QColor(40, 40, 90));
        p.setBrush(QColor(90, 120, 200));
        p.drawRoundedRect(QRectF(1, 3.5, 14, 9.5), 1.5, 1.5);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 30, 30));
        p.drawRect(QRectF(1.5, 5.5, 13, 2));
        p.setBrush(QColor(240, 210, 90));
        p.drawRect(QRectF(3, 9, 3, 2.5));
        break;
    case 11: // paypalicon: a blue disc with a P
        pen(p, QColor(0, 48, 135));
        p.setBrush(QColor(0, 112, 186));
        p.drawEllipse(QRectF(1, 1, 14, 14));
        letter(p, QRectF(0, 0, 16, 16), QStringLiteral("P"), Qt::white, 11);
        break;
    case 12: // searchicon: a magnifier
        pen(p, QColor(60, 60, 60), 2.0);
        p.drawLine(QPointF(10, 10), QPointF(14.5, 14.5));
        pen(p, QColor(60, 60, 60), 1.5);
        p.setBrush(QColor(200, 230, 255));
        p.drawEllipse(QPointF(6.5, 6.5), 4.5, 4.5);
        break;
    case 13: // didntwinicon: a grey cup, crossed
        trophy(p, QColor(175, 175, 175));
        cross(p);
        break;
    case 14: // unsoldicon: a grey tag, crossed
        tag(p, QColor(190, 190, 190));
        cross(p);
        break;
    default:
        break;
    }
}

} // namespace

QPixmap treeImage(int index)
{
    if (index < 0 || index >= 15)
        return {};
    Canvas c(kTreeImageSize, Qt::white);
    drawTreeImage(c.p(), index);
    return c.take();
}

QIcon toolbarIcon(int index)
{
    // Refresh: two chasing arrows; the others reuse the tree's pictures at a larger size.
    static constexpr int kSize = 24;
    if (index < 1 || index > 4)
        return {};
    Canvas c(kSize, Qt::transparent);
    QPainter &p = c.p();
    switch (index) {
    case 1:
        pen(p, QColor(30, 130, 50), 2.0);
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(2.5, 2.5, 11, 11), 30 * 16, 150 * 16);
        p.drawArc(QRectF(2.5, 2.5, 11, 11), 210 * 16, 150 * 16);
        p.setBrush(QColor(30, 130, 50));
        pen(p, QColor(30, 130, 50), 1.0);
        {
            const QPointF a[] = { { 12.5, 1.5 }, { 14.5, 6 }, { 10, 6 } };
            const QPointF b[] = { { 3.5, 14.5 }, { 1.5, 10 }, { 6, 10 } };
            p.drawPolygon(a, 3);
            p.drawPolygon(b, 3);
        }
        break;
    case 2:
        drawTreeImage(p, 12);
        break;
    case 3:
        drawTreeImage(p, 8);
        break;
    case 4:
        pen(p, QColor(20, 60, 140));
        p.setBrush(QColor(60, 120, 220));
        p.drawEllipse(QRectF(1, 1, 14, 14));
        letter(p, QRectF(0, 0, 16, 16), QStringLiteral("?"), Qt::white, 12);
        break;
    }
    return QIcon(c.take());
}

QIcon programIcon()
{
    QIcon icon;
    for (int size : { 16, 32, 48 }) {
        Canvas c(size, Qt::transparent);
        QPainter &p = c.p();
        pen(p, QColor(120, 70, 20), 0.8);
        p.setBrush(QColor(230, 160, 60));
        p.drawEllipse(QRectF(1, 1, 14, 14));
        letter(p, QRectF(0, 0.5, 16, 16), QStringLiteral("B"), Qt::white, 11);
        icon.addPixmap(c.take());
    }
    return icon;
}

namespace {

struct BannerDesign {
    QColor from, to, frame;
    const char *title;
    const char *line;
};

// Drawn in the strip's own size: a gradient, a title and one line, a small emblem on the left.
QPixmap drawBanner(const BannerDesign &d, int n)
{
    constexpr int kWidth = 234, kHeight = 60;
    QPixmap pixmap(kWidth, kHeight);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, kWidth, kHeight);
    g.setColorAt(0, d.from);
    g.setColorAt(1, d.to);
    p.fillRect(pixmap.rect(), g);
    p.setPen(d.frame);
    p.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    // The emblem: a coin for the site, a gavel head for auctions, a shield for payments, a star.
    p.save();
    p.translate(8, 14);
    p.scale(2, 2);
    switch (n) {
    case 1:
        tag(p, QColor(255, 236, 170));
        break;
    case 2:
        trophy(p, QColor(255, 215, 90));
        break;
    case 3: {
        pen(p, kOutline);
        p.setBrush(QColor(230, 250, 230));
        QPainterPath shield;
        shield.moveTo(8, 1.5);
        shield.lineTo(14, 4);
        shield.cubicTo(14, 10, 11, 13, 8, 14.5);
        shield.cubicTo(5, 13, 2, 10, 2, 4);
        shield.closeSubpath();
        p.drawPath(shield);
        pen(p, QColor(0, 140, 0), 1.6);
        p.drawPolyline(QPolygonF({ { 5, 8 }, { 7.5, 10.5 }, { 11, 5.5 } }));
        break;
    }
    default: {
        pen(p, kOutline);
        p.setBrush(QColor(255, 240, 120));
        QPolygonF star;
        for (int i = 0; i < 10; ++i) {
            const double r = i % 2 ? 3.0 : 7.0;
            const double a = M_PI / 2 + i * M_PI / 5;
            star << QPointF(8 + r * std::cos(a), 8 - r * std::sin(a));
        }
        p.drawPolygon(star);
        break;
    }
    }
    p.restore();
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(22);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    const QRect text(44, 0, kWidth - 50, kHeight);
    p.drawText(text.adjusted(0, 6, 0, -26), Qt::AlignCenter, QLatin1String(d.title));
    font.setPixelSize(11);
    font.setBold(false);
    p.setFont(font);
    p.drawText(text.adjusted(0, 36, 0, -6), Qt::AlignCenter, QLatin1String(d.line));
    return pixmap;
}

} // namespace

QPixmap bannerPicture(int n)
{
    static const BannerDesign designs[kBannerCount] = {
        { QColor(250, 190, 90), QColor(200, 110, 30), QColor(120, 60, 10), "Bidlark",
            mStartup::kProductSiteName },
        { QColor(90, 150, 240), QColor(20, 60, 160), QColor(10, 30, 90), "Auctions",
            "Find it, bid on it, win it" },
        { QColor(110, 200, 120), QColor(20, 120, 60), QColor(10, 70, 30), "Pay safely",
            "Fast payments for your wins" },
        { QColor(190, 120, 220), QColor(100, 40, 150), QColor(60, 20, 90), "Tips",
            "Buying and selling with Bidlark" },
    };
    if (n < 1 || n > kBannerCount)
        return {};
    return drawBanner(designs[n - 1], n);
}

QString bannerLink(int n)
{
    using sites::Role;
    switch (n) {
    case 1:
        return mStartup::productHomePage();
    case 2:
        return sites::siteUrl(Role::Partner1) + u'/';
    case 3:
        return sites::siteUrl(Role::Partner2) + u'/';
    case 4:
        return sites::siteUrl(Role::Product) + QStringLiteral("/ebay");
    default:
        return {};
    }
}

} // namespace frmMainPictures
