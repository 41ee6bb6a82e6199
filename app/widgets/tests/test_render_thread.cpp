// The widget under Qt Quick's threaded render loop: measuring, engine calls,
// file writes and signals run on the GUI thread; the render thread only draws
// the finished picture.
#include "ShotScene.h"

#include "settings/pq_Settings.h"
#include "colour/Kirr_ColorProfileIF.h"
#include "colour/Kirr_colorLibrary.h"

#include <QGuiApplication>
#include <QMutex>
#include <QMutexLocker>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <memory>

namespace {

class RenderThreadTest : public QObject
{
    Q_OBJECT

private slots:
    void workStaysOnTheGuiThread()
    {
        QQuickWindow window;
        window.resize(400, 300);
        ChartShotSpec spec;
        ShotScene scene(spec, QSizeF(400, 300));
        scene.owner.setParentItem(window.contentItem());
        QMutex lock;
        QVector<QThread *> signalThreads;
        QVector<QThread *> paintThreads;
        pq_ImagePatchGridWidget &w = scene.owner.engine;
        connect(&w, &pq_ImagePatchGridWidget::statisticsChanged, this,
                [&] {
                    QMutexLocker locker(&lock);
                    signalThreads << QThread::currentThread();
                },
                Qt::DirectConnection);
        connect(&w, &QckWidget::repaintRequested, this,
                [&] {
                    QMutexLocker locker(&lock);
                    signalThreads << QThread::currentThread();
                },
                Qt::DirectConnection);
        connect(&window, &QQuickWindow::afterRendering, this,
                [&] {
                    QMutexLocker locker(&lock);
                    paintThreads << QThread::currentThread();
                },
                Qt::DirectConnection);
        std::unique_ptr<Kirr_ColorProfileIF> srgb(
            Kirr_profileFromFile(QStringLiteral("/usr/share/color/icc/colord/sRGB.icc")));
        w.setImageProfile(srgb.get());
        w.setMeasurementEnabled(true);
        w.setJob(&scene.job);  // a quick profile is due at the next paint
        scene.job.callThreads.clear();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        scene.owner.update();
        scene.owner.polish();
        QTRY_VERIFY_WITH_TIMEOUT(!scene.job.savePatchGridCalls.isEmpty(), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(paintThreads.size() >= 2, 20000);
        QVERIFY(!scene.job.callThreads.isEmpty());
        for (Qt::HANDLE t : scene.job.callThreads)
            QCOMPARE(t, QThread::currentThreadId());
        QMutexLocker locker(&lock);
        QVERIFY(!signalThreads.isEmpty());
        for (QThread *t : signalThreads)
            QCOMPARE(t, QThread::currentThread());
        qInfo("render loop threads: %s", paintThreads.first() == QThread::currentThread()
                                             ? "GUI thread" : "own render thread");
    }
};

}  // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toUtf8());
    if (qEnvironmentVariableIsEmpty("QSG_RENDER_LOOP"))
        qputenv("QSG_RENDER_LOOP", "threaded");
    QGuiApplication app(argc, argv);
    if (!Kirr_ensureStandardProfiles())
        return 1;
    Kirr_setDisplayProfileSource([] {
        Kirr_DisplayProfileSource source;
        source.path = QStringLiteral("/usr/share/color/icc/colord/AdobeRGB1998.icc");
        return source;
    });
    RenderThreadTest test;
    const int status = QTest::qExec(&test, argc, argv);
    pq_Settings::destroyInstance();
    return status;
}

#include "test_render_thread.moc"
