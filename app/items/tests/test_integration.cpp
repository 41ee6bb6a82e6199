// From a dropped chart shot to a written profile and its quality figures:
// the controller, the image item, a job loading the shot on its worker, the
// profile engine on the profiling thread and the quality measurement.
#include "ControllerTestSupport.h"

#include "ChartShot.h"
#include "ColorCheckerTarget.h"
#include "controller/peltoQt.h"
#include "items/CppImageWidget.h"
#include "jobs/pq_Job.h"
#include "jobs/pq_ProfilingThreadMgrIF.h"
#include "jobs/pq_targetInfo.h"
#include "platform/program_folders.h"
#include "widgets/pq_ImagePatchGridWidget.h"

#include "chart/PatchGrid.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QQmlPropertyMap>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include <lcms2.h>

#include <cmath>
#include <memory>

namespace {

// The reference file's Lab values in its order (rows A to D, six each).
QVector<std::array<double, 3>> referenceLabs()
{
    QVector<std::array<double, 3>> labs;
    QFile file(QString::fromLatin1(kColorCheckerReference));
    if (!file.open(QIODevice::ReadOnly))
        return labs;
    bool inData = false;
    const QRegularExpression id(QStringLiteral("^[A-D]0[1-6]$"));
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QString line = QString::fromLatin1(raw).trimmed();
        if (line == QLatin1String("BEGIN_DATA")) {
            inData = true;
            continue;
        }
        if (line == QLatin1String("END_DATA"))
            break;
        const QStringList fields = line.split(QRegularExpression(QStringLiteral("\\s+")),
                                              Qt::SkipEmptyParts);
        if (inData && fields.size() >= 4 && id.match(fields[0]).hasMatch())
            labs.append({fields[1].toDouble(), fields[2].toDouble(), fields[3].toDouble()});
    }
    return labs;
}

// The chart-shot fixture with every cell repainted in the camera's response
// to the reference colour of the patch it stands for.
ChartShot colorCheckerShot()
{
    ChartShotSpec spec;
    spec.cell = 40;
    spec.margin = 40;
    ChartShot shot = makeChartShot(spec);
    const QVector<std::array<double, 3>> labs = referenceLabs();
    if (labs.size() != spec.columns * spec.rows)
        return shot;
    const int left = spec.margin + spec.body;
    const int top = spec.margin + spec.body;
    for (int row = 0; row < spec.rows; ++row)
        for (int column = 0; column < spec.columns; ++column) {
            const std::array<double, 3> device =
                chartShotCamera(labs[row * spec.columns + column]);
            for (int y = top + row * spec.cell; y < top + (row + 1) * spec.cell; ++y) {
                quint16* line = shot.image.rowData16(y);
                for (int x = left + column * spec.cell; x < left + (column + 1) * spec.cell; ++x)
                    for (int c = 0; c < 3; ++c)
                        line[x * 3 + c] = quint16(device[std::size_t(c)]);
            }
        }
    return shot;
}

// A 6 x 4 template on the reference file in the templates folder.
bool writeTemplate(const QString& name)
{
    const QString folder = platform::templatesFolderPath() + QStringLiteral("/Targets");
    if (!QDir().mkpath(folder))
        return false;
    pq_targetInfo description;
    description.name = name;
    description.model = name;
    description.rows = 4;
    description.columns = 6;
    description.patches = 24;
    description.setTargetFile(QString::fromLatin1(kColorCheckerReference));
    description.targetDefinition = colorCheckerDefinition();
    description.referenceData = description.referenceFileText();
    QFile file(folder + QLatin1Char('/') + name + QStringLiteral(".xml"));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(("<?xml version='1.0' encoding='UTF-8'?>\n" + description.makeExportXMLString(true)).toUtf8());
    return true;
}

// The three figures of "10%/mean/90% ΔE: a / b / c".
QVector<double> statisticsFigures(const QString& text)
{
    QVector<double> figures;
    const QRegularExpression numbers(QStringLiteral(":\\s*([-0-9.naif]+) / ([-0-9.naif]+) / ([-0-9.naif]+)"));
    const QRegularExpressionMatch match = numbers.match(text);
    if (match.hasMatch())
        for (int i = 1; i <= 3; ++i)
            figures.append(match.captured(i).toDouble());
    return figures;
}

}  // namespace

class IntegrationTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!QFileInfo::exists(QString::fromLatin1(kColorCheckerReference)))
            QSKIP("argyll-ref is not installed");
    }

    void dropShotToProfileAndQuality()
    {
        ScratchHome home;
        QVERIFY(writeTemplate(QStringLiteral("ColorChecker")));
        const ChartShot shot = colorCheckerShot();
        const QString shotPath = home.path() + QStringLiteral("/ColorChecker shot.tif");
        // The shot carries its own profile, which the item shows it in.
        QFile srgb(QStringLiteral("/usr/share/color/icc/colord/sRGB.icc"));
        QVERIFY(srgb.open(QIODevice::ReadOnly));
        QVERIFY(shot.writeTiff(shotPath, srgb.readAll()));

        auto controller = std::make_unique<peltoQt>();
        peltoQt::setInstance(controller.get());
        controller->init(QCoreApplication::applicationFilePath());
        auto item = std::make_unique<CppImageWidget>();
        item->setSize(QSizeF(400, 300));
        QCOMPARE(controller->imageItem(), static_cast<pq_ImageItemIF*>(item.get()));

        // A new job: its target chosen from the templates, then saved and
        // shown as the screens do.
        controller->setCurrentJob(QString(), QStringLiteral("new job"), true);
        controller->targetSelected(QStringLiteral("ColorChecker"));
        QCOMPARE(controller->templateJob()->targetInfos().size(), 1);
        controller->currentJobMap()->insert(QStringLiteral("name"), QStringLiteral("Studio"));
        QVERIFY(controller->saveCurrentJob(false));
        pq_Job* job = controller->currentJob();
        QVERIFY(job);
        QCOMPARE(job->getJobName(), QString("Studio"));
        controller->refreshCurrentJob4UI();
        QCOMPARE(item->job(), static_cast<pq_JobIF*>(job));

        // The drop as the screens make it; the job loads the shot on its worker
        // and the item places the grid.
        QSignalSpy placed(item.get(), &CppImageWidget::signalIsLastShotChanged);
        controller->dropShot(QUrl::fromLocalFile(shotPath).toString());
        QVERIFY(placed.wait(120000));
        QVERIFY(item->isLastShot());
        QCOMPARE(controller->currentJobMap()->value("alertWarningTitle").toString(), QString());
        QVERIFY(item->engine()->imageProfile());
        QCOMPARE(item->engine()->rotationAngle(), 0);
        const double diagonal = std::hypot(shot.image.width(), shot.image.height());
        const int points[4] = {0, 2, 6, 4};
        for (int i = 0; i < 4; ++i) {
            const QPoint p = job->currentPatchGrid()->controlPoint(points[i]);
            const QPointF want = shot.corners[i];
            QVERIFY2(std::hypot(p.x() - want.x(), p.y() - want.y()) <= 0.01 * diagonal,
                     qPrintable(QString("corner %1 at %2,%3, drawn at %4,%5")
                                    .arg(i).arg(p.x()).arg(p.y()).arg(want.x()).arg(want.y())));
        }

        // The run on the profiling thread, started by the item's action word.
        pq_ProfilingThreadMgrIF* manager = pq_ProfilingThreadMgrIF::instance();
        QSignalSpy done(manager, &pq_ProfilingThreadMgrIF::signalProfileCreationDone);
        QSignalSpy error(manager, &pq_ProfilingThreadMgrIF::signalProfileCreationError);
        QSignalSpy aborted(manager, &pq_ProfilingThreadMgrIF::signalProfileCreationAborted);
        item->setAction(QStringLiteral("startProfiling"));
        QCOMPARE(controller->currentJobMap()->value("alertCriticalTitle").toString(), QString());
        QTRY_VERIFY_WITH_TIMEOUT(done.count() + error.count() + aborted.count() > 0, 600000);
        QCOMPARE(error.count(), 0);
        QCOMPARE(aborted.count(), 0);
        QCOMPARE(done.count(), 1);
        QCOMPARE(controller->currentJobMap()->value("alertCriticalTitle").toString(), QString());
        QCOMPARE(controller->currentJobMap()->value("alertInformationTitle").toString(),
                 QString("Successfully completed"));

        // The profile is written and Little CMS reads it.
        const QString written = controller->createdProfilePath();
        QVERIFY2(QFileInfo(written).isFile(), qPrintable(written));
        QVERIFY2(written.startsWith(home.path() + QLatin1Char('/')), qPrintable(written));
        QVERIFY(written.endsWith(QLatin1String(".icc")));
        cmsHPROFILE profile = cmsOpenProfileFromFile(QFile::encodeName(written).constData(), "r");
        QVERIFY(profile);
        const cmsColorSpaceSignature space = cmsGetColorSpace(profile);
        const cmsProfileClassSignature kind = cmsGetDeviceClass(profile);
        cmsCloseProfile(profile);
        QCOMPARE(space, cmsSigRgbData);
        QCOMPARE(kind, cmsSigInputClass);

        // Its quality over the noiseless shot.
        const QString statistics = item->deltaEStatistics();
        const QVector<double> figures = statisticsFigures(statistics);
        QVERIFY2(figures.size() == 3, qPrintable(statistics));
        for (double figure : figures)
            QVERIFY2(std::isfinite(figure) && figure >= 0, qPrintable(statistics));
        QVERIFY2(figures[0] <= figures[1] && figures[1] <= figures[2], qPrintable(statistics));
        QVERIFY2(figures[1] < 0.5 && figures[2] < 1.0, qPrintable(statistics));

        item.reset();
        controller.reset();
    }
};

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    QCoreApplication::setOrganizationName("Vandrelith");
    QCoreApplication::setApplicationName("pelto5-integration-test");
    IntegrationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_integration.moc"
