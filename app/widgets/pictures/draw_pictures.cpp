// Draws the program's pictures into a folder: one PNG per picture, with the
// names the resource file lists.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <cstdio>

namespace {

// A lightning bolt, at twice the patch icon size.
QImage lightning()
{
    QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QPolygonF bolt;
    bolt << QPointF(38, 2) << QPointF(12, 36) << QPointF(30, 36) << QPointF(22, 62)
         << QPointF(52, 24) << QPointF(34, 24) << QPointF(44, 2);
    painter.setPen(QPen(QColor(40, 40, 40), 2));
    painter.setBrush(QColor(255, 214, 0));
    painter.drawPolygon(bolt);
    return image;
}

// A light source and its mirrored ray on a surface.
QImage reflection()
{
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(40, 40, 40), 2));
    painter.drawLine(QPointF(3, 27), QPointF(29, 27));
    painter.setPen(QPen(QColor(255, 255, 255), 2));
    painter.drawLine(QPointF(6, 6), QPointF(16, 25));
    painter.drawLine(QPointF(16, 25), QPointF(26, 6));
    painter.setBrush(QColor(255, 240, 120));
    painter.setPen(QPen(QColor(40, 40, 40), 1));
    painter.drawEllipse(QPointF(6, 6), 4, 4);
    return image;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: draw_pictures <folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder + QStringLiteral("/assets"));
    const bool ok = lightning().save(folder + QStringLiteral("/assets/icon-lightning2x.png"))
                    && reflection().save(folder + QStringLiteral("/assets/icon-reflection.png"));
    if (!ok) {
        std::fprintf(stderr, "draw_pictures: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
