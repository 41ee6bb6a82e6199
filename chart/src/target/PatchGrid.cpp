#include <chart/PatchGrid.h>
#include "ChartLogging.h"

#include <QDebug>
#include <QFile>
#include <QPixmap>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextStream>
#include <QTransform>

#include <algorithm>

namespace {

int roundHalfUp(double x)
{
    return static_cast<int>(x + 0.5);  // truncates toward zero
}

QPoint mid(const QPoint& a, const QPoint& b)
{
    return (a + b) / 2;
}

bool parseInt(const QStringList& parts, int index, int& out)
{
    if (index >= parts.size())
        return false;
    bool ok = false;
    const int v = parts.at(index).toInt(&ok, 10);
    if (ok)
        out = v;
    return ok;
}

} // namespace

PatchGrid::PatchGrid() = default;
PatchGrid::~PatchGrid() = default;

// ---------------------------------------------------------------- placement file

QByteArray PatchGrid::placementText(const QString& imageName, int angle) const
{
    QByteArray bytes;
    QTextStream out(&bytes, QIODevice::WriteOnly);
    if (!imageName.isEmpty())
        out << "FILENAME\t" << imageName << "\n";
    if (m_imageSize.width() > 0 && m_imageSize.height() > 0)
        out << "IMAGESIZE\t" << m_imageSize.width() << "\t" << m_imageSize.height() << "\n";
    if (angle >= 0)
        out << "ROTATIONANGLE\t" << angle << "\n";
    for (int i = 0; i < 9; ++i) {
        out << "POSITION\t" << i << "\t" << m_points[i].x() << "\t" << m_points[i].y() << "\t"
            << (m_placed[i] ? 1 : 0) << "\n";
    }
    out.flush();
    return bytes;
}

bool PatchGrid::saveToFile(const QString& path, const QString& imageName, int angle, bool append)
{
    const QByteArray text = placementText(imageName, angle);
    if (append) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
            return false;
        return file.write(text) == text.size() && file.flush();
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(text) != text.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool PatchGrid::loadFromFile(const QString& path, const QString& imageName, int angle,
                             const QPixmap* pixmap)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_lastStatus = PlacementCannotOpen;
        return false;
    }
    const QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        m_lastStatus = PlacementCannotOpen;
        return false;
    }
    QSize size;
    if (pixmap)
        size = pixmap->size();
    m_lastStatus = loadFromText(text, imageName, angle, pixmap ? &size : nullptr);
    if (m_lastStatus != PlacementOk)
        qCDebug(lcTarget, "placement file refused (status %d): %s", int(m_lastStatus),
                qUtf8Printable(path));
    return m_lastStatus == PlacementOk;
}

PatchGrid::PlacementStatus PatchGrid::lastPlacementStatus() const
{
    return m_lastStatus;
}

PatchGrid::PlacementStatus PatchGrid::loadFromText(const QByteArray& text, const QString& imageName,
                                                   int angle, const QSize* imageSize)
{
    bool nameOk = imageName.isEmpty();
    bool sizeOk = imageSize == nullptr;
    bool angleOk = angle < 0;

    QPoint points[9];
    bool placed[9] = {};
    bool seen[9] = {};

    static const QRegularExpression separator(QStringLiteral("\\s"));
    QByteArray copy = text;
    QTextStream in(&copy, QIODevice::ReadOnly);
    QString line;
    while (in.readLineInto(&line)) {
        const QStringList parts = line.split(separator);  // empty parts kept
        if (parts.size() < 2)
            continue;
        const QString& key = parts.at(0);
        if (key == QLatin1String("FILENAME")) {
            const QString value = line.mid(key.size() + 1);
            if (!nameOk) {
                if (value != imageName)
                    return PlacementOtherImage;
                nameOk = true;
            }
        } else if (key == QLatin1String("IMAGESIZE")) {
            int w = 0, h = 0;
            if (!parseInt(parts, 1, w) || !parseInt(parts, 2, h) || w <= 0 || h <= 0)
                return PlacementBadNumber;
            if (!sizeOk) {
                if (w != imageSize->width() || h != imageSize->height())
                    return PlacementOtherImage;
                sizeOk = true;
            }
        } else if (key == QLatin1String("ROTATIONANGLE")) {
            int a = 0;
            if (!parseInt(parts, 1, a))
                return PlacementBadNumber;
            if (!angleOk) {
                if (a != angle)
                    return PlacementOtherImage;
                angleOk = true;
            }
        } else if (key == QLatin1String("POSITION")) {
            int index = 0, x = 0, y = 0, flag = 0;
            if (!parseInt(parts, 1, index) || index < 0 || index > 8 || !parseInt(parts, 2, x)
                || !parseInt(parts, 3, y) || !parseInt(parts, 4, flag))
                return PlacementBadNumber;
            if (nameOk && sizeOk && angleOk) {
                points[index] = QPoint(x, y);
                placed[index] = flag != 0;
                seen[index] = true;
            }
        }
    }
    if (!(nameOk && sizeOk && angleOk))
        return PlacementOtherImage;
    if (!std::all_of(std::begin(seen), std::end(seen), [](bool s) { return s; }))
        return PlacementTruncated;

    QSize bounds = m_imageSize;
    if (!(bounds.width() > 0 && bounds.height() > 0) && imageSize)
        bounds = *imageSize;
    if (bounds.width() > 0 && bounds.height() > 0) {
        for (const QPoint& p : points) {
            if (p.x() < 0 || p.y() < 0 || p.x() > bounds.width() || p.y() > bounds.height())
                return PlacementOutsideImage;
        }
    }
    std::copy(std::begin(points), std::end(points), m_points);
    std::copy(std::begin(placed), std::end(placed), m_placed);
    return PlacementOk;
}

// ---------------------------------------------------------------- control points

void PatchGrid::resetToImageRect()
{
    const int w = m_imageSize.width();
    const int h = m_imageSize.height();
    m_points[0] = QPoint(0, 0);
    m_points[2] = QPoint(w, 0);
    m_points[4] = QPoint(w, h);
    m_points[6] = QPoint(0, h);
}

void PatchGrid::updateControlPoints(int moved)
{
    QPoint* p = m_points;
    const bool* placed = m_placed;
    auto setMidsAndCentre = [p]() {
        p[1] = mid(p[0], p[2]);
        p[3] = mid(p[2], p[4]);
        p[5] = mid(p[4], p[6]);
        p[7] = mid(p[0], p[6]);
        p[8] = (p[1] + p[3] + p[5] + p[7]) / 4;
    };

    if (m_mode == 0) {
        switch (moved) {
        case 0:
            if (!placed[2]) p[2].setY(p[0].y());
            if (!placed[6]) p[6].setX(p[0].x());
            break;
        case 2:
            if (!placed[0]) p[0].setY(p[2].y());
            if (!placed[4]) p[4].setX(p[2].x());
            break;
        case 4:
            if (!placed[2]) p[2].setX(p[4].x());
            if (!placed[6]) p[6].setY(p[4].y());
            break;
        case 6:
            if (!placed[4]) p[4].setY(p[6].y());
            if (!placed[0]) p[0].setX(p[6].x());
            break;
        default:
            break;
        }
        setMidsAndCentre();
        return;
    }

    if (moved == -1)
        setMidsAndCentre();
    switch (moved) {
    case 0:
        if (!placed[1]) p[1] = mid(p[0], p[2]);
        if (!placed[7]) p[7] = mid(p[0], p[6]);
        break;
    case 2:
        if (!placed[1]) p[1] = mid(p[0], p[2]);
        if (!placed[3]) p[3] = mid(p[2], p[4]);
        break;
    case 4:
        if (!placed[3]) p[3] = mid(p[2], p[4]);
        if (!placed[5]) p[5] = mid(p[4], p[6]);
        break;
    case 6:
        if (!placed[5]) p[5] = mid(p[4], p[6]);
        if (!placed[7]) p[7] = mid(p[0], p[6]);
        break;
    default:
        break;
    }
    updateCenter();
}

void PatchGrid::setGridSize(int rows, int columns)
{
    m_rows = rows;
    m_columns = columns;
}

void PatchGrid::updateCenter()
{
    if (!m_placed[8])
        m_points[8] = (m_points[1] + m_points[3] + m_points[5] + m_points[7]) / 4;
}

void PatchGrid::setCorners(QPoint topLeft, QPoint topRight, QPoint bottomLeft, QPoint bottomRight)
{
    setCornerMode();
    m_points[0] = topLeft;
    m_points[2] = topRight;
    m_points[6] = bottomLeft;
    m_points[4] = bottomRight;
    m_placed[0] = m_placed[2] = m_placed[4] = m_placed[6] = true;
    updateControlPoints(-1);
}

QPoint& PatchGrid::controlPoint(int i)
{
    if (i < 0 || i > 8) {
        m_scratch = QPoint();
        return m_scratch;
    }
    return m_points[i];
}

const QPoint& PatchGrid::controlPoint(int i) const
{
    if (i < 0 || i > 8) {
        m_scratch = QPoint();
        return m_scratch;
    }
    return m_points[i];
}

void PatchGrid::setControlPoint(int i, QPoint p)
{
    if (i >= 0 && i <= 8)
        m_points[i] = p;
}

void PatchGrid::setControlPointClamped(int i, QPoint p)
{
    p.setX(std::clamp(p.x(), 0, std::max(0, imageWidth())));
    p.setY(std::clamp(p.y(), 0, std::max(0, imageHeight())));
    setControlPoint(i, p);
}

bool PatchGrid::noPointPlaced() const
{
    return std::none_of(std::begin(m_placed), std::end(m_placed), [](bool b) { return b; });
}

void PatchGrid::clearPlacedFlags()
{
    std::fill(std::begin(m_placed), std::end(m_placed), false);
}

bool PatchGrid::isPointPlaced(int i) const
{
    return i >= 0 && i <= 8 && m_placed[i];
}

void PatchGrid::markPointPlaced(int i)
{
    if (i >= 0 && i <= 8)
        m_placed[i] = true;
}

void PatchGrid::setCornerMode()
{
    m_mode = 0;
    for (int i : {1, 3, 5, 7, 8})
        m_placed[i] = false;
}

void PatchGrid::setNinePointMode() { m_mode = 1; }
bool PatchGrid::isCornerMode() const { return m_mode == 0; }
bool PatchGrid::isNinePointMode() const { return m_mode == 1; }
void PatchGrid::setImageSize(QSize size) { m_imageSize = size; }

void PatchGrid::copyFrom(const PatchGridIF* other)
{
    const PatchGrid* grid = dynamic_cast<const PatchGrid*>(other);
    if (!grid || grid == this)
        return;
    m_imageSize = grid->m_imageSize;
    m_rows = grid->m_rows;
    m_columns = grid->m_columns;
    std::copy(std::begin(grid->m_points), std::end(grid->m_points), m_points);
    std::copy(std::begin(grid->m_placed), std::end(grid->m_placed), m_placed);
    m_mode = grid->m_mode;
}

int PatchGrid::rows() const { return m_rows; }
int PatchGrid::columns() const { return m_columns; }
int PatchGrid::imageWidth() const { return m_imageSize.width(); }
int PatchGrid::imageHeight() const { return m_imageSize.height(); }

// ---------------------------------------------------------------- nodes and sample area

QPoint PatchGrid::interpolateInQuadrant(QPoint tl, QPoint tr, QPoint bl, QPoint br, float u, float v,
                                        int /*quadrant*/) const
{
    const double halfC = m_columns * 0.5;
    const double halfR = m_rows * 0.5;
    if (!(halfC > 0.0) || !(halfR > 0.0))
        return tl;
    const int topX = roundHalfUp(tl.x() + u * (tr.x() - tl.x()) / halfC);
    const int bottomX = roundHalfUp(bl.x() + u * (br.x() - bl.x()) / halfC);
    const int x = roundHalfUp(((halfR - v) * topX + v * bottomX) / halfR);
    const int leftY = roundHalfUp(tl.y() + v * (bl.y() - tl.y()) / halfR);
    const int rightY = roundHalfUp(tr.y() + v * (br.y() - tr.y()) / halfR);
    const int y = roundHalfUp(((halfC - u) * leftY + u * rightY) / halfC);
    return QPoint(x, y);
}

QPoint PatchGrid::patchCenter(int column, int row) const
{
    if (m_columns <= 0 || m_rows <= 0)
        return m_points[0];
    const double halfC = m_columns * 0.5;
    const double halfR = m_rows * 0.5;
    const QPoint* p = m_points;
    if (column < halfC && row < halfR)
        return interpolateInQuadrant(p[0], p[1], p[7], p[8], float(column), float(row), 1);
    if (column < halfC)
        return interpolateInQuadrant(p[7], p[8], p[6], p[5], float(column), float(row - halfR), 3);
    if (row < halfR)
        return interpolateInQuadrant(p[1], p[2], p[8], p[3], float(column - halfC), float(row), 2);
    return interpolateInQuadrant(p[8], p[3], p[5], p[4], float(column - halfC), float(row - halfR), 4);
}

void PatchGrid::setSampleArea(int column, int row, double fraction)
{
    const QPoint n00 = patchCenter(column, row);
    const QPoint n10 = patchCenter(column + 1, row);
    const QPoint n01 = patchCenter(column, row + 1);
    const QPoint n11 = patchCenter(column + 1, row + 1);
    const QPoint d1 = (n11 - n00) / 2;
    const QPoint d2 = (n01 - n10) / 2;
    const double k = 1.0 - fraction;
    m_sampleQuad[0] = n00 + d1 * k;
    m_sampleQuad[1] = n10 + d2 * k;
    m_sampleQuad[2] = n11 - d1 * k;
    m_sampleQuad[3] = n01 - d2 * k;
    std::copy(std::begin(m_sampleQuad), std::end(m_sampleQuad), m_measureQuad);
}

void PatchGrid::transformSampleArea(const QTransform& transform)
{
    for (int i = 0; i < 4; ++i)
        m_measureQuad[i] = transform.map(m_sampleQuad[i]);
}

QPoint PatchGrid::sampleCorner(int i) const
{
    if (i < 0 || i > 3)
        return QPoint();
    return m_sampleQuad[i];
}
