#include "WidgetTests.h"

#include "ChartShot.h"
#include "FakeJob.h"
#include "TestOwnerItem.h"

#include "colour/Kirr_ColorProfileIF.h"
#include "colour/Kirr_colorLibrary.h"

#include <QMimeData>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

QPixmap solidPixmap(int w, int h, QColor colour)
{
    QPixmap pixmap(w, h);
    pixmap.fill(colour);
    return pixmap;
}

// Exposes the base's protected steps to the tables.
class ProbeWidget : public pq_ImageWidget
{
public:
    using pq_ImageWidget::applyScaleFactor;
    using pq_ImageWidget::fitScaleFactor;
};

class ImageWidgetTest : public QObject
{
    Q_OBJECT

private slots:
    void rotationNormalises_data()
    {
        QTest::addColumn<int>("angle");
        QTest::addColumn<int>("expected");
        QTest::addRow("-90") << -90 << 270;
        QTest::addRow("450") << 450 << 90;
        QTest::addRow("360") << 360 << 0;
        QTest::addRow("-360") << -360 << 0;
        QTest::addRow("-1") << -1 << 359;
        QTest::addRow("719") << 719 << 359;
    }

    void rotationNormalises()
    {
        QFETCH(int, angle);
        QFETCH(int, expected);
        FakeJob job;
        pq_ImageWidget widget;
        widget.setJob(&job);
        widget.setRotationAngle(angle);
        QCOMPARE(widget.rotationAngle(), expected);
        const int calls = job.loadTargetDataCalls.size();
        widget.setRotationAngle(angle);
        QCOMPARE(job.loadTargetDataCalls.size(), calls);
    }

    void rotationStepsReparse()
    {
        FakeJob job;
        pq_ImageWidget widget;
        widget.setJob(&job);
        widget.setRotateCCW();
        QCOMPARE(widget.rotationAngle(), 270);
        widget.setRotateCW();
        QCOMPARE(widget.rotationAngle(), 0);
        QCOMPARE(job.loadTargetDataCalls, QVector<bool>({false, false}));
        QCOMPARE(widget.isQuickProfileNeeded(), 1);
    }

    void zoomLimits()
    {
        ProbeWidget widget;
        widget.setSize(QSizeF(200, 100));
        const QPixmap pixmap = solidPixmap(50, 40, Qt::red);
        widget.setPixmap(&pixmap);
        widget.setScaleFactor(4.0);
        QCOMPARE(widget.scaleFactor(), 4.0);
        const QImage before = widget.displayImage();
        widget.setIncZoom();
        QCOMPARE(widget.scaleFactor(), 4.0);
        QCOMPARE(widget.displayImage().cacheKey(), before.cacheKey());
        widget.setScaleFactor(0.05);
        const QImage small = widget.displayImage();
        widget.setDecZoom();
        QCOMPARE(widget.scaleFactor(), 0.05);
        QCOMPARE(widget.displayImage().cacheKey(), small.cacheKey());
        QVERIFY(!widget.applyScaleFactor(qQNaN(), true));
    }

    void fit_data()
    {
        QTest::addColumn<QSize>("item");
        QTest::addColumn<QSize>("pixmap");
        QTest::addColumn<double>("expected");
        QTest::addRow("large shot") << QSize(1200, 800) << QSize(4000, 3000) << 0.262144;
        QTest::addRow("small shot") << QSize(1200, 800) << QSize(400, 300) << 2.44140625;
        QTest::addRow("empty item") << QSize(0, 0) << QSize(400, 300) << 1.0;
        QTest::addRow("empty pixmap") << QSize(100, 100) << QSize(0, 0) << 1.0;
    }

    void fit()
    {
        QFETCH(QSize, item);
        QFETCH(QSize, pixmap);
        QFETCH(double, expected);
        ProbeWidget widget;
        widget.setSize(item);
        const QPixmap picture = solidPixmap(pixmap.width(), pixmap.height(), Qt::blue);
        widget.setPixmap(&picture);
        QCOMPARE(widget.fitScaleFactor(), expected);
    }

    void paintsGreyAndCentresTheFittedImage()
    {
        TestOwnerItem owner;
        owner.resizeTo(QSizeF(300, 200));
        const QPixmap pixmap = solidPixmap(100, 50, QColor(200, 10, 20));
        owner.engine.setPixmap(&pixmap);
        const QImage frame = owner.render();
        // 100 x 50 fits at 1.25^4 = 2.44140625: 244 x 122, centred.
        QCOMPARE(owner.engine.scaleFactor(), 2.44140625);
        QCOMPARE(owner.engine.imageOffset(), QPoint(28, 39));
        QCOMPARE(QColor(frame.pixel(5, 5)), QColor(100, 100, 100));
        QCOMPARE(QColor(frame.pixel(150, 100)), QColor(200, 10, 20));
        QCOMPARE(QColor(frame.pixel(150, 30)), QColor(100, 100, 100));
        QVERIFY(owner.updateRequests > 0);
    }

    void degeneratePixmaps_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addRow("0 x 0") << QSize(0, 0);
        QTest::addRow("1 x 1") << QSize(1, 1);
    }

    void degeneratePixmaps()
    {
        QFETCH(QSize, size);
        TestOwnerItem owner;
        owner.resizeTo(QSizeF(40, 30));
        const QPixmap pixmap = solidPixmap(size.width(), size.height(), Qt::green);
        RawImage raw(qMax(1, size.width()), qMax(1, size.height()), 3, 16);
        owner.engine.setPixmap(&pixmap, &raw);
        std::unique_ptr<Kirr_ColorProfileIF> srgb(Kirr_profileFromFile(srgbProfilePath()));
        owner.engine.setImageProfile(srgb.get());
        const QImage frame = owner.render();
        QCOMPARE(QColor(frame.pixel(0, 0)), QColor(100, 100, 100));
        owner.engine.averageColor(QPoint(20, 15), 2);
        QCOMPARE(owner.engine.sampleImage(QPoint(20, 15), QSize(4, 4)).size(), QSize(4, 4));
    }

    void onePixelWidePictureHasNoAverage()
    {
        TestOwnerItem owner;
        owner.resizeTo(QSizeF(40, 30));
        const QPixmap pixmap = solidPixmap(1, 400, Qt::green);
        owner.engine.setPixmap(&pixmap);
        owner.render();
        QCOMPARE(owner.engine.displayImage().width(), 1);
        const QPoint inside = owner.engine.imageOffset() + QPoint(0, 10);
        QVERIFY(owner.engine.averageColor(inside, 0).isEmpty());
        QVERIFY(owner.engine.averageColor(inside, 3).isEmpty());
    }

    void averageColorSamplesOneShortOfTheLastColumn()
    {
        pq_ImageWidget widget;
        widget.setSize(QSizeF(4, 2));
        QImage image(4, 2, QImage::Format_RGB32);
        image.fill(QColor(0, 0, 0));
        image.setPixel(2, 0, qRgb(255, 0, 0));
        image.setPixel(3, 0, qRgb(0, 0, 255));
        const QPixmap pixmap = QPixmap::fromImage(image);
        widget.setPixmap(&pixmap);
        widget.setScaleFactor(1.0);
        widget.renderImage();
        QCOMPARE(widget.scaleFactor(), 1.0);
        const QVector<double> last = widget.averageColor(QPoint(3, 0), 0);
        QCOMPARE(last, QVector<double>({1.0, 0.0, 0.0}));
        QVERIFY(widget.averageColor(QPoint(4, 0), 0).isEmpty());
    }

    void rgbFactorsAndTemperatureRefreshTheColours()
    {
        TestOwnerItem owner;
        owner.resizeTo(QSizeF(32, 32));
        RawImage raw(32, 32, 3, 16);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32 * 3; ++x)
                raw.rowData16(y)[x] = 20000;
        const QPixmap pixmap = solidPixmap(32, 32, Qt::gray);
        owner.engine.setDefaultRGBProfilePath(srgbProfilePath());
        owner.engine.setPixmap(&pixmap, &raw);
        std::unique_ptr<Kirr_ColorProfileIF> srgb(Kirr_profileFromFile(srgbProfilePath()));
        owner.engine.setImageProfile(srgb.get());
        owner.render();
        // The magnifier's picture takes the factors as balance factors.
        const QPoint centre = owner.engine.imageOffset() + QPoint(16, 16);
        const QColor before(owner.engine.sampleImage(centre, QSize(3, 3)).pixel(1, 1));
        owner.engine.setImageRGBFactor({2.0, 1.0, 1.0});
        const QColor after(owner.engine.sampleImage(centre, QSize(3, 3)).pixel(1, 1));
        QVERIFY2(after.red() > before.red(), "the factors reach the screen");
        owner.engine.setTemperature(6500);
        QCOMPARE(QColor(owner.engine.sampleImage(centre, QSize(3, 3)).pixel(1, 1)), after);
    }

    void panning()
    {
        TestOwnerItem owner;
        owner.resizeTo(QSizeF(100, 100));
        const QPixmap pixmap = solidPixmap(50, 50, Qt::red);
        owner.engine.setPixmap(&pixmap);
        owner.render();
        const QPoint start = owner.engine.imageOffset();
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(10, 10), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        owner.engine.mousePressEvent(&press);
        QMouseEvent move(QEvent::MouseMove, QPointF(15, 7), Qt::LeftButton, Qt::LeftButton,
                         Qt::NoModifier);
        owner.engine.mouseMoveEvent(&move);
        QCOMPARE(owner.engine.imageOffset(), start);  // not movable
        owner.engine.setImageMovable(true);
        owner.engine.mousePressEvent(&press);
        QVERIFY(press.isAccepted());
        owner.engine.mouseMoveEvent(&move);
        QCOMPARE(owner.engine.imageOffset(), start + QPoint(5, -3));
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(15, 7), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        owner.engine.mouseReleaseEvent(&release);
        owner.engine.mouseMoveEvent(&move);
        QCOMPARE(owner.engine.imageOffset(), start + QPoint(5, -3));
    }

    void dropsAndDrags_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("dropped");
        QTest::addRow("local file") << "file:///tmp/shot.tif" << true << "/tmp/shot.tif";
        QTest::addRow("web address") << "http://example.org/shot.tif" << false << "";
        QTest::addRow("files text") << "files are here" << true << "";
        // The drag test is case-sensitive, the drop reads a URL.
        QTest::addRow("upper case scheme") << "FILE:///tmp/shot.tif" << false << "/tmp/shot.tif";
    }

    void dropsAndDrags()
    {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QFETCH(QString, dropped);
        pq_ImageWidget widget;
        QSignalSpy spy(&widget, &pq_ImageWidget::signalFileDropped);
        QMimeData mime;
        mime.setText(text);
        QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        enter.setAccepted(false);
        widget.dragEnterEvent(&enter);
        QCOMPARE(enter.isAccepted(), accepted);
        QDropEvent drop(QPointF(1, 1), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        drop.setAccepted(false);
        widget.dropEvent(&drop);
        QCOMPARE(spy.count(), dropped.isEmpty() ? 0 : 1);
        if (!dropped.isEmpty())
            QCOMPARE(spy.at(0).at(0).toString(), dropped);
    }

    void monitorMatchFallsBackToDefaultRgb()
    {
        Kirr_setDisplayProfileSource([] { return Kirr_DisplayProfileSource(); });
        pq_ImageWidget widget;
        widget.setDefaultRGBProfilePath(srgbProfilePath());
        std::unique_ptr<Kirr_ColorProfileIF> adobe(Kirr_profileFromFile(adobeRgbProfilePath()));
        widget.setImageProfile(adobe.get());
        QVERIFY(widget.monitorMatch());
        Kirr_setDisplayProfileSource([] {
            Kirr_DisplayProfileSource source;
            source.path = adobeRgbProfilePath();
            return source;
        });
        widget.setImageProfile(nullptr);
        QVERIFY(!widget.monitorMatch());
        QVERIFY(!widget.imageProfile());
    }
};

}  // namespace

QObject *makeImageWidgetTest() { return new ImageWidgetTest; }

#include "test_image_widget.moc"
