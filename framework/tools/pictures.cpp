// Draws the framework's pictures at build time:
//   vp_pictures splash <file.png>      the splash screen (transparent corners)
//   vp_pictures logo <file.png>        the logo and window icon
//   vp_pictures background <file.png>  the dialogs' background, 400 x 300
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cstdio>
#include <cstring>

namespace {

// A small colour chart: rows x columns of patches in a rounded frame.
void drawChart(QPainter& painter, const QRectF& area)
{
    static const QColor patches[] = {
        {115, 82, 68},  {194, 150, 130}, {98, 122, 157}, {87, 108, 67},
        {133, 128, 177}, {103, 189, 170}, {214, 126, 44}, {80, 91, 166},
        {193, 90, 99},  {94, 60, 108},  {157, 188, 64}, {224, 163, 46},
    };
    const int columns = 4;
    const int rows = 3;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(40, 40, 44));
    painter.drawRoundedRect(area, area.width() * 0.08, area.width() * 0.08);
    const QRectF inner = area.adjusted(area.width() * 0.08, area.height() * 0.1, -area.width() * 0.08,
                                       -area.height() * 0.1);
    const qreal cellWidth = inner.width() / columns;
    const qreal cellHeight = inner.height() / rows;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const QRectF cell(inner.left() + column * cellWidth, inner.top() + row * cellHeight,
                              cellWidth, cellHeight);
            painter.setBrush(patches[row * columns + column]);
            painter.drawRoundedRect(cell.adjusted(cellWidth * 0.08, cellHeight * 0.08, -cellWidth * 0.08,
                                                  -cellHeight * 0.08),
                                    cellWidth * 0.1, cellWidth * 0.1);
        }
    }
}

QImage logo()
{
    QImage image(128, 128, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    drawChart(painter, QRectF(4, 18, 120, 92));
    return image;
}

QImage splash()
{
    const QSize size(480, 280);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath outline;
    outline.addRoundedRect(QRectF(QPointF(0, 0), size), 28, 28);
    QLinearGradient shade(0, 0, 0, size.height());
    shade.setColorAt(0, QColor(52, 58, 70));
    shade.setColorAt(1, QColor(24, 26, 32));
    painter.fillPath(outline, shade);
    drawChart(painter, QRectF(36, 70, 150, 115));

    painter.setPen(QColor(236, 236, 240));
    QFont title(QStringLiteral("DejaVu Sans"));
    title.setPixelSize(40);
    title.setBold(true);
    painter.setFont(title);
    painter.drawText(QRectF(210, 78, 250, 50), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("pelto 5"));
    QFont subtitle(QStringLiteral("DejaVu Sans"));
    subtitle.setPixelSize(16);
    painter.setFont(subtitle);
    painter.setPen(QColor(190, 196, 206));
    painter.drawText(QRectF(212, 128, 250, 60), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                     QStringLiteral("Colour profiles for cameras and scanners"));
    painter.setPen(QColor(150, 156, 166));
    painter.drawText(QRectF(36, 226, 408, 24), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Vandrelith"));
    return image;
}

QImage background()
{
    const QSize size(400, 300);
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient shade(0, 0, size.width(), size.height());
    shade.setColorAt(0, QColor(238, 239, 242));
    shade.setColorAt(1, QColor(212, 215, 222));
    painter.fillRect(image.rect(), shade);
    QRadialGradient glow(QPointF(size.width() * 0.85, size.height() * 0.9), size.width() * 0.6);
    glow.setColorAt(0, QColor(255, 255, 255, 110));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    painter.fillRect(image.rect(), glow);
    return image;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s splash|logo|background <file.png>\n", argv[0]);
        return 2;
    }
    // A build machine may have no desktop login: give Qt a private runtime folder.
    QTemporaryDir runtime;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    QGuiApplication app(argc, argv);
    QImage image;
    if (std::strcmp(argv[1], "splash") == 0)
        image = splash();
    else if (std::strcmp(argv[1], "logo") == 0)
        image = logo();
    else if (std::strcmp(argv[1], "background") == 0)
        image = background();
    else {
        std::fprintf(stderr, "%s: unknown picture %s\n", argv[0], argv[1]);
        return 2;
    }
    if (!image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    return 0;
}
