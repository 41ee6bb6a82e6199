#include "SuiteRunner.h"

#include "colour/Kirr_ColorCurve.h"
#include "colour/Kirr_XmlSettings.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

QString fixture(const char *name)
{
    return QStringLiteral(VALUES_FIXTURE_DIR "/") + QLatin1String(name);
}

QByteArray file_bytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool write_file(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

Kirr_ColorCurve neutral_curve()
{
    Kirr_ColorCurve c;
    c.setCurveType(QStringLiteral("n"));
    c.setRange(0, 1, 0, 1, 0);
    c.setPoint(0, 0, 0);
    c.setPoint(1, 1, 0);
    c.setPoint(0.25, 0.4, 0);
    return c;
}

// A curve file with one neutral curve; %1 replaces the inner of the curve
// group, %2 the curve count, %3 the type.
QByteArray curve_file(const QString &inner, const QString &count = QStringLiteral("1"),
                      const QString &type = QStringLiteral("n"))
{
    return QStringLiteral("<settings><group name=\"ColorCurve\"><value name=\"Type\">%3</value>"
                          "<group name=\"Curves\"><value name=\"size\">%2</value>"
                          "<group name=\"1\">%1</group></group></group></settings>")
        .arg(inner, count, type)
        .toUtf8();
}

}  // namespace

class ColorCurveTest : public QObject
{
    Q_OBJECT

private slots:
    void defaultsAndTypes();
    void pointsRangesAndSwap();
    void asLutAndSpline();
    void saveWritesTheStoredLayout();
    void readsAHandEditedFile();
    void roundTripKeepsEveryValue();
    void saveReplacesAndFailsCleanly();
    void refusesMalformedFiles_data();
    void refusesMalformedFiles();
    void openWithQSettings();
};

void ColorCurveTest::defaultsAndTypes()
{
    Kirr_ColorCurve c;
    QCOMPARE(c.curveType(), QStringLiteral("rgb"));
    QCOMPARE(c.curveCount(), 3);
    for (int i = -1; i <= 3; ++i)
        QVERIFY(c.isCurveEmpty(i));
    c.setPoint(0.5, 0.5, 2);
    QVERIFY(c.setCurveType(QStringLiteral("n")));
    QCOMPARE(c.curveCount(), 1);
    QVERIFY(c.isCurveEmpty(0));
    for (const QString &bad : {QString(), QStringLiteral("r g"), QStringLiteral("a/b"),
                               QStringLiteral("abcdefghijklmnopq"), QStringLiteral("ä")}) {
        QVERIFY2(!c.setCurveType(bad), qPrintable(bad));
        QCOMPARE(c.curveType(), QStringLiteral("n"));
    }
    QVERIFY(c.setCurveType(QStringLiteral("cmyk")));
    QCOMPARE(c.curveCount(), 4);
}

void ColorCurveTest::pointsRangesAndSwap()
{
    Kirr_ColorCurve c;
    c.setRange(0, 255, 10, 20, 1);
    c.setRange(0, NAN, 0, 1, 1);  // ignored
    c.setRange(0, 2, 0, 2, 5);    // no such curve
    c.setPoint(0.8, 0.1, 1);
    c.setPoint(0.2, 0.3, 1);
    c.setPoint(0.8, 0.9, 1);  // same x: replaces
    c.setPoint(INFINITY, 0.5, 1);
    c.setPoint(0.5, 0.5, 3);
    QCOMPARE(c.pointCount(1), 2);
    QCOMPARE(c.pointX(1, 0), 0.2);
    QCOMPARE(c.pointY(1, 1), 0.9);
    QCOMPARE(c.pointX(1, 2), 0.0);
    QCOMPARE(c.xMax(1), 255.0);
    QCOMPARE(c.yMin(1), 10.0);
    QCOMPARE(c.xMax(0), 1.0);

    c.swapAxes(1);
    QCOMPARE(c.xMin(1), 10.0);
    QCOMPARE(c.xMax(1), 20.0);
    QCOMPARE(c.yMax(1), 255.0);
    QCOMPARE(c.pointX(1, 0), 0.3);
    QCOMPARE(c.pointY(1, 0), 0.2);
    QCOMPARE(c.pointX(1, 1), 0.9);
    QVERIFY(c.isCurveEmpty(0));
    c.swapAxes(7);  // no such curve: nothing happens
}

void ColorCurveTest::asLutAndSpline()
{
    const Kirr_ColorCurve c = neutral_curve();
    Kirr_BezierLut lut = c.bezierLut(0);
    QCOMPARE(lut.pointCount(), 3);
    QCOMPARE(lut.x(1), 25.0);
    QCOMPARE(lut.y(1), 40.0);
    QCOMPARE(lut.lutSize(), 256);
    QCOMPARE(lut.outputMaximum(), 255);
    QVERIFY(!lut.isBuilt());
    QVERIFY(lut.build());
    QCOMPARE(lut.evaluate(1.0), 1.0);

    const Kirr_Spline1 s = c.spline(0);
    QCOMPARE(s.pointCount(), 3);
    QVERIFY(s.isSolved());
    QVERIFY(std::fabs(s.evaluate(0.25) - 0.4) < 1e-12);

    QVERIFY(c.bezierLut(4).isEmpty());
    QVERIFY(c.spline(-1).isEmpty());
}

void ColorCurveTest::saveWritesTheStoredLayout()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("curve.xml"));
    QVERIFY(neutral_curve().save(path));
    const QByteArray expected = file_bytes(fixture("neutral_curve.xml"));
    QVERIFY(!expected.isEmpty());
    QCOMPARE(file_bytes(path), expected);

    const Kirr_ColorCurve back(fixture("neutral_curve.xml"));
    QCOMPARE(back.curveType(), QStringLiteral("n"));
    QCOMPARE(back.pointCount(0), 3);
    QCOMPARE(back.pointY(0, 1), 0.4);
}

void ColorCurveTest::readsAHandEditedFile()
{
    Kirr_ColorCurve c;
    QVERIFY(c.load(fixture("hand_edited_rgb.xml")));
    QCOMPARE(c.curveType(), QStringLiteral("rgb"));
    QCOMPARE(c.curveCount(), 3);
    QVERIFY(c.isCurveEmpty(0));
    QCOMPARE(c.xMax(0), 1.0);  // a curve left out keeps the default range
    QCOMPARE(c.xMax(1), 255.0);
    QCOMPARE(c.yMin(1), -1.5);
    QCOMPARE(c.yMax(1), 100.0);
    QCOMPARE(c.pointCount(1), 2);
    QCOMPARE(c.pointX(1, 0), 10.0);
    QCOMPARE(c.pointY(1, 0), 12.5);
    QCOMPARE(c.pointY(1, 1), 200.0);
    QVERIFY(c.isCurveEmpty(2));
}

void ColorCurveTest::roundTripKeepsEveryValue()
{
    // A film curve as the quick profile extracts it: neutral, 0..1, with
    // levels that need every digit.
    Kirr_ColorCurve c;
    c.setCurveType(QStringLiteral("n"));
    c.setRange(0, 1, 0, 1, 0);
    c.setPoint(0, 0, 0);
    for (int i = 1; i < 24; ++i)
        c.setPoint(i * 31.7 / 765.0, std::pow(i / 24.0, 2.2) + 1e-17 * i, 0);
    c.setPoint(1, 1, 0);
    c.swapAxes(0);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("CanonEOS5DMarkIV.xml"));
    QVERIFY(c.save(path));
    const Kirr_ColorCurve back(path);
    QCOMPARE(back.curveType(), c.curveType());
    QCOMPARE(back.pointCount(0), c.pointCount(0));
    for (int i = 0; i < c.pointCount(0); ++i) {
        QCOMPARE(back.pointX(0, i), c.pointX(0, i));
        QCOMPARE(back.pointY(0, i), c.pointY(0, i));
    }
}

void ColorCurveTest::saveReplacesAndFailsCleanly()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("curve.xml"));
    QVERIFY(write_file(path, QByteArray(100000, 'x')));
    QVERIFY(neutral_curve().save(path));
    QCOMPARE(file_bytes(path), file_bytes(fixture("neutral_curve.xml")));
    QVERIFY(!neutral_curve().save(dir.filePath(QStringLiteral("missing/curve.xml"))));
    QVERIFY(!neutral_curve().save(dir.path()));
    QVERIFY(QFileInfo(dir.path()).isDir());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("curve.xml")});
}

void ColorCurveTest::refusesMalformedFiles_data()
{
    QTest::addColumn<QByteArray>("text");
    const QString points =
        QStringLiteral("<group name=\"Points\"><value name=\"size\">1</value>"
                       "<group name=\"1\"><value name=\"X\">%1</value><value name=\"Y\">%2</value></group></group>");
    QTest::addRow("empty file") << QByteArray();
    QTest::addRow("truncated") << curve_file(points.arg(0).arg(0)).left(120);
    QTest::addRow("not xml settings") << QByteArray("[ColorCurve]\nType=n\n");
    QTest::addRow("no type") << QByteArray("<settings><group name=\"ColorCurve\"/></settings>");
    QTest::addRow("bad type") << curve_file(QString(), QStringLiteral("1"), QStringLiteral("n n"));
    QTest::addRow("type as a list")
        << QByteArray("<settings><group name=\"ColorCurve\"><value name=\"Type\" type=\"list\">"
                      "<item>n</item></value></group></settings>");
    QTest::addRow("count differs from type") << curve_file(QString(), QStringLiteral("2"));
    QTest::addRow("count not a number") << curve_file(QString(), QStringLiteral("one"));
    QTest::addRow("no count") << QByteArray("<settings><group name=\"ColorCurve\"><value name=\"Type\">n"
                                            "</value></group></settings>");
    QTest::addRow("newer version")
        << QByteArray("<settings><group name=\"ColorCurve\"><value name=\"Version\">2</value>"
                      "<value name=\"Type\">n</value><group name=\"Curves\"><value name=\"size\">1"
                      "</value></group></group></settings>");
    QTest::addRow("range not a number") << curve_file(QStringLiteral("<value name=\"XMax\">wide</value>"));
    QTest::addRow("range infinite") << curve_file(QStringLiteral("<value name=\"YMin\">-inf</value>"));
    QTest::addRow("point not a number") << curve_file(points.arg(QStringLiteral("0,5")).arg(0));
    QTest::addRow("point nan") << curve_file(points.arg(0).arg(QStringLiteral("nan")));
    QTest::addRow("point without y")
        << curve_file(QStringLiteral("<group name=\"Points\"><value name=\"size\">1</value>"
                                     "<group name=\"1\"><value name=\"X\">0</value></group></group>"));
    QTest::addRow("more points than given")
        << curve_file(QStringLiteral("<group name=\"Points\"><value name=\"size\">2</value>"
                                     "<group name=\"1\"><value name=\"X\">0</value><value name=\"Y\">0"
                                     "</value></group></group>"));
    QTest::addRow("negative point count")
        << curve_file(QStringLiteral("<group name=\"Points\"><value name=\"size\">-1</value></group>"));
    QTest::addRow("huge point count")
        << curve_file(QStringLiteral("<group name=\"Points\"><value name=\"size\">2147483647</value></group>"));
}

void ColorCurveTest::refusesMalformedFiles()
{
    QFETCH(QByteArray, text);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.xml"));
    QVERIFY(write_file(path, text));
    Kirr_ColorCurve c = neutral_curve();
    QVERIFY(!c.load(path));
    QCOMPARE(c.curveType(), QStringLiteral("n"));  // unchanged
    QCOMPARE(c.pointCount(0), 3);
    const Kirr_ColorCurve opened(path);
    QCOMPARE(opened.curveType(), QStringLiteral("rgb"));
    QVERIFY(opened.isCurveEmpty(0));
}

void ColorCurveTest::openWithQSettings()
{
    QSettings settings(fixture("neutral_curve.xml"), Kirr_xmlSettingsFormat());
    QCOMPARE(settings.status(), QSettings::NoError);
    QCOMPARE(settings.value(QStringLiteral("ColorCurve/Type")).toString(), QStringLiteral("n"));
    settings.beginGroup(QStringLiteral("ColorCurve"));
    QCOMPARE(settings.beginReadArray(QStringLiteral("Curves")), 1);
    settings.setArrayIndex(0);
    QCOMPARE(settings.beginReadArray(QStringLiteral("Points")), 3);
    settings.setArrayIndex(1);
    QCOMPARE(settings.value(QStringLiteral("Y")).toDouble(), 0.4);
    settings.endArray();
    settings.endArray();
    settings.endGroup();

    QVERIFY(!Kirr_ColorCurve().load(fixture("no_such_file.xml")));
    QVERIFY(!Kirr_ColorCurve().load(QStringLiteral(VALUES_FIXTURE_DIR)));
}

VP_TEST_SUITE(ColorCurveTest);

#include "color_curve_test.moc"
