// A job keeps what the user did in it (shots, chart paths, pictures, measured
// targets, grids, clones) through saving, duplicating, reloading, switching
// jobs and switching targets while a shot loads; over a plain, a multi-target
// and a two-illuminant job.
#include "ControllerTestSupport.h"
#include "DriverCharts.h"

#include "chart/Patch.h"
#include "chart/PatchGrid.h"
#include "chart/RawImage.h"
#include "chart/Target.h"
#include "colour/Kirr_ColorProfileDCP.h"
#include "colour/Kirr_colorLibrary.h"
#include "controller/peltoQt.h"
#include "engine/records.h"
#include "jobs/pq_Job.h"
#include "jobs/pq_JobFileWriter.h"
#include "jobs/pq_ProfilingThreadMgr.h"
#include "jobs/pq_targetInfo.h"

#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <memory>

namespace {

const char* const kTwoLights = "D65 + Std. Illuminant A";

constexpr int kColumns = 6;
constexpr int kRows = 4;

// Reflectance of patch i at nm: colour patches as one or two smooth bumps
// over a floor, the last row a flat grey ramp from white to black.
double reflectance(int i, int nm)
{
    if (i / kColumns == kRows - 1) {
        static const double greys[kColumns] = {0.9, 0.6, 0.36, 0.2, 0.09, 0.03};
        return greys[i % kColumns];
    }
    const double centre = 400 + 300.0 * ((i * 7) % 18) / 17.0;
    const double width = 35 + 15 * (i % 4);
    const double bump = std::exp(-std::pow((nm - centre) / width, 2));
    const double second = i % 3 == 0 ? 0.5 * std::exp(-std::pow((nm - (1100 - centre)) / 40.0, 2)) : 0;
    return 0.04 + 0.75 * bump + 0.3 * second;
}

QString patchName(int i)
{
    return QString("%1%2").arg(QChar('A' + i / kColumns)).arg(i % kColumns + 1, 2, 10, QChar('0'));
}

// A 6 x 4 target with spectral reference data (380 to 730 nm) and its
// definition.
pq_targetInfo* spectralTarget(const QString& name)
{
    QString reference = "IS12642\nNUMBER_OF_FIELDS 37\nBEGIN_DATA_FORMAT\nSAMPLE_ID";
    for (int nm = 380; nm <= 730; nm += 10)
        reference += QString(" SPECTRAL_%1").arg(nm);
    reference += QString("\nEND_DATA_FORMAT\nNUMBER_OF_SETS %1\nBEGIN_DATA\n").arg(kColumns * kRows);
    std::vector<ReferencePatch> names;
    for (int i = 0; i < kColumns * kRows; ++i) {
        reference += patchName(i);
        for (int nm = 380; nm <= 730; nm += 10)
            reference += QString(" %1").arg(reflectance(i, nm), 0, 'f', 5);
        reference += "\n";
        names.push_back({patchName(i), {0, 0, 0}});
    }
    auto description = new pq_targetInfo;
    description->name = name;
    description->model = name;
    description->referenceData = reference + "END_DATA\n";
    description->targetDefinition = chartDefinition(kColumns, kRows, names);
    description->patches = kColumns * kRows;
    description->rows = kRows;
    description->columns = kColumns;
    return description;
}

// The reference colours (Lab, D50) of the spectral target.
std::vector<ReferencePatch> referencePatches()
{
    pq_Job job{QString(), QString()};
    job.addTargetInfo(spectralTarget("Chart"));
    std::vector<ReferencePatch> patches;
    if (job.loadTargetData(false) != 0)
        return patches;
    const TargetIF* target = job.currentTarget();
    for (unsigned i = 0; i < target->referenceSetCount(); ++i) {
        const PatchIF* patch = target->patchAt(i);
        patches.push_back({patch->name(), {patch->referenceLab(0), patch->referenceLab(1),
                                           patch->referenceLab(2)}});
    }
    return patches;
}

// Channel gains of a shot's light: a warm tungsten cast for the first of two
// illuminants (Std. Illuminant A), a cool daylight one for the other.
std::array<double, 3> castOf(int entry)
{
    static const std::array<double, 3> casts[] = {
        {1.5, 1.0, 0.45}, {0.8, 1.0, 1.2}, {1.1, 1.0, 0.8}, {0.9, 1.0, 1.0}};
    return casts[entry % 4];
}

// What the job holds for one target.
struct TargetState {
    QString name;
    bool isClone = false;
    QStringList shots;
    QString chartPath;
    QSize picture;
    std::vector<int> pixels;
    unsigned referenceSets = 0;
    std::vector<double> measured;
    std::vector<QPoint> grid;

    bool operator==(const TargetState& o) const
    {
        return name == o.name && isClone == o.isClone && shots == o.shots
            && chartPath == o.chartPath && picture == o.picture && pixels == o.pixels
            && referenceSets == o.referenceSets && measured == o.measured && grid == o.grid;
    }
    QString text() const
    {
        QStringList values;
        for (double v : measured)
            values << QString::number(v);
        return QString("%1%2 shots=[%3] chart=%4 picture=%5x%6 sets=%7 measured=[%8]")
            .arg(name, isClone ? " (clone)" : "", shots.join(","), chartPath)
            .arg(picture.width())
            .arg(picture.height())
            .arg(referenceSets)
            .arg(values.join(","));
    }
};

std::vector<TargetState> snapshot(pq_Job& job)
{
    std::vector<TargetState> states;
    const int current = job.currentTargetIndex();
    for (int i = 0; i < job.targetInfos().size(); ++i) {
        job.setCurrentTargetIndex(i);
        const pq_targetInfo* description = job.targetInfos().at(i);
        TargetState s;
        s.name = description->name;
        s.isClone = description->isClone;
        s.shots = description->shots;
        s.chartPath = job.chartImagePath();
        const RawImageIF& raw = job.chartRawImage();
        s.picture = QSize(raw.width(), raw.height());
        for (int c = 0; c < raw.channels() && !raw.isNull(); ++c)
            s.pixels.push_back(raw.sample16(raw.width() / 2, raw.height() / 2, c));
        TargetIF* target = job.currentTarget();
        s.referenceSets = target->referenceSetCount();
        for (unsigned p = 0; p < target->referenceSetCount(); ++p)
            for (int c = 0; c < 3; ++c)
                s.measured.push_back(target->patchAt(p)->value1(c));
        PatchGridIF* grid = job.currentPatchGrid();
        for (int k = 0; k < 4; ++k)
            s.grid.push_back(grid->controlPoint(k));
        states.push_back(s);
    }
    job.setCurrentTargetIndex(current);
    return states;
}

QString describe(const std::vector<TargetState>& states)
{
    QStringList lines;
    for (const TargetState& s : states)
        lines << s.text();
    return lines.join("\n");
}

}  // namespace

class JobStateTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ScratchHome> home;
    std::unique_ptr<peltoQt> controller;
    RecordingImageItem item;

    void start()
    {
        controller = std::make_unique<peltoQt>();
        controller->setImageItem(&item, &item);
        controller->init(QCoreApplication::applicationFilePath());
    }

    void writeJob(const QString& name, const QStringList& targets)
    {
        pq_Job job{QString(), QString()};
        job.setJobId(name);
        job.setJobName(name);
        for (const QString& target : targets)
            job.addTargetInfo(spectralTarget(target));
        const pq_JobSaveResult saved = pq_JobFileWriter::save(job, home->jobsFolder());
        QVERIFY2(saved.ok, qPrintable(saved.message));
    }

    // A chart shot in the light of the given entry; the shot's grid corners
    // in corners.
    QString shotFile(int entry, QPointF* corners)
    {
        if (patches.empty())
            patches = referencePatches();
        ChartShotSpec spec;
        spec.columns = kColumns;
        spec.rows = kRows;
        spec.cell = 12;
        spec.margin = 8;
        spec.body = 4;
        ChartShot shot = referenceChartShot(spec, patches);
        const std::array<double, 3> cast = castOf(entry);
        RawImage& image = shot.image;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                for (int c = 0; c < 3; ++c) {
                    std::uint16_t& v = image.rowData16(y)[x * 3 + c];
                    v = std::uint16_t(qMin(65535.0, v * cast[std::size_t(c)] * 0.8));
                }
        for (int k = 0; k < 4; ++k)
            corners[k] = shot.corners[k];
        const QString path = home->path() + QString("/shot%1.dng").arg(entry);
        return shot.writeDng(path) ? path : QString();
    }

    // Loads a shot for the current target and waits for it.
    bool loadShot(pq_Job& job, const QString& path)
    {
        QSignalSpy loaded(&job, &pq_JobIF::chartImageLoaded);
        job.setChartImagePath(path);
        return (loaded.count() > 0 || loaded.wait(20000)) && loaded.last().at(0).toBool();
    }

    // Every target gets a shot in a light of its own, dropped and loaded, its
    // reference data, a grid and measured patches.
    void workOnEveryTarget(pq_Job& job)
    {
        for (int i = 0; i < job.targetInfos().size(); ++i) {
            job.setCurrentTargetIndex(i);
            QPointF corners[4];
            const QString shot = shotFile(i, corners);
            QVERIFY(!shot.isEmpty());
            controller->dropShot(shot);
            QVERIFY(loadShot(job, shot));
            QVERIFY(job.loadCurrentTarget());
            PatchGridIF* grid = job.currentPatchGrid();
            grid->setGridSize(kRows, kColumns);
            grid->setCorners(corners[0].toPoint(), corners[1].toPoint(), corners[2].toPoint(),
                             corners[3].toPoint());
            TargetIF* target = job.currentTarget();
            for (int row = 0; row < kRows; ++row)
                for (int column = 0; column < kColumns; ++column) {
                    grid->setSampleArea(column, row, 0.5);
                    grid->measurePatch(column, row, target, &job.chartRawImage(), false);
                }
        }
        job.setCurrentTargetIndex(0);
    }

    // Profiles the job as the profiling page does and returns the DNG camera
    // profile written.
    QString profile(pq_Job& job)
    {
        pq_jobExpertSettingsIF* expert = job.expertSettings();
        calculation_settings settings{};
        settings.word0 = expert->cameraIlluminantIndex();
        settings.word1 = expert->observerIndex();
        settings.calculation_mode = expert->cameraProfileTypeIndex();
        settings.word3 = expert->grayWeightIndex();
        settings.value = float(expert->exposureOffsetValue());
        QSignalSpy done(pq_ProfilingThreadMgr::instance(),
                        &pq_ProfilingThreadMgrIF::signalProfileCreationDone);
        QSignalSpy failed(pq_ProfilingThreadMgr::instance(),
                          &pq_ProfilingThreadMgrIF::signalProfileCreationError);
        QString name;
        const int started = job.createProfile(name, expert->isConnectionSpaceXYZ(),
                                              expert->deltaEFormula(), expert->iccIlluminantIndex(),
                                              QString(), &settings, job.areAllChartImagesLoaded(),
                                              job.toneCurveLut(), job.toneCurveSpline(), 1.0, 0.0, 0);
        if (started != 0) {
            qWarning("createProfile returned %d", started);
            return QString();
        }
        for (int i = 0; i < 1200 && done.isEmpty() && failed.isEmpty(); ++i)
            QTest::qWait(50);
        if (done.isEmpty())
            return QString();
        return job.outputFolder() + name;
    }

    std::vector<ReferencePatch> patches;

    // The camera's response to the white patch, before any cast.
    std::array<double, 3> patchesWhite()
    {
        if (patches.empty())
            patches = referencePatches();
        return chartShotCamera(patches.at(std::size_t((kRows - 1) * kColumns)).lab);
    }

private slots:
    void init() { home = std::make_unique<ScratchHome>(); }
    void cleanup()
    {
        controller.reset();
        home.reset();
    }

    void keptThroughEveryRoad_data()
    {
        QTest::addColumn<QStringList>("targets");
        QTest::addColumn<bool>("twoLights");
        QTest::addColumn<QString>("road");
        const QStringList roads = {"save", "save again", "duplicate", "reload",
                                   "switch job and back", "switch target during a load"};
        const struct {
            const char* name;
            QStringList targets;
            bool twoLights;
        } jobs[] = {{"plain", {"Chart"}, false},
                    {"multi-target", {"Chart", "Second"}, false},
                    {"two illuminants", {"Chart"}, true},
                    {"two illuminants, two targets", {"Chart", "Second"}, true}};
        for (const auto& job : jobs)
            for (const QString& road : roads)
                QTest::addRow("%s, %s", job.name, qPrintable(road))
                    << job.targets << job.twoLights << road;
    }

    void keptThroughEveryRoad()
    {
        QFETCH(QStringList, targets);
        QFETCH(bool, twoLights);
        QFETCH(QString, road);
        writeJob("Work", targets);
        writeJob("Other", {"Chart"});
        start();
        QVERIFY(controller->setCurrentJob("Work", "tileView", false));
        if (twoLights) {
            controller->expertParamChanged("cameraIlluminant", kTwoLights, false);
            QVERIFY(controller->saveCurrentJob(false));
        }
        controller->refreshCurrentJob4UI();
        pq_Job* job = controller->currentJob();
        QVERIFY(job);
        QCOMPARE(job->targetInfos().size(), targets.size() * (twoLights ? 2 : 1));
        workOnEveryTarget(*job);
        std::vector<TargetState> before = snapshot(*job);

        if (road == "save" || road == "save again") {
            QVERIFY(controller->saveCurrentJob(false));
            if (road == "save again")
                QVERIFY(controller->saveCurrentJob(false));
            QCOMPARE(controller->currentJob(), job);
            // The file holds the targets without their clones.
            pq_Job stored{QString(), QString()};
            stored.readFromXML(home->jobsFolder() + "/Work.xml");
            QVERIFY(stored.lastReadOutcome().isWhole());
            QCOMPARE(stored.toXml(), job->toXml());
        } else if (road == "duplicate") {
            QVERIFY(controller->duplicateJob("Work", "Copy"));
            QCOMPARE(controller->currentJob()->getJobName(), QString("Copy"));
            // The job list was read again: the job is found anew.
            int index = -1;
            int enabledIndex = -1;
            job = qobject_cast<pq_Job*>(controller->findJob("Work", index, enabledIndex));
            QVERIFY(job);
        } else if (road == "reload") {
            controller->reloadJob("Work");
            QCOMPARE(controller->currentJob(), job);
        } else if (road == "switch job and back") {
            QVERIFY(controller->setCurrentJob("Other", "tileView", false));
            controller->refreshCurrentJob4UI();
            QVERIFY(controller->setCurrentJob("Work", "tileView", false));
            controller->refreshCurrentJob4UI();
            QCOMPARE(controller->currentJob(), job);
        } else if (road == "switch target during a load") {
            // A second shot for the first target, left while it loads.
            const QString again = before.front().chartPath;
            QSignalSpy loading(job, &pq_JobIF::chartImageLoading);
            QSignalSpy loaded(job, &pq_JobIF::chartImageLoaded);
            job->setChartImagePath(again);
            if (job->targetInfos().size() > 1)
                job->setCurrentTargetIndex(1);
            const auto idle = [&] { return !loading.isEmpty() && !loading.last().at(0).toBool(); };
            QTRY_VERIFY_WITH_TIMEOUT(idle(), 20000);
            job->setCurrentTargetIndex(0);
            QTRY_VERIFY_WITH_TIMEOUT(!job->chartRawImage().isNull(), 20000);
            QTRY_VERIFY_WITH_TIMEOUT(idle(), 20000);
            for (const QList<QVariant>& signal : qAsConst(loaded))
                QVERIFY2(signal.at(0).toBool(), "a replaced load was reported as failed");
            // A shot set anew puts its grid back on the whole image.
            before.front().grid = snapshot(*job).front().grid;
        }
        const std::vector<TargetState> after = snapshot(*job);
        QVERIFY2(after == before, qPrintable("before:\n" + describe(before) + "\nafter:\n" + describe(after)));
        if (!twoLights || targets.size() != 1)
            return;

        // Each light's colour matrix comes from its own shot: the matrix maps
        // the light's white to the camera values of that shot's white patch.
        const QString written = profile(*job);
        QVERIFY2(written.endsWith(".dcp"), qPrintable(written));
        std::unique_ptr<Kirr_ColorProfileIF> opened(Kirr_profileFromFile(written));
        auto* dcp = dynamic_cast<Kirr_ColorProfileDCP*>(opened.get());
        QVERIFY(dcp);
        QVERIFY(dcp->hasColorMatrix2());
        QCOMPARE(dcp->calibrationIlluminant1(), 17);
        QCOMPARE(dcp->calibrationIlluminant2(), 21);
        const std::array<double, 3> whites[2] = {{0.44757 / 0.40745, 1.0, (1 - 0.44757 - 0.40745) / 0.40745},
                                                 {0.31271 / 0.32902, 1.0, (1 - 0.31271 - 0.32902) / 0.32902}};
        const Kirr_ColorProfileDCP::Matrix matrices[2] = {dcp->colorMatrix1(), dcp->colorMatrix2()};
        for (int light = 0; light < 2; ++light) {
            std::array<double, 3> neutral{};
            for (int r = 0; r < 3; ++r)
                for (int c = 0; c < 3; ++c)
                    neutral[std::size_t(r)] += matrices[light][std::size_t(3 * r + c)] * whites[light][std::size_t(c)];
            // The shot's white patch: the camera's white times the light's cast.
            const std::array<double, 3> own = castOf(light);
            const std::array<double, 3> other = castOf(1 - light);
            const double red = neutral[0] / neutral[1];
            const double blue = neutral[2] / neutral[1];
            const double camera[3] = {patchesWhite()[0], patchesWhite()[1], patchesWhite()[2]};
            const double ownRed = own[0] * camera[0] / camera[1];
            const double ownBlue = own[2] * camera[2] / camera[1];
            const double otherRed = other[0] * camera[0] / camera[1];
            const double otherBlue = other[2] * camera[2] / camera[1];
            qInfo("light %d: neutral R/G %.3f B/G %.3f; own shot %.3f %.3f; other shot %.3f %.3f", light + 1,
                  red, blue, ownRed, ownBlue, otherRed, otherBlue);
            QVERIFY(std::abs(red / ownRed - 1) < 0.1 && std::abs(blue / ownBlue - 1) < 0.1);
        }
    }
};

std::unique_ptr<QObject> makeJobStateTest()
{
    return std::make_unique<JobStateTest>();
}

#include "test_job_state.moc"
