// Job list benchmark. Writes a fixed, seeded jobs folder (by default 1,000 job
// files of about 150 KB, each with two targets that embed a real chart's
// reference data and a 400-pixel target picture), reads it into a job list
// and prints: the time to the finished list, the time a bare QDomDocument
// parse of the same bytes takes, the resident memory after loading, and the
// time to build the QML text of every job.
//
//   job_list_bench [--jobs N] [--keep FOLDER]

#include "jobs/pq_Job.h"
#include "jobs/pq_JobFileWriter.h"
#include "jobs/pq_JobList.h"
#include "jobs/pq_templatesFolder.h"

#include <QBuffer>
#include <QColor>
#include <QDir>
#include <QDirIterator>
#include <QDomDocument>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <memory>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A 400-pixel picture of a chart: patches of seeded colours with a little
// noise, as a photographed chart has.
QString chartPicture(QRandomGenerator &random, int columns, int rows)
{
    QImage image(400, 400 * rows / columns, QImage::Format_RGB32);
    const int cell = image.width() / columns;
    for (int y = 0; y < image.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            QRandomGenerator patch(quint32((y / cell) * 1000 + x / cell));
            const int noise = random.bounded(3u) == 0 ? int(random.bounded(3u)) - 1 : 0;
            line[x] = qRgb(qBound(0, int(patch.bounded(256u)) + noise, 255),
                           qBound(0, int(patch.bounded(256u)) + noise, 255),
                           qBound(0, int(patch.bounded(256u)) + noise, 255));
        }
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG", 50);
    return QString::fromLatin1(png.toBase64());
}

pq_targetInfo *target(const QString &name, const QString &reference, int rows, int columns,
                      const QString &picture)
{
    auto *t = new pq_targetInfo;
    t->name = name;
    t->model = name;
    t->targetVendor = QStringLiteral("Vendor");
    t->targetFullResFilePath = QStringLiteral("Pictures/") + name + QStringLiteral(".png");
    t->referencePath = QStringLiteral("/not/on/this/machine");
    t->referenceName = name + QStringLiteral(".cie");
    t->referenceFile = t->referencePath + QLatin1Char('/') + t->referenceName;
    t->referenceData = reference;
    t->targetImage = picture;
    t->rows = rows;
    t->columns = columns;
    t->patches = rows * columns;
    t->addShot(QStringLiteral("/shots/") + name + QStringLiteral(".tif"));
    return t;
}

long residentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

}  // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    int jobCount = 1000;
    QString keep;
    for (int i = 1; i + 1 < argc; i += 2) {
        const QString option = QString::fromLocal8Bit(argv[i]);
        if (option == QLatin1String("--jobs"))
            jobCount = qMax(1, QString::fromLocal8Bit(argv[i + 1]).toInt());
        else if (option == QLatin1String("--keep"))
            keep = QString::fromLocal8Bit(argv[i + 1]);
    }
    QTemporaryDir scratch;
    const QString root = keep.isEmpty() ? scratch.path() : keep;
    const QString jobsFolder = root + QStringLiteral("/Jobs");
    pq_setTemplatesFolder(root + QStringLiteral("/Templates"));

    const QString colorChecker = readText(QStringLiteral(VP_REFERENCE_DIR "/ColorChecker.cie"));
    const QString cmp = readText(QStringLiteral(VP_REFERENCE_DIR "/CMP_Digital_Target-4.cie"));
    if (colorChecker.isEmpty() || cmp.isEmpty()) {
        std::fprintf(stderr, "job_list_bench: the argyll-ref reference files are missing\n");
        return 1;
    }

    QRandomGenerator random(20261211);
    const QString pictureA = chartPicture(random, 6, 4);
    const QString pictureB = chartPicture(random, 30, 19);
    for (int i = 0; i < jobCount; ++i) {
        pq_Job job{QString(), QString()};
        job.setJobName(QStringLiteral("Job %1").arg(i, 4, 10, QLatin1Char('0')));
        job.setJobId(QStringLiteral("id-%1").arg(random.generate()));
        job.addTargetInfo(target(QStringLiteral("ColorChecker"), colorChecker, 4, 6, pictureA));
        job.addTargetInfo(target(QStringLiteral("CMP Digital Target 4"), cmp, 19, 30, pictureB));
        const pq_JobSaveResult saved = pq_JobFileWriter::save(job, jobsFolder);
        if (!saved.ok) {
            std::fprintf(stderr, "job_list_bench: %s\n", qPrintable(saved.message));
            return 1;
        }
    }

    QList<QByteArray> files;
    qint64 totalBytes = 0;
    const QStringList names = QDir(jobsFolder).entryList({QStringLiteral("*.xml")}, QDir::Files);
    for (const QString &name : names) {
        QFile file(jobsFolder + QLatin1Char('/') + name);
        if (file.open(QIODevice::ReadOnly))
            files.append(file.readAll());
        totalBytes += files.last().size();
    }
    Clock::time_point start = Clock::now();
    int parsed = 0;
    for (const QByteArray &bytes : qAsConst(files)) {
        QDomDocument document;
        parsed += document.setContent(bytes) ? 1 : 0;
    }
    const double domMs = millisecondsSince(start);
    files.clear();

    const long before = residentKilobytes();
    start = Clock::now();
    std::unique_ptr<pq_JobListIF> list(pq_JobListIF::create(jobsFolder, QString(), QString()));
    const double listMs = millisecondsSince(start);
    const long after = residentKilobytes();

    start = Clock::now();
    QString qml = QStringLiteral("<jobs>\n");
    for (int i = 0; i < list->size(); ++i)
        qml += list->jobAt(i)->toQmlXml();
    qml += QLatin1String("</jobs>\n");
    const double qmlMs = millisecondsSince(start);

    int whole = 0;
    for (int i = 0; i < list->size(); ++i)
        whole += static_cast<pq_Job *>(list->jobAt(i))->lastReadOutcome().isWhole() ? 1 : 0;

    std::printf("jobs folder: %d files, %.1f MB, %.0f KB per file\n", int(names.size()),
                totalBytes / 1e6, totalBytes / 1e3 / qMax(1, int(names.size())));
    std::printf("job list:            %8.1f ms (%d of %d jobs read whole)\n", listMs, whole,
                list->size());
    std::printf("bare DOM parse:      %8.1f ms (serial, %d documents)\n", domMs, parsed);
    std::printf("resident memory:     %8.1f MB after loading (%.1f MB before the list, "
                "%.2f x the files)\n",
                after / 1024.0, before / 1024.0, (after * 1024.0) / qMax<qint64>(1, totalBytes));
    std::printf("QML text of all jobs:%8.1f ms (%d characters)\n", qmlMs, int(qml.size()));
    return whole == list->size() && list->size() == jobCount ? 0 : 1;
}
