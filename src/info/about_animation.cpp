// SPDX-License-Identifier: GPL-3.0-or-later
#include "info/about_animation.h"

#include "info/gif_writer.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <numbers>

namespace AboutAnimation {

namespace {

void drawBook(QPainter &p)
{
    const QColor cover(46, 139, 87);
    p.setPen(QPen(cover.darker(140), 2));
    p.setBrush(cover);
    p.drawRoundedRect(QRectF(8, 62, 80, 26), 4, 4);

    const QColor paper(252, 248, 232);
    p.setPen(QPen(QColor(190, 180, 150), 1));
    p.setBrush(paper);
    QPainterPath left;
    left.moveTo(48, 66);
    left.cubicTo(36, 60, 22, 60, 12, 64);
    left.lineTo(12, 84);
    left.cubicTo(22, 80, 36, 80, 48, 86);
    left.closeSubpath();
    QPainterPath right;
    right.moveTo(48, 66);
    right.cubicTo(60, 60, 74, 60, 84, 64);
    right.lineTo(84, 84);
    right.cubicTo(74, 80, 60, 80, 48, 86);
    right.closeSubpath();
    p.drawPath(left);
    p.drawPath(right);

    // Ruled lines with a few figures in them.
    p.setPen(QPen(QColor(150, 180, 210), 1));
    for (int i = 0; i < 3; ++i) {
        const double y = 69 + i * 5;
        p.drawLine(QPointF(16, y + 0.5), QPointF(44, y + 2.5));
        p.drawLine(QPointF(52, y + 2.5), QPointF(80, y + 0.5));
    }
    p.setPen(QPen(QColor(200, 60, 60), 1.5));
    p.drawLine(QPointF(56, 70), QPointF(64, 69.5));
    p.drawLine(QPointF(56, 75), QPointF(70, 74.5));
}

void drawCoin(QPainter &p, double t)
{
    const double turn = 2 * std::numbers::pi * t;
    const double lift = 6 * std::sin(turn);
    const double face = std::cos(turn);
    const double half = 18;
    const double width = std::max(1.5, half * std::fabs(face));
    const QPointF centre(48, 34 - lift);

    // Its shadow on the book grows as it comes down.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 40));
    const double shadow = 12 + lift * 0.6;
    p.drawEllipse(QPointF(48, 63), shadow, 2.5);

    const bool front = face >= 0;
    QRadialGradient gold(centre - QPointF(width * 0.3, half * 0.4), half * 1.4);
    gold.setColorAt(0, front ? QColor(255, 236, 140) : QColor(240, 210, 110));
    gold.setColorAt(1, front ? QColor(214, 160, 30) : QColor(190, 140, 25));
    p.setPen(QPen(QColor(150, 105, 10), 2));
    p.setBrush(gold);
    p.drawEllipse(centre, width, half);

    if (width < 6)
        return;
    // The yuan sign, narrowed with the coin as it turns.
    const double sx = width / half;
    auto at = [&](double x, double y) { return QPointF(centre.x() + x * sx, centre.y() + y); };
    p.setPen(QPen(QColor(140, 95, 5), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    if (front) {
        p.drawLine(at(-8, -10), at(0, 0));
        p.drawLine(at(8, -10), at(0, 0));
        p.drawLine(at(0, 0), at(0, 11));
        p.drawLine(at(-6, 2), at(6, 2));
        p.drawLine(at(-6, 7), at(6, 7));
    } else {
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(centre, width * 0.55, half * 0.55);
    }
}

} // namespace

QList<QImage> frames()
{
    QList<QImage> result;
    for (int i = 0; i < FrameCount; ++i) {
        QImage image(Size, Size, QImage::Format_RGB32);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient sky(0, 0, 0, Size);
        sky.setColorAt(0, QColor(236, 246, 240));
        sky.setColorAt(1, QColor(206, 230, 214));
        p.fillRect(image.rect(), sky);
        drawBook(p);
        drawCoin(p, double(i) / FrameCount);
        p.end();
        result << image;
    }
    return result;
}

bool write(const QString &path) { return GifWriter::write(path, frames(), Delay); }

} // namespace AboutAnimation
