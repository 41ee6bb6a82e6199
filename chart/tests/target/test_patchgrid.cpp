#include <QRegularExpression>
#include "TestSuites.h"

#include <chart/PatchGrid.h>

#include <QFile>
#include <QPixmap>
#include <QPolygon>
#include <QTemporaryDir>
#include <QTest>
#include <QTransform>

#include <array>

namespace {

// A grid of columns x rows placed by its four corners on a w x h rectangle.
PatchGrid placedGrid(int columns, int rows, int w, int h)
{
    PatchGrid grid;
    grid.setImageSize(QSize(w + 10, h + 10));
    grid.setGridSize(rows, columns);
    grid.setCorners(QPoint(0, 0), QPoint(w, 0), QPoint(0, h), QPoint(w, h));
    return grid;
}

std::array<QPoint, 9> pointsOf(const PatchGrid& grid)
{
    std::array<QPoint, 9> points;
    for (int i = 0; i < 9; ++i)
        points[std::size_t(i)] = grid.controlPoint(i);
    return points;
}

QByteArray positions(int count, int x = 5)
{
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += "POSITION\t" + QByteArray::number(i) + "\t" + QByteArray::number(x) + "\t7\t1\n";
    return text;
}

// The debug line of a placement file that is refused.
QByteArray refusedLine(int status, const QString& path)
{
    return QStringLiteral("placement file refused (status %1): %2").arg(status).arg(path).toUtf8();
}

} // namespace

class PatchGridTest : public QObject {
    Q_OBJECT
private slots:
    void nodesAlongTopEdge_data();
    void nodesAlongTopEdge();
    void nodesOfSkewedGrid();
    void cornerModeKeepsAxes();
    void ninePointModeKeepsPlacedMidpoints();
    void clampedPoint();
    void sampleArea_data();
    void sampleArea();
    void copyFromTakesPlacementOnly();
    void saveAndLoadBareFile();
    void saveAndLoadWithImageFields();
    void refusedPlacement_data();
    void refusedPlacement();
    void unopenableFiles();
};

void PatchGridTest::nodesAlongTopEdge_data()
{
    QTest::addColumn<int>("columns");
    QTest::addRow("even: node 3 on the top midpoint") << 6;
    QTest::addRow("odd: half columns in both quarters") << 7;
}

void PatchGridTest::nodesAlongTopEdge()
{
    QFETCH(int, columns);
    const PatchGrid grid = placedGrid(columns, 4, columns * 10, 40);
    for (int c = 0; c <= columns; ++c) {
        QCOMPARE(grid.patchCenter(c, 0), QPoint(10 * c, 0));
        QCOMPARE(grid.patchCenter(c, 4), QPoint(10 * c, 40));
    }
    for (int r = 0; r <= 4; ++r)
        QCOMPARE(grid.patchCenter(columns, r), QPoint(columns * 10, 10 * r));
    QCOMPARE(grid.patchCenter(columns, 4), grid.controlPoint(4));
}

void PatchGridTest::nodesOfSkewedGrid()
{
    // A grid whose right edge is lower: nodes follow each quarter bilinearly.
    PatchGrid grid;
    grid.setGridSize(2, 2);
    grid.setNinePointMode();
    grid.setControlPoint(0, QPoint(0, 0));
    grid.setControlPoint(2, QPoint(100, 20));
    grid.setControlPoint(4, QPoint(100, 120));
    grid.setControlPoint(6, QPoint(0, 100));
    grid.updateControlPoints(-1);
    QCOMPARE(grid.controlPoint(1), QPoint(50, 10));
    QCOMPARE(grid.controlPoint(8), QPoint(50, 60));
    QCOMPARE(grid.patchCenter(1, 0), QPoint(50, 10));
    QCOMPARE(grid.patchCenter(2, 1), QPoint(100, 70));
    QCOMPARE(grid.patchCenter(1, 1), QPoint(50, 60));
    // No grid size: every node is point 0, no division by zero.
    PatchGrid empty;
    QCOMPARE(empty.patchCenter(3, 3), QPoint(0, 0));
}

void PatchGridTest::cornerModeKeepsAxes()
{
    PatchGrid grid = placedGrid(6, 4, 60, 40);
    grid.clearPlacedFlags();
    grid.setControlPoint(0, QPoint(4, 6));
    grid.updateControlPoints(0);
    QCOMPARE(grid.controlPoint(2), QPoint(60, 6));
    QCOMPARE(grid.controlPoint(6), QPoint(4, 40));
    QCOMPARE(grid.controlPoint(1), QPoint(32, 6));

    grid.markPointPlaced(2);
    grid.setControlPoint(0, QPoint(4, 2));
    grid.updateControlPoints(0);
    QCOMPARE(grid.controlPoint(2), QPoint(60, 6));  // placed corner stays
    QCOMPARE(grid.controlPoint(6), QPoint(4, 40));

    // Switching to corner mode forgets placed midpoints and the centre.
    grid.markPointPlaced(1);
    grid.markPointPlaced(8);
    grid.setCornerMode();
    QVERIFY(!grid.isPointPlaced(1));
    QVERIFY(!grid.isPointPlaced(8));
    QVERIFY(grid.isPointPlaced(2));
    QVERIFY(grid.isCornerMode());
}

void PatchGridTest::ninePointModeKeepsPlacedMidpoints()
{
    PatchGrid grid = placedGrid(6, 4, 60, 40);
    grid.setNinePointMode();
    grid.setControlPoint(1, QPoint(31, 3));
    grid.markPointPlaced(1);
    grid.setControlPoint(2, QPoint(70, 0));
    grid.updateControlPoints(2);
    QCOMPARE(grid.controlPoint(1), QPoint(31, 3));
    QCOMPARE(grid.controlPoint(3), QPoint(65, 20));
    QCOMPARE(grid.controlPoint(8), (QPoint(31, 3) + QPoint(65, 20) + grid.controlPoint(5)
                                    + grid.controlPoint(7)) / 4);
    grid.markPointPlaced(8);
    grid.setControlPoint(8, QPoint(1, 1));
    grid.updateCenter();
    QCOMPARE(grid.controlPoint(8), QPoint(1, 1));
    // -1 recomputes every dependent point whatever its flag.
    grid.updateControlPoints(-1);
    QCOMPARE(grid.controlPoint(1), QPoint(35, 0));
}

void PatchGridTest::clampedPoint()
{
    PatchGrid grid;
    grid.setImageSize(QSize(100, 50));
    grid.setControlPointClamped(4, QPoint(120, -3));
    QCOMPARE(grid.controlPoint(4), QPoint(100, 0));
    grid.setControlPointClamped(4, QPoint(100, 50));
    QCOMPARE(grid.controlPoint(4), QPoint(100, 50));
    // Out-of-range indices touch no point.
    grid.setControlPoint(9, QPoint(1, 1));
    grid.controlPoint(-1) = QPoint(5, 5);
    QCOMPARE(grid.controlPoint(0), QPoint(0, 0));
    QVERIFY(!grid.isPointPlaced(9));
}

void PatchGridTest::sampleArea_data()
{
    QTest::addColumn<double>("fraction");
    QTest::addColumn<QPolygon>("quad");
    QTest::addRow("whole cell") << 1.0
                                << QPolygon({{10, 10}, {20, 10}, {20, 20}, {10, 20}});
    // Half diagonals of 2.5 pixels round through qRound (-2.5 goes to -2).
    QTest::addRow("half cell") << 0.5
                               << QPolygon({{13, 13}, {18, 13}, {17, 17}, {12, 17}});
}

void PatchGridTest::sampleArea()
{
    QFETCH(double, fraction);
    QFETCH(QPolygon, quad);
    PatchGrid grid = placedGrid(6, 4, 60, 40);
    grid.setSampleArea(1, 1, fraction);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(grid.sampleCorner(i), quad.at(i));
    QCOMPARE(grid.sampleCorner(4), QPoint());
}

void PatchGridTest::copyFromTakesPlacementOnly()
{
    PatchGrid source = placedGrid(6, 4, 60, 40);
    source.setNinePointMode();
    PatchGrid copy;
    copy.copyFrom(&source);
    QCOMPARE(copy.rows(), 4);
    QCOMPARE(copy.columns(), 6);
    QCOMPARE(copy.imageWidth(), 70);
    QVERIFY(copy.isNinePointMode());
    QCOMPARE(pointsOf(copy), pointsOf(source));
    QVERIFY(copy.isPointPlaced(0));
    QCOMPARE(copy.sampleCorner(0), QPoint());
}

void PatchGridTest::saveAndLoadBareFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("bare.rst");
    PatchGrid grid;
    grid.setImageSize(QSize(0, 0));
    for (int i = 0; i < 9; ++i)
        grid.setControlPoint(i, QPoint(i * 3, i * 5));
    grid.markPointPlaced(4);
    QVERIFY(grid.saveToFile(path, QString(), -1, false));

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QVERIFY(text.startsWith("POSITION\t0\t0\t0\t0\n"));
    QCOMPARE(text.count('\n'), 9);
    QVERIFY(text.contains("POSITION\t4\t12\t20\t1\n"));

    PatchGrid restored;
    QVERIFY(restored.loadFromFile(path, QString(), -1, nullptr));
    QCOMPARE(pointsOf(restored), pointsOf(grid));
    for (int i = 0; i < 9; ++i)
        QCOMPARE(restored.isPointPlaced(i), i == 4);
}

void PatchGridTest::saveAndLoadWithImageFields()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("shot.rst");
    PatchGrid grid = placedGrid(6, 4, 60, 40);  // image 70 x 50
    QVERIFY(grid.saveToFile(path, "my shot.tif", 90, false));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().startsWith("FILENAME\tmy shot.tif\nIMAGESIZE\t70\t50\nROTATIONANGLE\t90\n"));

    QPixmap pixmap(70, 50);
    PatchGrid restored;
    restored.setImageSize(QSize(70, 50));
    QVERIFY(restored.loadFromFile(path, "my shot.tif", 90, &pixmap));
    QCOMPARE(pointsOf(restored), pointsOf(grid));

    struct Case { const char* name; int angle; QSize pixmapSize; };
    const Case others[] = {
        {"other.tif", 90, QSize(70, 50)},
        {"my shot.tif", 0, QSize(70, 50)},
        {"my shot.tif", 90, QSize(71, 50)},
    };
    for (const Case& c : others) {
        PatchGrid untouched;
        untouched.setImageSize(QSize(70, 50));
        QPixmap other(c.pixmapSize);
        const DebugLines lines("pelto.chart.target");
        QTest::ignoreMessage(QtDebugMsg, refusedLine(PatchGrid::PlacementOtherImage, path).constData());
        QVERIFY(!untouched.loadFromFile(path, c.name, c.angle, &other));
        QCOMPARE(untouched.lastPlacementStatus(), PatchGrid::PlacementOtherImage);
        QCOMPARE(pointsOf(untouched), pointsOf(PatchGrid()));
    }
}

void PatchGridTest::refusedPlacement_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("status");
    QTest::addRow("eight points") << positions(8) << int(PatchGrid::PlacementTruncated);
    QByteArray cut = positions(9);
    cut.chop(4);  // last line loses its y and flag
    QTest::addRow("last line cut") << cut << int(PatchGrid::PlacementBadNumber);
    QTest::addRow("x past the image") << positions(9, 101) << int(PatchGrid::PlacementOutsideImage);
    QTest::addRow("negative x") << positions(9, -1) << int(PatchGrid::PlacementOutsideImage);
    QByteArray word = positions(9);
    word.replace("POSITION\t3\t5", "POSITION\t3\tfive");
    QTest::addRow("word for a number") << word << int(PatchGrid::PlacementBadNumber);
    QTest::addRow("index 9") << positions(8) + "POSITION\t9\t1\t1\t0\n"
                             << int(PatchGrid::PlacementBadNumber);
    QTest::addRow("bad image size") << "IMAGESIZE\t100\tx\n" + positions(9)
                                    << int(PatchGrid::PlacementBadNumber);
    QTest::addRow("bad angle") << "ROTATIONANGLE\tnone\n" + positions(9)
                               << int(PatchGrid::PlacementBadNumber);
    QTest::addRow("empty") << QByteArray() << int(PatchGrid::PlacementTruncated);
}

void PatchGridTest::refusedPlacement()
{
    QFETCH(QByteArray, text);
    QFETCH(int, status);
    PatchGrid grid = placedGrid(6, 4, 60, 40);
    grid.setImageSize(QSize(100, 100));
    const auto before = pointsOf(grid);
    QCOMPARE(int(grid.loadFromText(text, QString(), -1, nullptr)), status);
    QCOMPARE(pointsOf(grid), before);
    QVERIFY(grid.isPointPlaced(0));
    QVERIFY(!grid.isPointPlaced(1));

    // The same text from a file gives false and the same status.
    QTemporaryDir dir;
    QFile file(dir.filePath("bad.rst"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();
    const DebugLines lines("pelto.chart.target");
    QTest::ignoreMessage(QtDebugMsg, refusedLine(status, file.fileName()).constData());
    QVERIFY(!grid.loadFromFile(file.fileName(), QString(), -1, nullptr));
    QCOMPARE(int(grid.lastPlacementStatus()), status);
    QCOMPARE(pointsOf(grid), before);
}

void PatchGridTest::unopenableFiles()
{
    QTemporaryDir dir;
    PatchGrid grid;
    QVERIFY(!grid.loadFromFile(dir.filePath("missing.rst"), QString(), -1, nullptr));
    QCOMPARE(grid.lastPlacementStatus(), PatchGrid::PlacementCannotOpen);
    QVERIFY(!grid.saveToFile(dir.filePath("no/such/folder/x.rst"), QString(), -1, false));
    QVERIFY(!grid.saveToFile(dir.filePath("no/such/folder/x.rst"), QString(), -1, true));
}

static RegisterSuite<PatchGridTest> registerPatchGridTest;
#include "test_patchgrid.moc"
