// Draws the pictures and icons of the QML screens at build time:
//   vp_qml_pictures <folder>
// writes <folder>/assets/... and <folder>/images/... (the resource folders).
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdio>
#include <functional>

namespace {

const QColor kAccent(0, 150, 214);
const QColor kDark(52, 56, 64);
const QColor kGrey(150, 154, 160);

const QColor kPatches[] = {
    {115, 82, 68},  {194, 150, 130}, {98, 122, 157}, {87, 108, 67},   {133, 128, 177}, {103, 189, 170},
    {214, 126, 44}, {80, 91, 166},   {193, 90, 99},  {94, 60, 108},   {157, 188, 64},  {224, 163, 46},
    {56, 61, 150},  {70, 148, 73},   {175, 54, 60},  {231, 199, 31},  {187, 86, 149},  {8, 133, 161},
    {243, 243, 242}, {200, 200, 200}, {160, 160, 160}, {122, 122, 121}, {85, 85, 85},  {52, 52, 52},
};

// A colour chart of 6 x 4 patches in a dark frame.
void drawChart(QPainter& p, const QRectF& area)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 30, 32));
    p.drawRoundedRect(area, area.width() * 0.03, area.width() * 0.03);
    const QRectF inner = area.adjusted(area.width() * 0.05, area.height() * 0.07, -area.width() * 0.05,
                                       -area.height() * 0.07);
    const qreal w = inner.width() / 6;
    const qreal h = inner.height() / 4;
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 6; ++column) {
            p.setBrush(kPatches[row * 6 + column]);
            p.drawRoundedRect(QRectF(inner.left() + column * w + w * 0.08, inner.top() + row * h + h * 0.08,
                                     w * 0.84, h * 0.84),
                              w * 0.06, w * 0.06);
        }
    }
}

void drawGrid(QPainter& p, const QRectF& area, const QColor& colour)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour, std::max(1.0, area.width() / 160)));
    const QRectF inner = area.adjusted(area.width() * 0.05, area.height() * 0.07, -area.width() * 0.05,
                                       -area.height() * 0.07);
    for (int c = 0; c <= 6; ++c)
        p.drawLine(QPointF(inner.left() + c * inner.width() / 6, inner.top()),
                   QPointF(inner.left() + c * inner.width() / 6, inner.bottom()));
    for (int r = 0; r <= 4; ++r)
        p.drawLine(QPointF(inner.left(), inner.top() + r * inner.height() / 4),
                   QPointF(inner.right(), inner.top() + r * inner.height() / 4));
}

void drawArrow(QPainter& p, QPointF from, QPointF to, qreal width, const QColor& colour)
{
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(from, to);
    const qreal angle = std::atan2(to.y() - from.y(), to.x() - from.x());
    const qreal head = width * 3;
    p.drawLine(to, to - QPointF(std::cos(angle - 0.5) * head, std::sin(angle - 0.5) * head));
    p.drawLine(to, to - QPointF(std::cos(angle + 0.5) * head, std::sin(angle + 0.5) * head));
}

void drawLock(QPainter& p, const QRectF& r, bool closed, const QColor& colour)
{
    p.setPen(QPen(colour, r.width() * 0.1, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    // An open lock has its shackle raised and free on the right.
    const qreal lift = closed ? 0.0 : r.height() * 0.12;
    const QRectF shackle(r.left() + r.width() * 0.28, r.top() + r.height() * 0.1 - lift, r.width() * 0.44,
                         r.height() * 0.5);
    QPainterPath path;
    path.moveTo(shackle.left(), shackle.center().y());
    path.arcTo(shackle, 180, -180);
    path.lineTo(shackle.right(), shackle.center().y() + (closed ? 0.0 : r.height() * 0.02));
    p.drawPath(path);
    if (!closed)
        p.drawLine(QPointF(shackle.left(), shackle.center().y()),
                   QPointF(shackle.left(), r.top() + r.height() * 0.47));
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawRoundedRect(QRectF(r.left() + r.width() * 0.18, r.top() + r.height() * 0.45, r.width() * 0.64,
                             r.height() * 0.45),
                      r.width() * 0.08, r.width() * 0.08);
}

QImage canvas(int w, int h, const QColor& fill = Qt::transparent)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(fill);
    return image;
}

// The intro pictures: one theme each, on a soft background.
void drawIntro(QPainter& p, int index, const QSizeF& size)
{
    QLinearGradient background(0, 0, 0, size.height());
    background.setColorAt(0, QColor(246, 247, 249));
    background.setColorAt(1, QColor(222, 226, 232));
    p.fillRect(QRectF(QPointF(0, 0), size), background);
    const QRectF chart(size.width() * 0.2, size.height() * 0.22, size.width() * 0.6, size.height() * 0.56);
    const qreal pen = size.width() / 60;
    switch (index) {
    case 1:  // drag and drop
        drawChart(p, chart.translated(size.width() * 0.08, size.height() * 0.06));
        drawArrow(p, QPointF(size.width() * 0.1, size.height() * 0.1),
                  QPointF(size.width() * 0.35, size.height() * 0.4), pen, kAccent);
        break;
    case 2:  // grid placement
        drawChart(p, chart);
        drawGrid(p, chart, QColor(255, 255, 255, 220));
        break;
    case 3: {  // tools: a loupe over the chart
        drawChart(p, chart);
        p.setPen(QPen(kDark, pen * 1.2));
        p.setBrush(QColor(255, 255, 255, 90));
        p.drawEllipse(QPointF(size.width() * 0.62, size.height() * 0.45), size.width() * 0.12,
                      size.width() * 0.12);
        p.drawLine(QPointF(size.width() * 0.7, size.height() * 0.58),
                   QPointF(size.width() * 0.82, size.height() * 0.78));
        break;
    }
    case 4:  // expert mode: sliders with locks
        for (int i = 0; i < 4; ++i) {
            const qreal y = size.height() * (0.25 + i * 0.16);
            p.setPen(QPen(kGrey, pen));
            p.drawLine(QPointF(size.width() * 0.15, y), QPointF(size.width() * 0.7, y));
            p.setPen(Qt::NoPen);
            p.setBrush(kAccent);
            p.drawEllipse(QPointF(size.width() * (0.25 + 0.1 * i), y), pen * 1.6, pen * 1.6);
            drawLock(p, QRectF(size.width() * 0.76, y - size.height() * 0.06, size.height() * 0.12,
                               size.height() * 0.12),
                     i % 2 == 0, kDark);
        }
        break;
    case 5:  // several targets
        for (int i = 0; i < 3; ++i)
            drawChart(p, QRectF(size.width() * (0.1 + i * 0.12), size.height() * (0.15 + i * 0.12),
                                size.width() * 0.5, size.height() * 0.45));
        break;
    case 6: {  // illuminants: a sun and a lamp
        QRadialGradient sun(size.width() * 0.32, size.height() * 0.45, size.width() * 0.16);
        sun.setColorAt(0, QColor(255, 236, 150));
        sun.setColorAt(1, QColor(255, 190, 60));
        p.setPen(Qt::NoPen);
        p.setBrush(sun);
        p.drawEllipse(QPointF(size.width() * 0.32, size.height() * 0.45), size.width() * 0.14,
                      size.width() * 0.14);
        p.setBrush(QColor(255, 170, 90));
        p.drawEllipse(QPointF(size.width() * 0.7, size.height() * 0.42), size.width() * 0.09,
                      size.width() * 0.11);
        p.setBrush(kGrey);
        p.drawRect(QRectF(size.width() * 0.66, size.height() * 0.58, size.width() * 0.08, size.height() * 0.1));
        break;
    }
    case 7: {  // signal colours: three dots
        const QColor dots[] = {QColor(60, 180, 75), QColor(240, 200, 40), QColor(220, 60, 50)};
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 3; ++i) {
            p.setBrush(dots[i]);
            p.drawEllipse(QPointF(size.width() * (0.28 + i * 0.22), size.height() * 0.5), size.width() * 0.08,
                          size.width() * 0.08);
        }
        break;
    }
    case 8: {  // statistics: a histogram
        const qreal bars[] = {0.3, 0.7, 0.9, 0.6, 0.4, 0.25, 0.12};
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 7; ++i) {
            p.setBrush(i < 3 ? QColor(60, 180, 75) : (i < 5 ? QColor(240, 200, 40) : QColor(220, 60, 50)));
            const qreal h = size.height() * 0.6 * bars[i];
            p.drawRect(QRectF(size.width() * (0.15 + i * 0.1), size.height() * 0.8 - h, size.width() * 0.08, h));
        }
        break;
    }
    case 9:  // compare two profiles
        drawChart(p, QRectF(size.width() * 0.06, size.height() * 0.25, size.width() * 0.4, size.height() * 0.45));
        drawChart(p, QRectF(size.width() * 0.54, size.height() * 0.25, size.width() * 0.4, size.height() * 0.45));
        break;
    default: {  // jobs: tiles (10 create, 11 manage, 12 edit)
        for (int i = 0; i < 4; ++i) {
            const QRectF tile(size.width() * (0.14 + (i % 2) * 0.38), size.height() * (0.14 + (i / 2) * 0.38),
                              size.width() * 0.32, size.height() * 0.32);
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::white);
            p.drawRoundedRect(tile, pen, pen);
            drawChart(p, tile.adjusted(tile.width() * 0.12, tile.height() * 0.15, -tile.width() * 0.12,
                                       -tile.height() * 0.35));
        }
        p.setPen(QPen(kAccent, pen * 1.4, Qt::SolidLine, Qt::RoundCap));
        const QPointF c(size.width() * 0.5, size.height() * 0.5);
        if (index == 10) {
            p.drawLine(c - QPointF(pen * 3, 0), c + QPointF(pen * 3, 0));
            p.drawLine(c - QPointF(0, pen * 3), c + QPointF(0, pen * 3));
        } else if (index == 11) {
            drawArrow(p, c - QPointF(pen * 4, 0), c + QPointF(pen * 4, 0), pen, kAccent);
        } else {
            p.drawLine(c + QPointF(-pen * 3, pen * 3), c + QPointF(pen * 3, -pen * 3));
        }
        break;
    }
    }
}

// Icons are drawn on a square canvas of the given size.
using Painter = std::function<void(QPainter&, qreal)>;

struct Icon {
    const char* file;
    int size;
    Painter paint;
};

void lines(QPainter& p, qreal s, const QColor& colour, std::initializer_list<QLineF> list)
{
    p.setPen(QPen(colour, s * 0.09, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (const QLineF& l : list)
        p.drawLine(QLineF(l.p1() * s, l.p2() * s));
}

std::vector<Icon> icons()
{
    return {
        {"assets/icon-listview.png", 64,
         [](QPainter& p, qreal s) {
             for (int i = 0; i < 3; ++i) {
                 p.setPen(Qt::NoPen);
                 p.setBrush(kDark);
                 p.drawRoundedRect(QRectF(s * 0.15, s * (0.18 + i * 0.24), s * 0.7, s * 0.16), s * 0.03, s * 0.03);
             }
         }},
        {"assets/icon-slider.png", 64,
         [](QPainter& p, qreal s) {
             p.setPen(Qt::NoPen);
             p.setBrush(kDark);
             QPolygonF perspective;
             perspective << QPointF(s * 0.2, s * 0.3) << QPointF(s * 0.8, s * 0.2) << QPointF(s * 0.8, s * 0.8)
                         << QPointF(s * 0.2, s * 0.7);
             p.drawPolygon(perspective);
         }},
        {"assets/success.png", 128,
         [](QPainter& p, qreal s) {
             p.setPen(Qt::NoPen);
             p.setBrush(QColor(60, 180, 75));
             p.drawEllipse(QRectF(s * 0.05, s * 0.05, s * 0.9, s * 0.9));
             lines(p, s, Qt::white, {{0.28, 0.52, 0.44, 0.68}, {0.44, 0.68, 0.74, 0.34}});
         }},
        {"assets/failure.png", 128,
         [](QPainter& p, qreal s) {
             p.setPen(Qt::NoPen);
             p.setBrush(QColor(220, 60, 50));
             p.drawEllipse(QRectF(s * 0.05, s * 0.05, s * 0.9, s * 0.9));
             lines(p, s, Qt::white, {{0.32, 0.32, 0.68, 0.68}, {0.68, 0.32, 0.32, 0.68}});
         }},
        {"assets/icon-info.png", 64,
         [](QPainter& p, qreal s) {
             p.setPen(QPen(kAccent, s * 0.07));
             p.setBrush(Qt::NoBrush);
             p.drawEllipse(QRectF(s * 0.08, s * 0.08, s * 0.84, s * 0.84));
             lines(p, s, kAccent, {{0.5, 0.45, 0.5, 0.72}});
             p.setPen(Qt::NoPen);
             p.setBrush(kAccent);
             p.drawEllipse(QPointF(s * 0.5, s * 0.3), s * 0.055, s * 0.055);
         }},
        {"assets/lock-locked.png", 48, [](QPainter& p, qreal s) { drawLock(p, QRectF(0, 0, s, s), true, kAccent); }},
        {"assets/lock-unlocked.png", 48,
         [](QPainter& p, qreal s) { drawLock(p, QRectF(0, 0, s, s), false, kGrey); }},
        {"assets/lock-fixed.png", 48, [](QPainter& p, qreal s) { drawLock(p, QRectF(0, 0, s, s), true, kDark); }},
        {"images/tool-move.png", 48,
         [](QPainter& p, qreal s) {
             lines(p, s, Qt::white,
                   {{0.5, 0.12, 0.5, 0.88}, {0.12, 0.5, 0.88, 0.5}, {0.5, 0.12, 0.38, 0.24}, {0.5, 0.12, 0.62, 0.24},
                    {0.5, 0.88, 0.38, 0.76}, {0.5, 0.88, 0.62, 0.76}, {0.12, 0.5, 0.24, 0.38},
                    {0.12, 0.5, 0.24, 0.62}, {0.88, 0.5, 0.76, 0.38}, {0.88, 0.5, 0.76, 0.62}});
         }},
        {"images/tool-edit.png", 48,
         [](QPainter& p, qreal s) {
             lines(p, s, Qt::white, {{0.2, 0.8, 0.75, 0.25}, {0.2, 0.8, 0.18, 0.62}, {0.2, 0.8, 0.38, 0.82}});
         }},
        {"images/tool-duplicate.png", 48,
         [](QPainter& p, qreal s) {
             p.setPen(QPen(Qt::white, s * 0.08));
             p.setBrush(Qt::NoBrush);
             p.drawRoundedRect(QRectF(s * 0.14, s * 0.14, s * 0.46, s * 0.46), s * 0.05, s * 0.05);
             p.drawRoundedRect(QRectF(s * 0.4, s * 0.4, s * 0.46, s * 0.46), s * 0.05, s * 0.05);
         }},
        {"images/tool-delete.png", 48,
         [](QPainter& p, qreal s) {
             lines(p, s, Qt::white,
                   {{0.2, 0.25, 0.8, 0.25}, {0.3, 0.25, 0.35, 0.85}, {0.7, 0.25, 0.65, 0.85}, {0.35, 0.85, 0.65, 0.85},
                    {0.42, 0.15, 0.58, 0.15}});
         }},
        {"images/tool-save.png", 48,
         [](QPainter& p, qreal s) {
             p.setPen(QPen(kDark, s * 0.08));
             p.setBrush(Qt::NoBrush);
             p.drawRoundedRect(QRectF(s * 0.15, s * 0.15, s * 0.7, s * 0.7), s * 0.06, s * 0.06);
             p.drawRect(QRectF(s * 0.32, s * 0.15, s * 0.36, s * 0.22));
         }},
        {"images/arrow-left.png", 48,
         [](QPainter& p, qreal s) { lines(p, s, kDark, {{0.62, 0.2, 0.34, 0.5}, {0.34, 0.5, 0.62, 0.8}}); }},
        {"images/arrow-right.png", 48,
         [](QPainter& p, qreal s) { lines(p, s, kDark, {{0.38, 0.2, 0.66, 0.5}, {0.66, 0.5, 0.38, 0.8}}); }},
        {"images/drop-art.png", 96,
         [](QPainter& p, qreal s) {
             // An arrow into an open tray.
             drawArrow(p, QPointF(s * 0.5, s * 0.1), QPointF(s * 0.5, s * 0.62), s * 0.08, kAccent);
             lines(p, s, kAccent, {{0.15, 0.62, 0.15, 0.88}, {0.15, 0.88, 0.85, 0.88}, {0.85, 0.88, 0.85, 0.62}});
         }},
        {"images/target-empty.png", 200,
         [](QPainter& p, qreal s) { drawChart(p, QRectF(s * 0.05, s * 0.2, s * 0.9, s * 0.6)); }},
        {"images/wrong-image.png", 200,
         [](QPainter& p, qreal s) {
             // A target whose picture cannot be had: the chart greyed and crossed out.
             drawChart(p, QRectF(s * 0.05, s * 0.2, s * 0.9, s * 0.6));
             p.setPen(Qt::NoPen);
             p.setBrush(QColor(255, 255, 255, 170));
             p.drawRect(QRectF(s * 0.05, s * 0.2, s * 0.9, s * 0.6));
             lines(p, s, QColor(200, 40, 40), {{0.2, 0.25, 0.8, 0.75}, {0.8, 0.25, 0.2, 0.75}});
         }},
    };
}

bool save(const QImage& image, const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (image.save(path, nullptr, 90))
        return true;
    std::fprintf(stderr, "vp_qml_pictures: cannot write %s\n", qPrintable(path));
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: vp_qml_pictures <folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    static const char* const introNames[] = {"01-DragDrop",        "02-Place-Grid",         "03-Tools",
                                             "04-Expert-Mode",     "05-Multi-Target",       "06-Illuminants",
                                             "07-Signal-Colours",  "08-Quality-Statistics", "09-Compare-Profiles",
                                             "10-Create-Jobs",     "11-Manage-Jobs",        "12-Edit-Jobs"};
    bool ok = true;
    for (int i = 0; i < 12; ++i) {
        QImage image = canvas(360, 240, Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        drawIntro(painter, i + 1, image.size());
        painter.end();
        ok = save(image.convertToFormat(QImage::Format_RGB32),
                  folder + "/assets/" + QString::fromLatin1(introNames[i]) + ".jpg") && ok;
    }
    for (const Icon& icon : icons()) {
        QImage image = canvas(icon.size, icon.size);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        icon.paint(painter, icon.size);
        painter.end();
        ok = save(image, folder + "/" + QString::fromLatin1(icon.file)) && ok;
    }
    return ok ? 0 : 1;
}
