#include "items/CppImageWidget.h"
#include "items/CppTargetIconProvider.h"
#include "items/CppZoomedArea.h"
#include "items/pq_ItemHost.h"
#include "items/pq_registerItems.h"
#include "jobs/pq_ProfilingThreadMgrIF.h"
#include "jobs/pq_targetIcon.h"

#include "ChartShot.h"
#include "FakeJob.h"
#include "colour/Kirr_ColorProfileIF.h"
#include "colour/Kirr_colorLibrary.h"
#include "engine/records.h"
#include "jobs/pq_targetInfo.h"
#include "platform/program_folders.h"
#include "widgets/pq_ImagePatchGridWidget.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPixmap>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQmlPropertyMap>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

// Receives the engine's reports as the controller does.
class ReportReceiver : public QObject {
    Q_OBJECT
public slots:
    void catchPatchInfo(bool show, int, int, bool, QColor, QColor, double, double, double,
                        double, double, double, double, double, double, double, double, double,
                        double, double, double, double delE, double, double)
    {
        patchShown = show;
        lastDelE = delE;
    }
    void catchColorPicker(int x, int y) { picked = QPoint(x, y); }

public:
    bool patchShown = false;
    double lastDelE = 0;
    QPoint picked;
};

// Records what the items ask of the controller.
class RecordingHost : public pq_ItemHost {
public:
    struct Alert {
        QString kind, title, message;
    };
    pq_JobListIF* jobList() override { return nullptr; }
    QQmlPropertyMap* currentJobMap() override { return &map; }
    void alertCritical(const QString& t, const QString& m) override { alerts.push_back({"critical", t, m}); }
    void alertWarning(const QString& t, const QString& m) override { alerts.push_back({"warning", t, m}); }
    void alertInformation(const QString& t, const QString& m) override { alerts.push_back({"information", t, m}); }
    bool selectNextTarget4Drop() override { return moreTargets; }
    void selectTarget4Profiling(int index) override { selected.append(index); }
    void setProfileNameTag(const QString& t) override { tag = t; }
    void setProfileName(const QString& n, int prefix) override { name = n; prefixLength = prefix; }
    void toggleColorPicker(bool) override { ++pickerToggles; }
    void profileCreated(const QString& path) override { created = path; }
    QObject* reportReceiver() override { return &receiver; }
    void registerImageItem(QObject* owner, pq_ImageItemIF* item) override
    {
        if (owner || imageItem == item) {
            imageOwner = owner;
            imageItem = owner ? item : nullptr;
        }
    }
    void registerMagnifier(QObject* owner, pq_MagnifierIF* m) override
    {
        if (owner || magnifier == m) {
            magnifierOwner = owner;
            magnifier = owner ? m : nullptr;
        }
    }
    pq_JobIF* findJobByName(const QString& n) override { return jobs.value(n); }

    QQmlPropertyMap map;
    std::vector<Alert> alerts;
    bool moreTargets = false;
    QVector<int> selected;
    QString tag, name, created;
    int prefixLength = -1;
    int pickerToggles = 0;
    QObject* imageOwner = nullptr;
    pq_ImageItemIF* imageItem = nullptr;
    QObject* magnifierOwner = nullptr;
    pq_MagnifierIF* magnifier = nullptr;
    QMap<QString, pq_JobIF*> jobs;
    ReportReceiver receiver;
};

// A fake job with a target description, a scripted createProfile and named.
class ItemJob : public FakeJob {
public:
    ItemJob() { info.referenceFile = QStringLiteral("ref.txt"); }
    pq_targetInfo* currentTargetInfo() const override { return const_cast<pq_targetInfo*>(&info); }
    QString getJobName() const override { return jobName; }
    bool loadPatchGrid(int mode) override
    {
        loadPatchGridCalls.append(mode);
        return storedPlacement;
    }
    int createProfile(QString& path, bool pcsXyz, int, int, const QString& customIlluminant,
                      const calculation_settings* settings, bool linear, const Kirr_BezierLut*,
                      const Kirr_Spline1*, double g, double, int gridMode) override
    {
        path = QStringLiteral("out.icc");
        lastIlluminantPath = customIlluminant;
        lastPcsXyz = pcsXyz;
        lastSettings = *settings;
        lastLinear = linear;
        gamma = g;
        lastGridMode = gridMode;
        return createResult;
    }
    QString outputFolder() const override { return folder; }
    QString profileName() const override { return QStringLiteral("ABCprofile"); }
    QString profileNamePrefix() const override { return QStringLiteral("ABC"); }
    QString profileExtension() const override { return QStringLiteral("icc"); }
    bool isChartImageLoaded() const override { return chartLoaded; }
    QPixmap targetPixmap(int index) const override
    {
        if (index < 0 || index > 50)
            return QPixmap();
        QPixmap p(10 + index, 5);
        p.fill(Qt::green);
        return p;
    }

    pq_targetInfo info;
    QString jobName = QStringLiteral("Studio");
    QString folder = QStringLiteral("/out/");
    QVector<int> loadPatchGridCalls;
    bool storedPlacement = false;
    bool chartLoaded = false;  // the film curve was applied
    int createResult = 0;
    bool lastPcsXyz = false;
    calculation_settings lastSettings{};
    bool lastLinear = false;
    double gamma = 0;
    int lastGridMode = -1;
    QString lastIlluminantPath = QStringLiteral("unset");
};

// The image turned counter-clockwise by angle: a clockwise turn by angle shows
// it upright.
RawImage turnedBack(const RawImage& in, int angle)
{
    const int w = in.width(), h = in.height(), ch = in.channels();
    const bool swap = angle == 90 || angle == 270;
    RawImage out(swap ? h : w, swap ? w : h, ch, in.bitsPerSample());
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) {
            int sx = x, sy = y;
            if (angle == 90) { sx = w - 1 - y; sy = x; }
            else if (angle == 180) { sx = w - 1 - x; sy = h - 1 - y; }
            else if (angle == 270) { sx = y; sy = h - 1 - x; }
            for (int c = 0; c < ch; ++c)
                out.rowData16(y)[x * ch + c] = in.rowData16(sy)[sx * ch + c];
        }
    return out;
}

// HOME and XDG_DATA_HOME in a fresh folder for the life of the object, so
// that the program's folders lie there.
class ScratchFolders {
public:
    ScratchFolders() : m_home(qgetenv("HOME")), m_data(qgetenv("XDG_DATA_HOME"))
    {
        qputenv("HOME", QFile::encodeName(m_dir.path()));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.path() + "/data"));
    }
    ~ScratchFolders()
    {
        restore("HOME", m_home);
        restore("XDG_DATA_HOME", m_data);
    }
    QString path() const { return m_dir.path(); }

private:
    static void restore(const char* name, const QByteArray& value)
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    QTemporaryDir m_dir;
    QByteArray m_home, m_data;
};

// A CGATS reference with the values of its first and last `swapped` data
// lines exchanged pairwise: the chart's colours, some on the wrong patches.
QString scrambledReference(const QString& reference, int swapped)
{
    QStringList lines = reference.split(QLatin1Char('\n'));
    const int begin = lines.indexOf(QStringLiteral("BEGIN_DATA"));
    const int end = lines.indexOf(QStringLiteral("END_DATA"));
    if (begin < 0 || end - begin - 1 < 2 * swapped)
        return reference;
    for (int i = 0; i < swapped; ++i) {
        QString& a = lines[begin + 1 + i];
        QString& b = lines[end - 1 - i];
        const QString va = a.section(QLatin1Char(' '), 1), vb = b.section(QLatin1Char(' '), 1);
        a = a.section(QLatin1Char(' '), 0, 0) + QLatin1Char(' ') + vb;
        b = b.section(QLatin1Char(' '), 0, 0) + QLatin1Char(' ') + va;
    }
    return lines.join(QLatin1Char('\n'));
}

// A shot of cells large enough for every rotation's corner search.
ChartShot roomyShot()
{
    ChartShotSpec spec;
    spec.cell = 40;
    spec.margin = 40;
    return makeChartShot(spec);
}

QVector<QSize> g_finderSizes;
void recordFinder(const QImage& image) { g_finderSizes.append(image.size()); }

}  // namespace

class ItemsTest : public QObject {
    Q_OBJECT

private:
    RecordingHost* host = nullptr;

    std::unique_ptr<ItemJob> makeJob(const ChartShot& shot)
    {
        auto job = std::make_unique<ItemJob>();
        job->info.columns = shot.spec.columns;
        job->info.rows = shot.spec.rows;
        job->setTargetTexts(shot.spec.columns, shot.spec.rows, shot.definition, shot.reference);
        job->setChartImage(shot.image);
        job->grid.setImageSize(QSize(shot.image.width(), shot.image.height()));
        job->grid.setGridSize(shot.spec.rows, shot.spec.columns);
        host->jobs.insert(job->jobName, job.get());
        return job;
    }

private slots:
    void init()
    {
        host = new RecordingHost;
        pq_ItemHost::setInstance(host);
        g_finderSizes.clear();
        CppImageWidget::setFinderProbe(recordFinder);
    }
    void cleanup()
    {
        CppImageWidget::setFinderProbe(nullptr);
        pq_ItemHost::setInstance(nullptr);
        delete host;
        host = nullptr;
    }

    void registersAndUnregisters()
    {
        {
            CppImageWidget item;
            CppZoomedArea magnifier;
            QCOMPARE(host->imageItem, static_cast<pq_ImageItemIF*>(&item));
            QCOMPARE(host->magnifier, static_cast<pq_MagnifierIF*>(&magnifier));
        }
        QVERIFY(!host->imageItem);
        QVERIFY(!host->magnifier);
        // Only the registered item unregisters.
        auto first = std::make_unique<CppImageWidget>();
        CppImageWidget second;
        first.reset();
        QCOMPARE(host->imageItem, static_cast<pq_ImageItemIF*>(&second));
    }

    void setJobByNameKeepsNoStaleJob()
    {
        ChartShotSpec spec;
        const ChartShot shot = makeChartShot(spec);
        auto job = makeJob(shot);
        CppImageWidget item;
        item.setJobByName(QStringLiteral("Studio"));
        QCOMPARE(item.job(), static_cast<pq_JobIF*>(job.get()));
        pq_ImagePatchGridWidget* engine = item.engine();
        QVERIFY(engine);
        item.setJobByName(QStringLiteral("Studio"));
        QCOMPARE(item.engine(), engine);  // already connected
        item.setJobByName(QStringLiteral("Unknown"));
        QVERIFY(!item.job());
        item.setJobByName(QStringLiteral("Studio"));
        item.setJobByName(QString());
        QVERIFY(!item.job());
        // The load signal of a job left behind reaches nothing.
        emit job->chartImageLoaded(true, QString());
        QVERIFY(job->loadPatchGridCalls.isEmpty());
    }

    void rotationSearchFindsTheGrid_data()
    {
        QTest::addColumn<int>("angle");
        for (int a : {0, 90, 180, 270})
            QTest::addRow("%d", a) << a;
    }
    void rotationSearchFindsTheGrid()
    {
        QFETCH(int, angle);
        ChartShot shot = roomyShot();
        const QSizeF upright(shot.image.width(), shot.image.height());
        auto job = makeJob(shot);
        job->setChartImage(turnedBack(shot.image, angle));
        CppImageWidget item;
        item.setSize(QSizeF(400, 300));
        item.setJobByName(QStringLiteral("Studio"));
        item.setShot(QStringLiteral("file:///shots/a.tif"));
        emit job->chartImageLoaded(true, QString());
        QCOMPARE(item.engine()->rotationAngle(), angle);
        QVERIFY(g_finderSizes.size() <= 2);
        const double diagonal = std::hypot(upright.width(), upright.height());
        for (int i = 0; i < 4; ++i) {
            const int points[4] = {0, 2, 6, 4};
            const QPoint p = job->grid.controlPoint(points[i]);
            const QPointF want = shot.corners[i];
            QVERIFY2(std::hypot(p.x() - want.x(), p.y() - want.y()) <= 0.01 * diagonal,
                     qPrintable(QString("corner %1 at %2,%3, drawn at %4,%5")
                                    .arg(i).arg(p.x()).arg(p.y()).arg(want.x()).arg(want.y())));
        }
        QCOMPARE(item.shotRotation(QStringLiteral("file:///shots/a.tif")), angle);
        QVERIFY(item.isLastShot());
    }

    // Without a fitting rotation the picture is not left turned: upright with
    // the default grid when no chart is found, else the best rotation tried
    // on the finder's corners; either way the user is asked to place the grid.
    void noFittingRotationAsksForTheGrid_data()
    {
        QTest::addColumn<bool>("chart");
        QTest::addRow("grey card") << false;
        QTest::addRow("chart with misplaced colours") << true;
    }
    void noFittingRotationAsksForTheGrid()
    {
        QFETCH(bool, chart);
        const ChartShot shot = roomyShot();
        const ChartShotSpec& spec = shot.spec;
        auto job = makeJob(shot);
        if (chart) {
            // Some colours on the wrong patches: the grid is the chart's, yet
            // no orientation's quick profile fits.
            job->setTargetTexts(spec.columns, spec.rows, shot.definition,
                                scrambledReference(shot.reference, 5));
            job->setChartImage(shot.image);
        } else {
            RawImage grey(shot.image.width(), shot.image.height(), 3, 16);
            for (int y = 0; y < grey.height(); ++y)
                for (int x = 0; x < grey.width() * 3; ++x)
                    grey.rowData16(y)[x] = 20000;
            job->setChartImage(grey);
        }
        CppImageWidget item;
        item.setSize(QSizeF(400, 300));
        item.setJobByName(QStringLiteral("Studio"));
        item.setShot(QStringLiteral("card.tif"));
        emit job->chartImageLoaded(true, QString());
        QCOMPARE(g_finderSizes.size(), 2);
        const int rotation = item.engine()->rotationAngle();
        QCOMPARE(item.shotRotation(QStringLiteral("card.tif")), rotation);
        const int points[4] = {0, 2, 6, 4};
        if (chart) {
            QVERIFY2(rotation == 0 || rotation == 180, qPrintable(QString::number(rotation)));
            const double diagonal = std::hypot(shot.image.width(), shot.image.height());
            for (int i = 0; i < 4; ++i) {
                const QPoint p = job->grid.controlPoint(points[i]);
                const QPointF want = rotation == 0
                                         ? shot.corners[i]
                                         : QPointF(shot.image.width(), shot.image.height()) -
                                               shot.corners[3 - i];
                QVERIFY2(std::hypot(p.x() - want.x(), p.y() - want.y()) <= 0.01 * diagonal,
                         qPrintable(QString("corner %1 at %2,%3").arg(i).arg(p.x()).arg(p.y())));
            }
        } else {
            QCOMPARE(rotation, 0);
            QCOMPARE(job->grid.controlPoint(0), QPoint(0, 0));
            QCOMPARE(job->grid.controlPoint(4), QPoint(shot.image.width(), shot.image.height()));
        }
        const auto told = std::count_if(host->alerts.begin(), host->alerts.end(), [](const auto& a) {
            return a.kind == QLatin1String("warning") && a.title == QLatin1String("Place the grid");
        });
        QCOMPARE(int(told), 1);
    }

    // After the search the picture as turned fits the view whole.
    void turnedPictureFitsTheView()
    {
        const ChartShot shot = roomyShot();
        auto job = makeJob(shot);
        job->setChartImage(turnedBack(shot.image, 90));
        CppImageWidget item;
        item.setSize(QSizeF(900, 400));
        item.setJobByName(QStringLiteral("Studio"));
        emit job->chartImageLoaded(true, QString());
        pq_ImagePatchGridWidget* engine = item.engine();
        QCOMPARE(engine->rotationAngle(), 90);
        engine->renderImage();
        // Shown turned: the upright shot's width across, its height down.
        const double f = engine->scaleFactor();
        QVERIFY2(f * shot.image.width() <= 900 && f * shot.image.height() <= 400,
                 qPrintable(QString("scale %1").arg(f)));
        QVERIFY(f * 1.25 * shot.image.width() > 900 || f * 1.25 * shot.image.height() > 400);
        // A turn by the user fits it again.
        item.setAction(QStringLiteral("rotateCW"));
        engine->renderImage();
        const double g = engine->scaleFactor();
        QVERIFY(g * shot.image.height() <= 900 && g * shot.image.width() <= 400);
        QVERIFY(g * 1.25 * shot.image.height() > 900 || g * 1.25 * shot.image.width() > 400);
    }

    void searchWorksOnAReducedCopy_data()
    {
        QTest::addColumn<QSize>("shot");
        QTest::addColumn<QSize>("searched");
        QTest::newRow("6000x4000") << QSize(6000, 4000) << QSize(750, 500);
        QTest::newRow("900x600") << QSize(900, 600) << QSize(900, 600);
    }
    void searchWorksOnAReducedCopy()
    {
        QFETCH(QSize, shot);
        QFETCH(QSize, searched);
        ChartShotSpec spec;
        const ChartShot chart = makeChartShot(spec);
        auto job = makeJob(chart);
        job->setChartImage(RawImage(shot.width(), shot.height(), 3, 8));
        CppImageWidget item;
        item.setJobByName(QStringLiteral("Studio"));
        item.placeGrid(nullptr);
        QCOMPARE(g_finderSizes.size(), 1);
        QCOMPARE(g_finderSizes.first(), searched);
        // A blank shot has no chart: the grid stays on the whole image.
        QCOMPARE(job->grid.controlPoint(4), QPoint(shot.width(), shot.height()));
        // A second placement in the same rotation class uses the cache.
        item.engine()->setRotationAngle(180);
        item.placeGrid(nullptr);
        QCOMPARE(g_finderSizes.size(), 1);
    }

    void storedPlacementSkipsTheSearch()
    {
        const ChartShot chart = makeChartShot(ChartShotSpec());
        auto job = makeJob(chart);
        job->storedPlacement = true;
        CppImageWidget item;
        item.setJobByName(QStringLiteral("Studio"));
        emit job->chartImageLoaded(true, QString());
        QVERIFY(g_finderSizes.isEmpty());
        QCOMPARE(job->loadPatchGridCalls.first(), 0);
    }

    void shotProfileIsShown_data()
    {
        QTest::addColumn<QString>("embedded");  // "sRGB", "garbage" or ""
        QTest::addColumn<bool>("filmCurveApplied");
        QTest::addColumn<bool>("chartIsProfile");
        QTest::addColumn<bool>("shown");
        QTest::newRow("embedded profile") << "sRGB" << false << false << true;
        QTest::newRow("film curve applied") << "sRGB" << true << false << false;
        QTest::newRow("no embedded profile") << "" << false << false << false;
        QTest::newRow("embedded bytes that do not open") << "garbage" << false << false << false;
        QTest::newRow("chart is a profile, none found") << "sRGB" << false << true << false;
    }
    void shotProfileIsShown()
    {
        QFETCH(QString, embedded);
        QFETCH(bool, filmCurveApplied);
        QFETCH(bool, chartIsProfile);
        QFETCH(bool, shown);
        const ChartShot chart = makeChartShot(ChartShotSpec());
        auto job = makeJob(chart);
        if (embedded == QLatin1String("sRGB")) {
            QFile file(QStringLiteral("/usr/share/color/icc/colord/sRGB.icc"));
            QVERIFY(file.open(QIODevice::ReadOnly));
            job->embeddedIcc = file.readAll();
        } else if (embedded == QLatin1String("garbage")) {
            job->embeddedIcc = QByteArray(300, '\x5a');
        }
        job->chartLoaded = filmCurveApplied;
        job->chartIcc = chartIsProfile;  // its path does not exist
        CppImageWidget item;
        item.setJobByName(QStringLiteral("Studio"));
        item.setRedDeltaChecked(false);
        item.resetShotState(false);
        QCOMPARE(item.engine()->imageProfile() != nullptr, shown);
        QCOMPARE(item.qaSliderValue(), shown ? 1.0 : 0.5);
        if (shown) {
            QCOMPARE(item.engine()->deltaColorsLimitForShow(), 1000.0);
            // The rating classes stay as the user chose them.
            QVERIFY(!item.engine()->isRedDeltaColorsEnabled());
            QVERIFY(item.engine()->isGreenDeltaColorsEnabled());
        }
    }

    void missingReferenceData_data()
    {
        QTest::addColumn<bool>("ownText");
        QTest::addColumn<bool>("file");
        QTest::addColumn<bool>("alert");
        QTest::newRow("own text, file gone") << true << false << false;
        QTest::newRow("reference file only") << false << true << false;
        QTest::newRow("neither") << false << false << true;
    }
    void missingReferenceData()
    {
        QFETCH(bool, ownText);
        QFETCH(bool, file);
        QFETCH(bool, alert);
        const ChartShot chart = makeChartShot(ChartShotSpec());
        auto job = makeJob(chart);
        QTemporaryDir dir;
        job->info.referenceFile = dir.filePath(QStringLiteral("reference.txt"));
        if (file) {
            QFile out(job->info.referenceFile);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(chart.reference.toUtf8());
        }
        if (ownText)
            job->info.referenceData = chart.reference;
        CppImageWidget item;
        item.setJobByName(QStringLiteral("Studio"));
        item.prepareProfileName();
        const bool raised = std::any_of(host->alerts.begin(), host->alerts.end(), [](const auto& a) {
            return a.kind == "critical" && a.title == "Error" && a.message == "No Reference Data in job!";
        });
        QCOMPARE(raised, alert);
    }

    void profileFromPathPrefersTheDcpTwin_data()
    {
        QTest::addColumn<bool>("dcpJob");
        QTest::addColumn<bool>("twin");
        QTest::addColumn<QString>("path");   // "icc", "missing" or ""
        QTest::addColumn<QString>("shown");  // "dcp", "icc" or ""
        QTest::newRow("DCP job, twin") << true << true << "icc" << "dcp";
        QTest::newRow("DCP job, no twin") << true << false << "icc" << "icc";
        QTest::newRow("DCP job, twin of a missing file") << true << true << "missing" << "dcp";
        QTest::newRow("DCP job, nothing opens") << true << false << "missing" << "";
        QTest::newRow("ICC job ignores the twin") << false << true << "icc" << "icc";
        QTest::newRow("empty path") << true << true << "" << "";
    }
    void profileFromPathPrefersTheDcpTwin()
    {
        QFETCH(bool, dcpJob);
        QFETCH(bool, twin);
        QFETCH(QString, path);
        QFETCH(QString, shown);
        const QString dcp = QStringLiteral("/usr/share/rawtherapee/dcpprofiles/Canon EOS 100D.dcp");
        if (!QFileInfo::exists(dcp))
            QSKIP("rawtherapee-data is not installed");
        ScratchFolders folders;
        const QString folder = Kirr_cameraProfileFolder();
        QVERIFY(folder.startsWith(folders.path()));
        QVERIFY(QDir().mkpath(folder));
        if (twin)
            QVERIFY(QFile::copy(dcp, QDir(folder).filePath("Studio profile.dcp")));
        QString given;
        if (path == "icc") {
            given = folders.path() + "/Studio profile.icc";
            QVERIFY(QFile::copy("/usr/share/color/icc/colord/AdobeRGB1998.icc", given));
        } else if (path == "missing") {
            given = folders.path() + "/Studio profile.icc";
        }
        const ChartShot chart = makeChartShot(ChartShotSpec());
        auto job = makeJob(chart);
        job->allRaw = dcpJob;
        CppImageWidget item;
        item.setJobByName(QStringLiteral("Studio"));
        item.setImageProfileFromPath(given);
        const Kirr_ColorProfileIF* profile = item.engine()->imageProfile();
        if (shown.isEmpty()) {
            QVERIFY(!profile);
        } else {
            QVERIFY(profile);
            QCOMPARE(profile->isDCP(), shown == "dcp");
        }
    }

    void customIlluminantFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("file");  // relative to the illuminants folder, or ""
        QTest::newRow("found") << "Studio Flash" << "Studio Flash.txt";
        QTest::newRow("no such file") << "Nowhere" << "";
        QTest::newRow("none chosen") << "" << "";
    }
    void customIlluminantFile()
    {
        QFETCH(QString, name);
        QFETCH(QString, file);
        ScratchFolders folders;
        const QString illuminants = platform::illuminantsFolderPath();
        QVERIFY(illuminants.startsWith(folders.path()));
        QVERIFY(QDir().mkpath(illuminants));
        for (const char* each : {"Studio Flash.txt", "Tungsten.txt"}) {
            QFile out(QDir(illuminants).filePath(each));
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write("380 1\n");
        }
        const ChartShot chart = makeChartShot(ChartShotSpec());
        auto job = makeJob(chart);
        job->settings.iccIlluminant = name;
        CppImageWidget item;
        item.setJobByName(QStringLiteral("Studio"));
        item.setAction(QStringLiteral("startProfiling"));
        QCOMPARE(job->lastIlluminantPath,
                 file.isEmpty() ? QString() : QDir(illuminants).absoluteFilePath(file));
    }

    void actionWords()
    {
        const ChartShot chart = makeChartShot(ChartShotSpec());
        auto job = makeJob(chart);
        CppImageWidget item;
        item.setSize(QSizeF(400, 300));
        item.setJobByName(QStringLiteral("Studio"));
        item.refreshImage(0);
        const double scale = item.engine()->scaleFactor();
        item.setAction(QStringLiteral("zoomIn"));
        QVERIFY(item.engine()->scaleFactor() > scale);
        item.setAction(QStringLiteral("zoomOut"));
        QCOMPARE(item.engine()->scaleFactor(), scale);
        item.setAction(QStringLiteral("rotateCW"));
        QCOMPARE(item.engine()->rotationAngle(), 90);
        item.setAction(QStringLiteral("rotateCCW"));
        QCOMPARE(item.engine()->rotationAngle(), 0);
        for (const char* word : {"toggleGrid", "enablePickerRGB", "enablePickerW", "ZOOMIN", "",
                                 "nonsense"}) {
            item.setAction(QString::fromLatin1(word));
            QCOMPARE(item.engine()->scaleFactor(), scale);
            QCOMPARE(item.engine()->rotationAngle(), 0);
            QCOMPARE(item.action(), QString::fromLatin1(word));
        }
        QVERIFY(host->alerts.empty());
        item.setAction(QStringLiteral("togglePicker"));
        QCOMPARE(host->pickerToggles, 1);
    }

    void startProfilingResults_data()
    {
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("message");
        QTest::newRow("started") << 0 << QString() << QString();
        QTest::newRow("1") << 1 << "Failed to write intermediate files"
                           << "Failed to write files for profile 'out.icc'.";
        QTest::newRow("2") << 2 << "Bad pixel data"
                           << "Bad pixel data for profile 'out.icc', did you position the grid correctly?";
        QTest::newRow("3") << 3 << "Empty target" << "Target contains no samples for profile 'out.icc'.";
        QTest::newRow("4") << 4 << "Cannot find destination directory" << "No directory '/out/' found.";
        QTest::newRow("busy") << 5 << "An error occured" << "Profile creation returned an error code 5";
    }
    void startProfilingResults()
    {
        QFETCH(int, result);
        QFETCH(QString, title);
        QFETCH(QString, message);
        const ChartShot chart = makeChartShot(ChartShotSpec());
        auto job = makeJob(chart);
        job->createResult = result;
        CppImageWidget item;
        item.setJobByName(QStringLiteral("Studio"));
        item.engine()->setRotationAngle(90);
        item.setAction(QStringLiteral("startProfiling"));
        QCOMPARE(host->map.value("progressValue"), QVariant(0));
        QCOMPARE(job->lastGridMode, 90);
        if (title.isEmpty()) {
            QVERIFY(host->alerts.empty());
        } else {
            QCOMPARE(int(host->alerts.size()), 1);
            QCOMPARE(host->alerts[0].kind, QString("critical"));
            QCOMPARE(host->alerts[0].title, title);
            QCOMPARE(host->alerts[0].message, message);
        }
    }

    void calculationSettingsPerKindOfJob_data()
    {
        QTest::addColumn<bool>("raw");
        QTest::addColumn<bool>("c1");
        QTest::addColumn<bool>("loaded");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("linear");
        QTest::addColumn<double>("gamma");
        QTest::addColumn<QString>("tag");
        // The fake's expert settings give every profile type index 0.
        QTest::newRow("raw, DCP") << true << false << false << 0 << false << 1.0 << "DCP";
        QTest::newRow("raw, C1") << true << true << false << 0 << true << 1.8 << "C1";
        QTest::newRow("TIFF") << false << false << false << 0 << false << 1.0 << "ICC";
        QTest::newRow("C1 TIFF") << false << false << true << 0 << true << 1.0 << "C1";
    }
    void calculationSettingsPerKindOfJob()
    {
        QFETCH(bool, raw);
        QFETCH(bool, c1);
        QFETCH(bool, loaded);
        QFETCH(int, mode);
        QFETCH(bool, linear);
        QFETCH(double, gamma);
        QFETCH(QString, tag);
        const ChartShot chart = makeChartShot(ChartShotSpec());
        auto job = makeJob(chart);
        job->allRaw = raw;
        job->c1InsteadOfDcp = c1;
        job->allLoaded = loaded;
        job->settings.formula = 4;
        CppImageWidget item;
        item.setJobByName(QStringLiteral("Studio"));
        item.startProfiling();
        QCOMPARE(job->lastSettings.calculation_mode, mode);
        QCOMPARE(job->lastSettings.word4, 0);
        QCOMPARE(job->lastSettings.flag, 0);
        QCOMPARE(job->lastLinear, linear);
        QCOMPARE(job->gamma, gamma);
        QVERIFY(job->lastPcsXyz);
        item.prepareProfileName();
        QCOMPARE(host->tag, tag);
        QCOMPARE(host->name, QString("ABCprofile"));
        QCOMPARE(host->prefixLength, 3);
    }

    void runResultsAndAlerts()
    {
        const ChartShot chart = makeChartShot(ChartShotSpec());
        auto job = makeJob(chart);
        QTemporaryDir dir;
        job->folder = dir.path() + QLatin1Char('/');
        CppImageWidget item;
        item.setJobByName(QStringLiteral("Studio"));
        item.catchProfileCreationProgress(0.5);
        QCOMPARE(host->map.value("progressValue").toDouble(), 50.0);
        QVERIFY(host->map.value("progressValue").type() != QVariant::String);

        struct Case {
            int code;
            QString message;
        };
        const QString file = job->folder + "ABCprofile.icc";
        for (const Case& c : {Case{1001, "Could not write profile '" + file + "'"},
                              Case{1002, "Could not write buffer '" + file + "'"},
                              Case{7, QStringLiteral("Profile creation returned an error code 7")}}) {
            host->alerts.clear();
            item.catchProfileCreationError(c.code);
            QCOMPARE(host->alerts.at(0).title, QString("An error occured"));
            QCOMPARE(host->alerts.at(0).message, c.message);
        }
        item.setShot(QStringLiteral("a.tif"));
        host->alerts.clear();
        item.catchProfileCreationAborted();
        QCOMPARE(host->alerts.at(0).kind, QString("warning"));
        QCOMPARE(host->alerts.at(0).title, QString("Aborted by user"));
        QVERIFY(item.shotList().isEmpty());

        // A done event whose file does not exist is an error.
        host->alerts.clear();
        item.catchProfileCreationDone(QStringLiteral("missing.icc"));
        QCOMPARE(host->alerts.at(0).kind, QString("critical"));
        QVERIFY(host->created.isEmpty());

        // A name without "/" lies in the output folder.
        QFile profile(job->folder + "made.icc");
        QVERIFY(profile.open(QIODevice::WriteOnly));
        profile.write("x");
        profile.close();
        host->alerts.clear();
        item.catchProfileCreationDone(QStringLiteral("made.icc"));
        QCOMPARE(host->created, job->folder + "made.icc");
        QCOMPARE(host->alerts.back().title, QString("Successfully completed"));
        QCOMPARE(host->alerts.back().message, QString("Profile creation successfully completed"));
        host->alerts.clear();
        item.catchProfileCreationDone(job->folder + "made.icc");
        QCOMPARE(host->created, job->folder + "made.icc");
    }

    void unreadableShotRaisesAWarning()
    {
        const ChartShot chart = makeChartShot(ChartShotSpec());
        auto job = makeJob(chart);
        CppImageWidget item;
        item.setJobByName(QStringLiteral("Studio"));
        emit job->chartImageLoaded(false, QString());
        QCOMPARE(int(host->alerts.size()), 1);
        QCOMPARE(host->alerts[0].kind, QString("warning"));
        QVERIFY(host->alerts[0].message.contains("shot.tif"));
    }

    void filmCurveErrorsAndMissingCurve()
    {
        const ChartShot chart = makeChartShot(ChartShotSpec());
        auto job = makeJob(chart);
        CppImageWidget item;
        item.setJobByName(QStringLiteral("Studio"));
        QSignalSpy errors(&item, &CppImageWidget::signalErrorExtractFilmCurveChanged);
        emit job->chartC1TifLoaded(3);
        QCOMPARE(item.errorExtractFilmCurve(), QString("File is from wrong camera!"));
        emit job->chartC1TifLoaded(9);
        QCOMPARE(errors.count(), 1);
        QSignalSpy missing(&item, &CppImageWidget::signalIsFilmCurveMissingChanged);
        emit job->chartImageLoaded(true, QStringLiteral("Curve"));
        QVERIFY(item.isFilmCurveMissing());
        QCOMPARE(missing.count(), 1);
        QVERIFY(g_finderSizes.isEmpty());
    }

    // A TIFF whose greys lie elsewhere than the shot's gives no film curve:
    // the item says so once the engine has measured it.
    void tiffOfAnotherChartIsRefused()
    {
        const ChartShot chart = roomyShot();
        auto job = makeJob(chart);
        CppImageWidget item;
        item.setJobByName(QStringLiteral("Studio"));
        QSignalSpy errors(&item, &CppImageWidget::signalErrorExtractFilmCurveChanged);
        emit item.engine()->filmCurveRefused();
        QCOMPARE(errors.count(), 0);
        QVERIFY(errors.wait(2000));
        QCOMPARE(item.errorExtractFilmCurve(), QString("File does not match the chart of the shot!"));
    }

    void measureQualityPublishesTheFigures()
    {
        const ChartShot chart = roomyShot();
        auto job = makeJob(chart);
        CppImageWidget item;
        item.setJobByName(QStringLiteral("Studio"));
        emit job->chartImageLoaded(true, QString());
        host->selected.clear();
        QSignalSpy changed(&item, &CppImageWidget::signalDeltaEChanged);
        item.setGreenDeltaChecked(false);
        item.measureQuality(QStringLiteral("/usr/share/color/icc/colord/sRGB.icc"));
        QCOMPARE(host->selected, QVector<int>({0, 0}));
        QVERIFY(item.engine()->hasImageToLabMatch());
        QVERIFY(changed.count() >= 1);
        QVERIFY2(item.deltaEStatistics().startsWith("10%/mean/90% ΔE: "),
                 qPrintable(item.deltaEStatistics()));
        QCOMPARE(item.deltaLabel(), QString(":"));
        QVERIFY(!item.deltaEValue().isEmpty());
        // The slider's limit keeps the user's choice of rating classes.
        item.qaSliderChanged(1.0);
        QVERIFY(!item.engine()->isGreenDeltaColorsEnabled());
        QVERIFY(item.engine()->isRedDeltaColorsEnabled());
        const double top = item.engine()->deltaColorsLimitForShow();
        item.qaSliderChanged(0.0);
        QVERIFY(item.engine()->deltaColorsLimitForShow() < top);

        // A measurement without figures leaves none of the previous profile's.
        const QString cases[][2] = {
            {"/nonexistent/Gone.icc", "The profile 'Gone.icc' cannot be opened."},
            {"", "No profile to measure."},
            {QFINDTESTDATA("test_items.cpp"), "The profile 'test_items.cpp' cannot be opened."}};
        for (const auto& c : cases) {
            item.measureQuality(QStringLiteral("/usr/share/color/icc/colord/sRGB.icc"));
            QVERIFY(!item.deltaEValue().isEmpty());
            QSignalSpy cleared(&item, &CppImageWidget::signalDeltaEChanged);
            item.measureQuality(c[0]);
            QCOMPARE(cleared.count(), 1);
            QCOMPARE(item.deltaEStatistics(), c[1]);
            QVERIFY(item.deltaEValue().isEmpty());
            QVERIFY(!item.deltaEIsGood());
            QVERIFY(!item.engine()->hasImageToLabMatch());
            QCOMPARE(item.engine()->deltaColorsLimitForShow(), -1.0);
        }
    }

    void magnifier_data()
    {
        QTest::addColumn<QSize>("sampleSize");
        QTest::addColumn<QVector<double>>("colour");
        QTest::addColumn<QString>("hex");
        QTest::addColumn<QString>("red");
        QTest::addColumn<bool>("changes");
        QTest::newRow("colour") << QSize(32, 32) << QVector<double>{128 / 255.0, 64 / 255.0, 32 / 255.0}
                                << "#ff804020" << " 50.2%" << true;
        QTest::newRow("half") << QSize(32, 32) << QVector<double>{0.5} << "#ff800000" << " 50.0%" << true;
        QTest::newRow("empty") << QSize(32, 32) << QVector<double>{} << "#ff000000" << "" << true;
        QTest::newRow("31x32") << QSize(31, 32) << QVector<double>{1, 1, 1} << "" << "" << false;
    }
    void magnifier()
    {
        QFETCH(QSize, sampleSize);
        QFETCH(QVector<double>, colour);
        QFETCH(QString, hex);
        QFETCH(QString, red);
        QFETCH(bool, changes);
        CppZoomedArea area;
        QSignalSpy spy(&area, &CppZoomedArea::signalPixelChanged);
        QImage sample(sampleSize, QImage::Format_RGB32);
        sample.fill(Qt::blue);
        sample.setPixel(1, 0, qRgb(255, 0, 0));
        area.setImage(sample, colour);
        QCOMPARE(spy.count(), changes ? 1 : 0);
        QCOMPARE(area.pixelColor(), hex);
        QCOMPARE(area.pixelRed(), red);
        QCOMPARE(area.sampleWidth(), 256);
        if (changes) {
            QCOMPARE(area.centerPixelx(), 128);
            QCOMPARE(area.magnifiedImage().pixel(8, 7), qRgb(255, 0, 0));
            QCOMPARE(area.magnifiedImage().pixel(16, 0), qRgb(0, 0, 255));
            QCOMPARE(area.magnifiedImage().pixel(7, 0), qRgb(0, 0, 255));
        }
    }

    void targetIcons_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<int>("width");  // 10 + index for a known job, else 0
        QTest::newRow("Studio.2") << "Studio.2" << 12;
        QTest::newRow("a.b.1") << "a.b.1" << 11;
        QTest::newRow("Studio") << "Studio" << 10;
        QTest::newRow(".3") << ".3" << 0;
        QTest::newRow("unknown") << "Nobody.1" << 0;
        QTest::newRow("encoded") << pq_targetIconId("A#b?%", 4) << 14;
        QTest::newRow("encoded, with a dot") << pq_targetIconId("a.b", 3) << 13;
        QTest::newRow("index the job lacks") << "Studio.99" << 0;
    }
    void targetIcons()
    {
        QFETCH(QString, id);
        QFETCH(int, width);
        ItemJob studio, ab, odd;
        ab.jobName = QStringLiteral("a.b");
        odd.jobName = QStringLiteral("A#b?%");
        host->jobs.insert(studio.jobName, &studio);
        host->jobs.insert(ab.jobName, &ab);
        host->jobs.insert(odd.jobName, &odd);
        CppTargetIconProvider provider;
        QSize size;
        const QPixmap pixmap = provider.requestPixmap(id, &size, QSize());
        QVERIFY(!pixmap.isNull());
        QCOMPARE(size, pixmap.size());
        if (width > 0)
            QCOMPARE(pixmap.width(), width);
        else
            QVERIFY(pixmap.width() >= 20);
    }

    void managerSignalsReachTheItem()
    {
        const ChartShot chart = makeChartShot(ChartShotSpec());
        auto job = makeJob(chart);
        CppImageWidget item;
        item.setJobByName(QStringLiteral("Studio"));
        pq_ProfilingThreadMgrIF* manager = pq_ProfilingThreadMgrIF::instance();
        emit manager->signalProfileCreationProgress(0.25);
        QCOMPARE(host->map.value("progressValue").toDouble(), 25.0);
        emit manager->signalProfileCreationError(1001);
        QCOMPARE(host->alerts.back().title, QString("An error occured"));
        emit manager->signalProfileCreationAborted();
        QCOMPARE(host->alerts.back().title, QString("Aborted by user"));
    }

    void qmlTypesFromTheirModules()
    {
        pq_registerQmlItems();
        const ChartShot chart = makeChartShot(ChartShotSpec());
        auto job = makeJob(chart);
        ItemJob odd;
        odd.jobName = QStringLiteral("A#1?%");
        host->jobs.insert(odd.jobName, &odd);
        QQmlEngine engine;
        pq_addTargetIconProvider(&engine);
        QQmlComponent component(&engine);
        component.setData(
            "import QtQuick 2.3\n"
            "import CppImage 1.0\n"
            "import CppZoomedArea 1.0\n"
            "Item {\n"
            "    property alias image: image\n"
            "    property alias zoom: zoom\n"
            "    CppImageWidget { id: image; width: 200; height: 150; redDelta: false }\n"
            "    CppZoomedArea { id: zoom }\n"
            "    Image { objectName: \"icon\"; source: \"image://targets/Studio.1\" }\n"
            "    Image { objectName: \"oddIcon\" }\n"
            "    function turn() { image.action = \"rotateCW\" }\n"
            "}\n",
            QUrl());
        std::unique_ptr<QObject> root(component.create());
        QVERIFY2(root, qPrintable(component.errorString()));
        auto* item = root->property("image").value<CppImageWidget*>();
        QVERIFY(item);
        QVERIFY(!item->redDelta());
        QCOMPARE(root->property("zoom").value<QObject*>()->property("sampleWidth").toInt(), 256);
        item->setJobByName(QStringLiteral("Studio"));
        QMetaObject::invokeMethod(root.get(), "turn");
        QCOMPARE(item->engine()->rotationAngle(), 90);
        QCOMPARE(item->property("action").toString(), QString("rotateCW"));
        QObject* icon = root->findChild<QObject*>("icon");
        QTRY_COMPARE(icon->property("status").toInt(), 1);  // Image.Ready
        QCOMPARE(icon->property("sourceSize").toSize(), QSize(11, 5));
        // A name with "#", "?" and "%" reaches the provider whole.
        QObject* oddIcon = root->findChild<QObject*>("oddIcon");
        oddIcon->setProperty("source", QUrl(pq_targetIconUrl(odd.jobName, 2)));
        QTRY_COMPARE(oddIcon->property("status").toInt(), 1);
        QCOMPARE(oddIcon->property("sourceSize").toSize(), QSize(12, 5));
    }

    void engineReportsReachTheController()
    {
        const ChartShot chart = makeChartShot(ChartShotSpec());
        auto job = makeJob(chart);
        CppImageWidget item;
        item.setJobByName(QStringLiteral("Studio"));
        emit item.engine()->pickerInfo(3, 4);
        QCOMPARE(host->receiver.picked, QPoint(3, 4));
        emit item.engine()->patchInfo(true, 1, 2, false, QColor(), QColor(), 0, 0, 0, 0, 0, 0, 0,
                                      0, 0, 0, 0, 0, 0, 0, 0, 2.5, 0, 0);
        QVERIFY(host->receiver.patchShown);
        QCOMPARE(host->receiver.lastDelE, 2.5);
    }
};

std::unique_ptr<QObject> makeItemsTest() { return std::make_unique<ItemsTest>(); }

#include "test_items.moc"
