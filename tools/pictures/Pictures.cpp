#include "Pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace pictures {

namespace {

// A rounded tile every header button is drawn on, so that the band looks of one piece.
QPixmap Tile(int w, int h, QPainter& p, QPixmap& pm)
{
    pm = QPixmap(w, h);
    pm.fill(Qt::transparent);
    p.begin(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, QColor(250, 252, 255));
    g.setColorAt(1, QColor(205, 222, 245));
    p.setPen(QPen(QColor(90, 120, 170), 1));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(0.5, 0.5, w - 1, h - 1), 6, 6);
    return pm;
}

} // namespace

QPixmap SyncClock(int w, int h)
{
    QPixmap pm;
    QPainter p;
    Tile(w, h, p, pm);
    const QPointF c(w / 2.0, h / 2.0);
    const double r = std::min(w, h) * 0.34;
    p.setPen(QPen(QColor(30, 60, 120), 2.5));
    p.setBrush(Qt::white);
    p.drawEllipse(c, r, r);
    for (int i = 0; i < 12; ++i) {
        const double a = i * M_PI / 6;
        p.drawLine(c + QPointF(std::sin(a), -std::cos(a)) * r * 0.82, c + QPointF(std::sin(a), -std::cos(a)) * r * 0.95);
    }
    p.setPen(QPen(QColor(30, 60, 120), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, c + QPointF(0, -r * 0.65));
    p.setPen(QPen(QColor(200, 40, 40), 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, c + QPointF(r * 0.5, r * 0.2));
    p.end();
    return pm;
}

QPixmap Firmware(int w, int h)
{
    QPixmap pm;
    QPainter p;
    Tile(w, h, p, pm);
    const QRectF chip(w * 0.26, h * 0.30, w * 0.48, h * 0.44);
    p.setPen(QPen(QColor(40, 40, 40), 1.5));
    for (int i = 0; i < 4; ++i) {
        const double x = chip.left() + chip.width() * (0.15 + 0.23 * i);
        p.drawLine(QPointF(x, chip.top() - 5), QPointF(x, chip.top()));
        p.drawLine(QPointF(x, chip.bottom()), QPointF(x, chip.bottom() + 5));
    }
    p.setBrush(QColor(60, 60, 70));
    p.drawRoundedRect(chip, 3, 3);
    // Arrow into the chip.
    p.setPen(QPen(QColor(40, 170, 60), 3, Qt::SolidLine, Qt::RoundCap));
    const QPointF top(w / 2.0, h * 0.12), tip(w / 2.0, h * 0.58);
    p.drawLine(top, tip);
    p.drawLine(tip, tip + QPointF(-6, -6));
    p.drawLine(tip, tip + QPointF(6, -6));
    p.end();
    return pm;
}

QPixmap DataLog(int w, int h)
{
    QPixmap pm;
    QPainter p;
    Tile(w, h, p, pm);
    const QRectF area(w * 0.18, h * 0.2, w * 0.64, h * 0.6);
    p.setPen(QPen(QColor(30, 60, 120), 2));
    p.drawLine(area.bottomLeft(), area.topLeft());
    p.drawLine(area.bottomLeft(), area.bottomRight());
    QPainterPath line;
    line.moveTo(area.left() + 2, area.bottom() - area.height() * 0.2);
    line.lineTo(area.left() + area.width() * 0.35, area.bottom() - area.height() * 0.55);
    line.lineTo(area.left() + area.width() * 0.6, area.bottom() - area.height() * 0.4);
    line.lineTo(area.right(), area.top() + 2);
    p.setPen(QPen(QColor(220, 90, 20), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(line);
    p.end();
    return pm;
}

static void DrawSheet(QPainter& p, int w, int h)
{
    const QRectF sheet(w * 0.22, h * 0.14, w * 0.46, h * 0.62);
    p.setPen(QPen(QColor(70, 70, 90), 1.5));
    p.setBrush(Qt::white);
    p.drawRect(sheet);
    p.setPen(QPen(QColor(150, 160, 180), 1));
    for (int i = 1; i <= 4; ++i) {
        const double y = sheet.top() + sheet.height() * i / 5.5;
        p.drawLine(QPointF(sheet.left() + 4, y), QPointF(sheet.right() - 4, y));
    }
}

QPixmap OpenGridSet(int w, int h)
{
    QPixmap pm;
    QPainter p;
    Tile(w, h, p, pm);
    DrawSheet(p, w, h);
    // Arrow leaving the sheet towards the inverter: load and execute.
    p.setPen(QPen(QColor(20, 120, 200), 3, Qt::SolidLine, Qt::RoundCap));
    const QPointF a(w * 0.48, h * 0.78), b(w * 0.84, h * 0.78);
    p.drawLine(a, b);
    p.drawLine(b, b + QPointF(-6, -5));
    p.drawLine(b, b + QPointF(-6, 5));
    p.end();
    return pm;
}

QPixmap SaveGridSet(int w, int h)
{
    QPixmap pm;
    QPainter p;
    Tile(w, h, p, pm);
    DrawSheet(p, w, h);
    // Arrow into the sheet: save.
    p.setPen(QPen(QColor(40, 160, 60), 3, Qt::SolidLine, Qt::RoundCap));
    const QPointF a(w * 0.86, h * 0.78), b(w * 0.5, h * 0.78);
    p.drawLine(a, b);
    p.drawLine(b, b + QPointF(6, -5));
    p.drawLine(b, b + QPointF(6, 5));
    p.end();
    return pm;
}

static QPixmap Protocol(int w, int h, const QColor& from, const QColor& to)
{
    QPixmap pm;
    QPainter p;
    Tile(w, h, p, pm);
    p.setPen(Qt::NoPen);
    p.setBrush(from);
    p.drawEllipse(QPointF(w * 0.28, h * 0.5), w * 0.14, w * 0.14);
    p.setBrush(to);
    p.drawEllipse(QPointF(w * 0.72, h * 0.5), w * 0.14, w * 0.14);
    p.setPen(QPen(QColor(50, 50, 50), 2, Qt::SolidLine, Qt::RoundCap));
    const QPointF a(w * 0.42, h * 0.5), b(w * 0.58, h * 0.5);
    p.drawLine(a, b);
    p.drawLine(b, b + QPointF(-4, -4));
    p.drawLine(b, b + QPointF(-4, 4));
    p.end();
    return pm;
}

QPixmap ProtocolToStandard(int w, int h) { return Protocol(w, h, QColor(230, 140, 30), QColor(30, 110, 210)); }
QPixmap ProtocolToNative(int w, int h) { return Protocol(w, h, QColor(30, 110, 210), QColor(230, 140, 30)); }

static QPixmap Framed(QPixmap pm)
{
    QPainter p(&pm);
    p.setPen(QPen(QColor(80, 80, 80), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, pm.width() - 1, pm.height() - 1);
    return pm;
}

QPixmap FlagEnglish(int w, int h)
{
    QPixmap pm(w, h);
    pm.fill(Qt::white);
    QPainter p(&pm);
    for (int i = 0; i < 7; ++i)
        p.fillRect(QRectF(0, h * (2 * i) / 13.0, w, h / 13.0), QColor(178, 34, 52));
    p.fillRect(QRectF(0, 0, w * 0.42, h * 7 / 13.0), QColor(60, 59, 110));
    p.end();
    return Framed(pm);
}

QPixmap FlagGerman(int w, int h)
{
    QPixmap pm(w, h);
    QPainter p(&pm);
    p.fillRect(QRectF(0, 0, w, h / 3.0), Qt::black);
    p.fillRect(QRectF(0, h / 3.0, w, h / 3.0), QColor(221, 0, 0));
    p.fillRect(QRectF(0, 2 * h / 3.0, w, h - 2 * h / 3.0), QColor(255, 206, 0));
    p.end();
    return Framed(pm);
}

QPixmap FlagFrench(int w, int h)
{
    QPixmap pm(w, h);
    QPainter p(&pm);
    p.fillRect(QRectF(0, 0, w / 3.0, h), QColor(0, 85, 164));
    p.fillRect(QRectF(w / 3.0, 0, w / 3.0, h), Qt::white);
    p.fillRect(QRectF(2 * w / 3.0, 0, w - 2 * w / 3.0, h), QColor(239, 65, 53));
    p.end();
    return Framed(pm);
}

QPixmap WaitFrame(int frame, int w, int h)
{
    QPixmap pm(w, h);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(w / 2.0, h / 2.0);
    const double r = std::min(w, h) * 0.36;
    const int dots = 12;
    for (int i = 0; i < dots; ++i) {
        const double a = i * 2 * M_PI / dots;
        // Each frame lights a third of the ring, moving clockwise.
        const int lit = ((i - frame * dots / 3) % dots + dots) % dots;
        const int shade = lit < dots / 3 ? 255 - lit * 40 : 90;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 100, 200, shade));
        p.drawEllipse(c + QPointF(std::sin(a), -std::cos(a)) * r, r * 0.16, r * 0.16);
    }
    p.end();
    return pm;
}

QPixmap ResultBackground(int w, int h)
{
    QPixmap pm(w, h);
    QPainter p(&pm);
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, QColor(250, 252, 255));
    g.setColorAt(1, QColor(215, 228, 245));
    p.fillRect(pm.rect(), g);
    p.end();
    return pm;
}

QPixmap Shades(int w, int h, int step, int rows)
{
    QPixmap pm(w, h);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    for (int j = 0; j < rows && j < h; ++j) {
        p.setPen(QColor((200 - step * j) & 0xFF, (250 - step * j) & 0xFF, 255));
        p.drawLine(0, j, w, j);
    }
    p.end();
    return pm;
}

QPixmap TreeRoot(int w, int h)
{
    QPixmap pm(w, h);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 90, 140), 1));
    p.setBrush(QColor(120, 160, 220));
    p.drawRect(QRectF(2.5, 3.5, w - 5, h - 7));
    p.setPen(QPen(QColor(250, 250, 250), 1.2));
    for (int i = 1; i < 3; ++i)
        p.drawLine(QPointF(4, 3.5 + i * (h - 7) / 3.0), QPointF(w - 4, 3.5 + i * (h - 7) / 3.0));
    p.end();
    return pm;
}

QPixmap TreeInverter(int w, int h, bool current)
{
    QPixmap pm(w, h);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(70, 70, 80), 1));
    p.setBrush(current ? QColor(60, 180, 80) : QColor(200, 205, 215));
    p.drawRoundedRect(QRectF(2.5, 1.5, w - 5, h - 3), 2, 2);
    p.setPen(QPen(current ? Qt::white : QColor(70, 70, 80), 1.2));
    p.drawLine(QPointF(5, h / 2.0), QPointF(w - 5, h / 2.0));
    p.end();
    return pm;
}

} // namespace pictures
