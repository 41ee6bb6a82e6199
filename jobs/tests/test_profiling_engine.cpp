// A job's chart through the profile engine on the profiling thread: a real
// profile that Little CMS reads, progress to the end, and a clean temporary
// folder.
#include "ProfilingTestSupport.h"

#include "jobs/pq_Job.h"
#include "jobs/pq_ProfilingThreadMgr.h"
#include "jobs/pq_targetInfo.h"

#include "chart/Patch.h"
#include "chart/Target.h"
#include "colour/Kirr_colorLibrary.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QtTest>

#include <lcms2.h>

#include <cmath>
#include <memory>

namespace {

QStringList g_lcmsComplaints;

void lcmsComplaint(cmsContext, cmsUInt32Number code, const char *text)
{
    g_lcmsComplaints.append(QStringLiteral("%1: %2").arg(code).arg(QString::fromUtf8(text)));
}

pq_ProfilingThreadMgr *manager()
{
    return pq_ProfilingThreadMgr::instance();
}

}  // namespace

class ProfilingEngineTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<proftest::Folders> m_folders;

    std::unique_ptr<pq_Job> colorCheckerJob(const QString &profileName);

private slots:
    void initTestCase();
    void init();
    void profileFromAJob();
    void abortDuringTheComputation();
};

std::unique_ptr<pq_Job> ProfilingEngineTest::colorCheckerJob(const QString &profileName)
{
    auto job = std::make_unique<pq_Job>(m_folders->root() + "/curves", m_folders->tmp());
    job->addTargetInfo(proftest::colorCheckerDescription());
    if (!proftest::measureTarget(*job, 0))
        return nullptr;
    job->setProfileName(profileName);
    return job;
}

void ProfilingEngineTest::initTestCase()
{
    if (!QFileInfo::exists("/usr/share/color/argyll/ref/ColorChecker.cie"))
        QSKIP("argyll-ref is not installed");
    m_folders = std::make_unique<proftest::Folders>();
    QVERIFY(m_folders->isValid());
    cmsSetLogErrorHandler(lcmsComplaint);
}

void ProfilingEngineTest::init()
{
    m_folders->clearTmp();
    g_lcmsComplaints.clear();
}

void ProfilingEngineTest::profileFromAJob()
{
    std::unique_ptr<pq_Job> job = colorCheckerJob("Chart Camera");
    QVERIFY(job);
    proftest::RunRecorder recorder;
    QString profilePath;
    QCOMPARE(job->createProfile(profilePath, false, -1, 0, QString(), nullptr, false, nullptr,
                                nullptr, 0.0, 0.0, 0),
             0);
    QCOMPARE(profilePath, QString("Chart Camera.icc"));
    QVERIFY(recorder.waitForEnd(600000));
    QCOMPARE(recorder.error.count(), 0);
    QCOMPARE(recorder.done.count(), 1);
    const QString written = recorder.done.at(0).at(0).toString();
    QCOMPARE(written, Kirr_makerProfileFolder(2) + profilePath);

    // Progress rises to the end.
    QVERIFY(!recorder.progress.isEmpty());
    double last = 0.0;
    for (const QList<QVariant> &arguments : qAsConst(recorder.progress)) {
        const double fraction = arguments.at(0).toDouble();
        QVERIFY(fraction >= last);
        last = fraction;
    }
    QCOMPARE(last, 1.0);
    // No engine file is left behind.
    QCOMPARE(m_folders->tmpFiles(), QStringList());

    // Little CMS reads the profile without a complaint, and it maps the
    // measured patches close to their reference colours (absolute: the
    // reference white is the chart's, not the profile's media white).
    const QByteArray bytes = proftest::readFile(written);
    QVERIFY(!bytes.isEmpty());
    cmsHPROFILE profile = cmsOpenProfileFromMem(bytes.constData(), cmsUInt32Number(bytes.size()));
    QVERIFY(profile);
    QCOMPARE(cmsGetColorSpace(profile), cmsSigRgbData);
    QCOMPARE(cmsGetDeviceClass(profile), cmsSigInputClass);
    cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
    cmsHTRANSFORM transform = cmsCreateTransform(profile, TYPE_RGB_DBL, lab, TYPE_Lab_DBL,
                                                 INTENT_ABSOLUTE_COLORIMETRIC, 0);
    QVERIFY(transform);
    TargetIF *target = job->currentTarget();
    double sum = 0.0;
    int count = 0;
    for (unsigned r = 0; r < target->rows(); ++r) {
        for (unsigned c = 0; c < target->columns(); ++c) {
            const PatchIF *patch = target->patch(c, r);
            const double rgb[3] = {patch->value1(0) / 65535.0, patch->value1(1) / 65535.0,
                                   patch->value1(2) / 65535.0};
            cmsCIELab out;
            cmsDoTransform(transform, rgb, &out, 1);
            const cmsCIELab reference{patch->referenceLab(0), patch->referenceLab(1),
                                      patch->referenceLab(2)};
            sum += cmsDeltaE(&out, &reference);
            ++count;
        }
    }
    cmsDeleteTransform(transform);
    cmsCloseProfile(lab);
    cmsCloseProfile(profile);
    QCOMPARE(g_lcmsComplaints, QStringList());
    QCOMPARE(count, 24);
    const double mean = sum / count;
    QVERIFY2(mean < 1.0, qPrintable(QString("mean colour difference %1").arg(mean)));
}

void ProfilingEngineTest::abortDuringTheComputation()
{
    std::unique_ptr<pq_Job> job = colorCheckerJob("Aborted Camera");
    QVERIFY(job);
    proftest::RunRecorder recorder;
    const QMetaObject::Connection connection =
        connect(manager(), &pq_ProfilingThreadMgrIF::signalProfileCreationProgress, this,
                [] { manager()->abort(); });
    QString profilePath;
    QCOMPARE(job->createProfile(profilePath, false, -1, 0, QString(), nullptr, false, nullptr,
                                nullptr, 0.0, 0.0, 0),
             0);
    QVERIFY(recorder.waitForEnd(600000));
    disconnect(connection);
    QCOMPARE(recorder.aborted.count(), 1);
    QCOMPARE(recorder.done.count() + recorder.error.count(), 0);
    QCOMPARE(m_folders->tmpFiles(), QStringList());
}

int main(int argc, char **argv)
{
    // Jobs hold pixmaps but draw nothing; the minimal platform needs no display.
    qputenv("QT_QPA_PLATFORM", "minimal");
    QGuiApplication app(argc, argv);
    ProfilingEngineTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_profiling_engine.moc"
