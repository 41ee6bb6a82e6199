#include "ProfilingTestSupport.h"

#include "jobs/pq_threadCheck.h"

#include "jobs/pq_Job.h"
#include "jobs/pq_targetInfo.h"
#include "jobs/pq_templatesFolder.h"

#include "chart/Config.h"
#include "chart/Patch.h"
#include "chart/PatchGrid.h"
#include "chart/RawImage.h"
#include "chart/Target.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QTest>

namespace proftest {

Folders::Folders()
{
    if (!m_dir.isValid())
        return;
    ConfigIF::instance()->init(m_dir.path(), m_dir.path() + "/data");
    QDir().mkpath(tmp());
    qputenv("XDG_DATA_HOME", (m_dir.path() + "/share").toUtf8());
    pq_setTemplatesFolder(m_dir.path() + "/templates");
}

QString Folders::tmp() const
{
    return ConfigIF::instance()->tmpPath();
}

QStringList Folders::tmpFiles() const
{
    return QDir(tmp()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

void Folders::clearTmp() const
{
    QDir(tmp()).removeRecursively();
    QDir().mkpath(tmp());
}

RunRecorder::RunRecorder()
    : done(pq_ProfilingThreadMgr::instance(),
           &pq_ProfilingThreadMgrIF::signalProfileCreationDone),
      error(pq_ProfilingThreadMgr::instance(),
            &pq_ProfilingThreadMgrIF::signalProfileCreationError),
      aborted(pq_ProfilingThreadMgr::instance(),
              &pq_ProfilingThreadMgrIF::signalProfileCreationAborted),
      progress(pq_ProfilingThreadMgr::instance(),
               &pq_ProfilingThreadMgrIF::signalProfileCreationProgress)
{
    pq_ProfilingThreadMgr::instance()->installEventFilter(this);
}

RunRecorder::~RunRecorder()
{
    pq_ProfilingThreadMgr::instance()->removeEventFilter(this);
}

bool RunRecorder::waitForEnd(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (endings() == 0 && !deadline.hasExpired())
        QTest::qWait(5);
    if (endings() == 0)
        return false;
    QTest::qWait(20);
    return true;
}

bool RunRecorder::eventFilter(QObject *watched, QEvent *event)
{
    pq_takeOver(event);
    if (int(event->type()) >= 1000 && int(event->type()) <= 1003)
        events.append(int(event->type()));
    return QObject::eventFilter(watched, event);
}

namespace {

QMutex g_messagesMutex;
QStringList g_messages;
QtMessageHandler g_previous = nullptr;

void capture(QtMsgType, const QMessageLogContext &, const QString &message)
{
    QMutexLocker lock(&g_messagesMutex);
    g_messages.append(message);
}

}  // namespace

MessageCapture::MessageCapture()
{
    QMutexLocker lock(&g_messagesMutex);
    g_messages.clear();
    g_previous = qInstallMessageHandler(capture);
}

MessageCapture::~MessageCapture()
{
    qInstallMessageHandler(g_previous);
}

QStringList MessageCapture::messages() const
{
    QMutexLocker lock(&g_messagesMutex);
    return g_messages;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

pq_targetInfo *colorCheckerDescription(const QString &name)
{
    auto *description = new pq_targetInfo;
    description->name = name;
    description->model = name;
    description->setTargetFile(QStringLiteral("/usr/share/color/argyll/ref/ColorChecker.cie"));
    description->patches = 24;
    description->rows = 4;
    description->columns = 6;
    description->targetDefinition =
        QString::fromUtf8(readFile(QStringLiteral(JOBS_FIXTURE_DIR "/ColorChecker_definition.txt")));
    return description;
}

pq_targetInfo *spectralDescription(const QString &name)
{
    QString reference = QStringLiteral("IS12642\nNUMBER_OF_FIELDS 37\nBEGIN_DATA_FORMAT\nSAMPLE_ID");
    for (int nm = 380; nm <= 730; nm += 10)
        reference += QStringLiteral(" SPECTRAL_%1").arg(nm);
    reference += QStringLiteral("\nEND_DATA_FORMAT\nNUMBER_OF_SETS 4\nBEGIN_DATA\n");
    QString definition = QStringLiteral(
        "IS12642\nNUMBER_OF_FIELDS 5\nBEGIN_DATA_FORMAT\nSAMPLE_ID CONTROL RGB_R RGB_G RGB_B\n"
        "END_DATA_FORMAT\nNUMBER_OF_SETS 4\nBEGIN_DATA\n");
    for (int i = 0; i < 4; ++i) {
        const QString id = QStringLiteral("A0%1").arg(i + 1);
        reference += id;
        for (int nm = 380; nm <= 730; nm += 10)
            reference += QStringLiteral(" %1").arg(0.1 + 0.2 * i + (nm - 380) * 0.0002 * i);
        reference += QLatin1Char('\n');
        definition += QStringLiteral("%1 N %2 %2 %2\n").arg(id).arg(40 + 60 * i);
    }
    reference += QStringLiteral("END_DATA\n");
    definition += QStringLiteral("END_DATA\n");
    auto *description = new pq_targetInfo;
    description->name = name;
    description->model = name;
    description->referenceData = reference;
    description->patches = 4;
    description->rows = 2;
    description->columns = 2;
    description->targetDefinition = definition;
    return description;
}

namespace {

constexpr int kCell = 40;
constexpr int kMargin = 10;

}  // namespace

std::unique_ptr<RawImage> renderChart(const TargetIF &target, double level)
{
    // XYZ (D50) to linear ProPhoto RGB, which holds every chart colour.
    static const double m[3][3] = {{1.3459433, -0.2556075, -0.0511118},
                                   {-0.5445989, 1.5081673, 0.0205351},
                                   {0.0, 0.0, 1.2118128}};
    const int columns = int(target.columns());
    const int rows = int(target.rows());
    auto image = std::make_unique<RawImage>(columns * kCell + 2 * kMargin,
                                            rows * kCell + 2 * kMargin, 3, 16);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const PatchIF *patch = target.patch(unsigned(c), unsigned(r));
            if (!patch)
                continue;
            quint16 rgb[3];
            for (int k = 0; k < 3; ++k) {
                double v = 0.0;
                for (int j = 0; j < 3; ++j)
                    v += m[k][j] * patch->referenceXYZ(j) / 100.0;
                rgb[k] = quint16(qBound(0.0, v * level * 0.9, 1.0) * 65535.0 + 0.5);
            }
            for (int y = kMargin + r * kCell + 3; y < kMargin + (r + 1) * kCell - 3; ++y) {
                quint16 *row = image->rowData16(y);
                for (int x = kMargin + c * kCell + 3; x < kMargin + (c + 1) * kCell - 3; ++x)
                    for (int k = 0; k < 3; ++k)
                        row[x * 3 + k] = rgb[k];
            }
        }
    }
    return image;
}

bool measureTarget(pq_Job &job, int index, double level)
{
    job.setCurrentTargetIndex(index);
    if (!job.loadCurrentTarget())
        return false;
    TargetIF *target = job.currentTarget();
    const std::unique_ptr<RawImage> image = renderChart(*target, level);
    const int columns = int(target->columns());
    const int rows = int(target->rows());
    PatchGridIF *grid = job.currentPatchGrid();
    grid->setImageSize(QSize(image->width(), image->height()));
    grid->setGridSize(rows, columns);
    grid->setCorners(QPoint(kMargin, kMargin), QPoint(kMargin + columns * kCell, kMargin),
                     QPoint(kMargin, kMargin + rows * kCell),
                     QPoint(kMargin + columns * kCell, kMargin + rows * kCell));
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            grid->setSampleArea(c, r, 0.5);
            grid->measurePatch(c, r, target, image.get(), false);
        }
    }
    return true;
}

}  // namespace proftest
