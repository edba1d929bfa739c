// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/icons.h"

#include <QHash>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace Icons {

namespace {

// Every glyph is drawn in a 100 x 100 box.
void draw(QPainter &p, Glyph glyph)
{
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(60, 64, 72);
    QPen pen(ink, 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    auto body = [&](const QColor &fill) {
        p.setPen(QPen(fill.darker(150), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(fill);
    };
    switch (glyph) {
    case Glyph::App: {
        body(QColor(46, 139, 87));
        p.drawRoundedRect(QRectF(8, 8, 84, 84), 18, 18);
        p.setPen(QPen(Qt::white, 9, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(30, 30), QPointF(50, 52));
        p.drawLine(QPointF(70, 30), QPointF(50, 52));
        p.drawLine(QPointF(50, 52), QPointF(50, 78));
        p.drawLine(QPointF(32, 58), QPointF(68, 58));
        break;
    }
    case Glyph::Folder:
    case Glyph::FolderOpen: {
        body(QColor(240, 190, 60));
        QPainterPath back;
        back.moveTo(8, 24);
        back.lineTo(38, 24);
        back.lineTo(46, 32);
        back.lineTo(92, 32);
        back.lineTo(92, 84);
        back.lineTo(8, 84);
        back.closeSubpath();
        p.drawPath(back);
        if (glyph == Glyph::FolderOpen) {
            p.setBrush(QColor(252, 220, 120));
            QPainterPath front;
            front.moveTo(8, 84);
            front.lineTo(22, 46);
            front.lineTo(98, 46);
            front.lineTo(88, 84);
            front.closeSubpath();
            p.drawPath(front);
        }
        break;
    }
    case Glyph::Calendar: {
        body(QColor(250, 250, 250));
        p.drawRoundedRect(QRectF(12, 16, 76, 74), 8, 8);
        p.setBrush(QColor(210, 60, 60));
        p.setPen(Qt::NoPen);
        p.drawRect(QRectF(14, 18, 72, 18));
        p.setBrush(ink);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 4; ++c)
                p.drawRect(QRectF(22 + c * 16, 46 + r * 14, 8, 7));
        break;
    }
    case Glyph::Page:
    case Glyph::Note: {
        body(QColor(255, 255, 255));
        QPainterPath page;
        page.moveTo(20, 8);
        page.lineTo(64, 8);
        page.lineTo(82, 26);
        page.lineTo(82, 92);
        page.lineTo(20, 92);
        page.closeSubpath();
        p.drawPath(page);
        p.setPen(QPen(glyph == Glyph::Note ? QColor(70, 120, 200) : ink, 5, Qt::SolidLine, Qt::RoundCap));
        for (int y = 36; y <= 76; y += 14)
            p.drawLine(QPointF(32, y), QPointF(70, y));
        break;
    }
    case Glyph::Income:
    case Glyph::Expense: {
        const bool income = glyph == Glyph::Income;
        body(income ? QColor(60, 170, 90) : QColor(215, 70, 60));
        p.drawEllipse(QRectF(8, 8, 84, 84));
        p.setPen(QPen(Qt::white, 10, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(50, 26), QPointF(50, 74));
        if (income) {
            p.drawLine(QPointF(50, 26), QPointF(32, 44));
            p.drawLine(QPointF(50, 26), QPointF(68, 44));
        } else {
            p.drawLine(QPointF(50, 74), QPointF(32, 56));
            p.drawLine(QPointF(50, 74), QPointF(68, 56));
        }
        break;
    }
    case Glyph::Transfer: {
        // Two arrows, one each way: money that moves, neither in nor out.
        body(QColor(50, 120, 200));
        p.drawEllipse(QRectF(8, 8, 84, 84));
        p.setPen(QPen(Qt::white, 9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(26, 38), QPointF(72, 38));
        p.drawLine(QPointF(72, 38), QPointF(60, 26));
        p.drawLine(QPointF(28, 62), QPointF(74, 62));
        p.drawLine(QPointF(28, 62), QPointF(40, 74));
        break;
    }
    case Glyph::Logout:
    case Glyph::Exit: {
        if (glyph == Glyph::Exit) {
            p.setPen(QPen(QColor(200, 50, 50), 10, Qt::SolidLine, Qt::RoundCap));
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(18, 20, 64, 64), 125 * 16, -250 * 16);
            p.drawLine(QPointF(50, 12), QPointF(50, 48));
        } else {
            body(QColor(120, 150, 200));
            p.drawRect(QRectF(14, 10, 44, 80));
            p.setPen(QPen(QColor(40, 90, 170), 9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawLine(QPointF(44, 50), QPointF(90, 50));
            p.drawLine(QPointF(90, 50), QPointF(74, 34));
            p.drawLine(QPointF(90, 50), QPointF(74, 66));
        }
        break;
    }
    case Glyph::Settings: {
        body(QColor(130, 140, 155));
        QPainterPath gear;
        for (int i = 0; i < 8; ++i) {
            p.save();
            p.translate(50, 50);
            p.rotate(i * 45);
            p.drawRect(QRectF(-8, -44, 16, 20));
            p.restore();
        }
        p.drawEllipse(QRectF(18, 18, 64, 64));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(38, 38, 24, 24));
        break;
    }
    case Glyph::Add: {
        p.setPen(QPen(QColor(40, 150, 70), 16, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(50, 16), QPointF(50, 84));
        p.drawLine(QPointF(16, 50), QPointF(84, 50));
        break;
    }
    case Glyph::Edit: {
        p.save();
        p.translate(50, 50);
        p.rotate(45);
        body(QColor(245, 180, 60));
        p.drawRect(QRectF(-12, -44, 24, 66));
        p.setBrush(QColor(90, 90, 90));
        QPainterPath tip;
        tip.moveTo(-12, 22);
        tip.lineTo(12, 22);
        tip.lineTo(0, 44);
        tip.closeSubpath();
        p.drawPath(tip);
        p.restore();
        break;
    }
    case Glyph::Delete: {
        p.setPen(QPen(QColor(210, 50, 50), 16, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(22, 22), QPointF(78, 78));
        p.drawLine(QPointF(78, 22), QPointF(22, 78));
        break;
    }
    case Glyph::Refresh: {
        p.setPen(QPen(QColor(40, 120, 200), 11, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(18, 18, 64, 64), 60 * 16, 280 * 16);
        p.setBrush(QColor(40, 120, 200));
        p.setPen(Qt::NoPen);
        QPainterPath head;
        head.moveTo(62, 6);
        head.lineTo(86, 24);
        head.lineTo(58, 34);
        head.closeSubpath();
        p.drawPath(head);
        break;
    }
    case Glyph::Import:
    case Glyph::Export: {
        body(QColor(200, 205, 215));
        p.drawRect(QRectF(12, 58, 76, 30));
        const bool in = glyph == Glyph::Import;
        p.setPen(QPen(in ? QColor(40, 150, 70) : QColor(40, 110, 200), 11, Qt::SolidLine, Qt::RoundCap,
                      Qt::RoundJoin));
        p.drawLine(QPointF(50, 8), QPointF(50, 60));
        const double y = in ? 60 : 8, dy = in ? -18 : 18;
        p.drawLine(QPointF(50, y), QPointF(34, y + dy));
        p.drawLine(QPointF(50, y), QPointF(66, y + dy));
        break;
    }
    case Glyph::Print: {
        body(QColor(255, 255, 255));
        p.drawRect(QRectF(28, 8, 44, 30));
        body(QColor(120, 125, 135));
        p.drawRoundedRect(QRectF(8, 36, 84, 38), 8, 8);
        body(QColor(255, 255, 255));
        p.drawRect(QRectF(28, 60, 44, 32));
        break;
    }
    case Glyph::Calculator: {
        body(QColor(90, 95, 110));
        p.drawRoundedRect(QRectF(18, 6, 64, 88), 10, 10);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(190, 230, 200));
        p.drawRect(QRectF(26, 14, 48, 20));
        p.setBrush(Qt::white);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                p.drawRect(QRectF(27 + c * 17, 42 + r * 16, 11, 10));
        break;
    }
    case Glyph::Backup: {
        body(QColor(60, 100, 170));
        p.drawRoundedRect(QRectF(10, 10, 80, 80), 8, 8);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(26, 10, 48, 28));
        p.setBrush(QColor(220, 225, 235));
        p.drawRect(QRectF(22, 56, 56, 34));
        break;
    }
    case Glyph::Home: {
        body(QColor(230, 120, 60));
        QPainterPath roof;
        roof.moveTo(8, 50);
        roof.lineTo(50, 12);
        roof.lineTo(92, 50);
        roof.closeSubpath();
        p.drawPath(roof);
        body(QColor(250, 240, 220));
        p.drawRect(QRectF(20, 48, 60, 42));
        p.setBrush(QColor(150, 90, 50));
        p.drawRect(QRectF(42, 62, 16, 28));
        break;
    }
    case Glyph::Help: {
        body(QColor(50, 120, 210));
        p.drawEllipse(QRectF(8, 8, 84, 84));
        p.setPen(QPen(Qt::white, 10, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(34, 22, 32, 28), 160 * 16, -250 * 16);
        p.drawLine(QPointF(50, 50), QPointF(50, 60));
        p.drawPoint(QPointF(50, 76));
        break;
    }
    case Glyph::User:
    case Glyph::Contact: {
        body(glyph == Glyph::User ? QColor(80, 130, 200) : QColor(90, 170, 150));
        p.drawEllipse(QRectF(32, 10, 36, 36));
        QPainterPath shoulders;
        shoulders.moveTo(14, 92);
        shoulders.cubicTo(14, 56, 86, 56, 86, 92);
        shoulders.closeSubpath();
        p.drawPath(shoulders);
        break;
    }
    case Glyph::Group: {
        body(QColor(150, 170, 210));
        p.drawEllipse(QRectF(52, 16, 30, 30));
        QPainterPath back;
        back.moveTo(44, 86);
        back.cubicTo(44, 52, 96, 52, 96, 86);
        back.closeSubpath();
        p.drawPath(back);
        body(QColor(80, 130, 200));
        p.drawEllipse(QRectF(18, 22, 32, 32));
        QPainterPath front;
        front.moveTo(4, 94);
        front.cubicTo(4, 58, 64, 58, 64, 94);
        front.closeSubpath();
        p.drawPath(front);
        break;
    }
    case Glyph::Key: {
        body(QColor(225, 185, 50));
        p.drawEllipse(QRectF(8, 30, 40, 40));
        p.drawRect(QRectF(44, 44, 48, 12));
        p.drawRect(QRectF(70, 54, 10, 16));
        p.drawRect(QRectF(84, 54, 8, 12));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(20, 42, 14, 16));
        break;
    }
    case Glyph::Book: {
        body(QColor(170, 70, 90));
        p.drawRoundedRect(QRectF(16, 8, 68, 84), 6, 6);
        p.setBrush(QColor(250, 245, 230));
        p.drawRect(QRectF(26, 18, 48, 22));
        break;
    }
    case Glyph::Star: {
        body(QColor(250, 200, 40));
        QPainterPath star;
        for (int i = 0; i < 10; ++i) {
            const double r = i % 2 ? 20 : 44;
            const double a = (i * 36 - 90) * M_PI / 180;
            QPointF pt(50 + r * std::cos(a), 54 + r * std::sin(a));
            i ? star.lineTo(pt) : star.moveTo(pt);
        }
        star.closeSubpath();
        p.drawPath(star);
        break;
    }
    case Glyph::Heart: {
        body(QColor(225, 70, 100));
        QPainterPath heart;
        heart.moveTo(50, 88);
        heart.cubicTo(6, 58, 8, 16, 50, 32);
        heart.cubicTo(92, 16, 94, 58, 50, 88);
        p.drawPath(heart);
        break;
    }
    case Glyph::Globe: {
        body(QColor(70, 150, 220));
        p.drawEllipse(QRectF(8, 8, 84, 84));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(Qt::white, 5));
        p.drawEllipse(QRectF(32, 10, 36, 80));
        p.drawLine(QPointF(10, 50), QPointF(90, 50));
        break;
    }
    case Glyph::Phone: {
        body(QColor(70, 80, 95));
        p.drawRoundedRect(QRectF(28, 6, 44, 88), 8, 8);
        p.setBrush(QColor(170, 210, 240));
        p.drawRect(QRectF(34, 16, 32, 56));
        break;
    }
    case Glyph::Mail: {
        body(QColor(245, 245, 240));
        p.drawRect(QRectF(8, 22, 84, 56));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF({QPointF(8, 22), QPointF(50, 56), QPointF(92, 22)}));
        break;
    }
    }
    (void)pen;
}

} // namespace

QPixmap pixmap(Glyph glyph, int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.scale(size / 100.0, size / 100.0);
    draw(p, glyph);
    return pm;
}

QImage image(Glyph glyph, int size)
{
    QImage result(size, size, QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    QPainter p(&result);
    p.scale(size / 100.0, size / 100.0);
    draw(p, glyph);
    return result;
}

QIcon icon(Glyph glyph)
{
    static QHash<int, QIcon> cache;
    auto found = cache.constFind(int(glyph));
    if (found != cache.constEnd())
        return *found;
    QIcon result;
    for (int size : {16, 24, 32, 48})
        result.addPixmap(pixmap(glyph, size));
    cache.insert(int(glyph), result);
    return result;
}

QIcon tile(Glyph glyph, const QColor &colour)
{
    QIcon result;
    for (int size : {16, 32, 48}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawRoundedRect(QRectF(0.5, 0.5, size - 1, size - 1), size / 5.0, size / 5.0);
        const int inset = size / 6;
        p.drawPixmap(inset, inset, pixmap(glyph, size - 2 * inset));
        result.addPixmap(pm);
    }
    return result;
}

QIcon nodeIcon(Glyph normal, Glyph selected)
{
    QIcon result;
    for (int size : {16, 24}) {
        result.addPixmap(pixmap(normal, size), QIcon::Normal);
        result.addPixmap(pixmap(selected, size), QIcon::Selected);
    }
    return result;
}

QList<QIcon> ledgerImages()
{
    return {icon(Glyph::Folder), icon(Glyph::Calendar), icon(Glyph::FolderOpen), icon(Glyph::FolderOpen),
            icon(Glyph::Income), icon(Glyph::Expense), icon(Glyph::Transfer)};
}

QPixmap loginBackground(const QSize &size, const QPalette &palette)
{
    QPixmap pm(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    // The window's own colour tinted with its highlight: light on a light desktop, dark on a
    // dark one, so that the window's text stays readable on it.
    auto tint = [&](double share) {
        const QColor window = palette.color(QPalette::Window);
        const QColor highlight = palette.color(QPalette::Highlight);
        return QColor::fromRgbF(window.redF() + (highlight.redF() - window.redF()) * share,
                                window.greenF() + (highlight.greenF() - window.greenF()) * share,
                                window.blueF() + (highlight.blueF() - window.blueF()) * share);
    };
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, tint(0.12));
    sky.setColorAt(1, tint(0.35));
    p.fillRect(pm.rect(), sky);
    // A few coins in the lower left corner.
    for (int i = 0; i < 3; ++i) {
        QRectF coin(10 + i * 4, size.height() - 30 - i * 9, 40, 14);
        p.setPen(QPen(QColor(180, 140, 30), 1.5));
        p.setBrush(QColor(240, 200, 80));
        p.drawEllipse(coin);
    }
    p.drawPixmap(18, 18, pixmap(Glyph::App, 48));
    // The captions of the two fields are part of the picture.
    QFont font = p.font();
    font.setPointSize(10);
    p.setFont(font);
    p.setPen(palette.color(QPalette::WindowText));
    const int fieldLeft = 1680 / 15;
    p.drawText(QRect(0, 1560 / 15, fieldLeft - 6, 375 / 15), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("用户名："));
    p.drawText(QRect(0, 2040 / 15, fieldLeft - 6, 375 / 15), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("密  码："));
    return pm;
}

} // namespace Icons
