// Draws the pictures of the grid, progress and film-curve pages at build time:
//   vp_profile_pictures <folder>   writes every picture into the folder
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QString>
#include <QtMath>

#include <cstdio>
#include <functional>

namespace {

const QColor ink(48, 50, 54);
const QColor accent(232, 113, 44);

QImage canvas(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QPen strokePen(qreal width, const QColor& colour = ink)
{
    QPen pen(colour, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

// The mascot: a round owl on a branch; sad, it looks down with drooping brows.
QImage owl(bool sad)
{
    QImage image = canvas(256);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);

    QLinearGradient body(0, 40, 0, 230);
    body.setColorAt(0, QColor(150, 112, 84));
    body.setColorAt(1, QColor(104, 74, 54));
    p.setBrush(body);
    QPainterPath ears;
    ears.moveTo(62, 78);
    ears.lineTo(70, 30);
    ears.lineTo(104, 62);
    ears.moveTo(194, 78);
    ears.lineTo(186, 30);
    ears.lineTo(152, 62);
    p.drawPath(ears);
    p.drawEllipse(QRectF(48, 48, 160, 180));

    p.setBrush(QColor(236, 214, 182));
    p.drawEllipse(QRectF(80, 128, 96, 88));

    // Eyes: white discs with dark pupils.
    for (int side = 0; side < 2; ++side) {
        const qreal cx = side == 0 ? 98 : 158;
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(cx, 102), 28, 28);
        p.setBrush(ink);
        p.drawEllipse(QPointF(cx + (side == 0 ? 4 : -4), sad ? 110 : 102), 12, 12);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(cx + (side == 0 ? 8 : 0), sad ? 106 : 97), 4, 4);
    }
    if (sad) {
        p.setPen(strokePen(7, QColor(70, 48, 34)));
        p.drawLine(QPointF(70, 80), QPointF(114, 64));
        p.drawLine(QPointF(186, 80), QPointF(142, 64));
        p.setPen(Qt::NoPen);
    }
    // Beak.
    p.setBrush(accent);
    QPainterPath beak;
    beak.moveTo(118, 122);
    beak.lineTo(138, 122);
    beak.lineTo(128, 144);
    beak.closeSubpath();
    p.drawPath(beak);

    // Branch and feet.
    p.setBrush(QColor(92, 120, 64));
    p.drawRoundedRect(QRectF(16, 222, 224, 16), 8, 8);
    p.setBrush(accent);
    for (qreal x : {100.0, 112.0, 144.0, 156.0})
        p.drawEllipse(QPointF(x, 222), 7, 6);
    return image;
}

QImage arrow(bool right)
{
    QImage image = canvas(64);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(strokePen(8));
    QPainterPath path;
    if (right) {
        path.moveTo(22, 12);
        path.lineTo(42, 32);
        path.lineTo(22, 52);
    } else {
        path.moveTo(42, 12);
        path.lineTo(22, 32);
        path.lineTo(42, 52);
    }
    p.drawPath(path);
    return image;
}

QImage magnifier(int sign)
{
    QImage image = canvas(64);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(strokePen(5));
    p.drawEllipse(QPointF(26, 26), 17, 17);
    p.setPen(strokePen(8));
    p.drawLine(QPointF(39, 39), QPointF(56, 56));
    p.setPen(strokePen(4, accent));
    p.drawLine(QPointF(18, 26), QPointF(34, 26));
    if (sign > 0)
        p.drawLine(QPointF(26, 18), QPointF(26, 34));
    return image;
}

QImage rotation(bool clockwise)
{
    QImage image = canvas(64);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(strokePen(5));
    const QRectF circle(12, 12, 40, 40);
    // An arc of three quarters with its arrow head at the open end.
    const int start = 90 * 16;
    const int span = clockwise ? -270 * 16 : 270 * 16;
    p.drawArc(circle, start, span);
    const qreal endAngle = qDegreesToRadians((start + span) / 16.0);
    const QPointF end(32 + 20 * qCos(endAngle), 32 - 20 * qSin(endAngle));
    p.setPen(Qt::NoPen);
    p.setBrush(accent);
    QPainterPath head;
    // Both ends move upwards: the arc ends on the right (anticlockwise) or
    // on the left (clockwise).
    const qreal dir = -1;
    head.moveTo(end + QPointF(-9, 0));
    head.lineTo(end + QPointF(9, 0));
    head.lineTo(end + QPointF(0, 11 * dir));
    head.closeSubpath();
    p.drawPath(head);
    return image;
}

QImage picker()
{
    QImage image = canvas(64);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(32, 32);
    p.rotate(45);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawRoundedRect(QRectF(-7, -28, 14, 18), 4, 4);
    p.setBrush(QColor(120, 124, 132));
    p.drawRect(QRectF(-10, -12, 20, 5));
    p.setBrush(accent);
    QPainterPath tube;
    tube.moveTo(-4, -7);
    tube.lineTo(4, -7);
    tube.lineTo(2, 22);
    tube.lineTo(0, 27);
    tube.lineTo(-2, 22);
    tube.closeSubpath();
    p.drawPath(tube);
    return image;
}

QImage folderIcon()
{
    QImage image = canvas(64);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 140, 60));
    p.drawRoundedRect(QRectF(6, 14, 24, 12), 3, 3);
    p.setBrush(accent);
    p.drawRoundedRect(QRectF(6, 20, 52, 32), 4, 4);
    p.setPen(strokePen(4, Qt::white));
    p.drawLine(QPointF(22, 36), QPointF(42, 36));
    p.drawLine(QPointF(34, 29), QPointF(42, 36));
    p.drawLine(QPointF(34, 43), QPointF(42, 36));
    return image;
}

QImage restart()
{
    QImage image = canvas(64);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    QPainterPath house;
    house.moveTo(32, 8);
    house.lineTo(58, 32);
    house.lineTo(50, 32);
    house.lineTo(50, 56);
    house.lineTo(14, 56);
    house.lineTo(14, 32);
    house.lineTo(6, 32);
    house.closeSubpath();
    p.drawPath(house);
    p.setBrush(accent);
    p.drawRoundedRect(QRectF(26, 38, 12, 18), 2, 2);
    return image;
}

// The drop art of the film-curve page: a TIFF sheet with a tone curve and an
// arrow pointing into a tray.
QImage dropTiff()
{
    QImage image = canvas(256);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 222, 226));
    p.drawRoundedRect(QRectF(28, 196, 200, 44), 10, 10);
    p.setBrush(Qt::white);
    p.setPen(strokePen(4, QColor(140, 143, 150)));
    QPainterPath sheet;
    sheet.moveTo(70, 20);
    sheet.lineTo(160, 20);
    sheet.lineTo(190, 50);
    sheet.lineTo(190, 170);
    sheet.lineTo(70, 170);
    sheet.closeSubpath();
    p.drawPath(sheet);
    p.drawLine(QPointF(160, 20), QPointF(160, 50));
    p.drawLine(QPointF(160, 50), QPointF(190, 50));
    // A film curve on the sheet.
    p.setPen(strokePen(3, QColor(200, 200, 204)));
    p.drawLine(QPointF(86, 154), QPointF(174, 154));
    p.drawLine(QPointF(86, 154), QPointF(86, 66));
    p.setPen(strokePen(5, accent));
    QPainterPath curve;
    curve.moveTo(86, 154);
    curve.cubicTo(120, 150, 130, 80, 174, 66);
    p.drawPath(curve);
    // The arrow into the tray.
    p.setPen(strokePen(10, ink));
    p.drawLine(QPointF(128, 176), QPointF(128, 226));
    p.drawLine(QPointF(108, 206), QPointF(128, 226));
    p.drawLine(QPointF(148, 206), QPointF(128, 226));
    return image;
}

struct Picture {
    const char* file;
    std::function<QImage()> draw;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const QString outFolder = QString::fromLocal8Bit(argv[1]);
    const Picture pictures[] = {
        {"owl.png", [] { return owl(false); }},
        {"owl-sad.png", [] { return owl(true); }},
        {"arrow-left.png", [] { return arrow(false); }},
        {"arrow-right.png", [] { return arrow(true); }},
        {"zoom-in.png", [] { return magnifier(1); }},
        {"zoom-out.png", [] { return magnifier(-1); }},
        {"rotate-left.png", [] { return rotation(false); }},
        {"rotate-right.png", [] { return rotation(true); }},
        {"picker.png", [] { return picker(); }},
        {"folder.png", [] { return folderIcon(); }},
        {"restart.png", [] { return restart(); }},
        {"drop-tiff.png", [] { return dropTiff(); }},
    };
    for (const Picture& picture : pictures) {
        const QString path = outFolder + QLatin1Char('/') + QLatin1String(picture.file);
        if (!picture.draw().save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
